// Linux/POSIX-only: FIFOs and getpid.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "BmpBuilder.h"
#include "BmpImage.h"
#include "Convert.h"
#include "IconSource.h"

namespace pictoma {
namespace {

namespace fs = std::filesystem;
using test::Bmp;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Convert(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunConvert(args, out, err);
    return {status, out.str(), err.str()};
}

std::string Slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// 10 x 2, 24 bits: first row only the leftmost pixel black, second row all black (the bytes
// 0x80 0x00 0xFF 0xC0 of the worked examples).
std::string TenByTwo() {
    Bmp bmp(10, 2, 24);
    bmp.pixel = [](int x, int y) { return (y == 1 || x == 0) ? 0u : 0xFFFFFFu; };
    return test::WriteTemp("convert_10x2.bmp", bmp.Bytes());
}

TEST(Convert, EveryFormOfTheWorkedExample) {
    const std::string in = TenByTwo();
    struct Case {
        std::vector<std::string> args;
        std::string want;
    };
    const std::vector<Case> cases = {
        {{in}, "str[]={0x01,0x00,\r\n0xFF,0x03}"},
        {{"-f", "basic", in}, "str0$=chr$(1)+chr$(0)\r\nstr_1$=chr$(255)+chr$(3)"},
        {{"--format=c-export", in},
         "char icon[]={\r\n0x01,0x00, \r\n0xFF,0x03};\r\nshow_image(59,31,10,2,icon)"},
        {{"-f", "basic-export", "-x", "0", "-y", "63", in},
         "icon_0$=chr$(1)+chr$(0)\r\nicon_1$=chr$(255)+chr$(3)\r\n"
         "show_image(0,63,10,1,icon_0$)\r\nshow_image(0,64,10,1,icon_1$)\r\n"},
        {{"-f", "pbm", in}, std::string("P4\n10 2\n\x80\x00\xFF\xC0", 12)},
        // Threshold 255 makes white (255) black too.
        {{"-t", "255", "-f", "pbm", in}, std::string("P4\n10 2\n\xFF\xC0\xFF\xC0", 12)},
    };
    for (const auto& c : cases) {
        const Outcome r = Convert(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.want);
        EXPECT_EQ(r.err, "");
    }
}

TEST(Convert, UsageErrorsNameTheOptionAndItsRange) {
    const std::string in = TenByTwo();
    struct Case {
        std::vector<std::string> args;
        std::string part;
    };
    for (const auto& c : std::vector<Case>{
             {{"-t", "256", in}, "option -t: the threshold must be an integer in 0..255"},
             {{"--threshold", "abc", in}, "option --threshold: the threshold must be an integer"},
             {{"-x", "128", in}, "option -x: x must be an integer in 0..127"},
             {{"-y", "-1", in}, "option -y: y must be an integer in 0..63"},
             {{"-f", "gif", in}, "option -f: the format must be one of"},
             {{"-o"}, "option -o needs a value"},
             {{"--bogus", in}, "unknown option '--bogus'"},
             {{}, "no input file given"},
             {{in, in}, "several inputs need -O DIR"},
         }) {
        const Outcome r = Convert(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.part), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Convert({"--help"}).status, 0);
}

TEST(Convert, UnusableInputTooLargeAndUnwritableOutputExitOne) {
    const std::string text = test::WriteTemp("convert_not.bmp", {'h', 'i'});
    Outcome r = Convert({text});
    EXPECT_EQ(r.status, 1);
    // Not a bitmap and not source text: the import pipeline's decoders are asked, and this build
    // of the test has none.
    EXPECT_EQ(r.err, "pictoma-convert: " + text +
                         ": cannot read this picture (this build decodes bitmaps only)\n");

    r = Convert({"/no/such/file.bmp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("/no/such/file.bmp"), std::string::npos);

    Bmp wide(129, 64, 1);
    wide.palette = test::GreyPalette(2);
    const std::string big = test::WriteTemp("convert_129.bmp", wide.Bytes());
    r = Convert({"-f", "c-export", big});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File too large to save,please resize or crop it"), std::string::npos);
    EXPECT_EQ(Convert({"-f", "pbm", big}).status, 0);  // PBM takes any size

    const std::string dir = ::testing::TempDir() + "convert_out_" + std::to_string(::getpid());
    fs::create_directories(dir);
    const std::string target = dir + "/" + std::string(250, 'o');
    std::ofstream(target) << "old";
    r = Convert({"-o", target, TenByTwo()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(target), std::string::npos);
    EXPECT_EQ(Slurp(target), "old");

    const std::string good = dir + "/icon.txt";
    r = Convert({"--output", good, "-f", "basic", TenByTwo()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Slurp(good), "str0$=chr$(1)+chr$(0)\r\nstr_1$=chr$(255)+chr$(3)");
}

TEST(Convert, CropThenResize) {
    // 128 x 64, all black: --crop 0,0,8,10 keeps byte columns 0..1 and rows 0..10.
    Bmp screen(128, 64, 1);
    screen.palette = test::GreyPalette(2);
    const std::string in = test::WriteTemp("convert_screen.bmp", screen.Bytes());
    Outcome r = Convert({"--crop", "0,0,8,10", "-f", "pbm", in});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "P4\n16 11\n" + std::string(22, '\xFF'));
    // Corners in either order; then the resize to 8 x 2.
    r = Convert({"--crop", "8,10,0,0", "--resize", "8x2", "-f", "pbm", in});
    EXPECT_EQ(r.out, "P4\n8 2\n\xFF\xFF");
    r = Convert({"--resize=128x64", "-f", "c-export", TenByTwo()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("show_image(0,0,128,64,icon)"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        std::string part;
    };
    for (const auto& c : std::vector<Case>{
             {{"--crop", "0,0,4,10", in}, "--crop: the selection must be at least 8"},
             {{"--crop", "0,0,129,10", in}, "--crop: L and R must lie between 0 and 128"},
             {{"--crop", "0,64,8,64", in}, "holds no row"},
             {{"--crop", "1,2,3", in}, "--crop: expected L,T,R,B"},
             {{"--resize", "7x10", in}, "--resize"},
             {{"--resize", "8x65", in}, "--resize"},
         }) {
        r = Convert(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.part), std::string::npos) << r.err;
    }
}

// A PBM of a whole bitmap is written as its rows are decided, in pieces: the bytes are the
// opened picture's, bottom-up and top-down, to standard output and to a file.
TEST(Convert, AWholeBitmapAsPbmIsTheOpenedPictureInEveryWay) {
    const std::string dir = ::testing::TempDir() + "convert_pbm_" + std::to_string(::getpid());
    fs::create_directories(dir);
    for (bool topDown : {false, true}) {
        Bmp bmp(2003, 300, 24);  // 251 bytes a row: the 64 KiB pieces end inside rows
        bmp.topDown = topDown;
        bmp.pixel = [](int x, int y) { return (x * 7 + y * 13) % 5 < 2 ? 0u : 0xFFFFFFu; };
        const std::string in = test::WriteTemp("convert_pbm.bmp", bmp.Bytes());
        CBmpImage image;
        image.SetFileName(in);
        ASSERT_TRUE(image.Load());
        const Picture picture = image.GetPicture();
        const std::string want =
            "P4\n2003 300\n" + std::string(picture.bytes.begin(), picture.bytes.end());
        const Outcome r = Convert({"-f", "pbm", in});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, want) << "top-down " << topDown;
        const std::string file = dir + "/out.pbm";
        ASSERT_EQ(Convert({"-f", "pbm", "-o", file, in}).status, 0);
        EXPECT_EQ(Slurp(file), want) << "top-down " << topDown;
    }
    fs::remove_all(dir);
}

TEST(Convert, StandardInputAndOutputByDash) {
    std::istringstream in(Slurp(TenByTwo()));
    std::ostringstream out, err;
    EXPECT_EQ(RunConvert({"-f", "basic", "-o", "-", "-"}, in, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "str0$=chr$(1)+chr$(0)\r\nstr_1$=chr$(255)+chr$(3)");

    std::istringstream notBmp("hello");
    std::ostringstream out2, err2;
    EXPECT_EQ(RunConvert({"-"}, notBmp, out2, err2), 1);
    EXPECT_EQ(err2.str(),
              "pictoma-convert: standard input: cannot read this picture (this build decodes "
              "bitmaps only)\n");
}

TEST(Convert, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
    const fs::path dir =
        fs::path(::testing::TempDir()) / ("convert_fifo_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path fifo = dir / "pipe.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Outcome r = Convert({fifo.string()});  // would wait for a writer forever if opened
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pictoma-convert: " + fifo.string() + " is not a regular file\n");
    fs::remove_all(dir);
}

TEST(Convert, ATextFormRefusesAHugePictureFromItsHeader) {
    // The header declares 32768 x 16384 pixels (64 MiB converted) but holds no pixel data: the
    // refusal comes before anything is converted; PBM and a resize still take it.
    Bmp huge(8, 1, 1);
    huge.palette = test::GreyPalette(2);
    huge.headerWidth = 32768;
    huge.headerHeight = 16384;
    const std::string path = test::WriteTemp("convert_huge.bmp", huge.Bytes());
    const Outcome r = Convert({path});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pictoma-convert: " + path +
                         ": File too large to save,please resize or crop it (32768 x 16384 "
                         "pixels; at most 128 x 64)\n");
    const Outcome resized = Convert({"--crop", "0,0,4096,4096", "--resize", "128x64", path});
    EXPECT_EQ(resized.status, 0) << resized.err;
}

TEST(Convert, SourceTextIsReadBackInEveryForm) {
    Bmp bmp(10, 2, 24);
    bmp.pixel = [](int x, int y) { return (y == 1 || x == 0) ? 0u : 0xFFFFFFu; };
    const std::string in = test::WriteTemp("convert_src.bmp", bmp.Bytes());
    const Picture tenByTwo(10, 2, {0x80, 0x00, 0xFF, 0xC0});
    for (const char* form : {"c", "basic", "c-export", "basic-export"}) {
        SCOPED_TRACE(form);
        const Outcome text = Convert({"-f", form, "-x", "3", "-y", "4", in});
        ASSERT_EQ(text.status, 0) << text.err;
        const std::string path =
            test::WriteTemp("convert_src.txt", {text.out.begin(), text.out.end()});
        // Back to the Export C form, at the position the text carries when it carries one.
        const Outcome back = Convert({"-f", "c-export", "-x", "3", "-y", "4", path});
        ASSERT_EQ(back.status, 0) << back.err;
        // The Save forms carry only whole bytes: the picture comes back 16 pixels wide.
        const bool saveForm = std::string(form).find("export") == std::string::npos;
        const Picture expected = saveForm ? Picture(16, 2, tenByTwo.bytes) : tenByTwo;
        EXPECT_EQ(back.out, MakeIconSourceC(expected, 3, 4));
    }
    // Rows of different lengths need the size.
    const std::string ragged =
        test::WriteTemp("convert_ragged.txt",
                        {'s', 't', 'r', '[', ']', '=', '{', '1', ',', '2', ',', '\n', '3', '}'});
    Outcome r = Convert({"-f", "pbm", ragged});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("(give it with --size WxH)"), std::string::npos) << r.err;
    r = Convert({"-f", "pbm", "--size", "24x1", ragged});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 8), "P4\n24 1\n");
}

TEST(Convert, CompressedBitmapsPointAtImportAndNeedADecoder) {
    Bmp rle(4, 1, 8);
    rle.compression = 1;
    const std::string in = test::WriteTemp("convert_rle.bmp", rle.Bytes());
    Outcome r = Convert({in});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pictoma-convert: " + in +
                         ": Can't deal with compressed format (use --import to decode it)\n");
    // Without the Qt layer's decoder, --import says why it cannot.
    r = Convert({"--import", in});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(in + ": cannot read this picture"), std::string::npos) << r.err;
}

TEST(Convert, SeveralInputsGoToAFolderAndEachFailsOnItsOwn) {
    const std::string good = TenByTwo();
    const std::string bad = test::WriteTemp("convert_bad.bmp", {'B', 'M', 1});
    EXPECT_EQ(Convert({good, good}).status, 2);  // no -O

    const fs::path dir =
        fs::path(::testing::TempDir()) / ("convert_many_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const Outcome r = Convert({"-O", dir.string(), "-f", "pbm", good, bad});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(bad), std::string::npos);
    const auto written = [&](const std::string& input) {
        return dir / (fs::path(input).stem().string() + ".pbm");
    };
    EXPECT_EQ(Slurp(written(good).string()).substr(0, 8), "P4\n10 2\n");
    EXPECT_FALSE(fs::exists(written(bad)));
    EXPECT_EQ(Convert({"-O", dir.string(), "-o", "x", good}).status, 2);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace pictoma
