#include <gtest/gtest.h>

#include <random>

#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>

#include "BmpPreview.h"
#include "PictomaView.h"
#include "ViewTesting.h"

namespace pictoma {
namespace {

using test::At;
using test::Black;
using test::White;

struct Preview {
    test::QuietHost host;
    CPictomaDoc doc{host};
    CBmpPreview view{doc};
    // A document that was never given a picture (before the program's first New) for 0 x 0.
    Preview(int width, int height, const std::vector<std::pair<int, int>>& black = {}) {
        view.resize(300, 200);
        if (width > 0)
            test::SetPicture(doc, width, height, black);
        else
            doc.SendInitialUpdate();
    }
    QWidget* Pane() { return view.viewport(); }
    void Select(QPoint from, QPoint to) {
        test::Press(Pane(), from);
        test::Drag(Pane(), to);
        test::Release(Pane(), to);
    }
    bool CropOffered() {
        CommandTarget* route[] = {&view};
        return QueryCommand(cmd::kEditCrop, route).enabled;
    }
    Picture Pic() const { return doc.GetPicture(); }
};

// The units of `image` in the given colour.
QRegion PixelsOf(const QImage& image, QRgb colour) {
    QRegion r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (At(image, x, y) == colour) r += QRect(x, y, 1, 1);
    return r;
}

TEST(BmpPreview, DrawsThePictureAtRealSizeInsideADashedFrame) {
    Preview p(16, 4, {{0, 0}, {15, 3}, {3, 1}});
    const QImage img = test::Render(p.view, 40, 20);

    EXPECT_EQ(PixelsOf(img, Black()),
              QRegion(6, 6, 1, 1) + QRegion(21, 9, 1, 1) + QRegion(9, 7, 1, 1));
    // The frame runs along x = 3 and 22, y = 3 and 9; it is dashed, so it has gaps.
    const QRegion red = PixelsOf(img, test::Red());
    const QRegion outline = QRegion(3, 3, 20, 8) - QRegion(4, 4, 18, 6);
    EXPECT_TRUE((red - outline).isEmpty());
    EXPECT_FALSE(red.isEmpty());
    EXPECT_NE(red, outline);
    EXPECT_TRUE(red.contains(QPoint(3, 3)));
}

TEST(BmpPreview, DrawsAnyPartOfAWidePictureExactly) {
    // Wide enough that the picture is drawn in several strips, with a partial last byte.
    const int w = 2001, h = 45;
    std::mt19937 rng(5);
    std::vector<std::pair<int, int>> black;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (rng() % 3 == 0) black.emplace_back(x, y);
    Preview p(w, h, black);
    const Picture pic = p.Pic();
    const auto expected = [&](int vx, int vy) {
        return pic.Black(vx - 6, vy - 6) ? Black() : White();
    };
    const auto inPicture = [&](int vx, int vy) {
        return vx >= 6 && vx < w + 6 && vy >= 6 && vy < h + 6;
    };

    const QRgb gray = QColor(Qt::gray).rgb();
    for (QRect area : {QRect(), QRect(13, 7, 1500, 34), QRect(1999, 40, 100, 100)}) {
        SCOPED_TRACE(area.x());
        QImage img(w + 20, h + 20, QImage::Format_RGB32);
        img.fill(Qt::gray);
        QPainter dc(&img);
        p.view.OnDraw(dc, area);
        dc.end();
        const QRect drawn = area.isEmpty() ? QRect(6, 6, w, h) : area & QRect(6, 6, w, h);
        int wrong = 0;
        for (int y = 6; y < h + 6; ++y)
            for (int x = 6; x < w + 6; ++x) {
                // Outside the area the pixels are left as they were.
                const QRgb want = drawn.contains(x, y) ? expected(x, y) : gray;
                wrong += At(img, x, y) != want;
            }
        EXPECT_EQ(wrong, 0);
    }

    // Through the paint routine at a scroll position.
    p.view.resize(200, 60);
    p.view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.view));
    p.view.horizontalScrollBar()->setValue(1000);
    p.view.verticalScrollBar()->setValue(3);
    const QPoint at(p.view.horizontalScrollBar()->value(), p.view.verticalScrollBar()->value());
    ASSERT_EQ(at, QPoint(1000, 3));
    const QImage shown = p.Pane()->grab().toImage();
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (inPicture(x + at.x(), y + at.y()))
                wrong += At(shown, x, y) != expected(x + at.x(), y + at.y());
    EXPECT_EQ(wrong, 0);
}

TEST(BmpPreview, DrawsNothingForAPictureWithoutBytes) {
    Preview p(0, 0);
    EXPECT_TRUE(test::AllWhite(test::Render(p.view, 40, 20)));
    EXPECT_EQ(p.view.Extent(), QSize(0, 0));
}

TEST(BmpPreview, SelectionIsClampedToThePictureAndSizedInTheStatusPane) {
    Preview p(128, 64);
    EXPECT_EQ(test::PaneText(p.view), "Select: Width=0,Height=0");

    p.Select({5, 5}, {13, 15});
    EXPECT_EQ(test::PaneText(p.view), "Select: Width=8,Height=10");

    // A drag past the pane's edge stays on the picture's edge.
    test::Press(p.Pane(), {20, 30});
    test::Drag(p.Pane(), {400, -40});
    EXPECT_EQ(p.view.SelectionEnd(), (ViewPoint{133, 5}));
    test::Drag(p.Pane(), {-10, 250});
    test::Release(p.Pane(), {-10, 250});
    EXPECT_EQ(p.view.SelectionStart(), (ViewPoint{20, 30}));
    EXPECT_EQ(p.view.SelectionEnd(), (ViewPoint{5, 69}));
    EXPECT_EQ(test::PaneText(p.view), "Select: Width=15,Height=39");

    // A press off the picture's area keeps the selection; so do moves without a press.
    for (QPoint off : {QPoint(4, 20), QPoint(20, 4), QPoint(134, 20), QPoint(20, 70)}) {
        test::Press(p.Pane(), off);
        test::Release(p.Pane(), off);
    }
    test::Hover(p.Pane(), {60, 60});
    EXPECT_EQ(p.view.SelectionStart(), (ViewPoint{20, 30}));
    EXPECT_EQ(p.view.SelectionEnd(), (ViewPoint{5, 69}));

    // The cross-hair shows while dragging only.
    test::Press(p.Pane(), {10, 10});
    test::Drag(p.Pane(), {20, 20});
    EXPECT_EQ(p.Pane()->cursor().shape(), Qt::CrossCursor);
    test::Release(p.Pane(), {20, 20});
    EXPECT_FALSE(p.Pane()->testAttribute(Qt::WA_SetCursor));
}

TEST(BmpPreview, CropIsOfferedForSelectionsAtLeastEightUnitsWide) {
    struct Case {
        QPoint from, to;
        bool offered;
    } cases[] = {
        {{5, 5}, {12, 5}, false},   {{5, 5}, {13, 5}, true},   {{13, 5}, {5, 40}, true},
        {{20, 5}, {20, 69}, false}, {{30, 9}, {23, 9}, false},
    };
    Preview p(128, 64);
    EXPECT_FALSE(p.CropOffered());
    for (const Case& c : cases) {
        p.Select(c.from, c.to);
        EXPECT_EQ(p.CropOffered(), c.offered) << c.from.x() << " -> " << c.to.x();
    }
}

TEST(BmpPreview, CropCutsWholeBytesAndRowsUnderTheSelection) {
    // Black pixels on the cut's edges and just outside them.
    const std::vector<std::pair<int, int>> marks = {{0, 0}, {15, 0}, {16, 0}, {9, 10}, {0, 11}};
    struct Case {
        QPoint from, to;
        int width, height;
    } cases[] = {
        {{5, 5}, {13, 15}, 16, 11},
        {{13, 15}, {5, 5}, 16, 11},
        {{5, 5}, {400, 300}, 128, 64},  // clamped to (133, 69): the whole picture
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from.x()) + "," + std::to_string(c.from.y()) + " -> " +
                     std::to_string(c.to.x()) + "," + std::to_string(c.to.y()));
        Preview p(128, 64, marks);
        CPictomaView canvas(p.doc);
        const Picture before = p.Pic();
        p.Select(c.from, c.to);
        CommandRouter router;
        router.SetActiveView(&p.view);
        EXPECT_TRUE(router.Dispatch(cmd::kEditCrop));

        EXPECT_EQ(p.doc.GetPicture().width, c.width);
        EXPECT_EQ(p.doc.GetPicture().height, c.height);
        EXPECT_TRUE(p.doc.m_bEdited);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(p.Pic().Black(x, y), before.Black(x, y)) << x << "," << y;
        // Both views took the new picture; the selection is gone.
        EXPECT_EQ(p.view.Extent(), QSize(c.width + 7, c.height + 7));
        EXPECT_EQ(At(test::Render(canvas, 700, 400), 5 * c.width + 7, 20), test::Red());
        EXPECT_EQ(test::PaneText(p.view), "Select: Width=0,Height=0");
        EXPECT_FALSE(router.Query(cmd::kEditCrop).enabled);
    }
}

TEST(BmpPreview, CropKeepsPixelsBeyondTheOldWidthInTheLastByte) {
    Preview p(100, 20);
    Picture garbage(100, 20);
    for (int row = 0; row < 20; ++row)
        garbage.bytes[std::size_t(row) * 13 + 12] = std::uint8_t(row % 2 ? 0x01 : 0x08);
    test::SetPicture(p.doc, garbage);
    p.Select({5, 5}, {105, 25});
    p.view.OnEditCrop();
    ASSERT_EQ(p.doc.GetPicture().width, 104);
    ASSERT_EQ(p.doc.GetPicture().height, 20);
    for (int row = 0; row < 20; ++row) {
        EXPECT_EQ(p.Pic().Black(103, row), row % 2 == 1);
        EXPECT_EQ(p.Pic().Black(100, row), row % 2 == 0);
    }
}

TEST(BmpPreview, ResizeAsksInItsOwnDialogAndScales) {
    struct Case {
        const char *width, *height;
        bool ok;
    } cases[] = {{"32", "16", true}, {"128", "64", true}, {"32", "16", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.width) + " x " + c.height + (c.ok ? " OK" : " Cancel"));
        Preview p(64, 32, {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {63, 31}});
        const Picture before = p.Pic();
        int shown = 0;
        p.view.SetSizeDialogRunner([&](CBmpSizeDlg& dlg) {
            ++shown;
            EXPECT_TRUE(p.doc.m_bEdited);  // set before the dialog shows
            dlg.show();
            EXPECT_EQ(dlg.WidthEdit()->text(), "64");
            EXPECT_EQ(dlg.HeightEdit()->text(), "32");
            dlg.WidthEdit()->setText(c.width);
            dlg.HeightEdit()->setText(c.height);
            QTest::mouseClick(c.ok ? dlg.OkButton() : dlg.CancelButton(), Qt::LeftButton);
            return dlg.result() == QDialog::Accepted;
        });
        CommandRouter router;
        router.SetActiveView(&p.view);
        EXPECT_TRUE(router.Dispatch(cmd::kEditResize));
        EXPECT_EQ(shown, 1);
        EXPECT_TRUE(p.doc.m_bEdited);
        if (!c.ok) {
            EXPECT_EQ(p.Pic(), before);
            continue;
        }
        const int w = std::atoi(c.width), h = std::atoi(c.height);
        ASSERT_EQ(p.doc.GetPicture().width, w);
        ASSERT_EQ(p.doc.GetPicture().height, h);
        EXPECT_EQ(p.view.Extent(), QSize(w + 7, h + 7));
        if (w == 128) {  // every pixel a 2 x 2 block
            EXPECT_TRUE(p.Pic().Black(3, 3));
            EXPECT_TRUE(p.Pic().Black(126, 62));
            EXPECT_FALSE(p.Pic().Black(4, 0));
        } else {  // a reduced pixel is black only when its whole block was
            EXPECT_TRUE(p.Pic().Black(0, 0));
            EXPECT_FALSE(p.Pic().Black(31, 15));
        }
    }
}

TEST(BmpPreview, ResizeOfAPictureWithoutPixelsGivesAWhitePicture) {
    Preview p(0, 0);
    p.view.SetSizeDialogRunner([](CBmpSizeDlg& dlg) {
        dlg.m_nWidth = 8;
        dlg.m_nHeight = 2;
        return true;
    });
    p.view.OnEditResize();
    EXPECT_EQ(p.Pic(), Picture(8, 2));
}

TEST(BmpPreview, ScrollsOverTheWholeFrameAndMapsThroughTheScrollPosition) {
    Preview p(640, 480);
    p.view.resize(200, 200);
    p.view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.view));
    QScrollBar* h = p.view.horizontalScrollBar();
    QScrollBar* v = p.view.verticalScrollBar();
    const QSize pane = p.Pane()->size();
    EXPECT_EQ(h->maximum(), 647 - pane.width());
    EXPECT_EQ(v->maximum(), 487 - pane.height());

    h->setValue(100);
    v->setValue(50);
    p.Select({10, 10}, {30, 20});
    EXPECT_EQ(p.view.SelectionStart(), (ViewPoint{110, 60}));
    EXPECT_EQ(p.view.SelectionEnd(), (ViewPoint{130, 70}));

    // A repaint asked in view units lands where that area shows now.
    QCoreApplication::processEvents();
    QRegion painted;
    struct Spy : QObject {
        QRegion* r;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) *r += static_cast<QPaintEvent*>(e)->region();
            return false;
        }
    } spy;
    spy.r = &painted;
    p.Pane()->installEventFilter(&spy);
    p.doc.InvalidatePixel(110, 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(painted, QRegion(12, 12, 6, 6));
    p.Pane()->removeEventFilter(&spy);
}

TEST(BmpPreview, BandStaysUntilARepaintCoversIt) {
    std::vector<std::pair<int, int>> all;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            all.emplace_back(x, y);
    Preview p(32, 32, all);
    const auto shown = [&] { return p.Pane()->grab().toImage(); };

    test::Press(p.Pane(), {5, 5});
    test::Drag(p.Pane(), {15, 15});
    test::Drag(p.Pane(), {25, 25});
    test::Release(p.Pane(), {25, 25});
    QImage img = shown();
    // The previous band's inside was repainted; the rest of the new band shows white.
    EXPECT_EQ(At(img, 10, 10), Black());
    EXPECT_EQ(At(img, 20, 20), White());
    EXPECT_EQ(At(img, 30, 30), Black());
    const QRegion green = PixelsOf(img, test::Green());
    EXPECT_FALSE(green.isEmpty());
    EXPECT_TRUE((green - (QRegion(5, 5, 20, 20) - QRegion(6, 6, 18, 18))).isEmpty());

    // A new press wipes the old band from the picture's area.
    test::Press(p.Pane(), {30, 30});
    test::Release(p.Pane(), {30, 30});
    img = shown();
    EXPECT_EQ(At(img, 20, 20), Black());
    EXPECT_TRUE(PixelsOf(img, test::Green()).isEmpty());

    // So does a document update, and the selection itself stays.
    p.Select({5, 5}, {20, 20});
    p.doc.UpdateAllViews();
    EXPECT_TRUE(PixelsOf(shown(), test::Green()).isEmpty());
    EXPECT_EQ(test::PaneText(p.view), "Select: Width=15,Height=15");
}

}  // namespace
}  // namespace pictoma
