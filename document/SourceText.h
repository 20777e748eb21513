#pragma once
// The texts Save writes: the picture's bytes, bit-reversed, as a C initialiser or as BASIC strings.

#include <string>

#include "mono.h"

namespace pictoma {

// C form: "str[]={" then one line per row of 0xHH values (upper-case digits), each followed by a
// comma except the very last, which is followed by "}". Lines end in CR LF; no line end after
// the last line. Bits past the width in a row's last byte are written as held.
std::string MakeSaveTextC(const Picture& picture);

// BASIC form: one line per row, "str0$=" for the first and "str_<r>$=" for row r, then the row's
// values as "chr$(v)" joined by "+". Lines end in CR LF; no line end after the last line.
std::string MakeSaveTextBasic(const Picture& picture);

}  // namespace pictoma
