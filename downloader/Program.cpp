#include "Program.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "AtomicFile.h"
#include "LookupFile.h"
#include "Protocol.h"

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

    auto digitAt = [&](std::size_t offset, char low, char high) -> std::optional<int> {
        const std::size_t at = comma + offset;
        if (at >= line.size() || line[at] < low || line[at] > high) return std::nullopt;
        return line[at] - low;
    };
    if (auto port = digitAt(1, '1', '6')) command.link.portIndex = *port;
    if (auto rate = digitAt(3, '1', '5')) command.link.rateIndex = *rate;
    if (auto infrared = digitAt(5, '0', '1')) command.link.infrared = *infrared;
    return command;
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

    std::unique_ptr<DiskLookupFile> file = OpenLookupFile(path, host);
    if (!file) return kExitBadFile;

    if (!command.commandLineMode) {
        std::optional<LinkSettings> confirmed = host.AskLinkSettings(link);
        if (!confirmed) return kExitDone;
        link = *confirmed;
    }

    std::unique_ptr<SerialPort> port = OpenPort(link.portIndex, context.ports, host);
    if (!port) return kExitBadPort;
    if (!ConfigurePort(*port, link.rateIndex, link.infrared != 0, context.clock, host)) {
        return kExitBadPort;
    }

    bool done = DownloadOnce(*port, *file, host, context.clock, host);
    while (!done && host.Message(kMsgRetry, kTitleFile, MsgIcon::Question, MsgButtons::YesNo) ==
                        MsgAnswer::Yes) {
        PurgeInput(*port);
        done = DownloadOnce(*port, *file, host, context.clock, host);
    }
    PurgeInput(*port);
    return done ? kExitDone : kExitDownloadFailed;
}

}  // namespace vantrel
