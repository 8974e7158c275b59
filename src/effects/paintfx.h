#pragma once
// TvelPaintFX, the paint-effects library: routines without state of their own, each changing a
// 24-bit bitmap in place (Bitmap24: rows of blue, green, red bytes, row 0 on top).
//
// Common rules of every routine:
// - rows are processed from the top down and pixels from the left unless a routine says
//   otherwise; where a routine has a separate source and destination, the drawing control passes
//   the same bitmap for both, and the reading and writing order below then decides the result
//   (the routines read the present contents, never a hidden copy, unless they say so);
// - integer division truncates toward zero ("div"); Round is halves to even; Trunc cuts toward
//   zero; reals are double precision unless a routine says single precision;
// - Random is the application's one generator (effects/random.h).
// - No routine reads or writes outside a bitmap, whatever its arguments; an empty bitmap is left
//   as it is.
#include "effects/bitmap.h"

#include <cstdint>

namespace effects {

class TvelPaintFX {
public:
    // ---- tone and colour ------------------------------------------------------------------
    // Each channel v := ClampByte(v + (255 - v) x amount div 255).
    static void Lightness(Bitmap24& bitmap, int amount);
    // d := abs(127 - v) x amount div 255; v := ClampByte(v + d) when v > 127, else ClampByte(v - d).
    static void Contrast(Bitmap24& bitmap, int amount);
    // grey := (b + g + r) div 3; v := ClampByte(grey + (v - grey) x amount div 255).
    static void Saturation(Bitmap24& bitmap, int amount);
    // Blue, green, red: v := ClampByte(Random(amount) + v - amount div 2), in signed 64-bit.
    static void AddColorNoise(Bitmap24& bitmap, std::uint32_t amount);
    // n := Random(amount) - amount div 2 once per pixel; each channel v := ClampByte(v + n).
    static void AddMonoNoise(Bitmap24& bitmap, std::uint32_t amount);
    // The named channel := 255 when low < v < high, else 0; the two others := 0.
    static void FilterRed(Bitmap24& bitmap, int low, int high);
    static void FilterGreen(Bitmap24& bitmap, int low, int high);
    static void FilterBlue(Bitmap24& bitmap, int low, int high);
    // The same, the two other channels unchanged.
    static void FilterXRed(Bitmap24& bitmap, int low, int high);
    static void FilterXGreen(Bitmap24& bitmap, int low, int high);
    static void FilterXBlue(Bitmap24& bitmap, int low, int high);
    // avg := (b + g + r) div 3 of the source pixel; destination := 255 - v when avg > threshold,
    // else v. Over the pixels both bitmaps have.
    static void Solarize(const Bitmap24& source, Bitmap24& dest, int threshold);
    // Each channel := ClampByte(step x Round(v / step)); step 0 changes nothing.
    static void Posterize(const Bitmap24& source, Bitmap24& dest, int step);
    // The destination gets the first's size; each channel := Round((1 - x) x first + x x second),
    // clamped. Pixels the second bitmap lacks take the first's colour.
    static void BlendEffect(const Bitmap24& first, const Bitmap24& second, Bitmap24& dest, double x);
    // Rows 0 .. H - 2, columns 0 .. W - 4: v := (v + (255 - w)) shr 1, w the same channel of
    // pixel (x + 3, y + 1); in place.
    static void Emboss(Bitmap24& bitmap);
    // Does nothing.
    static void Smooth(Bitmap24& bitmap, int amount);
    // Every pixel not of the colour becomes black; every pixel of the colour becomes black. Then
    // the bitmap is made transparent with black as transparent colour.
    static void KeepColor(Bitmap24& bitmap, ColorRef color);
    static void DropColor(Bitmap24& bitmap, ColorRef color);

    // ---- blur, mosaic and textures -------------------------------------------------------
    // The four-point blur at +-distance, in place; neighbour rows and columns clamped into the
    // bitmap. Distance 0 changes nothing.
    static void SplitBlur(Bitmap24& bitmap, int distance);
    // SplitBlur with distance 3, passes + 1 times (a negative count runs none).
    static void GaussianBlur(Bitmap24& bitmap, int passes);
    // Blocks of size x size from the top-left take the block's top-left colour; size < 1: nothing.
    static void Mosaic(Bitmap24& bitmap, int blockSize);
    // Makes the top and right edges continue the bottom and left edges; divisor 0: nothing.
    static void Seamless(Bitmap24& bitmap, int divisor);
    static void Triangles(Bitmap24& bitmap, int size);
    // Each row copied down by a saw-tooth offset 0, 1, ..., b across the columns.
    static void RippleTooth(Bitmap24& bitmap, int height);
    // As RippleTooth with random offsets; reseeds the generator from the clock first.
    static void RippleRandom(Bitmap24& bitmap, int height);
    // The whole bitmap stretched into a c x c tile drawn across it; c < 1: nothing.
    static void TileTexture(Bitmap24& bitmap, int tileSize);
    // As TileTexture with a step of Round(2c / 3).
    static void OverlapTexture(Bitmap24& bitmap, int tileSize);
    // Bright pixels move up by up to `height` rows.
    static void MapEffect(Bitmap24& bitmap, int height);

    // ---- geometric distortions and displacement ------------------------------------------
    // dx = 0 gives +pi/2 when dy > 0, else -pi/2; otherwise arctan(dy / dx), plus pi when dx < 0.
    // Single precision.
    static float ArcTan2(float dx, float dy);
    // FishEye, Twist and Rotate work out what they can on `threads` threads (0: one per
    // processor; the calling thread counts) and write the pixels in the order above, so the bytes
    // are the same whatever the count, in place as well.
    static void FishEye(const Bitmap24& source, Bitmap24& dest, double amount, int threads = 0);
    // amount 0: nothing.
    static void Twist(const Bitmap24& source, Bitmap24& dest, int amount, int threads = 0);
    // Angle in degrees; (centreX, centreY) the centre in the source.
    static void Rotate(const Bitmap24& source, Bitmap24& dest, int centreX, int centreY, double angle, int threads = 0);
    // Mode 0 (normal), 1 (extra), 2 (inference, with factor); other modes count as 0.
    // height <= 0: nothing.
    static void Wave(Bitmap24& bitmap, int height, int factor, int mode);
    // The eight wings. The destination first becomes a copy of the source. Scale 0 or period 0: nothing.
    // Like FishEye, they work out what they can on `threads` threads and copy the pixels in the
    // order of one thread, so the bytes are the same whatever the count.
    static void WingsDeep(const Bitmap24& source, Bitmap24& dest, double scale, int period, int threads = 0);
    static void WingsDown(const Bitmap24& source, Bitmap24& dest, double scale, int period, int threads = 0);
    static void WingsUp(const Bitmap24& source, Bitmap24& dest, double scale, int period, int threads = 0);
    static void WingsFold(const Bitmap24& source, Bitmap24& dest, double scale, int period, int threads = 0);
    static void WingsTouche(const Bitmap24& source, Bitmap24& dest, double scale, int period, int threads = 0);
    static void WingsFlyer(const Bitmap24& source, Bitmap24& dest, double scale, int period, int threads = 0);
    static void WingsFlipover(const Bitmap24& source, Bitmap24& dest, double scale, int period, int threads = 0);
    static void WingsWavy(const Bitmap24& source, Bitmap24& dest, double scale, int period, int threads = 0);
    // Modes 7..13 (Horizontal, Top, Bottom, Diamond, Waste, Round, Double Round). A one-row source
    // or another mode: nothing. A negative amount counts as 0.
    static void Squeeze(const Bitmap24& source, Bitmap24& dest, int amount, int mode);
    // Modes 14 (Round) and 15 (Waste). Amount <= 0: the source is drawn onto the destination
    // unchanged. A one-row source or another mode: nothing.
    static void SplitRound(const Bitmap24& source, Bitmap24& dest, int amount, int mode);
    static void Plasma(const Bitmap24& first, const Bitmap24& second, Bitmap24& dest, int amount, int turbulence);
    // Plasma's work on the destination's rows top .. bottom - 1 alone (clamped into it), each left
    // as the whole run leaves it. The sources are only read, so with sources other than the
    // destination, bands of rows may run at once.
    static void PlasmaRows(const Bitmap24& first, const Bitmap24& second, Bitmap24& dest, int amount, int turbulence, int top,
                           int bottom);

    // ---- fractal generator ----------------------------------------------------------------
    // The 16 colours (index 15 and any other index: white), as colour integers.
    static ColorRef MandelPalette(int index);
    // Replaces the picture with a Mandelbrot (true) or Julia (false) set.
    static void DrawMandelJulia(Bitmap24& bitmap, int maxIterations, double left, double top, double right,
                                double bottom, bool mandelbrot);
    // Its rows firstRow .. endRow - 1 alone (clamped into the bitmap), each as the whole drawing
    // leaves it; bands of rows of one bitmap may be drawn at once.
    static void DrawMandelJuliaRows(Bitmap24& bitmap, int maxIterations, double left, double top, double right, double bottom,
                                    bool mandelbrot, int firstRow, int endRow);
};

} // namespace effects
