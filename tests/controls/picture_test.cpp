#include "controls/markup.h"
#include "controls/picture.h"
#include "helpers.h"
#include "support/fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <sys/stat.h>
#include <sys/time.h>

using namespace controls;
using namespace testhelp;

namespace {

class PictureCacheTest : public testsupport::WorldTest {
protected:
    QSize measuredImage(const QString& markup)
    {
        HTMLItemOptions o;
        o.PictureCache = &cache;
        o.MeasureOnly = false;
        const Laid l = lay(markup, QRect(0, 0, 400, 400), o);
        const auto images = l.of(MarkupOp::Image);
        return images.empty() ? QSize() : images[0]->rect.size();
    }
    void setTime(const QString& host, qint64 seconds)
    {
        struct timeval tv[2] = {{seconds, 0}, {seconds, 0}};
        ::utimes(host.toLocal8Bit().constData(), tv);
    }
    THTMLPictureCache cache;
};

} // namespace

TEST_F(PictureCacheTest, OneSourceIsLoadedOnceAndCaseMakesADifferentSource)
{
    world.writeHostFile("c/Thumbs/a.jpg", jpegBytes(30, 20));
    EXPECT_EQ(measuredImage("<IMG src=\"file://C:\\thumbs\\A.JPG\">"), QSize(30, 20)); // the drive table resolves case
    const PicturePtr first = cache.FindPicture("file://C:\\thumbs\\A.JPG");
    ASSERT_TRUE(first);
    measuredImage("<IMG src=\"file://C:\\thumbs\\A.JPG\">");
    EXPECT_EQ(cache.Count(), 1);
    EXPECT_EQ(cache.FindPicture("file://C:\\thumbs\\A.JPG"), first);
    measuredImage("<IMG src=\"FILE://C:\\Thumbs\\a.jpg\">");
    EXPECT_EQ(cache.Count(), 2);
}

TEST_F(PictureCacheTest, AChangedFileUnderTheSameNameIsLoadedAgainOnTheNextTurn)
{
    const QString host = world.writeHostFile("c/_THUMB_x.jpg", jpegBytes(30, 20));
    setTime(host, 1000000);
    const QString item = "<IMG src=\"file://C:\\_THUMB_x.jpg\">";
    EXPECT_EQ(measuredImage(item), QSize(30, 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(measuredImage(item), QSize(30, 20));
    world.writeHostFile("c/_THUMB_x.jpg", jpegBytes(40, 25));
    setTime(host, 1000100);
    // Within one turn of the event loop the file is looked at once: the paints and measures of
    // that turn see the same picture.
    EXPECT_EQ(measuredImage(item), QSize(30, 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(measuredImage(item), QSize(40, 25));
    EXPECT_EQ(cache.Count(), 1);
}

TEST_F(PictureCacheTest, AFileDeletedAfterLoadingStillShows)
{
    const QString host = world.writeHostFile("c/t.jpg", jpegBytes(30, 20));
    measuredImage("<IMG src=\"file://C:\\t.jpg\">");
    QFile::remove(host);
    EXPECT_EQ(measuredImage("<IMG src=\"file://C:\\t.jpg\">"), QSize(30, 20));
}

TEST_F(PictureCacheTest, UnreadableSourcesGiveEmptyPicturesQuickly)
{
    world.writeHostFile("c/dir/inside.txt", "x");
    world.writeHostFile("c/text.jpg", "not a picture at all");
    const QString fifo = world.hostC() + "/pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    // A sparse file beyond the size limit: refused before it is read.
    {
        QFile big(world.hostC() + "/big.jpg");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(kMaxPictureFileBytes + 1));
    }
    QElapsedTimer t;
    t.start();
    for (const char* src : {"file://C:\\missing.jpg", "file://C:\\dir", "file://C:\\text.jpg", "file://C:\\pipe.jpg",
                            "file://C:\\big.jpg", "file://Q:\\nodrive.jpg", "http://example.com/x.jpg",
                            "res://no-such-resource"}) {
        EXPECT_EQ(measuredImage(QString("<IMG src=\"%1\">").arg(src)), QSize()) << src;
        const PicturePtr p = cache.FindPicture(src);
        ASSERT_TRUE(p) << src; // kept under its key, so the load is not retried
        EXPECT_TRUE(p->GetEmpty()) << src;
    }
    EXPECT_LT(t.elapsed(), 5000); // the pipe was never opened for reading
}

TEST_F(PictureCacheTest, PicturesDeclaringTooManyPixelsAreRefused)
{
    const QByteArray huge = gifBytes(65535, 65535, {GifFrame{}});
    THTMLPicture p;
    EXPECT_THROW(p.LoadFromStream(&huge), EPictureError);
    EXPECT_TRUE(p.GetEmpty());
    world.writeHostFile("c/huge.gif", huge);
    EXPECT_EQ(measuredImage("<IMG src=\"file://C:\\huge.gif\">"), QSize());
}

TEST(Gif, FramesDelaysAndAnimation)
{
    const QByteArray data = gifBytes(4, 4, {GifFrame{0, 0, 20, 1, false}, GifFrame{3, 2, 30, 2, true}});
    EXPECT_EQ(gif::frameMarkers(data).size(), 2u);
    const auto second = gif::frameInfo(data, 2);
    EXPECT_EQ(second.delay, 30);
    EXPECT_TRUE(second.transparent);
    EXPECT_EQ(second.disposal, 2);
    EXPECT_EQ(gif::frameInfo(data, 3).delay, -1);
    EXPECT_EQ(gif::frameInfo(QByteArray("\x89PNG"), 1).delay, -1);

    THTMLPicture p;
    p.LoadFromStream(&data);
    ASSERT_TRUE(p.isDecoded());
    EXPECT_EQ(p.FrameCount(), 2);
    EXPECT_EQ(p.displayWidth(), 4); // the animation's logical screen
    p.setFrame(2);
    EXPECT_EQ(p.frameX(), 3);
    EXPECT_EQ(p.frameY(), 2);
    EXPECT_TRUE(p.isDecoded());

    THTMLPicture anim;
    anim.LoadFromStream(&data);
    int changes = 0, ticks = 0;
    while (changes == 0 && ticks < 10) {
        changes += anim.AnimationTick();
        ++ticks;
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(anim.Frame(), 2);
    EXPECT_EQ(ticks, 3); // the first tick reads the frame, the change comes 200 ms later

    const QByteArray single = gifBytes(2, 2, {GifFrame{}});
    THTMLPicture still;
    still.LoadFromStream(&single);
    EXPECT_EQ(still.FrameCount(), 1);
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(still.AnimationTick());
}

TEST(Gif, TruncatedFilesAreReadWithinTheirBytes)
{
    const QByteArray data = gifBytes(4, 4, {GifFrame{0, 0, 20}, GifFrame{1, 1, 30}});
    // Each frame starts with its eight-byte control block followed by the descriptor byte.
    const std::vector<qsizetype> markers = gif::frameMarkers(data);
    ASSERT_EQ(markers, (std::vector<qsizetype>{19, 42}));
    auto wholeFrames = [&](qsizetype n) { return int(std::count_if(markers.begin(), markers.end(), [n](qsizetype m) { return m + 8 < n; })); };

    for (qsizetype n = 0; n <= data.size(); ++n) {
        // A copy of its own (a read past its end is the sanitizer's to find) and a view into the
        // whole file, whose bytes past the end would give a frame that is not there.
        for (const QByteArray& cut : {data.left(n), QByteArray::fromRawData(data.constData(), n)}) {
            SCOPED_TRACE(n);
            EXPECT_EQ(int(gif::frameMarkers(cut).size()), wholeFrames(n));
            EXPECT_EQ(gif::frameInfo(cut, 1).delay, wholeFrames(n) >= 1 ? 20 : -1);
            EXPECT_EQ(gif::frameInfo(cut, 2).delay, wholeFrames(n) >= 2 ? 30 : -1);
            THTMLPicture p;
            bool loaded = true;
            try {
                p.LoadFromStream(&cut);
            } catch (const EPictureError&) {
                loaded = false;
            }
            EXPECT_EQ(p.GetEmpty(), !loaded);
            EXPECT_EQ(p.FrameCount(), loaded ? wholeFrames(n) : 0);
            p.setFrame(2);
            p.AnimationTick();
        }
    }
    THTMLPicture whole;
    whole.LoadFromStream(&data);
    whole.setFrame(2);
    EXPECT_EQ(whole.FrameCount(), 2);
    EXPECT_EQ(whole.frameX(), 1);
}

TEST(PictureContainer, FindsNamesWithoutRegardToCase)
{
    TPictureContainer c;
    TPictureItem& logo = c.Items.Add();
    logo.Name = "LOGO";
    const QByteArray bytes = jpegBytes(12, 8);
    logo.Picture()->LoadFromStream(&bytes);
    EXPECT_EQ(c.FindPicture("Logo"), logo.Picture());
    EXPECT_EQ(c.FindPicture("other"), nullptr);

    TPictureItem copy;
    copy.Assign(logo);
    EXPECT_EQ(copy.Name, "LOGO");
    EXPECT_EQ(copy.Picture()->GetWidth(), 12);

    HTMLItemOptions o;
    o.PictureContainer = &c;
    const Laid l = lay("<IMG src=\"logo\">", QRect(0, 0, 100, 40), o);
    ASSERT_EQ(l.of(MarkupOp::Image).size(), 1u);
    EXPECT_EQ(l.of(MarkupOp::Image)[0]->rect.size(), QSize(12, 8));
}

TEST(PictureSources, ResourcesLoadByName)
{
    THTMLPictureCache cache;
    HTMLItemOptions o;
    o.PictureCache = &cache;
    const Laid l = lay("<IMG src=\"res://dot.ppm\">x", QRect(0, 0, 100, 40), o);
    ASSERT_EQ(l.of(MarkupOp::Image).size(), 1u);
    EXPECT_EQ(l.of(MarkupOp::Image)[0]->rect, QRect(1, 0, 3, 2));
    const PicturePtr p = cache.FindPicture("res://dot.ppm");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->image().pixelColor(2, 0), QColor(0, 0, 255));

    THTMLPicture web;
    web.Asynch = false;
    web.LoadFromSource("http://example.invalid/a.jpg");
    EXPECT_TRUE(web.GetEmpty());
    EXPECT_EQ(web.requestedAddress(), "http://example.invalid/a.jpg");
}
