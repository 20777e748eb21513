#include "GreyRows.h"

#include <cstring>

#include "Brightness.h"
#include "Pipeline.h"
#include "VectorIsa.h"

namespace pictoma::greyrows {

void GreyRowScalar(const std::uint8_t* rgba, int width, std::uint8_t bg, std::uint8_t* grey) {
    for (int x = 0; x < width; ++x, rgba += kRgbaBytes) {
        const std::uint8_t a = rgba[3];
        if (a == 255) {  // Composite would give the channels back
            grey[x] = std::uint8_t(Brightness(rgba[0], rgba[1], rgba[2]));
            continue;
        }
        grey[x] = std::uint8_t(Brightness(Composite(rgba[0], a, bg), Composite(rgba[1], a, bg),
                                          Composite(rgba[2], a, bg)));
    }
}

#ifdef PICTOMA_HAVE_SSE2

namespace {

// The brightness of two pixels, in the scalar rule's operations and order.
inline __m128i Brightness2(__m128i r, __m128i g, __m128i b) {
    const __m128d greenBlue = _mm_add_pd(_mm_mul_pd(_mm_set1_pd(0.51), _mm_cvtepi32_pd(g)),
                                         _mm_mul_pd(_mm_set1_pd(0.17), _mm_cvtepi32_pd(b)));
    return _mm_cvttpd_epi32(
        _mm_add_pd(greenBlue, _mm_mul_pd(_mm_set1_pd(0.32), _mm_cvtepi32_pd(r))));
}

// Four pixels a step. Every channel, alpha and product fits in the low 16 bits of its 32-bit lane
// (c a + bg (255 - a) + 127 <= 65152), so the 16-bit multiplies give exact products, and
// floor(x / 255) is the high half of x 32897 shifted by 7.
void GreyRowSse2(const std::uint8_t* rgba, int width, std::uint8_t bg, std::uint8_t* grey) {
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i opaque = _mm_set1_epi32(255);
    const __m128i bgLevel = _mm_set1_epi32(bg);
    const __m128i div = _mm_set1_epi32(32897);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i v =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + std::size_t(x) * kRgbaBytes));
        __m128i r = _mm_and_si128(v, low);
        __m128i g = _mm_and_si128(_mm_srli_epi32(v, 8), low);
        __m128i b = _mm_and_si128(_mm_srli_epi32(v, 16), low);
        const __m128i a = _mm_srli_epi32(v, 24);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, opaque)) != 0xFFFF) {
            const __m128i rest = _mm_add_epi32(_mm_mullo_epi16(bgLevel, _mm_sub_epi32(opaque, a)),
                                               _mm_set1_epi32(127));
            const auto over = [&](__m128i c) {
                const __m128i sum = _mm_add_epi32(_mm_mullo_epi16(c, a), rest);
                return _mm_srli_epi32(_mm_mulhi_epu16(sum, div), 7);
            };
            r = over(r);
            g = over(g);
            b = over(b);
        }
        const __m128i levels = _mm_unpacklo_epi64(
            Brightness2(r, g, b),
            Brightness2(_mm_srli_si128(r, 8), _mm_srli_si128(g, 8), _mm_srli_si128(b, 8)));
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(levels, levels), levels);
        const int four = _mm_cvtsi128_si32(bytes);
        std::memcpy(grey + x, &four, 4);
    }
    GreyRowScalar(rgba + std::size_t(x) * kRgbaBytes, width - x, bg, grey + x);
}

}  // namespace

#endif

#ifdef PICTOMA_HAVE_AVX2

namespace {

constexpr int kBlock = 8;  // pixels a step: one 256-bit load

// floor(x / 255) for 0 <= x <= 65152, the largest c a + bg (255 - a) + 127, as (x 32897) >> 23.
// The product stays below 2^31.
PICTOMA_AVX2 inline __m256i Div255(__m256i x) {
    return _mm256_srli_epi32(_mm256_mullo_epi32(x, _mm256_set1_epi32(32897)), 23);
}

// The brightness of four pixels, in the scalar rule's operations and order:
// (0.51 g + 0.17 b) + 0.32 r, each product and sum rounded to double, then truncated.
PICTOMA_AVX2 inline __m128i Brightness4(__m128i r, __m128i g, __m128i b) {
    const __m256d greenBlue =
        _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(0.51), _mm256_cvtepi32_pd(g)),
                      _mm256_mul_pd(_mm256_set1_pd(0.17), _mm256_cvtepi32_pd(b)));
    return _mm256_cvttpd_epi32(
        _mm256_add_pd(greenBlue, _mm256_mul_pd(_mm256_set1_pd(0.32), _mm256_cvtepi32_pd(r))));
}

PICTOMA_AVX2 void GreyRowAvx2(const std::uint8_t* rgba, int width, std::uint8_t bg,
                              std::uint8_t* grey) {
    const __m256i low = _mm256_set1_epi32(0xFF);
    const __m256i opaque = _mm256_set1_epi32(255);
    const __m256i bgLevel = _mm256_set1_epi32(bg);
    int x = 0;
    for (; x + kBlock <= width; x += kBlock) {
        const __m256i v = _mm256_loadu_si256(
            reinterpret_cast<const __m256i*>(rgba + std::size_t(x) * kRgbaBytes));
        __m256i r = _mm256_and_si256(v, low);
        __m256i g = _mm256_and_si256(_mm256_srli_epi32(v, 8), low);
        __m256i b = _mm256_and_si256(_mm256_srli_epi32(v, 16), low);
        const __m256i a = _mm256_srli_epi32(v, 24);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, opaque)) != -1) {
            // c' = (c a + bg (255 - a) + 127) / 255; an opaque pixel gets its channels back.
            const __m256i rest = _mm256_add_epi32(
                _mm256_mullo_epi32(bgLevel, _mm256_sub_epi32(opaque, a)), _mm256_set1_epi32(127));
            r = Div255(_mm256_add_epi32(_mm256_mullo_epi32(r, a), rest));
            g = Div255(_mm256_add_epi32(_mm256_mullo_epi32(g, a), rest));
            b = Div255(_mm256_add_epi32(_mm256_mullo_epi32(b, a), rest));
        }
        const __m128i first = Brightness4(_mm256_castsi256_si128(r), _mm256_castsi256_si128(g),
                                          _mm256_castsi256_si128(b));
        const __m128i second =
            Brightness4(_mm256_extracti128_si256(r, 1), _mm256_extracti128_si256(g, 1),
                        _mm256_extracti128_si256(b, 1));
        const __m128i levels =
            _mm_packus_epi16(_mm_packs_epi32(first, second), _mm_setzero_si128());
        _mm_storel_epi64(reinterpret_cast<__m128i*>(grey + x), levels);
    }
    GreyRowScalar(rgba + std::size_t(x) * kRgbaBytes, width - x, bg, grey + x);
}

}  // namespace

#endif

GreyRowFn GreyRowFor(ConvertPath path) {
#ifdef PICTOMA_HAVE_AVX2
    if (path == ConvertPath::Avx2) return GreyRowAvx2;
#endif
#ifdef PICTOMA_HAVE_SSE2
    if (path == ConvertPath::Sse2) return GreyRowSse2;
#endif
    (void)path;
    return GreyRowScalar;
}

}  // namespace pictoma::greyrows
