#include <gtest/gtest.h>

#include "SourceText.h"

namespace pictoma {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The picture of `width` columns that these bytes make, as many rows as they fill.
Picture Pic(Bytes bytes, int width) {
    const int rows = int(bytes.size()) / mono::BytesPerRow(width);
    return Picture(width, rows, std::move(bytes));
}

TEST(SaveText, WorkedExamples) {
    const Bytes tenByTwo = {0x80, 0x00, 0xFF, 0xC0};
    const std::string c = MakeSaveTextC(Pic(tenByTwo, 10));
    EXPECT_EQ(c, "str[]={0x01,0x00,\r\n0xFF,0x03}");
    EXPECT_EQ(c.size(), 29u);
    const std::string basic = MakeSaveTextBasic(Pic(tenByTwo, 10));
    EXPECT_EQ(basic, "str0$=chr$(1)+chr$(0)\r\nstr_1$=chr$(255)+chr$(3)");
    EXPECT_EQ(basic.size(), 47u);

    const Bytes narrow = {0x80, 0x40, 0xC0};
    EXPECT_EQ(MakeSaveTextC(Pic(narrow, 8)), "str[]={0x01,\r\n0x02,\r\n0x03}");
    EXPECT_EQ(MakeSaveTextBasic(Pic(narrow, 5)),
              "str0$=chr$(1)\r\nstr_1$=chr$(2)\r\nstr_2$=chr$(3)");
}

TEST(SaveText, SingleRowHexCaseAndBitsBeyondTheWidth) {
    // 171 reversed is 0xD5; 0x05 reversed is 0xA0: the letters are upper case, the x lower case.
    EXPECT_EQ(MakeSaveTextC(Pic(Bytes{0xAB, 0x05}, 12)), "str[]={0xD5,0xA0}");
    EXPECT_EQ(MakeSaveTextBasic(Pic(Bytes{0xAB, 0x05}, 12)), "str0$=chr$(213)+chr$(160)");
    EXPECT_EQ(MakeSaveTextC(Pic(Bytes{0x0F}, 3)),
              "str[]={0xF0}");  // bits past width 3 kept as held
}

TEST(SaveText, WhiteSixtyFourSquare) {
    const std::string c = MakeSaveTextC(Pic(Bytes(512, 0), 64));
    std::string want = "str[]={";
    for (int row = 0; row < 64; ++row) {
        for (int i = 0; i < 8; ++i)
            want += (row == 63 && i == 7) ? "0x00}" : "0x00,";
        if (row < 63) want += "\r\n";
    }
    EXPECT_EQ(c, want);
    const std::string basic = MakeSaveTextBasic(Pic(Bytes(512, 0), 64));
    EXPECT_EQ(basic.substr(0, 6), "str0$=");
    EXPECT_NE(basic.find("\r\nstr_63$=chr$(0)+"), std::string::npos);
    EXPECT_EQ(basic.substr(basic.size() - 8), "+chr$(0)");
}

}  // namespace
}  // namespace pictoma
