// Every conversion path (scalar, SSE2, AVX2) against the literal rule: all colours at chosen
// thresholds, every colour whose exact sum sits at a threshold's limit, and random pictures of
// every bit depth, width and truncation, read from memory and from files.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "BmpBuilder.h"
#include "BmpImage.h"
#include "ConvertPath.h"
#include "Sweep.h"

namespace pictoma {
namespace {

using test::Bmp;

constexpr ConvertPath kPaths[] = {ConvertPath::Scalar, ConvertPath::Sse2, ConvertPath::Avx2};

// The paths this processor can run; the test says which ones it skips.
std::vector<ConvertPath> Paths() {
    std::vector<ConvertPath> paths;
    for (ConvertPath p : kPaths) {
        if (ConvertPathSupported(p))
            paths.push_back(p);
        else
            std::printf("[ note ] %s is not supported here: not tested\n", ConvertPathName(p));
    }
    return paths;
}

// Restores the default path at the end of a test.
struct PathGuard {
    ~PathGuard() { ResetConvertPath(); }
};

int LiteralBrightness(int r, int g, int b) {
    const volatile double v = (0.51 * g + 0.17 * b) + 0.32 * r;
    return int(v);
}

// The seed of the random cases: PICTOMA_TEST_SEED when set, else a fixed one; always printed.
unsigned Seed() {
    const char* env = std::getenv("PICTOMA_TEST_SEED");
    const unsigned seed = env ? unsigned(std::strtoul(env, nullptr, 10)) : 20261210u;
    std::printf("[ seed ] %u (set PICTOMA_TEST_SEED to repeat another)\n", seed);
    return seed;
}

// A 4096-pixel-wide bitmap of every colour of the sweep, 16 rows per red value, with the rule's
// brightness of each pixel kept beside it.
struct AllColours {
    static constexpr int kWidth = 4096;
    std::vector<int> reds;
    std::vector<std::uint8_t> file24, file32, brightness;

    AllColours() {
        for (int r = 0; r < 256; r += test::kSweepStep)
            reds.push_back(r);
        const int height = int(reds.size()) * 16;
        for (int bits : {24, 32}) {
            Bmp bmp(kWidth, height, bits);
            bmp.topDown = true;
            std::vector<std::uint8_t> bytes = bmp.Bytes();  // rows of colour 0 (black)
            const std::size_t off = bytes.size() - std::size_t(kWidth) * height * (bits / 8);
            for (std::size_t i = 0; i < std::size_t(kWidth) * height; ++i) {
                std::uint8_t* p = bytes.data() + off + i * std::size_t(bits / 8);
                p[0] = std::uint8_t(i);                      // blue
                p[1] = std::uint8_t(i >> 8);                 // green
                p[2] = std::uint8_t(reds[i >> 16]);          // red
                if (bits == 32) p[3] = std::uint8_t(i * 7);  // ignored
            }
            (bits == 24 ? file24 : file32) = std::move(bytes);
        }
        brightness.resize(std::size_t(kWidth) * height);
        for (std::size_t i = 0; i < brightness.size(); ++i)
            brightness[i] =
                std::uint8_t(LiteralBrightness(reds[i >> 16], int(i >> 8) & 255, int(i) & 255));
    }
};

TEST(ConvertPath, AllColoursDecideLikeTheLiteralRuleOnEveryPath) {
    PathGuard guard;
    static const AllColours all;
    std::vector<int> thresholds = {0, 100, 124, 125, 126, 180, 255};
    std::mt19937 rng(Seed());
    for (int k = 0; k < 3; ++k)
        thresholds.push_back(int(rng() % 256));
    const std::vector<ConvertPath> paths = Paths();
    const int width = AllColours::kWidth;
    for (int t : thresholds) {
        // The expected picture, packed as the layout packs it.
        const int rows = int(all.brightness.size() / width);
        Picture want(width, rows);
        for (int y = 0; y < rows; ++y)
            mono::PackRow(want.bytes.data() + std::size_t(y) * want.BytesPerRow(), width,
                          [&](int x) { return all.brightness[std::size_t(y) * width + x] <= t; });
        for (ConvertPath path : paths) {
            ASSERT_TRUE(ForceConvertPath(path));
            for (const auto* file : {&all.file24, &all.file32}) {
                CBmpImage img;
                img.SetThreshold(t);
                ASSERT_TRUE(img.LoadFromMemory(*file));
                const Picture got = img.TakePicture();
                if (got == want) continue;
                for (std::size_t i = 0; i < all.brightness.size(); ++i) {
                    const int x = int(i % width), y = int(i / width);
                    if (got.Black(x, y) != want.Black(x, y)) {
                        ADD_FAILURE()
                            << ConvertPathName(path) << " " << (file == &all.file24 ? 24 : 32)
                            << " bits, threshold " << t << ": colour r" << all.reds[i >> 16] << " g"
                            << ((i >> 8) & 255) << " b" << (i & 255);
                        break;
                    }
                }
            }
        }
    }
}

// The colours whose exact sum equals 100 (t + 1), where only the double rule can decide, for
// every threshold (and two beyond the range on each side), in rows whose width puts them at every
// place of a vector and in the scalar rest.
TEST(ConvertPath, ColoursAtTheLimitAreSettledByTheDoubleRule) {
    PathGuard guard;
    int blackTies = 0, whiteTies = 0;
    for (int t = -2; t <= 256; ++t) {
        const int limit = 100 * (t + 1);
        std::vector<std::uint32_t> colours;  // 0xRRGGBB
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const int rest = limit - 51 * g - 17 * b;
                if (rest >= 0 && rest % 32 == 0 && rest / 32 < 256)
                    colours.push_back(std::uint32_t(rest / 32) << 16 | std::uint32_t(g) << 8 |
                                      std::uint32_t(b));
            }
        if (colours.empty()) continue;
        const int width = 77;
        const int height = int((colours.size() + width - 1) / width);
        for (int bits : {24, 32}) {
            Bmp bmp(width, height, bits);
            bmp.pixel = [&](int x, int y) {
                return colours[(std::size_t(y) * width + x) % colours.size()];
            };
            const std::vector<std::uint8_t> bytes = bmp.Bytes();
            for (ConvertPath path : Paths()) {
                ASSERT_TRUE(ForceConvertPath(path));
                CBmpImage img;
                img.SetThreshold(t);
                ASSERT_TRUE(img.LoadFromMemory(bytes));
                const Picture p = img.GetPicture();
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x) {
                        const std::uint32_t c =
                            colours[(std::size_t(y) * width + x) % colours.size()];
                        const bool want =
                            LiteralBrightness(int(c >> 16), int(c >> 8 & 255), int(c & 255)) <= t;
                        ASSERT_EQ(p.Black(x, y), want)
                            << ConvertPathName(path) << " t " << t << " colour " << std::hex << c;
                        if (path == ConvertPath::Scalar && bits == 24 &&
                            y * width + x < int(colours.size()))
                            ++(want ? blackTies : whiteTies);
                    }
            }
        }
    }
    EXPECT_GT(blackTies, 0);
    EXPECT_GT(whiteTies, 0);
}

// The picture the literal rule gives for `bmp` read from `bytes` (possibly cut short): a pixel is
// decided when its data lies wholly in the bytes, white otherwise.
Picture Expected(const Bmp& bmp, const std::vector<std::uint8_t>& bytes, int t) {
    const std::size_t rowData = bmp.RowData();
    const std::size_t row = (rowData + 3) / 4 * 4;
    const std::size_t off = 14 + bmp.infoSize + 4 * bmp.palette.size();
    Picture p(bmp.width, bmp.height);
    for (int y = 0; y < bmp.height; ++y) {
        const std::size_t fileRow = std::size_t(bmp.topDown ? y : bmp.height - 1 - y);
        for (int x = 0; x < bmp.width; ++x) {
            const std::size_t end = bmp.bits == 1   ? std::size_t(x) / 8 + 1
                                    : bmp.bits == 4 ? std::size_t(x) / 2 + 1
                                                    : std::size_t(x + 1) * (bmp.bits / 8);
            if (off + fileRow * row + end > bytes.size()) continue;
            const std::uint32_t v = bmp.pixel(x, y);
            bool black = false;
            switch (bmp.bits) {
                case 1:
                    black = v == 0;
                    break;
                case 4:
                case 8:
                    if (v < bmp.palette.size()) {
                        const auto& e = bmp.palette[v];
                        black = LiteralBrightness(e[2], e[1], e[0]) <= t;
                    }
                    break;
                case 16:
                    black = Brightness555(std::uint16_t(v)) <= t;
                    break;
                default:
                    black = LiteralBrightness(int(v >> 16), int(v >> 8 & 255), int(v & 255)) <= t;
                    break;
            }
            p.Set(x, y, black);
        }
    }
    return p;
}

// Random pictures of every bit depth, of widths around each vector's size, bottom-up and
// top-down, whole and cut short at random places, through every path. Read from memory, so a
// sanitizer build sees any byte read past the end of the data.
TEST(ConvertPath, RandomPicturesOfEveryDepthWidthAndCutMatchTheRule) {
    PathGuard guard;
    std::mt19937 rng(Seed());
    std::vector<int> widths;
    for (int w = 1; w <= 72; ++w)
        widths.push_back(w);
    for (int w : {95, 96, 97, 127, 128, 129, 255, 256, 257})
        widths.push_back(w);
    const std::vector<ConvertPath> paths = Paths();
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (int width : widths) {
            Bmp bmp(width, 3, bits);
            bmp.topDown = rng() % 2;
            if (bits <= 8) {
                // A random palette, sometimes shorter than the indices reach.
                const int entries = bits == 1 ? 2 : int(rng() % (1u << bits)) + 1;
                for (int i = 0; i < entries; ++i)
                    bmp.palette.push_back(
                        {std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng()), 0});
                bmp.clrUsed = std::uint32_t(entries);
            }
            std::vector<std::uint32_t> values(std::size_t(width) * 3);
            // Mostly greys near the threshold, so that decisions are close calls.
            for (auto& v : values) {
                const std::uint32_t grey = 110 + rng() % 30;
                v = bits <= 8    ? std::uint32_t(rng() % (1u << bits))
                    : bits == 16 ? std::uint32_t(rng() & 0xFFFF)
                    : rng() % 2  ? grey * 0x010101u ^ (rng() % 4)
                                 : std::uint32_t(rng() & 0xFFFFFF);
            }
            bmp.pixel = [&](int x, int y) { return values[std::size_t(y) * width + x]; };
            std::vector<std::uint8_t> whole = bmp.Bytes();
            const int t = 100 + int(rng() % 60);
            for (int cut = 0; cut < 3; ++cut) {
                std::vector<std::uint8_t> bytes = whole;
                const std::size_t data = 14 + bmp.infoSize + 4 * bmp.palette.size();
                if (cut > 0) bytes.resize(data + rng() % (whole.size() - data));
                const Picture want = Expected(bmp, bytes, t);
                for (ConvertPath path : paths) {
                    ASSERT_TRUE(ForceConvertPath(path));
                    CBmpImage img;
                    img.SetThreshold(t);
                    ASSERT_TRUE(img.LoadFromMemory(bytes));
                    ASSERT_EQ(img.GetPicture(), want)
                        << ConvertPathName(path) << " " << bits << " bits, width " << width
                        << (bmp.topDown ? " top-down" : " bottom-up") << ", " << bytes.size()
                        << " of " << whole.size() << " bytes";
                }
            }
        }
    }
}

// A file larger than the read buffer, walked forwards (top-down) and backwards (bottom-up), whole
// and cut short, converts as the same bytes do from memory.
TEST(ConvertPath, FilesReadThroughTheBufferMatchMemory) {
    Bmp bmp(700, 211, 24);  // 2100 bytes a row, about 440 KB: two buffer-fulls and a half
    bmp.pixel = [](int x, int y) {
        return std::uint32_t(x * 2654435761u ^ y * 40503u) & 0xFFFFFFu;
    };
    for (bool topDown : {false, true}) {
        bmp.topDown = topDown;
        const std::vector<std::uint8_t> whole = bmp.Bytes();
        for (std::size_t size : {whole.size(), whole.size() - 1000, std::size_t(300000)}) {
            const std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + long(size));
            CBmpImage fromMemory, fromFile;
            ASSERT_TRUE(fromMemory.LoadFromMemory(bytes));
            const std::string path = test::WriteTemp("pictoma_buffer.bmp", bytes);
            fromFile.SetFileName(path);
            ASSERT_TRUE(fromFile.Load());
            std::remove(path.c_str());
            EXPECT_EQ(fromFile.GetPicture(), fromMemory.GetPicture())
                << (topDown ? "top-down " : "bottom-up ") << size;
            EXPECT_EQ(fromMemory.GetPicture(), Expected(bmp, bytes, DEFAULT_THRESHOLD));
        }
    }
}

}  // namespace
}  // namespace pictoma
