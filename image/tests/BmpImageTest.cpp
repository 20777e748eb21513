#include <gtest/gtest.h>

#include <cstdio>

#include "BmpBuilder.h"
#include "BmpImage.h"

namespace pictoma {
namespace {

using test::Bmp;
using test::Grey;

// The picture a load produced, as a Picture.
Picture Loaded(const CBmpImage& img) {
    return img.GetPicture();
}

Picture Convert(const Bmp& bmp, int threshold = DEFAULT_THRESHOLD) {
    CBmpImage img;
    img.SetThreshold(threshold);
    const auto bytes = bmp.Bytes();
    const Status loaded = img.LoadFromMemory(bytes);
    EXPECT_TRUE(loaded) << loaded.message();
    return Loaded(img);
}

// Row of a picture as a string of '#' (black) and '.' (white).
std::string Row(const Picture& p, int y) {
    std::string s;
    for (int x = 0; x < p.width; ++x)
        s += p.Black(x, y) ? '#' : '.';
    return s;
}

TEST(BmpImage, NewImageIsTenByTenAtDefaultThresholdWithNoBytes) {
    CBmpImage img;
    EXPECT_EQ(img.GetSize(), (Size{10, 10}));
    EXPECT_EQ(img.GetThreshold(), 125);
    EXPECT_FALSE(img.HasPicture());
    EXPECT_EQ(img.GetPicture(), Picture());
    img.SetThreshold(300);  // no range check
    EXPECT_EQ(img.GetThreshold(), 300);
    img.ResetThreshold();
    EXPECT_EQ(img.GetThreshold(), DEFAULT_THRESHOLD);
}

TEST(BmpImage, PaintPixelSetsOneBitInTheSharedLayout) {
    Bmp white(10, 2, 24);
    white.pixel = [](int, int) { return 0xFFFFFFu; };
    CBmpImage img;
    ASSERT_TRUE(img.LoadFromMemory(white.Bytes()));
    img.PaintPixel(1, 1, 2);
    img.PaintPixel(9, 1, 2);
    img.PaintPixel(10, 2, 2);
    img.PaintPixel(10, 2, 2);  // never clears
    img.PaintPixel(17, 1, 2);  // beyond the row's bytes: ignored
    img.PaintPixel(1, 3, 2);   // beyond the buffer: ignored
    EXPECT_EQ(img.GetPicture().bytes, (std::vector<std::uint8_t>{0x80, 0x80, 0x00, 0x40}));
}

TEST(BmpImage, TwentyFourBitGreysSplitAtTheThreshold) {
    Bmp bmp(256, 1, 24);
    bmp.pixel = [](int x, int) { return Grey(x); };
    for (int t : {100, 125, 180}) {
        const Picture p = Convert(bmp, t);
        for (int v = 0; v < 256; ++v)
            ASSERT_EQ(p.Black(v, 0), v <= t) << "grey " << v << " t " << t;
        EXPECT_EQ(p.bytes.size(), 32u);
    }
}

TEST(BmpImage, PureColoursAgainstThresholds) {
    Bmp bmp(2, 1, 24);
    bmp.pixel = [](int x, int) { return x == 0 ? 0xFF0000u : 0x00FF00u; };  // red 81, green 130
    for (int t = 100; t <= 180; ++t) {
        const Picture p = Convert(bmp, t);
        EXPECT_TRUE(p.Black(0, 0)) << t;
        EXPECT_EQ(p.Black(1, 0), t >= 130) << t;
    }
}

TEST(BmpImage, ThirtyTwoBitsConvertLikeTwentyFourAndIgnoreTheFourthByte) {
    Bmp bmp(13, 7, 24);
    bmp.pixel = [](int x, int y) {
        return std::uint32_t(x * 977 + y * 40503) * 2654435761u & 0xFFFFFF;
    };
    Bmp bmp32 = bmp;
    bmp32.bits = 32;
    EXPECT_EQ(Convert(bmp), Convert(bmp32));
}

TEST(BmpImage, OneBitTakesIndexZeroAsBlackWhateverThePalette) {
    // Palette white first, black second: index-0 pixels still come out black.
    Bmp bmp(9, 8, 1);
    bmp.palette = {{255, 255, 255, 0}, {0, 0, 0, 0}};
    bmp.pixel = [](int x, int y) { return std::uint32_t((x + y) % 3 != 0); };
    const Picture p = Convert(bmp);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(p.Black(x, y), (x + y) % 3 == 0) << x << "," << y;
    // Pixel 9 is the top bit of the row's second byte; the other seven bits stay 0.
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(p.bytes[2 * y + 1] & 0x7F, 0);
}

TEST(BmpImage, FourAndEightBitPalettes) {
    Bmp four(3, 4, 4);
    four.palette = test::GreyPalette(16);
    four.pixel = [](int x, int y) { return std::uint32_t((x * 5 + y * 3) % 16); };
    const Picture p4 = Convert(four);  // grey of index i is 17 i: black up to index 7
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x)
            ASSERT_EQ(p4.Black(x, y), (x * 5 + y * 3) % 16 <= 7);

    Bmp eight(256, 2, 8);
    eight.palette = test::GreyPalette(256);
    eight.pixel = [](int x, int) { return std::uint32_t(x); };
    const Picture p8 = Convert(eight);
    for (int x = 0; x < 256; ++x)
        ASSERT_EQ(p8.Black(x, 1), x <= 125);
}

TEST(BmpImage, PaletteUsesClrUsedEntriesFromBehindALargerInfoHeader) {
    for (std::uint32_t infoSize : {40u, 108u, 124u}) {
        // Two entries only: index 0 white, index 1 black; index 2 has no entry and stays white.
        Bmp bmp(3, 1, 8);
        bmp.palette = {{255, 255, 255, 0}, {0, 0, 0, 0}};
        bmp.clrUsed = 2;
        bmp.infoSize = infoSize;
        bmp.pixel = [](int x, int) { return std::uint32_t(x); };
        EXPECT_EQ(Row(Convert(bmp), 0), ".#.") << infoSize;
    }
}

TEST(BmpImage, SixteenBitPixels) {
    Bmp bmp(4, 1, 16);
    const std::uint32_t words[] = {0x0000, 0x7FFF, 31 << 10, 0x8000 | (16 << 10 | 16 << 5 | 16)};
    bmp.pixel = [&](int x, int) { return words[x]; };
    EXPECT_EQ(Row(Convert(bmp, 125), 0), "#.#.");  // red 81; grey 132 is white at 125
    EXPECT_EQ(Row(Convert(bmp, 132), 0), "#.##");
}

TEST(BmpImage, LastColumnAndTopDownRows) {
    Bmp bmp(17, 3, 24);
    bmp.pixel = [](int x, int y) { return (x == 16 || y == 0) ? 0u : 0xFFFFFFu; };
    for (bool topDown : {false, true}) {
        bmp.topDown = topDown;
        const Picture p = Convert(bmp);
        EXPECT_EQ(Row(p, 0), "#################");
        EXPECT_EQ(Row(p, 1), "................#");
        EXPECT_EQ(Row(p, 2), "................#");
    }
}

TEST(BmpImage, RowsArePaddedToFourBytesUnlessTheFileHoldsExactlyUnpaddedRows) {
    struct Case {
        int width, height, bits;
        std::uint32_t off, size;
        std::int64_t padding;
    };
    // The worked values: 100 x 50 one-bit, 10 x 10 24-bit, 128 x 64 one-bit.
    for (auto c : {Case{100, 50, 1, 62, 862, 3},
                   {10, 10, 24, 54, 374, 2},
                   {128, 64, 1, 62, 1086, 0},
                   {9, 2, 1, 62, 70, 2},
                   {10, 3, 1, 62, 74, 2},
                   {9, 7, 1, 62, 90, 2},
                   // A file size too small to tell: rows padded to 4 bytes.
                   {9, 2, 1, 62, 0, 2},
                   {3, 1, 24, 54, 0, 3},
                   // Data after the pixels (a colour profile) or a size too large: still padded.
                   {10, 10, 24, 54, 374 + 3144, 2},
                   {9, 7, 1, 62, 1090, 2},
                   // Exactly the unpadded rows: no padding.
                   {10, 10, 24, 54, 354, 0},
                   {9, 7, 1, 62, 76, 0}}) {
        Bmp bmp(c.width, c.height, c.bits);
        bmp.offBits = c.off;
        bmp.fileSize = c.size;
        if (c.bits == 1) bmp.palette = test::GreyPalette(2);
        CBmpImage img;
        ASSERT_TRUE(img.LoadFromMemory(bmp.Bytes()));
        EXPECT_EQ(img.GetRowPadding(), c.padding) << c.width << "x" << c.height;
    }
}

TEST(BmpImage, NarrowOneBitPicturesOfFewRowsDecodeRight) {
    // Rounding the padding over the whole picture would skip a byte too many after each row here.
    for (auto [w, h] : {std::pair{9, 2}, {10, 3}, {9, 7}, {15, 5}}) {
        Bmp bmp(w, h, 1);
        bmp.palette = test::GreyPalette(2);
        bmp.pixel = [](int x, int y) { return std::uint32_t((x * 7 + y * 3) % 4 != 0); };
        const Picture p = Convert(bmp);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(p.Black(x, y), (x * 7 + y * 3) % 4 == 0);
    }
}

TEST(BmpImage, DataAfterThePixelsDoesNotShearThePicture) {
    // A colour profile after the pixel array (as writers of 124-byte headers put it), and a
    // file size that is simply too large: both keep the 4-byte row padding.
    Bmp bmp(10, 6, 24);
    bmp.pixel = [](int x, int y) { return x == y ? 0u : 0xFFFFFFu; };
    for (std::uint32_t extra : {3144u, 1000u, 1u}) {
        auto bytes = bmp.Bytes();
        bytes.resize(bytes.size() + extra, 0x5A);
        const std::uint32_t size = std::uint32_t(bytes.size());
        for (int k = 0; k < 4; ++k)
            bytes[2 + k] = std::uint8_t(size >> (8 * k));
        CBmpImage img;
        ASSERT_TRUE(img.LoadFromMemory(bytes));
        const Picture p = Loaded(img);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(p.Black(x, y), x == y) << extra << ": " << x << "," << y;
    }
}

TEST(BmpImage, UnpaddedFileWithMatchingSizeIsReadWithoutSkipping) {
    Bmp bmp(3, 3, 24);
    bmp.padTo = 1;
    bmp.pixel = [](int x, int y) { return x == y ? 0u : 0xFFFFFFu; };
    const Picture p = Convert(bmp);
    EXPECT_EQ(Row(p, 0), "#..");
    EXPECT_EQ(Row(p, 1), ".#.");
    EXPECT_EQ(Row(p, 2), "..#");
}

TEST(BmpImage, TruncatedPixelDataKeepsTheBottomRowsConverted) {
    Bmp bmp(8, 4, 24);
    bmp.pixel = [](int, int) { return 0u; };
    auto bytes = bmp.Bytes();
    bytes.resize(bytes.size() - 24 - 5);  // the top row and part of the one below are missing
    CBmpImage img;
    ASSERT_TRUE(img.LoadFromMemory(bytes));
    const Picture p = Loaded(img);
    EXPECT_EQ(Row(p, 0), "........");
    EXPECT_EQ(Row(p, 1), "######..");  // 19 of 24 bytes: six whole pixels
    EXPECT_EQ(Row(p, 2), "########");
    EXPECT_EQ(Row(p, 3), "########");
}

TEST(BmpImage, PaletteIndexWithoutAnEntryIsWhite) {
    // The header puts the palette far beyond the end of the file: no index has an entry.
    Bmp bmp(4, 1, 8);
    bmp.pixel = [](int x, int) { return std::uint32_t(x); };
    auto bytes = bmp.Bytes();
    bytes[14 + 2] = 0x10;  // biSize 40 + 0x100000
    CBmpImage img;
    ASSERT_TRUE(img.LoadFromMemory(bytes));
    EXPECT_EQ(Row(Loaded(img), 0), "....");
    // More entries declared than 8 bits can index: only 256 are read.
    Bmp many(2, 1, 8);
    many.palette = test::GreyPalette(256);
    many.clrUsed = 0xFFFFFFFF;
    many.pixel = [](int x, int) { return std::uint32_t(x * 255); };
    EXPECT_EQ(Row(Convert(many), 0), "#.");
}

TEST(BmpImage, RefusalsShowOneMessageAndKeepThePreviousPicture) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string text;
    };
    Bmp good(2, 1, 24);
    auto with = [&](auto change) {
        Bmp b = good;
        change(b);
        return b.Bytes();
    };
    const std::vector<Case> cases = {
        {"gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, "Not a bitmap file"},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "Not a bitmap file"},
        {"empty", {}, "Not a bitmap file"},
        {"one byte", {'B'}, "Not a bitmap file"},
        {"rle8", with([](Bmp& b) { b.compression = 1; }), "Can't deal with compressed format"},
        {"rle4", with([](Bmp& b) { b.compression = 2; }), "Can't deal with compressed format"},
        {"bitfields", with([](Bmp& b) { b.compression = 3; }), "Can't deal with compressed format"},
        {"short",
         {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0},
         "The bitmap file is cut short: its headers are incomplete"},
        {"2 bits", with([](Bmp& b) { b.bits = 2; }), "Can't deal with 2 bits per pixel"},
        {"os2 header", with([](Bmp& b) { b.infoSize = 12; }),
         "Can't deal with this kind of bitmap: its info header has 12 bytes, at least 40 are "
         "needed"},
        {"width 0", with([](Bmp& b) { b.headerWidth = 0; }),
         "The bitmap has no usable size (0 x 1 pixels)"},
        {"negative width", with([](Bmp& b) { b.headerWidth = -5; }),
         "The bitmap has no usable size (-5 x 1 pixels)"},
        {"height 0", with([](Bmp& b) { b.headerHeight = 0; }),
         "The bitmap has no usable size (2 x 0 pixels)"},
        {"huge", with([](Bmp& b) {
             b.headerWidth = 2000000000;
             b.headerHeight = 2000000000;
         }),
         "The bitmap is too large to open (2000000000 x 2000000000 pixels): a side may have at "
         "most 32768 pixels"},
        {"most negative height", with([](Bmp& b) { b.headerHeight = INT32_MIN; }),
         "The bitmap is too large to open (2 x 2147483648 pixels): a side may have at most 32768 "
         "pixels"},
        {"over 64 MiB", with([](Bmp& b) {
             b.headerWidth = 32768;
             b.headerHeight = 32768;
         }),
         "The bitmap is too large to open (32768 x 32768 pixels): its black-and-white picture "
         "would take 128 MiB, at most 64 MiB are allowed"},
    };
    Bmp first(3, 2, 24);
    first.pixel = [](int x, int) { return x == 1 ? 0u : 0xFFFFFFu; };
    for (const auto& c : cases) {
        CBmpImage img;
        ASSERT_TRUE(img.LoadFromMemory(first.Bytes()));
        const Picture before = Loaded(img);
        img.SetThreshold(150);
        const Status refused = img.LoadFromMemory(c.bytes);
        EXPECT_FALSE(refused) << c.name;
        EXPECT_EQ(refused.message(), c.text) << c.name;
        EXPECT_EQ(Loaded(img), before) << c.name;
        EXPECT_EQ(img.GetThreshold(), 150) << c.name;
    }
}

TEST(BmpImage, HugeDeclaredSizeWithinLimitsOnATinyFileReadsWhatIsThere) {
    // 30000 x 2000 24-bit declared, a few bytes of data: allowed, converted as far as it goes.
    Bmp bmp(1, 1, 24);
    bmp.headerWidth = 30000;
    bmp.headerHeight = 2000;
    CBmpImage img;
    ASSERT_TRUE(img.LoadFromMemory(bmp.Bytes()));
    EXPECT_EQ(img.GetSize(), (Size{30000, 2000}));
    const Picture p = img.TakePicture();
    EXPECT_EQ(p.bytes.size(), 3750u * 2000u);
    EXPECT_EQ(p.bytes[3750u * 1999u], 0x80);  // the one pixel there (black), bottom row
}

TEST(BmpImage, FileLoadsRereadTheFileAndAMissingFileIsNamed) {
    Bmp bmp(2, 1, 24);
    bmp.pixel = [](int x, int) { return Grey(x == 0 ? 120 : 130); };
    const std::string path = test::WriteTemp("pictoma_reload.bmp", bmp.Bytes());
    CBmpImage img;
    img.SetFileName(path);
    ASSERT_TRUE(img.Load());
    EXPECT_EQ(Row(Loaded(img), 0), "#.");
    img.SetThreshold(130);
    ASSERT_TRUE(img.Load());
    EXPECT_EQ(Row(Loaded(img), 0), "##");

    std::remove(path.c_str());
    img.SetThreshold(100);
    const Status missing = img.Load();
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.message().find(path), std::string::npos);
    EXPECT_EQ(Row(Loaded(img), 0), "##");
}

}  // namespace
}  // namespace pictoma
