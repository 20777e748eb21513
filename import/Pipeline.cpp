#include "Pipeline.h"

#include <algorithm>
#include <utility>

#include "ConvertPath.h"
#include "DiffusionBands.h"
#include "GreyRows.h"
#include "MonoRows.h"

namespace pictoma {

namespace {

constexpr int kRgbBytes = 3;  // a composited pixel: R G B
constexpr int kBayerSize = 8;

// One RGBA pixel laid over the background, as R G B.
inline void CompositePixel(const std::uint8_t* rgba, std::uint8_t bg, std::uint8_t* rgb) {
    rgb[0] = Composite(rgba[0], rgba[3], bg);
    rgb[1] = Composite(rgba[1], rgba[3], bg);
    rgb[2] = Composite(rgba[2], rgba[3], bg);
}

// The area-weighted scaling of RGBA rows, composited as they are read. Lengths are measured in
// units where a source pixel is `target` units long and an output pixel `source` units, so every
// overlap is a whole number and an output pixel's weights add up to W * H exactly. Sums are exact
// in 64 bits for any picture that fits in memory.
class Scaler {
public:
    Scaler(Size source, Size target)
        : m_w(source.width),
          m_h(source.height),
          m_ow(target.width),
          m_oh(target.height),
          m_total(std::int64_t(m_w) * m_h),
          m_columns(std::size_t(m_ow)),
          m_across(std::size_t(m_ow) * kRgbBytes),
          m_acc(std::size_t(m_ow) * kRgbBytes, 0),
          m_out(std::size_t(m_ow) * kRgbBytes) {
        for (int i = 0; i < m_ow; ++i) {
            const std::int64_t start = std::int64_t(i) * m_w, end = start + m_w;
            Column& c = m_columns[std::size_t(i)];
            c.first = int(start / m_ow);
            c.last = int((end - 1) / m_ow);
            c.firstWeight = std::min<std::int64_t>((std::int64_t(c.first) + 1) * m_ow, end) - start;
            c.lastWeight = end - std::max<std::int64_t>(std::int64_t(c.last) * m_ow, start);
        }
    }

    // Adds source row y (rows come in order 0, 1, ...), laid over the background level `bg`, and
    // calls emit(j, rgb) for every output row j that it completes, with that row as R G B bytes.
    template <class Emit>
    void AddRow(int y, const std::uint8_t* rgba, std::uint8_t bg, Emit&& emit) {
        SumAcross(rgba, bg);
        const std::int64_t rowStart = std::int64_t(y) * m_oh, rowEnd = rowStart + m_oh;
        while (m_next < m_oh) {
            const std::int64_t outStart = std::int64_t(m_next) * m_h, outEnd = outStart + m_h;
            const std::int64_t weight = std::min(outEnd, rowEnd) - std::max(outStart, rowStart);
            for (std::size_t k = 0; k < m_acc.size(); ++k)
                m_acc[k] += m_across[k] * weight;
            if (outEnd > rowEnd) break;
            // Rounded to the nearest integer, halves up.
            for (std::size_t k = 0; k < m_acc.size(); ++k) {
                m_out[k] = std::uint8_t((2 * m_acc[k] + m_total) / (2 * m_total));
                m_acc[k] = 0;
            }
            emit(m_next, m_out.data());
            ++m_next;
        }
    }

private:
    // The source columns an output column covers: `first` and `last` in part (their weights), any
    // between them wholly (weight m_ow each).
    struct Column {
        int first = 0, last = 0;
        std::int64_t firstWeight = 0, lastWeight = 0;
    };

    // Sums one RGBA row, composited as it is read, into the output columns.
    void SumAcross(const std::uint8_t* rgba, std::uint8_t bg) {
        std::int64_t* out = m_across.data();
        for (const Column& c : m_columns) {
            const std::uint8_t* p = rgba + std::size_t(c.first) * kRgbaBytes;
            std::uint8_t first[kRgbBytes];
            CompositePixel(p, bg, first);
            std::int64_t s0 = c.firstWeight * first[0], s1 = c.firstWeight * first[1],
                         s2 = c.firstWeight * first[2];
            if (c.last > c.first) {
                std::uint64_t t0 = 0, t1 = 0, t2 = 0;
                for (int x = c.first + 1; x < c.last; ++x) {
                    p += kRgbaBytes;
                    const std::uint8_t a = p[3];
                    if (a == 255) {  // most pixels of most pictures: nothing to composite
                        t0 += p[0];
                        t1 += p[1];
                        t2 += p[2];
                    } else {
                        t0 += Composite(p[0], a, bg);
                        t1 += Composite(p[1], a, bg);
                        t2 += Composite(p[2], a, bg);
                    }
                }
                std::uint8_t last[kRgbBytes];
                CompositePixel(rgba + std::size_t(c.last) * kRgbaBytes, bg, last);
                s0 += std::int64_t(t0) * m_ow + c.lastWeight * last[0];
                s1 += std::int64_t(t1) * m_ow + c.lastWeight * last[1];
                s2 += std::int64_t(t2) * m_ow + c.lastWeight * last[2];
            }
            out[0] = s0;
            out[1] = s1;
            out[2] = s2;
            out += kRgbBytes;
        }
    }

    int m_w, m_h, m_ow, m_oh;
    std::int64_t m_total;
    std::vector<Column> m_columns;
    std::vector<std::int64_t> m_across;  // the current source row summed into output columns
    std::vector<std::int64_t> m_acc;     // the output row being built
    std::vector<std::uint8_t> m_out;
    int m_next = 0;  // the output row being built
};

// Composites and scales `rows` to `target`, calling sink(j, levels) with the brightness levels of
// each output row in order.
template <class Sink>
void Stream(RgbaRows& rows, Size target, Background background, Sink&& sink) {
    const Size source = rows.Dimensions();
    const std::uint8_t bg = BackgroundLevel(background);
    std::vector<std::uint8_t> scratch(std::size_t(source.width) * kRgbaBytes);
    std::vector<std::uint8_t> grey(std::size_t(target.width));
    if (source == target) {
        const greyrows::GreyRowFn greyRow = greyrows::GreyRowFor(ActiveConvertPath());
        for (int y = 0; y < source.height; ++y) {
            greyRow(rows.Row(y, scratch.data()), source.width, bg, grey.data());
            sink(y, grey.data());
        }
        return;
    }
    Scaler scaler(source, target);
    for (int y = 0; y < source.height; ++y) {
        scaler.AddRow(y, rows.Row(y, scratch.data()), bg, [&](int j, const std::uint8_t* out) {
            for (int i = 0; i < target.width; ++i, out += kRgbBytes)
                grey[std::size_t(i)] = std::uint8_t(Brightness(out[0], out[1], out[2]));
            sink(j, grey.data());
        });
    }
}

// The convert and invert steps, one row of levels at a time, top to bottom. Rows are `width`
// levels long; the first `outWidth` pixels of each are written, possibly one row late: Finish
// writes the last.
class MonoWriter {
public:
    MonoWriter(int width, int outWidth, const ImportOptions& options)
        : m_width(width),
          m_outWidth(outWidth),
          m_threshold(Clamped(options).threshold),
          m_dither(options.dither),
          m_invert(options.invert) {
        // The rows of the scan only where the band form does not take the dither over.
        if (const ConvertPath path = ActiveConvertPath();
            m_dither == Dither::FloydSteinberg && bands::Available(path)) {
            m_bands = std::make_unique<bands::FloydSteinbergBands>(width, outWidth, m_threshold,
                                                                   m_invert, path);
        } else if (m_dither == Dither::FloydSteinberg || m_dither == Dither::Atkinson) {
            m_errors.assign(3, Errors(std::size_t(width)));
            m_black.resize(std::size_t(width));
            if (m_dither == Dither::FloydSteinberg) {
                m_heldLevels.resize(std::size_t(width));
                m_heldBlack.resize(std::size_t(width));
            }
        }
        for (int y = 0; y < kBayerSize; ++y)
            for (int x = 0; x < kBayerSize; ++x)
                m_bayer[std::size_t(y)][std::size_t(x)] =
                    BayerOffset(kBayer8[std::size_t(y)][std::size_t(x)]);
    }

    void Row(const std::uint8_t* grey, std::uint8_t* out) {
        const int t = m_threshold;
        const bool inv = m_invert;
        switch (m_dither) {
            case Dither::None:
                monorows::PackRow(out, m_outWidth, [&](int x) { return (grey[x] <= t) != inv; });
                break;
            case Dither::Bayer: {
                const auto& offsets = m_bayer[std::size_t(m_y % kBayerSize)];
                monorows::PackRow(out, m_outWidth, [&](int x) {
                    return (grey[x] + offsets[std::size_t(x % kBayerSize)] <= t) != inv;
                });
                break;
            }
            case Dither::FloydSteinberg:
                if (m_bands) {
                    m_bands->Row(grey, out);
                    break;
                }
                // Rows go in pairs (see FloydSteinbergPair): the first of a pair waits here.
                if (!m_heldOut) {
                    std::copy_n(grey, m_width, m_heldLevels.begin());
                    m_heldOut = out;
                } else {
                    FloydSteinbergPair(grey);
                    PackDecisions(m_heldOut, m_heldBlack.data());
                    PackDecisions(out, m_black.data());
                    m_heldOut = nullptr;
                }
                break;
            case Dither::Atkinson:
                AtkinsonRow(grey);
                PackDecisions(out, m_black.data());
                break;
        }
        ++m_y;
    }

    // Writes a row still held back; call once after the last row.
    void Finish() {
        if (m_bands) m_bands->Finish();
        if (!m_heldOut) return;
        FsLine line{m_heldLevels.data(), m_errors[0].data(), m_errors[1].data(), m_heldBlack.data(),
                    16 * (m_threshold + 1)};
        for (int x = 0; x < m_width; ++x)
            line.Step(x);
        line.End(m_width);
        PackDecisions(m_heldOut, m_heldBlack.data());
        m_heldOut = nullptr;
    }

private:
    using Errors = std::vector<int>;

    // One row of Floyd-Steinberg. The error pushed right stays in a register, and each error of
    // the next row is written once, when the three pixels above that send to it are done:
    // next[x - 1] gets 1/16 of e(x - 2), 5/16 of e(x - 1) and 3/16 of e(x); the 3/16 of e(0) and
    // the 1/16 of e(W - 1) fall outside. The value v = level + floor((E + 8) / 16) is kept in
    // sixteenths plus a half, 16 level + E + 8, so that its decision needs no shift: v <= t when it
    // is below 16 (t + 1).
    struct FsLine {
        const std::uint8_t* levels;
        const int* received;
        int* next;
        std::uint8_t* decisions;
        int limit;
        int right = 0, e1 = 0, e2 = 0;  // 7/16 of e(x - 1); e(x - 1); e(x - 2)

        void Step(int x) {
            const int v16 = 16 * levels[x] + received[x] + 8 + right;
            const bool black = v16 < limit;
            const int v = v16 >> 4;
            const int e = black ? v : v - 255;
            right = 7 * e;
            if (x > 0) next[x - 1] = e2 + 5 * e1 + 3 * e;
            e2 = e1;
            e1 = e;
            decisions[x] = black;
        }
        void End(int width) { next[width - 1] = e2 + 5 * e1; }
    };

    // The held row and `levels` (the row below it) together. Each pixel's error waits on the one
    // before it, so one row alone is a single chain of dependent steps; the lower row may run two
    // pixels behind the upper one (pixel x needs the upper row's x + 1), and the two chains
    // interleave. The result is the same as row after row.
    void FloydSteinbergPair(const std::uint8_t* levels) {
        const int limit = 16 * (m_threshold + 1);
        const int width = m_width;
        FsLine upper{m_heldLevels.data(), m_errors[0].data(), m_errors[1].data(),
                     m_heldBlack.data(), limit};
        FsLine lower{levels, m_errors[1].data(), m_errors[2].data(), m_black.data(), limit};
        if (width < 3) {
            for (int x = 0; x < width; ++x)
                upper.Step(x);
            upper.End(width);
            for (int x = 0; x < width; ++x)
                lower.Step(x);
        } else {
            upper.Step(0);
            upper.Step(1);
            for (int x = 2; x < width; ++x) {
                upper.Step(x);
                lower.Step(x - 2);
            }
            upper.End(width);
            lower.Step(width - 2);
            lower.Step(width - 1);
        }
        lower.End(width);
        std::swap(m_errors[0], m_errors[2]);
    }

    // Row r0 holds what rows above sent to this row, r1 to the next, r2 to the one after. This
    // row's own shares to the right stay in registers; r2 is written whole (only this row reaches
    // two down), r1[x - 1] gets e(x - 2) + e(x - 1) + e(x) once those three are done.
    void AtkinsonRow(const std::uint8_t* grey) {
        const int* r0 = m_errors[0].data();
        int* r1 = m_errors[1].data();
        int* r2 = m_errors[2].data();
        std::uint8_t* decisions = m_black.data();
        const int width = m_width;
        const int t = m_threshold;
        int e1 = 0, e2 = 0;  // e(x - 1), e(x - 2)
        for (int x = 0; x < width; ++x) {
            const int v = grey[x] + ((r0[x] + e1 + e2 + 4) >> 3);
            const bool black = v <= t;
            const int e = black ? v : v - 255;
            if (x > 0) r1[x - 1] += e2 + e1 + e;
            r2[x] = e;
            e2 = e1;
            e1 = e;
            decisions[x] = black;
        }
        r1[width - 1] += e2 + e1;
        // r1 becomes the received row, r2 the next, and r0 (fully rewritten next time) the last.
        std::rotate(m_errors.begin(), m_errors.begin() + 1, m_errors.end());
    }

    void PackDecisions(std::uint8_t* out, const std::uint8_t* decisions) {
        monorows::PackDecisions(out, m_outWidth, decisions, m_invert);
    }

    int m_width, m_outWidth, m_threshold;
    Dither m_dither;
    bool m_invert;
    int m_y = 0;
    std::vector<Errors> m_errors;
    std::vector<std::uint8_t> m_black;
    std::vector<std::uint8_t> m_heldLevels, m_heldBlack;  // the upper row of a pair
    std::uint8_t* m_heldOut = nullptr;                    // where it goes; null when none waits
    std::unique_ptr<bands::FloydSteinbergBands> m_bands;  // Floyd-Steinberg a band of rows at once
    std::array<std::array<int, kBayerSize>, kBayerSize> m_bayer{};
};

bool Empty(Size s) {
    return s.width <= 0 || s.height <= 0;
}

Picture Run(RgbaRows& rows, Size target, const ImportOptions& options) {
    if (Empty(rows.Dimensions()) || Empty(target)) return {};
    Picture picture(target.width, target.height);
    MonoWriter writer(target.width, target.width, options);
    Stream(rows, target, options.background, [&](int y, const std::uint8_t* levels) {
        writer.Row(levels, monorows::RowOf(picture, y));
    });
    writer.Finish();
    return picture;
}

}  // namespace

GreyImage PrepareGrey(RgbaRows& rows, Size target, Background background) {
    if (Empty(rows.Dimensions()) || Empty(target)) return {};
    GreyImage grey{target.width, target.height,
                   std::vector<std::uint8_t>(std::size_t(target.width) * target.height)};
    Stream(rows, target, background, [&](int y, const std::uint8_t* levels) {
        std::copy_n(levels, target.width, grey.levels.begin() + std::ptrdiff_t(y) * target.width);
    });
    return grey;
}

Picture ConvertGrey(const GreyImage& grey, const ImportOptions& options) {
    return ConvertGreyWindow(grey, options, {grey.width, grey.height});
}

Picture ConvertGreyWindow(const GreyImage& grey, const ImportOptions& options, Size window) {
    const int outWidth = std::min(grey.width, window.width);
    const int outHeight = std::min(grey.height, window.height);
    if (outWidth <= 0 || outHeight <= 0) return {};
    const bool diffused =
        options.dither == Dither::FloydSteinberg || options.dither == Dither::Atkinson;
    const int width = diffused ? std::min(grey.width, outWidth + outHeight) : outWidth;
    Picture picture(outWidth, outHeight);
    MonoWriter writer(width, outWidth, options);
    for (int y = 0; y < outHeight; ++y)
        writer.Row(grey.Row(y), monorows::RowOf(picture, y));
    writer.Finish();
    return picture;
}

Picture ImportPicture(RgbaRows& rows, const ImportOptions& options) {
    return Run(rows, TargetSize(rows.Dimensions(), options), options);
}

Picture ImportPicture(const PictureSource& source, const ImportOptions& options) {
    const Size target = TargetSize(source.OriginalSize(), options);
    const auto rows = source.Rows(target);
    return rows ? Run(*rows, target, options) : Picture{};
}

}  // namespace pictoma
