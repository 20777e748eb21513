// The 128-bit kernels. SSE2 is part of every x86-64 processor, so this file needs no special
// compiler flag; elsewhere it offers nothing and the scalar kernels serve.

#include "RowKernels.h"
#include "VectorIsa.h"

#ifdef PICTOMA_HAVE_SSE2

#include <cstring>

#include "mono.h"

namespace pictoma::rows {

namespace {

constexpr int kBlock = 16;  // pixels decided together: two output bytes

// 100 times the brightness of four pixels held as blue, green, red, ignored in each 32-bit lane:
// the even bytes (blue, red) weighted 17 and 32 in one multiply-add, green (an odd byte, shifted
// down, next to the ignored byte) weighted 51 in another.
inline __m128i Sums(__m128i px) {
    const __m128i blueRed = _mm_and_si128(px, _mm_set1_epi32(0x00FF00FF));
    const __m128i greenRest = _mm_srli_epi16(px, 8);
    return _mm_add_epi32(_mm_madd_epi16(blueRed, _mm_set1_epi32(32 << 16 | 17)),
                         _mm_madd_epi16(greenRest, _mm_set1_epi32(51)));
}

// Four 3-byte pixels in bytes 0..11 spread to one 32-bit lane each (the fourth byte of a lane is
// the next pixel's blue, which Sums ignores).
inline __m128i Spread(__m128i v) {
    // Two pixels in bytes 0..5 to lanes 0 and 1.
    auto pair = [](__m128i p) { return _mm_unpacklo_epi32(p, _mm_srli_epi64(p, 24)); };
    return _mm_unpacklo_epi64(pair(v), pair(_mm_srli_si128(v, 6)));
}

// Decides 16 pixels whose sums are in s0 (pixels 0..3) to s3 (12..15) into two output bytes, the
// first pixel in the most significant bit. False, writing nothing, when a sum is at the limit.
inline bool Decide(__m128i s0, __m128i s1, __m128i s2, __m128i s3, __m128i limit,
                   std::uint8_t* dst) {
    // Each group of four reversed and the groups paired backwards, so that the byte mask below
    // comes out with pixel 0 in bit 7 of the first byte.
    const __m128i w0 = _mm_packs_epi32(_mm_shuffle_epi32(s1, 0x1B), _mm_shuffle_epi32(s0, 0x1B));
    const __m128i w1 = _mm_packs_epi32(_mm_shuffle_epi32(s3, 0x1B), _mm_shuffle_epi32(s2, 0x1B));
    const __m128i ties = _mm_or_si128(_mm_cmpeq_epi16(w0, limit), _mm_cmpeq_epi16(w1, limit));
    if (_mm_movemask_epi8(ties) != 0) return false;
    const __m128i black = _mm_packs_epi16(_mm_cmpgt_epi16(limit, w0), _mm_cmpgt_epi16(limit, w1));
    const unsigned mask = unsigned(_mm_movemask_epi8(black));
    dst[0] = std::uint8_t(mask);
    dst[1] = std::uint8_t(mask >> 8);
    return true;
}

inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void Rgb24(const std::uint8_t* src, int n, std::uint8_t* dst, const ThresholdRule& rule) {
    const __m128i limit = _mm_set1_epi16(std::int16_t(rule.limit));
    int x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        const std::uint8_t* p = src + 3 * x;
        std::uint8_t* out = dst + mono::FullBytes(x);
        // The last four pixels are loaded from 4 bytes earlier, so no load passes byte 47.
        const __m128i s0 = Sums(Spread(Load(p)));
        const __m128i s1 = Sums(Spread(Load(p + 12)));
        const __m128i s2 = Sums(Spread(Load(p + 24)));
        const __m128i s3 = Sums(Spread(_mm_srli_si128(Load(p + 32), 4)));
        if (!Decide(s0, s1, s2, s3, limit, out)) Rgb24Scalar(p, kBlock, out, rule);
    }
    Rgb24Scalar(src + 3 * x, n - x, dst + mono::FullBytes(x), rule);
}

void Rgb32(const std::uint8_t* src, int n, std::uint8_t* dst, const ThresholdRule& rule) {
    const __m128i limit = _mm_set1_epi16(std::int16_t(rule.limit));
    int x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        const std::uint8_t* p = src + 4 * x;
        std::uint8_t* out = dst + mono::FullBytes(x);
        if (!Decide(Sums(Load(p)), Sums(Load(p + 16)), Sums(Load(p + 32)), Sums(Load(p + 48)),
                    limit, out))
            Rgb32Scalar(p, kBlock, out, rule);
    }
    Rgb32Scalar(src + 4 * x, n - x, dst + mono::FullBytes(x), rule);
}

void Mono1(const std::uint8_t* src, int n, std::uint8_t* dst) {
    const int full = mono::FullBytes(n);
    const __m128i ones = _mm_set1_epi32(-1);
    int k = 0;
    for (; k + 16 <= full; k += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), _mm_xor_si128(Load(src + k), ones));
    Mono1Scalar(src + k, n - mono::FirstColumnOf(k), dst + k);
}

}  // namespace

// SSE2 has no byte shuffle to look palette indices up with: 8-bit rows take the scalar table.
const RowKernels* Sse2Kernels() {
    static const RowKernels kernels{Rgb24, Rgb32, Index8Scalar, Mono1};
    return &kernels;
}

}  // namespace pictoma::rows

#else

namespace pictoma::rows {
const RowKernels* Sse2Kernels() {
    return nullptr;
}
}  // namespace pictoma::rows

#endif
