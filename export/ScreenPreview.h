#pragma once
// The terminal's screen as the export text draws on it, magnified, with a band around it where
// the part of the picture that falls beyond the screen's edges shows in other colours.

#include <string_view>

#include <QColor>
#include <QWidget>

#include "ScreenLayout.h"

namespace pictoma {

class CScreenPreview : public QWidget {
    Q_OBJECT

public:
    static constexpr int kScale = 2;    // widget pixels per screen pixel, across and down
    static constexpr int kMargin = 16;  // screen pixels shown beyond each edge of the screen

    // The colour of each kind of cell.
    static QColor ColourOf(ScreenCell cell);

    explicit CScreenPreview(QWidget* parent = nullptr);

    // Reads `text` (an export text) and shows what it draws; a text that cannot be read shows an
    // empty screen, and Layout() holds the refusal.
    void ShowText(std::string_view text);
    const ScreenResult& Layout() const { return m_layout; }

    // The widget pixel at the top-left of screen pixel (x, y) (which may lie in the band).
    static QPoint WidgetPoint(int x, int y) {
        return {(x + kMargin) * kScale, (y + kMargin) * kScale};
    }
    // The widget's fixed size: the screen and the band around it, magnified.
    static QSize FixedSize() {
        return {(SCREEN_WIDTH + 2 * kMargin) * kScale, (SCREEN_HEIGHT + 2 * kMargin) * kScale};
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ScreenResult m_layout;
};

}  // namespace pictoma
