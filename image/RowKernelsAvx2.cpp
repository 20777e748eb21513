// The 256-bit kernels, each function compiled for AVX2 on its own (VectorIsa.h); KernelsFor hands
// them out only where the processor has AVX2.

#include "RowKernels.h"
#include "VectorIsa.h"

#ifdef PICTOMA_HAVE_AVX2

#include <cstring>

#include "mono.h"

namespace pictoma::rows {

namespace {

constexpr int kBlock = 32;  // pixels decided together: four output bytes

PICTOMA_AVX2 inline __m256i Load2(const std::uint8_t* low, const std::uint8_t* high) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

// 17 b + 51 g and 32 r of each pixel, after the shuffle has put it as blue, green, red, 0.
PICTOMA_AVX2 inline __m256i PairSums(__m256i v, __m256i shuffle) {
    return _mm256_maddubs_epi16(_mm256_shuffle_epi8(v, shuffle),
                                _mm256_set1_epi32(0x00203311));  // bytes 17, 51, 32, 0
}

// Decides 32 colour pixels, eight groups G0..G7 of four, at `p` (group j at p + Stride * j) into
// four output bytes. Each 128-bit lane takes one group, shuffled to blue, green, red, 0 per pixel
// in reverse order; the multiply-add gives 17 b + 51 g and 32 r per pixel, a second one the
// sum. The lanes are filled so that the packs leave the decisions in
// output order: byte k of the mask holds pixels 8 k + 7 .. 8 k, pixel 8 k in bit 7. False, writing
// nothing, when a sum is at the limit.
template <int Stride>
PICTOMA_AVX2 inline bool Decide(const std::uint8_t* p, __m256i shuffle, __m256i lastShuffle,
                                int lastBack, __m256i limit, std::uint8_t* dst) {
    const __m256i a = PairSums(Load2(p + Stride * 1, p + Stride * 5), shuffle);
    const __m256i b = PairSums(Load2(p + Stride * 0, p + Stride * 4), shuffle);
    const __m256i c = PairSums(Load2(p + Stride * 3, p + Stride * 7 - lastBack), lastShuffle);
    const __m256i d = PairSums(Load2(p + Stride * 2, p + Stride * 6), shuffle);
    // The two halves of each pixel's sum added by a multiply-add with ones, then packed to
    // 16 bits: the same order as a horizontal add, with fewer shuffles.
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i s0 = _mm256_packs_epi32(_mm256_madd_epi16(a, ones),
                                          _mm256_madd_epi16(b, ones));  // G1 G0 | G5 G4
    const __m256i s1 = _mm256_packs_epi32(_mm256_madd_epi16(c, ones),
                                          _mm256_madd_epi16(d, ones));  // G3 G2 | G7 G6
    const __m256i ties =
        _mm256_or_si256(_mm256_cmpeq_epi16(s0, limit), _mm256_cmpeq_epi16(s1, limit));
    if (!_mm256_testz_si256(ties, ties)) return false;
    const __m256i black =
        _mm256_packs_epi16(_mm256_cmpgt_epi16(limit, s0), _mm256_cmpgt_epi16(limit, s1));
    const auto mask = std::uint32_t(_mm256_movemask_epi8(black));
    const std::uint8_t bytes[4] = {std::uint8_t(mask), std::uint8_t(mask >> 8),
                                   std::uint8_t(mask >> 16), std::uint8_t(mask >> 24)};
    std::memcpy(dst, bytes, 4);
    return true;
}

PICTOMA_AVX2 void Rgb24(const std::uint8_t* src, int n, std::uint8_t* dst,
                        const ThresholdRule& rule) {
    // Pixel 3 - i of a group to lane bytes 4 i .. 4 i + 3. The last group is loaded from 4 bytes
    // earlier, so that no load reads past the block's 96 bytes.
#define PICTOMA_GROUP(o)                                                                       \
    9 + o, 10 + o, 11 + o, -1, 6 + o, 7 + o, 8 + o, -1, 3 + o, 4 + o, 5 + o, -1, 0 + o, 1 + o, \
        2 + o, -1
    const __m256i shuffle = _mm256_setr_epi8(PICTOMA_GROUP(0), PICTOMA_GROUP(0));
    const __m256i lastShuffle = _mm256_setr_epi8(PICTOMA_GROUP(0), PICTOMA_GROUP(4));
#undef PICTOMA_GROUP
    const __m256i limit = _mm256_set1_epi16(std::int16_t(rule.limit));
    int x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        const std::uint8_t* p = src + 3 * x;
        std::uint8_t* out = dst + mono::FullBytes(x);
        if (!Decide<12>(p, shuffle, lastShuffle, 4, limit, out)) Rgb24Scalar(p, kBlock, out, rule);
    }
    Rgb24Scalar(src + 3 * x, n - x, dst + mono::FullBytes(x), rule);
}

PICTOMA_AVX2 void Rgb32(const std::uint8_t* src, int n, std::uint8_t* dst,
                        const ThresholdRule& rule) {
#define PICTOMA_GROUP 12, 13, 14, -1, 8, 9, 10, -1, 4, 5, 6, -1, 0, 1, 2, -1
    const __m256i shuffle = _mm256_setr_epi8(PICTOMA_GROUP, PICTOMA_GROUP);
#undef PICTOMA_GROUP
    const __m256i limit = _mm256_set1_epi16(std::int16_t(rule.limit));
    int x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        const std::uint8_t* p = src + 4 * x;
        std::uint8_t* out = dst + mono::FullBytes(x);
        if (!Decide<16>(p, shuffle, shuffle, 0, limit, out)) Rgb32Scalar(p, kBlock, out, rule);
    }
    Rgb32Scalar(src + 4 * x, n - x, dst + mono::FullBytes(x), rule);
}

// 32 palette indices looked up at once in the 256-bit decision table: bits 3..6 of an index pick
// the table byte (two 16-byte shuffles, bit 7 choosing between them), bits 0..2 the bit in it.
PICTOMA_AVX2 void Index8(const std::uint8_t* src, int n, std::uint8_t* dst,
                         const PaletteRule& rule) {
    const __m128i lowHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rule.bits.data()));
    const __m128i highHalf =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(rule.bits.data() + 16));
    const __m256i low = _mm256_broadcastsi128_si256(lowHalf);
    const __m256i high = _mm256_broadcastsi128_si256(highHalf);
    const __m256i bitOf =
        _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16,
                         32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    // Reverses each run of eight, so that the first pixel of a byte lands in its top bit.
    const __m256i reverse = _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8,
                                             7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i seven = _mm256_set1_epi8(7);
    int x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        const __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + x));
        const __m256i byteAt = _mm256_and_si256(_mm256_srli_epi16(index, 3), nibble);
        const __m256i tableByte = _mm256_blendv_epi8(_mm256_shuffle_epi8(low, byteAt),
                                                     _mm256_shuffle_epi8(high, byteAt), index);
        const __m256i bit = _mm256_shuffle_epi8(bitOf, _mm256_and_si256(index, seven));
        const __m256i black = _mm256_cmpeq_epi8(_mm256_and_si256(tableByte, bit), bit);
        const auto mask = std::uint32_t(_mm256_movemask_epi8(_mm256_shuffle_epi8(black, reverse)));
        const std::uint8_t bytes[4] = {std::uint8_t(mask), std::uint8_t(mask >> 8),
                                       std::uint8_t(mask >> 16), std::uint8_t(mask >> 24)};
        std::memcpy(dst + mono::FullBytes(x), bytes, 4);
    }
    Index8Scalar(src + x, n - x, dst + mono::FullBytes(x), rule);
}

PICTOMA_AVX2 void Mono1(const std::uint8_t* src, int n, std::uint8_t* dst) {
    const int full = mono::FullBytes(n);
    const __m256i ones = _mm256_set1_epi32(-1);
    int k = 0;
    for (; k + 32 <= full; k += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + k));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + k), _mm256_xor_si256(v, ones));
    }
    Mono1Scalar(src + k, n - mono::FirstColumnOf(k), dst + k);
}

}  // namespace

const RowKernels* Avx2Kernels() {
    static const RowKernels kernels{Rgb24, Rgb32, Index8, Mono1};
    return &kernels;
}

}  // namespace pictoma::rows

#else

namespace pictoma::rows {
const RowKernels* Avx2Kernels() {
    return nullptr;
}
}  // namespace pictoma::rows

#endif
