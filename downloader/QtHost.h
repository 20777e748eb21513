#pragma once
// The windowed side of a run: message boxes, the open-file dialog, the Comm Properties dialog
// and the progress window.

#include <QIcon>
#include <QStringList>
#include <memory>

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
    std::optional<std::string> ChooseFile(const std::string& initialDir) override;
    std::optional<LinkSettings> AskLinkSettings(const LinkSettings& link) override;

private:
    std::unique_ptr<ProgressDlg> progress_;
};

}  // namespace vantrel
