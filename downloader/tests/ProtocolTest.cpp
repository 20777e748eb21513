#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "Fakes.h"
#include "Protocol.h"

namespace vantrel {
namespace {

using namespace fake;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Pair;

const std::string kHs = Bytes(kHandshakeFrame);
const std::string kOver = Bytes(kEndFrame);

std::string Rec(std::string_view line) {
    return MakeRecord(line);
}

// A port, a clock, a user and a progress display, wired together.
struct Rig {
    FakeClock clock;
    FakePort port{clock};
    FakeUser user;
    FakeProgress progress;

    bool Download(MemoryFile& file) { return DownloadOnce(port, file, progress, clock, user); }
};

TEST(RecordTest, ChecksumFieldIsBigEndianSumWithCrEscapedPerByte) {
    struct Case {
        std::string line;
        std::string expected;
    };
    const Case cases[] = {
        {"ABC", std::string("ABC\x00\xC6\r", 6)},
        {"", std::string("\x00\x00\r", 3)},
        {"\x06\x07", std::string("\x06\x07\x00\x0E\r", 5)},  // sum 0x000D
        {std::string(13, '\x01') + std::string(13, '\xFF'),  // sum 0x0D00
         std::string(13, '\x01') + std::string(13, '\xFF') + std::string("\x0E\x00\r", 3)},
        {"\xFF\x0E", std::string("\xFF\x0E\x01\x0E\r", 5)},  // sum 0x010D
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rec(c.line), c.expected) << c.line.size();

    std::string line = std::string(13, '\xFF') + "\x1A";  // 0x0CF3 + 0x1A = 0x0D0D
    EXPECT_EQ(Rec(line).substr(line.size()), "\x0E\x0E\r");

    const std::string longest(kMaxLineBytes, '\xFF');  // 253 x 255 = 0xFC03
    EXPECT_EQ(Rec(longest).substr(kMaxLineBytes), "\xFC\x03\r");
    EXPECT_EQ(Rec(longest + "x"), "");
}

// The frames one attempt writes for a file, with a terminal that accepts everything.
TEST(DownloadTest, FileBecomesOneRecordPerLine) {
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> records;
    };
    const std::string line100(100, 'a');
    const Case cases[] = {
        {"worked example",
         "AB\r\nC",
         {std::string("AB\x00\x83\r", 5), std::string("C\x00\x43\r", 4)}},
        {"empty file", "", {}},
        {"CR LF at the end adds no record", "AB\r\nCD\r\n", {Rec("AB"), Rec("CD")}},
        {"last line without CR", "AB\r\nCD", {Rec("AB"), Rec("CD")}},
        {"CR CR", "\r\r", {Rec(""), Rec("")}},
        {"CR LF CR LF", "\r\n\r\n", {Rec(""), Rec("")}},
        {"LF alone is no line end", "AB\nCD\nEF\n", {Rec("ABCDEF")}},
        {"sum 0x0D0D",
         std::string(13, '\xFF') + "\x1A\r",
         {std::string(13, '\xFF') + "\x1A\x0E\x0E\r"}},
        {"lines across 128-byte blocks",
         line100 + "\r\n" + line100 + "\r\n" + line100,
         {Rec(line100), Rec(line100), Rec(line100)}},
        {"line of 253 bytes", std::string(253, 'z') + "\r", {Rec(std::string(253, 'z'))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        MemoryFile file(c.file);
        EXPECT_TRUE(rig.Download(file));
        std::vector<std::string> expected{kHs};
        expected.insert(expected.end(), c.records.begin(), c.records.end());
        expected.push_back(kOver);
        EXPECT_THAT(rig.port.Frames(), ElementsAreArray(expected));
        EXPECT_THAT(rig.user.shown, ElementsAre(Shown{"Downloaded completely!", "Vantrel File",
                                                      MsgIcon::Warning, MsgButtons::Ok}));
        EXPECT_THAT(rig.port.timeouts, ElementsAre(kPortTimeouts));
    }
}

TEST(DownloadTest, IncrementalRecordsMatchWholeLineRecords) {
    std::mt19937 rng(20240607);
    std::string file;
    std::vector<std::string> expected{kHs};
    for (int i = 0; i < 200; ++i) {
        std::string line(rng() % 254, '\0');
        for (char& c : line) {
            do
                c = char(rng());
            while (c == '\r' || c == '\n');
        }
        file += line + (i % 3 == 0 ? "\r\n" : "\r");
        expected.push_back(Rec(line));
    }
    expected.push_back(kOver);
    Rig rig;
    MemoryFile mem(file);
    EXPECT_TRUE(rig.Download(mem));
    EXPECT_THAT(rig.port.Frames(), ElementsAreArray(expected));
}

TEST(DownloadTest, ProgressAfterEachBlockThenHundredBeforeTheEndFrame) {
    Rig rig;
    MemoryFile file(std::string(99, 'x') + "\r" + std::string(99, 'y') + "\r" +
                    std::string(99, 'z') + "\r");
    EXPECT_TRUE(rig.Download(file));
    // 128, 256 and 300 of 300 bytes read.
    EXPECT_THAT(rig.progress.events, ElementsAre("open", "0", "42", "85", "100", "100", "close"));

    Rig empty;
    MemoryFile none("");
    EXPECT_TRUE(empty.Download(none));
    EXPECT_THAT(empty.progress.events, ElementsAre("open", "0", "100", "close"));
}

// The reply rule, with the reply split into the pieces in which it reaches the port.
TEST(ExchangeTest, AcceptsOnlyAckWithOrWithoutItsCr) {
    struct Case {
        const char* name;
        Reply reply;
        bool accepted;
        std::string collected;
    };
    const Case cases[] = {
        {"ACK CR", {{2, "ACK\r"}}, true, "ACK"},
        {"ACK without CR", {{2, "ACK"}}, true, "ACK"},
        {"ACK CR in pieces", {{1, "A"}, {40, "C"}, {900, "K"}, {2500, "\r"}}, true, "ACK"},
        {"lower case", {{2, "ack\r"}}, false, "ack"},
        {"ACK and a blank", {{2, "ACK \r"}}, false, "ACK "},
        {"ACK CR and more in one read", {{2, "ACK\rX"}}, false, "ACK\rX"},
        {"ACK CR CR", {{2, "ACK\r\r"}}, false, "ACK\r"},
        {"refusal", {{2, "NAK\r"}}, false, "NAK"},
        {"no reply", {}, false, ""},
        {"endless noise stops at 12 bytes",
         {{2, std::string(40, 'x')}},
         false,
         std::string(12, 'x')},
        {"reply after the limit is not waited for", {{3002, "ACK\r"}}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        FakePort port(clock);
        port.respond = [&](const std::string&, const PortConfig&) { return c.reply; };
        const std::string reply = Exchange(port, clock, kEndFrame);
        EXPECT_EQ(reply, c.collected);
        EXPECT_EQ(IsAck(reply), c.accepted);
        EXPECT_LE(clock.Elapsed(), 3001u);
        // The exchange sleeps until bytes arrive instead of polling.
        EXPECT_LE(port.reads, 8);
    }
}

TEST(ExchangeTest, CrInsideAReadKeepsCollectingUntilTenBytesOrTheLimit) {
    FakeClock clock;
    FakePort port(clock);
    port.respond = [](const std::string&, const PortConfig&) {
        return Reply{{0, "ACK\rX"}, {100, "YZ"}, {200, "12\r"}, {300, "345"}};
    };
    EXPECT_EQ(Exchange(port, clock, kEndFrame), "ACK\rXYZ12");
    EXPECT_EQ(clock.Elapsed(), 200u);
}

TEST(ExchangeTest, SilentTerminalGivesUpJustAfterTheLimitAcrossTickWraparound) {
    for (std::uint32_t start : {1000u, 0xFFFFFFFFu - 1500u}) {
        FakeClock clock(start);
        FakePort port(clock);
        port.respond = [](const std::string&, const PortConfig&) { return Reply{}; };
        EXPECT_EQ(Exchange(port, clock, kEndFrame), "");
        EXPECT_EQ(clock.Elapsed(), 3001u);
        EXPECT_LE(port.reads, 2);
    }
}

TEST(HandshakeTest, SilentTerminalIsNotReadyAfterThreeHandshakes) {
    Rig rig;
    rig.port.respond = [](const std::string&, const PortConfig&) { return Reply{}; };
    MemoryFile file("AB\r");
    EXPECT_FALSE(rig.Download(file));
    EXPECT_THAT(rig.port.Frames(), ElementsAre(kHs, kHs, kHs));
    EXPECT_THAT(rig.user.shown, ElementsAre(Shown{"Terminal is not ready!", "Vantrel File",
                                                  MsgIcon::Warning, MsgButtons::Ok}));
    EXPECT_TRUE(rig.progress.events.empty());
    EXPECT_EQ(file.position, 0u);
    EXPECT_EQ(rig.clock.Elapsed(), 3u * 3001u);
}

TEST(HandshakeTest, ThirdHandshakeAnsweredStartsTheTransfer) {
    Rig rig;
    int handshakes = 0;
    rig.port.respond = [&](const std::string& frame, const PortConfig&) {
        if (frame == kHs && ++handshakes < 3) return Reply{{5, "NAK\r"}};
        return Reply{{5, "ACK\r"}};
    };
    MemoryFile file("AB\r");
    EXPECT_TRUE(rig.Download(file));
    EXPECT_THAT(rig.port.Frames(), ElementsAre(kHs, kHs, kHs, Rec("AB"), kOver));
}

// A terminal that refuses the n-th transmission of one frame a given number of times.
Reply RefuseTimes(const std::string& frame, const std::string& target, int& left) {
    if (frame == target && left > 0) {
        --left;
        return {{5, "NAK\r"}};
    }
    return {{5, "ACK\r"}};
}

TEST(RetransmitTest, RecordAcceptedOnItsFourthTransmission) {
    Rig rig;
    int refusals = 3;
    rig.port.respond = [&](const std::string& f, const PortConfig&) {
        return RefuseTimes(f, Rec("CD"), refusals);
    };
    MemoryFile file("AB\rCD\rEF\r");
    EXPECT_TRUE(rig.Download(file));
    EXPECT_THAT(rig.port.Frames(), ElementsAre(kHs, Rec("AB"), Rec("CD"), Rec("CD"), Rec("CD"),
                                               Rec("CD"), Rec("EF"), kOver));
}

TEST(RetransmitTest, FourRefusalsOfTheThirdRecordRewindAndTheNextAttemptStartsOver) {
    Rig rig;
    int refusals = 4;
    rig.port.respond = [&](const std::string& f, const PortConfig&) {
        return RefuseTimes(f, Rec("EF"), refusals);
    };
    MemoryFile file("AB\r\nCD\r\nEF\r\nGH\r\n");
    EXPECT_FALSE(rig.Download(file));
    EXPECT_THAT(rig.port.Frames(),
                ElementsAre(kHs, Rec("AB"), Rec("CD"), Rec("EF"), Rec("EF"), Rec("EF"), Rec("EF")));
    EXPECT_THAT(rig.user.Texts(), ElementsAre("Error on downloading!"));
    EXPECT_EQ(rig.progress.events.front(), "open");
    EXPECT_EQ(rig.progress.events.back(), "close");
    EXPECT_EQ(file.position, 0u);

    rig.port.writes.clear();
    EXPECT_TRUE(rig.Download(file));
    EXPECT_THAT(rig.port.Frames(),
                ElementsAre(kHs, Rec("AB"), Rec("CD"), Rec("EF"), Rec("GH"), kOver));
}

TEST(RetransmitTest, FailedEndFrameRewindsSoTheRetryResendsEveryRecord) {
    Rig rig;
    int refusals = 4;
    rig.port.respond = [&](const std::string& f, const PortConfig&) {
        return RefuseTimes(f, kOver, refusals);
    };
    MemoryFile file("AB\rCD");
    EXPECT_FALSE(rig.Download(file));
    EXPECT_THAT(rig.port.Frames(),
                ElementsAre(kHs, Rec("AB"), Rec("CD"), kOver, kOver, kOver, kOver));
    EXPECT_THAT(rig.user.Texts(), ElementsAre("Error on downloading!"));
    EXPECT_EQ(file.position, 0u);

    rig.port.writes.clear();
    EXPECT_TRUE(rig.Download(file));
    EXPECT_THAT(rig.port.Frames(), ElementsAre(kHs, Rec("AB"), Rec("CD"), kOver));
}

// Faults of the port and of the file end the attempt with a message, never in a loop.
TEST(FaultTest, PortThatFailsEndsTheAttemptAtOnce) {
    Rig rig;
    rig.port.broken = true;
    MemoryFile file("AB\r");
    EXPECT_FALSE(rig.Download(file));
    EXPECT_THAT(rig.user.Texts(), ElementsAre("Terminal is not ready!"));
    EXPECT_EQ(rig.clock.Elapsed(), 0u);

    Rig later;
    int frames = 0;
    later.port.respond = [&](const std::string&, const PortConfig&) {
        if (++frames == 3) later.port.broken = true;  // unplugged after the first record
        return Reply{{1, "ACK\r"}};
    };
    MemoryFile two("AB\rCD\rEF\r");
    EXPECT_FALSE(later.Download(two));
    EXPECT_THAT(later.user.Texts(), ElementsAre("Error on downloading!"));
    EXPECT_LT(later.clock.Elapsed(), 100u);
    EXPECT_EQ(two.position, 0u);
}

TEST(FaultTest, FileThatShrinksOrFailsToReadEndsTheAttempt) {
    for (bool shrink : {true, false}) {
        SCOPED_TRACE(shrink ? "shrank" : "read error");
        Rig rig;
        MemoryFile file(std::string(200, 'a') + "\r");
        if (shrink) {
            file.reportedSize = 1000;
        } else {
            file.failAt = 128;
        }
        EXPECT_FALSE(rig.Download(file));
        EXPECT_THAT(rig.user.Texts(), ElementsAre("Error on downloading!"));
        EXPECT_EQ(rig.port.Frames().back(), shrink ? Rec(std::string(200, 'a')) : kHs);
        EXPECT_EQ(rig.progress.events.back(), "close");
        EXPECT_EQ(file.position, 0u);
    }
}

TEST(FaultTest, LineTooLongForARecordIsRefusedNotSent) {
    Rig rig;
    MemoryFile file("AB\r" + std::string(254, 'x') + "\r");
    EXPECT_FALSE(rig.Download(file));
    EXPECT_THAT(rig.port.Frames(), ElementsAre(kHs, Rec("AB")));
    EXPECT_THAT(rig.user.Texts(), ElementsAre("Error on downloading!"));
    EXPECT_EQ(file.position, 0u);
}

TEST(PortTest, OpenPortNamesComOneToSixAndRequestsQueues) {
    struct Opener final : PortOpener {
        FakeClock clock;
        std::vector<std::string> names;
        bool fail = false;
        std::unique_ptr<SerialPort> Open(std::string_view name) override {
            names.emplace_back(name);
            if (fail) return nullptr;
            auto port = std::make_unique<FakePort>(clock);
            last = port.get();
            return port;
        }
        FakePort* last = nullptr;
    } opener;
    FakeUser user;
    for (int i = 0; i < kPortCount; ++i) {
        const std::unique_ptr<SerialPort> port = OpenPort(i, opener, user);
        ASSERT_EQ(port.get(), opener.last);
        EXPECT_EQ(opener.last->inputQueue, 256);
        EXPECT_EQ(opener.last->outputQueue, 1200);
    }
    EXPECT_THAT(opener.names, ElementsAre("COM1", "COM2", "COM3", "COM4", "COM5", "COM6"));
    EXPECT_TRUE(user.shown.empty());

    opener.fail = true;
    EXPECT_EQ(OpenPort(2, opener, user), nullptr);
    EXPECT_THAT(user.shown, ElementsAre(Shown{"Can't open the COM port!", "Vantrel File",
                                              MsgIcon::Warning, MsgButtons::Ok}));
}

TEST(PortTest, DirectLinkIsTheChosenRateEightNOneWithDtrAndRtsOff) {
    const std::uint32_t rates[] = {115200, 57600, 38400, 19200, 9600};
    for (int i = 0; i < 5; ++i) {
        FakeClock clock;
        FakePort port(clock);
        FakeUser user;
        EXPECT_TRUE(ConfigurePort(port, i, false, clock, user));
        PortConfig expected;
        expected.baudRate = rates[i];
        expected.byteSize = 8;
        EXPECT_THAT(port.applied, ElementsAre(expected));
        EXPECT_TRUE(port.writes.empty());
        EXPECT_TRUE(user.shown.empty());
    }

    FakeClock clock;
    FakePort port(clock);
    port.acceptConfig = false;
    FakeUser user;
    EXPECT_FALSE(ConfigurePort(port, 0, false, clock, user));
    EXPECT_THAT(user.shown, ElementsAre(Shown{"Failed to set communication state", "Vantrel File",
                                              MsgIcon::Warning, MsgButtons::Ok}));
}

// A transceiver that echoes the probe byte only at `rate`.
Reply EchoProbeAt(std::uint32_t rate, const std::string& frame, const PortConfig& config) {
    if (frame == "\x0F" && config.baudRate == rate) return {{10, "\x0F"}};
    return {};
}

TEST(InfraredTest, ProbeAnsweringOnlyAt57600SetsUpTheChosenRateThere) {
    FakeClock clock;
    FakePort port(clock);
    port.respond = [](const std::string& f, const PortConfig& c) {
        return EchoProbeAt(57600, f, c);
    };
    FakeUser user;
    EXPECT_TRUE(ConfigurePort(port, 3, true, clock, user));  // 19200
    EXPECT_TRUE(user.shown.empty());

    std::vector<std::pair<std::string, std::uint32_t>> sent;
    for (const Written& w : port.writes)
        sent.emplace_back(w.bytes, w.config.baudRate);
    EXPECT_THAT(sent, ElementsAre(Pair("\x0F", 9600), Pair("\x0F", 38400), Pair("\x0F", 115200),
                                  Pair("\x0F", 57600), Pair("\x07", 57600), Pair("3", 57600),
                                  Pair("Q", 57600)));
    // The probe writes go out with RTS off, the control bytes too.
    for (const Written& w : port.writes) {
        EXPECT_TRUE(w.config.dtr);
        EXPECT_FALSE(w.config.rts);
    }
    PortConfig final;
    final.baudRate = 19200;
    final.byteSize = 8;
    final.dtr = true;
    final.rts = true;
    EXPECT_EQ(port.applied.back(), final);
    EXPECT_EQ(port.current, final);
    EXPECT_THAT(port.timeouts, ElementsAre(kPortTimeouts));
    // 1 pause before the probes, 3 per probe, 5 after: all sleeps, none spins.
    EXPECT_EQ(clock.Elapsed(), (1 + 4 * 3 + 5) * 100u);
}

TEST(InfraredTest, SpeedCodeOfEachRateIndex) {
    const char codes[] = {'6', '5', '4', '3', '2'};
    for (int i = 0; i < 5; ++i) {
        FakeClock clock;
        FakePort port(clock);
        port.respond = [](const std::string& f, const PortConfig& c) {
            return EchoProbeAt(9600, f, c);
        };
        FakeUser user;
        EXPECT_TRUE(ConfigurePort(port, i, true, clock, user));
        EXPECT_EQ(port.writes.at(2).bytes, std::string(1, codes[i]));
        EXPECT_EQ(port.current.baudRate, RateForIndex(i));
    }
}

TEST(InfraredTest, NoProbeAnsweringFailsWithTheErrorTitle) {
    FakeClock clock;
    FakePort port(clock);
    port.respond = [](const std::string&, const PortConfig&) { return Reply{{0, "\x0E"}}; };
    FakeUser user;
    EXPECT_FALSE(ConfigurePort(port, 0, true, clock, user));
    EXPECT_THAT(port.Frames(), ElementsAre("\x0F", "\x0F", "\x0F", "\x0F", "\x0F"));
    EXPECT_THAT(user.shown, ElementsAre(Shown{"Can't set the IR device !!!", "Error",
                                              MsgIcon::Warning, MsgButtons::Ok}));
    // Nothing is applied after the last probe restored RTS.
    EXPECT_TRUE(port.applied.back().rts);
    EXPECT_EQ(port.applied.back().baudRate, 19200u);
}

TEST(InfraredTest, ProbeReadThatFailsIsRetriedForAtMostATenthOfASecond) {
    FakeClock clock;
    FakePort port(clock);
    port.broken = true;
    FakeUser user;
    EXPECT_FALSE(ConfigurePort(port, 0, true, clock, user));
    EXPECT_THAT(user.Texts(), ElementsAre("Can't set the IR device !!!"));
    // Each probe: 3 pauses plus at most 110 ms of retries, in sleeps of 10 ms.
    EXPECT_LE(clock.Elapsed(), 100 + 5 * (300 + 110));
    EXPECT_LE(port.reads, 5 * 12);
}

}  // namespace
}  // namespace vantrel
