#include "ProgressDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "DialogUnits.h"

namespace vantrel {

namespace {

// The bar's place in the client area, in pixels.
constexpr int kBarMargin = 14;
constexpr int kBarHeight = 20;
// The gap between the bar and the status line beneath it.
constexpr int kStatusGap = 6;

}  // namespace

ProgressDlg::ProgressDlg() {
    setWindowTitle("Progress (Vantrel 1.0)");
    const DialogUnits du(QApplication::font());
    // Wide enough for "Waiting for the terminal on /dev/ttyUSB0 (try 2 of 3)...", high enough
    // for the status line under the bar, which sits at half the height.
    setFixedSize(du.Size(230, 64));

    auto* text = new QLabel("Downloading...", this);
    text->setGeometry(du.Rect(10, 8, 80, 12));

    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("cancel_button");
    connect(m_cancel, &QPushButton::clicked, this, &ProgressDlg::RequestCancel);

    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);

    m_status = new QLabel(this);
    m_status->setObjectName("status_line");
    Place();
}

void ProgressDlg::SetPosition(int percent) {
    m_bar->setValue(std::clamp(percent, 0, 100));
    // The transfer runs on this thread: paint now rather than when it is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressDlg::SetStatus(const QString& text) {
    if (m_cancelling) return;
    m_status->setText(text);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    RequestCancel();
}

void ProgressDlg::reject() {
    RequestCancel();
}

void ProgressDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Place();
}

void ProgressDlg::RequestCancel() {
    if (m_cancelling) return;
    m_status->setText("Cancelling: the terminal answers the line on its way first...");
    m_cancelling = true;
    m_cancel->setEnabled(false);
    emit cancelRequested();
}

void ProgressDlg::Place() {
    const DialogUnits du(QApplication::font());
    const QSize button = du.Size(50, 14);
    m_cancel->setGeometry(width() - kBarMargin - button.width(), du.Rect(0, 6, 0, 0).y(),
                          button.width(), button.height());
    m_bar->setGeometry(kBarMargin, height() / 2, width() - 2 * kBarMargin, kBarHeight);
    const int top = height() / 2 + kBarHeight + kStatusGap;
    m_status->setGeometry(kBarMargin, top, width() - 2 * kBarMargin,
                          m_status->fontMetrics().height() + 2);
}

}  // namespace vantrel
