#pragma once
// Command tables and the route a command takes. Each target (view, document, frame, application)
// keeps a table of command ids with a handler and/or an update rule; the route from the active
// view through its document to the frame and the application decides whether a command is
// offered, whether it is checked, and who runs it. Qt-free: the Qt side only mirrors the answers.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "CommandIds.h"

namespace pictoma {

// What an update rule says about one command (or status-bar pane).
struct CommandUi {
    bool enabled = true;
    std::optional<bool> checked;      // empty: the rule does not check or uncheck it
    std::optional<std::string> text;  // a status-bar pane's text; empty: the rule sets none
};

using CommandHandler = std::function<void()>;
using UpdateRule = std::function<void(CommandUi&)>;

// One row of a command table: either part may be missing.
struct CommandEntry {
    CommandId id = 0;
    CommandHandler run;
    UpdateRule update;
};

class CommandTarget {
public:
    CommandTarget() = default;
    virtual ~CommandTarget() = default;
    CommandTarget(const CommandTarget&) = delete;
    CommandTarget& operator=(const CommandTarget&) = delete;

    // The table's row for `id`, or null when this target does not know the id.
    const CommandEntry* FindCommand(CommandId id) const;

protected:
    // Adds (or replaces) the handler of `id`.
    void AddCommand(CommandId id, CommandHandler run);
    // Adds (or replaces) the update rule of `id`.
    void AddUpdateRule(CommandId id, UpdateRule update);

    // The same for member functions of the derived target `T`.
    template <class T>
    void AddCommand(CommandId id, void (T::*handler)()) {
        AddCommand(id, [this, handler] { (static_cast<T*>(this)->*handler)(); });
    }
    template <class T>
    void AddUpdateRule(CommandId id, void (T::*rule)(CommandUi&)) {
        AddUpdateRule(id, [this, rule](CommandUi& ui) { (static_cast<T*>(this)->*rule)(ui); });
    }

private:
    CommandEntry& Entry(CommandId id);
    std::vector<CommandEntry> m_table;
};

using CommandRoute = std::span<CommandTarget* const>;

// The state of `id` along `route` (first target first; null entries are skipped): the first update
// rule on the route decides; without one, the command is enabled exactly when some target on the
// route has a handler for it.
CommandUi QueryCommand(CommandId id, CommandRoute route);

// Runs the handler of the first target on `route` that has one; false when none has.
bool DispatchCommand(CommandId id, CommandRoute route);

}  // namespace pictoma
