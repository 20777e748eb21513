#pragma once
// The progress window of one attempt: "Downloading...", a bar from 0 to 100, a status line
// beneath it and a Cancel button. The window is closed by the attempt; Cancel, Escape and the
// close box only ask the attempt to stop, which it does once the frame on the line is answered.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantrel {

class ProgressDlg final : public QDialog {
    Q_OBJECT
public:
    // Creates the window with its bar at 0 and an empty status line.
    ProgressDlg();
    // Moves the bar to `percent` (0..100) and repaints at once.
    void SetPosition(int percent);
    // Shows `text` on the status line ("Line 120 of 2000"); kept from the moment of a cancel on,
    // when the line tells that the download is stopping.
    void SetStatus(const QString& text);
    bool Cancelling() const { return m_cancelling; }
    // The bar, for tests.
    QProgressBar* Bar() const { return m_bar; }

signals:
    // The user asked to stop: Cancel, Escape or the close box; sent once.
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RequestCancel();
    void Place();

    QProgressBar* m_bar;
    QLabel* m_status;
    QPushButton* m_cancel;
    bool m_cancelling = false;
};

}  // namespace vantrel
