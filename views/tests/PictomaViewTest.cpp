#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QPaintEvent>
#include <QPrinter>
#include <QTest>

#include "BmpPreview.h"
#include "PictomaView.h"
#include "ToolCursors.h"
#include "ViewGeometry.h"
#include "ViewTesting.h"

namespace pictoma {
namespace {

using test::At;
using test::Black;
using test::White;

struct Canvas {
    test::QuietHost host;
    CPictomaDoc doc{host};
    CPictomaView view{doc};
    Canvas(int width, int height, const std::vector<std::pair<int, int>>& black = {}) {
        view.resize(700, 400);
        test::SetPicture(doc, width, height, black);
    }
    QImage Render() const { return test::Render(view, 700, 400); }
};

// Records the areas of the paint events a widget receives.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
    QRegion painted;
};

TEST(PictomaView, DrawsFrameGridAndBlackSquaresAtTheirUnits) {
    Canvas c(128, 64, {{0, 0}, {127, 63}, {5, 2}});
    const QImage img = c.Render();

    // The red frame from (3, 3) to (648, 328), edges exclusive, white inside.
    for (QPoint p : {QPoint(3, 3), QPoint(647, 3), QPoint(3, 327), QPoint(647, 327), QPoint(300, 3),
                     QPoint(647, 200)})
        EXPECT_EQ(At(img, p.x(), p.y()), test::Red()) << p.x() << "," << p.y();
    for (QPoint p :
         {QPoint(2, 2), QPoint(648, 200), QPoint(300, 328), QPoint(4, 4), QPoint(646, 326)})
        EXPECT_EQ(At(img, p.x(), p.y()), White()) << p.x() << "," << p.y();

    // Grid lines at 5 + 5i, the last at 645 and 325.
    for (QPoint p : {QPoint(5, 5), QPoint(10, 7), QPoint(645, 100), QPoint(7, 325), QPoint(300, 10),
                     QPoint(644, 325), QPoint(645, 324)})
        EXPECT_EQ(At(img, p.x(), p.y()), Black()) << p.x() << "," << p.y();

    // Black squares from (5x + 6, 5y + 6) to (5x + 9, 5y + 9); the rest of a cell stays white.
    for (auto [x, y] : {std::pair{0, 0}, {127, 63}, {5, 2}}) {
        for (int dy = 0; dy < 5; ++dy)
            for (int dx = 0; dx < 5; ++dx) {
                const int vx = 5 * x + 5 + dx, vy = 5 * y + 5 + dy;
                const bool line = dx == 0 || dy == 0;
                const bool square = dx >= 1 && dx <= 3 && dy >= 1 && dy <= 3;
                EXPECT_EQ(At(img, vx, vy), line || square ? Black() : White())
                    << "pixel " << x << "," << y << " at " << vx << "," << vy;
            }
    }
    EXPECT_EQ(At(img, 5 * 1 + 7, 7), White());  // pixel (1, 0) is white
}

TEST(PictomaView, DrawsNothingForAPictureLargerThanTheScreen) {
    for (auto [w, h] : {std::pair{129, 64}, {128, 65}}) {
        Canvas c(w, h, {{0, 0}});
        EXPECT_TRUE(test::AllWhite(c.Render())) << w << " x " << h;
        c.doc.m_bPen = false;
        test::Press(&c.view, {7, 7});
        test::Release(&c.view, {7, 7});
        EXPECT_FALSE(c.doc.m_bEdited);
        EXPECT_TRUE(test::DocBlack(c.doc, 0, 0));
        EXPECT_EQ(test::PaneText(c.view), kDisableOperation);
        EXPECT_FALSE(c.view.testAttribute(Qt::WA_SetCursor));
    }
}

TEST(PictomaView, PressMapsByTruncationTowardZero) {
    struct Case {
        QPoint at;
        int x, y;  // the pixel written, or -1 for none
    } cases[] = {
        {{7, 7}, 0, 0},     {{1, 1}, 0, 0},   {{4, 9}, 0, 0},   {{10, 7}, 1, 0},
        {{9, 10}, 0, 1},    {{0, 7}, -1, -1}, {{7, 0}, -1, -1}, {{644, 324}, 127, 63},
        {{645, 7}, -1, -1},  // column 128 lies outside the picture
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.at.x()) + "," + std::to_string(k.at.y()));
        Canvas c(128, 64);
        test::Press(&c.view, k.at);
        test::Release(&c.view, k.at);
        const Picture after = c.doc.GetPicture();
        Picture expected(128, 64);
        if (k.x >= 0) expected.Set(k.x, k.y, true);
        EXPECT_EQ(after, expected);
        EXPECT_EQ(c.doc.m_bEdited, k.x >= 0);
    }
}

TEST(PictomaView, PenDrawsRubberClearsAndEveryWriteRepaintsOneSquare) {
    Canvas c(128, 64);
    c.view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c.view));
    QCoreApplication::processEvents();
    PaintSpy spy(&c.view);

    const auto pressAt = [&](QPoint p) {
        spy.painted = QRegion();
        c.doc.m_bEdited = false;
        test::Press(&c.view, p);
        test::Release(&c.view, p);
        QCoreApplication::processEvents();
    };

    pressAt({7, 7});
    EXPECT_TRUE(test::DocBlack(c.doc, 0, 0));
    EXPECT_TRUE(c.doc.m_bEdited);
    EXPECT_EQ(spy.painted, QRegion(6, 6, 3, 3));

    pressAt({7, 7});  // already black: still edited and repainted
    EXPECT_TRUE(c.doc.m_bEdited);
    EXPECT_EQ(spy.painted, QRegion(6, 6, 3, 3));

    c.doc.m_bPen = false;
    pressAt({23, 13});  // the rubber on a white pixel (3, 1)
    EXPECT_TRUE(c.doc.m_bEdited);
    EXPECT_EQ(spy.painted, QRegion(21, 11, 3, 3));
    pressAt({7, 7});
    EXPECT_FALSE(test::DocBlack(c.doc, 0, 0));
    EXPECT_EQ(At(c.view.grab().toImage(), 7, 7), White());
}

TEST(PictomaView, StrokesPaintOnlyWhileTheButtonIsHeld) {
    Canvas c(128, 64);
    c.view.resize(40, 40);  // the picture reaches beyond the pane
    test::Hover(&c.view, {12, 7});
    EXPECT_FALSE(test::DocBlack(c.doc, 1, 0));

    test::Press(&c.view, {7, 7});
    test::Drag(&c.view, {17, 7});   // pixel (2, 0), and (1, 0) on the way
    test::Drag(&c.view, {57, 12});  // outside the pane, still on the picture: pixel (10, 1)
    test::Release(&c.view, {-30, -30});
    test::Hover(&c.view, {27, 7});  // after the release
    // The stroke is continuous: every pixel on the straight lines between the mouse positions.
    for (int x = 0; x <= 5; ++x)
        EXPECT_TRUE(test::DocBlack(c.doc, x, 0)) << x;
    for (int x = 7; x <= 10; ++x)
        EXPECT_TRUE(test::DocBlack(c.doc, x, 1)) << x;
    EXPECT_FALSE(test::DocBlack(c.doc, 3, 1));
    EXPECT_FALSE(test::DocBlack(c.doc, 11, 1));
    EXPECT_FALSE(test::DocBlack(c.doc, 5, 2));

    // A document update ends the stroke although the button is still down.
    test::Press(&c.view, {32, 7});
    c.doc.UpdateAllViews();
    test::Drag(&c.view, {37, 7});
    test::Release(&c.view, {37, 7});
    EXPECT_TRUE(test::DocBlack(c.doc, 5, 0));
    EXPECT_FALSE(test::DocBlack(c.doc, 6, 0));
}

TEST(PictomaView, StatusTextAndCursorFollowThePixelUnderTheMouse) {
    Canvas c(128, 64);
    EXPECT_EQ(test::PaneText(c.view), "X=0 , y=0");  // the initial pixel

    test::Hover(&c.view, {642, 322});
    EXPECT_EQ(test::PaneText(c.view), "X=127 , y=63");
    EXPECT_EQ(c.view.cursor().hotSpot(), QPoint(PEN_HOT_X, PEN_HOT_Y));
    EXPECT_EQ(c.view.cursor().pixmap().size(), QSize(32, 32));

    c.doc.m_bPen = false;  // the tool changes the cursor at the next move, without a press
    test::Hover(&c.view, {641, 322});
    EXPECT_EQ(c.view.cursor().hotSpot(), QPoint(RUBBER_HOT_X, RUBBER_HOT_Y));

    test::Hover(&c.view, {0, 100});
    EXPECT_EQ(test::PaneText(c.view), kDisableOperation);
    EXPECT_EQ(c.view.cursor().shape(), Qt::ArrowCursor);
    test::Hover(&c.view, {650, 100});
    EXPECT_EQ(test::PaneText(c.view), kDisableOperation);
}

TEST(PictomaView, ToolCursorsAreOpaqueAtTheirHotSpots) {
    const QCursor cursors[] = {PenCursor(), RubberCursor()};
    for (const QCursor& cursor : cursors) {
        const QImage img = cursor.pixmap().toImage();
        ASSERT_EQ(img.size(), QSize(32, 32));
        EXPECT_EQ(qAlpha(img.pixel(cursor.hotSpot())), 255);
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    }
}

TEST(PictomaView, CommandsFollowTheActivePane) {
    test::QuietHost host;
    CPictomaDoc doc(host);
    CPictomaView canvas(doc);
    CBmpPreview preview(doc);
    test::SetPicture(doc, 64, 64);
    CommandRouter router;

    router.SetActiveView(&canvas);
    for (CommandId id : {cmd::kFilePrint, cmd::kFilePrintDirect, cmd::kFilePrintPreview})
        EXPECT_TRUE(router.Query(id).enabled) << id;
    EXPECT_FALSE(router.Query(cmd::kEditResize).enabled);
    EXPECT_FALSE(router.Query(cmd::kEditCrop).enabled);
    EXPECT_TRUE(router.Query(cmd::kFileSave).enabled);  // the document's, on either route

    router.SetActiveView(&preview);
    EXPECT_FALSE(router.Query(cmd::kFilePrint).enabled);
    EXPECT_TRUE(router.Query(cmd::kEditResize).enabled);
    EXPECT_FALSE(router.Query(cmd::kEditCrop).enabled);  // no selection yet
    EXPECT_EQ(router.Query(cmd::kIndicatorPane).text, "Select: Width=0,Height=0");
    EXPECT_TRUE(router.Query(cmd::kFileSave).enabled);
}

TEST(PictomaView, PrintsWhatItDrawsThroughTheRoute) {
    Canvas c(16, 8, {{0, 0}});
    const std::filesystem::path pdf =
        std::filesystem::temp_directory_path() /
        ("pictoma_canvas_print_" + std::to_string(QCoreApplication::applicationPid()) + ".pdf");
    std::filesystem::remove(pdf);
    bool accept = false;
    int previews = 0;
    c.view.SetPrintDialogs(
        [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf.string()));
            return accept;
        },
        [&](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
            ++previews;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf.string()));
            paint(&printer);
        });
    CommandRouter router;
    router.SetActiveView(&c.view);

    EXPECT_TRUE(router.Dispatch(cmd::kFilePrint));  // the dialog is cancelled: nothing printed
    EXPECT_FALSE(std::filesystem::exists(pdf));

    accept = true;
    EXPECT_TRUE(router.Dispatch(cmd::kFilePrint));
    ASSERT_TRUE(std::filesystem::exists(pdf));
    std::ifstream in(pdf, std::ios::binary);
    std::string head(4, '\0');
    in.read(head.data(), 4);
    EXPECT_EQ(head, "%PDF");
    in.close();
    std::filesystem::remove(pdf);

    EXPECT_TRUE(router.Dispatch(cmd::kFilePrintPreview));
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(std::filesystem::exists(pdf));
    std::filesystem::remove(pdf);
    EXPECT_TRUE(c.host.messages.empty());
}

TEST(PictomaView, TakesTheFocusOnAClick) {
    test::QuietHost host;
    CPictomaDoc doc(host);
    QWidget window;
    auto* preview = new CBmpPreview(doc, &window);
    auto* canvas = new CPictomaView(doc, &window);
    preview->setGeometry(0, 0, 200, 200);
    canvas->setGeometry(200, 0, 300, 200);
    test::SetPicture(doc, 64, 64);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_TRUE(canvas->hasFocus());
    QTest::mouseClick(preview->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_TRUE(preview->hasFocus());
    canvas->SetFocus();
    EXPECT_TRUE(canvas->hasFocus());
}

// At every zoom level the frame, grid and squares scale with the cell, and the mouse maps to the
// pixel under it; printing stays at the normal size.
TEST(PictomaView, EveryZoomLevelDrawsAndMapsInProportion) {
    for (int cell : geometry::kCanvasCellSizes) {
        SCOPED_TRACE(cell);
        Canvas c(20, 10, {{2, 1}});
        c.view.SetCellSize(cell);
        ASSERT_EQ(c.view.CellSize(), cell);
        const geometry::CanvasScale scale{cell};
        EXPECT_EQ(c.view.minimumSize(), QSize(scale.Extent(20), scale.Extent(10)));
        c.view.resize(c.view.minimumSize());
        const QImage shown = c.view.grab().toImage();
        const Rect square = scale.Square(2, 1);
        EXPECT_EQ(At(shown, square.left, square.top), Black());
        EXPECT_EQ(At(shown, square.right - 1, square.bottom - 1), Black());
        EXPECT_EQ(At(shown, square.right, square.bottom), White());  // inside the next cell
        EXPECT_EQ(At(shown, scale.GridLine(3), scale.GridLine(1) + 1), Black());  // a grid line
        EXPECT_EQ(At(shown, cell - 2, cell - 2), test::Red());                    // the frame

        const Rect target = scale.Square(7, 4);
        test::Press(&c.view, {target.left + 1, target.top + 1});
        test::Release(&c.view, {target.left + 1, target.top + 1});
        EXPECT_TRUE(test::DocBlack(c.doc, 7, 4));
        EXPECT_FALSE(test::DocBlack(c.doc, 6, 4));
        // What is printed does not zoom.
        const QImage printed = c.Render();
        EXPECT_EQ(At(printed, 5 * 7 + 7, 5 * 4 + 7), Black());
    }
}

TEST(PictomaView, LineRectangleAndFillWithBothButtons) {
    Canvas c(16, 8);
    const auto at = [](int x, int y) { return QPoint(5 * x + 7, 5 * y + 7); };
    c.doc.OnToolLine();
    test::Press(&c.view, at(0, 0));
    test::Drag(&c.view, at(6, 3));
    EXPECT_FALSE(test::DocBlack(c.doc, 6, 3));  // only a preview while dragging
    test::Release(&c.view, at(6, 3));
    EXPECT_TRUE(test::DocBlack(c.doc, 0, 0));
    EXPECT_TRUE(test::DocBlack(c.doc, 6, 3));
    EXPECT_EQ(c.doc.History().UndoName(), "line");

    c.doc.OnToolFill();
    QTest::mouseClick(&c.view, Qt::LeftButton, {}, at(10, 7));  // the white below the line
    EXPECT_TRUE(test::DocBlack(c.doc, 15, 7));
    EXPECT_TRUE(test::DocBlack(c.doc, 15, 0));  // all the white is one area, around the line
    c.doc.OnToolRectangle();
    QTest::mousePress(&c.view, Qt::RightButton, {}, at(1, 1));
    QTest::mouseRelease(&c.view, Qt::RightButton, {}, at(4, 5));
    EXPECT_FALSE(test::DocBlack(c.doc, 1, 1));  // the right button draws white
    EXPECT_FALSE(test::DocBlack(c.doc, 4, 5));
    EXPECT_TRUE(test::DocBlack(c.doc, 2, 2));  // the inside is left alone
    c.doc.OnEditUndo();
    EXPECT_TRUE(test::DocBlack(c.doc, 1, 1));
}

}  // namespace
}  // namespace pictoma
