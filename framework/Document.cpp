#include "Document.h"

#include "InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pictoma {

ViewBase::~ViewBase() {
    if (m_pDocument) m_pDocument->RemoveView(*this);
}

void ViewBase::OnInitialUpdate() {
    OnUpdate(nullptr, 0);
}

DocumentBase::~DocumentBase() {
    for (ViewBase* view : m_views)
        view->m_pDocument = nullptr;
}

void DocumentBase::AddView(ViewBase& view) {
    if (view.m_pDocument == this) return;
    if (view.m_pDocument) view.m_pDocument->RemoveView(view);
    m_views.push_back(&view);
    view.m_pDocument = this;
}

void DocumentBase::RemoveView(ViewBase& view) {
    auto it = std::find(m_views.begin(), m_views.end(), &view);
    if (it == m_views.end()) return;
    m_views.erase(it);
    view.m_pDocument = nullptr;
}

void DocumentBase::UpdateAllViews(ViewBase* sender, long hint) {
    // Copy: a view may attach or detach views while it updates.
    const std::vector<ViewBase*> views = m_views;
    for (ViewBase* view : views)
        if (view != sender) view->OnUpdate(sender, hint);
}

void DocumentBase::SendInitialUpdate() {
    const std::vector<ViewBase*> views = m_views;
    for (ViewBase* view : views)
        view->OnInitialUpdate();
}

bool DocumentBase::NewDocument() {
    if (!OnNewDocument()) return false;
    SendInitialUpdate();
    return true;
}

bool DocumentBase::OpenDocument(const std::string& path) {
    if (!OnOpenDocument(path)) return false;
    SetPathName(path);
    SendInitialUpdate();
    return true;
}

bool DocumentBase::OnNewDocument() {
    m_strPathName.clear();
    m_bModified = false;
    return true;
}

bool DocumentBase::OnOpenDocument(const std::string& path) {
    std::string reason;
    std::error_code ec;
    if (path.empty()) {
        reason = "no file name was given";
    } else if (std::filesystem::is_directory(path, ec)) {
        reason = "it is a folder";
    } else if (std::string problem = NonRegularInputProblem(path); !problem.empty()) {
        // Opening a FIFO would wait for a writer and hang the window.
        if (m_pMessages) m_pMessages->Message(problem, MsgIcon::Warning, MsgButtons::Ok);
        return false;
    } else {
        errno = 0;
        std::ifstream in(path, std::ios::binary);
        if (in) {
            Serialize(in);
            m_bModified = false;
            return true;
        }
        reason = errno != 0 ? std::strerror(errno) : "it cannot be read";
    }
    if (m_pMessages)
        m_pMessages->Message("Cannot open \"" + path + "\": " + reason, MsgIcon::Warning,
                             MsgButtons::Ok);
    return false;
}

void DocumentBase::Serialize(std::istream&) {}

std::string DocumentBase::GetTitle() const {
    if (m_strPathName.empty()) return kUntitledTitle;
    return std::filesystem::path(m_strPathName).filename().string();
}

std::vector<CommandTarget*> CommandRouter::Route() const {
    std::vector<CommandTarget*> route;
    if (m_pActiveView) {
        route.push_back(m_pActiveView);
        if (DocumentBase* doc = m_pActiveView->GetDocument()) route.push_back(doc);
    }
    if (m_pFrame) route.push_back(m_pFrame);
    if (m_pApp) route.push_back(m_pApp);
    return route;
}

CommandUi CommandRouter::Query(CommandId id) const {
    const std::vector<CommandTarget*> route = Route();
    return QueryCommand(id, route);
}

bool CommandRouter::Dispatch(CommandId id) const {
    const std::vector<CommandTarget*> route = Route();
    return DispatchCommand(id, route);
}

}  // namespace pictoma
