#pragma once
// The editor's DocumentHost: real message boxes, the size and threshold dialogs and the save-file
// dialog, all modal over the main window.

#include <functional>

#include <QPointer>
#include <QWidget>

#include "DocumentHost.h"
#include "MessageBoxQt.h"

namespace pictoma {

class DocumentHostQt : public DocumentHost {
public:
    // Dialogs and boxes open over `parent` (may be null; SetParent can give it later).
    explicit DocumentHostQt(QWidget* parent = nullptr);

    void SetParent(QWidget* parent);
    // Sets what ShowExport runs: the export dialog lives with its own subsystem.
    void SetExportDialog(std::function<void(const ExportRequest&)> show) {
        m_export = std::move(show);
    }

    // A message box titled with the application's title.
    MsgAnswer Message(std::string_view text, MsgIcon icon, MsgButtons buttons) override;
    // CBmpSizeDlg preset to `preset`.
    std::optional<Size> AskSize(Size preset) override;
    // CThresholdDlg preset to `current`.
    std::optional<ThresholdChoice> AskThreshold(int current) override;
    // The platform's save-file dialog with `settings`; the selected entry's 1-based index.
    std::optional<SaveChoice> AskSaveFile(const SaveDialogSettings& settings) override;
    // Runs the function given to SetExportDialog (nothing without one).
    void ShowExport(const ExportRequest& request) override;

private:
    QPointer<QWidget> m_parent;
    QtMessageSink m_messages;
    std::function<void(const ExportRequest&)> m_export;
};

}  // namespace pictoma
