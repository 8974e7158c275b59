// PixAnimator: the playback of an animation's frames.
#include "imaging/pixanimator.h"

#include <QElapsedTimer>
#include <algorithm>

namespace imaging {

using namespace sdk;

namespace {

PixAnimator::TickClock& tickClock()
{
    static PixAnimator::TickClock clock;
    return clock;
}

} // namespace

void PixAnimator::SetTickClock(TickClock clock) { tickClock() = std::move(clock); }

std::uint32_t PixAnimator::Ticks()
{
    if (tickClock()) return tickClock()();
    static QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<std::uint32_t>(since.elapsed());
}

int PixAnimator::CreateDisplay(SdkBitmapHandle* display, SdkBitmapListHandle list) const
{
    int width = Animation.width, height = Animation.height, bits = Animation.bits;
    if (!Animation.known && list && !list->items.empty()) {
        const SdkBitmapHandle& first = list->items.front();
        width = first.Width;
        height = first.Height;
        bits = first.BitsPerPixel;
    }
    PX_FreeBitmap(display);
    return PX_CreateBitmap(display, 1, width, height, bits, orderBGR,
                           Animation.palette.empty() ? nullptr : &Animation.palette, Animation.background);
}

int PixAnimator::Start(SdkBitmapHandle* display, SdkBitmapListHandle list, int index)
{
    int r = PX_CreatePlayback(&Playback, display, list);
    if (r == PX_SUCCESS) r = PX_SetPlaybackIndex(Playback, index);
    if (r != PX_SUCCESS && Playback) PX_DestroyPlayback(&Playback, nullptr);
    return r;
}

int PixAnimator::Destroy(SdkBitmapListHandle* keep)
{
    const int r = Playback ? PX_DestroyPlayback(&Playback, keep) : PX_SUCCESS;
    Playback = nullptr;
    return r;
}

PixAnimator::StepResult PixAnimator::Step(bool loopForever, const std::function<void()>& show)
{
    if (!Playback) return Stepped;
    int state = playbackReady;
    PX_GetPlaybackState(Playback, &state);
    // A few rounds at most: a wait to cancel, an end to start over from, then a frame.
    for (int round = 0; state != playbackEnded && round < 4; ++round) {
        PX_ProcessPlayback(Playback, &state);
        if (state == playbackFrame) {
            show();
            PX_ProcessPlayback(Playback, &state);
            break;
        }
        if (state == playbackWaiting) {
            // A load may be quicker than the frames' delays: each frame stays its delay all the
            // same, so that an animation is not over before it could be seen.
            if (LoaderDriven && !LoaderFrameDue()) break;
            PX_CancelPlaybackWait(Playback);
            continue;
        }
        if (state == playbackEnded) {
            if (LoaderDriven) break;
            if (!loopForever) return Ended;
            PX_ProcessPlayback(Playback, &state);
            if (state == playbackFrame) {
                show();
                PX_ProcessPlayback(Playback, &state);
            }
            break;
        }
        break;
    }
    return Stepped;
}

void PixAnimator::NoteFrameShown()
{
    if (!LoaderDriven || !Playback) return;
    int index = 0;
    PX_GetPlaybackIndex(Playback, &index);
    if (index != LoaderFrameIndex) {
        LoaderFrameIndex = index;
        LoaderFrameShownAt = Ticks();
    }
}

int PixAnimator::FrameDelay() const
{
    int delay = 0;
    if (Playback) PX_GetPlaybackDelay(Playback, &delay);
    return std::min(delay, MaxFrameDelay);
}

bool PixAnimator::LoaderFrameDue() const { return static_cast<int>(Ticks() - LoaderFrameShownAt) >= FrameDelay(); }

int PixAnimator::Remaining(std::uint32_t start) const { return FrameDelay() - static_cast<int>(Ticks() - start); }

} // namespace imaging
