#include <gtest/gtest.h>

#include "ImportOptions.h"

namespace pictoma {
namespace {

TEST(FitSize, KeepsProportionsWithinTheScreenRoundingHalvesUp) {
    struct Case {
        Size source, want;
    };
    for (auto c : {Case{{400, 300}, {85, 64}},
                   {{300, 400}, {48, 64}},
                   {{64, 32}, {128, 64}},  // enlarges too
                   {{128, 64}, {128, 64}},
                   {{3, 3}, {64, 64}},
                   {{256, 100}, {128, 50}},
                   {{256, 101}, {128, 51}},  // 50.5 rounds up
                   {{10000, 1}, {128, 1}},   // never below one pixel
                   {{1, 10000}, {1, 64}}}) {
        EXPECT_EQ(FitSize(c.source), c.want) << c.source.width << "x" << c.source.height;
        // Fitting a fitted size keeps it, so a source rendered at its target is not scaled again.
        EXPECT_EQ(FitSize(c.want), c.want);
    }
}

TEST(TargetSize, EachSizeMode) {
    ImportOptions o;
    EXPECT_EQ(TargetSize({400, 300}, o), (Size{400, 300}));
    o.size = SizeMode::Fit;
    EXPECT_EQ(TargetSize({400, 300}, o), (Size{85, 64}));
    o.size = SizeMode::Stretch;
    EXPECT_EQ(TargetSize({400, 300}, o), (Size{128, 64}));
    o.size = SizeMode::Custom;
    o.custom = {0, 40000};
    EXPECT_EQ(TargetSize({400, 300}, o), (Size{1, 32768}));
    EXPECT_EQ(DefaultSizeMode({129, 64}), SizeMode::Fit);
    EXPECT_EQ(DefaultSizeMode({128, 65}), SizeMode::Fit);
    EXPECT_EQ(DefaultSizeMode({128, 64}), SizeMode::Original);
}

TEST(ImportOptionNames, ParseWhatTheyPrintAndRefuseTheRest) {
    for (Dither d : {Dither::None, Dither::FloydSteinberg, Dither::Atkinson, Dither::Bayer})
        EXPECT_EQ(ParseDither(DitherName(d)), d);
    for (Background b : {Background::White, Background::Black})
        EXPECT_EQ(ParseBackground(BackgroundName(b)), b);
    EXPECT_FALSE(ParseDither("Floyd-Steinberg"));
    EXPECT_FALSE(ParseBackground("grey"));

    EXPECT_EQ(ParseSize("128x64"), (Size{128, 64}));
    EXPECT_EQ(ParseSize("1X32768"), (Size{1, 32768}));
    for (const char* bad : {"", "x", "128", "128x", "x64", "0x64", "32769x1", "12x-3", "1 x2",
                            "128x64x", "99999999999x1", "+5x5"})
        EXPECT_FALSE(ParseSize(bad)) << bad;
}

}  // namespace
}  // namespace pictoma
