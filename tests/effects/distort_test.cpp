// Geometric distortions and displacement: tables worked out by hand from the rules, and the
// in-place runs the effects dialog makes (source and destination the same bitmap).
#include "effects/paintfx.h"
#include "fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace effects;
using namespace fx_test;

TEST(ArcTan2, Quadrants)
{
    const float pi = 3.14159265358979323846f;
    EXPECT_FLOAT_EQ(TvelPaintFX::ArcTan2(0, 1), pi / 2);
    EXPECT_FLOAT_EQ(TvelPaintFX::ArcTan2(0, -1), -pi / 2);
    EXPECT_FLOAT_EQ(TvelPaintFX::ArcTan2(0, 0), -pi / 2);
    EXPECT_FLOAT_EQ(TvelPaintFX::ArcTan2(1, 1), pi / 4);
    EXPECT_FLOAT_EQ(TvelPaintFX::ArcTan2(-1, 1), 3 * pi / 4);
    EXPECT_FLOAT_EQ(TvelPaintFX::ArcTan2(-1, -1), 5 * pi / 4);
}

TEST(FishEye, InPlaceSamplesPixelsAlreadyWritten)
{
    // Amount 0: f = 0, so m stays 0 and every pixel samples the centre (1.5, 1.5): the mean of
    // pixels (1, 1), (2, 1), (1, 2), (2, 2) with weights 1/4. In place the later pixels see the
    // ones already written: (1, 1) := 50, (2, 1) := Round((50 + 0 + 0 + 200) / 4) = Round(62.5) = 62,
    // (0, 2) := Round((50 + 62 + 0 + 200) / 4) = 78, (1, 2) := 78, (2, 2) := Round(97.5) = 98.
    const Bitmap24 start = grey(3, 3, {9, 9, 9,
                                       9, 0, 0,
                                       9, 0, 200});
    Bitmap24 b = start;
    TvelPaintFX::FishEye(b, b, 0.0);
    EXPECT_EQ(blues(b), (std::vector<int>{50, 50, 50,
                                          50, 50, 62,
                                          78, 78, 98}));
    // A separate destination (copy-then-write) gives 50 everywhere.
    Bitmap24 dest(3, 3);
    TvelPaintFX::FishEye(start, dest, 0.0);
    EXPECT_EQ(dest, Bitmap24(3, 3, Bgr{50, 50, 50}));
}

TEST(FishEye, CentrePixelSamplesItself)
{
    Bitmap24 b = grey(2, 2, {1, 2, 3, 4});
    Bitmap24 d(2, 2);
    TvelPaintFX::FishEye(b, d, 0.7);
    EXPECT_EQ(d.pixel(1, 1).b, 4);  // r = 0 at (1, 1): the point (cx, cy) = (1, 1)
}

TEST(Twist, OnePixelSamplesItself)
{
    Bitmap24 b = grey(1, 1, {42});
    TvelPaintFX::Twist(b, b, 1);
    EXPECT_EQ(blues(b), (std::vector<int>{42}));
    Bitmap24 c = noise(3, 3, 8);
    Bitmap24 d(3, 3);
    TvelPaintFX::Twist(c, d, 1);
    EXPECT_EQ(d.pixel(1, 1), c.pixel(1, 1));  // the centre (1, 1): r = 0
    Bitmap24 e = c;
    TvelPaintFX::Twist(e, e, 0);  // no-op
    EXPECT_EQ(e, c);
}

TEST(Rotate, AngleZeroReproducesThePicture)
{
    Bitmap24 b = noise(7, 5, 3);
    for (auto centre : {std::pair{0, 0}, std::pair{3, 2}, std::pair{-40, 90}}) {
        Bitmap24 c = b;
        TvelPaintFX::Rotate(c, c, centre.first, centre.second, 0.0);
        EXPECT_EQ(c, b);
        Bitmap24 d(7, 5);
        TvelPaintFX::Rotate(b, d, centre.first, centre.second, 0.0);
        EXPECT_EQ(d, b);
    }
}

TEST(Rotate, HalfTurnAboutAFarCentreLeavesEveryPixel)
{
    Bitmap24 b = noise(4, 4, 6);
    Bitmap24 c = b;
    TvelPaintFX::Rotate(c, c, 100, 100, 180.0);
    EXPECT_EQ(c, b);
}

TEST(Rotate, QuarterTurnSeparateAndInPlace)
{
    // Centre (1, 1), 90 degrees: X = i, Y = 1 - j, so destination (j, i) := source (i, 1 - j);
    // column 2 (Y = -1) is skipped and keeps its colour.
    const Bitmap24 src = grey(3, 3, {1, 2, 3,
                                     11, 12, 13,
                                     21, 22, 23});
    Bitmap24 dest(3, 3);
    TvelPaintFX::Rotate(src, dest, 1, 1, 90.0);
    EXPECT_EQ(blues(dest), (std::vector<int>{11, 1, 0,
                                             12, 2, 0,
                                             13, 3, 0}));
    // In place, (1, 0) reads (0, 0) after it became 11, (1, 1) reads (1, 0), and so on.
    Bitmap24 b = src;
    TvelPaintFX::Rotate(b, b, 1, 1, 90.0);
    EXPECT_EQ(blues(b), (std::vector<int>{11, 11, 3,
                                          12, 11, 13,
                                          13, 3, 23}));
}

namespace {
Bitmap24 columnIds(int w, int h)
{
    std::vector<int> v;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) v.push_back(10 * y + x + 1);
    return grey(w, h, v);
}
} // namespace

TEST(Wave, OffsetsOfTheColumnBefore)
{
    // H = 7, r = 2: only row 2 (from 7 - 4 - 1 down to 2). k = pi / 4; the offsets used at columns
    // 0..4 are 0, Round(2 sin 0) = 0, Round(2 sin(pi/4)) = 1, Round(2 sin(pi/2)) = 2, 1: row 2 goes to
    // rows 4, 4, 5, 6, 5.
    Bitmap24 b = columnIds(5, 7);
    const Bitmap24 before = b;
    TvelPaintFX::Wave(b, 2, 0, 0);
    const int rows[5] = {4, 4, 5, 6, 5};
    for (int x = 0; x < 5; ++x)
        for (int y = 0; y < 7; ++y) EXPECT_EQ(b.pixel(x, y), y == rows[x] ? before.pixel(x, 2) : before.pixel(x, y)) << x << "," << y;

    // Mode 1, sin x cos: 0, 0, Round(2 x 0.5) = 1, 0, -1.
    Bitmap24 m1 = before;
    TvelPaintFX::Wave(m1, 2, 0, 1);
    const int rows1[5] = {4, 4, 5, 4, 3};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(m1.pixel(x, rows1[x]), before.pixel(x, 2)) << x;
    // Mode 2 with factor 2, sin(fk) sin(2kf): 0, 0, 1, 0, -1.
    Bitmap24 m2 = before;
    TvelPaintFX::Wave(m2, 2, 2, 2);
    EXPECT_EQ(m2, m1);
}

TEST(Wave, LargeHeightChangesNothing)
{
    Bitmap24 b = noise(6, 7, 1);
    const Bitmap24 before = b;
    TvelPaintFX::Wave(b, 3, 0, 0);  // 7 - 6 - 1 < 3
    TvelPaintFX::Wave(b, 0, 0, 0);
    TvelPaintFX::Wave(b, -5, 0, 0);
    EXPECT_EQ(b, before);
}

TEST(Wings, DeepMovesDownRightSeparateAndSmearsInPlace)
{
    const Bitmap24 src = ids(5, 4);
    Bitmap24 dest(5, 4);
    TvelPaintFX::WingsDeep(src, dest, 1.0, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dest.pixel(x, y), (x >= 1 && y >= 1) ? src.pixel(x - 1, y - 1) : src.pixel(x, y)) << x << "," << y;

    // In place: rows already written are read again, so every pixel ends with the colour of the
    // top-row or left-column pixel on its diagonal.
    Bitmap24 b = src;
    TvelPaintFX::WingsDeep(b, b, 1.0, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            int k = std::min(x, y);
            EXPECT_EQ(b.pixel(x, y), src.pixel(x - k, y - k)) << x << "," << y;
        }

    // Touche runs from the bottom right, so in place it reads only pixels not yet written: the
    // plain shift.
    Bitmap24 t = src;
    TvelPaintFX::WingsTouche(t, t, 1.0, 1);
    EXPECT_EQ(t, dest);
    Bitmap24 flyer = src;
    TvelPaintFX::WingsFlyer(flyer, flyer, 1.0, 1);  // b = 1, e = -tan 0 = 0: as Deep
    EXPECT_EQ(flyer, b);
}

TEST(Wings, DownUpFoldAndTheIdentities)
{
    // x = 1, a = 1: b = cos 0 = 1, e = -sin 0 = 0.
    // Down: row i + 1, column abs(d - 1).
    const Bitmap24 src = ids(4, 3);
    Bitmap24 down(4, 3);
    TvelPaintFX::WingsDown(src, down, 1.0, 1);
    for (int y = 1; y < 3; ++y) {
        EXPECT_EQ(down.pixel(0, y), src.pixel(1, y - 1));
        EXPECT_EQ(down.pixel(1, y), src.pixel(2, y - 1));  // d = 0 then d = 2: the later wins
        EXPECT_EQ(down.pixel(2, y), src.pixel(3, y - 1));
        EXPECT_EQ(down.pixel(3, y), src.pixel(3, y));      // nothing lands there: the copy
    }
    // Up: row abs(i - 1), column d + 1.
    Bitmap24 up(4, 3);
    TvelPaintFX::WingsUp(src, up, 1.0, 1);
    for (int x = 1; x < 4; ++x) {
        EXPECT_EQ(up.pixel(x, 0), src.pixel(x - 1, 1));  // i = 1 comes after i = 0
        EXPECT_EQ(up.pixel(x, 1), src.pixel(x - 1, 2));
        EXPECT_EQ(up.pixel(x, 2), src.pixel(x, 2));
    }
    // Fold: b = sin 0 = 0, e = -cos 0 = -1: row abs(i - 1), column abs(d - 1).
    Bitmap24 fold(4, 3);
    TvelPaintFX::WingsFold(src, fold, 1.0, 1);
    EXPECT_EQ(fold.pixel(0, 0), src.pixel(1, 1));
    EXPECT_EQ(fold.pixel(1, 1), src.pixel(2, 2));
    EXPECT_EQ(fold.pixel(2, 1), src.pixel(3, 2));
    // Flipover and Wavy: b = 0 and e = 0, every pixel onto itself.
    Bitmap24 flip(4, 3), wavy(4, 3);
    TvelPaintFX::WingsFlipover(src, flip, 1.0, 1);
    TvelPaintFX::WingsWavy(src, wavy, 1.0, 1);
    EXPECT_EQ(flip, src);
    EXPECT_EQ(wavy, src);
}

TEST(Wings, ZeroScaleOrPeriodIsANoOp)
{
    const Bitmap24 src = noise(4, 4, 2);
    Bitmap24 dest(4, 4);
    TvelPaintFX::WingsDeep(src, dest, 0.0, 5);
    TvelPaintFX::WingsFlyer(src, dest, 0.0, 5);
    TvelPaintFX::WingsWavy(src, dest, 3.0, 0);
    EXPECT_EQ(dest, Bitmap24(4, 4));
}

TEST(Squeeze, HorizontalAndClampedAmount)
{
    // Amount 1 on a width of 4: the row goes into columns 1..2, from source columns 1 and 3.
    const Bitmap24 src = columnIds(4, 2);
    Bitmap24 dest(4, 2);
    TvelPaintFX::Squeeze(src, dest, 1, 7);
    EXPECT_EQ(blues(dest), (std::vector<int>{0, 2, 4, 0, 0, 12, 14, 0}));
    // Amount 255 on 199 columns is clamped to 99: the row goes into column 99 alone.
    Bitmap24 wide = noise(199, 3, 5);
    Bitmap24 one(199, 3);
    TvelPaintFX::Squeeze(wide, one, 255, 7);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 199; ++x) EXPECT_EQ(one.pixel(x, y), x == 99 ? wide.pixel(99, y) : Bgr{}) << x;
}

TEST(Squeeze, RoundAndOneRow)
{
    // Mode 12 on 6 x 3 with amount 2: row 1 has u = 2, rectangle 1..5, from source columns 0, 2, 3, 5;
    // rows 0 and 2 have u = 0 and draw nothing.
    const Bitmap24 src = columnIds(6, 3);
    Bitmap24 dest(6, 3);
    TvelPaintFX::Squeeze(src, dest, 2, 12);
    EXPECT_EQ(blues(dest), (std::vector<int>{0, 0, 0, 0, 0, 0,
                                             0, 11, 13, 14, 16, 0,
                                             0, 0, 0, 0, 0, 0}));
    Bitmap24 row = noise(7, 1, 1);
    const Bitmap24 before = row;
    for (int mode = 7; mode <= 13; ++mode) TvelPaintFX::Squeeze(row, row, 3, mode);
    EXPECT_EQ(row, before);
}

TEST(SplitRound, RoundModeSeparateAndInPlace)
{
    // W = 4, H = 3, amount 2, mode 14: row 1 has w = 2; the left half goes to columns 0..1, the right
    // half to columns 1..2 (rectangle W - w - 1 .. W - 1).
    const Bitmap24 src = columnIds(4, 3);
    Bitmap24 dest(4, 3);
    TvelPaintFX::SplitRound(src, dest, 2, 14);
    EXPECT_EQ(blues(dest), (std::vector<int>{0, 0, 0, 0,
                                             11, 13, 14, 0,
                                             0, 0, 0, 0}));
    Bitmap24 b = src;
    TvelPaintFX::SplitRound(b, b, 2, 14);
    EXPECT_EQ(blues(b), (std::vector<int>{1, 2, 3, 4,
                                          11, 13, 14, 14,
                                          21, 22, 23, 24}));
    // Mode 15 (cos): rows 0 and 2 have w = 2, row 1 none.
    Bitmap24 c = src;
    TvelPaintFX::SplitRound(c, c, 2, 15);
    EXPECT_EQ(blues(c), (std::vector<int>{1, 3, 4, 4,
                                          11, 12, 13, 14,
                                          21, 23, 24, 24}));
}

TEST(SplitRound, AmountZeroAndOneRow)
{
    Bitmap24 b = noise(5, 4, 3);
    const Bitmap24 before = b;
    TvelPaintFX::SplitRound(b, b, 0, 14);
    EXPECT_EQ(b, before);
    Bitmap24 dest(5, 4);
    TvelPaintFX::SplitRound(before, dest, 0, 15);
    EXPECT_EQ(dest, before);
    Bitmap24 row = noise(6, 1, 2);
    const Bitmap24 rowBefore = row;
    TvelPaintFX::SplitRound(row, row, 3, 14);
    TvelPaintFX::SplitRound(row, row, 3, 15);
    EXPECT_EQ(row, rowBefore);
}

TEST(Plasma, AmountOneUsesFiveAndBlueZeroReadsFiveRowsDown)
{
    // Second source blue 0: DX[0] = Round(-5 sin 0) = 0, DY[0] = Round(5 cos 0) = 5.
    const Bitmap24 first = columnIds(3, 7);
    const Bitmap24 second(3, 7);
    Bitmap24 d1(3, 7), d5(3, 7);
    TvelPaintFX::Plasma(first, second, d1, 1, 0);
    TvelPaintFX::Plasma(first, second, d5, 5, 10);
    EXPECT_EQ(d1, d5);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(d1.pixel(x, y), y + 5 < 7 ? first.pixel(x, y + 5) : Bgr{}) << x << "," << y;
}
