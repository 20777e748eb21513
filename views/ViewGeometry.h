#pragma once
// Where the two views put things, in view units (one unit is one device pixel, y grows downwards):
// the canvas's cells, grid and frame, the preview's picture offset, frame and selection band, and
// the mapping of view points back to picture pixels. Rectangles exclude their right and bottom
// edges.

#include <algorithm>

#include "Crop.h"
#include "Document.h"

namespace pictoma {

// A point in the preview's view coordinates (one unit per device pixel, scroll position applied).
struct ViewPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ViewPoint&) const = default;
};

}  // namespace pictoma

namespace pictoma::geometry {

// View coordinate of picture column 0 and of row 0 for a selection corner: a corner at view
// (x, y) is the picture corner (x - 5, y - 5) (the picture itself is drawn one unit further in).
constexpr int SELECTION_ORIGIN = 5;

// The picture corner a selection corner stands for.
constexpr PicturePoint ToPicturePoint(ViewPoint p) {
    return {p.x - SELECTION_ORIGIN, p.y - SELECTION_ORIGIN};
}

// The canvas: pixel (x, y) owns the cell between grid lines 5 + 5x and 5 + 5(x + 1).
constexpr int CELL_SIZE = 5;
constexpr int GRID_ORIGIN = 5;
constexpr int FRAME_ORIGIN = 3;

// The canvas's red frame with its white inside, around a width x height picture.
constexpr Rect CanvasFrame(int width, int height) {
    return {FRAME_ORIGIN, FRAME_ORIGIN, CELL_SIZE * width + 8, CELL_SIZE * height + 8};
}

// Grid line i (0 .. width or 0 .. height) lies at this view x (vertical) or y (horizontal).
constexpr int GridLine(int i) {
    return GRID_ORIGIN + CELL_SIZE * i;
}

// The black square of pixel (x, y): one unit in from the cell's top-left grid corner, 3 units wide
// (the offsets are fixed numbers that do not scale with the cell).
constexpr Rect PixelSquare(int x, int y) {
    return {CELL_SIZE * (x + 1) + 1, CELL_SIZE * (y + 1) + 1, CELL_SIZE * (x + 1) + 4,
            CELL_SIZE * (y + 1) + 4};
}

// The canvas pixel column (or row) under view x (or y), truncated toward zero, so view units 1..4
// still map to 0 and view unit 0 maps to -1.
constexpr int CanvasPixelAt(int viewCoordinate) {
    return (viewCoordinate - GRID_ORIGIN) / CELL_SIZE;
}

// The canvas at any zoom: cells of `cell` units (5 is the size above, pixel for pixel the same).
// Everything scales with the cell: the grid starts one cell in, the frame lies two units outside
// the grid, and a pixel's square fills its cell but for one unit on every side.
struct CanvasScale {
    int cell = CELL_SIZE;

    constexpr int GridOrigin() const { return cell; }
    constexpr int GridLine(int i) const { return cell + cell * i; }
    constexpr Rect Frame(int width, int height) const {
        return {cell - 2, cell - 2, cell * width + cell + 3, cell * height + cell + 3};
    }
    constexpr Rect Square(int x, int y) const {
        return {cell * (x + 1) + 1, cell * (y + 1) + 1, cell * (x + 2) - 1, cell * (y + 2) - 1};
    }
    // The pixel column (or row) under view x (or y), truncated toward zero as at the normal size.
    constexpr int PixelAt(int viewCoordinate) const { return (viewCoordinate - cell) / cell; }
    // The units the canvas needs to show a width x height picture whole.
    constexpr int Extent(int pixels) const { return cell * pixels + cell + 4; }
};

// The zoom levels of the canvas, smallest first; the first is the normal size.
inline constexpr int kCanvasCellSizes[] = {5, 8, 12, 16, 24};

static_assert(CanvasScale{}.Frame(128, 64) == CanvasFrame(128, 64));
static_assert(CanvasScale{}.Square(3, 2) == PixelSquare(3, 2));
static_assert(CanvasScale{}.GridLine(7) == GridLine(7));
static_assert(CanvasScale{}.PixelAt(7) == CanvasPixelAt(7) && CanvasScale{}.PixelAt(0) == -1);
static_assert(CanvasScale{12}.PixelAt(12) == 0 && CanvasScale{12}.PixelAt(24) == 1);

// The preview: picture pixel (x, y) is drawn at view (x + 6, y + 6).
constexpr int PREVIEW_OFFSET = 6;

// The preview's dashed red frame with its white inside.
constexpr Rect PreviewFrame(int width, int height) {
    return {FRAME_ORIGIN, FRAME_ORIGIN, width + 7, height + 7};
}

// The part of the preview that a new selection wipes clear of the old band.
constexpr Rect PreviewSelectionArea(int width, int height) {
    return {FRAME_ORIGIN, FRAME_ORIGIN, width + SELECTION_ORIGIN, height + SELECTION_ORIGIN};
}

// Whether a view point lies where a selection may start: within 5 .. W + 5 and 5 .. H + 5.
constexpr bool OnSelectionArea(ViewPoint p, int width, int height) {
    return p.x >= SELECTION_ORIGIN && p.x <= width + SELECTION_ORIGIN && p.y >= SELECTION_ORIGIN &&
           p.y <= height + SELECTION_ORIGIN;
}

// A view point kept within the selection area (a drag past the pane's edge stays on the picture's
// edge).
constexpr ViewPoint ClampToSelection(ViewPoint p, int width, int height) {
    return {std::clamp(p.x, SELECTION_ORIGIN, std::max(width, 0) + SELECTION_ORIGIN),
            std::clamp(p.y, SELECTION_ORIGIN, std::max(height, 0) + SELECTION_ORIGIN)};
}

// The band spanned by two corners, whatever their order.
constexpr Rect Band(ViewPoint a, ViewPoint b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// A rectangle moved in by one unit on every side.
constexpr Rect Inset(const Rect& r) {
    return {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

static_assert(CanvasFrame(128, 64) == Rect{3, 3, 648, 328});
static_assert(GridLine(128) == 645 && GridLine(64) == 325);
static_assert(PixelSquare(0, 0) == Rect{6, 6, 9, 9});
static_assert(CanvasPixelAt(7) == 0 && CanvasPixelAt(1) == 0 && CanvasPixelAt(0) == -1 &&
              CanvasPixelAt(10) == 1);

}  // namespace pictoma::geometry
