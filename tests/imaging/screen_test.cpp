// The control on a real X display: a form holding it in fit mode, photographed from the root
// window, shows the whole picture undistorted.
#include "fixture.h"

#include <QImage>
#include <gtest/gtest.h>

using imagingtest::ControlTest;
using sdktest::quoted;

namespace {

TEST_F(ControlTest, FitModeOnScreenShowsTheWholePictureUndistorted)
{
    if (!imagingtest::haveTools({"xvfb-run", "import", "convert"})) GTEST_SKIP() << "Xvfb or ImageMagick missing";
    // A green circle on blue, a white band along the top and a red one along the bottom.
    make("convert -size 1200x800 xc:'#3060C0' -fill '#20A040' -draw 'circle 600,400 600,100' "
         "-fill white -draw 'rectangle 0,0 1199,19' -fill red -draw 'rectangle 0,780 1199,799' -quality 95 pic.jpg");
    const QString shot = host("shot.png");
    // The desktop bus library keeps a block for the life of the process; leak checks of
    // sanitizer builds would count it.
    make(QString("xvfb-run -a -s '-screen 0 800x600x24' env QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 %1 %2 0 %3")
             .arg(quoted(PIXFORM_SHOT_PATH), quoted(host("pic.jpg")), quoted("import -window root " + quoted(shot))));
    const QImage screen(shot);
    ASSERT_FALSE(screen.isNull());
    QRect circle, white, red;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const std::uint32_t c = imagingtest::rgbAt(screen, x, y);
            if (imagingtest::near(c, 0x20A040, 24)) circle |= QRect(x, y, 1, 1);
            if (imagingtest::near(c, 0xFF0000, 24)) red |= QRect(x, y, 1, 1);
            if (imagingtest::near(c, 0xFFFFFF, 8) && y < screen.height() / 2) white |= QRect(x, y, 1, 1);
        }
    // The form is 640 x 480 with a margin of 8 and a frame of 2: the picture is 620 wide.
    ASSERT_GT(circle.width(), 250);
    EXPECT_LE(std::abs(circle.width() - circle.height()), 2) << circle.width() << "x" << circle.height();
    EXPECT_NEAR(circle.width(), 310, 3);
    // Both bands are there, as wide as the picture, above and below the circle.
    EXPECT_NEAR(red.width(), 620, 2);
    EXPECT_NEAR(white.width(), 620, 2);
    EXPECT_LT(white.bottom(), circle.top());
    EXPECT_GT(red.top(), circle.bottom());
    EXPECT_NEAR(red.height(), 10, 2);
}

} // namespace
