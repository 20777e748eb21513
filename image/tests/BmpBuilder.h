#pragma once
// Linux/POSIX-only: getpid.
// Builds small bitmap files in memory for the tests: headers, palette and rows as a writer of the
// format lays them out (rows padded to 4 bytes, bottom row first unless top-down).

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace pictoma::test {

struct Bmp {
    Bmp() = default;
    Bmp(int w, int h, int b) : width(w), height(h), bits(b) {}

    int width = 1;
    int height = 1;  // rows; stored as a negative height when topDown
    int bits = 24;
    bool topDown = false;
    std::vector<std::array<std::uint8_t, 4>> palette;  // blue, green, red, reserved
    std::uint32_t clrUsed = 0;
    std::uint32_t compression = 0;
    std::uint32_t infoSize = 40;
    std::optional<std::uint32_t> fileSize;                  // default: the real size
    std::optional<std::uint32_t> offBits;                   // default: right after the palette
    std::optional<std::int32_t> headerWidth, headerHeight;  // default: width, +-height
    std::optional<int> padTo;                               // row alignment; default 4
    // Value of pixel (x, y), 0-based from the top left: a palette index for 1, 4 and 8 bits, the
    // 16-bit word for 16 bits, 0xRRGGBB for 24 and 32 bits.
    std::function<std::uint32_t(int, int)> pixel = [](int, int) { return 0u; };

    std::size_t RowData() const {
        switch (bits) {
            case 1:
                return std::size_t((width + 7) / 8);
            case 4:
                return std::size_t((width + 1) / 2);
            default:
                return (std::size_t(width) * std::size_t(bits) + 7) / 8;
        }
    }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out;
        auto u16 = [&](std::uint32_t v) {
            out.push_back(v & 255);
            out.push_back((v >> 8) & 255);
        };
        auto u32 = [&](std::uint32_t v) {
            u16(v & 0xFFFF);
            u16(v >> 16);
        };
        const int align = padTo.value_or(4);
        const std::size_t row = (RowData() + align - 1) / align * align;
        const std::uint32_t off =
            offBits.value_or(14 + infoSize + 4 * std::uint32_t(palette.size()));
        const std::uint32_t total = off + std::uint32_t(row * std::size_t(height));
        out.push_back('B');
        out.push_back('M');
        u32(fileSize.value_or(total));
        u32(0);
        u32(off);
        u32(infoSize);
        u32(std::uint32_t(headerWidth.value_or(width)));
        u32(std::uint32_t(headerHeight.value_or(topDown ? -height : height)));
        u16(1);
        u16(std::uint32_t(bits));
        u32(compression);
        u32(0);
        u32(2835);
        u32(2835);
        u32(clrUsed);
        u32(0);
        out.resize(14 + infoSize, 0);
        for (auto& e : palette)
            out.insert(out.end(), e.begin(), e.end());
        out.resize(off, 0);
        for (int i = 0; i < height; ++i) {
            const int y = topDown ? i : height - 1 - i;
            std::vector<std::uint8_t> r(row, 0);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = pixel(x, y);
                switch (bits) {
                    case 1:
                        r[x / 8] |= std::uint8_t((v & 1) << (7 - x % 8));
                        break;
                    case 4:
                        r[x / 2] |= std::uint8_t((v & 15) << (x % 2 ? 0 : 4));
                        break;
                    case 8:
                        r[x] = std::uint8_t(v);
                        break;
                    case 16:
                        r[2 * x] = v & 255;
                        r[2 * x + 1] = (v >> 8) & 255;
                        break;
                    case 24:
                    case 32: {
                        const std::size_t p = std::size_t(x) * std::size_t(bits / 8);
                        r[p] = v & 255;              // blue
                        r[p + 1] = (v >> 8) & 255;   // green
                        r[p + 2] = (v >> 16) & 255;  // red
                        if (bits == 32) r[p + 3] = 0xA5;
                        break;
                    }
                    default:
                        break;  // other bit counts: rows of zeros
                }
            }
            out.insert(out.end(), r.begin(), r.end());
        }
        return out;
    }
};

inline std::uint32_t Grey(int v) {
    return std::uint32_t(v) * 0x010101u;
}

// A palette of `n` greys, entry i = grey i * 255 / (n - 1).
inline std::vector<std::array<std::uint8_t, 4>> GreyPalette(int n) {
    std::vector<std::array<std::uint8_t, 4>> p;
    for (int i = 0; i < n; ++i) {
        auto v = std::uint8_t(n == 1 ? 0 : i * 255 / (n - 1));
        p.push_back({v, v, v, 0});
    }
    return p;
}

// Writes bytes to a file and returns its path: under the test's temporary folder, with the process
// id in the name, since CTest runs the cases of one executable as parallel processes.
inline std::string WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::string path = ::testing::TempDir() + std::to_string(::getpid()) + "_" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

}  // namespace pictoma::test
