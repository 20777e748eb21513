#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "DialogTesting.h"
#include "DocFakes.h"
#include "ThresholdDlg.h"

namespace pictoma {
namespace {

struct Shown {
    test::FakeHost messages;
    CThresholdDlg dlg{nullptr, &messages};
    explicit Shown(int preset) {
        dlg.m_nThreshold = preset;
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    }
};

TEST(ThresholdDlg, OpensWithThePresetValueFocused) {
    Shown s(130);
    CThresholdDlg& dlg = s.dlg;
    EXPECT_EQ(dlg.windowTitle(), "Threshold");
    EXPECT_EQ(dlg.ValueEdit()->text(), "130");
    EXPECT_TRUE(dlg.InputRadio()->isChecked());
    EXPECT_FALSE(dlg.DefaultRadio()->isChecked());
    EXPECT_TRUE(dlg.ValueEdit()->isEnabled());
    EXPECT_EQ(dlg.focusWidget(), dlg.ValueEdit());
    EXPECT_EQ(dlg.Spin()->Lowest(), 100);
    EXPECT_EQ(dlg.Spin()->Highest(), 180);
    EXPECT_EQ(dlg.InputRadio()->text(), "input threshold value");
    EXPECT_EQ(dlg.DefaultRadio()->text(), "use default threshold");
    EXPECT_TRUE(dlg.OkButton()->isDefault());

    // Tab order: value box, OK, Cancel, then the radio buttons.
    QWidget* expected[] = {dlg.OkButton(), dlg.CancelButton(), dlg.InputRadio()};
    for (QWidget* w : expected) {
        QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(dlg.focusWidget(), w);
    }
}

TEST(ThresholdDlg, RefusedValuesKeepTheDialogOpen) {
    const std::string range = "“请填入一个在100和180之间的整数。”";
    struct Case {
        const char* typed;
        std::string prompt;
    } cases[] = {{"99", range}, {"181", range}, {"abc", kPromptInteger}, {"", kPromptInteger}};
    for (const Case& c : cases) {
        Shown s(125);
        test::TypeInto(s.dlg.ValueEdit(), c.typed);
        QTest::mouseClick(s.dlg.OkButton(), Qt::LeftButton);
        ASSERT_EQ(s.messages.messages.size(), 1u) << c.typed;
        EXPECT_EQ(s.messages.messages[0].text, c.prompt);
        EXPECT_TRUE(s.dlg.isVisible()) << c.typed;
        EXPECT_EQ(s.dlg.focusWidget(), s.dlg.ValueEdit());
        EXPECT_EQ(s.dlg.ValueEdit()->selectedText(), s.dlg.ValueEdit()->text());
        EXPECT_EQ(s.dlg.m_nThreshold, 125);

        QTest::mouseClick(s.dlg.CancelButton(), Qt::LeftButton);  // Cancel then changes nothing
        EXPECT_EQ(s.dlg.result(), QDialog::Rejected);
        EXPECT_EQ(s.dlg.m_nThreshold, 125);
    }
}

TEST(ThresholdDlg, AcceptsTheLimitsWithEnter) {
    for (const char* typed : {"100", "180"}) {
        Shown s(125);
        test::TypeInto(s.dlg.ValueEdit(), typed);
        QTest::keyClick(s.dlg.ValueEdit(), Qt::Key_Return);
        EXPECT_EQ(s.dlg.result(), QDialog::Accepted);
        EXPECT_EQ(s.dlg.m_nThreshold, std::atoi(typed));
        EXPECT_FALSE(s.dlg.m_bUseDefault);
        EXPECT_TRUE(s.messages.messages.empty());
    }
}

TEST(ThresholdDlg, DefaultChoiceStillValidatesTheBox) {
    Shown s(130);
    QTest::mouseClick(s.dlg.DefaultRadio(), Qt::LeftButton);
    EXPECT_TRUE(s.dlg.m_bUseDefault);
    EXPECT_FALSE(s.dlg.ValueEdit()->isEnabled());

    s.dlg.ValueEdit()->setText("abc");  // left there before the box was disabled
    QTest::mouseClick(s.dlg.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(s.dlg.isVisible());
    ASSERT_EQ(s.messages.messages.size(), 1u);
    EXPECT_EQ(s.messages.messages[0].text, kPromptInteger);

    s.dlg.ValueEdit()->setText("130");
    QTest::mouseClick(s.dlg.OkButton(), Qt::LeftButton);
    EXPECT_EQ(s.dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(s.dlg.m_bUseDefault);
}

TEST(ThresholdDlg, InputChoiceAgainEnablesTheBox) {
    Shown s(130);
    QTest::mouseClick(s.dlg.DefaultRadio(), Qt::LeftButton);
    QTest::mouseClick(s.dlg.InputRadio(), Qt::LeftButton);
    EXPECT_FALSE(s.dlg.m_bUseDefault);
    EXPECT_TRUE(s.dlg.ValueEdit()->isEnabled());
    EXPECT_FALSE(s.dlg.DefaultRadio()->isChecked());
}

TEST(ThresholdDlg, ArrowsStopAtTheLimits) {
    Shown s(179);
    QTest::mouseClick(s.dlg.Spin()->UpButton(), Qt::LeftButton);
    QTest::mouseClick(s.dlg.Spin()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(s.dlg.ValueEdit()->text(), "180");
    s.dlg.ValueEdit()->setText("101");
    QTest::keyClick(s.dlg.ValueEdit(), Qt::Key_Down);
    QTest::keyClick(s.dlg.ValueEdit(), Qt::Key_Down);
    EXPECT_EQ(s.dlg.ValueEdit()->text(), "100");
}

TEST(ThresholdDlg, EscapeCancels) {
    Shown s(150);
    test::TypeInto(s.dlg.ValueEdit(), "160");
    QTest::keyClick(&s.dlg, Qt::Key_Escape);
    EXPECT_EQ(s.dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(s.dlg.isVisible());
    EXPECT_EQ(s.dlg.m_nThreshold, 150);
}

}  // namespace
}  // namespace pictoma
