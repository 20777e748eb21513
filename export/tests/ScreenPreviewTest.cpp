#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "ExportDlg.h"
#include "IconSource.h"
#include "ScreenPreview.h"

namespace pictoma {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct SilentSink : MessageSink {
    MsgAnswer Message(std::string_view, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};

// The worked example: 10 x 2, first row only its leftmost pixel black, second row all black.
const Picture kTenByTwo(10, 2, Bytes{0x80, 0x00, 0xFF, 0xC0});

struct Dialog {
    explicit Dialog(const Picture& p)
        : dlg(std::make_unique<CExportDlg>(ExportRequest{p, CentredPosition(p.width, p.height).x,
                                                         CentredPosition(p.width, p.height).y},
                                           sink)) {
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }
    template <class W>
    W* Child(const char* name) const {
        W* w = dlg->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    CScreenPreview* Screen() const { return Child<CScreenPreview>("screen"); }
    QLabel* Fit() const { return Child<QLabel>("fit"); }
    QImage Render() const {
        return Screen()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    SilentSink sink;
    std::unique_ptr<CExportDlg> dlg;
};

// What the preview must show of `p` drawn at (x, y), worked out from the picture itself, pixel
// by pixel: each screen pixel is a kScale x kScale square; the screen lies inside a kMargin band.
void ExpectShows(const QImage& image, const Picture& p, int x, int y) {
    ASSERT_EQ(image.size(), CScreenPreview::FixedSize());
    int wrong = 0;
    for (int wy = 0; wy < image.height(); ++wy) {
        for (int wx = 0; wx < image.width(); ++wx) {
            const int sx = wx / CScreenPreview::kScale - CScreenPreview::kMargin;
            const int sy = wy / CScreenPreview::kScale - CScreenPreview::kMargin;
            const bool onScreen = sx >= 0 && sy >= 0 && sx < SCREEN_WIDTH && sy < SCREEN_HEIGHT;
            const int px = sx - x, py = sy - y;
            const bool inPicture = px >= 0 && py >= 0 && px < p.width && py < p.height;
            const bool black = p.Black(px, py);
            const ScreenCell cell = onScreen     ? (black ? ScreenCell::Ink : ScreenCell::Paper)
                                    : !inPicture ? ScreenCell::Beyond
                                    : black      ? ScreenCell::BeyondInk
                                                 : ScreenCell::BeyondPaper;
            if (image.pixel(wx, wy) != CScreenPreview::ColourOf(cell).rgb() && ++wrong <= 5)
                ADD_FAILURE() << "widget pixel " << wx << "," << wy << " (screen " << sx << ","
                              << sy << ")";
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(ExportScreenPreview, WhereThePictureFits) {
    Dialog d(kTenByTwo);
    ExpectShows(d.Render(), kTenByTwo, 59, 31);
    EXPECT_TRUE(d.Fit()->isHidden());

    // It follows the form and both fields, as the text does.
    d.Child<QComboBox>("format")->setCurrentIndex(1);
    d.Child<QLineEdit>("x")->setText(QStringLiteral("0"));
    d.Child<QLineEdit>("y")->setText(QStringLiteral("62"));
    ExpectShows(d.Render(), kTenByTwo, 0, 62);
    EXPECT_TRUE(d.Fit()->isHidden());
}

TEST(ExportScreenPreview, WhereItDoesNotFit) {
    Dialog d(kTenByTwo);
    d.Child<QLineEdit>("x")->setText(QStringLiteral("122"));
    d.Child<QLineEdit>("y")->setText(QStringLiteral("63"));
    const QImage image = d.Render();
    ExpectShows(image, kTenByTwo, 122, 63);
    // The row below the screen's edge, and the columns right of it, in the other colours.
    const QPoint below = CScreenPreview::WidgetPoint(122, 64);
    EXPECT_EQ(image.pixel(below), CScreenPreview::ColourOf(ScreenCell::BeyondInk).rgb());
    const QPoint right = CScreenPreview::WidgetPoint(129, 63);
    EXPECT_EQ(image.pixel(right), CScreenPreview::ColourOf(ScreenCell::BeyondPaper).rgb());
    EXPECT_FALSE(d.Fit()->isHidden());
    EXPECT_EQ(d.Fit()->text(), kDoesNotFit);

    // An x out of range is taken into the text all the same, and the screen follows it.
    d.Child<QLineEdit>("x")->setText(QStringLiteral("200"));
    ExpectShows(d.Render(), kTenByTwo, 200, 63);
    EXPECT_EQ(d.Fit()->text(), kDoesNotFit);

    d.Child<QLineEdit>("x")->setText(QStringLiteral("3"));
    d.Child<QLineEdit>("y")->setText(QStringLiteral("4"));
    EXPECT_TRUE(d.Fit()->isHidden());
}

TEST(ExportScreenPreview, RightOfTheControlsWhichKeepTheirPlaces) {
    Dialog d(Picture(128, 64));
    const QRect screen = d.Screen()->geometry();
    EXPECT_EQ(screen.size(), CScreenPreview::FixedSize());
    for (const char* name : {"copy", "x", "y", "exit", "format", "output", "save"}) {
        const QWidget* w = d.Child<QWidget>(name);
        EXPECT_LT(w->geometry().right(), screen.left()) << name;
    }
    EXPECT_GT(d.Fit()->geometry().top(), screen.bottom());
    EXPECT_TRUE(d.dlg->rect().contains(d.Fit()->geometry()));
    EXPECT_TRUE(d.dlg->rect().contains(screen));
    ExpectShows(d.Render(), Picture(128, 64), 0, 0);
}

}  // namespace
}  // namespace pictoma
