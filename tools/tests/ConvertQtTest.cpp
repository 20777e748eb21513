// Linux/POSIX-only: getpid.
// The converter with the Qt layer's services: other picture formats imported, PNG written, and
// the screen picture decoded back from what was written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <QBuffer>
#include <QImage>

#include "ConvertQt.h"
#include "IconSource.h"
#include "Pipeline.h"

namespace pictoma {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Convert(const std::vector<std::string>& args) {
    std::istringstream in;
    std::ostringstream out, err;
    const int status = RunConvert(args, in, out, err, QtConvertServices());
    return {status, out.str(), err.str()};
}

// A PNG of a grey ramp across 40 x 20, with a black square in its top left corner.
std::string RampPng(const fs::path& dir) {
    QImage image(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const int v = (x < 8 && y < 8) ? 0 : 60 + 4 * x;
            image.setPixel(x, y, qRgb(v, v, v));
        }
    const fs::path path = dir / "ramp.png";
    EXPECT_TRUE(image.save(QString::fromStdString(path.string())));
    return path.string();
}

Picture FromPng(const std::string& bytes) {
    QImage image;
    EXPECT_TRUE(
        image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()), "png"));
    Picture p(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            p.Set(x, y, qGray(image.pixel(x, y)) < 128);
    return p;
}

class ConvertQt : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / ("convert_qt_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        png = RampPng(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    std::string png;
};

TEST_F(ConvertQt, AnImportedPictureMatchesThePipelineAndItsPngDecodesBack) {
    // The picture the pipeline gives for the same options, computed without the converter.
    std::string error;
    const auto source = QtConvertServices().decode(png, nullptr, error);
    ASSERT_TRUE(source) << error;
    ImportOptions options;
    options.threshold = 140;
    const Picture expected = ImportPicture(*source, options);
    ASSERT_EQ(expected.width, 40);
    EXPECT_TRUE(expected.Black(0, 0));
    EXPECT_FALSE(expected.Black(39, 19));

    const Outcome pbm = Convert({"-t", "140", "-f", "pbm", png});
    ASSERT_EQ(pbm.status, 0) << pbm.err;
    EXPECT_EQ(pbm.out, "P4\n40 20\n" + std::string(expected.bytes.begin(), expected.bytes.end()));

    for (int scale : {1, 3}) {
        const Outcome out =
            Convert({"-t", "140", "-f", "png", "--scale", std::to_string(scale), png});
        ASSERT_EQ(out.status, 0) << out.err;
        const Picture back = FromPng(out.out);
        ASSERT_EQ(back.width, 40 * scale);
        for (int y = 0; y < back.height; ++y)
            for (int x = 0; x < back.width; ++x)
                ASSERT_EQ(back.Black(x, y), expected.Black(x / scale, y / scale)) << x << "," << y;
    }
}

TEST_F(ConvertQt, TheScreenShowsThePictureAtTheExportPosition) {
    const Outcome out =
        Convert({"-t", "140", "-f", "png", "--screen", "-x", "100", "-y", "50", png});
    ASSERT_EQ(out.status, 0) << out.err;
    const Picture screen = FromPng(out.out);
    ASSERT_EQ(screen.width, SCREEN_WIDTH);
    ASSERT_EQ(screen.height, SCREEN_HEIGHT);
    // The black square lands at (100, 50); the rest of the picture runs off the right edge.
    EXPECT_TRUE(screen.Black(100, 50));
    EXPECT_TRUE(screen.Black(107, 57));
    EXPECT_FALSE(screen.Black(99, 50));
    EXPECT_FALSE(screen.Black(100, 49));
    EXPECT_EQ(Convert({"--screen", png}).status, 2);  // only with -f png
}

TEST_F(ConvertQt, UndecodableInputsSayWhyAndManyFilesConvertInOneRun) {
    const fs::path junk = dir / "junk.png";
    std::ofstream(junk) << "not a picture at all";
    const Outcome r = Convert({junk.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("pictoma-convert: " + junk.string() + ": cannot read this picture (", 0),
              0u)
        << r.err;

    const fs::path out = dir / "out";
    fs::create_directories(out);
    std::vector<std::string> args = {"-O", out.string(), "--fit"};
    for (int i = 0; i < 20; ++i) {
        const fs::path copy = dir / ("p" + std::to_string(i) + ".png");
        fs::copy_file(png, copy);
        args.push_back(copy.string());
    }
    EXPECT_EQ(Convert(args).status, 0);
    EXPECT_TRUE(fs::exists(out / "p19.txt"));
}

}  // namespace
}  // namespace pictoma
