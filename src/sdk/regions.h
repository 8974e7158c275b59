#pragma once
// Regions: a selection carried by a bitmap, kept as a mask in bitmap coordinates. Fill and
// combine change only the pixels inside it.
#include "sdk/bitmap.h"

#include <QPoint>
#include <QRect>
#include <QRegion>

namespace sdk {

// How a new shape meets the region that is there.
enum PxCombineMode : int {
    rgnReplace = 1,   // the shape replaces the region
    rgnAnd = 2,       // intersection
    rgnOr = 3,        // union
    rgnXor = 4,       // either but not both
    rgnDiff = 5,      // the region less the shape
};

// A coordinate transform handed to every region call. Calls that take coordinates into the bitmap
// (the setters, the point tests) map x to (x + XOffset) x XScaleNum / XScaleDen; calls that give
// the region out (handle, bounds, painting) map a bitmap x to x x XScaleNum / XScaleDen + XOffset;
// y likewise. Identity: scales 1/1, offsets 0. A denominator of 0 or below, or a negative
// numerator, is refused with PXERR_BADPARAM.
struct PxRgnTransform {
    std::int32_t ViewPerspective = perspectiveTopLeft;
    std::int32_t XScaleNum = 1;
    std::int32_t XScaleDen = 1;
    std::int32_t YScaleNum = 1;
    std::int32_t YScaleDen = 1;
    std::int32_t XOffset = 0;
    std::int32_t YOffset = 0;
};

// A rectangle by its edges; Right and Bottom lie outside it. Edges given the wrong way round are
// swapped.
struct PxRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

int PX_SetBitmapRgnRect(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const PxRect& rect, int combineMode);
int PX_SetBitmapRgnRoundRect(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const PxRect& rect,
                             int cornerWidth, int cornerHeight, int combineMode);
int PX_SetBitmapRgnEllipse(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const PxRect& rect, int combineMode);
// fillMode 1: alternate (even-odd), 2: winding.
int PX_SetBitmapRgnPolygon(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const QPoint* points, int count,
                           int fillMode, int combineMode);
// A region given as a handle (moved by xOffset, yOffset before the transform).
int PX_SetBitmapRgnHandle(SdkBitmapHandle* bitmap, const PxRgnTransform* transform, const QRegion& region,
                          int xOffset, int yOffset, int combineMode);
// The bitmap's region through the inverse transform (bitmap to outside coordinates).
int PX_GetBitmapRgnHandle(const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, QRegion* region);
// Bounding rectangle (left, top, width, height) through the inverse transform; an empty
// rectangle when there is no region.
int PX_GetBitmapRgnBounds(const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, QRect* bounds);
int PX_FreeBitmapRgn(SdkBitmapHandle* bitmap);
// 1 when the bitmap has a region, 0 when not.
int PX_BitmapHasRgn(const SdkBitmapHandle* bitmap);
// 1 when the point (outside coordinates) lies in the region, 0 when not.
int PX_IsPtInBitmapRgn(const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, int x, int y);
// Converts an outside point to bitmap coordinates in place.
int PX_PointToBitmap(const SdkBitmapHandle* bitmap, const PxRgnTransform* transform, int* x, int* y);

} // namespace sdk
