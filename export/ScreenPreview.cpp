#include "ScreenPreview.h"

#include <QImage>
#include <QPainter>

namespace pictoma {

QColor CScreenPreview::ColourOf(ScreenCell cell) {
    switch (cell) {
        case ScreenCell::Paper:
            return QColor(0xC8, 0xD4, 0xB4);  // the terminal's grey-green glass
        case ScreenCell::Ink:
            return QColor(0x1E, 0x24, 0x18);
        case ScreenCell::Beyond:
            return QColor(0x8C, 0x8C, 0x8C);
        case ScreenCell::BeyondPaper:
            return QColor(0xF2, 0xB8, 0xB8);
        case ScreenCell::BeyondInk:
            return QColor(0xC0, 0x18, 0x18);
    }
    return QColor(Qt::magenta);
}

CScreenPreview::CScreenPreview(QWidget* parent)
    : QWidget(parent), m_layout(ScreenResult::Refusal(std::string())) {
    setFixedSize(FixedSize());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CScreenPreview::ShowText(std::string_view text) {
    m_layout = LayOutExportText(text, "The generated text");
    update();
}

void CScreenPreview::paintEvent(QPaintEvent*) {
    // One image pixel per screen pixel, band included, then magnified without smoothing.
    const int w = SCREEN_WIDTH + 2 * kMargin, h = SCREEN_HEIGHT + 2 * kMargin;
    QImage image(w, h, QImage::Format_RGB32);
    QRgb colours[5];
    for (ScreenCell cell : {ScreenCell::Paper, ScreenCell::Ink, ScreenCell::Beyond,
                            ScreenCell::BeyondPaper, ScreenCell::BeyondInk})
        colours[int(cell)] = ColourOf(cell).rgb();
    const ScreenLayout blank = PlaceOnScreen(Picture(), {});
    const ScreenLayout& layout = m_layout ? m_layout.layout() : blank;
    for (int row = 0; row < h; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int col = 0; col < w; ++col)
            line[col] = colours[int(layout.CellAt(col - kMargin, row - kMargin))];
    }
    QPainter painter(this);
    painter.drawImage(QRect(QPoint(0, 0), FixedSize()), image);
}

}  // namespace pictoma
