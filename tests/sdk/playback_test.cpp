#include "helpers.h"

#include <gtest/gtest.h>

using namespace sdk;
using sdktest::makeBitmap;
using sdktest::pixel;

namespace {

SdkBitmapListHandle threeFrames()
{
    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    const std::uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 3; ++i) {
        SdkBitmapHandle f = makeBitmap(4, 3, [c = colours[i]](int, int) { return c; });
        f.Delay = 100 * (i + 1);
        PX_InsertBitmapListItem(list, i, &f);
    }
    return list;
}

} // namespace

TEST(Playback, StepsThroughTheFramesWithTheirDelaysAndStartsOver)
{
    SdkBitmapListHandle list = threeFrames();
    SdkBitmapHandle display;
    SdkPlaybackHandle pb = nullptr;
    ASSERT_EQ(PX_CreatePlayback(&pb, &display, list), PX_SUCCESS);
    ASSERT_EQ(PX_SetPlaybackIndex(pb, 0), PX_SUCCESS);
    int state = -1, delay = -1, index = -1;
    const std::uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
            ASSERT_EQ(state, playbackFrame) << round << " " << i;
            EXPECT_EQ(pixel(display, 1, 1), colours[i]);
            ASSERT_EQ(PX_GetPlaybackDelay(pb, &delay), PX_SUCCESS);
            EXPECT_EQ(delay, 100 * (i + 1));
            ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
            EXPECT_EQ(state, playbackWaiting);
            ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS); // the wait goes on until cancelled
            EXPECT_EQ(state, playbackWaiting);
            ASSERT_EQ(PX_CancelPlaybackWait(pb), PX_SUCCESS);
            if (i < 2) {
                // The next process moves on (checked at the top of the loop).
                continue;
            }
            ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
            EXPECT_EQ(state, playbackEnded);
            ASSERT_EQ(PX_GetPlaybackIndex(pb, &index), PX_SUCCESS);
            EXPECT_EQ(index, 3);
        }
    }
    EXPECT_EQ(PX_SetPlaybackIndex(pb, 3), PXERR_BADPARAM);
    // The list was the caller's and stays.
    ASSERT_EQ(PX_DestroyPlayback(&pb, nullptr), PX_SUCCESS);
    EXPECT_EQ(pb, nullptr);
    EXPECT_EQ(list->items.size(), 3u);
    PX_DestroyBitmapList(&list);
}

TEST(Playback, FramesAppendedWhileLoadingShowTheirRowsAsTheyComeAndAreHandedOver)
{
    SdkBitmapHandle display;
    SdkPlaybackHandle pb = nullptr;
    ASSERT_EQ(PX_CreatePlayback(&pb, &display, nullptr), PX_SUCCESS);
    int state = -1;
    ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
    EXPECT_EQ(state, playbackEnded); // nothing to show yet
    // The decoder's frame: its first three rows are done when it is appended.
    SdkBitmapHandle frame = makeBitmap(5, 5, [](int, int) { return 0x123456u; });
    ASSERT_EQ(PX_AppendPlayback(pb, &frame), PX_SUCCESS);
    EXPECT_EQ(PX_ValidatePlaybackLines(pb, &frame, 0, 3), PX_SUCCESS);
    ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS); // ended starts over
    EXPECT_EQ(state, playbackFrame);
    EXPECT_EQ(pixel(display, 4, 2), 0x123456u);
    EXPECT_EQ(pixel(display, 4, 4), 0u); // not decoded yet: blank, never the decoder's memory
    ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
    EXPECT_EQ(state, playbackWaiting);

    // The rest of its rows: the frame on show is given again, its wait going on.
    EXPECT_EQ(PX_ValidatePlaybackLines(pb, &frame, 3, 2), PX_SUCCESS);
    EXPECT_EQ(pixel(display, 4, 4), 0x123456u);
    ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
    EXPECT_EQ(state, playbackFrame);
    ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
    EXPECT_EQ(state, playbackWaiting);

    // Its wait over before the next frame has come: it waits for that frame, then shows it.
    ASSERT_EQ(PX_CancelPlaybackWait(pb), PX_SUCCESS);
    ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
    EXPECT_EQ(state, playbackWaiting);
    SdkBitmapHandle second = makeBitmap(5, 5, [](int, int) { return 0xABCDEFu; });
    ASSERT_EQ(PX_AppendPlayback(pb, &second), PX_SUCCESS);
    ASSERT_EQ(PX_ValidatePlaybackLines(pb, &second, 0, 5), PX_SUCCESS);
    ASSERT_EQ(PX_ProcessPlayback(pb, &state), PX_SUCCESS);
    EXPECT_EQ(state, playbackFrame);
    EXPECT_EQ(pixel(display, 0, 0), 0xABCDEFu);

    // Rows outside the frame, or of a frame of another size, are refused.
    SdkBitmapHandle other = makeBitmap(4, 5, [](int, int) { return 0u; });
    const struct {
        const SdkBitmapHandle* frame;
        int first, rows;
    } refused[] = {{&second, 3, 3}, {&second, -1, 1}, {&other, 0, 1}, {nullptr, 0, 1}};
    for (const auto& c : refused) EXPECT_EQ(PX_ValidatePlaybackLines(pb, c.frame, c.first, c.rows), PXERR_BADPARAM);

    SdkBitmapListHandle kept = nullptr;
    ASSERT_EQ(PX_DestroyPlayback(&pb, &kept), PX_SUCCESS);
    ASSERT_NE(kept, nullptr);
    ASSERT_EQ(kept->items.size(), 2u);
    EXPECT_EQ(pixel(kept->items[0], 4, 4), 0x123456u);
    PX_DestroyBitmapList(&kept);
    EXPECT_EQ(PX_DestroyPlayback(&pb, nullptr), PXERR_BADPARAM);
}
