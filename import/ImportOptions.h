#pragma once
// The options of the import pipeline (decode, composite, scale, convert, invert), their sizes and
// their names on the command line. Qt-free.

#include <optional>
#include <string>
#include <string_view>

#include "Brightness.h"
#include "mono.h"

namespace pictoma {

// How the scale step sizes the result.
enum class SizeMode {
    Original,  // no scaling
    Fit,       // fit the screen, keeping the proportions (FitSize)
    Stretch,   // exactly SCREEN_WIDTH x SCREEN_HEIGHT
    Custom,    // exactly ImportOptions::custom
};

// How the convert step turns brightness into black and white; see Pipeline.h for the definitions.
enum class Dither { None, FloydSteinberg, Atkinson, Bayer };

// What a transparent pixel is laid over.
enum class Background { White, Black };

constexpr int kMinImportThreshold = 0;  // the threshold range of imported pictures
constexpr int kMaxImportThreshold = 255;
constexpr int kMinImportSide = 1;  // the range of a custom size, each side
constexpr int kMaxImportSide = 32768;

struct ImportOptions {
    SizeMode size = SizeMode::Original;
    Size custom{SCREEN_WIDTH, SCREEN_HEIGHT};  // used by SizeMode::Custom only
    int threshold = DEFAULT_THRESHOLD;         // black when brightness <= threshold
    Dither dither = Dither::None;
    bool invert = false;
    Background background = Background::White;

    bool operator==(const ImportOptions&) const = default;
};

// Fit the screen for a picture larger than it (either side), the original size otherwise.
constexpr SizeMode DefaultSizeMode(Size original) {
    return TooLargeForScreen(original.width, original.height) ? SizeMode::Fit : SizeMode::Original;
}

// The largest size of the source's proportions within the screen: s = min(128 / W, 64 / H), then
// max(1, round(W s)) x max(1, round(H s)), halves rounded up, in exact integers (400 x 300 gives
// 85 x 64, 300 x 400 gives 48 x 64, 64 x 32 gives 128 x 64). A side below 1 is taken as 1.
Size FitSize(Size source);

// The size the scale step produces for `source` under `options`; a custom side is clamped to
// kMinImportSide..kMaxImportSide, a source side below 1 taken as 1.
Size TargetSize(Size source, const ImportOptions& options);

// `options` with the threshold clamped to 0..255 and the custom size to its range.
ImportOptions Clamped(ImportOptions options);

// Names on the command line: "none", "floyd-steinberg", "atkinson", "bayer"; "white", "black".
std::string_view DitherName(Dither dither);
std::optional<Dither> ParseDither(std::string_view name);
std::string_view BackgroundName(Background background);
std::optional<Background> ParseBackground(std::string_view name);
// "WxH" (or "WXH"), each side a decimal number in kMinImportSide..kMaxImportSide; nullopt else.
std::optional<Size> ParseSize(std::string_view text);

// The dithers defined in a few lines each, for --help and the documentation (ends with '\n').
extern const char kDitherHelp[];

}  // namespace pictoma
