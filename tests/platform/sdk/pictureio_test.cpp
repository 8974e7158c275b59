#include "helpers.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace sdk;
using sdktest::mustRun;
using sdktest::pixel;
using sdktest::quoted;

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

// The first SOF marker's height and width fields, rewritten.
QByteArray withJpegSize(QByteArray jpeg, int width, int height)
{
    for (int i = 2; i + 9 < jpeg.size(); ++i) {
        const auto m = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC1 || m == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            return jpeg;
        }
    }
    return {};
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
    EXPECT_EQ(PX_SaveBitmap(win("bad.gif"), &b, fmtGIF, 24, 4), PXERR_UNSUPPORTED);
    EXPECT_FALSE(QFile::exists(host("bad.jpg")));
}

TEST_F(PictureFiles, FixtureKindsLoadOrFailAsTheyShould)
{
    make("cjpeg -quality 95 src.ppm > base.jpg");
    make("cjpeg -quality 95 -progressive src.ppm > progressive.jpg");
    make("cjpeg -quality 95 -grayscale src.ppm > grey.jpg");
    make("convert src.ppm -colorspace CMYK -quality 95 cmyk.jpg");
    make("convert src.ppm PNG24:plain.png && convert src.ppm BMP3:plain.bmp");
    make("convert src.ppm -orient RightTop -quality 95 oriented.jpg");
    const QByteArray base = bytes("base.jpg");
    const qsizetype scan = base.indexOf("\xFF\xDA");
    ASSERT_GT(scan, 0);
    write("truncated.jpg", base.left(scan + (base.size() - scan) / 2)); // cut inside the picture data
    write("huge.jpg", withJpegSize(bytes("base.jpg"), 60000, 60000));
    write("noheight.jpg", withJpegSize(bytes("base.jpg"), 64, 0));
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
        {"oriented.jpg", PX_SUCCESS, fmtJPEG, 24, true}, // the orientation tag is ignored
        {"truncated.jpg", PX_SUCCESS, fmtJPEG, 24, false},
        {"huge.jpg", PXERR_NOMEMORY, fmtJPEG, 24, false},
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
    EXPECT_EQ(PX_LoadMemory(QByteArray("\xFF\xD8\xFF", 3), &b, 0, nullptr), PXERR_BADFORMAT);
    EXPECT_EQ(PX_LoadMemory(QByteArray("II*\x00garbage", 11), &b, 0, nullptr), PXERR_BADFORMAT);
}
