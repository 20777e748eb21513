#pragma once
// The document/view core: a document knows its views and tells them all to refresh; a view belongs
// to one document and repaints parts of itself. Both are command targets. No picture logic here.

#include <istream>
#include <string>
#include <vector>

#include "Command.h"
#include "Messages.h"

namespace pictoma {

// A rectangle in a view's own drawing coordinates; right and bottom edges excluded.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

// The title of a document that has no file name.
inline constexpr const char* kUntitledTitle = "无标题";

class DocumentBase;

class ViewBase : public CommandTarget {
public:
    ~ViewBase() override;

    // The document this view shows, or null before it is attached.
    DocumentBase* GetDocument() const { return m_pDocument; }

    // Called once when a new or opened document is first shown; the default calls OnUpdate.
    virtual void OnInitialUpdate();
    // The document changed; `sender` is the view that caused it (or null), `hint` is 0 unless the
    // caller says otherwise.
    virtual void OnUpdate(ViewBase* sender, long hint) = 0;
    // Marks `rect` (view coordinates) as needing a repaint, erasing the background when `erase`.
    virtual void InvalidateRect(const Rect& rect, bool erase) = 0;
    // Gives this view the keyboard focus (and so makes it the active view).
    virtual void SetFocus() = 0;

private:
    friend class DocumentBase;
    DocumentBase* m_pDocument = nullptr;
};

class DocumentBase : public CommandTarget {
public:
    // `messages` shows the framework's own error reports (a failed open); null shows none.
    explicit DocumentBase(MessageSink* messages = nullptr) : m_pMessages(messages) {}
    ~DocumentBase() override;

    // Attaches `view` (detaching it from any other document); views are kept in the order added.
    void AddView(ViewBase& view);
    // Detaches `view`; a view that is not attached is ignored.
    void RemoveView(ViewBase& view);
    const std::vector<ViewBase*>& GetViews() const { return m_views; }

    // Tells every view except `sender` that the document changed.
    void UpdateAllViews(ViewBase* sender = nullptr, long hint = 0);
    // Gives every view its initial update (after a New or an Open).
    void SendInitialUpdate();

    // The framework's New: OnNewDocument, then the untitled name and every view's initial update.
    bool NewDocument();
    // The framework's Open: OnOpenDocument(path), then the file's name and every view's initial
    // update. False, with the document as it was, when the open failed.
    bool OpenDocument(const std::string& path);

    // The document's own New step; the base clears the path name and the modified flag.
    virtual bool OnNewDocument();
    // The document's own Open step; the base opens `path` for reading, hands it to Serialize and
    // closes it. False, after a message naming the file, when it cannot be read.
    virtual bool OnOpenDocument(const std::string& path);
    // Reads the document from an opened file; the base reads nothing.
    virtual void Serialize(std::istream& in);

    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& path) { m_strPathName = path; }
    // The file name part of the path, or kUntitledTitle without a path.
    std::string GetTitle() const;
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

protected:
    MessageSink* Messages() const { return m_pMessages; }

private:
    MessageSink* m_pMessages;
    std::vector<ViewBase*> m_views;
    std::string m_strPathName;
    bool m_bModified = false;
};

// Builds the route of a command: the active view, its document, the frame, the application.
class CommandRouter {
public:
    void SetApplication(CommandTarget* app) { m_pApp = app; }
    void SetFrame(CommandTarget* frame) { m_pFrame = frame; }
    // The view whose table is asked first; null when no view is active.
    void SetActiveView(ViewBase* view) { m_pActiveView = view; }
    ViewBase* GetActiveView() const { return m_pActiveView; }

    // The targets in route order (absent ones left out).
    std::vector<CommandTarget*> Route() const;
    // QueryCommand along Route().
    CommandUi Query(CommandId id) const;
    // DispatchCommand along Route(); false when nobody handles `id`.
    bool Dispatch(CommandId id) const;

private:
    CommandTarget* m_pApp = nullptr;
    CommandTarget* m_pFrame = nullptr;
    ViewBase* m_pActiveView = nullptr;
};

}  // namespace pictoma
