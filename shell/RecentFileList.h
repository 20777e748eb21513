#pragma once
// The list of the files opened last, most recent first, and the names the File menu shows for
// them. Qt-free: the shell loads and stores it in the per-user settings store.

#include <cstddef>
#include <string>
#include <vector>

namespace pictoma {

class RecentFileList {
public:
    // A list that keeps at most `capacity` files (at least one).
    explicit RecentFileList(int capacity);

    int Capacity() const { return m_capacity; }
    // The files, most recent first.
    const std::vector<std::string>& Files() const { return m_files; }

    // Puts `path` first; an entry naming the same file moves up instead of appearing twice, and
    // the oldest entry drops off a full list. An empty path is ignored.
    void Add(const std::string& path);
    // Removes entry `index` (0 = most recent); an index outside the list is ignored.
    void Remove(std::size_t index);
    // Replaces the list with `paths` in order, skipping empty and repeated ones and keeping at
    // most the capacity (what the settings store held).
    void Assign(const std::vector<std::string>& paths);

    // The menu text of entry `index`: "&1 " and the file's display name, with every "&" of the
    // name doubled so that it is not taken for a mnemonic. Empty for an index outside the list.
    std::string MenuText(std::size_t index, const std::string& currentDir) const;

    // The name shown for `path`: the bare file name for a file in `currentDir`; otherwise the
    // path, shortened to at most `maxLength` characters by replacing leading folders with "..."
    // (the root and the file name always stay).
    static std::string DisplayName(const std::string& path, const std::string& currentDir,
                                   std::size_t maxLength = kMaxDisplayLength);

    static constexpr std::size_t kMaxDisplayLength = 30;

private:
    int m_capacity;
    std::vector<std::string> m_files;
};

}  // namespace pictoma
