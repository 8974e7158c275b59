// Bitmaps stored in another view perspective: each one shows the stored rows turned or mirrored
// as the engine's own operations would turn them, and comes back upright whole.
#include "helpers.h"

#include <gtest/gtest.h>

using namespace sdk;

namespace {

TEST(ViewPerspective, EveryPerspectiveShowsItsTurnOfTheStoredRows)
{
    const SdkBitmapHandle stored = sdktest::patterned(7, 4);
    struct Case {
        int perspective;
        std::function<void(SdkBitmapHandle*)> shown; // what the stored rows look like shown
    };
    const Case cases[] = {
        {1, [](SdkBitmapHandle*) {}},
        {2, [](SdkBitmapHandle* b) { PX_ReverseBitmap(b); }},
        {3, [](SdkBitmapHandle* b) { PX_RotateBitmap(b, 18000, 0, 0); }},
        {6, [](SdkBitmapHandle* b) { PX_FlipBitmap(b); }},
        {4, [](SdkBitmapHandle* b) { PX_RotateBitmap(b, 9000, rotateKeepAll, 0); }},
        {8, [](SdkBitmapHandle* b) { PX_RotateBitmap(b, 27000, rotateKeepAll, 0); }},
        {5, [](SdkBitmapHandle* b) { PX_RotateBitmap(b, 9000, rotateKeepAll, 0); PX_ReverseBitmap(b); }},
        {7, [](SdkBitmapHandle* b) { PX_RotateBitmap(b, 9000, rotateKeepAll, 0); PX_FlipBitmap(b); }},
    };
    for (const Case& c : cases) {
        SdkBitmapHandle b, want;
        ASSERT_EQ(PX_CopyBitmap(&b, &stored), PX_SUCCESS);
        ASSERT_EQ(PX_CopyBitmap(&want, &stored), PX_SUCCESS);
        c.shown(&want);
        b.ViewPerspective = c.perspective;
        ASSERT_EQ(PX_ChangeBitmapViewPerspective(&b, perspectiveTopLeft), PX_SUCCESS) << c.perspective;
        EXPECT_EQ(b.ViewPerspective, perspectiveTopLeft);
        EXPECT_TRUE(sdktest::samePixels(b, want)) << c.perspective;
        // And back: stored in the perspective again, the rows are the first ones.
        ASSERT_EQ(PX_ChangeBitmapViewPerspective(&b, c.perspective), PX_SUCCESS);
        EXPECT_TRUE(sdktest::samePixels(b, stored)) << c.perspective;
    }
    SdkBitmapHandle b;
    ASSERT_EQ(PX_CopyBitmap(&b, &stored), PX_SUCCESS);
    EXPECT_EQ(PX_ChangeBitmapViewPerspective(&b, 9), PXERR_BADPARAM);
    EXPECT_EQ(PX_ChangeBitmapViewPerspective(&b, 0), PXERR_BADPARAM);
    SdkBitmapHandle empty;
    EXPECT_EQ(PX_ChangeBitmapViewPerspective(&empty, 1), PXERR_BADBITMAP);
}

} // namespace
