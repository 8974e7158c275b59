// Thumbnails of a folder that holds decompression bombs beside ordinary photos: every worker
// draws on one memory budget, PNGs are decoded row by row into the small size, and what cannot
// be held is named. The peak resident memory of this process is read from /proc.
#include "editor/thumbnails.h"
#include "pictures_fixture.h"
#include "util/memorybudget.h"

#include <zlib.h>

#include <QFile>
#include <chrono>
#include <cstdio>
#include <thread>
#include <QRegularExpression>

namespace {

// Resets the process's peak resident size to what it holds now.
bool resetPeakRss()
{
    QFile f("/proc/self/clear_refs");
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

qint64 peakRssBytes()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QRegularExpressionMatch m = QRegularExpression(R"(VmHWM:\s+(\d+) kB)").match(QString::fromLatin1(f.readAll()));
    return m.hasMatch() ? m.captured(1).toLongLong() * 1024 : -1;
}

void appendChunk(QByteArray& png, const char* type, const QByteArray& body)
{
    const quint32 n = quint32(body.size());
    png.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    QByteArray typed = QByteArray(type, 4) + body;
    png.append(typed);
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size())));
    png.append(char(crc >> 24)).append(char(crc >> 16)).append(char(crc >> 8)).append(char(crc));
}

// A black RGB PNG of side x side pixels whose pixel data is almost nothing but deflated zeros.
QByteArray pngBomb(int side, bool interlaced)
{
    qint64 raw = 0; // the filtered rows: one filter byte and three bytes a pixel per row
    if (!interlaced) {
        raw = qint64(side) * (1 + qint64(side) * 3);
    } else {
        const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        for (const auto& p : passes) {
            const qint64 cols = side > p[0] ? (side - p[0] + p[2] - 1) / p[2] : 0;
            const qint64 rows = side > p[1] ? (side - p[1] + p[3] - 1) / p[3] : 0;
            if (cols > 0 && rows > 0) raw += rows * (1 + cols * 3);
        }
    }
    z_stream z{};
    deflateInit(&z, 9);
    std::vector<unsigned char> zeros(1 << 20, 0), out(1 << 20);
    QByteArray idat;
    qint64 left = raw;
    int flush = Z_NO_FLUSH;
    do {
        const qint64 take = std::min<qint64>(left, qint64(zeros.size()));
        z.next_in = zeros.data();
        z.avail_in = uInt(take);
        left -= take;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            deflate(&z, flush);
            idat.append(reinterpret_cast<const char*>(out.data()), qsizetype(out.size() - z.avail_out));
        } while (z.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&z);

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    for (int shift : {24, 16, 8, 0}) ihdr.append(char(side >> shift));
    for (int shift : {24, 16, 8, 0}) ihdr.append(char(side >> shift));
    ihdr.append(char(8)).append(char(2)).append(char(0)).append(char(0)).append(char(interlaced ? 1 : 0));
    appendChunk(png, "IHDR", ihdr);
    appendChunk(png, "IDAT", idat);
    appendChunk(png, "IEND", {});
    return png;
}

// A GIF of a few dozen bytes whose one frame claims side x side pixels.
QByteArray gifBomb(int side)
{
    QByteArray gif("GIF89a");
    const auto le16 = [&gif](int v) { gif.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    le16(side);
    le16(side);
    gif.append(char(0x80)).append(char(0)).append(char(0)); // a global table of two colours
    gif.append(QByteArray("\0\0\0\xFF\xFF\xFF", 6));
    gif.append(char(0x2C));
    le16(0);
    le16(0);
    le16(side);
    le16(side);
    gif.append(char(0));
    gif.append(char(2)).append(char(1)).append(char(0x2C)).append(char(0)); // codes of 3 bits: clear, end
    gif.append(char(0x3B));
    return gif;
}

class ThumbnailMemoryTest : public PicturesTest {
protected:
    static QString identify(const QString& host) { return testsupport::runHost("identify -ping -format %wx%h '" + host + "' 2>/dev/null"); }
};

} // namespace

TEST_F(ThumbnailMemoryTest, BombsBesidePhotosStayWithinTheBudgetAndThoseTooLargeAreNamed)
{
    if (!haveTools()) GTEST_SKIP();
    // 17,320 x 17,320 is just under the engine's 300-megapixel limit: each of these is allowed
    // on its own, and decoded whole each would take about 2 GB.
    const QByteArray plain = pngBomb(17320, false);
    const QByteArray interlaced = pngBomb(17320, true);
    EXPECT_LT(plain.size(), 1024 * 1024);
    for (const char* name : {"bomb1.jpg", "bomb2.jpg", "bomb3.jpg"}) writeAll(srcHost(name), plain);
    writeAll(srcHost("interlaced.jpg"), interlaced);
    writeAll(srcHost("tiny.jpg"), gifBomb(16000));
    EXPECT_LT(readAll(srcHost("tiny.jpg")).size(), 100);
    QStringList photos;
    for (int i = 0; i < 10; ++i) {
        const QString name = QString("photo%1.jpg").arg(i, 2, 10, QChar('0'));
        // Baseline and progressive, of the size a camera gives.
        makeJpeg(srcHost(name), 4000, 3000, i % 2 ? "-interlace Plane -quality 92" : "-quality 92", "gradient:orange-navy");
        photos << name;
    }

    createWithNewShow();
    ASSERT_TRUE(resetPeakRss());
    const qint64 before = peakRssBytes();
    chooseSource("photo00.jpg");
    const qint64 peak = peakRssBytes();
    std::printf("peak resident memory while the folder filled: %lld MB (%lld MB before)\n", peak / 1000000, before / 1000000);
    EXPECT_LE(peak, qint64(1500) * 1000 * 1000) << "peak resident bytes; " << before << " before";
    EXPECT_EQ(editor::ThumbnailMemory().inUse(), 0);
    EXPECT_LE(editor::ThumbnailMemory().peak(), editor::ThumbnailMemoryBytes);

    ASSERT_EQ(form->FileListBox->Count(), 15);
    const QString programDir = world.programDir();
    for (const QString& name : photos) {
        const QString thumb = show::CacheThumbnailPath(programDir, srcWin(name));
        EXPECT_EQ(identify(platform::toHostPath(thumb)), "93x70") << name.toStdString();
    }
    // The plain bombs are decoded row by row into the small size: they get thumbnails as well.
    for (const char* name : {"bomb1.jpg", "bomb2.jpg", "bomb3.jpg"})
        EXPECT_EQ(identify(platform::toHostPath(show::CacheThumbnailPath(programDir, srcWin(name)))), "70x70") << name;
    // Those that could only be decoded whole are refused with their names, in one message.
    const QStringList messages = dialogs.messageTexts();
    ASSERT_EQ(messages.size(), 1) << messages.join("\n").toStdString();
    EXPECT_TRUE(messages[0].contains("D:\\src\\interlaced.jpg")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("D:\\src\\tiny.jpg")) << messages[0].toStdString();
    for (const QString& name : photos + QStringList{"bomb1.jpg"}) EXPECT_FALSE(messages[0].contains(name)) << name.toStdString();
    for (const char* name : {"interlaced.jpg", "tiny.jpg"})
        EXPECT_FALSE(QFile::exists(platform::toHostPath(show::CacheThumbnailPath(programDir, srcWin(name))))) << name;
}

TEST(MemoryBudgetTest, SharesWaitForEachOtherAndOneLargerThanTheWholeIsRefused)
{
    util::MemoryBudget budget(100);
    EXPECT_EQ(budget.acquire(101), util::MemoryBudget::Grant::TooLarge);
    EXPECT_EQ(budget.acquire(60), util::MemoryBudget::Grant::Granted);
    EXPECT_FALSE(budget.tryAcquire(50));
    // A wait ends when it is stopped, holding nothing.
    int asked = 0;
    EXPECT_EQ(budget.acquire(50, [&] { return ++asked > 2; }), util::MemoryBudget::Grant::Stopped);
    EXPECT_EQ(budget.inUse(), 60);
    // ... or when the others give back enough.
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        budget.release(60);
    });
    EXPECT_EQ(budget.acquire(90), util::MemoryBudget::Grant::Granted);
    other.join();
    EXPECT_EQ(budget.inUse(), 90);
    EXPECT_EQ(budget.peak(), 90);
    {
        util::BudgetShare share(budget);
        EXPECT_FALSE(share.tryHold(20));
        budget.release(90);
        EXPECT_EQ(share.hold(20), util::MemoryBudget::Grant::Granted);
        EXPECT_EQ(share.hold(5), util::MemoryBudget::Grant::Granted); // shrinks
        EXPECT_EQ(budget.inUse(), 5);
    }
    EXPECT_EQ(budget.inUse(), 0);
}
