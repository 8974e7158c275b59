// The previews' quick paths: effects split into bands of rows on worker threads give the bytes of
// one thread; the tone routines run on the small copy give the full result scaled down; and of
// several requests on their way only the latest is shown.
#include "effects/paintfx.h"
#include "effects/ui/bitmapfiles.h"
#include "effects/ui/effecttable.h"
#include "effects/ui/painteffectsform.h"
#include "effects/ui/veldrawimage.h"
#include "sdk/bitmap.h"
#include "sdk/operations.h"

#include <QScrollBar>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

using effects::Bgr;
using effects::Bitmap24;
using effectsui::Bands;
using effectsui::EffectArgs;
using effectsui::EffectEntry;

namespace {

// Photograph-like: soft gradients, a bright disc, hard-edged stripes and grain.
Bitmap24 photo(int w, int h)
{
    Bitmap24 b(w, h);
    std::uint32_t s = 7;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            const int grain = int(s >> 29) - 4;
            const double r = std::hypot(x - w * 0.35, y - h * 0.55) / (h * 0.5);
            const int disc = int(230 * std::max(0.0, 1.0 - r));
            auto clamp = [](int v) { return std::uint8_t(std::clamp(v, 0, 255)); };
            b.setPixel(x, y,
                       Bgr{clamp(x * 255 / w + grain), clamp(disc + grain), clamp(((x / 37) % 2) * 90 + y * 120 / h + grain)});
        }
    return b;
}

EffectArgs argsFor(int amount, int extra)
{
    EffectArgs a;
    a.amount = amount;
    a.extra = extra;
    for (int i = 0; i < 256; ++i)
        a.splitLightTable[std::size_t(i)] = std::uint8_t(std::lround(std::sin(i / 255.0 * 1.5707963) * 255));
    return a;
}

} // namespace

TEST(EffectBands, EveryBandedEffectGivesTheBytesOfOneThread)
{
    struct Case {
        int fxId, amount, extra;
    };
    // Heights that split into bands of uneven length; Mosaic's blocks smaller than a band,
    // larger than one, and larger than the picture; Plasma displacing across band edges.
    const Case cases[] = {
        {54, 40, 0},  {7, 5, 0},     {9, 2, 0},     {9, 7, 0},    {9, 30, 0},    {9, 500, 0},   {16, 3, 0},
        {25, 0, 0},   {26, 200, 60}, {27, 200, 60}, {28, 90, 10}, {29, 200, 60}, {30, 150, 20}, {31, 255, 0},
        {42, 40, 10}, {42, 100, 37}, {42, 5, 300},  {53, 100, 0}, {0, 80, 0},    {0, -90, 0},   {1, 400, 0},
        {2, 60, 0},   {2, -120, 0},  {43, 50, 40},  {43, 0, 100}, {44, 70, 20}, {41, 0, 0},   {41, 37, 0},
        {41, 100, 0},
    };
    std::set<int> covered;
    for (const Bitmap24& picture : {photo(67, 201), photo(130, 97), photo(9, 1)}) {
        for (const Case& c : cases) {
            const EffectEntry* effect = effectsui::FindEffect(c.fxId);
            ASSERT_NE(effect, nullptr);
            SCOPED_TRACE(testing::Message() << "effect " << c.fxId << " amount " << c.amount << " extra " << c.extra
                                            << " picture " << picture.width() << "x" << picture.height());
            ASSERT_NE(effect->bands, Bands::None);
            covered.insert(c.fxId);
            const EffectArgs args = argsFor(c.amount, c.extra);
            Bitmap24 one = picture;
            effect->run(one, args);
            for (int threads : {1, 3, 8}) {
                Bitmap24 banded;
                ASSERT_TRUE(effectsui::RunEffect(*effect, picture, banded, args, {}, threads));
                EXPECT_EQ(banded, one) << threads << " threads";
            }
        }
    }
    // Every effect that splits into bands is among the cases.
    for (const EffectEntry& e : effectsui::EffectTable())
        if (e.bands != Bands::None) {
            EXPECT_TRUE(covered.count(e.fxId)) << "effect " << e.fxId << " has no case";
        }
}

TEST(EffectBands, AStopLeavesNoResult)
{
    const Bitmap24 picture = photo(50, 400);
    const EffectArgs args = argsFor(30, 10);
    for (int fxId : {42, 3}) { // banded, and one on this thread
        SCOPED_TRACE(fxId);
        const EffectEntry& effect = *effectsui::FindEffect(fxId);
        Bitmap24 dest;
        EXPECT_FALSE(effectsui::RunEffect(
            effect, picture, dest, args, [] { return true; }, 4));
        // A stop that comes while the bands run.
        std::atomic<int> asked{0};
        const bool ran = effectsui::RunEffect(
            effect, picture, dest, args, [&] { return ++asked > 2; }, 2);
        EXPECT_EQ(ran, effect.bands == Bands::None);
    }
}

// The effects a preview runs on the small copy: the small copy's result is the full picture's
// result scaled down, within what rounding the averages of the scaling gives.
TEST(SmallCopyPreview, EffectsRunOnTheSmallCopyShowTheFullResultScaled)
{
    struct Case {
        int fxId, amount;
    };
    const Case cases[] = {{7, 10}, {0, 90}, {0, -200}, {1, 0}, {1, 300}, {1, 510}, {2, 120}, {2, -200}};
    std::set<int> covered;
    const Bitmap24 full = photo(1200, 800);
    const Bitmap24 small = effectsui::ScaledDown(full, 199, 133);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "effect " << c.fxId << " amount " << c.amount);
        const EffectEntry& effect = *effectsui::FindEffect(c.fxId);
        ASSERT_TRUE(effect.scalesWithPicture);
        covered.insert(c.fxId);
        const EffectArgs args = argsFor(c.amount, 0);
        Bitmap24 saved = full;
        effect.run(saved, args);
        const Bitmap24 expected = effectsui::ScaledDown(saved, small.width(), small.height());
        Bitmap24 preview = small;
        effect.run(preview, args);
        const std::size_t n = preview.stride() * std::size_t(preview.height());
        double sum = 0, squares = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const int d = std::abs(int(preview.bits()[i]) - int(expected.bits()[i]));
            sum += d;
            squares += double(d) * d;
        }
        const double psnr = 10 * std::log10(255.0 * 255.0 / std::max(1e-9, squares / double(n)));
        EXPECT_LE(sum / double(n), 1.0);
        EXPECT_GE(psnr, 35.0);
    }
    for (const EffectEntry& e : effectsui::EffectTable())
        if (e.scalesWithPicture) {
            EXPECT_TRUE(covered.count(e.fxId)) << "effect " << e.fxId << " has no case";
        }
}

// The small copy keeps an even colour even and a picture's tones where they were.
TEST(SmallCopyPreview, ScalingDownKeepsTheTones)
{
    struct Case {
        int w, h, toW, toH;
    };
    const Case cases[] = {
        {5120, 2880, 199, 112}, {1280, 720, 199, 112}, {400, 300, 232, 174}, {7, 5, 3, 2}, {199, 112, 199, 112}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " to " << c.toW << "x" << c.toH);
        const Bitmap24 small = effectsui::ScaledDown(Bitmap24(c.w, c.h, Bgr{37, 128, 250}), c.toW, c.toH);
        ASSERT_EQ(small.width(), c.toW);
        ASSERT_EQ(small.height(), c.toH);
        int off = 0;
        for (int y = 0; y < c.toH; ++y)
            for (int x = 0; x < c.toW; ++x) {
                const Bgr p = small.pixel(x, y);
                off = std::max({off, std::abs(p.b - 37), std::abs(p.g - 128), std::abs(p.r - 250)});
            }
        EXPECT_EQ(off, 0);
    }
    const Bitmap24 full = photo(1280, 720);
    const Bitmap24 small = effectsui::ScaledDown(full, 199, 112);
    for (int channel = 0; channel < 3; ++channel) {
        double a = 0, b = 0;
        for (std::size_t i = std::size_t(channel); i < full.stride() * std::size_t(full.height()); i += 3) a += full.bits()[i];
        for (std::size_t i = std::size_t(channel); i < small.stride() * std::size_t(small.height()); i += 3) b += small.bits()[i];
        EXPECT_NEAR(b / (199.0 * 112), a / (1280.0 * 720), 1.0) << "channel " << channel;
    }
    EXPECT_TRUE(effectsui::ScaledDown(Bitmap24(), 10, 10).empty());
    EXPECT_TRUE(effectsui::ScaledDown(full, 0, 10).empty());
}

// The small copy made in bands of rows on worker threads has the bytes of the engine's area
// average on one thread: shrinking both ways or one way, to a single pixel, rows fewer than the
// threads, and a size larger than the picture.
TEST(SmallCopyPreview, TheBandedShrinkGivesTheBytesOfOneThread)
{
    struct Case {
        int w, h, toW, toH;
    };
    const Case cases[] = {{1600, 900, 199, 112}, {517, 291, 199, 113}, {300, 7, 1, 1}, {45, 33, 45, 5},
                          {640, 20, 9, 2},       {1, 1, 1, 1},         {13, 9, 40, 29}, {150, 101, 160, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " to " << c.toW << "x" << c.toH);
        const Bitmap24 full = photo(c.w, c.h);
        sdk::SdkBitmapHandle handle;
        ASSERT_EQ(sdk::PX_InitBitmap(&handle, c.w, c.h, 24), sdk::PX_SUCCESS);
        for (int y = 0; y < c.h; ++y) std::memcpy(handle.row(y), full.row(y), full.stride());
        ASSERT_EQ(sdk::PX_SizeBitmap(&handle, c.toW, c.toH, sdk::sizeFiltered), sdk::PX_SUCCESS);
        Bitmap24 expected(c.toW, c.toH);
        for (int y = 0; y < c.toH; ++y) std::memcpy(expected.row(y), handle.row(y), expected.stride());
        for (int threads : {1, 3, 8}) EXPECT_EQ(effectsui::ScaledDown(full, c.toW, c.toH, threads), expected) << threads << " threads";
    }
}

// The effects dialog previewing a large picture: a bar moved quickly through several values ends
// on the last value's preview, and a change shown at once is not replaced by an older result
// still on its way.
TEST(PreviewRequests, OnlyTheLatestRequestIsShown)
{
    TvelDrawImage art;
    TPainterEffectsF& dialog = *art.EffectsDialog();
    const Bitmap24 full = photo(1600, 900);
    art.SetPicture(Bitmap24(160, 90));
    art.BeginPreview(full);
    ASSERT_TRUE(dialog.SelectEffect(QStringLiteral("Plasma")));
    dialog.EListClick();
    dialog.extrabar->setValue(23);
    for (int amount : {5, 20, 35, 50}) dialog.EBar->setValue(amount);
    art.WaitForPreview();
    EXPECT_FALSE(art.PreviewPending());
    const EffectEntry& plasma = *effectsui::FindEffect(42);
    Bitmap24 saved = full;
    plasma.run(saved, argsFor(50, 23));
    const Bitmap24 expected = effectsui::ScaledDown(saved, 160, 90);
    EXPECT_EQ(art.RangeBitmap, expected);
    EXPECT_EQ(effectsui::FromImage(dialog.PreviewImage()), expected);

    // A slow request, then one shown at once: the slow one never lands.
    dialog.EBar->setValue(90);
    EXPECT_TRUE(art.PreviewPending());
    ASSERT_TRUE(dialog.SelectEffect(QStringLiteral("Ripple"))); // contrast, on the small copy
    dialog.EBar->setValue(70);
    dialog.EBarChange();
    EXPECT_FALSE(art.PreviewPending());
    const QImage tone = dialog.PreviewImage();
    art.WaitForPreview();
    EXPECT_EQ(dialog.PreviewImage(), tone);
    EXPECT_NE(effectsui::FromImage(tone), expected);
}
