// The animator on its own: the display bitmap it makes, a playback stepped frame by frame to its
// end or round again, the delays it reports on a clock of the test's, and the load-driven frames
// that stay their delay.
#include "imaging/pixanimator.h"
#include "sdk/helpers.h"

#include <gtest/gtest.h>

using namespace imaging;
using namespace sdk;

namespace {

class Animator : public ::testing::Test {
protected:
    void SetUp() override
    {
        PixAnimator::SetTickClock([this] { return now; });
        ASSERT_EQ(PX_CreateBitmapList(&frames), PX_SUCCESS);
        ASSERT_EQ(PX_LoadMemory(sdktest::gifOfFrames(3), nullptr, 24, frames), PX_SUCCESS);
        int count = 0;
        PX_GetBitmapListCount(frames, &count);
        ASSERT_EQ(count, 3);
    }
    void TearDown() override
    {
        animator.Destroy(nullptr);
        PX_DestroyBitmapList(&frames);
        PX_FreeBitmap(&display);
        PixAnimator::SetTickClock({});
    }
    // The playback over the frames from frame index, in a display of the first frame's size.
    void startAt(int index)
    {
        ASSERT_EQ(animator.CreateDisplay(&display, frames), PX_SUCCESS);
        ASSERT_EQ(animator.Start(&display, frames, index), PX_SUCCESS);
    }
    // Steps until the playback ends or limit steps have run; the frames shown.
    int playOut(bool loopForever, int limit, bool* ended)
    {
        int shown = 0;
        *ended = false;
        for (int i = 0; i < limit && !*ended; ++i)
            *ended = animator.Step(loopForever, [&] { ++shown; }) == PixAnimator::Ended;
        return shown;
    }

    std::uint32_t now = 1000;
    SdkBitmapListHandle frames = nullptr;
    SdkBitmapHandle display;
    PixAnimator animator;
};

TEST_F(Animator, TheDisplayTakesTheAnimationsSizeOrTheFirstFrames)
{
    ASSERT_EQ(animator.CreateDisplay(&display, frames), PX_SUCCESS);
    EXPECT_EQ(display.Width, 1);
    EXPECT_EQ(display.Height, 1);
    animator.Animation.known = true;
    animator.Animation.width = 40;
    animator.Animation.height = 30;
    animator.Animation.bits = 24;
    ASSERT_EQ(animator.CreateDisplay(&display, frames), PX_SUCCESS);
    EXPECT_EQ(display.Width, 40);
    EXPECT_EQ(display.Height, 30);
}

TEST_F(Animator, APlaybackShowsEachFrameOnceAndEnds)
{
    startAt(0);
    bool ended = false;
    EXPECT_EQ(playOut(false, 20, &ended), 3);
    EXPECT_TRUE(ended);
}

TEST_F(Animator, ALoopingPlaybackGoesRoundAgain)
{
    startAt(0);
    bool ended = false;
    EXPECT_EQ(playOut(true, 7, &ended), 7);
    EXPECT_FALSE(ended);
}

TEST_F(Animator, StartingAtALaterFrameShowsOnlyTheRest)
{
    startAt(2);
    bool ended = false;
    EXPECT_EQ(playOut(false, 20, &ended), 1);
    EXPECT_TRUE(ended);
}

TEST_F(Animator, RemainingCountsTheFrameDelayDownOnTheClock)
{
    startAt(0);
    animator.Step(false, [] {});
    EXPECT_EQ(animator.FrameDelay(), 100);
    const std::uint32_t start = now;
    EXPECT_EQ(animator.Remaining(start), 100);
    now += 30;
    EXPECT_EQ(animator.Remaining(start), 70);
    now += 500;
    EXPECT_LE(animator.Remaining(start), 0);
}

TEST_F(Animator, ALoadDrivenFrameStaysItsDelay)
{
    startAt(0);
    animator.LoaderDriven = true;
    int shown = 0;
    animator.Step(false, [&] {
        ++shown;
        animator.NoteFrameShown();
    });
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(animator.LoaderFrameShownAt, now);
    EXPECT_FALSE(animator.LoaderFrameDue());
    // Not yet due: a step shows nothing.
    animator.Step(false, [&] { ++shown; });
    EXPECT_EQ(shown, 1);
    now += 100;
    EXPECT_TRUE(animator.LoaderFrameDue());
    animator.Step(false, [&] { ++shown; });
    EXPECT_EQ(shown, 2);
}

TEST_F(Animator, DestroyEndsThePlaybackAndLeavesTheCallersFrames)
{
    startAt(0);
    ASSERT_EQ(animator.Destroy(nullptr), PX_SUCCESS);
    EXPECT_EQ(animator.Playback, nullptr);
    int count = 0;
    PX_GetBitmapListCount(frames, &count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(animator.Destroy(nullptr), PX_SUCCESS); // nothing left: nothing to do
    EXPECT_EQ(animator.Start(&display, frames, 7), PXERR_BADPARAM) << "past the last frame";
    EXPECT_EQ(animator.Playback, nullptr);
}

} // namespace
