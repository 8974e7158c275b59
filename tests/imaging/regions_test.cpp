// Regions on the control's picture: drawn with the mouse, shown as an outline that moves with
// its timer or as a filled area, lifted as a floater, dragged and pasted elsewhere, and the
// floater edits and handles around them.
#include "fixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;
using imagingtest::rgbAt;
using sdktest::pixel;

namespace {

constexpr std::uint32_t grey = 0x808080;
constexpr std::uint32_t white = 0xFFFFFF;
constexpr std::uint32_t black = 0x000000;

class Regions : public ControlTest {
protected:
    // A control of 250 x 200 showing a picture at 100 percent, or fitted when asked.
    void show(sdk::SdkBitmapHandle& b, TPaintSizeMode mode = smNormal, int frame = 0)
    {
        // Fitted, a 400 x 300 picture shows at half size.
        if (mode == smFit) pix->resize(200, 150);
        else pix->resize(250, 200);
        pix->SetBackColor(platform::rgbColor(0, 0, 255));
        pix->SetFrameThickness(static_cast<std::uint32_t>(frame));
        pix->SetBitmap(&b);
        pix->SetPaintSizeMode(mode);
        pix->show();
        pix->ForceRepaint();
    }
    void drag(QPoint from, std::initializer_list<QPoint> via, QPoint to)
    {
        QTest::mousePress(pix.get(), Qt::LeftButton, {}, from);
        for (const QPoint& p : via) QTest::mouseMove(pix.get(), p);
        QTest::mouseMove(pix.get(), to);
        QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, to);
    }
    QRect bounds() const { return QRect(pix->RgnLeft(), pix->RgnTop(), pix->RgnWidth(), pix->RgnHeight()); }
};

struct ShapeCase {
    const char* name;
    TRgnShape shape;
    TPaintSizeMode mode; // smFit shows the 400 x 300 picture at half size
    int frame;
    QPoint from;
    std::vector<QPoint> via;
    QPoint to;
    QRect bounds;                // bitmap coordinates
    std::vector<QPoint> inside;  // client points
    std::vector<QPoint> outside; // client points
};
void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

class DrawnRegion : public Regions, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(DrawnRegion, HasTheBoundsAndPointsOfTheDraggedShape)
{
    const ShapeCase& c = GetParam();
    sdk::SdkBitmapHandle b = sdktest::makeBitmap(c.mode == smFit ? 400 : 200, c.mode == smFit ? 300 : 150,
                                                 [](int, int) { return grey; });
    show(b, c.mode, c.frame);
    int changes = 0;
    pix->OnRgnChange = [&](TPixImage*) { ++changes; };
    pix->SetRgnShape(c.shape);
    QTest::mousePress(pix.get(), Qt::LeftButton, {}, c.from);
    for (const QPoint& p : c.via) QTest::mouseMove(pix.get(), p);
    QTest::mouseMove(pix.get(), c.to);
    // While dragging, the shape is drawn inverted over the picture.
    const QImage during = pix->grab().toImage();
    const QRect box = QRect(c.from, c.to).normalized();
    const QPoint corner = c.shape == rsPolygon ? c.from : QPoint(box.center().x(), box.top());
    EXPECT_NE(rgbAt(during, corner.x(), corner.y()), grey);
    QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, c.to);

    EXPECT_EQ(pix->LastResult(), 1);
    ASSERT_TRUE(pix->HasRgn());
    EXPECT_EQ(bounds(), c.bounds);
    EXPECT_EQ(changes, 1);
    for (const QPoint& p : c.inside) EXPECT_TRUE(pix->IsPtInRgn(p.x() - c.frame, p.y() - c.frame)) << p.x() << "," << p.y();
    for (const QPoint& p : c.outside) EXPECT_FALSE(pix->IsPtInRgn(p.x() - c.frame, p.y() - c.frame)) << p.x() << "," << p.y();
    // The drawn shape is gone once the region is set.
    EXPECT_EQ(rgbAt(pix->grab().toImage(), corner.x(), corner.y()), grey);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, DrawnRegion,
    ::testing::Values(
        ShapeCase{"rectangle", rsRectangle, smNormal, 0, {20, 30}, {{40, 50}}, {60, 70}, {20, 30, 40, 40},
                  {{20, 30}, {59, 69}}, {{60, 70}, {19, 30}, {20, 29}}},
        ShapeCase{"rectangle_up_left", rsRectangle, smNormal, 0, {60, 70}, {}, {20, 30}, {20, 30, 40, 40},
                  {{20, 30}, {59, 69}}, {{60, 70}}},
        ShapeCase{"rectangle_past_the_edge", rsRectangle, smNormal, 0, {150, 100}, {}, {240, 190}, {150, 100, 50, 50},
                  {{199, 149}}, {{149, 100}}},
        ShapeCase{"rectangle_framed", rsRectangle, smNormal, 5, {25, 35}, {}, {65, 75}, {20, 30, 40, 40},
                  {{25, 35}, {64, 74}}, {{65, 75}, {24, 35}}},
        ShapeCase{"rectangle_half_size", rsRectangle, smFit, 0, {10, 10}, {}, {60, 40}, {20, 20, 100, 60},
                  {{10, 10}, {59, 39}}, {{60, 40}, {9, 10}}},
        ShapeCase{"ellipse", rsEllipse, smNormal, 0, {20, 20}, {}, {120, 80}, {20, 21, 100, 59},
                  {{70, 50}, {70, 22}, {22, 50}}, {{22, 22}, {118, 78}}},
        ShapeCase{"round_rectangle", rsRoundRect, smNormal, 0, {20, 20}, {}, {120, 100}, {20, 20, 100, 80},
                  {{45, 20}, {20, 45}, {70, 60}, {119, 60}}, {{20, 20}, {119, 99}}},
        ShapeCase{"polygon", rsPolygon, smNormal, 0, {20, 20}, {{120, 20}}, {20, 120}, {20, 20, 100, 100},
                  {{25, 25}, {60, 30}, {30, 60}}, {{100, 100}, {80, 80}}}));

TEST_F(Regions, AClickWithoutADragLeavesNoRegionAndAPolygonNeedsThreePoints)
{
    sdk::SdkBitmapHandle b = sdktest::makeBitmap(200, 150, [](int, int) { return grey; });
    show(b);
    ASSERT_EQ(pix->SetRgnRect(10, 10, 50, 50, 1), 1);
    pix->SetRgnShape(rsRectangle);
    // A press frees the region there was.
    QTest::mouseClick(pix.get(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_FALSE(pix->HasRgn());
    EXPECT_EQ(pix->LastResult(), 1);

    pix->SetRgnShape(rsPolygon);
    QTest::mousePress(pix.get(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(pix.get(), QPoint(60, 20));
    EXPECT_EQ(pix->PolygonPointCount(), 2);
    EXPECT_EQ(pix->PolygonPoint(0), QPoint(20, 20));
    EXPECT_EQ(pix->PolygonPoint(1), QPoint(60, 20));
    EXPECT_EQ(raisedBy([&] { pix->PolygonPoint(2); }), "range: PixImage1 \nPolygonPoint[]: Index out of range.");
    EXPECT_EQ(pix->LastResult(), 0);
    QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(pix->LastResult(), sdk::PXERR_BADPARAM);
    EXPECT_FALSE(pix->HasRgn());
    EXPECT_EQ(pix->PolygonPointCount(), 0);

    // Without a shape the mouse draws nothing.
    pix->SetRgnShape(rsNone);
    drag({20, 20}, {}, {80, 80});
    EXPECT_FALSE(pix->HasRgn());
}

TEST_F(Regions, MouseEventsFireForEveryButton)
{
    sdk::SdkBitmapHandle b = sdktest::makeBitmap(200, 150, [](int, int) { return grey; });
    show(b);
    QStringList seen;
    pix->OnMouseDown = [&](TPixImage*, int button, TShiftState, int x, int y) { seen << QString("down %1 %2,%3").arg(button).arg(x).arg(y); };
    pix->OnMouseUp = [&](TPixImage*, int button, TShiftState, int x, int y) { seen << QString("up %1 %2,%3").arg(button).arg(x).arg(y); };
    pix->SetRgnShape(rsRectangle);
    // The right button draws nothing but its events fire.
    QTest::mousePress(pix.get(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(pix.get(), QPoint(50, 50));
    QTest::mouseRelease(pix.get(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_FALSE(pix->HasRgn());
    EXPECT_EQ(seen, QStringList({"down 1 10,10", "up 1 50,50"}));

    // Moves without a button reach OnMouseMove and draw nothing.
    int moves = 0;
    pix->OnMouseMove = [&](TPixImage*, TShiftState, int, int) { ++moves; };
    // Sent to the control itself: QTest drops a move to where an earlier test left the cursor.
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 70), QPointF(pix->mapToGlobal(QPoint(70, 70))), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pix.get(), &move);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(pix->PolygonPointCount(), 0);
    EXPECT_EQ(rgbAt(pix->grab().toImage(), 50, 50), grey);
}

TEST_F(Regions, OutlineIsDrawnMovesWithItsTimerAndFillShowsTheColour)
{
    sdk::SdkBitmapHandle b = sdktest::makeBitmap(200, 150, [](int, int) { return grey; });
    show(b);
    ASSERT_EQ(pix->SetRgnRect(20, 20, 100, 60, 1), 1);
    EXPECT_EQ(rgbAt(pix->grab().toImage(), 20, 20), grey);

    // The outline: black and white along the edge, the picture inside and outside.
    pix->SetRgnFrameType(1);
    auto edge = [&] {
        const QImage shot = pix->grab().toImage();
        std::vector<std::uint32_t> top;
        for (int x = 20; x < 120; ++x) top.push_back(rgbAt(shot, x, 20));
        EXPECT_EQ(rgbAt(shot, 60, 50), grey);
        EXPECT_EQ(rgbAt(shot, 10, 10), grey);
        return top;
    };
    const std::vector<std::uint32_t> still = edge();
    EXPECT_NE(std::count(still.begin(), still.end(), black), 0);
    EXPECT_NE(std::count(still.begin(), still.end(), white), 0);
    EXPECT_EQ(std::count(still.begin(), still.end(), grey), 0);
    EXPECT_TRUE(pix->RgnOutlineTimerActive());
    // A repaint draws it too.
    pix->ForceRepaint();
    EXPECT_EQ(edge(), still);

    // The moving outline steps once a second.
    pix->SetRgnFrameType(2);
    const int phase = pix->RgnOutlinePhase();
    QTest::qWait(3400);
    EXPECT_EQ(pix->RgnOutlinePhase(), (phase + 3) % 8);
    const std::vector<std::uint32_t> moved = edge();
    EXPECT_NE(moved, still);
    EXPECT_EQ(std::count(moved.begin(), moved.end(), grey), 0);

    // Filled with the region colour; the timer stops at its next step.
    pix->SetRgnColor(platform::rgbColor(255, 0, 0));
    pix->SetRgnFrameType(3);
    QImage shot = pix->grab().toImage();
    EXPECT_EQ(rgbAt(shot, 60, 50), 0xFF0000u);
    EXPECT_EQ(rgbAt(shot, 119, 79), 0xFF0000u);
    EXPECT_EQ(rgbAt(shot, 121, 81), grey);
    pix->ForceRepaint();
    EXPECT_EQ(rgbAt(pix->grab().toImage(), 60, 50), 0xFF0000u);
    QTest::qWait(1300);
    EXPECT_FALSE(pix->RgnOutlineTimerActive());

    // Type 0: no timer, no outline.
    pix->SetRgnFrameType(2);
    EXPECT_TRUE(pix->RgnOutlineTimerActive());
    pix->SetRgnFrameType(0);
    EXPECT_FALSE(pix->RgnOutlineTimerActive());
    shot = pix->grab().toImage();
    EXPECT_EQ(rgbAt(shot, 20, 20), grey);
    EXPECT_EQ(rgbAt(shot, 60, 50), grey);

    // Freeing the region takes its outline away.
    pix->SetRgnFrameType(1);
    ASSERT_EQ(pix->FreeRgn(), 1);
    EXPECT_EQ(rgbAt(pix->grab().toImage(), 20, 20), grey);
}

TEST_F(Regions, FillChangesOnlyTheDrawnEllipse)
{
    sdk::SdkBitmapHandle b = sdktest::makeBitmap(200, 150, [](int, int) { return grey; });
    show(b);
    pix->SetRgnShape(rsEllipse);
    drag({20, 20}, {}, {120, 80});
    ASSERT_EQ(pix->Fill(platform::rgbColor(255, 255, 255)), 1);
    EXPECT_EQ(pixel(*pix->Bitmap(), 70, 50), white);
    EXPECT_EQ(pixel(*pix->Bitmap(), 21, 21), grey);  // inside the bounds, outside the ellipse
    EXPECT_EQ(pixel(*pix->Bitmap(), 130, 50), grey); // outside the bounds
}

class Floater : public Regions {
protected:
    void SetUp() override
    {
        Regions::SetUp();
        original = sdktest::patterned(200, 150);
        sdk::SdkBitmapHandle b;
        sdk::PX_CopyBitmap(&b, &original);
        show(b);
        pix->SetEnableFloater(true);
    }
    // Pixel (x, y) of the picture equals the original's at (ox, oy) over a w x h block.
    void expectBlock(int x, int y, int ox, int oy, int w, int h)
    {
        for (int j = 0; j < h; j += 3)
            for (int i = 0; i < w; i += 3)
                ASSERT_EQ(pixel(*pix->Bitmap(), x + i, y + j), pixel(original, ox + i, oy + j))
                    << x + i << "," << y + j;
    }
    sdk::SdkBitmapHandle original;
};

TEST_F(Floater, DraggedSelectionIsPastedWhereTheMouseLetsGo)
{
    ASSERT_EQ(pix->SetRgnRect(10, 10, 30, 20, 1), 1);
    int changes = 0;
    pix->OnRgnChange = [&](TPixImage*) { ++changes; };

    QTest::mousePress(pix.get(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(pix->FloaterDragging());
    QTest::mouseMove(pix.get(), QPoint(30, 25));
    QTest::mouseMove(pix.get(), QPoint(40, 35));
    // While dragged, the selection is shown at the mouse and cannot be switched off.
    const QImage during = pix->grab().toImage();
    EXPECT_EQ(rgbAt(during, 35, 30), pixel(original, 15, 15));
    EXPECT_EQ(rgbAt(during, 15, 15), pixel(original, 15, 15));
    pix->SetEnableFloater(false);
    EXPECT_EQ(pix->LastResult(), 0);
    EXPECT_TRUE(pix->EnableFloater());
    QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, QPoint(40, 35));

    EXPECT_FALSE(pix->FloaterDragging());
    EXPECT_EQ(bounds(), QRect(30, 25, 30, 20));
    EXPECT_EQ(changes, 1);
    expectBlock(30, 25, 10, 10, 30, 20); // pasted at the new place
    expectBlock(10, 10, 10, 10, 20, 15); // the first lift copies: the old place keeps its pixels
    expectBlock(100, 100, 100, 100, 50, 40);
    EXPECT_EQ(rgbAt(pix->grab().toImage(), 35, 30), pixel(original, 15, 15));

    // Lifted again, it gives back what it covered.
    drag({35, 30}, {{55, 30}}, {75, 30});
    EXPECT_EQ(bounds(), QRect(70, 25, 30, 20));
    expectBlock(70, 25, 10, 10, 30, 20);
    expectBlock(40, 30, 40, 30, 30, 15);
}

TEST_F(Floater, LiftedAndLetGoInPlaceLeavesThePictureAlone)
{
    ASSERT_EQ(pix->SetRgnRect(10, 10, 30, 20, 1), 1);
    drag({20, 20}, {}, {20, 20});
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), original));
    EXPECT_EQ(bounds(), QRect(10, 10, 30, 20));
    // Dragged away and back.
    drag({20, 20}, {{60, 60}}, {20, 20});
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), original));
}

TEST_F(Floater, DragAtHalfSizeMovesTwiceAsFarOnThePicture)
{
    sdk::SdkBitmapHandle big = sdktest::makeBitmap(400, 300, [](int x, int) { return x < 200 ? grey : white; });
    show(big, smFit);
    ASSERT_DOUBLE_EQ(pix->ZoomX(), 0.5);
    ASSERT_EQ(pix->SetRgnRect(10, 10, 20, 20, 1), 1);
    ASSERT_EQ(bounds(), QRect(20, 20, 40, 40));
    drag({20, 20}, {}, {30, 20});
    EXPECT_EQ(bounds(), QRect(40, 20, 40, 40));
    drag({30, 20}, {}, {20, 15});
    EXPECT_EQ(bounds(), QRect(20, 10, 40, 40));

    // At 62.5 percent (250 x 188 on the screen) a part pixel goes toward the top-left: 3 screen
    // pixels are about 4.8 on the picture, 4 to the right or down and 5 to the left or up.
    pix->resize(250, 200);
    pix->ForceRepaint();
    ASSERT_DOUBLE_EQ(pix->ZoomX(), 0.625);
    ASSERT_EQ(pix->SetRgnRect(50, 50, 25, 25, 1), 1);
    ASSERT_EQ(bounds(), QRect(80, 79, 40, 40));
    drag({60, 60}, {}, {63, 63});
    EXPECT_EQ(bounds(), QRect(84, 83, 40, 40));
    drag({63, 63}, {}, {60, 60});
    EXPECT_EQ(bounds(), QRect(79, 78, 40, 40));
}

TEST_F(Floater, RotateAndSizeWorkOnTheSelectionOnly)
{
    ASSERT_EQ(pix->SetRgnRect(10, 10, 30, 10, 1), 1);
    ASSERT_EQ(pix->Rotate(9000, 1, platform::clWhite), 1);
    EXPECT_EQ(pix->BitmapWidth(), 200);
    EXPECT_EQ(bounds(), QRect(10, 10, 10, 30));
    // A quarter turn clockwise: the new top-left pixel was the old bottom-left one.
    EXPECT_EQ(pixel(*pix->Bitmap(), 10, 10), pixel(original, 10, 19));
    EXPECT_EQ(pixel(*pix->Bitmap(), 19, 39), pixel(original, 39, 10));
    EXPECT_EQ(pixel(*pix->Bitmap(), 35, 12), pixel(original, 35, 12));

    ASSERT_EQ(pix->SetRgnRect(100, 50, 20, 10, 1), 1);
    ASSERT_EQ(pix->Size(40, 20, 0), 1);
    EXPECT_EQ(pix->BitmapWidth(), 200);
    EXPECT_EQ(pix->BitmapHeight(), 150);
    EXPECT_EQ(bounds(), QRect(100, 50, 40, 20));
    EXPECT_EQ(pixel(*pix->Bitmap(), 100, 50), pixel(original, 100, 50));
    EXPECT_EQ(pixel(*pix->Bitmap(), 139, 69), pixel(original, 119, 59));

    ASSERT_EQ(pix->SetRgnRect(150, 100, 20, 10, 1), 1);
    ASSERT_EQ(pix->Reverse(), 1);
    EXPECT_EQ(pixel(*pix->Bitmap(), 150, 100), pixel(original, 169, 100));
    EXPECT_EQ(pixel(*pix->Bitmap(), 170, 100), pixel(original, 170, 100));
    EXPECT_EQ(bounds(), QRect(150, 100, 20, 10));

    // Without the floater the whole picture turns.
    pix->SetEnableFloater(false);
    ASSERT_EQ(pix->Rotate(9000, 1, platform::clWhite), 1);
    EXPECT_EQ(pix->BitmapWidth(), 150);
}

TEST_F(Floater, ExplicitFloaterIsShownMovedAndRemovedWithoutTouchingThePicture)
{
    ASSERT_EQ(pix->SetRgnRect(10, 10, 30, 20, 1), 1);
    // With AutoFloater, Floater is a copy of the selection.
    sdk::SdkBitmapHandle* copy = pix->Floater();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(QSize(copy->Width, copy->Height), QSize(30, 20));
    EXPECT_EQ(pixel(*copy, 0, 0), pixel(original, 10, 10));
    // Switching EnableFloater needs AutoFloater.
    pix->SetAutoFloater(false);
    EXPECT_FALSE(pix->EnableFloater());
    pix->SetEnableFloater(true);
    EXPECT_EQ(pix->LastResult(), 0);
    EXPECT_FALSE(pix->EnableFloater());
    EXPECT_EQ(pix->Floater(), nullptr);

    pix->SetFloater(pix->Bitmap());
    ASSERT_NE(pix->Floater(), nullptr);
    EXPECT_EQ(pix->Floater()->Width, 30);
    EXPECT_EQ(QRect(pix->FloaterLeft(), pix->FloaterTop(), pix->FloaterWidth(), pix->FloaterHeight()), QRect(0, 0, 30, 20));
    pix->SetFloaterVisible(true);
    EXPECT_EQ(pix->SetFloaterRect(100, 80, 30, 20), 1);
    QImage shot = pix->grab().toImage();
    EXPECT_EQ(rgbAt(shot, 105, 85), pixel(original, 15, 15));
    EXPECT_EQ(rgbAt(shot, 5, 5), pixel(original, 5, 5));
    // Twice the size, clipped.
    pix->SetFloaterRect(100, 80, 60, 40);
    pix->SetFloaterClipRect(0, 0, 130, 200);
    shot = pix->grab().toImage();
    EXPECT_EQ(rgbAt(shot, 110, 90), pixel(original, 15, 15));
    EXPECT_EQ(rgbAt(shot, 140, 90), pixel(original, 140, 90));
    pix->SetFloaterLeft(0);
    EXPECT_EQ(pix->FloaterLeft(), 0);
    EXPECT_EQ(pix->FloaterTop(), 80);

    // Removed (or hidden): the picture shows as it was and never changed.
    pix->SetFloaterVisible(false);
    EXPECT_EQ(rgbAt(pix->grab().toImage(), 10, 90), pixel(original, 10, 90));
    pix->SetFloaterVisible(true);
    EXPECT_EQ(rgbAt(pix->grab().toImage(), 10, 90), pixel(original, 10, 10));
    pix->SetFloater(nullptr);
    EXPECT_EQ(pix->Floater(), nullptr);
    EXPECT_EQ(rgbAt(pix->grab().toImage(), 10, 90), pixel(original, 10, 90));
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), original));
}

TEST_F(Regions, HandlesCarryARegionToAnotherControl)
{
    EXPECT_EQ(raisedBy([&] { pix->GetRgnHandle(); }), "PixImage1 \nGetRgnHandle: Image not allocated.");
    QRegion none;
    EXPECT_EQ(raisedBy([&] { pix->SetRgnHandle(&none, 0, 0, 1); }), "PixImage1 \nSetRgnHandle: Image not allocated.");
    EXPECT_EQ(pix->LastResult(), sdk::PXERR_BADBITMAP);
    EXPECT_FALSE(pix->DeleteRgnHandle(nullptr));
    EXPECT_EQ(pix->LastResult(), 0);

    sdk::SdkBitmapHandle b = sdktest::makeBitmap(200, 150, [](int, int) { return grey; });
    show(b);
    pix->SetRgnShape(rsEllipse);
    drag({40, 30}, {}, {100, 70});
    TRgnHandle handle = pix->GetRgnHandle();
    ASSERT_NE(handle, nullptr);

    TPixImage other;
    other.setObjectName("PixImage2");
    sdk::SdkBitmapHandle small = sdktest::makeBitmap(60, 40, [](int, int) { return grey; });
    other.SetBitmap(&small);
    ASSERT_EQ(other.SetRgnHandle(handle, -40, -30, 1), 1);
    EXPECT_TRUE(pix->DeleteRgnHandle(handle));
    EXPECT_EQ(pix->LastResult(), 1);
    EXPECT_EQ(QRect(other.RgnLeft(), other.RgnTop(), other.RgnWidth(), other.RgnHeight()), QRect(0, 0, 60, 40));
    EXPECT_TRUE(other.IsPtInRgn(30, 20));
    EXPECT_FALSE(other.IsPtInRgn(1, 1));

    // A region left empty is freed.
    ASSERT_EQ(other.SetRgnHandle(&none, 0, 0, 1), 1);
    EXPECT_FALSE(other.HasRgn());
}

} // namespace
