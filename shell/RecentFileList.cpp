#include "RecentFileList.h"

#include <algorithm>
#include <filesystem>

namespace pictoma {

namespace {

namespace fs = std::filesystem;

bool SameFile(const std::string& a, const std::string& b) {
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

// Length in characters of UTF-8 text (continuation bytes are not counted).
std::size_t CharCount(const std::string& text) {
    return std::size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

RecentFileList::RecentFileList(int capacity) : m_capacity(std::max(capacity, 1)) {}

void RecentFileList::Add(const std::string& path) {
    if (path.empty()) return;
    auto same = [&path](const std::string& f) { return SameFile(f, path); };
    m_files.erase(std::remove_if(m_files.begin(), m_files.end(), same), m_files.end());
    m_files.insert(m_files.begin(), path);
    if (m_files.size() > std::size_t(m_capacity)) m_files.resize(std::size_t(m_capacity));
}

void RecentFileList::Remove(std::size_t index) {
    if (index < m_files.size()) m_files.erase(m_files.begin() + std::ptrdiff_t(index));
}

void RecentFileList::Assign(const std::vector<std::string>& paths) {
    m_files.clear();
    for (const std::string& path : paths) {
        if (m_files.size() == std::size_t(m_capacity)) break;
        if (path.empty()) continue;
        if (std::any_of(m_files.begin(), m_files.end(),
                        [&path](const std::string& f) { return SameFile(f, path); }))
            continue;
        m_files.push_back(path);
    }
}

std::string RecentFileList::MenuText(std::size_t index, const std::string& currentDir) const {
    if (index >= m_files.size()) return {};
    std::string name;
    for (char c : DisplayName(m_files[index], currentDir)) {
        if (c == '&') name += '&';
        name += c;
    }
    return "&" + std::to_string(index + 1) + " " + name;
}

std::string RecentFileList::DisplayName(const std::string& path, const std::string& currentDir,
                                        std::size_t maxLength) {
    const fs::path file = fs::path(path).lexically_normal();
    const std::string fileName = file.filename().string();
    if (!currentDir.empty()) {
        fs::path dir = fs::path(currentDir).lexically_normal();
        if (!dir.has_filename() && dir != dir.root_path()) dir = dir.parent_path();  // "a/b/"
        if (file.parent_path() == dir) return fileName;
    }
    if (CharCount(path) <= maxLength) return path;

    // Keep the root, then as many trailing folders as fit before the file name.
    const std::string root = file.root_path().string();
    const std::string sep(1, fs::path::preferred_separator);
    std::vector<std::string> folders;
    for (const fs::path& part : file.relative_path().parent_path())
        folders.push_back(part.string());
    std::string tail = fileName;
    const std::string ellipsis = root + "..." + sep;
    if (CharCount(ellipsis + tail) > maxLength) return fileName;
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        const std::string longer = *it + sep + tail;
        if (CharCount(ellipsis + longer) > maxLength) break;
        tail = longer;
    }
    return ellipsis + tail;
}

}  // namespace pictoma
