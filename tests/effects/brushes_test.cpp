// The pixel work of the brushes, the air brush and the tool geometry: tables worked out by hand
// from the rules.
#include "effects/airbrush.h"
#include "effects/brushes.h"
#include "effects/toolgeometry.h"
#include "fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace effects;
using namespace fx_test;

namespace {
Bitmap24 one(Bgr p) { return Bitmap24(1, 1, p); }
} // namespace

TEST(ColorBrushPixel, EachModeByHand)
{
    struct Case {
        int mode;
        Bgr in, out;
    };
    const Case cases[] = {
        {cbBlue, {30, 60, 90}, {30, 0, 0}},
        {cbGreen, {30, 60, 90}, {0, 60, 0}},
        {cbRed, {30, 60, 90}, {0, 0, 90}},
        {cbNotBlue, {30, 60, 90}, {0, 60, 90}},
        {cbNotGreen, {30, 60, 90}, {30, 0, 90}},
        {cbNotRed, {30, 60, 90}, {30, 60, 0}},
        {cbHalfBlue, {255, 19, 9}, {229, 19, 9}},    // 255 x 9 div 10
        {cbHalfGreen, {255, 19, 9}, {255, 17, 9}},   // 171 div 10
        {cbHalfRed, {30, 60, 255}, {30, 60, 229}},
        {cbDarker, {11, 6, 255}, {10, 5, 232}},      // 10, 5.45, 231.8
        {cbDarker, {0, 1, 2}, {0, 1, 2}},            // 0.91 and 1.82 round up
        {cbLighter, {5, 15, 25}, {6, 16, 28}},       // 5.5, 16.5 and 27.5: halves to even
        {cbLighter, {233, 240, 255}, {255, 255, 255}}, // 256.3, 264, 280.5: kept at 255
        {cbLighter, {231, 0, 10}, {254, 0, 11}},
        {cbGray, {30, 60, 90}, {60, 60, 60}},
        {cbGray, {0, 1, 1}, {1, 1, 1}},              // 0.67
        {cbGray, {2, 2, 3}, {2, 2, 2}},              // 2.33
        {cbRollMix, {30, 60, 90}, {60, 90, 30}},     // blue := green, green := red, red := old blue
        {cbSmooth, {30, 60, 90}, {30, 60, 90}},      // smoothing is not per pixel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(ColorBrushPixel(c.mode, c.in), c.out);
    }
    // Rolling three times restores the pixel.
    Bgr p{30, 60, 90};
    for (int i = 0; i < 3; ++i) p = ColorBrushPixel(cbRollMix, p);
    EXPECT_EQ(p, (Bgr{30, 60, 90}));
}

TEST(ColorBrushDab, ChangesTheDiscOnlyAndSkipsPixelsOutsideThePicture)
{
    struct Case {
        int cx, cy, r;
    };
    const Case cases[] = {{10, 10, 5}, {0, 0, 5}, {19, 0, 7}, {-3, 19, 5}, {25, 25, 8}, {10, 10, 100}};
    const Bitmap24 before = ids(20, 20);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cx << "," << c.cy << " r " << c.r);
        Bitmap24 b = before;
        ColorBrushDab(b, c.cx, c.cy, c.r, cbNotBlue);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const double dx = x + 0.5 - c.cx, dy = y + 0.5 - c.cy;
                const bool inDisc = dx * dx + dy * dy <= double(c.r) * c.r;
                EXPECT_EQ(b.pixel(x, y), inDisc ? ColorBrushPixel(cbNotBlue, before.pixel(x, y)) : before.pixel(x, y))
                    << x << "," << y;
            }
    }
}

TEST(ColorBrushDab, SmoothTakesTheMeanOfNeighboursAlreadySmoothed)
{
    // Radius 2 about (2, 2): the square is 0..3 x 0..3; its inner four pixels are in the disc and
    // not on the square's border. Row by row (left + right + upper + lower, shifted by 2):
    // (1,1) = (10 + 99 + 20 + 99) >> 2 = 57; (2,1) = (57 + 40 + 30 + 99) >> 2 = 56 with the new
    // left value; (1,2) = (50 + 99 + 57 + 90) >> 2 = 74 with the new upper value;
    // (2,2) = (74 + 80 + 56 + 100) >> 2 = 77.
    Bitmap24 b = grey(4, 4, {0, 20, 30, 0,  //
                             10, 99, 99, 40, //
                             50, 99, 99, 80, //
                             0, 90, 100, 0});
    ColorBrushDab(b, 2, 2, 2, cbSmooth);
    EXPECT_EQ(blues(b), (std::vector<int>{0, 20, 30, 0, 10, 57, 56, 40, 50, 74, 77, 80, 0, 90, 100, 0}));
}

TEST(BrushSquare, ShrinksAndMovesInwardToFitThePicture)
{
    struct Case {
        int w, h, cx, cy, r;
        BrushSquare out;
    };
    const Case cases[] = {
        {100, 100, 50, 50, 10, {40, 40, 10}},
        {100, 100, 2, 97, 10, {0, 80, 10}},   // moved inward
        {30, 8, 15, 4, 10, {11, 0, 4}},       // radius shrinks to half the height
        {3, 2, 0, 0, 10, {0, 0, 1}},
        {3, 2, 2, 1, 10, {1, 0, 1}},
        {1, 1, 0, 0, 10, {0, 0, 0}},          // no room for a square
    };
    for (const Case& c : cases) {
        const BrushSquare s = FitBrushSquare(c.w, c.h, c.cx, c.cy, c.r);
        EXPECT_EQ(s.r, c.out.r);
        if (s.r == 0) continue;
        EXPECT_EQ(s.left, c.out.left);
        EXPECT_EQ(s.top, c.out.top);
        EXPECT_LE(s.left + 2 * s.r, c.w);
        EXPECT_LE(s.top + 2 * s.r, c.h);
    }
}

TEST(GradientLine, InterpolatesAndRoundsHalvesToEven)
{
    Bitmap24 b(7, 3, Bgr{9, 9, 9});
    // 0 .. 255 over x 1 .. 5: 0, 63.75, 127.5, 191.25, 255; red runs the other way.
    GradientLine(b, 1, 5, 1, Bgr{0, 0, 255}, Bgr{255, 100, 0}, false);
    const int blue[] = {9, 0, 64, 128, 191, 255, 9};
    const int green[] = {9, 0, 25, 50, 75, 100, 9};
    const int red[] = {9, 255, 191, 128, 64, 0, 9};
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(b.pixel(x, 1), (Bgr{std::uint8_t(blue[x]), std::uint8_t(green[x]), std::uint8_t(red[x])})) << x;
        EXPECT_EQ(b.pixel(x, 0), (Bgr{9, 9, 9}));
    }
    // A line far longer than the picture and one off it change only what lies inside.
    GradientLine(b, 2, -2000000000, 2000000000, Bgr{0, 0, 0}, Bgr{255, 255, 255}, true);
    GradientLine(b, 7, 0, 6, Bgr{0, 0, 0}, Bgr{255, 255, 255}, true);
    GradientColumn(b, -1, 0, 2, Bgr{0, 0, 0}, Bgr{255, 255, 255}, true);
    EXPECT_EQ(b.pixel(0, 0), (Bgr{9, 9, 9}));
}

TEST(GradientLine, SmoothingAveragesThePixelJustBeyondEachEnd)
{
    Bitmap24 b = grey(6, 3, {0, 40, 0, 0, 80, 0,  //
                             20, 99, 7, 7, 99, 60, //
                             0, 60, 0, 0, 100, 0});
    GradientLine(b, 1, 2, 3, Bgr{7, 7, 7}, Bgr{7, 7, 7}, true);
    // (1,1): (20 + 7 + 40 + 60) >> 2 = 31; (4,1): (7 + 60 + 80 + 100) >> 2 = 61.
    EXPECT_EQ(b.pixel(1, 1).b, 31);
    EXPECT_EQ(b.pixel(4, 1).b, 61);
    // An end on the border is left alone.
    Bitmap24 c = grey(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    GradientLine(c, 1, 1, 1, Bgr{0, 0, 0}, Bgr{0, 0, 0}, true);
    EXPECT_EQ(blues(c), (std::vector<int>{1, 2, 3, 4, 0, 6, 7, 8, 9}));
}

TEST(RingKernel, AveragesTheSixteenPixelsOnTheSquaresBorder)
{
    // One bright pixel in the middle of a 5 x 5 picture reaches exactly the pixels whose ring
    // passes through it: the picture's border; the inner 3 x 3 see only black.
    std::vector<int> values(25, 0);
    values[12] = 160;
    Bitmap24 b = grey(5, 5, values);
    RingKernel(b);
    EXPECT_EQ(blues(b), (std::vector<int>{10, 10, 10, 10, 10, 10, 0, 0, 0, 10, 10, 0, 0, 0, 10, 10, 0, 0, 0, 10,
                                          10, 10, 10, 10, 10}));
    Bitmap24 flat(1, 1, Bgr{77, 78, 79});
    RingKernel(flat);
    EXPECT_EQ(flat.pixel(0, 0), (Bgr{77, 78, 79}));
}

TEST(Interpolation, BilinearInFixedPointInsideThePictureOnly)
{
    Bitmap24 b = grey(3, 3, {0, 9, 255, 9, 9, 9, 0, 9, 255});
    EXPECT_TRUE(InterpolateRect(b, 2, 2, 0, 0));
    // The middle column: 255 x 2^19 x 2^20 >> 40 = 127.5, cut to 127.
    EXPECT_EQ(blues(b), (std::vector<int>{0, 127, 255, 0, 127, 255, 0, 127, 255}));
    Bitmap24 c = grey(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_FALSE(InterpolateRect(c, 0, 0, 3, 2));
    EXPECT_FALSE(InterpolateRect(c, -1, 0, 2, 2));
    EXPECT_EQ(blues(c), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // Columns: every row from the top-left colour to the bottom-right one.
    Bitmap24 d = grey(3, 2, {10, 50, 50, 50, 50, 30});
    InterpolateColumns(d, 0, 0, 2, 1);
    EXPECT_EQ(blues(d), (std::vector<int>{10, 20, 30, 10, 20, 30}));
}

TEST(Spheres, AtLeastOneForAnyRectangleAndNothingForAnEmptyOne)
{
    const Bgr dark{0, 0, 0}, light{250, 250, 250};
    struct Case {
        SphereKind kind;
        int x1, y1, x2, y2;
        bool draws;
    };
    const Case cases[] = {
        {SphereKind::Multi, 5, 5, 45, 13, true},   // n = 20 div 5 = 4
        {SphereKind::Multi, 5, 5, 10, 9, true},    // n = 2 div 3 = 0: still one
        {SphereKind::Droplet, 10, 3, 14, 40, true}, // higher than wide
        {SphereKind::Wave, 3, 3, 40, 9, true},
        {SphereKind::RisingWave, 8, 2, 14, 44, true},
        {SphereKind::Inter, 30, 30, 5, 5, true},
        {SphereKind::Multi, 5, 5, 5, 30, false},   // no width
        {SphereKind::Droplet, 5, 9, 30, 9, false}, // no height
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2);
        Bitmap24 b(50, 50, Bgr{90, 90, 90});
        DrawSpheres(b, c.kind, c.x1, c.y1, c.x2, c.y2, dark, light);
        int changed = 0;
        const int l = std::min(c.x1, c.x2), r = std::max(c.x1, c.x2), t = std::min(c.y1, c.y2), bt = std::max(c.y1, c.y2);
        // A sphere's radius is at most half a step along the longer side, so it may pass the
        // shorter side by a few pixels; along the longer side it stays inside.
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x) {
                if (b.pixel(x, y) == (Bgr{90, 90, 90})) continue;
                ++changed;
                EXPECT_TRUE(x >= l - 4 && x <= r + 4 && y >= t - 4 && y <= bt + 4) << x << "," << y;
            }
        EXPECT_EQ(changed > 0, c.draws);
    }
}

TEST(Ripple, MovesPixelsAlongTheirDirectionWithinTheSquare)
{
    // Amount 1: e' = e + c sin(2 pi e / c); for c = 4 the pixel at (4, 3) (e = 1) goes to
    // e' = 1 + 4 sin(pi / 2) = 5, which is not inside the radius, so it is not written; nothing
    // reaches the square from outside the disc, and target pixels no source reaches keep theirs.
    const Bitmap24 source = ids(8, 8);
    Bitmap24 target(8, 8, Bgr{1, 2, 3});
    RippleSquare(source, target, 1);
    int kept = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) kept += target.pixel(x, y) == (Bgr{1, 2, 3});
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 64);
    Bitmap24 tiny(1, 1, Bgr{5, 5, 5});
    RippleSquare(ids(1, 1), tiny, 3);
    EXPECT_EQ(tiny.pixel(0, 0), (Bgr{5, 5, 5}));
}

TEST(TextureShades, LighterAndDarkerBlendedWithThePen)
{
    // Pen red 100, green 50, blue 0: grey 50. Lighter shade (v + 50 + 510) div 4 = 165, 152, 140;
    // blended 36 %: 36 + 105 = 141, 18 + 97 = 115, 0 + 89 = 89. Darker shade 82 %: 82, 41, 0;
    // blended 52 %: 52 + 39 = 91, 26 + 19 = 45, 0.
    EXPECT_EQ(TextureLighter(rgbColor(100, 50, 0)), rgbColor(141, 115, 89));
    EXPECT_EQ(TextureDarker(rgbColor(100, 50, 0)), rgbColor(91, 45, 0));
}

TEST(TextureCells, TheDraggedSizeUnlessThePictureWouldHoldTooManyCells)
{
    struct Case {
        const char* name;
        int w, h, dragW, dragH;
        int cellW, cellH; // 0: only the bound is checked
    };
    for (const Case& c : {
             Case{"a preview with a small drag keeps it", 199, 150, 1, 1, 1, 1},
             Case{"an ordinary drag keeps it", 1024, 768, 10, 10, 10, 10},
             Case{"no drag at all is one pixel", 64, 64, 0, 0, 1, 1},
             Case{"a drag wider than the picture", 40, 30, 500, 2, 500, 2},
             Case{"5120 x 2880 with a 1 x 1 drag", 5120, 2880, 1, 1, 0, 0},
             Case{"5120 x 2880 with a 3 x 1 drag", 5120, 2880, 3, 1, 0, 0},
             Case{"a tall strip", 4, 1'000'000, 1, 1, 0, 0},
         }) {
        const TextureCells cells = TextureCellSize(c.w, c.h, c.dragW, c.dragH);
        const long long across = (c.w + cells.width - 1) / cells.width, down = (c.h + cells.height - 1) / cells.height;
        EXPECT_EQ(cells.count, across * down) << c.name;
        EXPECT_LE(cells.count, kMaxTextureCells) << c.name;
        if (c.cellW) {
            EXPECT_EQ(cells.width, c.cellW) << c.name;
            EXPECT_EQ(cells.height, c.cellH) << c.name;
        } else {
            // Grown by one factor on both sides, and no more than the bound needs: a cell one
            // drag step smaller on each side would exceed it.
            if (cells.width < c.w) {
                EXPECT_EQ(cells.width / std::max(1, c.dragW) * std::max(1, c.dragH), cells.height) << c.name;
            }
            const int smallerW = cells.width - std::max(1, c.dragW), smallerH = cells.height - std::max(1, c.dragH);
            if (smallerW > 0 && smallerH > 0) {
                EXPECT_GT(((c.w + smallerW - 1) / smallerW) * (long long)((c.h + smallerH - 1) / smallerH), kMaxTextureCells) << c.name;
            }
        }
    }
    // Before the bound: 14,745,600 cells, 147 million strokes for one release.
    EXPECT_GT(TextureCellSize(5120, 2880, 1, 1).width, 1);
}

TEST(AirBrush, StampShapesByHand)
{
    TjvAirBrush brush([] { return std::int64_t(0); });
    EXPECT_TRUE(brush.Stamp().empty());  // until the first change
    brush.SetSize(9);                     // out of range: ignored, nothing built
    brush.SetSize(201);
    EXPECT_EQ(brush.Size(), 40);
    EXPECT_TRUE(brush.Stamp().empty());
    brush.SetIntensity(0);
    EXPECT_EQ(brush.Intensity(), 10);

    const Bgr red{0, 0, 255}, white{255, 255, 255};
    brush.SetColor(rgbColor(255, 0, 0));
    brush.SetSize(10);
    auto coloured = [&] {
        std::vector<int> rows(10, 0);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                const Bgr p = brush.Stamp().pixel(x, y);
                EXPECT_TRUE(p == red || p == white);
                rows[std::size_t(y)] += p == red;
            }
        return rows;
    };
    brush.SetShape(absSquare);
    EXPECT_EQ(coloured(), std::vector<int>(10, 10));
    // Rectangle (0, 2) - (9, 7): rows 2 .. 6, columns 0 .. 8.
    brush.SetShape(absHorizontal);
    EXPECT_EQ(coloured(), (std::vector<int>{0, 0, 9, 9, 9, 9, 9, 0, 0, 0}));
    brush.SetShape(absVertical);
    EXPECT_EQ(coloured(), (std::vector<int>{5, 5, 5, 5, 5, 5, 5, 5, 5, 0}));
    // Every third pixel of every third row strictly within radius 5 of (5, 5).
    brush.SetShape(absSpray);
    EXPECT_EQ(coloured(), (std::vector<int>{0, 0, 0, 3, 0, 0, 3, 0, 0, 2}));
    brush.SetShape(absRound);
    const std::vector<int> round = coloured();
    EXPECT_EQ(round.front(), round.back());
    EXPECT_EQ(round[4], 10);
    // Polygon (0, 0), (2, 0), (9, 9), (6, 9): row 8 (centre 8.5) runs from x 5.7 to 8.6.
    brush.SetShape(absLeftSlash);
    EXPECT_EQ(brush.Stamp().pixel(0, 0), red);
    EXPECT_EQ(brush.Stamp().pixel(9, 0), white);
    EXPECT_EQ(brush.Stamp().pixel(5, 8), white);
    EXPECT_EQ(brush.Stamp().pixel(8, 8), red);
    brush.SetShape(absRightSlash);
    EXPECT_EQ(brush.Stamp().pixel(0, 8), red);
    EXPECT_EQ(brush.Stamp().pixel(0, 0), white);
    EXPECT_EQ(brush.Stamp().pixel(8, 0), red);
}

TEST(AirBrush, BlendTable)
{
    struct Case {
        Bgr background, stamp;
        double intensity;
        Bgr out;
    };
    const Case cases[] = {
        {{100, 150, 200}, {0, 0, 255}, 0.5, {50, 75, 228}},      // 227.5 rounds to even
        {{100, 150, 200}, {255, 255, 255}, 0.5, {255, 255, 255}}, // white stamp: stays transparent
        {{255, 255, 255}, {0, 0, 0}, 0.3, {178, 178, 178}},       // 178.5 -> 178
        {{10, 20, 30}, {40, 50, 60}, 1.0, {40, 50, 60}},
        {{10, 20, 30}, {40, 50, 60}, 0.1, {13, 23, 33}},
    };
    for (const Case& c : cases) {
        Bitmap24 result;
        TjvAirBrush::BlendStamp(one(c.background), one(c.stamp), c.intensity, result);
        EXPECT_EQ(result.pixel(0, 0), c.out);
    }
}

TEST(AirBrush, SpraysBlendedWhereTheStampIsAndKeepsTheCanvasWhereTheBlendIsWhite)
{
    TjvAirBrush brush([] { return std::int64_t(0); });
    brush.SetSize(10);
    brush.SetShape(absSquare);
    brush.SetColor(rgbColor(253, 255, 255));  // nearly white: with 10 % over white it blends to white
    Bitmap24 canvas(30, 30, Bgr{255, 255, 255});
    canvas.setPixel(7, 7, Bgr{0, 0, 0});
    brush.DrawAirBrush(canvas, 10, 10);
    // (7, 7) lies under the stamp (5 .. 14): 0.9 x 0 + 0.1 x 255 = 25.5 -> 26; red 25.3 -> 25.
    EXPECT_EQ(canvas.pixel(7, 7), (Bgr{26, 26, 25}));
    EXPECT_EQ(canvas.pixel(5, 5), (Bgr{255, 255, 255}));

    brush.SetIntensity(100);
    brush.SetColor(rgbColor(10, 20, 30));
    brush.DrawAirBrush(canvas, 10, 10);
    EXPECT_EQ(canvas.pixel(5, 5), (Bgr{30, 20, 10}));
    EXPECT_EQ(canvas.pixel(14, 14), (Bgr{30, 20, 10}));
    EXPECT_EQ(canvas.pixel(15, 14), (Bgr{255, 255, 255}));
    EXPECT_EQ(canvas.pixel(4, 5), (Bgr{255, 255, 255}));
    // At the corners and off the picture: only the part inside changes.
    for (Point p : {Point{0, 0}, Point{29, 0}, Point{0, 29}, Point{29, 29}, Point{-100, 5}, Point{5, 1000}})
        brush.DrawAirBrush(canvas, p.x, p.y);
    EXPECT_EQ(canvas.pixel(0, 0), (Bgr{30, 20, 10}));
}

TEST(AirBrush, TimeToDrawOncePerIntervalOnTheInjectedClock)
{
    std::int64_t now = 1000;
    TjvAirBrush brush([&] { return now; });
    struct Step {
        std::int64_t at;
        bool draws;
    };
    // Interval 100: more than 100 ms must pass since the last spray.
    const Step steps[] = {{1050, false}, {1100, false}, {1101, true}, {1150, false}, {1201, false}, {1202, true},
                          {1202, false}, {5000, true}};
    for (const Step& s : steps) {
        now = s.at;
        EXPECT_EQ(brush.TimeToDraw(), s.draws) << s.at;
    }
    brush.SetInterval(0);
    now = 5001;
    EXPECT_TRUE(brush.TimeToDraw());
}

TEST(ToolGeometry, RotateAndPointBetweenInPolarForm)
{
    struct Case {
        Point centre, point;
        double angle, fraction;
        Point rotated, between;
    };
    const double pi = std::numbers::pi;
    const Case cases[] = {
        {{0, 0}, {10, 0}, pi / 2, 0.5, {0, 10}, {5, 0}},
        {{5, 5}, {5, 15}, pi, 0.25, {5, -5}, {5, 7}},    // dx 0 counts as 0.001: y 7.49999
        {{5, 5}, {5, -5}, -pi / 2, 0.5, {-5, 5}, {5, 0}},
        {{0, 0}, {-6, -8}, 2 * pi, 0.5, {-6, -8}, {-3, -4}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RotatePoint(c.centre, c.point, c.angle), c.rotated);
        EXPECT_EQ(PointBetween(c.centre, c.point, c.fraction), c.between);
    }
}

TEST(ToolGeometry, StarJoinsEverySecondVertexForFivePointsAndPolygonsJoinNeighbours)
{
    const std::vector<Point> star = StarPolygon({0, 0}, {0, -100}, 5, false);
    const std::vector<Point> pentagon = StarPolygon({0, 0}, {0, -100}, 5, true);
    ASSERT_EQ(star.size(), 5u);
    ASSERT_EQ(pentagon.size(), 5u);
    // The star visits the pentagon's corners every second one.
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(star[i], pentagon[(2 * i) % 5]);
    EXPECT_EQ(pentagon[1], (Point{95, -31}));
    EXPECT_EQ(StarPolygon({0, 0}, {10, 0}, 6, false)[1], RotatePoint({0, 0}, {10, 0}, std::numbers::pi / 3));
    EXPECT_TRUE(StarPolygon({0, 0}, {10, 0}, 0, false).empty());
}

TEST(ToolGeometry, SpiralShrinksTowardTheCentre)
{
    const std::vector<Point> spiral = SpiralPoints({50, 50}, {150, 50}, 3, 1, 0.99);
    ASSERT_EQ(spiral.size(), 3u * 36 + 1);
    EXPECT_EQ(spiral.front(), (Point{150, 50}));
    // 108 steps of 10 degrees: three full turns, back on the x axis at 100 x 0.99^108 = 33.8.
    EXPECT_EQ(spiral.back(), (Point{84, 50}));
}

TEST(ToolGeometry, SpirographChecksItsRadiiAndClosesAfterFullTurns)
{
    struct Case {
        int w, h;
        Point p, q;
        const char* message;
    };
    const Case cases[] = {
        {300, 200, {150, 100}, {160, 100}, "image must be square for spirographs"},
        {201, 200, {150, 100}, {160, 100}, ""},  // 100 = 100
        {200, 200, {160, 100}, {210, 100}, "sum of radi to large"},
        {200, 200, {103, 100}, {150, 100}, "both radi must be >5"},
        {200, 200, {160, 100}, {163, 100}, "both radi must be >5"},
    };
    for (const Case& c : cases) {
        const Spirograph s = SpirographPoints(c.w, c.h, c.p, c.q, 1440);
        EXPECT_EQ(s.message, c.message);
        EXPECT_EQ(s.points.empty(), !s.message.empty());
    }
    // a = 40, b = 20: it starts at (C.x + 60, C.y), and t1 runs 40 full turns.
    const Spirograph s = SpirographPoints(200, 200, {140, 100}, {140, 120}, 1440);
    ASSERT_EQ(s.points.size(), 1441u);
    EXPECT_EQ(s.points.front(), (Point{160, 100}));
    EXPECT_EQ(s.points.back(), (Point{160, 100}));
    for (const Point& p : s.points) EXPECT_LE(std::hypot(p.x - 100.0, p.y - 100.0), 60.5);
}

TEST(ToolGeometry, CubeRecedesTowardTheDepthPoint)
{
    EXPECT_EQ(CubeLines(0, 0, 10, 10, {10, 10}).size(), 4u);  // no depth yet: the front face
    const std::vector<Segment> up = CubeLines(0, 10, 10, 20, {15, 15});  // up and to the right
    ASSERT_EQ(up.size(), 9u);
    // The hidden corner is the lower left; the others recede by (5, -5).
    EXPECT_EQ(up[4].a, (Point{0, 10}));
    EXPECT_EQ(up[4].b, (Point{5, 5}));
    EXPECT_EQ(up[6].a, (Point{10, 20}));
    EXPECT_EQ(up[6].b, (Point{15, 15}));
    EXPECT_EQ(up[7].a, (Point{5, 5}));
    EXPECT_EQ(up[8].b, (Point{15, 15}));
}

TEST(ToolGeometry, BlockCellsAreAtLeastOnePixel)
{
    struct Case {
        int w, h, blocks;
        Point p;
        int left, top, right, bottom;
    };
    const Case cases[] = {
        {256, 256, 32, {13, 250}, 8, 248, 16, 256},
        {3, 2, 32, {2, 1}, 2, 1, 3, 2},
        {10, 10, 0, {5, 5}, 0, 0, 10, 10},
        {10, 10, 3, {-5, 99}, 0, 9, 3, 10},
    };
    for (const Case& c : cases) {
        const Cell cell = BlockCell(c.w, c.h, c.blocks, c.p);
        EXPECT_EQ(cell.left, c.left);
        EXPECT_EQ(cell.top, c.top);
        EXPECT_EQ(cell.right, c.right);
        EXPECT_EQ(cell.bottom, c.bottom);
    }
}
