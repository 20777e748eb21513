#pragma once
// Floyd-Steinberg on several rows at once: sixteen with AVX2, eight with SSE2. The rows of a band
// run as a wavefront: row k of the band is at column s - 2k at step s, so each row runs two pixels
// behind the row above it, which is as far as the errors it receives reach to the right. Each step
// decides one pixel of every row with 16-bit vector lanes, a row a lane; the errors sent down pass
// from one lane to the next, and from the band's last row to the next band's first through a row
// of errors in memory. The decisions are exactly those of the row-by-row scan (see Pipeline.h for
// the rule); the errors stay within 16 bits (|e| <= 255, a value in sixteenths within 16 * 511).

#include <cstdint>
#include <vector>

#include "ConvertPath.h"

namespace pictoma::bands {

constexpr int kMaxBandRows = 16;

// Whether the band form can run on `path` in this build.
bool Available(ConvertPath path);

class FloydSteinbergBands {
public:
    // Rows of `width` levels; the first `outWidth` pixels of each are written, black when the
    // value is <= threshold (0..255), flipped when `invert`. `path` must be Available.
    FloydSteinbergBands(int width, int outWidth, int threshold, bool invert, ConvertPath path);

    // Takes the next row's levels (read now) and where its packed row goes (written by the time
    // Finish returns; up to a band's rows later).
    void Row(const std::uint8_t* levels, std::uint8_t* out);
    // Writes the rows still waiting.
    void Finish();

private:
    void RunBand();

    int m_width, m_outWidth, m_limit;
    bool m_invert;
    int m_lanes;                             // rows of a band
    int m_rows = 0;                          // rows of the current band taken so far
    std::uint8_t* m_out[kMaxBandRows] = {};  // where they go
    std::vector<std::uint8_t> m_levels;      // by step: the level of each lane (row) at that step
    std::vector<std::uint8_t> m_decisions;   // by step: each lane's decision
    std::vector<std::int16_t> m_carry;       // what the band's last row sends down, by column
    std::vector<std::uint8_t> m_row;         // one row's decisions in column order
};

}  // namespace pictoma::bands
