#pragma once
// The state of one scroll bar of an image control.
#include "imaging/pixtypes.h"

namespace imaging {

class TPixScrollInfo {
public:
    TPixScrollInfo() = default;
    // Binds the record to its control and bar; a null control detaches it.
    void Attach(TPixImage* control, TScrollBarKind kind)
    {
        Control = control;
        Kind = kind;
    }
    void Detach() { Control = nullptr; }

    TPixImage* Control = nullptr;
    TScrollBarKind Kind = sbHorizontal;
    int Min = 0;
    int Max = 0;   // range + page - 1
    int Page = -1; // unset until a picture gives it
    int Pos = 0;
};

} // namespace imaging
