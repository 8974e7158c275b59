// The viewport's arithmetic on its own: the size modes, centring, scrolling by message, by
// distance and by wheel, and the part of the bitmap in sight.
#include "imaging/pixviewport.h"

#include <gtest/gtest.h>

using namespace imaging;

namespace {

struct FitCase {
    const char* name;
    TPaintSizeMode mode;
    QSize picture;
    QSize inner;
    double zoomX, zoomY; // before
    double wantZoomX, wantZoomY;
    QSize wantDestination;
};
void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class ViewportFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(ViewportFit, GivesTheZoomAndTheDestinationOfTheMode)
{
    const FitCase& c = GetParam();
    PixViewport v;
    v.ZoomX = c.zoomX;
    v.ZoomY = c.zoomY;
    v.DstLeft = 3;
    v.DstTop = 4;
    EXPECT_TRUE(v.Fit(c.mode, c.picture, c.inner));
    EXPECT_DOUBLE_EQ(v.ZoomX, c.wantZoomX);
    EXPECT_DOUBLE_EQ(v.ZoomY, c.wantZoomY);
    EXPECT_EQ(QSize(v.DstWidth, v.DstHeight), c.wantDestination);
    EXPECT_EQ(v.DstClip, QRect(QPoint(3, 4), c.wantDestination));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ViewportFit,
    ::testing::Values(FitCase{"normal keeps zoom", smNormal, {400, 300}, {200, 200}, 1.0, 1.0, 1.0, 1.0, {400, 300}},
                      FitCase{"zoom keeps zoom", smZoom, {400, 300}, {200, 200}, 0.5, 0.5, 0.5, 0.5, {200, 150}},
                      FitCase{"stretch fills both", smStretch, {400, 300}, {200, 150}, 1.0, 1.0, 0.5, 0.5, {200, 150}},
                      FitCase{"stretch unequal", smStretch, {100, 100}, {200, 50}, 1.0, 1.0, 2.0, 0.5, {200, 50}},
                      FitCase{"fit sides by width", smFitSides, {100, 400}, {200, 200}, 1.0, 1.0, 2.0, 2.0, {200, 800}},
                      FitCase{"fit the smaller", smFit, {400, 100}, {200, 200}, 1.0, 1.0, 0.5, 0.5, {200, 50}},
                      // Halves round to even: 25 * 0.5 is 12.5, which gives 12.
                      FitCase{"half to even", smZoom, {25, 27}, {10, 10}, 0.5, 0.5, 0.5, 0.5, {12, 14}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(Viewport, AnEmptyPictureHasNoDestination)
{
    PixViewport v;
    v.DstWidth = 10;
    v.DstHeight = 10;
    EXPECT_FALSE(v.Fit(smFit, {0, 30}, {100, 100}));
    EXPECT_EQ(v.DstWidth, 0);
    EXPECT_EQ(v.DstHeight, 0);
}

TEST(Viewport, ScaledHandlesZeroAndNegativeZoom)
{
    EXPECT_EQ(PixViewport::Scaled(100, 1.5), 150);
    EXPECT_EQ(PixViewport::Scaled(100, 0.0), 1);
    EXPECT_EQ(PixViewport::Scaled(100, -1.0), 50); // 1 / (1 - z)
}

TEST(Viewport, ZoomFactorOfAStretchIsTheSmallerZoom)
{
    PixViewport v;
    v.ZoomX = 2.0;
    v.ZoomY = 0.5;
    EXPECT_EQ(v.ZoomFactor(smStretch), 50);
    EXPECT_EQ(v.ZoomFactor(smFit), 200);
    v.SetZoomFactor(125);
    EXPECT_DOUBLE_EQ(v.ZoomX, 1.25);
    EXPECT_DOUBLE_EQ(v.ZoomY, 1.25);
    v.ResetZoom({30, 20});
    EXPECT_EQ(v.ZoomFactor(smNormal), 100);
    EXPECT_EQ(QSize(v.DstWidth, v.DstHeight), QSize(30, 20));
}

TEST(Viewport, CentreMovesOnlyTheSidesThatAreSmaller)
{
    PixViewport v;
    v.Display = QRect(0, 0, 50, 300);
    v.Centre({200, 200});
    EXPECT_EQ(v.Display, QRect(75, 0, 50, 300));
    EXPECT_EQ(v.DstClip, v.Display);
    EXPECT_EQ(QRect(v.DstLeft, v.DstTop, v.DstWidth, v.DstHeight), v.Display);
}

// A 400 x 300 destination in a 100 x 100 inner area.
PixViewport scrolled()
{
    PixViewport v;
    v.DstWidth = 400;
    v.DstHeight = 300;
    v.Horz.Page = 40;
    v.Vert.Page = 30;
    v.LimitScroll({100, 100});
    v.FollowScroll();
    v.ClipToDestination();
    return v;
}

TEST(Viewport, LimitsKeepThePositionInRange)
{
    PixViewport v = scrolled();
    EXPECT_EQ(v.MaxX, 300);
    EXPECT_EQ(v.MaxY, 200);
    v.PosX = 500;
    v.PosY = -3;
    v.LimitScroll({100, 100});
    EXPECT_EQ(v.PosX, 300);
    EXPECT_EQ(v.PosY, 0);
    v.LimitScroll({500, 500});
    EXPECT_EQ(v.MaxX, 0);
    EXPECT_EQ(v.PosX, 0);
}

struct DeltaCase {
    TScrollCode code;
    bool vertical;
    int from, pos, want;
};

TEST(Viewport, ScrollDeltaOfEveryCodeStaysWithinTheLimits)
{
    const DeltaCase cases[] = {
        {scLineDown, false, 0, 0, 1},     {scLineDown, true, 0, 0, 2},      {scLineUp, true, 0, 0, 0},
        {scLineUp, true, 10, 0, -2},      {scPageDown, false, 0, 0, 40},    {scPageDown, true, 190, 0, 10},
        {scPageUp, false, 100, 0, -40},   {scPageUp, false, 10, 0, -10},    {scTrack, false, 10, 250, 240},
        {scPosition, true, 10, 999, 190}, {scTop, false, 120, 0, -120},     {scBottom, true, 20, 0, 180},
        {scEndScroll, true, 20, 0, 0},
    };
    for (const DeltaCase& c : cases) {
        PixViewport v = scrolled();
        (c.vertical ? v.PosY : v.PosX) = c.from;
        EXPECT_EQ(v.ScrollDelta(c.vertical, c.code, c.pos), c.want) << c.code << " " << c.vertical << " " << c.from;
    }
}

TEST(Viewport, ScrollByMovesTheDestinationTheOtherWay)
{
    PixViewport v = scrolled();
    EXPECT_EQ(v.ScrollBy(50, 500), QPoint(50, 200));
    EXPECT_EQ(QPoint(v.PosX, v.PosY), QPoint(50, 200));
    EXPECT_EQ(QPoint(v.DstLeft, v.DstTop), QPoint(-50, -200));
    EXPECT_EQ(v.DstClip.topLeft(), QPoint(-50, -200));
    EXPECT_EQ(v.Horz.Pos, 50);
    EXPECT_EQ(v.Vert.Pos, 200);
    EXPECT_EQ(v.ScrollBy(-80, 0), QPoint(-50, 0));
    EXPECT_EQ(v.ScrollToOrigin(), QPoint(0, 200));
    EXPECT_EQ(QPoint(v.DstLeft, v.DstTop), QPoint(0, 0));
    EXPECT_EQ(v.Vert.Pos, 0);
}

TEST(Viewport, ADestinationMovedRightOfTheOriginIsPutBack)
{
    // A centred picture scrolled across: it never leaves a gap at the left.
    PixViewport v = scrolled();
    v.DstLeft = 20;
    v.ScrollBy(10, 0);
    EXPECT_EQ(v.DstLeft, 0);
    EXPECT_EQ(v.PosX, 0);
}

TEST(Viewport, KeepWithinLimitsMovesTheDestinationWithThePosition)
{
    PixViewport v = scrolled();
    v.ScrollBy(300, 0);
    v.MaxX = 100;
    v.KeepWithinLimits();
    EXPECT_EQ(v.PosX, 100);
    EXPECT_EQ(v.DstLeft, -100);
}

TEST(Viewport, WheelUnitsMakeWholePagesAndKeepTheRest)
{
    PixViewport v;
    EXPECT_EQ(v.WheelPages(60), 0);
    EXPECT_EQ(v.WheelPages(60), 1);
    EXPECT_EQ(v.WheelPages(-370), -3);
    EXPECT_EQ(v.WheelPages(-100), 0); // -10 was left
    EXPECT_EQ(v.WheelPages(-10), -1);
    EXPECT_EQ(v.WheelPages(119), 0);
}

TEST(Viewport, TheFirstPageIsATenthOfThePictureAndStays)
{
    TPixScrollInfo info;
    PixViewport::InitPage(info, 305);
    EXPECT_EQ(info.Page, 30); // 30.5 rounds to even
    PixViewport::InitPage(info, 1000);
    EXPECT_EQ(info.Page, 30);
    TPixScrollInfo tiny;
    PixViewport::InitPage(tiny, 4);
    EXPECT_EQ(tiny.Page, 1);
    PixViewport v;
    v.Horz.Page = 5;
    v.ResetPages();
    EXPECT_EQ(v.Horz.Page, -1);
    EXPECT_EQ(v.Vert.Page, -1);
}

TEST(Viewport, VisiblePartAndPanPositionAreInBitmapPixels)
{
    // A 200 x 100 bitmap at zoom 2, scrolled by 100 across, in an 80 x 60 inner area with a frame of 5.
    PixViewport v;
    v.ZoomX = v.ZoomY = 2.0;
    v.DstWidth = 400;
    v.DstHeight = 200;
    v.LimitScroll({80, 60});
    v.FollowScroll();
    v.ScrollBy(100, 0);
    const QRect inner(5, 5, 80, 60);
    EXPECT_EQ(v.VisibleBitmapPart({200, 100}, inner, 5), QRect(50, 0, 40, 30));
    EXPECT_EQ(v.PositionOf({60, 10}), QPoint(120, 20));
    EXPECT_EQ(v.PositionOf({199, 99}), QPoint(v.MaxX, v.MaxY));
    v.DstWidth = 0;
    EXPECT_TRUE(v.VisibleBitmapPart({200, 100}, inner, 5).isEmpty());
}

TEST(Viewport, RegionTransformsMapTheDestinationOntoTheSource)
{
    PixViewport v;
    v.Src = QRect(0, 0, 100, 50);
    v.DstLeft = -10;
    v.DstTop = 4;
    v.DstWidth = 200;
    v.DstHeight = 100;
    const sdk::PxRgnTransform in = v.ClientToBitmap(3);
    EXPECT_EQ(in.ViewPerspective, 3);
    EXPECT_EQ(in.XScaleNum, 100);
    EXPECT_EQ(in.XScaleDen, 200);
    EXPECT_EQ(in.XOffset, 10);
    EXPECT_EQ(in.YOffset, -4);
    const sdk::PxRgnTransform out = v.BitmapToClient(2);
    EXPECT_EQ(out.XScaleNum, 200);
    EXPECT_EQ(out.YScaleDen, 50);
    EXPECT_EQ(out.XOffset, -8);
    EXPECT_EQ(out.YOffset, 6);
    EXPECT_EQ(v.DisplayRect(2), QRect(-8, 6, 200, 100));
}

} // namespace
