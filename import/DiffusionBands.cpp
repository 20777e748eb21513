#include "DiffusionBands.h"

#include <algorithm>

#include "MonoRows.h"
#include "VectorIsa.h"

namespace pictoma::bands {

namespace {

constexpr int kLag = 2;        // columns each row runs behind the one above
constexpr int kCarryPad = 32;  // carry slots before column 0 (more than the widest band's lag)

// How far the last row of a band of `lanes` rows runs behind the first.
constexpr int Span(int lanes) {
    return kLag * (lanes - 1);
}

// Steps of a band: the last row reaches column width (where it sends its final error down) at
// step width + Span.
int Steps(int width, int lanes) {
    return width + Span(lanes) + 1;
}

// Each band function runs one band of `Lanes` rows. levels[Lanes s + k] is row k's level at
// column s - 2k; decisions gets the same layout. carry[kCarryPad + c] holds on entry what the row
// above the band sent to column c and on return what the band's last row sends to the row below.
// A lane whose column lies outside the row decides nothing that is kept and sends no error.

#ifdef PICTOMA_HAVE_SSE2

void RunBandSse2(const std::uint8_t* levels, int width, int limit, std::int16_t* carry,
                 std::uint8_t* decisions) {
    constexpr int kLanes = 8;
    constexpr int kSpan = Span(kLanes);
    const __m128i limitV = _mm_set1_epi16(std::int16_t(limit));
    const __m128i half = _mm_set1_epi16(8);
    const __m128i white = _mm_set1_epi16(255);
    const __m128i one = _mm_set1_epi16(1);
    // Columns with the sign bit flipped, so that one signed comparison tells the lanes past the
    // row's end and those before its start (which wrap to the top of the unsigned range).
    const __m128i flip = _mm_set1_epi16(std::int16_t(0x8000));
    const __m128i lastColumn = _mm_xor_si128(_mm_set1_epi16(std::int16_t(width - 1)), flip);
    __m128i column = _mm_xor_si128(_mm_setr_epi16(0, -2, -4, -6, -8, -10, -12, -14), flip);
    __m128i received = _mm_cvtsi32_si128(std::uint16_t(carry[kCarryPad]));
    __m128i right = _mm_setzero_si128(), e1 = right, e2 = right;
    const __m128i zero = _mm_setzero_si128();
    const int steps = Steps(width, kLanes);
    for (int s = 0; s < steps; ++s) {
        const __m128i level = _mm_unpacklo_epi8(
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(levels + std::size_t(s) * kLanes)),
            zero);
        const __m128i v16 = _mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(level, 4), half),
                                          _mm_add_epi16(received, right));
        const __m128i black = _mm_cmpgt_epi16(limitV, v16);
        const __m128i v = _mm_srai_epi16(v16, 4);
        const __m128i outside = _mm_cmpgt_epi16(column, lastColumn);
        const __m128i e =
            _mm_andnot_si128(outside, _mm_sub_epi16(v, _mm_andnot_si128(black, white)));
        right = _mm_sub_epi16(_mm_slli_epi16(e, 3), e);
        const __m128i down =
            _mm_add_epi16(_mm_add_epi16(e2, _mm_add_epi16(_mm_slli_epi16(e1, 2), e1)),
                          _mm_add_epi16(_mm_slli_epi16(e, 1), e));
        e2 = e1;
        e1 = e;
        carry[kCarryPad + s - kSpan - 1] = std::int16_t(_mm_extract_epi16(down, kLanes - 1));
        received = _mm_or_si128(_mm_slli_si128(down, 2),
                                _mm_cvtsi32_si128(std::uint16_t(carry[kCarryPad + s + 1])));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(decisions + std::size_t(s) * kLanes),
                         _mm_packs_epi16(black, black));
        column = _mm_add_epi16(column, one);
    }
}

#endif

#ifdef PICTOMA_HAVE_AVX2

PICTOMA_AVX2 void RunBandAvx2(const std::uint8_t* levels, int width, int limit, std::int16_t* carry,
                              std::uint8_t* decisions) {
    constexpr int kLanes = 16;
    constexpr int kSpan = Span(kLanes);
    const __m256i limitV = _mm256_set1_epi16(std::int16_t(limit));
    const __m256i half = _mm256_set1_epi16(8);
    const __m256i white = _mm256_set1_epi16(255);
    const __m256i one = _mm256_set1_epi16(1);
    // Each lane's column at step 0, 0, -2, -4, ... as 16-bit unsigned values, so that a column
    // before 0 wraps far above any width and one comparison finds the lanes inside the row.
    const __m256i lastColumn = _mm256_set1_epi16(std::int16_t(width - 1));
    __m256i column =
        _mm256_setr_epi16(0, -2, -4, -6, -8, -10, -12, -14, -16, -18, -20, -22, -24, -26, -28, -30);
    __m256i received =
        _mm256_setr_epi16(carry[kCarryPad], 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    __m256i right = _mm256_setzero_si256(), e1 = right, e2 = right;
    const int steps = Steps(width, kLanes);
    for (int s = 0; s < steps; ++s) {
        const __m256i level = _mm256_cvtepu8_epi16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + std::size_t(s) * kLanes)));
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
        carry[kCarryPad + s - kSpan - 1] = std::int16_t(_mm256_extract_epi16(down, kLanes - 1));
        const __m256i up = _mm256_permute2x128_si256(down, down, 0x08);
        const __m256i incoming =
            _mm256_zextsi128_si256(_mm_cvtsi32_si128(std::uint16_t(carry[kCarryPad + s + 1])));
        received = _mm256_or_si256(_mm256_alignr_epi8(down, up, 14), incoming);
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(decisions + std::size_t(s) * kLanes),
            _mm_packs_epi16(_mm256_castsi256_si128(black), _mm256_extracti128_si256(black, 1)));
        column = _mm256_add_epi16(column, one);
    }
}

#endif

int LanesFor(ConvertPath path) {
#ifdef PICTOMA_HAVE_AVX2
    if (path == ConvertPath::Avx2) return 16;
#endif
#ifdef PICTOMA_HAVE_SSE2
    if (path == ConvertPath::Sse2 || path == ConvertPath::Avx2) return 8;
#endif
    return 0;
}

}  // namespace

bool Available(ConvertPath path) {
    return LanesFor(path) > 0;
}

FloydSteinbergBands::FloydSteinbergBands(int width, int outWidth, int threshold, bool invert,
                                         ConvertPath path)
    : m_width(width),
      m_outWidth(outWidth),
      m_limit(16 * (threshold + 1)),
      m_invert(invert),
      m_lanes(LanesFor(path)),
      m_levels(std::size_t(Steps(width, m_lanes)) * std::size_t(m_lanes)),
      m_decisions(m_levels.size()),
      m_carry(std::size_t(width) + kCarryPad + Span(m_lanes) + 2),
      m_row(std::size_t(width)) {}

void FloydSteinbergBands::Row(const std::uint8_t* levels, std::uint8_t* out) {
    const int k = m_rows;
    const auto lanes = std::size_t(m_lanes);
    std::uint8_t* to = m_levels.data() + std::size_t(kLag * k) * lanes + std::size_t(k);
    for (int x = 0; x < m_width; ++x)
        to[std::size_t(x) * lanes] = levels[x];
    m_out[k] = out;
    if (++m_rows == m_lanes) RunBand();
}

void FloydSteinbergBands::Finish() {
    // Lanes without a row decide leftovers of the band before; their decisions go nowhere and
    // nothing follows them.
    if (m_rows > 0) RunBand();
}

void FloydSteinbergBands::RunBand() {
#ifdef PICTOMA_HAVE_AVX2
    if (m_lanes == 16)
        RunBandAvx2(m_levels.data(), m_width, m_limit, m_carry.data(), m_decisions.data());
#endif
#ifdef PICTOMA_HAVE_SSE2
    if (m_lanes == 8)
        RunBandSse2(m_levels.data(), m_width, m_limit, m_carry.data(), m_decisions.data());
#endif
    const auto lanes = std::size_t(m_lanes);
    for (int k = 0; k < m_rows; ++k) {
        const std::uint8_t* from =
            m_decisions.data() + std::size_t(kLag * k) * lanes + std::size_t(k);
        for (int x = 0; x < m_width; ++x)
            m_row[std::size_t(x)] = from[std::size_t(x) * lanes] & 1;
        monorows::PackDecisions(m_out[k], m_outWidth, m_row.data(), m_invert);
    }
    m_rows = 0;
}

}  // namespace pictoma::bands
