#include <gtest/gtest.h>

#include <QTest>

#include "BmpSizeDlg.h"
#include "DialogTesting.h"
#include "DocFakes.h"

namespace pictoma {
namespace {

const std::string kHeightRange = "“请填入一个在1和64之间的整数。”";
const std::string kWidthRange = "“请填入一个在8和128之间的整数。”";

struct Shown {
    test::FakeHost messages;
    CBmpSizeDlg dlg{nullptr, &messages};
    Shown(int width, int height) {
        dlg.m_nWidth = width;
        dlg.m_nHeight = height;
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    }
};

TEST(BmpSizeDlg, OpensWithThePresetsAndTheWidthFocused) {
    Shown s(64, 64);
    EXPECT_EQ(s.dlg.windowTitle(), "Bmp Size");
    EXPECT_EQ(s.dlg.WidthEdit()->text(), "64");
    EXPECT_EQ(s.dlg.HeightEdit()->text(), "64");
    EXPECT_EQ(s.dlg.focusWidget(), s.dlg.WidthEdit());
    EXPECT_EQ(s.dlg.m_spinWidth->Lowest(), 8);
    EXPECT_EQ(s.dlg.m_spinWidth->Highest(), 128);
    EXPECT_EQ(s.dlg.m_spinHeight->Lowest(), 1);
    EXPECT_EQ(s.dlg.m_spinHeight->Highest(), 64);
    QWidget* expected[] = {s.dlg.HeightEdit(), s.dlg.OkButton(), s.dlg.CancelButton()};
    for (QWidget* w : expected) {
        QTest::keyClick(s.dlg.focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(s.dlg.focusWidget(), w);
    }
}

TEST(BmpSizeDlg, ValidatesHeightBeforeWidth) {
    struct Case {
        const char *width, *height;
        std::string prompt;  // empty: accepted
        bool heightFocused;
    } cases[] = {
        {"8", "1", "", false},
        {"128", "64", "", false},
        {"7", "1", kWidthRange, false},
        {"129", "10", kWidthRange, false},
        {"8", "0", kHeightRange, true},
        {"8", "65", kHeightRange, true},
        {"7", "0", kHeightRange, true},  // both wrong: the height's message comes first
        {"abc", "5", kPromptInteger, false},
        {"20", "", kPromptInteger, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.width) + " x " + c.height);
        Shown s(16, 16);
        test::TypeInto(s.dlg.WidthEdit(), c.width);
        test::TypeInto(s.dlg.HeightEdit(), c.height);
        QTest::mouseClick(s.dlg.OkButton(), Qt::LeftButton);
        if (c.prompt.empty()) {
            EXPECT_EQ(s.dlg.result(), QDialog::Accepted);
            EXPECT_TRUE(s.messages.messages.empty());
            EXPECT_EQ(s.dlg.m_nWidth, std::atoi(c.width));
            EXPECT_EQ(s.dlg.m_nHeight, std::atoi(c.height));
            continue;
        }
        ASSERT_EQ(s.messages.messages.size(), 1u);
        EXPECT_EQ(s.messages.messages[0].text, c.prompt);
        EXPECT_TRUE(s.dlg.isVisible());
        QLineEdit* failing = c.heightFocused ? s.dlg.HeightEdit() : s.dlg.WidthEdit();
        EXPECT_EQ(s.dlg.focusWidget(), failing);
        EXPECT_EQ(failing->selectedText(), failing->text());
        EXPECT_EQ(s.dlg.m_nWidth, 16);
        EXPECT_EQ(s.dlg.m_nHeight, 16);
    }
}

TEST(BmpSizeDlg, PresetOutsideTheLimitsIsShownUnchanged) {
    Shown s(640, 480);
    EXPECT_EQ(s.dlg.WidthEdit()->text(), "640");
    EXPECT_EQ(s.dlg.HeightEdit()->text(), "480");
    QTest::mouseClick(s.dlg.OkButton(), Qt::LeftButton);
    ASSERT_EQ(s.messages.messages.size(), 1u);
    EXPECT_EQ(s.messages.messages[0].text, kHeightRange);
    EXPECT_TRUE(s.dlg.isVisible());
}

TEST(BmpSizeDlg, ArrowsStopAtTheLimits) {
    Shown s(127, 2);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(s.dlg.m_spinWidth->UpButton(), Qt::LeftButton);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(s.dlg.m_spinHeight->DownButton(), Qt::LeftButton);
    EXPECT_EQ(s.dlg.WidthEdit()->text(), "128");
    EXPECT_EQ(s.dlg.HeightEdit()->text(), "1");
    s.dlg.WidthEdit()->setText("9");
    QTest::keyClick(s.dlg.WidthEdit(), Qt::Key_Down);
    QTest::keyClick(s.dlg.WidthEdit(), Qt::Key_Down);
    EXPECT_EQ(s.dlg.WidthEdit()->text(), "8");
    s.dlg.HeightEdit()->setText("63");
    QTest::keyClick(s.dlg.HeightEdit(), Qt::Key_Up);
    QTest::keyClick(s.dlg.HeightEdit(), Qt::Key_Up);
    EXPECT_EQ(s.dlg.HeightEdit()->text(), "64");
}

TEST(BmpSizeDlg, ShownAgainItStartsFromItsFields) {
    Shown s(64, 64);
    test::TypeInto(s.dlg.WidthEdit(), "100");
    QTest::mouseClick(s.dlg.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(s.dlg.result(), QDialog::Rejected);
    EXPECT_EQ(s.dlg.m_nWidth, 64);

    s.dlg.m_nWidth = 32;
    s.dlg.m_nHeight = 16;
    s.dlg.show();
    EXPECT_EQ(s.dlg.WidthEdit()->text(), "32");
    EXPECT_EQ(s.dlg.HeightEdit()->text(), "16");
    EXPECT_EQ(s.dlg.focusWidget(), s.dlg.WidthEdit());
}

}  // namespace
}  // namespace pictoma
