#include "BmpPreview.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWindow>

#include "Crop.h"
#include "Resize.h"
#include "ViewDrawing.h"
#include "ViewGeometry.h"

namespace pictoma {

namespace {

// The eight pixels of each byte value, leftmost first, black for a set bit.
using BytePixels = std::array<QRgb, 8>;
constexpr std::array<BytePixels, 256> kBytePixels = [] {
    std::array<BytePixels, 256> table{};
    for (int v = 0; v < 256; ++v)
        for (int j = 0; j < 8; ++j)
            table[std::size_t(v)][std::size_t(j)] =
                GetBit(std::uint8_t(v), j) ? 0xFF000000u : 0xFFFFFFFFu;
    return table;
}();

// Pixels per strip of the picture drawing: 256 KiB of 32-bit pixels.
constexpr int STRIP_PIXELS = 64 * 1024;

}  // namespace

CBmpPreview::CBmpPreview(CPictomaDoc& doc, QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    // The paint routine fills what it repaints, so Qt need not clear it first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    SetSizeDialogRunner({});

    AddCommand(cmd::kEditResize, &CBmpPreview::OnEditResize);
    AddCommand(cmd::kEditCrop, &CBmpPreview::OnEditCrop);
    AddUpdateRule(cmd::kEditCrop, &CBmpPreview::OnUpdateEditCrop);
    AddUpdateRule(cmd::kIndicatorPane, &CBmpPreview::OnUpdateIndicator);
    doc.AddView(*this);
}

CBmpPreview::~CBmpPreview() {
    if (DocumentBase* doc = GetDocument()) doc->RemoveView(*this);
}

CPictomaDoc* CBmpPreview::Doc() const {
    return dynamic_cast<CPictomaDoc*>(GetDocument());
}

void CBmpPreview::SetSizeDialogRunner(SizeDialogRunner run) {
    m_runSizeDialog = run ? std::move(run) : SizeDialogRunner([this](CBmpSizeDlg& dlg) {
        // The dialog has no parent widget; it still opens over the middle of our window and
        // stays in front of it.
        if (QWidget* w = window(); w && w->windowHandle()) {
            dlg.winId();
            dlg.windowHandle()->setTransientParent(w->windowHandle());
            dlg.move(w->frameGeometry().center() - dlg.rect().center());
        }
        return dlg.exec() == QDialog::Accepted;
    });
}

void CBmpPreview::TakeDocument() {
    CPictomaDoc* doc = Doc();
    m_pPixels = doc ? &doc->GetPicture() : nullptr;
    m_nWidth = doc ? m_pPixels->width : 0;
    m_nHeight = doc ? m_pPixels->height : 0;
    UpdateScrollBars();
}

void CBmpPreview::OnInitialUpdate() {
    ViewBase::OnInitialUpdate();
    TakeDocument();
}

void CBmpPreview::OnUpdate(ViewBase*, long) {
    TakeDocument();
    m_bandShown = QRegion();
    m_bandFill = QRegion();
    viewport()->update();
}

QSize CBmpPreview::Extent() const {
    if (!m_pPixels || m_pPixels->bytes.empty()) return {0, 0};
    const Rect frame = geometry::PreviewFrame(m_nWidth, m_nHeight);
    return {frame.right, frame.bottom};
}

void CBmpPreview::UpdateScrollBars() {
    const QSize extent = Extent();
    const QSize pane = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, extent.width() - pane.width()));
    v->setRange(0, std::max(0, extent.height() - pane.height()));
    h->setPageStep(std::max(1, pane.width()));
    v->setPageStep(std::max(1, pane.height()));
    h->setSingleStep(std::max(1, pane.width() / 10));
    v->setSingleStep(std::max(1, pane.height() / 10));
}

QPoint CBmpPreview::ScrollOffset() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

ViewPoint CBmpPreview::ToView(QPointF windowPoint) const {
    const QPoint p = windowPoint.toPoint() + ScrollOffset();
    return {p.x(), p.y()};
}

void CBmpPreview::InvalidateRect(const Rect& rect, bool) {
    // Whatever is repainted covers the band there.
    const QRect r = ToQRect(rect);
    m_bandShown -= r;
    m_bandFill -= r;
    viewport()->update(r.translated(-ScrollOffset()));
}

void CBmpPreview::SetFocus() {
    setFocus(Qt::OtherFocusReason);
}

void CBmpPreview::OnDraw(QPainter& dc, const QRect& area) const {
    if (!m_pPixels || !GetDocument() || m_pPixels->bytes.empty()) return;
    const Rect frame = geometry::PreviewFrame(m_nWidth, m_nHeight);
    const QRect picture = PictureRect();
    // The white fill under the picture would be painted over at once, so only the margins get it.
    for (const QRect& r : QRegion(ToQRect(frame)) - picture)
        dc.fillRect(r, Qt::white);
    DrawOutline(dc, frame, QPen(Qt::red, 0, Qt::DashLine));
    DrawPicture(dc, area.isEmpty() ? picture : (area & picture));
}

QRect CBmpPreview::PictureRect() const {
    const int rows = m_pPixels && !m_pPixels->bytes.empty() ? m_nHeight : 0;
    return {geometry::PREVIEW_OFFSET, geometry::PREVIEW_OFFSET, m_nWidth, rows};
}

void CBmpPreview::DrawPicture(QPainter& dc, const QRect& part) const {
    if (part.isEmpty()) return;
    // Picture columns x0 .. x1 - 1 and rows y0 .. y1 - 1, and the byte columns that hold them.
    const int x0 = part.left() - geometry::PREVIEW_OFFSET, x1 = x0 + part.width();
    const int y0 = part.top() - geometry::PREVIEW_OFFSET, y1 = y0 + part.height();
    const int firstByte = mono::ByteColumnOf(x0);
    const int byteColumns = mono::ByteColumnOf(x1 - 1) - firstByte + 1;
    const int skip = x0 - mono::FirstColumnOf(firstByte);
    const int bpr = mono::BytesPerRow(m_nWidth);

    // The bytes are spread into a strip of 32-bit pixels a few rows at a time (small enough to
    // stay in the cache), and each strip is drawn as one image.
    const int stripWidth = mono::FirstColumnOf(byteColumns);
    const int stripRows = std::clamp(STRIP_PIXELS / stripWidth, 1, y1 - y0);
    QImage strip(stripWidth, stripRows, QImage::Format_RGB32);
    for (int top = y0; top < y1; top += stripRows) {
        const int rows = std::min(stripRows, y1 - top);
        for (int r = 0; r < rows; ++r) {
            auto* out = reinterpret_cast<QRgb*>(strip.scanLine(r));
            const std::uint8_t* in = m_pPixels->bytes.data() +
                                     std::size_t(top + r) * std::size_t(bpr) +
                                     std::size_t(firstByte);
            for (int i = 0; i < byteColumns; ++i)
                std::memcpy(out + mono::FirstColumnOf(i), kBytePixels[in[i]].data(),
                            sizeof(kBytePixels[0]));
        }
        dc.drawImage(QPoint(part.left(), geometry::PREVIEW_OFFSET + top), strip,
                     QRect(skip, 0, x1 - x0, rows));
    }
}

void CBmpPreview::DrawBand(QPainter& dc) const {
    if (m_bandShown.isEmpty()) return;
    dc.save();
    for (const QRect& r : m_bandFill.intersected(m_bandShown))
        dc.fillRect(r, Qt::white);
    dc.setClipRegion(m_bandShown, Qt::IntersectClip);
    dc.setPen(QPen(Qt::green, 0, Qt::DashLine));
    dc.setBrush(Qt::NoBrush);
    const QRect band = ToQRect(m_band);
    dc.drawRect(band.adjusted(0, 0, -1, -1));
    dc.restore();
}

void CBmpPreview::OnLButtonDown(ViewPoint point) {
    if (!geometry::OnSelectionArea(point, m_nWidth, m_nHeight)) return;
    InvalidateRect(geometry::PreviewSelectionArea(m_nWidth, m_nHeight), true);
    m_bSelecting = true;
    m_ptSelStart = point;
    m_ptSelEnd = point;
}

void CBmpPreview::OnMouseMove(ViewPoint point) {
    const ViewPoint clamped = geometry::ClampToSelection(point, m_nWidth, m_nHeight);
    if (!m_bSelecting) return;
    viewport()->setCursor(Qt::CrossCursor);

    // The previous band's inside is repainted; its outline and the new band are drawn over the
    // picture at once, the new one with a white fill wherever that repaint does not reach.
    const Rect previousInside = geometry::Inset(geometry::Band(m_ptSelStart, m_ptSelEnd));
    InvalidateRect(previousInside, true);
    m_ptSelEnd = clamped;
    m_band = geometry::Band(m_ptSelStart, m_ptSelEnd);
    const QRect band = ToQRect(m_band);
    m_bandShown = QRegion(band);
    m_bandFill = QRegion(band) - QRegion(ToQRect(previousInside));
    viewport()->update(band.translated(-ScrollOffset()));
}

void CBmpPreview::OnLButtonUp() {
    if (!m_bSelecting) return;
    m_bSelecting = false;
    viewport()->unsetCursor();
}

void CBmpPreview::OnUpdateEditCrop(CommandUi& ui) {
    ui.enabled =
        CropOffered(geometry::ToPicturePoint(m_ptSelStart), geometry::ToPicturePoint(m_ptSelEnd));
}

void CBmpPreview::OnUpdateIndicator(CommandUi& ui) {
    ui.enabled = true;
    ui.text = "Select: Width=" + std::to_string(std::abs(m_ptSelStart.x - m_ptSelEnd.x)) +
              ",Height=" + std::to_string(std::abs(m_ptSelEnd.y - m_ptSelStart.y));
}

void CBmpPreview::OnEditCrop() {
    CPictomaDoc* doc = Doc();
    const PicturePoint a = geometry::ToPicturePoint(m_ptSelStart);
    const PicturePoint b = geometry::ToPicturePoint(m_ptSelEnd);
    if (!doc || !m_pPixels || !CropOffered(a, b)) return;
    doc->m_bEdited = true;
    Picture picture = *m_pPixels;
    // A selection left from a larger picture may hold nothing of this one: the picture stays.
    if (Crop(picture, a, b)) doc->ReplacePicture(std::move(picture));
    m_ptSelStart = {};
    m_ptSelEnd = {};
}

void CBmpPreview::OnEditResize() {
    CPictomaDoc* doc = Doc();
    if (!doc) return;
    m_dlgSize.m_nHeight = m_nHeight;
    m_dlgSize.m_nWidth = m_nWidth;
    // Set before the dialog shows, so a Cancel leaves it set too.
    doc->m_bEdited = true;
    if (!m_runSizeDialog(m_dlgSize)) return;
    m_nNewWidth = m_dlgSize.m_nWidth;
    m_nNewHeight = m_dlgSize.m_nHeight;
    doc->ReplacePicture(Resize(doc->GetPicture(), {m_nNewWidth, m_nNewHeight}));
}

void CBmpPreview::paintEvent(QPaintEvent* event) {
    QPainter dc(viewport());
    const QPoint offset = ScrollOffset();
    const QRect area = event->rect().translated(offset);
    // The background outside what OnDraw fills itself.
    QRegion background = event->region();
    if (m_pPixels && !m_pPixels->bytes.empty())
        background -= ToQRect(geometry::PreviewFrame(m_nWidth, m_nHeight)).translated(-offset);
    for (const QRect& r : background)
        dc.fillRect(r, Qt::white);
    dc.translate(-offset);
    OnDraw(dc, area);
    DrawBand(dc);
}

void CBmpPreview::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonDown(ToView(event->position()));
}

void CBmpPreview::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(ToView(event->position()));
}

void CBmpPreview::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonUp();
}

void CBmpPreview::resizeEvent(QResizeEvent*) {
    UpdateScrollBars();
}

void CBmpPreview::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
}

}  // namespace pictoma
