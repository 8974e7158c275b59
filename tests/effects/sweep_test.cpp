// Every effect on tiny bitmaps (1 x 1, 1 x N, N x 1, 2 x 2, and empty) with every parameter at
// its limits, in place and into destinations of other sizes. The checks are that nothing is read
// or written outside a bitmap and that no arithmetic is undefined: run it under the sanitizer
// build, where any such fault fails the test. It must stay quick there.
#include "effects/paintfx.h"
#include "effects/random.h"
#include "effects/resample.h"
#include "fixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace effects;
using namespace fx_test;

namespace {

const std::pair<int, int> tiny[] = {{1, 1}, {1, 5}, {5, 1}, {2, 2}, {1, 2}, {2, 1}, {3, 3}, {4, 7}, {0, 0}, {0, 3}};
const int ints[] = {INT_MIN, INT_MIN + 1, -1000, -255, -31, -3, -2, -1, 0, 1, 2, 3, 4, 5, 7, 15, 19, 30, 50, 100,
                    127, 128, 254, 255, 256, 300, 360, 400, 500, 1000, 100000, INT_MAX - 1, INT_MAX};
const double reals[] = {0.0, -0.0, 1e-300, -1e-300, 0.01, 0.5, 0.6366197723675814, 1.0, 1.5707963267948966, 2.0, 3.0,
                        -1.0, -2.5, 90.0, 180.0, 360.0, 400.0, 1e6, -1e6, 1e300, -1e300,
                        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::denorm_min()};

template <typename F>
void onEachTiny(F f)
{
    std::uint32_t seed = 1;
    for (auto [w, h] : tiny) {
        Bitmap24 b = noise(w, h, seed++);
        f(b);
        EXPECT_EQ(b.width(), std::max(w, 0));
        EXPECT_EQ(b.height(), std::max(h, 0));
    }
}

} // namespace

TEST(Sweep, ToneEffects)
{
    for (int v : ints) {
        onEachTiny([&](Bitmap24& b) {
            TvelPaintFX::Lightness(b, v);
            TvelPaintFX::Contrast(b, v);
            TvelPaintFX::Saturation(b, v);
            TvelPaintFX::Posterize(b, b, v);
            TvelPaintFX::Solarize(b, b, v);
            TvelPaintFX::Smooth(b, v);
            for (int high : {INT_MIN, 0, 128, 255, INT_MAX}) {
                TvelPaintFX::FilterRed(b, v, high);
                TvelPaintFX::FilterGreen(b, v, high);
                TvelPaintFX::FilterBlue(b, v, high);
                TvelPaintFX::FilterXRed(b, v, high);
                TvelPaintFX::FilterXGreen(b, v, high);
                TvelPaintFX::FilterXBlue(b, v, high);
            }
        });
    }
    for (std::uint32_t a : {0u, 1u, 2u, 3u, 255u, 256u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        SetRandSeed(a);
        onEachTiny([&](Bitmap24& b) {
            TvelPaintFX::AddColorNoise(b, a);
            TvelPaintFX::AddMonoNoise(b, a);
        });
    }
    onEachTiny([&](Bitmap24& b) {
        TvelPaintFX::Emboss(b);
        TvelPaintFX::KeepColor(b, rgbColor(1, 2, 3));
        TvelPaintFX::DropColor(b, ColorRef(0xFF00000Fu));
        TvelPaintFX::KeepColor(b, ColorRef(0xFF0000FFu));
        TvelPaintFX::DropColor(b, ColorRef(0x1FFFFFFF));
    });
    for (double x : reals) {
        onEachTiny([&](Bitmap24& b) {
            Bitmap24 second = noise(b.width(), b.height(), 5);
            Bitmap24 small = noise(1, 1, 6);
            Bitmap24 dest;
            TvelPaintFX::BlendEffect(b, second, dest, x);
            TvelPaintFX::BlendEffect(b, small, dest, x);
            TvelPaintFX::BlendEffect(b, second, b, x);
            TvelPaintFX::BlendEffect(b, second, second, x);
            TvelPaintFX::BlendEffect(small, b, dest, x);
        });
    }
    // Source and destination of different sizes.
    Bitmap24 big = noise(4, 4, 1), little = noise(2, 1, 2);
    TvelPaintFX::Solarize(big, little, 10);
    TvelPaintFX::Solarize(little, big, 10);
    TvelPaintFX::Posterize(big, little, 10);
    TvelPaintFX::Posterize(little, big, 10);
}

TEST(Sweep, BlurMosaicTextures)
{
    for (int v : ints) {
        const bool slow = v > 1000 || v < -1000;
        onEachTiny([&](Bitmap24& b) {
            TvelPaintFX::SplitBlur(b, v);
            if (!slow) TvelPaintFX::GaussianBlur(b, v);
            TvelPaintFX::Mosaic(b, v);
            TvelPaintFX::Seamless(b, v);
            TvelPaintFX::Triangles(b, v);
            TvelPaintFX::RippleTooth(b, v);
            TvelPaintFX::RippleRandom(b, v);
            TvelPaintFX::TileTexture(b, v);
            TvelPaintFX::OverlapTexture(b, v);
            TvelPaintFX::MapEffect(b, v);
        });
    }
}

TEST(Sweep, Distortions)
{
    for (double x : reals) {
        onEachTiny([&](Bitmap24& b) {
            TvelPaintFX::FishEye(b, b, x);
            for (int i : {0, 1, 2, 5, INT_MAX, INT_MIN}) {
                TvelPaintFX::Rotate(b, b, i, i, x);
                TvelPaintFX::Rotate(b, b, 0, i, x);
            }
            for (int a : {INT_MIN, -1, 0, 1, 2, 3, 400, INT_MAX}) {
                TvelPaintFX::WingsDeep(b, b, x, a);
                TvelPaintFX::WingsDown(b, b, x, a);
                TvelPaintFX::WingsUp(b, b, x, a);
                TvelPaintFX::WingsFold(b, b, x, a);
                TvelPaintFX::WingsTouche(b, b, x, a);
                TvelPaintFX::WingsFlyer(b, b, x, a);
                TvelPaintFX::WingsFlipover(b, b, x, a);
                TvelPaintFX::WingsWavy(b, b, x, a);
            }
            // Into destinations of other sizes.
            for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{6, 6}}) {
                Bitmap24 d = noise(w, h, 3);
                TvelPaintFX::FishEye(b, d, x);
                TvelPaintFX::Rotate(b, d, 1, 1, x);
                TvelPaintFX::WingsFlyer(b, d, x, 7);
            }
        });
    }
    for (int v : ints) {
        onEachTiny([&](Bitmap24& b) {
            TvelPaintFX::Twist(b, b, v);
            for (int mode : {-1, 0, 1, 2, 3})
                for (int q : {INT_MIN, 0, 1, INT_MAX}) TvelPaintFX::Wave(b, v, q, mode);
            for (int mode = 0; mode <= 20; ++mode) {
                TvelPaintFX::Squeeze(b, b, v, mode);
                TvelPaintFX::SplitRound(b, b, v, mode);
            }
            for (int t : {INT_MIN, 0, 10, 1000, INT_MAX}) {
                Bitmap24 second = noise(b.width(), b.height(), 4);
                TvelPaintFX::Plasma(b, second, b, v, t);
                Bitmap24 smallSecond = noise(1, 1, 4);
                TvelPaintFX::Plasma(b, smallSecond, b, v, t);
            }
            for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{6, 6}}) {
                Bitmap24 d = noise(w, h, 3);
                TvelPaintFX::Twist(b, d, v);
                for (int mode = 7; mode <= 15; ++mode) {
                    TvelPaintFX::Squeeze(b, d, v, mode);
                    TvelPaintFX::SplitRound(b, d, v, mode);
                }
                Bitmap24 second = noise(b.width(), b.height(), 4);
                TvelPaintFX::Plasma(b, second, d, v, 10);
            }
        });
    }
}

TEST(Sweep, Fractal)
{
    for (int n : {INT_MIN, -1, 0, 16, 17, 100}) {
        for (double r : reals) {
            onEachTiny([&](Bitmap24& b) {
                TvelPaintFX::DrawMandelJulia(b, n, r, -r, 0.75, 1.5, true);
                TvelPaintFX::DrawMandelJulia(b, n, -2.25, r, r, 1.5, false);
            });
        }
    }
}

TEST(Sweep, ResampleEveryKernelEveryTinySize)
{
    const std::pair<int, int> targets[] = {{1, 1}, {1, 5}, {5, 1}, {2, 2}, {50, 3}, {3, 50}, {0, 4}};
    for (const auto& rec : ResampleFilterTable) {
        for (auto [w, h] : tiny) {
            for (auto [w2, h2] : targets) {
                Bitmap24 src = noise(w, h, 1);
                Bitmap24 dst(w2, h2);
                if (src.empty()) {
                    EXPECT_THROW(ResampleStretch(src, dst, rec.filter, rec.support), ResampleError);
                    continue;
                }
                ResampleStretch(src, dst, rec.filter, rec.support);
                EXPECT_EQ(dst.width(), w2);
            }
        }
        // The same bitmap as source and destination.
        Bitmap24 same = noise(3, 3, 2);
        ResampleStretch(same, same, rec.filter, rec.support);
    }
}
