#pragma once
// Small bitmaps for the effect tables.
#include "effects/bitmap.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace fx_test {

using effects::Bgr;
using effects::Bitmap24;

// A bitmap whose three channels are equal, given row by row.
inline Bitmap24 grey(int w, int h, const std::vector<int>& values)
{
    Bitmap24 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            auto v = std::uint8_t(values[std::size_t(y * w + x)]);
            b.setPixel(x, y, Bgr{v, v, v});
        }
    return b;
}

// The blue channel, row by row (for bitmaps whose channels are equal).
inline std::vector<int> blues(const Bitmap24& b)
{
    std::vector<int> out;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) out.push_back(b.pixel(x, y).b);
    return out;
}

// True when all three channels of every pixel are equal.
inline bool isGrey(const Bitmap24& b)
{
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            Bgr p = b.pixel(x, y);
            if (p.b != p.g || p.g != p.r) return false;
        }
    return true;
}

// Every pixel a different colour: (x + 1, y + 1, x + y) style, so moves are traceable.
inline Bitmap24 ids(int w, int h)
{
    Bitmap24 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.setPixel(x, y, Bgr{std::uint8_t(x), std::uint8_t(y), std::uint8_t(7 * x + 3 * y)});
    return b;
}

inline Bitmap24 noise(int w, int h, std::uint32_t seed)
{
    std::mt19937 gen(seed);
    Bitmap24 b(w, h);
    for (std::size_t i = 0; i < b.stride() * std::size_t(h); ++i) b.bits()[i] = std::uint8_t(gen() & 0xFF);
    return b;
}

// A smooth picture with some noise, closer to a photograph than pure noise.
inline Bitmap24 photo(int w, int h, std::uint32_t seed)
{
    std::mt19937 gen(seed);
    Bitmap24 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int n = int(gen() % 17) - 8;
            auto c = [&](int v) { return std::uint8_t(std::clamp(v + n, 0, 255)); };
            b.setPixel(x, y, Bgr{c(x * 255 / std::max(1, w - 1)), c(y * 255 / std::max(1, h - 1)), c(((x / 5 + y / 7) % 2) * 200 + 20)});
        }
    return b;
}

} // namespace fx_test
