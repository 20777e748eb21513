#pragma once
// Resize done literally in two steps: enlarge by pixel replication to the least common multiple of
// the old and the new size, then reduce by blocks whose merged pixel is black only when the whole
// block is black. Slow and memory-hungry on purpose; only tests and benchmarks use it.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "mono.h"

namespace pictoma::reference {

// Smallest m >= max(a, b) that both a and b divide, found by counting up; both positive.
inline int LeastCommonMultiple(int a, int b) {
    int m = a > b ? a : b;
    while (m % a != 0 || m % b != 0)
        ++m;
    return m;
}

// Column x's bit index within its byte.
inline int BitOf(int x) {
    return x - mono::FirstColumnOf(mono::ByteColumnOf(x));
}

// Bytes of a width x height picture (`pixels`) enlarged sx times across and sy times down.
inline std::vector<std::uint8_t> Enlarge(const std::vector<std::uint8_t>& pixels, int width,
                                         int height, int sx, int sy) {
    const int bpr = mono::BytesPerRow(width);
    const int bprU = mono::BytesPerRow(width * sx);
    std::vector<std::uint8_t> buffer(pixels.size() * std::size_t(sx) * std::size_t(sy), 0);
    for (int r = 0; r < height; ++r) {
        std::size_t pos = std::size_t(r) * std::size_t(sy) * std::size_t(bprU);
        std::uint8_t out = 0;
        int bit = 0;
        for (int x = 0; x < width; ++x) {
            const int value =
                GetBit(pixels[std::size_t(r) * bpr + std::size_t(mono::ByteColumnOf(x))], BitOf(x));
            for (int k = 0; k < sx; ++k) {
                out = SetBit(out, bit, value != 0);
                if (++bit == 8) {
                    buffer[pos++] = out;
                    out = 0;
                    bit = 0;
                }
            }
        }
        if (bit != 0) buffer[pos] = out;
        const std::size_t first = std::size_t(r) * std::size_t(sy) * std::size_t(bprU);
        for (int t = 1; t < sy; ++t) {
            for (int c = 0; c < bprU; ++c)
                buffer[first + std::size_t(t) * bprU + c] = buffer[first + c];
        }
    }
    return buffer;
}

// Bytes of an enlarged width x height picture reduced by fx across and fy down.
inline std::vector<std::uint8_t> Reduce(const std::vector<std::uint8_t>& pixels, int width,
                                        int height, int fx, int fy) {
    const int bprU = mono::BytesPerRow(width);
    const int newWidth = width / fx;
    const int newHeight = height / fy;
    const int bprN = mono::BytesPerRow(newWidth);
    std::vector<std::uint8_t> buffer(std::size_t(bprN) * std::size_t(newHeight), 0);
    std::vector<std::uint8_t> merged(static_cast<std::size_t>(bprU));
    for (int row = 0; row < newHeight; ++row) {
        for (int c = 0; c < bprU; ++c) {
            std::uint8_t m = 0xFF;
            for (int k = 0; k < fy; ++k) {
                m &= pixels[(std::size_t(row) * fy + k) * std::size_t(bprU) + c];
            }
            merged[c] = m;
        }
        std::size_t pos = std::size_t(row) * std::size_t(bprN);
        const std::size_t rowEnd = pos + std::size_t(bprN);
        const auto store = [&](std::uint8_t out) {
            if (pos >= rowEnd) throw std::logic_error("Reduce wrote past its row");
            buffer[pos++] = out;
        };
        std::uint8_t out = 0;
        int bit = 0;
        int inGroup = 0;
        bool allSet = true;
        for (int i = 0; i < 8 * bprU; ++i) {
            allSet = allSet && GetBit(merged[std::size_t(mono::ByteColumnOf(i))], BitOf(i)) == 1;
            if (++inGroup < fx) continue;
            out = SetBit(out, bit, allSet);
            inGroup = 0;
            allSet = true;
            if (++bit == 8) {
                store(out);
                out = 0;
                bit = 0;
            }
        }
        if (bit != 0) store(out);
    }
    return buffer;
}

// Bytes the enlarged picture of a Resize from `from` to `to` takes: the reference's peak memory.
inline std::size_t IntermediateBytes(Size from, Size to) {
    const int sx = LeastCommonMultiple(to.width, from.width) / from.width;
    const int sy = LeastCommonMultiple(to.height, from.height) / from.height;
    return mono::ByteCount(from.width, from.height) * std::size_t(sx) * std::size_t(sy);
}

// `source` (positive size, consistent bytes) resized to `to` by Enlarge and Reduce.
inline Picture Resize(const Picture& source, Size to) {
    const int lw = LeastCommonMultiple(to.width, source.width);
    const int lh = LeastCommonMultiple(to.height, source.height);
    const std::vector<std::uint8_t> enlarged =
        Enlarge(source.bytes, source.width, source.height, lw / source.width, lh / source.height);
    return Picture(to.width, to.height, Reduce(enlarged, lw, lh, lw / to.width, lh / to.height));
}

}  // namespace pictoma::reference
