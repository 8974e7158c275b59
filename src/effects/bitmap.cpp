#include "effects/bitmap.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace effects {

namespace {

// The classic Windows defaults of the system colours 0..30, as colour integers.
constexpr ColorRef classicSystemColors[] = {
    0xC8D0D4, // 0 scroll bar
    0x808000, // 1 desktop (teal)
    0x6A240A, // 2 active caption
    0x808080, // 3 inactive caption
    0xC8D0D4, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC8D0D4, // 10 active border
    0xC8D0D4, // 11 inactive border
    0x808080, // 12 application workspace
    0x6A240A, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xC8D0D4, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC8D0D4, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x404040, // 21 3-D dark shadow
    0xC8D0D4, // 22 3-D light
    0x000000, // 23 info text
    0xE1FFFF, // 24 info background
    0xC8D0D4, // 25 (unused)
    0x800000, // 26 hot light
    0xF0CAA6, // 27 gradient active caption
    0xC0C0C0, // 28 gradient inactive caption
    0x6A240A, // 29 menu highlight
    0xC8D0D4, // 30 menu bar
};

ColorRef classicResolver(ColorRef color)
{
    auto index = static_cast<std::uint32_t>(color) & 0xFFu;
    if (index < std::size(classicSystemColors)) return classicSystemColors[index];
    return classicSystemColors[15];
}

std::atomic<SystemColorResolver> systemResolver{&classicResolver};

int nonNegative(int v) { return v < 0 ? 0 : v; }

constexpr std::size_t kHugePage = std::size_t(2) << 20;

} // namespace

namespace detail {

void* allocatePixels(std::size_t bytes)
{
    if (bytes >= 2 * kHugePage) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        if (void* p = std::aligned_alloc(kHugePage, rounded)) {
#ifdef MADV_HUGEPAGE
            madvise(p, rounded, MADV_HUGEPAGE);  // a hint: without huge pages all still works
#endif
            return p;
        }
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(bytes ? bytes : 1)) return p;
    throw std::bad_alloc();
}

void freePixels(void* p) noexcept { std::free(p); }

} // namespace detail

ColorRef ColorToRGB(ColorRef color)
{
    auto u = static_cast<std::uint32_t>(color);
    if ((u & 0xFF000000u) == 0xFF000000u) return systemResolver.load()(color) & 0xFFFFFF;
    return color & 0xFFFFFF;
}

void SetSystemColorResolver(SystemColorResolver resolver)
{
    systemResolver.store(resolver ? resolver : &classicResolver);
}

Bitmap24::Bitmap24(int width, int height) : Bitmap24(width, height, Bgr{}) {}

Bitmap24::Bitmap24(int width, int height, Bgr fillColour)
{
    width_ = nonNegative(width);
    height_ = nonNegative(height);
    data_.assign(stride() * std::size_t(height_), 0);
    if (fillColour != Bgr{}) fill(fillColour);
}

void Bitmap24::setSize(int width, int height)
{
    width = nonNegative(width);
    height = nonNegative(height);
    if (width == width_ && height == height_) return;
    decltype(data_) next(std::size_t(width) * 3 * std::size_t(height), 0);
    const int keepW = std::min(width, width_), keepH = std::min(height, height_);
    for (int y = 0; y < keepH && keepW > 0; ++y)
        std::memcpy(next.data() + std::size_t(y) * std::size_t(width) * 3, row(y), std::size_t(keepW) * 3);
    data_ = std::move(next);
    width_ = width;
    height_ = height;
}

void Bitmap24::fill(Bgr c)
{
    std::uint8_t* p = data_.data();
    const std::size_t n = std::size_t(width_) * std::size_t(height_);
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }
}

namespace {

// For each destination index along one axis inside [0, destSize), the source index it reads, or
// -1 when the destination index is outside the destination span.
struct AxisMap {
    int first = 0;            // first destination index written
    std::vector<int> source;  // source index for destination first + k
};

AxisMap mapAxis(int srcLo, int srcHi, int srcSize, int dstLo, int dstHi, int dstSize)
{
    AxisMap m;
    std::int64_t sw = std::int64_t(srcHi) - srcLo, dw = std::int64_t(dstHi) - dstLo;
    if (sw == 0 || dw == 0 || srcSize <= 0 || dstSize <= 0) return m;
    const bool flip = (sw < 0) != (dw < 0);
    const std::int64_t sMin = std::min<std::int64_t>(srcLo, srcHi), dMin = std::min<std::int64_t>(dstLo, dstHi);
    sw = sw < 0 ? -sw : sw;
    dw = dw < 0 ? -dw : dw;
    const std::int64_t from = std::max<std::int64_t>(dMin, 0), to = std::min<std::int64_t>(dMin + dw, dstSize);
    if (from >= to) return m;
    m.first = int(from);
    m.source.reserve(std::size_t(to - from));
    for (std::int64_t d = from; d < to; ++d) {
        std::int64_t k = d - dMin;  // 0 .. dw - 1
        std::int64_t s = (2 * k + 1) * sw / (2 * dw);
        if (flip) s = sw - 1 - s;
        s += sMin;
        m.source.push_back(int(std::clamp<std::int64_t>(s, 0, srcSize - 1)));
    }
    return m;
}

} // namespace

void StretchDraw(const Bitmap24& source, const Rect& sr, Bitmap24& dest, const Rect& dr)
{
    if (source.empty() || dest.empty()) return;
    const AxisMap cols = mapAxis(sr.left, sr.right, source.width(), dr.left, dr.right, dest.width());
    const AxisMap rows = mapAxis(sr.top, sr.bottom, source.height(), dr.top, dr.bottom, dest.height());
    if (cols.source.empty() || rows.source.empty()) return;
    for (std::size_t ry = 0; ry < rows.source.size(); ++ry) {
        const std::uint8_t* s = source.row(rows.source[ry]);
        std::uint8_t* d = dest.row(rows.first + int(ry)) + std::size_t(cols.first) * 3;
        for (std::size_t cx = 0; cx < cols.source.size(); ++cx, d += 3) {
            const std::uint8_t* p = s + std::size_t(cols.source[cx]) * 3;
            d[0] = p[0];
            d[1] = p[1];
            d[2] = p[2];
        }
    }
}

void StretchDraw(const Bitmap24& source, Bitmap24& dest, const Rect& destRect)
{
    StretchDraw(source, Rect{0, 0, source.width(), source.height()}, dest, destRect);
}

void Draw(const Bitmap24& source, Bitmap24& dest, int x, int y)
{
    if (&source == &dest && x == 0 && y == 0) return;
    const std::int64_t x0 = std::max<std::int64_t>(x, 0), y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t(x) + source.width(), dest.width());
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t(y) + source.height(), dest.height());
    if (x0 >= x1 || y0 >= y1) return;
    // Bottom-up when drawing a bitmap onto itself lower down, so no row is read after it was written.
    const bool up = &source == &dest && y > 0;
    for (std::int64_t k = 0; k < y1 - y0; ++k) {
        const std::int64_t dy = up ? y1 - 1 - k : y0 + k;
        const std::uint8_t* s = source.pixelPtr(int(x0 - x), int(dy - y));
        std::memmove(dest.pixelPtr(int(x0), int(dy)), s, std::size_t(x1 - x0) * 3);
    }
}

} // namespace effects
