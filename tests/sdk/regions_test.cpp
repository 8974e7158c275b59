#include "helpers.h"

#include <gtest/gtest.h>

using namespace sdk;
using sdktest::makeBitmap;

namespace {

SdkBitmapHandle canvas() { return makeBitmap(100, 80, [](int, int) { return 0u; }); }

} // namespace

TEST(Regions, RectanglesAreNormalisedAndClippedToTheBitmap)
{
    SdkBitmapHandle a = canvas(), b = canvas();
    ASSERT_EQ(PX_SetBitmapRgnRect(&a, nullptr, {10, 10, 5, 20}, rgnReplace), PX_SUCCESS);
    ASSERT_EQ(PX_SetBitmapRgnRect(&b, nullptr, {5, 20, 10, 10}, rgnReplace), PX_SUCCESS);
    EXPECT_EQ(a.Region, QRegion(5, 10, 5, 10));
    EXPECT_EQ(b.Region, a.Region);
    EXPECT_EQ(PX_BitmapHasRgn(&a), 1);

    ASSERT_EQ(PX_SetBitmapRgnRect(&a, nullptr, {90, -5, 200, 10}, rgnReplace), PX_SUCCESS);
    EXPECT_EQ(a.Region, QRegion(90, 0, 10, 10));
    ASSERT_EQ(PX_SetBitmapRgnRect(&a, nullptr, {5, 5, 5, 30}, rgnReplace), PX_SUCCESS); // no width
    EXPECT_EQ(PX_BitmapHasRgn(&a), 0);
}

TEST(Regions, TransformsMapIntoAndOutOfTheBitmap)
{
    SdkBitmapHandle b = canvas();
    // Client to bitmap: a view at (10, 20) shown at half size.
    const PxRgnTransform toBitmap{perspectiveTopLeft, 2, 1, 2, 1, -10, -20};
    ASSERT_EQ(PX_SetBitmapRgnRect(&b, &toBitmap, {10, 20, 30, 30}, rgnReplace), PX_SUCCESS);
    EXPECT_EQ(b.Region, QRegion(0, 0, 40, 20));
    EXPECT_EQ(PX_IsPtInBitmapRgn(&b, &toBitmap, 29, 29), 1);
    EXPECT_EQ(PX_IsPtInBitmapRgn(&b, &toBitmap, 30, 29), 0);
    int x = 15, y = 25;
    ASSERT_EQ(PX_PointToBitmap(&b, &toBitmap, &x, &y), PX_SUCCESS);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 10);

    QRect bounds;
    ASSERT_EQ(PX_GetBitmapRgnBounds(&b, nullptr, &bounds), PX_SUCCESS);
    EXPECT_EQ(bounds, QRect(0, 0, 40, 20));
    // Bitmap to client: half size, then moved by the view's place and a border of 2.
    const PxRgnTransform toClient{0, 1, 2, 1, 2, 12, 22};
    QRegion shown;
    ASSERT_EQ(PX_GetBitmapRgnHandle(&b, &toClient, &shown), PX_SUCCESS);
    EXPECT_EQ(shown, QRegion(12, 22, 20, 10));

    // A round trip through a handle with an offset.
    SdkBitmapHandle c = canvas();
    ASSERT_EQ(PX_SetBitmapRgnHandle(&c, nullptr, b.Region, 5, 6, rgnReplace), PX_SUCCESS);
    EXPECT_EQ(c.Region, QRegion(5, 6, 40, 20));

    const PxRgnTransform zero{perspectiveTopLeft, 1, 0, 1, 1, 0, 0};
    EXPECT_EQ(PX_SetBitmapRgnRect(&b, &zero, {0, 0, 5, 5}, rgnReplace), PXERR_BADPARAM);
    EXPECT_EQ(PX_GetBitmapRgnBounds(&b, &zero, &bounds), PXERR_BADPARAM);
    EXPECT_EQ(b.Region, QRegion(0, 0, 40, 20));
}

TEST(Regions, ShapesHoldTheirInsideOnly)
{
    SdkBitmapHandle b = canvas();
    ASSERT_EQ(PX_SetBitmapRgnEllipse(&b, nullptr, {0, 0, 60, 40}, rgnReplace), PX_SUCCESS);
    EXPECT_TRUE(b.Region.contains(QPoint(30, 20)));
    EXPECT_TRUE(b.Region.contains(QPoint(1, 20)));
    EXPECT_FALSE(b.Region.contains(QPoint(2, 2)));
    EXPECT_EQ(b.Region.boundingRect(), QRect(0, 0, 60, 40));

    ASSERT_EQ(PX_SetBitmapRgnRoundRect(&b, nullptr, {10, 10, 70, 60}, 50, 50, rgnReplace), PX_SUCCESS);
    EXPECT_TRUE(b.Region.contains(QPoint(40, 10)));
    EXPECT_TRUE(b.Region.contains(QPoint(10, 35)));
    EXPECT_FALSE(b.Region.contains(QPoint(11, 11)));
    EXPECT_EQ(b.Region.boundingRect(), QRect(10, 10, 60, 50));

    const QPoint triangle[] = {{0, 0}, {40, 0}, {0, 40}};
    ASSERT_EQ(PX_SetBitmapRgnPolygon(&b, nullptr, triangle, 3, 1, rgnReplace), PX_SUCCESS);
    EXPECT_TRUE(b.Region.contains(QPoint(5, 5)));
    EXPECT_FALSE(b.Region.contains(QPoint(30, 30)));
    EXPECT_EQ(PX_SetBitmapRgnPolygon(&b, nullptr, triangle, 2, 1, rgnReplace), PXERR_BADPARAM);
}

TEST(Regions, CombineModes)
{
    struct Case {
        int mode;
        bool inA, inBoth, inB;
    };
    // A = (0,0)-(20,20), B = (10,0)-(30,20); probes at x 5, 15, 25.
    const Case cases[] = {
        {rgnReplace, false, true, true}, {rgnAnd, false, true, false}, {rgnOr, true, true, true},
        {rgnXor, true, false, true},     {rgnDiff, true, false, false},
    };
    for (const Case& c : cases) {
        SdkBitmapHandle b = canvas();
        ASSERT_EQ(PX_SetBitmapRgnRect(&b, nullptr, {0, 0, 20, 20}, rgnReplace), PX_SUCCESS);
        ASSERT_EQ(PX_SetBitmapRgnRect(&b, nullptr, {10, 0, 30, 20}, c.mode), PX_SUCCESS) << c.mode;
        EXPECT_EQ(PX_IsPtInBitmapRgn(&b, nullptr, 5, 5) == 1, c.inA) << c.mode;
        EXPECT_EQ(PX_IsPtInBitmapRgn(&b, nullptr, 15, 5) == 1, c.inBoth) << c.mode;
        EXPECT_EQ(PX_IsPtInBitmapRgn(&b, nullptr, 25, 5) == 1, c.inB) << c.mode;
    }
    SdkBitmapHandle b = canvas();
    EXPECT_EQ(PX_SetBitmapRgnRect(&b, nullptr, {0, 0, 5, 5}, 9), PXERR_BADPARAM);
    ASSERT_EQ(PX_SetBitmapRgnRect(&b, nullptr, {0, 0, 5, 5}, rgnReplace), PX_SUCCESS);
    ASSERT_EQ(PX_FreeBitmapRgn(&b), PX_SUCCESS);
    EXPECT_EQ(PX_BitmapHasRgn(&b), 0);
    SdkBitmapHandle none;
    EXPECT_EQ(PX_SetBitmapRgnRect(&none, nullptr, {0, 0, 5, 5}, rgnReplace), PXERR_BADBITMAP);
    EXPECT_EQ(PX_IsPtInBitmapRgn(&none, nullptr, 1, 1), 0);
}

TEST(Regions, MirrorsAndCopiesCarryTheRegionAlong)
{
    SdkBitmapHandle b = canvas();
    ASSERT_EQ(PX_SetBitmapRgnRect(&b, nullptr, {0, 0, 10, 5}, rgnReplace), PX_SUCCESS);
    ASSERT_EQ(PX_ReverseBitmap(&b), PX_SUCCESS);
    EXPECT_EQ(b.Region, QRegion(90, 0, 10, 5));
    ASSERT_EQ(PX_FlipBitmap(&b), PX_SUCCESS);
    EXPECT_EQ(b.Region, QRegion(90, 75, 10, 5));
    ASSERT_EQ(PX_FillBitmap(&b, 0xFFFFFF), PX_SUCCESS);
    EXPECT_EQ(sdktest::pixel(b, 95, 77), 0xFFFFFFu);
    EXPECT_EQ(sdktest::pixel(b, 5, 2), 0u);
}
