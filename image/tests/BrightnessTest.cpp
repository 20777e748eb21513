#include <gtest/gtest.h>

#include "Brightness.h"

namespace pictoma {
namespace {

TEST(Brightness, KnownColoursAndEveryGrey) {
    struct Case {
        int r, g, b, want;
    };
    for (auto c : {Case{255, 0, 0, 81},
                   {0, 255, 0, 130},
                   {0, 0, 255, 43},
                   {255, 0, 255, 124},
                   {0, 255, 255, 173},
                   {255, 255, 0, 211},
                   {255, 255, 255, 255}}) {
        EXPECT_EQ(Brightness(c.r, c.g, c.b), c.want) << c.r << "," << c.g << "," << c.b;
    }
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(Brightness(v, v, v), v);
}

// The tables must give the rule's integer for every colour, bit for bit; a fused multiply-add in
// either would make some colours differ by one.
TEST(Brightness, TablesMatchTheLiteralRuleForEveryColour) {
    const BrightnessTables t;
    int mismatches = 0;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                volatile double literal = (0.51 * g + 0.17 * b) + 0.32 * r;
                const int want = int(literal);
                const int got = t.Of(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
                if (got != want && ++mismatches < 5)
                    ADD_FAILURE() << r << "," << g << "," << b << ": " << got << " vs " << want;
                // The comparison the conversion uses is the same decision at the edge.
                if (t.Black(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b),
                            BrightnessTables::Limit(want)) != true ||
                    t.Black(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b),
                            BrightnessTables::Limit(want - 1)) != false)
                    ++mismatches;
            }
    EXPECT_EQ(mismatches, 0);
}

TEST(Brightness, SixteenBitComponentsWidenByBitReplication) {
    EXPECT_EQ(Widen5(0), 0);
    EXPECT_EQ(Widen5(31), 255);
    EXPECT_EQ(Widen5(16), 132);
    EXPECT_EQ(Brightness555(0x7FFF), 255);
    EXPECT_EQ(Brightness555(0xFFFF), 255);   // bit 15 is ignored
    EXPECT_EQ(Brightness555(31 << 10), 81);  // pure red as in 24 bits
    EXPECT_EQ(Brightness555(31 << 5), 130);
}

}  // namespace
}  // namespace pictoma
