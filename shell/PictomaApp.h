#pragma once
// The editor's application object: it owns the one document, the frame and the recent-file list,
// carries out the command line, and handles New, Open, the recent files, About and Exit.

#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "Document.h"
#include "DocumentHostQt.h"
#include "PictomaDoc.h"
#include "RecentFileList.h"

namespace pictoma {

class CMainFrame;

class CPictomaApp : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // Asks which file to open (the File Open dialog); nullopt when the user cancelled.
    using OpenFileAsker = std::function<std::optional<QString>(QWidget* parent)>;

    // Creates the document and the frame with both views (not shown yet).
    CPictomaApp();
    ~CPictomaApp() override;

    // Start-up: loads the recent-file list, carries out the command line `arguments` (the
    // program's name first; a file name opens that file, none starts a new document) and shows
    // the frame with the preview active. False, after the document's message, when the file
    // named on the command line cannot be opened: the program should then end.
    bool InitInstance(const QStringList& arguments);

    // Opens `path` as File Open does: the document reads it, the frame takes its name and the
    // file goes to the top of the recent-file list. False, after a message, when it cannot be
    // read; the document and the list are then unchanged.
    bool OpenDocumentFile(const QString& path);

    // Replaces the File Open dialog (tests answer without one).
    void SetOpenFileAsker(OpenFileAsker ask) { m_askOpenFile = std::move(ask); }
    // Replaces the Import command's file dialog.
    void SetImportFileAsker(OpenFileAsker ask) { m_askImportFile = std::move(ask); }
    // Replaces the Import dialog: given the decoded picture, the options after OK.
    using ImportAsker = std::function<std::optional<ImportOptions>(
        std::shared_ptr<const PictureSource> source, QWidget* parent)>;
    void SetImportAsker(ImportAsker ask) { m_askImport = std::move(ask); }

    // Imports the picture file at `path` through the Import dialog. False, after a message,
    // when it cannot be decoded, or when the user cancelled.
    bool ImportFile(const QString& path);
    // Opens a dropped file: a bitmap or source text as File Open does, any other picture through
    // the Import dialog.
    bool OpenDroppedFile(const QString& path);

    // Commands.
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    void OnFileImport();
    void OnEditPaste();
    void OnAppAbout();
    void OnAppExit();

    CPictomaDoc& Document() { return m_doc; }
    CMainFrame& Frame() { return *m_frame; }
    const RecentFileList& RecentFiles() const { return m_recentFiles; }

    // The File Open dialog with the document type's filter and "所有文件 (*.*)".
    static std::optional<QString> AskOpenFileWithDialog(QWidget* parent);

private:
    // Source text at `path` read back into the document; false after a message.
    bool OpenSourceFile(const QString& path, const std::string& text);
    // The decoded picture through the Import dialog into the document, titled `name`.
    bool ImportSourceInto(std::shared_ptr<const PictureSource> source, const QString& name);
    void AddRecentFile(const QString& fullPath);
    // The recent-file list from the per-user settings store, and back.
    void LoadStdProfileSettings();
    void SaveStdProfileSettings() const;
    void OnRecentFilesChanged();

    DocumentHostQt m_host;
    CPictomaDoc m_doc;
    CommandRouter m_router;
    RecentFileList m_recentFiles;
    OpenFileAsker m_askOpenFile;
    OpenFileAsker m_askImportFile;
    ImportAsker m_askImport;
    // Last: the frame and its views go before the document they show.
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace pictoma
