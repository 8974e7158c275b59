// Blur, mosaic and texture effects. Each works in place on one bitmap, reading the present
// contents (pixels it has already changed) where its rule says so.
#include "effects/arith.h"
#include "effects/paintfx.h"
#include "effects/random.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace effects {

using detail::fastRound;

namespace {

// The neighbour index of the four-point blur along one axis: i - a when that is at least 0, else
// i (the "before" side); i + a when below n, else n - i (the "after" side); both clamped into
// 0 .. n - 1 (n - i is n at i = 0 when a reaches n).
int beforeIndex(int i, int a, int n)
{
    std::int64_t v = std::int64_t(i) - a;
    if (v < 0) v = i;
    return int(std::clamp<std::int64_t>(v, 0, n - 1));
}

int afterIndex(int i, int a, int n)
{
    std::int64_t v = std::int64_t(i) + a;
    if (v >= n) v = std::int64_t(n) - i;
    return int(std::clamp<std::int64_t>(v, 0, n - 1));
}

} // namespace

void TvelPaintFX::SplitBlur(Bitmap24& bitmap, int a)
{
    if (a == 0 || bitmap.empty()) return;
    const int w = bitmap.width(), h = bitmap.height();
    std::vector<int> colL(static_cast<std::size_t>(w)), colR(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) {
        colL[std::size_t(x)] = beforeIndex(x, a, w);
        colR[std::size_t(x)] = afterIndex(x, a, w);
    }
    // Columns whose neighbours are x - a and x + a: the plain middle of a row.
    int midLo = w, midHi = w;
    if (a > 0 && std::int64_t(a) * 2 < w) {
        midLo = a;
        midHi = w - a;
    }

    for (int y = 0; y < h; ++y) {
        const int U = beforeIndex(y, a, h), D = afterIndex(y, a, h);
        std::uint8_t* row = bitmap.row(y);
        const std::uint8_t* up = bitmap.row(U);
        const std::uint8_t* down = bitmap.row(D);
        auto pixelAt = [&](int x) {
            const std::size_t l = std::size_t(colL[std::size_t(x)]) * 3, r = std::size_t(colR[std::size_t(x)]) * 3;
            std::uint8_t* p = row + std::size_t(x) * 3;
            for (int k = 0; k < 3; ++k)
                p[k] = std::uint8_t((up[l + k] + down[l + k] + up[r + k] + down[r + k]) >> 2);
        };
        if (U == y || D == y) {
            // The row reads itself: pixel by pixel in order, each read seeing the pixels already
            // written to its left.
            for (int x = 0; x < w; ++x) pixelAt(x);
            continue;
        }
        // The row reads only other rows, which do not change while it is written.
        for (int x = 0; x < std::min(midLo, w); ++x) pixelAt(x);
        if (midLo < midHi) {
            const std::size_t off = std::size_t(a) * 3;
            const std::uint8_t* ul = up - off;
            const std::uint8_t* dl = down - off;
            const std::uint8_t* ur = up + off;
            const std::uint8_t* dr = down + off;
            for (std::size_t i = std::size_t(midLo) * 3, end = std::size_t(midHi) * 3; i < end; ++i)
                row[i] = std::uint8_t((ul[i] + dl[i] + ur[i] + dr[i]) >> 2);
        }
        for (int x = std::max(midHi, midLo); x < w; ++x) pixelAt(x);
    }
}

void TvelPaintFX::GaussianBlur(Bitmap24& bitmap, int passes)
{
    for (int i = 0; i <= passes; ++i) SplitBlur(bitmap, 3);
}

void TvelPaintFX::Mosaic(Bitmap24& bitmap, int s)
{
    if (s < 1 || bitmap.empty()) return;
    const int w = bitmap.width(), h = bitmap.height();
    for (int top = 0; top < h; top = int(std::min<std::int64_t>(std::int64_t(top) + s, h))) {
        std::uint8_t* t = bitmap.row(top);
        for (int left = 0; left < w; left = int(std::min<std::int64_t>(std::int64_t(left) + s, w))) {
            const int right = int(std::min<std::int64_t>(std::int64_t(left) + s, w));
            const std::uint8_t* c = t + std::size_t(left) * 3;
            for (int x = left + 1; x < right; ++x) std::memcpy(t + std::size_t(x) * 3, c, 3);
        }
        const int bottom = int(std::min<std::int64_t>(std::int64_t(top) + s, h));
        for (int y = top + 1; y < bottom; ++y) std::memcpy(bitmap.row(y), t, bitmap.stride());
    }
}

void TvelPaintFX::Seamless(Bitmap24& bitmap, int a)
{
    if (a == 0 || bitmap.empty()) return;
    const int w = bitmap.width(), h = bitmap.height();
    const int b = h / a, c = w / a;
    // Row 0 := row H - 1.
    if (h > 1) std::memcpy(bitmap.row(0), bitmap.row(h - 1), bitmap.stride());
    // Rows 1 .. b - 1 run from row 0 to row b (row b is read inside the bitmap: with a divisor of
    // 1, b is the height itself).
    if (b >= 2) {
        const std::uint8_t* r0 = bitmap.row(0);
        const std::uint8_t* rb = bitmap.row(std::min(b, h - 1));
        for (int hh = 1; hh <= b - 1; ++hh) {
            std::uint8_t* d = bitmap.row(hh);
            for (std::size_t i = 0; i < bitmap.stride(); ++i) {
                const double v0 = r0[i], vb = rb[i];
                d[i] = std::uint8_t(fastRound(v0 + (vb - v0) / b * hh));
            }
        }
    }
    // Every row: pixel W - 1 := pixel 0; pixels W - 2 .. W - c run from it to pixel W - c.
    if (c >= 1) {
        for (int y = 0; y < h; ++y) {
            std::uint8_t* row = bitmap.row(y);
            std::uint8_t* last = row + std::size_t(w - 1) * 3;
            std::memmove(last, row, 3);
            const std::uint8_t p[3] = {last[0], last[1], last[2]};
            const std::uint8_t* qp = row + std::size_t(w - c) * 3;
            const std::uint8_t q[3] = {qp[0], qp[1], qp[2]};
            for (int m = 1; m <= c - 1; ++m) {
                std::uint8_t* d = row + std::size_t(w - 1 - m) * 3;
                for (int k = 0; k < 3; ++k) d[k] = std::uint8_t(fastRound(p[k] + m * double(q[k] - p[k]) / c));
            }
        }
    }
}

void TvelPaintFX::Triangles(Bitmap24& bitmap, int a)
{
    if (bitmap.empty()) return;
    if (a < 5) a = 5;
    a = (a / 2) * 2 + 1;
    const int h = a / 2;
    const int w = bitmap.width();
    for (int i = 0; i < bitmap.height(); ++i) {
        int f = i % (a - 1);
        if (f > h) f = 2 * h - f;
        if (f == 0) f = a;
        const int e = std::abs(h - i % a) + h;
        std::uint8_t* row = bitmap.row(i);
        std::uint8_t held[3] = {row[0], row[1], row[2]};
        for (int g = 0; g < w; ++g) {
            std::uint8_t* p = row + std::size_t(g) * 3;
            if (g % f == 0 || g % e == 1) std::memcpy(held, p, 3);
            std::memcpy(p, held, 3);
        }
    }
}

namespace {

// The ripples: rows from H - b - 1 up to 0, each pixel (e, n) copied to (e, n + d); the offset d
// is a byte, 0 at the first column of a row and `next(d)` after each column.
template <typename Next>
void ripple(Bitmap24& bitmap, int b, Next next)
{
    const int w = bitmap.width();
    for (int n = bitmap.height() - b - 1; n >= 0; --n) {
        std::uint8_t d = 0;
        for (int e = 0; e < w; ++e) {
            if (d != 0) std::memcpy(bitmap.pixelPtr(e, n + d), bitmap.pixelPtr(e, n), 3);
            d = next(d);
        }
    }
}

int rippleDepth(const Bitmap24& bitmap, int a) { return std::max(0, std::min(bitmap.height() / 2, a)); }

} // namespace

void TvelPaintFX::RippleTooth(Bitmap24& bitmap, int a)
{
    if (bitmap.empty()) return;
    const int b = rippleDepth(bitmap, a);
    ripple(bitmap, b, [b](std::uint8_t d) { return d + 1 > b ? std::uint8_t(0) : std::uint8_t(d + 1); });
}

void TvelPaintFX::RippleRandom(Bitmap24& bitmap, int a)
{
    if (bitmap.empty()) return;
    Randomize();
    const int b = rippleDepth(bitmap, a);
    ripple(bitmap, b, [b](std::uint8_t) { return std::uint8_t(Random(std::uint32_t(b))); });
}

namespace {

void texture(Bitmap24& bitmap, int a, bool overlap)
{
    if (bitmap.empty()) return;
    const int w = bitmap.width(), h = bitmap.height();
    int c = std::min(w / 2, a);
    c = std::min(h / 2, c);
    if (c < 1) return;
    Bitmap24 tile(c, c);
    StretchDraw(bitmap, tile, Rect{0, 0, c, c});
    const int step = overlap ? fastRound(2.0 * c / 3.0) : c;
    for (int y = 0; y < h; y += step)
        for (int x = 0; x < w; x += step) Draw(tile, bitmap, x, y);
}

} // namespace

void TvelPaintFX::TileTexture(Bitmap24& bitmap, int a) { texture(bitmap, a, false); }
void TvelPaintFX::OverlapTexture(Bitmap24& bitmap, int a) { texture(bitmap, a, true); }

void TvelPaintFX::MapEffect(Bitmap24& bitmap, int a)
{
    if (bitmap.empty()) return;
    const Bitmap24 work = bitmap;
    int shift[766];  // k for each channel sum
    for (int s = 0; s < 766; ++s) shift[s] = fastRound(double(s) / 3.0 / 255.0 * a);
    const int w = bitmap.width(), h = bitmap.height();
    for (int i = 0; i < h; ++i) {
        const std::uint8_t* src = work.row(i);
        for (int c = 0; c < w; ++c, src += 3) {
            const std::int64_t target = std::int64_t(i) - shift[src[0] + src[1] + src[2]];
            if (target >= 0 && target < h) std::memcpy(bitmap.pixelPtr(c, int(target)), src, 3);
        }
    }
}

} // namespace effects
