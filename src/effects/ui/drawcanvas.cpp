#include "drawcanvas.h"

#include "platform/rounding.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace effectsui {

using effects::Bgr;

namespace {

QColor qcolour(ColorRef c)
{
    const ColorRef rgb = effects::ColorToRGB(c);
    return QColor(effects::redOf(rgb), effects::greenOf(rgb), effects::blueOf(rgb));
}

QPainter::CompositionMode compositionOf(TPenMode mode)
{
    switch (mode) {
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    default: return QPainter::CompositionMode_Source;
    }
}

// Copies part of the picture into (or back from) a 32-bit working image at (left, top).
void toImage(const Bitmap24& b, QImage& image, int left, int top)
{
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* src = b.pixelPtr(left, top + y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, src += 3) out[x] = qRgb(src[2], src[1], src[0]);
    }
}

void fromImage(const QImage& image, Bitmap24& b, int left, int top)
{
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* dst = b.pixelPtr(left, top + y);
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, dst += 3) {
            dst[0] = std::uint8_t(qBlue(in[x]));
            dst[1] = std::uint8_t(qGreen(in[x]));
            dst[2] = std::uint8_t(qRed(in[x]));
        }
    }
}

// The framework's normalised rectangle, right and bottom exclusive, as Qt draws it: an outline
// runs through both edges of the rectangle it is given, a fill without pen covers it.
QRect shapeRect(int x1, int y1, int x2, int y2, bool pen)
{
    const int l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    return pen ? QRect(l, t, r - l - 1, b - t - 1) : QRect(l, t, r - l, b - t);
}

// One byte of a ternary raster operation: bit (p s d) of the operation's index gives the result.
std::uint8_t ternary(std::uint8_t index, std::uint8_t p, std::uint8_t s, std::uint8_t d)
{
    std::uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (!((index >> bit) & 1)) continue;
        const std::uint8_t mp = (bit & 4) ? p : std::uint8_t(~p);
        const std::uint8_t ms = (bit & 2) ? s : std::uint8_t(~s);
        const std::uint8_t md = (bit & 1) ? d : std::uint8_t(~d);
        out |= std::uint8_t(mp & ms & md);
    }
    return out;
}

} // namespace

TCanvas::Batch::Batch(TCanvas& canvas) : canvas_(canvas), owner_(canvas.batch_ == nullptr)
{
    if (!owner_ || canvas.bitmap_.empty()) {
        owner_ = false;
        return;
    }
    canvas.batch_ = new QImage(canvas.bitmap_.width(), canvas.bitmap_.height(), QImage::Format_RGB32);
    toImage(canvas.bitmap_, *canvas.batch_, 0, 0);
    canvas.batchPainter_ = new QPainter(canvas.batch_);
}

TCanvas::Batch::~Batch()
{
    if (!owner_) return;
    delete canvas_.batchPainter_;
    canvas_.batchPainter_ = nullptr;
    fromImage(*canvas_.batch_, canvas_.bitmap_, 0, 0);
    delete canvas_.batch_;
    canvas_.batch_ = nullptr;
}

void TCanvas::paint(int left, int top, int right, int bottom, bool fill, const std::function<void(QPainter&)>& draw)
{
    if (bitmap_.empty()) return;
    const int grow = std::clamp(Pen.Width, 1, 10000) + 2;
    const int l = int(std::clamp<std::int64_t>(std::int64_t(std::min(left, right)) - grow, 0, bitmap_.width()));
    const int r = int(std::clamp<std::int64_t>(std::int64_t(std::max(left, right)) + grow + 1, 0, bitmap_.width()));
    const int t = int(std::clamp<std::int64_t>(std::int64_t(std::min(top, bottom)) - grow, 0, bitmap_.height()));
    const int b = int(std::clamp<std::int64_t>(std::int64_t(std::max(top, bottom)) + grow + 1, 0, bitmap_.height()));
    if (l >= r || t >= b) return;
    if (batchPainter_) {
        setUp(*batchPainter_, fill);
        draw(*batchPainter_);
        return;
    }
    QImage local(r - l, b - t, QImage::Format_RGB32);
    toImage(bitmap_, local, l, t);
    {
        QPainter painter(&local);
        painter.translate(-l, -t);
        setUp(painter, fill);
        draw(painter);
    }
    fromImage(local, bitmap_, l, t);
}

void TCanvas::setUp(QPainter& painter, bool fill) const
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen;
    if (Pen.Style == psClear) {
        pen = Qt::NoPen;
    } else {
        pen = QPen(qcolour(Pen.Color), Pen.Width <= 1 ? 0 : Pen.Width);
        pen.setStyle(Pen.Style == psDot ? Qt::DotLine : Qt::SolidLine);
        pen.setCapStyle(Pen.Width <= 1 ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    painter.setPen(pen);
    painter.setBrush(fill && Brush.Style == bsSolid ? QBrush(qcolour(Brush.Color)) : QBrush(Qt::NoBrush));
    painter.setCompositionMode(compositionOf(Pen.Mode));
}

void TCanvas::boundsPaint(const std::vector<Point>& points, bool fill, const std::function<void(QPainter&)>& draw)
{
    if (points.empty()) return;
    int l = points[0].x, r = l, t = points[0].y, b = t;
    for (const Point& p : points) {
        l = std::min(l, p.x);
        r = std::max(r, p.x);
        t = std::min(t, p.y);
        b = std::max(b, p.y);
    }
    paint(l, t, r, b, fill, draw);
}

void TCanvas::LineTo(int x, int y)
{
    const Point from = PenPos;
    PenPos = {x, y};
    if (from == PenPos) return;
    paint(from.x, from.y, x, y, false, [&](QPainter& p) { p.drawLine(from.x, from.y, x, y); });
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (x1 == x2 || y1 == y2) return;
    paint(x1, y1, x2, y2, true, [&](QPainter& p) { p.drawRect(shapeRect(x1, y1, x2, y2, Pen.Style != psClear)); });
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    if (x1 == x2 || y1 == y2) return;
    paint(x1, y1, x2, y2, true, [&](QPainter& p) { p.drawEllipse(shapeRect(x1, y1, x2, y2, Pen.Style != psClear)); });
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight)
{
    if (x1 == x2 || y1 == y2) return;
    paint(x1, y1, x2, y2, true, [&](QPainter& p) {
        p.drawRoundedRect(shapeRect(x1, y1, x2, y2, Pen.Style != psClear), cornerWidth / 2.0, cornerHeight / 2.0, Qt::AbsoluteSize);
    });
}

void TCanvas::Polygon(const std::vector<Point>& points)
{
    QPolygon polygon;
    for (const Point& pt : points) polygon << QPoint(pt.x, pt.y);
    boundsPaint(points, true, [&](QPainter& p) { p.drawPolygon(polygon, Qt::OddEvenFill); });
}

void TCanvas::Polyline(const std::vector<Point>& points)
{
    if (points.size() < 2) return;
    QPolygon polygon;
    for (const Point& pt : points) polygon << QPoint(pt.x, pt.y);
    boundsPaint(points, false, [&](QPainter& p) { p.drawPolyline(polygon); });
}

void TCanvas::PolyBezier(const std::vector<Point>& points)
{
    if (points.size() < 4) return;
    QPainterPath path(QPointF(points[0].x, points[0].y));
    for (std::size_t i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, points[i + 2].x, points[i + 2].y);
    boundsPaint(points, false, [&](QPainter& p) { p.drawPath(path); });
}

void TCanvas::arcShape(int kind, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    if (x1 == x2 || y1 == y2) return;
    const QRect rect = shapeRect(x1, y1, x2, y2, Pen.Style != psClear);
    const QPointF c = QRectF(rect).center();
    // Angles counter-clockwise from three o'clock, with the screen's y axis pointing down.
    auto angleTo = [&](int x, int y) { return std::atan2(-(y - c.y()), x - c.x()) * 180 / std::numbers::pi; };
    const double start = angleTo(x3, y3);
    double span = angleTo(x4, y4) - start;
    while (span <= 0) span += 360;
    const int a = platform::roundHalfEven(start * 16), s = platform::roundHalfEven(span * 16);
    paint(x1, y1, x2, y2, kind != 0, [&](QPainter& p) {
        if (kind == 0) p.drawArc(rect, a, s);
        else if (kind == 1) p.drawChord(rect, a, s);
        else p.drawPie(rect, a, s);
    });
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) { arcShape(0, x1, y1, x2, y2, x3, y3, x4, y4); }
void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) { arcShape(1, x1, y1, x2, y2, x3, y3, x4, y4); }
void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) { arcShape(2, x1, y1, x2, y2, x3, y3, x4, y4); }

void TCanvas::FillRect(const effects::Rect& rect)
{
    if (Brush.Style != bsSolid) return;
    const Bgr colour = effects::bgrOf(effects::ColorToRGB(Brush.Color));
    const int l = std::max(0, std::min(rect.left, rect.right)), r = std::min(bitmap_.width(), std::max(rect.left, rect.right));
    const int t = std::max(0, std::min(rect.top, rect.bottom)), b = std::min(bitmap_.height(), std::max(rect.top, rect.bottom));
    if (batchPainter_) {
        batchPainter_->setCompositionMode(QPainter::CompositionMode_Source);
        batchPainter_->fillRect(QRect(l, t, r - l, b - t), qcolour(Brush.Color));
        return;
    }
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) bitmap_.setPixel(x, y, colour);
}

void TCanvas::FloodFill(int x, int y, ColorRef colour, TFillStyle style)
{
    const int w = bitmap_.width(), h = bitmap_.height();
    if (Brush.Style != bsSolid || x < 0 || y < 0 || x >= w || y >= h) return;
    const Bgr key = effects::bgrOf(effects::ColorToRGB(colour));
    const Bgr fill = effects::bgrOf(effects::ColorToRGB(Brush.Color));
    // Every pixel is filled once: the marks end the walk whatever the fill colour.
    std::vector<bool> seen(std::size_t(w) * std::size_t(h), false);
    auto fillable = [&](int px, int py) {
        if (seen[std::size_t(py) * std::size_t(w) + std::size_t(px)]) return false;
        const bool same = bitmap_.pixel(px, py) == key;
        return style == fsSurface ? same : !same;
    };
    if (!fillable(x, y)) return;
    std::vector<Point> stack{{x, y}};
    while (!stack.empty()) {
        const Point seed = stack.back();
        stack.pop_back();
        if (!fillable(seed.x, seed.y)) continue;
        int l = seed.x, r = seed.x;
        while (l > 0 && fillable(l - 1, seed.y)) --l;
        while (r < w - 1 && fillable(r + 1, seed.y)) ++r;
        for (int i = l; i <= r; ++i) {
            seen[std::size_t(seed.y) * std::size_t(w) + std::size_t(i)] = true;
            bitmap_.setPixel(i, seed.y, fill);
        }
        for (int ny : {seed.y - 1, seed.y + 1}) {
            if (ny < 0 || ny >= h) continue;
            bool inRun = false;
            for (int i = l; i <= r; ++i) {
                const bool f = fillable(i, ny);
                if (f && !inRun) stack.push_back({i, ny});
                inRun = f;
            }
        }
    }
}

ColorRef TCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= bitmap_.width() || y >= bitmap_.height()) return -1;
    const Bgr p = bitmap_.pixel(x, y);
    return effects::rgbColor(p.r, p.g, p.b);
}

void TCanvas::SetPixel(int x, int y, ColorRef colour)
{
    if (x < 0 || y < 0 || x >= bitmap_.width() || y >= bitmap_.height()) return;
    bitmap_.setPixel(x, y, effects::bgrOf(effects::ColorToRGB(colour)));
}

void TCanvas::CopyRect(Bitmap24& dest, const effects::Rect& destRect, const Bitmap24& source,
                       const effects::Rect& sourceRect, std::int32_t rop, ColorRef brush)
{
    const std::int64_t dw = std::int64_t(destRect.right) - destRect.left, dh = std::int64_t(destRect.bottom) - destRect.top;
    const std::int64_t sw = std::int64_t(sourceRect.right) - sourceRect.left, sh = std::int64_t(sourceRect.bottom) - sourceRect.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || source.empty() || dest.empty()) return;
    // A copy of the source, so that overlapping copies within one bitmap read the old pixels.
    const Bitmap24 src = &source == &dest ? source : Bitmap24();
    const Bitmap24& from = &source == &dest ? src : source;
    const auto index = std::uint8_t((rop >> 16) & 0xFF);
    const Bgr pattern = effects::bgrOf(effects::ColorToRGB(brush));
    const std::int64_t y0 = std::max<std::int64_t>(destRect.top, 0), y1 = std::min<std::int64_t>(destRect.bottom, dest.height());
    const std::int64_t x0 = std::max<std::int64_t>(destRect.left, 0), x1 = std::min<std::int64_t>(destRect.right, dest.width());
    const bool plainCopy = index == 0xCC && dw == sw && dh == sh;
    for (std::int64_t y = y0; y < y1; ++y) {
        const std::int64_t sy = sourceRect.top + (y - destRect.top) * sh / dh;
        if (sy < 0 || sy >= from.height()) continue;
        if (plainCopy) {
            // The common case (the range of an effect): whole rows of the part inside both.
            const std::int64_t offset = sourceRect.left - destRect.left;
            const std::int64_t a = std::max(x0, -offset), b = std::min(x1, from.width() - offset);
            if (a < b)
                std::memcpy(dest.pixelPtr(int(a), int(y)), from.pixelPtr(int(a + offset), int(sy)), std::size_t(b - a) * 3);
            continue;
        }
        for (std::int64_t x = x0; x < x1; ++x) {
            const std::int64_t sx = sourceRect.left + (x - destRect.left) * sw / dw;
            if (sx < 0 || sx >= from.width()) continue;
            const Bgr s = from.pixel(int(sx), int(sy));
            const Bgr d = dest.pixel(int(x), int(y));
            dest.setPixel(int(x), int(y), Bgr{ternary(index, pattern.b, s.b, d.b), ternary(index, pattern.g, s.g, d.g),
                                              ternary(index, pattern.r, s.r, d.r)});
        }
    }
}

void TCanvas::DrawTransparent(int x, int y, const Bitmap24& source, ColorRef key)
{
    const Bgr k = effects::bgrOf(effects::ColorToRGB(key));
    for (int j = 0; j < source.height(); ++j) {
        const std::int64_t ty = std::int64_t(y) + j;
        if (ty < 0 || ty >= bitmap_.height()) continue;
        for (int i = 0; i < source.width(); ++i) {
            const std::int64_t tx = std::int64_t(x) + i;
            if (tx < 0 || tx >= bitmap_.width()) continue;
            const Bgr p = source.pixel(i, j);
            if (!(p == k)) bitmap_.setPixel(int(tx), int(ty), p);
        }
    }
}

} // namespace effectsui
