#include "DialogUnits.h"

#include <QFontMetrics>

namespace pictoma {

namespace {

struct Base {
    int x;
    int y;
};

Base BaseOf(const QFont& font) {
    const QFontMetrics fm(font);
    const int alphabet = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabet / 26 + 1) / 2, fm.height()};
}

int Scale(int units, int base, int per) {
    return (units * base + per / 2) / per;
}

}  // namespace

QRect DialogRect(const QFont& font, int x, int y, int w, int h) {
    const Base b = BaseOf(font);
    return QRect(Scale(x, b.x, 4), Scale(y, b.y, 8), Scale(w, b.x, 4), Scale(h, b.y, 8));
}

QSize DialogSize(const QFont& font, int w, int h) {
    const Base b = BaseOf(font);
    return QSize(Scale(w, b.x, 4), Scale(h, b.y, 8));
}

}  // namespace pictoma
