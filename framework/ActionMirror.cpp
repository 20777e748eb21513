#include "ActionMirror.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace pictoma {

ActionMirror::ActionMirror(CommandRouter& router, QObject* parent)
    : QObject(parent), m_router(router) {}

void ActionMirror::Bind(CommandId id, QAction* action) {
    m_actions.emplace_back(id, action);
    connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
}

void ActionMirror::BindPane(CommandId id, QLabel* pane) {
    m_panes.emplace_back(id, pane);
}

void ActionMirror::WatchMenu(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, &ActionMirror::Refresh);
}

bool ActionMirror::Dispatch(CommandId id) {
    const bool handled = m_router.Dispatch(id);
    // Always refresh: a checkable action toggled itself when it was triggered, and a handler may
    // have changed what the rules answer.
    Refresh();
    return handled;
}

void ActionMirror::Refresh() {
    for (auto& [id, action] : m_actions) {
        if (!action) continue;
        const CommandUi ui = m_router.Query(id);
        action->setEnabled(ui.enabled);
        if (ui.checked) action->setCheckable(true);
        if (action->isCheckable()) action->setChecked(ui.checked.value_or(false));
        // A rule's text names what the command would do now ("Undo pen stroke"): the prompt.
        if (ui.text) action->setStatusTip(QString::fromStdString(*ui.text));
    }
    for (auto& [id, pane] : m_panes) {
        if (!pane) continue;
        const CommandUi ui = m_router.Query(id);
        pane->setText(ui.enabled ? QString::fromStdString(ui.text.value_or(std::string()))
                                 : QString());
    }
}

}  // namespace pictoma
