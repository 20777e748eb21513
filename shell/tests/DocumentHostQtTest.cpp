#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "BmpSizeDlg.h"
#include "DocumentHostQt.h"
#include "PictomaDoc.h"
#include "SourceText.h"
#include "ThresholdDlg.h"

namespace pictoma {
namespace {

// Arranges for the next modal dialog of type T to be handled by `act`.
template <class T>
void OnNextDialog(std::function<void(T&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        act(*dlg);
    });
}

TEST(DocumentHostQt, SizeDialogIsPresetAndAnswers) {
    DocumentHostQt host;
    OnNextDialog<CBmpSizeDlg>([](CBmpSizeDlg& dlg) {
        EXPECT_EQ(dlg.WidthEdit()->text(), "64");
        EXPECT_EQ(dlg.HeightEdit()->text(), "64");
        dlg.WidthEdit()->setText("13");
        dlg.HeightEdit()->setText("5");
        dlg.OkButton()->click();
    });
    EXPECT_EQ(host.AskSize({64, 64}), (Size{13, 5}));
    OnNextDialog<CBmpSizeDlg>([](CBmpSizeDlg& dlg) { dlg.CancelButton()->click(); });
    EXPECT_EQ(host.AskSize({64, 64}), std::nullopt);
}

TEST(DocumentHostQt, ThresholdDialogIsPresetAndAnswers) {
    DocumentHostQt host;
    OnNextDialog<CThresholdDlg>([](CThresholdDlg& dlg) {
        EXPECT_EQ(dlg.ValueEdit()->text(), "130");
        dlg.DefaultRadio()->click();
        dlg.OkButton()->click();
    });
    const std::optional<ThresholdChoice> choice = host.AskThreshold(130);
    ASSERT_TRUE(choice);
    EXPECT_TRUE(choice->useDefault);
    EXPECT_EQ(choice->threshold, 130);
}

TEST(DocumentHostQt, SaveDialogReportsTheChosenEntry) {
    QTemporaryDir dir;
    DocumentHostQt host;
    SaveDialogSettings settings;
    settings.defaultExtension = "txt";
    settings.filters = {{kSaveFilterC, kSaveFilterPattern}, {kSaveFilterBasic, kSaveFilterPattern}};
    const QString name = dir.filePath(QStringLiteral("picture"));

    for (int entry : {1, 2}) {
        OnNextDialog<QFileDialog>([&](QFileDialog& dlg) {
            EXPECT_EQ(dlg.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dlg.selectedNameFilter(), QString::fromUtf8(kSaveFilterC));
            EXPECT_EQ(dlg.nameFilters(), (QStringList{QString::fromUtf8(kSaveFilterC),
                                                      QString::fromUtf8(kSaveFilterBasic)}));
            dlg.selectNameFilter(dlg.nameFilters()[entry - 1]);
            dlg.selectFile(name);
            static_cast<QDialog&>(dlg).accept();  // QFileDialog hides accept()
        });
        const std::optional<SaveChoice> choice = host.AskSaveFile(settings);
        ASSERT_TRUE(choice);
        EXPECT_EQ(choice->filterIndex, entry);
        EXPECT_EQ(QString::fromStdString(choice->path), name + QStringLiteral(".txt"));
    }
}

TEST(DocumentHostQt, CopyPutsTheImageAtRealSizeAndTheText) {
    DocumentHostQt host;
    Picture p(10, 2, {0x80, 0x00, 0xFF, 0xC0});
    host.CopyToClipboard(p, MakeSaveTextC(p));
    const QImage image = QGuiApplication::clipboard()->image();
    ASSERT_EQ(image.size(), QSize(10, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(qGray(image.pixel(x, y)) < 128, p.Black(x, y)) << x << "," << y;
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "str[]={0x01,0x00,\r\n0xFF,0x03}");
}

}  // namespace
}  // namespace pictoma
