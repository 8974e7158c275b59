#include "sdk/regions.h"

#include <QPolygon>
#include <algorithm>
#include <limits>

namespace sdk {

namespace {

const PxRgnTransform kIdentity;

bool validScale(const PxRgnTransform& t) { return t.XScaleDen > 0 && t.YScaleDen > 0 && t.XScaleNum >= 0 && t.YScaleNum >= 0; }

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int clampInt(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

// Outside -> bitmap.
int inX(const PxRgnTransform& t, std::int64_t x) { return clampInt(floorDiv((x + t.XOffset) * t.XScaleNum, t.XScaleDen)); }
int inY(const PxRgnTransform& t, std::int64_t y) { return clampInt(floorDiv((y + t.YOffset) * t.YScaleNum, t.YScaleDen)); }
// Bitmap -> outside.
int outX(const PxRgnTransform& t, std::int64_t x) { return clampInt(floorDiv(x * t.XScaleNum, t.XScaleDen) + t.XOffset); }
int outY(const PxRgnTransform& t, std::int64_t y) { return clampInt(floorDiv(y * t.YScaleNum, t.YScaleDen) + t.YOffset); }

// A rectangle given as left, top, right, bottom (right and bottom outside), normalised and
// mapped into the bitmap.
QRect mapRectIn(const PxRgnTransform& t, const PxRect& r)
{
    std::int64_t l = r.Left, tp = r.Top, rt = r.Right, bt = r.Bottom;
    if (rt < l) std::swap(l, rt);
    if (bt < tp) std::swap(tp, bt);
    const int x0 = inX(t, l), y0 = inY(t, tp), x1 = inX(t, rt), y1 = inY(t, bt);
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

int apply(SdkBitmapHandle* bitmap, const QRegion& shape, int combineMode)
{
    const QRegion inside = shape.intersected(QRect(0, 0, bitmap->Width, bitmap->Height));
    QRegion& rgn = bitmap->Region;
    switch (combineMode) {
    case rgnReplace: rgn = inside; break;
    case rgnAnd: rgn = rgn.intersected(inside); break;
    case rgnOr: rgn = rgn.united(inside); break;
    case rgnXor: rgn = rgn.xored(inside); break;
    case rgnDiff: rgn = rgn.subtracted(inside); break;
    default: return PXERR_BADPARAM;
    }
    return PX_SUCCESS;
}

int check(const SdkBitmapHandle* bitmap, const PxRgnTransform*& transform)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (!transform) transform = &kIdentity;
    if (!validScale(*transform)) return PXERR_BADPARAM;
    return PX_SUCCESS;
}

} // namespace

int PX_SetBitmapRgnRect(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const PxRect& rect, int combineMode)
{
    if (const int r = check(bitmap, transform); r != PX_SUCCESS) return r;
    return apply(bitmap, QRegion(mapRectIn(*transform, rect)), combineMode);
}

int PX_SetBitmapRgnRoundRect(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const PxRect& rect,
                             int cornerWidth, int cornerHeight, int combineMode)
{
    if (const int r = check(bitmap, transform); r != PX_SUCCESS) return r;
    const QRect box = mapRectIn(*transform, rect);
    if (box.isEmpty()) return apply(bitmap, QRegion(), combineMode);
    const int cw = std::clamp(inX(*transform, cornerWidth) - inX(*transform, 0), 0, box.width());
    const int ch = std::clamp(inY(*transform, cornerHeight) - inY(*transform, 0), 0, box.height());
    QRegion shape(box.adjusted(cw / 2, 0, -(cw / 2), 0));
    shape += QRegion(box.adjusted(0, ch / 2, 0, -(ch / 2)));
    if (cw > 0 && ch > 0) {
        const QRect corner(0, 0, cw, ch);
        shape += QRegion(corner.translated(box.topLeft()), QRegion::Ellipse);
        shape += QRegion(corner.translated(box.right() + 1 - cw, box.top()), QRegion::Ellipse);
        shape += QRegion(corner.translated(box.left(), box.bottom() + 1 - ch), QRegion::Ellipse);
        shape += QRegion(corner.translated(box.right() + 1 - cw, box.bottom() + 1 - ch), QRegion::Ellipse);
    }
    return apply(bitmap, shape, combineMode);
}

int PX_SetBitmapRgnEllipse(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const PxRect& rect, int combineMode)
{
    if (const int r = check(bitmap, transform); r != PX_SUCCESS) return r;
    const QRect box = mapRectIn(*transform, rect);
    return apply(bitmap, box.isEmpty() ? QRegion() : QRegion(box, QRegion::Ellipse), combineMode);
}

int PX_SetBitmapRgnPolygon(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const QPoint* points, int count,
                           int fillMode, int combineMode)
{
    if (const int r = check(bitmap, transform); r != PX_SUCCESS) return r;
    if (!points || count < 3 || (fillMode != 1 && fillMode != 2)) return PXERR_BADPARAM;
    QPolygon poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i) poly << QPoint(inX(*transform, points[i].x()), inY(*transform, points[i].y()));
    return apply(bitmap, QRegion(poly, fillMode == 1 ? Qt::OddEvenFill : Qt::WindingFill), combineMode);
}

int PX_SetBitmapRgnHandle(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const QRegion& region,
                          int xOffset, int yOffset, int combineMode)
{
    if (const int r = check(bitmap, transform); r != PX_SUCCESS) return r;
    QRegion shape;
    for (const QRect& rc : region) {
        const PxRect moved{rc.left() + xOffset, rc.top() + yOffset, rc.right() + 1 + xOffset, rc.bottom() + 1 + yOffset};
        shape += mapRectIn(*transform, moved);
    }
    return apply(bitmap, shape, combineMode);
}

int PX_GetBitmapRgnHandle(const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, QRegion* region)
{
    if (const int r = check(bitmap, transform); r != PX_SUCCESS) return r;
    if (!region) return PXERR_BADPARAM;
    QRegion out;
    for (const QRect& rc : bitmap->Region) {
        const int l = outX(*transform, rc.left()), t = outY(*transform, rc.top());
        const int rt = outX(*transform, static_cast<std::int64_t>(rc.right()) + 1), b = outY(*transform, static_cast<std::int64_t>(rc.bottom()) + 1);
        if (rt > l && b > t) out += QRect(QPoint(l, t), QPoint(rt - 1, b - 1));
    }
    *region = out;
    return PX_SUCCESS;
}

int PX_GetBitmapRgnBounds(const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, QRect* bounds)
{
    if (!bounds) return PXERR_BADPARAM;
    QRegion out;
    if (const int r = PX_GetBitmapRgnHandle(bitmap, transform, &out); r != PX_SUCCESS) return r;
    *bounds = out.boundingRect();
    return PX_SUCCESS;
}

int PX_FreeBitmapRgn(SdkBitmapHandle* bitmap)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    bitmap->Region = QRegion();
    return PX_SUCCESS;
}

int PX_BitmapHasRgn(const SdkBitmapHandle* bitmap)
{
    return bitmap && bitmap->allocated() && !bitmap->Region.isEmpty() ? 1 : 0;
}

int PX_IsPtInBitmapRgn(const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, int x, int y)
{
    if (check(bitmap, transform) != PX_SUCCESS) return 0;
    return bitmap->Region.contains(QPoint(inX(*transform, x), inY(*transform, y))) ? 1 : 0;
}

int PX_PointToBitmap(const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, int* x, int* y)
{
    if (const int r = check(bitmap, transform); r != PX_SUCCESS) return r;
    if (!x || !y) return PXERR_BADPARAM;
    *x = inX(*transform, *x);
    *y = inY(*transform, *y);
    return PX_SUCCESS;
}

} // namespace sdk
