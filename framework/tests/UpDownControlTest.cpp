#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include "UpDownControl.h"

namespace pictoma {
namespace {

struct Pair {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    UpDownControl* spin = new UpDownControl(&window);
    Pair(int lo, int hi, const char* text) {
        spin->SetBuddy(edit);
        spin->SetRange(lo, hi);
        edit->setText(QString::fromUtf8(text));
    }
};

TEST(UpDownControl, ArrowsStepByOneAndStopAtTheLimits) {
    Pair p(100, 180, "179");
    QTest::mouseClick(p.spin->UpButton(), Qt::LeftButton);
    EXPECT_EQ(p.edit->text(), "180");
    QTest::mouseClick(p.spin->UpButton(), Qt::LeftButton);
    EXPECT_EQ(p.edit->text(), "180");

    p.edit->setText("101");
    QTest::mouseClick(p.spin->DownButton(), Qt::LeftButton);
    QTest::mouseClick(p.spin->DownButton(), Qt::LeftButton);
    EXPECT_EQ(p.edit->text(), "100");
}

TEST(UpDownControl, ArrowKeysInTheBuddyStepIt) {
    Pair p(1, 64, "63");
    QTest::keyClick(p.edit, Qt::Key_Up);
    QTest::keyClick(p.edit, Qt::Key_Up);
    EXPECT_EQ(p.edit->text(), "64");
    QTest::keyClick(p.edit, Qt::Key_Down);
    EXPECT_EQ(p.edit->text(), "63");
}

TEST(UpDownControl, OutOfRangeOrJunkText) {
    Pair p(8, 128, "640");
    p.spin->StepBy(-1);  // a preset beyond the range is pulled into it by the first step
    EXPECT_EQ(p.edit->text(), "128");
    p.edit->setText("abc");  // no number: step from the last position
    p.spin->StepBy(-1);
    EXPECT_EQ(p.edit->text(), "127");
}

}  // namespace
}  // namespace pictoma
