#pragma once
// The progress window of one attempt: "Downloading..." and a bar from 0 to 100. It cannot be
// closed by the user; the attempt closes it.

#include <QDialog>

class QProgressBar;

namespace vantrel {

class ProgressDlg final : public QDialog {
    Q_OBJECT
public:
    // Creates the window with its bar at 0.
    ProgressDlg();
    // Moves the bar to `percent` (0..100) and repaints at once.
    void SetPosition(int percent);
    // The bar, for tests.
    QProgressBar* Bar() const { return m_bar; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QProgressBar* m_bar;
};

}  // namespace vantrel
