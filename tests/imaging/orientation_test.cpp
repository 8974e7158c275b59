// A picture stored in a quarter-turned view perspective is laid out, shown and saved turned.
#include "fixture.h"

#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;

namespace {

TEST_F(ControlTest, AQuarterTurnedPictureIsShownAndSavedTurned)
{
    if (!imagingtest::haveTools({"identify"})) GTEST_SKIP() << "ImageMagick missing";
    sdk::SdkBitmapHandle stored = sdktest::patterned(40, 30);
    sdk::SdkBitmapHandle upright;
    ASSERT_EQ(sdk::PX_CopyBitmap(&upright, &stored), sdk::PX_SUCCESS);
    ASSERT_EQ(sdk::PX_RotateBitmap(&upright, 9000, sdk::rotateKeepAll, 0), sdk::PX_SUCCESS);
    stored.ViewPerspective = 4;
    pix->resize(100, 100);
    pix->SetBitmap(&stored);
    EXPECT_EQ(pix->BitmapWidth(), 30);
    EXPECT_EQ(pix->BitmapHeight(), 40);
    pix->Refresh();
    const QImage& frame = pix->ComposedFrame();
    for (const QPoint p : {QPoint(0, 0), QPoint(29, 0), QPoint(0, 39), QPoint(29, 39), QPoint(13, 21)})
        EXPECT_EQ(imagingtest::rgbAt(frame, p.x(), p.y()), sdktest::pixel(upright, p.x(), p.y())) << p.x() << "," << p.y();
    // Outside the 30 x 40 picture: the background, not a cropped 40 x 30 one.
    EXPECT_EQ(imagingtest::rgbAt(frame, 35, 10), platform::colorToQColor(pix->BackColor()).rgb() & 0xFFFFFFu);

    // The row-by-row save writes it upright.
    pix->SetEnableProgressEvent(true);
    ASSERT_EQ(pix->Save(win("turned.png"), sdk::fmtPNG, 24, 0, 0), 1);
    EXPECT_EQ(make("identify -format '%wx%h' turned.png").trimmed(), "30x40");
    sdk::SdkBitmapHandle back;
    ASSERT_EQ(sdk::PX_LoadFile(win("turned.png"), &back, 24, nullptr), sdk::PX_SUCCESS);
    EXPECT_TRUE(sdktest::samePixels(back, upright));
    EXPECT_EQ(pix->ViewPerspective(), 1);
    EXPECT_EQ(pix->BitmapWidth(), 30);
}

} // namespace
