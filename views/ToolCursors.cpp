#include "ToolCursors.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace pictoma {

namespace {

// A transparent 32 x 32 picture on which `draw` paints without antialiasing, so that every pixel
// is black, white or transparent.
template <class Draw>
QPixmap CursorPicture(Draw draw) {
    QPixmap picture(TOOL_CURSOR_SIZE, TOOL_CURSOR_SIZE);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    draw(p);
    return picture;
}

}  // namespace

QCursor PenCursor() {
    return QCursor(
        CursorPicture([](QPainter& p) {
            // The pencil lies along the diagonal from its point (11, 20) up to the right.
            p.setPen(Qt::black);
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygon({{14, 13}, {24, 3}, {28, 7}, {18, 17}}));  // the body
            p.drawLine(16, 15, 26, 5);                                        // its middle edge
            p.setBrush(Qt::black);
            p.drawPolygon(QPolygon({{24, 3}, {26, 1}, {30, 5}, {28, 7}}));  // the end cap
            p.setBrush(Qt::white);
            p.drawPolygon(
                QPolygon({{14, 13}, {18, 17}, {12, 20}, {11, 19}}));  // the sharpened wood
            p.setPen(Qt::black);
            p.drawLine(11, 20, 12, 19);  // the lead at the point
            p.drawPoint(PEN_HOT_X, PEN_HOT_Y);
        }),
        PEN_HOT_X, PEN_HOT_Y);
}

QCursor RubberCursor() {
    return QCursor(
        CursorPicture([](QPainter& p) {
            // A block leaning to the right, seen from the front and the top; its front face's
            // lower-left corner is the hot spot (8, 20).
            p.setPen(Qt::black);
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygon({{8, 16}, {20, 16}, {29, 7}, {17, 7}}));    // the top face
            p.drawPolygon(QPolygon({{8, 16}, {20, 16}, {20, 20}, {8, 20}}));   // the front face
            p.drawPolygon(QPolygon({{20, 16}, {29, 7}, {29, 11}, {20, 20}}));  // the side face
            p.setBrush(Qt::black);
            p.drawPolygon(QPolygon({{14, 16}, {20, 16}, {20, 20}, {14, 20}}));  // its dark sleeve
            p.drawPolygon(QPolygon({{14, 16}, {20, 16}, {29, 7}, {23, 7}}));
        }),
        RUBBER_HOT_X, RUBBER_HOT_Y);
}

}  // namespace pictoma
