#pragma once
// Test doubles for the document: a scripted host that records every dialog and message and answers
// from queues, views that record what the document asked of them, and small bitmap files.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "PictomaDoc.h"
#include "ScriptedSink.h"

namespace pictoma::test {

struct ExportCall {
    std::vector<std::uint8_t> pixels;
    int width, height, x, y;
};

// Every dialog answers from its queue; a dialog shown with an empty queue fails the test.
class FakeHost : public DocumentHost {
public:
    MsgAnswer Message(std::string_view text, MsgIcon icon, MsgButtons buttons) override {
        messages.push_back({std::string(text), icon, buttons});
        if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << text;
            return MsgAnswer::No;
        }
        return Pop(answers);
    }
    std::optional<Size> AskSize(Size preset) override {
        sizePresets.push_back(preset);
        if (sizes.empty()) ADD_FAILURE() << "unscripted size dialog";
        return sizes.empty() ? std::nullopt : Pop(sizes);
    }
    std::optional<ThresholdChoice> AskThreshold(int current) override {
        thresholdPresets.push_back(current);
        if (thresholds.empty()) ADD_FAILURE() << "unscripted threshold dialog";
        return thresholds.empty() ? std::nullopt : Pop(thresholds);
    }
    std::optional<SaveChoice> AskSaveFile(const SaveDialogSettings& settings) override {
        saveSettings.push_back(settings);
        if (saves.empty()) ADD_FAILURE() << "unscripted save dialog";
        return saves.empty() ? std::nullopt : Pop(saves);
    }
    bool ShowExport(const ExportRequest& r) override {
        exports.push_back({r.picture.bytes, r.picture.width, r.picture.height, r.x, r.y});
        return exportSaves;
    }
    std::optional<ImportOptions> AskImport(std::shared_ptr<const PictureSource>,
                                           const ImportOptions& options) override {
        importPresets.push_back(options);
        if (imports.empty()) ADD_FAILURE() << "unscripted import dialog";
        return imports.empty() ? std::nullopt : Pop(imports);
    }
    void CopyToClipboard(const Picture& picture, const std::string& text) override {
        copies.push_back({picture, text});
    }

    std::deque<MsgAnswer> answers;
    std::deque<std::optional<Size>> sizes;
    std::deque<std::optional<ThresholdChoice>> thresholds;
    std::deque<std::optional<SaveChoice>> saves;

    std::vector<ShownMessage> messages;
    std::vector<Size> sizePresets;
    std::vector<int> thresholdPresets;
    std::vector<SaveDialogSettings> saveSettings;
    std::vector<ExportCall> exports;
    bool exportSaves = false;
    std::deque<std::optional<ImportOptions>> imports;
    std::vector<ImportOptions> importPresets;  // what the export dialog answers: whether it saved
    std::vector<std::pair<Picture, std::string>> copies;

private:
    template <class Q>
    static typename Q::value_type Pop(Q& q) {
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

struct Invalidation {
    Rect rect;
    bool erase;
    bool operator==(const Invalidation&) const = default;
};

// A view that records the document's calls, on either kind of view base.
template <class Base>
class RecordingView : public Base {
public:
    void OnInitialUpdate() override { ++initialUpdates; }
    void OnUpdate(ViewBase*, long hint) override {
        ++updates;
        EXPECT_EQ(hint, 0);
    }
    void InvalidateRect(const Rect& rect, bool erase) override {
        invalidated.push_back({rect, erase});
    }
    void SetFocus() override { ++focused; }

    int initialUpdates = 0;
    int updates = 0;
    int focused = 0;
    std::vector<Invalidation> invalidated;
};

using FakeView = RecordingView<ViewBase>;

class FakeDocView : public RecordingView<PictomaViewBase> {
public:
    explicit FakeDocView(DocViewKind kind) : m_kind(kind) {}
    DocViewKind Kind() const override { return m_kind; }

private:
    DocViewKind m_kind;
};

// A 24-bit bitmap file of w x h grey pixels, grey(x, y) from 0 (black) to 255 (white).
inline std::vector<std::uint8_t> GreyBmp(int w, int h, const std::function<int(int, int)>& grey) {
    std::vector<std::uint8_t> out;
    auto u16 = [&](unsigned v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    auto u32 = [&](unsigned v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const unsigned row = (unsigned(w) * 3 + 3) / 4 * 4;
    out.push_back('B');
    out.push_back('M');
    u32(54 + row * unsigned(h));
    u32(0);
    u32(54);
    u32(40);
    u32(unsigned(w));
    u32(unsigned(h));
    u16(1);
    u16(24);
    for (int i = 0; i < 6; ++i)
        u32(0);
    for (int y = h - 1; y >= 0; --y) {  // bottom row first
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                out.push_back(std::uint8_t(grey(x, y)));
        out.resize(out.size() + (row - unsigned(w) * 3), 0);
    }
    return out;
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace pictoma::test
