#include "SourceRows.h"

#include <charconv>

namespace pictoma {

void AppendInt(std::string& text, int value) {
    char buf[16];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    text.append(buf, result.ptr);
}

namespace {

void AppendValue(std::string& text, SourceValue form, std::uint8_t v) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (form == SourceValue::Hex) {
        text += "0x";
        text += kDigits[v >> 4];
        text += kDigits[v & 15];
    } else {
        text += "chr$(";
        AppendInt(text, v);
        text += ')';
    }
}

}  // namespace

void AppendSourceRows(std::string& text, const Picture& picture, const SourceRowLayout& layout) {
    const std::size_t bpr = std::size_t(mono::BytesPerRow(picture.width > 0 ? picture.width : 1));
    const std::size_t count = picture.bytes.size();
    text.reserve(text.size() + count * (layout.value == SourceValue::Hex ? 5 : 9) +
                 count / bpr * 16 + 8);
    for (std::size_t i = 0; i < count; ++i) {
        AppendValue(text, layout.value, ReverseBits(picture.bytes[i]));
        if (i + 1 == count) break;
        if ((i + 1) % bpr != 0) {
            text += layout.between;
            continue;
        }
        text += layout.rowEnd;
        if (layout.rowVariable) {
            text += layout.rowVariable;
            AppendInt(text, int((i + 1) / bpr));
            text += "$=";
        }
    }
    text += layout.end;
}

}  // namespace pictoma
