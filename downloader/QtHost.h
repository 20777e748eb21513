#pragma once
// The windowed side of a run: message boxes, the open-file dialog, the Comm Properties dialog
// and the progress window.

#include <QIcon>
#include <QStringList>
#include <memory>

#include "PortDevice.h"
#include "Program.h"

namespace vantrel {

class ProgressDlg;

// The program's icon, drawn at 16 x 16 and 32 x 32.
QIcon LookupIcon();

// The open-file dialog's filters: lookup data files first (any case of ".txt" where file names
// are case-sensitive), then all files.
QStringList LookupFileFilters();

class QtHost final : public Host {
public:
    QtHost();
    ~QtHost() override;

    MsgAnswer Message(std::string_view text, std::string_view title, MsgIcon icon,
                      MsgButtons buttons) override;
    // The reason goes in the box's informative text, beneath the message.
    MsgAnswer MessageWithReason(std::string_view text, std::string_view reason,
                                std::string_view title, MsgIcon icon, MsgButtons buttons) override;
    void Open() override;
    void SetPosition(int percent) override;
    void Close() override;
    // Shows the progress window, with its bar at 0, already while the terminal is waited for.
    void Status(std::string_view text) override;
    bool CancelRequested() override { return cancelled_; }
    std::optional<std::string> ChooseFile(const std::string& initialDir) override;
    // Presets the port and rate chosen last (unless `link` names a device) and remembers the
    // confirmed ones in the per-user settings.
    std::optional<LinkSettings> AskLinkSettings(const LinkSettings& link) override;

    // The progress window while one is shown, for tests.
    ProgressDlg* Progress() const { return progress_.get(); }

private:
    void ShowProgress();

    std::unique_ptr<ProgressDlg> progress_;
    bool sinkOpen_ = false;  // the attempt opened the progress display
    bool cancelled_ = false;
};

// The choice of port and rate that the next interactive run starts from, in the per-user
// settings (not in vantrel.ini, which keeps only the folder).
LinkSettings RememberedLink(const LinkSettings& fallback, const std::vector<PortChoice>& choices);
void RememberLink(const LinkSettings& link);

}  // namespace vantrel
