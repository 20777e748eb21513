#include <gtest/gtest.h>

#include "IntField.h"

namespace pictoma {
namespace {

TEST(IntField, RangePromptFillsBothLimits) {
    EXPECT_EQ(RangePrompt(100, 180), "“请填入一个在100和180之间的整数。”");
    EXPECT_EQ(RangePrompt(-5, 64), "“请填入一个在-5和64之间的整数。”");
}

TEST(IntField, ParsesOrPrompts) {
    const FieldPrompt notInt{kPromptInteger};
    const FieldPrompt range{RangePrompt(100, 180)};
    struct Case {
        const char* text;
        IntFieldResult want;
    } cases[] = {
        {"100", 100},
        {"180", 180},
        {" 125 ", 125},
        {"+130", 130},
        {"0150", 150},
        {"99", range},
        {"181", range},
        {"-120", range},
        {"99999999999999999999999", range},  // an integer, just far too large
        {"", notInt},
        {"   ", notInt},
        {"abc", notInt},
        {"12a", notInt},
        {"1 2", notInt},
        {"+", notInt},
        {"--5", notInt},
        {"1.5", notInt},
        {"\t140\t", 140},
        {"140\n", notInt},  // only blanks and tabs may surround the number
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIntField(c.text, 100, 180), c.want) << c.text;
}

TEST(IntField, NegativeRanges) {
    EXPECT_EQ(ParseIntField("-3", -5, 5), IntFieldResult(-3));
    EXPECT_EQ(ParseIntField("-6", -5, 5), IntFieldResult(FieldPrompt{RangePrompt(-5, 5)}));
}

TEST(IntField, ZeroMustStartWithItsDigit) {
    const IntFieldResult notInt = FieldPrompt{kPromptInteger};
    for (const char* text : {"-0", "+0", " -00 ", "+000"})
        EXPECT_EQ(ParseIntField(text, -5, 5), notInt) << text;
    EXPECT_EQ(ParseIntField(" 00 ", -5, 5), IntFieldResult(0));
    EXPECT_EQ(ParseIntField("-07", -10, 5), IntFieldResult(-7));
}

}  // namespace
}  // namespace pictoma
