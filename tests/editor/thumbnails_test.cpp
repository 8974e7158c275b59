// Thumbnails: size, frame, the kinds of JPEG a folder holds, the cache and its names.
#include "editor/thumbnails.h"
#include "show/picturelist.h"
#include "pictures_fixture.h"
#include "support/jpegbytes.h"

#include <QImage>
#include "platform/drives.h"
#include <sys/resource.h>

namespace {

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class ThumbnailsTest : public PicturesTest {
protected:
    std::unique_ptr<imaging::TPixImage> control;
    std::unique_ptr<editor::ThumbnailMaker> maker;

    void SetUp() override
    {
        PicturesTest::SetUp();
        control = std::make_unique<imaging::TPixImage>();
        control->resize(105, 89);
        maker = std::make_unique<editor::ThumbnailMaker>(world.programDir());
    }
    void TearDown() override
    {
        maker.reset();
        control.reset();
        PicturesTest::TearDown();
    }
    QString identify(const QString& host) { return testsupport::runHost("identify -ping -format %wx%h '" + host + "' 2>/dev/null"); }
};

} // namespace

TEST(ThumbnailFigures, WidthAndPercentRoundHalvesToEven)
{
    struct Case {
        int w, h, expected;
    } widths[] = {{3000, 2000, 105}, {1000, 3000, 23}, {5, 4, 88}, {3, 4, 52}, {1, 1, 70}, {10, 0, 0}};
    for (const Case& c : widths) EXPECT_EQ(editor::ThumbnailWidth(c.w, c.h, 70), c.expected) << c.w << "x" << c.h;
    EXPECT_EQ(editor::ProgressPercent(1, 8), 12); // 12.5
    EXPECT_EQ(editor::ProgressPercent(3, 8), 38); // 37.5
    EXPECT_EQ(editor::ProgressPercent(5, 0), 0);
}

TEST(ThumbnailFigures, TheRowsInSightComeFirstThenOutwardBelowAndAboveInTurn)
{
    struct Case {
        int count, first, last;
        std::vector<int> order;
    } cases[] = {
        {10, 3, 5, {3, 4, 5, 6, 2, 7, 1, 8, 0, 9}},
        {6, 0, 2, {0, 1, 2, 3, 4, 5}},          // at the top: the list's own order
        {6, 4, 5, {4, 5, 3, 2, 1, 0}},          // at the bottom: upward
        {5, 3, 99, {3, 4, 2, 1, 0}},            // more in sight than there are rows
        {4, -2, 0, {0, 1, 2, 3}},
        {1, 0, 0, {0}},
        {0, 0, 5, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(editor::VisibleFirstOrder(c.count, c.first, c.last), c.order) << c.count << " " << c.first << ".." << c.last;
}

TEST_F(ThumbnailsTest, EveryKindOfJpegGetsAFramedThumbnailSeventyHigh)
{
    if (!haveTools() || !testsupport::haveHostProgram("jpeginfo")) GTEST_SKIP();
    struct Case {
        const char* name;
        int w, h;
        const char* options;
        const char* size;
    } cases[] = {
        {"wide.jpg", 3000, 2000, "", "105x70"},
        {"tall.jpg", 1000, 3000, "", "23x70"},
        {"cmyk.jpg", 300, 200, "-colorspace CMYK", "105x70"},
        {"grey.jpg", 200, 200, "-colorspace Gray", "70x70"},
        {"progressive.jpg", 400, 300, "-interlace Plane", "93x70"},
        {"panorama.jpg", 3000, 750, "", "280x70"}, // wider than the control that makes it
    };
    for (const Case& c : cases) {
        makeJpeg(srcHost(c.name), c.w, c.h, c.options);
        ASSERT_TRUE(maker->Make(srcWin(c.name), 70, false, false)) << c.name;
        const QString thumb = srcHost(QString("_THUMB_") + c.name);
        EXPECT_EQ(identify(thumb), c.size) << c.name;
        int status = 1;
        testsupport::runHost("jpeginfo -c '" + thumb + "'", &status);
        EXPECT_EQ(status, 0) << c.name;
    }
    // The frame: white corners where the shadow leaves them uncovered, the shadow opposite.
    for (const char* name : {"_THUMB_wide.jpg", "_THUMB_panorama.jpg"}) {
        const QImage t(srcHost(name));
        const int r = t.width() - 1;
        auto grey = [&](int x, int y) { return qGray(t.pixel(x, y)); };
        EXPECT_GT(grey(0, 69), 240) << name;
        EXPECT_GT(grey(r, 0), 240) << name;
        EXPECT_NEAR(grey(r, 69), 0xEA, 14) << name;
        EXPECT_NEAR(grey(0, 0), 0xC0, 16) << name; // the silver border
    }
}

TEST_F(ThumbnailsTest, BrokenPicturesLeaveNoThumbnailAndAHugeHeaderCostsNoMemory)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("whole.jpg"), 64, 48);
    const QByteArray whole = readAll(srcHost("whole.jpg"));
    writeAll(srcHost("huge.jpg"), testsupport::withJpegFrameSize(whole, 60000, 60000));
    writeAll(srcHost("empty.jpg"), {});
    writeAll(srcHost("text.jpg"), "not a picture");
    ASSERT_EQ(identify(srcHost("huge.jpg")), "60000x60000");

    const long before = maxRssKb();
    EXPECT_FALSE(maker->Make(srcWin("huge.jpg"), 70, false, true));
    EXPECT_LT(maxRssKb() - before, 64 * 1024) << "kilobytes";
    EXPECT_FALSE(platform::fileExists(maker->Target(srcWin("huge.jpg"), true)));
    for (const char* n : {"empty.jpg", "text.jpg"}) {
        EXPECT_FALSE(maker->Make(srcWin(n), 70, false, false)) << n;
        EXPECT_FALSE(QFile::exists(srcHost(QString("_THUMB_") + n))) << n;
    }

    // A truncated picture either gives a readable thumbnail or none at all.
    makeJpeg(srcHost("full.jpg"), 800, 600, "", "plasma:");
    const QByteArray full = readAll(srcHost("full.jpg"));
    writeAll(srcHost("truncated.jpg"), full.left(full.size() / 2));
    if (maker->Make(srcWin("truncated.jpg"), 70, false, false)) {
        EXPECT_EQ(identify(srcHost("_THUMB_truncated.jpg")), "93x70");
    } else {
        EXPECT_FALSE(QFile::exists(srcHost("_THUMB_truncated.jpg")));
    }
}

TEST_F(ThumbnailsTest, CacheNamesAreDistinctStableAndShortEnough)
{
    const QString p = world.programDir();
    // "\" and ":" map to "x", "." and " " to "_": these two paths map to the same text.
    const QString a = show::CacheThumbnailPath(p, "D:\\a\\b.jpg");
    const QString b = show::CacheThumbnailPath(p, "D:\\axb.jpg");
    EXPECT_NE(a, b);
    EXPECT_NE(show::CacheThumbnailPath(p, "D:\\x\\Photo.jpg"), show::CacheThumbnailPath(p, "D:\\x\\photo.jpg"));
    EXPECT_TRUE(a.startsWith(p + "thumbs\\dxxaxb_jpg")) << a.toStdString();
    EXPECT_TRUE(a.endsWith(".jpg"));

    const QString longPath = "D:\\" + QString(300, u'\u00E9') + "\\" + QString(200, 'n') + ".jpg";
    const QString first = show::CacheThumbnailPath(p, longPath);
    EXPECT_EQ(show::CacheThumbnailPath(p, longPath), first);
    EXPECT_LE(first.mid(first.lastIndexOf('\\') + 1).toUtf8().size(), 255);
    EXPECT_NE(show::CacheThumbnailPath(p, longPath + "x"), first);
}

TEST_F(ThumbnailsTest, ACachedThumbnailServesOnlyWhileItIsNotOlderThanItsPicture)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("p.jpg"), 300, 200);
    ASSERT_TRUE(maker->Make(srcWin("p.jpg"), 70, false, true));
    const QString thumb = maker->Target(srcWin("p.jpg"), true);
    ASSERT_TRUE(platform::fileExists(thumb));
    // Reused: the cached file is not written again.
    writeAll(platform::toHostPath(thumb), "marker");
    EXPECT_TRUE(maker->Make(srcWin("p.jpg"), 70, false, true));
    EXPECT_EQ(platform::readFile(thumb).value_or(QByteArray()), "marker");
    // One left empty (written, then the machine stopped before it reached the disk): made again.
    for (const bool cache : {true, false}) {
        const QString target = maker->Target(srcWin("p.jpg"), cache);
        writeAll(platform::toHostPath(target), {});
        EXPECT_TRUE(maker->Make(srcWin("p.jpg"), 70, false, cache)) << cache;
        EXPECT_EQ(identify(platform::toHostPath(target)), "105x70") << cache;
    }
    writeAll(platform::toHostPath(thumb), "marker");
    // The picture changed after the thumbnail was made: made again.
    QFile f(srcHost("p.jpg"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    f.close();
    EXPECT_TRUE(maker->Make(srcWin("p.jpg"), 70, false, true));
    EXPECT_NE(platform::readFile(thumb).value_or(QByteArray()), "marker");
    EXPECT_EQ(identify(platform::toHostPath(thumb)), "105x70");
}

TEST_F(ThumbnailsTest, ARunOnWorkerThreadsMakesWhatOneByOneMakesAndHandsItBackInOrder)
{
    if (!haveTools()) GTEST_SKIP();
    struct Case {
        const char* name;
        int w, h;
        const char* options;
    } cases[] = {
        {"wide.jpg", 3000, 2000, ""},  {"tall.jpg", 1000, 3000, ""},         {"cmyk.jpg", 300, 200, "-colorspace CMYK"},
        {"grey.jpg", 200, 200, "-colorspace Gray"}, {"progressive.jpg", 400, 300, "-interlace Plane"},
        {"panorama.jpg", 3000, 750, ""}, {"small.jpg", 40, 30, ""},
    };
    QStringList pictures;
    QList<QByteArray> oneByOne;
    for (const Case& c : cases) {
        makeJpeg(srcHost(c.name), c.w, c.h, c.options, "plasma:");
        ASSERT_TRUE(maker->Make(srcWin(c.name), 70, true, false)) << c.name;
        pictures << srcWin(c.name);
        oneByOne << readAll(srcHost(QString("_THUMB_") + c.name));
    }
    // Copies under further names make the run longer than the workers, so they overtake each other.
    for (int copy = 0; copy < 3; ++copy)
        for (int i = 0; i < int(std::size(cases)); ++i) {
            const QString name = QString("c%1_%2").arg(copy).arg(cases[i].name);
            QFile::copy(srcHost(cases[i].name), srcHost(name));
            pictures << srcWin(name);
            oneByOne << oneByOne[i];
        }
    writeAll(srcHost("broken.jpg"), "not a picture");
    pictures.insert(3, srcWin("broken.jpg"));
    oneByOne.insert(3, QByteArray());
    for (const QString& p : pictures) QFile::remove(platform::toHostPath(maker->Target(p, false)));
    // One thumbnail is current already: it is taken as it is, not made again.
    writeAll(platform::toHostPath(maker->Target(pictures[1], false)), "kept");
    oneByOne[1] = "kept";

    editor::ThumbnailRun run(*maker, pictures, 70, false, false);
    EXPECT_EQ(run.toMake(), pictures.size() - 1);
    for (int i = 0; i < pictures.size(); ++i) {
        ASSERT_TRUE(run.take(i)) << i;
        EXPECT_EQ(run.target(i), maker->Target(pictures[i], false));
        const QString host = platform::toHostPath(run.target(i));
        EXPECT_EQ(run.made(i), !oneByOne[i].isEmpty()) << pictures[i].toStdString();
        EXPECT_EQ(QFile::exists(host) ? readAll(host) : QByteArray(), oneByOne[i]) << pictures[i].toStdString();
    }
}

TEST_F(ThumbnailsTest, TheRowsInSightAreMadeBeforeRowsFarFromThemAlsoAfterAScroll)
{
    if (!haveTools()) GTEST_SKIP();
    // Rows 5 to 9 are in sight of a list of many; the run is ordered from them outward.
    const int inSight = 5;
    const int count = 10 + 2 * editor::ThumbnailRun::Lead() + 20;
    makeJpeg(srcHost("p.jpg"), 60, 40, "", "plasma:");
    QStringList pictures;
    for (int i = 0; i < count; ++i) {
        const QString name = QString("p%1.jpg").arg(i, 3, 10, QChar('0'));
        QFile::copy(srcHost("p.jpg"), srcHost(name));
        pictures << srcWin(name);
    }
    const std::vector<int> order = editor::VisibleFirstOrder(count, 5, 5 + inSight - 1);
    auto made = [&](int picture) { return platform::fileExists(maker->Target(pictures[picture], true)); };

    editor::ThumbnailRun run(*maker, pictures, 70, false, true, order);
    ASSERT_EQ(run.toMake(), count);
    for (int k = 0; k < count; ++k) EXPECT_EQ(run.pictureAt(k), order[std::size_t(k)]);
    for (int k = 0; k < inSight; ++k) ASSERT_TRUE(run.take(run.pictureAt(k))) << k;
    // Every row in sight is there; none of those a lead further on in the order is begun yet.
    for (int row = 5; row < 5 + inSight; ++row) EXPECT_TRUE(made(row)) << row;
    for (int k = inSight - 1 + editor::ThumbnailRun::Lead(); k < count; ++k)
        EXPECT_FALSE(made(run.pictureAt(k))) << "row " << run.pictureAt(k) << " made before the rows in sight were taken";
    for (int k = inSight; k < count; ++k) ASSERT_TRUE(run.take(run.pictureAt(k))) << k;
    for (int i = 0; i < count; ++i) EXPECT_TRUE(made(i) && run.made(i)) << i;

    // Scrolled to the end after the first screen: the rows now in sight come next, after at
    // most the thumbnails already begun, and every picture is still taken once.
    for (int i = 0; i < count; ++i) QFile::remove(platform::toHostPath(maker->Target(pictures[i], true)));
    editor::ThumbnailRun scrolled(*maker, pictures, 70, false, true, order);
    for (int k = 0; k < inSight; ++k) ASSERT_TRUE(scrolled.take(scrolled.pictureAt(k))) << k;
    const int bottom = count - inSight;
    scrolled.rerank(editor::VisibleFirstOrder(count, bottom, count - 1), inSight);
    std::vector<int> takenAt(std::size_t(count), -1);
    for (int k = 0; k < count; ++k) {
        const int picture = scrolled.pictureAt(k);
        ASSERT_EQ(takenAt[std::size_t(picture)], -1) << "picture " << picture << " taken twice";
        takenAt[std::size_t(picture)] = k;
        if (k < inSight) EXPECT_EQ(picture, order[std::size_t(k)]) << "a picture already taken moved";
        else ASSERT_TRUE(scrolled.take(picture)) << k;
    }
    for (int row = bottom; row < count; ++row) {
        EXPECT_LT(takenAt[std::size_t(row)], inSight + editor::ThumbnailRun::Lead() + inSight) << "row " << row;
        EXPECT_TRUE(made(row) && scrolled.made(row)) << row;
    }
    // A row the first order had before the bottom ones, beyond what could have begun, but far
    // from the new screen, waits for the whole of it.
    const int far = inSight + editor::ThumbnailRun::Lead() + 10;
    for (int row = bottom; row < count; ++row) EXPECT_GT(takenAt[std::size_t(far)], takenAt[std::size_t(row)]) << row;

    // An order that leaves a picture out or names one twice is not followed: the pictures' own.
    for (const std::vector<int>& wrong : {std::vector<int>{0, 1}, std::vector<int>(std::size_t(count), 0)}) {
        editor::ThumbnailRun plain(*maker, pictures, 70, true, true, wrong);
        for (int k = 0; k < count; ++k) EXPECT_EQ(plain.pictureAt(k), k);
    }
}
