#pragma once
// Drawing on a picture: straight lines, rectangle outlines and 4-connected fills, each pixel
// written through the caller's pixel function so the document sees every write.

#include <functional>
#include <vector>

#include "mono.h"

namespace pictoma {

struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// Every pixel of the straight line from a to b, both ends included, in order from a (Bresenham:
// consecutive points touch by an edge or a corner).
std::vector<PixelPoint> LinePixels(PixelPoint a, PixelPoint b);

// The outline of the rectangle with corners a and b (either order), each pixel once.
std::vector<PixelPoint> RectanglePixels(PixelPoint a, PixelPoint b);

// The pixels of `picture` 4-connected to `seed` that have its colour (none when the seed lies
// outside the picture).
std::vector<PixelPoint> FillPixels(const Picture& picture, PixelPoint seed);

}  // namespace pictoma
