#include "ImportOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace pictoma {

Size FitSize(Size source) {
    const std::int64_t w = std::max(source.width, 1);
    const std::int64_t h = std::max(source.height, 1);
    // 128 / W <= 64 / H: the width is the limit, so the result is 128 wide.
    if (SCREEN_WIDTH * h <= SCREEN_HEIGHT * w) {
        const std::int64_t outH = (2 * SCREEN_WIDTH * h + w) / (2 * w);
        return {SCREEN_WIDTH, int(std::max<std::int64_t>(1, outH))};
    }
    const std::int64_t outW = (2 * SCREEN_HEIGHT * w + h) / (2 * h);
    return {int(std::max<std::int64_t>(1, outW)), SCREEN_HEIGHT};
}

Size TargetSize(Size source, const ImportOptions& options) {
    switch (options.size) {
        case SizeMode::Fit:
            return FitSize(source);
        case SizeMode::Stretch:
            return {SCREEN_WIDTH, SCREEN_HEIGHT};
        case SizeMode::Custom:
            return Clamped(options).custom;
        case SizeMode::Original:
            break;
    }
    return {std::max(source.width, 1), std::max(source.height, 1)};
}

ImportOptions Clamped(ImportOptions options) {
    options.threshold = std::clamp(options.threshold, kMinImportThreshold, kMaxImportThreshold);
    options.custom.width = std::clamp(options.custom.width, kMinImportSide, kMaxImportSide);
    options.custom.height = std::clamp(options.custom.height, kMinImportSide, kMaxImportSide);
    return options;
}

std::string_view DitherName(Dither dither) {
    switch (dither) {
        case Dither::FloydSteinberg:
            return "floyd-steinberg";
        case Dither::Atkinson:
            return "atkinson";
        case Dither::Bayer:
            return "bayer";
        case Dither::None:
            break;
    }
    return "none";
}

std::optional<Dither> ParseDither(std::string_view name) {
    for (Dither d : {Dither::None, Dither::FloydSteinberg, Dither::Atkinson, Dither::Bayer})
        if (name == DitherName(d)) return d;
    return std::nullopt;
}

std::string_view BackgroundName(Background background) {
    return background == Background::Black ? "black" : "white";
}

std::optional<Background> ParseBackground(std::string_view name) {
    for (Background b : {Background::White, Background::Black})
        if (name == BackgroundName(b)) return b;
    return std::nullopt;
}

namespace {

std::optional<int> ParseSide(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < kMinImportSide || value > kMaxImportSide) return std::nullopt;
    return value;
}

}  // namespace

std::optional<Size> ParseSize(std::string_view text) {
    const auto x = text.find_first_of("xX");
    if (x == std::string_view::npos) return std::nullopt;
    const auto w = ParseSide(text.substr(0, x));
    const auto h = ParseSide(text.substr(x + 1));
    if (!w || !h) return std::nullopt;
    return Size{*w, *h};
}

const char kDitherHelp[] =
    "Every method works on the brightness v (0..255) of each pixel after compositing and\n"
    "scaling, and makes a pixel black when its adjusted value is at most the threshold t.\n"
    "  none             black when v <= t.\n"
    "  floyd-steinberg  rows top to bottom, each left to right. The value is v plus the error\n"
    "                   it received, in sixteenths, rounded to the nearest integer (halves up);\n"
    "                   the error is that value minus 0 (black) or 255 (white); 7/16 of it go\n"
    "                   right, 3/16 down-left, 5/16 down, 1/16 down-right; shares that fall\n"
    "                   outside the picture are dropped.\n"
    "  atkinson         the same scan and rounding in eighths; 1/8 of the error goes to each\n"
    "                   of right, two right, down-left, down, down-right and two down (the\n"
    "                   other 2/8 are dropped, which keeps highlights and shadows clean).\n"
    "  bayer            ordered: black when v + d <= t, with d from the 8 x 8 Bayer matrix\n"
    "                   entry m (0..63) at (x mod 8, y mod 8): d = (2m + 1 - 64) * 255 / 128,\n"
    "                   truncated toward zero (-125..125).\n";

}  // namespace pictoma
