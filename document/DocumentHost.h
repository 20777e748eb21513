#pragma once
// Everything the document needs from the user interface, in core types only: message boxes (from
// MessageSink), the size dialog, the threshold dialog, the save-file dialog and the export dialog.
// The editor passes real dialogs; tests pass a scripted host.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Brightness.h"
#include "Messages.h"
#include "mono.h"

namespace pictoma {

// What the threshold dialog returns after OK.
struct ThresholdChoice {
    bool useDefault = false;            // "use default threshold" was chosen
    int threshold = DEFAULT_THRESHOLD;  // the value in the box, MIN_THRESHOLD..MAX_THRESHOLD
};

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

// What the export dialog is given: the picture (read only, valid while the dialog is shown), its
// size and the position it starts at on the terminal's screen.
struct ExportRequest {
    std::span<const std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

class DocumentHost : public MessageSink {
public:
    // Shows the size dialog preset to `preset`; the size after OK, nullopt after Cancel.
    virtual std::optional<Size> AskSize(Size preset) = 0;
    // Shows the threshold dialog preset to `current`; the choice after OK, nullopt otherwise.
    virtual std::optional<ThresholdChoice> AskThreshold(int current) = 0;
    // Shows the save-file dialog; the chosen path and filter entry, nullopt when not confirmed.
    virtual std::optional<SaveChoice> AskSaveFile(const SaveDialogSettings& settings) = 0;
    // Shows the export dialog modally for `request`.
    virtual void ShowExport(const ExportRequest& request) = 0;
};

}  // namespace pictoma
