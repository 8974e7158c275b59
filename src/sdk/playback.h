#pragma once
// Playback of animations: the frames of a bitmap list shown one after another in a display
// bitmap, each for its delay.
#include "sdk/bitmap.h"

namespace sdk {

// States of a playback.
enum PxPlaybackState : int {
    playbackReady = 0,    // nothing shown yet
    playbackFrame = 4,    // a frame is in the display bitmap, ready to show
    playbackWaiting = 5,  // waiting for the shown frame's delay to pass
    playbackEnded = 10,   // past the last frame
};

struct SdkPlayback;
using SdkPlaybackHandle = SdkPlayback*;

// A playback showing in display (which stays the caller's). Over the frames of list when given
// (the list stays the caller's); otherwise over a list of its own that PX_AppendPlayback fills
// while a file loads: past its last frame such a playback waits for the next one instead of
// ending.
int PX_CreatePlayback(SdkPlaybackHandle* playback, SdkBitmapHandle* display, SdkBitmapListHandle list);
// Ends the playback. With keepList, *keepList receives its list (its own list then becomes the
// caller's); without, its own list is destroyed.
int PX_DestroyPlayback(SdkPlaybackHandle* playback, SdkBitmapListHandle* keepList);
// Appends a frame of the size and kind of frame, which is being decoded: its rows stay blank
// until PX_ValidatePlaybackLines hands them over.
int PX_AppendPlayback(SdkPlaybackHandle playback, const SdkBitmapHandle* frame);
// Rows [firstRow, firstRow + rows) of frame, the one last appended, are decoded: they are taken
// into the playback's frame, and, when that frame is on show, into the display, which the next
// process then gives as a frame to show again.
int PX_ValidatePlaybackLines(SdkPlaybackHandle playback, const SdkBitmapHandle* frame, int firstRow, int rows);
// The next frame to show; setting it makes the playback ready to show that frame.
int PX_SetPlaybackIndex(SdkPlaybackHandle playback, int index);
int PX_GetPlaybackIndex(SdkPlaybackHandle playback, int* index);
int PX_GetPlaybackState(SdkPlaybackHandle playback, int* state);
// One step: ready or ended (which starts over) shows the frame at the index; a shown frame starts
// its wait; a wait that was cancelled moves on to the next frame; past the last frame: ended.
int PX_ProcessPlayback(SdkPlaybackHandle playback, int* state);
int PX_CancelPlaybackWait(SdkPlaybackHandle playback);
// Milliseconds the shown frame stays.
int PX_GetPlaybackDelay(SdkPlaybackHandle playback, int* milliseconds);

} // namespace sdk
