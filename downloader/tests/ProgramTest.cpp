#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Console.h"
#include "Fakes.h"
#include "Program.h"
#include "Protocol.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace fake;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CommandLineTest, PathThenDigitsAtFixedDistancesFromTheFirstComma) {
    struct Case {
        std::string line;
        bool commandLineMode;
        std::string path;
        int port, rate, infrared;
    };
    const Case cases[] = {
        {R"(C:\data\shop.txt,2,5,1)", true, R"(C:\data\shop.txt)", 1, 4, 1},
        {R"(C:\data\shop.txt)", true, R"(C:\data\shop.txt)", 0, 0, 0},
        {"shop.txt,9,0,7", true, "shop.txt", 0, 0, 0},
        {"shop.txt,6;1;0", true, "shop.txt", 5, 0, 0},  // separators of any value
        {"shop.txt,3", true, "shop.txt", 2, 0, 0},
        {"shop.txt,3,", true, "shop.txt", 2, 0, 0},
        {"shop.txt,,4,1", true, "shop.txt", 0, 0, 0},  // every digit one place off
        {"shop.txt,", true, "shop.txt", 0, 0, 0},
        {"\"my shop.txt\",1,2,1", true, "\"my shop.txt\"", 0, 1, 1},
        {",2,5,1", false, "", 0, 0, 0},
        {"", false, "", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const CommandLine command = ParseCommandLine(c.line);
        EXPECT_EQ(command.commandLineMode, c.commandLineMode);
        EXPECT_EQ(command.path, c.path);
        EXPECT_EQ(command.link.portIndex, c.port);
        EXPECT_EQ(command.link.rateIndex, c.rate);
        EXPECT_EQ(command.link.infrared, c.infrared);
    }
    EXPECT_EQ(JoinArguments({"my", "shop.txt,2,5,1"}), "my shop.txt,2,5,1");
    EXPECT_EQ(JoinArguments({}), "");
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vantrel-settings-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Content(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
};

TEST_F(SettingsTest, StoresTheFolderOfTheChosenFileAlone) {
    EXPECT_EQ(DirectoryOfChosen("/home/ann/data/shop.txt"), "/home/ann/data");
    EXPECT_EQ(DirectoryOfChosen("/shop.txt"), "/");
#ifdef _WIN32
    EXPECT_EQ(DirectoryOfChosen(R"(C:\data\shop.txt)"), R"(C:\data)");
    EXPECT_EQ(DirectoryOfChosen(R"(C:\shop.txt)"), "C:");
#endif

    const std::string path = (dir_ / "sub" / "vantrel.ini").string();
    EXPECT_EQ(ReadSettings(path), std::nullopt);
    WriteSettings(path, "/home/ann/data");
    EXPECT_EQ(Content(path), "/home/ann/data");  // no line end, no terminating zero
    EXPECT_EQ(ReadSettings(path), "/home/ann/data");
    WriteSettings(path, "/");
    EXPECT_EQ(ReadSettings(path), "/");

    std::ofstream(path, std::ios::binary) << std::string(399, 'd') << "TAIL";
    EXPECT_EQ(ReadSettings(path), std::string(399, 'd'));
}

TEST_F(SettingsTest, LivesBesideTheProgramUnlessThatFolderIsReadOnly) {
    EXPECT_EQ(SettingsPath("/opt/v", "/home/ann/.config/vantrel", true, false),
              (fs::path("/opt/v") / "vantrel.ini").string());
    EXPECT_EQ(SettingsPath("/opt/v", "/home/ann/.config/vantrel", false, true),
              (fs::path("/opt/v") / "vantrel.ini").string());
    EXPECT_EQ(SettingsPath("/opt/v", "/home/ann/.config/vantrel", false, false),
              (fs::path("/home/ann/.config/vantrel") / "vantrel.ini").string());

    EXPECT_EQ(LocateSettings(dir_.string(), "/nowhere"), (dir_ / "vantrel.ini").string());
}

TEST(ConsoleTest, RetryAnswersYesOnlyForYOrYes) {
    for (const char* yes : {"y", "Y", "yes", "YES", "yEs", " yes \r"})
        EXPECT_TRUE(IsYes(yes)) << yes;
    for (const char* no : {"", "n", "no", "yess", "ye", "y e s", "oui"})
        EXPECT_FALSE(IsYes(no)) << no;

    struct Case {
        std::string input;
        MsgAnswer answer;
    };
    for (const Case& c :
         {Case{"YES\n", MsgAnswer::Yes}, Case{"nope\n", MsgAnswer::No}, Case{"", MsgAnswer::No}}) {
        std::ostringstream err;
        std::istringstream in(c.input);
        ConsoleHost host(err, in, false);
        EXPECT_EQ(host.Message(kMsgRetry, kTitleFile, MsgIcon::Question, MsgButtons::YesNo),
                  c.answer);
        EXPECT_EQ(err.str().rfind("Vantrel File: Failed to download, would you like to retry?", 0),
                  0u);
    }
}

TEST(ConsoleTest, MessagesAreOneLineAndProgressALinePerTenthOrABarOnATerminal) {
    std::ostringstream err;
    std::istringstream in;
    ConsoleHost log(err, in, false);
    log.Open();
    for (int p : {3, 9, 10, 42, 85, 100, 100})
        log.SetPosition(p);
    log.Close();
    log.Message("Downloaded completely!", kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
    EXPECT_EQ(err.str(),
              "Downloading... 0%\nDownloading... 10%\nDownloading... 40%\nDownloading... 80%\n"
              "Downloading... 100%\nVantrel File: Downloaded completely!\n");

    std::ostringstream tty;
    ConsoleHost bar(tty, in, true);
    bar.Open();
    bar.SetPosition(50);
    bar.Message("Error on downloading!", kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
    bar.Close();
    EXPECT_EQ(tty.str(), "\rDownloading... [" + std::string(40, ' ') + "] 0%" +
                             "\rDownloading... [" + std::string(20, '#') + std::string(20, ' ') +
                             "] 50%\nVantrel File: Error on downloading!\n");
}

// A host that records what the run showed and answers from a script.
class FakeHost final : public Host {
public:
    MsgAnswer Message(std::string_view text, std::string_view title, MsgIcon icon,
                      MsgButtons buttons) override {
        return user.Message(text, title, icon, buttons);
    }
    void Open() override { progress.Open(); }
    void SetPosition(int p) override { progress.SetPosition(p); }
    void Close() override { progress.Close(); }
    std::optional<std::string> ChooseFile(const std::string& initialDir) override {
        startedIn.push_back(initialDir);
        return chosen;
    }
    std::optional<LinkSettings> AskLinkSettings(const LinkSettings& link) override {
        presets.push_back(link);
        return confirmed;
    }
    FakeUser user;
    FakeProgress progress;
    std::optional<std::string> chosen;
    std::optional<LinkSettings> confirmed;
    std::vector<std::string> startedIn;
    std::vector<LinkSettings> presets;
};

// Hands out one fake port and remembers what was asked.
class FakeOpener final : public PortOpener {
public:
    explicit FakeOpener(FakeClock& clock) : port(std::make_unique<FakePort>(clock)) {}
    std::unique_ptr<SerialPort> Open(std::string_view name) override {
        names.emplace_back(name);
        if (fail) return nullptr;
        return std::make_unique<PortHandle>(*port);
    }
    std::unique_ptr<FakePort> port;
    std::vector<std::string> names;
    bool fail = false;
};

class RunTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        lookup_ = (dir_ / "shop.txt").string();
        std::ofstream(lookup_, std::ios::binary) << "AB\r\nCD\r\n";
        port_ = opener_.port.get();
        settings_ = dir_ / "config" / "vantrel.ini";
    }
    int Run(const std::string& line) {
        RunContext context{host_, opener_, clock_, dir_.string(), settings_.string()};
        return RunVantrel(ParseCommandLine(line), context);
    }
    FakeClock clock_;
    FakeOpener opener_{clock_};
    FakePort* port_ = nullptr;
    FakeHost host_;
    std::string lookup_;
    fs::path settings_;
};

TEST_F(RunTest, CommandLineSendsWithoutDialogs) {
    EXPECT_EQ(Run(lookup_ + ",2,5,0"), kExitDone);
    EXPECT_THAT(opener_.names, ElementsAre("COM2"));
    EXPECT_EQ(port_->current.baudRate, 9600u);
    EXPECT_EQ(port_->Frames().size(), 4u);
    EXPECT_THAT(host_.user.Texts(), ElementsAre("Downloaded completely!"));
    EXPECT_THAT(host_.startedIn, IsEmpty());
    EXPECT_THAT(host_.presets, IsEmpty());
    EXPECT_FALSE(fs::exists(settings_));
}

TEST_F(RunTest, ExitStatusTellsWhatFailed) {
    const std::string longFile = (dir_ / "long.txt").string();
    std::ofstream(longFile, std::ios::binary) << "ok\r\n" << std::string(254, 'x') << "\r\n";
    struct Case {
        const char* name;
        std::string line;
        std::function<void(FakeOpener&, FakePort&)> setUp;
        int status;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"missing file",
         (dir_ / "none.txt").string(),
         nullptr,
         kExitBadFile,
         {"Can't open the file!"}},
        {"path over 255 characters",
         "/" + std::string(255, 'p'),
         nullptr,
         kExitBadFile,
         {"Can't open the file!"}},
        {"line too long",
         longFile,
         nullptr,
         kExitBadFile,
         {"Line 2 is too long to download (more than 253 bytes)!"}},
        {"port missing",
         lookup_,
         [](FakeOpener& o, FakePort&) { o.fail = true; },
         kExitBadPort,
         {"Can't open the COM port!"}},
        {"port refuses the rate",
         lookup_,
         [](FakeOpener&, FakePort& p) { p.acceptConfig = false; },
         kExitBadPort,
         {"Failed to set communication state"}},
        {"no transceiver",
         lookup_ + ",1,1,1",
         [](FakeOpener&, FakePort& p) {
             p.respond = [](const std::string&, const PortConfig&) { return Reply{}; };
         },
         kExitBadPort,
         {"Can't set the IR device !!!"}},
        {"failed, no retry",
         lookup_,
         [](FakeOpener&, FakePort& p) {
             p.respond = [](const std::string&, const PortConfig&) { return Reply{{1, "NAK\r"}}; };
         },
         kExitDownloadFailed,
         {"Terminal is not ready!", std::string(kMsgRetry)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        opener_.port = std::make_unique<FakePort>(clock_);
        opener_.fail = false;
        port_ = opener_.port.get();
        host_ = FakeHost();
        if (c.setUp) c.setUp(opener_, *port_);
        EXPECT_EQ(Run(c.line), c.status);
        EXPECT_EQ(host_.user.Texts(), c.texts);
        // A refused file never reaches the port.
        if (c.status == kExitBadFile) {
            EXPECT_THAT(opener_.names, IsEmpty());
        }
        opener_.names.clear();
    }
}

TEST_F(RunTest, RetryAfterAFailedAttemptPurgesAndStartsOver) {
    int handshakes = 0;
    port_->respond = [&](const std::string& frame, const PortConfig&) {
        if (frame.rfind("PDB1", 0) == 0 && ++handshakes <= 3) return Reply{{1, "NAK\r"}};
        return Reply{{1, "ACK\r"}};
    };
    host_.user.answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    EXPECT_EQ(Run(lookup_), kExitDone);
    EXPECT_THAT(host_.user.Texts(), ElementsAre("Terminal is not ready!", std::string(kMsgRetry),
                                                "Downloaded completely!"));
    EXPECT_EQ(host_.user.shown[1].icon, MsgIcon::Question);
    EXPECT_EQ(host_.user.shown[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(port_->purges, 2);  // before the retry, and at the end
}

TEST_F(RunTest, InteractiveRunRemembersTheFolderEvenWhenCancelledLater) {
    host_.chosen = lookup_;
    host_.confirmed = std::nullopt;
    EXPECT_EQ(Run(""), kExitDone);
    EXPECT_THAT(host_.startedIn, ElementsAre(dir_.string()));  // no settings yet
    EXPECT_EQ(host_.presets.size(), 1u);
    EXPECT_THAT(opener_.names, IsEmpty());
    EXPECT_EQ(ReadSettings(settings_.string()), dir_.string());

    host_ = FakeHost();
    host_.chosen = std::nullopt;
    WriteSettings(settings_.string(), "/srv/lookup");
    EXPECT_EQ(Run(",3,3,1"), kExitDone);
    EXPECT_THAT(host_.startedIn, ElementsAre("/srv/lookup"));
    EXPECT_EQ(ReadSettings(settings_.string()), "/srv/lookup");  // cancelled: unchanged

    host_ = FakeHost();
    host_.chosen = lookup_;
    host_.confirmed = LinkSettings{3, 2, 0};
    EXPECT_EQ(Run(",3,3,1"), kExitDone);
    EXPECT_EQ(host_.presets.at(0).portIndex, 0);  // an interactive run ignores the digits
    EXPECT_THAT(opener_.names, ElementsAre("COM4"));
    EXPECT_EQ(port_->current.baudRate, 38400u);
}

}  // namespace
}  // namespace vantrel
