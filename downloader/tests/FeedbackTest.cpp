// What the program tells and takes around the protocol: options, digit warnings, the port list,
// the reasons of failures, cancelling, and the protocol log.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Console.h"
#include "Fakes.h"
#include "PortDevice.h"
#include "Program.h"
#include "Protocol.h"
#include "ProtocolLog.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace fake;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kHs = Bytes(kHandshakeFrame);
const std::string kOver = Bytes(kEndFrame);

TEST(OptionsTest, OptionsComeBeforeTheArgumentAndAnyOtherDashIsAUsageError) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
        std::string device = {}, log = {};
        bool help = false, version = false, listPorts = false;
        std::vector<std::string> arguments = {};
    };
    const Case cases[] = {
        {{"shop.txt,2,5,0"}, "", "", "", false, false, false, {"shop.txt,2,5,0"}},
        {{"my", "shop.txt"}, "", "", "", false, false, false, {"my", "shop.txt"}},
        {{}, "", "", "", false, false, false, {}},
        {{"--device", "/dev/ttyUSB0", "shop.txt,1"},
         "",
         "/dev/ttyUSB0",
         "",
         false,
         false,
         false,
         {"shop.txt,1"}},
        {{"--device=/dev/ttyACM0", "--log", "run.log", "shop.txt"},
         "",
         "/dev/ttyACM0",
         "run.log",
         false,
         false,
         false,
         {"shop.txt"}},
        {{"--log=run.log"}, "", "", "run.log", false, false, false, {}},
        {{"--help"}, "", "", "", true, false, false, {}},
        {{"-h"}, "", "", "", true, false, false, {}},
        {{"--version"}, "", "", "", false, true, false, {}},
        {{"--list-ports"}, "", "", "", false, false, true, {}},
        // After the argument begins, everything belongs to it; "--" ends the options.
        {{"shop.txt", "--help"}, "", "", "", false, false, false, {"shop.txt", "--help"}},
        {{"--", "-shop.txt,1"}, "", "", "", false, false, false, {"-shop.txt,1"}},
        {{"-x", "shop.txt"}, "unknown option -x"},
        {{"--devices", "/dev/x"}, "unknown option --devices"},
        {{"-"}, "unknown option -"},
        {{"--device"}, "option --device needs a value"},
        {{"--log="}, "option --log needs a value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ProgramOptions o = ParseOptions(c.args);
        EXPECT_EQ(o.error, c.error);
        if (!c.error.empty()) continue;
        EXPECT_EQ(o.device, c.device);
        EXPECT_EQ(o.log, c.log);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.version, c.version);
        EXPECT_EQ(o.listPorts, c.listPorts);
        EXPECT_EQ(o.arguments, c.arguments);
    }
    EXPECT_THAT(Usage(), HasSubstr("--device PATH"));
    EXPECT_THAT(Usage(), HasSubstr("4 the\ndownload was cancelled"));
}

TEST(OptionsTest, InvalidDigitKeepsItsDefaultAndIsNamed) {
    const CommandLine bad = ParseCommandLine("shop.txt,7,9,2");
    EXPECT_EQ(bad.link.portIndex, 0);
    EXPECT_EQ(bad.link.rateIndex, 0);
    EXPECT_EQ(bad.link.infrared, 0);
    EXPECT_EQ(bad.portWarning, "vantrel: port digit 7 is not 1..6; using COM1");
    EXPECT_EQ(bad.rateWarning, "vantrel: rate digit 9 is not 1..5; using 115200");
    EXPECT_EQ(bad.infraredWarning, "vantrel: infrared digit 2 is not 0 or 1; using no infrared");

    // A digit that is missing is no mistake; a valid one neither.
    for (const char* line : {"shop.txt", "shop.txt,3", "shop.txt,3,", "shop.txt,2,5,1", ",9,9,9"}) {
        const CommandLine ok = ParseCommandLine(line);
        EXPECT_EQ(ok.portWarning + ok.rateWarning + ok.infraredWarning, "") << line;
    }
    EXPECT_EQ(ParseCommandLine("shop.txt,,4,1").portWarning,
              "vantrel: port digit , is not 1..6; using COM1");
}

#ifndef _WIN32
// Sets environment variables for one test and restores them after it.
class PortEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 1; i <= 6; ++i)
            ::unsetenv(("VANTREL_COM" + std::to_string(i)).c_str());
    }
    void TearDown() override { SetUp(); }
};

using PortListTest = PortEnvironment;

TEST_F(PortListTest, ComPortsWithTheirDevicesThenTheMachinesDevices) {
    ::setenv("VANTREL_COM2", "/dev/ttyUSB0", 1);
    ::setenv("VANTREL_COM3", "", 1);
    const std::vector<PortChoice> choices = ListPortChoices({
        {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0",
         "FT232R USB UART", "FTDI"},
        {"/dev/ttyACM0", "", "", ""},
    });
    std::vector<std::string> labels;
    for (const PortChoice& c : choices)
        labels.push_back(c.label);
    EXPECT_THAT(labels, ElementsAre("COM1 — /dev/ttyS0", "COM2 — /dev/ttyUSB0", "COM3 — /dev/ttyS2",
                                    "COM4 — /dev/ttyS3", "COM5 — /dev/ttyS4", "COM6 — /dev/ttyS5",
                                    "/dev/ttyUSB0 — FT232R USB UART (FTDI) — "
                                    "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0",
                                    "/dev/ttyACM0"));
    EXPECT_EQ(choices[1].portIndex, 1);
    EXPECT_EQ(choices[1].device, "");  // COM2 stays COM2: the port name is what is opened
    EXPECT_EQ(choices[6].portIndex, -1);
    EXPECT_EQ(choices[6].device, "/dev/ttyUSB0");

    struct Case {
        std::string text;
        int portIndex;
        std::string device;
    };
    const Case typed[] = {
        {"COM2 — /dev/ttyUSB0", 1, ""},
        {choices[6].label, -1, "/dev/ttyUSB0"},
        {"COM4", 3, ""},
        {"  /dev/ttyS9 ", -1, "/dev/ttyS9"},
        {"COM7", -1, "COM7"},  // beyond COM6: a name the opener takes as it is
        {"", 0, ""},
    };
    for (const Case& c : typed) {
        const PortChoice choice = ChoiceForText(c.text, choices);
        EXPECT_EQ(choice.portIndex, c.portIndex) << c.text;
        EXPECT_EQ(choice.device, c.device) << c.text;
    }
}

TEST(ByIdLinkTest, StableNameIsTheLinkThatLeadsToTheDevice) {
    const fs::path dir = fs::temp_directory_path() / ("vantrel-byid-" + std::to_string(::getpid()));
    fs::create_directories(dir / "by-id");
    std::ofstream(dir / "ttyUSB7");
    std::ofstream(dir / "ttyUSB8");
    fs::create_symlink(dir / "ttyUSB8", dir / "by-id" / "usb-Other-port0");
    fs::create_symlink("../ttyUSB7", dir / "by-id" / "usb-FTDI-port0");
    EXPECT_EQ(LinkTo((dir / "ttyUSB7").string(), (dir / "by-id").string()),
              (dir / "by-id" / "usb-FTDI-port0").string());
    EXPECT_EQ(LinkTo((dir / "ttyUSB9").string(), (dir / "by-id").string()), "");
    EXPECT_EQ(LinkTo((dir / "ttyUSB7").string(), (dir / "none").string()), "");
    fs::remove_all(dir);
}

using PortReasonTest = PortEnvironment;

TEST_F(PortReasonTest, EachFailureNamesTheDeviceTheCauseAndTheRemedy) {
    ::setenv("VANTREL_COM2", "/dev/ttyUSB0", 1);
    ::setenv("VANTREL_COM4", "", 1);
    struct Case {
        const char* name;
        std::string port;
        PortFailure failure;
        std::vector<std::string> devices;
        std::string reason;
    };
    const Case cases[] = {
        {"permission",
         "COM2",
         {PortProblem::PermissionDenied, "/dev/ttyUSB0", "Permission denied", "", "dialout"},
         {},
         "/dev/ttyUSB0: Permission denied. Add your user to the dialout group: sudo usermod -aG "
         "dialout $USER, then log in again. COM2 is /dev/ttyUSB0 (from VANTREL_COM2)."},
        {"permission, other group",
         "/dev/ttyACM0",
         {PortProblem::PermissionDenied, "/dev/ttyACM0", "Permission denied", "", "uucp"},
         {},
         "/dev/ttyACM0: Permission denied. Add your user to the uucp group: sudo usermod -aG uucp "
         "$USER, then log in again."},
        {"busy, holder known",
         "/dev/ttyUSB0",
         {PortProblem::Busy, "/dev/ttyUSB0", "", "minicom, process 812", ""},
         {},
         "/dev/ttyUSB0 is in use by another program (minicom, process 812)."},
        {"busy",
         "/dev/ttyUSB0",
         {PortProblem::Busy, "/dev/ttyUSB0", "", "", ""},
         {},
         "/dev/ttyUSB0 is in use by another program."},
        {"missing, others there",
         "COM1",
         {PortProblem::Missing, "/dev/ttyS0", "No such file or directory", "", ""},
         {"/dev/ttyUSB0", "/dev/ttyACM0"},
         "/dev/ttyS0 does not exist. Serial devices here: /dev/ttyUSB0, /dev/ttyACM0. COM1 is "
         "/dev/ttyS0 (VANTREL_COM1 is not set)."},
        {"missing, empty variable",
         "COM4",
         {PortProblem::Missing, "/dev/ttyS3", "No such file or directory", "", ""},
         {},
         "/dev/ttyS3 does not exist. No serial devices were found on this machine. COM4 is "
         "/dev/ttyS3 (VANTREL_COM4 is set but empty)."},
        {"no serial line",
         "/dev/null",
         {PortProblem::NotSerial, "/dev/null", "Inappropriate ioctl for device", "", ""},
         {},
         "/dev/null is not a serial line (Inappropriate ioctl for device)."},
        {"unknown", "COM1", {}, {}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortFailureReason(c.port, c.failure, c.devices), c.reason) << c.name;
    }
}
#endif

// A host that records what the run showed, with the reasons, and cancels when told to.
class FakeHost final : public Host {
public:
    MsgAnswer Message(std::string_view text, std::string_view title, MsgIcon icon,
                      MsgButtons buttons) override {
        return user.Message(text, title, icon, buttons);
    }
    MsgAnswer MessageWithReason(std::string_view text, std::string_view reason,
                                std::string_view title, MsgIcon icon, MsgButtons buttons) override {
        return user.MessageWithReason(text, reason, title, icon, buttons);
    }
    void Open() override { progress.Open(); }
    void SetPosition(int p) override { progress.SetPosition(p); }
    void Close() override { progress.Close(); }
    void Status(std::string_view text) override { statuses.emplace_back(text); }
    bool CancelRequested() override { return cancel && cancel(); }
    std::optional<std::string> ChooseFile(const std::string&) override { return std::nullopt; }
    std::optional<LinkSettings> AskLinkSettings(const LinkSettings& link) override { return link; }
    FakeUser user;
    FakeProgress progress;
    std::vector<std::string> statuses;
    std::function<bool()> cancel;
};

// Hands out a fresh fake port for every opening, or fails with a given reason.
class Opener final : public PortOpener {
public:
    explicit Opener(FakeClock& clock) : clock_(clock) {}
    std::unique_ptr<SerialPort> Open(std::string_view name) override {
        names.emplace_back(name);
        if (failures > 0) {
            --failures;
            return nullptr;
        }
        ports.push_back(std::make_unique<FakePort>(clock_));
        ports.back()->device = "/dev/ttyUSB0";
        if (prepare) prepare(*ports.back(), int(ports.size()));
        return std::make_unique<PortHandle>(*ports.back());
    }
    PortFailure LastFailure() const override { return failure; }
    std::vector<std::string> SerialDevices() const override { return {"/dev/ttyACM0"}; }

    std::vector<std::string> names;
    std::vector<std::unique_ptr<FakePort>> ports;
    std::function<void(FakePort&, int number)> prepare;
    PortFailure failure;
    int failures = 0;

private:
    FakeClock& clock_;
};

class FeedbackRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vantrel-feedback-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        lookup_ = (dir_ / "shop.txt").string();
        std::ofstream(lookup_, std::ios::binary) << "AB\r\nCD\r\nEF\r\nGH\r\n";
    }
    void TearDown() override { fs::remove_all(dir_); }
    int Run(const std::string& line, const std::string& device = {}) {
        CommandLine command = ParseCommandLine(line);
        command.link.device = device;
        RunContext context{host_, opener_, clock_, dir_.string(), (dir_ / "v.ini").string(), log_};
        return RunVantrel(command, context);
    }
    fs::path dir_;
    std::string lookup_;
    FakeClock clock_;
    Opener opener_{clock_};
    FakeHost host_;
    Monitor* log_ = nullptr;
};

TEST_F(FeedbackRunTest, PortFailureCarriesItsReasonAndDeviceOptionWinsOverTheDigit) {
    opener_.failures = 1;
    opener_.failure = {PortProblem::Missing, "/dev/ttyUSB3", "No such file or directory", "", ""};
    EXPECT_EQ(Run(lookup_ + ",2,5,0", "/dev/ttyUSB3"), kExitBadPort);
    EXPECT_THAT(opener_.names, ElementsAre("/dev/ttyUSB3"));
    EXPECT_THAT(host_.user.Texts(), ElementsAre("Can't open the COM port!"));
    EXPECT_EQ(host_.user.reasons[0],
              "/dev/ttyUSB3 does not exist. Serial devices here: /dev/ttyACM0.");
}

TEST_F(FeedbackRunTest, DownloadFailureTellsTheLineTheAnswerAndTheTransmissions) {
    struct Case {
        const char* name;
        std::function<Reply(const std::string&)> terminal;
        std::string message, reason;
    };
    const std::string cd = MakeRecord("CD");
    const Case cases[] = {
        {"record refused",
         [&](const std::string& f) {
             return f == cd ? Reply{{5, "NAK\r"}} : Reply{{5, "ACK\r"}};
         },
         "Error on downloading!",
         "Line 2 of 4 was sent 4 times and refused; the last answer was \"NAK<0D>\"."},
        {"record not answered",
         [&](const std::string& f) {
             return f == cd ? Reply{} : Reply{{5, "ACK\r"}};
         },
         "Error on downloading!",
         "Line 2 of 4 was sent 4 times and refused; the last time there was no answer within 3 s."},
        {"end frame refused",
         [&](const std::string& f) {
             return f == kOver ? Reply{{5, "ACK \x01"}} : Reply{{5, "ACK\r"}};
         },
         "Error on downloading!",
         "The end frame was sent 4 times and refused; the last answer was \"ACK <01>\"."},
        {"terminal silent", [&](const std::string&) { return Reply{}; }, "Terminal is not ready!",
         "No \"ACK\" to 3 handshakes from the terminal on /dev/ttyUSB0; the last time there was no "
         "answer within 3 s."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_ = FakeHost();
        opener_.prepare = [&](FakePort& port, int) {
            port.respond = [&](const std::string& f, const PortConfig&) { return c.terminal(f); };
        };
        EXPECT_EQ(Run(lookup_), kExitDownloadFailed);
        ASSERT_EQ(host_.user.Texts().size(), 2u);
        EXPECT_EQ(host_.user.Texts()[0], c.message);
        EXPECT_EQ(host_.user.reasons[0], c.reason);
    }
}

TEST_F(FeedbackRunTest, StatusTellsTheWaitThenEachLine) {
    int handshakes = 0;
    opener_.prepare = [&](FakePort& port, int) {
        port.respond = [&](const std::string& f, const PortConfig&) {
            if (f == kHs && ++handshakes < 2) return Reply{};
            return Reply{{5, "ACK\r"}};
        };
    };
    EXPECT_EQ(Run(lookup_), kExitDone);
    EXPECT_THAT(host_.statuses,
                ElementsAre("Waiting for the terminal on /dev/ttyUSB0 (try 1 of 3)...",
                            "Waiting for the terminal on /dev/ttyUSB0 (try 2 of 3)...",
                            "Line 1 of 4", "Line 2 of 4", "Line 3 of 4", "Line 4 of 4", ""));
}

// An unplugged adapter: reading fails. Answering Yes opens the device again, and a device that
// is back takes the whole file from its first line.
TEST_F(FeedbackRunTest, DeviceThatWentAwayIsOpenedAgainOnRetry) {
    opener_.prepare = [&](FakePort& port, int number) {
        if (number != 1) return;
        FakePort* p = &port;
        port.respond = [p, frames = 0](const std::string&, const PortConfig&) mutable {
            if (++frames == 3) p->broken = true;
            return Reply{{1, "ACK\r"}};
        };
    };
    host_.user.answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    EXPECT_EQ(Run(lookup_ + ",3,5,0"), kExitDone);
    EXPECT_THAT(opener_.names, ElementsAre("COM3", "COM3"));
    EXPECT_THAT(host_.user.Texts(), ElementsAre("Error on downloading!", std::string(kMsgRetry),
                                                "Downloaded completely!"));
    EXPECT_EQ(host_.user.reasons[0],
              "The device /dev/ttyUSB0 went away while line 2 of 4 was sent (reading from it "
              "failed). Plug it back in and answer Yes to try again.");
    ASSERT_EQ(opener_.ports.size(), 2u);
    // The first device got no more frames once gone; the second is configured afresh.
    EXPECT_EQ(opener_.ports[0]->Frames().size(), 3u);
    EXPECT_THAT(opener_.ports[1]->Frames(), ElementsAre(kHs, MakeRecord("AB"), MakeRecord("CD"),
                                                        MakeRecord("EF"), MakeRecord("GH"), kOver));
    EXPECT_EQ(opener_.ports[1]->current.baudRate, 9600u);

    // Still away: the retry question comes again, and No ends as a port that does not open.
    host_ = FakeHost();
    opener_.ports.clear();
    opener_.names.clear();
    opener_.failure = {PortProblem::Missing, "/dev/ttyUSB0", "No such file or directory", "", ""};
    host_.user.answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    opener_.prepare = [&](FakePort& port, int) {
        port.broken = true;
        opener_.failures = 1;
    };
    EXPECT_EQ(Run(lookup_), kExitBadPort);
    EXPECT_THAT(host_.user.Texts(),
                ElementsAre("Terminal is not ready!", std::string(kMsgRetry),
                            "Can't open the COM port!", std::string(kMsgRetry)));
}

// Cancelling at each stage: the frame on the line is answered or times out, then nothing more
// is sent, the port is purged and closed, and the run ends with status 4.
TEST_F(FeedbackRunTest, CancelStopsAfterTheFrameOnTheLineAtEveryStage) {
    const std::string ab = MakeRecord("AB"), cd = MakeRecord("CD"), ef = MakeRecord("EF"),
                      gh = MakeRecord("GH");
    struct Case {
        const char* name;
        std::string cancelDuring;  // the frame on the line when the user cancels
        bool refuse;               // the terminal refuses that frame
        std::vector<std::string> frames;
        std::string message;
    };
    const Case cases[] = {
        {"handshake unanswered",
         kHs,
         true,
         {kHs},
         "Download cancelled while waiting for the terminal: no line was sent."},
        {"handshake answered",
         kHs,
         false,
         {kHs},
         "Download cancelled after line 0 of 4: the terminal now holds a partial file."},
        {"second record",
         cd,
         false,
         {kHs, ab, cd},
         "Download cancelled after line 2 of 4: the terminal now holds a partial file."},
        {"second record refused, no retransmission",
         cd,
         true,
         {kHs, ab, cd},
         "Download cancelled after line 1 of 4: the terminal now holds a partial file."},
        {"last record: no end frame",
         gh,
         false,
         {kHs, ab, cd, ef, gh},
         "Download cancelled after line 4 of 4: the terminal now holds a partial file."},
        {"end frame refused",
         kOver,
         true,
         {kHs, ab, cd, ef, gh, kOver},
         "Download cancelled after line 4 of 4: the terminal now holds a partial file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_ = FakeHost();
        opener_.ports.clear();
        bool cancelled = false;
        std::uint64_t cancelledAt = 0;
        opener_.prepare = [&](FakePort& port, int) {
            port.respond = [&](const std::string& f, const PortConfig&) {
                if (f == c.cancelDuring && !cancelled) {
                    cancelled = true;
                    cancelledAt = clock_.Elapsed();
                }
                return f == c.cancelDuring && c.refuse ? Reply{} : Reply{{40, "ACK\r"}};
            };
        };
        host_.cancel = [&] { return cancelled; };
        EXPECT_EQ(Run(lookup_), kExitCancelled);
        ASSERT_EQ(opener_.ports.size(), 1u);
        const FakePort& port = *opener_.ports[0];
        EXPECT_EQ(port.Frames(), c.frames);
        EXPECT_THAT(host_.user.Texts(), ElementsAre(c.message));  // no retry question
        EXPECT_EQ(port.purges, 1);
        // It waited for the answer (40 ms) or the time limit, and no longer.
        EXPECT_EQ(clock_.Elapsed() - cancelledAt, c.refuse ? 3001u : 40u);
        if (!host_.progress.events.empty()) {
            EXPECT_EQ(host_.progress.events.back(), "close");
        }
        EXPECT_EQ(host_.statuses.back(), "");
    }

    // Cancelled during the end frame that the terminal accepts: the file is complete.
    host_ = FakeHost();
    opener_.ports.clear();
    bool cancelled = false;
    opener_.prepare = [&](FakePort& port, int) {
        port.respond = [&](const std::string& f, const PortConfig&) {
            cancelled = cancelled || f == kOver;
            return Reply{{40, "ACK\r"}};
        };
    };
    host_.cancel = [&] { return cancelled; };
    EXPECT_EQ(Run(lookup_), kExitDone);
    EXPECT_THAT(host_.user.Texts(), ElementsAre("Downloaded completely!"));
}

TEST(ProtocolLogTest, WorkedExampleLineByLine) {
    FakeClock clock;
    FakePort port(clock);
    // The second record goes unanswered once, to show a time-out.
    int refusals = 0;
    port.respond = [&](const std::string& f, const PortConfig&) {
        if (f == std::string("C\x00\x43\r", 4) && refusals++ == 0) return Reply{};
        return Reply{{5, "ACK\r"}};
    };
    std::string log;
    ProtocolLog protocolLog(clock, [&](std::string_view line) { log += line; });
    FakeUser user;
    FakeProgress progress;
    EXPECT_TRUE(ConfigurePort(port, 0, false, clock, user, protocolLog));
    MemoryFile file("AB\r\nC");
    const AttemptResult result = DownloadAttempt(port, file, progress, clock, user, protocolLog);
    EXPECT_EQ(result.outcome, AttemptOutcome::Complete);
    EXPECT_EQ(log,
              "    0.000 = 115200 bit/s 8N1, DTR off, RTS off\n"
              "    0.000 > 50 44 42 31 0D 00 0D  \"PDB1...\"\n"
              "    0.005 < 41 43 4B 0D  \"ACK.\"\n"
              "    0.005 > 41 42 00 83 0D  \"AB...\"\n"
              "    0.010 < 41 43 4B 0D  \"ACK.\"\n"
              "    0.010 > 43 00 43 0D  \"C.C.\"\n"
              "    3.011 ! no answer within 3000 ms\n"
              "    3.011 > 43 00 43 0D  \"C.C.\"\n"
              "    3.016 < 41 43 4B 0D  \"ACK.\"\n"
              "    3.016 > 4F 56 45 52 0D  \"OVER.\"\n"
              "    3.021 < 41 43 4B 0D  \"ACK.\"\n");
}

TEST(ProtocolLogTest, InfraredSetUpShowsEverySettingAndProbe) {
    FakeClock clock;
    FakePort port(clock);
    port.respond = [](const std::string& f, const PortConfig& c) {
        return f == "\x0F" && c.baudRate == 38400 ? Reply{{10, "\x0F"}} : Reply{};
    };
    std::vector<std::string> lines;
    ProtocolLog log(clock, [&](std::string_view line) { lines.emplace_back(line.substr(10)); });
    FakeUser user;
    EXPECT_TRUE(ConfigurePort(port, 4, true, clock, user, log));
    EXPECT_THAT(lines, ElementsAreArray<std::string>({
                           "= 38400 bit/s 8N1, DTR on, RTS on\n",
                           "= 9600 bit/s 8N1, DTR on, RTS off\n",
                           "> 0F  \".\"\n",
                           "= 9600 bit/s 8N1, DTR on, RTS on\n",
                           "! no echo from the transceiver at 9600 bit/s\n",
                           "= 38400 bit/s 8N1, DTR on, RTS off\n",
                           "> 0F  \".\"\n",
                           "< 0F  \".\"\n",
                           "= 38400 bit/s 8N1, DTR on, RTS on\n",
                           "! the transceiver answers at 38400 bit/s\n",
                           "= 38400 bit/s 8N1, DTR on, RTS off\n",
                           "> 07  \".\"\n",
                           "> 32  \"2\"\n",
                           "> 51  \"Q\"\n",
                           "= 9600 bit/s 8N1, DTR on, RTS on\n",
                           "= 9600 bit/s 8N1, DTR on, RTS on\n",
                       }));
}

TEST(ProtocolLogTest, LogFileIsWrittenAsItGoesAndAFifoWithoutReaderFailsAtOnce) {
    const fs::path dir = fs::temp_directory_path() / ("vantrel-log-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    FakeClock clock;
    LogFileOpening opening = OpenLogFile((dir / "run.log").string());
    ASSERT_TRUE(opening.writer);
    ProtocolLog log(clock, std::move(opening.writer));
    log.Note("first");
    std::ifstream in(dir / "run.log");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "    0.000 ! first");  // there before the log is closed

    EXPECT_EQ(OpenLogFile((dir / "none" / "run.log").string()).reason,
              (dir / "none" / "run.log").string() + ": No such file or directory");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(OpenLogFile((dir / "fifo").string()).writer);
#endif
    fs::remove_all(dir);
}

TEST(ConsoleStatusTest, WaitingLinesAndTheLineNumberOnTheBar) {
    std::ostringstream err;
    std::istringstream in;
    ConsoleHost log(err, in, false);
    log.Status("Waiting for the terminal on /dev/pts/3 (try 1 of 3)...");
    log.Open();
    log.Status("Line 1 of 2");
    log.SetPosition(100);
    log.Close();
    log.Status("");
    EXPECT_EQ(err.str(),
              "Waiting for the terminal on /dev/pts/3 (try 1 of 3)...\nDownloading... 0%\n"
              "Downloading... 100%\n");

    std::ostringstream tty;
    ConsoleHost bar(tty, in, true);
    // A waiting line longer than the bar is blanked where the bar does not cover it.
    const std::string waiting =
        "Waiting for the terminal on /dev/serial/by-id/usb-FTDI-port0 (try 1 of 3)...";
    bar.Status(waiting);
    bar.Open();
    bar.Status("Line 1 of 2");
    bar.MessageWithReason("Error on downloading!", "Line 1 of 2 was sent 4 times", kTitleFile,
                          MsgIcon::Warning, MsgButtons::Ok);
    const std::string empty = "Downloading... [" + std::string(40, ' ') + "] 0%";
    ASSERT_GT(waiting.size(), empty.size());
    EXPECT_EQ(tty.str(),
              "\r" + waiting + "\r" + empty + std::string(waiting.size() - empty.size(), ' ') +
                  "\r" + empty + "\r" + empty + "  Line 1 of 2" +
                  "\nVantrel File: Error on downloading!\nLine 1 of 2 was sent 4 times\n");
}

}  // namespace
}  // namespace vantrel
