#pragma once
// QActions and status-bar panes as mirrors of the command tables: an action dispatches its id along
// the route, and Refresh copies each id's enable/check state (and a pane's text) from the route.
// Nothing else should call setEnabled or setChecked on a bound action.

#include <vector>

#include <QAction>
#include <QLabel>
#include <QObject>
#include <QPointer>

#include "Document.h"

class QMenu;

namespace pictoma {

class ActionMirror : public QObject {
    Q_OBJECT
public:
    // `router` must outlive the mirror.
    explicit ActionMirror(CommandRouter& router, QObject* parent = nullptr);

    // Binds `action` to `id`: triggering it dispatches `id`, Refresh sets its state.
    void Bind(CommandId id, QAction* action);
    // Binds a status-bar pane: Refresh shows the rule's text (nothing while it is disabled).
    void BindPane(CommandId id, QLabel* pane);
    // Refreshes just before `menu` shows.
    void WatchMenu(QMenu* menu);

    // Dispatches `id` along the route, then refreshes; false when nobody handles it.
    bool Dispatch(CommandId id);
    // Copies the route's answer for every bound id into its actions and panes.
    void Refresh();

private:
    CommandRouter& m_router;
    std::vector<std::pair<CommandId, QPointer<QAction>>> m_actions;
    std::vector<std::pair<CommandId, QPointer<QLabel>>> m_panes;
};

}  // namespace pictoma
