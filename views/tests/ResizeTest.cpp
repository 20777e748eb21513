#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "Resize.h"
#include "ResizeReference.h"
#include "SizeLimits.h"

namespace pictoma {
namespace {

constexpr std::uint32_t SEED = 20240517;

// A picture whose pixels are black with about the given chance; the bits beyond the width in each
// row's last byte are random too, so that a resize reading them would show.
Picture RandomPicture(std::mt19937& rng, int width, int height, double black) {
    Picture p(width, height);
    std::bernoulli_distribution bit(black);
    for (auto& b : p.bytes) {
        for (int j = 0; j < 8; ++j)
            b = SetBit(b, j, bit(rng));
    }
    return p;
}

Picture Filled(int width, int height, bool black) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            p.Set(x, y, black);
    }
    return p;
}

// A row's bits beyond its width, as a byte in the row's last byte position.
std::uint8_t TailBits(const Picture& p, int y) {
    const std::uint8_t last = p.bytes[mono::IndexOf(p.width - 1, y, p.width)];
    std::uint8_t tail = 0;
    for (int x = p.width; x < mono::FirstColumnOf(p.BytesPerRow()); ++x) {
        tail |= std::uint8_t(last & mono::MaskOf(x));
    }
    return tail;
}

TEST(Resize, EqualsTheTwoStepReferenceOnRandomPictures) {
    std::mt19937 rng(SEED);
    SCOPED_TRACE("seed " + std::to_string(SEED));
    const double densities[] = {0.5, 0.85, 0.97, 1.0};
    for (int i = 0; i < 600; ++i) {
        const std::string trace = "seed " + std::to_string(SEED) + ", case " + std::to_string(i);
        Size from{1 + int(rng() % 72), 1 + int(rng() % 40)};
        Size to{MIN_SIZE_WIDTH + int(rng() % (MAX_SIZE_WIDTH - MIN_SIZE_WIDTH + 1)),
                MIN_SIZE_HEIGHT + int(rng() % MAX_SIZE_HEIGHT)};
        switch (i % 5) {
            case 0:
                break;  // unrelated sizes
            case 1:
                to = from.width >= MIN_SIZE_WIDTH && from.height <= MAX_SIZE_HEIGHT ? from : to;
                break;  // factors 1 where possible
            case 2:
                from = {1 + int(rng() % 16), 1 + int(rng() % 8)};
                break;  // enlarging
            case 3:
                from = {to.width * (1 + int(rng() % 3)), to.height * (1 + int(rng() % 3))};
                break;  // shrinking by whole factors
            case 4:
                to.width = 8 + int(rng() % 48);
                from.width = to.width + 1 + int(rng() % 9);
                break;  // slightly smaller across
        }
        const Picture source = RandomPicture(rng, from.width, from.height, densities[i % 4]);
        const Picture expected = reference::Resize(source, to);
        const Picture actual = Resize(source, to);
        ASSERT_EQ(actual, expected) << trace << ": " << from.width << "x" << from.height << " -> "
                                    << to.width << "x" << to.height;
    }
}

TEST(Resize, EqualsTheReferenceOnTheLargestIntermediate) {
    std::mt19937 rng(SEED);
    SCOPED_TRACE("seed " + std::to_string(SEED));
    const Picture source = RandomPicture(rng, 127, 63, 0.99);
    EXPECT_EQ(Resize(source, {128, 64}), reference::Resize(source, {128, 64}));
}

TEST(Resize, ThreeToTwoMergesOverlappingPairs) {
    for (int bits = 0; bits < 8; ++bits) {
        Picture source(3, 1);
        for (int x = 0; x < 3; ++x)
            source.Set(x, 0, (bits >> x) & 1);
        const Picture out = Resize(source, {2, 1});
        SCOPED_TRACE("source pattern " + std::to_string(bits));
        EXPECT_EQ(out.Black(0, 0), source.Black(0, 0) && source.Black(1, 0));
        EXPECT_EQ(out.Black(1, 0), source.Black(1, 0) && source.Black(2, 0));
    }
}

TEST(Resize, DoublingMakesTwoByTwoBlocks) {
    std::mt19937 rng(SEED);
    SCOPED_TRACE("seed " + std::to_string(SEED));
    const Picture source = RandomPicture(rng, 64, 32, 0.5);
    const Picture out = Resize(source, {128, 64});
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x)
            ASSERT_EQ(out.Black(x, y), source.Black(x / 2, y / 2));
    }
}

TEST(Resize, HalvingKeepsOnlyWhollyBlackBlocks) {
    Picture source(128, 64);
    for (int y = 0; y < 64; ++y) {
        source.Set(10, y, true);  // one pixel wide: vanishes
        source.Set(20, y, true);  // two wide on a block boundary: stays
        source.Set(21, y, true);
    }
    const Picture out = Resize(source, {64, 32});
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(out.Black(x, y), x == 10) << x << "," << y;
    }
}

TEST(Resize, FortyByFortyFillsTheLastRowFromTheLastSourceRow) {
    Picture source(40, 40);
    for (int x = 0; x < 40; ++x)
        source.Set(x, 39, true);
    const Picture out = Resize(source, {128, 64});
    ASSERT_TRUE(out.Consistent());
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x)
            ASSERT_EQ(out.Black(x, y), y == 63) << x << "," << y;
    }
}

TEST(Resize, SameSizeKeepsPixelsAndClearsTheTail) {
    std::mt19937 rng(SEED);
    SCOPED_TRACE("seed " + std::to_string(SEED));
    const Picture source = RandomPicture(rng, 50, 9, 0.5);
    const Picture out = Resize(source, {50, 9});
    for (int y = 0; y < 9; ++y) {
        ASSERT_NE(TailBits(source, y), 0) << "fixture needs garbage past the width";
        EXPECT_EQ(TailBits(out, y), 0);
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(out.Black(x, y), source.Black(x, y));
    }
}

TEST(Resize, WidthFiftyPutsTwoPixelsInTheLastByte) {
    const Picture out = Resize(Filled(100, 10, true), {50, 10});
    ASSERT_EQ(out.BytesPerRow(), 7);
    for (int y = 0; y < 10; ++y) {
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(out.bytes[std::size_t(y) * 7 + c], 0xFF);
        EXPECT_EQ(out.bytes[std::size_t(y) * 7 + 6], 0xC0);
    }
}

TEST(Resize, HugeSourceNeedsNoIntermediate) {
    // The two steps would enlarge 4001 x 3001 by 128 x 64 into about 12 GB.
    Picture source = Filled(4001, 3001, true);
    source.Set(4000, 3000, false);
    const Picture out = Resize(source, {128, 64});
    ASSERT_TRUE(out.Consistent());
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x)
            ASSERT_EQ(out.Black(x, y), x != 127 || y != 63);
    }
}

TEST(Resize, OddInputsNeverDivideByZero) {
    EXPECT_EQ(Resize(Picture(), {16, 4}), Picture(16, 4));
    EXPECT_EQ(Resize(Picture(0, 10), {16, 4}), Picture(16, 4));
    EXPECT_EQ(Resize(Picture(10, 0), {16, 4}), Picture(16, 4));
    EXPECT_EQ(Resize(Filled(16, 4, true), {0, 4}), Picture());
    EXPECT_EQ(Resize(Filled(16, 4, true), {16, 0}), Picture());

    Picture shortBytes = Filled(16, 4, true);
    shortBytes.bytes.resize(2 * 2);  // rows 2 and 3 are missing: white
    const Picture out = Resize(shortBytes, {16, 4});
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(out.Black(0, y), y < 2);
}

}  // namespace
}  // namespace pictoma
