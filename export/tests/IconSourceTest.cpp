#include <gtest/gtest.h>

#include "IconSource.h"

namespace pictoma {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IconSource, WorkedExample) {
    const Bytes tenByTwo = {0x80, 0x00, 0xFF, 0xC0};
    EXPECT_EQ(MakeIconSourceC(Picture(10, 2, tenByTwo), 59, 31),
              "char icon[]={\r\n"
              "0x01,0x00, \r\n"
              "0xFF,0x03};\r\n"
              "show_image(59,31,10,2,icon)");
    EXPECT_EQ(MakeIconSourceBasic(Picture(10, 2, tenByTwo), 59, 31),
              "icon_0$=chr$(1)+chr$(0)\r\n"
              "icon_1$=chr$(255)+chr$(3)\r\n"
              "show_image(59,31,10,1,icon_0$)\r\n"
              "show_image(59,32,10,1,icon_1$)\r\n");
}

TEST(IconSource, OnePixel) {
    EXPECT_EQ(MakeIconSourceC(Picture(1, 1, Bytes{0x80}), 63, 31),
              "char icon[]={\r\n0x01};\r\nshow_image(63,31,1,1,icon)");
    EXPECT_EQ(MakeIconSourceBasic(Picture(1, 1, Bytes{0x80}), 63, 31),
              "icon_0$=chr$(1)\r\nshow_image(63,31,1,1,icon_0$)\r\n");
}

TEST(IconSource, FullScreenRowsAndValues) {
    Bytes bytes(16 * 64, 0);
    bytes[15] = 0x0C;  // reversed 0x30
    bytes[16] = 0x30;  // reversed 0x0C
    const std::string c = MakeIconSourceC(Picture(128, 64, bytes), 0, 0);
    // 16 values per line; the first line ends ", " CR LF, the last "};" CR LF.
    EXPECT_EQ(
        c.substr(15, 16 * 5 + 3),
        "0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x30, \r\n");
    EXPECT_EQ(c.substr(15 + 83, 5), "0x0C,");
    EXPECT_NE(c.find("0x00};\r\nshow_image(0,0,128,64,icon)"), std::string::npos);

    const std::string basic = MakeIconSourceBasic(Picture(128, 64, bytes), 0, 0);
    EXPECT_NE(basic.find("+chr$(48)\r\nicon_1$=chr$(12)+"), std::string::npos);
    EXPECT_NE(basic.find("\r\nicon_63$="), std::string::npos);
    EXPECT_NE(basic.find("show_image(0,63,128,1,icon_63$)\r\n"), std::string::npos);
    EXPECT_EQ(basic.find("icon_64$"), std::string::npos);
}

TEST(IconSource, NarrowPictureOneValuePerLine) {
    EXPECT_EQ(MakeIconSourceC(Picture(3, 2, Bytes{0x01, 0xE0}), 5, 6),
              "char icon[]={\r\n0x80, \r\n0x07};\r\nshow_image(5,6,3,2,icon)");
    EXPECT_EQ(MakeIconSourceBasic(Picture(3, 2, Bytes{0x00, 0xE0}), 5, 6),
              "icon_0$=chr$(0)\r\nicon_1$=chr$(7)\r\n"
              "show_image(5,6,3,1,icon_0$)\r\nshow_image(5,7,3,1,icon_1$)\r\n");
}

}  // namespace
}  // namespace pictoma
