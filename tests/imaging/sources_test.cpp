// The picture sources on their own: each reads a real picture into a bitmap list and reports its
// bands, and each refuses what it cannot read with the engine's result.
#include "imaging/pixblob.h"
#include "imaging/pixsources.h"
#include "sdk/helpers.h"

#include <gtest/gtest.h>

using namespace imaging;
using namespace sdk;

namespace {

// A list that goes with the test.
struct List {
    SdkBitmapListHandle h = nullptr;
    List() { PX_CreateBitmapList(&h); }
    ~List() { PX_DestroyBitmapList(&h); }
    int count() const
    {
        int n = 0;
        PX_GetBitmapListCount(h, &n);
        return n;
    }
    SdkBitmapHandle item(int i) const
    {
        SdkBitmapHandle b;
        PX_GetBitmapListItem(h, i, &b);
        return b;
    }
};

// The bands a read reports, and how many pages they complete.
struct Bands {
    int calls = 0, pagesEnded = 0;
    PxLoadCallback callback()
    {
        return [this](const PxLoadBand& band) {
            ++calls;
            if ((band.flags & bandLastRow) && (band.flags & bandLastPass)) ++pagesEnded;
            return 1;
        };
    }
};

QByteArray pngOf(const SdkBitmapHandle& b)
{
    QByteArray out;
    EXPECT_EQ(PX_SaveMemory(&out, &b, fmtPNG, 24, 0), PX_SUCCESS);
    return out;
}

class Sources : public testsupport::WorldTest {
protected:
    SdkBitmapHandle picture = sdktest::patterned(23, 17);
    QByteArray png = pngOf(picture);
};

TEST_F(Sources, FileReadsItsPagesAndTellsAnAnimation)
{
    world.writeHostFile("c/a.png", png);
    world.writeHostFile("c/three.gif", sdktest::gifOfFrames(3));
    const PixFileSource still(QStringLiteral("C:\\a.png"));
    PxFileInfo info;
    ASSERT_EQ(still.Info(0, &info), PX_SUCCESS); // page 0 is the first
    EXPECT_EQ(info.Width, 23);
    EXPECT_FALSE(PixFileSource::IsAnimated(info));
    List list;
    Bands bands;
    ASSERT_EQ(still.Read(24, list.h, {}, bands.callback(), &info), PX_SUCCESS);
    ASSERT_EQ(list.count(), 1);
    EXPECT_TRUE(sdktest::samePixels(list.item(0), picture));
    EXPECT_EQ(bands.pagesEnded, 1);

    const PixFileSource gif(QStringLiteral("C:\\three.gif"));
    ASSERT_EQ(gif.Info(1, &info), PX_SUCCESS);
    EXPECT_TRUE(PixFileSource::IsAnimated(info));
    List frames;
    PxLoadOptions two;
    two.MaxPages = 2;
    Bands gifBands;
    EXPECT_EQ(gif.Read(0, frames.h, two, gifBands.callback(), &info), PX_SUCCESS);
    EXPECT_EQ(frames.count(), 2);

    EXPECT_EQ(PixFileSource(QStringLiteral("C:\\none.png")).Info(1, &info), PXERR_FILENOTFOUND);
}

TEST(FileSource, AnimatedFormatsAreGifsOfManyPagesAndTheAnimationFormats)
{
    struct Case {
        int format, pages;
        bool animated;
    } const cases[] = {{fmtGIF, 3, true}, {fmtGIF, 1, false}, {fmtGIF, 0, true}, {fmtPNG, 3, false},
                       {59, 1, true},     {61, 1, true},      {119, 1, true},    {134, 1, true}};
    for (const Case& c : cases) {
        PxFileInfo info;
        info.Format = c.format;
        info.Pages = c.pages;
        EXPECT_EQ(PixFileSource::IsAnimated(info), c.animated) << c.format << " " << c.pages;
    }
}

TEST_F(Sources, MemoryReadsOnePageAndRefusesWhatItCannotRead)
{
    List list;
    Bands bands;
    PxFileInfo info;
    ASSERT_EQ(PixMemorySource(png.constData(), png.size()).Read(0, list.h, {}, bands.callback(), &info), PX_SUCCESS);
    ASSERT_EQ(list.count(), 1);
    EXPECT_TRUE(sdktest::samePixels(list.item(0), picture));
    EXPECT_GT(bands.calls, 0);

    EXPECT_EQ(PixMemorySource(nullptr, 10).Check(), PixMemorySource::NotReadable);
    EXPECT_EQ(PixMemorySource(png.constData(), -1).Check(), PixMemorySource::NotReadable);
    // Too large is refused before a byte is touched.
    EXPECT_EQ(PixMemorySource(png.constData(), maxPictureBytes + 1).Check(), PXERR_NOMEMORY);
    List none;
    EXPECT_EQ(PixMemorySource(nullptr, 0).Read(0, none.h, {}, bands.callback(), &info), PixMemorySource::NotReadable);
    EXPECT_EQ(none.count(), 0);
    const QByteArray junk("not a picture at all");
    EXPECT_NE(PixMemorySource(junk.constData(), junk.size()).Read(0, none.h, {}, {}, &info), PX_SUCCESS);
    EXPECT_EQ(none.count(), 0);
}

TEST_F(Sources, BlobReadsTaggedAndPlainPicturesAndRefusesAShortHeader)
{
    struct Case {
        const char* what;
        QVariant value;
        int result;
    } const cases[] = {
        {"tagged", PackPictureBlob(png), PX_SUCCESS},
        {"plain file", png, PX_SUCCESS},
        {"tag without header", QByteArray("LTOCXBND\x18"), PXERR_BADFORMAT},
    };
    for (const Case& c : cases) {
        const PixBlobSource source(c.value);
        EXPECT_FALSE(source.IsNull());
        List list;
        PxFileInfo info;
        EXPECT_EQ(source.Read(24, list.h, {}, &info), c.result) << c.what;
        EXPECT_EQ(list.count(), c.result == PX_SUCCESS ? 1 : 0) << c.what;
        if (c.result == PX_SUCCESS) {
            EXPECT_TRUE(sdktest::samePixels(list.item(0), picture)) << c.what;
        }
    }
    EXPECT_TRUE(PixBlobSource(QVariant(QMetaType(QMetaType::QByteArray))).IsNull());
}

TEST_F(Sources, FeedTakesBytesInPiecesAndFinishesWithThePicture)
{
    List list;
    Bands bands;
    PixFeedSource feed;
    EXPECT_FALSE(feed.IsOpen());
    ASSERT_EQ(feed.Open(0, list.h, {}, bands.callback()), PX_SUCCESS);
    EXPECT_TRUE(feed.IsOpen());
    for (qsizetype at = 0; at < png.size(); at += 7)
        ASSERT_GT(feed.Feed(png.constData() + at, std::min<qsizetype>(7, png.size() - at)), 0);
    PxFileInfo info;
    ASSERT_EQ(feed.Finish(&info), PX_SUCCESS);
    EXPECT_FALSE(feed.IsOpen());
    ASSERT_EQ(list.count(), 1);
    EXPECT_TRUE(sdktest::samePixels(list.item(0), picture));
    EXPECT_EQ(bands.pagesEnded, 1);
    EXPECT_EQ(info.Width, 23);
}

TEST_F(Sources, AFeedNotOpenTakesNothingAndAClosedOneDropsWhatCame)
{
    PixFeedSource feed;
    EXPECT_EQ(feed.Feed(png.constData(), png.size()), PXERR_BADPARAM);
    EXPECT_EQ(feed.Finish(nullptr), PXERR_BADPARAM);
    List list;
    ASSERT_EQ(feed.Open(0, list.h, {}, {}), PX_SUCCESS);
    ASSERT_GT(feed.Feed(png.constData(), png.size() / 2), 0);
    feed.Close();
    EXPECT_FALSE(feed.IsOpen());
    EXPECT_EQ(list.count(), 0);
}

TEST(UrlSource, FailuresMapOntoTheEngineResults)
{
    using D = platform::UrlDownload;
    struct Case {
        D::Result result;
        int status, want;
    } const cases[] = {
        {D::BadAddress, 0, 0},           {D::HostNotFound, 0, -273},  {D::ConnectFailed, 0, -276},
        {D::ConnectTimedOut, 0, -279},   {D::Stalled, 0, -286},       {D::TooLarge, 0, PXERR_NOMEMORY},
        {D::CutShort, 0, PXERR_READ},    {D::HttpError, 404, PXERR_FILENOTFOUND},
        {D::HttpError, 410, PXERR_FILENOTFOUND},                      {D::HttpError, 503, -218},
        {D::HttpError, 403, -284},       {D::Failed, 0, -284},        {D::TooManyRedirects, 0, -284},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PixUrlSource::FailureResult(c.result, c.status), c.want) << c.result << " " << c.status;
}

TEST(UrlSource, AnAddressThatIsNotHttpStartsNothing)
{
    PixUrlSource source;
    bool finished = false;
    platform::UrlDownload::Handlers handlers;
    handlers.finished = [&](platform::UrlDownload::Result) { finished = true; };
    EXPECT_EQ(source.Start(QStringLiteral("file:///etc/passwd"), handlers), 0);
    EXPECT_FALSE(source.Active());
    EXPECT_FALSE(finished);
    source.Stop(); // nothing under way: nothing happens
    EXPECT_FALSE(source.Active());
}

} // namespace
