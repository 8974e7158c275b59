#pragma once
// PixScrollBars: the two scroll bars of an image control. It sets their range, page and step
// from the viewport's scroll information and shows a bar only while there is something to scroll,
// places them inside the control's edge, keeps their thumbs where the picture is, turns the
// user's work on a bar into the control's scroll messages, and moves the control's child windows
// with the picture when it scrolls.
#include "imaging/pixscrollinfo.h"
#include "imaging/pixtypes.h"

namespace imaging {

class TPixImage;

class PixScrollBars {
public:
    explicit PixScrollBars(TPixImage& control);
    PixScrollBars(const PixScrollBars&) = delete;
    PixScrollBars& operator=(const PixScrollBars&) = delete;

    // Connects the control's bars, once they exist.
    void Attach();
    // The bar of info: range positions past the page, shown only when range is above 0.
    void Set(TPixScrollInfo& info, int range);
    // The thumb of info's bar at pos, without a message back.
    void SetPos(TPixScrollInfo& info, int pos);
    // Both bars from the viewport's range and position.
    void Sync();
    void Place();
    // A scroll message of the vertical or the horizontal bar.
    void Message(bool vertical, TScrollCode code, int pos);
    // The picture goes back to its origin, with the bars and the children.
    void ScrollToOrigin();
    // Moves the child windows (not the bars) against the picture's move.
    void MoveChildren(int dx, int dy);

private:
    void barAction(bool vertical, int action);

    TPixImage& c_;
};

} // namespace imaging
