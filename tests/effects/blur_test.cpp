// Blur, mosaic and texture effects: tables worked out by hand from the rules.
#include "effects/paintfx.h"
#include "effects/random.h"
#include "fixtures.h"

#include <gtest/gtest.h>

using namespace effects;
using namespace fx_test;

TEST(SplitBlur, ReadsPixelsItHasAlreadyBlurred)
{
    // One row, distance 1: rows U = D = 0 (the row itself); columns L = [0, 0, 1, 2], R = [1, 2, 3, 1].
    // x = 2: (0 + 200) / 2 = 100. x = 3 reads column 2, already 100: (100 + 0) / 2 = 50.
    // A copy-then-write blur would give 0 there.
    Bitmap24 row = grey(4, 1, {0, 0, 0, 200});
    TvelPaintFX::SplitBlur(row, 1);
    EXPECT_EQ(blues(row), (std::vector<int>{0, 0, 100, 50}));

    // The same down one column: rows U = [0, 0, 1, 2], D = [1, 2, 3, 1].
    Bitmap24 col = grey(1, 4, {0, 0, 0, 200});
    TvelPaintFX::SplitBlur(col, 1);
    EXPECT_EQ(blues(col), (std::vector<int>{0, 0, 100, 50}));
}

TEST(SplitBlur, LeftEdgeWithDistanceThree)
{
    // Pixel (0, 0) averages columns 0 and 3 of rows 0 and 3 (U = 0 for row 0).
    Bitmap24 b = noise(8, 8, 11);
    const Bitmap24 before = b;
    TvelPaintFX::SplitBlur(b, 3);
    for (int k = 0; k < 3; ++k) {
        int sum = before.pixelPtr(0, 0)[k] + before.pixelPtr(0, 3)[k] + before.pixelPtr(3, 0)[k] + before.pixelPtr(3, 3)[k];
        EXPECT_EQ(b.pixelPtr(0, 0)[k], sum >> 2);
    }
}

TEST(SplitBlur, DistanceReachingTheSizeReadsInsideTheBitmap)
{
    // Height 2, distance 2: at y = 0 the rule's D = H - y = 2 lies outside; it is clamped to row 1.
    Bitmap24 b = grey(1, 2, {10, 30});
    TvelPaintFX::SplitBlur(b, 2);
    EXPECT_EQ(blues(b), (std::vector<int>{20, 30}));
    Bitmap24 one = grey(1, 1, {77});
    TvelPaintFX::SplitBlur(one, 30);
    EXPECT_EQ(blues(one), (std::vector<int>{77}));
}

TEST(SplitBlur, ZeroDistanceAndGaussianPasses)
{
    Bitmap24 b = noise(9, 7, 2);
    Bitmap24 c = b;
    TvelPaintFX::SplitBlur(c, 0);
    EXPECT_EQ(c, b);
    Bitmap24 once = b, gauss0 = b, twice = b, gauss1 = b;
    TvelPaintFX::SplitBlur(once, 3);
    TvelPaintFX::GaussianBlur(gauss0, 0);
    EXPECT_EQ(gauss0, once);
    TvelPaintFX::SplitBlur(twice, 3);
    TvelPaintFX::SplitBlur(twice, 3);
    TvelPaintFX::GaussianBlur(gauss1, 1);
    EXPECT_EQ(gauss1, twice);
}

TEST(Mosaic, BlocksAreCutShortAtTheEdges)
{
    Bitmap24 b = grey(3, 3, {1, 2, 3,
                             4, 5, 6,
                             7, 8, 9});
    TvelPaintFX::Mosaic(b, 2);
    EXPECT_EQ(blues(b), (std::vector<int>{1, 1, 3,
                                          1, 1, 3,
                                          7, 7, 9}));
    Bitmap24 c = grey(2, 2, {1, 2, 3, 4});
    TvelPaintFX::Mosaic(c, 0);
    TvelPaintFX::Mosaic(c, -4);
    TvelPaintFX::Mosaic(c, 1);
    EXPECT_EQ(blues(c), (std::vector<int>{1, 2, 3, 4}));
    TvelPaintFX::Mosaic(c, 1000);
    EXPECT_EQ(blues(c), (std::vector<int>{1, 1, 1, 1}));
}

TEST(Seamless, RowsRunFromTheNewTopRow)
{
    // 6 x 6, divisor 3: b = c = 2. Row 0 := row 5 (101); row 1 := Round(101 + (0 - 101) / 2) = Round(50.5)
    // = 50, from the new row 0 (a copy-then-write would use the old 0 and give 0). Then in every row
    // pixel 5 := pixel 0 and pixel 4 := Round(p + (q - p) / 2), q = pixel 4.
    std::vector<int> v(36, 0);
    for (int x = 0; x < 6; ++x) v[std::size_t(30 + x)] = 101;
    const int row3[6] = {10, 0, 0, 0, 31, 99};
    for (int x = 0; x < 6; ++x) v[std::size_t(18 + x)] = row3[x];
    Bitmap24 b = grey(6, 6, v);
    TvelPaintFX::Seamless(b, 3);
    std::vector<int> want = {101, 101, 101, 101, 101, 101,
                             50, 50, 50, 50, 50, 50,
                             0, 0, 0, 0, 0, 0,
                             10, 0, 0, 0, 20, 10,  // Round(10 + 21 / 2) = Round(20.5) = 20
                             0, 0, 0, 0, 0, 0,
                             101, 101, 101, 101, 101, 101};
    EXPECT_EQ(blues(b), want);
}

TEST(Seamless, LargeDivisorsSkipTheirSteps)
{
    // Divisor above both sizes: only row 0 := row H - 1.
    Bitmap24 b = grey(2, 3, {1, 2, 3, 4, 5, 6});
    TvelPaintFX::Seamless(b, 5);
    EXPECT_EQ(blues(b), (std::vector<int>{5, 6, 3, 4, 5, 6}));
    Bitmap24 z = grey(2, 2, {1, 2, 3, 4});
    TvelPaintFX::Seamless(z, 0);
    EXPECT_EQ(blues(z), (std::vector<int>{1, 2, 3, 4}));
}

TEST(Triangles, Size5)
{
    // a = 5, h = 2. Row 0: f = 5, e = 4; hold at g mod 5 = 0 or g mod 4 = 1: pixels 0, 1, 5.
    // Rows 1..3: f = 1, 2, 1 (every pixel holds itself). Row 4 is like row 0.
    Bitmap24 b(8, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) b.setPixel(x, y, Bgr{std::uint8_t(x), std::uint8_t(y), 0});
    const Bitmap24 before = b;
    TvelPaintFX::Triangles(b, 1);  // raised to 5
    const int want[8] = {0, 1, 1, 1, 1, 5, 5, 5};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(b.pixel(x, 0).b, want[x]) << x;
        EXPECT_EQ(b.pixel(x, 4).b, want[x]) << x;
        for (int y = 1; y < 4; ++y) EXPECT_EQ(b.pixel(x, y), before.pixel(x, y));
    }
    Bitmap24 c = before;
    TvelPaintFX::Triangles(c, 4);  // 4 -> 5 -> (5 div 2) x 2 + 1 = 5
    EXPECT_EQ(c, b);
}

TEST(RippleTooth, HeightFourMovesRowsOneAndZero)
{
    // b = min(4 div 2, 100) = 2; offsets across columns 0, 1, 2, 0; row 1 first, then row 0.
    Bitmap24 b = grey(4, 4, {0, 1, 2, 3,
                             10, 11, 12, 13,
                             20, 21, 22, 23,
                             30, 31, 32, 33});
    TvelPaintFX::RippleTooth(b, 100);
    EXPECT_EQ(blues(b), (std::vector<int>{0, 1, 2, 3,
                                          10, 1, 12, 13,
                                          20, 11, 2, 23,
                                          30, 31, 12, 33}));
}

namespace {
std::uint32_t clock7() { return 7; }
}

TEST(RippleRandom, ReseedsFromTheClockAndDrawsOnePerColumn)
{
    SetRandomizeClock(&clock7);
    Bitmap24 b = noise(5, 6, 4);
    const Bitmap24 before = b;
    TvelPaintFX::RippleRandom(b, 2);
    // The same by hand: b = 2, rows 3 .. 0, d = 0 then Random(2) after each column.
    Bitmap24 want = before;
    SetRandSeed(7);
    for (int n = 6 - 2 - 1; n >= 0; --n) {
        int d = 0;
        for (int e = 0; e < 5; ++e) {
            want.setPixel(e, n + d, want.pixel(e, n));
            d = int(Random(2));
        }
    }
    EXPECT_EQ(b, want);
    SetRandomizeClock(nullptr);
}

TEST(TileTexture, TenByFourUsesATwoByTwoTile)
{
    Bitmap24 b = ids(10, 4);
    const Bitmap24 before = b;
    TvelPaintFX::TileTexture(b, 100);
    // Tile pixel (tx, ty) is the source pixel under its centre: columns 2 and 7, rows 1 and 3.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(b.pixel(x, y), before.pixel(x % 2 ? 7 : 2, y % 2 ? 3 : 1)) << x << "," << y;
}

TEST(OverlapTexture, LaterTilesCoverEarlierOnes)
{
    // c = 2, step Round(4 / 3) = 1: the last tile over each pixel starts at that pixel.
    Bitmap24 b = ids(10, 4);
    const Bitmap24 before = b;
    TvelPaintFX::OverlapTexture(b, 100);
    EXPECT_EQ(b, Bitmap24(10, 4, before.pixel(2, 1)));
}

TEST(Textures, TileBelowOnePixelChangesNothing)
{
    for (auto size : {std::pair{1, 9}, std::pair{9, 1}, std::pair{1, 1}}) {
        Bitmap24 b = noise(size.first, size.second, 9);
        const Bitmap24 before = b;
        TvelPaintFX::TileTexture(b, 50);
        TvelPaintFX::OverlapTexture(b, 50);
        EXPECT_EQ(b, before);
    }
    Bitmap24 b = noise(9, 9, 9);
    const Bitmap24 before = b;
    TvelPaintFX::TileTexture(b, 0);
    TvelPaintFX::OverlapTexture(b, -3);
    EXPECT_EQ(b, before);
}

TEST(MapEffect, HeightOneMovesOnlyMeansAbove127Point5)
{
    Bitmap24 b(1, 3);
    b.setPixel(0, 0, Bgr{0, 0, 0});
    b.setPixel(0, 1, Bgr{128, 128, 127});  // mean 127.67: Round(0.5007) = 1
    b.setPixel(0, 2, Bgr{127, 127, 128});  // mean 127.33: 0
    TvelPaintFX::MapEffect(b, 1);
    EXPECT_EQ(b.pixel(0, 0), (Bgr{128, 128, 127}));
    EXPECT_EQ(b.pixel(0, 1), (Bgr{128, 128, 127}));
    EXPECT_EQ(b.pixel(0, 2), (Bgr{127, 127, 128}));
}

TEST(MapEffect, ReadsTheWorkCopy)
{
    // White moves up 2 rows at height 2; it is read from the work copy, so the white written at
    // row 0 by row 2 is not moved again.
    Bitmap24 b = grey(1, 4, {0, 0, 255, 0});
    TvelPaintFX::MapEffect(b, 2);
    EXPECT_EQ(blues(b), (std::vector<int>{255, 0, 255, 0}));
}
