#pragma once
// What the four text forms (Save C and BASIC, Export C and BASIC) have in common: the picture's
// bytes, each bit-reversed (in the terminal's data the leftmost pixel of a byte is its least
// significant bit), written row by row as C hex values or BASIC chr$ values with the form's own
// separators.

#include <string>

#include "mono.h"

namespace pictoma {

// The refusal of Save and Export for a picture larger than the screen (string id 61191).
inline constexpr const char* kMsgFileTooLarge = "File too large to save,please resize or crop it";

enum class SourceValue {
    Hex,  // 0xHH, upper-case digits
    Chr,  // chr$(v), v in decimal
};

struct SourceRowLayout {
    SourceValue value = SourceValue::Hex;
    const char* between = ",";  // between two values of one row
    const char* rowEnd = ",";   // after a row's last value, before the next row
    const char* end = "";       // after the picture's last value
    // The name of the variable that holds row r (BASIC forms: one variable per row), written
    // after rowEnd with "$=" after it; null for the C forms.
    const char* rowVariable = nullptr;
};

// Appends the rows of `picture` to `text` in `layout`. A picture without bytes appends just
// layout.end.
void AppendSourceRows(std::string& text, const Picture& picture, const SourceRowLayout& layout);

// Appends `value` in decimal.
void AppendInt(std::string& text, int value);

}  // namespace pictoma
