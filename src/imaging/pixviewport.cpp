// PixViewport: the arithmetic of the picture's place in an image control.
#include "imaging/pixviewport.h"

#include "platform/rounding.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace imaging {

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if (a % b != 0 && (a < 0) != (b < 0)) --q;
    return q;
}

// A screen distance in bitmap pixels, rounded toward minus infinity.
int toBitmapUnits(int distance, int sourceSize, int destinationSize)
{
    return static_cast<int>(floorDiv(static_cast<std::int64_t>(distance) * sourceSize, std::max(1, destinationSize)));
}

} // namespace

int PixViewport::Scaled(int n, double z)
{
    if (z > 0.0) return platform::roundHalfEven(n * z);
    if (z == 0.0) return 1;
    return platform::roundHalfEven(n / (1.0 - z));
}

// ---- size modes and zoom ----

bool PixViewport::Fit(TPaintSizeMode mode, QSize picture, QSize inner)
{
    const int w = picture.width();
    const int h = picture.height();
    if (w == 0 || h == 0) {
        DstWidth = 0;
        DstHeight = 0;
        return false;
    }
    const double fx = static_cast<double>(inner.width()) / w;
    const double fy = static_cast<double>(inner.height()) / h;
    switch (mode) {
    case smNormal:
    case smZoom: break;
    case smStretch:
        ZoomX = fx;
        ZoomY = fy;
        break;
    case smFitSides:
        ZoomX = fx;
        ZoomY = fx;
        break;
    case smFit:
        ZoomX = std::min(fx, fy);
        ZoomY = ZoomX;
        break;
    }
    DstHeight = Scaled(h, ZoomY);
    DstWidth = Scaled(w, ZoomX);
    DstClip = QRect(DstLeft, DstTop, DstWidth, DstHeight);
    return true;
}

void PixViewport::ResetZoom(QSize bitmap)
{
    ZoomX = 1.0;
    ZoomY = 1.0;
    DstWidth = platform::truncToInt(bitmap.width() * ZoomX);
    DstHeight = platform::truncToInt(bitmap.height() * ZoomY);
}

int PixViewport::ZoomFactor(TPaintSizeMode mode) const
{
    const double zoom = mode == smStretch ? std::min(ZoomX, ZoomY) : ZoomX;
    return platform::roundHalfEven(zoom * 100.0);
}

void PixViewport::SetZoomFactor(int percent)
{
    ZoomX = percent / 100.0;
    ZoomY = percent / 100.0;
}

void PixViewport::ClipToDestination()
{
    DstClip = QRect(DstLeft, DstTop, DstWidth, DstHeight);
    Display = DstClip;
}

void PixViewport::Centre(QSize inner)
{
    QRect r = Display;
    if (r.width() < inner.width()) {
        const int left = platform::roundHalfEven(inner.width() / 2.0) - platform::roundHalfEven(r.width() / 2.0);
        r.moveLeft(left);
    }
    if (r.height() < inner.height()) {
        const int top = platform::roundHalfEven(inner.height() / 2.0 - r.height() / 2.0);
        r.moveTop(top);
    }
    Display = r;
    DstClip = r;
    DstLeft = r.left();
    DstTop = r.top();
    DstWidth = std::abs(r.width());
    DstHeight = std::abs(r.height());
}

void PixViewport::ShowWholeBitmap(QSize bitmap)
{
    Src = QRect(QPoint(0, 0), bitmap);
    SrcClip = Src;
}

// ---- scrolling ----

void PixViewport::LimitScroll(QSize inner)
{
    MaxY = std::max(0, DstHeight - inner.height());
    MaxX = std::max(0, DstWidth - inner.width());
    PosY = std::max(0, std::min(PosY, MaxY));
    PosX = std::max(0, std::min(PosX, MaxX));
}

void PixViewport::FollowScroll()
{
    DstLeft = -PosX;
    DstTop = -PosY;
}

int PixViewport::ScrollDelta(bool vertical, TScrollCode code, int pos) const
{
    const int current = vertical ? PosY : PosX;
    const int maximum = vertical ? MaxY : MaxX;
    const int page = std::max(1, (vertical ? Vert : Horz).Page);
    const int line = vertical ? LineStepY : LineStepX;
    int delta = 0;
    switch (code) {
    case scLineUp: delta = -line; break;
    case scLineDown: delta = line; break;
    case scPageUp: delta = -page; break;
    case scPageDown: delta = page; break;
    case scPosition:
    case scTrack: delta = pos - current; break;
    case scTop: delta = -current; break;
    case scBottom: delta = maximum - current; break;
    default: break;
    }
    return std::max(-current, std::min(delta, maximum - current));
}

QPoint PixViewport::ScrollBy(int dx, int dy)
{
    dx = std::max(-PosX, std::min(dx, MaxX - PosX));
    dy = std::max(-PosY, std::min(dy, MaxY - PosY));
    PosX += dx;
    PosY += dy;
    DstLeft -= dx;
    DstTop -= dy;
    if (dx != 0 && DstLeft > 0) {
        DstLeft = 0;
        PosX = 0;
    }
    if (dy != 0 && DstTop > 0) {
        DstTop = 0;
        PosY = 0;
    }
    DstClip.translate(-dx, -dy);
    Display.translate(-dx, -dy);
    Horz.Pos = PosX;
    Vert.Pos = PosY;
    return {dx, dy};
}

QPoint PixViewport::ScrollToOrigin()
{
    const QPoint left(PosX, PosY);
    DstLeft += PosX;
    DstTop += PosY;
    PosX = 0;
    PosY = 0;
    Horz.Pos = 0;
    Vert.Pos = 0;
    return left;
}

void PixViewport::KeepWithinLimits()
{
    const int x = std::min(PosX, MaxX);
    const int y = std::min(PosY, MaxY);
    DstLeft += PosX - x;
    DstTop += PosY - y;
    PosX = x;
    PosY = y;
}

int PixViewport::WheelPages(int units)
{
    wheelRemainder_ += units;
    int pages = 0;
    while (std::abs(wheelRemainder_) >= WheelUnitsPerPage) {
        const bool forward = wheelRemainder_ > 0;
        wheelRemainder_ += forward ? -WheelUnitsPerPage : WheelUnitsPerPage;
        pages += forward ? 1 : -1;
    }
    return pages;
}

void PixViewport::InitPage(TPixScrollInfo& info, int pictureSize)
{
    if (info.Page != -1) return;
    info.Page = platform::roundHalfEven(pictureSize / 10.0);
    if (info.Page == 0) info.Page = 1;
}

void PixViewport::ResetPages()
{
    Horz.Page = -1;
    Vert.Page = -1;
}

// ---- mapping ----

QRect PixViewport::DisplayRect(int border) const { return QRect(DstLeft + border, DstTop + border, DstWidth, DstHeight); }

QRect PixViewport::VisibleBitmapPart(QSize bitmap, const QRect& inner, int border) const
{
    if (DstWidth <= 0 || DstHeight <= 0) return {};
    const QRect display = DisplayRect(border);
    const QRect shown = display & inner;
    if (shown.isEmpty()) return {};
    const double sx = static_cast<double>(bitmap.width()) / DstWidth;
    const double sy = static_cast<double>(bitmap.height()) / DstHeight;
    const int left = platform::roundHalfEven((shown.left() - display.left()) * sx);
    const int top = platform::roundHalfEven((shown.top() - display.top()) * sy);
    return QRect(left, top,
                 std::max(1, std::min(bitmap.width() - left, platform::roundHalfEven(shown.width() * sx))),
                 std::max(1, std::min(bitmap.height() - top, platform::roundHalfEven(shown.height() * sy))));
}

QPoint PixViewport::PositionOf(const QPoint& at) const
{
    return {std::min(MaxX, platform::roundHalfEven(at.x() * ZoomX)),
            std::min(MaxY, platform::roundHalfEven(at.y() * ZoomY))};
}

sdk::PxRgnTransform PixViewport::ClientToBitmap(int viewPerspective) const
{
    sdk::PxRgnTransform t;
    t.ViewPerspective = viewPerspective;
    t.XScaleNum = Src.width();
    t.XScaleDen = DstWidth;
    t.YScaleNum = Src.height();
    t.YScaleDen = DstHeight;
    t.XOffset = -DstLeft;
    t.YOffset = -DstTop;
    return t;
}

sdk::PxRgnTransform PixViewport::BitmapToClient(int border) const
{
    sdk::PxRgnTransform t;
    t.ViewPerspective = 0;
    t.XScaleNum = DstWidth;
    t.XScaleDen = Src.width();
    t.YScaleNum = DstHeight;
    t.YScaleDen = Src.height();
    t.XOffset = DstLeft + border;
    t.YOffset = DstTop + border;
    return t;
}

QRect PixViewport::ClientRectOf(const QRect& r, int border) const
{
    const int sw = std::max(1, Src.width()), sh = std::max(1, Src.height());
    auto x = [&](std::int64_t v) { return static_cast<int>(floorDiv(v * DstWidth, sw)) + DstLeft + border; };
    auto y = [&](std::int64_t v) { return static_cast<int>(floorDiv(v * DstHeight, sh)) + DstTop + border; };
    const int l = x(r.left()), t = y(r.top());
    return QRect(l, t, x(static_cast<std::int64_t>(r.left()) + r.width()) - l,
                 y(static_cast<std::int64_t>(r.top()) + r.height()) - t);
}

QPoint PixViewport::BitmapDistance(const QPoint& d) const
{
    return QPoint(toBitmapUnits(d.x(), Src.width(), DstWidth), toBitmapUnits(d.y(), Src.height(), DstHeight));
}

} // namespace imaging
