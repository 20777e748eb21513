#pragma once
// Drawing helpers shared by the two views: a view rectangle as a QRect, and a framed rectangle as
// the views draw it (a white fill with a one-unit outline on its outermost units).

#include <QPainter>
#include <QPen>
#include <QRect>

#include "Document.h"

namespace pictoma {

// `r` as a QRect covering the same units (its right and bottom edges excluded).
inline QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// Outlines `r` with `pen` (one unit wide) on its outermost units; an empty rectangle draws nothing.
inline void DrawOutline(QPainter& dc, const Rect& r, const QPen& pen) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing, false);
    dc.setPen(pen);
    dc.setBrush(Qt::NoBrush);
    // A one-unit outline of a QRect covers its width plus one, hence the smaller rectangle.
    dc.drawRect(QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1));
    dc.restore();
}

// Fills `r` white and outlines it with `pen`, as a rectangle is drawn with the default brush.
inline void DrawRectangle(QPainter& dc, const Rect& r, const QPen& pen) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    dc.fillRect(ToQRect(r), Qt::white);
    DrawOutline(dc, r, pen);
}

}  // namespace pictoma
