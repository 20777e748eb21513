#pragma once
// The composite and brightness steps on one RGBA row when nothing is scaled: each pixel laid over
// the background level, then its brightness by the bitmap reader's rule (Brightness.h). The
// vector forms evaluate the same double-precision expression, two or four pixels at a time, with
// the same operations in the same order, so all give the same levels.

#include <cstdint>

#include "ConvertPath.h"

namespace pictoma::greyrows {

using GreyRowFn = void (*)(const std::uint8_t* rgba, int width, std::uint8_t bg,
                           std::uint8_t* grey);

void GreyRowScalar(const std::uint8_t* rgba, int width, std::uint8_t bg, std::uint8_t* grey);

// The row function of `path` (the scalar one where this build has no vector form of it).
GreyRowFn GreyRowFor(ConvertPath path);

}  // namespace pictoma::greyrows
