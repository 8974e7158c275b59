// Dragging an image control onto another image control with the mouse. The drag keeps the mouse
// on the control it started from; the control under the mouse is asked whether it takes the drop
// (OnDragOver) and gets it on release (OnDragDrop); the source hears the end (OnEndDrag).
#include "imaging/pixdrag.h"

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

// ---- the gesture ----

void PixDragGesture::Begin(const QPoint& at, bool immediate)
{
    start_ = at;
    ClearTarget();
    phase_ = immediate ? Active : Pending;
}

bool PixDragGesture::Moved(const QPoint& at, int startDistance)
{
    if (phase_ != Pending || (at - start_).manhattanLength() < startDistance) return false;
    phase_ = Active;
    return true;
}

bool PixDragGesture::End()
{
    const bool active = phase_ == Active;
    phase_ = Idle;
    return active;
}

TDragState PixDragGesture::Over(QObject* target, QObject** left)
{
    *left = target != target_ ? target_.data() : nullptr;
    const TDragState state = target == target_ ? dsDragMove : dsDragEnter;
    target_ = target;
    // A control that is not asked takes no drop.
    accepted_ = false;
    return state;
}

void PixDragGesture::ClearTarget()
{
    target_ = nullptr;
    accepted_ = false;
}

// ---- the control's drag ----

void PixDragger::Begin(bool immediate)
{
    if (gesture_.State() == PixDragGesture::Active) return;
    const QPoint at = QCursor::pos();
    c_.grabMouse();
    gesture_.Begin(at, immediate);
    if (immediate) {
        if (c_.OnStartDrag) c_.OnStartDrag(&c_);
        overTarget(at);
    }
}

void PixDragger::overTarget(const QPoint& global)
{
    TPixImage* target = controlAt(global);
    QObject* leftObject = nullptr;
    const TDragState state = gesture_.Over(target, &leftObject);
    if (auto* left = qobject_cast<TPixImage*>(leftObject); left && left->OnDragOver) {
        bool ignored = false;
        const QPoint at = left->mapFromGlobal(global);
        left->OnDragOver(left, &c_, at.x(), at.y(), dsDragLeave, ignored);
    }
    // A control without OnDragOver takes no drop.
    if (target && target->OnDragOver) {
        bool accepted = true;
        const QPoint at = target->mapFromGlobal(global);
        target->OnDragOver(target, &c_, at.x(), at.y(), state, accepted);
        gesture_.SetAccepted(accepted);
    }
    c_.setCursor(gesture_.Accepted() ? cursorShapeOf(c_.fDragCursor) : Qt::ForbiddenCursor);
}

bool PixDragger::Press(const QMouseEvent* event)
{
    if (c_.fDragMode != dmAutomatic || event->button() != Qt::LeftButton || Dragging()) return false;
    Begin(false);
    // The drag distance counts from where the button went down, not from wherever the cursor was
    // last reported.
    gesture_.SetStart(event->globalPosition().toPoint());
    return true;
}

bool PixDragger::Move(const QMouseEvent* event)
{
    if (!Dragging()) return false;
    const QPoint global = event->globalPosition().toPoint();
    if (gesture_.State() == PixDragGesture::Pending) {
        if (!gesture_.Moved(global, QApplication::startDragDistance())) return true;
        if (c_.OnStartDrag) c_.OnStartDrag(&c_);
    }
    overTarget(global);
    return true;
}

bool PixDragger::Release(const QMouseEvent* event)
{
    if (!Dragging() || event->button() != Qt::LeftButton) return false;
    const bool active = gesture_.End();
    c_.releaseMouse();
    c_.unsetCursor();
    if (!active) return true; // a click, not a drag
    const QPoint global = event->globalPosition().toPoint();
    overTarget(global);
    c_.unsetCursor();
    auto* target = gesture_.Accepted() ? qobject_cast<TPixImage*>(gesture_.Target()) : nullptr;
    QPoint at = target ? target->mapFromGlobal(global) : c_.mapFromGlobal(global);
    if (target && target->OnDragDrop) target->OnDragDrop(target, &c_, at.x(), at.y());
    gesture_.ClearTarget();
    if (c_.OnEndDrag) c_.OnEndDrag(&c_, target, at.x(), at.y());
    return true;
}

void TPixImage::BeginDrag(bool Immediate) { fDragger.Begin(Immediate); }

} // namespace imaging
