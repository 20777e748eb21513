#pragma once
// The preview: the document's picture at real size inside a dashed red frame, for pictures of any
// size, with a rubber-band selection whose size goes to the status pane, and the Crop and Resize
// commands that bring a picture down to the terminal's screen.

#include <cstdint>
#include <functional>
#include <vector>

#include <QAbstractScrollArea>
#include <QRegion>

#include "BmpSizeDlg.h"
#include "PictomaDoc.h"
#include "ViewGeometry.h"

class QPainter;

namespace pictoma {

class CBmpPreview : public QAbstractScrollArea, public PictomaViewBase {
    Q_OBJECT
public:
    // Attaches the preview to `doc`; it shows the picture from the document's initial update on.
    explicit CBmpPreview(CPictomaDoc& doc, QWidget* parent = nullptr);
    ~CBmpPreview() override;

    DocViewKind Kind() const override { return DocViewKind::Preview; }

    // Takes the picture and its size from the document and sets the scroll extent.
    void OnInitialUpdate() override;
    // The same, then repaints the whole view; the selection stays.
    void OnUpdate(ViewBase* sender, long hint) override;
    // Repaints `rect` (view units) where it shows at the current scroll position.
    void InvalidateRect(const Rect& rect, bool erase) override;
    // Takes the keyboard focus.
    void SetFocus() override;

    // Draws the frame and the picture onto `dc` in view units; nothing for a picture without
    // bytes. Never draws the selection band. `area` (view units) limits the picture's pixels to
    // the part being repainted; empty draws them all.
    void OnDraw(QPainter& dc, const QRect& area = QRect()) const;

    // The mouse handlers, with the point in view units (scroll position applied).
    void OnLButtonDown(ViewPoint point);
    void OnMouseMove(ViewPoint point);
    void OnLButtonUp();

    // Crop: cuts the picture to the whole bytes and rows under the selection, then clears it.
    void OnEditCrop();
    // Crop is offered for a selection at least 8 units wide.
    void OnUpdateEditCrop(CommandUi& ui);
    // Resize: asks the size in m_dlgSize (the edited flag is set before it shows) and scales.
    void OnEditResize();
    // Status pane 59142: "Select: Width=%d,Height=%d".
    void OnUpdateIndicator(CommandUi& ui);

    // The selection's corners, in view units.
    ViewPoint SelectionStart() const { return m_ptSelStart; }
    ViewPoint SelectionEnd() const { return m_ptSelEnd; }

    // What shows the size dialog (true for OK); tests replace the modal run.
    using SizeDialogRunner = std::function<bool(CBmpSizeDlg&)>;
    void SetSizeDialogRunner(SizeDialogRunner run);

    // The view's scroll extent: the whole frame, so the picture's last columns and rows can be
    // scrolled into sight.
    QSize Extent() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    CPictomaDoc* Doc() const;
    void TakeDocument();
    void UpdateScrollBars();
    QPoint ScrollOffset() const;
    ViewPoint ToView(QPointF windowPoint) const;
    QRect PictureRect() const;
    void DrawPicture(QPainter& dc, const QRect& part) const;
    void DrawBand(QPainter& dc) const;

    const Picture* m_pPixels = nullptr;
    CBmpSizeDlg m_dlgSize;
    bool m_bSelecting = false;
    ViewPoint m_ptSelStart;
    ViewPoint m_ptSelEnd;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nNewWidth = 0;
    int m_nNewHeight = 0;

    SizeDialogRunner m_runSizeDialog;
    // The band as it was last drawn, in view units, and what of it is still on the screen: it
    // stays until a repaint covers it. Its white fill shows only outside the previous band's
    // inside, which the paint routine draws again.
    Rect m_band;
    QRegion m_bandFill;
    QRegion m_bandShown;
};

}  // namespace pictoma
