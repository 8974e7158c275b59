#include "helpers.h"
#include "platform/rounding.h"
#include "support/jpegbytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <jpeglib.h>
}

using namespace sdk;
using sdktest::mustRun;
using sdktest::pixel;
using sdktest::quoted;
using testsupport::withJpegFrameSize;

namespace {

bool haveTools()
{
    for (const char* t : {"convert", "cjpeg", "identify", "jpeginfo"})
        if (!testsupport::haveHostProgram(t)) return false;
    return true;
}

class PictureFiles : public testsupport::WorldTest {
protected:
    void SetUp() override
    {
        if (!haveTools()) GTEST_SKIP() << "ImageMagick, cjpeg or jpeginfo missing";
        // The source picture of most fixtures: 64 x 48, four coloured quarters.
        mustRun("convert -size 32x24 xc:'#C81E1E' -size 32x24 xc:'#1EC81E' +append \\( -size 32x24 xc:'#1E1EC8' "
                "-size 32x24 xc:'#DCDCDC' +append \\) -append -depth 8 " + quoted(host("src.ppm")));
    }
    QString host(const QString& name) const { return world.hostC() + "/" + name; }
    QString win(const QString& name) const { return "C:\\" + name; }
    // Runs a shell command in the fixture folder.
    void make(const QString& command) { mustRun("cd " + quoted(world.hostC()) + " && " + command); }
    QByteArray bytes(const QString& name) const { return world.readHostFile("c/" + name); }
    void write(const QString& name, const QByteArray& data) const { world.writeHostFile("c/" + name, data); }
};

// True when the colour is within tol of 0xRRGGBB in every channel.
bool near(std::uint32_t got, std::uint32_t want, int tol)
{
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((got >> s) & 0xFF) - int((want >> s) & 0xFF)) > tol) return false;
    return true;
}

} // namespace

TEST_F(PictureFiles, QualityFactorsGiveTheMappedJpegQuality)
{
    make("convert src.ppm PNG24:in.png");
    for (auto [factor, quality] : {std::pair{4, 96}, {22, 78}, {2, 98}, {97, 5}, {255, 5}}) {
        const QString out = QString("q%1.jpg").arg(factor);
        mustRun(QString("%1 convert %2 %3 %4").arg(PXTOOL_PATH, quoted(host("in.png")), quoted(host(out))).arg(factor));
        EXPECT_TRUE(mustRun("jpeginfo -c " + quoted(host(out))).contains("OK")) << factor;
        EXPECT_EQ(mustRun("identify -format %Q " + quoted(host(out))).trimmed(), QString::number(quality)) << factor;
        EXPECT_TRUE(mustRun("identify -verbose " + quoted(host(out))).contains("JFIF"));
    }
    SdkBitmapHandle b = sdktest::patterned(8, 8);
    for (int factor : {0, -1, 256})
        EXPECT_EQ(PX_SaveBitmap(win("bad.jpg"), &b, fmtJPEG, 24, factor), PXERR_QFACTOR) << factor;
    EXPECT_EQ(PX_SaveBitmap(win("bad.jpg"), &b, fmtJPEG, 16, 4), PXERR_BADBITS);
    EXPECT_EQ(PX_SaveBitmap(win("bad.gif"), &b, fmtGIF, 16, 4), PXERR_BADBITS);
    EXPECT_FALSE(QFile::exists(host("bad.jpg")));
}

// The frame format: a 576 x 720 JFIF picture. A bitmap is resampled into it; rows handed over one
// by one cannot be, so they must come at that size. Options are checked before anything is written.
TEST_F(PictureFiles, FrameFormatAndSaveOptions)
{
    SdkBitmapHandle b = sdktest::patterned(64, 48);
    ASSERT_EQ(PX_SaveBitmap(win("frame.jpg"), &b, fmtJPEGFrame, 24, 4), PX_SUCCESS);
    EXPECT_EQ(mustRun("identify -format '%m %wx%h' " + quoted(host("frame.jpg"))).trimmed(), "JPEG 576x720");
    EXPECT_EQ(b.Width, 64);
    const auto rows = [&b](int y, std::uint8_t* buffer, int n) { return PX_GetBitmapRow(&b, y, buffer, n); };
    EXPECT_EQ(PX_SaveFile(win("rows.jpg"), &b, fmtJPEGFrame, 24, 4, rows), PXERR_BADSIZE);
    QByteArray memory;
    ASSERT_EQ(PX_SaveMemory(&memory, &b, fmtJPEGFrame, 24, 4), PX_SUCCESS);
    EXPECT_EQ(memory, bytes("frame.jpg"));

    PxSaveOptions none;
    none.Count = 0;
    EXPECT_EQ(PX_SaveBitmap(win("none.jpg"), &b, fmtJPEG, 24, 4, none), PXERR_BADPARAM);
    EXPECT_EQ(PX_SaveFile(win("none.jpg"), &b, fmtJPEG, 24, 4, rows, none), PXERR_BADPARAM);
    EXPECT_FALSE(QFile::exists(host("rows.jpg")));
    EXPECT_FALSE(QFile::exists(host("none.jpg")));
}

TEST_F(PictureFiles, FixtureKindsLoadOrFailAsTheyShould)
{
    make("cjpeg -quality 95 src.ppm > base.jpg");
    make("cjpeg -quality 95 -progressive src.ppm > progressive.jpg");
    make("cjpeg -quality 95 -grayscale src.ppm > grey.jpg");
    make("convert src.ppm -colorspace CMYK -quality 95 cmyk.jpg");
    make("convert src.ppm PNG24:plain.png && convert src.ppm BMP3:plain.bmp");
    make("convert src.ppm -depth 16 PNG48:deep.png && convert src.ppm -alpha set PNG32:alpha.png");
    make("convert src.ppm -colors 8 PNG8:paletted.png && convert src.ppm -depth 16 -compress lzw deep.tif");
    make("convert src.ppm -orient RightTop -quality 95 oriented.jpg");
    const QByteArray base = bytes("base.jpg");
    const qsizetype scan = base.indexOf("\xFF\xDA");
    ASSERT_GT(scan, 0);
    write("truncated.jpg", base.left(scan + (base.size() - scan) / 2)); // cut inside the picture data
    write("huge.jpg", withJpegFrameSize(bytes("base.jpg"), 60000, 60000));
    // Within the pixel limit, but a progressive full-colour file needs more decoder memory than allowed.
    make("cjpeg -quality 95 -progressive -sample 1x1 src.ppm > full.jpg");
    write("bigprogressive.jpg", withJpegFrameSize(bytes("full.jpg"), 17000, 17000));
    write("noheight.jpg", withJpegFrameSize(bytes("base.jpg"), 64, 0));
    write("text.jpg", "this is not a picture\r\n");
    write("empty.jpg", "");

    struct Case {
        const char* file;
        int result;
        int format;
        int fileBits;
        bool colours; // the four quarters come back
    };
    const Case cases[] = {
        {"base.jpg", PX_SUCCESS, fmtJPEG, 24, true},
        {"progressive.jpg", PX_SUCCESS, fmtJPEG, 24, true},
        {"grey.jpg", PX_SUCCESS, fmtJPEG, 8, false},
        {"cmyk.jpg", PX_SUCCESS, fmtJPEG, 32, true},
        {"plain.png", PX_SUCCESS, fmtPNG, 24, true},
        {"plain.bmp", PX_SUCCESS, fmtBMP, 24, true},
        {"deep.png", PX_SUCCESS, fmtPNG, 24, true},
        {"alpha.png", PX_SUCCESS, fmtPNG, 32, true},
        {"paletted.png", PX_SUCCESS, fmtPNG, 8, true},
        {"deep.tif", PX_SUCCESS, fmtTIFF, 24, true},
        {"oriented.jpg", PX_SUCCESS, fmtJPEG, 24, true}, // the orientation tag is ignored
        {"truncated.jpg", PX_SUCCESS, fmtJPEG, 24, false},
        {"huge.jpg", PXERR_NOMEMORY, fmtJPEG, 24, false},
        {"bigprogressive.jpg", PXERR_NOMEMORY, fmtJPEG, 24, false},
        {"noheight.jpg", PXERR_BADFORMAT, 0, 0, false},
        {"text.jpg", PXERR_BADFORMAT, 0, 0, false},
        {"empty.jpg", PXERR_BADFORMAT, 0, 0, false},
        {"missing.jpg", PXERR_FILENOTFOUND, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        PxFileInfo info;
        const int infoResult = PX_FileInfo(win(c.file), &info);
        if (c.format) {
            ASSERT_EQ(infoResult, PX_SUCCESS);
            EXPECT_EQ(info.Format, c.format);
            EXPECT_EQ(info.BitsPerPixel, c.fileBits);
            EXPECT_EQ(info.Pages, 1);
        }
        SdkBitmapHandle b = sdktest::patterned(3, 3);
        SdkBitmapListHandle list = nullptr;
        PX_CreateBitmapList(&list);
        EXPECT_EQ(PX_LoadFile(win(c.file), &b, 0, list), c.result);
        int count = -1;
        PX_GetBitmapListCount(list, &count);
        if (c.result == PX_SUCCESS) {
            EXPECT_EQ(b.Width, 64);
            EXPECT_EQ(b.Height, 48);
            EXPECT_EQ(b.BitsPerPixel, 24);
            EXPECT_EQ(count, 1);
            if (c.colours) {
                EXPECT_TRUE(near(pixel(b, 8, 8), 0xC81E1E, 14)) << std::hex << pixel(b, 8, 8);
                EXPECT_TRUE(near(pixel(b, 56, 8), 0x1EC81E, 14)) << std::hex << pixel(b, 56, 8);
                EXPECT_TRUE(near(pixel(b, 8, 40), 0x1E1EC8, 14)) << std::hex << pixel(b, 8, 40);
                EXPECT_TRUE(near(pixel(b, 56, 40), 0xDCDCDC, 14)) << std::hex << pixel(b, 56, 40);
            }
        } else {
            EXPECT_EQ(b.Width, 3); // the caller's bitmap is left alone
            EXPECT_EQ(count, 0);
        }
        PX_DestroyBitmapList(&list);
    }
    // Greyscale files give grey 24-bit pixels, or 8-bit ones on request.
    SdkBitmapHandle g;
    ASSERT_EQ(PX_LoadFile(win("grey.jpg"), &g, 24, nullptr), PX_SUCCESS);
    const std::uint32_t p = pixel(g, 8, 8);
    EXPECT_TRUE((p & 0xFF) == ((p >> 8) & 0xFF) && (p & 0xFF) == (p >> 16));
    ASSERT_EQ(PX_LoadFile(win("base.jpg"), &g, 8, nullptr), PX_SUCCESS);
    EXPECT_EQ(g.BitsPerPixel, 8);
    EXPECT_EQ(PX_LoadFile(win("base.jpg"), &g, 16, nullptr), PXERR_BADBITS);
    PxFileInfo info;
    ASSERT_EQ(PX_FileInfo(win("progressive.jpg"), &info), PX_SUCCESS);
    EXPECT_TRUE(info.Progressive);
}

TEST_F(PictureFiles, PxtoolReportsFailures)
{
    int status = 0;
    testsupport::runHost(QString("%1 convert %2 %3 2>&1").arg(PXTOOL_PATH, quoted(host("none.png")), quoted(host("o.jpg"))), &status);
    EXPECT_EQ(status, 1);
    const QString text = testsupport::runHost(QString("%1 convert %2 %3 0 2>&1").arg(PXTOOL_PATH, quoted(host("src.ppm")), quoted(host("o.jpg"))), &status);
    EXPECT_EQ(status, 1); // a PPM is no picture the engine reads
    EXPECT_TRUE(text.contains("-9 Invalid file format")) << text.toStdString();
    testsupport::runHost(QString("%1 rotate 2>&1").arg(PXTOOL_PATH), &status);
    EXPECT_EQ(status, 2);
}

TEST_F(PictureFiles, PxtoolRefusesPipesAndDevicesAtOnce)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(host("pipe.jpg")).constData(), 0600), 0);
    for (const QString& file : {QString("/dev/zero"), host("pipe.jpg")}) {
        SCOPED_TRACE(file.toStdString());
        // Bounded, so that a reader that blocks or reads without end fails here instead. The
        // address checker reserves more address space than any such limit allows; in that build
        // it bounds each allocation itself.
#if defined(__SANITIZE_ADDRESS__)
        const QString memoryLimit = "export ASAN_OPTIONS=max_allocation_size_mb=4000;";
#else
        const QString memoryLimit = "ulimit -v 4000000;";
#endif
        int status = 0;
        const QString text = testsupport::runHost(
            QString("%1 timeout 20 %2 info %3 2>&1").arg(memoryLimit, PXTOOL_PATH, quoted(file)), &status);
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(text.contains("-14 Not able to open file")) << text.toStdString();
    }
}

TEST_F(PictureFiles, AnimatedGifFramesAndDelays)
{
    make("convert -delay 20 -size 40x30 xc:red -delay 30 xc:lime -delay 45 xc:blue -loop 0 anim.gif");
    PxFileInfo info;
    ASSERT_EQ(PX_FileInfo(win("anim.gif"), &info), PX_SUCCESS);
    EXPECT_EQ(info.Format, fmtGIF);
    EXPECT_EQ(info.Pages, 3);
    EXPECT_EQ(info.Delays, (std::vector<int>{200, 300, 450}));
    EXPECT_TRUE(info.Loops);
    EXPECT_EQ(info.LoopCount, 0);

    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    SdkBitmapHandle b;
    ASSERT_EQ(PX_LoadFile(win("anim.gif"), &b, 0, list), PX_SUCCESS);
    ASSERT_EQ(list->items.size(), 3u);
    const std::uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
    const int delays[] = {200, 300, 450};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pixel(list->items[i], 20, 15), colours[i]) << i;
        EXPECT_EQ(list->items[i].Delay, delays[i]);
        EXPECT_EQ(list->items[i].Width, 40);
    }
    EXPECT_EQ(pixel(b, 0, 0), 0xFF0000u);

    // From the second frame on: frames build on each other, so the first is read and skipped.
    PX_DestroyBitmapList(&list);
    PX_CreateBitmapList(&list);
    PxLoadOptions from2;
    from2.Page = 2;
    ASSERT_EQ(PX_LoadFile(win("anim.gif"), &b, 0, list, from2), PX_SUCCESS);
    ASSERT_EQ(list->items.size(), 2u);
    EXPECT_EQ(pixel(b, 0, 0), 0x00FF00u);
    PX_DestroyBitmapList(&list);

    // A damaged last frame: the frames before it load.
    QByteArray gif = bytes("anim.gif");
    write("cut.gif", gif.left(gif.size() - 20));
    PX_CreateBitmapList(&list);
    EXPECT_EQ(PX_LoadFile(win("cut.gif"), &b, 0, list), PX_SUCCESS);
    EXPECT_GE(list->items.size(), 2u);
    PX_DestroyBitmapList(&list);
}

TEST_F(PictureFiles, TransparentGifPixelsCarryAKeyColour)
{
    make("convert -size 20x10 xc:none -fill '#FF00FF' -draw 'rectangle 0,0 9,9' -fill red -draw 'point 3,3' key.gif");
    make("convert -size 20x10 xc:red opaque.gif");
    SdkBitmapHandle b;
    ASSERT_EQ(PX_LoadFile(win("key.gif"), &b, 0, nullptr), PX_SUCCESS);
    ASSERT_TRUE(b.Flags & bfTransparent);
    // The key is no colour of the visible pixels (the picture itself uses magenta).
    std::uint8_t bgr[3];
    colorToBGR(b.TransparentColor, bgr);
    const std::uint32_t key = (std::uint32_t(bgr[2]) << 16) | (std::uint32_t(bgr[1]) << 8) | bgr[0];
    EXPECT_EQ(pixel(b, 15, 5), key);
    EXPECT_EQ(pixel(b, 5, 5), 0xFF00FFu);
    EXPECT_EQ(pixel(b, 3, 3), 0xFF0000u);
    EXPECT_NE(key, 0xFF00FFu);
    EXPECT_NE(key, 0xFF0000u);
    ASSERT_EQ(PX_LoadFile(win("opaque.gif"), &b, 0, nullptr), PX_SUCCESS);
    EXPECT_FALSE(b.Flags & bfTransparent);
    ASSERT_EQ(PX_LoadFile(win("key.gif"), &b, 32, nullptr), PX_SUCCESS); // alpha kept instead
    EXPECT_FALSE(b.Flags & bfTransparent);
    EXPECT_EQ(b.row(5)[15 * 4 + 3], 0);
}

TEST_F(PictureFiles, TiffPages)
{
    make("convert -size 20x10 xc:red -size 30x16 xc:blue two.tif");
    PxFileInfo info;
    ASSERT_EQ(PX_FileInfo(win("two.tif"), &info), PX_SUCCESS);
    EXPECT_EQ(info.Format, fmtTIFF);
    EXPECT_EQ(info.Pages, 2);
    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    SdkBitmapHandle b;
    ASSERT_EQ(PX_LoadFile(win("two.tif"), &b, 0, list), PX_SUCCESS);
    ASSERT_EQ(list->items.size(), 2u);
    EXPECT_EQ(list->items[0].Width, 20);
    EXPECT_EQ(pixel(list->items[0], 1, 1), 0xFF0000u);
    EXPECT_EQ(list->items[1].Width, 30);
    EXPECT_EQ(list->items[1].Height, 16);
    EXPECT_EQ(pixel(list->items[1], 1, 1), 0x0000FFu);

    PxLoadOptions second;
    second.Page = 2;
    ASSERT_EQ(PX_LoadFile(win("two.tif"), &b, 0, nullptr, second), PX_SUCCESS);
    EXPECT_EQ(b.Width, 30);
    second.Page = 3;
    EXPECT_EQ(PX_LoadFile(win("two.tif"), &b, 0, nullptr, second), -310);
    PxLoadOptions one;
    one.MaxPages = 1;
    PX_DestroyBitmapList(&list);
    PX_CreateBitmapList(&list);
    EXPECT_EQ(PX_LoadFile(win("two.tif"), &b, 0, list, one), PXERR_STOPPED);
    EXPECT_EQ(list->items.size(), 1u);
    PX_DestroyBitmapList(&list);
}

TEST_F(PictureFiles, LoadCallbackSeesBandsAndStopsTheLoad)
{
    make("convert -size 50x300 gradient:white-black -depth 8 src2.ppm && cjpeg src2.ppm > tall.jpg");
    make("convert -delay 20 -size 40x30 xc:red -delay 30 xc:lime -delay 45 xc:blue anim.gif");
    std::vector<PxLoadBand> bands;
    auto record = [&bands](const PxLoadBand& b) { bands.push_back(b); return 1; };
    SdkBitmapHandle b;
    ASSERT_EQ(PX_LoadFile(win("tall.jpg"), &b, 0, nullptr, {}, record), PX_SUCCESS);
    ASSERT_GE(bands.size(), 2u);
    EXPECT_EQ(bands.front().flags, bandFirstPass | bandLastPass | bandFirstRow);
    EXPECT_EQ(bands.back().flags, bandFirstPass | bandLastPass | bandLastRow);
    int rows = 0;
    for (const PxLoadBand& band : bands) {
        EXPECT_EQ(band.firstRow, rows);
        rows += band.rows;
    }
    EXPECT_EQ(rows, 300);
    EXPECT_EQ(bands.back().percent, 100);

    // A page limit of 2: the caller's callback answers -29 at the first band of the third frame.
    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    auto limit = [](const PxLoadBand& band) { return band.pagesDelivered >= 2 ? PXERR_STOPPED : 1; };
    EXPECT_EQ(PX_LoadFile(win("anim.gif"), &b, 0, list, {}, limit), PXERR_STOPPED);
    EXPECT_EQ(list->items.size(), 2u);
    EXPECT_EQ(pixel(b, 0, 0), 0xFF0000u);

    // A stop (0) delivers nothing and leaves the caller's bitmap alone.
    PX_DestroyBitmapList(&list);
    PX_CreateBitmapList(&list);
    SdkBitmapHandle kept = sdktest::patterned(4, 4);
    for (const char* file : {"tall.jpg", "anim.gif"}) {
        int calls = 0;
        auto stop = [&calls](const PxLoadBand&) { return ++calls < 3 ? 1 : 0; };
        EXPECT_EQ(PX_LoadFile(win(file), &kept, 0, list, {}, stop), PXERR_ABORTED) << file;
        EXPECT_EQ(list->items.size(), 0u);
        EXPECT_EQ(kept.Width, 4);
    }
    // The next load is not stopped by the one before.
    EXPECT_EQ(PX_LoadFile(win("tall.jpg"), &kept, 0, list, {}, record), PX_SUCCESS);
    PX_DestroyBitmapList(&list);
}

TEST_F(PictureFiles, ReducedJpegDecoding)
{
    make("convert -size 801x600 gradient:red-blue -depth 8 big.ppm && cjpeg big.ppm > big.jpg");
    struct Case {
        int wantW, wantH, w, h;
    };
    const Case cases[] = {{100, 75, 101, 75}, {101, 75, 101, 75}, {102, 75, 201, 150}, {400, 300, 401, 300},
                          {401, 300, 401, 300}, {402, 300, 801, 600}, {0, 0, 801, 600}};
    for (const Case& c : cases) {
        PxLoadOptions o;
        o.ReduceWidth = c.wantW;
        o.ReduceHeight = c.wantH;
        SdkBitmapHandle b;
        ASSERT_EQ(PX_LoadFile(win("big.jpg"), &b, 0, nullptr, o), PX_SUCCESS);
        EXPECT_EQ(b.Width, c.w) << c.wantW;
        EXPECT_EQ(b.Height, c.h) << c.wantW;
    }
}

TEST_F(PictureFiles, SavesRoundTripThroughWindowsNames)
{
    QDir().mkpath(host("Pics"));
    SdkBitmapHandle b = sdktest::makeBitmap(33, 17, [](int x, int) { return x < 16 ? 0xC81E1Eu : 0x1E1EC8u; });
    b.XResolution = 300;
    b.YResolution = 150;
    for (int format : {fmtJPEG, fmtPNG, fmtBMP, fmtTIFF}) {
        SCOPED_TRACE(format);
        ASSERT_EQ(PX_SaveBitmap("C:\\Pics\\Out.X", &b, format, 24, 2), PX_SUCCESS);
        SdkBitmapHandle back;
        PxFileInfo info;
        ASSERT_EQ(PX_LoadFile("c:\\PICS\\out.x", &back, 0, nullptr, {}, {}, &info), PX_SUCCESS);
        EXPECT_EQ(info.Format, format);
        EXPECT_EQ(back.Width, 33);
        EXPECT_EQ(back.Height, 17);
        const int tol = format == fmtJPEG ? 8 : 0;
        EXPECT_TRUE(near(pixel(back, 2, 2), 0xC81E1E, tol));
        EXPECT_TRUE(near(pixel(back, 30, 14), 0x1E1EC8, tol));
        EXPECT_EQ(back.XResolution, 300);
        EXPECT_EQ(back.YResolution, 150);
    }
    EXPECT_EQ(mustRun("identify -format '%x %y %U' " + quoted(host("Pics/Out.X"))).trimmed(), "300 150 PixelsPerInch");
    // Grey bitmaps are written grey or in colour, as asked; colour is not written grey through Qt.
    SdkBitmapHandle g8;
    ASSERT_EQ(PX_CopyBitmap(&g8, &b), PX_SUCCESS);
    ASSERT_EQ(PX_ConvertBitmap(&g8, 8), PX_SUCCESS);
    for (int bits : {8, 24}) {
        ASSERT_EQ(PX_SaveBitmap(win("grey.png"), &g8, fmtPNG, bits, 0), PX_SUCCESS);
        PxFileInfo gi;
        ASSERT_EQ(PX_FileInfo(win("grey.png"), &gi), PX_SUCCESS);
        EXPECT_EQ(gi.BitsPerPixel, bits);
    }
    EXPECT_EQ(PX_SaveBitmap(win("grey.png"), &b, fmtPNG, 8, 0), PXERR_BADBITS);
    QByteArray memory;
    ASSERT_EQ(PX_SaveMemory(&memory, &b, fmtJPEG, 8, 4), PX_SUCCESS);
    SdkBitmapHandle grey;
    PxFileInfo info;
    ASSERT_EQ(PX_LoadMemory(memory, &grey, 0, nullptr, {}, {}, &info), PX_SUCCESS);
    EXPECT_EQ(info.BitsPerPixel, 8);
}

TEST_F(PictureFiles, AFailedOrStoppedSaveLeavesTheOldFile)
{
    write("keep.jpg", "the old picture");
    SdkBitmapHandle b = sdktest::patterned(40, 200);
    {
        sdktest::StatusCallbackScope stop([](int p) { return p < 50 ? 1 : 0; });
        EXPECT_EQ(PX_SaveBitmap(win("keep.jpg"), &b, fmtJPEG, 24, 4), PXERR_ABORTED);
        EXPECT_EQ(PX_SaveBitmap(win("keep.jpg"), &b, fmtPNG, 24, 4), PXERR_ABORTED);
    }
    EXPECT_EQ(bytes("keep.jpg"), "the old picture");
    // A row source that gives up half way.
    auto rows = [&b](int y, std::uint8_t* buf, int n) {
        if (y > 100) return 0;
        return PX_GetBitmapRow(&b, y, buf, n);
    };
    EXPECT_EQ(PX_SaveFile(win("keep.jpg"), &b, fmtJPEG, 24, 4, rows), PXERR_ABORTED);
    EXPECT_EQ(bytes("keep.jpg"), "the old picture");
    EXPECT_EQ(QDir(world.hostC()).entryList(QDir::Files | QDir::Hidden).size(), 2); // keep.jpg and src.ppm

    // A folder that cannot be written to.
    QDir().mkpath(host("locked"));
    write("locked/keep.jpg", "old");
    ::chmod(QFile::encodeName(host("locked")).constData(), 0555);
    if (::access(QFile::encodeName(host("locked")).constData(), W_OK) != 0) { // not as root
        EXPECT_EQ(PX_SaveBitmap(win("locked\\keep.jpg"), &b, fmtJPEG, 24, 4), PXERR_OPEN);
        EXPECT_EQ(bytes("locked/keep.jpg"), "old");
    }
    ::chmod(QFile::encodeName(host("locked")).constData(), 0755);

    // The next save is not stopped, and replaces the file.
    ASSERT_EQ(PX_SaveBitmap(win("keep.jpg"), &b, fmtJPEG, 24, 4), PX_SUCCESS);
    EXPECT_TRUE(mustRun("jpeginfo -c " + quoted(host("keep.jpg"))).contains("OK"));
    ASSERT_EQ(PX_SaveFile(win("rows.jpg"), &b, fmtJPEG, 24, 4,
                          [&b](int y, std::uint8_t* buf, int n) { return PX_GetBitmapRow(&b, y, buf, n); }),
              PX_SUCCESS);
    EXPECT_EQ(bytes("rows.jpg"), bytes("keep.jpg"));
    SdkBitmapHandle none;
    EXPECT_EQ(PX_SaveBitmap(win("x.jpg"), &none, fmtJPEG, 24, 4), PXERR_BADBITMAP);
}

TEST_F(PictureFiles, LoadInformationCallbackSeesTheFileFirst)
{
    make("cjpeg src.ppm > base.jpg");
    std::vector<PxLoadInfo> seen;
    PxLoadInfoCallback previous = PX_SetLoadInfoCallback([&seen](PxLoadInfo* li) {
        seen.push_back(*li);
        li->XResolution = 600;
        return seen.size() == 1 ? 1 : 0; // the second time the change is not taken
    });
    SdkBitmapHandle b;
    ASSERT_EQ(PX_LoadFile(win("base.jpg"), &b, 0, nullptr), PX_SUCCESS);
    EXPECT_EQ(b.XResolution, 600);
    ASSERT_EQ(PX_LoadFile(win("base.jpg"), &b, 0, nullptr), PX_SUCCESS);
    EXPECT_NE(b.XResolution, 600);
    PX_SetLoadInfoCallback(std::move(previous));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Format, fmtJPEG);
    EXPECT_EQ(seen[0].Width, 64);
    EXPECT_EQ(seen[0].Height, 48);
    EXPECT_EQ(seen[0].Page, 1);

}

// A YCCK file (the colour transform Adobe applications write for CMYK), made with libjpeg itself
// since none of the command-line tools writes one.
TEST(PictureMemory, YcckJpegLoadsInItsColours)
{
    constexpr int W = 16, H = 8;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = W;
    cinfo.image_height = H;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, 98, TRUE);
    cinfo.write_Adobe_marker = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    // Adobe's inverted inks: left half red (no cyan, full magenta and yellow), right half grey.
    std::vector<unsigned char> row(W * 4);
    for (int x = 0; x < W; ++x) {
        const bool red = x < W / 2;
        row[x * 4 + 0] = 255;
        row[x * 4 + 1] = red ? 0 : 255;
        row[x * 4 + 2] = red ? 0 : 255;
        row[x * 4 + 3] = red ? 255 : 128;
    }
    for (int y = 0; y < H; ++y) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray data(reinterpret_cast<const char*>(out), static_cast<qsizetype>(outSize));
    std::free(out);

    PxFileInfo info;
    SdkBitmapHandle b;
    ASSERT_EQ(PX_LoadMemory(data, &b, 0, nullptr, {}, {}, &info), PX_SUCCESS);
    EXPECT_EQ(info.BitsPerPixel, 32);
    EXPECT_EQ(b.BitsPerPixel, 24);
    EXPECT_TRUE(near(pixel(b, 2, 4), 0xFF0000, 6)) << std::hex << pixel(b, 2, 4);
    EXPECT_TRUE(near(pixel(b, 13, 4), 0x808080, 6)) << std::hex << pixel(b, 13, 4);
}

TEST(PictureMemory, OddHeadersAreRefused)
{
    // A GIF whose screen and frame are 0 pixels high.
    QByteArray gif("GIF89a\x05\x00\x00\x00\x00\x00\x00", 13);
    gif += QByteArray("\x2C\x00\x00\x00\x00\x05\x00\x00\x00\x00\x02\x02\x4C\x01\x00\x3B", 16);
    SdkBitmapHandle b;
    EXPECT_LT(PX_LoadMemory(gif, &b, 0, nullptr), 0);
    EXPECT_FALSE(b.allocated());
    // A GIF declaring 60000 x 60000.
    QByteArray big("GIF89a\x60\xEA\x60\xEA\x00\x00\x00", 13);
    big += QByteArray("\x2C\x00\x00\x00\x00\x60\xEA\x60\xEA\x00\x02\x02\x4C\x01\x00\x3B", 16);
    EXPECT_EQ(PX_LoadMemory(big, &b, 0, nullptr), PXERR_NOMEMORY);
    // A PNG declaring 60000 x 60000 with a few bytes of data: refused before anything is allocated.
    const QByteArray png("\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\xEA\x60\x00\x00"
                         "\xEA\x60\x08\x02\x00\x00\x00\x0F\xB0\xE2\x15\x00\x00\x00\x0B\x49\x44\x41\x54\x78\x9C\x63"
                         "\x60\x80\x01\x00\x00\x0A\x00\x01\x7F\x80\x74\x5E\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42"
                         "\x60\x82", 68);
    EXPECT_EQ(PX_LoadMemory(png, &b, 0, nullptr), PXERR_NOMEMORY);
    // A BMP header alone of that size: the reader finds no picture behind it.
    const QByteArray bmp("\x42\x4D\x36\xEC\xBA\x83\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x60\xEA\x00\x00"
                         "\x60\xEA\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x00\x00\x00\x00\x13\x0B\x00\x00\x13\x0B"
                         "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 54);
    EXPECT_LT(PX_LoadMemory(bmp, &b, 0, nullptr), 0);
    EXPECT_FALSE(b.allocated());
    EXPECT_EQ(PX_LoadMemory(QByteArray("\xFF\xD8\xFF", 3), &b, 0, nullptr), PXERR_BADFORMAT);
    EXPECT_EQ(PX_LoadMemory(QByteArray("II*\x00garbage", 11), &b, 0, nullptr), PXERR_BADFORMAT);
}

// A file of more frames than one load takes: a load into a list keeps the first 1,000 and says
// it stopped, with the file's own count in the information; a load of one bitmap decodes only
// the first frame and succeeds, so that converting such a file works.
TEST_F(PictureFiles, AnAnimationLongerThanTheFrameLimit)
{
    write("many.gif", sdktest::gifOfFrames(1001));
    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    SdkBitmapHandle b;
    PxFileInfo info;
    EXPECT_EQ(PX_LoadFile(win("many.gif"), &b, 0, list, {}, {}, &info), PXERR_STOPPED);
    EXPECT_EQ(list->items.size(), 1000u);
    EXPECT_EQ(info.Pages, 1001);
    PX_DestroyBitmapList(&list);

    int bands = 0;
    SdkBitmapHandle first;
    EXPECT_EQ(PX_LoadFile(win("many.gif"), &first, 24, nullptr, {}, [&bands](const PxLoadBand&) { return ++bands, 1; }),
              PX_SUCCESS);
    EXPECT_EQ(bands, 1);
    EXPECT_EQ(pixel(first, 0, 0), 0x000000u);

    int status = 0;
    const QString text = testsupport::runHost(
        QString("%1 convert %2 %3 2>&1").arg(PXTOOL_PATH, quoted(host("many.gif")), quoted(host("first.png"))), &status);
    EXPECT_EQ(status, 0) << text.toStdString();
    EXPECT_EQ(testsupport::runHost("identify -format '%w %h' " + quoted(host("first.png"))), "1 1");
}

namespace {

// A BMP of the given header fields: the 14-byte file header, a 40-byte information header (or the
// 12-byte old one), then body as the pixels.
QByteArray bmpBytes(int width, int height, int bits, int compression, const QByteArray& body, bool oldHeader = false)
{
    auto le = [](std::uint32_t v, int bytes) {
        QByteArray b;
        for (int i = 0; i < bytes; ++i) b += char((v >> (8 * i)) & 0xFF);
        return b;
    };
    const int info = oldHeader ? 12 : 40;
    const int palette = bits <= 8 ? (1 << bits) * (oldHeader ? 3 : 4) : 0;
    QByteArray b = "BM" + le(std::uint32_t(14 + info + palette + body.size()), 4) + le(0, 4) + le(std::uint32_t(14 + info + palette), 4);
    if (oldHeader) b += le(12, 4) + le(std::uint32_t(width), 2) + le(std::uint32_t(height), 2) + le(1, 2) + le(std::uint32_t(bits), 2);
    else b += le(40, 4) + le(std::uint32_t(width), 4) + le(std::uint32_t(height), 4) + le(1, 2) + le(std::uint32_t(bits), 2) +
              le(std::uint32_t(compression), 4) + le(0, 4) + le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4);
    return b + QByteArray(palette, '\x40') + body;
}

// Peak memory of `pxtool info` and `pxtool convert` on a file, in MB, the largest of the two
// (-1 when a run could not be started). Each runs as a process of its own, so that nothing this
// test process did before counts.
long pxtoolPeakMb(const QString& hostFile, const QString& hostOut)
{
    long peak = -1;
    for (const QStringList& args : {QStringList{"info", hostFile}, QStringList{"convert", hostFile, hostOut}}) {
        std::vector<QByteArray> bytes{QByteArray(PXTOOL_PATH)};
        for (const QString& a : args) bytes.push_back(QFile::encodeName(a));
        std::vector<char*> argv;
        for (QByteArray& b : bytes) argv.push_back(b.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t child = 0;
        const int spawned = posix_spawn(&child, PXTOOL_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return -1;
        int status = 0;
        rusage usage{};
        if (::wait4(child, &status, 0, &usage) != child) return -1;
        peak = std::max(peak, usage.ru_maxrss / 1024);
    }
    return peak;
}

} // namespace

// A header may not make the engine take far more memory than the file can fill: an uncompressed
// BMP whose pixels would run past the end of the file is refused as broken, before anything is
// allocated for it; one that holds its pixels still loads.
TEST_F(PictureFiles, HeadersClaimingMorePixelsThanTheFileHoldsAreRefused)
{
    struct Case {
        const char* name;
        QByteArray file;
        int result;
    };
    const QByteArray row4x24 = QByteArray(12, '\x20');
    const Case cases[] = {
        {"24-bit, 2,097,280 x 100 in 48 KB", bmpBytes(2097280, 100, 24, 0, QByteArray(48 * 1024, '\x10')), PXERR_READ},
        {"8-bit, 20,000 x 10,000 in 10 KB", bmpBytes(20000, 10000, 8, 0, QByteArray(10 * 1024, '\x01')), PXERR_READ},
        {"32-bit with bit masks, top-down", bmpBytes(15000, -12000, 32, 3, QByteArray(4096, '\x7f')), PXERR_READ},
        {"old header, 24-bit 60,000 x 3,000", bmpBytes(60000, 3000, 24, 0, QByteArray(4096, '\x33'), true), PXERR_READ},
        {"4 x 2, one row short", bmpBytes(4, 2, 24, 0, row4x24), PXERR_READ},
        {"4 x 2, whole", bmpBytes(4, 2, 24, 0, row4x24 + row4x24), PX_SUCCESS},
        {"3 x 2, last row without its padding", bmpBytes(3, 2, 24, 0, QByteArray(12 + 9, '\x20')), PX_SUCCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PxFileInfo info;
        EXPECT_EQ(PX_FileInfoMemory(c.file, &info), c.result);
        SdkBitmapHandle b;
        EXPECT_EQ(PX_LoadMemory(c.file, &b, 0, nullptr), c.result);
        EXPECT_EQ(b.allocated(), c.result == PX_SUCCESS);
        // What listing a folder or converting the file costs: the engine's own memory
        // (some 40 MB, more in the sanitizer build), not the claimed picture's.
        write("claim.bmp", c.file);
        const long peak = pxtoolPeakMb(host("claim.bmp"), host("claim.png"));
        EXPECT_GE(peak, 0);
        EXPECT_LT(peak, 250) << "MB taken for a file of " << c.file.size() << " bytes";
    }
}

// Plain 24-bit BMP files are read and written by the engine's own rows: the same bytes and the
// same pixels as through Qt, for every row padding and every depth asked for.
TEST(BmpRows, TheSameFilesAndPixelsAsThroughQt)
{
    struct Case {
        int w, h, xres, yres;
    } cases[] = {{1, 2, 96, 96}, {2, 3, 300, 150}, {3, 2, 72, 72}, {4, 5, 96, 200}, {5, 4, 1, 1}, {17, 9, 600, 600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        SdkBitmapHandle b = sdktest::makeBitmap(c.w, c.h, [](int x, int y) { return std::uint32_t((x * 73 + y * 151) * 2654435761u) & 0xFFFFFF; });
        b.XResolution = c.xres;
        b.YResolution = c.yres;
        QByteArray ours;
        ASSERT_EQ(PX_SaveMemory(&ours, &b, fmtBMP, 24, 0), PX_SUCCESS);
        // What Qt writes for the same rows.
        QImage image(c.w, c.h, QImage::Format_BGR888);
        for (int y = 0; y < c.h; ++y) std::memcpy(image.scanLine(y), b.row(y), std::size_t(c.w) * 3);
        image.setDotsPerMeterX(platform::roundHalfEven(c.xres / 0.0254));
        image.setDotsPerMeterY(platform::roundHalfEven(c.yres / 0.0254));
        QByteArray theirs;
        QBuffer buffer(&theirs);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(QImageWriter(&buffer, "bmp").write(image));
        EXPECT_EQ(ours.toHex(), theirs.toHex());

        {
            const QByteArray& file = ours;
            const QImage qt = QImage::fromData(file, "BMP");
            ASSERT_FALSE(qt.isNull());
            for (int bits : {24, 32, 8}) {
                SCOPED_TRACE(bits);
                SdkBitmapHandle back;
                ASSERT_EQ(PX_LoadMemory(file, &back, bits, nullptr), PX_SUCCESS);
                EXPECT_EQ(back.XResolution, c.xres);
                EXPECT_EQ(back.YResolution, c.yres);
                const QImage want = qt.convertToFormat(bits == 8 ? QImage::Format_Grayscale8 : bits == 32 ? QImage::Format_ARGB32 : QImage::Format_BGR888);
                for (int y = 0; y < c.h; ++y)
                    ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(back.row(y)), c.w * bits / 8),
                              QByteArray(reinterpret_cast<const char*>(want.constScanLine(y)), c.w * bits / 8)) << y;
            }
        }
    }
}

namespace {

// A JPEG decoded by libjpeg alone at 1/denom of its size, rows of blue, green, red.
std::vector<std::uint8_t> libjpegDecode(const QByteArray& file, unsigned denom, int* width, int* height)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.constData()), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.scale_num = 1;
    cinfo.scale_denom = denom;
    jpeg_start_decompress(&cinfo);
    *width = int(cinfo.output_width);
    *height = int(cinfo.output_height);
    std::vector<std::uint8_t> pixels(std::size_t(*width) * 3 * std::size_t(*height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + std::size_t(cinfo.output_scanline) * std::size_t(*width) * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return pixels;
}

} // namespace

// A progressive JPEG wanted at an eighth of its size is decoded from its DC scans alone: the
// pixels are those of the whole stream at that size.
TEST_F(PictureFiles, AProgressiveJpegAtAnEighthComesOutAsFromTheWholeStream)
{
    struct Case {
        const char* name;
        const char* make;
        int reduceW, reduceH;
        unsigned denom;
    } cases[] = {
        {"plain.jpg", "convert -size 640x400 plasma: -interlace Plane -quality 90", 80, 50, 8},
        {"odd.jpg", "convert -size 333x211 plasma: -interlace Plane -sampling-factor 2x2 -quality 75", 40, 26, 8},
        {"grey.jpg", "convert -size 320x240 plasma: -colorspace Gray -interlace Plane", 40, 30, 8},
        {"restarts.jpg", "convert -size 400x300 plasma: -interlace Plane -define jpeg:restart-interval=2", 50, 37, 8},
        {"quarter.jpg", "convert -size 640x400 plasma: -interlace Plane", 160, 100, 4}, // the whole stream
        // The DC scans one component at a time, one refined after the others, restarts every
        // three blocks; and one whose colours are RGB.
        {"scans.jpg", "convert -size 203x131 plasma: ppm:- | cjpeg -sample 1x1 -scans scans.txt -restart 3B -outfile", 26, 17, 8},
        {"rgb.jpg", "convert -size 240x160 plasma: ppm:- | cjpeg -rgb -progressive -outfile", 30, 20, 8},
    };
    {
        QFile scans(host("scans.txt"));
        ASSERT_TRUE(scans.open(QIODevice::WriteOnly));
        scans.write("0: 0 0 0 1;\n1: 0 0 0 0;\n2: 0 0 0 0;\n0: 0 0 1 0;\n0: 1 63 0 0;\n1: 1 63 0 0;\n2: 1 63 0 0;\n");
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        make(QString(c.make) + " " + quoted(host(c.name)));
        QFile f(host(c.name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray file = f.readAll();
        PxLoadOptions o;
        o.ReduceWidth = c.reduceW;
        o.ReduceHeight = c.reduceH;
        SdkBitmapHandle b;
        ASSERT_EQ(PX_LoadMemory(file, &b, 24, nullptr, o), PX_SUCCESS);
        int w = 0, h = 0;
        const std::vector<std::uint8_t> want = libjpegDecode(file, c.denom, &w, &h);
        ASSERT_EQ(b.Width, w);
        ASSERT_EQ(b.Height, h);
        for (int y = 0; y < h; ++y)
            ASSERT_EQ(std::memcmp(b.row(y), want.data() + std::size_t(y) * std::size_t(w) * 3, std::size_t(w) * 3), 0) << y;
    }
}
