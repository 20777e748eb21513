#pragma once
// Crop: cuts a picture to the whole byte columns and rows under a selection made on the preview.

#include <optional>

#include "mono.h"

namespace pictoma {

// A selection corner in picture pixels: (x, y) is the corner at the top left of pixel (x, y), so
// a picture W x H has its corners from (0, 0) to (W, H).
struct PicturePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PicturePoint&) const = default;
};

// Crop is offered only for a selection at least this many pixels wide.
constexpr int MIN_CROP_WIDTH = 8;

// Whether Crop is offered for the selection spanned by corners a and b (its height plays no part).
constexpr bool CropOffered(PicturePoint a, PicturePoint b) {
    return (a.x > b.x ? a.x - b.x : b.x - a.x) >= MIN_CROP_WIDTH;
}

// The part of a picture that Crop keeps: byte columns and rows, 0-based and inclusive.
struct CropCut {
    int firstByteColumn = 0;
    int lastByteColumn = 0;
    int firstRow = 0;
    int lastRow = 0;
    bool operator==(const CropCut&) const = default;

    // Size of the cut picture: whole byte columns across, so the width is a multiple of 8.
    Size CutSize() const {
        return {mono::FirstColumnOf(lastByteColumn - firstByteColumn + 1), lastRow - firstRow + 1};
    }
};

// The cut for the selection spanned by corners a and b (either order) on a picture of the given
// size: the byte columns from the left corner's to the one 7 pixels right of the right corner, the
// rows from the top corner's to the bottom corner's, limited to the last byte column and the last
// row. Corners left of or above the picture count as on its edge. nullopt when the limited cut
// holds no byte column or no row (a selection left from a larger picture, or one along its bottom
// edge).
std::optional<CropCut> CropCutOf(Size picture, PicturePoint a, PicturePoint b);

// Cuts `picture` to CropCutOf(its size, a, b), copying the bytes unchanged (so pixels that lay
// beyond the old width in a row's last byte come along), and returns true; returns false and leaves
// the picture as it was when the cut is empty. Rows missing from a short byte array count as
// absent.
bool Crop(Picture& picture, PicturePoint a, PicturePoint b);

}  // namespace pictoma
