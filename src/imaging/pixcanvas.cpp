// The drawing canvas and its operations.
#include "imaging/pixcanvas.h"

#include "platform/rounding.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace imaging {

using namespace sdk;

namespace {

QPainter::CompositionMode compositionOf(TPenMode mode)
{
    switch (mode) {
    case pmBlack: return QPainter::RasterOp_ClearDestination;
    case pmWhite: return QPainter::RasterOp_SetDestination;
    case pmNop: return QPainter::CompositionMode_Destination;
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case pmCopy: break;
    }
    return QPainter::CompositionMode_SourceOver;
}

Qt::PenStyle penStyleOf(TPenStyle style)
{
    switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    case psSolid:
    case psInsideFrame: break;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle brushStyleOf(TBrushStyle style)
{
    switch (style) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    case bsSolid: break;
    }
    return Qt::SolidPattern;
}

void applyStyle(QPainter& p, const TPixCanvas::Style& s, int penWidth, bool text)
{
    p.setBackgroundMode(Qt::TransparentMode);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (text) {
        // Text takes its colour as it is, whatever the pen mode.
        p.setPen(platform::colorToQColor(s.FontColor));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    // A pen of width 0 or 1 is one pixel wide; the end point of a line is not drawn.
    p.setPen(QPen(platform::colorToQColor(s.PenColor), penWidth <= 1 ? 0 : penWidth, penStyleOf(s.PenStyle),
                  Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(QBrush(platform::colorToQColor(s.BrushColor), brushStyleOf(s.BrushStyle)));
    p.setCompositionMode(compositionOf(s.Mode));
}

// The shape of the edges (left, top) to (right, bottom) whose right and bottom edges lie outside:
// the pen's outline ends one pixel before them, a shape without a pen is one pixel smaller.
QRect edgesRect(const QPoint& a, const QPoint& b)
{
    const int left = std::min(a.x(), b.x()), right = std::max(a.x(), b.x());
    const int top = std::min(a.y(), b.y()), bottom = std::max(a.y(), b.y());
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

} // namespace

TPixCanvas::TPixCanvas(bool persistent, Style style, Mapping mapping, Painting paint)
    : persistent_(persistent), style_(std::move(style)), mapping_(mapping), paint_(std::move(paint))
{
}

QPoint TPixCanvas::map(const QPoint& point) const
{
    const QRect& c = mapping_.client;
    const QRect& b = mapping_.bitmap;
    if (c.isEmpty() || b.isEmpty()) return point;
    return {platform::roundHalfEven(static_cast<double>(point.x() - c.left()) * b.width() / c.width()) + b.left(),
            platform::roundHalfEven(static_cast<double>(point.y() - c.top()) * b.height() / c.height()) + b.top()};
}

int TPixCanvas::scaled(int size) const
{
    const QRect& c = mapping_.client;
    const QRect& b = mapping_.bitmap;
    if (c.isEmpty() || b.isEmpty()) return size;
    const double factor = (static_cast<double>(b.width()) / c.width() + static_cast<double>(b.height()) / c.height()) / 2;
    return std::max(1, platform::roundHalfEven(size * factor));
}

void TPixCanvas::draw(const std::function<void(QPainter&)>& shape, bool text)
{
    paint_([&](QPainter& p) {
        applyStyle(p, style_, style_.PenWidth > 1 ? scaled(style_.PenWidth) : style_.PenWidth, text);
        shape(p);
    });
}

void TPixCanvas::MoveTo(int X, int Y) { penPos_ = QPoint(X, Y); }

void TPixCanvas::LineTo(int X, int Y)
{
    const QPoint from = map(penPos_);
    const QPoint to = map(QPoint(X, Y));
    draw([&](QPainter& p) { p.drawLine(from, to); });
    penPos_ = QPoint(X, Y);
}

void TPixCanvas::Rectangle(int X1, int Y1, int X2, int Y2)
{
    const QRect r = edgesRect(map(QPoint(X1, Y1)), map(QPoint(X2, Y2)));
    draw([&](QPainter& p) { p.drawRect(r); });
}

void TPixCanvas::Ellipse(int X1, int Y1, int X2, int Y2)
{
    const QRect r = edgesRect(map(QPoint(X1, Y1)), map(QPoint(X2, Y2)));
    draw([&](QPainter& p) { p.drawEllipse(r); });
}

void TPixCanvas::Polyline(const QVector<QPoint>& Points)
{
    if (Points.size() < 2) return;
    QVector<QPoint> mapped;
    for (const QPoint& point : Points) mapped.append(map(point));
    draw([&](QPainter& p) { p.drawPolyline(mapped.constData(), static_cast<int>(mapped.size())); });
}

void TPixCanvas::Polygon(const QVector<QPoint>& Points)
{
    if (Points.size() < 2) return;
    QVector<QPoint> mapped;
    for (const QPoint& point : Points) mapped.append(map(point));
    draw([&](QPainter& p) { p.drawPolygon(mapped.constData(), static_cast<int>(mapped.size())); });
}

void TPixCanvas::TextOut(int X, int Y, const QString& Text)
{
    // The font is as tall on the bitmap as it shows on the window.
    QFont font = style_.Font;
    if (font.pixelSize() > 0) font.setPixelSize(scaled(font.pixelSize()));
    else font.setPointSizeF(font.pointSizeF() * scaled(1000) / 1000.0);
    const QPoint at = map(QPoint(X, Y));
    draw(
        [&](QPainter& p) {
            p.setFont(font);
            p.drawText(QPoint(at.x(), at.y() + QFontMetrics(font).ascent()), Text);
        },
        true);
}

} // namespace imaging
