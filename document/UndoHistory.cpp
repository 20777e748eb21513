#include "UndoHistory.h"

#include <utility>

namespace pictoma {

namespace {

std::size_t SizeOf(const DocState& s) {
    return s.picture.bytes.size();
}

const std::string kNone;

}  // namespace

void UndoHistory::Record(std::string name, DocState before) {
    for (const Step& s : m_redo)
        m_bytes -= SizeOf(s.state);
    m_redo.clear();
    m_bytes += SizeOf(before);
    m_undo.push_back({std::move(name), std::move(before)});
    Trim();
}

const std::string& UndoHistory::UndoName() const {
    return m_undo.empty() ? kNone : m_undo.back().name;
}

const std::string& UndoHistory::RedoName() const {
    return m_redo.empty() ? kNone : m_redo.back().name;
}

DocState UndoHistory::Undo(DocState current) {
    return Move(m_undo, m_redo, std::move(current));
}

DocState UndoHistory::Redo(DocState current) {
    return Move(m_redo, m_undo, std::move(current));
}

DocState UndoHistory::Move(std::deque<Step>& from, std::deque<Step>& to, DocState current) {
    Step step = std::move(from.back());
    from.pop_back();
    m_bytes += SizeOf(current);
    m_bytes -= SizeOf(step.state);
    DocState restore = std::move(step.state);
    to.push_back({std::move(step.name), std::move(current)});
    Trim();
    return restore;
}

void UndoHistory::Clear() {
    m_undo.clear();
    m_redo.clear();
    m_bytes = 0;
}

void UndoHistory::Trim() {
    while (Steps() > kMaxSteps || m_bytes > kMaxBytes) {
        std::deque<Step>& from = m_undo.empty() ? m_redo : m_undo;
        if (from.empty()) break;
        m_bytes -= SizeOf(from.front().state);
        from.pop_front();
    }
}

}  // namespace pictoma
