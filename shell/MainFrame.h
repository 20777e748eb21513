#pragma once
// The editor's main window: the menu bar, the toolbar and the accelerators built from the shell's
// resource tables, the status bar with the message pane and pane 59142, and the static splitter
// with the preview on the left and the editing canvas on the right. It tracks which pane is the
// active view and mirrors the command tables into its actions; it holds no picture logic.

#include <functional>
#include <map>
#include <vector>

#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QSplitter>
#include <QString>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "ActionMirror.h"
#include "Document.h"
#include "Messages.h"

class QAction;
class QMenu;

namespace pictoma {

class CBmpPreview;
class CPictomaDoc;
class CPictomaView;

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    // Opens `url` with the desktop's default program; false when that could not be started.
    using UrlOpener = std::function<bool(const QUrl& url)>;

    // Builds the frame with both views of `doc`; commands go along `router`, which the frame
    // registers itself with. The frame's own failures are reported to `messages`. `doc`,
    // `router` and `messages` must outlive the frame.
    CMainFrame(CPictomaDoc& doc, CommandRouter& router, MessageSink& messages,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The document's title, " - " and the application's title.
    void OnUpdateFrameTitle();
    // Shows the recent-file list's menu texts in the File menu (commands 57616 ..); an empty list
    // shows the greyed "Recent files" placeholder.
    void SetRecentFileTexts(const QStringList& texts);
    // Copies the route's answers into every action and pane now (it also happens when the
    // program is idle after input, after each command and before a menu opens).
    void UpdateCommandUi();

    // Makes `view` (one of the panes) the active view and gives it the keyboard focus.
    void ActivateView(ViewBase& view);
    // Makes the first pane (the preview) the active view: the state at start-up.
    void ActivateFirstPane();

    // Replaces the desktop's "open with the default program" (tests record the request).
    void SetUrlOpener(UrlOpener open) { m_openUrl = std::move(open); }
    // Asked before the window closes (the close box, Exit); false keeps it open.
    void SetCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }

    // Frame commands.
    void OnHelpTopics();
    void OnViewToolbar();
    void OnViewStatusBar();
    void OnWindowSplit();
    void OnNextPane();
    void OnPrevPane();
    void OnContextHelp();
    void OnUpdateViewToolbar(CommandUi& ui);
    void OnUpdateViewStatusBar(CommandUi& ui);

    // The parts tests look at.
    QAction* Action(CommandId id) const;
    const QList<QAction*>& Accelerators() const { return m_accelerators; }
    QToolBar* ToolBar() const { return m_toolbar; }
    QSplitter* Splitter() const { return m_splitter; }
    QLabel* IdlePane() const { return m_idlePane; }
    QLabel* IndicatorPane() const { return m_indicatorPane; }
    CBmpPreview* Preview() const { return m_preview; }
    CPictomaView* Canvas() const { return m_canvas; }
    // The path Topics opens: "readme.txt" in the current directory (see OnHelpTopics).
    static QString HelpFilePath();

signals:
    // A file was dropped onto the window; the application opens it like File Open.
    void FileDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Pane {
        QWidget* widget;
        ViewBase* view;
    };

    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateAccelerators();
    void CreateClient();
    void OnFocusChanged(QWidget* old, QWidget* now);
    void OnAccelerator(CommandId id);
    int ActivePaneIndex() const;
    void ActivatePane(int index);
    // Keyboard move of the splitter bar: arrows move it, Enter or a click keeps it, Escape puts
    // it back. True when the event was used.
    bool TrackSplitter(QEvent* event);
    void EndSplitterTracking(bool keep);

    CPictomaDoc& m_doc;
    CommandRouter& m_router;
    MessageSink& m_messages;
    ActionMirror m_mirror;
    UrlOpener m_openUrl;
    std::function<bool()> m_closeGuard;

    std::map<CommandId, QAction*> m_actions;
    QList<QAction*> m_recentActions;
    QList<QAction*> m_accelerators;

    // In creation order: the splitter, the status bar, the toolbar.
    QSplitter* m_splitter = nullptr;
    QLabel* m_idlePane = nullptr;
    QLabel* m_indicatorPane = nullptr;
    QToolBar* m_toolbar = nullptr;

    CBmpPreview* m_preview = nullptr;
    CPictomaView* m_canvas = nullptr;
    std::vector<Pane> m_panes;

    QTimer m_idleTimer;
    bool m_trackingSplitter = false;
    QList<int> m_sizesBeforeTracking;
};

}  // namespace pictoma
