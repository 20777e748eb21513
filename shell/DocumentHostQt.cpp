#include "DocumentHostQt.h"

#include <algorithm>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <QSettings>

#include "BmpSizeDlg.h"
#include "ImportDlg.h"
#include "ImportQt.h"
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

bool DocumentHostQt::ShowExport(const ExportRequest& request) {
    return m_export && m_export(request);
}

std::optional<ImportOptions> DocumentHostQt::AskImport(std::shared_ptr<const PictureSource> source,
                                                       const ImportOptions& options) {
    QSettings settings;
    const std::optional<ImportResult> result =
        CImportDlg::Run(std::move(source), settings, options, m_parent);
    if (!result) return std::nullopt;
    return result->options;
}

void DocumentHostQt::CopyToClipboard(const Picture& picture, const std::string& text) {
    auto* data = new QMimeData;
    data->setImageData(PictureImage(picture).convertToFormat(QImage::Format_RGB32));
    if (!text.empty()) data->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace pictoma
