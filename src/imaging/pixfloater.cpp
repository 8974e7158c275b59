// TPixImage: the floater. The automatic floater is the selection lifted off the picture when the
// user presses the mouse inside it, dragged and pasted where the mouse is released; the explicit
// floater is a picture a caller gives, shown over the control at a rectangle of its choice. The
// region editor keeps both; the control shows them and reports what they did.
#include "imaging/piximage.h"

namespace imaging {

using namespace sdk;

// ---- drawing ----

// ---- automatic floater ----

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
    if (fRegions.ClearFloater() && fRegions.FloaterVisible) fSelection.PresentFloaters();
    if (!bitmap || r != PX_SUCCESS) return;
    fRegions.Floater = std::move(copy);
    if (fAutoSetRects) {
        fRegions.FloaterRect = QRect(0, 0, bounds.width(), bounds.height());
        fRegions.FloaterClip = innerRect();
    }
    fSelection.RebuildFloaterScreen();
    if (fRegions.FloaterVisible) fSelection.PresentFloaters();
}

void TPixImage::SetFloaterVisible(bool Value)
{
    fRegions.FloaterVisible = Value;
    if (!fRegions.Floater.allocated()) return;
    if (Value) fSelection.RebuildFloaterScreen();
    fSelection.PresentFloaters();
}

int TPixImage::SetFloaterRect(int Left, int Top, int Width, int Height)
{
    const QRect wanted(Left, Top, Width, Height);
    const bool resized = wanted.size() != fRegions.FloaterRect.size();
    fRegions.FloaterRect = wanted;
    if (resized) fSelection.RebuildFloaterScreen();
    if (fRegions.Floater.allocated() && fRegions.FloaterVisible) fSelection.PresentFloaters();
    return 1;
}

int TPixImage::SetFloaterClipRect(int Left, int Top, int Width, int Height)
{
    fRegions.FloaterClip = QRect(Left, Top, Width, Height);
    if (fRegions.Floater.allocated() && fRegions.FloaterVisible) fSelection.PresentFloaters();
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
