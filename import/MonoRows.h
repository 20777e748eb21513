#pragma once
// Row-wise helpers on the monochrome layout that mono.h does not have yet: packing a row of
// decisions and reaching a row's bytes. Built only from mono.h's helpers.

#include <algorithm>
#include <cstdint>

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

}  // namespace pictoma::monorows
