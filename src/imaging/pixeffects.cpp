// TPixImage: paint effects and transitions. A paint with an effect does not show its new frame at
// once: the transition background (when a transition style is set) and then the picture are
// revealed over the frame shown before, pass by pass, each percent of the way drawn into the
// composed frame, shown, and reported through the status callback before the next one.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"
#include "sdk/effectpaint.h"
#include "sdk/errors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QThread>

namespace imaging {

using namespace sdk;

void TPixImage::Wait(std::uint32_t ms, bool processMessages)
{
    if (ms == 0) return;
    QElapsedTimer timer;
    timer.start();
    while (static_cast<std::uint64_t>(timer.elapsed()) < ms) {
        if (processMessages) QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}

bool TPixImage::paintEffectsWanted() const
{
    if (!fHasImage || fLoadingPage || fAnim.Playing) return false;
    // With PaintRgnOnly only a transition runs, inside the region; the picture comes at once.
    if (fPaintRgnOnly) return fTransitionStyle != etsNone && hasRegion();
    return fPaintEffect != 1000 || fTransitionStyle != etsNone;
}

void TPixImage::firePaintNotify(unsigned pass, unsigned type)
{
    if (OnPaintNotify) OnPaintNotify(this, pass, type);
}

// Shows the frame as it stands in the middle of an effect paint.
void TPixImage::showEffectStep()
{
    if (!isVisible()) return;
    fShowingEffectStep = true;
    repaint();
    fShowingEffectStep = false;
}

// After each pass of an effect paint: the pan window and the glass follow the picture.
void TPixImage::followPass()
{
    // The pan window and the glass show the picture as each pass has left it, not only at the end.
    fPanGlass.ViewChanged();
}

// The paint without an effect: drawn at once, PaintMaxPasses times, each as pass 1 of 1.
void TPixImage::runPlainPasses()
{
    fPassCounter = 1;
    firePaintNotify(0, 1);
    while (fPassCounter <= fPaintMaxPasses) {
        ++fPassCounter;
        Wait(fPaintNotificationDelay, false);
        firePaintNotify(fPassCounter - 1, 1);
        followPass();
    }
}

// The new frame is the target; the effect starts from the old one inside the picture's rectangle
// and from the new one everywhere else.
void TPixImage::startFromOldFrame(const QImage& old, const QRect& rect)
{
    QPainter p(&fFrame);
    if (!old.isNull() && old.size() == fFrame.size()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(rect, old, rect);
    } else {
        p.fillRect(rect, fTransparent ? QColor(Qt::transparent) : platform::colorToQColor(fBackColor));
    }
}

PxEffectParams TPixImage::effectParams() const
{
    PxEffectParams params;
    params.grain = static_cast<int>(fEffectGrain);
    params.delay = static_cast<int>(std::min<std::uint32_t>(fEffectDelay, 10000));
    params.transparency = fUseTransparentColor;
    params.transparentColor = static_cast<std::int32_t>(fTransparentColor);
    params.wandSize = static_cast<int>(std::min<std::uint32_t>(fWandSize, 100000));
    params.wandColor = static_cast<std::int32_t>(fWandColor);
    return params;
}

// The transition passes onto canvas, each shown through present; false when they were stopped.
bool TPixImage::runTransitionPasses(QImage* canvas, const QRect& rect, PxEffectParams params,
                                    const std::function<void()>& present)
{
    if (fBackErase) {
        QPainter p(canvas);
        p.fillRect(rect, platform::colorToQColor(fBackColor));
    }
    const bool gradient = fTransitionStyle == etsGradient;
    const int style = gradient ? static_cast<int>(fGradientStyle) : static_cast<int>(fPatternStyle);
    const ColorRef first = gradient ? fGradientStartColor : fPatternBackColor;
    const ColorRef second = gradient ? fGradientEndColor : fPatternForeColor;
    params.effect = fTransitionEffect;
    fPassCounter = 1;
    firePaintNotify(0, 0);
    while (fPassCounter <= fPaintMaxPasses) {
        const int result = PX_EfxPaintTransition(canvas, gradient, style, static_cast<std::int32_t>(first),
                                                 static_cast<std::int32_t>(second), static_cast<int>(fGradientSteps),
                                                 rect, params, fTransitionEffect == 1000 ? 1 : fPassCounter,
                                                 fTransitionEffect == 1000 ? 1 : fPaintMaxPasses);
        if (result == PXERR_ABORTED || fHandlerError) return false;
        present();
        ++fPassCounter;
        Wait(fPaintNotificationDelay, false);
        firePaintNotify(fPassCounter - 1, 0);
        followPass();
    }
    return true;
}

// The passes that reveal the picture (target) over the frame; false when they were stopped.
bool TPixImage::runPicturePasses(const QImage& target, const QRect& rect, PxEffectParams params)
{
    params.effect = fPaintEffect;
    fPassCounter = 1;
    firePaintNotify(0, 1);
    while (fPassCounter <= fPaintMaxPasses) {
        const bool atOnce = fPaintEffect == 1000;
        const int result =
            PX_EfxPaintBitmap(&fFrame, target, rect, params, atOnce ? 1 : fPassCounter, atOnce ? 1 : fPaintMaxPasses);
        if (result == PXERR_ABORTED || fHandlerError) return false;
        ++fPassCounter;
        Wait(fPaintNotificationDelay, false);
        firePaintNotify(fPassCounter - 1, 1);
        followPass();
    }
    return true;
}

// The effect passes of one paint: from the frame shown before (old) to the new frame.
void TPixImage::runPaintEffects(const QImage& old, const QRect& rect)
{
    if (fPaintEffect == 1000 && fTransitionStyle == etsNone) {
        runPlainPasses();
        return;
    }
    const QImage target = fFrame;
    startFromOldFrame(old, rect);

    // With PaintRgnOnly the transition is drawn aside and only its part inside the region shown.
    const bool inRegion = fPaintRgnOnly;
    QImage aside;
    QRegion region;
    if (inRegion) {
        aside = fFrame.copy();
        const PxRgnTransform t = bitmapToClient();
        PX_GetBitmapRgnHandle(&fBitmap, &t, &region);
        region &= rect;
    }
    QImage* canvas = inRegion ? &aside : &fFrame;
    const std::function<void()> present = [&] {
        if (!inRegion) return;
        QPainter p(&fFrame);
        p.setClipRegion(region);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, aside);
    };

    StatusScope scope(this, false);
    PxStatusCallback outer = PX_SetStatusCallBack([this, &present](int percent) {
        present();
        showEffectStep();
        return TPixImage::StatusCallback(percent);
    });
    struct Restore {
        PxStatusCallback* outer;
        ~Restore() { PX_SetStatusCallBack(std::move(*outer)); }
    } restore{&outer};

    const PxEffectParams params = effectParams();
    bool finished = true;
    if (fTransitionStyle != etsNone) finished = runTransitionPasses(canvas, rect, params, present);
    if (finished && !inRegion) runPicturePasses(target, rect, params);
    // However the passes ended (all run, stopped, or fewer passes left after a handler lowered
    // PaintMaxPasses), the control shows its picture.
    fFrame = target;
    processState().aborted = false;
    // A handler's exception ends the paint; it cannot travel on through the paint event.
    fHandlerError = nullptr;
}

} // namespace imaging
