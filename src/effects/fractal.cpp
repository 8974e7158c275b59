// The fractal generator: a Mandelbrot or Julia set in 16 fixed colours.
#include "effects/arith.h"
#include "effects/paintfx.h"

#include <algorithm>

namespace effects {

ColorRef TvelPaintFX::MandelPalette(int index)
{
    static constexpr ColorRef palette[15] = {
        rgbColor(0, 0, 0),       rgbColor(0, 0, 128),   rgbColor(0, 128, 0),   rgbColor(0, 255, 255),
        rgbColor(255, 0, 0),     rgbColor(128, 0, 128), rgbColor(128, 0, 0),   rgbColor(192, 192, 192),
        rgbColor(128, 128, 128), rgbColor(0, 0, 255),   rgbColor(0, 255, 0),   rgbColor(128, 128, 0),
        rgbColor(255, 0, 255),   rgbColor(0, 128, 128), rgbColor(255, 255, 0),
    };
    if (index >= 0 && index < 15) return palette[index];
    return rgbColor(255, 255, 255);
}

void TvelPaintFX::DrawMandelJulia(Bitmap24& bitmap, int maxIterations, double left, double top, double right,
                                  double bottom, bool mandelbrot)
{
    DrawMandelJuliaRows(bitmap, maxIterations, left, top, right, bottom, mandelbrot, 0, bitmap.height());
}

void TvelPaintFX::DrawMandelJuliaRows(Bitmap24& bitmap, int maxIterations, double left, double top, double right, double bottom,
                                      bool mandelbrot, int firstRow, int endRow)
{
    if (bitmap.empty()) return;
    Bgr colours[16];
    for (int i = 0; i < 16; ++i) colours[i] = bgrOf(ColorToRGB(MandelPalette(i)));

    const int n = maxIterations < 16 ? 16 : maxIterations;
    const int w = bitmap.width(), h = bitmap.height();
    const double xStep = (right - left) / w, yStep = (bottom - top) / h;
    const double perColour = n / 16.0;
    const double juliaCx = 0.0, juliaCy = 1.0;

    for (int y = std::max(0, firstRow); y < std::min(h, endRow); ++y) {
        const double py = top + y * yStep;
        std::uint8_t* p = bitmap.row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const double px = left + x * xStep;
            double zx, zy, cx, cy;
            if (mandelbrot) {
                cx = px;
                cy = py;
                zx = zy = 0.0;
            } else {
                cx = juliaCx;
                cy = juliaCy;
                zx = px;
                zy = py;
            }
            // |z|^2 of the previous iteration (0 before the first) decides whether to go on.
            double zx2 = 0.0, zy2 = 0.0;
            std::int64_t j = 0;
            while (j <= n && zx2 + zy2 < 4.0) {
                zx2 = zx * zx;
                zy2 = zy * zy;
                zy = 2.0 * zx * zy + cy;
                zx = zx2 - zy2 + cx;
                ++j;
            }
            int index = 0;
            if (j <= n) index = detail::fastRound(double(j - 1) / perColour);
            const Bgr c = (index >= 0 && index < 16) ? colours[index] : colours[15];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
}

} // namespace effects
