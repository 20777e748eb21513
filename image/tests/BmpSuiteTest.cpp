// Every file of the public bitmap corpus is either read or refused with one clear message, never a
// crash, a hang or a large allocation (the sanitizer build checks the memory side).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "BmpImage.h"

namespace pictoma {
namespace {

namespace fs = std::filesystem;

// The corpus folder; a run without it is skipped, except in CI, where it must never go missing.
#define REQUIRE_CORPUS(root)                                                                  \
    do {                                                                                      \
        if (!fs::is_directory(root)) {                                                        \
            const char* ci = std::getenv("CI");                                               \
            if (ci && std::string(ci) == "true") FAIL() << "bitmap corpus missing: " << root; \
            GTEST_SKIP() << "bitmap corpus not found beside the checkout";                    \
        }                                                                                     \
    } while (false)

TEST(BmpSuite, EveryFileIsReadOrRefusedWithOneMessage) {
    const fs::path root = PICTOMA_BMPSUITE_DIR;
    REQUIRE_CORPUS(root);

    // Uncompressed files with a 40-byte or larger header at 1/4/8/16/24/32 bits: read.
    const std::set<std::string> mustRead = {
        "g/pal1.bmp",          "g/pal1bg.bmp",      "g/pal1wb.bmp",   "g/pal4.bmp",
        "g/pal4gs.bmp",        "g/pal8-0.bmp",      "g/pal8.bmp",     "g/pal8gs.bmp",
        "g/pal8nonsquare.bmp", "g/pal8topdown.bmp", "g/pal8v4.bmp",   "g/pal8v5.bmp",
        "g/pal8w124.bmp",      "g/pal8w125.bmp",    "g/pal8w126.bmp", "g/rgb16.bmp",
        "g/rgb24.bmp",         "g/rgb24pal.bmp",    "g/rgb32.bmp"};
    // Run-length, bit-field, JPEG and PNG files: refused as compressed.
    const std::set<std::string> mustBeCompressed = {
        "g/pal4rle.bmp",    "g/pal8rle.bmp", "g/rgb16-565.bmp",  "g/rgb16-565pal.bmp",
        "g/rgb16bfdef.bmp", "g/rgb32bf.bmp", "g/rgb32bfdef.bmp", "q/rgb24jpeg.bmp",
        "q/rgb24png.bmp",   "b/badrle.bmp",  "b/badrle4.bmp"};

    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".bmp") continue;
        ++files;
        const std::string name = fs::relative(entry.path(), root).generic_string();
        CBmpImage img;
        img.SetFileName(entry.path().string());
        const Status loaded = img.Load();
        SCOPED_TRACE(name);
        if (loaded) {
            EXPECT_TRUE(img.GetPicture().Consistent());
        } else {
            EXPECT_FALSE(loaded.message().empty());
        }
        if (mustRead.count(name)) {
            EXPECT_TRUE(loaded) << loaded.message();
        }
        if (mustBeCompressed.count(name)) {
            EXPECT_EQ(loaded.message(), kCompressed);
        }
    }
    EXPECT_GT(files, 80);
}

// pal1wb.bmp shows the same picture as pal1.bmp with the palette's two colours swapped, so every
// stored index is the other one: since index 0 is black whatever the palette says, every pixel of
// one comes out inverted in the other.
TEST(BmpSuite, OneBitFilesIgnoreThePaletteColours) {
    const fs::path root = PICTOMA_BMPSUITE_DIR;
    REQUIRE_CORPUS(root);
    CBmpImage a, b;
    a.SetFileName((root / "g/pal1.bmp").string());
    b.SetFileName((root / "g/pal1wb.bmp").string());
    ASSERT_TRUE(a.Load());
    ASSERT_TRUE(b.Load());
    ASSERT_EQ(a.GetSize(), b.GetSize());
    const Picture pa = a.GetPicture(), pb = b.GetPicture();
    const int w = a.GetSize().width;
    std::size_t differing = 0, pixels = 0;
    for (int y = 0; y < a.GetSize().height; ++y)
        for (int x = 0; x < w; ++x) {
            ++pixels;
            differing += pa.Black(x, y) != pb.Black(x, y);
        }
    EXPECT_EQ(differing, pixels);
}

}  // namespace
}  // namespace pictoma
