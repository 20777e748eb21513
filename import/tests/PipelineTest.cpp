#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "ConvertPath.h"
#include "GreyRows.h"
#include "ImportSession.h"
#include "Pipeline.h"

namespace pictoma {
namespace {

// A source of grey levels (r = g = b = level, opaque): the brightness of a grey is the grey
// itself, so prepared levels show the scaled means directly.
RgbaImage Greys(int w, int h, std::initializer_list<int> levels) {
    RgbaImage img(w, h);
    auto it = levels.begin();
    for (std::size_t i = 0; i < img.pixels.size(); i += 4, ++it)
        img.pixels[i] = img.pixels[i + 1] = img.pixels[i + 2] = std::uint8_t(*it),
        img.pixels[i + 3] = 255;
    return img;
}

RgbaImage Random(int w, int h, unsigned seed) {
    RgbaImage img(w, h);
    std::mt19937 rng(seed);
    for (auto& b : img.pixels)
        b = std::uint8_t(rng());
    return img;
}

// Opaque random greys.
RgbaImage RandomGreys(int w, int h, unsigned seed) {
    RgbaImage img(w, h);
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < img.pixels.size(); i += 4) {
        img.pixels[i] = img.pixels[i + 1] = img.pixels[i + 2] = std::uint8_t(rng());
        img.pixels[i + 3] = 255;
    }
    return img;
}

GreyImage Prepare(const RgbaImage& img, Size target, Background bg = Background::White) {
    RgbaViewRows rows(img.View());
    return PrepareGrey(rows, target, bg);
}

std::vector<int> Levels(const GreyImage& g) {
    return {g.levels.begin(), g.levels.end()};
}

GreyImage Flat(int w, int h, int level) {
    return {w, h, std::vector<std::uint8_t>(std::size_t(w) * h, std::uint8_t(level))};
}

double BlackShare(const Picture& p) {
    int black = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            black += p.Black(x, y);
    return double(black) / (double(p.width) * p.height);
}

TEST(Composite, IntegerFormulaOverEitherBackground) {
    struct Case {
        int c, a, overWhite, overBlack;
    };
    // (c a + bg (255 - a) + 127) / 255
    for (auto k : {Case{200, 255, 200, 200},
                   {200, 0, 255, 0},
                   {200, 128, 227, 100},  // 58112 / 255 = 227.9; 25727 / 255 = 100.9
                   {0, 1, 254, 0},
                   {255, 1, 255, 1},  // 255 + 0 + 127 = 382 / 255 = 1
                   {10, 254, 11, 10}}) {
        RgbaImage img(1, 1);
        img.pixels = {std::uint8_t(k.c), std::uint8_t(k.c), std::uint8_t(k.c), std::uint8_t(k.a)};
        EXPECT_EQ(Prepare(img, {1, 1}).levels[0], k.overWhite) << k.c << "," << k.a;
        EXPECT_EQ(Prepare(img, {1, 1}, Background::Black).levels[0], k.overBlack)
            << k.c << "," << k.a;
    }
}

// Every path's row against the rule written out, on rows whose length leaves a tail after the
// last whole vector: all 16,777,216 opaque colours, and every alpha under each background with
// channels that sweep all values.
TEST(GreyRows, EveryPathGivesTheRuleForEveryColourAndAlpha) {
    constexpr int kWidth = 4093;
    std::vector<std::uint8_t> rgba(std::size_t(kWidth) * kRgbaBytes), grey(kWidth);
    for (ConvertPath path : {ConvertPath::Scalar, ConvertPath::Sse2, ConvertPath::Avx2}) {
        if (!ConvertPathSupported(path)) continue;
        SCOPED_TRACE(ConvertPathName(path));
        const greyrows::GreyRowFn row = greyrows::GreyRowFor(path);
        int wrong = 0;
        // Checks the pixels filled so far, `n` of them, over background `bg`.
        const auto check = [&](int n, std::uint8_t bg) {
            row(rgba.data(), n, bg, grey.data());
            for (int x = 0; x < n; ++x) {
                const std::uint8_t* p = &rgba[std::size_t(x) * kRgbaBytes];
                const int expected =
                    Brightness(Composite(p[0], p[3], bg), Composite(p[1], p[3], bg),
                               Composite(p[2], p[3], bg));
                if (grey[std::size_t(x)] != expected && ++wrong <= 5)
                    ADD_FAILURE() << int(p[0]) << "," << int(p[1]) << "," << int(p[2]) << ","
                                  << int(p[3]) << " over " << int(bg) << ": "
                                  << int(grey[std::size_t(x)]) << " instead of " << expected;
            }
        };
        int n = 0;
        for (std::uint32_t colour = 0; colour < (1u << 24); ++colour) {
            std::uint8_t* p = &rgba[std::size_t(n) * kRgbaBytes];
            p[0] = std::uint8_t(colour >> 16), p[1] = std::uint8_t(colour >> 8);
            p[2] = std::uint8_t(colour), p[3] = 255;
            if (++n == kWidth || colour == (1u << 24) - 1) check(n, 255), n = 0;
        }
        for (int a = 0; a < 255; ++a)
            for (std::uint8_t bg : {std::uint8_t(255), std::uint8_t(0)}) {
                for (int c = 0; c < 256; ++c) {
                    std::uint8_t* p = &rgba[std::size_t(c) * kRgbaBytes];
                    p[0] = std::uint8_t(c), p[1] = std::uint8_t(c * 7 + a);
                    p[2] = std::uint8_t(c * 13 + 3 * a), p[3] = std::uint8_t(a);
                }
                check(256, bg);
                check(251, bg);
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(Scale, AreaWeightedMeansRoundedHalvesUp) {
    // Whole-number factors: the block means. 11.25 -> 11, 0.5 -> 1, 254.75 -> 255.
    EXPECT_EQ(Levels(Prepare(Greys(6, 2,
                                   {10, 11, 0, 1, 255, 254,  //
                                    12, 12, 1, 0, 255, 255}),
                             {3, 1})),
              (std::vector<int>{11, 1, 255}));
    // Three pixels into two: each output covers one and a half, (30 + 90 / 2) / 1.5 = 50 and
    // (90 / 2 + 255) / 1.5 = 200; the same down a column.
    EXPECT_EQ(Levels(Prepare(Greys(3, 1, {30, 90, 255}), {2, 1})), (std::vector<int>{50, 200}));
    EXPECT_EQ(Levels(Prepare(Greys(1, 3, {30, 90, 255}), {1, 2})), (std::vector<int>{50, 200}));
    EXPECT_EQ(Levels(Prepare(Greys(3, 1, {0, 1, 0}), {2, 1})), (std::vector<int>{0, 0}));
    // Enlarging by whole numbers repeats the pixels.
    EXPECT_EQ(Levels(Prepare(Greys(2, 1, {7, 200}), {4, 2})),
              (std::vector<int>{7, 7, 200, 200, 7, 7, 200, 200}));
}

TEST(Scale, ChannelsAreAveragedAfterCompositingAndBeforeBrightness) {
    // Red and black: the red mean 127.5 -> 128 has brightness int(0.32 * 128) = 40, where the
    // mean of the two brightnesses (81, 0) would give 41.
    RgbaImage redBlack(2, 1);
    redBlack.pixels = {255, 0, 0, 255, 0, 0, 0, 255};
    EXPECT_EQ(Prepare(redBlack, {1, 1}).levels[0], 40);
    // Transparent and opaque black over white: 255 and 0 average to 128; averaging the alpha
    // first would give 127.
    RgbaImage clearBlack(2, 1);
    clearBlack.pixels = {0, 0, 0, 0, 0, 0, 0, 255};
    EXPECT_EQ(Prepare(clearBlack, {1, 1}).levels[0], 128);
}

// The separable one-pass scaling against a direct sum over every source pixel's overlap.
TEST(Scale, MatchesDirectAreaSumsForUnevenSizes) {
    struct Case {
        Size source, target;
    };
    for (auto c :
         {Case{{37, 23}, {11, 7}}, {{5, 3}, {13, 8}}, {{40, 9}, {7, 20}}, {{1, 1}, {3, 2}}}) {
        const RgbaImage opaque = RandomGreys(c.source.width, c.source.height, 7);
        std::vector<int> grey;
        for (std::size_t i = 0; i < opaque.pixels.size(); i += 4)
            grey.push_back(opaque.pixels[i]);
        const int W = c.source.width, H = c.source.height, OW = c.target.width,
                  OH = c.target.height;
        std::vector<int> want;
        for (int j = 0; j < OH; ++j)
            for (int i = 0; i < OW; ++i) {
                long long sum = 0;
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x) {
                        const long long ox =
                            std::max(0LL, std::min<long long>((x + 1) * OW, (i + 1) * W) -
                                              std::max<long long>(x * OW, i * W));
                        const long long oy =
                            std::max(0LL, std::min<long long>((y + 1) * OH, (j + 1) * H) -
                                              std::max<long long>(y * OH, j * H));
                        sum += ox * oy * grey[std::size_t(y * W + x)];
                    }
                const long long total = (long long)W * H;
                want.push_back(int((2 * sum + total) / (2 * total)));
            }
        EXPECT_EQ(Levels(Prepare(opaque, c.target)), want)
            << W << "x" << H << " -> " << OW << "x" << OH;
    }
}

TEST(Convert, BlackWhenBrightnessIsAtMostTheThreshold) {
    GreyImage g{3, 1, {0, 125, 126}};
    ImportOptions o;
    EXPECT_EQ(ConvertGrey(g, o), (Picture(3, 1, {0xC0})));
    o.threshold = 0;
    EXPECT_EQ(ConvertGrey(g, o), (Picture(3, 1, {0x80})));
    o.threshold = 255;
    EXPECT_EQ(ConvertGrey(Flat(3, 1, 255), o), (Picture(3, 1, {0xE0})));
    o.threshold = 400;  // clamped to 255
    EXPECT_EQ(ConvertGrey(Flat(3, 1, 255), o), (Picture(3, 1, {0xE0})));
    o.threshold = -1;  // clamped to 0
    EXPECT_EQ(ConvertGrey(g, o), (Picture(3, 1, {0x80})));
}

TEST(Convert, InvertFlipsEveryPixelWithinTheWidthOnly) {
    ImportOptions o;
    o.invert = true;
    // Ten white pixels: all black, and the six bits after them in the last byte stay clear.
    EXPECT_EQ(ConvertGrey(Flat(10, 2, 255), o), (Picture(10, 2, {0xFF, 0xC0, 0xFF, 0xC0})));
    for (Dither d : {Dither::FloydSteinberg, Dither::Atkinson, Dither::Bayer}) {
        const GreyImage g = Prepare(Random(21, 9, 3), {21, 9});
        o.dither = d;
        o.invert = false;
        Picture plain = ConvertGrey(g, o);
        o.invert = true;
        const Picture inverted = ConvertGrey(g, o);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 21; ++x)
                plain.Set(x, y, !plain.Black(x, y));
        EXPECT_EQ(inverted, plain) << DitherName(d);
    }
}

// Three by two at level 100, threshold 125, worked by hand from the definition: row 0 gets
// 100 -> black (e 100), 100 + round(700 / 16) = 144 -> white (e -111),
// 100 + floor((-777 + 8) / 16) = 51 -> black; row 1 gets 100 + floor((300 - 333 + 8) / 16) = 98
// -> black, then 149 -> white, then 63 -> black.
TEST(Dither, FloydSteinbergWorkedExample) {
    ImportOptions o;
    o.dither = Dither::FloydSteinberg;
    EXPECT_EQ(ConvertGrey(Flat(3, 2, 100), o), (Picture(3, 2, {0xA0, 0xA0})));
    // The rounding of the received error: 14/16 rounds to 1 (not 0), -14/16 to -1 (not 0),
    // 40/16 = 2.5 up to 3; each decides the second pixel.
    EXPECT_EQ(ConvertGrey(GreyImage{2, 1, {2, 125}}, o), (Picture(2, 1, {0x80})));
    EXPECT_EQ(ConvertGrey(GreyImage{2, 1, {253, 126}}, o), (Picture(2, 1, {0x40})));
    EXPECT_EQ(ConvertGrey(GreyImage{1, 2, {8, 123}}, o), (Picture(1, 2, {0x80, 0x00})));
}

// The wavefronts of sixteen rows (AVX2) and of eight (SSE2) against the row-by-row scan, on sizes
// around a band's height and its lag, under thresholds at both ends, with random, flat extreme and
// alternating levels (the largest errors).
TEST(Dither, FloydSteinbergBandsEqualTheRowByRowScan) {
    std::mt19937 rng(16);
    for (int w : {1, 2, 3, 14, 15, 16, 17, 30, 31, 32, 33, 100, 257})
        for (int h : {1, 2, 7, 8, 9, 15, 16, 17, 33, 40})
            for (int pattern = 0; pattern < 4; ++pattern) {
                GreyImage grey = Flat(w, h, pattern == 1 ? 0 : 255);
                for (std::size_t i = 0; i < grey.levels.size(); ++i)
                    if (pattern == 0)
                        grey.levels[i] = std::uint8_t(rng());
                    else if (pattern == 3)
                        grey.levels[i] = (i / 3 % 2) ? 255 : 0;
                for (int t : {0, 125, 255})
                    for (bool invert : {false, true}) {
                        ImportOptions o;
                        o.dither = Dither::FloydSteinberg;
                        o.threshold = t;
                        o.invert = invert;
                        ASSERT_TRUE(ForceConvertPath(ConvertPath::Scalar));
                        const Picture scan = ConvertGrey(grey, o);
                        for (ConvertPath path : {ConvertPath::Sse2, ConvertPath::Avx2}) {
                            if (!ForceConvertPath(path)) continue;
                            ASSERT_EQ(ConvertGrey(grey, o), scan)
                                << ConvertPathName(path) << ", " << w << " x " << h << ", pattern "
                                << pattern << ", threshold " << t << ", invert " << invert;
                        }
                        ResetConvertPath();
                    }
            }
}

TEST(Dither, BayerFollowsTheMatrix) {
    // At level 128 with threshold 128 a cell is black when its offset is at most 0, i.e. the
    // matrix entry is below 32.
    ImportOptions o;
    o.dither = Dither::Bayer;
    o.threshold = 128;
    const Picture p = ConvertGrey(Flat(16, 16, 128), o);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(p.Black(x, y), kBayer8[std::size_t(y % 8)][std::size_t(x % 8)] < 32)
                << x << "," << y;
}

struct ShareCase {
    Dither dither;
    int grey;
};

// Each dither keeps the share of black of a flat grey field within 2 % of (255 - grey) / 255.
// Atkinson drops a quarter of the error by design, so it does so only near mid-grey.
TEST(Dither, FlatGreyShareAndDeterminism) {
    std::vector<ShareCase> cases;
    for (int g : {0, 16, 64, 100, 128, 160, 192, 240, 255}) {
        cases.push_back({Dither::FloydSteinberg, g});
        cases.push_back({Dither::Bayer, g});
    }
    for (int g : {116, 128, 140})
        cases.push_back({Dither::Atkinson, g});
    for (auto c : cases) {
        ImportOptions o;
        o.dither = c.dither;
        const GreyImage field = Flat(256, 128, c.grey);
        const Picture p = ConvertGrey(field, o);
        EXPECT_NEAR(BlackShare(p), (255.0 - c.grey) / 255.0, 0.02)
            << DitherName(c.dither) << " at " << c.grey;
        EXPECT_EQ(ConvertGrey(field, o), p);
    }
}

TEST(Dither, WindowIsTheTopLeftOfTheWholeResult) {
    const GreyImage g = Prepare(Random(300, 90, 11), {300, 90});
    for (Dither d : {Dither::None, Dither::FloydSteinberg, Dither::Atkinson, Dither::Bayer}) {
        ImportOptions o;
        o.dither = d;
        o.invert = d == Dither::Atkinson;
        const Picture whole = ConvertGrey(g, o);
        for (Size window :
             {Size{128, 64}, Size{128, 63}, Size{5, 90}, Size{300, 1}, Size{1000, 1000}}) {
            const Picture part = ConvertGreyWindow(g, o, window);
            ASSERT_EQ(part.width, std::min(300, window.width));
            ASSERT_EQ(part.height, std::min(90, window.height));
            for (int y = 0; y < part.height; ++y)
                for (int x = 0; x < part.width; ++x)
                    ASSERT_EQ(part.Black(x, y), whole.Black(x, y))
                        << DitherName(d) << " " << window.width << "x" << window.height << " at "
                        << x << "," << y;
        }
    }
}

// The one-pass import and the two-step (prepare, convert) path give the same picture.
TEST(ImportPicture, StreamingEqualsPreparedThenConverted) {
    const RgbaImage img = Random(200, 150, 5);
    for (SizeMode mode : {SizeMode::Original, SizeMode::Fit, SizeMode::Stretch, SizeMode::Custom}) {
        ImportOptions o;
        o.size = mode;
        o.custom = {33, 250};
        o.dither = Dither::FloydSteinberg;
        o.background = Background::Black;
        RgbaViewRows rows(img.View());
        const Picture streamed = ImportPicture(rows, o);
        const Size target = TargetSize({200, 150}, o);
        ASSERT_EQ(streamed.width, target.width);
        ASSERT_EQ(streamed.height, target.height);
        ASSERT_TRUE(streamed.Consistent());
        EXPECT_EQ(streamed, ConvertGrey(Prepare(img, target, o.background), o));
    }
    RgbaImage empty;
    RgbaViewRows none(empty.View());
    EXPECT_EQ(ImportPicture(none, {}), Picture{});
}

// A source that counts how often it is read.
class CountingSource final : public PictureSource {
public:
    explicit CountingSource(RgbaImage img) : m_raster(std::move(img)) {}
    Size OriginalSize() const override { return m_raster.OriginalSize(); }
    std::unique_ptr<RgbaRows> Rows(Size target) const override {
        ++reads;
        return m_raster.Rows(target);
    }
    mutable int reads = 0;

private:
    RasterSource m_raster;
};

TEST(ImportSession, ReadsTheSourceAgainOnlyForANewSizeOrBackground) {
    auto source = std::make_shared<CountingSource>(Random(400, 300, 9));
    ImportSession session(source);
    ImportOptions o;
    o.size = SizeMode::Fit;
    EXPECT_EQ(session.ResultSize(o), (Size{85, 64}));
    const Picture first = session.Convert(o);
    o.threshold = 90;
    o.dither = Dither::Atkinson;
    o.invert = true;
    const Picture preview = session.Preview(o);
    EXPECT_EQ(source->reads, 1);
    EXPECT_EQ(preview, ImportPicture(*source, o));
    EXPECT_NE(preview, first);
    o.background = Background::Black;
    session.Preview(o);
    o.size = SizeMode::Stretch;
    EXPECT_EQ(session.Convert(o).width, 128);
    EXPECT_EQ(source->reads, 4);  // two here, one for the ImportPicture above
}

}  // namespace
}  // namespace pictoma
