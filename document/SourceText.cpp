#include "SourceText.h"

#include <cstdio>

#include "mono.h"

namespace pictoma {

namespace {

void AppendHex(std::string& text, std::uint8_t v) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text += "0x";
    text += kDigits[v >> 4];
    text += kDigits[v & 15];
}

void AppendFormat(std::string& text, const char* format, int value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, value);
    text += buf;
}

}  // namespace

std::string MakeSaveTextC(std::span<const std::uint8_t> bytes, int width) {
    const std::size_t bpr = std::size_t(mono::BytesPerRow(width > 0 ? width : 1));
    std::string text = "str[]={";
    text.reserve(7 + bytes.size() * 5 + bytes.size() / bpr * 2 + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendHex(text, ReverseBits(bytes[i]));
        const bool last = i + 1 == bytes.size();
        text += last ? '}' : ',';
        if (!last && (i + 1) % bpr == 0) text += "\r\n";
    }
    if (bytes.empty()) text += '}';
    return text;
}

std::string MakeSaveTextBasic(std::span<const std::uint8_t> bytes, int width) {
    const std::size_t bpr = std::size_t(mono::BytesPerRow(width > 0 ? width : 1));
    std::string text = "str0$=";
    text.reserve(6 + bytes.size() * 9 + bytes.size() / bpr * 12);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendFormat(text, "chr$(%d)", ReverseBits(bytes[i]));
        if (i + 1 == bytes.size()) break;
        if ((i + 1) % bpr == 0) {
            text += "\r\n";
            AppendFormat(text, "str_%d$=", int((i + 1) / bpr));
        } else {
            text += '+';
        }
    }
    return text;
}

}  // namespace pictoma
