#include "ProgressDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "DialogUnits.h"

namespace vantrel {

namespace {

// The bar's place in the client area, in pixels.
constexpr int kBarMargin = 14;
constexpr int kBarHeight = 20;

}  // namespace

ProgressDlg::ProgressDlg() {
    setWindowTitle("Progress (Vantrel 1.0)");
    const DialogUnits du(QApplication::font());
    setFixedSize(du.Size(104, 40));

    auto* text = new QLabel("Downloading...", this);
    text->setGeometry(du.Rect(10, 8, 80, 12));

    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setGeometry(kBarMargin, height() / 2, width() - 2 * kBarMargin, kBarHeight);
}

void ProgressDlg::SetPosition(int percent) {
    m_bar->setValue(std::clamp(percent, 0, 100));
    // The transfer runs on this thread: paint now rather than when it is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void ProgressDlg::reject() {}

void ProgressDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_bar->setGeometry(kBarMargin, height() / 2, width() - 2 * kBarMargin, kBarHeight);
}

}  // namespace vantrel
