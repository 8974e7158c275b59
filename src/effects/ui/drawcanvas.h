#pragma once
// TCanvas: the drawing surface of the drawing control, over its 24-bit picture. It keeps the
// framework canvas's pen (colour, width, mode, style), brush (colour, style) and pen position,
// draws lines, rectangles, ellipses, polygons, curves, arcs, chords and pies with them, fills
// areas, reads and sets pixels and copies bitmaps with raster operations. Shapes follow the
// framework's conventions: a rectangle (x1, y1, x2, y2) covers x1 .. x2 - 1 and y1 .. y2 - 1,
// and a line leaves out its end point. Everything is clipped to the picture.
#include "effects/bitmap.h"
#include "effects/toolgeometry.h"

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;
class QImage;

namespace effectsui {

using effects::Bitmap24;
using effects::ColorRef;
using effects::Point;

// The pen modes the tools use (the framework's names).
enum TPenMode { pmCopy, pmNotXor, pmXor, pmMaskNotPen, pmNot, pmMask, pmMerge };
enum TPenStyle { psSolid, psDot, psClear };
enum TBrushStyle { bsSolid, bsClear };
enum TFillStyle { fsBorder, fsSurface };

struct TPen {
    ColorRef Color = effects::clBlack;
    int Width = 1;
    TPenMode Mode = pmCopy;
    TPenStyle Style = psSolid;
};

struct TBrush {
    ColorRef Color = effects::clWhite;
    TBrushStyle Style = bsSolid;
};

// Raster operations of the copies (the framework's codes).
constexpr std::int32_t SRCCOPY = 0x00CC0020;
constexpr std::int32_t SRCINVERT = 0x00660046;
constexpr std::int32_t SRCAND = 0x008800C6;
constexpr std::int32_t SRCPAINT = 0x00EE0086;
constexpr std::int32_t NOTSRCCOPY = 0x00330008;

class TCanvas {
public:
    explicit TCanvas(Bitmap24& bitmap) : bitmap_(bitmap) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    Point PenPos;

    Bitmap24& bitmap() { return bitmap_; }

    void MoveTo(int x, int y) { PenPos = {x, y}; }
    // A line from the pen position to (x, y), without its end point; the pen moves there.
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Ellipse(int x1, int y1, int x2, int y2);
    void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    // A closed, filled polygon (alternate filling).
    void Polygon(const std::vector<Point>& points);
    void Polyline(const std::vector<Point>& points);
    // Cubic curves: the first point, then three points per curve.
    void PolyBezier(const std::vector<Point>& points);
    // Arc, chord and pie of the ellipse in the rectangle, counter-clockwise from the ray toward
    // (x3, y3) to the ray toward (x4, y4).
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Fills the rectangle (right and bottom exclusive) with the brush; a clear brush fills nothing.
    void FillRect(const effects::Rect& rect);
    // Fills with the brush, from (x, y): fsSurface the connected area of the colour, fsBorder
    // the area bounded by the colour. Iterative; a clear brush fills nothing.
    void FloodFill(int x, int y, ColorRef colour, TFillStyle style);
    // The colour of a pixel; -1 outside the picture.
    ColorRef Pixel(int x, int y) const;
    void SetPixel(int x, int y, ColorRef colour);

    // Copies a rectangle of a bitmap (right and bottom exclusive) onto a rectangle of another
    // with a raster operation of source, destination and the brush colour; rectangles of
    // different sizes stretch by nearest neighbour. The source may be the destination.
    static void CopyRect(Bitmap24& dest, const effects::Rect& destRect, const Bitmap24& source,
                         const effects::Rect& sourceRect, std::int32_t rop, ColorRef brush = effects::clWhite);
    // Draws a bitmap with its top-left corner at (x, y), leaving out the pixels of the key colour.
    void DrawTransparent(int x, int y, const Bitmap24& source, ColorRef key);

    // While a batch is open, shapes are drawn into one working image of the whole picture that
    // goes back when the batch closes (the texture generators draw thousands of strokes).
    class Batch {
    public:
        explicit Batch(TCanvas& canvas);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TCanvas& canvas_;
        bool owner_;
    };

private:
    // Runs a QPainter over the part of the picture inside the bounds (grown by the pen's width),
    // set up with the pen, brush and pen mode.
    void paint(int left, int top, int right, int bottom, bool fill, const std::function<void(QPainter&)>& draw);
    void boundsPaint(const std::vector<Point>& points, bool fill, const std::function<void(QPainter&)>& draw);
    void arcShape(int kind, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

    void setUp(QPainter& painter, bool fill) const;

    Bitmap24& bitmap_;
    QImage* batch_ = nullptr;
    QPainter* batchPainter_ = nullptr;
};

} // namespace effectsui
