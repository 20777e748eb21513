#pragma once
// The document's undo history: for every change, the state it replaced (the picture and the
// threshold), under the name of the step ("pen stroke", "crop", ...). Bounded in steps and bytes;
// the oldest steps go first.

#include <cstddef>
#include <deque>
#include <string>

#include "mono.h"

namespace pictoma {

// What one undo step gives back.
struct DocState {
    Picture picture;
    int threshold = 0;
};

class UndoHistory {
public:
    static constexpr std::size_t kMaxSteps = 200;
    static constexpr std::size_t kMaxBytes = 64u * 1024 * 1024;

    // Records a change named `name` that replaced `before`; the redo steps are dropped.
    void Record(std::string name, DocState before);
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // The names of the step Undo and Redo would take back or do again (empty when none).
    const std::string& UndoName() const;
    const std::string& RedoName() const;
    // Takes the last step back: returns the state to restore, and keeps `current` for Redo.
    // Only when CanUndo().
    DocState Undo(DocState current);
    // Does the last undone step again: returns the state to restore, keeps `current` for Undo.
    // Only when CanRedo().
    DocState Redo(DocState current);
    void Clear();

    std::size_t Steps() const { return m_undo.size() + m_redo.size(); }
    std::size_t Bytes() const { return m_bytes; }

private:
    struct Step {
        std::string name;
        DocState state;
    };
    // Takes the last step of `from` back, keeping `current` as the last step of `to`.
    DocState Move(std::deque<Step>& from, std::deque<Step>& to, DocState current);
    // Drops the oldest steps (undo first, then the farthest redo) until the bounds hold.
    void Trim();

    std::deque<Step> m_undo;  // oldest first
    std::deque<Step> m_redo;  // the next redo last
    std::size_t m_bytes = 0;
};

}  // namespace pictoma
