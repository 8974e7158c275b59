#include "sdk/operations.h"

#include "platform/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>

namespace sdk {

namespace {

constexpr int kShift = 14;
constexpr int kOne = 1 << kShift;

// A fixed-point sum with kShift fraction bits to the nearest integer, halves to even, 0..255.
inline std::uint8_t roundFixed(std::int64_t sum)
{
    std::int64_t v = sum >> kShift; // floor, also for negative sums
    const std::int64_t rest = sum & (kOne - 1);
    if (rest > kOne / 2 || (rest == kOne / 2 && (v & 1))) ++v;
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
}

// The source taps and weights of one output position along one axis.
struct Taps {
    int first = 0;
    std::vector<int> weights; // sum kOne
};

double cubic(double x)
{
    // Catmull-Rom (a = -0.5).
    x = std::fabs(x);
    if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
    if (x < 2.0) return ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0;
    return 0.0;
}

std::vector<Taps> buildTaps(int src, int dst, int flags)
{
    std::vector<Taps> out(static_cast<std::size_t>(dst));
    const double scale = static_cast<double>(src) / dst;
    for (int i = 0; i < dst; ++i) {
        std::vector<std::pair<int, double>> w;
        const double center = (i + 0.5) * scale;
        if (flags == sizeNearest) {
            w.push_back({std::clamp(static_cast<int>(std::floor(center)), 0, src - 1), 1.0});
        } else if (flags == sizeBilinear || (flags == sizeFiltered && dst >= src && src == 1)) {
            const double c = center - 0.5;
            const int x0 = static_cast<int>(std::floor(c));
            const double f = c - x0;
            w.push_back({x0, 1.0 - f});
            w.push_back({x0 + 1, f});
        } else if (dst < src) {
            // Area average: each source pixel counts with the part of it that the output covers.
            const double from = i * scale, to = (i + 1) * scale;
            for (int s = static_cast<int>(std::floor(from)); s < static_cast<int>(std::ceil(to)); ++s) {
                const double overlap = std::min(to, s + 1.0) - std::max(from, static_cast<double>(s));
                if (overlap > 0) w.push_back({s, overlap});
            }
        } else {
            const double c = center - 0.5;
            const int x0 = static_cast<int>(std::floor(c));
            for (int s = x0 - 1; s <= x0 + 2; ++s) w.push_back({s, cubic(c - s)});
        }
        // Clamp taps into the picture (edge pixels repeat) and merge equal taps.
        int lo = src, hi = -1;
        for (auto& [s, _] : w) { s = std::clamp(s, 0, src - 1); lo = std::min(lo, s); hi = std::max(hi, s); }
        std::vector<double> merged(static_cast<std::size_t>(hi - lo + 1), 0.0);
        double total = 0.0;
        for (auto& [s, v] : w) { merged[static_cast<std::size_t>(s - lo)] += v; total += v; }
        Taps& t = out[static_cast<std::size_t>(i)];
        t.first = lo;
        t.weights.resize(merged.size());
        int sum = 0;
        std::size_t biggest = 0;
        for (std::size_t k = 0; k < merged.size(); ++k) {
            t.weights[k] = platform::roundHalfEven(merged[k] / total * kOne);
            sum += t.weights[k];
            if (t.weights[k] > t.weights[biggest]) biggest = k;
        }
        t.weights[biggest] += kOne - sum;
    }
    return out;
}

// One row of the horizontal pass: d gets taps.size() pixels from the row s.
void resampleRow(const std::uint8_t* s, std::uint8_t* d, const std::vector<Taps>& taps, int bpp)
{
    for (std::size_t x = 0; x < taps.size(); ++x) {
        const Taps& t = taps[x];
        // Weights sum to kOne (each at most 2 kOne in size), so 32 bits hold every sum.
        std::int32_t sum[4] = {0, 0, 0, 0};
        const std::uint8_t* p = s + static_cast<std::size_t>(t.first) * bpp;
        for (int w : t.weights) {
            for (int c = 0; c < bpp; ++c) sum[c] += w * p[c];
            p += bpp;
        }
        for (int c = 0; c < bpp; ++c) d[x * bpp + c] = roundFixed(sum[c]);
    }
}

// Working rows of the vertical pass: the running sums and the byte sums of rows of one weight.
struct ColumnSums {
    explicit ColumnSums(std::size_t n) : acc(n), bytes(n) {}
    std::vector<std::int32_t> acc;
    std::vector<std::uint16_t> bytes;
};

// One row of the vertical pass: the row's bytes of d from the rows t names (row(k) gives source
// row k). The sum is exact in integers, so rows of equal weight (the whole pixels inside an
// area) are first added bytewise and then weighted once; 257 rows of bytes fit 16 bits, and a
// weight (at most 2 kOne) times such a sum fits 32.
template <typename RowAt>
void resampleColumn(RowAt row, const Taps& t, std::uint8_t* d, ColumnSums& work)
{
    std::int32_t* acc = work.acc.data();
    std::uint16_t* bytes = work.bytes.data();
    const std::size_t n = work.acc.size();
    std::fill(acc, acc + n, 0);
    const std::size_t taps = t.weights.size();
    for (std::size_t k = 0; k < taps;) {
        const std::int32_t w = t.weights[k];
        std::size_t end = k + 1;
        while (end < taps && t.weights[end] == w && end - k < 257) ++end;
        const std::uint8_t* s = row(t.first + static_cast<int>(k));
        if (end == k + 1) {
            for (std::size_t i = 0; i < n; ++i) acc[i] += w * s[i];
        } else {
            for (std::size_t i = 0; i < n; ++i) bytes[i] = s[i];
            for (std::size_t j = k + 1; j < end; ++j) {
                s = row(t.first + static_cast<int>(j));
                for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint16_t>(bytes[i] + s[i]);
            }
            for (std::size_t i = 0; i < n; ++i) acc[i] += w * bytes[i];
        }
        k = end;
    }
    for (std::size_t i = 0; i < n; ++i) d[i] = roundFixed(acc[i]);
}

// One resampling pass along x (horizontal) from src into dst, which has src's height.
void resampleRows(const SdkBitmapHandle& src, SdkBitmapHandle& dst, const std::vector<Taps>& taps, int bpp,
                  StatusReporter& status, std::int64_t base)
{
    for (int y = 0; y < dst.Height; ++y) {
        resampleRow(src.row(y), dst.row(y), taps, bpp);
        if ((y & 63) == 0 && !status.update(base + y)) return;
    }
}

// One resampling pass along y (vertical) from src into dst, which has src's width.
void resampleColumns(const SdkBitmapHandle& src, SdkBitmapHandle& dst, const std::vector<Taps>& taps, int bpp,
                     StatusReporter& status, std::int64_t base)
{
    ColumnSums work(static_cast<std::size_t>(dst.Width) * bpp);
    for (int y = 0; y < dst.Height; ++y) {
        resampleColumn([&](int k) { return src.row(k); }, taps[static_cast<std::size_t>(y)], dst.row(y), work);
        if ((y & 15) == 0 && !status.update(base + y)) return;
    }
}

// Whether the horizontal pass goes first: the cheaper order. The vertical pass runs over whole
// rows and costs about a quarter of the horizontal one per tap and sample.
bool horizontalFirst(int srcHeight, int srcWidth, const std::vector<Taps>& tapsX, const std::vector<Taps>& tapsY)
{
    auto averageTaps = [](const std::vector<Taps>& taps) {
        std::int64_t n = 0;
        for (const Taps& t : taps) n += static_cast<std::int64_t>(t.weights.size());
        return static_cast<double>(n) / static_cast<double>(taps.size());
    };
    const double tx = averageTaps(tapsX), ty = averageTaps(tapsY);
    const double width = static_cast<double>(tapsX.size()), height = static_cast<double>(tapsY.size());
    const double rowsCost = 4.0 * srcHeight * width * tx + height * width * ty;
    const double columnsCost = height * srcWidth * ty + 4.0 * height * width * tx;
    return rowsCost <= columnsCost;
}

int allocateLike(SdkBitmapHandle& out, const SdkBitmapHandle& like, int width, int height)
{
    const int r = allocateUninitialised(out, width, height, like.BitsPerPixel);
    if (r != PX_SUCCESS) return r;
    out.Palette = like.Palette;
    out.XResolution = like.XResolution;
    out.YResolution = like.YResolution;
    out.Flags = like.Flags | bfAllocated;
    out.TransparentColor = like.TransparentColor;
    out.BackgroundColor = like.BackgroundColor;
    out.Delay = like.Delay;
    return PX_SUCCESS;
}

template <int Bpp>
inline void copyPixel(std::uint8_t* d, const std::uint8_t* s)
{
    if constexpr (Bpp == 3) { d[0] = s[0]; d[1] = s[1]; d[2] = s[2]; }
    else if constexpr (Bpp == 4) std::memcpy(d, s, 4);
    else d[0] = s[0];
}

// Quarter turn clockwise (clockwise = true) or counter-clockwise, in tiles that stay in cache.
// Three-byte pixels move as four-byte words where the extra byte lands on the next pixel of the
// same row, which is written after it, and is read from inside the source.
template <int Bpp>
void quarterTurn(const SdkBitmapHandle& src, SdkBitmapHandle& dst, bool clockwise)
{
    constexpr int T = 64;
    const int W = src.Width, H = src.Height; // dst is H wide, W high
    const std::ptrdiff_t sl = src.BytesPerLine;
    const std::uint8_t* const srcEnd = src.bits() + src.byteCount();
    for (int ty = 0; ty < W; ty += T) {
        const int yEnd = std::min(W, ty + T);
        for (int tx = 0; tx < H; tx += T) {
            const int xEnd = std::min(H, tx + T);
            for (int y = ty; y < yEnd; ++y) {
                std::uint8_t* d = dst.row(y) + static_cast<std::size_t>(tx) * Bpp;
                // clockwise: dst(x, y) = src(y, H - 1 - x); else dst(x, y) = src(W - 1 - y, x)
                const std::uint8_t* s = clockwise ? src.row(H - 1 - tx) + static_cast<std::size_t>(y) * Bpp
                                                  : src.row(tx) + static_cast<std::size_t>(W - 1 - y) * Bpp;
                const std::ptrdiff_t step = clockwise ? -sl : sl;
                int x = tx;
                if constexpr (Bpp == 3) {
                    const int wordEnd = std::min(xEnd, H - 1); // the row's last pixel takes three bytes
                    for (; x < wordEnd; ++x, d += 3, s += step) {
                        if (s + 4 > srcEnd) break;
                        std::uint32_t v;
                        std::memcpy(&v, s, 4);
                        std::memcpy(d, &v, 4);
                    }
                }
                for (; x < xEnd; ++x, d += Bpp, s += step) copyPixel<Bpp>(d, s);
            }
        }
    }
}

template <int Bpp>
void halfTurn(const SdkBitmapHandle& src, SdkBitmapHandle& dst)
{
    const int W = src.Width, H = src.Height;
    for (int y = 0; y < H; ++y) {
        const std::uint8_t* s = src.row(H - 1 - y) + static_cast<std::size_t>(W - 1) * Bpp;
        std::uint8_t* d = dst.row(y);
        for (int x = 0; x < W; ++x, d += Bpp, s -= Bpp) copyPixel<Bpp>(d, s);
    }
}

void zeroPadding(SdkBitmapHandle& b)
{
    const std::size_t used = static_cast<std::size_t>(b.Width) * b.bytesPerPixel();
    const std::size_t pad = static_cast<std::size_t>(b.BytesPerLine) - used;
    if (pad == 0) return;
    for (int y = 0; y < b.Height; ++y) std::memset(b.row(y) + used, 0, pad);
}

int turnByQuarters(SdkBitmapHandle* bitmap, int quarters)
{
    const SdkBitmapHandle& src = *bitmap;
    const bool swap = quarters % 2 != 0;
    SdkBitmapHandle dst;
    const int r = allocateLike(dst, src, swap ? src.Height : src.Width, swap ? src.Width : src.Height);
    if (r != PX_SUCCESS) return r;
    if (swap) {
        std::swap(dst.XResolution, dst.YResolution);
        const bool cw = quarters == 1;
        switch (src.bytesPerPixel()) {
        case 1: quarterTurn<1>(src, dst, cw); break;
        case 3: quarterTurn<3>(src, dst, cw); break;
        default: quarterTurn<4>(src, dst, cw); break;
        }
    } else {
        switch (src.bytesPerPixel()) {
        case 1: halfTurn<1>(src, dst); break;
        case 3: halfTurn<3>(src, dst); break;
        default: halfTurn<4>(src, dst); break;
        }
    }
    zeroPadding(dst);
    *bitmap = std::move(dst);
    return PX_SUCCESS;
}

int turnFreely(SdkBitmapHandle* bitmap, double degrees, bool keepAll, std::int32_t fillColor)
{
    const SdkBitmapHandle& src = *bitmap;
    const double rad = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(rad), s = std::sin(rad);
    int w = src.Width, h = src.Height;
    if (keepAll) {
        w = std::max(1, platform::roundHalfEven(std::fabs(src.Width * c) + std::fabs(src.Height * s)));
        h = std::max(1, platform::roundHalfEven(std::fabs(src.Width * s) + std::fabs(src.Height * c)));
        if (!sizeAllowed(w, h, src.BitsPerPixel)) return PXERR_NOMEMORY;
    }
    SdkBitmapHandle dst;
    const int r = allocateLike(dst, src, w, h);
    if (r != PX_SUCCESS) return r;
    const int bpp = src.bytesPerPixel();
    std::uint8_t fill[4] = {0, 0, 0, 255};
    colorToBGR(fillColor, fill);
    if (bpp == 1) fill[0] = static_cast<std::uint8_t>((fill[0] * 29 + fill[1] * 150 + fill[2] * 77 + 128) >> 8);
    const double scx = src.Width / 2.0, scy = src.Height / 2.0;
    const double dcx = w / 2.0, dcy = h / 2.0;
    StatusReporter status(h);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* d = dst.row(y);
        for (int x = 0; x < w; ++x, d += bpp) {
            // Inverse of a clockwise turn on a screen whose y axis points down.
            const double dx = x + 0.5 - dcx, dy = y + 0.5 - dcy;
            const double sx = scx + dx * c + dy * s - 0.5;
            const double sy = scy - dx * s + dy * c - 0.5;
            const double fx0 = std::floor(sx), fy0 = std::floor(sy);
            if (fx0 < -1.0 || fy0 < -1.0 || fx0 >= src.Width || fy0 >= src.Height) {
                std::memcpy(d, fill, static_cast<std::size_t>(bpp));
                continue;
            }
            const int x0 = static_cast<int>(fx0), y0 = static_cast<int>(fy0);
            const double fx = sx - x0, fy = sy - y0;
            const double wt[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
            const int px[4] = {x0, x0 + 1, x0, x0 + 1};
            const int py[4] = {y0, y0, y0 + 1, y0 + 1};
            for (int ch = 0; ch < bpp; ++ch) {
                double v = 0.0;
                for (int k = 0; k < 4; ++k) {
                    const bool inside = px[k] >= 0 && py[k] >= 0 && px[k] < src.Width && py[k] < src.Height;
                    v += wt[k] * (inside ? src.row(py[k])[static_cast<std::size_t>(px[k]) * bpp + ch] : fill[ch]);
                }
                d[ch] = static_cast<std::uint8_t>(std::clamp(platform::roundHalfEven(v), 0, 255));
            }
        }
        if (!status.update(y + 1)) return PXERR_ABORTED;
    }
    zeroPadding(dst);
    *bitmap = std::move(dst);
    return PX_SUCCESS;
}

} // namespace

int PX_SizeBitmap(SdkBitmapHandle* bitmap, int width, int height, int flags)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (width <= 0 || height <= 0) return PXERR_BADSIZE;
    if (flags != sizeNearest && flags != sizeBilinear && flags != sizeFiltered) return PXERR_BADPARAM;
    if (!sizeAllowed(width, height, bitmap->BitsPerPixel)) return PXERR_NOMEMORY;
    const SdkBitmapHandle& src = *bitmap;
    const int bpp = src.bytesPerPixel();
    const std::vector<Taps> tapsX = buildTaps(src.Width, width, flags);
    const std::vector<Taps> tapsY = buildTaps(src.Height, height, flags);
    const bool rowsFirst = horizontalFirst(src.Height, src.Width, tapsX, tapsY);
    const std::int64_t firstRows = rowsFirst ? src.Height : height;
    StatusReporter status(firstRows + height);
    if (width == src.Width && height == src.Height) {
        if (!status.update(firstRows + height)) return PXERR_ABORTED;
        bitmap->Region = QRegion();
        return PX_SUCCESS;
    }
    SdkBitmapHandle mid;
    int r = rowsFirst ? allocateLike(mid, src, width, src.Height) : allocateLike(mid, src, src.Width, height);
    if (r != PX_SUCCESS) return r;
    if (rowsFirst) resampleRows(src, mid, tapsX, bpp, status, 0);
    else resampleColumns(src, mid, tapsY, bpp, status, 0);
    if (status.stopped()) return PXERR_ABORTED;
    SdkBitmapHandle dst;
    r = allocateLike(dst, src, width, height);
    if (r != PX_SUCCESS) return r;
    if (rowsFirst) resampleColumns(mid, dst, tapsY, bpp, status, firstRows);
    else resampleRows(mid, dst, tapsX, bpp, status, firstRows);
    if (status.stopped() || !status.update(firstRows + height)) return PXERR_ABORTED;
    zeroPadding(dst);
    *bitmap = std::move(dst);
    return PX_SUCCESS;
}

struct PxResampler::Plan {
    int sourceWidth = 0;
    std::vector<Taps> tapsX, tapsY;
    bool rowsFirst = false;
};

PxResampler::PxResampler(int sourceWidth, int sourceHeight, int width, int height, int flags)
{
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0) return;
    if (flags != sizeNearest && flags != sizeBilinear && flags != sizeFiltered) return;
    auto plan = std::make_unique<Plan>();
    plan->sourceWidth = sourceWidth;
    plan->tapsX = buildTaps(sourceWidth, width, flags);
    plan->tapsY = buildTaps(sourceHeight, height, flags);
    plan->rowsFirst = horizontalFirst(sourceHeight, sourceWidth, plan->tapsX, plan->tapsY);
    plan_ = std::move(plan);
}

PxResampler::~PxResampler() = default;

void PxResampler::Rows(const std::uint8_t* source, std::ptrdiff_t sourceLine, int bytesPerPixel, std::uint8_t* target,
                       std::ptrdiff_t targetLine, int top, int bottom) const
{
    if (!plan_ || top >= bottom) return;
    const Plan& p = *plan_;
    const int bpp = bytesPerPixel;
    auto sourceRow = [&](int k) { return source + k * sourceLine; };
    if (!p.rowsFirst) {
        // Each row of the result from one vertical row over the source, then across.
        std::vector<std::uint8_t> mid(static_cast<std::size_t>(p.sourceWidth) * bpp);
        ColumnSums work(mid.size());
        for (int y = top; y < bottom; ++y) {
            resampleColumn(sourceRow, p.tapsY[static_cast<std::size_t>(y)], mid.data(), work);
            resampleRow(mid.data(), target + (y - top) * targetLine, p.tapsX, bpp);
        }
        return;
    }
    // The source rows the band's taps reach, resampled across, then down.
    int lo = std::numeric_limits<int>::max(), hi = -1;
    for (int y = top; y < bottom; ++y) {
        const Taps& t = p.tapsY[static_cast<std::size_t>(y)];
        lo = std::min(lo, t.first);
        hi = std::max(hi, t.first + static_cast<int>(t.weights.size()) - 1);
    }
    const std::size_t line = p.tapsX.size() * static_cast<std::size_t>(bpp);
    std::vector<std::uint8_t> mid(line * static_cast<std::size_t>(hi - lo + 1));
    for (int k = lo; k <= hi; ++k) resampleRow(sourceRow(k), mid.data() + static_cast<std::size_t>(k - lo) * line, p.tapsX, bpp);
    ColumnSums work(line);
    auto midRow = [&](int k) { return mid.data() + static_cast<std::size_t>(k - lo) * line; };
    for (int y = top; y < bottom; ++y)
        resampleColumn(midRow, p.tapsY[static_cast<std::size_t>(y)], target + (y - top) * targetLine, work);
}

int PX_RotateBitmap(SdkBitmapHandle* bitmap, int angle, int flags, std::int32_t fillColor)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    int a = angle % 36000;
    if (a < 0) a += 36000;
    if (a == 0) return PX_SUCCESS;
    bitmap->Region = QRegion();
    if (a % 9000 == 0) {
        StatusReporter status(1);
        const int r = turnByQuarters(bitmap, a / 9000);
        if (r == PX_SUCCESS && !status.update(1)) {
            turnByQuarters(bitmap, 4 - a / 9000); // put it back as it was
            return PXERR_ABORTED;
        }
        return r;
    }
    return turnFreely(bitmap, a / 100.0, (flags & rotateKeepAll) != 0, fillColor);
}

int PX_RotateBitmapViewPerspective(SdkBitmapHandle* bitmap, int angle)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (angle % 9000 != 0) return PXERR_BADPARAM;
    return PX_RotateBitmap(bitmap, angle, rotateKeepAll, 0);
}

namespace {

bool quarterTurned(int perspective) { return perspective == 4 || perspective == 5 || perspective == 7 || perspective == 8; }

// Where stored pixel (x, y) of a w x h bitmap shows.
QPoint shownAt(int perspective, int x, int y, int w, int h)
{
    switch (perspective) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 6: return {x, h - 1 - y};
    case 4: return {h - 1 - y, x};
    case 8: return {y, w - 1 - x};
    case 5: return {y, x};
    case 7: return {h - 1 - y, w - 1 - x};
    default: return {x, y};
    }
}

} // namespace

int PX_ChangeBitmapViewPerspective(SdkBitmapHandle* bitmap, int perspective)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (perspective < 1 || perspective > 8) return PXERR_BADPARAM;
    const int from = bitmap->ViewPerspective >= 1 && bitmap->ViewPerspective <= 8 ? bitmap->ViewPerspective : 1;
    if (from == perspective) return PX_SUCCESS;
    const int W = bitmap->Width, H = bitmap->Height;
    // The picture as shown: W x H, or H x W when turned by a quarter.
    const int shownW = quarterTurned(from) ? H : W;
    const int shownH = quarterTurned(from) ? W : H;
    const int toW = quarterTurned(perspective) ? shownH : shownW;
    const int toH = quarterTurned(perspective) ? shownW : shownH;
    const int bpp = bitmap->bytesPerPixel();
    SdkBitmapHandle shown, out;
    int r = allocateLike(shown, *bitmap, shownW, shownH);
    if (r == PX_SUCCESS) r = allocateLike(out, *bitmap, toW, toH);
    if (r != PX_SUCCESS) return r;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QPoint at = shownAt(from, x, y, W, H);
            std::memcpy(shown.row(at.y()) + static_cast<std::size_t>(at.x()) * bpp,
                        bitmap->row(y) + static_cast<std::size_t>(x) * bpp, static_cast<std::size_t>(bpp));
        }
    const std::size_t used = static_cast<std::size_t>(toW) * bpp;
    for (int y = 0; y < toH; ++y) {
        for (int x = 0; x < toW; ++x) {
            const QPoint at = shownAt(perspective, x, y, toW, toH);
            std::memcpy(out.row(y) + static_cast<std::size_t>(x) * bpp,
                        shown.row(at.y()) + static_cast<std::size_t>(at.x()) * bpp, static_cast<std::size_t>(bpp));
        }
        std::memset(out.row(y) + used, 0, static_cast<std::size_t>(out.BytesPerLine) - used);
    }
    out.ViewPerspective = perspective;
    out.Region = QRegion();
    *bitmap = std::move(out);
    return PX_SUCCESS;
}

int PX_FlipBitmap(SdkBitmapHandle* bitmap)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    std::vector<std::uint8_t> tmp(static_cast<std::size_t>(bitmap->BytesPerLine));
    for (int y = 0, z = bitmap->Height - 1; y < z; ++y, --z) {
        std::memcpy(tmp.data(), bitmap->row(y), tmp.size());
        std::memcpy(bitmap->row(y), bitmap->row(z), tmp.size());
        std::memcpy(bitmap->row(z), tmp.data(), tmp.size());
    }
    if (!bitmap->Region.isEmpty()) {
        QRegion flipped;
        for (const QRect& r : bitmap->Region)
            flipped += QRect(r.left(), bitmap->Height - 1 - r.bottom(), r.width(), r.height());
        bitmap->Region = flipped;
    }
    return PX_SUCCESS;
}

int PX_ReverseBitmap(SdkBitmapHandle* bitmap)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    const int bpp = bitmap->bytesPerPixel();
    for (int y = 0; y < bitmap->Height; ++y) {
        std::uint8_t* row = bitmap->row(y);
        for (int x = 0, z = bitmap->Width - 1; x < z; ++x, --z) {
            std::uint8_t* a = row + static_cast<std::size_t>(x) * bpp;
            std::uint8_t* b = row + static_cast<std::size_t>(z) * bpp;
            for (int c = 0; c < bpp; ++c) std::swap(a[c], b[c]);
        }
    }
    if (!bitmap->Region.isEmpty()) {
        QRegion mirrored;
        for (const QRect& r : bitmap->Region)
            mirrored += QRect(bitmap->Width - 1 - r.right(), r.top(), r.width(), r.height());
        bitmap->Region = mirrored;
    }
    return PX_SUCCESS;
}

int PX_SharpenBitmap(SdkBitmapHandle* bitmap, int amount)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (amount < -1000 || amount > 1000) return PXERR_BADPARAM;
    StatusReporter status(bitmap->Height);
    if (amount == 0) return status.update(bitmap->Height) ? PX_SUCCESS : PXERR_ABORTED;
    const SdkBitmapHandle& src = *bitmap;
    SdkBitmapHandle dst;
    const int r = allocateLike(dst, src, src.Width, src.Height);
    if (r != PX_SUCCESS) return r;
    dst.Region = src.Region;
    const int bpp = src.bytesPerPixel();
    const int channels = bpp == 4 ? 3 : bpp; // alpha is kept
    // Sharpening pushes a pixel away from the mean of its 3 x 3 neighbourhood, softening pulls it
    // towards it: out = p + k (p - mean), k = amount / 500 above 0 and amount / 1000 below.
    const std::int64_t divisor = amount > 0 ? 9 * 500 : 9 * 1000;
    const int W = src.Width, H = src.Height;
    for (int y = 0; y < H; ++y) {
        const std::uint8_t* rows[3] = {src.row(std::max(0, y - 1)), src.row(y), src.row(std::min(H - 1, y + 1))};
        std::uint8_t* d = dst.row(y);
        std::memcpy(d, src.row(y), static_cast<std::size_t>(src.BytesPerLine));
        for (int x = 0; x < W; ++x) {
            const std::size_t xs[3] = {static_cast<std::size_t>(std::max(0, x - 1)) * bpp, static_cast<std::size_t>(x) * bpp,
                                       static_cast<std::size_t>(std::min(W - 1, x + 1)) * bpp};
            for (int c = 0; c < channels; ++c) {
                int sum = 0;
                for (const std::uint8_t* rw : rows)
                    sum += rw[xs[0] + c] + rw[xs[1] + c] + rw[xs[2] + c];
                const int p = rows[1][xs[1] + c];
                const std::int64_t v = p + static_cast<std::int64_t>(amount) * (9 * p - sum) / divisor;
                d[xs[1] + c] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
            }
        }
        if (!status.update(y + 1)) return PXERR_ABORTED;
    }
    *bitmap = std::move(dst);
    return PX_SUCCESS;
}

int PX_BalanceColors(SdkBitmapHandle* bitmap, const PxBalance* red, const PxBalance* green, const PxBalance* blue)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (!red || !green || !blue) return PXERR_BADPARAM;
    if (bitmap->BitsPerPixel < 24) return PXERR_BADBITS;
    const PxBalance* records[3] = {blue, green, red}; // in the order of the bytes
    for (const PxBalance* rec : records)
        for (double f : {rec->Red, rec->Green, rec->Blue})
            if (!std::isfinite(f) || std::fabs(f) > 1000.0) return PXERR_BADPARAM;
    // tables[out][in][v]: the share of input channel in (blue, green, red) with value v in output
    // channel out, in 1/65536.
    static_assert(sizeof(std::int64_t) == 8);
    std::vector<std::int64_t> tables(3 * 3 * 256);
    for (int o = 0; o < 3; ++o) {
        const double f[3] = {records[o]->Blue, records[o]->Green, records[o]->Red};
        for (int i = 0; i < 3; ++i)
            for (int v = 0; v < 256; ++v)
                tables[static_cast<std::size_t>((o * 3 + i) * 256 + v)] = platform::roundHalfEven64(f[i] * v * 65536.0);
    }
    SdkBitmapHandle dst;
    int r = PX_CopyBitmap(&dst, bitmap);
    if (r != PX_SUCCESS) return r;
    const int bpp = dst.bytesPerPixel();
    StatusReporter status(dst.Height);
    auto roundOut = [](std::int64_t sum) {
        std::int64_t v = sum >> 16;
        const std::int64_t rest = sum & 0xFFFF;
        if (rest > 0x8000 || (rest == 0x8000 && (v & 1))) ++v;
        return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
    };
    const std::int64_t* t = tables.data();
    for (int y = 0; y < dst.Height; ++y) {
        std::uint8_t* p = dst.row(y);
        for (int x = 0; x < dst.Width; ++x, p += bpp) {
            const int b = p[0], g = p[1], rr = p[2];
            std::uint8_t out[3];
            for (int o = 0; o < 3; ++o)
                out[o] = roundOut(t[(o * 3 + 0) * 256 + b] + t[(o * 3 + 1) * 256 + g] + t[(o * 3 + 2) * 256 + rr]);
            p[0] = out[0]; p[1] = out[1]; p[2] = out[2];
        }
        if (!status.update(y + 1)) return PXERR_ABORTED;
    }
    *bitmap = std::move(dst);
    return PX_SUCCESS;
}

int PX_FillBitmap(SdkBitmapHandle* bitmap, std::int32_t color)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    std::uint8_t px[4] = {0, 0, 0, 255};
    colorToBGR(color, px);
    const int bpp = bitmap->bytesPerPixel();
    if (bpp == 1) px[0] = static_cast<std::uint8_t>((px[0] * 29 + px[1] * 150 + px[2] * 77 + 128) >> 8);
    const QRect all(0, 0, bitmap->Width, bitmap->Height);
    const QRegion area = bitmap->Region.isEmpty() ? QRegion(all) : bitmap->Region.intersected(all);
    for (const QRect& r : area) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            std::uint8_t* d = bitmap->row(y) + static_cast<std::size_t>(r.left()) * bpp;
            if (bpp == 1) { std::memset(d, px[0], static_cast<std::size_t>(r.width())); continue; }
            for (int x = 0; x < r.width(); ++x, d += bpp) std::memcpy(d, px, static_cast<std::size_t>(bpp));
        }
    }
    return PX_SUCCESS;
}

int PX_CombineBitmap(SdkBitmapHandle* target, int x, int y, int width, int height, const SdkBitmapHandle* source,
                     int srcX, int srcY, int flags)
{
    if (!target || !target->allocated() || !source || !source->allocated()) return PXERR_BADBITMAP;
    if (flags != combineCopy) return PXERR_BADPARAM;
    if (width <= 0 || height <= 0) return PXERR_BADSIZE;
    // Work from a copy in the target's depth (also when source and target are the same bitmap).
    SdkBitmapHandle src;
    int r = PX_CopyBitmap(&src, source);
    if (r != PX_SUCCESS) return r;
    r = PX_ConvertBitmap(&src, target->BitsPerPixel);
    if (r != PX_SUCCESS) return r;
    // Clip: the source rectangle to the source, then the matching target rectangle to the target.
    const std::int64_t dx = static_cast<std::int64_t>(x) - srcX, dy = static_cast<std::int64_t>(y) - srcY;
    QRect s = QRect(srcX, srcY, width, height).intersected(QRect(0, 0, src.Width, src.Height));
    if (s.isEmpty()) return PX_SUCCESS;
    const std::int64_t tl = std::max<std::int64_t>(s.left() + dx, 0), tt = std::max<std::int64_t>(s.top() + dy, 0);
    const std::int64_t tr = std::min<std::int64_t>(s.right() + dx, target->Width - 1);
    const std::int64_t tb = std::min<std::int64_t>(s.bottom() + dy, target->Height - 1);
    if (tl > tr || tt > tb) return PX_SUCCESS;
    QRegion area(QRect(static_cast<int>(tl), static_cast<int>(tt), static_cast<int>(tr - tl + 1), static_cast<int>(tb - tt + 1)));
    if (!target->Region.isEmpty()) area = area.intersected(target->Region);
    const int bpp = target->bytesPerPixel();
    for (const QRect& rr : area) {
        for (int ty = rr.top(); ty <= rr.bottom(); ++ty) {
            const std::uint8_t* sp = src.row(static_cast<int>(ty - dy)) + static_cast<std::size_t>(rr.left() - dx) * bpp;
            std::memcpy(target->row(ty) + static_cast<std::size_t>(rr.left()) * bpp, sp, static_cast<std::size_t>(rr.width()) * bpp);
        }
    }
    return PX_SUCCESS;
}

} // namespace sdk
