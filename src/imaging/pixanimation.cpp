// TPixImage: the playback of animations. The frames stay in the bitmap list; while they play the
// control's bitmap is the playback's display bitmap, into which the engine puts each frame, and
// the animation timer waits out each frame's delay.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"

#include <QTimer>

namespace imaging {

using namespace sdk;

namespace {

constexpr int maxImmediateReruns = 50; // steps run at once in a row when frames have no delay

// Steps run at once in a row, over every control.
int immediateReruns = 0;

} // namespace

// The display bitmap of the playback, of the animation's size.
int TPixImage::createPlaybackBitmap()
{
    const int r = fAnim.CreateDisplay(&fBitmap, fList);
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
    if (enable == fAnim.Requested) {
        fLastResult = 1;
        return 1;
    }
    fAnimTimer->setInterval(1);
    if (enable) fAnimTimer->start();
    else fAnimTimer->stop();
    fAnim.Requested = enable;
    int result = PX_SUCCESS;
    if (enable) {
        if (fHasImage && hasRegion()) FreeRgn();
        storeIntoList();
        result = fList ? createPlaybackBitmap() : PXERR_BADBITMAP;
        if (result == PX_SUCCESS) {
            fFrameDirty = true;
            resetAttributesAndRects();
            Refresh();
            result = fAnim.Start(&fBitmap, fList, 0);
        }
        if (result == PX_SUCCESS) {
            fAnim.Playing = true;
        } else {
            // The picture comes back as it was.
            fAnim.Destroy(nullptr);
            if (fList) selectListItem();
        }
    } else {
        fAnim.Playing = false;
        result = fAnim.Destroy(nullptr);
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
        fAnim.Requested = false;
    }
    return CheckMethodResult(QStringLiteral("AnimationEnable"), result);
}

// Draws the frame the playback has put into the display bitmap.
void TPixImage::showPlaybackFrame()
{
    fAnim.NoteFrameShown();
    fTransparentBitmap = (fBitmap.Flags & bfTransparent) != 0;
    fFrameDirty = true;
    Refresh();
    fPanGlass.PictureChanged();
}

void TPixImage::AnimationStep()
{
    // While a load steps the playback, the timer is not used.
    if (!fAnim.LoaderDriven) fAnimTimer->stop();
    const std::uint32_t start = PixAnimator::Ticks();
    if (!fAnim.Playback) return;
    try {
        if (fAnim.Step(fLoopForever, [this] { showPlaybackFrame(); }) == PixAnimator::Ended) {
            AnimationEnable(false);
            return;
        }
    } catch (const std::exception&) {
        // A failure to stop is kept as the last result; the timer cannot carry it further.
        return;
    }
    if (!fAnim.Playback || fAnim.LoaderDriven) return;
    const int remaining = fAnim.Remaining(start);
    if (remaining <= 0 && immediateReruns < maxImmediateReruns) {
        ++immediateReruns;
        AnimationStep();
        return;
    }
    fAnimTimer->setInterval(std::max(1, remaining));
    fAnimTimer->start();
    immediateReruns = 0;
}

// Starts the playback of an animated file just loaded, at frame index.
int TPixImage::startLoadedAnimation(int index)
{
    fListIndex = 0;
    int r = createPlaybackBitmap();
    if (r == PX_SUCCESS) r = fAnim.Start(&fBitmap, fList, index);
    if (r != PX_SUCCESS) return r;
    fAnim.Playing = true;
    fAnim.Requested = true;
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
    fAnim.Playing = false;
    fAnim.Requested = false;
    fAnim.Destroy(nullptr);
}

} // namespace imaging
