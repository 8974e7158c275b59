#pragma once
// The drawing canvas of the image control. With DrawPersistence it draws into the bitmap itself,
// taking client coordinates and mapping them onto the bitmap as the picture is shown; without it
// it draws onto what the window shows, inside the frame, until the control is painted again.
// A canvas made for text draws with TextFont in its colour, the text's top-left corner at the
// point given; the others draw with the pen and brush of the drawing properties. Every operation
// takes the pen mode DrawMode and leaves the background of hatches and dashes as it was.
#include "imaging/pixtypes.h"
#include "platform/colors.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>
#include <functional>

class QPainter;

namespace imaging {

class PixDrawCanvas;

class TPixCanvas {
public:
    // What the canvas draws with, taken from the control when it was made.
    struct Style {
        TPenMode Mode = pmCopy;
        platform::ColorRef PenColor = 0;
        TPenStyle PenStyle = psSolid;
        int PenWidth = 1;
        platform::ColorRef BrushColor = 0x00FFFFFF;
        TBrushStyle BrushStyle = bsSolid;
        QFont Font;
        platform::ColorRef FontColor = platform::clWindowText;
    };

    // A persistent canvas maps the client rectangle where the picture is shown onto the bitmap
    // rectangle it shows (an empty one maps nothing).
    struct Mapping {
        QRect client;
        QRect bitmap;
    };

    // True when the drawing goes into the bitmap.
    bool Persistent() const { return persistent_; }
    const Style& CanvasStyle() const { return style_; }

    // The pen's position, where LineTo starts.
    QPoint PenPos() const { return penPos_; }
    void MoveTo(int X, int Y);
    // A line from the pen's position to (X, Y), which is not drawn itself; the pen moves there.
    void LineTo(int X, int Y);
    // Shapes in the rectangle from (X1, Y1) to (X2, Y2), its right and bottom edges outside,
    // outlined with the pen and filled with the brush.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    // Lines through the points; a polygon is closed and filled.
    void Polyline(const QVector<QPoint>& Points);
    void Polygon(const QVector<QPoint>& Points);
    // Text with its top-left corner at (X, Y).
    void TextOut(int X, int Y, const QString& Text);

private:
    friend class PixDrawCanvas;
    using Painting = std::function<void(const std::function<void(QPainter&)>&)>;
    TPixCanvas(bool persistent, Style style, Mapping mapping, Painting paint);
    void draw(const std::function<void(QPainter&)>& shape, bool text = false);
    // A client point where it lies on the surface drawn on.
    QPoint map(const QPoint& point) const;
    // A pen width or a font size in pixels of the surface.
    int scaled(int size) const;

    bool persistent_;
    Style style_;
    Mapping mapping_;
    Painting paint_;
    QPoint penPos_;
};

} // namespace imaging
