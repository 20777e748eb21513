#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "CropResizeArgs.h"
#include "Resize.h"

namespace pictoma {
namespace {

using ::testing::HasSubstr;

TEST(CropArg, ParsesFourWholeNumbers) {
    const auto ok = ParseCropArg("8,10,0,0");
    ASSERT_TRUE(ok) << ok.error;
    EXPECT_EQ(*ok.value, (CropArgs{8, 10, 0, 0}));
    EXPECT_TRUE(ParseCropArg("-1,0,8,10"));  // parses; the range check refuses it

    for (const char* bad : {"", "0,0,8", "0,0,8,10,", "0,0,8,10,1", "0, 0,8,10", "a,0,8,10",
                            "+1,0,8,10", "0,,8,10", "0x0,8,10"}) {
        const auto r = ParseCropArg(bad);
        EXPECT_FALSE(r) << bad;
        EXPECT_THAT(r.error, HasSubstr("--crop: expected L,T,R,B")) << bad;
    }
    EXPECT_THAT(ParseCropArg("0,0,8,99999999999").error,
                HasSubstr("--crop: \"99999999999\" is out of range"));
}

TEST(CropArg, AcceptsOnlyWhatTheEditorOffers) {
    const Size picture{128, 64};
    struct Case {
        CropArgs args;
        const char* error;  // a part of the message, or nullptr when accepted
    };
    const Case cases[] = {
        {{0, 0, 8, 10}, nullptr},
        {{128, 64, 120, 0}, nullptr},
        {{0, 0, 7, 10}, "at least 8 pixels wide (|R - L| >= 8), got 0,0,7,10"},
        {{0, 0, 0, 64}, "at least 8 pixels wide"},
        {{-1, 0, 8, 10}, "L and R must lie between 0 and 128, T and B between 0 and 64"},
        {{0, 0, 129, 10}, "between 0 and 128"},
        {{0, 65, 8, 10}, "between 0 and 64 on this 128 x 64 picture, got 0,65,8,10"},
        {{0, 64, 8, 64}, "the selection 0,64,8,64 holds no row of this 128 x 64 picture"},
    };
    for (const Case& c : cases) {
        const std::string error = CheckCropArg(c.args, picture);
        if (c.error == nullptr) {
            EXPECT_EQ(error, "");
        } else {
            EXPECT_THAT(error, HasSubstr(c.error));
            EXPECT_THAT(error, HasSubstr("--crop: "));
        }
    }
}

TEST(CropArg, CropThenResizeAsTheConverterDoes) {
    Picture p(128, 64);
    const auto crop = ParseCropArg("0,0,8,10");
    ASSERT_TRUE(crop);
    ASSERT_EQ(CheckCropArg(*crop.value, {p.width, p.height}), "");
    ASSERT_TRUE(Crop(p, crop.value->Start(), crop.value->End()));
    EXPECT_EQ((Size{p.width, p.height}), (Size{16, 11}));

    const auto size = ParseResizeArg("8x1");
    ASSERT_TRUE(size);
    p = Resize(p, *size.value);
    EXPECT_EQ((Size{p.width, p.height}), (Size{8, 1}));
}

TEST(ResizeArg, ParsesWidthByHeightWithinTheDialogLimits) {
    for (const auto& [text, w, h] :
         {std::tuple{"128x64", 128, 64}, {"8x1", 8, 1}, {"50X7", 50, 7}}) {
        const auto r = ParseResizeArg(text);
        ASSERT_TRUE(r) << text << ": " << r.error;
        EXPECT_EQ(*r.value, (Size{w, h}));
    }
    for (const char* outside : {"7x1", "8x0", "129x64", "128x65", "-8x1", "99999999999x1"}) {
        const auto r = ParseResizeArg(outside);
        EXPECT_FALSE(r) << outside;
        EXPECT_THAT(r.error, HasSubstr("--resize: the width must lie between 8 and 128 and the "
                                       "height between 1 and 64"))
            << outside;
    }
    for (const char* bad : {"", "128", "128*64", "x64", "128x", "128x64x2", " 128x64", "1e2x4"}) {
        const auto r = ParseResizeArg(bad);
        EXPECT_FALSE(r) << bad;
        EXPECT_THAT(r.error, HasSubstr("--resize: expected WxH")) << bad;
    }
}

}  // namespace
}  // namespace pictoma
