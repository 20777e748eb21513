#include <gtest/gtest.h>

#include "mono.h"

namespace pictoma {
namespace {

TEST(Mono, LayoutAddressesPixelsRowByRowMostSignificantBitFirst) {
    EXPECT_EQ(mono::ByteCount(128, 64), 1024u);
    EXPECT_EQ(mono::BytesPerRow(10), 2);
    // 10 pixels wide: (0,0) is the top bit of byte 0, (8,0) of byte 1, (0,1) of byte 2.
    Picture p(10, 2);
    p.Set(0, 0, true);
    p.Set(8, 0, true);
    p.Set(0, 1, true);
    p.Set(9, 1, true);
    EXPECT_EQ(p.bytes, (std::vector<std::uint8_t>{0x80, 0x80, 0x80, 0x40}));
    EXPECT_TRUE(p.Black(9, 1));
    p.Set(9, 1, false);
    EXPECT_FALSE(p.Black(9, 1));
    // Outside the picture: reads answer white, writes do nothing.
    EXPECT_FALSE(p.Black(10, 0));
    EXPECT_FALSE(p.Black(-1, 0));
    p.Set(0, 2, true);
    EXPECT_EQ(p.bytes.size(), 4u);
}

TEST(Mono, BitOperationsAgreeWithAPlainLoop) {
    for (int b = 0; b < 256; ++b) {
        int reversed = 0;
        for (int i = 0; i < 8; ++i)
            if (b & (1 << i)) reversed |= 0x80 >> i;
        ASSERT_EQ(ReverseBits(std::uint8_t(b)), reversed) << b;
        for (int j = 0; j < 8; ++j) {
            ASSERT_EQ(GetBit(std::uint8_t(b), j), (b >> (7 - j)) & 1);
            ASSERT_EQ(SetBit(std::uint8_t(b), j, true), b | (0x80 >> j));
            ASSERT_EQ(SetBit(std::uint8_t(b), j, false), b & ~(0x80 >> j) & 0xFF);
        }
    }
}

}  // namespace
}  // namespace pictoma
