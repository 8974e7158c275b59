// Tone and colour effects: per-pixel rules, each through a table where the rule allows.
#include "effects/arith.h"
#include "effects/paintfx.h"
#include "effects/random.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace effects {

namespace {

using Table = std::array<std::uint8_t, 256>;

void applyTable(Bitmap24& bitmap, const Table& t)
{
    if (bitmap.empty()) return;
    const std::size_t n = bitmap.stride() * std::size_t(bitmap.height());
    std::uint8_t* p = bitmap.bits();
    for (std::size_t i = 0; i < n; ++i) p[i] = t[p[i]];
}

// One table for all three channels, applied from source into destination over the common area.
void applyTable(const Bitmap24& source, Bitmap24& dest, const Table& t)
{
    const int w = std::min(source.width(), dest.width()), h = std::min(source.height(), dest.height());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = source.row(y);
        std::uint8_t* d = dest.row(y);
        for (int i = 0; i < w * 3; ++i) d[i] = t[s[i]];
    }
}

std::int64_t div255(std::int64_t v) { return v / 255; }  // truncates toward zero

} // namespace

void TvelPaintFX::Lightness(Bitmap24& bitmap, int amount)
{
    Table t;
    for (int v = 0; v < 256; ++v) t[v] = std::uint8_t(ClampByte(v + div255(std::int64_t(255 - v) * amount)));
    applyTable(bitmap, t);
}

void TvelPaintFX::Contrast(Bitmap24& bitmap, int amount)
{
    Table t;
    for (int v = 0; v < 256; ++v) {
        std::int64_t d = div255(std::int64_t(std::abs(127 - v)) * amount);
        t[v] = std::uint8_t(v > 127 ? ClampByte(v + d) : ClampByte(v - d));
    }
    applyTable(bitmap, t);
}

void TvelPaintFX::Saturation(Bitmap24& bitmap, int amount)
{
    if (bitmap.empty()) return;
    // delta[(v - grey) + 255] := (v - grey) x amount div 255, clamped to +-512: grey is 0..255,
    // so grey + delta is clamped to 0..255 the same way as the unclamped value.
    std::array<std::int16_t, 511> delta;
    for (int d = -255; d <= 255; ++d)
        delta[d + 255] = std::int16_t(std::clamp<std::int64_t>(div255(std::int64_t(d) * amount), -512, 512));
    std::array<std::uint8_t, 256 + 1024> clamp;  // clamp[v + 512] = ClampByte(v), v in -512..767
    for (int v = -512; v < 256 + 512; ++v) clamp[v + 512] = std::uint8_t(ClampByte(v));
    std::array<std::uint8_t, 766> third;  // sum div 3
    for (int s = 0; s < 766; ++s) third[s] = std::uint8_t(s / 3);

    const std::size_t n = std::size_t(bitmap.width()) * std::size_t(bitmap.height());
    std::uint8_t* p = bitmap.bits();
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        const int grey = third[p[0] + p[1] + p[2]];
        const int base = grey + 512;
        p[0] = clamp[base + delta[p[0] - grey + 255]];
        p[1] = clamp[base + delta[p[1] - grey + 255]];
        p[2] = clamp[base + delta[p[2] - grey + 255]];
    }
}

namespace {

// Draws `count` numbers of the generator in order into `out`, exactly as `count` calls of
// Random(range) would, and leaves the seed where those calls would. Four interleaved steps of the
// recurrence break the dependency chain.
void drawRandoms(std::uint32_t range, std::uint32_t* out, std::size_t count)
{
    std::uint32_t s = RandSeed();
    constexpr std::uint32_t a = kRandMultiplier;
    constexpr std::uint32_t a2 = a * a, a3 = a2 * a, a4 = a3 * a;
    constexpr std::uint32_t c2 = a + 1u, c3 = a2 + a + 1u, c4 = a3 + a2 + a + 1u;
    std::size_t i = 0;
    if (count >= 4) {
        std::uint32_t l0 = s * a + 1u, l1 = s * a2 + c2, l2 = s * a3 + c3, l3 = s * a4 + c4;
        for (; i + 4 <= count; i += 4) {
            out[i] = RandRange(l0, range);
            out[i + 1] = RandRange(l1, range);
            out[i + 2] = RandRange(l2, range);
            out[i + 3] = RandRange(l3, range);
            s = l3;
            l0 = l0 * a4 + c4;
            l1 = l1 * a4 + c4;
            l2 = l2 * a4 + c4;
            l3 = l3 * a4 + c4;
        }
    }
    for (; i < count; ++i) {
        s = RandStep(s);
        out[i] = RandRange(s, range);
    }
    SetRandSeed(s);
}

// Random(amount) - amount div 2 in signed 64-bit, clamped to -256..256 (any value beyond moves
// every channel to 0 or 255 all the same).
inline int noiseOffset(std::uint32_t r, std::uint32_t amount)
{
    std::int64_t n = std::int64_t(r) - std::int64_t(amount / 2);
    return int(std::clamp<std::int64_t>(n, -256, 256));
}

} // namespace

void TvelPaintFX::AddColorNoise(Bitmap24& bitmap, std::uint32_t amount)
{
    if (bitmap.empty()) return;
    std::vector<std::uint32_t> r(bitmap.stride());
    for (int y = 0; y < bitmap.height(); ++y) {
        drawRandoms(amount, r.data(), r.size());
        std::uint8_t* p = bitmap.row(y);
        for (std::size_t i = 0; i < r.size(); ++i) p[i] = std::uint8_t(ClampByte(p[i] + noiseOffset(r[i], amount)));
    }
}

void TvelPaintFX::AddMonoNoise(Bitmap24& bitmap, std::uint32_t amount)
{
    if (bitmap.empty()) return;
    std::vector<std::uint32_t> r(std::size_t(bitmap.width()));
    for (int y = 0; y < bitmap.height(); ++y) {
        drawRandoms(amount, r.data(), r.size());
        std::uint8_t* p = bitmap.row(y);
        for (std::size_t i = 0; i < r.size(); ++i, p += 3) {
            const int n = noiseOffset(r[i], amount);
            p[0] = std::uint8_t(ClampByte(p[0] + n));
            p[1] = std::uint8_t(ClampByte(p[1] + n));
            p[2] = std::uint8_t(ClampByte(p[2] + n));
        }
    }
}

namespace {

// channel: 0 blue, 1 green, 2 red. exclusive: the two other channels := 0.
void filterChannel(Bitmap24& bitmap, int channel, int low, int high, bool exclusive)
{
    Table t;
    for (int v = 0; v < 256; ++v) t[v] = (low < v && v < high) ? 255 : 0;
    const std::size_t n = std::size_t(bitmap.width()) * std::size_t(bitmap.height());
    std::uint8_t* p = bitmap.bits();
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        const std::uint8_t v = t[p[channel]];
        if (exclusive) p[0] = p[1] = p[2] = 0;
        p[channel] = v;
    }
}

} // namespace

void TvelPaintFX::FilterRed(Bitmap24& b, int low, int high) { filterChannel(b, 2, low, high, true); }
void TvelPaintFX::FilterGreen(Bitmap24& b, int low, int high) { filterChannel(b, 1, low, high, true); }
void TvelPaintFX::FilterBlue(Bitmap24& b, int low, int high) { filterChannel(b, 0, low, high, true); }
void TvelPaintFX::FilterXRed(Bitmap24& b, int low, int high) { filterChannel(b, 2, low, high, false); }
void TvelPaintFX::FilterXGreen(Bitmap24& b, int low, int high) { filterChannel(b, 1, low, high, false); }
void TvelPaintFX::FilterXBlue(Bitmap24& b, int low, int high) { filterChannel(b, 0, low, high, false); }

void TvelPaintFX::Solarize(const Bitmap24& source, Bitmap24& dest, int threshold)
{
    const int w = std::min(source.width(), dest.width()), h = std::min(source.height(), dest.height());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = source.row(y);
        std::uint8_t* d = dest.row(y);
        for (int x = 0; x < w; ++x, s += 3, d += 3) {
            const int avg = (s[0] + s[1] + s[2]) / 3;
            const std::uint8_t b = s[0], g = s[1], r = s[2];
            if (avg > threshold) {
                d[0] = std::uint8_t(255 - b);
                d[1] = std::uint8_t(255 - g);
                d[2] = std::uint8_t(255 - r);
            } else {
                d[0] = b;
                d[1] = g;
                d[2] = r;
            }
        }
    }
}

void TvelPaintFX::Posterize(const Bitmap24& source, Bitmap24& dest, int step)
{
    if (step == 0) return;
    Table t;
    for (int v = 0; v < 256; ++v)
        t[v] = std::uint8_t(ClampByte(std::int64_t(step) * platform::roundHalfEven(double(v) / double(step))));
    applyTable(source, dest, t);
}

void TvelPaintFX::BlendEffect(const Bitmap24& first, const Bitmap24& second, Bitmap24& dest, double x)
{
    // The result depends on the two channel values only: one table of 256 x 256.
    std::vector<std::uint8_t> t(256 * 256);
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b)
            t[std::size_t(a) * 256 + std::size_t(b)] =
                std::uint8_t(ClampByte(platform::roundHalfEven((1.0 - x) * a + x * b)));

    if (&dest == &second && &dest != &first) {
        const Bitmap24 secondCopy = second;
        BlendEffect(first, secondCopy, dest, x);
        return;
    }
    const int w = first.width(), h = first.height();
    if (&dest != &first) {
        dest.setSize(w, h);
        Draw(first, dest, 0, 0);
    }
    const int cw = std::min(w, second.width()), ch = std::min(h, second.height());
    for (int y = 0; y < ch; ++y) {
        const std::uint8_t* s = second.row(y);
        std::uint8_t* d = dest.row(y);  // holds the first's pixels
        for (int i = 0; i < cw * 3; ++i) d[i] = t[std::size_t(d[i]) * 256 + s[i]];
    }
}

void TvelPaintFX::Emboss(Bitmap24& bitmap)
{
    const int w = bitmap.width(), h = bitmap.height();
    if (w < 4 || h < 2) return;
    for (int y = 0; y <= h - 2; ++y) {
        std::uint8_t* p = bitmap.row(y);
        const std::uint8_t* q = bitmap.row(y + 1) + 9;  // pixel (x + 3, y + 1)
        const int n = (w - 3) * 3;
        for (int i = 0; i < n; ++i) p[i] = std::uint8_t((p[i] + (255 - q[i])) >> 1);
    }
}

void TvelPaintFX::Smooth(Bitmap24&, int) {}

namespace {

void keepOrDrop(Bitmap24& bitmap, ColorRef color, bool keep)
{
    const ColorRef rgb = ColorToRGB(color);
    const Bgr c = bgrOf(rgb);
    const std::size_t n = std::size_t(bitmap.width()) * std::size_t(bitmap.height());
    std::uint8_t* p = bitmap.bits();
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        const bool same = p[0] == c.b && p[1] == c.g && p[2] == c.r;
        if (same != keep) p[0] = p[1] = p[2] = 0;
    }
    bitmap.transparent = true;
    bitmap.transparentColor = clBlack;
}

} // namespace

void TvelPaintFX::KeepColor(Bitmap24& bitmap, ColorRef color) { keepOrDrop(bitmap, color, true); }
void TvelPaintFX::DropColor(Bitmap24& bitmap, ColorRef color) { keepOrDrop(bitmap, color, false); }

} // namespace effects
