#include "SaveFileDialogQt.h"

#include <QFileDialog>

namespace pictoma {

std::optional<SaveChoice> RunSaveFileDialog(QWidget* parent, const SaveDialogSettings& settings) {
    QFileDialog dlg(parent);
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

}  // namespace pictoma
