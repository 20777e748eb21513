// Linux/POSIX-only: a pseudo-terminal.
// The protocol over a real serial device: a pseudo-terminal with a simulated terminal on its far
// side. Every case ends within a few seconds whatever the port does.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>

#include "Fakes.h"
#include "PortDevice.h"
#include "Protocol.h"
#include "PtyTerminal.h"
#include "QtSerialPort.h"
#include "SteadyClock.h"

namespace vantrel {
namespace {

using fake::FakeProgress;
using fake::FakeUser;
using fake::MemoryFile;
using fake::PtyTerminal;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::EndsWith;
using ::testing::StartsWith;

struct PtyLink {
    PtyTerminal terminal;
    SteadyClock clock;
    FakeUser user;
    FakeProgress progress;
    std::unique_ptr<SerialPort> port;

    explicit PtyLink(int rateIndex = 0) {
        ::setenv("VANTREL_COM3", terminal.Device().c_str(), 1);
        QtPortOpener opener;
        port = OpenPort(2, opener, user);
        ::unsetenv("VANTREL_COM3");
        if (port) ConfigurePort(*port, rateIndex, false, clock, user);
    }
    bool Download(MemoryFile& file) { return DownloadOnce(*port, file, progress, clock, user); }
};

TEST(PtyLinkTest, SendsEveryLineChecksummedAtTheChosenSpeedOnARawLine) {
    const std::uint32_t rates[] = {115200, 9600};
    for (int rateIndex : {0, 4}) {
        PtyLink link(rateIndex);
        ASSERT_NE(link.port, nullptr);
        link.terminal.Start();
        // CR, LF and XON/XOFF bytes in the data must pass untouched.
        MemoryFile file("AB\r\nC\x11\x13\x7F\xFF\r\n\r\n" + std::string(253, 'L') + "\rlast");
        EXPECT_TRUE(link.Download(file));
        link.terminal.Stop();

        EXPECT_THAT(link.terminal.Lines(),
                    ElementsAre("AB", "C\x11\x13\x7F\xFF", "", std::string(253, 'L'), "last"));
        EXPECT_EQ(link.terminal.BadChecksums(), 0);
        EXPECT_EQ(link.terminal.Frames().size(), 7u);
        for (std::uint32_t speed : link.terminal.Speeds())
            EXPECT_EQ(speed, rates[rateIndex / 4]);
        EXPECT_TRUE(link.terminal.LineWasRaw());
        EXPECT_THAT(link.user.Texts(), ElementsAre("Downloaded completely!"));
    }
}

TEST(PtyLinkTest, RefusedRecordIsRetransmittedAndARetryStartsOver) {
    PtyLink link;
    ASSERT_NE(link.port, nullptr);
    // Frames 0 handshake, 1 "AB", 2..5 "CD" refused four times (in pieces, with a CR inside).
    link.terminal.Start([](int index, const std::string&, bool) -> std::string {
        if (index >= 2 && index <= 5) return index == 3 ? "ACK\rX" : "ack\r";
        return "ACK\r";
    });
    MemoryFile file("AB\r\nCD\r\n");
    EXPECT_FALSE(link.Download(file));
    EXPECT_THAT(link.user.Texts(), ElementsAre("Error on downloading!"));
    EXPECT_EQ(link.terminal.Frames().size(), 6u);

    PurgeInput(*link.port);
    EXPECT_TRUE(link.Download(file));
    link.terminal.Stop();
    // The refused "CD" arrived intact four times; the retry sent the handshake and every line.
    EXPECT_THAT(link.terminal.Lines(), ElementsAre("AB", "CD", "CD", "CD", "CD", "AB", "CD"));
    EXPECT_EQ(link.terminal.Frames().size(), 10u);
}

TEST(PtyLinkTest, TerminalThatDisappearsEndsTheAttempt) {
    PtyLink link;
    ASSERT_NE(link.port, nullptr);
    link.terminal.Start([&](int index, const std::string&, bool) -> std::string {
        if (index == 2) {
            link.terminal.Unplug();
            return "";
        }
        return "ACK\r";
    });
    MemoryFile file("AB\rCD\rEF\r");
    EXPECT_FALSE(link.Download(file));
    link.terminal.Stop();
    EXPECT_THAT(link.user.Texts(), ElementsAre("Error on downloading!"));
    EXPECT_EQ(file.position, 0u);
}

TEST(PtyLinkTest, PortIsExclusiveAndAMissingDeviceDoesNotOpen) {
    PtyTerminal terminal;
    auto first = QtSerialPort::Open(QString::fromStdString(terminal.Device()));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(QtSerialPort::Open(QString::fromStdString(terminal.Device())), nullptr);
    first.reset();
    EXPECT_NE(QtSerialPort::Open(QString::fromStdString(terminal.Device())), nullptr);
    EXPECT_EQ(QtSerialPort::Open("/dev/vantrel-no-such-port"), nullptr);
}

TEST(PtyLinkTest, DeviceIsHeldByItselfNotByTheNameItWasOpenedUnder) {
    PtyTerminal terminal;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vantrel-link-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path link = dir / "ttyLINK";
    std::filesystem::create_symlink(terminal.Device(), link);
    const QString real = QString::fromStdString(terminal.Device());
    const QString other = QString::fromStdString(link.string());

    for (const auto& [first, second] : {std::pair{real, other}, std::pair{other, real}}) {
        SCOPED_TRACE(second.toStdString());
        QtPortOpening held = QtSerialPort::OpenWithReason(first);
        ASSERT_NE(held.port, nullptr);
        const QtPortOpening refused = QtSerialPort::OpenWithReason(second);
        EXPECT_EQ(refused.port, nullptr);
        EXPECT_EQ(refused.failure.problem, PortProblem::Busy);
        held.port.reset();
        EXPECT_NE(QtSerialPort::Open(second), nullptr);  // free again once the first is closed
    }

    // Through the opener, as the program sees it: the message and who holds the device.
    auto held = QtSerialPort::Open(real);
    ASSERT_NE(held, nullptr);
    QtPortOpener opener;
    FakeUser user;
    EXPECT_EQ(OpenPort(link.string(), opener, user), nullptr);
    ASSERT_EQ(user.shown.size(), 1u);
    EXPECT_EQ(user.shown[0].text, "Can't open the COM port!");
    EXPECT_THAT(PortFailureReason(link.string(), opener.LastFailure(), {}),
                AllOf(StartsWith(link.string() + " is in use by another program (downloader_"),
                      EndsWith(", process " + std::to_string(::getpid()) + ").")));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    // The serial port's notifiers want an application object, though no event loop runs.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
