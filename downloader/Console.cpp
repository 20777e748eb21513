#include "Console.h"

#include <algorithm>
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
    return "Usage: vantrel <lookup file>[,<port>,<rate>,<infrared>]\n"
           "  port      1..6 for COM1..COM6 (default 1)\n"
           "  rate      1=115200 2=57600 3=38400 4=19200 5=9600 bit/s (default 1)\n"
           "  infrared  1 to send through a serial infrared transceiver (default 0)\n"
           "Example: vantrel shop.txt,2,5,0\n";
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
}

void ConsoleHost::DrawBar(int percent) {
    const int filled = percent * kBarWidth / 100;
    err_ << '\r' << kProgressLabel << " [" << std::string(std::size_t(filled), '#')
         << std::string(std::size_t(kBarWidth - filled), ' ') << "] " << percent << '%'
         << std::flush;
    barShown_ = true;
}

std::optional<std::string> ConsoleHost::ChooseFile(const std::string&) {
    return std::nullopt;
}

std::optional<LinkSettings> ConsoleHost::AskLinkSettings(const LinkSettings& link) {
    return link;
}

}  // namespace vantrel
