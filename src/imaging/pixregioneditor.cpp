// PixRegionEditor: the selection carried by a bitmap, the shapes the mouse draws it with, and the
// two floaters. The floaters are drawn over the composed frame; moving them only redraws them over
// the frame kept without them.
#include "imaging/pixregioneditor.h"

#include <QPainter>

#include <algorithm>

namespace imaging {

using namespace sdk;

namespace {

// The rectangle between two points, edges as given to the engine (right and bottom outside).
PxRect spanned(const QPoint& a, const QPoint& b, int shift)
{
    return PxRect{std::min(a.x(), b.x()) - shift, std::min(a.y(), b.y()) - shift, std::max(a.x(), b.x()) - shift,
                  std::max(a.y(), b.y()) - shift};
}

// The shape a region takes when its bitmap of the given size goes through op.
int transformedShape(const QRegion& shape, const QSize& size, const PixRegionEditor::BitmapOp& op, QRegion* out)
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

// The part of bitmap inside its region's bounds, copied into *copy.
int copyBounds(const SdkBitmapHandle& bitmap, SdkBitmapHandle* copy, QRect* bounds)
{
    const PxRgnTransform identity;
    int r = PX_GetBitmapRgnBounds(&bitmap, &identity, bounds);
    if (r == PX_SUCCESS) r = PX_CopyBitmapRect(copy, &bitmap, bounds->left(), bounds->top(), bounds->width(), bounds->height());
    return r;
}

} // namespace

PixRegionEditor::PixRegionEditor(SdkBitmapHandle& bitmap) : bitmap_(bitmap) {}

PixRegionEditor::~PixRegionEditor()
{
    PX_FreeBitmap(&Lifted);
    PX_FreeBitmap(&Background);
    PX_FreeBitmap(&copy_);
    PX_FreeBitmap(&Floater);
}

int PixRegionEditor::PasteQuietly(SdkBitmapHandle* target, int x, int y, const SdkBitmapHandle* source)
{
    PxStatusCallback previous = PX_SetStatusCallBack({});
    const int r = PX_CombineBitmap(target, x, y, source->Width, source->Height, source, 0, 0, combineCopy);
    PX_SetStatusCallBack(std::move(previous));
    return r;
}

// ---- the region ----

bool PixRegionEditor::HasRegion() const { return PX_BitmapHasRgn(&bitmap_) == 1; }

int PixRegionEditor::RefreshBounds(bool* emptied, bool* freed)
{
    *emptied = false;
    *freed = false;
    const PxRgnTransform identity;
    QRect bounds;
    const int r = PX_GetBitmapRgnBounds(&bitmap_, &identity, &bounds);
    if (r == PX_SUCCESS && bounds.isEmpty()) {
        if (HasRegion()) {
            PX_FreeBitmapRgn(&bitmap_);
            *freed = true;
        }
        *emptied = true;
        Bounds = QRect();
        return r;
    }
    if (r == PX_SUCCESS) Bounds = bounds;
    return r;
}

int PixRegionEditor::SetRect(const PxRgnTransform& transform, int left, int top, int width, int height, int combineMode)
{
    PxRect rect;
    rect.Left = std::min(left, left + width);
    rect.Right = std::max(left, left + width);
    rect.Top = std::min(top, top + height);
    rect.Bottom = std::max(top, top + height);
    return PX_SetBitmapRgnRect(&bitmap_, &transform, rect, combineMode);
}

int PixRegionEditor::SetHandle(const QRegion* handle, int dx, int dy, int combineMode)
{
    const PxRgnTransform identity;
    return handle ? PX_SetBitmapRgnHandle(&bitmap_, &identity, *handle, dx, dy, combineMode) : PXERR_BADPARAM;
}

int PixRegionEditor::GetHandle(QRegion* handle) const
{
    const PxRgnTransform identity;
    return PX_GetBitmapRgnHandle(&bitmap_, &identity, handle);
}

int PixRegionEditor::Free()
{
    const int r = PX_FreeBitmapRgn(&bitmap_);
    Bounds = QRect();
    return r;
}

bool PixRegionEditor::Contains(const PxRgnTransform& transform, int x, int y) const
{
    if (PX_PointToBitmap(&bitmap_, &transform, &x, &y) != PX_SUCCESS) return false;
    const PxRgnTransform identity;
    return PX_IsPtInBitmapRgn(&bitmap_, &identity, x, y) == 1 && HasRegion();
}

// ---- how it is shown ----

PixRegionEditor::OutlineTick PixRegionEditor::TickOutline()
{
    if (FrameType != 1 && FrameType != 2) return OutlineTick::Stop;
    if (!HasRegion()) return OutlineTick::Skip;
    if (FrameType == 2) Phase = (Phase + 1) % OutlinePhases;
    return OutlineTick::Draw;
}

void PixRegionEditor::PaintRegion(QPainter& p, const PxRgnTransform& toClient) const
{
    if (FrameType == 3)
        PX_ColorBitmapRgn(&p, &bitmap_, &toClient, platform::colorToRGB(Color));
    else
        PX_FrameBitmapRgn(&p, &bitmap_, &toClient, Phase);
}

void PixRegionEditor::PaintRegionOn(QImage& image, QSize size, const QRect& clip, const PxRgnTransform& toClient) const
{
    if (image.isNull() || image.size() != size) return;
    QPainter p(&image);
    p.setClipRect(clip);
    PaintRegion(p, toClient);
}

// ---- shapes drawn with the mouse ----

void PixRegionEditor::BeginShape(const QPoint& at)
{
    Drawing = true;
    CombineMode = 1;
    if (Shape == rsPolygon) {
        Polygon.clear();
        Polygon.reserve(PolygonGrowth);
        Polygon.push_back(at);
    }
    PressPoint = at;
    CurrentPoint = at;
}

void PixRegionEditor::MoveShape(const QPoint& p)
{
    CurrentPoint = p;
    if (Shape == rsPolygon) {
        if (Polygon.size() == Polygon.capacity()) Polygon.reserve(Polygon.capacity() + PolygonGrowth);
        Polygon.push_back(p);
    }
}

int PixRegionEditor::FinishShape(PxRgnTransform t, int border)
{
    Drawing = false;
    t.ViewPerspective = 0;
    const PxRect box = spanned(PressPoint, CurrentPoint, border);
    int r = PXERR_BADPARAM;
    switch (Shape) {
    case rsRectangle: r = PX_SetBitmapRgnRect(&bitmap_, &t, box, CombineMode); break;
    case rsRoundRect: r = PX_SetBitmapRgnRoundRect(&bitmap_, &t, box, RoundCorner, RoundCorner, CombineMode); break;
    case rsEllipse: r = PX_SetBitmapRgnEllipse(&bitmap_, &t, box, CombineMode); break;
    case rsPolygon: {
        std::vector<QPoint> points(Polygon);
        for (QPoint& p : points) p -= QPoint(border, border);
        r = PX_SetBitmapRgnPolygon(&bitmap_, &t, points.data(), static_cast<int>(points.size()), 1, CombineMode);
        break;
    }
    case rsNone: break;
    }
    Polygon.clear();
    return r;
}

void PixRegionEditor::PaintShapeInProgress(QPainter& p) const
{
    if (!Drawing) return;
    p.save();
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    p.setBrush(Qt::NoBrush);
    const QRect box = QRect(PressPoint, CurrentPoint).normalized();
    switch (Shape) {
    case rsRectangle: p.drawRect(box); break;
    case rsRoundRect: p.drawRoundedRect(box, RoundCorner / 2.0, RoundCorner / 2.0); break;
    case rsEllipse: p.drawEllipse(box); break;
    case rsPolygon: p.drawPolyline(Polygon.data(), static_cast<int>(Polygon.size())); break;
    case rsNone: break;
    }
    p.restore();
}

bool PixRegionEditor::PolygonPoint(int index, QPoint* point) const
{
    if (index < 0 || index >= static_cast<int>(Polygon.size())) return false;
    *point = Polygon[static_cast<std::size_t>(index)];
    return true;
}

// ---- the automatic floater ----

int PixRegionEditor::BuildFloaterCopies()
{
    QRect bounds;
    int r = copyBounds(bitmap_, &Lifted, &bounds);
    // Until the selection is first dropped somewhere, what lies under it is the selection itself.
    if (r == PX_SUCCESS) r = PX_CopyBitmap(&Background, &Lifted);
    if (r == PX_SUCCESS) {
        BackgroundRect = bounds;
        Source = bounds;
    }
    return r;
}

bool PixRegionEditor::DropAutoFloater()
{
    PX_FreeBitmap(&Lifted);
    PX_FreeBitmap(&Background);
    BackgroundRect = QRect();
    ScreenImage = QImage();
    ScreenShape = QRegion();
    const bool wasDragging = Dragging;
    Dragging = false;
    return wasDragging;
}

int PixRegionEditor::SelectionShape(QRect* source, QRegion* shape) const
{
    const PxRgnTransform identity;
    int r = PX_GetBitmapRgnBounds(&bitmap_, &identity, source);
    if (r == PX_SUCCESS) r = PX_GetBitmapRgnHandle(&bitmap_, &identity, shape);
    if (r == PX_SUCCESS) shape->translate(-source->topLeft());
    return r;
}

int PixRegionEditor::Lift(const QRect& source, const QRegion& shape)
{
    PX_FreeBitmapRgn(&bitmap_);
    Bounds = QRect();
    int r = PX_CopyBitmapRect(&Lifted, &bitmap_, source.left(), source.top(), source.width(), source.height());
    if (r != PX_SUCCESS) return r;
    Lifted.Region = shape;
    if (Background.allocated()) {
        // Lifting the selection puts back what it covered.
        return PasteQuietly(&bitmap_, BackgroundRect.left(), BackgroundRect.top(), &Background);
    }
    r = PX_CopyBitmap(&Background, &Lifted);
    BackgroundRect = source;
    return r;
}

bool PixRegionEditor::ShowLifted(const QRect& screen, QColor back)
{
    Screen = screen;
    ScreenImage = screenCopy(Lifted, Screen.size(), back);
    ScreenShape = screenShape(Lifted, Screen.size());
    return !ScreenImage.isNull();
}

void PixRegionEditor::BeginDrag(const QRect& source, const QPoint& at)
{
    Source = source;
    DragDistance = QPoint();
    DragLast = at;
    Dragging = true;
}

void PixRegionEditor::DragTo(const QPoint& at)
{
    const QPoint step = at - DragLast;
    DragLast = at;
    DragDistance += step;
    Screen.translate(step);
}

void PixRegionEditor::Drop(const QPoint& distance)
{
    Dragging = false;
    const QRect moved = Source.translated(distance);
    // What lies under the new place, for when the selection is lifted again.
    const QRect under = moved & QRect(0, 0, bitmap_.Width, bitmap_.Height);
    if (!under.isEmpty()) {
        PX_CopyBitmapRect(&Background, &bitmap_, under.left(), under.top(), under.width(), under.height());
        BackgroundRect = under;
    } else {
        PX_FreeBitmap(&Background);
        BackgroundRect = QRect();
    }
    const PxRgnTransform identity;
    PX_SetBitmapRgnHandle(&bitmap_, &identity, Lifted.Region, moved.left(), moved.top(), 1);
    PasteQuietly(&bitmap_, moved.left(), moved.top(), &Lifted);
    Source = moved;
    ScreenImage = QImage();
}

int PixRegionEditor::Cut(QRect* source) { return copyBounds(bitmap_, &Lifted, source); }

int PixRegionEditor::Paste(const QRect& source, const QRegion& shapeBefore, const QSize& sizeBefore, const BitmapOp& shapeOp)
{
    if (shapeOp && (Lifted.Width != sizeBefore.width() || Lifted.Height != sizeBefore.height() || Lifted.Region.isEmpty())) {
        QRegion shape;
        const int r = transformedShape(shapeBefore, sizeBefore, shapeOp, &shape);
        if (r != PX_SUCCESS) return r;
        Lifted.Region = shape;
    }
    const PxRgnTransform identity;
    int r = PX_SetBitmapRgnHandle(&bitmap_, &identity, Lifted.Region, source.left(), source.top(), 1);
    if (r == PX_SUCCESS) r = PasteQuietly(&bitmap_, source.left(), source.top(), &Lifted);
    return r;
}

int PixRegionEditor::CopySelection(SdkBitmapHandle** copy)
{
    QRect bounds;
    const int r = copyBounds(bitmap_, &copy_, &bounds);
    *copy = r == PX_SUCCESS ? &copy_ : nullptr;
    return r;
}

// ---- the explicit floater ----

int PixRegionEditor::CopyForFloater(const SdkBitmapHandle& bitmap, SdkBitmapHandle* copy, QRect* bounds) const
{
    const int r = copyBounds(bitmap, copy, bounds);
    if (r == PX_SUCCESS) {
        // Its shape is the control's own selection.
        QRegion own;
        GetHandle(&own);
        copy->Region = own.translated(-bounds->topLeft()) & QRect(0, 0, copy->Width, copy->Height);
    }
    return r;
}

bool PixRegionEditor::ClearFloater()
{
    const bool had = Floater.allocated();
    PX_FreeBitmap(&Floater);
    FloaterImage = QImage();
    FloaterShape = QRegion();
    return had;
}

int PixRegionEditor::RebuildFloaterScreen(QColor back)
{
    if (!Floater.allocated()) return 1;
    FloaterImage = screenCopy(Floater, FloaterRect.size(), back);
    if (FloaterImage.isNull()) {
        FloaterShape = QRegion();
        return -1;
    }
    FloaterShape = screenShape(Floater, FloaterRect.size());
    return 1;
}

// ---- both floaters over the frame ----

bool PixRegionEditor::FloatersShown() const
{
    return (Dragging && !ScreenImage.isNull()) || (Floater.allocated() && FloaterVisible);
}

void PixRegionEditor::PaintFloaters(QPainter& p) const
{
    if (Dragging && !ScreenImage.isNull()) {
        p.save();
        p.setClipRegion(ScreenShape.translated(Screen.topLeft()));
        p.drawImage(Screen.topLeft(), ScreenImage);
        p.restore();
    }
    if (Floater.allocated() && FloaterVisible && !FloaterImage.isNull()) {
        p.save();
        p.setClipRect(FloaterClip);
        p.setClipRegion(FloaterShape.translated(FloaterRect.topLeft()), Qt::IntersectClip);
        p.drawImage(FloaterRect.topLeft(), FloaterImage);
        p.restore();
    }
}

bool PixRegionEditor::PresentFloaters(QImage& frame) const
{
    if (UnderFloaters.isNull() || UnderFloaters.size() != frame.size()) return false;
    frame = UnderFloaters.copy();
    QPainter p(&frame);
    PaintFloaters(p);
    return true;
}

void PixRegionEditor::OverlayFloaters(QImage& frame)
{
    if (!FloatersShown()) {
        UnderFloaters = QImage();
        return;
    }
    // The floaters are drawn over a copy kept without them, so that they can move alone.
    UnderFloaters = frame.copy();
    QPainter p(&frame);
    PaintFloaters(p);
}

} // namespace imaging
