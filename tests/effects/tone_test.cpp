// Tone and colour effects: tables worked out by hand from the rules.
#include "effects/paintfx.h"
#include "effects/random.h"
#include "fixtures.h"

#include <gtest/gtest.h>

using namespace effects;
using namespace fx_test;

namespace {
int lightness(int v, int amount)
{
    Bitmap24 b = grey(1, 1, {v});
    TvelPaintFX::Lightness(b, amount);
    return b.pixel(0, 0).b;
}
int contrast(int v, int amount)
{
    Bitmap24 b = grey(1, 1, {v});
    TvelPaintFX::Contrast(b, amount);
    return b.pixel(0, 0).b;
}
Bgr saturation(Bgr p, int amount)
{
    Bitmap24 b(1, 1);
    b.setPixel(0, 0, p);
    TvelPaintFX::Saturation(b, amount);
    return b.pixel(0, 0);
}
} // namespace

TEST(Lightness, Table)
{
    struct Case { int v, amount, out; };
    const Case cases[] = {
        {0, -255, 0},     // 0 + 255 x -255 div 255 = -255, clamped
        {128, -255, 1},   // 128 - 127
        {100, 100, 160},  // 155 x 100 = 15500, div 255 = 60
        {200, 255, 255},
        {10, -10, 1},     // 245 x -10 = -2450, div 255 = -9 (toward zero, not -10)
        {77, 0, 77},
        {255, -255, 255}, // (255 - 255) x amount = 0
    };
    for (const auto& c : cases) EXPECT_EQ(lightness(c.v, c.amount), c.out) << c.v << " " << c.amount;
}

TEST(Contrast, Table)
{
    struct Case { int v, amount, out; };
    const Case cases[] = {
        {200, 255, 255},  // 200 + 73 = 273, clamped
        {100, 255, 73},   // 100 - 27
        {127, 255, 127},  // d = 0
        {128, 255, 129},
        {200, -255, 127}, // at -255 every channel becomes 127
        {0, -255, 127},
        {150, 100, 159},  // d = 23 x 100 div 255 = 9
        {50, -100, 80},   // d = 77 x -100 div 255 = -30; 50 - (-30)
        {90, 0, 90},
    };
    for (const auto& c : cases) EXPECT_EQ(contrast(c.v, c.amount), c.out) << c.v << " " << c.amount;
}

TEST(Saturation, Table)
{
    // grey = (10 + 20 + 40) div 3 = 23
    EXPECT_EQ(saturation({10, 20, 40}, 0), (Bgr{23, 23, 23}));
    EXPECT_EQ(saturation({10, 20, 40}, 255), (Bgr{10, 20, 40}));
    // 250: -13 x 250 div 255 = -12; -3 x 250 div 255 = -2; 17 x 250 div 255 = 16
    EXPECT_EQ(saturation({10, 20, 40}, 250), (Bgr{11, 21, 39}));
    // 510: doubles the distance; 23 - 26 = -3 clamps to 0
    EXPECT_EQ(saturation({10, 20, 40}, 510), (Bgr{0, 17, 57}));
    EXPECT_EQ(saturation({0, 255, 255}, 500), (Bgr{0, 255, 255}));
}

TEST(Noise, ColourNoiseDrawsBlueGreenRedInOrder)
{
    Bitmap24 b(2, 1, Bgr{100, 100, 100});
    SetRandSeed(0);
    TvelPaintFX::AddColorNoise(b, 100);
    // Random(100) from seed 0: 0, 3, 86, 20, 27, 67; minus 50.
    EXPECT_EQ(b.pixel(0, 0), (Bgr{50, 53, 136}));
    EXPECT_EQ(b.pixel(1, 0), (Bgr{70, 77, 117}));
    EXPECT_EQ(RandSeed(), 2884733762u);  // six numbers drawn
}

TEST(Noise, MonoNoiseDrawsOnePerPixel)
{
    Bitmap24 b(3, 1, Bgr{10, 100, 250});
    SetRandSeed(0);
    TvelPaintFX::AddMonoNoise(b, 100);
    EXPECT_EQ(b.pixel(0, 0), (Bgr{0, 50, 200}));    // 0 - 50
    EXPECT_EQ(b.pixel(1, 0), (Bgr{0, 53, 203}));    // 3 - 50
    EXPECT_EQ(b.pixel(2, 0), (Bgr{46, 136, 255}));  // 86 - 50
    EXPECT_EQ(RandSeed(), 3698175007u);
}

TEST(Noise, SmallAmounts)
{
    Bitmap24 b = noise(5, 4, 1);
    const Bitmap24 before = b;
    TvelPaintFX::AddColorNoise(b, 0);
    TvelPaintFX::AddColorNoise(b, 1);
    TvelPaintFX::AddMonoNoise(b, 1);
    EXPECT_EQ(b, before);
    TvelPaintFX::AddColorNoise(b, 2);  // -1 or 0
    for (std::size_t i = 0; i < b.stride() * 4; ++i) {
        int d = int(b.bits()[i]) - int(before.bits()[i]);
        EXPECT_TRUE(d == 0 || (d == -1 && before.bits()[i] > 0) || (d == 0 && before.bits()[i] == 0)) << i;
    }
}

TEST(Noise, IsSignedSoADarkPixelStaysDark)
{
    // Seed 0: the first number of Random(0xFFFFFFFF) is 0, so the offset is -(2^31 - 1).
    Bitmap24 b(1, 1, Bgr{200, 200, 200});
    SetRandSeed(0);
    TvelPaintFX::AddMonoNoise(b, 0xFFFFFFFFu);
    EXPECT_EQ(b.pixel(0, 0), (Bgr{0, 0, 0}));
    Bitmap24 c(1, 1, Bgr{5, 5, 5});
    SetRandSeed(0);
    TvelPaintFX::AddColorNoise(c, 0xFFFFFFFFu);
    EXPECT_EQ(c.pixel(0, 0).b, 0);
}

TEST(Filters, RedWithLowAndHigh)
{
    Bitmap24 b(2, 1);
    b.setPixel(0, 0, Bgr{10, 20, 127});
    b.setPixel(1, 0, Bgr{10, 20, 128});
    TvelPaintFX::FilterRed(b, 1, 128);
    EXPECT_EQ(b.pixel(0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(b.pixel(1, 0), (Bgr{0, 0, 0}));
}

TEST(Filters, StrictOnBothSidesAndTheXVariantsKeepTheOthers)
{
    Bitmap24 b(3, 1);
    b.setPixel(0, 0, Bgr{1, 2, 3});
    b.setPixel(1, 0, Bgr{50, 60, 70});
    b.setPixel(2, 0, Bgr{100, 110, 120});
    Bitmap24 g = b, bl = b, xg = b, xb = b, xr = b;
    TvelPaintFX::FilterGreen(g, 2, 110);
    EXPECT_EQ(g.pixel(0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(g.pixel(1, 0), (Bgr{0, 255, 0}));
    EXPECT_EQ(g.pixel(2, 0), (Bgr{0, 0, 0}));
    TvelPaintFX::FilterBlue(bl, 0, 100);
    EXPECT_EQ(bl.pixel(0, 0), (Bgr{255, 0, 0}));
    EXPECT_EQ(bl.pixel(2, 0), (Bgr{0, 0, 0}));
    TvelPaintFX::FilterXGreen(xg, 2, 110);
    EXPECT_EQ(xg.pixel(1, 0), (Bgr{50, 255, 70}));
    EXPECT_EQ(xg.pixel(2, 0), (Bgr{100, 0, 120}));
    TvelPaintFX::FilterXBlue(xb, 0, 100);
    EXPECT_EQ(xb.pixel(0, 0), (Bgr{255, 2, 3}));
    TvelPaintFX::FilterXRed(xr, 69, 121);
    EXPECT_EQ(xr.pixel(0, 0), (Bgr{1, 2, 0}));
    EXPECT_EQ(xr.pixel(1, 0), (Bgr{50, 60, 255}));
    EXPECT_EQ(xr.pixel(2, 0), (Bgr{100, 110, 255}));
}

TEST(Solarize, ThresholdOnTheTruncatedMean)
{
    Bitmap24 b(1, 1, Bgr{100, 100, 101});  // mean 100
    Bitmap24 c = b;
    TvelPaintFX::Solarize(b, b, 99);
    EXPECT_EQ(b.pixel(0, 0), (Bgr{155, 155, 154}));
    TvelPaintFX::Solarize(c, c, 100);
    EXPECT_EQ(c.pixel(0, 0), (Bgr{100, 100, 101}));
    Bitmap24 white(2, 2, Bgr{255, 255, 255});
    TvelPaintFX::Solarize(white, white, 255);
    EXPECT_EQ(white, Bitmap24(2, 2, Bgr{255, 255, 255}));
    // Separate destination: written from the source.
    Bitmap24 dst(1, 1);
    TvelPaintFX::Solarize(Bitmap24(1, 1, Bgr{200, 200, 200}), dst, 10);
    EXPECT_EQ(dst.pixel(0, 0), (Bgr{55, 55, 55}));
}

TEST(Posterize, Table)
{
    Bitmap24 b = grey(6, 1, {255, 150, 250, 49, 50, 51});
    TvelPaintFX::Posterize(b, b, 100);
    // 3 x 100 clamped; Round(1.5) = 2; Round(2.5) = 2; Round(0.49) = 0; Round(0.5) = 0; Round(0.51) = 1
    EXPECT_EQ(blues(b), (std::vector<int>{255, 200, 200, 0, 0, 100}));
    Bitmap24 n = noise(4, 4, 3);
    Bitmap24 same = n;
    TvelPaintFX::Posterize(same, same, 1);
    EXPECT_EQ(same, n);
    TvelPaintFX::Posterize(same, same, 0);  // no-op, not a division by zero
    EXPECT_EQ(same, n);
}

TEST(Blend, Table)
{
    Bitmap24 first = grey(4, 1, {10, 10, 0, 0});
    Bitmap24 second = grey(4, 1, {21, 11, 2, 6});
    Bitmap24 half = first;
    TvelPaintFX::BlendEffect(half, second, half, 0.5);
    EXPECT_EQ(blues(half), (std::vector<int>{16, 10, 1, 3}));  // 15.5 -> 16, 10.5 -> 10
    Bitmap24 quarter;
    TvelPaintFX::BlendEffect(first, second, quarter, 0.25);
    EXPECT_EQ(quarter.width(), 4);
    // 0.75 x 10 + 0.25 x 21 = 12.75; 10.25; 0.5 -> 0; 1.5 -> 2
    EXPECT_EQ(blues(quarter), (std::vector<int>{13, 10, 0, 2}));
    Bitmap24 zero, one;
    TvelPaintFX::BlendEffect(first, second, zero, 0.0);
    TvelPaintFX::BlendEffect(first, second, one, 1.0);
    EXPECT_EQ(zero, first);
    EXPECT_EQ(one, second);
}

TEST(Emboss, UniformGreyBecomes127ExceptTheLastRowAndColumns)
{
    Bitmap24 b(6, 3, Bgr{100, 100, 100});
    TvelPaintFX::Emboss(b);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) {
            int want = (y < 2 && x < 3) ? 127 : 100;
            EXPECT_EQ(b.pixel(x, y), (Bgr{std::uint8_t(want), std::uint8_t(want), std::uint8_t(want)})) << x << "," << y;
        }
}

TEST(Emboss, ReadsTheRowBelowBeforeItChanges)
{
    // 4 x 3: only column 0 of rows 0 and 1 changes.
    Bitmap24 b = grey(4, 3, {10, 0, 0, 0,
                             20, 0, 0, 40,
                             0, 0, 0, 60});
    TvelPaintFX::Emboss(b);
    // (10 + 255 - 40) shr 1 = 112; (20 + 255 - 60) shr 1 = 107
    EXPECT_EQ(blues(b), (std::vector<int>{112, 0, 0, 0, 107, 0, 0, 40, 0, 0, 0, 60}));
    Bitmap24 narrow = grey(3, 2, {1, 2, 3, 4, 5, 6});
    TvelPaintFX::Emboss(narrow);
    EXPECT_EQ(blues(narrow), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(Smooth, ChangesNothing)
{
    Bitmap24 b = noise(3, 3, 5);
    Bitmap24 c = b;
    TvelPaintFX::Smooth(b, 20);
    EXPECT_EQ(b, c);
}

TEST(KeepDropColour, BlackOutsideOrInsideAndTransparent)
{
    Bitmap24 b(3, 1);
    b.setPixel(0, 0, Bgr{3, 2, 1});
    b.setPixel(1, 0, Bgr{3, 2, 2});
    b.setPixel(2, 0, Bgr{3, 2, 1});
    Bitmap24 keep = b, drop = b;
    TvelPaintFX::KeepColor(keep, rgbColor(1, 2, 3));
    EXPECT_EQ(keep.pixel(0, 0), (Bgr{3, 2, 1}));
    EXPECT_EQ(keep.pixel(1, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(keep.pixel(2, 0), (Bgr{3, 2, 1}));
    EXPECT_TRUE(keep.transparent);
    EXPECT_EQ(keep.transparentColor, clBlack);
    TvelPaintFX::DropColor(drop, rgbColor(1, 2, 3));
    EXPECT_EQ(drop.pixel(0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(drop.pixel(1, 0), (Bgr{3, 2, 2}));
    EXPECT_TRUE(drop.transparent);
    // A system colour resolves first: window text is black by default.
    Bitmap24 sys(1, 1, Bgr{0, 0, 0});
    TvelPaintFX::DropColor(sys, ColorRef(0xFF000008u));
    EXPECT_EQ(sys.pixel(0, 0), (Bgr{0, 0, 0}));
    Bitmap24 sys2(1, 1, Bgr{9, 9, 9});
    TvelPaintFX::KeepColor(sys2, ColorRef(0xFF000008u));
    EXPECT_EQ(sys2.pixel(0, 0), (Bgr{0, 0, 0}));
}
