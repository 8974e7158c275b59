#pragma once
// Tells a window's return to the user apart from its first activation: the editors reload their
// picture each time the user comes back to them, but not for the activation that follows their
// showing, whose work the showing has done already.
#include <QEvent>

namespace effectsui {

class ReturnActivation {
public:
    // The window was just shown and has done its activation work.
    void shown() { shown_ = true; }
    // True for an activation event that brings the user back to the window.
    bool isReturn(const QEvent* e)
    {
        if (e->type() == QEvent::WindowActivate) {
            const bool back = !shown_;
            shown_ = false;
            return back;
        }
        if (e->type() == QEvent::WindowDeactivate) shown_ = false;
        return false;
    }

private:
    bool shown_ = false;
};

} // namespace effectsui
