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

#include <chrono>
#include <filesystem>
#include <fstream>

#include "PtyTerminal.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

struct Outcome {
    int status = -1;
    std::string err;
};

// Runs vantrel with `argument`, the port COM1 on `device`, and `input` on its standard input;
// kills it when it has not ended within 30 seconds.
Outcome RunVantrel(const std::string& argument, const std::string& device,
                   const std::string& input) {
    int in[2], err[2];
    if (::pipe(in) != 0 || ::pipe(err) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(err[1], 2);
        ::close(in[1]);
        ::close(err[0]);
        ::setenv("VANTREL_CONSOLE", "1", 1);
        ::setenv("VANTREL_COM1", device.c_str(), 1);
        ::execl(VANTREL_PROGRAM, VANTREL_PROGRAM, argument.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
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

}  // namespace
}  // namespace vantrel
