// Geometric distortions and displacement. Most routines take a source and a destination; the
// drawing control passes the same bitmap for both, so every read below is of the present
// contents: with one bitmap, later pixels see the pixels already written.
//
// Every real coordinate is compared in floating point before it becomes an integer, and becomes
// one through a checked 64-bit step: no argument leads to undefined behaviour or to a read or
// write outside a bitmap.
#include "effects/arith.h"
#include "effects/paintfx.h"
#include "effects/rowpipeline.h"

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

// Bilinear sampling with wrap-around (FishEye and Twist) of the source at a real point: tap()
// gives a destination pixel's four source pixels and weights (arithmetic only, no pixel is read),
// apply() reads them and writes the pixel.
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
};

// The rows of a distortion, worked out ahead (detail::RunRowPipeline). A worker first takes the
// row's arithmetic: an `Item` (where to read, with what weights) for each pixel the routine
// samples. Then, in place, a pixel whose source pixels each lie either at or after it in
// row-major order (not written yet) or in a row already finished (written for good) reads what
// the one-thread run reads: the worker works it out ahead into `values`. The others read pixels
// of the rows in flight and wait in `pending`, in order, for the finish on the calling thread.
// With separate bitmaps every pixel is worked out ahead, into the destination.
template <typename Item>
struct AheadRow {
    std::vector<Item> items;           // the sampled pixels, left to right
    std::vector<int> xs;               // the column of each
    std::vector<std::uint8_t> values;  // 3 x width: the pixels worked out ahead, in place
    std::vector<int> pending;          // indices in items

    explicit AheadRow(int width) : values(std::size_t(width) * 3)
    {
        items.reserve(std::size_t(width));
        xs.reserve(std::size_t(width));
        pending.reserve(std::size_t(width));
    }
    void clear()
    {
        items.clear();
        xs.clear();
        pending.clear();
    }
    void add(int x, const Item& item)
    {
        xs.push_back(x);
        items.push_back(item);
    }
};

// The rows in flight at once: a few rows a thread, and at most kAheadBytes of them (a very wide
// picture has fewer).
constexpr int kRowsAhead = 32;
constexpr std::size_t kAheadBytes = std::size_t(64) << 20;
// Source pixels are prefetched this many samples ahead.
constexpr std::size_t kPrefetchAhead = 12;

// How many rows of rowBytes each may be in flight for a picture of the given height.
int rowsInFlight(std::size_t rowBytes, int height)
{
    return int(std::clamp<std::size_t>(kAheadBytes / std::max<std::size_t>(rowBytes, 1), 1, std::size_t(std::min(height, kRowsAhead))));
}

template <typename Item>
std::vector<AheadRow<Item>> aheadRows(int width, int height)
{
    std::vector<AheadRow<Item>> rows;
    const int n = rowsInFlight(std::size_t(width) * (sizeof(Item) + 2 * sizeof(int) + 3), height);
    rows.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) rows.emplace_back(width);  // each with its own reserve (a copy has none)
    return rows;
}

// Whether a source pixel at byte offset p holds, while row y is worked out ahead, what it holds
// when the one-thread run reaches the pixel at offset q of row y: written for good (a row the
// pipeline has finished: those before y - kRowsAhead + 1, as no more rows are in flight) or not
// written yet (at or after q).
struct Settled {
    std::size_t finished;  // bytes of the rows finished

    Settled(int y, std::size_t stride) : finished(y >= kRowsAhead ? std::size_t(y - kRowsAhead + 1) * stride : 0) {}
    bool operator()(std::size_t p, std::size_t q) const { return p < finished || p >= q; }
};

// The worker's second step on row y of the destination: the samples that can be taken ahead, into
// `out` (the row's values in place, else the destination row); settled(item, q) tells whether
// the item's four source pixels are each Settled for the pixel at offset q.
template <typename Item, typename Apply, typename Prefetch, typename IsSettled>
void sampleAhead(AheadRow<Item>& row, int y, std::size_t stride, bool inPlace, std::uint8_t* out, Apply apply, Prefetch prefetch,
                 IsSettled settled)
{
    const Settled at(y, stride);
    const std::size_t rowOffset = std::size_t(y) * stride;
    const std::size_t n = row.items.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kPrefetchAhead < n) prefetch(row.items[i + kPrefetchAhead]);
        const std::size_t x = std::size_t(row.xs[i]);
        if (!inPlace || settled(row.items[i], at, rowOffset + x * 3))
            apply(row.items[i], out + x * 3);
        else
            row.pending.push_back(int(i));
    }
}

// Writes a row done ahead in place into `out`, strictly left to right: the runs of values worked
// out ahead, and each pending pixel by apply(item, pixel) in its place.
template <typename Item, typename Apply, typename Prefetch>
void finishRow(const AheadRow<Item>& row, int width, std::uint8_t* out, Apply apply, Prefetch prefetch)
{
    const std::size_t n = row.pending.size();
    const std::uint8_t* values = row.values.data();
    std::size_t from = 0;  // the next pixel to write
    for (std::size_t k = 0; k < n; ++k) {
        if (k + kPrefetchAhead < n) prefetch(row.items[std::size_t(row.pending[k + kPrefetchAhead])]);
        const std::size_t i = std::size_t(row.pending[k]);
        const std::size_t x = std::size_t(row.xs[i]);
        if (x > from) std::memcpy(out + from * 3, values + from * 3, (x - from) * 3);
        apply(row.items[i], out + x * 3);
        from = x + 1;
    }
    if (std::size_t(width) > from) std::memcpy(out + from * 3, values + from * 3, (std::size_t(width) - from) * 3);
}

// Every destination pixel, row by row and left to right, sampled at the source point that
// `polar(dx, dy, r, sx, sy)` gives for its offset (dx, dy) from the centre (cx, cy) and its
// distance r from it; the centre itself samples the centre. rowPolar(y) gives the polar function
// of row y, called for its pixels from the left; whatever it carries from pixel to pixel must
// start as the pixels before the row leave it.
template <typename RowPolar>
void radialMap(const Bitmap24& source, Bitmap24& dest, float cx, float cy, int threads, RowPolar rowPolar)
{
    using Tap = WrapSampler::Tap;
    const WrapSampler sampler(source);
    const int wd = dest.width(), hd = dest.height();
    const bool inPlace = source.bits() == dest.bits();
    std::vector<AheadRow<Tap>> rows = aheadRows<Tap>(wd, hd);
    auto apply = [&](const Tap& t, std::uint8_t* out) { sampler.apply(t, out); };
    auto prefetch = [&](const Tap& t) { sampler.prefetch(t); };
    detail::RunRowPipeline(
        hd, detail::ThreadsFor(threads), int(rows.size()),
        [&](int y, int slot) {
            AheadRow<Tap>& row = rows[std::size_t(slot)];
            row.clear();
            auto polar = rowPolar(y);
            const float dy = float(y) - cy;
            for (int x = 0; x < wd; ++x) {
                const float dx = float(x) - cx;
                const float r = std::sqrt(dx * dx + dy * dy);
                float sx = cx, sy = cy;
                if (r != 0.0f) polar(dx, dy, r, sx, sy);
                row.add(x, sampler.tap(sx, sy));
            }
            sampleAhead(row, y, dest.stride(), inPlace, inPlace ? row.values.data() : dest.row(y), apply, prefetch,
                        [](const Tap& t, const Settled& at, std::size_t q) {
                            return at(t.p00, q) && at(t.p01, q) && at(t.p10, q) && at(t.p11, q);
                        });
        },
        [&](int y, int slot) {
            if (inPlace) finishRow(rows[std::size_t(slot)], wd, dest.row(y), apply, prefetch);
        });
}

// FishEye's m, kept from pixel to pixel: set anew at a pixel at distance r (not 0) unless r is
// the focal length f or the ratio comes out 0. True when it was set.
bool fishStep(float f, float r, float& m)
{
    if (f != 0.0f && r != f) {
        const float ratio = 1.0f / (1.0f - r / f) - 1.0f;
        if (ratio != 0.0f) {
            m = ratio * f / 2.0f;
            return true;
        }
    }
    return false;
}

} // namespace

void TvelPaintFX::FishEye(const Bitmap24& source, Bitmap24& dest, double amount, int threads)
{
    if (source.empty() || dest.empty()) return;
    const float cx = float(source.width()) / 2.0f, cy = float(source.height()) / 2.0f;
    const float f = float(amount * dest.width());
    // m as each row starts: as the last pixel that set it left it (0 before any). Found from the
    // right of each row before, usually at its last pixel.
    const int wd = dest.width(), hd = dest.height();
    std::vector<float> rowStart(std::size_t(hd), 0.0f);
    float carried = 0.0f;
    for (int y = 0; y < hd && f != 0.0f; ++y) {
        rowStart[std::size_t(y)] = carried;
        const float dy = float(y) - cy;
        for (int x = wd - 1; x >= 0; --x) {
            const float dx = float(x) - cx;
            const float r = std::sqrt(dx * dx + dy * dy);
            if (r != 0.0f && fishStep(f, r, carried)) break;
        }
    }
    radialMap(source, dest, cx, cy, threads, [&](int y) {
        return [f, cx, cy, m = rowStart[std::size_t(y)]](float dx, float dy, float r, float& sx, float& sy) mutable {
            fishStep(f, r, m);
            sx = dx * m / r + cx;
            sy = dy * m / r + cy;
        };
    });
}

void TvelPaintFX::Twist(const Bitmap24& source, Bitmap24& dest, int amount, int threads)
{
    if (amount == 0 || source.empty() || dest.empty()) return;
    const float cx = float(source.width() - 1) / 2.0f, cy = float(source.height() - 1) / 2.0f;
    const float a = float(amount);
    radialMap(source, dest, cx, cy, threads, [&](int) {
        return [a, cx, cy](float dx, float dy, float r, float& sx, float& sy) {
            const float w = ArcTan2(dx, dy) - r / a + kPiF / 2.0f;
            sx = r * std::cos(w) + cx;
            sy = r * std::sin(w) + cy;
        };
    });
}

namespace {

// Rotate's bilinear sample: pCE, pC2E (the pixel to its right), pCE2 (below), pC2E2 at the
// fractions fx and fy. All four are read before `d` is written: `d` may be one of them.
inline void rotateSample(const std::uint8_t* pCE, const std::uint8_t* pC2E, const std::uint8_t* pCE2,
                         const std::uint8_t* pC2E2, double fx, double fy, std::uint8_t* d)
{
    int out[3];
    for (int k = 0; k < 3; ++k) {
        const double top = fx * (pC2E[k] - pCE[k]) + pCE[k];
        const double bottom = fx * (pC2E2[k] - pCE2[k]) + pCE2[k];
        out[k] = ClampByte(fastRound(top + fy * (bottom - top)));
    }
    d[0] = std::uint8_t(out[0]);
    d[1] = std::uint8_t(out[1]);
    d[2] = std::uint8_t(out[2]);
}

struct RotateTap {
    std::size_t pCE, pC2E, pCE2, pC2E2;  // byte offsets in the source
    double fx, fy;
};

} // namespace

void TvelPaintFX::Rotate(const Bitmap24& source, Bitmap24& dest, int x0, int y0, double angle, int threads)
{
    if (source.empty() || dest.empty()) return;
    const int ws = source.width(), hs = source.height();
    const int wd = dest.width(), hd = dest.height();
    const double e = -angle * kPi / 180.0;
    const double s = std::sin(e), c = std::cos(e);
    const int gx = (wd - ws) / 2, gy = (hd - hs) / 2;
    const bool inPlace = source.bits() == dest.bits();
    const std::uint8_t* const base = source.bits();
    std::vector<AheadRow<RotateTap>> rows = aheadRows<RotateTap>(wd, hd);
    auto apply = [&](const RotateTap& t, std::uint8_t* d) {
        rotateSample(base + t.pCE, base + t.pC2E, base + t.pCE2, base + t.pC2E2, t.fx, t.fy, d);
    };
    auto prefetch = [&](const RotateTap& t) {
        __builtin_prefetch(base + t.pCE);
        __builtin_prefetch(base + t.pCE2);
    };
    detail::RunRowPipeline(
        hd, detail::ThreadsFor(threads), int(rows.size()),
        [&](int i, int slot) {
            AheadRow<RotateTap>& row = rows[std::size_t(slot)];
            row.clear();
            std::uint8_t* const out = inPlace ? row.values.data() : dest.row(i);
            const std::size_t q0 = std::size_t(i) * dest.stride();
            const std::size_t stride = source.stride();
            const double v = 2.0 * i - 2.0 * y0 + 1.0;
            for (int j = 0; j < wd; ++j) {
                const double u = 2.0 * j - 2.0 * x0 + 1.0;
                const double X = (c * u - s * v - 1.0) / 2.0 + x0 - gx;
                const double Y = (s * u + c * v - 1.0) / 2.0 + y0 - gy;
                bool inside = X >= -1.0 && X < ws + 1.0 && Y >= -1.0 && Y < hs + 1.0;
                const int C = inside ? fastRound(X) : 0;
                inside = inside && C >= 0 && C < ws;
                const int E = inside ? fastRound(Y) : 0;
                inside = inside && E >= 0 && E < hs;
                if (!inside) {
                    // Left as it is: in place, its present value is the one to keep.
                    if (inPlace) std::memcpy(out + std::size_t(j) * 3, base + q0 + std::size_t(j) * 3, 3);
                    continue;
                }
                const int E2 = ClampInt(E + 1, 0, hs - 1), C2 = ClampInt(C + 1, 0, ws - 1);
                row.add(j, RotateTap{std::size_t(E) * stride + std::size_t(C) * 3, std::size_t(E) * stride + std::size_t(C2) * 3,
                                     std::size_t(E2) * stride + std::size_t(C) * 3,
                                     std::size_t(E2) * stride + std::size_t(C2) * 3, X - C, Y - E});
            }
            sampleAhead(row, i, dest.stride(), inPlace, out, apply, prefetch, [](const RotateTap& t, const Settled& at, std::size_t q) {
                return at(t.pCE, q) && at(t.pC2E, q) && at(t.pCE2, q) && at(t.pC2E2, q);
            });
        },
        [&](int i, int slot) {
            if (inPlace) finishRow(rows[std::size_t(slot)], wd, dest.row(i), apply, prefetch);
        });
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

void wings(const Bitmap24& source, Bitmap24& dest, double x, int a, WingsKind kind, int threads)
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

    // Row k's arithmetic (worked out ahead): for each pixel n, the byte offset in the destination
    // it is written to, or -1 when it is not. The copies themselves are made on the calling thread
    // in the order of the one-thread loop: in place, a source pixel may be one written before.
    const bool reverse = kind == WingsKind::Touche;
    const std::size_t dstride = dest.stride(), sstride = source.stride();
    const int slots = rowsInFlight(std::size_t(w) * sizeof(std::int64_t), h);
    auto targets = std::vector<std::vector<std::int64_t>>(std::size_t(slots), std::vector<std::int64_t>(std::size_t(w)));
    std::uint8_t* const out = dest.bits();
    const std::uint8_t* const in = source.bits();
    detail::RunRowPipeline(
        h, detail::ThreadsFor(threads), slots,
        [&](int k, int slot) {
            std::int64_t* const to = targets[std::size_t(slot)].data();
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
                to[n] = -1;
                const int row = target(rowExpr, h);
                if (row < 0) continue;
                const int col = target(colExpr, w);
                if (col < 0) continue;
                to[n] = std::int64_t(std::size_t(row) * dstride + std::size_t(col) * 3);
            }
        },
        [&](int k, int slot) {
            const std::int64_t* const to = targets[std::size_t(slot)].data();
            const int i = reverse ? h - 1 - k : k;
            const std::uint8_t* const from = in + std::size_t(i) * sstride;
            for (int n = 0; n < w; ++n) {
                if (to[n] < 0) continue;
                const int d = reverse ? w - 1 - n : n;
                // The source pixel as it is now: with one bitmap, possibly one already written.
                std::memmove(out + to[n], from + std::size_t(d) * 3, 3);
            }
        });
}

} // namespace

void TvelPaintFX::WingsDeep(const Bitmap24& s, Bitmap24& d, double x, int a, int t) { wings(s, d, x, a, WingsKind::Deep, t); }
void TvelPaintFX::WingsDown(const Bitmap24& s, Bitmap24& d, double x, int a, int t) { wings(s, d, x, a, WingsKind::Down, t); }
void TvelPaintFX::WingsUp(const Bitmap24& s, Bitmap24& d, double x, int a, int t) { wings(s, d, x, a, WingsKind::Up, t); }
void TvelPaintFX::WingsFold(const Bitmap24& s, Bitmap24& d, double x, int a, int t) { wings(s, d, x, a, WingsKind::Fold, t); }
void TvelPaintFX::WingsTouche(const Bitmap24& s, Bitmap24& d, double x, int a, int t) { wings(s, d, x, a, WingsKind::Touche, t); }
void TvelPaintFX::WingsFlyer(const Bitmap24& s, Bitmap24& d, double x, int a, int t) { wings(s, d, x, a, WingsKind::Flyer, t); }
void TvelPaintFX::WingsFlipover(const Bitmap24& s, Bitmap24& d, double x, int a, int t) { wings(s, d, x, a, WingsKind::Flipover, t); }
void TvelPaintFX::WingsWavy(const Bitmap24& s, Bitmap24& d, double x, int a, int t) { wings(s, d, x, a, WingsKind::Wavy, t); }

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
