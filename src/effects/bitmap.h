#pragma once
// The shared 24-bit bitmap of the paint effects: rows of blue, green, red bytes, row 0 on top,
// packed (a row is 3 x width bytes, no padding). QImage::Format_BGR888 has the same pixel layout
// (its rows are padded to 4 bytes), so a caller converts by copying rows.
//
// Also here: ClampByte, ClampInt, the framework's colour integers with the colour-to-RGB helper,
// and the nearest-neighbour stretch that stands in for the framework's stretch-draw.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace effects {

// ---------------------------------------------------------------------------------------------
// Colours: the framework's colour integers 0x00BBGGRR (red in the low byte); a system colour is
// 0xFF000000 + its index. The same encoding as platform::ColorRef.
using ColorRef = std::int32_t;

constexpr ColorRef clBlack = 0x000000;
constexpr ColorRef clWhite = 0xFFFFFF;

constexpr int redOf(ColorRef c) { return c & 0xFF; }
constexpr int greenOf(ColorRef c) { return (c >> 8) & 0xFF; }
constexpr int blueOf(ColorRef c) { return (c >> 16) & 0xFF; }
constexpr ColorRef rgbColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }

// A system colour resolved to its plain RGB colour integer; other colours lose their top byte.
// System colours go through the resolver below.
ColorRef ColorToRGB(ColorRef color);

// The resolver for system colours (argument: the colour integer 0xFF0000nn). The default knows the
// classic Windows defaults; the program installs one that reads the application palette
// (platform::colorToRGB), so this library needs no GUI. nullptr restores the default.
using SystemColorResolver = ColorRef (*)(ColorRef systemColor);
void SetSystemColorResolver(SystemColorResolver resolver);

// ---------------------------------------------------------------------------------------------
namespace detail {
// Pixel storage: large bitmaps are asked to live on huge pages, which keeps the distortions'
// scattered reads (down columns, around circles) from missing the address cache on every pixel.
void* allocatePixels(std::size_t bytes);
void freePixels(void* p) noexcept;

template <typename T>
struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <typename U>
    PixelAllocator(const PixelAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocatePixels(n * sizeof(T))); }
    void deallocate(T* p, std::size_t) noexcept { freePixels(p); }
    friend bool operator==(const PixelAllocator&, const PixelAllocator&) { return true; }
};
} // namespace detail

struct Bgr {
    std::uint8_t b = 0, g = 0, r = 0;
    friend bool operator==(const Bgr&, const Bgr&) = default;
};

constexpr Bgr bgrOf(ColorRef c) { return Bgr{std::uint8_t(blueOf(c)), std::uint8_t(greenOf(c)), std::uint8_t(redOf(c))}; }

class Bitmap24 {
public:
    Bitmap24() = default;
    // A black bitmap; negative sizes count as 0.
    Bitmap24(int width, int height);
    Bitmap24(int width, int height, Bgr colour);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    std::size_t stride() const { return std::size_t(width_) * 3; }

    // Changes the size as the framework's bitmap does: the pixels that stay inside keep their
    // colour, new pixels are black.
    void setSize(int width, int height);

    std::uint8_t* bits() { return data_.data(); }
    const std::uint8_t* bits() const { return data_.data(); }
    std::uint8_t* row(int y) { return data_.data() + std::size_t(y) * stride(); }
    const std::uint8_t* row(int y) const { return data_.data() + std::size_t(y) * stride(); }
    std::uint8_t* pixelPtr(int x, int y) { return row(y) + std::size_t(x) * 3; }
    const std::uint8_t* pixelPtr(int x, int y) const { return row(y) + std::size_t(x) * 3; }

    Bgr pixel(int x, int y) const
    {
        const std::uint8_t* p = pixelPtr(x, y);
        return Bgr{p[0], p[1], p[2]};
    }
    void setPixel(int x, int y, Bgr c)
    {
        std::uint8_t* p = pixelPtr(x, y);
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }
    void fill(Bgr c);

    // The framework bitmap's transparent mode (KeepColor and DropColor set it).
    bool transparent = false;
    ColorRef transparentColor = clBlack;

    friend bool operator==(const Bitmap24& a, const Bitmap24& b)
    {
        return a.width_ == b.width_ && a.height_ == b.height_ && a.data_ == b.data_;
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t, detail::PixelAllocator<std::uint8_t>> data_;
};

// ---------------------------------------------------------------------------------------------
// v below 0 gives 0, above 255 gives 255, otherwise v.
constexpr int ClampByte(std::int64_t v) { return v < 0 ? 0 : (v > 255 ? 255 : int(v)); }
// max when v > max, else min when v < min, else v.
constexpr int ClampInt(int v, int min, int max) { return v > max ? max : (v < min ? min : v); }

// An integer rectangle, right and bottom exclusive (the framework's TRect).
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The framework's stretch-draw with its default (colour-on-colour) mode: the source rectangle is
// drawn into the destination rectangle by nearest neighbour, each destination pixel taking the
// source pixel under its centre. A rectangle with right < left (or bottom < top) mirrors;
// destination pixels outside the bitmap are clipped, source pixels are always read inside it.
// Source and destination may be the same bitmap only when the rectangles do not overlap.
void StretchDraw(const Bitmap24& source, const Rect& sourceRect, Bitmap24& dest, const Rect& destRect);
// The whole source into the rectangle.
void StretchDraw(const Bitmap24& source, Bitmap24& dest, const Rect& destRect);
// Draws the source unscaled with its top-left corner at (x, y), clipped.
void Draw(const Bitmap24& source, Bitmap24& dest, int x, int y);

} // namespace effects
