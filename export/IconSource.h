#pragma once
// The texts of the export dialog: the picture's bytes, bit-reversed, with the terminal's
// show_image call that draws them at (x, y).

#include <string>

#include "mono.h"

namespace pictoma {

// Valid positions of the picture's top-left corner on the terminal's screen.
inline constexpr int kExportMaxX = SCREEN_WIDTH - 1;
inline constexpr int kExportMaxY = SCREEN_HEIGHT - 1;

// A position on the terminal's screen.
struct ScreenPosition {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPosition&) const = default;
};

// The position that centres a width x height picture on the screen, as the export forms start
// (rounded toward zero).
constexpr ScreenPosition CentredPosition(int width, int height) {
    return {(SCREEN_WIDTH - width) / 2, (SCREEN_HEIGHT - height) / 2};
}

// What the export dialog is given: the picture and the position it starts at.
struct ExportRequest {
    Picture picture;
    int x = 0;
    int y = 0;
};

// C form: "char icon[]={" CR LF, one line per row of 0xHH values each followed by a comma, a
// blank and CR LF after each row except the last, which ends "};" CR LF; then
// "show_image(x,y,width,height,icon)" with no line end after it.
std::string MakeIconSourceC(const Picture& picture, int x, int y);

// BASIC form: one variable per row ("icon_<r>$=" and its values as "chr$(v)" joined by "+"),
// then one "show_image(x,y+r,width,1,icon_<r>$)" per row. Every line ends in CR LF.
std::string MakeIconSourceBasic(const Picture& picture, int x, int y);

}  // namespace pictoma
