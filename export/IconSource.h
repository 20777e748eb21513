#pragma once
// The texts of the export dialog: the picture's bytes, bit-reversed, with the terminal's
// show_image call that draws them at (x, y).

#include <cstdint>
#include <span>
#include <string>

namespace pictoma {

// C form: "char icon[]={" CR LF, one line per row of 0xHH values each followed by a comma, a
// blank and CR LF after each row except the last, which ends "};" CR LF; then
// "show_image(x,y,width,height,icon)" with no line end after it.
std::string MakeIconSourceC(std::span<const std::uint8_t> bytes, int width, int height, int x,
                            int y);

// BASIC form: one variable per row ("icon_<r>$=" and its values as "chr$(v)" joined by "+"),
// then one "show_image(x,y+r,width,1,icon_<r>$)" per row. Every line ends in CR LF.
std::string MakeIconSourceBasic(std::span<const std::uint8_t> bytes, int width, int height, int x,
                                int y);

}  // namespace pictoma
