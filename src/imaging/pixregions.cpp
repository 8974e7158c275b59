// TPixImage: the region carried by the bitmap, how it is shown (outline, moving outline, filled),
// and regions drawn with the mouse.
#include "imaging/piximage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace imaging {

using namespace sdk;

namespace {

int mouseButton(Qt::MouseButton b)
{
    switch (b) {
    case Qt::RightButton: return 1;
    case Qt::MiddleButton: return 2;
    default: return 0;
    }
}

} // namespace

// ---- transforms ----

PxRgnTransform TPixImage::clientToBitmap() const { return fView.ClientToBitmap(fBitmap.ViewPerspective); }

PxRgnTransform TPixImage::bitmapToClient() const { return fView.BitmapToClient(BorderWidth()); }

// ---- region state ----

bool TPixImage::hasRegion() const { return fHasImage && fRegions.HasRegion(); }

void TPixImage::storeIntoList()
{
    if (fList && fHasImage) PX_SetBitmapListItem(fList, fListIndex, &fBitmap);
}

int TPixImage::SetRgnRect(int Left, int Top, int Width, int Height, int CombineMode)
{
    busyCheck();
    if (!fHasImage) raiseNotAllocated(QStringLiteral("SetRgnRect"));
    const int r = fRegions.SetRect(clientToBitmap(), Left, Top, Width, Height, CombineMode);
    if (r == PX_SUCCESS) fSelection.Changed();
    return CheckMethodResult(QStringLiteral("SetRgnRect"), r);
}

int TPixImage::SetRgnHandle(const TRgnHandle Handle, int XOffset, int YOffset, int CombineMode)
{
    busyCheck();
    if (!fHasImage) raiseNotAllocated(QStringLiteral("SetRgnHandle"));
    const int r = fRegions.SetHandle(Handle, XOffset, YOffset, CombineMode);
    if (r == PX_SUCCESS) fSelection.Changed();
    return CheckMethodResult(QStringLiteral("SetRgnHandle"), r);
}

TRgnHandle TPixImage::GetRgnHandle()
{
    if (!fHasImage) raiseNotAllocated(QStringLiteral("GetRgnHandle"));
    auto handle = std::make_unique<QRegion>();
    const int r = fRegions.GetHandle(handle.get());
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
    const int r = fRegions.Free();
    if (fEnableFloater) fSelection.DropAutoFloater();
    storeIntoList();
    // An outline shown for the region goes with it.
    if (fPaintRgnOnly || fRegions.FrameType != 0) invalidateIfAuto();
    return CheckMethodResult(QStringLiteral("FreeRgn"), r);
}

bool TPixImage::HasRgn()
{
    fLastResult = 1;
    return hasRegion();
}

bool TPixImage::IsPtInRgn(int X, int Y)
{
    return fHasImage && fRegions.Contains(clientToBitmap(), X, Y);
}

QPoint TPixImage::PolygonPoint(int Index)
{
    QPoint point;
    if (!fRegions.PolygonPoint(Index, &point)) {
        fLastResult = 0;
        throw ERangeError(objectName() + QStringLiteral(" \nPolygonPoint[]: Index out of range."));
    }
    return point;
}

// ---- showing the region ----

bool TPixImage::RgnOutlineTimerActive() const { return fSelection.OutlineTimerActive(); }

void TPixImage::SetRgnFrameType(std::uint8_t Type) { fSelection.SetFrameType(Type); }

// ---- regions drawn with the mouse ----

QRect TPixImage::visiblePicture() const
{
    const int b = BorderWidth();
    return innerRect() & fView.DisplayRect(b);
}

void TPixImage::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = clientPoint(event->position());
    if (fDragger.Press(event)) return;
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
    if (fRegions.Floater.allocated() && fRegions.FloaterVisible &&
        (fRegions.FloaterRect & fRegions.FloaterClip).contains(at))
        return;
    if (fProcessing || fBusyDepth > 0 || fAnim.Playing || MagGlassActive()) return;
    const QRect visible = visiblePicture();
    fRegions.Drawing = false;
    setFocus(Qt::MouseFocusReason);
    fMouseCaptured = true;
    if (!fHasImage || !visible.contains(at)) return;
    try {
        if (fEnableFloater && hasRegion()) {
            const int b = BorderWidth();
            const PxRgnTransform t = clientToBitmap();
            if (PX_IsPtInBitmapRgn(&fBitmap, &t, at.x() - b, at.y() - b) == 1) {
                fSelection.PickUpFloater(at);
                return;
            }
        }
        if (fRegions.Shape != rsNone) {
            if (fAutoFloater) fSelection.DropAutoFloater();
            if (hasRegion()) {
                fRegions.Free();
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
    if (fRegions.Shape == rsNone && !fRubberBandMode) return;
    if (fRegions.Shape == rsNone) {
        // A rubber band: the one shown before goes.
        fRubberShown = false;
        RubberBandBegin(at.x(), at.y());
    }
    fRegions.BeginShape(at);
}

void TPixImage::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = clientPoint(event->position());
    if (fDragger.Move(event)) return;
    if (MagGlassActive()) fPanGlass.FollowMagGlass(at);
    if (fZoomInDragging) StartZoomInCapture();
    if (!(event->buttons() & Qt::RightButton) && !fProcessing && fBusyDepth == 0 && !fAnim.Playing && !MagGlassActive() &&
        fMouseCaptured) {
        if (fRegions.Dragging) {
            fSelection.DragFloater(at);
        } else if (fRegions.Drawing) {
            // Kept on the picture: the far edges are reached, not passed.
            const QRect visible = visiblePicture();
            const QPoint p(std::clamp(at.x(), visible.left(), visible.left() + visible.width()),
                           std::clamp(at.y(), visible.top(), visible.top() + visible.height()));
            if (fRegions.Shape == rsNone) RubberBandMove(p.x(), p.y());
            fRegions.MoveShape(p);
            update();
        }
    }
    if (OnMouseMove) OnMouseMove(this, shiftStateOf(event->modifiers()), at.x(), at.y());
}

void TPixImage::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = clientPoint(event->position());
    if (fDragger.Release(event)) return;
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
            if (fRegions.Dragging) fSelection.DropFloater();
            else if (fRegions.Drawing && fRegions.Shape == rsNone) finishRubberBand();
            else if (fRegions.Drawing) fSelection.FinishShape();
        } catch (const std::exception&) {
            // Kept as the last result, as for the press.
        }
        fRegions.Drawing = false;
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

} // namespace imaging
