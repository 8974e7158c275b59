#pragma once
// PixViewport: where an image control shows its picture. It keeps the destination rectangle in
// the client area, the source rectangle of the bitmap, the zoom, the scroll position with its
// limits and the two scroll-bar records, and does their arithmetic: the size modes, centring,
// scrolling by code, line, page and wheel, and the part of the bitmap in sight (what the pan
// window outlines). It knows no window: the control gives it the sizes and applies what it says.
#include "imaging/pixscrollinfo.h"
#include "imaging/pixtypes.h"
#include "sdk/sdk.h"

#include <QPoint>
#include <QRect>
#include <QSize>

namespace imaging {

class PixViewport {
public:
    // The scroll distance of one line, across and down.
    static constexpr int LineStepX = 1;
    static constexpr int LineStepY = 2;
    // Wheel units that make one page.
    static constexpr int WheelUnitsPerPage = 120;

    // The destination size of n bitmap pixels at zoom z (0: one pixel; below 0: 1 / (1 - z)).
    static int Scaled(int n, double z);

    // ---- state ----
    // The picture's place in the client area inside the frame, and the part of it drawn.
    int DstLeft = 0, DstTop = 0, DstWidth = 0, DstHeight = 0;
    QRect DstClip;
    // The rectangle of the bitmap shown, and its clip.
    QRect Src, SrcClip;
    // Where the picture is displayed (DstClip until centring moves it).
    QRect Display;
    double ZoomX = 1.0, ZoomY = 1.0;
    int PosX = 0, PosY = 0, MaxX = 0, MaxY = 0;
    TPixScrollInfo Horz, Vert;

    // ---- size modes and zoom ----
    // The zoom the mode gives a picture of size picture (after any DPI scaling) in an inner area
    // of size inner, and the destination size at that zoom. smNormal and smZoom keep the zoom.
    // False (and an empty destination) for an empty picture.
    bool Fit(TPaintSizeMode mode, QSize picture, QSize inner);
    // smNormal: zoom 1 and the bitmap's own size.
    void ResetZoom(QSize bitmap);
    // The zoom in percent as the control reports it (the smaller of the two when stretched).
    int ZoomFactor(TPaintSizeMode mode) const;
    void SetZoomFactor(int percent);
    // The clip and the display rectangle follow the destination.
    void ClipToDestination();
    // Moves the display rectangle to the middle of the inner area where it is smaller than it.
    void Centre(QSize inner);
    // The source and its clip become the whole bitmap.
    void ShowWholeBitmap(QSize bitmap);

    // ---- scrolling ----
    // The limits of the scroll position for an inner area of size inner; the position is kept
    // within them.
    void LimitScroll(QSize inner);
    // The destination follows the scroll position.
    void FollowScroll();
    // How far a scroll message moves: vertical or across, by code, to pos for the position codes;
    // never beyond the limits.
    int ScrollDelta(bool vertical, TScrollCode code, int pos) const;
    // Moves the position by dx, dy within the limits; the destination moves the other way.
    // Returns the distance moved.
    QPoint ScrollBy(int dx, int dy);
    // Back to the origin; returns the position it left.
    QPoint ScrollToOrigin();
    // With AutoScroll switched on again, the position is kept within the limits.
    void KeepWithinLimits();
    // Adds wheel units; returns the whole pages they make (positive forward), keeping the rest.
    int WheelPages(int units);
    // A picture's first scroll-bar page: a tenth of its size, at least 1 (stays once set).
    static void InitPage(TPixScrollInfo& info, int pictureSize);
    // Both bars take their pages anew from the next picture.
    void ResetPages();

    // ---- mapping ----
    // The destination in client coordinates with a frame of border pixels around the inner area.
    QRect DisplayRect(int border) const;
    // The part of a bitmap of size bitmap shown in inner (client coordinates); empty when none.
    QRect VisibleBitmapPart(QSize bitmap, const QRect& inner, int border) const;
    // The scroll position that brings bitmap point at to the top-left corner (pan window).
    QPoint PositionOf(const QPoint& at) const;
    // Client (inner) coordinates to the bitmap's and back, for the region engine.
    sdk::PxRgnTransform ClientToBitmap(int viewPerspective) const;
    sdk::PxRgnTransform BitmapToClient(int border) const;
    // A bitmap rectangle as the client rectangle it is shown at (edges rounded toward minus
    // infinity), and a distance on the screen in bitmap pixels.
    QRect ClientRectOf(const QRect& bitmapRect, int border) const;
    QPoint BitmapDistance(const QPoint& screenDistance) const;

private:
    int wheelRemainder_ = 0;
};

} // namespace imaging
