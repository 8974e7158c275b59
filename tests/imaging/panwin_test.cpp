// The pan window and the magnifying glass: both show the picture and follow the view.
#include "fixture.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;

namespace {

class Periphery : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        // Four quarters: red, green, blue, white, on a 400 x 300 picture shown at 100 %.
        sdk::SdkBitmapHandle b = sdktest::makeBitmap(400, 300, [](int x, int y) {
            return x < 200 ? (y < 150 ? 0xFF0000u : 0x0000FFu) : (y < 150 ? 0x00FF00u : 0xFFFFFFu);
        });
        pix->resize(200, 150);
        pix->SetBitmap(&b);
        pix->show();
        pix->OnPanWin = [this](TPixImage*, void*, int flag) { panEvents.push_back(flag); };
    }
    std::vector<int> panEvents;
};

TEST_F(Periphery, ThePanWindowShowsWhatTheControlShows)
{
    ASSERT_EQ(pix->ShowPanWin(true), 1);
    TPanWindow* pan = pix->PanWindow();
    ASSERT_NE(pan, nullptr);
    EXPECT_TRUE(pix->PanWinShown());
    EXPECT_EQ(panEvents, std::vector<int>{0});
    EXPECT_EQ(pan->windowTitle(), "Pan Window");
    EXPECT_EQ(QRect(pix->PanWinX(), pix->PanWinY(), pix->PanWinWidth(), pix->PanWinHeight()), pan->geometry());
    const QRect visible(0, 0, pix->ClientWidth(), pix->ClientHeight());
    EXPECT_EQ(pan->VisiblePart(), visible);

    // Scrolling the control moves the rectangle; the window draws it in PanWinRectColor.
    pix->ScrollBy(60, 40);
    EXPECT_EQ(pan->VisiblePart(), visible.translated(60, 40));
    pix->SetPanWinRectColor(0x00FF00); // green as a colour integer
    const QImage shown = pan->grab().toImage();
    const QRect view = pan->ViewRect();
    EXPECT_EQ(imagingtest::rgbAt(shown, view.left(), view.center().y()), 0x00FF00u);

    // Dragging the rectangle scrolls the control.
    panEvents.clear();
    const QPoint grip = view.center();
    QTest::mousePress(pan, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(-20, -20)), QPointF(pan->mapToGlobal(grip + QPoint(-20, -20))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pan, &move);
    QTest::mouseRelease(pan, Qt::LeftButton, {}, grip + QPoint(-20, -20));
    EXPECT_LT(pix->ScrollPosX(), 60);
    EXPECT_LT(pix->ScrollPosY(), 40);
    EXPECT_EQ(pan->VisiblePart().topLeft(), QPoint(pix->ScrollPosX(), pix->ScrollPosY()));
    ASSERT_FALSE(panEvents.empty());
    EXPECT_EQ(panEvents.front(), 1);

    // Position and size go to the window at once.
    pix->SetPanWinX(30);
    pix->SetPanWinWidth(180);
    EXPECT_EQ(pan->x(), 30);
    EXPECT_EQ(pix->PanWinWidth(), 180);

    // Closed by the user: the control forgets it.
    panEvents.clear();
    pan->close();
    EXPECT_EQ(panEvents, std::vector<int>{2});
    EXPECT_FALSE(pix->PanWinShown());
    EXPECT_EQ(pix->PanWindow(), nullptr);
}

TEST_F(Periphery, ANewPictureOrClosingTakesThePanWindowAway)
{
    ASSERT_EQ(pix->ShowPanWin(true), 1);
    sdk::SdkBitmapHandle other = sdktest::patterned(50, 50);
    pix->SetBitmap(&other);
    EXPECT_EQ(pix->PanWindow(), nullptr);
    ASSERT_EQ(pix->ShowPanWin(true), 1);
    EXPECT_EQ(pix->ShowPanWin(false), 1);
    EXPECT_EQ(pix->PanWindow(), nullptr);
    pix->Clear();
    EXPECT_EQ(pix->ShowPanWin(true), sdk::PXERR_BADBITMAP);
    EXPECT_EQ(pix->PanWindow(), nullptr);
}

TEST_F(Periphery, TheGlassMagnifiesWhatLiesUnderTheMouse)
{
    // 60 x 60, three times: 20 x 20 pixels of the picture around the mouse.
    ASSERT_EQ(pix->StartMagGlass(60, 60, 3, 0x000000, 0x808080, false, 0, false, false, true, false), 1);
    EXPECT_TRUE(pix->MagGlassActive());
    TMagGlass* glass = pix->MagGlass();
    ASSERT_NE(glass, nullptr);
    int cursorEvents = 0;
    pix->OnMagGlassCursor = [&](TPixImage*) { ++cursorEvents; };
    // The picture's point (200, 150), where its quarters meet, is at (80, 50) of the control.
    pix->ScrollBy(120, 100);
    QTest::mouseMove(pix.get(), QPoint(80, 30)); // on the edge of red and green
    EXPECT_TRUE(glass->isVisible());
    EXPECT_EQ(glass->geometry(), QRect(50, 0, 60, 60));
    EXPECT_GE(cursorEvents, 1);
    QImage seen = glass->grab().toImage();
    EXPECT_EQ(imagingtest::rgbAt(seen, 5, 30), 0xFF0000u);   // left: red, three times as wide
    EXPECT_EQ(imagingtest::rgbAt(seen, 55, 30), 0x00FF00u);  // right: green
    // It follows, down and right where the picture is white.
    QTest::mouseMove(pix.get(), QPoint(100, 70));
    EXPECT_EQ(glass->geometry(), QRect(70, 40, 60, 60));
    seen = glass->grab().toImage();
    EXPECT_EQ(imagingtest::rgbAt(seen, 30, 30), 0xFFFFFFu);

    // While it is there the mouse draws no region.
    pix->SetRgnShape(rsRectangle);
    QTest::mousePress(pix.get(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_FALSE(pix->HasRgn());

    // A second glass is refused; options restart the one there is with its own values.
    EXPECT_EQ(raisedBy([&] { pix->StartMagGlass(10, 10, 2, 0, 0, true, 1, false, false, true, false); }),
              "PixImage1 \nError code: -13\nStartMagGlass: " + sdk::ErrorCodeMessage(-13) + " ");
    pix->SetMagGlassPaintScaling(psNormal);
    ASSERT_TRUE(pix->MagGlassActive());
    EXPECT_EQ(pix->MagGlass()->Options().Width, 60);
    EXPECT_EQ(pix->MagGlass()->Options().Zoom, 3);

    EXPECT_EQ(pix->StopMagGlass(), 1);
    EXPECT_FALSE(pix->MagGlassActive());
    pix->SetEnableMethodErrors(false);
    EXPECT_EQ(pix->StopMagGlass(), 0);
    pix->Clear();
    EXPECT_EQ(raisedBy([&] { pix->StartMagGlass(60, 60, 3, 0, 0, false, 0, false, false, true, false); }),
              "PixImage1 \nStartMagGlass: Image not allocated.");
}

TEST_F(Periphery, ThePanWindowGoesWithAMinimisedWindowAndComesBack)
{
    // The control as a window of its own, then inside a form.
    QWidget form;
    for (bool inForm : {false, true}) {
        if (inForm) {
            pix->setParent(&form);
            form.show();
            pix->show();
        }
        QWidget* top = pix->window();
        ASSERT_EQ(top, inForm ? &form : pix.get());
        ASSERT_EQ(pix->ShowPanWin(true), 1) << inForm;
        TPanWindow* pan = pix->PanWindow();
        ASSERT_TRUE(pan->isVisible()) << inForm;
        top->setWindowState(Qt::WindowMinimized);
        EXPECT_FALSE(pan->isVisible()) << inForm;
        // Out of sight, not closed: it is still the control's, where it was.
        EXPECT_TRUE(pix->PanWinShown()) << inForm;
        EXPECT_EQ(pix->PanWindow(), pan) << inForm;
        top->setWindowState(Qt::WindowMaximized);
        EXPECT_TRUE(pan->isVisible()) << inForm;
        top->setWindowState(Qt::WindowNoState);
        EXPECT_TRUE(pan->isVisible()) << inForm;

        // Asked for while minimised, it waits for the window to come back.
        ASSERT_EQ(pix->ShowPanWin(false), 1);
        top->setWindowState(Qt::WindowMinimized);
        ASSERT_EQ(pix->ShowPanWin(true), 1);
        EXPECT_FALSE(pix->PanWindow()->isVisible()) << inForm;
        top->setWindowState(Qt::WindowNoState);
        EXPECT_TRUE(pix->PanWindow()->isVisible()) << inForm;

        // One the user closed stays closed.
        pix->PanWindow()->close();
        top->setWindowState(Qt::WindowMinimized);
        top->setWindowState(Qt::WindowNoState);
        EXPECT_EQ(pix->PanWindow(), nullptr) << inForm;
        EXPECT_FALSE(pix->PanWinShown()) << inForm;
    }
    pix->setParent(nullptr);
}

TEST_F(Periphery, TheGlassReportsWhereItIsWhileAHandlerWantsIt)
{
    std::vector<QPoint> reported;
    pix->SetMagGlassCallback([&](TPixImage* sender, int x, int y) {
        EXPECT_EQ(sender, pix.get());
        reported.emplace_back(x, y);
    });
    ASSERT_EQ(pix->StartMagGlass(60, 60, 3, 0, 0, false, 0, false, false, true, false), 1);
    reported.clear();
    QTest::mouseMove(pix.get(), QPoint(80, 30));
    QTest::mouseMove(pix.get(), QPoint(100, 70));
    EXPECT_EQ(reported, (std::vector<QPoint>{{80, 30}, {100, 70}}));

    // Taken away: the glass is told no more positions are wanted and asks no more, even when a
    // handler comes back, until it starts anew.
    pix->SetMagGlassCallback({});
    QTest::mouseMove(pix.get(), QPoint(90, 60));
    int later = 0;
    pix->SetMagGlassCallback([&](TPixImage*, int, int) { ++later; });
    QTest::mouseMove(pix.get(), QPoint(95, 65));
    EXPECT_EQ(later, 0);
    pix->SetMagGlassPaintScaling(psNormal); // starts the glass again
    QTest::mouseMove(pix.get(), QPoint(70, 40));
    EXPECT_GE(later, 1);
    EXPECT_EQ(reported.size(), 2u);

    // A glass started without a handler reports nothing.
    ASSERT_EQ(pix->StopMagGlass(), 1);
    pix->SetMagGlassCallback({});
    ASSERT_EQ(pix->StartMagGlass(60, 60, 3, 0, 0, false, 0, false, false, true, false), 1);
    later = 0;
    pix->SetMagGlassCallback([&](TPixImage*, int, int) { ++later; });
    QTest::mouseMove(pix.get(), QPoint(60, 50));
    EXPECT_EQ(later, 0);
}

TEST_F(Periphery, ThePanWindowAndTheGlassFollowEachPassOfAnEffectPaint)
{
    ASSERT_EQ(pix->ShowPanWin(true), 1);
    TPanWindow* pan = pix->PanWindow();
    ASSERT_NE(pan, nullptr);
    ASSERT_EQ(pix->StartMagGlass(60, 60, 3, 0, 0, false, 0, false, false, true, false), 1);
    TMagGlass* glass = pix->MagGlass();
    const QPoint mouse(20, 75);
    // Sent straight to the control: where the cursor was left by the case before does not matter.
    QMouseEvent move(QEvent::MouseMove, QPointF(mouse), QPointF(pix->mapToGlobal(mouse)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(pix.get(), &move);
    ASSERT_TRUE(glass->isVisible());
    ASSERT_EQ(glass->Point(), mouse);

    // Scrolled to the green quarter, the view is painted again with a transition background
    // and then the picture, each wiped in from the left in four passes.
    pix->SetTransitionStyle(etsGradient);
    pix->SetGradientStartColor(platform::rgbColor(0, 0, 255));
    pix->SetGradientEndColor(platform::rgbColor(0, 0, 255));
    pix->SetTransitionEffect(2000);
    pix->SetPaintEffect(2000);
    pix->SetPaintMaxPasses(4);
    struct Seen {
        unsigned pass, type;
        QRect panPart;
        std::uint32_t glassCentre, frameAtMouse;
    };
    std::vector<Seen> seen;
    pix->OnPaintNotify = [&](TPixImage* sender, unsigned pass, unsigned type) {
        seen.push_back({pass, type, pan->VisiblePart(), imagingtest::rgbAt(glass->grab().toImage(), 30, 30),
                        imagingtest::rgbAt(sender->ComposedFrame(), mouse.x(), mouse.y())});
    };
    pix->ScrollBy(200, 0);
    ASSERT_EQ(seen.size(), 10u);
    const QRect moved(200, 0, pix->ClientWidth(), pix->ClientHeight());
    bool changed = false;
    // Each pass is followed at once: by the next notice the pan window shows the new part and the
    // glass what the last pass left under the mouse.
    for (std::size_t i = 1; i < seen.size(); ++i) {
        if (seen[i].pass < 2) continue;
        SCOPED_TRACE(testing::Message() << "type " << seen[i].type << " pass " << seen[i].pass);
        EXPECT_EQ(seen[i].panPart, moved);
        EXPECT_EQ(seen[i].glassCentre, seen[i - 1].frameAtMouse);
        changed = changed || seen[i].glassCentre != seen[1].glassCentre;
    }
    EXPECT_EQ(seen[1].frameAtMouse, 0x0000FFu); // the first pass of the transition reaches the mouse
    EXPECT_EQ(seen[6].frameAtMouse, 0x00FF00u); // and so does the picture's
    EXPECT_TRUE(changed);
}

TEST_F(Periphery, TheRefreshMessageTakesInABitmapChangedBehindTheControlsBack)
{
    // Two pages; the second is shown with a region on it.
    sdk::SdkBitmapListHandle pages = nullptr;
    ASSERT_EQ(sdk::PX_CreateBitmapList(&pages), sdk::PX_SUCCESS);
    for (int i = 0; i < 2; ++i) {
        sdk::SdkBitmapHandle page = sdktest::makeBitmap(40, 30, [i](int, int) { return i ? 0x0000FFu : 0xFF0000u; });
        ASSERT_EQ(sdk::PX_InsertBitmapListItem(pages, i, &page), sdk::PX_SUCCESS);
    }
    pix->SetBitmapList(pages);
    sdk::PX_DestroyBitmapList(&pages);
    ASSERT_EQ(pix->SetBitmapListIndex(1), 1);
    int changes = 0;
    pix->OnChange = [&](TPixImage*) { ++changes; };
    const auto deliver = [&] {
        QCoreApplication::postEvent(pix.get(), new QEvent(static_cast<QEvent::Type>(TPixImage::RefreshMessage)));
        QCoreApplication::sendPostedEvents(pix.get(), 0);
    };
    // Paints the shown bitmap where the control does not look.
    const auto paint = [&](std::uint32_t rgb) {
        sdk::SdkBitmapHandle* b = pix->Bitmap();
        for (int y = 0; y < b->Height; ++y)
            for (int x = 0; x < b->Width; ++x) {
                std::uint8_t* px = b->row(y) + x * 3;
                px[0] = rgb & 0xFF;
                px[1] = (rgb >> 8) & 0xFF;
                px[2] = rgb >> 16;
            }
    };
    const auto listColour = [&](int index) {
        sdk::SdkBitmapHandle item;
        EXPECT_EQ(sdk::PX_GetBitmapListItem(pix->BitmapList(), index, &item), sdk::PX_SUCCESS);
        const std::uint32_t c = sdktest::pixel(item, 1, 1);
        sdk::PX_FreeBitmap(&item);
        return c;
    };

    // Busy with a bitmap context out: refused with 0, nothing taken in.
    sdk::PxPixDC* dc = nullptr;
    ASSERT_EQ(pix->GetBitmapDC(&dc), 1);
    paint(0x00FF00);
    changes = 0;
    deliver();
    EXPECT_EQ(pix->LastResult(), 0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(listColour(1), 0x0000FFu);
    ASSERT_EQ(pix->ReleaseBitmapDC(dc), 1);

    // Taken in: the list holds the change, the region is gone, the picture counts as changed.
    ASSERT_EQ(pix->SetRgnRect(2, 2, 10, 10, 1), 1);
    ASSERT_TRUE(pix->HasRgn());
    paint(0xFFFFFF);
    changes = 0;
    deliver();
    EXPECT_EQ(pix->LastResult(), 1);
    EXPECT_EQ(listColour(1), 0xFFFFFFu);
    EXPECT_EQ(listColour(0), 0xFF0000u);
    EXPECT_FALSE(pix->HasRgn());
    EXPECT_EQ(changes, 2);
    pix->Refresh();
    EXPECT_EQ(imagingtest::rgbAt(pix->ComposedFrame(), 5, 5), 0xFFFFFFu);

    // While an animation plays: refused with -16.
    ASSERT_EQ(pix->AnimationEnable(true), 1);
    changes = 0;
    deliver();
    EXPECT_EQ(pix->LastResult(), -16);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(pix->Animating());
    ASSERT_EQ(pix->AnimationEnable(false), 1);
}

TEST_F(Periphery, DisplayFlagWordsFollowTheOptions)
{
    EXPECT_EQ(pix->PanWinDisplayFlags(), 1);
    EXPECT_EQ(pix->MagGlassDisplayFlags(), 1 | 512);
    pix->SetPanWinPaintDither(pdDiffusion);
    pix->SetPanWinBitonalScaling(btsScaleToGray);
    pix->SetPanWinPaintPalette(ppFixedNetscape);
    pix->SetPanWinPaintScaling(psBicubic);
    EXPECT_EQ(pix->PanWinDisplayFlags(), 16 | 384 | 1024);
}

} // namespace

namespace {

TEST_F(ControlTest, PanWindowAndGlassOnScreen)
{
    if (!imagingtest::haveTools({"xvfb-run", "import", "convert"})) GTEST_SKIP() << "Xvfb or ImageMagick missing";
    // Grey with a black grid every 100 pixels.
    make("convert -size 1200x900 xc:'#B0B0B0' -fill none -stroke black -strokewidth 4 "
         "-draw \"$(for i in $(seq 100 100 1100); do echo line $i,0 $i,899 line 0,$i 1199,$i; done)\" pic.png");
    const QString shot = host("shot.png");
    make(QString("xvfb-run -a -s '-screen 0 1024x600x24' env QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 %1 %2 0 %3 "
                 "periphery")
             .arg(sdktest::quoted(PIXFORM_SHOT_PATH), sdktest::quoted(host("pic.png")),
                  sdktest::quoted("import -window root " + sdktest::quoted(shot))));
    const QImage screen(shot);
    ASSERT_FALSE(screen.isNull());
    QRect panRect, glassRing, panWindow;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const std::uint32_t c = imagingtest::rgbAt(screen, x, y);
            if (imagingtest::near(c, 0xFF0000, 40)) panRect |= QRect(x, y, 1, 1);
            if (imagingtest::near(c, 0x0000FF, 40)) glassRing |= QRect(x, y, 1, 1);
            if (x >= 640 && imagingtest::near(c, 0xB0B0B0, 12)) panWindow |= QRect(x, y, 1, 1);
        }
    // The pan window (260 x 200 at 700, 40) shows the whole 4:3 picture, 260 x 195.
    EXPECT_NEAR(panWindow.left(), 700, 2);
    EXPECT_NEAR(panWindow.width(), 260, 2);
    EXPECT_NEAR(panWindow.height(), 195, 3);
    // Its rectangle: the part the control shows (about 606 x 436 of 1200 x 900), from 150, 100.
    EXPECT_TRUE(panWindow.contains(panRect)) << panRect.x() << "," << panRect.y();
    EXPECT_NEAR(panRect.left() - panWindow.left(), 150 * 260 / 1200, 2);
    EXPECT_NEAR(panRect.width(), 606 * 260 / 1200, 4);
    // The round glass, 160 across, in the control, left of its middle.
    EXPECT_NEAR(glassRing.width(), 160, 2);
    EXPECT_NEAR(glassRing.height(), 160, 2);
    EXPECT_LT(glassRing.right(), 640);
}

} // namespace

namespace {

TEST_F(ControlTest, TheMiddleButtonDragsAZoomInCaptureWithItsOutline)
{
    pix->resize(120, 80);
    pix->show();
    QCursor::setPos(300, 200);
    std::vector<QPoint> done;
    pix->OnZoomInDone = [&](TPixImage*, int x, int y) { done.emplace_back(x, y); };
    pix->SetPaintZoomFactor(200);
    pix->SetEnableZoomInCapture(true);
    QTest::mousePress(pix.get(), Qt::MiddleButton, {}, QPoint(10, 10));
    EXPECT_TRUE(pix->ZoomInDragging());
    // The capture waits for the timer; here it is run at once.
    pix->ZoomInCapture();
    const QPoint cursor = QCursor::pos();
    // Half the control's size at a zoom of 200 %, around the mouse.
    const QRect want(cursor.x() - 30, cursor.y() - 20, 60, 40);
    EXPECT_EQ(pix->ZoomInRect(), want);
    ASSERT_NE(pix->ZoomInFrame(), nullptr);
    EXPECT_TRUE(pix->ZoomInFrame()->isVisible());
    EXPECT_EQ(pix->ZoomInFrame()->geometry(), want.adjusted(-1, -1, 1, 1));
    // Without EnableZoomInRect nothing is drawn.
    pix->SetEnableZoomInRect(false);
    pix->ZoomInCapture();
    EXPECT_TRUE(pix->ZoomInRect().isNull());
    EXPECT_FALSE(pix->ZoomInFrame()->isVisible());
    pix->SetEnableZoomInRect(true);
    pix->ZoomInCapture();
    QTest::mouseRelease(pix.get(), Qt::MiddleButton, {}, QPoint(10, 10));
    EXPECT_FALSE(pix->ZoomInDragging());
    EXPECT_FALSE(pix->ZoomInFrame()->isVisible());
    EXPECT_EQ(done, std::vector<QPoint>{cursor});
}

// Off by default: a middle click leaves the picture and starts nothing.
TEST_F(ControlTest, WithoutTheCaptureSwitchedOnTheMiddleButtonLeavesThePicture)
{
    pix->resize(120, 80);
    pix->show();
    sdk::SdkBitmapHandle picture = sdktest::patterned(40, 30);
    pix->SetBitmap(&picture);
    bool done = false;
    pix->OnZoomInDone = [&](TPixImage*, int, int) { done = true; };
    QTest::mousePress(pix.get(), Qt::MiddleButton, {}, QPoint(10, 10));
    EXPECT_FALSE(pix->ZoomInDragging());
    QTest::mouseMove(pix.get(), QPoint(30, 20));
    QTest::mouseRelease(pix.get(), Qt::MiddleButton, {}, QPoint(30, 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(pix->ZoomInFrame(), nullptr);
    EXPECT_FALSE(done);
    ASSERT_NE(pix->Bitmap(), nullptr);
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), picture));
}

} // namespace
