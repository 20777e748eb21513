#include "CropResizeArgs.h"

#include <charconv>
#include <cstddef>
#include <vector>

#include "SizeLimits.h"

namespace pictoma {

IntParse ParseInt(std::string_view text, int& value, SignRule rule) {
    const char* first = text.data();
    const char* end = first + text.size();
    if (rule == SignRule::PlusAllowed && first != end && *first == '+') ++first;
    if (first == end) return IntParse::NotANumber;
    const auto [ptr, ec] = std::from_chars(first, end, value);
    if (ec == std::errc::result_out_of_range) return IntParse::TooLarge;
    if (ec != std::errc() || ptr != end) return IntParse::NotANumber;
    return IntParse::Ok;
}

namespace {

using Field = IntParse;

// Reads `count` whole numbers separated by `separator` (or `alternative`) from the whole of
// `text`. On failure: the first field that is not a number, or that does not fit an int.
struct Fields {
    Field status = Field::Ok;
    std::string_view bad;
    std::vector<int> values;
};
Fields ReadFields(std::string_view text, std::size_t count, char separator, char alternative) {
    Fields fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != separator && text[i] != alternative) continue;
        const std::string_view part = text.substr(start, i - start);
        int value = 0;
        const Field f = fields.values.size() < count ? ParseInt(part, value) : Field::NotANumber;
        if (f != Field::Ok) return {f, part, {}};
        fields.values.push_back(value);
        start = i + 1;
    }
    if (fields.values.size() != count) return {Field::NotANumber, text, {}};
    return fields;
}

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

std::string CornersText(const CropArgs& a) {
    return std::to_string(a.left) + "," + std::to_string(a.top) + "," + std::to_string(a.right) +
           "," + std::to_string(a.bottom);
}

std::string SizeText(Size size) {
    return std::to_string(size.width) + " x " + std::to_string(size.height);
}

}  // namespace

ParsedArg<CropArgs> ParseCropArg(std::string_view text) {
    const Fields f = ReadFields(text, 4, ',', ',');
    if (f.status == Field::TooLarge) {
        return {std::nullopt, "--crop: " + Quoted(f.bad) + " is out of range, got " + Quoted(text)};
    }
    if (f.status != Field::Ok) {
        return {std::nullopt,
                "--crop: expected L,T,R,B (four whole numbers separated by commas), "
                "got " +
                    Quoted(text)};
    }
    return {CropArgs{f.values[0], f.values[1], f.values[2], f.values[3]}, {}};
}

std::string CheckCropArg(const CropArgs& args, Size picture) {
    const auto inRange = [](int v, int max) { return v >= 0 && v <= max; };
    if (!inRange(args.left, picture.width) || !inRange(args.right, picture.width) ||
        !inRange(args.top, picture.height) || !inRange(args.bottom, picture.height)) {
        return "--crop: L and R must lie between 0 and " + std::to_string(picture.width) +
               ", T and B between 0 and " + std::to_string(picture.height) + " on this " +
               SizeText(picture) + " picture, got " + CornersText(args);
    }
    if (!CropOffered(args.Start(), args.End())) {
        return "--crop: the selection must be at least " + std::to_string(MIN_CROP_WIDTH) +
               " pixels wide (|R - L| >= " + std::to_string(MIN_CROP_WIDTH) + "), got " +
               CornersText(args);
    }
    if (!CropCutOf(picture, args.Start(), args.End())) {
        return "--crop: the selection " + CornersText(args) + " holds no row of this " +
               SizeText(picture) + " picture";
    }
    return {};
}

ParsedArg<Size> ParseResizeArg(std::string_view text) {
    const std::string range = "the width must lie between " + std::to_string(MIN_SIZE_WIDTH) +
                              " and " + std::to_string(MAX_SIZE_WIDTH) +
                              " and the height between " + std::to_string(MIN_SIZE_HEIGHT) +
                              " and " + std::to_string(MAX_SIZE_HEIGHT);
    const Fields f = ReadFields(text, 2, 'x', 'X');
    if (f.status == Field::NotANumber) {
        return {std::nullopt,
                "--resize: expected WxH (two whole numbers separated by x), got " + Quoted(text)};
    }
    if (f.status == Field::TooLarge || !WithinSizeLimits(f.values[0], f.values[1])) {
        return {std::nullopt, "--resize: " + range + ", got " + Quoted(text)};
    }
    return {Size{f.values[0], f.values[1]}, {}};
}

}  // namespace pictoma
