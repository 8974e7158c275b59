#pragma once
// PixAnimator: the playback of an animation's frames. It keeps the engine's playback over a
// bitmap list and a display bitmap (the control's own, into which each frame is put), whether
// it plays, and, while a file's load steps it, which frame is on show and since when. A step
// shows the next frame when it is due; the frames' delays are waited out by the caller's timer
// from what Remaining says. It knows no window; its clock can be replaced.
#include "platform/colors.h"
#include "sdk/sdk.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace imaging {

class PixAnimator {
public:
    // The longest a frame stays, in milliseconds.
    static constexpr int MaxFrameDelay = 32767;

    // Milliseconds from any start; tests put their own clock (an empty one restores the real).
    using TickClock = std::function<std::uint32_t()>;
    static void SetTickClock(TickClock clock);
    static std::uint32_t Ticks();

    // The animation as its file describes it (known only for an animated file).
    struct Format {
        bool known = false;
        int width = 0, height = 0, bits = 24;
        std::vector<std::uint32_t> palette;
        platform::ColorRef background = 0;
    };

    PixAnimator() = default;
    ~PixAnimator() { Destroy(nullptr); }
    PixAnimator(const PixAnimator&) = delete;
    PixAnimator& operator=(const PixAnimator&) = delete;

    // ---- state ----
    Format Animation;
    sdk::SdkPlaybackHandle Playback = nullptr;
    bool Playing = false;
    // Asked to play (AnimationEnable or a file that plays once loaded).
    bool Requested = false;
    // The load of the file steps the playback, frame by frame as they are decoded.
    bool LoaderDriven = false;
    int LoaderFrameIndex = -1;
    std::uint32_t LoaderFrameShownAt = 0;

    // ---- work ----
    // Makes display the bitmap the frames are shown in: of the animation's size, or for a list
    // that came from no animated file, of its first item's.
    int CreateDisplay(sdk::SdkBitmapHandle* display, sdk::SdkBitmapListHandle list) const;
    // The playback over list into display, at frame index; nothing is left on failure.
    int Start(sdk::SdkBitmapHandle* display, sdk::SdkBitmapListHandle list, int index);
    // Ends the playback; with keep, its frames become that list.
    int Destroy(sdk::SdkBitmapListHandle* keep);

    enum StepResult { Stepped, Ended };
    // One step: the next frame is put into the display bitmap and shown through show when it is
    // due. Ended when a playback that does not loop has come to its end (the caller stops it).
    StepResult Step(bool loopForever, const std::function<void()>& show);
    // While the load steps it: notes the frame on show, and whether it has stayed its delay.
    void NoteFrameShown();
    bool LoaderFrameDue() const;
    // Milliseconds until the next step is due, for a step that began at start (0 or less: now).
    int Remaining(std::uint32_t start) const;
    // The delay of the frame on show, at most MaxFrameDelay.
    int FrameDelay() const;
};

} // namespace imaging
