#pragma once
// The conversion of one stored row of pixels into one row of the monochrome layout, in the three
// forms of ConvertPath. Internal to the bitmap reader.
//
// Every kernel decides the first n (>= 0) pixels of a row whose bytes at `src` hold at least those
// n pixels (it reads no byte beyond them), and writes mono::BytesPerRow(n) bytes to `dst`, the
// bits after pixel n - 1 in the last byte 0.

#include <array>
#include <cstdint>

#include "Brightness.h"
#include "ConvertPath.h"

namespace pictoma::rows {

// Black or white for each palette index of a 4- or 8-bit file, in two forms: a byte per index
// (1 black), and a bit per index (index 8 k + j is bit j of byte k).
struct PaletteRule {
    std::array<std::uint8_t, 256> black{};
    std::array<std::uint8_t, 32> bits{};

    // Fills `bits` from `black`.
    void MakeBits() {
        for (int k = 0; k < 32; ++k) {
            unsigned byte = 0;
            for (int j = 0; j < 8; ++j)
                byte |= unsigned(black[std::size_t(8 * k + j)] != 0) << j;
            bits[std::size_t(k)] = std::uint8_t(byte);
        }
    }
};

using ColourRow = void (*)(const std::uint8_t* src, int n, std::uint8_t* dst,
                           const ThresholdRule& rule);
using IndexRow = void (*)(const std::uint8_t* src, int n, std::uint8_t* dst,
                          const PaletteRule& rule);
using MonoRow = void (*)(const std::uint8_t* src, int n, std::uint8_t* dst);

struct RowKernels {
    ColourRow rgb24;  // blue, green, red
    ColourRow rgb32;  // blue, green, red, a byte that is ignored
    IndexRow index8;  // a palette index a byte
    MonoRow mono1;    // eight pixels a byte; a clear bit (index 0) is black
};

// The kernels of `path`; a path this build or processor lacks gives the scalar ones.
const RowKernels& KernelsFor(ConvertPath path);

// The scalar kernels, which the vector ones use for the pixels after their last whole vector and
// for the rare vectors that hold a colour whose sum sits exactly at the threshold's limit.
void Rgb24Scalar(const std::uint8_t* src, int n, std::uint8_t* dst, const ThresholdRule& rule);
void Rgb32Scalar(const std::uint8_t* src, int n, std::uint8_t* dst, const ThresholdRule& rule);
void Index8Scalar(const std::uint8_t* src, int n, std::uint8_t* dst, const PaletteRule& rule);
void Mono1Scalar(const std::uint8_t* src, int n, std::uint8_t* dst);

// The vector kernels, or nullptr where this build has none.
const RowKernels* Sse2Kernels();
const RowKernels* Avx2Kernels();

}  // namespace pictoma::rows
