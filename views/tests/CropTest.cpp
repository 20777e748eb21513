#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>

#include "Crop.h"

namespace pictoma {
namespace {

constexpr std::uint32_t SEED = 20240503;

// A picture whose bytes are all random, including the bits beyond the width in each row's last
// byte.
Picture RandomPicture(std::mt19937& rng, int width, int height) {
    Picture p(width, height);
    for (auto& b : p.bytes)
        b = std::uint8_t(rng());
    return p;
}

// Pixel (x, y) of `p` read from its bytes alone, also beyond the width in a row's last byte.
bool RawBit(const Picture& p, int x, int y) {
    const Picture whole(mono::FirstColumnOf(p.BytesPerRow()), p.height, p.bytes);
    return whole.Black(x, y);
}

struct CropCase {
    const char* what;
    Size picture;
    PicturePoint a, b;
    Size cut;
    int firstColumn, firstRow;  // where the cut's top-left pixel lay in the picture
};

TEST(Crop, CutsWholeByteColumnsAndRows) {
    const CropCase cases[] = {
        {"a right edge at column 8 takes byte column 1",
         {128, 64},
         {0, 0},
         {8, 10},
         {16, 11},
         0,
         0},
        {"corners in the other order", {128, 64}, {8, 10}, {0, 0}, {16, 11}, 0, 0},
        {"clamped corners limit to the last byte column and row",
         {128, 64},
         {0, 0},
         {128, 64},
         {128, 64},
         0,
         0},
        {"bits beyond the old width come along", {100, 20}, {0, 0}, {100, 20}, {104, 20}, 0, 0},
        {"left edge falls back to a multiple of 8", {128, 64}, {17, 4}, {25, 7}, {24, 4}, 16, 4},
        {"selection left from a larger picture is limited",
         {32, 16},
         {8, 2},
         {200, 200},
         {24, 14},
         8,
         2},
        {"corners left of and above the origin count as on it",
         {16, 8},
         {-25, -25},
         {8, 4},
         {16, 5},
         0,
         0},
        {"extreme corners take the whole picture",
         {20, 10},
         {INT_MIN, INT_MIN},
         {INT_MAX, INT_MAX},
         {24, 10},
         0,
         0},
    };
    std::mt19937 rng(SEED);
    SCOPED_TRACE("seed " + std::to_string(SEED));
    for (const CropCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Picture source = RandomPicture(rng, c.picture.width, c.picture.height);
        Picture p = source;
        ASSERT_TRUE(Crop(p, c.a, c.b));
        ASSERT_EQ((Size{p.width, p.height}), c.cut);
        ASSERT_TRUE(p.Consistent());
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                ASSERT_EQ(p.Black(x, y), RawBit(source, x + c.firstColumn, y + c.firstRow))
                    << "pixel " << x << "," << y;
            }
        }
    }
}

TEST(Crop, GarbageBeyondTheWidthBecomesVisible) {
    Picture p(100, 20);  // 13 bytes per row, the last holding 4 pixels
    for (int y = 0; y < p.height; ++y)
        p.bytes[mono::IndexOf(99, y, p.width)] = 0x0A;
    ASSERT_TRUE(Crop(p, {0, 0}, {100, 20}));
    ASSERT_EQ(p.width, 104);
    for (int y = 0; y < p.height; ++y) {
        EXPECT_FALSE(p.Black(99, y));
        EXPECT_TRUE(p.Black(100, y));
        EXPECT_FALSE(p.Black(101, y));
        EXPECT_TRUE(p.Black(102, y));
        EXPECT_FALSE(p.Black(103, y));
    }
}

TEST(Crop, EmptyCutLeavesThePictureAndSaysSo) {
    struct Case {
        const char* what;
        Picture picture;
        PicturePoint a, b;
    };
    const Case cases[] = {
        {"first byte column beyond the picture", Picture(16, 8), {40, 0}, {60, 3}},
        {"first row beyond the picture", Picture(16, 8), {0, 20}, {16, 30}},
        {"drag along the bottom edge holds no row", Picture(128, 64), {0, 64}, {16, 64}},
        {"picture without bytes", Picture(), {0, 0}, {8, 8}},
        {"picture without rows", Picture(16, 0), {0, 0}, {16, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Picture p = c.picture;
        EXPECT_FALSE(CropCutOf({p.width, p.height}, c.a, c.b).has_value());
        EXPECT_FALSE(Crop(p, c.a, c.b));
        EXPECT_EQ(p, c.picture);
    }
}

TEST(Crop, ShortByteArrayCutsOnlyThePresentRows) {
    Picture p(16, 8);
    p.bytes.resize(4 * 2, 0xFF);
    ASSERT_TRUE(Crop(p, {0, 0}, {16, 8}));
    EXPECT_EQ((Size{p.width, p.height}), (Size{16, 4}));
    EXPECT_TRUE(p.Consistent());
}

TEST(Crop, RandomSelectionsKeepBytesAndSizeInAgreement) {
    std::mt19937 rng(SEED);
    for (int i = 0; i < 2000; ++i) {
        SCOPED_TRACE("seed " + std::to_string(SEED) + ", case " + std::to_string(i));
        const int w = int(rng() % 41), h = int(rng() % 21);
        const auto coord = [&](int extent) { return int(rng() % unsigned(extent + 40)) - 15; };
        const Picture source = RandomPicture(rng, w, h);
        Picture p = source;
        const PicturePoint a{coord(w), coord(h)}, b{coord(w), coord(h)};
        if (Crop(p, a, b)) {
            ASSERT_TRUE(p.Consistent());
            ASSERT_LE(p.BytesPerRow(), source.BytesPerRow());
            ASSERT_LE(p.height, source.height);
        } else {
            ASSERT_EQ(p, source);
        }
    }
}

TEST(Crop, OfferedForSelectionsAtLeastEightPixelsWide) {
    EXPECT_FALSE(CropOffered({0, 0}, {7, 35}));
    EXPECT_TRUE(CropOffered({0, 0}, {8, 0}));
    EXPECT_TRUE(CropOffered({8, 35}, {0, 0}));
    EXPECT_FALSE(CropOffered({0, 0}, {0, 64}));
}

}  // namespace
}  // namespace pictoma
