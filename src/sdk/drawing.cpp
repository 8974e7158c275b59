#include "sdk/drawing.h"

#include "platform/colors.h"
#include "platform/rounding.h"

#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace sdk {

namespace {

QColor toColor(std::int32_t c)
{
    const QColor q = platform::colorToQColor(c);
    return q.isValid() ? q : QColor(Qt::black);
}

// Draws a band of thickness lines inside r: raised puts the light colour top and left.
void drawBand(QPainter* p, QRect& r, int thickness, bool raised, const QColor& hilite, const QColor& shadow)
{
    const QColor& topLeft = raised ? hilite : shadow;
    const QColor& bottomRight = raised ? shadow : hilite;
    for (int i = 0; i < thickness && r.width() > 0 && r.height() > 0; ++i) {
        p->fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
        p->fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
        p->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        p->fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 1), bottomRight);
        r.adjust(1, 1, -1, -1);
    }
}

// Lines of a plain frame inside r, in a pen style (1 solid ... 5 dash dot dot).
void drawLines(QPainter* p, QRect& r, int thickness, int style, const QColor& color)
{
    static const Qt::PenStyle styles[] = {Qt::NoPen, Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
    for (int i = 0; i < thickness && r.width() > 0 && r.height() > 0; ++i) {
        if (style == 1) {
            p->fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
            p->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), color);
            p->fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
            p->fillRect(QRect(r.right(), r.top(), 1, r.height()), color);
        } else if (style > 1 && style <= 5) {
            p->save();
            p->setPen(QPen(color, 1, styles[style], Qt::FlatCap));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.adjusted(0, 0, -1, -1));
            p->restore();
        }
        r.adjust(1, 1, -1, -1);
    }
}

} // namespace

int PX_CreatePixDC(SdkBitmapHandle* bitmap, PxPixDC** dc)
{
    if (!dc) return PXERR_BADPARAM;
    *dc = nullptr;
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    const QImage::Format format = bitmap->BitsPerPixel == 8 ? QImage::Format_Grayscale8
                                  : bitmap->BitsPerPixel == 32 ? QImage::Format_ARGB32
                                                               : QImage::Format_BGR888;
    auto* d = new PxPixDC;
    d->image = QImage(bitmap->bits(), bitmap->Width, bitmap->Height, bitmap->BytesPerLine, format);
    if (d->image.isNull() || !d->painter.begin(&d->image)) {
        delete d;
        return PXERR_NOMEMORY;
    }
    *dc = d;
    return PX_SUCCESS;
}

int PX_DeletePixDC(PxPixDC* dc)
{
    if (!dc) return PXERR_BADPARAM;
    dc->painter.end();
    delete dc;
    return PX_SUCCESS;
}

bool isGradientCode(int code)
{
    return (code >= 1000 && code <= 1015) || (code >= 2000 && code <= 2007) || (code >= 3000 && code <= 3001) ||
           (code >= 4000 && code <= 4001) || (code >= 5000 && code <= 5007);
}

int PX_EfxGradientFillRect(QPainter* dc, const QRect& rect, int style, std::int32_t startColor, std::int32_t endColor, int steps)
{
    if (!dc || !isGradientCode(style) || steps < 2 || steps > 265) return PXERR_BADPARAM;
    const QRect r = rect.normalized();
    if (r.isEmpty()) return PX_SUCCESS;
    if (!sizeAllowed(r.width(), r.height(), 32)) return PXERR_NOMEMORY;
    QImage img(r.size(), QImage::Format_RGB32);
    if (img.isNull()) return PXERR_NOMEMORY;
    const QColor a = toColor(startColor), b = toColor(endColor);
    std::vector<QRgb> band(static_cast<std::size_t>(steps));
    for (int i = 0; i < steps; ++i) {
        const double f = static_cast<double>(i) / (steps - 1);
        band[static_cast<std::size_t>(i)] = qRgb(platform::roundHalfEven(a.red() + (b.red() - a.red()) * f),
                                                 platform::roundHalfEven(a.green() + (b.green() - a.green()) * f),
                                                 platform::roundHalfEven(a.blue() + (b.blue() - a.blue()) * f));
    }
    // Positions are pixel centres: the first pixel has the start colour, the farthest the end colour.
    const double w = r.width() - 1.0, h = r.height() - 1.0;
    const double cx = w / 2.0, cy = h / 2.0;
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    auto value = [&](double x, double y) -> double {
        if (style <= 1015) {
            const double ang = (style - 1000) * 22.5 * std::numbers::pi / 180.0;
            const double dx = std::cos(ang), dy = std::sin(ang);
            const double lo = std::min({0.0, w * dx, h * dy, w * dx + h * dy});
            const double hi = std::max({0.0, w * dx, h * dy, w * dx + h * dy});
            return ratio(x * dx + y * dy - lo, hi - lo);
        }
        if (style <= 2007) {
            const double ang = (style - 2000) * 22.5 * std::numbers::pi / 180.0;
            const double dx = std::cos(ang), dy = std::sin(ang);
            return ratio(std::fabs((x - cx) * dx + (y - cy) * dy), std::fabs(cx * dx) + std::fabs(cy * dy));
        }
        if (style <= 3001) {
            const double t = ratio(std::hypot(x - cx, y - cy), std::hypot(cx, cy));
            return style == 3000 ? t : 1.0 - t;
        }
        if (style <= 4001) {
            const double t = std::max(ratio(std::fabs(x - cx), cx), ratio(std::fabs(y - cy), cy));
            return style == 4000 ? t : 1.0 - t;
        }
        static const double origins[8][2] = {{0, 0}, {0.5, 0}, {1, 0}, {1, 0.5}, {1, 1}, {0.5, 1}, {0, 1}, {0, 0.5}};
        const double ox = origins[style - 5000][0] * w, oy = origins[style - 5000][1] * h;
        const double vx = w - 2 * ox, vy = h - 2 * oy; // to the opposite point
        return ratio((x - ox) * vx + (y - oy) * vy, vx * vx + vy * vy);
    };
    for (int y = 0; y < r.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < r.width(); ++x) {
            const double t = std::clamp(value(x, y), 0.0, 1.0);
            const int i = std::min(steps - 1, static_cast<int>(t * steps));
            line[x] = band[static_cast<std::size_t>(i)];
        }
    }
    dc->drawImage(r.topLeft(), img);
    return PX_SUCCESS;
}

int PX_EfxDrawFrame(QPainter* dc, const QRect& rect, int flags, int thickness, std::int32_t color, int innerThickness,
                    std::int32_t innerShadow, std::int32_t innerHilite, int outerThickness, std::int32_t outerShadow,
                    std::int32_t outerHilite)
{
    if (!dc || thickness < 0 || innerThickness < 0 || outerThickness < 0) return PXERR_BADPARAM;
    QRect r = rect.normalized();
    drawBand(dc, r, outerThickness, (flags & frameOuterRaised) != 0, toColor(outerHilite), toColor(outerShadow));
    drawLines(dc, r, thickness, 1, toColor(color));
    drawBand(dc, r, innerThickness, (flags & frameInnerRaised) != 0, toColor(innerHilite), toColor(innerShadow));
    return PX_SUCCESS;
}

int PX_EfxDraw3dShape(QPainter* dc, const PxShapeStyle& s)
{
    if (!dc) return PXERR_BADPARAM;
    if (s.ShapeType != shapeRectangle) return PXERR_UNSUPPORTED;
    if (s.BorderThickness < 0 || s.InnerBandThickness < 0 || s.OuterBandThickness < 0) return PXERR_BADPARAM;
    const QRect shape = s.Shape.normalized();
    if (shape.isEmpty()) return PX_SUCCESS;
    // The shape and its shadow share the rectangle.
    const int sx = std::clamp(s.ShadowXDepth, -shape.width() + 1, shape.width() - 1);
    const int sy = std::clamp(s.ShadowYDepth, -shape.height() + 1, shape.height() - 1);
    QRect body(shape.left() + std::max(0, -sx), shape.top() + std::max(0, -sy), shape.width() - std::abs(sx),
               shape.height() - std::abs(sy));
    if (sx != 0 || sy != 0) {
        const QRect shadow = body.translated(sx, sy);
        // Only what the body does not cover.
        QRegion visible = QRegion(shadow).subtracted(QRegion(body));
        for (const QRect& part : visible) dc->fillRect(part, toColor(s.ShadowColor));
    }
    switch (s.BackgroundStyle) {
    case shapeBackOpaque: dc->fillRect(body, toColor(s.PatternBackColor)); break;
    case shapeBackTranslucent: {
        QColor c = toColor(s.PatternBackColor);
        c.setAlpha(128);
        dc->fillRect(body, c);
        break;
    }
    case shapeBackImage:
    case shapeBackTranslucentImage:
        if (s.Background) {
            const QRect from = s.BackgroundRect.isEmpty() ? s.Background->image.rect() : s.BackgroundRect;
            dc->save();
            if (s.BackgroundStyle == shapeBackTranslucentImage) dc->setOpacity(0.5);
            dc->drawImage(body, s.Background->image, from);
            dc->restore();
        }
        break;
    default: break;
    }
    static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern, Qt::BDiagPattern,
                                             Qt::CrossPattern, Qt::DiagCrossPattern};
    if (s.PatternStyle >= 2 && s.PatternStyle <= 7) dc->fillRect(body, QBrush(toColor(s.PatternForeColor), hatches[s.PatternStyle - 2]));
    if (s.OuterBandStyle == 1 || s.OuterBandStyle == 2)
        drawBand(dc, body, s.OuterBandThickness, s.OuterBandStyle == 2, toColor(s.OuterBandHilite), toColor(s.OuterBandShadow));
    drawLines(dc, body, s.BorderThickness, s.BorderStyle, toColor(s.BorderColor));
    if (s.InnerBandStyle == 1 || s.InnerBandStyle == 2)
        drawBand(dc, body, s.InnerBandThickness, s.InnerBandStyle == 2, toColor(s.InnerBandHilite), toColor(s.InnerBandShadow));
    return PX_SUCCESS;
}

namespace {

struct PaintLevels {
    int contrast, intensity, gamma;
};

PaintLevels clampedLevels(int contrast, int intensity, int gamma)
{
    return {std::clamp(contrast, -100, 100), std::clamp(intensity, -100, 100), std::clamp(gamma, 10, 1000)};
}

// What each byte value is shown as.
std::array<std::uint8_t, 256> adjustmentTable(const PaintLevels& l)
{
    // Contrast stretches or squeezes the values around the middle; 100 is steep but finite.
    const double factor = l.contrast >= 0 ? 100.0 / (100.0 - l.contrast * 0.99) : (100.0 + l.contrast) / 100.0;
    const double lift = l.intensity * 255.0 / 100.0;
    const double exponent = 100.0 / l.gamma;
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        double x = std::clamp(127.5 + (v - 127.5) * factor + lift, 0.0, 255.0);
        x = 255.0 * std::pow(x / 255.0, exponent);
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(std::clamp(platform::roundHalfEven(x), 0, 255));
    }
    return table;
}

} // namespace

int PX_SetPaintContrast(SdkBitmapHandle* bitmap, int contrast)
{
    if (!bitmap) return PXERR_BADBITMAP;
    bitmap->PaintContrast = contrast;
    return PX_SUCCESS;
}

int PX_SetPaintIntensity(SdkBitmapHandle* bitmap, int intensity)
{
    if (!bitmap) return PXERR_BADBITMAP;
    bitmap->PaintIntensity = intensity;
    return PX_SUCCESS;
}

int PX_SetPaintGamma(SdkBitmapHandle* bitmap, int gamma)
{
    if (!bitmap) return PXERR_BADBITMAP;
    bitmap->PaintGamma = gamma;
    return PX_SUCCESS;
}

bool paintAdjusted(int contrast, int intensity, int gamma)
{
    const PaintLevels l = clampedLevels(contrast, intensity, gamma);
    return l.contrast != 0 || l.intensity != 0 || l.gamma != 100;
}

void applyPaintAdjustments(QImage& image, int contrast, int intensity, int gamma)
{
    if (image.isNull() || !paintAdjusted(contrast, intensity, gamma)) return;
    const auto table = adjustmentTable(clampedLevels(contrast, intensity, gamma));
    const QImage::Format f = image.format();
    const bool bytewise = f == QImage::Format_Grayscale8 || f == QImage::Format_BGR888 || f == QImage::Format_RGB888;
    if (!bytewise && f != QImage::Format_ARGB32 && f != QImage::Format_RGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        if (bytewise) {
            std::uint8_t* line = image.scanLine(y);
            const int n = width * (f == QImage::Format_Grayscale8 ? 1 : 3);
            for (int i = 0; i < n; ++i) line[i] = table[line[i]];
        } else {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const QRgb c = line[x];
                line[x] = qRgba(table[static_cast<std::size_t>(qRed(c))], table[static_cast<std::size_t>(qGreen(c))],
                                table[static_cast<std::size_t>(qBlue(c))], qAlpha(c));
            }
        }
    }
}

int PX_PaintDCBuffer(QPainter* dc, const SdkBitmapHandle* bitmap, const QRect& source, const QRect& sourceClip,
                     const QRect& destination, const QRect& destinationClip, int rop, int firstRow, int rows)
{
    if (!dc || rop != ropSourceCopy) return PXERR_BADPARAM;
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    const QRect src = source.normalized(), dst = destination.normalized();
    if (src.isEmpty() || dst.isEmpty()) return PX_SUCCESS;
    const QRect band(0, firstRow, bitmap->Width, rows < 0 ? -rows : rows);
    const QRect visible = src.intersected(sourceClip.normalized()).intersected(band).intersected(QRect(0, 0, bitmap->Width, bitmap->Height));
    if (visible.isEmpty()) return PX_SUCCESS;
    const QImage::Format format = bitmap->BitsPerPixel == 8 ? QImage::Format_Grayscale8
                                  : bitmap->BitsPerPixel == 32 ? QImage::Format_ARGB32
                                                               : QImage::Format_BGR888;
    QImage view(bitmap->bits(), bitmap->Width, bitmap->Height, bitmap->BytesPerLine, format);
    QRect from = visible;
    if (paintAdjusted(bitmap->PaintContrast, bitmap->PaintIntensity, bitmap->PaintGamma)) {
        // Only the part painted is adjusted, in a copy.
        view = view.copy(visible);
        applyPaintAdjustments(view, bitmap->PaintContrast, bitmap->PaintIntensity, bitmap->PaintGamma);
        from.moveTo(0, 0);
    }
    const double sx = static_cast<double>(dst.width()) / src.width(), sy = static_cast<double>(dst.height()) / src.height();
    const QRectF target(dst.left() + (visible.left() - src.left()) * sx, dst.top() + (visible.top() - src.top()) * sy,
                        visible.width() * sx, visible.height() * sy);
    dc->save();
    dc->setClipRect(destinationClip.normalized(), Qt::IntersectClip);
    dc->drawImage(target, view, QRectF(from));
    dc->restore();
    return PX_SUCCESS;
}

int PX_PaintDC(QPainter* dc, const SdkBitmapHandle* bitmap, const QRect& source, const QRect& sourceClip,
               const QRect& destination, const QRect& destinationClip, int rop)
{
    const int height = bitmap ? bitmap->Height : 0;
    return PX_PaintDCBuffer(dc, bitmap, source, sourceClip, destination, destinationClip, rop, 0, height);
}

int PX_ColorBitmapRgn(QPainter* dc, const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, std::int32_t color)
{
    if (!dc) return PXERR_BADPARAM;
    QRegion out;
    const int r = PX_GetBitmapRgnHandle(bitmap, transform, &out);
    if (r != PX_SUCCESS) return r;
    for (const QRect& part : out) dc->fillRect(part, toColor(color));
    return PX_SUCCESS;
}

int PX_FrameBitmapRgn(QPainter* dc, const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, int phase)
{
    if (!dc) return PXERR_BADPARAM;
    QRegion out;
    const int r = PX_GetBitmapRgnHandle(bitmap, transform, &out);
    if (r != PX_SUCCESS) return r;
    QPainterPath path;
    path.addRegion(out);
    path = path.simplified();
    dc->save();
    dc->setBrush(Qt::NoBrush);
    dc->setPen(QPen(Qt::white, 1));
    dc->drawPath(path);
    QPen dashes(Qt::black, 1, Qt::CustomDashLine);
    dashes.setDashPattern({4, 4});
    dashes.setDashOffset(((phase % 8) + 8) % 8);
    dc->setPen(dashes);
    dc->drawPath(path);
    dc->restore();
    return PX_SUCCESS;
}

} // namespace sdk
