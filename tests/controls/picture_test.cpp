#include "controls/markup.h"
#include "controls/picture.h"
#include "helpers.h"
#include "support/fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QtEndian>
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

// Windows metafiles, both made by inkscape 1.2.2 (--export-filename=two_colours.wmf / .emf) from
// a 200 x 100 pixel SVG: a red square on the left, a blue one on the right.
QByteArray metafileFixture(const char* name)
{
    QFile f(QStringLiteral(":/") + name); // the test's resources (tests/controls/data)
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(PictureCacheTest, WindowsMetafilesShowAtTheirOwnSize)
{
    struct Case {
        const char* file;
        QSize size; // the header's: WMF bounding box over its units per inch, EMF frame x 96 / 2540
    };
    for (const Case& c : {Case{"two_colours.wmf", QSize(200, 100)}, Case{"two_colours.emf", QSize(200, 102)}}) {
        const QByteArray bytes = metafileFixture(c.file);
        ASSERT_FALSE(bytes.isEmpty()) << c.file;
        world.writeHostFile(QString("c/pics/") + c.file, bytes);
        const QString source = QString("file://C:\\pics\\%1").arg(c.file);
        EXPECT_EQ(measuredImage(QString("<IMG src=\"%1\">").arg(source)), c.size) << c.file;
        const PicturePtr p = cache.FindPicture(source);
        ASSERT_TRUE(p) << c.file;
        ASSERT_FALSE(p->GetEmpty()) << c.file << p->lastError().toStdString();
        EXPECT_EQ(p->GetWidth(), c.size.width()) << c.file;

        // Drawn as a list draws it, onto a grey ground.
        QImage shown(300, 150, QImage::Format_RGB32);
        shown.fill(Qt::gray);
        {
            QPainter painter(&shown);
            p->Draw(painter, QRect(0, 0, 300, 150));
        }
        EXPECT_EQ(shown.pixel(50, 50), qRgb(255, 0, 0)) << c.file;
        EXPECT_EQ(shown.pixel(150, 50), qRgb(0, 0, 255)) << c.file;
        EXPECT_EQ(shown.pixel(250, 50), QColor(Qt::gray).rgb()) << c.file; // nothing beyond its size
        EXPECT_EQ(shown.pixel(50, 140), QColor(Qt::gray).rgb()) << c.file;
    }
}

TEST_F(PictureCacheTest, AWmfLooksAsImageMagickDrawsIt)
{
    if (!testsupport::haveHostProgram("convert")) GTEST_SKIP() << "ImageMagick missing";
    const QString host = world.writeHostFile("c/two.wmf", metafileFixture("two_colours.wmf"));
    testsupport::runHost("convert -density 96 '" + host + "' '" + world.hostC() + "/two.png'");
    const QImage theirs(world.hostC() + "/two.png");
    ASSERT_FALSE(theirs.isNull());
    THTMLPicture p;
    ASSERT_TRUE(p.LoadFromFile("C:\\two.wmf")) << p.lastError().toStdString();
    const QImage ours = p.image();
    ASSERT_EQ(ours.size(), theirs.size());
    int differing = 0;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > 8 || std::abs(qGreen(a) - qGreen(b)) > 8 || std::abs(qBlue(a) - qBlue(b)) > 8)
                ++differing;
        }
    // The edge between the squares may fall one column apart.
    EXPECT_LE(differing, ours.height() * 2);
}

TEST_F(PictureCacheTest, BrokenMetafilesGiveEmptyPicturesAndTheirReason)
{
    const QByteArray wmf = metafileFixture("two_colours.wmf"), emf = metafileFixture("two_colours.emf");
    QByteArray hugeWmf = wmf; // a bounding box of 30,000 units a side at one unit per inch
    qToLittleEndian<qint16>(30000, hugeWmf.data() + 10);
    qToLittleEndian<qint16>(30000, hugeWmf.data() + 12);
    qToLittleEndian<quint16>(1, hugeWmf.data() + 14);
    QByteArray hugeEmf = emf; // a frame of 100 x 100 metres
    qToLittleEndian<qint32>(10'000'000, hugeEmf.data() + 32);
    qToLittleEndian<qint32>(10'000'000, hugeEmf.data() + 36);
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* error;
    };
    for (const Case& c : {Case{"a WMF cut short", wmf.left(200), "Could not load image. Invalid format"},
                          Case{"an EMF cut short", emf.left(300), "Could not load image. Invalid format"},
                          Case{"a WMF declaring 2.9 million pixels a side", hugeWmf, "Could not allocate memory for image"},
                          Case{"an EMF declaring 378,000 pixels a side", hugeEmf, "Could not allocate memory for image"}}) {
        THTMLPicture p;
        try {
            p.LoadFromStream(&c.bytes);
            ADD_FAILURE() << c.name << ": decoded";
        } catch (const EPictureError& e) {
            EXPECT_STREQ(e.what(), c.error) << c.name;
        }
        EXPECT_TRUE(p.GetEmpty()) << c.name;
        EXPECT_EQ(p.GetWidth(), 0) << c.name;
    }
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
