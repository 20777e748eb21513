#include "ScreenLayout.h"

#include <algorithm>
#include <tuple>

#include "SourceReader.h"

namespace pictoma {

namespace {

bool OnScreen(int x, int y) {
    return x >= 0 && y >= 0 && x < SCREEN_WIDTH && y < SCREEN_HEIGHT;
}

// How much of a span of `length` starting at `start` lies before 0 and at or after `limit`,
// each clamped to the span. Worked in long long: start + length may pass INT_MAX.
std::pair<int, int> Overhang(int start, int length, int limit) {
    const long long s = start, e = (long long)start + length;
    const long long before = std::clamp(-s, 0LL, (long long)length);
    const long long after = std::clamp(e - limit, 0LL, (long long)length);
    return {int(before), int(after)};
}

}  // namespace

ScreenCell ScreenLayout::CellAt(int x, int y) const {
    // Picture coordinates of (x, y); outside the picture Black answers white.
    const long long px = (long long)x - position.x, py = (long long)y - position.y;
    const bool inPicture = px >= 0 && py >= 0 && px < picture.width && py < picture.height;
    const bool ink = inPicture && picture.Black(int(px), int(py));
    if (OnScreen(x, y)) return ink ? ScreenCell::Ink : ScreenCell::Paper;
    if (!inPicture) return ScreenCell::Beyond;
    return ink ? ScreenCell::BeyondInk : ScreenCell::BeyondPaper;
}

ScreenLayout PlaceOnScreen(Picture picture, ScreenPosition position) {
    ScreenLayout layout;
    layout.position = position;
    layout.screen = Picture(SCREEN_WIDTH, SCREEN_HEIGHT);
    std::tie(layout.beyondLeft, layout.beyondRight) =
        Overhang(position.x, picture.width, SCREEN_WIDTH);
    std::tie(layout.beyondTop, layout.beyondBottom) =
        Overhang(position.y, picture.height, SCREEN_HEIGHT);
    // Only the part on the screen is drawn; the loops stay within both the picture and the screen.
    const int firstX = layout.beyondLeft, lastX = picture.width - layout.beyondRight;
    const int firstY = layout.beyondTop, lastY = picture.height - layout.beyondBottom;
    for (int py = firstY; py < lastY; ++py) {
        for (int px = firstX; px < lastX; ++px) {
            if (picture.Black(px, py)) layout.screen.Set(position.x + px, position.y + py, true);
        }
    }
    layout.picture = std::move(picture);
    return layout;
}

ScreenResult LayOutExportText(std::string_view text, std::string_view name) {
    SourceReadResult read = ReadSourceText(text, name);
    if (!read) return ScreenResult::Refusal(read.message());
    SourcePicture& source = read.source();
    if (!source.position)
        return ScreenResult::Refusal(std::string(name) +
                                     ": the text does not draw the picture at one position");
    return PlaceOnScreen(std::move(source.picture), *source.position);
}

}  // namespace pictoma
