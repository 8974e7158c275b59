#include "effecttable.h"

#include "veldrawimage.h"

#include "effects/paintfx.h"

#include "util/orderedwork.h"

#include <QThread>

#include <algorithm>
#include <cstring>

using effects::Bitmap24;
using effects::TvelPaintFX;

namespace effectsui {

namespace {

constexpr auto none = std::nullopt;
constexpr ExtraRole unused = ExtraRole::Unused;
constexpr ExtraRole value = ExtraRole::Value;
constexpr Bands pixels = Bands::Pixels;

std::uint32_t unsignedAmount(const EffectArgs& a) { return std::uint32_t(std::max(0, a.amount)); }

template <void (*Wings)(const Bitmap24&, Bitmap24&, double, int, int)>
void wings(Bitmap24& r, const EffectArgs& a)
{
    Wings(r, r, a.extra, a.amount, 0);
}

template <void (*Filter)(Bitmap24&, int, int)>
void filter(Bitmap24& r, const EffectArgs& a)
{
    Filter(r, a.extra, a.amount);
}

template <int Mode>
void squeeze(Bitmap24& r, const EffectArgs& a)
{
    if constexpr (Mode >= 14) TvelPaintFX::SplitRound(r, r, a.amount, Mode);
    else TvelPaintFX::Squeeze(r, r, a.amount, Mode);
}

template <bool Mandelbrot>
void fractal(Bitmap24& r, const EffectArgs& a)
{
    TvelPaintFX::DrawMandelJulia(r, 16, a.amount * 0.028 - 2.25, a.extra * 0.009 - 1.5, 0.75, 1.5, Mandelbrot);
}

template <bool Mandelbrot>
void fractalRows(const Bitmap24&, Bitmap24& dest, const EffectArgs& a, int top, int bottom)
{
    TvelPaintFX::DrawMandelJuliaRows(dest, 16, a.amount * 0.028 - 2.25, a.extra * 0.009 - 1.5, 0.75, 1.5, Mandelbrot, top,
                                     bottom);
}

// The rows in the order of the tree's nodes.
const EffectEntry kEffects[] = {
    {54, "Posterize", AmountRange{1, 255, 1}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Posterize(r, r, a.amount); }, pixels},
    {3, "Gaussian Blur", AmountRange{0, 20, 0}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::GaussianBlur(r, a.amount); }},
    {4, "Split Blur", AmountRange{0, 30, 0}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::SplitBlur(r, a.amount); }},
    {5, "Noise/Color", AmountRange{0, 200, 0}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::AddColorNoise(r, unsignedAmount(a)); }},
    {6, "Noise/Mono", AmountRange{0, 200, 0}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::AddMonoNoise(r, unsignedAmount(a)); }},
    {7, "Smooth", AmountRange{0, 20, 0}, unused, true, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Smooth(r, a.amount); }, pixels},
    {8, "Seamless", AmountRange{3, 15, 5}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Seamless(r, a.amount); }},
    {9, "Mosaic", AmountRange{2, 30, 15}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Mosaic(r, a.amount); }, Bands::Blocks},
    {10, "Twist", AmountRange{1, 50, 10}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Twist(r, r, a.amount); }},
    // Fisheye sets no range of its own: the bar keeps the last effect's (0..100 at first).
    {11, "Fisheye", none, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::FishEye(r, r, a.amount / 100.0); }},
    {12, "Wave/Normal", AmountRange{1, 200, 15}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Wave(r, a.amount, 0, 0); }},
    {13, "Wave/Extra", AmountRange{1, 200, 15}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Wave(r, a.amount, 0, 1); }},
    {14, "Wave/Inference", AmountRange{1, 10, 1}, value, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Wave(r, a.extra, a.amount, 2); }},
    // The centre is the X and Y bars'.
    {15, "Rotate", AmountRange{0, 360, 0}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Rotate(r, r, a.cx, a.cy, a.amount); }},
    // Its curve, bent again with each pass, gives a small copy other tones than the picture's
    // edges averaged after it: it runs on the whole picture.
    {16, "Split Light", AmountRange{1, 10, 1}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { SplitLightBytes(r, a.splitLightTable, a.amount); }, pixels},
    {17, "Wings/Deep", AmountRange{1, 400, 1}, value, false, false, wings<&TvelPaintFX::WingsDeep>},
    {18, "Wings/Down", AmountRange{1, 400, 1}, value, false, false, wings<&TvelPaintFX::WingsDown>},
    {19, "Wings/Up", AmountRange{1, 400, 1}, value, false, false, wings<&TvelPaintFX::WingsUp>},
    {20, "Wings/Fold", AmountRange{1, 400, 1}, value, false, false, wings<&TvelPaintFX::WingsFold>},
    {21, "Wings/Touche", AmountRange{1, 400, 1}, value, false, false, wings<&TvelPaintFX::WingsTouche>},
    {22, "Wings/Flyer", AmountRange{1, 400, 1}, value, false, false, wings<&TvelPaintFX::WingsFlyer>},
    {23, "Wings/Flipover", AmountRange{1, 400, 1}, value, false, false, wings<&TvelPaintFX::WingsFlipover>},
    {24, "Wings/Wavy", AmountRange{1, 400, 1}, value, false, false, wings<&TvelPaintFX::WingsWavy>},
    {25, "Emboss", AmountRange{0, 100, 0}, unused, false, false, [](Bitmap24& r, const EffectArgs&) { TvelPaintFX::Emboss(r); }, Bands::RowBelow},
    {26, "Colors/Red", AmountRange{0, 255, 128}, value, false, false, filter<&TvelPaintFX::FilterRed>, pixels},
    {27, "Colors/Green", AmountRange{0, 255, 128}, value, false, false, filter<&TvelPaintFX::FilterGreen>, pixels},
    {28, "Colors/Blue", AmountRange{0, 255, 128}, value, false, false, filter<&TvelPaintFX::FilterBlue>, pixels},
    {29, "Colors/XRed", AmountRange{0, 255, 128}, value, false, false, filter<&TvelPaintFX::FilterXRed>, pixels},
    {30, "Colors/XGreen", AmountRange{0, 255, 128}, value, false, false, filter<&TvelPaintFX::FilterXGreen>, pixels},
    {31, "Colors/XBlue", AmountRange{0, 255, 128}, value, false, false, filter<&TvelPaintFX::FilterXBlue>, pixels},
    {32, "Squeeze/Horizontal", AmountRange{0, 255, 0}, unused, false, false, squeeze<7>},
    {33, "Squeeze/Top", AmountRange{0, 255, 0}, unused, false, false, squeeze<8>},
    {34, "Squeeze/Bottom", AmountRange{0, 255, 0}, unused, false, false, squeeze<9>},
    {35, "Squeeze/Diamond", AmountRange{0, 255, 0}, unused, false, false, squeeze<10>},
    {36, "Squeeze/Waste", AmountRange{0, 255, 0}, unused, false, false, squeeze<11>},
    {37, "Squeeze/Round", AmountRange{0, 255, 0}, unused, false, false, squeeze<12>},
    {38, "Squeeze/Double Round", AmountRange{0, 255, 0}, unused, false, false, squeeze<13>},
    {39, "Split/Round", AmountRange{0, 255, 0}, unused, false, false, squeeze<14>},
    {40, "Split/Waste", AmountRange{0, 255, 0}, unused, false, false, squeeze<15>},
    {41, "Shear", AmountRange{0, 100, 0}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelDrawImage::Shear(r, a.amount); },
     Bands::Source,
     [](const Bitmap24& source, Bitmap24& dest, const EffectArgs& a, int top, int bottom) {
         TvelDrawImage::ShearRows(source, dest, a.amount, top, bottom);
     }},
    // Two copies of the range are the sources.
    {42, "Plasma", AmountRange{1, 100, 1}, ExtraRole::AtLeastTen, false, false,
     [](Bitmap24& r, const EffectArgs& a) {
         const Bitmap24 first = r;
         const Bitmap24 second = r;
         TvelPaintFX::Plasma(first, second, r, a.amount, a.extra);
     },
     Bands::Source,
     [](const Bitmap24& source, Bitmap24& dest, const EffectArgs& a, int top, int bottom) {
         TvelPaintFX::PlasmaRows(source, source, dest, a.amount, a.extra, top, bottom);
     }},
    {43, "MandelBrot", AmountRange{0, 100, 0}, value, false, false, fractal<true>, Bands::Source, fractalRows<true>},
    {44, "Julia", AmountRange{0, 100, 0}, value, false, false, fractal<false>, Bands::Source, fractalRows<false>},
    {45, "Triangles", AmountRange{5, 127, 19}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Triangles(r, a.amount); }},
    // "Tooth" and "Triangle" run the one routine.
    {46, "Ripple/Tooth", AmountRange{3, 100, 3}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::RippleTooth(r, a.amount); }},
    {47, "Ripple/Triangle", AmountRange{3, 100, 3}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::RippleTooth(r, a.amount); }},
    {48, "Ripple/Random", AmountRange{3, 100, 3}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::RippleRandom(r, a.amount); }},
    {49, "Texturize/Tile", AmountRange{3, 100, 3}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::TileTexture(r, a.amount); }},
    {50, "Texturize/Overlap", AmountRange{3, 100, 3}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::OverlapTexture(r, a.amount); }},
    {51, "Map", AmountRange{1, 100, 1}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::MapEffect(r, a.amount); }},
    {52, "Blend", AmountRange{0, 100, 0}, unused, false, true, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::BlendEffect(r, a.blendPicture, r, a.amount / 100.0); }},
    {53, "Solarize", AmountRange{0, 255, 1}, unused, false, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Solarize(r, r, a.amount); }, pixels},
    // Not in the tree: contrast stands behind the group nodes "Ripple" and "Texturize"; the
    // brightness panel runs the three tone routines itself.
    {0, "", none, unused, true, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Contrast(r, a.amount); }, pixels},
    {1, "", none, unused, true, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Saturation(r, a.amount); }, pixels},
    {2, "", none, unused, true, false, [](Bitmap24& r, const EffectArgs& a) { TvelPaintFX::Lightness(r, a.amount); }, pixels},
};

} // namespace

std::span<const EffectEntry> EffectTable() { return kEffects; }

const EffectEntry* FindEffect(int fxId)
{
    for (const EffectEntry& e : kEffects)
        if (e.fxId == fxId) return &e;
    return nullptr;
}

int GroupNodeFxId(const QString& caption)
{
    return caption == QLatin1String("Ripple") || caption == QLatin1String("Texturize") ? 0 : -1;
}

namespace {

void copyRows(const Bitmap24& from, int fromTop, Bitmap24& to, int toTop, int rows)
{
    if (rows > 0) std::memcpy(to.row(toTop), from.row(fromTop), from.stride() * std::size_t(rows));
}

// Rows top .. bottom - 1 of dest as the whole run leaves them; dest has source's size.
void runBand(const EffectEntry& effect, const Bitmap24& source, Bitmap24& dest, const EffectArgs& args, int top, int bottom)
{
    if (effect.bands == Bands::Source) {
        copyRows(source, top, dest, top, bottom - top);
        effect.runBand(source, dest, args, top, bottom);
        return;
    }
    const int below = effect.bands == Bands::RowBelow && bottom < source.height() ? 1 : 0;
    Bitmap24 band(source.width(), bottom - top + below);
    copyRows(source, top, band, 0, band.height());
    effect.run(band, args);
    copyRows(band, 0, dest, top, bottom - top);
}

} // namespace

bool RunEffect(const EffectEntry& effect, const Bitmap24& source, Bitmap24& dest, const EffectArgs& args,
               const std::function<bool()>& stop, int threads)
{
    auto stopped = [&] { return stop && stop(); };
    const bool banded = effect.bands != Bands::None && (effect.bands != Bands::Source || effect.runBand) && !source.empty();
    if (!banded) {
        if (stopped()) return false;
        dest = source;
        effect.run(dest, args);
        return true;
    }
    const int h = source.height();
    const int workers = threads > 0 ? threads : QThread::idealThreadCount();
    // A few bands a thread, so that one slow band does not hold the rest up; Mosaic's blocks whole.
    int rows = std::max(16, h / std::max(1, 4 * workers));
    if (effect.bands == Bands::Blocks) {
        const int block = std::max(1, args.amount);
        rows = block >= h ? h : std::max(1, rows / block) * block;
    }
    const int count = (h + rows - 1) / rows;
    // Every row of dest is written: a dest of the right size (a caller's working copy kept from
    // the last run) is used as it is.
    if (dest.width() != source.width() || dest.height() != h) dest = Bitmap24(source.width(), h);
    dest.transparent = false;
    dest.transparentColor = effects::clBlack;
    util::OrderedWork work(
        count,
        [&](int i) {
            if (stopped()) return;
            const int top = i * rows;
            runBand(effect, source, dest, args, top, std::min(h, top + rows));
        },
        workers);
    for (int i = 0; i < count; ++i)
        if (!work.take(i)) return false;
    return !stopped();
}

void SplitLightBytes(Bitmap24& bitmap, const std::array<std::uint8_t, 256>& table, int passes)
{
    std::uint8_t* bytes = bitmap.bits();
    const std::size_t count = bitmap.stride() * std::size_t(std::max(0, bitmap.height()));
    for (int pass = 0; pass < passes; ++pass)
        for (std::size_t i = 0; i < count; ++i) bytes[i] = table[bytes[i]];
}

} // namespace effectsui
