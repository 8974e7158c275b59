#pragma once
// The pixel work of the drawing control's brushes and picture generators, on 24-bit bitmaps:
// the colour-brush dab, the disc of a distortion dab, the ripple of a square, gradient lines,
// shaded spheres, the ring kernel, the interpolation fills and the texture shades. Every routine
// clips to its bitmap: nothing is read or written outside it, whatever the coordinates.
#include "effects/bitmap.h"

namespace effects {

// The colour brushes by mode: 0 blue, 1 green, 2 red (the other two channels 0), 3 not blue,
// 4 not green, 5 not red (that channel 0), 6 .. 8 the channel x 9 div 10 (blue, green, red),
// 9 darker (each channel Round(v x 10 / 11)), 10 lighter (Round(v x 11 / 10), at most 255),
// 11 grey (Round of the mean), 12 roll (blue := green, green := red, red := old blue),
// 13 smooth (the mean of the four neighbours, see ColorBrushDab). Other modes leave the pixel.
enum ColorBrushMode : int {
    cbBlue, cbGreen, cbRed, cbNotBlue, cbNotGreen, cbNotRed, cbHalfBlue, cbHalfGreen, cbHalfRed,
    cbDarker, cbLighter, cbGray, cbRollMix, cbSmooth,
};
Bgr ColorBrushPixel(int mode, Bgr pixel);

// True when pixel (x, y) of a square of side 2r lies in the disc inscribed in it (its centre is
// within r of the square's centre).
bool InDisc(int x, int y, int r);

// One colour-brush dab: the disc of radius r about (cx, cy) takes the mode's operation; pixels of
// the square outside the bitmap are skipped. "Smooth" works on the part of the square inside the
// bitmap, in place row by row from the top, leaving that part's border pixels as they were.
void ColorBrushDab(Bitmap24& bitmap, int cx, int cy, int r, int mode);

// A brush square of side 2r about a centre, fitted to a bitmap: the radius shrinks to at most
// half the smaller side and the centre moves inward, so the square (left, top) .. (left + 2r - 1,
// top + 2r - 1) lies inside. r 0 means the bitmap is empty or the brush has no size.
struct BrushSquare {
    int left = 0, top = 0, r = 0;
};
BrushSquare FitBrushSquare(int width, int height, int cx, int cy, int r);

// The pixels of a rectangle of a bitmap (the part inside it; the rest black).
Bitmap24 CopyPart(const Bitmap24& source, int left, int top, int width, int height);
// Draws a square of side 2r (target of a dab) onto dest at (left, top): only its disc, or the
// whole square when disc is false. Clipped.
void DrawDab(const Bitmap24& square, Bitmap24& dest, int left, int top, bool disc);

// The ripple of a square: source S and target T of one size, A the amount (below 1 counts as 1);
// c = width div 2 is the centre on both axes. Every source pixel moves to the radius
// e + (c / A) sin(A (e / c) 2 pi) along its direction when that lies strictly between 0 and c.
// Target pixels that no source pixel reaches keep their content.
void RippleSquare(const Bitmap24& source, Bitmap24& target, double amount);

// The colours from c1 at the first end to c2 at the other, per channel interpolated in single
// precision and rounded (negatives 0), along row y from x1 to x2 (swapped when reversed, c1 stays
// at the left) or down column x from y1 to y2. Pixels outside the bitmap are skipped. With
// smoothing, the pixel just beyond each end, when it is not on the bitmap's border, becomes the
// mean of its four neighbours (sum shifted right by 2).
void GradientLine(Bitmap24& bitmap, int y, int x1, int x2, Bgr c1, Bgr c2, bool smooth);
void GradientColumn(Bitmap24& bitmap, int x, int y1, int y2, Bgr c1, Bgr c2, bool smooth);

// A shaded ellipse about (cx, cy) with the half axes rx, ry, row by row, each row a smoothed
// gradient line from c1 to c2.
void ShadedEllipse(Bitmap24& bitmap, int cx, int cy, int rx, int ry, Bgr c1, Bgr c2);

// The sphere generators over the rectangle dragged from (x1, y1) to (x2, y2). A rectangle without
// width or height draws nothing; any other draws at least one sphere.
enum class SphereKind { RisingWave, Wave, Droplet, Multi, Inter };
void DrawSpheres(Bitmap24& bitmap, SphereKind kind, int x1, int y1, int x2, int y2, Bgr c1, Bgr c2);

// The 5 x 5 ring kernel: the mean of the 16 pixels on the square's border (edge pixels repeated),
// from a copy of the bitmap.
void RingKernel(Bitmap24& bitmap);

// Fills the rectangle (inclusive corners, any order) with the bilinear blend of its four corner
// pixels in fixed point with 20 fraction bits. False (and nothing done) when the rectangle is not
// wholly inside the bitmap.
bool InterpolateRect(Bitmap24& bitmap, int x1, int y1, int x2, int y2);
// One horizontal gradient line per row of the rectangle (inclusive corners, any order, clipped)
// from the colour of its top-left pixel to that of its bottom-right pixel.
void InterpolateColumns(Bitmap24& bitmap, int x1, int y1, int x2, int y2);

// The cells the texture generators tile a picture with: the dragged size (at least 1 x 1), grown
// by one factor on both sides when the picture would hold more than kMaxTextureCells of them, so
// the work of one release (10 strokes a cell) stays within a few seconds on any picture.
constexpr long long kMaxTextureCells = 40'000;
struct TextureCells {
    int width = 1, height = 1;
    long long count = 0; // cells across times cells down
};
TextureCells TextureCellSize(int pictureWidth, int pictureHeight, int dragWidth, int dragHeight);

// The two shades of a texture stroke, blended with the pen colour.
ColorRef TextureLighter(ColorRef pen);
ColorRef TextureDarker(ColorRef pen);

// The mix of two colours: per channel (a + b) div 2.
Bgr MixColors(Bgr a, Bgr b);
inline ColorRef toColorRef(Bgr c) { return rgbColor(c.r, c.g, c.b); }

} // namespace effects
