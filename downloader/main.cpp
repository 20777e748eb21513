// Vantrel: sends a lookup data file to a hand-held terminal over a serial port. With a file on
// the command line it sends without asking; without one it asks for the file and the port.

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "Console.h"
#include "Program.h"
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
    const CommandLine command =
        ParseCommandLine(JoinArguments(std::vector<std::string>(argv + 1, argv + argc)));

    // The arguments are the program's own: Qt gets none to interpret.
    int qtArgc = 1;
    QtPortOpener ports;
    SteadyClock clock;

    if (UseConsole()) {
        if (!command.commandLineMode) {
            std::cerr << Usage();
            return kExitBadFile;
        }
        QCoreApplication app(qtArgc, argv);
        ConsoleHost host(std::cerr, std::cin, StderrIsTerminal());
        RunContext context{host, ports, clock, {}, {}};
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
    RunContext context{host, ports, clock, programDir, LocateSettings(programDir, configDir)};
    return RunVantrel(command, context);
}
