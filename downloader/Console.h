#pragma once
// Console mode: the run without any window, for scripts and machines without a display. Messages
// and progress go to standard error, the retry question is answered from standard input.

#include <iosfwd>
#include <string>

#include "Program.h"

namespace vantrel {

// True when the run must not open windows: VANTREL_CONSOLE is "1", or (on systems with X11 or
// Wayland) neither DISPLAY nor WAYLAND_DISPLAY is set.
bool UseConsole();

// How to call the program: for --help, a usage error, and a console run without a file.
std::string Usage();

// From now on SIGINT and SIGTERM ask the download to stop instead of killing the program; a
// second one kills it as usual.
void CatchCancelSignals();
// True once SIGINT or SIGTERM arrived after CatchCancelSignals().
bool CancelSignalled();

// True for the answers that mean Yes: "y" or "yes" in any case, blanks around ignored.
bool IsYes(std::string_view answer);

class ConsoleHost final : public Host {
public:
    // `terminal`: `err` is a terminal, so the progress bar is redrawn in place.
    ConsoleHost(std::ostream& err, std::istream& in, bool terminal)
        : err_(err), in_(in), terminal_(terminal) {}

    MsgAnswer Message(std::string_view text, std::string_view title, MsgIcon icon,
                      MsgButtons buttons) override;
    // The message on one line and the reason, when there is one, on the next.
    MsgAnswer MessageWithReason(std::string_view text, std::string_view reason,
                                std::string_view title, MsgIcon icon, MsgButtons buttons) override;
    void Open() override;
    void SetPosition(int percent) override;
    void Close() override;
    // On a terminal the status follows the bar on its line (or stands alone while waiting for
    // the terminal); otherwise the waiting lines are written, one for each handshake.
    void Status(std::string_view text) override;
    // True once SIGINT or SIGTERM arrived (when they are caught) or `cancel` was set.
    bool CancelRequested() override;
    std::optional<std::string> ChooseFile(const std::string& initialDir) override;
    std::optional<LinkSettings> AskLinkSettings(const LinkSettings& link) override;

private:
    void DrawBar(int percent);
    // Rewrites the line under the cursor, blanking what is left of a longer one.
    void Redraw(const std::string& line);
    std::ostream& err_;
    std::istream& in_;
    bool terminal_;
    bool barShown_ = false;  // a line without its line end is on the terminal
    bool barOpen_ = false;   // between Open() and Close()
    int lastPercent_ = -1;
    std::size_t lineLength_ = 0;
    std::string status_;
};

}  // namespace vantrel
