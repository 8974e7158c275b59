// Tone and colour effects: per-pixel rules, each through a table where the rule allows.
#include "effects/arith.h"
#include "effects/paintfx.h"
#include "effects/random.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>
#include <emmintrin.h>

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

namespace {

// sum div 3 for a sum of three channels (0..765), by a multiply and a shift.
constexpr int thirdOf(int sum) { return (sum * 43691) >> 17; }
constexpr bool thirdIsExact()
{
    for (int s = 0; s <= 765; ++s)
        if (thirdOf(s) != s / 3) return false;
    return true;
}
static_assert(thirdIsExact());

} // namespace

void TvelPaintFX::Saturation(Bitmap24& bitmap, int amount)
{
    if (bitmap.empty()) return;
    // delta[(v - grey) + 255] := (v - grey) x amount div 255, clamped to +-512: grey is 0..255,
    // so grey + delta is clamped to 0..255 the same way as the unclamped value.
    std::array<std::int16_t, 511> delta;
    for (int d = -255; d <= 255; ++d)
        delta[d + 255] = std::int16_t(std::clamp<std::int64_t>(div255(std::int64_t(d) * amount), -512, 512));
    // The new value of a channel depends on its grey and itself alone: one table row per grey,
    // so that a pixel costs three look-ups in its row.
    std::vector<std::uint8_t> table(256 * 256);
    for (int grey = 0; grey < 256; ++grey) {
        std::uint8_t* row = table.data() + grey * 256;
        for (int v = 0; v < 256; ++v) row[v] = std::uint8_t(ClampByte(grey + delta[v - grey + 255]));
    }

    const std::size_t n = std::size_t(bitmap.width()) * std::size_t(bitmap.height());
    std::uint8_t* p = bitmap.bits();
    const std::uint8_t* t = table.data();
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        const std::uint8_t* row = t + (thirdOf(p[0] + p[1] + p[2]) << 8);
        const std::uint8_t b = row[p[0]], g = row[p[1]], r = row[p[2]];
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
}

namespace {

// The noise offsets Random(amount) - amount div 2 for `count` draws in order, exactly as `count`
// calls of Random would give them (the seed ends where those calls leave it), in signed 64-bit
// and clamped to -256..256: any offset beyond moves a channel to 0 or 255 all the same. Eight
// interleaved steps of the recurrence break its dependency chain so that the loop vectorises.
//
// With `channels` given, the offsets are not stored but added to channels[0 .. count - 1] at once
// (ClampByte included), which saves a pass for colour noise.
void noiseOffsets(std::uint32_t amount, std::int16_t* out, std::size_t count, std::uint8_t* channels = nullptr)
{
    auto put = [&](std::size_t i, int n) {
        if (channels) {
            const int v = channels[i] + n;
            channels[i] = std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
        } else {
            out[i] = std::int16_t(n);
        }
    };
    constexpr int kLanes = 8;
    std::uint32_t s = RandSeed();
    std::size_t i = 0;
    if (count >= kLanes) {
        // lane k holds the seed k + 1 steps ahead; each round moves every lane 8 steps.
        std::uint32_t mulK[kLanes], addK[kLanes], lane[kLanes];
        std::uint32_t m = 1, c = 0;
        for (int k = 0; k < kLanes; ++k) {
            c = c * kRandMultiplier + 1u;
            m = m * kRandMultiplier;
            mulK[k] = m;
            addK[k] = c;
        }
        const std::uint32_t mul8 = m, add8 = c;
        for (int k = 0; k < kLanes; ++k) lane[k] = s * mulK[k] + addK[k];
        const std::int64_t half = std::int64_t(amount / 2);
        if (amount <= 0x7FFFFFFFu) {
            // Random(amount) < 2^31 and half < 2^30: the difference fits 32 bits. SSE2, four lanes
            // to a register: the unsigned 32 x 32 -> 64 products of pmuludq give both the
            // generator's step (low halves) and Random's range (high halves).
            const __m128i amountV = _mm_set1_epi32(std::int32_t(amount));
            const __m128i halfV = _mm_set1_epi32(std::int32_t(half));
            const __m128i mulV = _mm_set1_epi32(std::int32_t(mul8)), addV = _mm_set1_epi32(std::int32_t(add8));
            const __m128i oddMask = _mm_set_epi32(-1, 0, -1, 0);
            const __m128i lo = _mm_set1_epi16(-256), hi = _mm_set1_epi16(256);
            __m128i l0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane));
            __m128i l1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane + 4));
            auto rangeOf = [&](__m128i v) {
                const __m128i even = _mm_srli_epi64(_mm_mul_epu32(v, amountV), 32);
                const __m128i odd = _mm_and_si128(_mm_mul_epu32(_mm_srli_epi64(v, 32), amountV), oddMask);
                return _mm_or_si128(even, odd);
            };
            auto step = [&](__m128i v) {
                const __m128i even = _mm_andnot_si128(oddMask, _mm_mul_epu32(v, mulV));
                const __m128i odd = _mm_slli_epi64(_mm_mul_epu32(_mm_srli_epi64(v, 32), mulV), 32);
                return _mm_add_epi32(_mm_or_si128(even, odd), addV);
            };
            for (; i + kLanes <= count; i += kLanes) {
                const __m128i n0 = _mm_sub_epi32(rangeOf(l0), halfV);
                const __m128i n1 = _mm_sub_epi32(rangeOf(l1), halfV);
                const __m128i n = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(n0, n1), lo), hi);
                if (channels) {
                    // v + n in 16 bits, then packed with unsigned saturation: ClampByte.
                    __m128i* at = reinterpret_cast<__m128i*>(channels + i);
                    const __m128i v = _mm_unpacklo_epi8(_mm_loadl_epi64(at), _mm_setzero_si128());
                    _mm_storel_epi64(at, _mm_packus_epi16(_mm_add_epi16(v, n), _mm_setzero_si128()));
                } else {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), n);
                }
                l0 = step(l0);
                l1 = step(l1);
            }
        } else {
            for (; i + kLanes <= count; i += kLanes) {
                for (int k = 0; k < kLanes; ++k) {
                    const std::int64_t n = std::int64_t(RandRange(lane[k], amount)) - half;
                    put(i + std::size_t(k), int(std::clamp<std::int64_t>(n, -256, 256)));
                    lane[k] = lane[k] * mul8 + add8;
                }
            }
        }
        // The last seed used is lane 7 of the last round, which the round moved on 8 steps:
        // step it back by recomputing from the round count.
        const std::size_t rounds = i / kLanes;
        std::uint32_t mr = 1, cr = 0;  // 8 x rounds steps from the start seed
        std::uint32_t bm = mul8, bc = add8;
        for (std::size_t r = rounds; r; r >>= 1) {
            if (r & 1) {
                mr = mr * bm;
                cr = cr * bm + bc;
            }
            bc = bc * bm + bc;
            bm = bm * bm;
        }
        s = s * mr + cr;
    }
    for (; i < count; ++i) {
        s = RandStep(s);
        const std::int64_t n = std::int64_t(RandRange(s, amount)) - std::int64_t(amount / 2);
        put(i, int(std::clamp<std::int64_t>(n, -256, 256)));
    }
    SetRandSeed(s);
}

} // namespace

void TvelPaintFX::AddColorNoise(Bitmap24& bitmap, std::uint32_t amount)
{
    if (bitmap.empty()) return;
    // Blue, green, red of each pixel in turn: the bytes of a row in order, one number each.
    for (int y = 0; y < bitmap.height(); ++y) noiseOffsets(amount, nullptr, bitmap.stride(), bitmap.row(y));
}

void TvelPaintFX::AddMonoNoise(Bitmap24& bitmap, std::uint32_t amount)
{
    if (bitmap.empty()) return;
    const std::size_t w = static_cast<std::size_t>(bitmap.width());
    std::vector<std::int16_t> off(w), perChannel(w * 3);
    for (int y = 0; y < bitmap.height(); ++y) {
        noiseOffsets(amount, off.data(), w);  // one number per pixel
        for (std::size_t i = 0; i < w; ++i) perChannel[3 * i] = perChannel[3 * i + 1] = perChannel[3 * i + 2] = off[i];
        std::uint8_t* p = bitmap.row(y);
        const std::int16_t* n = perChannel.data();
        for (std::size_t i = 0; i < w * 3; ++i) {
            const int v = p[i] + n[i];
            p[i] = std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
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
