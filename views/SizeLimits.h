#pragma once
// The limits of the size dialog, which asks for the size of a new picture and the size to resize
// to: the dialog, the converter's --resize option and the tests share them.

#include "mono.h"

namespace pictoma {

constexpr int MIN_SIZE_WIDTH = 8;
constexpr int MAX_SIZE_WIDTH = SCREEN_WIDTH;
constexpr int MIN_SIZE_HEIGHT = 1;
constexpr int MAX_SIZE_HEIGHT = SCREEN_HEIGHT;

// Whether width x height lies within the size dialog's limits.
constexpr bool WithinSizeLimits(int width, int height) {
    return width >= MIN_SIZE_WIDTH && width <= MAX_SIZE_WIDTH && height >= MIN_SIZE_HEIGHT &&
           height <= MAX_SIZE_HEIGHT;
}

}  // namespace pictoma
