#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "IconSource.h"
#include "SourceReader.h"
#include "SourceText.h"

namespace pictoma {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture whose bytes follow a fixed pseudo-random sequence, bits past the width included
// (they are written as held, so they must come back as held).
Picture Pattern(int width, int height, std::uint32_t seed) {
    Picture p(width, height);
    for (auto& b : p.bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = std::uint8_t(seed >> 24);
    }
    return p;
}

// The pictures every form must give back.
std::vector<Picture> RoundTripPictures() {
    return {
        Picture(1, 1, Bytes{0x80}),
        Picture(10, 2, Bytes{0x80, 0x00, 0xFF, 0xC0}),  // the worked example
        Picture(8, 3, Bytes{0x80, 0x40, 0xC0}),
        Pattern(128, 64, 1),
        Picture(128, 64),  // all white
        Pattern(3, 5, 2),
        Pattern(9, 1, 3),
        Pattern(17, 64, 4),
        Pattern(127, 7, 5),
        Pattern(1, 64, 6),
    };
}

SourceReadResult Read(const std::string& text, std::optional<Size> size = std::nullopt) {
    return ReadSourceText(text, "icon.txt", size);
}

TEST(SourceReader, EveryFormRoundTrips) {
    for (const Picture& p : RoundTripPictures()) {
        SCOPED_TRACE(std::to_string(p.width) + " x " + std::to_string(p.height));
        const int x = 200 - p.width, y = 5;  // kept as written, off the screen or not

        const SourceReadResult exportC = Read(MakeIconSourceC(p, x, y));
        ASSERT_TRUE(exportC) << exportC.message();
        EXPECT_EQ(exportC.source().picture, p);
        EXPECT_EQ(exportC.source().form, SourceForm::ExportC);
        EXPECT_EQ(exportC.source().position, (ScreenPosition{x, y}));

        const SourceReadResult exportBasic = Read(MakeIconSourceBasic(p, x, y));
        ASSERT_TRUE(exportBasic) << exportBasic.message();
        EXPECT_EQ(exportBasic.source().picture, p);
        EXPECT_EQ(exportBasic.source().form, SourceForm::ExportBasic);
        EXPECT_EQ(exportBasic.source().position, (ScreenPosition{x, y}));

        // The Save forms hold whole bytes: the same bytes, the width rounded up to them.
        const Picture whole(mono::FirstColumnOf(p.BytesPerRow()), p.height, p.bytes);
        const SourceReadResult saveC = Read(MakeSaveTextC(p));
        ASSERT_TRUE(saveC) << saveC.message();
        EXPECT_EQ(saveC.source().picture, whole);
        EXPECT_EQ(saveC.source().form, SourceForm::SaveC);
        EXPECT_FALSE(saveC.source().position);

        const SourceReadResult saveBasic = Read(MakeSaveTextBasic(p));
        ASSERT_TRUE(saveBasic) << saveBasic.message();
        EXPECT_EQ(saveBasic.source().picture, whole);
        EXPECT_EQ(saveBasic.source().form, SourceForm::SaveBasic);

        // With the size given, the Save forms give back the picture itself.
        const Size size{p.width, p.height};
        EXPECT_EQ(Read(MakeSaveTextC(p), size).source().picture, p);
        EXPECT_EQ(Read(MakeSaveTextBasic(p), size).source().picture, p);
        EXPECT_EQ(Read(MakeIconSourceC(p, x, y), size).source().picture, p);
    }
}

TEST(SourceReader, HandEditsParse) {
    const Picture tenByTwo(10, 2, Bytes{0x80, 0x00, 0xFF, 0xC0});
    const Picture sixteenByTwo(16, 2, tenByTwo.bytes);
    struct Case {
        const char* what;
        std::string text;
        Picture picture;
        SourceForm form;
        std::optional<ScreenPosition> position;
    } cases[] = {
        {"type, qualifiers, blanks, comments, trailing comma, semicolon",
         "// logo for the start screen\n"
         "const unsigned char logo[] = {\n"
         "    0x01, 0x00,  // top\n"
         "    0xff, 0X03,  /* bottom */\n"
         "};\n",
         sixteenByTwo, SourceForm::SaveC, std::nullopt},
        {"a byte order mark before it", "\xEF\xBB\xBFstr[]={0x01,0x00,\n0xFF,0x03}", sixteenByTwo,
         SourceForm::SaveC, std::nullopt},
        {"decimal and octal values, CR LF", "str[]={1,00,\r\n255,03}", sixteenByTwo,
         SourceForm::SaveC, std::nullopt},
        {"C reads 010 as eight", "b[]={010}", Picture(8, 1, Bytes{ReverseBits(8)}),
         SourceForm::SaveC, std::nullopt},
        {"a lone CR ends a line", "str[]={0x01,0x00,\r0xFF,0x03}", sixteenByTwo, SourceForm::SaveC,
         std::nullopt},
        {"Export C re-wrapped, sized array, semicolons",
         "/* exported */ static const char pic[4] = { 1, 0, 255,\n 3 };\n"
         "show_image( 59 , 31 , 10 , 2 , pic ) ;\n",
         tenByTwo, SourceForm::ExportC, ScreenPosition{59, 31}},
        {"Export C at a negative x",
         "char icon[]={\n0x01,0x00,\n0xFF,0x03};\nshow_image(-3,70,10,2,icon)", tenByTwo,
         SourceForm::ExportC, ScreenPosition{-3, 70}},
        {"BASIC with blanks, hexadecimal, upper case chr$",
         "str0$ = chr$(1) + CHR$(&H0)\n"
         "row1$ = chr$(0xFF) +\n"
         "        chr$(3)\n",
         sixteenByTwo, SourceForm::SaveBasic, std::nullopt},
        {"Export BASIC with other names, comments, semicolons, LF",
         "// icon\n"
         "a$=chr$(1)+chr$(0);\n"
         "b$=chr$(255)+chr$(3); /* last */\n"
         "show_image(4,5,10,1,a$);\n"
         "show_image(4,6,10,1,b$);\n",
         tenByTwo, SourceForm::ExportBasic, ScreenPosition{4, 5}},
        {"Export BASIC rows drawn apart: the picture, no single position",
         "a$=chr$(1)+chr$(0)\r\nb$=chr$(255)+chr$(3)\r\n"
         "show_image(4,5,10,1,a$)\r\nshow_image(9,6,10,1,b$)\r\n",
         tenByTwo, SourceForm::ExportBasic, std::nullopt},
        {"Export BASIC rows in the calls' order",
         "a$=chr$(255)+chr$(3)\r\nb$=chr$(1)+chr$(0)\r\n"
         "show_image(0,0,10,1,b$)\r\nshow_image(0,1,10,1,a$)\r\n",
         tenByTwo, SourceForm::ExportBasic, ScreenPosition{0, 0}},
    };
    for (const Case& c : cases) {
        const SourceReadResult r = Read(c.text);
        ASSERT_TRUE(r) << c.what << ": " << r.message();
        EXPECT_EQ(r.source().picture, c.picture) << c.what;
        EXPECT_EQ(r.source().form, c.form) << c.what;
        EXPECT_EQ(r.source().position, c.position) << c.what;
    }
}

TEST(SourceReader, AGivenSizeReadsRaggedOrReWrappedRows) {
    const Picture tenByTwo(10, 2, Bytes{0x80, 0x00, 0xFF, 0xC0});
    for (const char* text : {"str[]={0x01,0x00,0xFF,\n0x03}", "str[]={0x01,0x00,0xFF,0x03}",
                             "s0$=chr$(1)\ns1$=chr$(0)+chr$(255)+chr$(3)"}) {
        const SourceReadResult r = Read(text, Size{10, 2});
        ASSERT_TRUE(r) << text << ": " << r.message();
        EXPECT_EQ(r.source().picture, tenByTwo) << text;
    }
}

TEST(SourceReader, RefusalsNameTheFileAndTheLine) {
    struct Case {
        std::string text;
        std::string message;
        std::optional<Size> size = std::nullopt;
        bool sizeNeeded = false;
    } cases[] = {
        {"",
         "icon.txt, line 1: expected an array (\"name[] = {\") or a string variable "
         "(\"name$ =\")"},
        {"str[]={0x01,\n0x02,\n,0x03}", "icon.txt, line 3: expected a value or '}'"},
        {"str[]={0x01,\n0x02,", "icon.txt, line 2: expected a value or '}'"},
        {"str[]={0x01 0x02}", "icon.txt, line 1: expected ',' or '}'"},
        {"str[]={-1}", "icon.txt, line 1: expected a value or '}'"},
        {"str[]={\n\n0x100}", "icon.txt, line 3: 0x100 is not a byte (0 to 255)"},
        {"str[]={0x1G}", "icon.txt, line 1: 0x1G is not a number"},
        {"str[]={09}", "icon.txt, line 1: 09 is not a number"},
        {"str[]={99999999999999999999999}",
         "icon.txt, line 1: 99999999999999999999999 is not a byte (0 to 255)"},
        {"str[]={}", "icon.txt, line 1: the array holds no values"},
        {"str={1}", "icon.txt, line 1: expected '['"},
        {"str[]{1}", "icon.txt, line 1: expected '='"},
        {"str[3]={1,2}", "icon.txt, line 1: the array is declared with 3 values but holds 2"},
        {"str[]={1, /* two\nthree", "icon.txt, line 1: the comment \"/*\" is not closed"},
        {"str[]={1,2}\nfoo()", "icon.txt, line 2: expected show_image or the end of the text"},
        {"str[]={0x01,0x00,\r\n0xFF,0x03,0x00}",
         "icon.txt, line 2: 3 values in this row, 2 in the first: the rows differ, so the "
         "picture's size must be given",
         std::nullopt, true},
        {"s0$=chr$(1)+chr$(0)\ns1$=chr$(1)",
         "icon.txt, line 2: 1 value in this row, 2 in "
         "the first: the rows differ, so the picture's "
         "size must be given",
         std::nullopt, true},
        {"str[]={1,2,3}", "icon.txt: 3 values for a 10 × 2 picture", Size{10, 2}},
        {"str[]={1}", "icon.txt: a 0 × 2 picture cannot be read", Size{0, 2}},
        {"char icon[]={\n1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1};\nshow_image(0,0,16,1,icon)",
         "icon.txt: 17 values for a 16 × 1 picture"},
        {"char icon[]={1,2};\nshow_image(0,0,16,1,logo)",
         "icon.txt, line 2: show_image draws logo, not the array icon"},
        {"char icon[]={1,2};\nshow_image(0,0,0,1,icon)",
         "icon.txt, line 2: show_image cannot draw a 0 × 1 picture"},
        {"char icon[]={1,2};\nshow_image(0,0,16,1,icon", "icon.txt, line 2: expected ')'"},
        {"char icon[]={1,2};\nshow_image(0,,16,1,icon)",
         "icon.txt, line 2: expected show_image's y"},
        {"char icon[]={1,2};\nshow_image(0,0,16,1,icon)\nshow_image(0,0,16,1,icon)",
         "icon.txt, line 3: expected the end of the text"},
        {"char icon[]={1,2};\nshow_image(0,0,16,1,icon)",
         "icon.txt: show_image draws a 16 × 1 picture, not the 8 × 2 given", Size{8, 2}},
        {"s$=chr$(1)+\n", "icon.txt, line 2: expected chr$("},
        {"s$=chr$(1)\n5",
         "icon.txt, line 2: expected a string variable (\"name$ =\") or "
         "show_image"},
        {"s$=chr$(256)", "icon.txt, line 1: 256 is not a byte (0 to 255)"},
        {"a$=chr$(1)\nshow_image(0,0,8,1,b$)",
         "icon.txt, line 2: b$ is not assigned before show_image"},
        {"show_image(0,0,8,1,a$)\na$=chr$(1)",
         "icon.txt, line 1: expected an array (\"name[] = {\") or a string variable "
         "(\"name$ =\")"},
        {"a$=chr$(1)+chr$(2)+chr$(3)\nshow_image(0,0,10,1,a$)",
         "icon.txt, line 1: a$ holds 3 values for a row 10 pixels wide"},
        {"a$=chr$(1)\nb$=chr$(1)+chr$(2)\nshow_image(0,0,8,1,a$)\nshow_image(0,1,16,1,b$)",
         "icon.txt, line 4: this row is drawn 16 pixels wide, the first 8"},
        {"a$=chr$(1)\nshow_image(0,0,8,2,a$)",
         "icon.txt, line 2: a string is drawn 1 row high, "
         "not 2"},
    };
    for (const Case& c : cases) {
        const SourceReadResult r = Read(c.text, c.size);
        ASSERT_FALSE(r) << c.text;
        EXPECT_EQ(r.message(), c.message) << c.text;
        EXPECT_EQ(r.sizeNeeded(), c.sizeNeeded) << c.text;
    }
}

TEST(SourceReader, NoHugeAllocationFromAFewCalls) {
    // A wide row drawn by many calls would make a picture far larger than the text.
    std::string text = "a$=chr$(1)";
    for (int i = 1; i < 4096; ++i)
        text += "+chr$(1)";
    text += "\n";
    for (int j = 0; j < 20000; ++j)
        text += "show_image(0," + std::to_string(j) + ",32768,1,a$)\n";
    const SourceReadResult r = Read(text);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.message(), "icon.txt: show_image draws a 32768 × 20000 picture, too large to read");
}

TEST(SourceReader, StartsLikeSourceText) {
    const Picture p(10, 2, Bytes{0x80, 0x00, 0xFF, 0xC0});
    for (const std::string& text : {MakeSaveTextC(p), MakeSaveTextBasic(p),
                                    MakeIconSourceC(p, 1, 2), MakeIconSourceBasic(p, 1, 2),
                                    std::string("\r\n  /* a\n comment */ // more\n x$ = chr$(")})
        EXPECT_TRUE(StartsLikeSourceText(text)) << text;
    EXPECT_TRUE(StartsLikeSourceText("const unsigned char logo [ 32 ] = {"));
    EXPECT_TRUE(StartsLikeSourceText("\xEF\xBB\xBF// UTF-8\nicon_0$=chr$(1)"));
    const std::string bitmap("BM\x36\x04\0\0\0\0\0\0\x36\0\0\0", 14);
    for (const std::string& text :
         {std::string(), bitmap, std::string("P1\n2 2\n0 1\n1 0\n"), std::string("hello world"),
          std::string("/* str[]={1} "), std::string("str[]="), std::string("str0$=\"ab\""),
          std::string("int main() { return 0; }")})
        EXPECT_FALSE(StartsLikeSourceText(text)) << text;
}

}  // namespace
}  // namespace pictoma
