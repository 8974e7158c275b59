// TPixImage: the region carried by the bitmap, how it is shown (outline, moving outline, filled),
// and regions drawn with the mouse.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace imaging {

using namespace sdk;

namespace {

constexpr int outlineInterval = 1000; // milliseconds between two steps of the moving outline
constexpr int outlinePhases = 8;
constexpr int polygonGrowth = 50;     // the polygon buffer grows by this many points
constexpr int roundCorner = 50;       // corner ellipse of a rounded rectangle

int mouseButton(Qt::MouseButton b)
{
    switch (b) {
    case Qt::RightButton: return 1;
    case Qt::MiddleButton: return 2;
    default: return 0;
    }
}

// The rectangle between two points, edges as given to the engine (right and bottom outside).
PxRect spanned(const QPoint& a, const QPoint& b, int shift)
{
    return PxRect{std::min(a.x(), b.x()) - shift, std::min(a.y(), b.y()) - shift, std::max(a.x(), b.x()) - shift,
                  std::max(a.y(), b.y()) - shift};
}

} // namespace

// ---- transforms ----

PxRgnTransform TPixImage::clientToBitmap() const { return fView.ClientToBitmap(fBitmap.ViewPerspective); }

PxRgnTransform TPixImage::bitmapToClient() const { return fView.BitmapToClient(BorderWidth()); }

// ---- region state ----

bool TPixImage::hasRegion() const { return fHasImage && PX_BitmapHasRgn(&fBitmap) == 1; }

void TPixImage::storeIntoList()
{
    if (fList && fHasImage) PX_SetBitmapListItem(fList, fListIndex, &fBitmap);
}

void TPixImage::refreshRgnBounds()
{
    if (!fHasImage) {
        fRgnBounds = QRect();
        return;
    }
    const PxRgnTransform identity;
    QRect bounds;
    const int r = PX_GetBitmapRgnBounds(&fBitmap, &identity, &bounds);
    if (r == PX_SUCCESS && bounds.isEmpty()) {
        if (PX_BitmapHasRgn(&fBitmap) == 1) {
            PX_FreeBitmapRgn(&fBitmap);
            storeIntoList();
        }
        if (fEnableFloater) dropAutoFloater();
        fRgnBounds = QRect();
        return;
    }
    fLastResult = r;
    if (r == PX_SUCCESS) fRgnBounds = bounds;
}

void TPixImage::regionChanged()
{
    refreshRgnBounds();
    if (!fHasImage) return;
    if (fEnableFloater && hasRegion()) {
        const int r = buildFloaterCopies();
        if (r != PX_SUCCESS && fEnableMethodErrors) {
            fLastResult = r;
            throw EPixImageError(formatMethodError(objectName(), r, QStringLiteral("Error Allocating Floater Bitmaps")));
        }
    }
    storeIntoList();
    if (fPaintRgnOnly || fRgnFrameType != 0) {
        fFrameDirty = true;
        update();
    }
    if (OnRgnChange) OnRgnChange(this);
}

int TPixImage::SetRgnRect(int Left, int Top, int Width, int Height, int CombineMode)
{
    busyCheck();
    if (!fHasImage) raiseNotAllocated(QStringLiteral("SetRgnRect"));
    PxRect rect;
    rect.Left = std::min(Left, Left + Width);
    rect.Right = std::max(Left, Left + Width);
    rect.Top = std::min(Top, Top + Height);
    rect.Bottom = std::max(Top, Top + Height);
    const PxRgnTransform transform = clientToBitmap();
    const int r = PX_SetBitmapRgnRect(&fBitmap, &transform, rect, CombineMode);
    if (r == PX_SUCCESS) regionChanged();
    return CheckMethodResult(QStringLiteral("SetRgnRect"), r);
}

int TPixImage::SetRgnHandle(const TRgnHandle Handle, int XOffset, int YOffset, int CombineMode)
{
    busyCheck();
    if (!fHasImage) raiseNotAllocated(QStringLiteral("SetRgnHandle"));
    const PxRgnTransform identity;
    const int r = Handle ? PX_SetBitmapRgnHandle(&fBitmap, &identity, *Handle, XOffset, YOffset, CombineMode)
                         : PXERR_BADPARAM;
    if (r == PX_SUCCESS) regionChanged();
    return CheckMethodResult(QStringLiteral("SetRgnHandle"), r);
}

TRgnHandle TPixImage::GetRgnHandle()
{
    if (!fHasImage) raiseNotAllocated(QStringLiteral("GetRgnHandle"));
    const PxRgnTransform identity;
    auto handle = std::make_unique<QRegion>();
    const int r = PX_GetBitmapRgnHandle(&fBitmap, &identity, handle.get());
    if (r != PX_SUCCESS) handle.reset();
    CheckMethodResult(QStringLiteral("GetRgnHandle"), r);
    return handle.release();
}

bool TPixImage::DeleteRgnHandle(TRgnHandle Handle)
{
    fLastResult = Handle ? 1 : 0;
    delete Handle;
    return Handle != nullptr;
}

int TPixImage::FreeRgn()
{
    busyCheck();
    if (!fHasImage) raiseNotAllocated(QStringLiteral("FreeRgn"));
    const int r = PX_FreeBitmapRgn(&fBitmap);
    if (fEnableFloater) dropAutoFloater();
    fRgnBounds = QRect();
    storeIntoList();
    // An outline shown for the region goes with it.
    if (fPaintRgnOnly || fRgnFrameType != 0) invalidateIfAuto();
    return CheckMethodResult(QStringLiteral("FreeRgn"), r);
}

bool TPixImage::HasRgn()
{
    fLastResult = 1;
    return hasRegion();
}

bool TPixImage::IsPtInRgn(int X, int Y)
{
    if (!fHasImage) return false;
    const PxRgnTransform transform = clientToBitmap();
    int x = X, y = Y;
    if (PX_PointToBitmap(&fBitmap, &transform, &x, &y) != PX_SUCCESS) return false;
    const PxRgnTransform identity;
    return PX_IsPtInBitmapRgn(&fBitmap, &identity, x, y) == 1 && PX_BitmapHasRgn(&fBitmap) == 1;
}

QPoint TPixImage::PolygonPoint(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(fPolygon.size())) {
        fLastResult = 0;
        throw ERangeError(objectName() + QStringLiteral(" \nPolygonPoint[]: Index out of range."));
    }
    return fPolygon[static_cast<std::size_t>(Index)];
}

// ---- showing the region ----

bool TPixImage::RgnOutlineTimerActive() const { return fRgnTimer->isActive(); }

void TPixImage::SetRgnFrameType(std::uint8_t Type)
{
    if (Type == 0) {
        fRgnTimer->stop();
        fFrameDirty = true;
        update();
    } else {
        if (!fRgnTimer->isActive()) fRgnTimer->start(outlineInterval);
        fRgnFrameType = Type;
        if (hasRegion()) drawOutlineNow();
    }
    fRgnFrameType = Type;
}

void TPixImage::paintRegionOutline(QPainter& p)
{
    if (fRgnFrameType == 0 || !hasRegion() || fView.DstWidth <= 0 || fView.DstHeight <= 0 || fView.Src.isEmpty()) return;
    const int b = BorderWidth();
    p.save();
    p.setClipRect(fView.DstClip.translated(b, b) & QRect(0, 0, ClientWidth(), ClientHeight()));
    const PxRgnTransform t = bitmapToClient();
    if (fRgnFrameType == 3) PX_ColorBitmapRgn(&p, &fBitmap, &t, platform::colorToRGB(fRgnColor));
    else PX_FrameBitmapRgn(&p, &fBitmap, &t, fRgnPhase);
    p.restore();
    if (fRgnFrameType == 2 && !fMouseDrawing) fRgnTimer->start(outlineInterval);
}

void TPixImage::drawOutlineNow()
{
    if (fFrame.isNull() || fView.DstWidth <= 0 || fView.DstHeight <= 0 || fView.Src.isEmpty()) return;
    const PxRgnTransform t = bitmapToClient();
    auto draw = [&](QImage& image) {
        if (image.isNull() || image.size() != fFrame.size()) return;
        QPainter p(&image);
        p.setClipRect(innerRect());
        if (fRgnFrameType == 3) PX_ColorBitmapRgn(&p, &fBitmap, &t, platform::colorToRGB(fRgnColor));
        else PX_FrameBitmapRgn(&p, &fBitmap, &t, fRgnPhase);
    };
    draw(fFrame);
    draw(fUnderFloaters);
    update();
}

void TPixImage::restartOutline()
{
    if (fRgnFrameType != 0 && !fRgnTimer->isActive()) fRgnTimer->start(outlineInterval);
}

void TPixImage::outlineTick()
{
    if (fRgnFrameType != 1 && fRgnFrameType != 2) {
        fRgnTimer->stop();
        return;
    }
    if (!hasRegion()) return;
    if (fRgnFrameType == 2) fRgnPhase = (fRgnPhase + 1) % outlinePhases;
    drawOutlineNow();
}

// ---- regions drawn with the mouse ----

QRect TPixImage::visiblePicture() const
{
    const int b = BorderWidth();
    return innerRect() & fView.DisplayRect(b);
}

void TPixImage::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = clientPoint(event->position());
    if (dragPress(event)) return;
    if (OnMouseDown) OnMouseDown(this, mouseButton(event->button()), shiftStateOf(event->modifiers()), at.x(), at.y());
    if (event->button() == Qt::RightButton || (event->buttons() & Qt::RightButton)) return;
    if (event->button() == Qt::MiddleButton) {
        // The middle button drags a zoom-in capture of the screen around the mouse, where the
        // caller has switched it on; otherwise it does nothing here.
        if (!fEnableZoomInCapture) return;
        if (fProcessing || fBusyDepth > 0 || fAnim.Playing) return;
        fZoomInDragging = true;
        grabMouse();
        StartZoomInCapture();
        return;
    }
    if (fFloater.allocated() && fFloaterVisible && (fFloaterRect & fFloaterClip).contains(at)) return;
    if (fProcessing || fBusyDepth > 0 || fAnim.Playing || MagGlassActive()) return;
    const QRect visible = visiblePicture();
    fMouseDrawing = false;
    setFocus(Qt::MouseFocusReason);
    fMouseCaptured = true;
    if (!fHasImage || !visible.contains(at)) return;
    try {
        if (fEnableFloater && hasRegion()) {
            const int b = BorderWidth();
            const PxRgnTransform t = clientToBitmap();
            if (PX_IsPtInBitmapRgn(&fBitmap, &t, at.x() - b, at.y() - b) == 1) {
                pickUpFloater(at);
                return;
            }
        }
        if (fRgnShape != rsNone) {
            if (fAutoFloater) dropAutoFloater();
            if (hasRegion()) {
                PX_FreeBitmapRgn(&fBitmap);
                fRgnBounds = QRect();
                storeIntoList();
                // The outline shown for it is cleared by a repaint.
                fFrameDirty = true;
                update();
            }
        }
    } catch (const std::exception&) {
        // The failure is kept as the last result; a mouse event cannot carry it further.
        return;
    }
    if (fRgnShape == rsNone && !fRubberBandMode) return;
    fMouseDrawing = true;
    fRgnCombineMode = 1;
    if (fRgnShape == rsNone) {
        // A rubber band: the one shown before goes.
        fRubberShown = false;
        RubberBandBegin(at.x(), at.y());
    }
    if (fRgnShape == rsPolygon) {
        fPolygon.clear();
        fPolygon.reserve(polygonGrowth);
        fPolygon.push_back(at);
    }
    fPressPoint = at;
    fCurrentPoint = at;
}

void TPixImage::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = clientPoint(event->position());
    if (dragMove(event)) return;
    if (MagGlassActive()) followMagGlass(at);
    if (fZoomInDragging) StartZoomInCapture();
    if (!(event->buttons() & Qt::RightButton) && !fProcessing && fBusyDepth == 0 && !fAnim.Playing && !MagGlassActive() &&
        fMouseCaptured) {
        if (fDragging) {
            dragFloater(at);
        } else if (fMouseDrawing) {
            // Kept on the picture: the far edges are reached, not passed.
            const QRect visible = visiblePicture();
            const QPoint p(std::clamp(at.x(), visible.left(), visible.left() + visible.width()),
                           std::clamp(at.y(), visible.top(), visible.top() + visible.height()));
            fCurrentPoint = p;
            if (fRgnShape == rsNone) RubberBandMove(p.x(), p.y());
            if (fRgnShape == rsPolygon) {
                if (fPolygon.size() == fPolygon.capacity()) fPolygon.reserve(fPolygon.capacity() + polygonGrowth);
                fPolygon.push_back(p);
            }
            update();
        }
    }
    if (OnMouseMove) OnMouseMove(this, shiftStateOf(event->modifiers()), at.x(), at.y());
}

void TPixImage::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = clientPoint(event->position());
    if (dragRelease(event)) return;
    if (fZoomInDragging && event->button() == Qt::MiddleButton) {
        fZoomInDragging = false;
        releaseMouse();
        fZoomInTimer->stop();
        if (fZoomInFrame) fZoomInFrame->hide();
        const QPoint screen = QCursor::pos();
        if (OnZoomInDone) OnZoomInDone(this, screen.x(), screen.y());
    }
    if (event->button() != Qt::RightButton && !(event->buttons() & Qt::RightButton) && !fProcessing && fBusyDepth == 0 &&
        !fAnim.Playing) {
        try {
            if (fDragging) dropFloater();
            else if (fMouseDrawing && fRgnShape == rsNone) finishRubberBand();
            else if (fMouseDrawing) finishShape();
        } catch (const std::exception&) {
            // Kept as the last result, as for the press.
        }
        fMouseDrawing = false;
    }
    if (event->buttons() == Qt::NoButton) fMouseCaptured = false;
    if (OnMouseUp) OnMouseUp(this, mouseButton(event->button()), shiftStateOf(event->modifiers()), at.x(), at.y());
    if (event->button() == Qt::LeftButton && rect().contains(at) && OnClick) OnClick(this);
}

void TPixImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
}

void TPixImage::paintShapeInProgress(QPainter& p)
{
    if (!fMouseDrawing) return;
    p.save();
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    p.setBrush(Qt::NoBrush);
    const QRect box = QRect(fPressPoint, fCurrentPoint).normalized();
    switch (fRgnShape) {
    case rsRectangle: p.drawRect(box); break;
    case rsRoundRect: p.drawRoundedRect(box, roundCorner / 2.0, roundCorner / 2.0); break;
    case rsEllipse: p.drawEllipse(box); break;
    case rsPolygon: p.drawPolyline(fPolygon.data(), static_cast<int>(fPolygon.size())); break;
    case rsNone: break;
    }
    p.restore();
}

void TPixImage::finishShape()
{
    fMouseDrawing = false;
    update(); // the shape drawn while dragging goes away
    const int b = BorderWidth();
    PxRgnTransform t = clientToBitmap();
    t.ViewPerspective = 0;
    const PxRect box = spanned(fPressPoint, fCurrentPoint, b);
    int r = PXERR_BADPARAM;
    switch (fRgnShape) {
    case rsRectangle: r = PX_SetBitmapRgnRect(&fBitmap, &t, box, fRgnCombineMode); break;
    case rsRoundRect:
        r = PX_SetBitmapRgnRoundRect(&fBitmap, &t, box, roundCorner, roundCorner, fRgnCombineMode);
        break;
    case rsEllipse: r = PX_SetBitmapRgnEllipse(&fBitmap, &t, box, fRgnCombineMode); break;
    case rsPolygon: {
        std::vector<QPoint> points(fPolygon);
        for (QPoint& p : points) p -= QPoint(b, b);
        r = PX_SetBitmapRgnPolygon(&fBitmap, &t, points.data(), static_cast<int>(points.size()), 1, fRgnCombineMode);
        break;
    }
    case rsNone: break;
    }
    fPolygon.clear();
    fLastResult = r;
    if (r == PX_SUCCESS) regionChanged();
    fLastResult = r;
}

} // namespace imaging
