#pragma once
// One run of Vantrel, free of any user-interface toolkit: the command line, the settings file
// that remembers the last directory, and the main flow from the file choice to the exit status.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Link.h"

namespace vantrel {

inline constexpr std::string_view kMsgCantOpenFile = "Can't open the file!";
inline constexpr std::string_view kMsgRetry = "Failed to download, would you like to retry?";
inline constexpr std::string_view kSettingsFileName = "vantrel.ini";
// The version --version prints and the protocol log starts with: the project's.
inline constexpr std::string_view kVersion = VANTREL_VERSION;

// The longest lookup file path and settings content a run accepts.
inline constexpr std::size_t kMaxPathLength = 255;
inline constexpr std::size_t kMaxSettingsLength = 399;

// Exit statuses of the program.
enum ExitStatus : int {
    kExitDone = 0,            // downloaded completely, or the user cancelled a dialog
    kExitDownloadFailed = 1,  // the last attempt failed and the user asked for no retry
    kExitBadFile = 2,         // the lookup file cannot be opened or is refused; bad usage
    kExitBadPort = 3,         // the port cannot be opened or configured
    kExitCancelled = 4,       // the user cancelled a running download
};

struct CommandLine {
    bool commandLineMode = false;  // the path part is not empty: send without dialogs
    std::string path;
    LinkSettings link;
    // A digit that is there but not valid, which keeps its default, told in one line each:
    // "vantrel: port digit 7 is not 1..6; using COM1". Empty when the digit is valid or absent.
    std::string portWarning, rateWarning, infraredWarning;
};

// The options that come before the lookup file's argument.
struct ProgramOptions {
    bool help = false;                   // --help, -h
    bool version = false;                // --version
    bool listPorts = false;              // --list-ports
    std::string device;                  // --device PATH: this device whatever the port digit
    std::string log;                     // --log FILE
    std::vector<std::string> arguments;  // what follows the options: the lookup file's argument
    std::string error;                   // a usage error ("unknown option -x"); empty when none
};

// Takes options until the first argument that does not start with "-" (or after "--"); every
// argument from there on belongs to the lookup file's argument, as it is.
ProgramOptions ParseOptions(const std::vector<std::string>& args);

// Joins the program's arguments (without the program name) by single blanks.
std::string JoinArguments(const std::vector<std::string>& args);

// Parses "<path>[,<port>,<rate>,<infrared>]": the path runs to the first comma; the characters
// at comma + 1, + 3 and + 5 set the port ("1".."6"), the rate ("1".."5") and the infrared flag
// ("0", "1"); a character that is missing or not valid keeps its default. An empty path part
// gives an interactive run whose settings all keep their defaults.
CommandLine ParseCommandLine(std::string_view line);

// The message that refuses a lookup file whose line `line` (from 1) does not fit a record.
std::string LongLineMessage(std::uint64_t line);

// What the settings file stores for a chosen file: its folder without the trailing separator;
// the root of the file system ("/") or the drive ("C:") for a file that lies there.
std::string DirectoryOfChosen(std::string_view path);

// Where the settings file lives: beside the executable when that folder is writable or the file
// already exists there, otherwise in the per-user configuration folder.
std::string SettingsPath(const std::string& programDir, const std::string& userConfigDir,
                         bool programDirWritable, bool existsBesideProgram);

// The same, looking at the file system.
std::string LocateSettings(const std::string& programDir, const std::string& userConfigDir);

// The stored directory (at most its first 399 bytes), or nullopt when there is no readable file.
std::optional<std::string> ReadSettings(const std::string& path);

// Replaces the whole file by `directory`, creating its folder when needed; failures are silent.
void WriteSettings(const std::string& path, std::string_view directory);

// The dialogs, messages and progress display of a run, and the services it needs.
class Host : public UserSide, public ProgressSink {
public:
    // The status line of an attempt under the progress display; empty when the attempt ended.
    virtual void Status(std::string_view) {}
    // True once the user asked to stop the download.
    virtual bool CancelRequested() { return false; }
    // The open-file dialog starting in `initialDir`; the chosen path, or nullopt when cancelled.
    virtual std::optional<std::string> ChooseFile(const std::string& initialDir) = 0;
    // The Comm Properties dialog preset from `link`; the confirmed settings, or nullopt.
    virtual std::optional<LinkSettings> AskLinkSettings(const LinkSettings& link) = 0;
};

struct RunContext {
    Host& host;
    PortOpener& ports;
    Clock& clock;
    std::string programDir;    // the initial directory when no settings file is read
    std::string settingsPath;  // where the last directory is remembered
    Monitor* log = nullptr;    // the protocol log, when one is kept
};

// Runs the whole program once and returns its exit status.
int RunVantrel(const CommandLine& command, RunContext& context);

}  // namespace vantrel
