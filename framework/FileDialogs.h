#pragma once
// The save-file dialog as the Qt-free core asks for it: how it is to be shown, and what the user
// chose.

#include <string>
#include <vector>

namespace pictoma {

// One entry of a file dialog's filter list: the label shown and the pattern it matches.
struct FileFilter {
    std::string label;
    std::string pattern;
    bool operator==(const FileFilter&) const = default;
};

// How the save-file dialog is to be shown.
struct SaveDialogSettings {
    std::string defaultExtension;  // appended, with a dot, to a name typed without extension
    std::string initialName;
    bool hideReadOnly = true;
    bool confirmOverwrite = true;  // ask before replacing an existing file
    std::vector<FileFilter> filters;
    int selectedFilter = 1;  // 1-based entry preselected
};

// The save-file dialog's answer after the user confirmed.
struct SaveChoice {
    std::string path;     // the full path, as the dialog returns it
    int filterIndex = 1;  // 1-based entry selected when the user confirmed
};

}  // namespace pictoma
