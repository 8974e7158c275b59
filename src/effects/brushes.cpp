#include "effects/brushes.h"

#include "effects/arith.h"
#include "platform/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace effects {

using detail::kPi;
using platform::roundHalfEven;

namespace {

std::uint8_t byteOf(double v) { return std::uint8_t(ClampByte(roundHalfEven(v))); }

// The mean of the four neighbours of an inner pixel, sum shifted right by 2.
Bgr neighbourMean(const Bitmap24& b, int x, int y)
{
    const Bgr l = b.pixel(x - 1, y), r = b.pixel(x + 1, y), u = b.pixel(x, y - 1), d = b.pixel(x, y + 1);
    return Bgr{std::uint8_t((l.b + r.b + u.b + d.b) >> 2), std::uint8_t((l.g + r.g + u.g + d.g) >> 2),
               std::uint8_t((l.r + r.r + u.r + d.r) >> 2)};
}

void smoothBeyond(Bitmap24& b, int x, int y)
{
    if (x > 0 && y > 0 && x < b.width() - 1 && y < b.height() - 1) b.setPixel(x, y, neighbourMean(b, x, y));
}

// A gradient along one axis from `from` to `to` (in either order; c1 stays at the lower end):
// `at(i)` gives the pixel of position i, `size` the bitmap's extent along the axis. Only the part
// inside the bitmap is walked (the line may be far longer).
template <typename At>
void gradientAlong(Bitmap24& bitmap, int from, int to, int size, Bgr c1, Bgr c2, bool smooth, At at)
{
    const int lo = std::min(from, to), hi = std::max(from, to);
    const float length = float(hi) - float(lo);
    auto ch = [](int a, int b, float t) {
        return std::uint8_t(std::min(255, std::max(0, roundHalfEven(float(a) + (float(b) - float(a)) * t))));
    };
    for (int i = std::max(lo, 0); i <= std::min(hi, size - 1); ++i) {
        const float t = length > 0 ? (float(i) - float(lo)) / length : 0.0f;
        auto [x, y] = at(i);
        bitmap.setPixel(x, y, Bgr{ch(c1.b, c2.b, t), ch(c1.g, c2.g, t), ch(c1.r, c2.r, t)});
    }
    if (!smooth) return;
    if (lo > std::numeric_limits<int>::min()) {
        auto [x, y] = at(lo - 1);
        smoothBeyond(bitmap, x, y);
    }
    if (hi < std::numeric_limits<int>::max()) {
        auto [x, y] = at(hi + 1);
        smoothBeyond(bitmap, x, y);
    }
}

} // namespace

Bgr ColorBrushPixel(int mode, Bgr p)
{
    switch (mode) {
    case cbBlue: return Bgr{p.b, 0, 0};
    case cbGreen: return Bgr{0, p.g, 0};
    case cbRed: return Bgr{0, 0, p.r};
    case cbNotBlue: return Bgr{0, p.g, p.r};
    case cbNotGreen: return Bgr{p.b, 0, p.r};
    case cbNotRed: return Bgr{p.b, p.g, 0};
    case cbHalfBlue: return Bgr{std::uint8_t(p.b * 9 / 10), p.g, p.r};
    case cbHalfGreen: return Bgr{p.b, std::uint8_t(p.g * 9 / 10), p.r};
    case cbHalfRed: return Bgr{p.b, p.g, std::uint8_t(p.r * 9 / 10)};
    case cbDarker: return Bgr{byteOf(p.b * 10 / 11.0), byteOf(p.g * 10 / 11.0), byteOf(p.r * 10 / 11.0)};
    case cbLighter: return Bgr{byteOf(p.b * 11 / 10.0), byteOf(p.g * 11 / 10.0), byteOf(p.r * 11 / 10.0)};
    case cbGray: {
        const std::uint8_t v = byteOf((p.b + p.g + p.r) / 3.0);
        return Bgr{v, v, v};
    }
    case cbRollMix: return Bgr{p.g, p.r, p.b};
    default: return p;
    }
}

bool InDisc(int x, int y, int r)
{
    const double dx = x + 0.5 - r, dy = y + 0.5 - r;
    return dx * dx + dy * dy <= double(r) * r;
}

void ColorBrushDab(Bitmap24& bitmap, int cx, int cy, int r, int mode)
{
    if (bitmap.empty() || r <= 0) return;
    const std::int64_t left = std::int64_t(cx) - r, top = std::int64_t(cy) - r;
    const int x0 = int(std::max<std::int64_t>(0, left)), y0 = int(std::max<std::int64_t>(0, top));
    const int x1 = int(std::min<std::int64_t>(bitmap.width(), left + 2 * std::int64_t(r)));
    const int y1 = int(std::min<std::int64_t>(bitmap.height(), top + 2 * std::int64_t(r)));
    if (x0 >= x1 || y0 >= y1) return;
    auto inDisc = [&](int x, int y) { return InDisc(int(x - left), int(y - top), r); };
    if (mode != cbSmooth) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (inDisc(x, y)) bitmap.setPixel(x, y, ColorBrushPixel(mode, bitmap.pixel(x, y)));
        return;
    }
    // Smooth: in place on a copy of the square, so the left and upper neighbours are already
    // smoothed; then only the disc goes back.
    Bitmap24 square = CopyPart(bitmap, x0, y0, x1 - x0, y1 - y0);
    for (int y = 1; y < square.height() - 1; ++y)
        for (int x = 1; x < square.width() - 1; ++x) square.setPixel(x, y, neighbourMean(square, x, y));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (inDisc(x, y)) bitmap.setPixel(x, y, square.pixel(x - x0, y - y0));
}

BrushSquare FitBrushSquare(int width, int height, int cx, int cy, int r)
{
    BrushSquare s;
    s.r = std::max(0, std::min({r, width / 2, height / 2}));
    if (s.r == 0) return s;
    s.left = int(std::clamp<std::int64_t>(std::int64_t(cx) - s.r, 0, width - 2 * s.r));
    s.top = int(std::clamp<std::int64_t>(std::int64_t(cy) - s.r, 0, height - 2 * s.r));
    return s;
}

Bitmap24 CopyPart(const Bitmap24& source, int left, int top, int width, int height)
{
    Bitmap24 out(width, height);
    Draw(source, out, -left, -top);
    return out;
}

void DrawDab(const Bitmap24& square, Bitmap24& dest, int left, int top, bool disc)
{
    const int side = square.width();
    const int r = side / 2;
    for (int y = 0; y < square.height(); ++y)
        for (int x = 0; x < side; ++x) {
            if (disc && !InDisc(x, y, r)) continue;
            const std::int64_t dx = std::int64_t(left) + x, dy = std::int64_t(top) + y;
            if (dx < 0 || dy < 0 || dx >= dest.width() || dy >= dest.height()) continue;
            dest.setPixel(int(dx), int(dy), square.pixel(x, y));
        }
}

void RippleSquare(const Bitmap24& source, Bitmap24& target, double amount)
{
    const int w = std::min(source.width(), target.width()), h = std::min(source.height(), target.height());
    const int c = w / 2;
    if (c < 1 || h < 1) return;
    const double a = std::max(1.0, amount);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x - c, dy = c - y;
            const double e = std::sqrt(dx * dx + dy * dy);
            const double e2 = e + (c / a) * std::sin(a * (e / c) * 2 * kPi);
            if (!(e2 > 0 && e2 < c)) continue;
            const double phi = std::atan2(dx, dy);
            const int row = h / 2 + roundHalfEven(e2 * std::sin(phi));
            const int col = c + roundHalfEven(e2 * std::cos(phi));
            if (row < 0 || col < 0 || row >= h || col >= w) continue;
            target.setPixel(col, row, source.pixel(x, y));
        }
}

void GradientLine(Bitmap24& bitmap, int y, int x1, int x2, Bgr c1, Bgr c2, bool smooth)
{
    if (y < 0 || y >= bitmap.height()) return;
    gradientAlong(bitmap, x1, x2, bitmap.width(), c1, c2, smooth, [y](int i) { return std::pair<int, int>{i, y}; });
}

void GradientColumn(Bitmap24& bitmap, int x, int y1, int y2, Bgr c1, Bgr c2, bool smooth)
{
    if (x < 0 || x >= bitmap.width()) return;
    gradientAlong(bitmap, y1, y2, bitmap.height(), c1, c2, smooth, [x](int i) { return std::pair<int, int>{x, i}; });
}

void ShadedEllipse(Bitmap24& bitmap, int cx, int cy, int rx, int ry, Bgr c1, Bgr c2)
{
    rx = std::max(0, rx);
    ry = std::max(0, ry);
    for (int dy = -ry; dy <= ry; ++dy) {
        const std::int64_t y = std::int64_t(cy) + dy;
        if (y < 0 || y >= bitmap.height()) continue;
        const double f = ry > 0 ? 1.0 - double(dy) * dy / (double(ry) * ry) : 1.0;
        const int half = roundHalfEven(rx * std::sqrt(std::max(0.0, f)));
        GradientLine(bitmap, int(y), cx - half, cx + half, c1, c2, true);
    }
}

void DrawSpheres(Bitmap24& bitmap, SphereKind kind, int x1, int y1, int x2, int y2, Bgr c1, Bgr c2)
{
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    const std::int64_t w = std::int64_t(right) - left, h = std::int64_t(bottom) - top;
    if (w <= 0 || h <= 0) return;
    if (kind == SphereKind::Inter) {
        ShadedEllipse(bitmap, int(left + w / 2), int(top + h / 2), int(w / 2), int(h / 2), c1, c2);
        return;
    }
    const std::int64_t halfW = w / 2, halfH = h / 2;
    // At least one sphere: a rectangle only a little longer than high still gets its sphere.
    const std::int64_t n = std::max<std::int64_t>(1, std::max(halfW, halfH) / (std::min(halfW, halfH) + 1));
    const bool wide = w >= h;
    const std::int64_t longer = wide ? w : h;
    const std::int64_t step = std::max<std::int64_t>(1, longer / n);
    const double bigR = 0.8 * (step / 2.0);
    for (std::int64_t k = 0; k < n; ++k) {
        const double q = bigR + double(step) * k;
        double radius = 0;
        switch (kind) {
        case SphereKind::RisingWave:
            radius = wide ? bigR * std::sin(q * kPi / longer - kPi / 2) : bigR * std::sin(q * kPi / longer);
            break;
        case SphereKind::Wave: radius = bigR * std::sin(q * kPi / longer - kPi / 2); break;
        case SphereKind::Droplet: radius = bigR; break;
        default: radius = step / 2.0; break;
        }
        const int rad = std::abs(roundHalfEven(radius));
        const std::int64_t along = step * k + step / 2;
        const int cx = int(wide ? left + along : left + halfW);
        const int cy = int(wide ? top + halfH : top + along);
        ShadedEllipse(bitmap, cx, cy, rad, rad, c1, c2);
    }
}

void RingKernel(Bitmap24& bitmap)
{
    if (bitmap.empty()) return;
    const Bitmap24 source = bitmap;
    const int w = source.width(), h = source.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum[3] = {0, 0, 0};
            for (int j = -2; j <= 2; ++j)
                for (int i = -2; i <= 2; ++i) {
                    if (std::abs(i) != 2 && std::abs(j) != 2) continue;
                    const std::uint8_t* p = source.pixelPtr(std::clamp(x + i, 0, w - 1), std::clamp(y + j, 0, h - 1));
                    for (int c = 0; c < 3; ++c) sum[c] += p[c];
                }
            std::uint8_t* out = bitmap.pixelPtr(x, y);
            for (int c = 0; c < 3; ++c) out[c] = std::uint8_t(ClampByte(sum[c] / 16));
        }
}

bool InterpolateRect(Bitmap24& bitmap, int x1, int y1, int x2, int y2)
{
    const int l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    if (l < 0 || t < 0 || r >= bitmap.width() || b >= bitmap.height()) return false;
    constexpr std::int64_t one = std::int64_t(1) << 20;
    const Bgr c00 = bitmap.pixel(l, t), c10 = bitmap.pixel(r, t), c01 = bitmap.pixel(l, b), c11 = bitmap.pixel(r, b);
    for (int y = t; y <= b; ++y) {
        const std::int64_t fy = b > t ? (std::int64_t(y - t) << 20) / (b - t) : 0;
        for (int x = l; x <= r; ++x) {
            const std::int64_t fx = r > l ? (std::int64_t(x - l) << 20) / (r - l) : 0;
            auto mix = [&](int a00, int a10, int a01, int a11) {
                const std::int64_t upper = a00 * (one - fx) + a10 * fx;
                const std::int64_t lower = a01 * (one - fx) + a11 * fx;
                return std::uint8_t((upper * (one - fy) + lower * fy) >> 40);
            };
            bitmap.setPixel(x, y, Bgr{mix(c00.b, c10.b, c01.b, c11.b), mix(c00.g, c10.g, c01.g, c11.g),
                                      mix(c00.r, c10.r, c01.r, c11.r)});
        }
    }
    return true;
}

void InterpolateColumns(Bitmap24& bitmap, int x1, int y1, int x2, int y2)
{
    if (bitmap.empty()) return;
    const int l = std::clamp(std::min(x1, x2), 0, bitmap.width() - 1), r = std::clamp(std::max(x1, x2), 0, bitmap.width() - 1);
    const int t = std::clamp(std::min(y1, y2), 0, bitmap.height() - 1), b = std::clamp(std::max(y1, y2), 0, bitmap.height() - 1);
    const Bgr first = bitmap.pixel(l, t), second = bitmap.pixel(r, b);
    for (int y = t; y <= b; ++y) GradientLine(bitmap, y, l, r, first, second, false);
}

TextureCells TextureCellSize(int pictureWidth, int pictureHeight, int dragWidth, int dragHeight)
{
    const long long w = std::max(0, pictureWidth), h = std::max(0, pictureHeight);
    const long long cw = std::max(1, dragWidth), ch = std::max(1, dragHeight);
    auto count = [&](long long f) { return ((w + cw * f - 1) / (cw * f)) * ((h + ch * f - 1) / (ch * f)); };
    long long factor = 1;
    if (count(1) > kMaxTextureCells) {
        factor = std::max<long long>(1, static_cast<long long>(std::sqrt(double(count(1)) / double(kMaxTextureCells))));
        while (count(factor) > kMaxTextureCells) ++factor;
    }
    // A factor never makes a cell larger than the picture needs (one cell covers it).
    TextureCells cells;
    cells.width = int(std::min(cw * factor, std::max(cw, w)));
    cells.height = int(std::min(ch * factor, std::max(ch, h)));
    cells.count = ((w + cells.width - 1) / cells.width) * ((h + cells.height - 1) / cells.height);
    return cells;
}

ColorRef TextureLighter(ColorRef pen)
{
    const int r = redOf(pen), g = greenOf(pen), b = blueOf(pen);
    const int grey = (r + g + b) / 3;
    auto ch = [&](int v) { return 36 * v / 100 + (100 - 36) * ((v + grey + 510) / 4) / 100; };
    return rgbColor(ch(r), ch(g), ch(b));
}

ColorRef TextureDarker(ColorRef pen)
{
    auto ch = [](int v) { return 52 * v / 100 + (100 - 52) * (v * 82 / 100) / 100; };
    return rgbColor(ch(redOf(pen)), ch(greenOf(pen)), ch(blueOf(pen)));
}

Bgr MixColors(Bgr a, Bgr b)
{
    return Bgr{std::uint8_t((a.b + b.b) / 2), std::uint8_t((a.g + b.g) / 2), std::uint8_t((a.r + b.r) / 2)};
}

} // namespace effects
