// The effect passes of an image control's paint.
#include "imaging/pixeffectpainter.h"

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

bool PixEffectPainter::Wanted() const
{
    if (!c_.fHasImage || c_.fLoadingPage || c_.fAnim.Playing) return false;
    // With PaintRgnOnly only a transition runs, inside the region; the picture comes at once.
    if (c_.fPaintRgnOnly) return c_.fTransitionStyle != etsNone && c_.hasRegion();
    return c_.fPaintEffect != 1000 || c_.fTransitionStyle != etsNone;
}

void PixEffectPainter::notify(unsigned pass, unsigned type)
{
    if (c_.OnPaintNotify) c_.OnPaintNotify(&c_, pass, type);
}

// Shows the frame as it stands in the middle of an effect paint.
void PixEffectPainter::showStep()
{
    if (!c_.isVisible()) return;
    c_.fShowingEffectStep = true;
    c_.repaint();
    c_.fShowingEffectStep = false;
}

// After each pass of an effect paint: the pan window and the glass follow the picture.
void PixEffectPainter::followPass()
{
    // The pan window and the glass show the picture as each pass has left it, not only at the end.
    c_.fPanGlass.ViewChanged();
}

// The paint without an effect: drawn at once, PaintMaxPasses times, each as pass 1 of 1.
void PixEffectPainter::runPlainPasses()
{
    c_.fPassCounter = 1;
    notify(0, 1);
    while (c_.fPassCounter <= c_.fPaintMaxPasses) {
        ++c_.fPassCounter;
        c_.Wait(c_.fPaintNotificationDelay, false);
        notify(c_.fPassCounter - 1, 1);
        followPass();
    }
}

// The new frame is the target; the effect starts from the old one inside the picture's rectangle
// and from the new one everywhere else.
void PixEffectPainter::startFromOldFrame(const QImage& old, const QRect& rect)
{
    QPainter p(&c_.fFrame);
    if (!old.isNull() && old.size() == c_.fFrame.size()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(rect, old, rect);
    } else {
        p.fillRect(rect, c_.fTransparent ? QColor(Qt::transparent) : platform::colorToQColor(c_.fBackColor));
    }
}

PxEffectParams PixEffectPainter::effectParams() const
{
    PxEffectParams params;
    params.grain = static_cast<int>(c_.fEffectGrain);
    params.delay = static_cast<int>(std::min<std::uint32_t>(c_.fEffectDelay, 10000));
    params.transparency = c_.fUseTransparentColor;
    params.transparentColor = static_cast<std::int32_t>(c_.fTransparentColor);
    params.wandSize = static_cast<int>(std::min<std::uint32_t>(c_.fWandSize, 100000));
    params.wandColor = static_cast<std::int32_t>(c_.fWandColor);
    return params;
}

// The transition passes onto canvas, each shown through present; false when they were stopped.
bool PixEffectPainter::runTransitionPasses(QImage* canvas, const QRect& rect, PxEffectParams params,
                                           const std::function<void()>& present)
{
    if (c_.fBackErase) {
        QPainter p(canvas);
        p.fillRect(rect, platform::colorToQColor(c_.fBackColor));
    }
    const bool gradient = c_.fTransitionStyle == etsGradient;
    const int style = gradient ? static_cast<int>(c_.fGradientStyle) : static_cast<int>(c_.fPatternStyle);
    const ColorRef first = gradient ? c_.fGradientStartColor : c_.fPatternBackColor;
    const ColorRef second = gradient ? c_.fGradientEndColor : c_.fPatternForeColor;
    params.effect = c_.fTransitionEffect;
    c_.fPassCounter = 1;
    notify(0, 0);
    while (c_.fPassCounter <= c_.fPaintMaxPasses) {
        const int result = PX_EfxPaintTransition(canvas, gradient, style, static_cast<std::int32_t>(first),
                                                 static_cast<std::int32_t>(second), static_cast<int>(c_.fGradientSteps), rect,
                                                 params, c_.fTransitionEffect == 1000 ? 1 : c_.fPassCounter,
                                                 c_.fTransitionEffect == 1000 ? 1 : c_.fPaintMaxPasses);
        if (result == PXERR_ABORTED || c_.fHandlerError) return false;
        present();
        ++c_.fPassCounter;
        c_.Wait(c_.fPaintNotificationDelay, false);
        notify(c_.fPassCounter - 1, 0);
        followPass();
    }
    return true;
}

// The passes that reveal the picture (target) over the frame; false when they were stopped.
bool PixEffectPainter::runPicturePasses(const QImage& target, const QRect& rect, PxEffectParams params)
{
    params.effect = c_.fPaintEffect;
    c_.fPassCounter = 1;
    notify(0, 1);
    while (c_.fPassCounter <= c_.fPaintMaxPasses) {
        const bool atOnce = c_.fPaintEffect == 1000;
        const int result =
            PX_EfxPaintBitmap(&c_.fFrame, target, rect, params, atOnce ? 1 : c_.fPassCounter, atOnce ? 1 : c_.fPaintMaxPasses);
        if (result == PXERR_ABORTED || c_.fHandlerError) return false;
        ++c_.fPassCounter;
        c_.Wait(c_.fPaintNotificationDelay, false);
        notify(c_.fPassCounter - 1, 1);
        followPass();
    }
    return true;
}

void PixEffectPainter::Run(const QImage& old, const QRect& rect)
{
    if (c_.fPaintEffect == 1000 && c_.fTransitionStyle == etsNone) {
        runPlainPasses();
        return;
    }
    const QImage target = c_.fFrame;
    startFromOldFrame(old, rect);

    // With PaintRgnOnly the transition is drawn aside and only its part inside the region shown.
    const bool inRegion = c_.fPaintRgnOnly;
    QImage aside;
    QRegion region;
    if (inRegion) {
        aside = c_.fFrame.copy();
        const PxRgnTransform t = c_.bitmapToClient();
        PX_GetBitmapRgnHandle(&c_.fBitmap, &t, &region);
        region &= rect;
    }
    QImage* canvas = inRegion ? &aside : &c_.fFrame;
    const std::function<void()> present = [&] {
        if (!inRegion) return;
        QPainter p(&c_.fFrame);
        p.setClipRegion(region);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, aside);
    };

    StatusScope scope(&c_, false);
    PxStatusCallback outer = PX_SetStatusCallBack([this, &present](int percent) {
        present();
        showStep();
        return TPixImage::StatusCallback(percent);
    });
    struct Restore {
        PxStatusCallback* outer;
        ~Restore() { PX_SetStatusCallBack(std::move(*outer)); }
    } restore{&outer};

    const PxEffectParams params = effectParams();
    bool finished = true;
    if (c_.fTransitionStyle != etsNone) finished = runTransitionPasses(canvas, rect, params, present);
    if (finished && !inRegion) runPicturePasses(target, rect, params);
    // However the passes ended (all run, stopped, or fewer passes left after a handler lowered
    // PaintMaxPasses), the control shows its picture.
    c_.fFrame = target;
    processState().aborted = false;
    // A handler's exception ends the paint; it cannot travel on through the paint event.
    c_.fHandlerError = nullptr;
}

} // namespace imaging
