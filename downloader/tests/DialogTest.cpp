#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "CommPropertiesDlg.h"
#include "Fakes.h"
#include "PortDevice.h"
#include "ProgressDlg.h"
#include "Protocol.h"
#include "PtyTerminal.h"
#include "QtHost.h"
#include "QtSerialPort.h"
#include "SteadyClock.h"

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
    // COM1..COM6 with their devices come first; the machine's serial devices follow.
    const QStringList items = Items(ports);
    ASSERT_GE(items.size(), 6);
    for (int i = 0; i < 6; ++i) {
        const std::string name = "COM" + std::to_string(i + 1);
        EXPECT_EQ(items[i].toStdString(), name + " — " + DeviceForPort(name));
    }
    EXPECT_EQ(Items(rates), QStringList({"115200", "57600", "38400", "19200", "9600"}));
    EXPECT_TRUE(ports->isEditable());  // any device path can be typed
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

TEST(CommPropertiesDlgTest, PortFieldTakesAListedDeviceATypedOneOrAComName) {
    const std::vector<PortChoice> choices = ListPortChoices(
        {{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_A1-if00-port0", "FT232R USB UART", "FTDI"}});
    CommPropertiesDlg dialog(LinkSettings{}, choices);
    dialog.show();
    auto* ports = dialog.findChild<QComboBox*>("port_list");
    ASSERT_EQ(ports->count(), 7);
    EXPECT_EQ(ports->itemText(6).toStdString(),
              "/dev/ttyUSB0 — FT232R USB UART (FTDI) — /dev/serial/by-id/usb-FTDI_A1-if00-port0");
    EXPECT_EQ(ports->currentIndex(), 0);

    ports->setCurrentIndex(6);
    EXPECT_EQ(dialog.Settings().device, "/dev/ttyUSB0");

    ports->setFocus();
    ports->lineEdit()->clear();
    QTest::keyClicks(ports, "/dev/ttyACM3");
    EXPECT_EQ(dialog.Settings().device, "/dev/ttyACM3");
    EXPECT_EQ(ports->count(), 7);  // typing adds nothing to the list

    ports->lineEdit()->clear();
    QTest::keyClicks(ports, "COM4");
    EXPECT_EQ(dialog.Settings().portIndex, 3);
    EXPECT_EQ(dialog.Settings().device, "");

    // A device given beforehand: selected when listed, shown as typed when not.
    CommPropertiesDlg listed(LinkSettings{0, 0, 0, "/dev/ttyUSB0"}, choices);
    EXPECT_EQ(listed.findChild<QComboBox*>("port_list")->currentIndex(), 6);
    CommPropertiesDlg typed(LinkSettings{0, 2, 0, "/dev/pts/9"}, choices);
    EXPECT_EQ(typed.findChild<QComboBox*>("port_list")->currentText(), "/dev/pts/9");
    EXPECT_EQ(typed.Settings().device, "/dev/pts/9");
    EXPECT_EQ(typed.Settings().rateIndex, 2);
}

TEST(CommPropertiesDlgTest, PortAndRateChosenLastArePresetNextTime) {
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "vantrel", "vantrel").clear();
    const std::vector<PortChoice> choices = ListPortChoices({{"/dev/ttyUSB0", "", "", ""}});
    EXPECT_EQ(RememberedLink(LinkSettings{}, choices).portIndex, 0);

    RememberLink(LinkSettings{0, 4, 1, "/dev/ttyUSB0"});
    LinkSettings next = RememberedLink(LinkSettings{}, choices);
    EXPECT_EQ(next.device, "/dev/ttyUSB0");
    EXPECT_EQ(next.rateIndex, 4);
    EXPECT_EQ(next.infrared, 0);  // the transceiver is chosen every time

    RememberLink(LinkSettings{2, 1, 0});
    next = RememberedLink(LinkSettings{}, choices);
    EXPECT_EQ(next.portIndex, 2);
    EXPECT_EQ(next.device, "");
    // A device given on the command line wins over the one remembered.
    EXPECT_EQ(RememberedLink(LinkSettings{0, 0, 0, "/dev/pts/4"}, choices).device, "/dev/pts/4");
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "vantrel", "vantrel").clear();
}

TEST(ProgressDlgTest, CancelEscapeAndCloseBoxAskOnceAndLeaveTheWindowToTheAttempt) {
    for (const char* how : {"button", "escape", "close"}) {
        SCOPED_TRACE(how);
        ProgressDlg dialog;
        dialog.show();
        int requests = 0;
        QObject::connect(&dialog, &ProgressDlg::cancelRequested, [&] { ++requests; });
        dialog.SetStatus("Line 3 of 10");
        auto* status = dialog.findChild<QLabel*>("status_line");
        EXPECT_EQ(status->text(), "Line 3 of 10");
        auto* cancel = dialog.findChild<QPushButton*>("cancel_button");
        if (std::string_view(how) == "button") {
            QTest::mouseClick(cancel, Qt::LeftButton);
        } else if (std::string_view(how) == "escape") {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            EXPECT_FALSE(dialog.close());
        }
        EXPECT_EQ(requests, 1);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(cancel->isEnabled());
        EXPECT_TRUE(status->text().startsWith("Cancelling"));
        dialog.SetStatus("Line 4 of 10");  // the stopping attempt does not overwrite it
        EXPECT_TRUE(status->text().startsWith("Cancelling"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(requests, 1);
        // The bar and the status line lie in the lower half, one under the other.
        EXPECT_GE(status->geometry().top(), dialog.Bar()->geometry().bottom());
        EXPECT_LE(status->geometry().bottom(), dialog.height());
    }
}

// The window during a real wait for the terminal: it shows at once with the status, and a
// click on Cancel while the handshake goes unanswered ends the attempt after that handshake.
TEST(ProgressDlgTest, CancelIsTakenWhileTheTerminalIsWaitedFor) {
    fake::PtyTerminal terminal;
    terminal.Start([](int, const std::string&, bool) { return std::string(); });
    auto port = QtSerialPort::Open(QString::fromStdString(terminal.Device()));
    ASSERT_NE(port, nullptr);
    QtHost host;
    QString seen;
    QTimer::singleShot(300, [&] {
        ASSERT_NE(host.Progress(), nullptr);
        seen = host.Progress()->findChild<QLabel*>("status_line")->text();
        QTest::mouseClick(host.Progress()->findChild<QPushButton*>("cancel_button"),
                          Qt::LeftButton);
    });
    fake::MemoryFile file("AB\r");
    SteadyClock clock;
    fake::FakeUser user;
    struct HostMonitor final : Monitor {
        QtHost& host;
        explicit HostMonitor(QtHost& h) : host(h) {}
        void Status(std::string_view text) override { host.Status(text); }
        bool CancelRequested() override { return host.CancelRequested(); }
    } monitor(host);
    const AttemptResult result = DownloadAttempt(*port, file, host, clock, user, monitor);
    terminal.Stop();
    EXPECT_EQ(result.outcome, AttemptOutcome::Cancelled);
    EXPECT_EQ(seen.toStdString(),
              "Waiting for the terminal on " + terminal.Device() + " (try 1 of 3)...");
    EXPECT_EQ(terminal.Frames().size(), 1u);  // no second handshake
    EXPECT_EQ(host.Progress(), nullptr);      // the window went with the attempt
    EXPECT_TRUE(user.shown.empty());
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
