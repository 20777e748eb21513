#include "PictomaView.h"

#include <string>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

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
    m_bDrawing = false;
}

void CPictomaView::OnInitialUpdate() {
    ViewBase::OnInitialUpdate();
    TakeDocument();
}

void CPictomaView::OnUpdate(ViewBase*, long) {
    TakeDocument();
    update();
}

void CPictomaView::InvalidateRect(const Rect& rect, bool) {
    update(ToQRect(rect));
}

void CPictomaView::SetFocus() {
    setFocus(Qt::OtherFocusReason);
}

void CPictomaView::OnDraw(QPainter& dc) const {
    if (!m_pPixels || !GetDocument() || !Fits()) return;
    const int c = m_nCellSize;
    const int w = m_nWidth, h = m_nHeight;

    // The white background with its red frame.
    DrawRectangle(dc, geometry::CanvasFrame(w, h), QPen(Qt::red, 0, Qt::SolidLine));

    // The grid: lines end one unit short of their end point, as line drawing does.
    for (int i = 0; i <= h; ++i)
        dc.fillRect(geometry::GRID_ORIGIN, geometry::GridLine(i), c * w, 1, Qt::black);
    for (int i = 0; i <= w; ++i)
        dc.fillRect(geometry::GridLine(i), geometry::GRID_ORIGIN, 1, c * h, Qt::black);

    // The black pixels; white ones show the frame's fill.
    const Picture& picture = *m_pPixels;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (picture.Black(x, y)) dc.fillRect(ToQRect(geometry::PixelSquare(x, y)), Qt::black);
        }
    }
}

void CPictomaView::MapPoint(QPoint point) {
    // The canvas never scrolls, so window and view coordinates agree.
    m_nCurX = geometry::CanvasPixelAt(point.x());
    m_nCurY = geometry::CanvasPixelAt(point.y());
}

void CPictomaView::ApplyTool() {
    CPictomaDoc* doc = Doc();
    if (!doc || !m_pPixels || !Fits()) return;
    doc->SetPixel(m_nCurX, m_nCurY, doc->m_bPen);
}

void CPictomaView::OnLButtonDown(QPoint point) {
    m_bDrawing = true;
    MapPoint(point);
    ApplyTool();
    OnSetCursor();
}

void CPictomaView::OnMouseMove(QPoint point) {
    MapPoint(point);
    if (m_bDrawing) ApplyTool();
    OnSetCursor();
}

void CPictomaView::OnLButtonUp() {
    m_bDrawing = false;
}

void CPictomaView::OnSetCursor() {
    const CPictomaDoc* doc = Doc();
    if (doc && OverPicture())
        setCursor(doc->m_bPen ? m_penCursor : m_rubberCursor);
    else
        unsetCursor();
}

void CPictomaView::OnUpdateIndicator(CommandUi& ui) {
    ui.enabled = true;
    ui.text = OverPicture() ? "X=" + std::to_string(m_nCurX) + " , y=" + std::to_string(m_nCurY)
                            : std::string(kDisableOperation);
}

void CPictomaView::paintEvent(QPaintEvent* event) {
    QPainter dc(this);
    dc.fillRect(event->rect(), Qt::white);
    OnDraw(dc);
}

void CPictomaView::mousePressEvent(QMouseEvent* event) {
    // Qt keeps the mouse grabbed by the pressed widget until the last button comes up, so the
    // release reaches the canvas even outside it.
    if (event->button() == Qt::LeftButton) OnLButtonDown(event->position().toPoint());
}

void CPictomaView::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(event->position().toPoint());
}

void CPictomaView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonUp();
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
