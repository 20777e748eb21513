#pragma once
// The editing canvas: the document's picture magnified to cells of 5 x 5 units (or larger, zoomed)
// on a black grid inside a red frame, edited with the pen, the rubber, lines, rectangles and
// fills. It shows only pictures that fit the terminal's screen, writes the pixel under the mouse
// into the status pane, and prints (always at the normal size).

#include <functional>

#include <QCursor>
#include <QWidget>

#include "PictomaDoc.h"

class QPainter;
class QPrinter;

namespace pictoma {

// The status text while the mouse is not over an editable picture.
inline constexpr const char* kDisableOperation = "Disable operation";

class CPictomaView : public QWidget, public PictomaViewBase {
    Q_OBJECT
public:
    // Attaches the canvas to `doc`; it shows the picture from the document's initial update on.
    explicit CPictomaView(CPictomaDoc& doc, QWidget* parent = nullptr);
    ~CPictomaView() override;

    DocViewKind Kind() const override { return DocViewKind::Canvas; }

    // Takes the picture and its size from the document and clears any stroke.
    void OnInitialUpdate() override;
    // The same, then repaints the whole canvas.
    void OnUpdate(ViewBase* sender, long hint) override;
    // Pixel (x, y)'s square at the current zoom.
    Rect PixelArea(int x, int y) const override;
    // Repaints `rect` (view units); the canvas paints its whole frame, so `erase` changes nothing.
    void InvalidateRect(const Rect& rect, bool erase) override;
    // Takes the keyboard focus.
    void SetFocus() override;

    // Draws the frame, the grid and the black pixels onto `dc` in view units (one unit per device
    // pixel or printer dot); draws nothing for a picture larger than 128 x 64.
    void OnDraw(QPainter& dc) const;

    // The mouse handlers, with the point in view units.
    void OnLButtonDown(QPoint point);
    void OnMouseMove(QPoint point);
    void OnLButtonUp();
    // The right button draws lines, rectangles and fills in white.
    void OnRButtonDown(QPoint point);
    void OnRButtonUp();

    // The zoom: the cell size in units, one of geometry::kCanvasCellSizes. The canvas asks for
    // the room its picture needs, so a scroll area around it scrolls.
    int CellSize() const { return m_nCellSize; }
    void SetCellSize(int cell);
    void ZoomIn();
    void ZoomOut();
    // Called with the new cell size after every zoom change (the frame stores it).
    void SetZoomListener(std::function<void(int)> listener) { m_zoomChanged = std::move(listener); }

    // Status pane 59142: "X=%d , y=%d" over the picture, "Disable operation" elsewhere.
    void OnUpdateIndicator(CommandUi& ui);

    // Print (after the print dialog), print without a dialog, print preview.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    // Draws one page of the canvas on `printer`; false, after a message, when it cannot print.
    bool PrintPage(QPrinter& printer);

    // What shows the print dialog (true to print) and the print preview (which draws its pages
    // through the function it is given); tests replace the real dialogs.
    using PrintDialogRunner = std::function<bool(QPrinter&)>;
    using PrintPreviewRunner =
        std::function<void(QPrinter&, const std::function<void(QPrinter*)>& paintPages)>;
    void SetPrintDialogs(PrintDialogRunner dialog, PrintPreviewRunner preview);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    CPictomaDoc* Doc() const;
    bool Fits() const;
    bool OverPicture() const;
    void TakeDocument();
    void MapPoint(QPoint point);
    void ButtonDown(QPoint point, bool black);
    void ButtonUp();
    void OnSetCursor();
    void UpdateExtent();
    void DrawOn(QPainter& dc, int cell) const;

    bool m_bDrawing = false;
    bool m_bDrawBlack = true;  // the colour of the line, rectangle or stroke being drawn
    PixelPoint m_dragStart;    // where a line or rectangle began
    const Picture* m_pPixels = nullptr;
    int m_nCurX = 0;
    int m_nCurY = 0;
    int m_nWidth = SCREEN_WIDTH;
    int m_nHeight = SCREEN_HEIGHT;
    int m_nCellSize;
    std::function<void(int)> m_zoomChanged;

    QCursor m_penCursor;
    QCursor m_rubberCursor;
    PrintDialogRunner m_printDialog;
    PrintPreviewRunner m_printPreview;
};

}  // namespace pictoma
