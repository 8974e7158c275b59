#pragma once
// Dragging an image control onto another with the mouse. PixDragGesture is the course of one
// drag, apart from any window: a press makes it pending, a move far enough from the press makes
// it a drag, and the release ends it (a release while pending was a click); it follows the
// control under the mouse and says which one the drag left, entered or moves over. PixDragger
// runs it for a control: it keeps the mouse while the drag lasts, asks the control under the
// mouse whether it takes the drop, and tells the source and the target how it ended.
#include "imaging/pixtypes.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

class QMouseEvent;

namespace imaging {

class TPixImage;

class PixDragGesture {
public:
    enum Phase { Idle, Pending, Active };
    Phase State() const { return phase_; }
    // Pending from at (where the button went down); with immediate, a drag at once.
    void Begin(const QPoint& at, bool immediate);
    // Moves the start: the distance counts from where the button went down.
    void SetStart(const QPoint& at) { start_ = at; }
    // The mouse at at: true when this move turns a pending drag into one (it has gone
    // startDistance or more from the start).
    bool Moved(const QPoint& at, int startDistance);
    // Ends the drag; true when it was one, false for a click or when none was under way.
    bool End();

    // The control under the mouse is target (null: none). Its drag state: dsDragEnter when it
    // differs from the last one, else dsDragMove; *left is the last one when the mouse left it.
    TDragState Over(QObject* target, QObject** left);
    QObject* Target() const { return target_; }
    // Whether the target takes the drop (its answer to the last Over).
    bool Accepted() const { return accepted_; }
    void SetAccepted(bool accepted) { accepted_ = accepted; }
    // Forgets the target, as when the drag ended or starts anew.
    void ClearTarget();

private:
    Phase phase_ = Idle;
    QPoint start_;
    QPointer<QObject> target_;
    bool accepted_ = false;
};

class PixDragger {
public:
    explicit PixDragger(TPixImage& control) : c_(control) {}
    PixDragger(const PixDragger&) = delete;
    PixDragger& operator=(const PixDragger&) = delete;

    void Begin(bool immediate);
    bool Dragging() const { return gesture_.State() != PixDragGesture::Idle; }
    // The mouse's part in a drag; true when the event was the drag's.
    bool Press(const QMouseEvent* event);
    bool Move(const QMouseEvent* event);
    bool Release(const QMouseEvent* event);

private:
    void overTarget(const QPoint& global);

    TPixImage& c_;
    PixDragGesture gesture_;
};

} // namespace imaging
