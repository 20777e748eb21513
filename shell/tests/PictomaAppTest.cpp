#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include "BmpSizeDlg.h"
#include "ExportDlg.h"
#include "MainFrame.h"
#include "PictomaApp.h"
#include "ShellTesting.h"

namespace pictoma {
namespace {

using test::ModalCatcher;
using test::OnNextModal;

class PictomaAppTest : public test::ShellTest {
protected:
    // Closes the next message box; its text lands in m_message.
    void ExpectMessage() {
        OnNextModal<QMessageBox>([this](QMessageBox& box) {
            m_message = box.text();
            box.accept();
        });
    }
    QString m_message;
};

TEST_F(PictomaAppTest, TitleIsUntitledThenTheFilesName) {
    const QString path = WriteBmp(QStringLiteral("face.bmp"), 20, 10);
    CPictomaApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma")}));
    CMainFrame& frame = app.Frame();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.windowTitle(), "无标题 - Pictoma");
    EXPECT_EQ(app.Document().GetPicture().width, 64);

    ASSERT_TRUE(app.OpenDocumentFile(path));
    EXPECT_EQ(frame.windowTitle(), "face.bmp - Pictoma");
    EXPECT_EQ(app.Document().m_strBmpFile, path.toStdString());
    EXPECT_EQ(app.Document().GetPicture().width, 20);

    // A file that cannot be read is reported and changes nothing.
    ExpectMessage();
    EXPECT_FALSE(app.OpenDocumentFile(m_filesDir.filePath(QStringLiteral("missing.bmp"))));
    EXPECT_TRUE(m_message.contains("missing.bmp")) << m_message.toStdString();
    EXPECT_EQ(frame.windowTitle(), "face.bmp - Pictoma");
    EXPECT_EQ(app.RecentFiles().Files().size(), 1u);

    // New asks for the size; even after Cancel the document is new and untitled.
    OnNextModal<CBmpSizeDlg>([](CBmpSizeDlg& dlg) { dlg.CancelButton()->click(); });
    frame.Action(57600)->trigger();
    EXPECT_EQ(frame.windowTitle(), "无标题 - Pictoma");
    EXPECT_EQ(app.Document().GetPicture().width, 20);
}

TEST_F(PictomaAppTest, FileOpenOffersBitmapsThenAllFiles) {
    const QString path = WriteBmp(QStringLiteral("a.bmp"), 16, 8);
    CPictomaApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma")}));

    QStringList filters;
    OnNextModal<QFileDialog>([&](QFileDialog& dlg) {
        filters = dlg.nameFilters();
        EXPECT_EQ(dlg.fileMode(), QFileDialog::ExistingFile);
        dlg.reject();
    });
    EXPECT_EQ(CPictomaApp::AskOpenFileWithDialog(&app.Frame()), std::nullopt);
    EXPECT_EQ(filters, (QStringList{"Pictom file(*.bmp)", "所有文件 (*.*)",
                                    "Source text (*.txt *.c *.h *.bas)"}));

    app.SetOpenFileAsker([&](QWidget*) { return std::optional<QString>(path); });
    app.Frame().Action(57601)->trigger();
    EXPECT_EQ(app.Frame().windowTitle(), "a.bmp - Pictoma");
    app.SetOpenFileAsker([](QWidget*) { return std::optional<QString>(); });
    app.Frame().Action(57601)->trigger();
    EXPECT_EQ(app.Document().m_strBmpFile, path.toStdString());
}

TEST_F(PictomaAppTest, RecentFilesAreKeptInTheSettingsStore) {
    QStringList paths;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"})
        paths << WriteBmp(QString::fromUtf8(name), 16, 8);
    ASSERT_TRUE(QDir::setCurrent(m_filesDir.path()));  // the menu then shows bare names
    {
        CPictomaApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma")}));
        for (const QString& path : paths)
            ASSERT_TRUE(app.OpenDocumentFile(path));
        ASSERT_TRUE(app.OpenDocumentFile(paths[2]));  // moves c up
    }

    QSettings profile = Profile();
    profile.beginGroup(QStringLiteral("Recent File List"));
    EXPECT_EQ(profile.childKeys(), (QStringList{"File1", "File2", "File3", "File4"}));
    EXPECT_EQ(profile.value("File1").toString(), paths[2]);
    EXPECT_EQ(profile.value("File2").toString(), paths[4]);
    EXPECT_EQ(profile.value("File3").toString(), paths[3]);
    EXPECT_EQ(profile.value("File4").toString(), paths[1]);
    profile.endGroup();

    // The next run reads the list back into the File menu.
    CPictomaApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma")}));
    CMainFrame& frame = app.Frame();
    const QStringList texts = {"&1 c.bmp", "&2 e.bmp", "&3 d.bmp", "&4 b.bmp"};
    for (int i = 0; i < 4; ++i) {
        QAction* action = frame.Action(57616 + i);
        EXPECT_EQ(action->text(), texts[i]);
        EXPECT_TRUE(action->isVisible());
        EXPECT_TRUE(action->isEnabled());
    }

    frame.Action(57618)->trigger();  // d.bmp
    EXPECT_EQ(frame.windowTitle(), "d.bmp - Pictoma");
    EXPECT_EQ(frame.Action(57616)->text(), "&1 d.bmp");

    // A file that is gone leaves the list when chosen.
    ASSERT_TRUE(QFile::remove(paths[4]));
    ExpectMessage();
    frame.Action(57618)->trigger();  // e.bmp, now third
    EXPECT_TRUE(m_message.contains("e.bmp"));
    EXPECT_EQ(frame.Action(57618)->text(), "&3 b.bmp");
    EXPECT_FALSE(frame.Action(57619)->isVisible());
    EXPECT_EQ(Profile().value("Recent File List/File3").toString(), paths[1]);
    EXPECT_FALSE(Profile().contains("Recent File List/File4"));
}

TEST_F(PictomaAppTest, CommandLineFileIsOpenedLikeFileOpen) {
    WriteBmp(QStringLiteral("wide.bmp"), 200, 50);
    ASSERT_TRUE(QDir::setCurrent(m_filesDir.path()));
    CPictomaApp app;
    // A picture too large for the screen is warned about and still opened.
    ExpectMessage();
    ASSERT_TRUE(app.InitInstance(
        {QStringLiteral("pictoma"), QStringLiteral("--some-option"), QStringLiteral("wide.bmp")}));
    EXPECT_EQ(m_message, "File too large to save,please resize or crop it");
    EXPECT_EQ(app.Frame().windowTitle(), "wide.bmp - Pictoma");
    EXPECT_EQ(app.Document().m_strBmpFile,
              m_filesDir.filePath(QStringLiteral("wide.bmp")).toStdString());
    EXPECT_EQ(app.Document().GetPicture().width, 200);
    EXPECT_EQ(app.RecentFiles().Files().size(), 1u);
}

TEST_F(PictomaAppTest, CommandLineFileThatCannotBeReadEndsTheProgram) {
    CPictomaApp app;
    ExpectMessage();
    EXPECT_FALSE(app.InitInstance(
        {QStringLiteral("pictoma"), m_filesDir.filePath(QStringLiteral("nothing.bmp"))}));
    EXPECT_TRUE(m_message.contains("nothing.bmp"));
    EXPECT_FALSE(app.Frame().isVisible());
}

TEST_F(PictomaAppTest, DroppedFileIsOpened) {
    const QString path = WriteBmp(QStringLiteral("dropped.bmp"), 24, 12);
    CPictomaApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma")}));
    CMainFrame& frame = app.Frame();

    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.org/x.bmp")), QUrl::fromLocalFile(path)});
    const QPoint where = frame.rect().center();
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &drop);
    EXPECT_EQ(frame.windowTitle(), "dropped.bmp - Pictoma");
    EXPECT_EQ(app.Document().GetPicture().width, 24);

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent other(where, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    other.ignore();
    QCoreApplication::sendEvent(&frame, &other);
    EXPECT_FALSE(other.isAccepted());
}

TEST_F(PictomaAppTest, ExportOpensItsDialogOverTheFrame) {
    CPictomaApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma")}));
    bool shown = false;
    OnNextModal<CExportDlg>([&](CExportDlg& dlg) {
        shown = true;
        EXPECT_EQ(dlg.parentWidget(), &app.Frame());
        EXPECT_EQ(dlg.X(), 32);  // the blank 64 x 64 picture, centred
        dlg.reject();
    });
    app.Frame().Action(32781)->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(PictomaAppTest, ExitClosesWithoutAsking) {
    const QString path = WriteBmp(QStringLiteral("e.bmp"), 16, 8);
    CPictomaApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma"), path}));
    app.Document().m_bEdited = true;
    ModalCatcher catcher;
    app.Frame().Action(57665)->trigger();
    EXPECT_FALSE(app.Frame().isVisible());
    EXPECT_TRUE(catcher.Caught().isEmpty());
}

// Answers the next message box with `button`; its text lands in `text`.
void AnswerNextBox(QMessageBox::StandardButton button, QString* text) {
    OnNextModal<QMessageBox>([button, text](QMessageBox& box) {
        if (text) *text = box.text();
        box.button(button)->click();
    });
}

// Every way of dropping the picture asks first when it has unsaved changes: Cancel keeps it,
// Discard goes on.
TEST_F(PictomaAppTest, UnsavedChangesAreAskedAboutAtEveryEntryPoint) {
    const QString other = WriteBmp(QStringLiteral("other.bmp"), 24, 8);
    QImage png(12, 6, QImage::Format_RGB32);
    png.fill(Qt::black);
    const QString pngPath = m_filesDir.filePath(QStringLiteral("pic.png"));
    ASSERT_TRUE(png.save(pngPath));

    CPictomaApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma")}));
    app.SetOpenFileAsker([&](QWidget*) { return std::optional<QString>(other); });
    app.SetImportFileAsker([&](QWidget*) { return std::optional<QString>(pngPath); });
    app.SetImportAsker([](std::shared_ptr<const PictureSource>, QWidget*) {
        return std::optional<ImportOptions>(ImportOptions{});
    });
    // Paste is offered only while the clipboard holds a picture.
    QGuiApplication::clipboard()->setText(QStringLiteral("just text"));
    app.Frame().UpdateCommandUi();
    EXPECT_FALSE(app.Frame().Action(57637)->isEnabled());
    QGuiApplication::clipboard()->setImage(png);
    app.Frame().UpdateCommandUi();
    EXPECT_TRUE(app.Frame().Action(57637)->isEnabled());

    struct Entry {
        const char* what;
        std::function<void()> run;
        int widthAfter;  // the picture's width once the action went on
    };
    const std::vector<Entry> entries = {
        {"open", [&] { app.Frame().Action(57601)->trigger(); }, 24},
        {"import", [&] { app.Frame().Action(32797)->trigger(); }, 12},
        {"paste", [&] { app.Frame().Action(57637)->trigger(); }, 12},
        {"drop", [&] { app.OpenDroppedFile(pngPath); }, 12},
        {"recent file", [&] { app.OnOpenRecentFile(0); }, -1},
        {"exit", [&] { app.Frame().Action(57665)->trigger(); }, -1},
    };
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.what);
        app.Document().OnEditInvert();  // an unsaved change
        const Picture before = app.Document().GetPicture();
        QString asked;
        AnswerNextBox(QMessageBox::Cancel, &asked);
        e.run();
        EXPECT_EQ(asked, QString::fromUtf8(kMsgSaveChanges));
        EXPECT_EQ(app.Document().GetPicture(), before);
        EXPECT_TRUE(app.Frame().isVisible());
        if (e.widthAfter < 0) continue;
        AnswerNextBox(QMessageBox::Discard, nullptr);
        e.run();
        EXPECT_EQ(app.Document().GetPicture().width, e.widthAfter);
        EXPECT_FALSE(app.Document().HasUnsavedChanges());
    }
    // Discard at Exit closes the window.
    app.Document().OnEditInvert();
    AnswerNextBox(QMessageBox::Discard, nullptr);
    app.Frame().Action(57665)->trigger();
    EXPECT_FALSE(app.Frame().isVisible());
}

TEST_F(PictomaAppTest, SourceTextOpensAsAPictureAndOtherPicturesAreImported) {
    const QString text = m_filesDir.filePath(QStringLiteral("icon.c"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "/* the logo */\nconst unsigned char logo[] = {\n0x01,0x00,\n0xFF,0x03};\n"
        "show_image(3,4,10,2,logo);\n");
    file.close();
    CPictomaApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("pictoma"), text}));
    EXPECT_EQ(app.Frame().windowTitle(), "icon.c - Pictoma");
    EXPECT_EQ(app.Document().GetPicture(), Picture(10, 2, {0x80, 0x00, 0xFF, 0xC0}));
    EXPECT_EQ(app.Document().Origin(), PictureOrigin::SourceText);
    app.Frame().UpdateCommandUi();
    EXPECT_FALSE(app.Frame().Action(32784)->isEnabled());  // nothing to re-convert

    // A dropped bitmap opens as File Open does; another picture goes through the Import dialog.
    int imports = 0;
    app.SetImportAsker([&](std::shared_ptr<const PictureSource>, QWidget*) {
        ++imports;
        return std::optional<ImportOptions>(ImportOptions{});
    });
    EXPECT_TRUE(app.OpenDroppedFile(WriteBmp(QStringLiteral("plain.bmp"), 16, 4)));
    EXPECT_EQ(app.Document().Origin(), PictureOrigin::Bitmap);
    QImage rle(8, 2, QImage::Format_Indexed8);
    rle.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    rle.fill(1);
    const QString png = m_filesDir.filePath(QStringLiteral("p.png"));
    ASSERT_TRUE(rle.save(png));
    EXPECT_TRUE(app.OpenDroppedFile(png));
    EXPECT_EQ(imports, 1);
    EXPECT_EQ(app.Document().Origin(), PictureOrigin::Imported);
    EXPECT_EQ(app.Frame().windowTitle(), "p.png - Pictoma");
}

}  // namespace
}  // namespace pictoma
