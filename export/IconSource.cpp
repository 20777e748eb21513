#include "IconSource.h"

#include <cstdio>

#include "mono.h"

namespace pictoma {

namespace {

template <class... Args>
void AppendFormat(std::string& text, const char* format, Args... args) {
    char buf[96];
    std::snprintf(buf, sizeof buf, format, args...);
    text += buf;
}

std::size_t RowBytes(int width) {
    return std::size_t(mono::BytesPerRow(width > 0 ? width : 1));
}

}  // namespace

std::string MakeIconSourceC(std::span<const std::uint8_t> bytes, int width, int height, int x,
                            int y) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::size_t bpr = RowBytes(width);
    std::string text = "char icon[]={\r\n";
    text.reserve(15 + bytes.size() * 5 + bytes.size() / bpr * 3 + 48);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t v = ReverseBits(bytes[i]);
        text += "0x";
        text += kDigits[v >> 4];
        text += kDigits[v & 15];
        if (i + 1 == bytes.size())
            text += "};\r\n";
        else if ((i + 1) % bpr == 0)
            text += ", \r\n";
        else
            text += ',';
    }
    AppendFormat(text, "show_image(%d,%d,%d,%d,icon)", x, y, width, height);
    return text;
}

std::string MakeIconSourceBasic(std::span<const std::uint8_t> bytes, int width, int height, int x,
                                int y) {
    const std::size_t bpr = RowBytes(width);
    std::string text = "icon_0$=";
    text.reserve(8 + bytes.size() * 9 + std::size_t(height > 0 ? height : 0) * 48);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendFormat(text, "chr$(%d)", int(ReverseBits(bytes[i])));
        if (i + 1 == bytes.size()) {
            text += "\r\n";
        } else if ((i + 1) % bpr == 0) {
            text += "\r\n";
            AppendFormat(text, "icon_%d$=", int((i + 1) / bpr));
        } else {
            text += '+';
        }
    }
    for (int j = 0; j < height; ++j)
        AppendFormat(text, "show_image(%d,%d,%d,%d,icon_%d$)\r\n", x, y + j, width, 1, j);
    return text;
}

}  // namespace pictoma
