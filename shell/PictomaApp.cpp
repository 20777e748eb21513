#include "PictomaApp.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QSettings>

#include "AboutBox.h"
#include "ExportDlg.h"
#include "ImportDlg.h"
#include "ImportQt.h"
#include "ImportSession.h"
#include "MainFrame.h"
#include "ShellResources.h"
#include "SourceReader.h"

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
      m_askOpenFile(&CPictomaApp::AskOpenFileWithDialog),
      m_askImportFile([](QWidget* parent) -> std::optional<QString> {
          const QString path =
              QFileDialog::getOpenFileName(parent, QString(), QString(), ImportFileFilter());
          if (path.isEmpty()) return std::nullopt;
          return path;
      }),
      m_askImport([](std::shared_ptr<const PictureSource> source,
                     QWidget* parent) -> std::optional<ImportOptions> {
          QSettings settings;
          const std::optional<ImportResult> result =
              CImportDlg::Run(std::move(source), settings, std::nullopt, parent);
          if (!result) return std::nullopt;
          return result->options;
      }) {
    AddCommand(cmd::kFileNew, &CPictomaApp::OnFileNew);
    AddCommand(cmd::kFileOpen, &CPictomaApp::OnFileOpen);
    AddCommand(cmd::kAppAbout, &CPictomaApp::OnAppAbout);
    AddCommand(cmd::kAppExit, &CPictomaApp::OnAppExit);
    AddCommand(cmd::kFileImport, &CPictomaApp::OnFileImport);
    AddCommand(cmd::kEditPaste, &CPictomaApp::OnEditPaste);
    AddUpdateRule(cmd::kEditPaste, [](CommandUi& ui) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ui.enabled = data && data->hasImage();
    });
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
            [this](const QString& path) { OpenDroppedFile(path); });
    m_frame->SetCloseGuard([this] { return m_doc.SaveModified(); });
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
        // As a dropped file: the desktop entry offers the editor for every picture it imports.
        if (!OpenDroppedFile(arguments[i])) return false;
        break;
    }

    m_frame->show();
    m_frame->repaint();
    m_frame->ActivateFirstPane();
    return true;
}

namespace {

// The first bytes of a regular file (nothing for anything else, which the document refuses).
std::string FileHead(const QString& path, qint64 bytes) {
    if (!QFileInfo(path).isFile()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(bytes).toStdString();
}

}  // namespace

void CPictomaApp::AddRecentFile(const QString& fullPath) {
    m_recentFiles.Add(fullPath.toStdString());
    OnRecentFilesChanged();
}

bool CPictomaApp::OpenDocumentFile(const QString& path) {
    const QString fullPath = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    if (!m_doc.SaveModified()) return false;
    // Source text this program wrote is read back; anything else is a bitmap, as always.
    const std::string head = FileHead(fullPath, qint64(kSourceSniffBytes));
    if (StartsLikeSourceText(head)) {
        QFile file(fullPath);
        if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(kMaxPictureBytes)) {
            m_host.Message("Cannot open \"" + fullPath.toStdString() + "\": it cannot be read",
                           MsgIcon::Warning, MsgButtons::Ok);
            return false;
        }
        if (!OpenSourceFile(fullPath, file.readAll().toStdString())) return false;
    } else if (!m_doc.OpenDocument(fullPath.toStdString())) {
        return false;
    }
    m_frame->OnUpdateFrameTitle();
    AddRecentFile(fullPath);
    return true;
}

bool CPictomaApp::OpenSourceFile(const QString& path, const std::string& text) {
    const std::string name = QFileInfo(path).fileName().toStdString();
    SourceReadResult read = ReadSourceText(text, name);
    if (!read && read.sizeNeeded()) {
        // Rows that do not tell the size: the user gives it, as for a new picture.
        m_host.Message(read.message(), MsgIcon::Information, MsgButtons::Ok);
        const std::optional<Size> size = m_host.AskSize({SCREEN_WIDTH, SCREEN_HEIGHT});
        if (!size) return false;
        read = ReadSourceText(text, name, size);
    }
    if (!read) {
        m_host.Message(read.message(), MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    m_doc.OpenSourceText(read.source().picture, read.source().position, path.toStdString());
    return true;
}

bool CPictomaApp::ImportSourceInto(std::shared_ptr<const PictureSource> source,
                                   const QString& name) {
    const std::optional<ImportOptions> options = m_askImport(source, m_frame.get());
    if (!options) return false;
    m_doc.OpenImported(std::make_shared<ImportSession>(std::move(source)), *options,
                       name.toStdString());
    m_frame->OnUpdateFrameTitle();
    return true;
}

bool CPictomaApp::ImportFile(const QString& path) {
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (!m_doc.SaveModified()) return false;
    std::string error;
    const std::shared_ptr<ImportSource> source = ImportSource::Open(fullPath, error);
    if (!source) {
        m_host.Message(error, MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    if (!ImportSourceInto(source, fullPath)) return false;
    AddRecentFile(fullPath);
    return true;
}

bool CPictomaApp::OpenDroppedFile(const QString& path) {
    const std::string head = FileHead(path, qint64(kSourceSniffBytes));
    const bool bitmap = head.size() >= 2 && head[0] == 'B' && head[1] == 'M';
    // A bitmap the reader refuses (compressed, say) is imported instead.
    if (bitmap) {
        CBmpImage probe;
        probe.SetFileName(QFileInfo(path).absoluteFilePath().toStdString());
        if (probe.ReadHeader()) return OpenDocumentFile(path);
    }
    // Source text opens as File Open reads it; so does what cannot be read, which Open reports.
    if (head.empty() || (!bitmap && StartsLikeSourceText(head))) return OpenDocumentFile(path);
    return ImportFile(path);
}

void CPictomaApp::OnFileImport() {
    const std::optional<QString> path = m_askImportFile(m_frame.get());
    if (path && !path->isEmpty()) ImportFile(*path);
}

void CPictomaApp::OnEditPaste() {
    const std::shared_ptr<ImportSource> source =
        ImportSource::FromImage(QGuiApplication::clipboard()->image());
    if (!source || !m_doc.SaveModified()) return;
    ImportSourceInto(source, QString());
}

void CPictomaApp::OnFileNew() {
    if (!m_doc.SaveModified()) return;
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
    // Closing asks first when the picture has unsaved changes (the frame's close guard).
    m_frame->close();
}

std::optional<QString> CPictomaApp::AskOpenFileWithDialog(QWidget* parent) {
    const QString filters = Utf8(shell::kOpenFilterBmp) + QStringLiteral(";;") +
                            Utf8(shell::kOpenFilterAll) + QStringLiteral(";;") +
                            Utf8(shell::kOpenFilterSource);
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
