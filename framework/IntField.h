#pragma once
// Reading a whole number typed into a dialog field, with the framework's prompts for a value that
// is not a number or lies outside its range. The Qt side (IntFieldQt.h) shows the prompt and puts
// the focus back into the field.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace pictoma {

// The framework's prompts, shown exactly so; the range prompt's %1 and %2 are the limits.
inline constexpr const char* kPromptInteger = "请键入一个整数。";
inline constexpr const char* kPromptRange = "“请填入一个在%1和%2之间的整数。”";

// The range prompt with %1 replaced by `min` and %2 by `max`.
std::string RangePrompt(int min, int max);

// A field's value, or the prompt to show instead.
struct FieldPrompt {
    std::string text;
    bool operator==(const FieldPrompt&) const = default;
};
using IntFieldResult = std::variant<int, FieldPrompt>;

// Reads `text` as a decimal integer: blanks or tabs around it, one leading sign, digits; a zero
// must begin with its digit ("-0" is not an integer). nullopt when it is not one; a long run of
// digits gives a value beyond the int range rather than overflowing.
std::optional<long long> ParseWholeNumber(std::string_view text);

// Reads `text` as a decimal integer (blanks around it and one leading sign allowed) and checks
// min <= value <= max. Anything else gives kPromptInteger; a number outside the range, however
// many digits it has, gives RangePrompt(min, max).
IntFieldResult ParseIntField(std::string_view text, int min, int max);

}  // namespace pictoma
