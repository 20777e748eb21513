#pragma once
// Row-wise helpers on the monochrome layout that mono.h does not have yet: packing a row of
// decisions and reaching a row's bytes. Built only from mono.h's helpers.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "mono.h"

namespace pictoma::monorows {

// The first byte of row y of `picture` (0-based).
inline std::uint8_t* RowOf(Picture& picture, int y) {
    return picture.bytes.data() + mono::IndexOf(0, y, picture.width);
}

// Writes one row of `width` pixels: pixel x is black when black(x) is true. black is called once
// for each x, in increasing order, so a stateful decision (error diffusion) may be passed. Bits
// after the last pixel of the last byte are left clear.
template <class Black>
inline void PackRow(std::uint8_t* row, int width, Black&& black) {
    const int bytes = mono::BytesPerRow(width);
    for (int c = 0; c < bytes; ++c) {
        const int first = mono::FirstColumnOf(c);
        const int end = std::min(width, mono::FirstColumnOf(c + 1));
        std::uint8_t out = 0;
        for (int x = first; x < end; ++x)
            // Without a branch: dithered decisions are too irregular to predict.
            out = std::uint8_t(out | mono::MaskOf(x) * unsigned(bool(black(x))));
        row[c] = out;
    }
}

// Writes one row of `width` pixels from decisions[x] (0 white, 1 black; flipped when `invert`).
// On little-endian machines eight decisions become one byte with a single multiplication: byte k
// of the word (pixel k) times 2^(9 (7 - k)) lands on bit 63 - k, so pixel 0 ends in the most
// significant bit of the top byte, as MaskOf(0); no two products share a bit, so nothing carries.
inline void PackDecisions(std::uint8_t* row, int width, const std::uint8_t* decisions,
                          bool invert) {
    constexpr std::uint64_t kSpread = 0x8040201008040201u;
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    int c = 0;
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t flip = invert ? kOnes : 0;
        for (; mono::FirstColumnOf(c + 1) <= width; ++c) {
            std::uint64_t word;
            std::memcpy(&word, decisions + mono::FirstColumnOf(c), sizeof word);
            row[c] = std::uint8_t(((word ^ flip) * kSpread) >> 56);
        }
    }
    const int first = mono::FirstColumnOf(c);
    if (first < width)
        PackRow(row + c, width - first,
                [&](int x) { return (decisions[first + x] != 0) != invert; });
}

}  // namespace pictoma::monorows
