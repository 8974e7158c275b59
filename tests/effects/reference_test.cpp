// The optimised effects against the plain reference versions, on random pictures of awkward
// sizes: the tables, blocks and vector loops must not change a single byte.
#include "effects/paintfx.h"
#include "effects/random.h"
#include "effects/resample.h"
#include "fixtures.h"
#include "reference.h"

#include <gtest/gtest.h>

using namespace effects;
using namespace fx_test;

namespace {
const std::pair<int, int> sizes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {7, 5}, {33, 17}, {64, 3}, {5, 70}};

template <typename Mine, typename Ref>
void compare(Mine mine, Ref ref, const char* what)
{
    std::uint32_t seed = 1;
    for (auto [w, h] : sizes) {
        for (int kind = 0; kind < 2; ++kind) {
            Bitmap24 a = kind ? photo(w, h, seed) : noise(w, h, seed);
            Bitmap24 b = a;
            mine(a);
            ref(b);
            EXPECT_EQ(a, b) << what << " " << w << "x" << h << " kind " << kind;
            ++seed;
        }
    }
}
} // namespace

TEST(AgainstReference, ToneEffects)
{
    for (int amount : {-255, -100, -1, 0, 1, 77, 255, 1000, -100000}) {
        compare([&](Bitmap24& b) { TvelPaintFX::Lightness(b, amount); }, [&](Bitmap24& b) { fx_ref::Lightness(b, amount); }, "lightness");
        compare([&](Bitmap24& b) { TvelPaintFX::Contrast(b, amount); }, [&](Bitmap24& b) { fx_ref::Contrast(b, amount); }, "contrast");
    }
    for (int amount : {0, 1, 100, 250, 255, 256, 500, 100000, -300})
        compare([&](Bitmap24& b) { TvelPaintFX::Saturation(b, amount); }, [&](Bitmap24& b) { fx_ref::Saturation(b, amount); }, "saturation");
    for (int step : {1, 2, 3, 7, 100, 255, 1000, -3})
        compare([&](Bitmap24& b) { TvelPaintFX::Posterize(b, b, step); }, [&](Bitmap24& b) { fx_ref::Posterize(b, step); }, "posterize");
    compare([](Bitmap24& b) { TvelPaintFX::Emboss(b); }, [](Bitmap24& b) { fx_ref::Emboss(b); }, "emboss");
}

TEST(AgainstReference, NoiseDrawsTheSameNumbersInTheSameOrder)
{
    for (std::uint32_t amount : {0u, 1u, 2u, 3u, 50u, 255u, 511u, 70000u, 0xFFFFFFFFu}) {
        for (std::uint32_t seed : {0u, 12345u, 0xDEADBEEFu}) {
            std::uint32_t after = 0;
            compare([&](Bitmap24& b) { SetRandSeed(seed); TvelPaintFX::AddColorNoise(b, amount); after = RandSeed(); },
                    [&](Bitmap24& b) { SetRandSeed(seed); fx_ref::AddColorNoise(b, amount); EXPECT_EQ(RandSeed(), after); },
                    "colour noise");
            compare([&](Bitmap24& b) { SetRandSeed(seed); TvelPaintFX::AddMonoNoise(b, amount); after = RandSeed(); },
                    [&](Bitmap24& b) { SetRandSeed(seed); fx_ref::AddMonoNoise(b, amount); EXPECT_EQ(RandSeed(), after); },
                    "mono noise");
        }
    }
}

TEST(AgainstReference, Blend)
{
    for (double x : {0.0, 0.1, 0.25, 0.5, 0.73, 1.0}) {
        for (auto [w, h] : sizes) {
            Bitmap24 first = noise(w, h, 1), second = photo(w, h, 2), mine, ref;
            TvelPaintFX::BlendEffect(first, second, mine, x);
            fx_ref::Blend(first, second, ref, x);
            EXPECT_EQ(mine, ref) << x;
        }
    }
}

TEST(AgainstReference, SplitBlurMosaicMap)
{
    for (int a : {1, 2, 3, 4, 8, 16, 40, -1, -3})
        compare([&](Bitmap24& b) { TvelPaintFX::SplitBlur(b, a); }, [&](Bitmap24& b) { fx_ref::SplitBlur(b, a); }, "split blur");
    for (int s : {1, 2, 3, 15, 100})
        compare([&](Bitmap24& b) { TvelPaintFX::Mosaic(b, s); }, [&](Bitmap24& b) { fx_ref::Mosaic(b, s); }, "mosaic");
    for (int a : {1, 2, 10, 100, -5})
        compare([&](Bitmap24& b) { TvelPaintFX::MapEffect(b, a); }, [&](Bitmap24& b) { fx_ref::MapEffect(b, a); }, "map");
}

TEST(AgainstReference, FishEyeAndTwistInPlaceAndSeparate)
{
    for (double k : {0.0, 0.3, 0.5, 1.0, 2.0, -0.4}) {
        compare([&](Bitmap24& b) { TvelPaintFX::FishEye(b, b, k); }, [&](Bitmap24& b) { fx_ref::FishEye(b, b, k); }, "fisheye in place");
        compare([&](Bitmap24& b) { Bitmap24 d(b.width(), b.height()); TvelPaintFX::FishEye(b, d, k); b = d; },
                [&](Bitmap24& b) { Bitmap24 d(b.width(), b.height()); fx_ref::FishEye(b, d, k); b = d; }, "fisheye");
    }
    for (int a : {1, 2, 7, 50, -9}) {
        compare([&](Bitmap24& b) { TvelPaintFX::Twist(b, b, a); }, [&](Bitmap24& b) { fx_ref::Twist(b, b, a); }, "twist in place");
        compare([&](Bitmap24& b) { Bitmap24 d(b.width(), b.height()); TvelPaintFX::Twist(b, d, a); b = d; },
                [&](Bitmap24& b) { Bitmap24 d(b.width(), b.height()); fx_ref::Twist(b, d, a); b = d; }, "twist");
    }
}

TEST(AgainstReference, InPlaceDiffersFromCopyThenWrite)
{
    // On a real picture the dialog's in-place run and a copy-then-write run give different
    // pictures for the routines that read what they wrote.
    const Bitmap24 pic = photo(40, 30, 7);
    auto inPlace = [&](auto f) { Bitmap24 b = pic; f(b, b); return b; };
    auto copied = [&](auto f) { Bitmap24 d(pic.width(), pic.height()); f(pic, d); return d; };
    auto twist = [](const Bitmap24& s, Bitmap24& d) { TvelPaintFX::Twist(s, d, 20); };
    auto fish = [](const Bitmap24& s, Bitmap24& d) { TvelPaintFX::FishEye(s, d, 0.5); };
    auto rotate = [](const Bitmap24& s, Bitmap24& d) { TvelPaintFX::Rotate(s, d, 20, 15, 30.0); };
    auto wings = [](const Bitmap24& s, Bitmap24& d) { TvelPaintFX::WingsDeep(s, d, 3.0, 40); };
    EXPECT_NE(inPlace(twist), copied(twist));
    EXPECT_NE(inPlace(fish), copied(fish));
    EXPECT_NE(inPlace(rotate), copied(rotate));
    EXPECT_NE(inPlace(wings), copied(wings));
}

TEST(AgainstReference, ResampleEveryKernel)
{
    const std::pair<int, int> targets[] = {{1, 1}, {3, 2}, {10, 10}, {17, 9}, {70, 40}, {2, 50}};
    std::uint32_t seed = 3;
    for (const auto& rec : ResampleFilterTable)
        for (auto [w, h] : sizes)
            for (auto [w2, h2] : targets) {
                Bitmap24 src = photo(w, h, seed++);
                Bitmap24 mine(w2, h2), ref(w2, h2);
                ResampleStretch(src, mine, rec.filter, rec.support);
                fx_ref::Resample(src, ref, rec.filter, rec.support);
                EXPECT_EQ(mine, ref) << rec.name << " " << w << "x" << h << " -> " << w2 << "x" << h2;
            }
}
