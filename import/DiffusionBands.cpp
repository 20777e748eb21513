#include "DiffusionBands.h"

#include <algorithm>

#include "MonoRows.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define PICTOMA_HAVE_AVX2 1
#include <immintrin.h>
// On the function rather than the file: Available() admits the band form only on the AVX2 path.
#define PICTOMA_AVX2 __attribute__((target("avx2")))
#endif

namespace pictoma::bands {

namespace {

constexpr int kLag = 2;                        // columns each row runs behind the one above
constexpr int kSpan = kLag * (kBandRows - 1);  // how far the last row runs behind the first
constexpr int kCarryPad = 32;                  // carry slots before column 0 (> kSpan)

// Steps of a band: the last row reaches column width (where it sends its final error down) at
// step width + kSpan.
int Steps(int width) {
    return width + kSpan + 1;
}

#ifdef PICTOMA_HAVE_AVX2

// One band of Floyd-Steinberg. levels[16 s + k] is row k's level at column s - 2k; decisions gets
// the same layout. carry[kCarryPad + c] holds on entry what the row above the band sent to column
// c and on return what the band's last row sends to the row below.
PICTOMA_AVX2 void RunBandAvx2(const std::uint8_t* levels, int width, int limit, std::int16_t* carry,
                              std::uint8_t* decisions) {
    const __m256i limitV = _mm256_set1_epi16(std::int16_t(limit));
    const __m256i half = _mm256_set1_epi16(8);
    const __m256i white = _mm256_set1_epi16(255);
    const __m256i one = _mm256_set1_epi16(1);
    const __m256i lastColumn = _mm256_set1_epi16(std::int16_t(width - 1));
    // Each lane's column at step 0, 0, -2, -4, ... as 16-bit unsigned values, so that a column
    // before 0 wraps far above any width and one comparison finds the lanes inside the row.
    __m256i column =
        _mm256_setr_epi16(0, -2, -4, -6, -8, -10, -12, -14, -16, -18, -20, -22, -24, -26, -28, -30);
    __m256i received =
        _mm256_setr_epi16(carry[kCarryPad], 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    __m256i right = _mm256_setzero_si256(), e1 = right, e2 = right;
    const int steps = Steps(width);
    for (int s = 0; s < steps; ++s) {
        const __m256i level = _mm256_cvtepu8_epi16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + std::size_t(s) * kBandRows)));
        // 16 level + E + 8 + 7 e(x - 1), the value in sixteenths plus a half: black below 16 (t +
        // 1).
        const __m256i v16 = _mm256_add_epi16(_mm256_add_epi16(_mm256_slli_epi16(level, 4), half),
                                             _mm256_add_epi16(received, right));
        const __m256i black = _mm256_cmpgt_epi16(limitV, v16);
        const __m256i v = _mm256_srai_epi16(v16, 4);
        const __m256i inside = _mm256_cmpeq_epi16(_mm256_min_epu16(column, lastColumn), column);
        // e = v - 255 for white; nothing for a lane outside its row.
        const __m256i e =
            _mm256_and_si256(_mm256_sub_epi16(v, _mm256_andnot_si256(black, white)), inside);
        right = _mm256_sub_epi16(_mm256_slli_epi16(e, 3), e);
        // To the row below, column x - 1: e(x - 2) + 5 e(x - 1) + 3 e(x).
        const __m256i down =
            _mm256_add_epi16(_mm256_add_epi16(e2, _mm256_add_epi16(_mm256_slli_epi16(e1, 2), e1)),
                             _mm256_add_epi16(_mm256_slli_epi16(e, 1), e));
        e2 = e1;
        e1 = e;
        // The last lane's share leaves the band (column s - kSpan - 1); every other lane's goes to
        // the lane after it, which takes it at the next step. The first lane takes the carry.
        carry[kCarryPad + s - kSpan - 1] = std::int16_t(_mm256_extract_epi16(down, 15));
        const __m256i up = _mm256_permute2x128_si256(down, down, 0x08);
        const __m256i incoming =
            _mm256_zextsi128_si256(_mm_cvtsi32_si128(std::uint16_t(carry[kCarryPad + s + 1])));
        received = _mm256_or_si256(_mm256_alignr_epi8(down, up, 14), incoming);
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(decisions + std::size_t(s) * kBandRows),
            _mm_packs_epi16(_mm256_castsi256_si128(black), _mm256_extracti128_si256(black, 1)));
        column = _mm256_add_epi16(column, one);
    }
}

#endif

}  // namespace

bool Available(ConvertPath path) {
#ifdef PICTOMA_HAVE_AVX2
    return path == ConvertPath::Avx2;
#else
    (void)path;
    return false;
#endif
}

FloydSteinbergBands::FloydSteinbergBands(int width, int outWidth, int threshold, bool invert)
    : m_width(width),
      m_outWidth(outWidth),
      m_limit(16 * (threshold + 1)),
      m_invert(invert),
      m_levels(std::size_t(Steps(width)) * kBandRows),
      m_decisions(m_levels.size()),
      m_carry(std::size_t(width) + kCarryPad + kSpan + 2),
      m_row(std::size_t(width)) {}

void FloydSteinbergBands::Row(const std::uint8_t* levels, std::uint8_t* out) {
    const int k = m_rows;
    std::uint8_t* to = m_levels.data() + std::size_t(kLag * k) * kBandRows + k;
    for (int x = 0; x < m_width; ++x)
        to[std::size_t(x) * kBandRows] = levels[x];
    m_out[k] = out;
    if (++m_rows == kBandRows) RunBand();
}

void FloydSteinbergBands::Finish() {
    // Lanes without a row decide leftovers of the band before; their decisions go nowhere and
    // nothing follows them.
    if (m_rows > 0) RunBand();
}

void FloydSteinbergBands::RunBand() {
#ifdef PICTOMA_HAVE_AVX2
    RunBandAvx2(m_levels.data(), m_width, m_limit, m_carry.data(), m_decisions.data());
#endif
    for (int k = 0; k < m_rows; ++k) {
        const std::uint8_t* from = m_decisions.data() + std::size_t(kLag * k) * kBandRows + k;
        for (int x = 0; x < m_width; ++x)
            m_row[std::size_t(x)] = from[std::size_t(x) * kBandRows] & 1;
        monorows::PackDecisions(m_out[k], m_outWidth, m_row.data(), m_invert);
    }
    m_rows = 0;
}

}  // namespace pictoma::bands
