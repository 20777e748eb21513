#pragma once
// Dialog units: the font-relative measure in which the dialogs are laid out, so that they keep
// their proportions whatever font size and screen density the system uses.
//
// The editor has its own helper (framework/DialogUnits.h) that rounds to the nearest pixel; this
// one truncates. They stay two on purpose: Vantrel is a program of its own that links nothing of
// the editor, and its dialogs were laid out and tested with truncated units, so rounding here would
// move its controls by a pixel.

#include <QFont>
#include <QRect>
#include <QSize>

namespace vantrel {

class DialogUnits {
public:
    // Units of a dialog in `font`: 4 horizontal units are one average character width, 8
    // vertical units one line height.
    explicit DialogUnits(const QFont& font);
    // A rectangle in pixels from left, top, width and height in dialog units.
    QRect Rect(int x, int y, int w, int h) const;
    // A size in pixels from width and height in dialog units.
    QSize Size(int w, int h) const;

private:
    int baseX_;
    int baseY_;
};

}  // namespace vantrel
