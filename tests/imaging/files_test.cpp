// Loading and saving through the control: pages, frames, the page limit, progress, the stop
// protocol through EnableProgressEvent and the stack of current controls.
#include "fixture.h"

#include "platform/files.h"

#include <QImage>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace imaging;
using imagingtest::ControlTest;
using sdktest::quoted;

namespace {

class Files : public ControlTest {
protected:
    void SetUp() override
    {
        if (!imagingtest::haveTools({"convert", "cmp"})) GTEST_SKIP() << "ImageMagick or cmp missing";
        ControlTest::SetUp();
    }
};

TEST_F(Files, LoadShowsTheFirstPageAndKeepsTheFileName)
{
    makePicture("a.jpg", 64, 48);
    int changes = 0;
    pix->OnChange = [&](TPixImage*) { ++changes; };
    EXPECT_EQ(pix->Load(win("a.jpg"), 0, 1, -1), 1);
    EXPECT_TRUE(pix->HasImage());
    EXPECT_EQ(pix->BitmapWidth(), 64);
    EXPECT_EQ(pix->BitmapHeight(), 48);
    EXPECT_EQ(pix->BitsPerPixel(), 24);
    EXPECT_EQ(pix->BitmapListCount(), 1);
    EXPECT_EQ(pix->FileName(), win("a.jpg"));
    EXPECT_EQ(pix->FileInfo().Format, sdk::fmtJPEG);
    EXPECT_GE(changes, 1);
    EXPECT_NE(pix->Bitmap(), nullptr);
}

TEST_F(Files, LoadWithNoPagesOnlyClears)
{
    makePicture("a.jpg", 64, 48);
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    EXPECT_EQ(pix->Load(win("does-not-matter.jpg"), 0, 1, 0), 1);
    EXPECT_FALSE(pix->HasImage());
    EXPECT_EQ(pix->Bitmap(), nullptr);
}

TEST_F(Files, MissingOrBrokenFilesLeaveAnEmptyControl)
{
    makePicture("a.jpg", 64, 48);
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    EXPECT_EQ(raisedBy([&] { pix->Load(win("missing.jpg")); }), "PixImage1 \nError code: -10\nLoad: File not found ");
    EXPECT_FALSE(pix->HasImage());
    EXPECT_EQ(pix->LastResult(), -10);

    world.writeHostFile("c/broken.jpg", QByteArray("\xFF\xD8\xFF\xE0 not really", 16));
    pix->SetEnableMethodErrors(false);
    EXPECT_LT(pix->Load(win("broken.jpg")), 1);
    EXPECT_FALSE(pix->HasImage());
    EXPECT_EQ(pix->BitmapWidth(), 0);
}

TEST_F(Files, EveryPageOrFrameGoesIntoTheList)
{
    make("convert -size 40x30 xc:red -size 40x30 xc:blue two.tif");
    make("convert -delay 10 -size 20x10 xc:red xc:lime xc:blue -loop 0 three.gif");
    make("convert -size 20x10 xc:red one.gif");
    int pages = 0;
    pix->OnFilePage = [&](TPixImage*) { ++pages; };

    ASSERT_EQ(pix->Load(win("two.tif")), 1);
    EXPECT_EQ(pix->BitmapListCount(), 2);
    EXPECT_EQ(pages, 2);
    EXPECT_NEAR(sdktest::pixel(*pix->Bitmap(), 0, 0), 0xFF0000u, 2u);
    ASSERT_EQ(pix->SetBitmapListIndex(1), 1);
    EXPECT_EQ(sdktest::pixel(*pix->Bitmap(), 0, 0) & 0xFF, 0xFFu);

    // The page limit stops the read and counts as success.
    EXPECT_EQ(pix->Load(win("two.tif"), 0, 1, 1), 1);
    EXPECT_EQ(pix->BitmapListCount(), 1);

    ASSERT_EQ(pix->Load(win("three.gif")), 1);
    EXPECT_EQ(pix->BitmapListCount(), 3);
    EXPECT_TRUE(pix->FileIsAnimated());
    EXPECT_TRUE(pix->AnimationLoopForever());

    pix->SetAutoAnimate(true);
    ASSERT_EQ(pix->Load(win("one.gif")), 1);
    EXPECT_FALSE(pix->FileIsAnimated());
    EXPECT_EQ(pix->BitmapListCount(), 1);
}

TEST_F(Files, ProgressIsReportedWhileProgressEventsAreOn)
{
    makePicture("a.jpg", 64, 200);
    std::vector<int> seen;
    pix->OnStatus = [&](TPixImage* sender, int percent) {
        EXPECT_EQ(sender, pix.get());
        EXPECT_EQ(TPixImage::CurrentControl(), pix.get());
        seen.push_back(percent);
    };
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    EXPECT_TRUE(seen.empty());
    pix->SetEnableProgressEvent(true);
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    seen.clear();
    ASSERT_EQ(pix->Save(win("b.jpg"), 23, 24, 4, 0), 1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(TPixImage::CurrentControl(), nullptr);
}

// Switching progress events off from the status handler stops the save; the picture that was
// there stays byte for byte, and the next load is not stopped by what is left of the request.
TEST_F(Files, InLayerModeSaveWritesTheBaseWithItsLayersAndKeepsTheList)
{
    make("convert -size 60x40 xc:red -size 20x10 xc:lime -size 8x8 xc:blue pages.tif");
    ASSERT_EQ(pix->Load(win("pages.tif")), 1);
    ASSERT_EQ(pix->BitmapListCount(), 3);
    ASSERT_EQ(pix->SetBitmapListIndex(1), 1);
    auto pagesOf = [&](const QString& name) {
        return sdktest::mustRun("identify -format '%p %w %h %X %Y\\n' " + quoted(host(name)));
    };

    // Without layer mode only the picture shown is written.
    ASSERT_EQ(pix->Save(win("flat.tif"), sdk::fmtTIFF, 24, 0, 0), 1);
    EXPECT_EQ(pagesOf("flat.tif"), "0 20 10 +0 +0\n");

    // With it the first page is the base and the others lie over it where LayerInfo puts them;
    // a layer without an entry lies at the corner.
    pix->SetLayerMode(true);
    pix->SetLayerInfo({{5, 6}});
    ASSERT_EQ(pix->Save(win("layered.tif"), sdk::fmtTIFF, 0, 0, 0), 1);
    EXPECT_EQ(pagesOf("layered.tif"), "0 60 40 +0 +0\n1 20 10 +5 +6\n2 8 8 +0 +0\n");
    pix->SetLayerInfo({{5, 6}, {30, 20}});
    ASSERT_EQ(pix->Save(win("layered.tif"), sdk::fmtTIFF, 0, 0, 0), 1);
    EXPECT_EQ(pagesOf("layered.tif"), "0 60 40 +0 +0\n1 20 10 +5 +6\n2 8 8 +30 +20\n");
    EXPECT_EQ(sdktest::mustRun("convert " + quoted(host("layered.tif") + "[2]") + " -format '%[fx:int(255*p{3,3}.r)],%[fx:int(255*p{3,3}.g)],%[fx:int(255*p{3,3}.b)]' info:"),
              "0,0,255");

    // A format without layers is refused and writes nothing; the list stays as it was.
    EXPECT_EQ(raisedBy([&] { pix->Save(win("layered.jpg"), sdk::fmtJPEG, 24, 4, 0); }),
              "PixImage1 \nError code: -16\nSave: " + sdk::ErrorCodeMessage(-16) + " ");
    EXPECT_FALSE(platform::fileExists(win("layered.jpg")));
    EXPECT_EQ(pix->BitmapListCount(), 3);
    EXPECT_EQ(pix->BitmapListIndex(), 1);
    EXPECT_EQ(pix->BitmapWidth(), 20);
    ASSERT_EQ(pix->SetBitmapListIndex(0), 1);
    EXPECT_EQ(pix->BitmapWidth(), 60);
    EXPECT_NEAR(sdktest::pixel(*pix->Bitmap(), 0, 0), 0xFF0000u, 2u);

    // Read back, the file holds the three pictures.
    pix->SetLayerMode(false);
    ASSERT_EQ(pix->Load(win("layered.tif")), 1);
    EXPECT_EQ(pix->BitmapListCount(), 3);
}

TEST_F(Files, AbortedSaveLeavesTheOldFileAndNothingLingers)
{
    makePicture("show.jpg", 120, 90);
    make("cp show.jpg show.orig");
    makePicture("other.jpg", 300, 200);
    ASSERT_EQ(pix->Load(win("other.jpg")), 1);

    pix->SetEnableProgressEvent(true);
    pix->OnStatus = [&](TPixImage* sender, int percent) {
        if (percent >= 40) sender->SetEnableProgressEvent(false);
    };
    EXPECT_EQ(raisedBy([&] { pix->Save(win("show.jpg"), 23, 24, 4, 0); }),
              "PixImage1 \nError code: -100\nSave: User has aborted operation ");
    EXPECT_EQ(pix->LastResult(), -100);
    make("cmp show.jpg show.orig");
    EXPECT_FALSE(TPixImage::AbortRequested());

    // The same with errors off: the result says what happened.
    pix->SetEnableMethodErrors(false);
    pix->SetEnableProgressEvent(true);
    EXPECT_EQ(pix->Save(win("show.jpg"), 23, 24, 4, 0), -100);
    make("cmp show.jpg show.orig");
    // A save to a new name that is stopped leaves no file behind.
    pix->SetEnableProgressEvent(true);
    EXPECT_EQ(pix->Save(win("new.jpg"), 23, 24, 4, 0), -100);
    EXPECT_FALSE(platform::fileExists(win("new.jpg")));

    // An abort requested at the very end of an edit, when no callback follows, dies with the edit.
    pix->OnStatus = [&](TPixImage* sender, int percent) {
        if (percent == 100) sender->SetEnableProgressEvent(false);
    };
    pix->SetEnableProgressEvent(true);
    EXPECT_EQ(pix->Sharpen(200), 1);
    EXPECT_FALSE(TPixImage::AbortRequested());
    pix->OnStatus = nullptr;
    EXPECT_EQ(pix->Load(win("show.jpg")), 1);
    EXPECT_EQ(pix->BitmapWidth(), 120);
    EXPECT_EQ(pix->Save(win("copy.jpg"), 23, 24, 4, 0), 1);
}

TEST_F(Files, AbortedLoadEmptiesTheControlAndIsNoSuccess)
{
    makePicture("a.jpg", 100, 400);
    pix->SetEnableMethodErrors(false);
    pix->SetEnableProgressEvent(true);
    pix->OnStatus = [&](TPixImage* sender, int percent) {
        if (percent >= 10) sender->SetEnableProgressEvent(false);
    };
    EXPECT_EQ(pix->Load(win("a.jpg")), -100);
    EXPECT_FALSE(pix->HasImage());
    EXPECT_TRUE(TPixImage::Aborted());
    EXPECT_EQ(pix->GetLastErrorText(), "User has aborted operation");
}

TEST_F(Files, SavesWriteJpegWithTheQualityOfTheFactor)
{
    if (!imagingtest::haveTools({"identify", "jpeginfo"})) GTEST_SKIP();
    makePicture("a.png", 80, 60, sdk::fmtPNG);
    ASSERT_EQ(pix->Load(win("a.png")), 1);
    ASSERT_EQ(pix->Save(win("q4.jpg"), 23, 24, 4, 0), 1);
    ASSERT_EQ(pix->Save(win("q22.jpg"), 23, 24, 22, 0), 1);
    EXPECT_EQ(make("identify -format %Q q4.jpg").trimmed(), "96");
    EXPECT_EQ(make("identify -format %Q q22.jpg").trimmed(), "78");
    make("jpeginfo -c q4.jpg q22.jpg");
    EXPECT_EQ(raisedBy([&] { pix->Save(win("bad.jpg"), 23, 24, 0, 0); }),
              "PixImage1 \nError code: -21\nSave: Invalid QFactor specified ");
    pix->Clear();
    pix->SetEnableMethodErrors(false);
    EXPECT_EQ(raisedBy([&] { pix->Save(win("none.jpg"), 23, 24, 4, 0); }), "PixImage1 \nSave: Image not allocated.");
    EXPECT_EQ(pix->LastResult(), -2);
}

// A control that is current during its save may have another control load in its status
// handler: the stack hands back the outer control afterwards.
TEST_F(Files, CurrentControlsNest)
{
    makePicture("a.jpg", 64, 64);
    TPixImage inner;
    inner.setObjectName("PixImage2");
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    pix->SetEnableProgressEvent(true);
    bool done = false;
    pix->OnStatus = [&](TPixImage*, int percent) {
        if (done || percent < 50) return;
        done = true;
        EXPECT_EQ(TPixImage::CurrentControl(), pix.get());
        EXPECT_EQ(inner.Load(win("a.jpg")), 1);
        EXPECT_EQ(TPixImage::CurrentControl(), pix.get());
        // The saving control refuses a second operation of its own.
        EXPECT_EQ(raisedBy([&] { pix->Flip(); }), "PixImage1 \nError code: 0\nProcessing not allowed: Function not successful ");
    };
    EXPECT_EQ(pix->Save(win("b.jpg"), 23, 24, 4, 0), 1);
    EXPECT_TRUE(done);
    EXPECT_TRUE(inner.HasImage());
    EXPECT_EQ(TPixImage::CurrentControl(), nullptr);
}

// A handler that raises stops the operation; the exception reaches the caller only after the
// engine has returned, and the control is left as an abort leaves it.
TEST_F(Files, AnExceptionFromAHandlerStopsTheOperation)
{
    makePicture("a.jpg", 64, 200);
    makePicture("b.jpg", 64, 48);
    ASSERT_EQ(pix->Load(win("b.jpg")), 1);
    make("cp b.jpg b.orig");
    pix->SetEnableProgressEvent(true);
    pix->OnStatus = [](TPixImage*, int percent) {
        if (percent >= 50) throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(pix->Save(win("b.jpg"), 23, 24, 22, 0), std::runtime_error);
    make("cmp b.jpg b.orig");
    EXPECT_EQ(TPixImage::CurrentControl(), nullptr);
    EXPECT_THROW(pix->Load(win("a.jpg")), std::runtime_error);
    EXPECT_FALSE(pix->HasImage());
    EXPECT_FALSE(pix->Busy());
    pix->OnStatus = nullptr;
    EXPECT_EQ(pix->Load(win("a.jpg")), 1);
    sdk::SdkBitmapHandle before;
    sdk::PX_CopyBitmap(&before, pix->Bitmap());
    pix->OnStatus = [](TPixImage*, int percent) {
        if (percent >= 50) throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(pix->Sharpen(300), std::runtime_error);
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), before));
    EXPECT_FALSE(pix->Processing());
}

// With paint-while-load the first page shows row by row as it is decoded.
TEST_F(Files, PaintWhileLoadShowsTheRowsDecodedSoFar)
{
    make("convert -size 100x400 xc:'#FF0000' -quality 95 red.jpg");
    pix->resize(100, 400);
    pix->SetBackColor(platform::rgbColor(0, 0, 255));
    pix->SetPaintWhileLoad(true);
    pix->SetEnableProgressEvent(true);
    bool seenHalf = false;
    pix->OnStatus = [&](TPixImage* sender, int percent) {
        if (seenHalf || percent < 40 || percent > 80) return;
        seenHalf = true;
        const QImage& frame = sender->ComposedFrame();
        EXPECT_TRUE(imagingtest::near(imagingtest::rgbAt(frame, 50, 5), 0xFF0000u, 8));
        EXPECT_EQ(imagingtest::rgbAt(frame, 50, 395), 0x0000FFu);
    };
    ASSERT_EQ(pix->Load(win("red.jpg")), 1);
    EXPECT_TRUE(seenHalf);
    pix->ForceRepaint();
    EXPECT_TRUE(imagingtest::near(imagingtest::rgbAt(pix->ComposedFrame(), 50, 395), 0xFF0000u, 8));
}

TEST_F(Files, GetFileInfoReadsWithoutLoading)
{
    makePicture("a.jpg", 64, 48);
    EXPECT_EQ(pix->GetFileInfo(win("a.jpg")), 1);
    EXPECT_EQ(pix->FileInfo().Width, 64);
    EXPECT_EQ(pix->FileInfo().Height, 48);
    EXPECT_FALSE(pix->HasImage());
}

} // namespace

namespace {

// Save's Flags choose how the JPEG is coded; every choice gives a sound file of the same quality.
TEST_F(Files, SaveFlagsChooseTheCodingOfTheFile)
{
    if (!imagingtest::haveTools({"identify", "jpeginfo", "djpeg"})) GTEST_SKIP();
    makePicture("a.png", 200, 120, sdk::fmtPNG);
    ASSERT_EQ(pix->Load(win("a.png")), 1);
    struct Case {
        int flags;
        const char* interlace; // what identify reports
        bool restarts;         // a restart interval is defined (DRI segment)
    };
    const Case cases[] = {{0, "None", false}, {1, "JPEG", false}, {-1, "JPEG", false}, {2, "None", false}, {3, "None", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const QString name = QString("f%1.jpg").arg(c.flags + 1);
        ASSERT_EQ(pix->Save(win(name), 23, 24, 4, c.flags), 1);
        make("jpeginfo -c " + name);
        EXPECT_EQ(make("identify -format '%[interlace] %Q %wx%h' " + name).trimmed(), QString(c.interlace) + " 96 200x120");
        EXPECT_EQ(bytes(name).contains(QByteArray("\xFF\xDD", 2)), c.restarts);
    }
    // Tables made for the picture: a smaller file that decodes to the very same pixels.
    EXPECT_LT(bytes("f3.jpg").size(), bytes("f1.jpg").size());
    make("djpeg f1.jpg > f1.ppm && djpeg f3.jpg > f3.ppm && djpeg f4.jpg > f4.ppm && cmp f1.ppm f3.ppm && cmp f1.ppm f4.ppm");

    make("cp f1.jpg keep.jpg");
    EXPECT_EQ(raisedBy([&] { pix->Save(win("f1.jpg"), 23, 24, 4, 4); }),
              "PixImage1 \nError code: -13\nSave: Invalid parmameter passed ");
    make("cmp f1.jpg keep.jpg");
}

// Format 51 holds a 576 x 720 picture: another size is written resampled, the picture itself
// stays as it is, with or without progress events.
TEST_F(Files, TheFrameFormatIsWrittenAt576By720)
{
    if (!imagingtest::haveTools({"identify", "jpeginfo"})) GTEST_SKIP();
    makePicture("a.png", 120, 90, sdk::fmtPNG);
    ASSERT_EQ(pix->Load(win("a.png")), 1);
    sdk::SdkBitmapHandle before;
    sdk::PX_CopyBitmap(&before, pix->Bitmap());
    int last = -1;
    pix->OnStatus = [&](TPixImage*, int percent) { last = percent; };
    for (bool progress : {false, true}) {
        SCOPED_TRACE(progress);
        pix->SetEnableProgressEvent(progress);
        const QString name = progress ? "rows.jpg" : "plain.jpg";
        ASSERT_EQ(pix->Save(win(name), 51, 24, 4, 0), 1);
        make("jpeginfo -c " + name);
        EXPECT_EQ(make("identify -format '%m %wx%h %Q' " + name).trimmed(), "JPEG 576x720 96");
        EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), before));
        EXPECT_EQ(pix->BitmapWidth(), 120);
    }
    EXPECT_EQ(last, 100);
    EXPECT_EQ(bytes("rows.jpg"), bytes("plain.jpg"));
    // The same colours as the picture: resampled, not cut or moved.
    make("convert rows.jpg -resize 120x90! back.png");
    EXPECT_GT(make("compare -metric PSNR back.png a.png null: 2>&1 || true").trimmed().toDouble(), 25.0);

    // A picture of the frame size is written as it is.
    pix->SetEnableProgressEvent(true);
    ASSERT_EQ(pix->Size(576, 720, 4), 1);
    ASSERT_EQ(pix->Save(win("frame.jpg"), 51, 24, 4, 0), 1);
    ASSERT_EQ(pix->Save(win("jpeg.jpg"), 23, 24, 4, 0), 1);
    EXPECT_EQ(bytes("frame.jpg"), bytes("jpeg.jpg"));
}

// OnLoadInfo fires once per load, before any pixel is read, with the control current and the
// file's information at hand; values it sets (Format first) are used for the load.
TEST_F(Files, LoadInformationGoesThroughOnLoadInfo)
{
    makePicture("a.jpg", 64, 48);
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    const int fileResolution = pix->XResolution();
    ASSERT_NE(fileResolution, 300);

    int fired = 0;
    bool give = true;
    pix->OnLoadInfo = [&](TPixImage* sender) {
        ++fired;
        EXPECT_EQ(TPixImage::CurrentControl(), pix.get());
        EXPECT_FALSE(sender->HasImage());
        EXPECT_EQ(sender->FileInfo().Width, 64);
        sdk::PxLoadInfo& values = sender->LoadInfo();
        EXPECT_EQ(values.Format, 0);
        EXPECT_EQ(values.XResolution, 0);
        values = {give ? sdk::fmtJPEG : 0, 64, 48, 24, 300, 150, 1, 1};
    };
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(pix->XResolution(), 300);
    EXPECT_EQ(pix->YResolution(), 150);

    // Without the first value the handler's values are not taken.
    give = false;
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(pix->XResolution(), fileResolution);

    // Only the control's own loads ask it; clearing and reading file information do not.
    sdk::SdkBitmapHandle other;
    EXPECT_EQ(sdk::PX_LoadFile(win("a.jpg"), &other, 0, nullptr), sdk::PX_SUCCESS);
    EXPECT_EQ(pix->Load(win("a.jpg"), 0, 1, 0), 1);
    EXPECT_EQ(pix->GetFileInfo(win("a.jpg")), 1);
    EXPECT_EQ(fired, 2);

    // A handler that raises stops the load, which then raises it.
    pix->OnLoadInfo = [](TPixImage*) { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(pix->Load(win("a.jpg")), std::runtime_error);
    EXPECT_FALSE(pix->HasImage());
    EXPECT_EQ(TPixImage::CurrentControl(), nullptr);
    pix->OnLoadInfo = nullptr;
    EXPECT_EQ(pix->Load(win("a.jpg")), 1);
}

// An animation of more frames than a load takes: its first 1,000 frames are there, and the
// file's own count tells the caller that more followed.
TEST_F(Files, AnAnimationOfMoreThanAThousandFramesLoadsItsFirstThousand)
{
    ASSERT_TRUE(platform::writeFileReplacing(win("many.gif"), sdktest::gifOfFrames(1001)));
    ASSERT_EQ(pix->Load(win("many.gif")), 1);
    EXPECT_TRUE(pix->HasImage());
    EXPECT_EQ(pix->BitmapListCount(), 1000);
    EXPECT_EQ(pix->FileInfo().Pages, 1001);
}

} // namespace
