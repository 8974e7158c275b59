#include "sdk/playback.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace sdk {

struct SdkPlayback {
    SdkBitmapHandle* display = nullptr;
    SdkBitmapListHandle list = nullptr;
    bool ownsList = false;
    int index = 0;
    int state = playbackReady;
    bool waitCancelled = false;
    int delay = 0;
    bool rowsArrived = false; // rows of the frame on show came after it was shown
};

namespace {

int frameCount(const SdkPlayback& p) { return p.list ? static_cast<int>(p.list->items.size()) : 0; }

// Puts the frame at the index into the display bitmap.
int show(SdkPlayback& p)
{
    if (p.index < 0 || p.index >= frameCount(p)) {
        p.state = playbackEnded;
        return PX_SUCCESS;
    }
    const SdkBitmapHandle& frame = p.list->items[static_cast<std::size_t>(p.index)];
    const int r = PX_CopyBitmap(p.display, &frame);
    if (r != PX_SUCCESS) return r;
    p.delay = frame.Delay;
    p.state = playbackFrame;
    return PX_SUCCESS;
}

} // namespace

int PX_CreatePlayback(SdkPlaybackHandle* playback, SdkBitmapHandle* display, SdkBitmapListHandle list)
{
    if (!playback || !display) return PXERR_BADPARAM;
    auto* p = new (std::nothrow) SdkPlayback;
    if (!p) return PXERR_NOMEMORY;
    p->display = display;
    if (list) {
        p->list = list;
    } else if (PX_CreateBitmapList(&p->list) == PX_SUCCESS) {
        p->ownsList = true;
    } else {
        delete p;
        return PXERR_NOMEMORY;
    }
    *playback = p;
    return PX_SUCCESS;
}

int PX_DestroyPlayback(SdkPlaybackHandle* playback, SdkBitmapListHandle* keepList)
{
    if (!playback || !*playback) return PXERR_BADPARAM;
    SdkPlayback* p = *playback;
    if (keepList) *keepList = p->list;
    else if (p->ownsList) PX_DestroyBitmapList(&p->list);
    delete p;
    *playback = nullptr;
    return PX_SUCCESS;
}

int PX_AppendPlayback(SdkPlaybackHandle playback, const SdkBitmapHandle* frame)
{
    if (!playback || !frame || !frame->allocated()) return PXERR_BADPARAM;
    SdkBitmapHandle blank;
    int r = PX_CopyBitmap(&blank, frame);
    if (r != PX_SUCCESS) return r;
    for (int y = 0; y < blank.Height; ++y) std::memset(blank.row(y), 0, static_cast<std::size_t>(blank.BytesPerLine));
    r = PX_AppendBitmapListItemHandle(playback->list, &blank);
    PX_FreeBitmap(&blank);
    return r;
}

int PX_ValidatePlaybackLines(SdkPlaybackHandle playback, const SdkBitmapHandle* frame, int firstRow, int rows)
{
    if (!playback || !frame || !frame->allocated() || frameCount(*playback) == 0 || firstRow < 0 || rows < 0)
        return PXERR_BADPARAM;
    SdkPlayback& p = *playback;
    const int last = frameCount(p) - 1;
    SdkBitmapHandle& copy = p.list->items.back();
    const auto sameKind = [frame](const SdkBitmapHandle& b) {
        return b.allocated() && b.Width == frame->Width && b.Height == frame->Height &&
               b.BytesPerLine == frame->BytesPerLine;
    };
    if (!sameKind(copy) || firstRow + rows > copy.Height) return PXERR_BADPARAM;
    const bool onShow = p.index == last && (p.state == playbackFrame || p.state == playbackWaiting) && sameKind(*p.display);
    const auto bytes = static_cast<std::size_t>(frame->BytesPerLine);
    for (int y = firstRow; y < firstRow + rows; ++y) {
        std::memcpy(copy.row(y), frame->row(y), bytes);
        if (onShow) std::memcpy(p.display->row(y), frame->row(y), bytes);
    }
    if (onShow && p.state == playbackWaiting && rows > 0) p.rowsArrived = true;
    return PX_SUCCESS;
}

int PX_SetPlaybackIndex(SdkPlaybackHandle playback, int index)
{
    if (!playback || index < 0 || index >= std::max(1, frameCount(*playback))) return PXERR_BADPARAM;
    playback->index = index;
    playback->state = playbackReady;
    playback->waitCancelled = false;
    playback->rowsArrived = false;
    return PX_SUCCESS;
}

int PX_GetPlaybackIndex(SdkPlaybackHandle playback, int* index)
{
    if (!playback || !index) return PXERR_BADPARAM;
    *index = playback->index;
    return PX_SUCCESS;
}

int PX_GetPlaybackState(SdkPlaybackHandle playback, int* state)
{
    if (!playback || !state) return PXERR_BADPARAM;
    *state = playback->state;
    return PX_SUCCESS;
}

int PX_ProcessPlayback(SdkPlaybackHandle playback, int* state)
{
    if (!playback) return PXERR_BADPARAM;
    SdkPlayback& p = *playback;
    int r = PX_SUCCESS;
    switch (p.state) {
    case playbackFrame:
        p.state = playbackWaiting;
        p.waitCancelled = false;
        break;
    case playbackWaiting:
        if (p.rowsArrived) {
            // The frame on show has grown: shown again, its wait going on.
            p.rowsArrived = false;
            p.state = playbackFrame;
        } else if (p.waitCancelled && p.ownsList && p.index + 1 >= frameCount(p)) {
            // Loading: the next frame has not come yet.
        } else if (p.waitCancelled) {
            ++p.index;
            p.waitCancelled = false;
            r = show(p);
        }
        break;
    case playbackEnded:
        p.index = 0;
        r = show(p);
        break;
    default:
        r = show(p);
        break;
    }
    if (state) *state = p.state;
    return r;
}

int PX_CancelPlaybackWait(SdkPlaybackHandle playback)
{
    if (!playback) return PXERR_BADPARAM;
    if (playback->state == playbackWaiting) playback->waitCancelled = true;
    return PX_SUCCESS;
}

int PX_GetPlaybackDelay(SdkPlaybackHandle playback, int* milliseconds)
{
    if (!playback || !milliseconds) return PXERR_BADPARAM;
    *milliseconds = playback->delay;
    return PX_SUCCESS;
}

} // namespace sdk
