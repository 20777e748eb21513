#include <gtest/gtest.h>

#include "Brightness.h"
#include "Sweep.h"

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

// What the exact integer form rests on, for every colour and so for every threshold at once: the
// rule's integer is the exact sum / 100, except at an exact multiple of 100, where it is that
// quotient or one less. Both outcomes of that exception occur, so a fast path must settle them by
// the double rule (the tie tests check that it does).
TEST(Brightness, ExactSumsGiveTheRulesIntegerExceptAtMultiplesOfOneHundred) {
    int wrong = 0, roundedDown = 0, exact = 0;
    for (int r = 0; r < 256; r += test::kSweepStep)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const volatile double literal = (0.51 * g + 0.17 * b) + 0.32 * r;
                const int rule = int(literal);
                const int sum = BrightnessSum100(r, g, b);
                if (sum % 100 != 0) {
                    if (rule != sum / 100 && ++wrong < 5)
                        ADD_FAILURE() << r << "," << g << "," << b << ": " << rule;
                } else if (rule == sum / 100) {
                    ++exact;
                } else if (rule == sum / 100 - 1) {
                    ++roundedDown;
                } else if (++wrong < 5) {
                    ADD_FAILURE() << r << "," << g << "," << b << ": " << rule;
                }
            }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(exact, 0);
    EXPECT_GT(roundedDown, 0);
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
