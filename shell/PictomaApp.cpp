#include "PictomaApp.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

#include "AboutBox.h"
#include "ExportDlg.h"
#include "MainFrame.h"
#include "ShellResources.h"

namespace pictoma {

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

QSettings StdProfile() {
    return QSettings(Utf8(shell::kSettingsOrganization), Utf8(shell::kSettingsApplication));
}

}  // namespace

CPictomaApp::CPictomaApp()
    : m_doc(m_host),
      m_recentFiles(shell::kRecentFileCount),
      m_askOpenFile(&CPictomaApp::AskOpenFileWithDialog) {
    AddCommand(cmd::kFileNew, &CPictomaApp::OnFileNew);
    AddCommand(cmd::kFileOpen, &CPictomaApp::OnFileOpen);
    AddCommand(cmd::kAppAbout, &CPictomaApp::OnAppAbout);
    AddCommand(cmd::kAppExit, &CPictomaApp::OnAppExit);
    for (int i = 0; i < shell::kRecentFileCount; ++i) {
        AddCommand(cmd::kFileRecent1 + i, [this, i] { OnOpenRecentFile(i); });
        AddUpdateRule(cmd::kFileRecent1 + i, [this, i](CommandUi& ui) {
            ui.enabled = std::size_t(i) < m_recentFiles.Files().size();
        });
    }
    m_router.SetApplication(this);

    m_frame = std::make_unique<CMainFrame>(m_doc, m_router, m_host);
    m_host.SetParent(m_frame.get());
    m_host.SetExportDialog([this](const ExportRequest& request) {
        CExportDlg dlg(request, m_frame.get());
        dlg.exec();
        return dlg.Saved();
    });
    connect(m_frame.get(), &CMainFrame::FileDropped, this,
            [this](const QString& path) { OpenDocumentFile(path); });
}

CPictomaApp::~CPictomaApp() {
    m_frame.reset();
    m_router.SetApplication(nullptr);
}

bool CPictomaApp::InitInstance(const QStringList& arguments) {
    LoadStdProfileSettings();
    OnRecentFilesChanged();

    // The first New of the run gives the document its blank picture, which it keeps should the
    // file named on the command line turn out not to be a usable bitmap.
    m_doc.NewDocument();
    m_frame->OnUpdateFrameTitle();
    // The command line: the first argument that is not an option names the file to open.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1Char('-'))) continue;
        if (!OpenDocumentFile(arguments[i])) return false;
        break;
    }

    m_frame->show();
    m_frame->repaint();
    m_frame->ActivateFirstPane();
    return true;
}

bool CPictomaApp::OpenDocumentFile(const QString& path) {
    const QString fullPath = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    if (!m_doc.OpenDocument(fullPath.toStdString())) return false;
    m_frame->OnUpdateFrameTitle();
    m_recentFiles.Add(fullPath.toStdString());
    OnRecentFilesChanged();
    return true;
}

void CPictomaApp::OnFileNew() {
    m_doc.NewDocument();
    m_frame->OnUpdateFrameTitle();
}

void CPictomaApp::OnFileOpen() {
    const std::optional<QString> path = m_askOpenFile(m_frame.get());
    if (path && !path->isEmpty()) OpenDocumentFile(*path);
}

void CPictomaApp::OnOpenRecentFile(int index) {
    const std::vector<std::string>& files = m_recentFiles.Files();
    if (index < 0 || std::size_t(index) >= files.size()) return;
    // A file that cannot be opened any more leaves the list.
    if (!OpenDocumentFile(QString::fromStdString(files[std::size_t(index)]))) {
        m_recentFiles.Remove(std::size_t(index));
        OnRecentFilesChanged();
    }
}

void CPictomaApp::OnAppAbout() {
    CAboutBox box(m_frame.get());
    box.exec();
}

void CPictomaApp::OnAppExit() {
    // The document never counts as modified, so nothing asks to save.
    m_frame->close();
}

std::optional<QString> CPictomaApp::AskOpenFileWithDialog(QWidget* parent) {
    const QString filters =
        Utf8(shell::kOpenFilterBmp) + QStringLiteral(";;") + Utf8(shell::kOpenFilterAll);
    const QString path = QFileDialog::getOpenFileName(parent, QString(), QString(), filters);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

void CPictomaApp::LoadStdProfileSettings() {
    QSettings settings = StdProfile();
    settings.beginGroup(Utf8(shell::kRecentFileSection));
    std::vector<std::string> paths;
    for (int i = 1; i <= shell::kRecentFileCount; ++i)
        paths.push_back(
            settings.value(Utf8(shell::kRecentFileEntry).arg(i)).toString().toStdString());
    m_recentFiles.Assign(paths);
}

void CPictomaApp::SaveStdProfileSettings() const {
    QSettings settings = StdProfile();
    settings.remove(Utf8(shell::kRecentFileSection));
    settings.beginGroup(Utf8(shell::kRecentFileSection));
    const std::vector<std::string>& files = m_recentFiles.Files();
    for (std::size_t i = 0; i < files.size(); ++i)
        settings.setValue(Utf8(shell::kRecentFileEntry).arg(i + 1),
                          QString::fromStdString(files[i]));
}

void CPictomaApp::OnRecentFilesChanged() {
    // The list is stored at once, so that it survives however the program ends.
    SaveStdProfileSettings();
    QStringList texts;
    const std::string currentDir = QDir::currentPath().toStdString();
    for (std::size_t i = 0; i < m_recentFiles.Files().size(); ++i)
        texts << QString::fromStdString(m_recentFiles.MenuText(i, currentDir));
    m_frame->SetRecentFileTexts(texts);
}

}  // namespace pictoma
