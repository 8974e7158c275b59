#pragma once
// Drawing: a painter on a bitmap's pixels, gradient fills, frames, the framed 3-D shape and the
// painting of a bitmap's region.
#include "sdk/bitmap.h"
#include "sdk/regions.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <memory>

namespace sdk {

// A device context that draws into a bitmap's own pixels.
struct PxPixDC {
    QImage image;
    QPainter painter;
};
// The bitmap must stay allocated and unchanged in size while the context is out.
int PX_CreatePixDC(SdkBitmapHandle* bitmap, PxPixDC** dc);
int PX_DeletePixDC(PxPixDC* dc);

// Gradient codes: 1000-1015 linear in 16 directions (22.5 degrees apart, 1000 from left to right,
// turning clockwise), 2000-2007 linear from the middle out (8 directions), 3000 circular from the
// centre out, 3001 from the rim in, 4000 rectangular from the centre out, 4001 from the edges in,
// 5000-5007 from one corner or edge middle (clockwise from the top-left) to the opposite side.
bool isGradientCode(int code);
// Fills rect with a gradient of steps bands (2..265) from start to end (colour integers).
int PX_EfxGradientFillRect(QPainter* dc, const QRect& rect, int style, std::int32_t startColor, std::int32_t endColor,
                           int steps);

// Frame flags.
constexpr int frameInnerRaised = 16;
constexpr int frameOuterRaised = 16;
// A frame inside rect: an outer band (outerThickness, inset or raised), the flat frame
// (thickness, color) and an inner band (innerThickness).
int PX_EfxDrawFrame(QPainter* dc, const QRect& rect, int flags, int thickness, std::int32_t color, int innerThickness,
                    std::int32_t innerShadow, std::int32_t innerHilite, int outerThickness, std::int32_t outerShadow,
                    std::int32_t outerHilite);

// Shape codes.
constexpr int shapeRectangle = 2000;

// Background styles of a shape.
enum PxShapeBackground : int {
    shapeBackTransparent = 0,
    shapeBackOpaque = 1,          // PatternBackColor
    shapeBackTranslucent = 2,     // PatternBackColor at half strength
    shapeBackImage = 3,           // the background context's picture
    shapeBackTranslucentImage = 4,
};

// Everything a framed 3-D shape is drawn with, in the order the control hands it over.
struct PxShapeStyle {
    int ShapeType = shapeRectangle;
    QRect Shape;                       // left, top, width, height
    std::int32_t PatternBackColor = 0;
    PxPixDC* Background = nullptr;     // picture for the image styles
    QRect BackgroundRect;              // part of the background picture to use
    int BackgroundStyle = shapeBackTransparent;
    std::int32_t PatternForeColor = 0;
    int PatternStyle = 0;              // 0 solid, 1 none, 2-7 hatches
    std::int32_t BorderColor = 0;
    int BorderStyle = 0;               // 0 none, 1 solid, 2 dash, 3 dot, 4 dash dot, 5 dash dot dot
    int BorderThickness = 0;
    std::int32_t InnerBandHilite = 0xFFFFFF;
    std::int32_t InnerBandShadow = 0x808080;
    int InnerBandStyle = 0;            // 0 none, 1 inset, 2 raised
    int InnerBandThickness = 0;
    std::int32_t OuterBandHilite = 0xFFFFFF;
    std::int32_t OuterBandShadow = 0x808080;
    int OuterBandStyle = 0;
    int OuterBandThickness = 0;
    int ShadowXDepth = 0;
    int ShadowYDepth = 0;
    std::int32_t ShadowColor = 0;
};
// Draws the shape: its shadow (offset by the depths, the shape shrinks by them so that both fit
// the rectangle), the background, then from the outside in the outer band, the border and the
// inner band.
int PX_EfxDraw3dShape(QPainter* dc, const PxShapeStyle& style);

// Display adjustments of a bitmap, used by every paint of it: contrast -100..100 (0 none; -100
// flat grey, 100 nearly black and white), intensity -100..100 (0 none; added as that percentage
// of full brightness), gamma in hundredths (100 none; 200 lightens the middle tones as a gamma of
// 2.0 does). Values beyond are taken as the nearest end (gamma 10..1000). The pixels are not
// changed.
int PX_SetPaintContrast(SdkBitmapHandle* bitmap, int contrast);
int PX_SetPaintIntensity(SdkBitmapHandle* bitmap, int intensity);
int PX_SetPaintGamma(SdkBitmapHandle* bitmap, int gamma);
bool paintAdjusted(int contrast, int intensity, int gamma);
// Shows image (a 24-bit, 32-bit or grey copy of pixels) through the adjustments.
void applyPaintAdjustments(QImage& image, int contrast, int intensity, int gamma);

// The raster operation of a plain copy; the only one painting takes.
constexpr int ropSourceCopy = 13369376;
// Paints the source rectangle of the bitmap (bitmap coordinates) into the destination rectangle
// of the device, scaled to fit; only what lies inside the source clip and the destination clip is
// drawn.
int PX_PaintDC(QPainter* dc, const SdkBitmapHandle* bitmap, const QRect& source, const QRect& sourceClip,
               const QRect& destination, const QRect& destinationClip, int rop);
// The same for the rows [firstRow, firstRow + |rows|) of the bitmap only (a band just loaded; a
// negative count is taken as its size).
int PX_PaintDCBuffer(QPainter* dc, const SdkBitmapHandle* bitmap, const QRect& source, const QRect& sourceClip,
                     const QRect& destination, const QRect& destinationClip, int rop, int firstRow, int rows);

// Paints the bitmap's region in color, or its dashed outline at phase 0..7, through the transform
// (bitmap to device coordinates).
int PX_ColorBitmapRgn(QPainter* dc, const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, std::int32_t color);
int PX_FrameBitmapRgn(QPainter* dc, const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, int phase);

} // namespace sdk
