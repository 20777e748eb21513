#pragma once
// Dialog layouts given in dialog units: a quarter of the font's average character width across,
// an eighth of its character height down, so a dialog keeps its proportions with any font.

#include <QFont>
#include <QRect>
#include <QSize>

namespace pictoma {

// The rectangle (x, y, w, h) in dialog units, in pixels for `font`.
QRect DialogRect(const QFont& font, int x, int y, int w, int h);
// The size w x h in dialog units, in pixels for `font`.
QSize DialogSize(const QFont& font, int w, int h);

}  // namespace pictoma
