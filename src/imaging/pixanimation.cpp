// TPixImage: the playback of animations. The frames stay in the bitmap list; while they play the
// control's bitmap is the playback's display bitmap, into which the engine puts each frame, and
// the animation timer waits out each frame's delay.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"

#include <QElapsedTimer>
#include <QTimer>

namespace imaging {

using namespace sdk;

namespace {

constexpr int maxFrameDelay = 32767;   // milliseconds
constexpr int maxImmediateReruns = 50; // steps run at once in a row when frames have no delay

TPixImage::TTickClock& tickClock()
{
    static TPixImage::TTickClock clock;
    return clock;
}

std::uint32_t ticks()
{
    if (tickClock()) return tickClock()();
    static QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<std::uint32_t>(since.elapsed());
}

// Steps run at once in a row, over every control.
int immediateReruns = 0;

} // namespace

void TPixImage::SetTickClock(TTickClock clock) { tickClock() = std::move(clock); }

int TPixImage::createPlaybackBitmap()
{
    int width = fAnimation.width, height = fAnimation.height, bits = fAnimation.bits;
    if (!fAnimation.known && fList && !fList->items.empty()) {
        // A list that did not come from an animated file plays at the size of its first item.
        const SdkBitmapHandle& first = fList->items.front();
        width = first.Width;
        height = first.Height;
        bits = first.BitsPerPixel;
    }
    PX_FreeBitmap(&fBitmap);
    const int r = PX_CreateBitmap(&fBitmap, 1, width, height, bits, orderBGR,
                                  fAnimation.palette.empty() ? nullptr : &fAnimation.palette, fAnimation.background);
    fHasImage = r == PX_SUCCESS;
    if (fHasImage) ImageReset();
    return r;
}

int TPixImage::AnimationEnable(bool enable)
{
    if (!fList && !fHasImage) {
        fLastResult = PXERR_BADBITMAP;
        raiseProperty(QStringLiteral("AnimationEnable: No bitmap list."));
    }
    if (fProcessing || fBusyDepth > 0) RaiseMethodError(QStringLiteral("Processing not allowed"), 0);
    if (enable == fAnimationRequested) {
        fLastResult = 1;
        return 1;
    }
    fAnimTimer->setInterval(1);
    if (enable) fAnimTimer->start();
    else fAnimTimer->stop();
    fAnimationRequested = enable;
    int result = PX_SUCCESS;
    if (enable) {
        if (fHasImage && hasRegion()) FreeRgn();
        storeIntoList();
        result = fList ? createPlaybackBitmap() : PXERR_BADBITMAP;
        if (result == PX_SUCCESS) {
            fFrameDirty = true;
            resetAttributesAndRects();
            Refresh();
            result = PX_CreatePlayback(&fPlayback, &fBitmap, fList);
        }
        if (result == PX_SUCCESS) result = PX_SetPlaybackIndex(fPlayback, 0);
        if (result == PX_SUCCESS) {
            fPlaying = true;
        } else {
            // The picture comes back as it was.
            if (fPlayback) PX_DestroyPlayback(&fPlayback, nullptr);
            if (fList) selectListItem();
        }
    } else {
        fPlaying = false;
        result = fPlayback ? PX_DestroyPlayback(&fPlayback, nullptr) : PX_SUCCESS;
        fPlayback = nullptr;
        if (fList) {
            const int selected = selectListItem();
            if (result == PX_SUCCESS) result = selected;
        }
        fFrameDirty = true;
        update();
    }
    if (OnAnimate) OnAnimate(this, enable);
    if (result != PX_SUCCESS) {
        fAnimTimer->stop();
        fAnimTimer->setInterval(0);
        fAnimationRequested = false;
    }
    return CheckMethodResult(QStringLiteral("AnimationEnable"), result);
}

void TPixImage::showPlaybackFrame()
{
    if (fLoaderDriven) {
        int index = 0;
        PX_GetPlaybackIndex(fPlayback, &index);
        if (index != fLoaderFrameIndex) {
            fLoaderFrameIndex = index;
            fLoaderFrameShownAt = ticks();
        }
    }
    fTransparentBitmap = (fBitmap.Flags & bfTransparent) != 0;
    fFrameDirty = true;
    Refresh();
    updatePanWindow(true);
    updateMagGlass();
}

bool TPixImage::loaderFrameDue()
{
    int delay = 0;
    PX_GetPlaybackDelay(fPlayback, &delay);
    return static_cast<int>(ticks() - fLoaderFrameShownAt) >= std::min(delay, maxFrameDelay);
}

void TPixImage::AnimationStep()
{
    // While a load steps the playback, the timer is not used.
    if (!fLoaderDriven) fAnimTimer->stop();
    const std::uint32_t start = ticks();
    if (!fPlayback) return;
    try {
        int state = playbackReady;
        PX_GetPlaybackState(fPlayback, &state);
        // A few rounds at most: a wait to cancel, an end to start over from, then a frame.
        for (int round = 0; state != playbackEnded && round < 4; ++round) {
            PX_ProcessPlayback(fPlayback, &state);
            if (state == playbackFrame) {
                showPlaybackFrame();
                PX_ProcessPlayback(fPlayback, &state);
                break;
            }
            if (state == playbackWaiting) {
                // A load may be quicker than the frames' delays: each frame stays its delay all
                // the same, so that an animation is not over before it could be seen.
                if (fLoaderDriven && !loaderFrameDue()) break;
                PX_CancelPlaybackWait(fPlayback);
                continue;
            }
            if (state == playbackEnded) {
                if (fLoaderDriven) break;
                if (fLoopForever) {
                    PX_ProcessPlayback(fPlayback, &state);
                    if (state == playbackFrame) {
                        showPlaybackFrame();
                        PX_ProcessPlayback(fPlayback, &state);
                    }
                    break;
                }
                AnimationEnable(false);
                return;
            }
            break;
        }
    } catch (const std::exception&) {
        // A failure to stop is kept as the last result; the timer cannot carry it further.
        return;
    }
    if (!fPlayback || fLoaderDriven) return;
    int delay = 0;
    PX_GetPlaybackDelay(fPlayback, &delay);
    delay = std::min(delay, maxFrameDelay);
    const int remaining = delay - static_cast<int>(ticks() - start);
    if (remaining <= 0 && immediateReruns < maxImmediateReruns) {
        ++immediateReruns;
        AnimationStep();
        return;
    }
    fAnimTimer->setInterval(std::max(1, remaining));
    fAnimTimer->start();
    immediateReruns = 0;
}

int TPixImage::startLoadedAnimation(int index)
{
    fListIndex = 0;
    int r = createPlaybackBitmap();
    if (r == PX_SUCCESS) r = PX_CreatePlayback(&fPlayback, &fBitmap, fList);
    if (r == PX_SUCCESS) r = PX_SetPlaybackIndex(fPlayback, index);
    if (r != PX_SUCCESS) {
        if (fPlayback) PX_DestroyPlayback(&fPlayback, nullptr);
        return r;
    }
    fPlaying = true;
    fAnimationRequested = true;
    ImageChanged();
    fAnimTimer->setInterval(1);
    fAnimTimer->start();
    if (OnAnimate) OnAnimate(this, true);
    AnimationStep();
    return PX_SUCCESS;
}

void TPixImage::stopPlayback()
{
    fAnimTimer->stop();
    fAnimTimer->setInterval(0);
    fPlaying = false;
    fAnimationRequested = false;
    if (fPlayback) PX_DestroyPlayback(&fPlayback, nullptr);
}

} // namespace imaging
