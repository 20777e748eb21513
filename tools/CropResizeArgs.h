#pragma once
// The converter's argument parsing: whole numbers, and the --crop L,T,R,B and --resize WxH
// arguments with their range checks and the messages a usage error shows.

#include <optional>
#include <string>
#include <string_view>

#include "Crop.h"
#include "SizeLimits.h"
#include "mono.h"

namespace pictoma {

enum class IntParse { Ok, NotANumber, TooLarge };
enum class SignRule { MinusOnly, PlusAllowed };

// Reads the whole of `text` as a whole number: an optional minus sign (or, with PlusAllowed, one
// leading plus sign) and digits, nothing else. TooLarge when it does not fit an int.
IntParse ParseInt(std::string_view text, int& value, SignRule rule = SignRule::MinusOnly);

// A value parsed from an argument, or the message that says why it was refused.
template <typename T>
struct ParsedArg {
    std::optional<T> value;  // set when the argument was accepted
    std::string error;       // otherwise: names the option and what it allows

    explicit operator bool() const { return value.has_value(); }
};

// A selection dragged from corner (left, top) to corner (right, bottom), in picture coordinates.
struct CropArgs {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const CropArgs&) const = default;

    // The two corners as Crop takes them.
    PicturePoint Start() const { return {left, top}; }
    PicturePoint End() const { return {right, bottom}; }
};

// Parses "L,T,R,B" (four whole numbers separated by commas, nothing else); checks no range.
ParsedArg<CropArgs> ParseCropArg(std::string_view text);

// Empty when Crop may take `args` on a picture of the given size, as the editor would offer it:
// 0 <= L, R <= width, 0 <= T, B <= height, |R - L| >= 8 and a cut that holds at least one row;
// otherwise the usage message for --crop.
std::string CheckCropArg(const CropArgs& args, Size picture);

// Parses "WxH" (two whole numbers separated by 'x') and checks 8 <= W <= 128 and 1 <= H <= 64.
ParsedArg<Size> ParseResizeArg(std::string_view text);

}  // namespace pictoma
