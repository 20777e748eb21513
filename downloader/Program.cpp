#include "Program.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "AtomicFile.h"
#include "LookupFile.h"
#include "Protocol.h"
#include "ProtocolLog.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vantrel {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool IsWritableDir(const std::string& dir) {
#ifdef _WIN32
    // Folder permissions on Windows are not visible to a simple check: try it.
    const fs::path probe = fs::u8path(dir) / ".vantrel-write-test";
    std::ofstream out(probe);
    const bool ok = out.good();
    out.close();
    std::error_code ec;
    fs::remove(probe, ec);
    return ok;
#else
    return ::access(dir.c_str(), W_OK) == 0;
#endif
}

MsgAnswer Warn(UserSide& user, std::string_view text) {
    return user.Message(text, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
}

// Opens the lookup file and checks that every line fits a record; null after the message.
std::unique_ptr<DiskLookupFile> OpenLookupFile(const std::string& path, UserSide& user) {
    LookupFileOpening opening;
    if (path.size() <= kMaxPathLength) {
        opening = DiskLookupFile::OpenWithReason(path);
    } else {
        opening.reason = "the path is longer than " + std::to_string(kMaxPathLength) + " bytes";
    }
    std::unique_ptr<DiskLookupFile> file = std::move(opening.file);
    if (!file) {
        user.MessageWithReason(kMsgCantOpenFile, opening.reason, kTitleFile, MsgIcon::Warning,
                               MsgButtons::Ok);
        return nullptr;
    }
    if (const std::uint64_t line = FindLongLine(*file); line != 0) {
        Warn(user, LongLineMessage(line));
        return nullptr;
    }
    return file;
}

}  // namespace

std::string JoinArguments(const std::vector<std::string>& args) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) line += ' ';
        line += args[i];
    }
    return line;
}

CommandLine ParseCommandLine(std::string_view line) {
    CommandLine command;
    const std::size_t comma = line.find(',');
    command.path = std::string(line.substr(0, comma));
    command.commandLineMode = !command.path.empty();
    if (!command.commandLineMode || comma == std::string_view::npos) return command;

    // A character that is there but not valid keeps the default and leaves a warning.
    auto digitAt = [&](std::size_t offset, char low, char high, std::string_view what,
                       std::string_view valid, std::string_view fallback,
                       std::string& warning) -> std::optional<int> {
        const std::size_t at = comma + offset;
        if (at >= line.size()) return std::nullopt;
        if (line[at] < low || line[at] > high) {
            warning = "vantrel: " + std::string(what) + " digit " + std::string(1, line[at]) +
                      " is not " + std::string(valid) + "; using " + std::string(fallback);
            return std::nullopt;
        }
        return line[at] - low;
    };
    if (auto port = digitAt(1, '1', '6', "port", "1..6", "COM1", command.portWarning)) {
        command.link.portIndex = *port;
    }
    if (auto rate = digitAt(3, '1', '5', "rate", "1..5", "115200", command.rateWarning)) {
        command.link.rateIndex = *rate;
    }
    if (auto infrared =
            digitAt(5, '0', '1', "infrared", "0 or 1", "no infrared", command.infraredWarning)) {
        command.link.infrared = *infrared;
    }
    return command;
}

ProgramOptions ParseOptions(const std::vector<std::string>& args) {
    ProgramOptions options;
    std::size_t i = 0;
    // "--log FILE" or "--log=FILE"; false after setting the error when the value is missing.
    const auto value = [&](std::string_view name, std::string& into) {
        const std::string& arg = args[i];
        if (arg.size() > name.size() && arg[name.size()] == '=') {
            into = arg.substr(name.size() + 1);
        } else if (i + 1 < args.size()) {
            into = args[++i];
        } else {
            options.error = "option " + std::string(name) + " needs a value";
            return false;
        }
        if (into.empty()) {
            options.error = "option " + std::string(name) + " needs a value";
            return false;
        }
        return true;
    };
    const auto is = [](const std::string& arg, std::string_view name) {
        return arg == name || (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
                               arg[name.size()] == '=');
    };
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.empty() || arg[0] != '-') break;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--list-ports") {
            options.listPorts = true;
        } else if (is(arg, "--device")) {
            if (!value("--device", options.device)) return options;
        } else if (is(arg, "--log")) {
            if (!value("--log", options.log)) return options;
        } else {
            options.error = "unknown option " + arg;
            return options;
        }
    }
    options.arguments.assign(args.begin() + std::ptrdiff_t(i), args.end());
    return options;
}

std::string LongLineMessage(std::uint64_t line) {
    return "Line " + std::to_string(line) + " is too long to download (more than " +
           std::to_string(kMaxLineBytes) + " bytes)!";
}

std::string DirectoryOfChosen(std::string_view path) {
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1]))
        --cut;
    if (cut == 0) return {};
    const std::string_view dir = path.substr(0, cut - 1);
    // "/shop.txt" lies in the root, which has no name without its separator.
    if (dir.empty()) return std::string(path.substr(0, 1));
    return std::string(dir);
}

std::string SettingsPath(const std::string& programDir, const std::string& userConfigDir,
                         bool programDirWritable, bool existsBesideProgram) {
    const fs::path beside = fs::path(programDir) / kSettingsFileName;
    if (programDirWritable || existsBesideProgram || userConfigDir.empty()) return beside.string();
    return (fs::path(userConfigDir) / kSettingsFileName).string();
}

std::string LocateSettings(const std::string& programDir, const std::string& userConfigDir) {
    std::error_code ec;
    const bool exists = fs::is_regular_file(fs::path(programDir) / kSettingsFileName, ec);
    return SettingsPath(programDir, userConfigDir, IsWritableDir(programDir), exists);
}

std::optional<std::string> ReadSettings(const std::string& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::string content(kMaxSettingsLength, '\0');
    in.read(content.data(), std::streamsize(content.size()));
    if (in.bad()) return std::nullopt;
    content.resize(std::size_t(in.gcount()));
    return content;
}

void WriteSettings(const std::string& path, std::string_view directory) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    pictoma::WriteFileAtomically(path, directory);
}

namespace {

// The attempt's monitor: the status and the cancel request go to the host, the protocol's
// events to the log when there is one.
class RunMonitor final : public Monitor {
public:
    RunMonitor(Host& host, Monitor* log) : host_(host), log_(log) {}
    void Status(std::string_view text) override { host_.Status(text); }
    bool CancelRequested() override { return host_.CancelRequested(); }
    void Sent(std::span<const std::uint8_t> bytes) override {
        if (log_) log_->Sent(bytes);
    }
    void Received(std::span<const std::uint8_t> bytes) override {
        if (log_) log_->Received(bytes);
    }
    void Note(std::string_view text) override {
        if (log_) log_->Note(text);
    }
    void Configured(const PortConfig& config) override {
        if (log_) log_->Configured(config);
    }

private:
    Host& host_;
    Monitor* log_;
};

// The host's messages, noted in the log as they are shown.
class LoggedUser final : public UserSide {
public:
    LoggedUser(UserSide& user, Monitor& log) : user_(user), log_(log) {}
    MsgAnswer Message(std::string_view text, std::string_view title, MsgIcon icon,
                      MsgButtons buttons) override {
        return MessageWithReason(text, {}, title, icon, buttons);
    }
    MsgAnswer MessageWithReason(std::string_view text, std::string_view reason,
                                std::string_view title, MsgIcon icon, MsgButtons buttons) override {
        std::string note = "message: " + std::string(text);
        if (!reason.empty()) note += " (" + std::string(reason) + ")";
        log_.Note(note);
        const MsgAnswer answer = user_.MessageWithReason(text, reason, title, icon, buttons);
        if (buttons == MsgButtons::YesNo)
            log_.Note(answer == MsgAnswer::Yes ? "answer: Yes" : "answer: No");
        return answer;
    }

private:
    UserSide& user_;
    Monitor& log_;
};

}  // namespace

int RunVantrel(const CommandLine& command, RunContext& context) {
    Host& host = context.host;
    std::string path = command.path;
    LinkSettings link = command.link;

    if (!command.commandLineMode) {
        const std::string initialDir =
            ReadSettings(context.settingsPath).value_or(context.programDir);
        std::optional<std::string> chosen = host.ChooseFile(initialDir);
        if (!chosen) return kExitDone;
        path = *chosen;
        // Remembered before anything else can fail, so a later cancel still keeps it.
        WriteSettings(context.settingsPath, DirectoryOfChosen(path));
    }

    RunMonitor monitor(host, context.log);
    LoggedUser user(host, monitor);

    std::unique_ptr<DiskLookupFile> file = OpenLookupFile(path, user);
    if (!file) return kExitBadFile;

    if (!command.commandLineMode) {
        std::optional<LinkSettings> confirmed = host.AskLinkSettings(link);
        if (!confirmed) return kExitDone;
        link = *confirmed;
    }

    const std::string name = link.device.empty() ? PortName(link.portIndex) : link.device;
    monitor.Note("sending " + path + " on " + name + " at " +
                 std::to_string(RateForIndex(link.rateIndex)) + " bit/s" +
                 (link.infrared ? " through the infrared transceiver" : ""));
    // Opens and configures the port; null after the message of the failure.
    const auto openPort = [&]() -> std::unique_ptr<SerialPort> {
        std::unique_ptr<SerialPort> port = OpenPort(name, context.ports, user);
        if (port && !ConfigurePort(*port, link.rateIndex, link.infrared != 0, context.clock, user,
                                   monitor)) {
            port.reset();
        }
        return port;
    };
    std::unique_ptr<SerialPort> port = openPort();
    if (!port) return kExitBadPort;

    AttemptResult result = DownloadAttempt(*port, *file, host, context.clock, user, monitor);
    while (result.outcome != AttemptOutcome::Complete) {
        if (result.outcome == AttemptOutcome::Cancelled) {
            if (port) PurgeInput(*port);
            port.reset();
            const std::string message = CancelledMessage(result);
            monitor.Note("cancelled by the user; the port is purged and closed");
            user.Message(message, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
            return kExitCancelled;
        }
        if (user.Message(kMsgRetry, kTitleFile, MsgIcon::Question, MsgButtons::YesNo) !=
            MsgAnswer::Yes) {
            break;
        }
        if (result.outcome == AttemptOutcome::DeviceGone || !port) {
            // The adapter may have been unplugged and plugged back in: start on it afresh.
            port.reset();
            port = openPort();
            if (!port) continue;
        } else {
            PurgeInput(*port);
        }
        result = DownloadAttempt(*port, *file, host, context.clock, user, monitor);
    }
    if (!port) return kExitBadPort;
    PurgeInput(*port);
    return result.outcome == AttemptOutcome::Complete ? kExitDone : kExitDownloadFailed;
}

}  // namespace vantrel
