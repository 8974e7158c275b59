#pragma once
// PixEffectPainter: the paint effects and transitions of an image control. A paint with an effect
// does not show its new frame at once: the transition background (when a transition style is set)
// and then the picture are revealed over the frame shown before, pass by pass, each percent of the
// way drawn into the composed frame, shown, and reported through the status callback before the
// next one. Without an effect the passes are only counted and reported.
#include "sdk/sdk.h"

#include <QImage>
#include <QRect>
#include <functional>

namespace sdk {
struct PxEffectParams;
}

namespace imaging {

class TPixImage;

class PixEffectPainter {
public:
    explicit PixEffectPainter(TPixImage& control) : c_(control) {}
    PixEffectPainter(const PixEffectPainter&) = delete;
    PixEffectPainter& operator=(const PixEffectPainter&) = delete;

    // Whether the next paint runs effect passes.
    bool Wanted() const;
    // The effect passes of one paint: from the frame shown before (old) to the new frame.
    void Run(const QImage& old, const QRect& rect);

private:
    void notify(unsigned pass, unsigned type);
    void showStep();
    void followPass();
    void runPlainPasses();
    void startFromOldFrame(const QImage& old, const QRect& rect);
    sdk::PxEffectParams effectParams() const;
    bool runTransitionPasses(QImage* canvas, const QRect& rect, sdk::PxEffectParams params, const std::function<void()>& present);
    bool runPicturePasses(const QImage& target, const QRect& rect, sdk::PxEffectParams params);

    TPixImage& c_;
};

} // namespace imaging
