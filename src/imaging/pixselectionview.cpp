// The selection of an image control as it shows it: the region's bounds, outline and shapes
// drawn with the mouse, and the automatic floater.
#include "imaging/pixselectionview.h"

#include "imaging/piximage.h"

#include <QPainter>

namespace imaging {

using namespace sdk;

namespace {

constexpr int outlineInterval = 1000; // milliseconds between two steps of the moving outline

} // namespace

PixSelectionView::PixSelectionView(TPixImage& control) : c_(control)
{
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
}

void PixSelectionView::RefreshBounds()
{
    if (!c_.fHasImage) {
        c_.fRegions.Bounds = QRect();
        return;
    }
    bool emptied = false, freed = false;
    const int r = c_.fRegions.RefreshBounds(&emptied, &freed);
    if (emptied) {
        if (freed) c_.storeIntoList();
        if (c_.fEnableFloater) DropAutoFloater();
        return;
    }
    c_.fLastResult = r;
}

// What follows every change of the region: bounds, floater copies, list, repaint, event.
void PixSelectionView::Changed()
{
    RefreshBounds();
    if (!c_.fHasImage) return;
    if (c_.fEnableFloater && c_.hasRegion()) {
        const int r = c_.fRegions.BuildFloaterCopies();
        if (r != PX_SUCCESS && c_.fEnableMethodErrors) {
            c_.fLastResult = r;
            throw EPixImageError(formatMethodError(c_.objectName(), r, QStringLiteral("Error Allocating Floater Bitmaps")));
        }
    }
    c_.storeIntoList();
    if (c_.fPaintRgnOnly || c_.fRegions.FrameType != 0) {
        c_.fFrameDirty = true;
        c_.update();
    }
    if (c_.OnRgnChange) c_.OnRgnChange(&c_);
}

void PixSelectionView::PaintOutline(QPainter& p)
{
    if (c_.fRegions.FrameType == 0 || !c_.hasRegion() || c_.fView.DstWidth <= 0 || c_.fView.DstHeight <= 0 ||
        c_.fView.Src.isEmpty())
        return;
    const int b = c_.BorderWidth();
    p.save();
    p.setClipRect(c_.fView.DstClip.translated(b, b) & QRect(0, 0, c_.ClientWidth(), c_.ClientHeight()));
    c_.fRegions.PaintRegion(p, c_.bitmapToClient());
    p.restore();
    if (c_.fRegions.FrameType == 2 && !c_.fRegions.Drawing) timer_.start(outlineInterval);
}

void PixSelectionView::drawOutlineNow()
{
    if (c_.fFrame.isNull() || c_.fView.DstWidth <= 0 || c_.fView.DstHeight <= 0 || c_.fView.Src.isEmpty()) return;
    const PxRgnTransform t = c_.bitmapToClient();
    const QSize size = c_.fFrame.size();
    c_.fRegions.PaintRegionOn(c_.fFrame, size, c_.innerRect(), t);
    c_.fRegions.PaintRegionOn(c_.fRegions.UnderFloaters, size, c_.innerRect(), t);
    c_.update();
}

void PixSelectionView::RestartOutline()
{
    if (c_.fRegions.FrameType != 0 && !timer_.isActive()) timer_.start(outlineInterval);
}

void PixSelectionView::tick()
{
    switch (c_.fRegions.TickOutline()) {
    case PixRegionEditor::OutlineTick::Stop: timer_.stop(); break;
    case PixRegionEditor::OutlineTick::Skip: break;
    case PixRegionEditor::OutlineTick::Draw: drawOutlineNow(); break;
    }
}

void PixSelectionView::FinishShape()
{
    c_.update(); // the shape drawn while dragging goes away
    const int r = c_.fRegions.FinishShape(c_.clientToBitmap(), c_.BorderWidth());
    c_.fLastResult = r;
    if (r == PX_SUCCESS) Changed();
    c_.fLastResult = r;
}

void PixSelectionView::SetFrameType(std::uint8_t Type)
{
    if (Type == 0) {
        timer_.stop();
        c_.fFrameDirty = true;
        c_.update();
    } else {
        if (!timer_.isActive()) timer_.start(outlineInterval);
        c_.fRegions.FrameType = Type;
        if (c_.hasRegion()) drawOutlineNow();
    }
    c_.fRegions.FrameType = Type;
}

// ---- the automatic floater ----

void PixSelectionView::PresentFloaters()
{
    if (c_.fFrameDirty || !c_.fRegions.PresentFloaters(c_.fFrame)) c_.fFrameDirty = true;
    c_.update();
}

void PixSelectionView::DropAutoFloater()
{
    if (c_.fRegions.DropAutoFloater()) {
        c_.fFrameDirty = true;
        c_.update();
    }
}

void PixSelectionView::PickUpFloater(const QPoint& at)
{
    QRect source;
    QRegion shape;
    int r = c_.fRegions.SelectionShape(&source, &shape);
    if (r != PX_SUCCESS || source.isEmpty()) {
        c_.fLastResult = r;
        c_.raiseProperty(QStringLiteral("Error Allocating Floater Bitmaps."));
    }
    r = c_.fRegions.Lift(source, shape);
    const bool shown =
        c_.fRegions.ShowLifted(c_.fView.ClientRectOf(source, c_.BorderWidth()), platform::colorToQColor(c_.fBackColor));
    if (r != PX_SUCCESS || !shown) {
        c_.storeIntoList();
        c_.fLastResult = r != PX_SUCCESS ? r : PXERR_NOMEMORY;
        c_.raiseProperty(QStringLiteral("Error Allocating Floater Bitmaps."));
    }
    c_.storeIntoList();
    c_.fRegions.BeginDrag(source, at);
    c_.fMouseCaptured = true;
    c_.fFrameDirty = true;
    c_.Refresh();
}

void PixSelectionView::DragFloater(const QPoint& at)
{
    c_.fRegions.DragTo(at);
    PresentFloaters();
}

void PixSelectionView::DropFloater()
{
    c_.fRegions.Drop(c_.fView.BitmapDistance(c_.fRegions.DragDistance));
    c_.fFrameDirty = true;
    c_.update();
    c_.fLastResult = PX_SUCCESS;
    RefreshBounds();
    c_.storeIntoList();
    if (c_.OnRgnChange) c_.OnRgnChange(&c_);
    c_.fMouseCaptured = false;
}

// The explicit floater's picture and shape at its display size; -1 when they cannot be made.
int PixSelectionView::RebuildFloaterScreen() { return c_.fRegions.RebuildFloaterScreen(platform::colorToQColor(c_.fBackColor)); }

} // namespace imaging
