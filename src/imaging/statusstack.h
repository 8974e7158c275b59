#pragma once
// The process-wide state shared by every image control: the stack of controls whose operation
// is running (linked through each scope), the abort request and the aborted mark.
#include "sdk/bitmap.h"

namespace imaging {

class TPixImage;

struct ProcessState {
    TPixImage* current = nullptr;
    bool abortRequest = false;
    bool aborted = false;
    int paintingCount = 0;
};
ProcessState& processState();

// Makes a control the current control for the length of one operation and, when asked, installs
// the process-wide status callback; both are put back on every way out. When the outermost
// operation ends, an abort request that nothing consumed is dropped, so it can never stop a later,
// unrelated operation.
class StatusScope {
public:
    StatusScope(TPixImage* control, bool installCallback);
    ~StatusScope();
    StatusScope(const StatusScope&) = delete;
    StatusScope& operator=(const StatusScope&) = delete;

private:
    TPixImage* control_;
    TPixImage* previous_;
    sdk::PxStatusCallback previousCallback_;
    bool installed_;
};

} // namespace imaging
