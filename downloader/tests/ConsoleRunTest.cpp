// Linux/POSIX-only: fork, pipes, file locks and a pseudo-terminal.
// The vantrel program in console mode, end to end: a real process sending to a simulated terminal
// on a pseudo-terminal, answering the retry question from its standard input.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "PtyTerminal.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

struct Outcome {
    int status = -1;
    std::string err;
};

// Runs vantrel with `args`, the port COM1 on `device`, and `input` on its standard input, its
// standard output going to `out` when given; kills it when it has not ended within 30 seconds.
// `child` receives its process id.
Outcome RunProgram(const std::vector<std::string>& args, const std::string& device,
                   const std::string& input, const std::string& out = {},
                   std::atomic<pid_t>* child = nullptr) {
    int in[2], err[2];
    if (::pipe(in) != 0 || ::pipe(err) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(err[1], 2);
        ::close(in[1]);
        ::close(err[0]);
        if (!out.empty()) {
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1);
        }
        ::setenv("VANTREL_CONSOLE", "1", 1);
        ::setenv("VANTREL_COM1", device.c_str(), 1);
        ::unsetenv("VANTREL_LOG");
        std::vector<char*> argv{const_cast<char*>(VANTREL_PROGRAM)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(VANTREL_PROGRAM, argv.data());
        ::_exit(127);
    }
    if (child) *child = pid;
    ::close(in[0]);
    ::close(err[1]);
    [[maybe_unused]] ssize_t w = ::write(in[1], input.data(), input.size());
    ::close(in[1]);

    Outcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buf[512];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(pid, SIGKILL);
            ADD_FAILURE() << "vantrel did not end";
            break;
        }
        pollfd p{err[0], POLLIN, 0};
        if (::poll(&p, 1, int(left.count())) <= 0) continue;
        const ssize_t n = ::read(err[0], buf, sizeof buf);
        if (n <= 0) break;
        outcome.err.append(buf, std::size_t(n));
    }
    ::close(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

Outcome RunVantrel(const std::string& argument, const std::string& device,
                   const std::string& input) {
    return RunProgram({argument}, device, input);
}

std::string Content(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ConsoleRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vantrel-console-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Lookup(const std::string& content) {
        const fs::path path = dir_ / "shop.txt";
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    fs::path dir_;
    fake::PtyTerminal terminal_;
};

TEST_F(ConsoleRunTest, SendsTheFileAtTheRateOfTheCommandLine) {
    terminal_.Start();
    const Outcome run = RunVantrel(Lookup("AB\r\nCD\r\nEF"), terminal_.Device(), "");
    terminal_.Stop();
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(terminal_.Lines(), ElementsAre("AB", "CD", "EF"));
    EXPECT_EQ(terminal_.BadChecksums(), 0);
    EXPECT_THAT(run.err, HasSubstr("Downloading... 100%\nVantrel File: Downloaded completely!\n"));

    fake::PtyTerminal slow;
    slow.Start();
    const Outcome at9600 = RunVantrel(Lookup("AB\r\n") + ",1,5,0", slow.Device(), "");
    slow.Stop();
    EXPECT_EQ(at9600.status, 0);
    EXPECT_THAT(slow.Speeds(), ElementsAre(9600u, 9600u, 9600u));
}

TEST_F(ConsoleRunTest, FailedAttemptIsRetriedWhenTheAnswerIsYes) {
    struct Case {
        std::string answer;
        int status;
        std::vector<std::string> lines;
    };
    for (const Case& c : {Case{"y\n", 0, {"AB"}}, Case{"n\n", 1, {}}, Case{"", 1, {}}}) {
        SCOPED_TRACE(c.answer);
        fake::PtyTerminal terminal;
        // The first three handshakes are refused: "Terminal is not ready!".
        terminal.Start([](int index, const std::string&, bool) -> std::string {
            return index < 3 ? "NAK\r" : "ACK\r";
        });
        const Outcome run = RunVantrel(Lookup("AB\r\n"), terminal.Device(), c.answer);
        terminal.Stop();
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(terminal.Lines(), c.lines);
        EXPECT_THAT(run.err, HasSubstr("Vantrel File: Terminal is not ready!\n"
                                       "No \"ACK\" to 3 handshakes from the terminal on " +
                                       terminal.Device() +
                                       "; the last answer was \"NAK<0D>\".\n"
                                       "Vantrel File: Failed to download, would you like to "
                                       "retry?"));
    }
}

TEST_F(ConsoleRunTest, LineTooLongIsRefusedBeforeAnythingIsSent) {
    terminal_.Start();
    const Outcome run =
        RunVantrel(Lookup("AB\r\n" + std::string(254, 'x') + "\r\n"), terminal_.Device(), "");
    terminal_.Stop();
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Vantrel File: Line 2 is too long to download (more than 253 bytes)!\n");
    EXPECT_THAT(terminal_.Frames(), IsEmpty());
}

TEST_F(ConsoleRunTest, UsageMissingFileAndMissingPortHaveTheirOwnStatus) {
    for (const char* line : {"", ",2,5,1"}) {
        const Outcome run = RunVantrel(line, "/dev/null", "");
        EXPECT_EQ(run.status, 2);
        EXPECT_THAT(run.err, HasSubstr("Usage: vantrel"));
    }
    const std::string none = (dir_ / "none.txt").string();
    const Outcome missing = RunVantrel(none, "/dev/null", "");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "Vantrel File: Can't open the file!\n" + none + ": No such file or directory\n");

    const Outcome noPort = RunVantrel(Lookup("AB\r\n"), "/dev/vantrel-no-such-port", "");
    EXPECT_EQ(noPort.status, 3);
    EXPECT_THAT(noPort.err, StartsWith("Vantrel File: Can't open the COM port!\n"
                                       "/dev/vantrel-no-such-port does not exist."));
}

TEST_F(ConsoleRunTest, FifoAsLookupFileIsRefusedAtOnce) {
    const fs::path fifo = dir_ / "shop.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    terminal_.Start();
    const auto start = std::chrono::steady_clock::now();
    const Outcome run = RunVantrel(fifo.string() + ",1,5,0", terminal_.Device(), "");
    terminal_.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "Vantrel File: Can't open the file!\n" + fifo.string() + " is not a regular file\n");
    EXPECT_THAT(terminal_.Frames(), IsEmpty());
}

// Another program holding the device under another name: it locks the open device, which the
// name does not change.
TEST_F(ConsoleRunTest, DeviceHeldUnderAnotherNameIsNotOpened) {
    const fs::path link = dir_ / "terminal-link";
    fs::create_symlink(terminal_.Device(), link);
    const int held = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    terminal_.Start();
    const Outcome busy = RunVantrel(Lookup("AB\r\n"), terminal_.Device(), "");
    ::close(held);
    const Outcome freed = RunVantrel(Lookup("AB\r\n"), terminal_.Device(), "");
    terminal_.Stop();

    EXPECT_EQ(busy.status, 3);
    EXPECT_THAT(busy.err, StartsWith("Vantrel File: Can't open the COM port!\n" +
                                     terminal_.Device() + " is in use by another program ("));
    EXPECT_EQ(freed.status, 0);
    EXPECT_THAT(terminal_.Lines(), ElementsAre("AB"));
}

TEST_F(ConsoleRunTest, OptionsAnswerWithoutSendingAndOthersAreUsageErrors) {
    const std::string out = (dir_ / "out.txt").string();
    const Outcome help = RunProgram({"--help"}, "/dev/null", "", out);
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(Content(out), StartsWith("Usage: vantrel [OPTIONS] <lookup file>"));
    EXPECT_EQ(help.err, "");

    const Outcome version = RunProgram({"--version"}, "/dev/null", "", out);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(Content(out), "vantrel " VANTREL_VERSION "\n");

    // The ports as the dialog lists them, COM1 on the device its variable names.
    const Outcome ports = RunProgram({"--list-ports"}, terminal_.Device(), "", out);
    EXPECT_EQ(ports.status, 0);
    EXPECT_THAT(Content(out), StartsWith("COM1 — " + terminal_.Device() + "\nCOM2 — "));

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-v", "shop.txt"}, {"--device"}, {"--frobnicate"}}) {
        const Outcome usage = RunProgram(args, "/dev/null", "", out);
        EXPECT_EQ(usage.status, 2) << args[0];
        EXPECT_THAT(usage.err, StartsWith("vantrel: "));
        EXPECT_THAT(usage.err, HasSubstr("\nUsage: vantrel"));
        EXPECT_EQ(Content(out), "");
    }

    // Digits that are not valid keep their defaults, and say so.
    terminal_.Start();
    const Outcome digits = RunVantrel(Lookup("AB\r\n") + ",7,9,2", terminal_.Device(), "");
    terminal_.Stop();
    EXPECT_EQ(digits.status, 0);
    EXPECT_THAT(digits.err, StartsWith("vantrel: port digit 7 is not 1..6; using COM1\n"
                                       "vantrel: rate digit 9 is not 1..5; using 115200\n"
                                       "vantrel: infrared digit 2 is not 0 or 1; using no "
                                       "infrared\n"));
    EXPECT_THAT(terminal_.Speeds(), ElementsAre(115200u, 115200u, 115200u));
}

// Ctrl+C in the middle of a transfer: the record on the line is answered, nothing more is sent,
// and the user is told what the terminal now holds.
TEST_F(ConsoleRunTest, InterruptMidTransferStopsAfterTheRecordOnTheLine) {
    std::string file;
    for (int i = 0; i < 20; ++i)
        file += "LINE" + std::to_string(i) + "\r\n";
    const std::string lookup = Lookup(file);
    const fs::path log = dir_ / "run.log";
    std::atomic<pid_t> child{0};
    terminal_.Start([&](int index, const std::string&, bool) -> std::string {
        if (index == 5) {
            ::kill(child, SIGINT);
            // Give the signal time to land before the answer does.
            ::usleep(200000);
        }
        return "ACK\r";
    });
    // The device comes from --device; COM1 would be a device that does not exist.
    const auto start = std::chrono::steady_clock::now();
    const Outcome run =
        RunProgram({"--device", terminal_.Device(), "--log", log.string(), lookup + ",1,1,0"},
                   "/dev/vantrel-no-such-port", "", {}, &child);
    const auto took = std::chrono::steady_clock::now() - start;
    terminal_.Stop();

    EXPECT_EQ(run.status, 4);
    EXPECT_THAT(run.err, HasSubstr("\nVantrel File: Download cancelled after line 5 of 20: the "
                                   "terminal now holds a partial file.\n"));
    EXPECT_THAT(run.err, Not(HasSubstr("retry")));
    // The handshake and five records; no sixth record and no end frame.
    EXPECT_EQ(terminal_.Frames().size(), 6u);
    EXPECT_THAT(terminal_.Lines(), ElementsAre("LINE0", "LINE1", "LINE2", "LINE3", "LINE4"));
    EXPECT_LT(took, std::chrono::seconds(5));

    std::vector<std::string> lines;
    std::istringstream in(Content(log));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_THAT(lines[0], EndsWith(" ! vantrel " VANTREL_VERSION));
    EXPECT_THAT(Content(log), HasSubstr(" = 115200 bit/s 8N1, DTR off, RTS off\n"));
    EXPECT_THAT(Content(log), HasSubstr(" > 50 44 42 31 0D 00 0D  \"PDB1...\"\n"));
    EXPECT_THAT(Content(log), HasSubstr(" < 41 43 4B 0D  \"ACK.\"\n"));
    EXPECT_THAT(lines[lines.size() - 2],
                EndsWith(" ! cancelled by the user; the port is purged and closed"));
    EXPECT_THAT(lines.back(), EndsWith(" ! message: Download cancelled after line 5 of 20: the "
                                       "terminal now holds a partial file."));
}

}  // namespace
}  // namespace vantrel
