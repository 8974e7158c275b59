// Writing GIF files: one picture or the frames of an animation, judged by ImageMagick and read
// back by the engine's own loader.
#include "helpers.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace sdk;
using sdktest::mustRun;
using sdktest::pixel;
using sdktest::quoted;

namespace {

class GifWriting : public testsupport::WorldTest {
protected:
    void SetUp() override
    {
        if (!testsupport::haveHostProgram("identify")) GTEST_SKIP() << "ImageMagick missing";
    }
    QString host(const QString& name) const { return world.hostC() + "/" + name; }
    QString win(const QString& name) const { return "C:\\" + name; }
    QString identify(const QString& format, const QString& name)
    {
        return mustRun("identify -format '" + format + "' " + quoted(host(name))).trimmed();
    }
};

SdkBitmapHandle solid(int w, int h, std::uint32_t rgb, int delay)
{
    SdkBitmapHandle b = sdktest::makeBitmap(w, h, [rgb](int, int) { return rgb; });
    b.Delay = delay;
    return b;
}

TEST_F(GifWriting, AListBecomesAnAnimationWithItsDelaysAndLoop)
{
    struct Case {
        const char* name;
        int loopCount;
        const char* identifyLoop; // ImageMagick's iterations: the plays in all
        bool readLoops;
        int readCount; // what the file holds: a count beyond 16 bits is capped, never wrapped
    };
    for (const Case& c : {Case{"forever", 0, "0", true, 0}, Case{"three times", 2, "3", true, 2},
                          Case{"most the file holds", 65535, "65536", true, 65535},
                          Case{"beyond 16 bits", 70000, "65536", true, 65535}}) {
        SdkBitmapListHandle list = nullptr;
        ASSERT_EQ(PX_CreateBitmapList(&list), PX_SUCCESS);
        const std::uint32_t colours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
        const int delays[3] = {100, 250, 40};
        for (int i = 0; i < 3; ++i) {
            SdkBitmapHandle f = solid(20, 10, colours[i], delays[i]);
            ASSERT_EQ(PX_InsertBitmapListItem(list, i, &f), PX_SUCCESS);
        }
        PxSaveOptions options;
        options.LoopCount = c.loopCount;
        const QString name = QString("anim-%1.gif").arg(c.name);
        ASSERT_EQ(PX_SaveBitmapList(win(name), list, fmtGIF, 24, 0, options), PX_SUCCESS);
        PX_DestroyBitmapList(&list);

        EXPECT_EQ(identify("%T,", name), "10,25,4,") << c.name;
        EXPECT_EQ(identify("%wx%h ", name), "20x10 20x10 20x10") << c.name;
        EXPECT_EQ(mustRun("identify -verbose " + quoted(host(name)) + " | grep -m1 Iterations").trimmed(),
                  QString("Iterations: ") + c.identifyLoop) << c.name;

        PxFileInfo info;
        ASSERT_EQ(PX_FileInfo(win(name), &info), PX_SUCCESS);
        EXPECT_EQ(info.Pages, 3);
        EXPECT_EQ(info.Loops, c.readLoops);
        EXPECT_EQ(info.LoopCount, c.readCount) << c.name;
        SdkBitmapListHandle back = nullptr;
        PX_CreateBitmapList(&back);
        ASSERT_EQ(PX_LoadFile(win(name), nullptr, 24, back), PX_SUCCESS);
        ASSERT_EQ(back->items.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(pixel(back->items[static_cast<std::size_t>(i)], 5, 5), colours[i]) << c.name << i;
            EXPECT_EQ(back->items[static_cast<std::size_t>(i)].Delay, delays[i]) << c.name << i;
        }
        PX_DestroyBitmapList(&back);
    }
}

TEST_F(GifWriting, PicturesKeepTheirColoursOrGetTheNearestOfAMedianCut)
{
    // Up to 256 colours come back exactly; a photo-like picture with thousands comes back close.
    SdkBitmapHandle few = sdktest::makeBitmap(64, 4, [](int x, int y) { return std::uint32_t(x * 4) << 16 | std::uint32_t(y * 60); });
    SdkBitmapHandle many = sdktest::patterned(96, 80);
    SdkBitmapHandle back;
    ASSERT_EQ(PX_SaveBitmap(win("few.gif"), &few, fmtGIF, 24, 0), PX_SUCCESS);
    ASSERT_EQ(PX_LoadFile(win("few.gif"), &back, 24, nullptr), PX_SUCCESS);
    EXPECT_TRUE(sdktest::samePixels(back, few));
    EXPECT_EQ(identify("%m %wx%h", "few.gif"), "GIF 64x4");

    ASSERT_EQ(PX_SaveBitmap(win("many.gif"), &many, fmtGIF, 0, 0), PX_SUCCESS);
    ASSERT_EQ(PX_LoadFile(win("many.gif"), &back, 24, nullptr), PX_SUCCESS);
    ASSERT_EQ(back.Width, 96);
    double error = 0;
    int worst = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 96; ++x) {
            const std::uint32_t a = pixel(back, x, y), b = pixel(many, x, y);
            for (int s = 0; s < 24; s += 8) {
                const int d = std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF));
                error += d;
                worst = std::max(worst, d);
            }
        }
    EXPECT_LT(error / (96 * 80 * 3), 8.0);
    EXPECT_LT(worst, 48);
    // ImageMagick reads it as a palette picture of at most 256 colours.
    EXPECT_LE(identify("%k", "many.gif").toInt(), 256);
}

TEST_F(GifWriting, TransparentPixelsStayTransparent)
{
    SdkBitmapHandle b = sdktest::makeBitmap(16, 16, [](int x, int) { return x < 8 ? 0xFF00FFu : 0x336699u; });
    b.Flags |= bfTransparent;
    b.TransparentColor = 0xFF00FF; // magenta as a colour integer
    ASSERT_EQ(PX_SaveBitmap(win("t.gif"), &b, fmtGIF, 24, 0), PX_SUCCESS);
    // ImageMagick sees the left half as fully transparent, the right half opaque.
    EXPECT_EQ(mustRun("convert " + quoted(host("t.gif")) + " -format '%[fx:p{2,2}.a] %[fx:p{12,2}.a]' info:").trimmed(),
              "0 1");
    SdkBitmapHandle back;
    ASSERT_EQ(PX_LoadFile(win("t.gif"), &back, 24, nullptr), PX_SUCCESS);
    EXPECT_TRUE(back.Flags & bfTransparent);
    EXPECT_EQ(pixel(back, 12, 2), 0x336699u);
}

TEST_F(GifWriting, FailuresLeaveTheOldFile)
{
    QFile::remove(host("keep.gif"));
    SdkBitmapHandle b = solid(8, 8, 0x123456, 0);
    ASSERT_EQ(PX_SaveBitmap(win("keep.gif"), &b, fmtGIF, 24, 0), PX_SUCCESS);
    const QByteArray before = world.readHostFile("c/keep.gif");
    EXPECT_EQ(PX_SaveBitmap(win("keep.gif"), &b, fmtGIF, 16, 0), PXERR_BADBITS);
    {
        sdktest::StatusCallbackScope stop([](int percent) { return percent < 50 ? 1 : 0; });
        SdkBitmapHandle big = sdktest::patterned(50, 200);
        EXPECT_EQ(PX_SaveBitmap(win("keep.gif"), &big, fmtGIF, 24, 0), PXERR_ABORTED);
    }
    EXPECT_EQ(world.readHostFile("c/keep.gif"), before);
}

} // namespace
