// The shared base: bitmap, ClampByte, ClampInt, the generator, rounding, colours, stretch.
#include "effects/arith.h"
#include "effects/bitmap.h"
#include "effects/random.h"
#include "fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace effects;
using namespace fx_test;

TEST(EffectsBase, BitmapIsRowsOfBlueGreenRed)
{
    Bitmap24 b(3, 2);
    EXPECT_EQ(b.stride(), 9u);
    b.setPixel(1, 1, Bgr{1, 2, 3});
    EXPECT_EQ(b.row(1)[3], 1);
    EXPECT_EQ(b.row(1)[4], 2);
    EXPECT_EQ(b.row(1)[5], 3);
    EXPECT_EQ(b.bits()[9 + 3], 1);
}

TEST(EffectsBase, SetSizeKeepsTheTopLeftPixels)
{
    Bitmap24 b = ids(3, 3);
    b.setSize(2, 4);
    EXPECT_EQ(b.width(), 2);
    EXPECT_EQ(b.height(), 4);
    EXPECT_EQ(b.pixel(1, 2), ids(3, 3).pixel(1, 2));
    EXPECT_EQ(b.pixel(1, 3), Bgr{});
    Bitmap24 neg(-3, 5);
    EXPECT_TRUE(neg.empty());
}

TEST(EffectsBase, ClampByteAndClampInt)
{
    EXPECT_EQ(ClampByte(-1), 0);
    EXPECT_EQ(ClampByte(0), 0);
    EXPECT_EQ(ClampByte(255), 255);
    EXPECT_EQ(ClampByte(256), 255);
    EXPECT_EQ(ClampByte(std::int64_t(1) << 40), 255);
    EXPECT_EQ(ClampByte(-(std::int64_t(1) << 40)), 0);
    EXPECT_EQ(ClampInt(5, 0, 3), 3);
    EXPECT_EQ(ClampInt(-5, 0, 3), 0);
    EXPECT_EQ(ClampInt(2, 0, 3), 2);
}

TEST(EffectsRandom, TheRuntimeSequenceFromSeedZero)
{
    SetRandSeed(0);
    const std::uint32_t expected[] = {0, 3, 86, 20, 27, 67, 31, 16};
    for (std::uint32_t e : expected) EXPECT_EQ(Random(100), e);
    EXPECT_EQ(RandSeed(), 694906232u);
}

TEST(EffectsRandom, SeedStepAndRange)
{
    SetRandSeed(0);
    EXPECT_EQ(Random(0), 0u);  // the seed still advances
    EXPECT_EQ(RandSeed(), 1u);
    EXPECT_EQ(Random(1), 0u);
    EXPECT_EQ(RandSeed(), 134775814u);
    SetRandSeed(0xFFFFFFFFu);
    // 0xFFFFFFFF * 134775813 + 1 = -134775812 mod 2^32
    EXPECT_EQ(Random(0xFFFFFFFFu), std::uint32_t((std::uint64_t(0xFFFFFFFFu) * (0u - 134775812u)) >> 32));
    SetRandSeed(0);
    double r = RandomReal();
    EXPECT_DOUBLE_EQ(r, 1.0 / 4294967296.0);
}

namespace {
std::uint32_t fixedClock() { return 12345; }
}

TEST(EffectsRandom, RandomizeReadsTheClock)
{
    SetRandomizeClock(&fixedClock);
    Randomize();
    EXPECT_EQ(RandSeed(), 12345u);
    SetRandomizeClock(nullptr);
}

TEST(EffectsRounding, FastRoundEqualsTheProjectHelper)
{
    const double cases[] = {0.0, 0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 62.5, 63.5, 2.4999, 2.5001, -2.6, 254.5, 255.5,
                            1e9 + 0.5, -1e9 - 0.5, 2147483646.5, 2147483647.5, -2147483648.5, 1e20, -1e20,
                            std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), 0.49999999999999994, -0.49999999999999994};
    for (double c : cases) EXPECT_EQ(detail::fastRound(c), platform::roundHalfEven(c)) << c;
    for (int i = -4000; i <= 4000; ++i) {
        double v = i / 8.0;
        EXPECT_EQ(detail::fastRound(v), platform::roundHalfEven(v)) << v;
        if (v >= 0) {
            EXPECT_EQ(detail::roundNonNegativeSmall(float(v)), platform::roundHalfEven(v)) << v;
        }
    }
}

TEST(EffectsRounding, CheckedConversionsNeverOverflow)
{
    EXPECT_EQ(detail::checkedTrunc64(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(detail::checkedTrunc64(1e300), std::int64_t(1) << 62);
    EXPECT_EQ(detail::checkedTrunc64(-1e300), -(std::int64_t(1) << 62));
    EXPECT_EQ(detail::checkedTrunc64(-3.9), -3);
    EXPECT_EQ(detail::checkedRound64(2.5), 2);
}

namespace {
ColorRef allRed(ColorRef) { return rgbColor(255, 0, 0); }
}

TEST(EffectsColours, ColorToRGB)
{
    EXPECT_EQ(ColorToRGB(rgbColor(1, 2, 3)), rgbColor(1, 2, 3));
    EXPECT_EQ(ColorToRGB(ColorRef(0xFF000005u)), 0xFFFFFF);  // window: white by default
    SetSystemColorResolver(&allRed);
    EXPECT_EQ(ColorToRGB(ColorRef(0xFF00000Fu)), rgbColor(255, 0, 0));
    SetSystemColorResolver(nullptr);
    EXPECT_EQ(ColorToRGB(ColorRef(0xFF000008u)), 0x000000);
}

TEST(EffectsStretch, NearestNeighbourTakesThePixelUnderTheCentre)
{
    // 4 pixels into 2: centres at source 1 and 3.
    Bitmap24 src = grey(4, 1, {10, 20, 30, 40});
    Bitmap24 dst = grey(4, 1, {0, 0, 0, 0});
    StretchDraw(src, dst, Rect{1, 0, 3, 1});
    EXPECT_EQ(blues(dst), (std::vector<int>{0, 20, 40, 0}));
    // 2 pixels into 4: each doubled.
    Bitmap24 two = grey(2, 1, {10, 20});
    StretchDraw(two, dst, Rect{0, 0, 4, 1});
    EXPECT_EQ(blues(dst), (std::vector<int>{10, 10, 20, 20}));
    // Mirrored rectangle.
    StretchDraw(src, dst, Rect{4, 0, 0, 1});
    EXPECT_EQ(blues(dst), (std::vector<int>{40, 30, 20, 10}));
    // Clipped: only the part inside the destination is written.
    Bitmap24 d2 = grey(2, 1, {0, 0});
    StretchDraw(src, d2, Rect{-2, 0, 2, 1});
    EXPECT_EQ(blues(d2), (std::vector<int>{30, 40}));
    // Empty rectangles draw nothing.
    StretchDraw(src, d2, Rect{1, 0, 1, 1});
    EXPECT_EQ(blues(d2), (std::vector<int>{30, 40}));
}

TEST(EffectsStretch, DrawClipsAndHandlesItself)
{
    Bitmap24 b = grey(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    Draw(b, b, 1, 1);
    EXPECT_EQ(blues(b), (std::vector<int>{1, 2, 3, 4, 1, 2, 7, 4, 5}));
    Bitmap24 c = grey(2, 2, {1, 2, 3, 4});
    Draw(grey(1, 1, {9}), c, 5, 5);
    Draw(grey(1, 1, {9}), c, -1, 0);
    EXPECT_EQ(blues(c), (std::vector<int>{1, 2, 3, 4}));
}
