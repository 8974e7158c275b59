#pragma once
// The hourglass cursor for the length of a scope (the override cursor, restored however the
// scope is left).
#include <QGuiApplication>

namespace platform {

class HourglassCursor {
public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

private:
    bool active_ = false;
};

// Lets the framework process pending messages (the long jobs call this between steps).
void processMessages();

} // namespace platform
