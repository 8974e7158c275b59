#include "reference.h"

#include "effects/random.h"
#include "platform/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace fx_ref {

using effects::ClampByte;
using platform::roundHalfEven;

namespace {
template <typename F>
void eachChannel(Bitmap24& b, F f)
{
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            for (int k = 0; k < 3; ++k) {
                std::uint8_t& v = b.pixelPtr(x, y)[k];
                v = std::uint8_t(f(int(v)));
            }
}
} // namespace

void Lightness(Bitmap24& b, int amount)
{
    eachChannel(b, [&](int v) { return ClampByte(v + (std::int64_t(255 - v) * amount) / 255); });
}

void Contrast(Bitmap24& b, int amount)
{
    eachChannel(b, [&](int v) {
        std::int64_t d = std::int64_t(std::abs(127 - v)) * amount / 255;
        return v > 127 ? ClampByte(v + d) : ClampByte(v - d);
    });
}

void Saturation(Bitmap24& b, int amount)
{
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            std::uint8_t* p = b.pixelPtr(x, y);
            const int grey = (p[0] + p[1] + p[2]) / 3;
            for (int k = 0; k < 3; ++k) p[k] = std::uint8_t(ClampByte(grey + std::int64_t(p[k] - grey) * amount / 255));
        }
}

void AddColorNoise(Bitmap24& b, std::uint32_t amount)
{
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            for (int k = 0; k < 3; ++k) {
                std::uint8_t& v = b.pixelPtr(x, y)[k];
                v = std::uint8_t(ClampByte(std::int64_t(effects::Random(amount)) + v - std::int64_t(amount / 2)));
            }
}

void AddMonoNoise(Bitmap24& b, std::uint32_t amount)
{
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const std::int64_t n = std::int64_t(effects::Random(amount)) - std::int64_t(amount / 2);
            for (int k = 0; k < 3; ++k) {
                std::uint8_t& v = b.pixelPtr(x, y)[k];
                v = std::uint8_t(ClampByte(v + n));
            }
        }
}

void Posterize(Bitmap24& b, int step)
{
    eachChannel(b, [&](int v) { return ClampByte(std::int64_t(step) * roundHalfEven(double(v) / step)); });
}

void Blend(const Bitmap24& first, const Bitmap24& second, Bitmap24& dest, double x)
{
    dest = first;
    for (int y = 0; y < first.height(); ++y)
        for (int i = 0; i < first.width() * 3; ++i)
            dest.row(y)[i] = std::uint8_t(ClampByte(roundHalfEven((1 - x) * first.row(y)[i] + x * second.row(y)[i])));
}

void Emboss(Bitmap24& b)
{
    for (int y = 0; y <= b.height() - 2; ++y)
        for (int x = 0; x <= b.width() - 4; ++x)
            for (int k = 0; k < 3; ++k) {
                std::uint8_t& v = b.pixelPtr(x, y)[k];
                const int w = b.pixelPtr(x + 3, y + 1)[k];
                v = std::uint8_t((v + (255 - w)) >> 1);
            }
}

void SplitBlur(Bitmap24& b, int a)
{
    if (a == 0) return;
    const int W = b.width(), H = b.height();
    for (int y = 0; y < H; ++y) {
        int U = y - a >= 0 ? y - a : y;
        int D = y + a < H ? y + a : H - y;
        U = std::clamp(U, 0, H - 1);
        D = std::clamp(D, 0, H - 1);
        for (int x = 0; x < W; ++x) {
            int L = x - a >= 0 ? x - a : x;
            int R = x + a < W ? x + a : W - x;
            L = std::clamp(L, 0, W - 1);
            R = std::clamp(R, 0, W - 1);
            for (int k = 0; k < 3; ++k) {
                int s = b.pixelPtr(L, U)[k] + b.pixelPtr(L, D)[k] + b.pixelPtr(R, U)[k] + b.pixelPtr(R, D)[k];
                b.pixelPtr(x, y)[k] = std::uint8_t(s >> 2);
            }
        }
    }
}

void Mosaic(Bitmap24& b, int s)
{
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) b.setPixel(x, y, b.pixel(x / s * s, y / s * s));
}

void MapEffect(Bitmap24& b, int a)
{
    const Bitmap24 work = b;
    for (int i = 0; i < b.height(); ++i)
        for (int c = 0; c < b.width(); ++c) {
            const effects::Bgr p = work.pixel(c, i);
            const double mean = (p.b + p.g + p.r) / 3.0;
            const int k = roundHalfEven(mean / 255 * a);
            if (i - k >= 0 && i - k < b.height()) b.setPixel(c, i - k, p);
        }
}

namespace {

// Bilinear sampling with wrap-around, written out as the rule reads.
void sample(const Bitmap24& src, float sx, float sy, std::uint8_t* out)
{
    const int W = src.width(), H = src.height();
    int ix = int(std::trunc(sx)), iy = int(std::trunc(sy));
    float r1, r2, c1, c2;
    if (sy >= 0) {
        float t = sy - float(iy);
        r1 = 1 - t;
        r2 = t;
    } else {
        float t = float(iy) - sy;
        r1 = t;
        r2 = 1 - t;
    }
    if (sx >= 0) {
        float t = sx - float(ix);
        c1 = 1 - t;
        c2 = t;
    } else {
        float t = float(ix) - sx;
        c1 = t;
        c2 = 1 - t;
    }
    if (ix < 0) ix = W - ((-ix) % W) - 1;
    if (ix > W - 1) ix = ix % W;
    if (iy < 0) iy = H - ((-iy) % H) - 1;
    if (iy > H - 1) iy = iy % H;
    const int iy2 = iy + 1 >= H ? H - iy - 1 : iy + 1;
    const int ix2 = ix + 1 >= W ? W - ix - 1 : ix + 1;
    const float w11 = r1 * c1, w12 = r1 * c2, w21 = r2 * c1, w22 = r2 * c2;
    int v[3];
    for (int k = 0; k < 3; ++k)
        v[k] = roundHalfEven(double(w11) * src.pixelPtr(ix, iy)[k] + double(w12) * src.pixelPtr(ix2, iy)[k] +
                             double(w21) * src.pixelPtr(ix, iy2)[k] + double(w22) * src.pixelPtr(ix2, iy2)[k]);
    for (int k = 0; k < 3; ++k) out[k] = std::uint8_t(v[k]);
}

} // namespace

void FishEye(const Bitmap24& src, Bitmap24& dst, double k)
{
    const float cx = src.width() / 2.0f, cy = src.height() / 2.0f;
    const float f = float(k * dst.width());
    float ratio = 0, m = 0;
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x) {
            const float dx = x - cx, dy = y - cy;
            const float r = std::sqrt(dx * dx + dy * dy);
            float sx = cx, sy = cy;
            if (r != 0) {
                if (f != 0 && r != f) {
                    ratio = 1 / (1 - r / f) - 1;
                    if (ratio != 0) m = ratio * f / 2;
                }
                sx = dx * m / r + cx;
                sy = dy * m / r + cy;
            }
            sample(src, sx, sy, dst.pixelPtr(x, y));
        }
}

void Twist(const Bitmap24& src, Bitmap24& dst, int a)
{
    const float pi = 3.14159265358979323846f;
    const float cx = (src.width() - 1) / 2.0f, cy = (src.height() - 1) / 2.0f;
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x) {
            const float dx = x - cx, dy = y - cy;
            const float r = std::sqrt(dx * dx + dy * dy);
            float sx = cx, sy = cy;
            if (r != 0) {
                float at;
                if (dx == 0)
                    at = dy > 0 ? pi / 2 : -pi / 2;
                else {
                    at = std::atan(dy / dx);
                    if (dx < 0) at += pi;
                }
                const float w = at - r / float(a) + pi / 2;
                sx = r * std::cos(w) + cx;
                sy = r * std::sin(w) + cy;
            }
            sample(src, sx, sy, dst.pixelPtr(x, y));
        }
}

// Each destination pixel, row by row: the source point (X, Y) turned back about (x0, y0); skipped
// unless Round(X), Round(Y) lie in the source; bilinear between (C, E) and the pixels right of and
// below it (clamped), rounded halves to even.
void Rotate(const Bitmap24& src, Bitmap24& dst, int x0, int y0, double angle)
{
    const int ws = src.width(), hs = src.height(), wd = dst.width(), hd = dst.height();
    if (ws == 0 || hs == 0 || wd == 0 || hd == 0) return;
    const double e = -angle * 3.14159265358979323846 / 180.0;
    const double s = std::sin(e), c = std::cos(e);
    const int gx = (wd - ws) / 2, gy = (hd - hs) / 2;
    for (int i = 0; i < hd; ++i)
        for (int j = 0; j < wd; ++j) {
            const double u = 2.0 * j - 2.0 * x0 + 1.0, v = 2.0 * i - 2.0 * y0 + 1.0;
            const double X = (c * u - s * v - 1.0) / 2.0 + x0 - gx;
            const double Y = (s * u + c * v - 1.0) / 2.0 + y0 - gy;
            if (!(X >= -1.0 && X < ws + 1.0 && Y >= -1.0 && Y < hs + 1.0)) continue;
            const int C = roundHalfEven(X), E = roundHalfEven(Y);
            if (C < 0 || C >= ws || E < 0 || E >= hs) continue;
            const int C2 = std::min(C + 1, ws - 1), E2 = std::min(E + 1, hs - 1);
            const double fx = X - C, fy = Y - E;
            int out[3];
            for (int k = 0; k < 3; ++k) {
                const double top = fx * (src.pixelPtr(C2, E)[k] - src.pixelPtr(C, E)[k]) + src.pixelPtr(C, E)[k];
                const double bottom = fx * (src.pixelPtr(C2, E2)[k] - src.pixelPtr(C, E2)[k]) + src.pixelPtr(C, E2)[k];
                out[k] = ClampByte(roundHalfEven(top + fy * (bottom - top)));
            }
            for (int k = 0; k < 3; ++k) dst.pixelPtr(j, i)[k] = std::uint8_t(out[k]);
        }
}

namespace {

struct Contrib {
    int pixel;
    float weight;
};

std::vector<std::vector<Contrib>> contributors(int n1, int n2, effects::ResampleFilter filter, float support)
{
    const float scale = (n1 == 1 || n2 == 1) ? float(n2) / n1 : float(n2 - 1) / float(n1 - 1);
    std::vector<std::vector<Contrib>> out(static_cast<std::size_t>(n2));
    for (int i = 0; i < n2; ++i) {
        const float centre = i / scale;
        if (scale >= 1) {
            for (int j = int(std::floor(centre - support)); j <= int(std::ceil(centre + support)); ++j) {
                float w = filter(centre - j);
                if (w == 0) continue;
                int n = j < 0 ? -j : (j >= n1 ? n1 - j + n1 - 1 : j);
                out[std::size_t(i)].push_back({std::clamp(n, 0, n1 - 1), w});
            }
        } else {
            const float width = support / scale, fs = 1 / scale;
            for (int j = int(std::floor(centre - width)); j <= int(std::ceil(centre + width)); ++j) {
                float w = filter((centre - j) / fs) / fs;
                if (w == 0) continue;
                int n = j < 0 ? -j : (j >= n1 ? n1 - j + n1 - 1 : j);
                out[std::size_t(i)].push_back({std::clamp(n, 0, n1 - 1), w});
            }
        }
    }
    return out;
}

std::uint8_t finish(float sum)
{
    if (sum > 255) return 255;
    if (sum < 0) return 0;
    return std::uint8_t(roundHalfEven(sum));
}

} // namespace

void Resample(const Bitmap24& src, Bitmap24& dst, effects::ResampleFilter filter, float support)
{
    Bitmap24 work(dst.width(), src.height());
    auto cols = contributors(src.width(), dst.width(), filter, support);
    for (int y = 0; y < src.height(); ++y)
        for (int i = 0; i < dst.width(); ++i)
            for (int k = 0; k < 3; ++k) {
                float sum = 0;
                for (const auto& c : cols[std::size_t(i)]) sum = sum + c.weight * src.pixelPtr(c.pixel, y)[k];
                work.pixelPtr(i, y)[k] = finish(sum);
            }
    auto rows = contributors(src.height(), dst.height(), filter, support);
    for (int x = 0; x < dst.width(); ++x)
        for (int i = 0; i < dst.height(); ++i)
            for (int k = 0; k < 3; ++k) {
                float sum = 0;
                for (const auto& c : rows[std::size_t(i)]) sum = sum + c.weight * work.pixelPtr(x, c.pixel)[k];
                dst.pixelPtr(x, i)[k] = finish(sum);
            }
}

// The wings, as the rule reads: kind 0..7 is Deep, Down, Up, Fold, Touche, Flyer, Flipover, Wavy.
// Every pixel (d, i), rows top down (Touche: bottom up, right to left), goes to (|colExpr|,
// |rowExpr|) rounded when that lies inside; with one bitmap a pixel read may be one written
// before.
void Wings(const Bitmap24& src, Bitmap24& dst, double x, int a, int kind)
{
    if (x == 0.0 || std::isnan(x) || a == 0 || src.empty()) return;
    if (&dst != &src) dst = src;
    const int w = dst.width(), h = dst.height();
    const bool touche = kind == 4;
    for (int k = 0; k < h; ++k) {
        const int i = touche ? h - 1 - k : k;
        const double m = i % a;
        double b;
        if (kind == 3 || kind == 6)
            b = std::sin(m / x);
        else if (kind == 7)
            b = std::sin(m / x) * std::cos(1.5 * m / x);
        else
            b = std::cos(m / x);
        for (int l = 0; l < w; ++l) {
            const int d = touche ? w - 1 - l : l;
            const double n = d % a;
            double e;
            if (kind == 3)
                e = -x * std::cos(n / x);
            else if (kind == 5)
                e = -std::tan(n / x) / x;
            else if (kind == 6)
                e = -std::tan(n / x) / (x * x);
            else if (kind == 7)
                e = -x * std::sin(2 * n / x) * std::cos(n / x);
            else
                e = -x * std::sin(n / x);
            const double xb = x * b;
            double r, c;
            if (kind == 1) {
                r = i + xb - e;
                c = d + e - xb;
            } else if (kind == 2) {
                r = i - xb + e;
                c = d - e + xb;
            } else {
                r = i + xb + e;
                c = d + xb + e;
            }
            r = std::fabs(r);
            c = std::fabs(c);
            if (!(r < double(h))) continue;
            const int row = roundHalfEven(r);
            if (row >= h) continue;
            if (!(c < double(w))) continue;
            const int col = roundHalfEven(c);
            if (col >= w) continue;
            dst.setPixel(col, row, src.pixel(d, i));
        }
    }
}

} // namespace fx_ref
