#include "DocumentHostQt.h"

#include <QFileDialog>

#include "BmpSizeDlg.h"
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
    QFileDialog dlg(m_parent);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(QString::fromStdString(settings.defaultExtension));
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !settings.confirmOverwrite);
    QStringList filters;
    for (const FileFilter& f : settings.filters) {
        // A label that already shows its pattern in brackets is used as it is.
        const QString label = QString::fromStdString(f.label);
        filters << (label.endsWith(QLatin1Char(')'))
                        ? label
                        : label + QStringLiteral(" (") + QString::fromStdString(f.pattern) +
                              QLatin1Char(')'));
    }
    dlg.setNameFilters(filters);
    if (settings.selectedFilter >= 1 && settings.selectedFilter <= filters.size())
        dlg.selectNameFilter(filters[settings.selectedFilter - 1]);
    if (!settings.initialName.empty()) dlg.selectFile(QString::fromStdString(settings.initialName));

    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    const int index = int(filters.indexOf(dlg.selectedNameFilter()));
    return SaveChoice{dlg.selectedFiles().first().toStdString(), index < 0 ? 1 : index + 1};
}

void DocumentHostQt::ShowExport(const ExportRequest& request) {
    if (m_export) m_export(request);
}

}  // namespace pictoma
