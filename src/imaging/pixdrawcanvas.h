#pragma once
// PixDrawCanvas: the drawing canvas an image control lends out. One canvas is out at a time: on
// the bitmap (through a bitmap context the lender keeps until the canvas comes back, when the
// picture has changed) with DrawPersistence, else on the frame the window shows.
#include "imaging/pixcanvas.h"

#include <functional>
#include <memory>

class QPainter;

namespace sdk {
struct PxPixDC;
}

namespace imaging {

class TPixImage;

class PixDrawCanvas {
public:
    explicit PixDrawCanvas(TPixImage& control) : c_(control) {}
    ~PixDrawCanvas() { Drop(); }
    PixDrawCanvas(const PixDrawCanvas&) = delete;
    PixDrawCanvas& operator=(const PixDrawCanvas&) = delete;

    // A canvas with the control's drawing style (its text style with forText); null when the
    // bitmap context could not be had (the failure is the control's last result).
    TPixCanvas* Lend(bool forText);
    // Takes canvas back; PXERR_BADPARAM for one not lent out.
    int TakeBack(TPixCanvas* canvas);
    bool Out() const { return canvas_ != nullptr; }
    // Lets go of a canvas out and its context without showing anything (the control is going).
    void Drop();
    // With DrawPersistence the canvas maps the client rectangle where the picture is shown onto
    // the bitmap rectangle it shows.
    TPixCanvas::Mapping Mapping() const;

private:
    // Draws onto the frame the window shows, inside the frame around the picture.
    void paintOnWindow(const std::function<void(QPainter&)>& draw);

    TPixImage& c_;
    std::unique_ptr<TPixCanvas> canvas_;
    sdk::PxPixDC* dc_ = nullptr; // the bitmap context of a persistent canvas
};

} // namespace imaging
