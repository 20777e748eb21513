#include "RowKernels.h"

#include <cstring>

#include "mono.h"

namespace pictoma::rows {

namespace {

template <int BytesPerPixel>
void RgbScalar(const std::uint8_t* src, int n, std::uint8_t* dst, const ThresholdRule& rule) {
    mono::PackRow(dst, n, [&](int x) {
        const std::uint8_t* p = src + BytesPerPixel * x;
        return rule.Black(p[2], p[1], p[0]);
    });
}

}  // namespace

void Rgb24Scalar(const std::uint8_t* src, int n, std::uint8_t* dst, const ThresholdRule& rule) {
    RgbScalar<3>(src, n, dst, rule);
}

void Rgb32Scalar(const std::uint8_t* src, int n, std::uint8_t* dst, const ThresholdRule& rule) {
    RgbScalar<4>(src, n, dst, rule);
}

void Index8Scalar(const std::uint8_t* src, int n, std::uint8_t* dst, const PaletteRule& rule) {
    // Eight table look-ups a byte, without a branch or a loop over the bits.
    const std::uint8_t* black = rule.black.data();
    const int full = mono::FullBytes(n);
    for (int k = 0; k < full; ++k, src += 8)
        dst[k] = std::uint8_t(black[src[0]] << 7 | black[src[1]] << 6 | black[src[2]] << 5 |
                              black[src[3]] << 4 | black[src[4]] << 3 | black[src[5]] << 2 |
                              black[src[6]] << 1 | black[src[7]]);
    if (const int left = mono::LeftoverPixels(n))
        mono::PackRow(dst + full, left, [&](int x) { return black[src[x]] != 0; });
}

void Mono1Scalar(const std::uint8_t* src, int n, std::uint8_t* dst) {
    // Palette index 0 is black: the monochrome byte is the stored byte inverted, eight bytes at
    // a time where they are there.
    const int full = mono::FullBytes(n);
    int k = 0;
    for (; k + 8 <= full; k += 8) {
        std::uint64_t v;
        std::memcpy(&v, src + k, 8);
        v = ~v;
        std::memcpy(dst + k, &v, 8);
    }
    for (; k < full; ++k)
        dst[k] = std::uint8_t(~src[k]);
    if (const int left = mono::LeftoverPixels(n))
        dst[full] = std::uint8_t(~src[full] & mono::LeadingMask(left));
}

const RowKernels& KernelsFor(ConvertPath path) {
    static const RowKernels scalar{Rgb24Scalar, Rgb32Scalar, Index8Scalar, Mono1Scalar};
    const RowKernels* k = nullptr;
    switch (path) {
        case ConvertPath::Scalar:
            break;
        case ConvertPath::Sse2:
            k = Sse2Kernels();
            break;
        case ConvertPath::Avx2:
            if (ConvertPathSupported(ConvertPath::Avx2)) k = Avx2Kernels();
            break;
    }
    return k ? *k : scalar;
}

}  // namespace pictoma::rows
