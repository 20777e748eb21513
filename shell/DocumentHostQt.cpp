#include "DocumentHostQt.h"

#include "BmpSizeDlg.h"
#include "SaveFileDialogQt.h"
#include "ThresholdDlg.h"

namespace pictoma {

DocumentHostQt::DocumentHostQt(QWidget* parent) : m_parent(parent), m_messages(parent) {}

void DocumentHostQt::SetParent(QWidget* parent) {
    m_parent = parent;
    m_messages.SetParent(parent);
}

MsgAnswer DocumentHostQt::Message(std::string_view text, MsgIcon icon, MsgButtons buttons) {
    return m_messages.Message(text, icon, buttons);
}

std::optional<Size> DocumentHostQt::AskSize(Size preset) {
    CBmpSizeDlg dlg(m_parent);
    dlg.m_nWidth = preset.width;
    dlg.m_nHeight = preset.height;
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return Size{dlg.m_nWidth, dlg.m_nHeight};
}

std::optional<ThresholdChoice> DocumentHostQt::AskThreshold(int current) {
    CThresholdDlg dlg(m_parent);
    dlg.m_nThreshold = current;
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return ThresholdChoice{dlg.m_bUseDefault, dlg.m_nThreshold};
}

std::optional<SaveChoice> DocumentHostQt::AskSaveFile(const SaveDialogSettings& settings) {
    return RunSaveFileDialog(m_parent, settings);
}

void DocumentHostQt::ShowExport(const ExportRequest& request) {
    if (m_export) m_export(request);
}

}  // namespace pictoma
