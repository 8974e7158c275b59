// The fractal generator: points worked out by hand.
#include "effects/paintfx.h"
#include "fixtures.h"

#include <gtest/gtest.h>

using namespace effects;
using namespace fx_test;

namespace {
// The colour of a 1 x 1 picture whose plane starts at (x, y).
Bgr point(double x, double y, bool mandelbrot, int n = 16)
{
    Bitmap24 b(1, 1, Bgr{1, 2, 3});
    TvelPaintFX::DrawMandelJulia(b, n, x, y, x + 1.0, y + 1.0, mandelbrot);
    return b.pixel(0, 0);
}
Bgr paletteBgr(int i) { return bgrOf(TvelPaintFX::MandelPalette(i)); }
} // namespace

TEST(Fractal, Palette)
{
    EXPECT_EQ(TvelPaintFX::MandelPalette(0), rgbColor(0, 0, 0));
    EXPECT_EQ(TvelPaintFX::MandelPalette(1), rgbColor(0, 0, 128));
    EXPECT_EQ(TvelPaintFX::MandelPalette(7), rgbColor(192, 192, 192));
    EXPECT_EQ(TvelPaintFX::MandelPalette(14), rgbColor(255, 255, 0));
    EXPECT_EQ(TvelPaintFX::MandelPalette(15), rgbColor(255, 255, 255));
    EXPECT_EQ(TvelPaintFX::MandelPalette(16), rgbColor(255, 255, 255));
    EXPECT_EQ(TvelPaintFX::MandelPalette(-1), rgbColor(255, 255, 255));
}

TEST(Fractal, MandelbrotPoints)
{
    // |c| >= 2: z1 = c reaches 4 at once, j = 2, index 1 (navy; blue 128 in the bitmap).
    EXPECT_EQ(point(2.5, 0.0, true), (Bgr{128, 0, 0}));
    // c = 1: z = 0, 1, 2: |z2|^2 = 4, j = 3, index 2 (green).
    EXPECT_EQ(point(1.0, 0.0, true), paletteBgr(2));
    // c = 0 never escapes: black.
    EXPECT_EQ(point(0.0, 0.0, true), paletteBgr(0));
    // c = -2: z1 = -2 has |z|^2 = 4, so the loop stops at j = 2 like any |c| >= 2: index 1.
    EXPECT_EQ(point(-2.0, 0.0, true), paletteBgr(1));
    // With n = 32 the index is Round((j - 1) / 2): c = 1 gives Round(1) = 1.
    EXPECT_EQ(point(1.0, 0.0, true, 32), paletteBgr(1));
    // maxIterations below 16 is raised to 16.
    EXPECT_EQ(point(1.0, 0.0, true, 3), paletteBgr(2));
}

TEST(Fractal, JuliaPoints)
{
    // |z| of 2 or more at the start: index 0, black.
    EXPECT_EQ(point(3.0, 0.0, false), paletteBgr(0));
    // z = 0 with c = i cycles 0, i, -1 + i, -i, -1 + i, ...: never escapes, black.
    EXPECT_EQ(point(0.0, 0.0, false), paletteBgr(0));
    // z = 1: z1 = 1 + i (|z|^2 2), z2 = 0 + 3i (|z|^2 9): j = 3, index 2.
    EXPECT_EQ(point(1.0, 0.0, false), paletteBgr(2));
}

TEST(Fractal, ReplacesThePictureRowByRow)
{
    Bitmap24 b = noise(30, 20, 1);
    TvelPaintFX::DrawMandelJulia(b, 16, -2.25, 1.2, 0.75, 1.5, true);
    // Every pixel is one of the 16 colours; the dialog's region (EBar 0, extrabar 300).
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            bool found = false;
            for (int i = 0; i < 16; ++i) found = found || b.pixel(x, y) == paletteBgr(i);
            EXPECT_TRUE(found);
        }
    // Pixel (0, 0) is the point (-2.25, 1.2): |c|^2 = 6.5, index 1.
    EXPECT_EQ(b.pixel(0, 0), paletteBgr(1));
    Bitmap24 julia = b;
    TvelPaintFX::DrawMandelJulia(julia, 16, -2.25, 1.2, 0.75, 1.5, false);
    EXPECT_NE(julia, b);
}
