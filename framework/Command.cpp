#include "Command.h"

#include <algorithm>

namespace pictoma {

const CommandEntry* CommandTarget::FindCommand(CommandId id) const {
    auto it = std::find_if(m_table.begin(), m_table.end(),
                           [id](const CommandEntry& e) { return e.id == id; });
    return it == m_table.end() ? nullptr : &*it;
}

CommandEntry& CommandTarget::Entry(CommandId id) {
    auto it = std::find_if(m_table.begin(), m_table.end(),
                           [id](const CommandEntry& e) { return e.id == id; });
    if (it != m_table.end()) return *it;
    m_table.push_back(CommandEntry{id, {}, {}});
    return m_table.back();
}

void CommandTarget::AddCommand(CommandId id, CommandHandler run) {
    Entry(id).run = std::move(run);
}

void CommandTarget::AddUpdateRule(CommandId id, UpdateRule update) {
    Entry(id).update = std::move(update);
}

CommandUi QueryCommand(CommandId id, CommandRoute route) {
    bool handled = false;
    for (CommandTarget* target : route) {
        if (!target) continue;
        const CommandEntry* entry = target->FindCommand(id);
        if (!entry) continue;
        if (entry->update) {
            CommandUi ui;
            entry->update(ui);
            return ui;
        }
        if (entry->run) handled = true;
    }
    CommandUi ui;
    ui.enabled = handled;
    return ui;
}

bool DispatchCommand(CommandId id, CommandRoute route) {
    for (CommandTarget* target : route) {
        if (!target) continue;
        const CommandEntry* entry = target->FindCommand(id);
        if (entry && entry->run) {
            // Copy the handler: a handler may change its own table while it runs.
            CommandHandler run = entry->run;
            run();
            return true;
        }
    }
    return false;
}

}  // namespace pictoma
