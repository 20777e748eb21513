#pragma once
// The terminal's screen with a picture drawn on it, as the export text draws it: what the screen
// shows, and which part of the picture falls beyond its edges.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "IconSource.h"
#include "mono.h"

namespace pictoma {

// What lies at one pixel of the screen or of the area around it.
enum class ScreenCell : std::uint8_t {
    Paper,        // on the screen, no ink
    Ink,          // on the screen, a black pixel of the picture
    Beyond,       // off the screen, not part of the picture
    BeyondPaper,  // off the screen, a white pixel of the picture
    BeyondInk,    // off the screen, a black pixel of the picture
};

// A picture placed on the screen.
struct ScreenLayout {
    Picture picture;          // as placed (for the export forms: as decoded from the text)
    ScreenPosition position;  // its top-left corner in screen pixels; may lie off the screen
    Picture screen;           // SCREEN_WIDTH x SCREEN_HEIGHT: what the terminal shows
    // The picture's columns beyond the screen's left and right edges and its rows beyond the top
    // and bottom edges (0 up to the picture's width or height).
    int beyondLeft = 0;
    int beyondRight = 0;
    int beyondTop = 0;
    int beyondBottom = 0;

    // True when the whole picture lies on the screen.
    bool Fits() const { return !beyondLeft && !beyondRight && !beyondTop && !beyondBottom; }
    // What is at (x, y) in screen pixels; any point, on the screen or off it.
    ScreenCell CellAt(int x, int y) const;
};

// Draws `picture` (Consistent) with its top-left corner at `position` on a blank screen.
ScreenLayout PlaceOnScreen(Picture picture, ScreenPosition position);

// The layout an export text draws, or the refusal to show.
class [[nodiscard]] ScreenResult {
public:
    ScreenResult(ScreenLayout layout) : m_layout(std::move(layout)) {}
    static ScreenResult Refusal(std::string message) { return ScreenResult(std::move(message)); }

    bool ok() const { return m_layout.has_value(); }
    explicit operator bool() const { return ok(); }
    const ScreenLayout& layout() const { return *m_layout; }  // only when ok()
    const std::string& message() const { return m_message; }  // empty when ok()

private:
    explicit ScreenResult(std::string message) : m_message(std::move(message)) {}

    std::optional<ScreenLayout> m_layout;
    std::string m_message;
};

// Reads an export text (C or BASIC, as MakeIconSourceC and MakeIconSourceBasic write it, hand
// edits included) and places its picture where its show_image calls draw it. Refuses, naming
// `name`, a text that cannot be read or that does not draw the picture at one position (a Save
// form, or BASIC rows that are not drawn one under the other).
ScreenResult LayOutExportText(std::string_view text, std::string_view name);

}  // namespace pictoma
