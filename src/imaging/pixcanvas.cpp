// The drawing canvas: its operations, and how the control hands it out and takes it back.
#include "imaging/pixcanvas.h"

#include "imaging/piximage.h"

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

// ---- the control's side ----

TPixCanvas::Mapping TPixImage::canvasMapping() const
{
    const int b = BorderWidth();
    return {fView.DisplayRect(b), fView.Src};
}

// The drawing canvas (pixcanvas.h): on the bitmap with DrawPersistence, else on the window;
// for text with TextFont in TextFontColor, else with the pen and brush of the Draw
// properties, in the pen mode DrawMode. One canvas is out at a time; ReleaseDrawCanvas takes
// it back (and, for the bitmap, shows and keeps what was drawn).
TPixCanvas* TPixImage::GetDrawCanvas(bool ForText)
{
    if (fCanvas) RaiseMethodError(QStringLiteral("Processing not allowed"), 0);
    TPixCanvas::Style style;
    style.Mode = fDrawMode;
    style.Font = fTextFont;
    style.FontColor = fTextFontColor;
    if (!ForText) {
        style.PenColor = fDrawPenColor;
        style.PenStyle = fDrawPenStyle;
        style.PenWidth = fDrawPenWidth;
        style.BrushColor = fDrawFillColor;
        style.BrushStyle = fDrawFillStyle;
    }
    if (fDrawPersistence) {
        PxPixDC* dc = nullptr;
        GetBitmapDC(&dc);
        if (!dc) return nullptr; // the failure is the last result (raised while method errors are on)
        fCanvasDC = dc;
        fCanvas.reset(new TPixCanvas(true, std::move(style), canvasMapping(),
                                     [dc](const std::function<void(QPainter&)>& draw) {
                                         QPainter& p = dc->painter;
                                         p.save();
                                         draw(p);
                                         p.restore();
                                     }));
    } else {
        fCanvas.reset(new TPixCanvas(false, std::move(style), {},
                                     [this](const std::function<void(QPainter&)>& draw) { paintOnWindow(draw); }));
    }
    fLastResult = 1;
    return fCanvas.get();
}

int TPixImage::ReleaseDrawCanvas(TPixCanvas* Canvas)
{
    if (!Canvas || Canvas != fCanvas.get()) return CheckMethodResult(QStringLiteral("ReleaseDrawCanvas"), PXERR_BADPARAM);
    const bool persistent = Canvas->Persistent();
    fCanvas.reset();
    if (!persistent) {
        fLastResult = 1;
        return 1;
    }
    PxPixDC* dc = fCanvasDC;
    fCanvasDC = nullptr;
    const int result = ReleaseBitmapDC(dc);
    // The picture itself has changed: everything that shows or keeps it follows.
    fFrameDirty = true;
    update();
    fPanGlass.PictureChanged();
    markDataModified();
    return result;
}

// Draws onto the frame the window shows, inside the frame around the picture.
void TPixImage::paintOnWindow(const std::function<void(QPainter&)>& draw)
{
    // What the window shows is drawn on; a paint under way (an OnPaint handler drawing) has the
    // frame at hand already.
    if (!fInPaint && (fFrameDirty || fFrame.size() != QSize(ClientWidth(), ClientHeight()))) composeFrame();
    if (fFrame.isNull()) return;
    {
        QPainter p(&fFrame);
        p.setClipRect(innerRect());
        draw(p);
    }
    if (!fInPaint) update();
}

} // namespace imaging
