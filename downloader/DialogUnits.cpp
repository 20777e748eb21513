#include "DialogUnits.h"

#include <QFontMetrics>
#include <algorithm>

namespace vantrel {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = std::max(1, (letters / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

QRect DialogUnits::Rect(int x, int y, int w, int h) const {
    return {x * baseX_ / 4, y * baseY_ / 8, w * baseX_ / 4, h * baseY_ / 8};
}

QSize DialogUnits::Size(int w, int h) const {
    return {w * baseX_ / 4, h * baseY_ / 8};
}

}  // namespace vantrel
