#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "CommPropertiesDlg.h"
#include "ProgressDlg.h"
#include "QtHost.h"

namespace vantrel {
namespace {

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

TEST(CommPropertiesDlgTest, ShowsThePresetAndReturnsTheChoice) {
    CommPropertiesDlg dialog(LinkSettings{3, 4, 1});
    EXPECT_EQ(dialog.windowTitle(), "Comm Properties (Vantrel 1.1)");
    auto* ports = dialog.findChild<QComboBox*>("port_list");
    auto* rates = dialog.findChild<QComboBox*>("rate_list");
    auto* infrared = dialog.findChild<QCheckBox*>("infrared_check");
    ASSERT_TRUE(ports && rates && infrared);
    EXPECT_EQ(Items(ports), QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"}));
    EXPECT_EQ(Items(rates), QStringList({"115200", "57600", "38400", "19200", "9600"}));
    EXPECT_FALSE(ports->isEditable());
    EXPECT_EQ(infrared->text(), " Via Serial IR Transceiver");
    EXPECT_EQ(ports->currentIndex(), 3);
    EXPECT_EQ(rates->currentIndex(), 4);
    EXPECT_TRUE(infrared->isChecked());

    dialog.show();
    QTest::mouseClick(infrared, Qt::LeftButton);
    EXPECT_FALSE(infrared->isChecked());
    EXPECT_EQ(dialog.Settings().infrared, 0);
    QTest::mouseClick(infrared, Qt::LeftButton);
    EXPECT_EQ(dialog.Settings().infrared, 1);  // two clicks leave the flag as it was

    ports->setCurrentIndex(1);
    rates->setCurrentIndex(2);
    const LinkSettings chosen = dialog.Settings();
    EXPECT_EQ(chosen.portIndex, 1);
    EXPECT_EQ(chosen.rateIndex, 2);

    // Tab order of the resource: port list, rate list, check box, OK, Cancel.
    QWidget* expected[] = {rates, infrared, dialog.findChild<QPushButton*>("ok_button"),
                           dialog.findChild<QPushButton*>("cancel_button"), ports};
    QWidget* w = ports;
    for (QWidget* next : expected) {
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        EXPECT_EQ(w, next);
    }
}

TEST(CommPropertiesDlgTest, OkConfirmsCancelAndEscapeDoNot) {
    auto press = [](const char* what) {
        QTimer::singleShot(0, [what] {
            auto* dialog = qobject_cast<CommPropertiesDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (std::string_view(what) == "escape") {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else if (std::string_view(what) == "enter") {
                dialog->findChild<QComboBox*>("rate_list")->setCurrentIndex(3);
                QTest::keyClick(dialog, Qt::Key_Return);
            } else {
                dialog->findChild<QPushButton*>(what)->click();
            }
        });
    };
    press("enter");
    const std::optional<LinkSettings> ok = CommPropertiesDlg::Ask(LinkSettings{});
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(ok->rateIndex, 3);
    press("cancel_button");
    EXPECT_FALSE(CommPropertiesDlg::Ask(LinkSettings{}).has_value());
    press("escape");
    EXPECT_FALSE(CommPropertiesDlg::Ask(LinkSettings{}).has_value());
}

TEST(ProgressDlgTest, BarSitsInTheLowerHalfWithFixedMargins) {
    ProgressDlg dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Progress (Vantrel 1.0)");
    const QProgressBar* bar = dialog.Bar();
    EXPECT_EQ(bar->geometry(), QRect(14, dialog.height() / 2, dialog.width() - 28, 20));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
    dialog.SetPosition(42);
    EXPECT_EQ(bar->value(), 42);
    EXPECT_FALSE(dialog.close());  // only the attempt closes it
    EXPECT_TRUE(dialog.isVisible());
}

TEST(FileDialogTest, LookupFilterMatchesTxtInAnyCaseAndAllFilesEverything) {
    const QStringList filters = LookupFileFilters();
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith("Lookup data files {*.TXT} ("));
    EXPECT_TRUE(filters[1].startsWith("All files {*.*} ("));
#ifndef _WIN32
    const QString patterns = filters[0].section('(', 1).chopped(1);
    for (const char* name : {"SHOP.TXT", "shop.txt", "Shop.Txt"}) {
        bool matched = false;
        for (const QString& p : patterns.split(' ')) {
            matched =
                matched || QRegularExpression(QRegularExpression::wildcardToRegularExpression(p))
                               .match(name)
                               .hasMatch();
        }
        EXPECT_TRUE(matched) << name;
    }
#endif
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    // No display needed unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
