#include "PictomaView.h"

#include <algorithm>
#include <iterator>
#include <string>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWheelEvent>

#include "MessageBoxQt.h"
#include "ToolCursors.h"
#include "ViewDrawing.h"
#include "ViewGeometry.h"

namespace pictoma {

namespace {

bool RunPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void RunPrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paintPages,
                     QWidget* parent) {
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paintPages);
    dialog.exec();
}

}  // namespace

CPictomaView::CPictomaView(CPictomaDoc& doc, QWidget* parent)
    : QWidget(parent),
      m_nCellSize(geometry::CELL_SIZE),
      m_penCursor(PenCursor()),
      m_rubberCursor(RubberCursor()) {
    // The paint routine fills what it repaints, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    SetPrintDialogs({}, {});

    AddUpdateRule(cmd::kIndicatorPane, &CPictomaView::OnUpdateIndicator);
    AddCommand(cmd::kFilePrint, &CPictomaView::OnFilePrint);
    AddCommand(cmd::kFilePrintDirect, &CPictomaView::OnFilePrintDirect);
    AddCommand(cmd::kFilePrintPreview, &CPictomaView::OnFilePrintPreview);
    doc.AddView(*this);
}

CPictomaView::~CPictomaView() {
    if (DocumentBase* doc = GetDocument()) doc->RemoveView(*this);
}

CPictomaDoc* CPictomaView::Doc() const {
    return dynamic_cast<CPictomaDoc*>(GetDocument());
}

bool CPictomaView::Fits() const {
    return !TooLargeForScreen(m_nWidth, m_nHeight);
}

bool CPictomaView::OverPicture() const {
    return Fits() && m_nCurX >= 0 && m_nCurX < m_nWidth && m_nCurY >= 0 && m_nCurY < m_nHeight;
}

void CPictomaView::TakeDocument() {
    CPictomaDoc* doc = Doc();
    m_pPixels = doc ? &doc->GetPicture() : nullptr;
    m_nWidth = doc ? m_pPixels->width : 0;
    m_nHeight = doc ? m_pPixels->height : 0;
    // A mouse grab stays until the button comes up, but it no longer draws.
    if (m_bDrawing && doc) doc->EndStroke();
    m_bDrawing = false;
    UpdateExtent();
}

void CPictomaView::OnInitialUpdate() {
    ViewBase::OnInitialUpdate();
    TakeDocument();
}

void CPictomaView::OnUpdate(ViewBase*, long) {
    TakeDocument();
    update();
}

Rect CPictomaView::PixelArea(int x, int y) const {
    // The square the pixel is drawn as, at the current zoom (at the normal size, the default).
    return geometry::CanvasScale{m_nCellSize}.Square(x, y);
}

void CPictomaView::InvalidateRect(const Rect& rect, bool) {
    update(ToQRect(rect));
}

void CPictomaView::SetCellSize(int cell) {
    if (std::find(std::begin(geometry::kCanvasCellSizes), std::end(geometry::kCanvasCellSizes),
                  cell) == std::end(geometry::kCanvasCellSizes))
        cell = geometry::CELL_SIZE;
    if (cell == m_nCellSize) return;
    m_nCellSize = cell;
    UpdateExtent();
    update();
    if (m_zoomChanged) m_zoomChanged(cell);
}

void CPictomaView::ZoomIn() {
    for (int cell : geometry::kCanvasCellSizes)
        if (cell > m_nCellSize) return SetCellSize(cell);
}

void CPictomaView::ZoomOut() {
    int smaller = geometry::kCanvasCellSizes[0];
    for (int cell : geometry::kCanvasCellSizes)
        if (cell < m_nCellSize) smaller = cell;
    SetCellSize(smaller);
}

void CPictomaView::UpdateExtent() {
    const geometry::CanvasScale scale{m_nCellSize};
    if (Fits() && m_pPixels)
        setMinimumSize(scale.Extent(m_nWidth), scale.Extent(m_nHeight));
    else
        setMinimumSize(0, 0);
}

void CPictomaView::SetFocus() {
    setFocus(Qt::OtherFocusReason);
}

void CPictomaView::OnDraw(QPainter& dc) const {
    DrawOn(dc, geometry::CELL_SIZE);
}

void CPictomaView::DrawOn(QPainter& dc, int cell) const {
    if (!m_pPixels || !GetDocument() || !Fits()) return;
    const geometry::CanvasScale scale{cell};
    const int c = cell;
    const int w = m_nWidth, h = m_nHeight;

    // The white background with its red frame.
    DrawRectangle(dc, scale.Frame(w, h), QPen(Qt::red, 0, Qt::SolidLine));

    // The grid: lines end one unit short of their end point, as line drawing does.
    for (int i = 0; i <= h; ++i)
        dc.fillRect(scale.GridOrigin(), scale.GridLine(i), c * w, 1, Qt::black);
    for (int i = 0; i <= w; ++i)
        dc.fillRect(scale.GridLine(i), scale.GridOrigin(), 1, c * h, Qt::black);

    // The black pixels; white ones show the frame's fill.
    const Picture& picture = *m_pPixels;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (picture.Black(x, y)) dc.fillRect(ToQRect(scale.Square(x, y)), Qt::black);
        }
    }

    // The line or rectangle being dragged, in grey (or light grey where it would draw white).
    const CPictomaDoc* doc = Doc();
    if (!m_bDrawing || !doc ||
        (doc->Tool() != DrawTool::Line && doc->Tool() != DrawTool::Rectangle))
        return;
    const PixelPoint end{m_nCurX, m_nCurY};
    const std::vector<PixelPoint> band = doc->Tool() == DrawTool::Line
                                             ? LinePixels(m_dragStart, end)
                                             : RectanglePixels(m_dragStart, end);
    const QColor colour = m_bDrawBlack ? QColor(96, 96, 96) : QColor(200, 200, 200);
    for (const PixelPoint p : band)
        if (p.x >= 0 && p.y >= 0 && p.x < w && p.y < h)
            dc.fillRect(ToQRect(scale.Square(p.x, p.y)), colour);
}

void CPictomaView::MapPoint(QPoint point) {
    // The canvas never scrolls, so window and view coordinates agree.
    const geometry::CanvasScale scale{m_nCellSize};
    m_nCurX = scale.PixelAt(point.x());
    m_nCurY = scale.PixelAt(point.y());
}

void CPictomaView::ButtonDown(QPoint point, bool black) {
    CPictomaDoc* doc = Doc();
    MapPoint(point);
    OnSetCursor();
    if (!doc || !m_pPixels || !Fits()) return;
    const PixelPoint at{m_nCurX, m_nCurY};
    switch (doc->Tool()) {
        case DrawTool::Pen:
        case DrawTool::Rubber:
            // The pen draws black and the rubber white, with the left button only.
            if (!black) return;
            m_bDrawing = true;
            doc->BeginStroke(doc->m_bPen);
            doc->StrokeTo(at.x, at.y);
            break;
        case DrawTool::Line:
        case DrawTool::Rectangle:
            m_bDrawing = true;
            m_bDrawBlack = black;
            m_dragStart = at;
            update();
            break;
        case DrawTool::Fill:
            doc->FillAt(at, black);
            break;
    }
}

void CPictomaView::ButtonUp() {
    CPictomaDoc* doc = Doc();
    if (!m_bDrawing || !doc) {
        m_bDrawing = false;
        return;
    }
    m_bDrawing = false;
    const PixelPoint end{m_nCurX, m_nCurY};
    if (doc->Tool() == DrawTool::Line)
        doc->DrawLine(m_dragStart, end, m_bDrawBlack);
    else if (doc->Tool() == DrawTool::Rectangle)
        doc->DrawRectangle(m_dragStart, end, m_bDrawBlack);
    else
        doc->EndStroke();
    // The dragged line or rectangle's preview goes; a stroke repainted its pixels as it went.
    if (doc->Tool() == DrawTool::Line || doc->Tool() == DrawTool::Rectangle) update();
}

void CPictomaView::OnLButtonDown(QPoint point) {
    ButtonDown(point, true);
}

void CPictomaView::OnRButtonDown(QPoint point) {
    ButtonDown(point, false);
}

void CPictomaView::OnMouseMove(QPoint point) {
    MapPoint(point);
    if (CPictomaDoc* doc = Doc(); m_bDrawing && doc) {
        // A stroke goes on from the last point; a line or rectangle shows where it would go.
        if (doc->Tool() == DrawTool::Pen || doc->Tool() == DrawTool::Rubber)
            doc->StrokeTo(m_nCurX, m_nCurY);
        else
            update();
    }
    OnSetCursor();
}

void CPictomaView::OnLButtonUp() {
    ButtonUp();
}

void CPictomaView::OnRButtonUp() {
    ButtonUp();
}

void CPictomaView::OnSetCursor() {
    const CPictomaDoc* doc = Doc();
    if (!doc || !OverPicture())
        unsetCursor();
    else if (doc->Tool() == DrawTool::Pen || doc->Tool() == DrawTool::Rubber)
        setCursor(doc->m_bPen ? m_penCursor : m_rubberCursor);
    else
        setCursor(Qt::CrossCursor);
}

void CPictomaView::OnUpdateIndicator(CommandUi& ui) {
    ui.enabled = true;
    ui.text = OverPicture() ? "X=" + std::to_string(m_nCurX) + " , y=" + std::to_string(m_nCurY)
                            : std::string(kDisableOperation);
}

void CPictomaView::paintEvent(QPaintEvent* event) {
    QPainter dc(this);
    dc.fillRect(event->rect(), Qt::white);
    DrawOn(dc, m_nCellSize);
}

void CPictomaView::mousePressEvent(QMouseEvent* event) {
    // Qt keeps the mouse grabbed by the pressed widget until the last button comes up, so the
    // release reaches the canvas even outside it.
    if (event->button() == Qt::LeftButton) OnLButtonDown(event->position().toPoint());
    if (event->button() == Qt::RightButton) OnRButtonDown(event->position().toPoint());
}

void CPictomaView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();  // the scroll area scrolls
        return;
    }
    if (event->angleDelta().y() > 0) ZoomIn();
    if (event->angleDelta().y() < 0) ZoomOut();
    event->accept();
}

void CPictomaView::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(event->position().toPoint());
}

void CPictomaView::mouseReleaseEvent(QMouseEvent* event) {
    // A line or rectangle ends where the button comes up, moved there or not.
    MapPoint(event->position().toPoint());
    if (event->button() == Qt::LeftButton) OnLButtonUp();
    if (event->button() == Qt::RightButton) OnRButtonUp();
}

void CPictomaView::SetPrintDialogs(PrintDialogRunner dialog, PrintPreviewRunner preview) {
    m_printDialog =
        dialog ? std::move(dialog)
               : PrintDialogRunner([this](QPrinter& p) { return RunPrintDialog(p, this); });
    m_printPreview =
        preview ? std::move(preview) : PrintPreviewRunner([this](QPrinter& p, const auto& paint) {
            RunPrintPreview(p, paint, this);
        });
}

bool CPictomaView::PrintPage(QPrinter& printer) {
    QPainter dc;
    if (!dc.begin(&printer)) {
        QtMessageSink(this).Message("The picture could not be printed: the printer did not start.",
                                    MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    // The printer's own coordinates: one view unit is one printer dot.
    OnDraw(dc);
    return dc.end();
}

void CPictomaView::OnFilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    if (m_printDialog(printer)) PrintPage(printer);
}

void CPictomaView::OnFilePrintDirect() {
    QPrinter printer(QPrinter::HighResolution);
    PrintPage(printer);
}

void CPictomaView::OnFilePrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    m_printPreview(printer, [this](QPrinter* p) {
        if (p) PrintPage(*p);
    });
}

}  // namespace pictoma
