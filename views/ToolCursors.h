#pragma once
// The canvas's two tool cursors, drawn in code: 32 x 32, black outlines on white with a transparent
// surround, as the cursors of monochrome displays have them.

#include <QCursor>

namespace pictoma {

// Hot spots: the pencil's point and the eraser block's lower-left corner.
constexpr int PEN_HOT_X = 11;
constexpr int PEN_HOT_Y = 20;
constexpr int RUBBER_HOT_X = 8;
constexpr int RUBBER_HOT_Y = 20;
constexpr int TOOL_CURSOR_SIZE = 32;

// A pencil slanting up to the right, its point at the hot spot (11, 20).
QCursor PenCursor();
// A slanted eraser block, its lower-left corner at the hot spot (8, 20).
QCursor RubberCursor();

}  // namespace pictoma
