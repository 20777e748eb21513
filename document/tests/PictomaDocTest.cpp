#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DocFakes.h"
#include "PictomaDoc.h"
#include "SourceText.h"

namespace pictoma {
namespace {

namespace fs = std::filesystem;
using test::FakeDocView;
using test::FakeHost;
using test::FakeView;
using test::ShownMessage;

// A picture whose column x has the grey 100 + x % 81: at threshold t the columns with a grey of at
// most t are black, so every threshold from 100 to 180 gives a different picture.
int Ramp(int x, int) {
    return 100 + x % 81;
}

std::vector<std::uint8_t> RampPicture(int w, int h, int threshold) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.Set(x, y, Ramp(x, y) <= threshold);
    return p.bytes;
}

const ShownMessage kTooLargeWarning{kMsgFileTooLarge, MsgIcon::Warning, MsgButtons::Ok};
const ShownMessage kTooLargeStop{kMsgFileTooLarge, MsgIcon::Stop, MsgButtons::Ok};
const ShownMessage kQuestion{kMsgChangesWillBeLost, MsgIcon::Question, MsgButtons::YesNo};

class DocTest : public ::testing::Test {
protected:
    DocTest() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              (std::string("pictoma_doc_") + info->test_suite_name() + "_" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        doc.AddView(other);
        doc.AddView(canvas);
        doc.AddView(preview);
        doc.AddView(preview2);
        EXPECT_TRUE(doc.NewDocument());  // as the framework starts the program
    }
    ~DocTest() override { fs::remove_all(dir); }

    std::string Bmp(const std::string& name, int w, int h) {
        const fs::path path = dir / name;
        test::WriteFile(path, test::GreyBmp(w, h, Ramp));
        return path.string();
    }
    std::string OpenRamp(int w, int h) {
        const std::string path = Bmp("ramp.bmp", w, h);
        EXPECT_TRUE(doc.OpenDocument(path));
        return path;
    }
    CommandUi Query(CommandId id) {
        CommandTarget* route[] = {&doc};
        return QueryCommand(id, route);
    }
    bool Run(CommandId id) {
        CommandTarget* route[] = {&doc};
        return DispatchCommand(id, route);
    }
    int Updates() const { return canvas.updates; }

    fs::path dir;
    FakeHost host;
    CPictomaDoc doc{host};
    FakeView other;
    FakeDocView canvas{DocViewKind::Canvas};
    FakeDocView preview{DocViewKind::Preview};
    FakeDocView preview2{DocViewKind::Preview};
};

TEST_F(DocTest, StartUpIsAWhite64x64PictureWithoutDialog) {
    EXPECT_EQ(doc.GetPicture().width, 64);
    EXPECT_EQ(doc.GetPicture().height, 64);
    EXPECT_EQ(doc.GetPicture().bytes, std::vector<std::uint8_t>(512, 0));
    EXPECT_TRUE(host.sizePresets.empty());
    EXPECT_EQ(canvas.updates, 0);  // only the framework's initial update
    EXPECT_EQ(canvas.initialUpdates, 1);
    EXPECT_EQ(doc.GetTitle(), kUntitledTitle);
    EXPECT_FALSE(doc.m_bFromFile);
    EXPECT_FALSE(doc.m_bEdited);
    EXPECT_TRUE(doc.m_bPen);

    for (CommandId id : {cmd::kThresholdIncrease, cmd::kThresholdDecrease, cmd::kThresholdSet})
        EXPECT_FALSE(Query(id).enabled) << id;
    for (CommandId id : {cmd::kFileSave, cmd::kFileExport, cmd::kEditReset}) {
        EXPECT_TRUE(Query(id).enabled) << id;
        EXPECT_FALSE(Query(id).checked.has_value()) << id;
    }
    EXPECT_EQ(Query(cmd::kToolPen).checked, true);
    EXPECT_EQ(Query(cmd::kToolRubber).checked, false);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(DocTest, LaterNewAsksForTheSize) {
    doc.m_bEdited = true;
    host.sizes = {Size{13, 5}};
    EXPECT_TRUE(doc.NewDocument());
    EXPECT_EQ(host.sizePresets, (std::vector<Size>{Size{64, 64}}));
    EXPECT_EQ(doc.GetPicture().width, 13);
    EXPECT_EQ(doc.GetPicture().height, 5);
    EXPECT_EQ(doc.GetPicture().bytes, std::vector<std::uint8_t>(10, 0));
    EXPECT_EQ(Updates(), 1);
    EXPECT_TRUE(doc.m_bEdited);  // New leaves the flag alone

    for (int x = 0; x < 8; ++x)
        doc.SetPixel(x, 0, true);
    host.sizes = {std::nullopt};  // Cancel: the picture stays, the New still succeeds
    EXPECT_TRUE(doc.NewDocument());
    EXPECT_EQ(doc.GetPicture().width, 13);
    EXPECT_EQ(doc.GetPicture().bytes[0], 0xFF);
    EXPECT_EQ(Updates(), 1);
}

TEST_F(DocTest, OpenStartsAtDefaultThresholdAndTakesThePicture) {
    const std::string path = OpenRamp(40, 3);
    host.thresholds = {ThresholdChoice{false, 150}};
    doc.OnThresholdSet();
    ASSERT_EQ(doc.GetThreshold(), 150);
    doc.m_bEdited = true;
    doc.m_bPen = false;

    canvas.initialUpdates = 0;
    ASSERT_TRUE(doc.OpenDocument(path));
    EXPECT_EQ(doc.GetThreshold(), DEFAULT_THRESHOLD);
    EXPECT_EQ(doc.GetPicture().bytes, RampPicture(40, 3, DEFAULT_THRESHOLD));
    EXPECT_EQ(doc.GetPicture().width, 40);
    EXPECT_EQ(doc.GetPicture().height, 3);
    EXPECT_TRUE(doc.m_bFromFile);
    EXPECT_FALSE(doc.m_bEdited);
    EXPECT_FALSE(doc.m_bPen);  // the tool survives Open
    EXPECT_EQ(doc.m_strBmpFile, path);
    EXPECT_EQ(doc.GetTitle(), "ramp.bmp");
    EXPECT_EQ(canvas.initialUpdates, 1);
    EXPECT_TRUE(host.messages.empty());  // it fits: no warning, but the focus still moves
    EXPECT_EQ(preview.focused, 2);
    EXPECT_EQ(preview2.focused, 0);
    EXPECT_TRUE(Query(cmd::kThresholdSet).enabled);

    // New after an Open disables the threshold commands; a following Reset is a New.
    host.sizes = {std::nullopt};
    ASSERT_TRUE(doc.NewDocument());
    EXPECT_FALSE(Query(cmd::kThresholdSet).enabled);
    EXPECT_EQ(doc.m_strBmpFile, "");
    host.sizes = {Size{8, 1}};
    doc.OnEditReset();
    EXPECT_EQ(host.sizePresets.size(), 2u);
    EXPECT_EQ(doc.GetPicture().bytes, std::vector<std::uint8_t>{0});
}

TEST_F(DocTest, TooLargePictureIsWarnedFocusedAndRefused) {
    OpenRamp(200, 50);
    EXPECT_EQ(host.messages, std::vector<ShownMessage>{kTooLargeWarning});
    EXPECT_EQ(doc.GetPicture().width, 200);
    EXPECT_EQ(doc.GetPicture().bytes, RampPicture(200, 50, DEFAULT_THRESHOLD));
    EXPECT_EQ(preview.focused, 1);  // the first preview only
    EXPECT_EQ(preview2.focused, 0);
    EXPECT_EQ(canvas.focused + other.focused, 0);

    host.messages.clear();
    doc.OnFileSave();
    doc.OnFileExport();
    EXPECT_EQ(host.messages, (std::vector<ShownMessage>{kTooLargeStop, kTooLargeStop}));
    EXPECT_TRUE(host.saveSettings.empty());
    EXPECT_TRUE(host.exports.empty());

    // Cropped to fit, then Reset: the whole picture again, warned again, without a question.
    ASSERT_TRUE(doc.ReplacePicture(Picture(16, 20, std::vector<std::uint8_t>(40, 0xAA))));
    host.messages.clear();
    const int before = Updates();
    doc.OnEditReset();
    EXPECT_EQ(doc.GetPicture().width, 200);
    EXPECT_EQ(doc.GetPicture().height, 50);
    EXPECT_EQ(doc.GetPicture().bytes, RampPicture(200, 50, DEFAULT_THRESHOLD));
    EXPECT_FALSE(doc.m_bEdited);
    EXPECT_EQ(Updates(), before + 1);
    EXPECT_EQ(host.messages, std::vector<ShownMessage>{kTooLargeWarning});
    EXPECT_EQ(preview.focused, 2);
}

TEST_F(DocTest, SizeLimitsOfSaveAndExport) {
    struct Case {
        int w, h;
        bool accepted;
        int x, y;
    } cases[] = {
        {128, 64, true, 0, 0}, {127, 63, true, 0, 0},  {100, 40, true, 14, 12},
        {8, 1, true, 60, 31},  {129, 64, false, 0, 0}, {128, 65, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        host = FakeHost();
        std::vector<std::uint8_t> bytes(mono::ByteCount(c.w, c.h), 0x5A);
        ASSERT_TRUE(doc.ReplacePicture(Picture(c.w, c.h, bytes)));

        host.saves = {std::nullopt};
        doc.OnFileSave();
        doc.OnFileExport();
        if (c.accepted) {
            EXPECT_TRUE(host.messages.empty());
            EXPECT_EQ(host.saveSettings.size(), 1u);
            ASSERT_EQ(host.exports.size(), 1u);
            EXPECT_EQ(host.exports[0].pixels, bytes);
            EXPECT_EQ(host.exports[0].width, c.w);
            EXPECT_EQ(host.exports[0].height, c.h);
            EXPECT_EQ(host.exports[0].x, c.x);
            EXPECT_EQ(host.exports[0].y, c.y);
        } else {
            EXPECT_EQ(host.messages, (std::vector<ShownMessage>{kTooLargeStop, kTooLargeStop}));
            EXPECT_TRUE(host.saveSettings.empty());
            EXPECT_TRUE(host.exports.empty());
        }
    }
}

TEST_F(DocTest, SaveDialogSettingsAndFilterPicksTheForm) {
    // The worked example: 10 x 2, bytes 80 00 FF C0.
    ASSERT_TRUE(doc.ReplacePicture(Picture(10, 2, {0x80, 0x00, 0xFF, 0xC0})));
    doc.m_bEdited = false;
    const std::string cPath = (dir / "picture.bas").string();
    const std::string basicPath = (dir / "picture.c").string();
    host.saves = {SaveChoice{cPath, 1}, SaveChoice{basicPath, 2}, std::nullopt};
    doc.OnFileSave();
    doc.OnFileSave();
    doc.OnFileSave();  // cancelled: nothing written

    ASSERT_EQ(host.saveSettings.size(), 3u);
    const SaveDialogSettings& s = host.saveSettings[0];
    EXPECT_EQ(s.defaultExtension, "txt");
    EXPECT_EQ(s.initialName, "");
    EXPECT_TRUE(s.hideReadOnly);
    EXPECT_TRUE(s.confirmOverwrite);
    EXPECT_EQ(s.selectedFilter, 1);
    EXPECT_EQ(s.filters, (std::vector<FileFilter>{{"C语言格式(*.txt)", "*.txt"},
                                                  {"Basic格式(*.txt)", "*.txt"}}));

    EXPECT_EQ(test::ReadFile(cPath), "str[]={0x01,0x00,\r\n0xFF,0x03}");
    EXPECT_EQ(test::ReadFile(basicPath), "str0$=chr$(1)+chr$(0)\r\nstr_1$=chr$(255)+chr$(3)");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(doc.m_bEdited);  // Save changes nothing in the document
    EXPECT_EQ(doc.GetTitle(), kUntitledTitle);
}

TEST_F(DocTest, SaveFailureNamesTheFileAndKeepsTheOldOne) {
    const fs::path existing = dir / "old.txt";
    { std::ofstream(existing) << "old contents"; }
    const std::string intoMissingFolder = (dir / "no" / "such" / "pic.txt").string();
    const std::string aFolder = dir.string();
    host.saves = {SaveChoice{intoMissingFolder, 1}, SaveChoice{aFolder, 2}};
    doc.OnFileSave();
    doc.OnFileSave();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_NE(host.messages[0].text.find(intoMissingFolder), std::string::npos);
    EXPECT_NE(host.messages[1].text.find(aFolder), std::string::npos);
    EXPECT_EQ(host.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(test::ReadFile(existing), "old contents");
    EXPECT_FALSE(fs::exists(dir / "no"));

    // A successful save over an existing file replaces it whole.
    host.saves = {SaveChoice{existing.string(), 1}};
    doc.OnFileSave();
    EXPECT_EQ(test::ReadFile(existing), MakeSaveTextC(doc.GetPicture()));
}

TEST_F(DocTest, ThresholdRulesAtTheLimits) {
    OpenRamp(90, 2);
    struct Case {
        int threshold;
        bool increase, decrease;
    } cases[] = {{100, true, false}, {101, true, true}, {179, true, true}, {180, false, true}};
    for (const Case& c : cases) {
        host.thresholds = {ThresholdChoice{false, c.threshold}};
        doc.OnThresholdSet();
        ASSERT_EQ(doc.GetThreshold(), c.threshold);
        EXPECT_EQ(Query(cmd::kThresholdIncrease).enabled, c.increase) << c.threshold;
        EXPECT_EQ(Query(cmd::kThresholdDecrease).enabled, c.decrease) << c.threshold;
        EXPECT_TRUE(Query(cmd::kThresholdSet).enabled);
        EXPECT_EQ(doc.GetPicture().bytes, RampPicture(90, 2, c.threshold));
    }
    // Stepping from 179: one Increase reaches 180 and disables itself.
    host.thresholds = {ThresholdChoice{false, 179}};
    doc.OnThresholdSet();
    doc.OnThresholdIncrease();
    EXPECT_EQ(doc.GetThreshold(), 180);
    EXPECT_FALSE(Query(cmd::kThresholdIncrease).enabled);
}

TEST_F(DocTest, IncreaseAndDecreaseReReadTheFileEveryTime) {
    const std::string path = OpenRamp(40, 2);
    const int before = Updates();
    Run(cmd::kThresholdIncrease);
    EXPECT_EQ(doc.GetThreshold(), 126);
    EXPECT_EQ(doc.GetPicture().bytes, RampPicture(40, 2, 126));
    EXPECT_EQ(Updates(), before + 1);

    // The file changed on disk (now all black, 48 x 3): the next step reads it again.
    test::WriteFile(path, test::GreyBmp(48, 3, [](int, int) { return 0; }));
    Run(cmd::kThresholdDecrease);
    EXPECT_EQ(doc.GetThreshold(), 125);
    EXPECT_EQ(doc.GetPicture().width, 48);
    EXPECT_EQ(doc.GetPicture().height, 3);
    EXPECT_EQ(doc.GetPicture().bytes, std::vector<std::uint8_t>(18, 0xFF));
    EXPECT_EQ(Updates(), before + 2);
    EXPECT_TRUE(host.messages.empty());  // not edited: no question
}

TEST_F(DocTest, QuestionFlowsOfTheThresholdCommands) {
    enum Cmd { Increase, Decrease, Set };
    struct Case {
        const char* name;
        Cmd command;
        bool edited;
        std::optional<ThresholdChoice> dialog;  // for Set
        std::optional<MsgAnswer> answer;        // empty: no question expected
        int threshold;                          // afterwards
        bool converted;
    } cases[] = {
        {"increase, not edited", Increase, false, {}, {}, 126, true},
        {"increase, edited, Yes", Increase, true, {}, MsgAnswer::Yes, 126, true},
        {"increase, edited, No", Increase, true, {}, MsgAnswer::No, 125, false},
        {"decrease, edited, Yes", Decrease, true, {}, MsgAnswer::Yes, 124, true},
        {"decrease, edited, No", Decrease, true, {}, MsgAnswer::No, 125, false},
        {"set cancelled asks nothing", Set, true, std::nullopt, {}, 125, false},
        {"set, edited, No", Set, true, ThresholdChoice{false, 150}, MsgAnswer::No, 125, false},
        {"set, edited, Yes", Set, true, ThresholdChoice{false, 150}, MsgAnswer::Yes, 150, true},
        {"set unchanged still reconverts", Set, false, ThresholdChoice{false, 125}, {}, 125, true},
        {"set default", Set, false, ThresholdChoice{true, 170}, {}, DEFAULT_THRESHOLD, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host = FakeHost();
        OpenRamp(40, 2);
        // Edit the picture so a reconversion shows: one pixel far right turned black.
        doc.SetPixel(39, 0, true);
        const std::vector<std::uint8_t> edited = doc.GetPicture().bytes;
        doc.m_bEdited = c.edited;
        if (c.answer) host.answers = {*c.answer};
        const int before = Updates();

        switch (c.command) {
            case Increase:
                doc.OnThresholdIncrease();
                break;
            case Decrease:
                doc.OnThresholdDecrease();
                break;
            case Set:
                host.thresholds = {c.dialog};
                doc.OnThresholdSet();
                EXPECT_EQ(host.thresholdPresets, std::vector<int>{125});
                break;
        }
        EXPECT_EQ(host.messages.size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(host.messages[0], kQuestion);
        }
        EXPECT_EQ(doc.GetThreshold(), c.threshold);
        if (c.converted) {
            EXPECT_EQ(doc.GetPicture().bytes, RampPicture(40, 2, c.threshold));
            EXPECT_FALSE(doc.m_bEdited);
            EXPECT_EQ(Updates(), before + 1);
        } else {
            EXPECT_EQ(doc.GetPicture().bytes, edited);
            EXPECT_EQ(doc.m_bEdited, c.edited);
            EXPECT_EQ(Updates(), before);
        }
    }
}

TEST_F(DocTest, SetShowsItsDialogBeforeTheQuestion) {
    OpenRamp(40, 2);
    doc.m_bEdited = true;
    // The question must come after the dialog: with the dialog cancelled, none is asked.
    host.thresholds = {std::nullopt};
    doc.OnThresholdSet();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.thresholdPresets.size(), 1u);
    // A value the dialog would have refused is never applied.
    host.thresholds = {ThresholdChoice{false, 181}};
    doc.OnThresholdSet();
    EXPECT_EQ(doc.GetThreshold(), 125);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(DocTest, FailedReReadKeepsEditsAndThresholdAndSaysWhy) {
    const std::string path = OpenRamp(40, 2);
    for (int x = 0; x < 8; ++x)
        doc.SetPixel(x, 0, x >= 4);
    const std::vector<std::uint8_t> edited = doc.GetPicture().bytes;
    const int before = Updates();

    fs::remove(path);  // deleted since it was opened: the reader shows nothing itself
    host.answers = {MsgAnswer::Yes};
    doc.OnThresholdIncrease();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0], kQuestion);
    EXPECT_NE(host.messages[1].text.find(path), std::string::npos);
    EXPECT_EQ(host.messages[1].icon, MsgIcon::Warning);

    test::WriteFile(path, {'n', 'o', 't', ' ', 'b', 'm', 'p'});  // unusable: the reader says so
    host.answers = {MsgAnswer::Yes};
    doc.OnThresholdDecrease();
    ASSERT_EQ(host.messages.size(), 4u);
    EXPECT_EQ(host.messages[3].text, kNotABitmap);

    EXPECT_EQ(doc.GetThreshold(), 125);
    EXPECT_EQ(doc.GetPicture().bytes, edited);
    EXPECT_TRUE(doc.m_bEdited);
    EXPECT_EQ(Updates(), before);
}

TEST_F(DocTest, UnusableFileOnOpen) {
    // First Open of the run: the reader has no picture yet, so the blank start-up one stays.
    const fs::path bad = dir / "bad.bmp";
    test::WriteFile(bad, {'X', 'Y', 0, 0});
    ASSERT_TRUE(doc.OpenDocument(bad.string()));
    EXPECT_EQ(host.messages,
              (std::vector<ShownMessage>{{kNotABitmap, MsgIcon::Warning, MsgButtons::Ok}}));
    EXPECT_EQ(doc.GetPicture().width, 64);
    EXPECT_EQ(doc.GetPicture().height, 64);
    EXPECT_EQ(doc.GetPicture().bytes, std::vector<std::uint8_t>(512, 0));
    EXPECT_EQ(doc.m_strBmpFile, bad.string());
    EXPECT_TRUE(doc.m_bFromFile);

    // Later: the picture the reader kept from the good file, under the bad file's path.
    OpenRamp(20, 4);
    ASSERT_TRUE(doc.ReplacePicture(Picture(9, 1, std::vector<std::uint8_t>(2, 0xFF))));
    ASSERT_TRUE(doc.OpenDocument(bad.string()));
    EXPECT_EQ(doc.GetPicture().width, 20);
    EXPECT_EQ(doc.GetPicture().bytes, RampPicture(20, 4, DEFAULT_THRESHOLD));
    EXPECT_EQ(doc.m_strBmpFile, bad.string());
    EXPECT_FALSE(doc.m_bEdited);
}

TEST_F(DocTest, MissingFileFailsTheOpenAndChangesNothing) {
    const std::string good = OpenRamp(20, 4);
    doc.m_bEdited = true;
    const std::string missing = (dir / "missing.bmp").string();
    canvas.initialUpdates = 0;
    EXPECT_FALSE(doc.OpenDocument(missing));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(missing), std::string::npos);
    EXPECT_EQ(doc.m_strBmpFile, good);
    EXPECT_EQ(doc.GetPathName(), good);
    EXPECT_TRUE(doc.m_bEdited);
    EXPECT_EQ(doc.GetPicture().bytes, RampPicture(20, 4, DEFAULT_THRESHOLD));
    EXPECT_EQ(canvas.initialUpdates, 0);
}

TEST_F(DocTest, PenAndRubberAreExclusiveAndSurviveNew) {
    EXPECT_TRUE(Run(cmd::kToolRubber));
    EXPECT_FALSE(doc.m_bPen);
    EXPECT_EQ(Query(cmd::kToolPen).checked, false);
    EXPECT_EQ(Query(cmd::kToolRubber).checked, true);
    host.sizes = {Size{8, 8}};
    doc.NewDocument();
    EXPECT_FALSE(doc.m_bPen);
    EXPECT_TRUE(Run(cmd::kToolPen));
    EXPECT_EQ(Query(cmd::kToolPen).checked, true);
    EXPECT_EQ(Query(cmd::kToolRubber).checked, false);
}

TEST_F(DocTest, InvalidatePixelMarksEachKindOfView) {
    doc.InvalidatePixel(3, 2);
    const test::Invalidation canvasArea{{21, 16, 24, 19}, false};
    const test::Invalidation previewArea{{5, 4, 11, 10}, false};
    EXPECT_EQ(canvas.invalidated, std::vector<test::Invalidation>{canvasArea});
    EXPECT_EQ(preview.invalidated, std::vector<test::Invalidation>{previewArea});
    EXPECT_TRUE(other.invalidated.empty());
    doc.InvalidatePixel(0, 0);
    EXPECT_EQ(canvas.invalidated.back().rect, (Rect{6, 6, 9, 9}));
    EXPECT_EQ(preview.invalidated.back().rect, (Rect{2, 2, 8, 8}));
}

TEST_F(DocTest, ReplacePictureKeepsBytesAndSizeInStep) {
    const Picture before = doc.GetPicture();
    EXPECT_FALSE(doc.ReplacePicture(Picture()));
    EXPECT_FALSE(doc.ReplacePicture(Picture(9, 1, {1, 2, 3})));
    EXPECT_EQ(doc.GetPicture(), before);
    EXPECT_FALSE(doc.m_bEdited);
    EXPECT_TRUE(doc.ReplacePicture(Picture(9, 1, {1, 2})));
    EXPECT_TRUE(doc.m_bEdited);
    EXPECT_EQ(Updates(), 1);
}

// Every kind of change is one undo step that gives back the picture, its size and the threshold
// exactly, and Redo does it again.
TEST_F(DocTest, EveryChangeIsOneStepThatUndoAndRedoTakeBackAndRepeat) {
    struct Case {
        const char* step;
        std::function<void(CPictomaDoc&, FakeHost&)> change;
    };
    const Case cases[] = {
        {"pen stroke",
         [](CPictomaDoc& d, FakeHost&) {
             d.BeginStroke(true);
             for (int x : {30, 33, 36})
                 d.StrokeTo(x, 1);
             d.EndStroke();
         }},
        {"rubber stroke",
         [](CPictomaDoc& d, FakeHost&) {
             d.BeginStroke(false);
             d.StrokeTo(0, 0);
             d.StrokeTo(5, 1);
             d.EndStroke();
         }},
        {"line",
         [](CPictomaDoc& d, FakeHost&) {
             d.DrawLine({30, 0}, {39, 1}, true);
         }},
        {"rectangle",
         [](CPictomaDoc& d, FakeHost&) {
             d.DrawRectangle({2, 0}, {8, 1}, false);
         }},
        {"fill",
         [](CPictomaDoc& d, FakeHost&) {
             d.FillAt({39, 0}, true);
         }},
        {"crop", [](CPictomaDoc& d, FakeHost&) { d.ReplacePicture(Picture(16, 1), "crop"); }},
        {"resize", [](CPictomaDoc& d, FakeHost&) { d.ReplacePicture(Picture(8, 2), "resize"); }},
        {"invert", [](CPictomaDoc& d, FakeHost&) { d.OnEditInvert(); }},
        {"threshold change", [](CPictomaDoc& d, FakeHost&) { d.OnThresholdIncrease(); }},
        {"reset",
         [](CPictomaDoc& d, FakeHost& h) {
             h.answers = {MsgAnswer::Yes};
             d.OnEditReset();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        host = FakeHost();
        OpenRamp(40, 2);
        EXPECT_FALSE(Query(cmd::kEditUndo).enabled);
        // An edit first, so that Reset has something to take back too.
        doc.SetPixel(39, 1, true);
        doc.m_bEdited = false;
        const Picture before = doc.GetPicture();
        const int threshold = doc.GetThreshold();
        c.change(doc, host);
        const Picture after = doc.GetPicture();
        const int thresholdAfter = doc.GetThreshold();
        ASSERT_NE(std::make_pair(after, thresholdAfter), std::make_pair(before, threshold));
        EXPECT_EQ(doc.History().UndoName(), c.step);
        EXPECT_EQ(Query(cmd::kEditUndo).text, "Undo " + std::string(c.step));

        const int updates = Updates();
        EXPECT_TRUE(Run(cmd::kEditUndo));
        EXPECT_EQ(doc.GetPicture(), before);
        EXPECT_EQ(doc.GetThreshold(), threshold);
        EXPECT_EQ(Updates(), updates + 1);
        EXPECT_FALSE(Query(cmd::kEditUndo).enabled);
        EXPECT_EQ(Query(cmd::kEditRedo).text, "Redo " + std::string(c.step));

        EXPECT_TRUE(Run(cmd::kEditRedo));
        EXPECT_EQ(doc.GetPicture(), after);
        EXPECT_EQ(doc.GetThreshold(), thresholdAfter);
        EXPECT_FALSE(Query(cmd::kEditRedo).enabled);

        // A new change after an undo drops what could have been redone.
        EXPECT_TRUE(Run(cmd::kEditUndo));
        doc.OnEditInvert();
        EXPECT_FALSE(Query(cmd::kEditRedo).enabled);
    }
}

TEST_F(DocTest, NewAndOpenStartAFreshHistory) {
    OpenRamp(40, 2);
    doc.OnEditInvert();
    ASSERT_TRUE(doc.History().CanUndo());
    OpenRamp(40, 2);
    EXPECT_FALSE(doc.History().CanUndo());
    doc.OnEditInvert();
    host.sizes = {Size{16, 16}};
    EXPECT_TRUE(doc.NewDocument());
    EXPECT_FALSE(doc.History().CanUndo());
}

TEST_F(DocTest, HistoryKeepsAtMostTwoHundredStepsAndSixtyFourMebibytes) {
    OpenRamp(40, 2);
    for (int i = 0; i < 250; ++i)
        doc.OnEditInvert();
    EXPECT_EQ(doc.History().Steps(), UndoHistory::kMaxSteps);
    int undone = 0;
    while (doc.History().CanUndo()) {
        doc.OnEditUndo();
        ++undone;
    }
    EXPECT_EQ(undone, 200);
    EXPECT_EQ(doc.GetPicture().bytes, RampPicture(40, 2, DEFAULT_THRESHOLD));  // 250 - 200 = 50

    // 2 MiB pictures: 32 of them fill the bytes bound, the oldest go first.
    UndoHistory history;
    for (int i = 0; i < 40; ++i)
        history.Record("invert", {Picture(4096, 4096), 125 + i});
    EXPECT_LE(history.Bytes(), UndoHistory::kMaxBytes);
    EXPECT_EQ(history.Steps(), 32u);
    EXPECT_EQ(history.Undo({Picture(1, 1), 0}).threshold, 125 + 39);
}

TEST_F(DocTest, AFastStrokeLeavesNoGap) {
    doc.ReplacePicture(Picture(32, 16));
    doc.BeginStroke(true);
    doc.StrokeTo(0, 0);
    doc.StrokeTo(20, 7);  // one mouse move far away
    doc.EndStroke();
    // Every column 0..20 has exactly one black pixel, and they touch from one column to the next.
    int lastY = 0;
    for (int x = 0; x <= 20; ++x) {
        int count = 0, y = -1;
        for (int r = 0; r < 16; ++r)
            if (doc.GetPicture().Black(x, r)) ++count, y = r;
        ASSERT_EQ(count, 1) << x;
        EXPECT_LE(std::abs(y - lastY), 1) << x;
        lastY = y;
    }
    EXPECT_EQ(lastY, 7);
    EXPECT_EQ(doc.History().Steps(), 2u);  // the replace and the stroke
}

TEST_F(DocTest, RectangleOutlineAndFourConnectedFill) {
    // A black ring with a white hole, and a white corner it does not reach diagonally.
    doc.ReplacePicture(Picture(8, 6));
    doc.DrawRectangle({5, 4}, {1, 1}, true);
    const char* ring[] = {"........", ".#####..", ".#...#..", ".#...#..", ".#####..", "........"};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(doc.GetPicture().Black(x, y), ring[y][x] == '#') << x << "," << y;
    doc.FillAt({3, 2}, true);  // the hole only
    EXPECT_TRUE(doc.GetPicture().Black(3, 2) && doc.GetPicture().Black(2, 3));
    EXPECT_FALSE(doc.GetPicture().Black(0, 0));
    doc.FillAt({0, 0}, true);  // the outside: 4-connected all around the ring
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_TRUE(doc.GetPicture().Black(x, y));
    const std::size_t steps = doc.History().Steps();
    doc.FillAt({20, 20}, false);  // outside the picture: no step
    EXPECT_EQ(doc.History().Steps(), steps);
}

TEST_F(DocTest, InvertFlipsEveryPixelWithinTheWidthOnly) {
    Picture p(10, 1, {0xF0, 0x3F});  // bits past the width: 0x3F's low six
    doc.ReplacePicture(p);
    doc.OnEditInvert();
    EXPECT_EQ(doc.GetPicture().bytes, (std::vector<std::uint8_t>{0x0F, 0x3F ^ 0xC0}));
}

// The question before a picture with unsaved changes is dropped, with each answer.
TEST_F(DocTest, UnsavedChangesAreAskedAboutWithEachAnswer) {
    const ShownMessage ask{kMsgSaveChanges, MsgIcon::Question, MsgButtons::SaveDiscardCancel};
    const std::string target = (dir / "saved.txt").string();
    struct Case {
        const char* what;
        MsgAnswer answer;
        std::optional<SaveChoice> save;  // the save dialog's answer after Save
        bool goOn;
    };
    const Case cases[] = {
        {"discard", MsgAnswer::Discard, std::nullopt, true},
        {"cancel", MsgAnswer::Cancel, std::nullopt, false},
        {"save", MsgAnswer::Save, SaveChoice{target, 1}, true},
        {"save, dialog cancelled", MsgAnswer::Save, std::nullopt, false},
        {"save that fails", MsgAnswer::Save, SaveChoice{(dir / "no/such/x.txt").string(), 1},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host = FakeHost();
        OpenRamp(40, 2);
        EXPECT_TRUE(doc.SaveModified());  // nothing to lose yet
        doc.OnThresholdIncrease();        // a threshold change alone: the file gives it back
        EXPECT_TRUE(doc.SaveModified());
        EXPECT_TRUE(host.messages.empty());
        doc.SetPixel(0, 0, true);
        doc.BeginStroke(true);
        doc.StrokeTo(1, 1);
        doc.EndStroke();
        host.answers = {c.answer};
        if (c.answer == MsgAnswer::Save) host.saves = {c.save};
        EXPECT_EQ(doc.SaveModified(), c.goOn);
        ASSERT_FALSE(host.messages.empty());
        EXPECT_EQ(host.messages.front(), ask);
        if (c.save && c.goOn) {
            EXPECT_EQ(test::ReadFile(target), MakeSaveTextC(doc.GetPicture()));
        }
    }
    // Saved, copied or saved from the export dialog: nothing to ask.
    for (int way = 0; way < 3; ++way) {
        host = FakeHost();
        doc.OnEditInvert();
        ASSERT_TRUE(doc.HasUnsavedChanges());
        if (way == 0) {
            host.saves = {SaveChoice{target, 2}};
            doc.OnFileSave();
        } else if (way == 1) {
            doc.OnEditCopy();
            ASSERT_EQ(host.copies.size(), 1u);
            EXPECT_EQ(host.copies[0].first, doc.GetPicture());
            EXPECT_EQ(host.copies[0].second, MakeSaveTextC(doc.GetPicture()));
        } else {
            host.exportSaves = true;
            doc.OnFileExport();
        }
        EXPECT_FALSE(doc.HasUnsavedChanges()) << way;
    }
}

// A grey ramp 40 x 2 as an imported picture: column x has the grey 100 + x.
std::shared_ptr<ImportSession> RampSession() {
    RgbaImage image(40, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 40; ++x) {
            std::uint8_t* p = image.Row(y) + 4 * x;
            p[0] = p[1] = p[2] = std::uint8_t(100 + x);
            p[3] = 255;
        }
    return std::make_shared<ImportSession>(std::make_shared<RasterSource>(std::move(image)));
}

int BlackColumns(const Picture& p) {
    int n = 0;
    for (int x = 0; x < p.width; ++x)
        n += p.Black(x, 0);
    return n;
}

TEST_F(DocTest, AnImportedPictureReconvertsFromMemoryAndResetsToTheLastConversion) {
    ImportOptions options;
    options.threshold = 110;
    doc.OpenImported(RampSession(), options, "ramp.png");
    EXPECT_EQ(doc.GetPathName(), "ramp.png");
    EXPECT_EQ(doc.Origin(), PictureOrigin::Imported);
    EXPECT_EQ(BlackColumns(doc.GetPicture()), 11);  // greys 100..110
    EXPECT_FALSE(doc.History().CanUndo());

    // Increase and Decrease step by one within 0..255, without the bitmap limits.
    EXPECT_TRUE(Query(cmd::kThresholdIncrease).enabled);
    doc.OnThresholdIncrease();
    EXPECT_EQ(BlackColumns(doc.GetPicture()), 12);
    EXPECT_EQ(doc.History().UndoName(), "import");
    doc.OnEditUndo();
    EXPECT_EQ(BlackColumns(doc.GetPicture()), 11);
    EXPECT_EQ(doc.GetThreshold(), 110);

    // Set Threshold opens the Import dialog with the current options.
    ImportOptions chosen = options;
    chosen.threshold = 130;
    chosen.invert = true;
    host.imports = {chosen};
    host.answers = {MsgAnswer::Yes};  // the undo counts as an edit
    doc.OnThresholdSet();
    ASSERT_EQ(host.importPresets.size(), 1u);
    EXPECT_EQ(host.importPresets[0].threshold, 110);
    EXPECT_EQ(BlackColumns(doc.GetPicture()), 40 - 31);

    // An edit is asked about before a re-conversion drops it; Reset gives the last conversion.
    doc.SetPixel(39, 0, false);
    host.answers = {MsgAnswer::No};
    doc.OnThresholdDecrease();
    EXPECT_EQ(BlackColumns(doc.GetPicture()), 8);
    doc.OnEditReset();
    EXPECT_EQ(BlackColumns(doc.GetPicture()), 9);
}

TEST_F(DocTest, SourceTextHasNothingToReconvertAndOffersItsPosition) {
    doc.OpenSourceText(Picture(10, 2, {0x80, 0x00, 0xFF, 0xC0}), ScreenPosition{3, 4}, "icon.c");
    EXPECT_EQ(doc.GetTitle(), "icon.c");
    for (CommandId id : {cmd::kThresholdIncrease, cmd::kThresholdDecrease, cmd::kThresholdSet})
        EXPECT_FALSE(Query(id).enabled) << id;
    doc.OnFileExport();
    ASSERT_EQ(host.exports.size(), 1u);
    EXPECT_EQ(host.exports[0].x, 3);
    EXPECT_EQ(host.exports[0].y, 4);
    doc.OnEditInvert();
    doc.OnEditReset();
    EXPECT_EQ(doc.GetPicture(), Picture(10, 2, {0x80, 0x00, 0xFF, 0xC0}));
}

}  // namespace
}  // namespace pictoma
