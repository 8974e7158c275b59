// TPixImage: dragging the control onto another image control with the mouse. The drag keeps the
// mouse on the control it started from; the control under the mouse is asked whether it takes
// the drop (OnDragOver) and gets it on release (OnDragDrop); the source hears the end (OnEndDrag).
#include "imaging/piximage.h"

#include <QApplication>
#include <QMouseEvent>

namespace imaging {

namespace {

// The image control at a point of the screen, null where there is none.
TPixImage* controlAt(const QPoint& global)
{
    for (QWidget* w = QApplication::widgetAt(global); w; w = w->parentWidget())
        if (auto* control = qobject_cast<TPixImage*>(w)) return control;
    return nullptr;
}

} // namespace

void TPixImage::BeginDrag(bool Immediate)
{
    if (fDragState == DragActive) return;
    fDragStart = QCursor::pos();
    fDragTarget = nullptr;
    fDragAccepted = false;
    grabMouse();
    fDragState = DragPending;
    if (Immediate) {
        fDragState = DragActive;
        if (OnStartDrag) OnStartDrag(this);
        dragOverTarget(fDragStart);
    }
}

void TPixImage::dragOverTarget(const QPoint& global)
{
    TPixImage* target = controlAt(global);
    if (target != fDragTarget && fDragTarget && fDragTarget->OnDragOver) {
        bool ignored = false;
        const QPoint at = fDragTarget->mapFromGlobal(global);
        fDragTarget->OnDragOver(fDragTarget, this, at.x(), at.y(), dsDragLeave, ignored);
    }
    const TDragState state = target == fDragTarget ? dsDragMove : dsDragEnter;
    fDragTarget = target;
    // A control without OnDragOver takes no drop.
    fDragAccepted = false;
    if (target && target->OnDragOver) {
        fDragAccepted = true;
        const QPoint at = target->mapFromGlobal(global);
        target->OnDragOver(target, this, at.x(), at.y(), state, fDragAccepted);
    }
    setCursor(fDragAccepted ? cursorShapeOf(fDragCursor) : Qt::ForbiddenCursor);
}

// The mouse's part in a drag; true when the event was the drag's.
bool TPixImage::dragPress(const QMouseEvent* event)
{
    if (fDragMode != dmAutomatic || event->button() != Qt::LeftButton || fDragState != DragIdle) return false;
    BeginDrag(false);
    // The drag distance counts from where the button went down, not from wherever the cursor was
    // last reported.
    fDragStart = event->globalPosition().toPoint();
    return true;
}

bool TPixImage::dragMove(const QMouseEvent* event)
{
    if (fDragState == DragIdle) return false;
    const QPoint global = event->globalPosition().toPoint();
    if (fDragState == DragPending) {
        if ((global - fDragStart).manhattanLength() < QApplication::startDragDistance()) return true;
        fDragState = DragActive;
        if (OnStartDrag) OnStartDrag(this);
    }
    dragOverTarget(global);
    return true;
}

bool TPixImage::dragRelease(const QMouseEvent* event)
{
    if (fDragState == DragIdle || event->button() != Qt::LeftButton) return false;
    const bool active = fDragState == DragActive;
    fDragState = DragIdle;
    releaseMouse();
    unsetCursor();
    if (!active) return true; // a click, not a drag
    const QPoint global = event->globalPosition().toPoint();
    dragOverTarget(global);
    unsetCursor();
    TPixImage* target = fDragAccepted ? fDragTarget.data() : nullptr;
    QPoint at = target ? target->mapFromGlobal(global) : mapFromGlobal(global);
    if (target && target->OnDragDrop) target->OnDragDrop(target, this, at.x(), at.y());
    fDragTarget = nullptr;
    if (OnEndDrag) OnEndDrag(this, target, at.x(), at.y());
    return true;
}

} // namespace imaging
