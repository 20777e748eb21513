#pragma once
// The monochrome pixel layout shared by the whole editor, and the only place that knows how pixels
// sit in bytes: rows top to bottom without padding, BytesPerRow(width) bytes per row, the leftmost
// pixel of each byte in its most significant bit, a set bit black.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictoma {

constexpr int SCREEN_WIDTH = 128;  // the terminal's screen, and the largest picture Save takes
constexpr int SCREEN_HEIGHT = 64;

namespace mono {

constexpr int BytesPerRow(int width) {
    return (width + 7) / 8;
}
constexpr std::size_t ByteCount(int width, int height) {
    return std::size_t(BytesPerRow(width)) * std::size_t(height);
}
// Mask of the pixel in column x (0-based) within its byte: column 0 is the most significant bit.
constexpr std::uint8_t MaskOf(int x) {
    return std::uint8_t(0x80u >> (x & 7));
}
// Index of the byte that holds pixel (x, y), both 0-based.
constexpr std::size_t IndexOf(int x, int y, int width) {
    return std::size_t(y) * std::size_t(BytesPerRow(width)) + std::size_t(x >> 3);
}
// Bit of pixel column x within its byte, as GetBit and SetBit count it (0 = most significant).
constexpr int BitOf(int x) {
    return x & 7;
}
// Byte column (0-based) of pixel column x, and the first pixel column of byte column c.
constexpr int ByteColumnOf(int x) {
    return x >> 3;
}
constexpr int FirstColumnOf(int byteColumn) {
    return byteColumn * 8;
}
// Whole bytes filled by the first n pixels of a row, and the pixels left over for the next byte.
constexpr int FullBytes(int n) {
    return n >> 3;
}
constexpr int LeftoverPixels(int n) {
    return n & 7;
}
// Mask of the first n (0..8) pixels of a byte.
constexpr std::uint8_t LeadingMask(int n) {
    return std::uint8_t(0xFF00u >> n);
}
// Mask of the pixels from column x to the end of its byte, and from the start of its byte
// through column x.
constexpr std::uint8_t FromColumn(int x) {
    return std::uint8_t(MaskOf(x) * 2 - 1);
}
constexpr std::uint8_t ThroughColumn(int x) {
    return std::uint8_t(~(MaskOf(x) - 1));
}

// Packs the decisions black(0) .. black(n - 1) into the bytes of one row, eight pixels a byte;
// the bits after pixel n - 1 in its byte are 0.
template <class Black>
inline void PackRow(std::uint8_t* dst, int n, Black black) {
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        unsigned out = 0;
        for (int k = 0; k < 8; ++k)
            out = (out << 1) | unsigned(bool(black(x + k)));
        *dst++ = std::uint8_t(out);
    }
    if (x < n) {
        unsigned out = 0;
        for (int k = 0; k < 8; ++k)
            out = (out << 1) | unsigned(x + k < n && bool(black(x + k)));
        *dst = std::uint8_t(out);
    }
}

}  // namespace mono

// Bit j (0 = leftmost pixel = most significant bit) of byte b, as 0 or 1.
constexpr int GetBit(std::uint8_t b, int j) {
    return ((b << j) & 0xFF) >> 7;
}

// Byte b with bit j (0 = most significant) set when `on`, cleared otherwise.
constexpr std::uint8_t SetBit(std::uint8_t b, int j, bool on) {
    const std::uint8_t mask = std::uint8_t(0x80u >> j);
    return on ? std::uint8_t(b | mask) : std::uint8_t(b & ~mask);
}

// Byte b with its bit order reversed (bit 7 <-> bit 0, ...): in the terminal's data the leftmost
// pixel of a byte is its least significant bit.
constexpr std::uint8_t ReverseBits(std::uint8_t b) {
    b = std::uint8_t((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = std::uint8_t((b & 0xCC) >> 2 | (b & 0x33) << 2);
    b = std::uint8_t((b & 0xAA) >> 1 | (b & 0x55) << 1);
    return b;
}

// A size in pixels: width (columns) and height (rows).
struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// A monochrome picture by value: its size and its bytes in the layout above.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    Picture() = default;
    Picture(int w, int h) : width(w), height(h), bytes(mono::ByteCount(w, h), 0) {}
    Picture(int w, int h, std::vector<std::uint8_t> b) : width(w), height(h), bytes(std::move(b)) {}

    int BytesPerRow() const { return mono::BytesPerRow(width); }
    bool Consistent() const {
        return width > 0 && height > 0 && bytes.size() == mono::ByteCount(width, height);
    }
    // Pixel (x, y), 0-based; a read outside the picture answers white.
    bool Black(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        return (bytes[mono::IndexOf(x, y, width)] & mono::MaskOf(x)) != 0;
    }
    // Sets pixel (x, y), 0-based; a write outside the picture does nothing.
    void Set(int x, int y, bool black) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        auto& b = bytes[mono::IndexOf(x, y, width)];
        b = black ? std::uint8_t(b | mono::MaskOf(x)) : std::uint8_t(b & ~mono::MaskOf(x));
    }
    bool operator==(const Picture&) const = default;
};

// A picture larger than the terminal's screen: Save and Export refuse it.
constexpr bool TooLargeForScreen(int width, int height) {
    return width > SCREEN_WIDTH || height > SCREEN_HEIGHT;
}

static_assert(mono::BytesPerRow(8) == 1 && mono::BytesPerRow(9) == 2 &&
              mono::BytesPerRow(128) == 16);
static_assert(mono::MaskOf(0) == 0x80 && mono::MaskOf(9) == 0x40);
static_assert(mono::LeadingMask(0) == 0x00 && mono::LeadingMask(3) == 0xE0 &&
              mono::LeadingMask(8) == 0xFF);
static_assert(mono::FromColumn(0) == 0xFF && mono::FromColumn(3) == 0x1F &&
              mono::FromColumn(7) == 0x01);
static_assert(mono::ThroughColumn(0) == 0x80 && mono::ThroughColumn(3) == 0xF0 &&
              mono::ThroughColumn(7) == 0xFF);
static_assert(GetBit(0x80, 0) == 1 && GetBit(0x80, 1) == 0 && GetBit(0x01, 7) == 1);
static_assert(ReverseBits(0x80) == 0x01 && ReverseBits(0xC0) == 0x03 && ReverseBits(0x01) == 0x80);

}  // namespace pictoma
