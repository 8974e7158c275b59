// TPixImage: the floater. The automatic floater is the selection lifted off the picture when the
// user presses the mouse inside it, dragged and pasted where the mouse is released; the explicit
// floater is a picture a caller gives, shown over the control at a rectangle of its choice. The
// region editor keeps both; the control shows them and reports what they did.
#include "imaging/piximage.h"

namespace imaging {

using namespace sdk;

// ---- drawing ----

void TPixImage::presentFloaters()
{
    if (fFrameDirty || !fRegions.PresentFloaters(fFrame)) fFrameDirty = true;
    update();
}

// ---- automatic floater ----

void TPixImage::dropAutoFloater()
{
    if (fRegions.DropAutoFloater()) {
        fFrameDirty = true;
        update();
    }
}

void TPixImage::pickUpFloater(const QPoint& at)
{
    QRect source;
    QRegion shape;
    int r = fRegions.SelectionShape(&source, &shape);
    if (r != PX_SUCCESS || source.isEmpty()) {
        fLastResult = r;
        raiseProperty(QStringLiteral("Error Allocating Floater Bitmaps."));
    }
    r = fRegions.Lift(source, shape);
    const bool shown = fRegions.ShowLifted(fView.ClientRectOf(source, BorderWidth()), platform::colorToQColor(fBackColor));
    if (r != PX_SUCCESS || !shown) {
        storeIntoList();
        fLastResult = r != PX_SUCCESS ? r : PXERR_NOMEMORY;
        raiseProperty(QStringLiteral("Error Allocating Floater Bitmaps."));
    }
    storeIntoList();
    fRegions.BeginDrag(source, at);
    fMouseCaptured = true;
    fFrameDirty = true;
    Refresh();
}

void TPixImage::dragFloater(const QPoint& at)
{
    fRegions.DragTo(at);
    presentFloaters();
}

void TPixImage::dropFloater()
{
    fRegions.Drop(fView.BitmapDistance(fRegions.DragDistance));
    fFrameDirty = true;
    update();
    fLastResult = PX_SUCCESS;
    refreshRgnBounds();
    storeIntoList();
    if (OnRgnChange) OnRgnChange(this);
    fMouseCaptured = false;
}

// ---- Floater and the explicit floater ----

SdkBitmapHandle* TPixImage::Floater()
{
    if (fHasImage && fAutoFloater) {
        SdkBitmapHandle* copy = nullptr;
        CheckMethodResult(QStringLiteral("Floater"), fRegions.CopySelection(&copy));
        return copy;
    }
    if (!fAutoFloater && fRegions.Floater.allocated()) return &fRegions.Floater;
    return nullptr;
}

void TPixImage::SetFloater(SdkBitmapHandle* bitmap)
{
    if (!fHasImage) return;
    SetAutoFloater(false);
    // The copy is made first: the bitmap given may be the floater itself.
    SdkBitmapHandle copy;
    QRect bounds;
    int r = PX_SUCCESS;
    if (bitmap) {
        r = fRegions.CopyForFloater(*bitmap, &copy, &bounds);
        fLastResult = r;
    }
    if (fRegions.ClearFloater() && fRegions.FloaterVisible) presentFloaters();
    if (!bitmap || r != PX_SUCCESS) return;
    fRegions.Floater = std::move(copy);
    if (fAutoSetRects) {
        fRegions.FloaterRect = QRect(0, 0, bounds.width(), bounds.height());
        fRegions.FloaterClip = innerRect();
    }
    rebuildFloaterScreen();
    if (fRegions.FloaterVisible) presentFloaters();
}

// The explicit floater's picture and shape at its display size; -1 when they cannot be made.
int TPixImage::rebuildFloaterScreen() { return fRegions.RebuildFloaterScreen(platform::colorToQColor(fBackColor)); }

void TPixImage::SetFloaterVisible(bool Value)
{
    fRegions.FloaterVisible = Value;
    if (!fRegions.Floater.allocated()) return;
    if (Value) rebuildFloaterScreen();
    presentFloaters();
}

int TPixImage::SetFloaterRect(int Left, int Top, int Width, int Height)
{
    const QRect wanted(Left, Top, Width, Height);
    const bool resized = wanted.size() != fRegions.FloaterRect.size();
    fRegions.FloaterRect = wanted;
    if (resized) rebuildFloaterScreen();
    if (fRegions.Floater.allocated() && fRegions.FloaterVisible) presentFloaters();
    return 1;
}

int TPixImage::SetFloaterClipRect(int Left, int Top, int Width, int Height)
{
    fRegions.FloaterClip = QRect(Left, Top, Width, Height);
    if (fRegions.Floater.allocated() && fRegions.FloaterVisible) presentFloaters();
    return 1;
}

void TPixImage::SetFloaterLeft(int Value)
{
    const QRect& r = fRegions.FloaterRect;
    SetFloaterRect(Value, r.top(), r.width(), r.height());
}

void TPixImage::SetFloaterTop(int Value)
{
    const QRect& r = fRegions.FloaterRect;
    SetFloaterRect(r.left(), Value, r.width(), r.height());
}

} // namespace imaging
