// Geometric distortions and displacement. Most routines take a source and a destination; the
// drawing control passes the same bitmap for both, so every read below is of the present
// contents: with one bitmap, later pixels see the pixels already written.
//
// Every real coordinate is compared in floating point before it becomes an integer, and becomes
// one through a checked 64-bit step: no argument leads to undefined behaviour or to a read or
// write outside a bitmap.
#include "effects/arith.h"
#include "effects/paintfx.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace effects {

using detail::checkedTrunc64;
using detail::fastRound;
using detail::kPi;
using detail::kPiF;

float TvelPaintFX::ArcTan2(float dx, float dy)
{
    if (dx == 0.0f) return dy > 0.0f ? kPiF / 2.0f : -kPiF / 2.0f;
    float a = std::atan(dy / dx);
    if (dx < 0.0f) a += kPiF;
    return a;
}

namespace {

// Bilinear sampling with wrap-around (FishEye and Twist) of the source at a real point.
//
// A row is done in two steps: first every destination pixel's four source pixels and weights
// (arithmetic only, no pixel is read), then the reads and writes in order, left to right. The
// second step reads the present contents, so with one bitmap later pixels still see the ones
// already written; splitting the steps only lets the processor fetch the scattered source
// pixels ahead (they are prefetched a few pixels in advance).
class WrapSampler {
public:
    struct Tap {
        std::size_t p00, p01, p10, p11;  // byte offsets of the four pixels in the source
        float w00, w01, w10, w11;
    };

    explicit WrapSampler(const Bitmap24& source) : src_(source), w_(source.width()), h_(source.height()) {}

    Tap tap(float sx, float sy) const
    {
        std::int64_t ix, iy;
        float wx0, wx1, wy0, wy1;
        axis(sx, ix, wx0, wx1);
        axis(sy, iy, wy0, wy1);
        const std::int64_t x0 = wrap(ix, w_), y0 = wrap(iy, h_);
        const std::int64_t x1 = x0 + 1 >= w_ ? w_ - x0 - 1 : x0 + 1;
        const std::int64_t y1 = y0 + 1 >= h_ ? h_ - y0 - 1 : y0 + 1;
        const std::int64_t stride = w_ * 3;
        Tap t;
        t.p00 = std::size_t(y0 * stride + x0 * 3);
        t.p01 = std::size_t(y0 * stride + x1 * 3);
        t.p10 = std::size_t(y1 * stride + x0 * 3);
        t.p11 = std::size_t(y1 * stride + x1 * 3);
        t.w00 = wy0 * wx0;
        t.w01 = wy0 * wx1;
        t.w10 = wy1 * wx0;
        t.w11 = wy1 * wx1;
        return t;
    }

    // Each channel := Round(sum of the four weight products x channel), stored without clamping
    // (the weights sum to 1, the value stays within 0..255). All four pixels are read before
    // `out` is written: `out` may be one of them.
    void apply(const Tap& t, std::uint8_t* out) const
    {
        const std::uint8_t* base = src_.bits();
        const std::uint8_t* p00 = base + t.p00;
        const std::uint8_t* p01 = base + t.p01;
        const std::uint8_t* p10 = base + t.p10;
        const std::uint8_t* p11 = base + t.p11;
        const double w00 = t.w00, w01 = t.w01, w10 = t.w10, w11 = t.w11;
        int v[3];
        for (int k = 0; k < 3; ++k)
            v[k] = roundNonNegative(w00 * p00[k] + w01 * p01[k] + w10 * p10[k] + w11 * p11[k]);
        out[0] = std::uint8_t(v[0]);
        out[1] = std::uint8_t(v[1]);
        out[2] = std::uint8_t(v[2]);
    }

    void prefetch(const Tap& t) const
    {
        const std::uint8_t* base = src_.bits();
        __builtin_prefetch(base + t.p00);
        __builtin_prefetch(base + t.p10);
    }

    // One destination row: taps for every column from `point(x, sx, sy)`, then the samples.
    template <typename Point>
    void row(std::uint8_t* out, int width, Point point)
    {
        taps_.resize(std::size_t(width));
        for (int x = 0; x < width; ++x) {
            float sx, sy;
            point(x, sx, sy);
            taps_[std::size_t(x)] = tap(sx, sy);
        }
        constexpr int ahead = 12;
        for (int x = 0; x < width; ++x, out += 3) {
            if (x + ahead < width) prefetch(taps_[std::size_t(x + ahead)]);
            apply(taps_[std::size_t(x)], out);
        }
    }

private:
    // Round of a sum in 0 .. 2^31, halves to even, without branches on the data.
    static int roundNonNegative(double s)
    {
        const int i = int(s);
        const double f = s - double(i);
        return i + int(f > 0.5) + (int(f == 0.5) & (i & 1));
    }

    // i := Trunc(s); weights of i and i + 1: 1 - t and t for s >= 0 (t = s - i), t and 1 - t for
    // s < 0 (t = i - s). A coordinate beyond 2^24 has no fraction; NaN counts as 0.
    static void axis(float s, std::int64_t& i, float& w0, float& w1)
    {
        if (std::isnan(s)) s = 0.0f;
        i = checkedTrunc64(s);
        float t = 0.0f;
        if (std::fabs(s) < 16777216.0f) t = s >= 0.0f ? s - float(i) : float(i) - s;
        if (s >= 0.0f) {
            w0 = 1.0f - t;
            w1 = t;
        } else {
            w0 = t;
            w1 = 1.0f - t;
        }
    }

    // i < 0 becomes n - ((-i) mod n) - 1; i > n - 1 becomes i mod n. The first multiple is taken
    // without a division (most points of the distortions lie there).
    static std::int64_t wrap(std::int64_t i, std::int64_t n)
    {
        if (i >= 0) {
            if (i < n) return i;
            if (i < 2 * n) return i - n;
            return i % n;
        }
        if (-i < n) return n + i - 1;
        return n - ((-i) % n) - 1;
    }

    const Bitmap24& src_;
    std::int64_t w_, h_;
    std::vector<Tap> taps_;
};

// Every destination pixel, row by row and left to right, sampled at the source point that
// `polar(dx, dy, r, sx, sy)` gives for its offset (dx, dy) from the centre (cx, cy) and its
// distance r from it; the centre itself samples the centre.
template <typename Polar>
void radialMap(const Bitmap24& source, Bitmap24& dest, float cx, float cy, Polar polar)
{
    WrapSampler sampler(source);
    const int wd = dest.width(), hd = dest.height();
    for (int y = 0; y < hd; ++y) {
        const float dy = float(y) - cy;
        sampler.row(dest.row(y), wd, [&](int x, float& sx, float& sy) {
            const float dx = float(x) - cx;
            const float r = std::sqrt(dx * dx + dy * dy);
            sx = cx;
            sy = cy;
            if (r != 0.0f) polar(dx, dy, r, sx, sy);
        });
    }
}

} // namespace

void TvelPaintFX::FishEye(const Bitmap24& source, Bitmap24& dest, double amount)
{
    if (source.empty() || dest.empty()) return;
    const float cx = float(source.width()) / 2.0f, cy = float(source.height()) / 2.0f;
    const float f = float(amount * dest.width());
    float ratio = 0.0f, m = 0.0f;  // kept from pixel to pixel, as the rule says
    radialMap(source, dest, cx, cy, [&](float dx, float dy, float r, float& sx, float& sy) {
        if (f != 0.0f && r != f) {
            ratio = 1.0f / (1.0f - r / f) - 1.0f;
            if (ratio != 0.0f) m = ratio * f / 2.0f;
        }
        sx = dx * m / r + cx;
        sy = dy * m / r + cy;
    });
}

void TvelPaintFX::Twist(const Bitmap24& source, Bitmap24& dest, int amount)
{
    if (amount == 0 || source.empty() || dest.empty()) return;
    const float cx = float(source.width() - 1) / 2.0f, cy = float(source.height() - 1) / 2.0f;
    const float a = float(amount);
    radialMap(source, dest, cx, cy, [&](float dx, float dy, float r, float& sx, float& sy) {
        const float w = ArcTan2(dx, dy) - r / a + kPiF / 2.0f;
        sx = r * std::cos(w) + cx;
        sy = r * std::sin(w) + cy;
    });
}

void TvelPaintFX::Rotate(const Bitmap24& source, Bitmap24& dest, int x0, int y0, double angle)
{
    if (source.empty() || dest.empty()) return;
    const int ws = source.width(), hs = source.height();
    const int wd = dest.width(), hd = dest.height();
    const double e = -angle * kPi / 180.0;
    const double s = std::sin(e), c = std::cos(e);
    const int gx = (wd - ws) / 2, gy = (hd - hs) / 2;
    for (int i = 0; i < hd; ++i) {
        const double v = 2.0 * i - 2.0 * y0 + 1.0;
        for (int j = 0; j < wd; ++j) {
            const double u = 2.0 * j - 2.0 * x0 + 1.0;
            const double X = (c * u - s * v - 1.0) / 2.0 + x0 - gx;
            const double Y = (s * u + c * v - 1.0) / 2.0 + y0 - gy;
            if (!(X >= -1.0 && X < ws + 1.0 && Y >= -1.0 && Y < hs + 1.0)) continue;
            const int C = fastRound(X);
            if (C < 0 || C >= ws) continue;
            const int E = fastRound(Y);
            if (E < 0 || E >= hs) continue;
            const int E2 = ClampInt(E + 1, 0, hs - 1), C2 = ClampInt(C + 1, 0, ws - 1);
            const double fx = X - C, fy = Y - E;
            const std::uint8_t* pCE = source.pixelPtr(C, E);
            const std::uint8_t* pC2E = source.pixelPtr(C2, E);
            const std::uint8_t* pCE2 = source.pixelPtr(C, E2);
            const std::uint8_t* pC2E2 = source.pixelPtr(C2, E2);
            int out[3];
            for (int k = 0; k < 3; ++k) {
                const double top = fx * (pC2E[k] - pCE[k]) + pCE[k];
                const double bottom = fx * (pC2E2[k] - pCE2[k]) + pCE2[k];
                out[k] = ClampByte(fastRound(top + fy * (bottom - top)));
            }
            std::uint8_t* d = dest.pixelPtr(j, i);
            d[0] = std::uint8_t(out[0]);
            d[1] = std::uint8_t(out[1]);
            d[2] = std::uint8_t(out[2]);
        }
    }
}

void TvelPaintFX::Wave(Bitmap24& bitmap, int r, int q, int mode)
{
    if (r <= 0 || bitmap.empty()) return;
    const int w = bitmap.width(), h = bitmap.height();
    const std::int64_t firstRow = std::int64_t(h) - 2 * std::int64_t(r) - 1;
    if (firstRow < r) return;
    const Bitmap24 work = bitmap;
    const double k = (kPi / 2.0) / r;
    // The offset used at each column: 0 at the first, then Round(r x s) of the column before.
    std::vector<int> g(std::size_t(w), 0);
    for (int f = 0; f + 1 < w; ++f) {
        double s;
        if (mode == 1)
            s = std::sin(f * k) * std::cos(f * k);
        else if (mode == 2)
            s = std::sin(f * k) * std::sin(q * k * f);
        else
            s = std::sin(f * k);
        g[std::size_t(f) + 1] = fastRound(r * s);
    }
    for (std::int64_t y = firstRow; y >= r; --y) {
        const std::uint8_t* src = work.row(int(y));
        for (int f = 0; f < w; ++f)
            std::memcpy(bitmap.pixelPtr(f, int(y + r + g[std::size_t(f)])), src + std::size_t(f) * 3, 3);
    }
}

namespace {

enum class WingsKind { Deep, Down, Up, Fold, Touche, Flyer, Flipover, Wavy };

void wings(const Bitmap24& source, Bitmap24& dest, double x, int a, WingsKind kind)
{
    if (x == 0.0 || std::isnan(x) || a == 0 || source.empty()) return;
    if (&dest != &source) dest = source;  // sized like the source, with its pixels
    const int w = dest.width(), h = dest.height();

    // The row term b (from i mod a) and the column term e (from d mod a).
    auto rowTerm = [&](int i) {
        const double m = i % a;
        switch (kind) {
        case WingsKind::Fold:
        case WingsKind::Flipover: return std::sin(m / x);
        case WingsKind::Wavy: return std::sin(m / x) * std::cos(1.5 * m / x);
        default: return std::cos(m / x);
        }
    };
    auto columnTerm = [&](int d) {
        const double n = d % a;
        switch (kind) {
        case WingsKind::Fold: return -x * std::cos(n / x);
        case WingsKind::Flyer: return -std::tan(n / x) / x;
        case WingsKind::Flipover: return -std::tan(n / x) / (x * x);
        case WingsKind::Wavy: return -x * std::sin(2 * n / x) * std::cos(n / x);
        default: return -x * std::sin(n / x);
        }
    };
    std::vector<double> e(static_cast<std::size_t>(w));
    for (int d = 0; d < w; ++d) e[std::size_t(d)] = columnTerm(d);

    // The Round of the absolute value, when it is below the limit; -1 otherwise.
    auto target = [](double v, int limit) -> int {
        v = std::fabs(v);
        if (!(v < double(limit))) return -1;
        const int t = fastRound(v);
        return t < limit ? t : -1;
    };

    const bool reverse = kind == WingsKind::Touche;
    for (int k = 0; k < h; ++k) {
        const int i = reverse ? h - 1 - k : k;
        const double b = rowTerm(i);
        const double xb = x * b;
        for (int n = 0; n < w; ++n) {
            const int d = reverse ? w - 1 - n : n;
            const double ed = e[std::size_t(d)];
            double rowExpr, colExpr;
            switch (kind) {
            case WingsKind::Down:
                rowExpr = i + xb - ed;
                colExpr = d + ed - xb;
                break;
            case WingsKind::Up:
                rowExpr = i - xb + ed;
                colExpr = d - ed + xb;
                break;
            default:
                rowExpr = i + xb + ed;
                colExpr = d + xb + ed;
                break;
            }
            const int row = target(rowExpr, h);
            if (row < 0) continue;
            const int col = target(colExpr, w);
            if (col < 0) continue;
            // The source pixel as it is now: with one bitmap, possibly one already written.
            std::memmove(dest.pixelPtr(col, row), source.pixelPtr(d, i), 3);
        }
    }
}

} // namespace

void TvelPaintFX::WingsDeep(const Bitmap24& s, Bitmap24& d, double x, int a) { wings(s, d, x, a, WingsKind::Deep); }
void TvelPaintFX::WingsDown(const Bitmap24& s, Bitmap24& d, double x, int a) { wings(s, d, x, a, WingsKind::Down); }
void TvelPaintFX::WingsUp(const Bitmap24& s, Bitmap24& d, double x, int a) { wings(s, d, x, a, WingsKind::Up); }
void TvelPaintFX::WingsFold(const Bitmap24& s, Bitmap24& d, double x, int a) { wings(s, d, x, a, WingsKind::Fold); }
void TvelPaintFX::WingsTouche(const Bitmap24& s, Bitmap24& d, double x, int a) { wings(s, d, x, a, WingsKind::Touche); }
void TvelPaintFX::WingsFlyer(const Bitmap24& s, Bitmap24& d, double x, int a) { wings(s, d, x, a, WingsKind::Flyer); }
void TvelPaintFX::WingsFlipover(const Bitmap24& s, Bitmap24& d, double x, int a) { wings(s, d, x, a, WingsKind::Flipover); }
void TvelPaintFX::WingsWavy(const Bitmap24& s, Bitmap24& d, double x, int a) { wings(s, d, x, a, WingsKind::Wavy); }

void TvelPaintFX::Squeeze(const Bitmap24& source, Bitmap24& dest, int a, int mode)
{
    if (source.empty() || dest.empty()) return;
    const int w = source.width(), h = source.height();
    if (h <= 1 || mode < 7 || mode > 13) return;
    if (a > w / 2) a = w / 2;
    if (a < 0) a = 0;
    Bitmap24 buffer(w, 1);
    const int half = w / 2;
    for (int y = 0; y < h; ++y) {
        std::memcpy(buffer.row(0), source.row(y), source.stride());
        const double turn = double(y) / double(h - 1) * kPi;
        int left = 0, right = w, u = 0;
        switch (mode) {
        case 7: left = a; right = w - a; break;
        case 8: u = fastRound(double(a) * (h - y - 1) / h); left = u; right = w - u; break;
        case 9: u = fastRound(double(a) * y / h); left = u; right = w - u; break;
        case 10: u = fastRound(a * std::fabs(std::cos(turn))); left = u; right = w - u; break;
        case 11: u = fastRound(a * std::fabs(std::sin(turn))); left = u; right = w - u; break;
        case 12: u = fastRound(a * std::fabs(std::sin(turn))); left = half - u; right = half + u; break;
        default: u = fastRound(std::fabs(std::sin(double(y) / double(h - 1) * 2 * kPi)) * a); left = half - u; right = half + u; break;
        }
        StretchDraw(buffer, dest, Rect{left, y, right, y + 1});
    }
}

void TvelPaintFX::SplitRound(const Bitmap24& source, Bitmap24& dest, int a, int mode)
{
    if (source.empty() || dest.empty()) return;
    if (a <= 0) {
        Draw(source, dest, 0, 0);
        return;
    }
    const int w = source.width(), h = source.height();
    if (h <= 1 || (mode != 14 && mode != 15)) return;
    const int half = w / 2;
    if (a > half) a = half;
    if (half == 0) return;
    Bitmap24 left(half, 1), right(half, 1);
    for (int y = 0; y < h; ++y) {
        std::memcpy(left.row(0), source.row(y), left.stride());
        std::memcpy(right.row(0), source.pixelPtr(half, y), right.stride());
        const double turn = double(y) / double(h - 1) * kPi;
        const int ww = mode == 14 ? fastRound(a * std::fabs(std::sin(turn))) : fastRound(std::fabs(std::cos(turn)) * a);
        StretchDraw(left, dest, Rect{0, y, ww, y + 1});
        StretchDraw(right, dest, Rect{w - ww - 1, y, w - 1, y + 1});
    }
}

void TvelPaintFX::Plasma(const Bitmap24& first, const Bitmap24& second, Bitmap24& dest, int p, int t)
{
    PlasmaRows(first, second, dest, p, t, 0, dest.height());
}

void TvelPaintFX::PlasmaRows(const Bitmap24& first, const Bitmap24& second, Bitmap24& dest, int p, int t, int top, int bottom)
{
    if (first.empty()) return;
    if (p < 5) p = 5;
    if (t < 10) t = 10;
    int DX[256], DY[256];
    for (int k = 0; k < 256; ++k) {
        DX[k] = fastRound(-p * std::sin(double(k) / t));
        DY[k] = fastRound(p * std::cos(double(k) / t));
    }
    const int w = first.width(), h = first.height();
    const int wr = std::min({w, second.width(), dest.width()});
    const int hr = std::min({h, second.height(), dest.height()});
    for (int y = std::max(0, top); y < std::min(hr, bottom); ++y) {
        for (int x = 0; x < wr; ++x) {
            const int k = second.pixelPtr(x, y)[0];
            const std::int64_t sx = std::int64_t(x) + DX[k], sy = std::int64_t(y) + DY[k];
            if (sx >= 0 && sx < w && sy >= 0 && sy < h)
                std::memmove(dest.pixelPtr(x, y), first.pixelPtr(int(sx), int(sy)), 3);
        }
    }
}

} // namespace effects
