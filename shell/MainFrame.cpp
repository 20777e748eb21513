#include "MainFrame.h"

#include <algorithm>
#include <iterator>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QWhatsThis>

#include "BmpPreview.h"
#include "PictomaDoc.h"
#include "PictomaView.h"
#include "ShellIcons.h"
#include "ShellResources.h"
#include "ViewGeometry.h"

#ifndef PICTOMA_DOC_FROM_BIN
#define PICTOMA_DOC_FROM_BIN "../share/doc/pictoma"
#endif

namespace pictoma {

namespace {

// The initial widths of the two panes: the preview's, and a token one for the canvas, which takes
// whatever the window leaves.
constexpr int kPreviewPaneWidth = 200;
constexpr int kCanvasPaneWidth = 10;
// The frame's first size: room for a 128 x 64 picture on the canvas next to the preview.
constexpr int kFrameWidth = 900;
constexpr int kFrameHeight = 520;
// How far one arrow key moves the splitter bar (with Ctrl: one pixel).
constexpr int kSplitterKeyStep = 8;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// Events after which the program counts as idle once they are handled: the rules are then asked
// again, as the user may have changed what they answer (a selection, the mouse position).
bool IsInputEvent(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::FocusIn:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

}  // namespace

CMainFrame::CMainFrame(CPictomaDoc& doc, CommandRouter& router, MessageSink& messages,
                       QWidget* parent)
    : QMainWindow(parent),
      m_doc(doc),
      m_router(router),
      m_messages(messages),
      m_mirror(router),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setWindowIcon(AppIcon());
    setAcceptDrops(true);

    AddCommand(cmd::kHelpTopics, &CMainFrame::OnHelpTopics);
    AddCommand(cmd::kHelp, &CMainFrame::OnHelpTopics);
    AddCommand(cmd::kDefaultHelp, &CMainFrame::OnHelpTopics);
    AddCommand(cmd::kContextHelp, &CMainFrame::OnContextHelp);
    AddCommand(cmd::kViewToolbar, &CMainFrame::OnViewToolbar);
    AddUpdateRule(cmd::kViewToolbar, &CMainFrame::OnUpdateViewToolbar);
    AddCommand(cmd::kViewStatusBar, &CMainFrame::OnViewStatusBar);
    AddUpdateRule(cmd::kViewStatusBar, &CMainFrame::OnUpdateViewStatusBar);
    AddCommand(cmd::kWindowSplit, &CMainFrame::OnWindowSplit);
    AddCommand(cmd::kNextPane, &CMainFrame::OnNextPane);
    AddCommand(cmd::kPrevPane, &CMainFrame::OnPrevPane);
    // The zoom works whichever pane is active.
    AddCommand(cmd::kViewZoomIn, [this] { m_canvas->ZoomIn(); });
    AddCommand(cmd::kViewZoomOut, [this] { m_canvas->ZoomOut(); });
    AddCommand(cmd::kViewActualSize, [this] { m_canvas->SetCellSize(geometry::CELL_SIZE); });
    AddUpdateRule(cmd::kViewZoomIn, [this](CommandUi& ui) {
        ui.enabled = m_canvas->CellSize() < std::end(geometry::kCanvasCellSizes)[-1];
    });
    AddUpdateRule(cmd::kViewZoomOut, [this](CommandUi& ui) {
        ui.enabled = m_canvas->CellSize() > geometry::kCanvasCellSizes[0];
    });
    m_router.SetFrame(this);

    CreateActions();
    CreateMenus();
    CreateClient();
    CreateStatusBar();
    CreateToolBar();
    CreateAccelerators();
    resize(kFrameWidth, kFrameHeight);
    m_splitter->setSizes({kPreviewPaneWidth, kFrameWidth - kPreviewPaneWidth});

    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(0);
    connect(&m_idleTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUi);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::OnFocusChanged);
    qApp->installEventFilter(this);
    OnUpdateFrameTitle();
}

CMainFrame::~CMainFrame() {
    // The views go first, while the frame is still whole: destroying them moves the focus, and
    // nothing may route a command to them afterwards.
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
    if (m_trackingSplitter) QGuiApplication::restoreOverrideCursor();
    m_router.SetActiveView(nullptr);
    m_router.SetFrame(nullptr);
    m_panes.clear();
    delete m_splitter;
}

void CMainFrame::CreateActions() {
    for (const shell::MenuDef& menu : shell::kMenuBar) {
        for (const shell::MenuItemDef& item : menu.items) {
            if (item.id == 0) continue;
            auto* action = new QAction(Utf8(item.text), this);
            action->setData(item.id);
            action->setIconVisibleInMenu(false);
            if (const char* prompt = shell::PromptOf(item.id)) {
                const QString text = Utf8(prompt);
                const qsizetype cut = text.indexOf(QLatin1Char('\n'));
                action->setStatusTip(text.left(cut));
                action->setWhatsThis(text.left(cut));
                if (cut >= 0) action->setToolTip(text.mid(cut + 1));
            }
            m_actions[item.id] = action;
            m_mirror.Bind(item.id, action);
        }
    }
    // The pen is the tool the program starts with.
    m_actions[cmd::kToolPen]->setCheckable(true);
    m_actions[cmd::kToolPen]->setChecked(true);

    // The recent-file list: the menu's placeholder is the first entry.
    m_recentActions.append(m_actions[cmd::kFileRecent1]);
    for (CommandId id = cmd::kFileRecent1 + 1; id <= cmd::kFileRecentLast; ++id) {
        auto* action = new QAction(this);
        action->setData(id);
        action->setVisible(false);
        m_actions[id] = action;
        m_recentActions.append(action);
        m_mirror.Bind(id, action);
    }
}

void CMainFrame::CreateMenus() {
    for (const shell::MenuDef& def : shell::kMenuBar) {
        QMenu* menu = menuBar()->addMenu(Utf8(def.title));
        for (const shell::MenuItemDef& item : def.items) {
            if (item.id == 0) {
                menu->addSeparator();
            } else if (item.id == cmd::kFileRecent1) {
                menu->addActions(m_recentActions);
            } else {
                menu->addAction(m_actions[item.id]);
            }
        }
        m_mirror.WatchMenu(menu);
    }
}

void CMainFrame::CreateClient() {
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);
    m_preview = new CBmpPreview(m_doc, m_splitter);
    // The canvas scrolls when a zoomed picture is larger than its pane.
    auto* canvasPane = new QScrollArea(m_splitter);
    canvasPane->setFrameShape(QFrame::NoFrame);
    canvasPane->setWidgetResizable(true);
    canvasPane->setBackgroundRole(QPalette::Base);
    m_canvas = new CPictomaView(m_doc);
    canvasPane->setWidget(m_canvas);
    QSettings settings(Utf8(shell::kSettingsOrganization), Utf8(shell::kSettingsApplication));
    m_canvas->SetCellSize(settings.value(Utf8(shell::kZoomSetting), geometry::CELL_SIZE).toInt());
    m_canvas->SetZoomListener([](int cell) {
        QSettings(Utf8(shell::kSettingsOrganization), Utf8(shell::kSettingsApplication))
            .setValue(Utf8(shell::kZoomSetting), cell);
    });
    m_splitter->addWidget(m_preview);
    m_splitter->addWidget(canvasPane);
    // Widening the window widens the canvas; the preview keeps its width.
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({kPreviewPaneWidth, kCanvasPaneWidth});
    m_panes = {{m_preview, m_preview}, {m_canvas, m_canvas}};
    setCentralWidget(m_splitter);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    // The message pane shows the idle prompt; a highlighted command's prompt covers it for a
    // while (the status bar hides its ordinary widgets while it shows a message).
    m_idlePane = new QLabel(Utf8(shell::kIdlePrompt), bar);
    bar->addWidget(m_idlePane, 1);
    m_indicatorPane = new QLabel(bar);
    m_indicatorPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_indicatorPane->setMinimumWidth(
        m_indicatorPane->fontMetrics().horizontalAdvance(Utf8(shell::kIndicatorWidthText)));
    bar->addPermanentWidget(m_indicatorPane);
    m_mirror.BindPane(cmd::kIndicatorPane, m_indicatorPane);
}

void CMainFrame::CreateToolBar() {
    m_toolbar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setIconSize(QSize(shell::kToolbarButtonWidth, shell::kToolbarButtonHeight));
    m_toolbar->setMovable(true);
    m_toolbar->setFloatable(true);
    m_toolbar->setAllowedAreas(Qt::AllToolBarAreas);
    for (const shell::ToolbarButtonDef& button : shell::kToolbar) {
        if (button.id == 0) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction* action = m_actions[button.id];
        action->setIcon(ToolbarIcon(button.icon));
        m_toolbar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_toolbar);
}

void CMainFrame::CreateAccelerators() {
    for (const shell::AcceleratorDef& def : shell::kAccelerators) {
        auto* action = new QAction(this);
        action->setData(def.id);
        action->setShortcut(QKeySequence(Utf8(def.key), QKeySequence::PortableText));
        action->setShortcutContext(Qt::WindowShortcut);
        const CommandId id = def.id;
        connect(action, &QAction::triggered, this, [this, id] { OnAccelerator(id); });
        addAction(action);
        m_accelerators.append(action);
    }
}

void CMainFrame::OnAccelerator(CommandId id) {
    // A key runs its command only while the command is offered, as its menu item would.
    if (m_router.Query(id).enabled) m_mirror.Dispatch(id);
}

void CMainFrame::OnUpdateFrameTitle() {
    setWindowTitle(QString::fromStdString(m_doc.GetTitle()) + QStringLiteral(" - ") +
                   Utf8(shell::kAppTitle));
}

void CMainFrame::SetRecentFileTexts(const QStringList& texts) {
    for (qsizetype i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        if (texts.isEmpty() && i == 0) {
            action->setText(Utf8(shell::kRecentFilesText));
            action->setVisible(true);
        } else {
            action->setText(i < texts.size() ? texts[i] : QString());
            action->setVisible(i < texts.size());
        }
    }
    UpdateCommandUi();
}

void CMainFrame::UpdateCommandUi() {
    m_mirror.Refresh();
    // Pane 59142 widens for a longer text but never narrows again, so that the status bar does
    // not jitter while the coordinates change under the mouse.
    const int wanted = m_indicatorPane->sizeHint().width();
    if (wanted > m_indicatorPane->minimumWidth()) m_indicatorPane->setMinimumWidth(wanted);
}

QAction* CMainFrame::Action(CommandId id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

int CMainFrame::ActivePaneIndex() const {
    for (std::size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].view == m_router.GetActiveView()) return int(i);
    return -1;
}

void CMainFrame::ActivatePane(int index) {
    if (index < 0 || std::size_t(index) >= m_panes.size()) return;
    m_router.SetActiveView(m_panes[std::size_t(index)].view);
    m_panes[std::size_t(index)].widget->setFocus(Qt::OtherFocusReason);
    UpdateCommandUi();
}

void CMainFrame::ActivateView(ViewBase& view) {
    for (std::size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].view == &view) ActivatePane(int(i));
}

void CMainFrame::ActivateFirstPane() {
    ActivatePane(0);
}

void CMainFrame::OnFocusChanged(QWidget*, QWidget* now) {
    if (!now) return;
    // Focus outside the panes (a dialog, the toolbar) leaves the active view as it was.
    for (const Pane& pane : m_panes) {
        if (pane.widget == now || pane.widget->isAncestorOf(now)) {
            if (m_router.GetActiveView() != pane.view) {
                m_router.SetActiveView(pane.view);
                UpdateCommandUi();
            }
            return;
        }
    }
}

void CMainFrame::OnNextPane() {
    const int n = int(m_panes.size());
    ActivatePane((ActivePaneIndex() + 1) % n);
}

void CMainFrame::OnPrevPane() {
    const int n = int(m_panes.size());
    const int index = ActivePaneIndex();
    ActivatePane(index < 0 ? 0 : (index + n - 1) % n);
}

QString CMainFrame::HelpFilePath() {
    const QString name = Utf8(shell::kHelpFile);
    const QString inCurrentDir = QDir::current().absoluteFilePath(name);
    if (QFileInfo::exists(inCurrentDir)) return inCurrentDir;
    // Started from elsewhere (a desktop menu, a file manager): the copy beside the program in a
    // build tree, or the installed one.
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {programDir.absoluteFilePath(name),
          programDir.absoluteFilePath(Utf8(PICTOMA_DOC_FROM_BIN "/") + name)}) {
        if (QFileInfo::exists(candidate)) return QDir::cleanPath(candidate);
    }
    return inCurrentDir;
}

void CMainFrame::OnHelpTopics() {
    const QString path = HelpFilePath();
    // The desktop's opener reports nothing when it fails, so the frame does.
    std::string problem;
    if (!QFileInfo::exists(path))
        problem = "the file does not exist";
    else if (!m_openUrl(QUrl::fromLocalFile(path)))
        problem = "no program to show it could be started";
    if (!problem.empty())
        m_messages.Message("Cannot open \"" + path.toStdString() + "\": " + problem + ".",
                           MsgIcon::Warning, MsgButtons::Ok);
}

void CMainFrame::OnContextHelp() {
    QWhatsThis::enterWhatsThisMode();
}

void CMainFrame::OnViewToolbar() {
    m_toolbar->setVisible(m_toolbar->isHidden());
}

void CMainFrame::OnViewStatusBar() {
    statusBar()->setVisible(statusBar()->isHidden());
}

void CMainFrame::OnUpdateViewToolbar(CommandUi& ui) {
    ui.checked = !m_toolbar->isHidden();
}

void CMainFrame::OnUpdateViewStatusBar(CommandUi& ui) {
    ui.checked = !statusBar()->isHidden();
}

void CMainFrame::OnWindowSplit() {
    if (m_trackingSplitter || m_splitter->count() < 2) return;
    m_trackingSplitter = true;
    m_sizesBeforeTracking = m_splitter->sizes();
    QGuiApplication::setOverrideCursor(Qt::SplitHCursor);
    if (QSplitterHandle* handle = m_splitter->handle(1))
        QCursor::setPos(handle->mapToGlobal(handle->rect().center()));
}

void CMainFrame::EndSplitterTracking(bool keep) {
    if (!m_trackingSplitter) return;
    m_trackingSplitter = false;
    QGuiApplication::restoreOverrideCursor();
    if (!keep) m_splitter->setSizes(m_sizesBeforeTracking);
}

bool CMainFrame::TrackSplitter(QEvent* event) {
    auto moveBarTo = [this](int left) {
        const QList<int> sizes = m_splitter->sizes();
        const int total = sizes[0] + sizes[1];
        left = std::clamp(left, 0, total);
        m_splitter->setSizes({left, total - left});
    };
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const int step = key->modifiers() & Qt::ControlModifier ? 1 : kSplitterKeyStep;
            if (key->key() == Qt::Key_Left) {
                moveBarTo(m_splitter->sizes()[0] - step);
            } else if (key->key() == Qt::Key_Right) {
                moveBarTo(m_splitter->sizes()[0] + step);
            } else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                EndSplitterTracking(true);
            } else if (key->key() == Qt::Key_Escape) {
                EndSplitterTracking(false);
            }
            return true;
        }
        case QEvent::ShortcutOverride:
            // Every key belongs to the tracking: no shortcut runs meanwhile.
            event->accept();
            return true;
        case QEvent::KeyRelease:
            return true;
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            moveBarTo(m_splitter->mapFromGlobal(mouse->globalPosition().toPoint()).x());
            return false;
        }
        case QEvent::MouseButtonPress:
            EndSplitterTracking(true);
            return true;
        case QEvent::ApplicationDeactivate:
            EndSplitterTracking(false);
            return false;
        default:
            return false;
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (m_trackingSplitter && TrackSplitter(event)) return true;
    if (IsInputEvent(event->type()) && !m_idleTimer.isActive()) m_idleTimer.start();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::dropEvent(QDropEvent* event) {
    // One document at a time: the first file dropped is opened.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        event->acceptProposedAction();
        activateWindow();
        emit FileDropped(url.toLocalFile());
        return;
    }
}

}  // namespace pictoma
