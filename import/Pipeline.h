#pragma once
// The import pipeline after decoding, on 8-bit RGBA rows (not premultiplied, R G B A bytes):
//
//   composite  each channel over the background level bg (255 white, 0 black):
//              c' = (c a + bg (255 - a) + 127) / 255, integer division.
//   scale      (when the target size differs from the source) each output channel is the
//              area-weighted mean of the composited source pixels it covers, rounded to the nearest
//              integer, halves up; for whole-number factors that is the plain block mean. One pass
//              over the source rows: a row is summed across into the output columns it covers,
//              then added with its vertical weight into one accumulator row per output row.
//   convert    brightness v of each pixel by the bitmap reader's rule (Brightness.h), then black
//              when v <= threshold, or one of these dithers (deterministic, decided against the
//              same threshold t; output levels are 0 for black and 255 for white):
//     Floyd-Steinberg  rows top to bottom, each left to right (no serpentine). A pixel's value is
//              v + round(E / 16), where E is the error it received in sixteenths and the rounding
//              goes to the nearest integer, halves up (floor((E + 8) / 16)); black when the value
//              is <= t; its error e = value - level goes 7e to the right, 3e down-left, 5e down and
//              1e down-right (in sixteenths); shares falling outside the picture are dropped.
//     Atkinson  the same scan; value = v + floor((E + 4) / 8) with E in eighths; e goes once (one
//              eighth) to each of (x+1, y), (x+2, y), (x-1, y+1), (x, y+1), (x+1, y+1), (x, y+2);
//              the remaining two eighths are dropped by design, so a flat field far from mid-grey
//              comes out with more contrast than its grey.
//     Bayer    ordered, 8 x 8: black when v + d(x, y) <= t, where m = kBayer8[y mod 8][x mod 8]
//              (0..63) and d = (2m + 1 - 64) * 255 / 128 truncated toward zero (-125..125, a mean
//              of zero), so a flat grey g gets about (t + 128 - g) / 255 of its pixels black.
//   invert     (when asked) every pixel within the width flipped, after the decision.
//
// The result is a Picture in the shared monochrome layout (mono.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ImportOptions.h"
#include "mono.h"

namespace pictoma {

constexpr int kRgbaBytes = 4;  // bytes per RGBA pixel

// One channel laid over the background level `bg` by coverage `alpha`.
constexpr std::uint8_t Composite(std::uint8_t channel, std::uint8_t alpha, std::uint8_t bg) {
    return std::uint8_t((unsigned(channel) * alpha + unsigned(bg) * (255u - alpha) + 127u) / 255u);
}
constexpr std::uint8_t BackgroundLevel(Background background) {
    return background == Background::Black ? 0 : 255;
}

// The Bayer matrix of order 8, row y, column x.
inline constexpr std::array<std::array<std::uint8_t, 8>, 8> kBayer8{{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};
// The brightness offset of Bayer entry m.
constexpr int BayerOffset(int m) {
    return (2 * m + 1 - 64) * 255 / 128;
}

// A read-only view of RGBA rows: `stride` bytes from one row to the next (at least 4 * width).
struct RgbaView {
    int width = 0;
    int height = 0;
    const std::uint8_t* data = nullptr;
    std::size_t stride = 0;

    const std::uint8_t* Row(int y) const { return data + std::size_t(y) * stride; }
};

// An RGBA image by value, rows without padding.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    RgbaImage() = default;
    RgbaImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * h * kRgbaBytes, 0) {}

    std::uint8_t* Row(int y) { return pixels.data() + std::size_t(y) * width * kRgbaBytes; }
    RgbaView View() const {
        return {width, height, pixels.data(), std::size_t(width) * kRgbaBytes};
    }
};

// The rows of a picture, read once from top to bottom (a decoder may convert them one at a time,
// so that the whole picture is never held twice).
class RgbaRows {
public:
    virtual ~RgbaRows() = default;
    virtual Size Dimensions() const = 0;
    // Row y as width RGBA pixels. Either points into the source's own storage or fills and returns
    // `scratch` (4 * width bytes); valid until the next call.
    virtual const std::uint8_t* Row(int y, std::uint8_t* scratch) = 0;
};

// The rows of a view (no copy).
class RgbaViewRows final : public RgbaRows {
public:
    explicit RgbaViewRows(RgbaView view) : m_view(view) {}
    Size Dimensions() const override { return {m_view.width, m_view.height}; }
    const std::uint8_t* Row(int y, std::uint8_t*) override { return m_view.Row(y); }

private:
    RgbaView m_view;
};

// A decoded picture the pipeline can read as often as needed: a raster gives its pixels whatever
// the target, a vector picture (SVG) renders at the target size so that the result is sharp.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    // The picture's own size (for SVG: the size it declares).
    virtual Size OriginalSize() const = 0;
    // The rows to scale to `target`; their size is either OriginalSize() or `target`.
    virtual std::unique_ptr<RgbaRows> Rows(Size target) const = 0;
};

// A raster picture held in memory.
class RasterSource final : public PictureSource {
public:
    explicit RasterSource(RgbaImage image) : m_image(std::move(image)) {}
    Size OriginalSize() const override { return {m_image.width, m_image.height}; }
    std::unique_ptr<RgbaRows> Rows(Size) const override {
        return std::make_unique<RgbaViewRows>(m_image.View());
    }
    const RgbaImage& Image() const { return m_image; }

private:
    RgbaImage m_image;
};

// Brightness levels 0..255, one byte per pixel, rows without padding: the composited and scaled
// picture, ready for the convert step.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> levels;

    const std::uint8_t* Row(int y) const { return levels.data() + std::size_t(y) * width; }
};

// Composite and scale `rows` to `target` (each side at least 1) and take each pixel's brightness.
GreyImage PrepareGrey(RgbaRows& rows, Size target, Background background);

// The convert and invert steps on prepared levels, with the threshold, dither and invert of
// `options` (the threshold clamped to 0..255).
Picture ConvertGrey(const GreyImage& grey, const ImportOptions& options);

// The top-left min(W, window.width) x min(H, window.height) pixels of ConvertGrey's result, bit
// for bit, without converting the rest: an error-diffused pixel depends only on pixels above it
// and at most one column further right per row above, so the rows of the window and the columns
// of the window plus its height are enough.
Picture ConvertGreyWindow(const GreyImage& grey, const ImportOptions& options, Size window);

// Every step after decoding in one pass over `rows`, holding only a few rows besides the result:
// the rows are scaled to TargetSize(rows.Dimensions(), options) (a vector source's rows, already
// rendered at the target, are left as they are) and converted.
Picture ImportPicture(RgbaRows& rows, const ImportOptions& options);
// The same from a source, asking it for rows at the options' target size.
Picture ImportPicture(const PictureSource& source, const ImportOptions& options);

}  // namespace pictoma
