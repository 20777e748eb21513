#include "Console.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <istream>
#include <ostream>

namespace vantrel {

namespace {

constexpr int kBarWidth = 40;
constexpr std::string_view kProgressLabel = "Downloading...";

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

bool UseConsole() {
    const char* forced = std::getenv("VANTREL_CONSOLE");
    if (forced && std::string_view(forced) == "1") return true;
#if defined(_WIN32) || defined(__APPLE__)
    return false;
#else
    return !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY");
#endif
}

std::string Usage() {
    return "Usage: vantrel [OPTIONS] <lookup file>[,<port>,<rate>,<infrared>]\n"
           "  port      1..6 for COM1..COM6 (default 1)\n"
           "  rate      1=115200 2=57600 3=38400 4=19200 5=9600 bit/s (default 1)\n"
           "  infrared  1 to send through a serial infrared transceiver (default 0)\n"
           "Options:\n"
           "  --device PATH  send on this device, whatever the port digit says\n"
           "  --list-ports   print the ports the Comm Properties dialog lists, and exit\n"
           "  --log FILE     write every byte sent and received to FILE (also VANTREL_LOG)\n"
           "  -h, --help     print this help, and exit\n"
           "  --version      print the version, and exit\n"
           "COM<n> is the device $VANTREL_COM<n> when it is set, else /dev/ttyS<n-1>.\n"
           "Exit status: 0 downloaded, 1 the download failed, 2 the lookup file cannot be\n"
           "opened or a usage error, 3 the port cannot be opened or configured, 4 the\n"
           "download was cancelled.\n"
           "Example: vantrel shop.txt,2,5,0\n";
}

namespace {

volatile std::sig_atomic_t gCancelSignal = 0;

extern "C" void OnCancelSignal(int) {
    gCancelSignal = 1;
}

}  // namespace

void CatchCancelSignals() {
#ifdef _WIN32
    std::signal(SIGINT, OnCancelSignal);
    std::signal(SIGTERM, OnCancelSignal);
#else
    struct sigaction action {};
    action.sa_handler = OnCancelSignal;
    sigemptyset(&action.sa_mask);
    // One signal stops the download; a second one, back at the default, ends the program.
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
#endif
}

bool CancelSignalled() {
    return gCancelSignal != 0;
}

bool IsYes(std::string_view answer) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!answer.empty() && blank(answer.front()))
        answer.remove_prefix(1);
    while (!answer.empty() && blank(answer.back()))
        answer.remove_suffix(1);
    std::string lower(answer);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return lower == "y" || lower == "yes";
}

MsgAnswer ConsoleHost::Message(std::string_view text, std::string_view title, MsgIcon icon,
                               MsgButtons buttons) {
    return MessageWithReason(text, {}, title, icon, buttons);
}

MsgAnswer ConsoleHost::MessageWithReason(std::string_view text, std::string_view reason,
                                         std::string_view title, MsgIcon, MsgButtons buttons) {
    // A message during the transfer goes below the bar, not into it.
    if (barShown_) err_ << '\n';
    barShown_ = false;
    lineLength_ = 0;
    err_ << title << ": " << text;
    if (!reason.empty()) err_ << '\n' << reason;
    if (buttons == MsgButtons::Ok) {
        err_ << '\n' << std::flush;
        return MsgAnswer::Ok;
    }
    err_ << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) {
        err_ << '\n' << std::flush;
        return MsgAnswer::No;
    }
    return IsYes(answer) ? MsgAnswer::Yes : MsgAnswer::No;
}

void ConsoleHost::Open() {
    lastPercent_ = -1;
    barOpen_ = true;
    status_.clear();
    SetPosition(0);
}

void ConsoleHost::SetPosition(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (terminal_) {
        if (percent != lastPercent_) DrawBar(percent);
    } else {
        // One line per tenth reached, so that a log shows the progress without flooding.
        const int tenth = percent / 10 * 10;
        if (tenth > lastPercent_) err_ << kProgressLabel << ' ' << tenth << "%\n" << std::flush;
        percent = std::max(tenth, lastPercent_);
    }
    lastPercent_ = percent;
}

void ConsoleHost::Close() {
    if (barShown_) err_ << '\n' << std::flush;
    barShown_ = false;
    barOpen_ = false;
    lineLength_ = 0;
    status_.clear();
}

void ConsoleHost::Status(std::string_view text) {
    if (text.empty()) {
        status_.clear();
        return;
    }
    if (barOpen_) {
        status_ = std::string(text);
        if (terminal_) DrawBar(lastPercent_ < 0 ? 0 : lastPercent_);
        return;
    }
    // Waiting for the terminal: nothing else is on the line yet.
    if (terminal_) {
        Redraw(std::string(text));
    } else {
        err_ << text << '\n' << std::flush;
    }
}

bool ConsoleHost::CancelRequested() {
    return CancelSignalled();
}

void ConsoleHost::DrawBar(int percent) {
    const int filled = percent * kBarWidth / 100;
    std::string line = std::string(kProgressLabel) + " [" + std::string(std::size_t(filled), '#') +
                       std::string(std::size_t(kBarWidth - filled), ' ') + "] " +
                       std::to_string(percent) + '%';
    if (!status_.empty()) line += "  " + status_;
    Redraw(line);
}

void ConsoleHost::Redraw(const std::string& line) {
    err_ << '\r' << line;
    if (line.size() < lineLength_) {
        err_ << std::string(lineLength_ - line.size(), ' ') << '\r' << line;
    }
    err_ << std::flush;
    lineLength_ = line.size();
    barShown_ = true;
}

std::optional<std::string> ConsoleHost::ChooseFile(const std::string&) {
    return std::nullopt;
}

std::optional<LinkSettings> ConsoleHost::AskLinkSettings(const LinkSettings& link) {
    return link;
}

}  // namespace vantrel
