#include "helpers.h"

#include <gtest/gtest.h>

using namespace sdk;
using sdktest::makeBitmap;
using sdktest::pixel;

namespace {

// Runs draw on a painter over the bitmap's pixels.
int drawOn(SdkBitmapHandle& b, const std::function<int(QPainter*)>& draw)
{
    PxPixDC* dc = nullptr;
    int r = PX_CreatePixDC(&b, &dc);
    if (r != PX_SUCCESS) return r;
    r = draw(&dc->painter);
    PX_DeletePixDC(dc);
    return r;
}

} // namespace

TEST(Drawing, ThumbnailFrameShape)
{
    // The thumbnail frame: silver border of 1, raised white band of 5, light shadow 2 x 2.
    SdkBitmapHandle b = makeBitmap(105, 70, [](int, int) { return 0x808080u; });
    PxShapeStyle s;
    s.ShapeType = shapeRectangle;
    s.Shape = QRect(0, 0, 105, 70);
    s.BorderColor = 0xC0C0C0;
    s.BorderStyle = 1;
    s.BorderThickness = 1;
    s.InnerBandStyle = 2;
    s.InnerBandThickness = 5;
    s.InnerBandHilite = 0xFFFFFF;
    s.InnerBandShadow = 0xFFFFFF;
    s.ShadowColor = 15395562;
    s.ShadowXDepth = 2;
    s.ShadowYDepth = 2;
    ASSERT_EQ(drawOn(b, [&](QPainter* p) { return PX_EfxDraw3dShape(p, s); }), PX_SUCCESS);
    struct Probe {
        int x, y;
        std::uint32_t rgb;
    };
    const Probe probes[] = {
        {0, 0, 0xC0C0C0},   {102, 67, 0xC0C0C0}, {50, 0, 0xC0C0C0}, // border
        {1, 1, 0xFFFFFF},   {5, 30, 0xFFFFFF},   {101, 66, 0xFFFFFF}, {97, 62, 0xFFFFFF}, // band
        {6, 6, 0x808080},   {50, 35, 0x808080},  {96, 61, 0x808080}, // the picture
        {104, 69, 0xEAEAEA}, {103, 2, 0xEAEAEA}, {2, 68, 0xEAEAEA}, // shadow
        {104, 0, 0x808080}, {0, 69, 0x808080}, // the shadow starts at its depth
    };
    for (const Probe& p : probes) EXPECT_EQ(pixel(b, p.x, p.y), p.rgb) << p.x << "," << p.y;

    s.ShapeType = 2001;
    EXPECT_EQ(drawOn(b, [&](QPainter* p) { return PX_EfxDraw3dShape(p, s); }), PXERR_UNSUPPORTED);
}

TEST(Drawing, OpaqueBackgroundAndRaisedBand)
{
    SdkBitmapHandle b = makeBitmap(20, 20, [](int, int) { return 0u; });
    PxShapeStyle s;
    s.Shape = QRect(2, 2, 16, 16);
    s.BackgroundStyle = shapeBackOpaque;
    s.PatternBackColor = 0x0000FF; // red
    s.OuterBandStyle = 2;
    s.OuterBandThickness = 1;
    s.OuterBandHilite = 0xFFFFFF;
    s.OuterBandShadow = 0x808080;
    ASSERT_EQ(drawOn(b, [&](QPainter* p) { return PX_EfxDraw3dShape(p, s); }), PX_SUCCESS);
    EXPECT_EQ(pixel(b, 2, 10), 0xFFFFFFu); // raised: light at the left
    EXPECT_EQ(pixel(b, 17, 10), 0x808080u); // dark at the right
    EXPECT_EQ(pixel(b, 10, 10), 0xFF0000u);
    EXPECT_EQ(pixel(b, 1, 1), 0u);
}

TEST(Drawing, GradientFills)
{
    SdkBitmapHandle b = makeBitmap(16, 16, [](int, int) { return 0u; });
    ASSERT_EQ(drawOn(b, [](QPainter* p) { return PX_EfxGradientFillRect(p, QRect(0, 0, 16, 16), 1000, 0x0000FF, 0xFF0000, 16); }),
              PX_SUCCESS);
    EXPECT_EQ(pixel(b, 0, 5), 0xFF0000u);  // start red at the left
    EXPECT_EQ(pixel(b, 15, 5), 0x0000FFu); // end blue at the right
    for (int x = 1; x < 16; ++x) EXPECT_LE(pixel(b, x, 5) >> 16, pixel(b, x - 1, 5) >> 16);

    ASSERT_EQ(drawOn(b, [](QPainter* p) { return PX_EfxGradientFillRect(p, QRect(0, 0, 16, 16), 1004, 0xFFFFFF, 0, 2); }),
              PX_SUCCESS);
    EXPECT_EQ(pixel(b, 8, 0), 0xFFFFFFu); // top to bottom in two bands
    EXPECT_EQ(pixel(b, 8, 15), 0u);

    ASSERT_EQ(drawOn(b, [](QPainter* p) { return PX_EfxGradientFillRect(p, QRect(0, 0, 15, 15), 3000, 0xFFFFFF, 0, 16); }),
              PX_SUCCESS);
    EXPECT_EQ(pixel(b, 7, 7), 0xFFFFFFu); // the centre
    EXPECT_EQ(pixel(b, 0, 0), 0u);

    for (int code : {999, 1016, 2008, 3002, 4002, 5008})
        EXPECT_EQ(drawOn(b, [code](QPainter* p) { return PX_EfxGradientFillRect(p, QRect(0, 0, 4, 4), code, 0, 0, 16); }),
                  PXERR_BADPARAM) << code;
    for (int steps : {1, 266})
        EXPECT_EQ(drawOn(b, [steps](QPainter* p) { return PX_EfxGradientFillRect(p, QRect(0, 0, 4, 4), 1000, 0, 0, steps); }),
                  PXERR_BADPARAM) << steps;
    EXPECT_EQ(drawOn(b, [](QPainter* p) { return PX_EfxGradientFillRect(p, QRect(0, 0, 4, 4), 5007, 0, 0xFFFFFF, 265); }),
              PX_SUCCESS);
}

TEST(Drawing, FrameAndRegionPainting)
{
    SdkBitmapHandle b = makeBitmap(12, 12, [](int, int) { return 0u; });
    ASSERT_EQ(drawOn(b, [](QPainter* p) {
        return PX_EfxDrawFrame(p, QRect(0, 0, 12, 12), frameInnerRaised, 1, 0x00FF00, 1, 0x808080, 0xFFFFFF, 1, 0x404040,
                               0xC0C0C0);
    }), PX_SUCCESS);
    EXPECT_EQ(pixel(b, 0, 5), 0xC0C0C0u);  // outer band, raised: light left
    EXPECT_EQ(pixel(b, 11, 5), 0x404040u); // and dark right
    EXPECT_EQ(pixel(b, 1, 5), 0x00FF00u);  // the flat frame
    EXPECT_EQ(pixel(b, 2, 5), 0xFFFFFFu);  // inner band
    EXPECT_EQ(pixel(b, 9, 5), 0x808080u);
    EXPECT_EQ(pixel(b, 5, 5), 0u);

    SdkBitmapHandle r = makeBitmap(10, 10, [](int, int) { return 0u; });
    ASSERT_EQ(PX_SetBitmapRgnRect(&r, nullptr, {2, 2, 5, 5}, rgnReplace), PX_SUCCESS);
    SdkBitmapHandle target = makeBitmap(20, 20, [](int, int) { return 0u; });
    const PxRgnTransform twice{0, 2, 1, 2, 1, 1, 1};
    ASSERT_EQ(drawOn(target, [&](QPainter* p) { return PX_ColorBitmapRgn(p, &r, &twice, 0x00FF00); }), PX_SUCCESS);
    EXPECT_EQ(pixel(target, 5, 5), 0x00FF00u);
    EXPECT_EQ(pixel(target, 10, 10), 0x00FF00u);
    EXPECT_EQ(pixel(target, 11, 11), 0u);
    EXPECT_EQ(pixel(target, 4, 4), 0u);
    ASSERT_EQ(drawOn(target, [&](QPainter* p) { return PX_FrameBitmapRgn(p, &r, &twice, 3); }), PX_SUCCESS);

    SdkBitmapHandle none;
    PxPixDC* dc = reinterpret_cast<PxPixDC*>(1);
    EXPECT_EQ(PX_CreatePixDC(&none, &dc), PXERR_BADBITMAP);
    EXPECT_EQ(dc, nullptr);
}

TEST(Drawing, PaintingScalesAndClips)
{
    const SdkBitmapHandle b = makeBitmap(4, 4, [](int x, int y) { return y < 2 ? (x < 2 ? 0xFF0000u : 0x00FF00u) : 0x0000FFu; });
    SdkBitmapHandle screen = makeBitmap(8, 8, [](int, int) { return 0u; });
    // Twice the size, without clipping.
    ASSERT_EQ(drawOn(screen, [&](QPainter* p) {
        return PX_PaintDC(p, &b, QRect(0, 0, 4, 4), QRect(0, 0, 4, 4), QRect(0, 0, 8, 8), QRect(0, 0, 8, 8), ropSourceCopy);
    }), PX_SUCCESS);
    EXPECT_EQ(pixel(screen, 3, 3), 0xFF0000u);
    EXPECT_EQ(pixel(screen, 4, 3), 0x00FF00u);
    EXPECT_EQ(pixel(screen, 7, 7), 0x0000FFu);

    // Only the band of rows 2 and 3, and only inside the destination clip.
    SdkBitmapHandle band = makeBitmap(8, 8, [](int, int) { return 0u; });
    ASSERT_EQ(drawOn(band, [&](QPainter* p) {
        return PX_PaintDCBuffer(p, &b, QRect(0, 0, 4, 4), QRect(0, 0, 4, 4), QRect(0, 0, 8, 8), QRect(0, 0, 6, 8),
                                ropSourceCopy, 2, -2);
    }), PX_SUCCESS);
    EXPECT_EQ(pixel(band, 1, 1), 0u);
    EXPECT_EQ(pixel(band, 1, 5), 0x0000FFu);
    EXPECT_EQ(pixel(band, 5, 7), 0x0000FFu);
    EXPECT_EQ(pixel(band, 6, 7), 0u);
    EXPECT_EQ(drawOn(band, [&](QPainter* p) {
        return PX_PaintDC(p, &b, QRect(0, 0, 4, 4), QRect(0, 0, 4, 4), QRect(0, 0, 8, 8), QRect(0, 0, 8, 8), 0);
    }), PXERR_BADPARAM);
}

// The display adjustments go with the bitmap (and its copies) into every paint of it, over the
// part painted only; its pixels stay as they are.
TEST(Drawing, PaintingShowsTheBitmapThroughItsAdjustments)
{
    SdkBitmapHandle b = makeBitmap(4, 4, [](int x, int) { return x < 2 ? 0x644080u : 0x000000u; });
    ASSERT_EQ(PX_SetPaintIntensity(&b, 20), PX_SUCCESS);
    ASSERT_EQ(PX_SetPaintGamma(&b, 200), PX_SUCCESS);
    ASSERT_EQ(PX_SetPaintContrast(&b, 0), PX_SUCCESS);
    SdkBitmapHandle copy;
    ASSERT_EQ(PX_CopyBitmap(&copy, &b), PX_SUCCESS);
    for (const SdkBitmapHandle* painted : {&b, &copy}) {
        SdkBitmapHandle screen = makeBitmap(8, 4, [](int, int) { return 0x123456u; });
        // The right half of the bitmap only, at the screen's right.
        ASSERT_EQ(drawOn(screen, [&](QPainter* p) {
            return PX_PaintDC(p, painted, QRect(0, 0, 4, 4), QRect(1, 0, 3, 4), QRect(4, 0, 4, 4), QRect(0, 0, 8, 4),
                              ropSourceCopy);
        }), PX_SUCCESS);
        // 100, 64, 128 lifted by 51, then gamma 2.0; black lifted to 51, then to 114.
        EXPECT_EQ(pixel(screen, 5, 2), 0xC4ABD6u);
        EXPECT_EQ(pixel(screen, 6, 2), 0x727272u);
        EXPECT_EQ(pixel(screen, 4, 2), 0x123456u);
        EXPECT_EQ(pixel(screen, 0, 0), 0x123456u);
    }
    EXPECT_EQ(pixel(b, 0, 0), 0x644080u);
    EXPECT_EQ(pixel(b, 3, 0), 0u);
    EXPECT_EQ(PX_SetPaintGamma(nullptr, 100), PXERR_BADBITMAP);
}
