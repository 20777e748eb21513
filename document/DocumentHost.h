#pragma once
// Everything the document needs from the user interface, in core types only: message boxes (from
// MessageSink), the size dialog, the threshold dialog, the save-file dialog and the export dialog.
// The editor passes real dialogs; tests pass a scripted host.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Brightness.h"
#include "FileDialogs.h"
#include "IconSource.h"
#include "ImportOptions.h"
#include "Messages.h"
#include "Pipeline.h"
#include "mono.h"

namespace pictoma {

// What the threshold dialog returns after OK.
struct ThresholdChoice {
    bool useDefault = false;            // "use default threshold" was chosen
    int threshold = DEFAULT_THRESHOLD;  // the value in the box, MIN_THRESHOLD..MAX_THRESHOLD
};

class DocumentHost : public MessageSink {
public:
    // Shows the size dialog preset to `preset`; the size after OK, nullopt after Cancel.
    virtual std::optional<Size> AskSize(Size preset) = 0;
    // Shows the threshold dialog preset to `current`; the choice after OK, nullopt otherwise.
    virtual std::optional<ThresholdChoice> AskThreshold(int current) = 0;
    // Shows the save-file dialog; the chosen path and filter entry, nullopt when not confirmed.
    virtual std::optional<SaveChoice> AskSaveFile(const SaveDialogSettings& settings) = 0;
    // Shows the export dialog modally for `request`; true when the user saved the text there.
    virtual bool ShowExport(const ExportRequest& request) = 0;
    // Shows the Import dialog on `source` preset to `options`; the options after OK, nullopt
    // after Cancel.
    virtual std::optional<ImportOptions> AskImport(std::shared_ptr<const PictureSource> source,
                                                   const ImportOptions& options) = 0;
    // Puts the picture on the clipboard as a black-and-white image at real size and, when `text`
    // is not empty, as that plain text.
    virtual void CopyToClipboard(const Picture& picture, const std::string& text) = 0;
};

}  // namespace pictoma
