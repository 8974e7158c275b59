// Where the control shows its picture in every size mode, centred or not, with a frame or
// without (read back from grab()), and how its bars, keys and wheel scroll it.
#include "fixture.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;
using imagingtest::rgbAt;

namespace {

constexpr std::uint32_t red = 0xFF0000;   // the picture
constexpr std::uint32_t green = 0x00FF00; // the background
constexpr std::uint32_t blue = 0x0000FF;  // the frame

struct LayoutCase {
    const char* name;
    TPaintSizeMode mode;
    int zoom; // smZoom only
    bool centre;
    int frame;
    QRect picture; // in client coordinates
};
void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class Layout : public ControlTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(Layout, GrabShowsThePictureWhereTheLayoutPutsIt)
{
    const LayoutCase& c = GetParam();
    sdk::SdkBitmapHandle b = sdktest::makeBitmap(400, 300, [](int, int) { return red; });
    pix->resize(200, 200);
    pix->SetBackColor(platform::rgbColor(0, 255, 0));
    pix->SetFrameColor(platform::rgbColor(0, 0, 255));
    pix->SetFrameThickness(static_cast<std::uint32_t>(c.frame));
    pix->SetCenterImage(c.centre);
    pix->SetBitmap(&b);
    if (c.mode == smZoom) pix->SetPaintZoomFactor(c.zoom);
    else pix->SetPaintSizeMode(c.mode);
    pix->ForceRepaint();

    const QImage shot = pix->grab().toImage();
    const QRect inner(c.frame, c.frame, pix->ClientWidth() - 2 * c.frame, pix->ClientHeight() - 2 * c.frame);
    const QRect r = c.picture;
    EXPECT_EQ(QRect(pix->DstLeft() + c.frame, pix->DstTop() + c.frame, pix->DstWidth(), pix->DstHeight()), r);
    EXPECT_EQ(rgbAt(shot, r.left(), r.top()), red);
    const QPoint last = (r & inner).bottomRight();
    EXPECT_EQ(rgbAt(shot, last.x(), last.y()), red);
    for (const QPoint& outside : {QPoint(r.left() - 1, r.top()), QPoint(r.left(), r.top() - 1),
                                  QPoint(r.right() + 1, r.bottom()), QPoint(r.right(), r.bottom() + 1)})
        if (inner.contains(outside)) {
            EXPECT_EQ(rgbAt(shot, outside.x(), outside.y()), green) << outside.x() << "," << outside.y();
        }
    if (c.frame > 0) {
        EXPECT_EQ(rgbAt(shot, 0, 0), blue);
        EXPECT_EQ(rgbAt(shot, pix->ClientWidth() - 1, pix->ClientHeight() - 1), blue);
        EXPECT_EQ(rgbAt(shot, c.frame - 1, 100), blue);
    }
    // What is shown is the composed frame, which callers may keep.
    EXPECT_EQ(pix->ComposedFrame().convertToFormat(QImage::Format_RGB32),
              shot.copy(0, 0, pix->ClientWidth(), pix->ClientHeight()).convertToFormat(QImage::Format_RGB32));
}

// A 400 x 300 picture in a 200 x 200 control.
INSTANTIATE_TEST_SUITE_P(
    Modes, Layout,
    ::testing::Values(LayoutCase{"Fit", smFit, 0, false, 0, QRect(0, 0, 200, 150)},
                      LayoutCase{"FitCentred", smFit, 0, true, 0, QRect(0, 25, 200, 150)},
                      LayoutCase{"FitFramed", smFit, 0, false, 3, QRect(3, 3, 194, 146)},
                      LayoutCase{"FitCentredFramed", smFit, 0, true, 3, QRect(3, 27, 194, 146)},
                      LayoutCase{"FitSides", smFitSides, 0, false, 0, QRect(0, 0, 200, 150)},
                      LayoutCase{"FitSidesCentred", smFitSides, 0, true, 0, QRect(0, 25, 200, 150)},
                      LayoutCase{"Stretch", smStretch, 0, false, 0, QRect(0, 0, 200, 200)},
                      LayoutCase{"StretchFramed", smStretch, 0, true, 3, QRect(3, 3, 194, 194)},
                      LayoutCase{"Zoom", smZoom, 25, false, 0, QRect(0, 0, 100, 75)},
                      LayoutCase{"ZoomCentred", smZoom, 25, true, 0, QRect(50, 62, 100, 75)},
                      LayoutCase{"ZoomCentredFramed", smZoom, 25, true, 2, QRect(50, 62, 100, 75)},
                      LayoutCase{"Normal", smNormal, 0, false, 0, QRect(0, 0, 400, 300)},
                      LayoutCase{"NormalFramed", smNormal, 0, true, 4, QRect(4, 4, 400, 300)}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST_F(ControlTest, SizeModeArithmetic)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(400, 300);
    pix->resize(200, 200);
    pix->SetBitmap(&b);
    pix->SetPaintSizeMode(smFit);
    EXPECT_DOUBLE_EQ(pix->ZoomX(), 0.5);
    EXPECT_EQ(pix->DstWidth(), 200);
    EXPECT_EQ(pix->DstHeight(), 150);
    EXPECT_TRUE(pix->HorzScrollBar()->isHidden());
    pix->SetPaintSizeMode(smStretch);
    EXPECT_DOUBLE_EQ(pix->ZoomX(), 0.5);
    EXPECT_NEAR(pix->ZoomY(), 2.0 / 3.0, 1e-12);
    EXPECT_EQ(pix->DstHeight(), 200);
    pix->SetPaintSizeMode(smNormal);
    EXPECT_DOUBLE_EQ(pix->ZoomX(), 1.0);
    EXPECT_EQ(pix->DstWidth(), 400);
    EXPECT_FALSE(pix->HorzScrollBar()->isHidden());
    EXPECT_FALSE(pix->VertScrollBar()->isHidden());
    EXPECT_EQ(pix->ScrollMaxX(), 400 - pix->ClientWidth());
    EXPECT_EQ(pix->ScrollMaxY(), 300 - pix->ClientHeight());
    EXPECT_LT(pix->ClientWidth(), 200);
    // Switching the bars off gives the whole control back to the picture.
    pix->SetAutoScroll(false);
    EXPECT_TRUE(pix->HorzScrollBar()->isHidden());
    EXPECT_TRUE(pix->VertScrollBar()->isHidden());
    EXPECT_EQ(pix->ClientWidth(), 200);

    // No picture: nothing to show and nothing to scroll.
    TPixImage empty;
    empty.SetPaintSizeMode(smFit);
    EXPECT_EQ(empty.DstWidth(), 0);
    EXPECT_EQ(empty.DstHeight(), 0);
    EXPECT_EQ(empty.ScrollMaxX(), 0);
    EXPECT_TRUE(empty.VertScrollBar()->isHidden());
}

TEST_F(ControlTest, AutoSizeFitsTheControlToThePictureAndFrame)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(40, 30);
    pix->SetFrameThickness(2);
    pix->SetAutoSize(true);
    pix->SetBitmap(&b);
    EXPECT_EQ(pix->size(), QSize(44, 34));
    pix->SetPaintZoomFactor(200);
    EXPECT_EQ(pix->size(), QSize(84, 64));
}

TEST_F(ControlTest, ResolutionScalingUsesTheScreenDotsPerInch)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(400, 300);
    b.XResolution = pix->logicalDpiX() * 2;
    b.YResolution = pix->logicalDpiY() * 4;
    pix->SetBitmap(&b);
    pix->SetPaintSizeUseDPI(true);
    EXPECT_EQ(pix->DstWidth(), 200);
    EXPECT_EQ(pix->DstHeight(), 75);
    pix->SetPaintSizeUseDPI(false);
    pix->SetPaintSizeMode(smNormal);
    EXPECT_EQ(pix->DstWidth(), 400);
}

TEST_F(ControlTest, PaintsRequestedWhilePaintingAreIgnored)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(40, 30);
    pix->SetBitmap(&b);
    int paints = 0;
    pix->OnPaint = [&](TPixImage* sender) {
        ++paints;
        sender->ForceRepaint();
        sender->VScroll(scLineDown);
    };
    pix->ForceRepaint();
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(imagingtest::rgbAt(pix->ComposedFrame(), 0, 0), sdktest::pixel(b, 0, 0));
}

// PaintContrast, PaintIntensity and PaintGamma change what is shown, never the picture itself, and
// leave the background alone.
TEST_F(ControlTest, DisplayAdjustmentsChangeOnlyWhatIsShown)
{
    constexpr std::uint32_t colour = 0x644080; // 100, 64, 128
    sdk::SdkBitmapHandle b = sdktest::makeBitmap(40, 30, [](int, int) { return colour; });
    pix->resize(60, 60);
    pix->SetBackColor(platform::rgbColor(0, 255, 0));
    pix->SetBitmap(&b);
    struct Case {
        int contrast, intensity, gamma;
        std::uint32_t shown;
    };
    const Case cases[] = {
        {0, 0, 100, colour},       {0, 20, 100, 0x9773B3},   {0, -100, 100, 0x000000}, {0, 0, 200, 0xA080B5},
        {-100, 0, 100, 0x808080},  {50, 0, 100, 0x490280},   {100, 0, 100, 0x0000B2},  {50, 20, 200, 0xB274D6},
        // beyond the ends: the nearest end
        {500, 0, 100, 0x0000B2},   {0, 250, 100, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.contrast << " " << c.intensity << " " << c.gamma);
        pix->SetPaintContrast(c.contrast);
        pix->SetPaintIntensity(c.intensity);
        pix->SetPaintGamma(c.gamma);
        const QImage shot = pix->grab().toImage();
        EXPECT_EQ(rgbAt(shot, 5, 5), c.shown);
        EXPECT_EQ(rgbAt(shot, 39, 29), c.shown);
        EXPECT_EQ(rgbAt(shot, 50, 50), green);
        EXPECT_EQ(rgbAt(pix->ComposedFrame(), 5, 5), c.shown);
        EXPECT_EQ(sdktest::pixel(*pix->Bitmap(), 5, 5), colour);
    }
    // A gamma of 0 or below paints as the smallest one does, without a failure.
    pix->SetPaintContrast(0);
    pix->SetPaintIntensity(0);
    pix->SetPaintGamma(10);
    const std::uint32_t smallest = rgbAt(pix->grab().toImage(), 5, 5);
    for (int gamma : {0, -50}) {
        pix->SetPaintGamma(gamma);
        EXPECT_EQ(rgbAt(pix->grab().toImage(), 5, 5), smallest);
    }
    EXPECT_EQ(pix->LastResult(), 1);
}

TEST_F(ControlTest, QuarterTurnedPerspectivesSwapTheDisplayedSides)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(400, 300);
    b.ViewPerspective = 5;
    pix->SetBitmap(&b);
    EXPECT_EQ(pix->BitmapWidth(), 300);
    EXPECT_EQ(pix->BitmapHeight(), 400);
}

class Scrolling : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        picture = sdktest::patterned(400, 300);
        pix->resize(200, 200);
        pix->SetBitmap(&picture);
        pix->OnBeforeScroll = [this](TPixImage*) { ++before; };
        pix->OnScroll = [this](TPixImage*) { ++after; };
    }
    // The pixel shown at the top left is the picture's pixel at the scroll position.
    void expectShownAtOrigin()
    {
        const QImage shot = pix->grab().toImage();
        EXPECT_EQ(rgbAt(shot, 0, 0), sdktest::pixel(picture, pix->ScrollPosX(), pix->ScrollPosY()));
        EXPECT_EQ(pix->DstLeft(), -pix->ScrollPosX());
        EXPECT_EQ(pix->DstTop(), -pix->ScrollPosY());
    }
    void wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier, Qt::MouseButtons buttons = Qt::NoButton)
    {
        QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), buttons, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(pix.get(), &event);
    }
    sdk::SdkBitmapHandle picture;
    int before = 0;
    int after = 0;
};

TEST_F(Scrolling, LinesPagesAndEnds)
{
    EXPECT_EQ(pix->VertScrollInfo().Page, 30);
    EXPECT_EQ(pix->HorzScrollInfo().Page, 40);
    EXPECT_EQ(pix->VertScrollInfo().Max, pix->ScrollMaxY() + 30 - 1);
    pix->VScroll(scLineDown);
    pix->HScroll(scLineDown);
    EXPECT_EQ(pix->ScrollPosY(), 2);
    EXPECT_EQ(pix->ScrollPosX(), 1);
    expectShownAtOrigin();
    pix->VScroll(scPageDown);
    EXPECT_EQ(pix->ScrollPosY(), 32);
    pix->HScroll(scPageDown);
    EXPECT_EQ(pix->ScrollPosX(), 41);
    pix->VScroll(scPageUp);
    EXPECT_EQ(pix->ScrollPosY(), 2);
    pix->VScroll(scTrack, 10000);
    EXPECT_EQ(pix->ScrollPosY(), pix->ScrollMaxY());
    expectShownAtOrigin();
    EXPECT_EQ(pix->VertScrollBar()->value(), pix->ScrollMaxY());
    EXPECT_EQ(before, 6);
    EXPECT_EQ(after, 6);
    // At the end a further line moves nothing: no before-event, but the scroll event still fires.
    pix->VScroll(scLineDown);
    EXPECT_EQ(pix->ScrollPosY(), pix->ScrollMaxY());
    EXPECT_EQ(before, 6);
    EXPECT_EQ(after, 7);
    pix->HScroll(scTop);
    pix->VScroll(scTop);
    EXPECT_EQ(pix->ScrollPosX(), 0);
    EXPECT_EQ(pix->ScrollPosY(), 0);
    pix->VScroll(scBottom);
    EXPECT_EQ(pix->ScrollPosY(), pix->ScrollMaxY());

    // Switched off, scrolling does nothing and tells nobody.
    pix->SetEnableScroll(false);
    before = after = 0;
    pix->VScroll(scPageUp);
    EXPECT_EQ(pix->ScrollPosY(), pix->ScrollMaxY());
    EXPECT_EQ(before + after, 0);
}

TEST_F(Scrolling, KeysAndWheel)
{
    QTest::keyClick(pix.get(), Qt::Key_Down);
    EXPECT_EQ(pix->ScrollPosY(), 2);
    QTest::keyClick(pix.get(), Qt::Key_PageDown);
    EXPECT_EQ(pix->ScrollPosY(), 32);
    QTest::keyClick(pix.get(), Qt::Key_Up);
    EXPECT_EQ(pix->ScrollPosY(), 30);
    QTest::keyClick(pix.get(), Qt::Key_Right);
    QTest::keyClick(pix.get(), Qt::Key_Right);
    EXPECT_EQ(pix->ScrollPosX(), 2);
    QTest::keyClick(pix.get(), Qt::Key_Left);
    EXPECT_EQ(pix->ScrollPosX(), 1);
    QTest::keyClick(pix.get(), Qt::Key_PageUp);
    EXPECT_EQ(pix->ScrollPosY(), 0);

    // One page per 120 units of wheel; backwards is down, Shift makes it horizontal.
    wheel(-120);
    EXPECT_EQ(pix->ScrollPosY(), 30);
    wheel(-60);
    EXPECT_EQ(pix->ScrollPosY(), 30);
    wheel(-60);
    EXPECT_EQ(pix->ScrollPosY(), 60);
    wheel(240);
    EXPECT_EQ(pix->ScrollPosY(), 0);
    wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(pix->ScrollPosX(), 41);
    wheel(-120, Qt::NoModifier, Qt::LeftButton);
    EXPECT_EQ(pix->ScrollPosY(), 0);
    expectShownAtOrigin();

    pix->SetEnableKeyboard(false);
    QTest::keyClick(pix.get(), Qt::Key_Down);
    EXPECT_EQ(pix->ScrollPosY(), 0);
}

TEST_F(Scrolling, TheScrollBarsDriveThePicture)
{
    QScrollBar* bar = pix->VertScrollBar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(pix->ScrollPosY(), 2);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(pix->ScrollPosY(), 32);
    EXPECT_EQ(bar->value(), 32);
    pix->HorzScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(pix->ScrollPosX(), pix->ScrollMaxX());
    expectShownAtOrigin();
}

TEST_F(Scrolling, NewPicturesAndStepsResetTheView)
{
    pix->VScroll(scPageDown);
    // A scroll step puts the view back to the origin.
    pix->SetVScrollStep(5);
    EXPECT_EQ(pix->ScrollPosY(), 0);
    pix->VScroll(scPageDown);
    // Switching the bars back on while scrolled past a smaller maximum pulls the picture back.
    pix->SetAutoScroll(false);
    pix->resize(390, 290);
    pix->SetAutoScroll(true);
    EXPECT_LE(pix->ScrollPosY(), pix->ScrollMaxY());
    expectShownAtOrigin();

    // A new picture gets its own page size.
    if (!imagingtest::haveTools({"convert"})) return;
    makePicture("large.jpg", 1000, 800);
    pix->resize(200, 200);
    ASSERT_EQ(pix->Load(win("large.jpg")), 1);
    EXPECT_EQ(pix->VertScrollInfo().Page, 80);
    EXPECT_EQ(pix->HorzScrollInfo().Page, 100);
    EXPECT_EQ(pix->ScrollPosY(), 0);
}

TEST_F(Scrolling, RubberBandFollowsTheDrag)
{
    pix->RubberBandBegin(50, 60);
    pix->RubberBandMove(20, 100);
    EXPECT_EQ(pix->RubberBandRect(), QRect(QPoint(20, 60), QPoint(50, 100)));
    const QImage shot = pix->grab().toImage();
    EXPECT_NE(rgbAt(shot, 20, 80), rgbAt(pix->ComposedFrame(), 20, 80));
    EXPECT_EQ(pix->RubberBandEnd(), QRect(QPoint(20, 60), QPoint(50, 100)));
    const QImage after = pix->grab().toImage();
    EXPECT_EQ(rgbAt(after, 20, 80), rgbAt(pix->ComposedFrame(), 20, 80));
}

// The zoom-in capture copies the screen around the cursor: the client size divided by the zoom.
TEST_F(ControlTest, ZoomInCaptureTakesTheScreenAroundTheCursor)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    pix->SetAutoScroll(false);
    pix->resize(200, 100);
    pix->SetPaintZoomFactor(200);
    QCursor::setPos(screen->geometry().center());
    pix->ZoomInCapture();
    const QRect r = pix->ZoomInRect();
    EXPECT_EQ(r.size(), QSize(100, 50));
    EXPECT_TRUE(r.contains(QCursor::pos()) || QCursor::pos() == QPoint());
    if (pix->HasImage()) {
        EXPECT_EQ(pix->BitmapWidth(), 100);
        EXPECT_EQ(pix->BitmapHeight(), 50);
    }
    // Near an edge the rectangle is cut to the screen.
    QCursor::setPos(screen->geometry().topLeft());
    pix->ZoomInCapture();
    EXPECT_TRUE(screen->geometry().contains(pix->ZoomInRect()));
}

} // namespace
