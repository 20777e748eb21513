// Vantrel: sends a lookup data file to a hand-held terminal over a serial port. With a file on
// the command line it sends without asking; without one it asks for the file and the port.

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "Console.h"
#include "PortDevice.h"
#include "Program.h"
#include "ProtocolLog.h"
#include "QtHost.h"
#include "QtSerialPort.h"
#include "SteadyClock.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// True when standard error shows on a terminal, where a progress bar can be redrawn in place.
bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(::fileno(stderr)) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vantrel;
    const ProgramOptions options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "vantrel: " << options.error << '\n' << Usage();
        return kExitBadFile;
    }
    if (options.help) {
        std::cout << Usage();
        return kExitDone;
    }
    if (options.version) {
        std::cout << "vantrel " << kVersion << '\n';
        return kExitDone;
    }
    if (options.listPorts) {
        for (const PortChoice& choice : SystemPortChoices())
            std::cout << choice.label << '\n';
        return kExitDone;
    }

    CommandLine command = ParseCommandLine(JoinArguments(options.arguments));
    command.link.device = options.device;
    // The device chosen by --device replaces the port digit, right or wrong.
    for (const std::string* warning : {options.device.empty() ? &command.portWarning : nullptr,
                                       &command.rateWarning, &command.infraredWarning}) {
        if (warning && !warning->empty()) std::cerr << *warning << '\n';
    }

    SteadyClock clock;
    std::string logPath = options.log;
    if (const char* fromEnvironment = std::getenv("VANTREL_LOG");
        logPath.empty() && fromEnvironment) {
        logPath = fromEnvironment;
    }
    std::optional<ProtocolLog> log;
    if (!logPath.empty()) {
        LogFileOpening opening = OpenLogFile(logPath);
        if (!opening.writer) {
            std::cerr << "vantrel: can't write the log " << opening.reason << '\n';
            return kExitBadFile;
        }
        log.emplace(clock, std::move(opening.writer));
        log->Note("vantrel " + std::string(kVersion));
    }

    // The arguments are the program's own: Qt gets none to interpret.
    int qtArgc = 1;
    QtPortOpener ports;

    if (UseConsole()) {
        if (!command.commandLineMode) {
            std::cerr << Usage();
            return kExitBadFile;
        }
        QCoreApplication app(qtArgc, argv);
        CatchCancelSignals();
        ConsoleHost host(std::cerr, std::cin, StderrIsTerminal());
        RunContext context{host, ports, clock, {}, {}, log ? &*log : nullptr};
        return RunVantrel(command, context);
    }

    QApplication app(qtArgc, argv);
    QApplication::setApplicationName("vantrel");
    QApplication::setWindowIcon(LookupIcon());
    QtHost host;
    const std::string programDir =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    const std::string configDir =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
            .toStdString();
    RunContext context{host,
                       ports,
                       clock,
                       programDir,
                       LocateSettings(programDir, configDir),
                       log ? &*log : nullptr};
    return RunVantrel(command, context);
}
