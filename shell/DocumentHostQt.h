#pragma once
// The editor's DocumentHost: real message boxes, the size and threshold dialogs and the save-file
// dialog, all modal over the main window.

#include <functional>

#include <QImage>
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
    // Sets what ShowExport runs (true when it saved): the export dialog lives with its own
    // subsystem.
    void SetExportDialog(std::function<bool(const ExportRequest&)> show) {
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
    bool ShowExport(const ExportRequest& request) override;
    // The Import dialog (CImportDlg) with the per-user settings.
    std::optional<ImportOptions> AskImport(std::shared_ptr<const PictureSource> source,
                                           const ImportOptions& options) override;
    // The system clipboard: a one-bit image and, when given, the text.
    void CopyToClipboard(const Picture& picture, const std::string& text) override;

private:
    QPointer<QWidget> m_parent;
    QtMessageSink m_messages;
    std::function<bool(const ExportRequest&)> m_export;
};

}  // namespace pictoma
