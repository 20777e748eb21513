// Linux/POSIX-only: a FIFO and getpid.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "Document.h"

namespace pictoma {
namespace {

struct Shown {
    std::string text;
    MsgIcon icon;
};

class RecordingSink : public MessageSink {
public:
    MsgAnswer Message(std::string_view text, MsgIcon icon, MsgButtons) override {
        shown.push_back({std::string(text), icon});
        return MsgAnswer::Ok;
    }
    std::vector<Shown> shown;
};

class LogView : public ViewBase {
public:
    LogView(std::string name, std::vector<std::string>& log)
        : m_name(std::move(name)), m_log(log) {}
    void OnInitialUpdate() override { m_log.push_back(m_name + ":initial"); }
    void OnUpdate(ViewBase* sender, long hint) override {
        m_log.push_back(m_name + ":update" + (sender ? "+sender" : "") + (hint ? "+hint" : ""));
    }
    void InvalidateRect(const Rect&, bool) override {}
    void SetFocus() override {}

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

class CountingDoc : public DocumentBase {
public:
    using DocumentBase::DocumentBase;
    void Serialize(std::istream& in) override {
        std::string s;
        std::getline(in, s);
        read = s;
    }
    std::string read;
};

TEST(DocumentViews, UpdateAllViewsSkipsTheSenderAndKeepsOrder) {
    std::vector<std::string> log;
    CountingDoc doc;
    LogView a("a", log), b("b", log);
    doc.AddView(a);
    doc.AddView(b);
    doc.AddView(a);  // twice: still once
    EXPECT_EQ(doc.GetViews().size(), 2u);
    EXPECT_EQ(a.GetDocument(), &doc);

    doc.UpdateAllViews();
    doc.UpdateAllViews(&a, 3);
    EXPECT_EQ(log, (std::vector<std::string>{"a:update", "b:update", "b:update+sender+hint"}));
}

TEST(DocumentViews, ViewAndDocumentDetachOnDestruction) {
    std::vector<std::string> log;
    CountingDoc doc;
    {
        LogView a("a", log);
        doc.AddView(a);
    }
    EXPECT_TRUE(doc.GetViews().empty());

    LogView b("b", log);
    {
        CountingDoc other;
        other.AddView(b);
        doc.AddView(b);  // moves from `other` to `doc`
        EXPECT_TRUE(other.GetViews().empty());
    }
    EXPECT_EQ(b.GetDocument(), &doc);
}

TEST(DocumentOpen, ReadsTheFileRenamesAndGivesInitialUpdates) {
    const auto path = std::filesystem::temp_directory_path() / "framework_doc_open.txt";
    std::ofstream(path) << "hello\n";
    std::vector<std::string> log;
    RecordingSink sink;
    CountingDoc doc(&sink);
    LogView a("a", log);
    doc.AddView(a);
    EXPECT_EQ(doc.GetTitle(), kUntitledTitle);

    ASSERT_TRUE(doc.OpenDocument(path.string()));
    EXPECT_EQ(doc.read, "hello");
    EXPECT_EQ(doc.GetPathName(), path.string());
    EXPECT_EQ(doc.GetTitle(), "framework_doc_open.txt");
    EXPECT_EQ(log, std::vector<std::string>{"a:initial"});

    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.NewDocument());
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(sink.shown.empty());
    std::filesystem::remove(path);
}

TEST(DocumentOpen, UnreadableFileIsReportedByNameAndChangesNothing) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string missing = (dir / "framework_doc_missing.bmp").string();
    std::vector<std::string> log;
    RecordingSink sink;
    CountingDoc doc(&sink);
    LogView a("a", log);
    doc.AddView(a);
    doc.SetPathName("before.bmp");

    for (const std::string& path : {missing, dir.string()}) {
        EXPECT_FALSE(doc.OpenDocument(path));
        ASSERT_FALSE(sink.shown.empty());
        EXPECT_NE(sink.shown.back().text.find("\"" + path + "\""), std::string::npos);
        EXPECT_EQ(sink.shown.back().icon, MsgIcon::Warning);
    }
    EXPECT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(doc.GetPathName(), "before.bmp");
    EXPECT_TRUE(log.empty());

    // A FIFO would block the window until some writer came along: refused at once.
    const auto fifo = dir / ("framework_doc_fifo_" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(doc.OpenDocument(fifo.string()));
    std::filesystem::remove(fifo);
    ASSERT_EQ(sink.shown.size(), 3u);
    EXPECT_EQ(sink.shown.back().text, fifo.string() + " is not a regular file");
    EXPECT_EQ(doc.GetPathName(), "before.bmp");
}

}  // namespace
}  // namespace pictoma
