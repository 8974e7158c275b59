// TPixImage: the floater. The automatic floater is the selection lifted off the picture when the
// user presses the mouse inside it, dragged and pasted where the mouse is released; the explicit
// floater is a picture a caller gives, shown over the control at a rectangle of its choice.
// Both are drawn over the composed frame; moving them only redraws them over the frame kept
// without them.
#include "imaging/piximage.h"

#include <QPainter>

namespace imaging {

using namespace sdk;

namespace {

// Puts the whole of source into target at (x, y), inside target's region only; the status
// callback is off for it.
int pasteQuietly(SdkBitmapHandle* target, int x, int y, const SdkBitmapHandle* source)
{
    PxStatusCallback previous = PX_SetStatusCallBack({});
    const int r = PX_CombineBitmap(target, x, y, source->Width, source->Height, source, 0, 0, combineCopy);
    PX_SetStatusCallBack(std::move(previous));
    return r;
}

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

// The shape a region takes when its bitmap of the given size goes through op.
int transformedShape(const QRegion& shape, const QSize& size,
                     const std::function<int(SdkBitmapHandle*)>& op, QRegion* out)
{
    SdkBitmapHandle mask;
    int r = PX_InitBitmap(&mask, size.width(), size.height(), 8);
    if (r != PX_SUCCESS) return r;
    mask.Region = shape;
    r = PX_FillBitmap(&mask, 0xFFFFFF);
    mask.Region = QRegion();
    if (r != PX_SUCCESS) return r;
    PxStatusCallback previous = PX_SetStatusCallBack({});
    r = op(&mask);
    PX_SetStatusCallBack(std::move(previous));
    if (r != PX_SUCCESS) return r;
    QRegion result;
    for (int y = 0; y < mask.Height; ++y) {
        const std::uint8_t* row = mask.row(y);
        int x = 0;
        while (x < mask.Width) {
            while (x < mask.Width && row[x] < 128) ++x;
            const int start = x;
            while (x < mask.Width && row[x] >= 128) ++x;
            if (x > start) result += QRect(start, y, x - start, 1);
        }
    }
    *out = result;
    return PX_SUCCESS;
}

// The bitmap drawn at the given size (the screen copy of a floater).
QImage screenCopy(const SdkBitmapHandle& bitmap, const QSize& size, QColor back)
{
    if (!bitmap.allocated() || size.width() <= 0 || size.height() <= 0) return {};
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(back);
    QPainter p(&image);
    const QRect all(0, 0, bitmap.Width, bitmap.Height);
    const QRect target(QPoint(0, 0), size);
    if (PX_PaintDC(&p, &bitmap, all, all, target, target, ropSourceCopy) != PX_SUCCESS) return {};
    return image;
}

// The shape of a floater at the given size (the floater's own rectangle when it has no region).
QRegion screenShape(const SdkBitmapHandle& bitmap, const QSize& size)
{
    if (bitmap.Region.isEmpty()) return QRegion(QRect(QPoint(0, 0), size));
    PxRgnTransform t;
    t.XScaleNum = size.width();
    t.XScaleDen = std::max(1, bitmap.Width);
    t.YScaleNum = size.height();
    t.YScaleDen = std::max(1, bitmap.Height);
    QRegion shape;
    PX_GetBitmapRgnHandle(&bitmap, &t, &shape);
    return shape;
}

} // namespace

// ---- drawing ----

QRect TPixImage::clientRectOf(const QRect& r) const
{
    const int b = BorderWidth();
    const int sw = std::max(1, fView.Src.width()), sh = std::max(1, fView.Src.height());
    auto x = [&](std::int64_t v) { return static_cast<int>(floorDiv(v * fView.DstWidth, sw)) + fView.DstLeft + b; };
    auto y = [&](std::int64_t v) { return static_cast<int>(floorDiv(v * fView.DstHeight, sh)) + fView.DstTop + b; };
    const int l = x(r.left()), t = y(r.top());
    return QRect(l, t, x(static_cast<std::int64_t>(r.left()) + r.width()) - l,
                 y(static_cast<std::int64_t>(r.top()) + r.height()) - t);
}

bool TPixImage::floatersShown() const
{
    return (fDragging && !fFloaterImage.isNull()) || (fFloater.allocated() && fFloaterVisible);
}

void TPixImage::paintFloaters(QPainter& p)
{
    if (fDragging && !fFloaterImage.isNull()) {
        p.save();
        p.setClipRegion(fFloaterShape.translated(fFloaterScreen.topLeft()));
        p.drawImage(fFloaterScreen.topLeft(), fFloaterImage);
        p.restore();
    }
    if (fFloater.allocated() && fFloaterVisible && !fExplicitImage.isNull()) {
        p.save();
        p.setClipRect(fFloaterClip);
        p.setClipRegion(fExplicitShape.translated(fFloaterRect.topLeft()), Qt::IntersectClip);
        p.drawImage(fFloaterRect.topLeft(), fExplicitImage);
        p.restore();
    }
}

void TPixImage::presentFloaters()
{
    if (fFrameDirty || fUnderFloaters.isNull() || fUnderFloaters.size() != fFrame.size()) {
        fFrameDirty = true;
        update();
        return;
    }
    fFrame = fUnderFloaters.copy();
    QPainter p(&fFrame);
    paintFloaters(p);
    p.end();
    update();
}

// ---- automatic floater ----

int TPixImage::buildFloaterCopies()
{
    const PxRgnTransform identity;
    QRect bounds;
    int r = PX_GetBitmapRgnBounds(&fBitmap, &identity, &bounds);
    if (r == PX_SUCCESS) r = PX_CopyBitmapRect(&fLifted, &fBitmap, bounds.left(), bounds.top(), bounds.width(), bounds.height());
    // Until the selection is first dropped somewhere, what lies under it is the selection itself.
    if (r == PX_SUCCESS) r = PX_CopyBitmap(&fFloaterBackground, &fLifted);
    if (r == PX_SUCCESS) {
        fBackgroundRect = bounds;
        fFloaterSource = bounds;
    }
    return r;
}

void TPixImage::dropAutoFloater()
{
    PX_FreeBitmap(&fLifted);
    PX_FreeBitmap(&fFloaterBackground);
    fBackgroundRect = QRect();
    fFloaterImage = QImage();
    fFloaterShape = QRegion();
    if (fDragging) {
        fDragging = false;
        fFrameDirty = true;
        update();
    }
}

void TPixImage::pickUpFloater(const QPoint& at)
{
    const PxRgnTransform identity;
    QRect source;
    QRegion shape;
    int r = PX_GetBitmapRgnBounds(&fBitmap, &identity, &source);
    if (r == PX_SUCCESS) r = PX_GetBitmapRgnHandle(&fBitmap, &identity, &shape);
    if (r != PX_SUCCESS || source.isEmpty()) {
        fLastResult = r;
        raiseProperty(QStringLiteral("Error Allocating Floater Bitmaps."));
    }
    shape.translate(-source.topLeft());
    PX_FreeBitmapRgn(&fBitmap);
    fRgnBounds = QRect();
    r = PX_CopyBitmapRect(&fLifted, &fBitmap, source.left(), source.top(), source.width(), source.height());
    if (r == PX_SUCCESS) {
        fLifted.Region = shape;
        if (fFloaterBackground.allocated()) {
            // Lifting the selection puts back what it covered.
            r = pasteQuietly(&fBitmap, fBackgroundRect.left(), fBackgroundRect.top(), &fFloaterBackground);
        } else {
            r = PX_CopyBitmap(&fFloaterBackground, &fLifted);
            fBackgroundRect = source;
        }
    }
    fFloaterScreen = clientRectOf(source);
    fFloaterImage = screenCopy(fLifted, fFloaterScreen.size(), platform::colorToQColor(fBackColor));
    fFloaterShape = screenShape(fLifted, fFloaterScreen.size());
    if (r != PX_SUCCESS || fFloaterImage.isNull()) {
        storeIntoList();
        fLastResult = r != PX_SUCCESS ? r : PXERR_NOMEMORY;
        raiseProperty(QStringLiteral("Error Allocating Floater Bitmaps."));
    }
    storeIntoList();
    fFloaterSource = source;
    fDragDistance = QPoint();
    fDragLast = at;
    fDragging = true;
    fMouseCaptured = true;
    fFrameDirty = true;
    Refresh();
}

void TPixImage::dragFloater(const QPoint& at)
{
    const QPoint step = at - fDragLast;
    fDragLast = at;
    fDragDistance += step;
    fFloaterScreen.translate(step);
    presentFloaters();
}

void TPixImage::dropFloater()
{
    fDragging = false;
    const int dx = toBitmapUnits(fDragDistance.x(), fView.Src.width(), fView.DstWidth);
    const int dy = toBitmapUnits(fDragDistance.y(), fView.Src.height(), fView.DstHeight);
    const QRect moved = fFloaterSource.translated(dx, dy);
    // What lies under the new place, for when the selection is lifted again.
    const QRect under = moved & QRect(0, 0, fBitmap.Width, fBitmap.Height);
    if (!under.isEmpty()) {
        PX_CopyBitmapRect(&fFloaterBackground, &fBitmap, under.left(), under.top(), under.width(), under.height());
        fBackgroundRect = under;
    } else {
        PX_FreeBitmap(&fFloaterBackground);
        fBackgroundRect = QRect();
    }
    const PxRgnTransform identity;
    PX_SetBitmapRgnHandle(&fBitmap, &identity, fLifted.Region, moved.left(), moved.top(), 1);
    pasteQuietly(&fBitmap, moved.left(), moved.top(), &fLifted);
    fFloaterSource = moved;
    fFloaterImage = QImage();
    fFrameDirty = true;
    update();
    fLastResult = PX_SUCCESS;
    refreshRgnBounds();
    storeIntoList();
    if (OnRgnChange) OnRgnChange(this);
    fMouseCaptured = false;
}

// ---- edits of the selection ----

int TPixImage::cutFloater(QRect* source)
{
    const PxRgnTransform identity;
    QRect bounds;
    int r = PX_GetBitmapRgnBounds(&fBitmap, &identity, &bounds);
    if (r == PX_SUCCESS) r = PX_CopyBitmapRect(&fLifted, &fBitmap, bounds.left(), bounds.top(), bounds.width(), bounds.height());
    *source = bounds;
    return r;
}

int TPixImage::pasteFloater(const QRect& source, const QRegion& shapeBefore, const QSize& sizeBefore,
                            const std::function<int(SdkBitmapHandle*)>& shapeOp)
{
    if (shapeOp && (fLifted.Width != sizeBefore.width() || fLifted.Height != sizeBefore.height() ||
                    fLifted.Region.isEmpty())) {
        QRegion shape;
        const int r = transformedShape(shapeBefore, sizeBefore, shapeOp, &shape);
        if (r != PX_SUCCESS) return r;
        fLifted.Region = shape;
    }
    const PxRgnTransform identity;
    int r = PX_SetBitmapRgnHandle(&fBitmap, &identity, fLifted.Region, source.left(), source.top(), 1);
    if (r == PX_SUCCESS) r = pasteQuietly(&fBitmap, source.left(), source.top(), &fLifted);
    storeIntoList();
    fFrameDirty = true;
    update();
    return r;
}

// ---- Floater and the explicit floater ----

SdkBitmapHandle* TPixImage::Floater()
{
    if (fHasImage && fAutoFloater) {
        const PxRgnTransform identity;
        QRect bounds;
        int r = PX_GetBitmapRgnBounds(&fBitmap, &identity, &bounds);
        if (r == PX_SUCCESS)
            r = PX_CopyBitmapRect(&fFloaterCopy, &fBitmap, bounds.left(), bounds.top(), bounds.width(), bounds.height());
        CheckMethodResult(QStringLiteral("Floater"), r);
        return r == PX_SUCCESS ? &fFloaterCopy : nullptr;
    }
    if (!fAutoFloater && fFloater.allocated()) return &fFloater;
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
        const PxRgnTransform identity;
        r = PX_GetBitmapRgnBounds(bitmap, &identity, &bounds);
        if (r == PX_SUCCESS)
            r = PX_CopyBitmapRect(&copy, bitmap, bounds.left(), bounds.top(), bounds.width(), bounds.height());
        if (r == PX_SUCCESS) {
            // Its shape is the control's own selection.
            QRegion own;
            PX_GetBitmapRgnHandle(&fBitmap, &identity, &own);
            copy.Region = own.translated(-bounds.topLeft()) & QRect(0, 0, copy.Width, copy.Height);
        }
        fLastResult = r;
    }
    if (fFloater.allocated()) {
        PX_FreeBitmap(&fFloater);
        fExplicitImage = QImage();
        fExplicitShape = QRegion();
        if (fFloaterVisible) presentFloaters();
    }
    if (!bitmap || r != PX_SUCCESS) return;
    fFloater = std::move(copy);
    if (fAutoSetRects) {
        fFloaterRect = QRect(0, 0, bounds.width(), bounds.height());
        fFloaterClip = innerRect();
    }
    rebuildFloaterScreen();
    if (fFloaterVisible) presentFloaters();
}

int TPixImage::rebuildFloaterScreen()
{
    if (!fFloater.allocated()) return 1;
    fExplicitImage = screenCopy(fFloater, fFloaterRect.size(), platform::colorToQColor(fBackColor));
    if (fExplicitImage.isNull()) {
        fExplicitShape = QRegion();
        return -1;
    }
    fExplicitShape = screenShape(fFloater, fFloaterRect.size());
    return 1;
}

void TPixImage::SetFloaterVisible(bool Value)
{
    fFloaterVisible = Value;
    if (!fFloater.allocated()) return;
    if (Value) rebuildFloaterScreen();
    presentFloaters();
}

int TPixImage::SetFloaterRect(int Left, int Top, int Width, int Height)
{
    const QRect wanted(Left, Top, Width, Height);
    const bool resized = wanted.size() != fFloaterRect.size();
    fFloaterRect = wanted;
    if (resized) rebuildFloaterScreen();
    if (fFloater.allocated() && fFloaterVisible) presentFloaters();
    return 1;
}

int TPixImage::SetFloaterClipRect(int Left, int Top, int Width, int Height)
{
    fFloaterClip = QRect(Left, Top, Width, Height);
    if (fFloater.allocated() && fFloaterVisible) presentFloaters();
    return 1;
}

void TPixImage::SetFloaterLeft(int Value)
{
    SetFloaterRect(Value, fFloaterRect.top(), fFloaterRect.width(), fFloaterRect.height());
}

void TPixImage::SetFloaterTop(int Value)
{
    SetFloaterRect(fFloaterRect.left(), Value, fFloaterRect.width(), fFloaterRect.height());
}

} // namespace imaging
