#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QStatusBar>
#include <QTest>

#include "AboutBox.h"
#include "BmpPreview.h"
#include "MainFrame.h"
#include "PictomaApp.h"
#include "PictomaView.h"
#include "ShellTesting.h"

namespace pictoma {
namespace {

using test::ModalCatcher;
using test::OnNextModal;

// One menu entry as the user sees it: command id (0 for a separator) and text.
using Entry = std::pair<int, QString>;

std::vector<Entry> EntriesOf(const QList<QAction*>& actions) {
    std::vector<Entry> entries;
    for (QAction* a : actions) {
        if (!a->isVisible()) continue;
        entries.emplace_back(a->isSeparator() ? 0 : a->data().toInt(),
                             a->isSeparator() ? QString() : a->text());
    }
    return entries;
}

class MainFrameTest : public test::ShellTest {
protected:
    // Starts the program on a blank picture with its window active, so that keys reach it.
    CMainFrame& Start(const QStringList& args = {QStringLiteral("pictoma")}) {
        EXPECT_TRUE(m_app.InitInstance(args));
        CMainFrame& frame = m_app.Frame();
        frame.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&frame));
        return frame;
    }
    // Presses `key` in the frame, then lets the idle update run.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target =
            QApplication::focusWidget() ? QApplication::focusWidget() : &m_app.Frame();
        QTest::keyClick(target, Qt::Key(key), modifiers);
        m_app.Frame().UpdateCommandUi();
    }
    bool Enabled(CommandId id) { return m_app.Frame().Action(id)->isEnabled(); }

    CPictomaApp m_app;
};

TEST_F(MainFrameTest, MenuBarHasTheTextsAndIds) {
    CMainFrame& frame = Start();
    const std::vector<std::pair<QString, std::vector<Entry>>> expected = {
        {"File(&F)",
         {{57600, "New(&N)\tCtrl+N"},
          {57601, "Open(&O)...\tCtrl+O"},
          {32797, "Import Picture...(&I)\tCtrl+I"},
          {57603, "Save(&S)\tCtrl+S"},
          {32781, "Export(&E)\tCtrl+T"},
          {0, ""},
          {57616, "Recent files"},
          {0, ""},
          {57665, "Exit(&X)"}}},
        {"Edit(&E)",
         {{57643, "Undo(&U)\tCtrl+Z"},
          {57644, "Redo(&O)\tCtrl+Y"},
          {0, ""},
          {57634, "Copy(&Y)"},
          {57637, "Paste(&P)\tCtrl+V"},
          {32790, "Invert(&I)"},
          {0, ""},
          {32772, "Resize(&R)\tCtrl+R"},
          {32773, "Crop(&C)\tCtrl+C"},
          {0, ""},
          {32775, "Reset(&E)\tCtrl+E"},
          {0, ""},
          {32784, "Increase Threshold"},
          {32785, "Decrease Threshold"},
          {32786, "Set Threshold"}}},
        {"View(&V)",
         {{59392, "Toolbar(&T)"},
          {59393, "Statusbar(&S)"},
          {57653, "Splite(&P)"},
          {0, ""},
          {32794, "Zoom In\tCtrl++"},
          {32795, "Zoom Out\tCtrl+-"},
          {32796, "Actual Size\tCtrl+0"}}},
        {"Tool(&T)",
         {{32776, "Pen"},
          {32778, "Rubber"},
          {32791, "Line"},
          {32792, "Rectangle"},
          {32793, "Fill"}}},
        {"Help(&H)", {{57664, "About (&A)..."}, {57667, "Topics"}}},
    };
    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(menus[qsizetype(i)]->text(), expected[i].first);
        ASSERT_NE(menus[qsizetype(i)]->menu(), nullptr);
        EXPECT_EQ(EntriesOf(menus[qsizetype(i)]->menu()->actions()), expected[i].second)
            << expected[i].first.toStdString();
    }
    // The placeholder of the empty recent-file list is greyed; Pen starts checked; the toolbar
    // and status bar items are checked while they show.
    EXPECT_FALSE(frame.Action(57616)->isEnabled());
    EXPECT_TRUE(frame.Action(32776)->isChecked());
    EXPECT_FALSE(frame.Action(32778)->isChecked());
    EXPECT_TRUE(frame.Action(59392)->isChecked());
    EXPECT_TRUE(frame.Action(59393)->isChecked());
}

TEST_F(MainFrameTest, AcceleratorsAreExactlyTheTable) {
    CMainFrame& frame = Start();
    std::vector<std::pair<QString, int>> bound;
    for (QAction* a : frame.findChildren<QAction*>())
        for (const QKeySequence& key : a->shortcuts())
            bound.emplace_back(key.toString(QKeySequence::PortableText), a->data().toInt());
    std::vector<std::pair<QString, int>> expected = {
        {"Ctrl+N", 57600},       {"Ctrl+O", 57601},   {"Ctrl+S", 57603},
        {"Ctrl+P", 57607},       {"Ctrl+Z", 57643},   {"Ctrl+X", 57635},
        {"Ctrl+C", 57634},       {"Ctrl+V", 57637},   {"Alt+Backspace", 57643},
        {"Shift+Del", 57635},    {"Ctrl+Ins", 57634}, {"Shift+Ins", 57637},
        {"F6", 57680},           {"Shift+F6", 57681}, {"Shift+F1", 57669},
        {"F1", 57670},           {"Ctrl+I", 32797},   {"Ctrl+Y", 57644},
        {"Ctrl+Shift+Z", 57644}, {"Ctrl++", 32794},   {"Ctrl+=", 32794},
        {"Ctrl+-", 32795},       {"Ctrl+0", 32796},
    };
    std::sort(bound.begin(), bound.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(bound, expected);
    EXPECT_TRUE(frame.findChildren<QShortcut*>().isEmpty());
}

TEST_F(MainFrameTest, MenuShortcutLabelsBindNothing) {
    const QString path =
        WriteBmp(QStringLiteral("p.bmp"), 64, 32, [](int x, int y) { return (x + y) % 3 == 0; });
    CMainFrame& frame = Start({QStringLiteral("pictoma"), path});
    CPictomaDoc& doc = m_app.Document();
    CBmpPreview* preview = frame.Preview();
    preview->OnLButtonDown({5, 5});
    preview->OnMouseMove({30, 20});
    preview->OnLButtonUp();
    frame.UpdateCommandUi();
    ASSERT_TRUE(Enabled(32773));
    doc.m_bEdited = true;  // Reset would clear it
    const std::vector<std::uint8_t> before = doc.GetPicture().bytes;

    {
        ModalCatcher catcher;  // Resize and Export would open their dialogs
        for (int key : {Qt::Key_C, Qt::Key_Insert, Qt::Key_R, Qt::Key_E, Qt::Key_T})
            Press(key, Qt::ControlModifier);
        EXPECT_TRUE(catcher.Caught().isEmpty()) << catcher.Caught().join(' ').toStdString();
    }
    EXPECT_EQ(doc.GetPicture().bytes, before);
    EXPECT_EQ(doc.GetPicture().width, 64);
    EXPECT_TRUE(doc.m_bEdited);
    EXPECT_EQ(preview->SelectionEnd().x, 30);

    // The menu item crops: bytes 0..4 across (40 pixels), rows 0..15.
    frame.Action(32773)->trigger();
    EXPECT_EQ(doc.GetPicture().width, 40);
    EXPECT_EQ(doc.GetPicture().height, 16);
}

TEST_F(MainFrameTest, CommandsFollowTheActivePane) {
    CMainFrame& frame = Start();
    int printDialogs = 0;
    frame.Canvas()->SetPrintDialogs(
        [&](QPrinter&) {
            ++printDialogs;
            return false;
        },
        {});

    // At start-up the preview is active: Resize is offered, Crop waits for a selection, and
    // printing belongs to the canvas.
    EXPECT_TRUE(Enabled(32772));
    EXPECT_FALSE(Enabled(32773));
    EXPECT_EQ(frame.IndicatorPane()->text(), "Select: Width=0,Height=0");
    Press(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printDialogs, 0);

    Press(Qt::Key_F6);
    EXPECT_TRUE(frame.Canvas()->hasFocus());
    EXPECT_FALSE(Enabled(32772));
    EXPECT_FALSE(Enabled(32773));
    EXPECT_EQ(frame.IndicatorPane()->text(), "X=0 , y=0");
    EXPECT_TRUE(Enabled(57603));  // the document's commands stay on the route
    Press(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printDialogs, 1);

    Press(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(frame.Preview()->hasFocus());
    EXPECT_TRUE(Enabled(32772));
    Press(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_FALSE(Enabled(32772));
    Press(Qt::Key_F6);
    EXPECT_TRUE(Enabled(32772));

    // A click into a pane makes it active (this one lands right of the 64 x 64 picture).
    QTest::mouseClick(frame.Canvas(), Qt::LeftButton, {}, QPoint(400, 10));
    frame.UpdateCommandUi();
    EXPECT_FALSE(Enabled(32772));
    EXPECT_EQ(frame.IndicatorPane()->text(), "Disable operation");
    QTest::mouseClick(frame.Preview()->viewport(), Qt::LeftButton, {}, QPoint(150, 150));
    frame.UpdateCommandUi();
    EXPECT_TRUE(Enabled(32772));
}

TEST_F(MainFrameTest, ToolbarButtonsInOrderWithIconsAndTips) {
    CMainFrame& frame = Start();
    const std::vector<int> expected = {57600, 57601, 32797, 57603, 32781, 0,    32786,
                                       32784, 32785, 32773, 32772, 32775, 0,    32776,
                                       32778, 32791, 32792, 32793, 0,     57664};
    std::vector<int> ids;
    for (QAction* a : frame.ToolBar()->actions()) {
        ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
        if (a->isSeparator()) continue;
        EXPECT_EQ(a->icon().availableSizes(), QList<QSize>{QSize(16, 15)}) << ids.back();
        EXPECT_FALSE(a->toolTip().isEmpty()) << ids.back();
    }
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(frame.ToolBar()->iconSize(), QSize(16, 15));

    EXPECT_EQ(frame.Action(32781)->toolTip(), " export source code");
    EXPECT_EQ(frame.Action(32781)->statusTip(), "Export souce code for c or basic");
    EXPECT_EQ(frame.Action(32773)->toolTip(), "Crop bmp");
    EXPECT_EQ(frame.Action(32773)->statusTip(), "Crop the bmp and select part of it ");
    EXPECT_EQ(frame.Action(32784)->statusTip(), "Increase Threshold ");
    EXPECT_EQ(frame.Action(57665)->statusTip(), "Exit application and prompt to save document");
    EXPECT_EQ(frame.IdlePane()->text(), "press F1 if need help");
    EXPECT_FALSE(frame.windowIcon().isNull());

    // Without a file the threshold buttons are greyed; the tools are exclusive.
    EXPECT_FALSE(Enabled(32784));
    EXPECT_FALSE(Enabled(32786));
    frame.Action(32778)->trigger();
    EXPECT_FALSE(m_app.Document().m_bPen);
    EXPECT_FALSE(frame.Action(32776)->isChecked());
    EXPECT_TRUE(frame.Action(32778)->isChecked());
}

TEST_F(MainFrameTest, ToolbarAndStatusBarShowAndHide) {
    CMainFrame& frame = Start();
    frame.Action(59392)->trigger();
    EXPECT_TRUE(frame.ToolBar()->isHidden());
    EXPECT_FALSE(frame.Action(59392)->isChecked());
    frame.Action(59393)->trigger();
    EXPECT_TRUE(frame.statusBar()->isHidden());
    EXPECT_FALSE(frame.Action(59393)->isChecked());
    // The views go on as before: the pane's text is still kept up to date, just not seen.
    EXPECT_EQ(frame.IndicatorPane()->text(), "Select: Width=0,Height=0");

    frame.Action(59392)->trigger();
    frame.Action(59393)->trigger();
    EXPECT_FALSE(frame.ToolBar()->isHidden());
    EXPECT_TRUE(frame.Action(59392)->isChecked());
    EXPECT_FALSE(frame.statusBar()->isHidden());
    EXPECT_TRUE(frame.Action(59393)->isChecked());
}

TEST_F(MainFrameTest, SplitMovesTheBarByKeys) {
    CMainFrame& frame = Start();
    const int start = frame.Splitter()->sizes()[0];
    EXPECT_EQ(start, 200);

    frame.Action(57653)->trigger();
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    EXPECT_EQ(frame.Splitter()->sizes()[0], start + 16);
    Press(Qt::Key_Escape);
    EXPECT_EQ(frame.Splitter()->sizes()[0], start);

    frame.Action(57653)->trigger();
    Press(Qt::Key_Left);
    Press(Qt::Key_Left, Qt::ControlModifier);
    Press(Qt::Key_Return);
    EXPECT_EQ(frame.Splitter()->sizes()[0], start - 9);
    Press(Qt::Key_Right);  // tracking has ended
    EXPECT_EQ(frame.Splitter()->sizes()[0], start - 9);
}

TEST_F(MainFrameTest, TopicsOpensTheReadmeOfTheCurrentDirectory) {
    CMainFrame& frame = Start();
    QList<QUrl> opened;
    bool canOpen = true;
    frame.SetUrlOpener([&](const QUrl& url) {
        opened << url;
        return canOpen;
    });

    ASSERT_TRUE(QDir::setCurrent(m_filesDir.path()));
    QFile readme(m_filesDir.filePath(QStringLiteral("readme.txt")));
    ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
    readme.close();
    frame.Action(57667)->trigger();
    Press(Qt::Key_F1);
    EXPECT_EQ(opened, (QList<QUrl>{QUrl::fromLocalFile(readme.fileName()),
                                   QUrl::fromLocalFile(readme.fileName())}));

    // Started elsewhere, the program falls back on the copy beside it.
    readme.remove();
    opened.clear();
    frame.Action(57667)->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath())
                                                 .absoluteFilePath(QStringLiteral("readme.txt"))));

    // A failure to start the desktop's program is reported.
    canOpen = false;
    QString message;
    OnNextModal<QMessageBox>([&](QMessageBox& box) {
        message = box.text();
        EXPECT_EQ(box.windowTitle(), "Pictoma");
        box.accept();
    });
    frame.Action(57667)->trigger();
    EXPECT_TRUE(message.startsWith("Cannot open \"")) << message.toStdString();
}

TEST_F(MainFrameTest, AboutBoxShowsNameAndVersion) {
    CMainFrame& frame = Start();
    bool shown = false;
    OnNextModal<CAboutBox>([&](CAboutBox& box) {
        shown = true;
        EXPECT_EQ(box.windowTitle(), "About Pictoma");
        EXPECT_EQ(box.VersionLabel()->text(), "Pictoma version 1.0 ");
        EXPECT_FALSE(box.CopyrightLabel()->text().isEmpty());
        EXPECT_FALSE(box.IconLabel()->pixmap().isNull());
        box.OkButton()->click();
    });
    frame.Action(57664)->trigger();
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace pictoma
