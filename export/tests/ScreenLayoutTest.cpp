#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "IconSource.h"
#include "ScreenLayout.h"
#include "SourceText.h"

namespace pictoma {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The worked example: 10 x 2, first row only its leftmost pixel black, second row all black.
const Picture kTenByTwo(10, 2, Bytes{0x80, 0x00, 0xFF, 0xC0});

int InkOnScreen(const ScreenLayout& layout) {
    int n = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            n += layout.screen.Black(x, y);
    return n;
}

TEST(ScreenLayout, BothExportFormsDrawTheBytesWhereShowImageSays) {
    for (const std::string& text :
         {MakeIconSourceC(kTenByTwo, 59, 31), MakeIconSourceBasic(kTenByTwo, 59, 31)}) {
        const ScreenResult r = LayOutExportText(text, "export");
        ASSERT_TRUE(r) << r.message();
        const ScreenLayout& s = r.layout();
        EXPECT_TRUE(s.Fits());
        EXPECT_EQ(s.position, (ScreenPosition{59, 31}));
        // Not mirrored (the leftmost pixel stays left), not shifted, nothing more drawn.
        EXPECT_TRUE(s.screen.Black(59, 31));
        EXPECT_FALSE(s.screen.Black(60, 31));
        EXPECT_FALSE(s.screen.Black(58, 32));
        EXPECT_TRUE(s.screen.Black(59, 32));
        EXPECT_TRUE(s.screen.Black(68, 32));
        EXPECT_FALSE(s.screen.Black(69, 32));  // the bits past the width are not drawn
        EXPECT_EQ(InkOnScreen(s), 11);
    }
}

TEST(ScreenLayout, ThePartBeyondTheEdgesIsToldAndNotDrawn) {
    // At (122, 63) six columns and one row fall on the screen.
    const ScreenResult r = LayOutExportText(MakeIconSourceC(kTenByTwo, 122, 63), "export");
    ASSERT_TRUE(r) << r.message();
    const ScreenLayout& s = r.layout();
    EXPECT_FALSE(s.Fits());
    EXPECT_EQ(s.beyondRight, 4);
    EXPECT_EQ(s.beyondBottom, 1);
    EXPECT_EQ(s.beyondLeft, 0);
    EXPECT_EQ(s.beyondTop, 0);
    EXPECT_EQ(InkOnScreen(s), 1);
    EXPECT_EQ(s.CellAt(122, 63), ScreenCell::Ink);
    EXPECT_EQ(s.CellAt(123, 63), ScreenCell::Paper);
    EXPECT_EQ(s.CellAt(129, 63), ScreenCell::BeyondPaper);
    EXPECT_EQ(s.CellAt(122, 64), ScreenCell::BeyondInk);
    EXPECT_EQ(s.CellAt(131, 64), ScreenCell::BeyondInk);
    EXPECT_EQ(s.CellAt(132, 64), ScreenCell::Beyond);
    EXPECT_EQ(s.CellAt(121, 63), ScreenCell::Paper);
    EXPECT_EQ(s.CellAt(-1, 0), ScreenCell::Beyond);

    struct Case {
        int x, y;
        int left, right, top, bottom;
        int ink;
    } cases[] = {
        {0, 0, 0, 0, 0, 0, 11},       {118, 62, 0, 0, 0, 0, 11},  // the last position where it fits
        {119, 62, 0, 1, 0, 0, 10},    {-3, 0, 3, 0, 0, 0, 7},
        {0, -1, 0, 0, 1, 0, 10},      {200, 10, 0, 10, 0, 0, 0},
        {-50, -50, 10, 0, 2, 0, 0},   {INT_MAX, INT_MAX, 0, 10, 0, 2, 0},
        {INT_MIN, 0, 10, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const ScreenLayout s = PlaceOnScreen(kTenByTwo, {c.x, c.y});
        EXPECT_EQ(s.beyondLeft, c.left) << c.x << "," << c.y;
        EXPECT_EQ(s.beyondRight, c.right) << c.x << "," << c.y;
        EXPECT_EQ(s.beyondTop, c.top) << c.x << "," << c.y;
        EXPECT_EQ(s.beyondBottom, c.bottom) << c.x << "," << c.y;
        EXPECT_EQ(InkOnScreen(s), c.ink) << c.x << "," << c.y;
    }
}

TEST(ScreenLayout, AFullScreenPictureFillsTheScreenExactly) {
    Picture p(128, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            p.Set(x, y, (x * 7 + y * 3) % 5 == 0);
    const ScreenResult r = LayOutExportText(MakeIconSourceBasic(p, 0, 0), "export");
    ASSERT_TRUE(r) << r.message();
    EXPECT_TRUE(r.layout().Fits());
    EXPECT_EQ(r.layout().screen, p);
    EXPECT_FALSE(PlaceOnScreen(p, {1, 0}).Fits());
}

TEST(ScreenLayout, ATextWithoutAPositionIsRefused) {
    const ScreenResult r = LayOutExportText(MakeSaveTextC(kTenByTwo), "icon.txt");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.message(), "icon.txt: the text does not draw the picture at one position");
    const ScreenResult bad = LayOutExportText("char icon[]={1};\nshow_image(0,0,8,1,logo)", "x");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.message(), "x, line 2: show_image draws logo, not the array icon");
}

}  // namespace
}  // namespace pictoma
