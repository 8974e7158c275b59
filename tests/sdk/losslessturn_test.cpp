// Lossless turns and mirrors of JPEG data, judged by jpegtran and ImageMagick on the same files.
#include "helpers.h"
#include "sdk/losslessturn.h"
#include "support/fixture.h"
#include "support/jpegbytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace sdk;
using namespace sdktest;

namespace {

class LosslessTurnTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        if (!testsupport::haveHostProgram("convert") || !testsupport::haveHostProgram("jpegtran")) GTEST_SKIP();
    }
    QString host(const QString& name) const { return dir.path() + "/" + name; }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    // A noisy JPEG made by ImageMagick (which makes its own Huffman tables) of w x h with the
    // given chroma sampling ("2x2" is 4:2:0, "1x1" 4:4:4) and further options.
    QByteArray photo(int w, int h, const QString& sampling, const QString& options = {})
    {
        const QString file = host(QString("photo%1x%2_%3.jpg").arg(w).arg(h).arg(sampling));
        mustRun(QString("convert -seed 5 -size %1x%2 plasma: -attenuate 0.4 +noise Gaussian -sampling-factor %3 -quality 88 %4 %5")
                    .arg(w)
                    .arg(h)
                    .arg(sampling, options, quoted(file)));
        return read(file);
    }
    static SdkBitmapHandle decode(const QByteArray& jpeg)
    {
        SdkBitmapHandle b;
        EXPECT_EQ(PX_LoadMemory(jpeg, &b, 24, nullptr), PX_SUCCESS);
        return b;
    }
    QByteArray jpegtran(const QByteArray& jpeg, const char* args)
    {
        write(host("in.jpg"), jpeg);
        mustRun(QString("jpegtran -copy all -perfect %1 -outfile %2 %3").arg(args, quoted(host("out.jpg")), quoted(host("in.jpg"))));
        return read(host("out.jpg"));
    }
};

struct Case {
    PxTurn turn;
    const char* jpegtranArgs;
    PxTurn inverse;
    int turnsToOriginal;
};

const Case cases[] = {
    {PxTurn::Right90, "-rotate 90", PxTurn::Left90, 4},
    {PxTurn::Half, "-rotate 180", PxTurn::Half, 2},
    {PxTurn::Left90, "-rotate 270", PxTurn::Right90, 4},
    {PxTurn::MirrorLeftRight, "-flip horizontal", PxTurn::MirrorLeftRight, 2},
    {PxTurn::MirrorTopBottom, "-flip vertical", PxTurn::MirrorTopBottom, 2},
};

} // namespace

TEST_F(LosslessTurnTest, EveryTurnIsJpegtransAndComesBackToTheSamePixels)
{
    // 4:2:0, 4:4:4, 4:2:2 (whose quarter turn is 4:4:0), grey and progressive sources.
    const struct {
        const char* sampling;
        const char* options;
    } sources[] = {{"2x2", ""}, {"1x1", ""}, {"2x1", ""}, {"1x1", "-colorspace Gray"}, {"2x2", "-interlace JPEG"}};
    for (const auto& s : sources) {
        const QByteArray source = photo(96, 64, s.sampling, s.options);
        const SdkBitmapHandle original = decode(source);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(s.sampling) + " " + s.options + " " + c.jpegtranArgs);
            QByteArray turned;
            ASSERT_EQ(PX_LosslessTurnMemory(source, c.turn, &turned), PX_SUCCESS);
            // The same blocks as jpegtran moves them: the decoded pictures are equal.
            EXPECT_TRUE(samePixels(decode(turned), decode(jpegtran(source, c.jpegtranArgs))));
            // The inverse, and the same turn repeated, give back the source's pixels exactly.
            QByteArray back;
            ASSERT_EQ(PX_LosslessTurnMemory(turned, c.inverse, &back), PX_SUCCESS);
            EXPECT_TRUE(samePixels(decode(back), original));
            QByteArray round = source;
            for (int i = 0; i < c.turnsToOriginal; ++i) {
                QByteArray next;
                ASSERT_EQ(PX_LosslessTurnMemory(round, c.turn, &next), PX_SUCCESS);
                round = next;
            }
            EXPECT_TRUE(samePixels(decode(round), original));
            // An optimised source keeps its size (within 2 %) through the round.
            EXPECT_LT(std::abs(round.size() - source.size()), source.size() / 50) << round.size() << " " << source.size();
        }
    }
}

TEST_F(LosslessTurnTest, ASizeThatSplitsBlocksIsLeftToTheDecodedTurn)
{
    // 4:2:0 blocks are 16 x 16, 4:4:4 blocks 8 x 8. A turn that would move a partial block at the
    // right or bottom edge to the left or top is refused, and the data is left alone.
    struct Size {
        int w, h;
        const char* sampling;
        bool right, half, left, mirrorLeftRight, mirrorTopBottom;
    };
    const Size sizes[] = {
        {72, 40, "2x2", false, false, false, false, false},
        {80, 40, "2x2", false, false, true, true, false},
        {72, 48, "2x2", true, false, false, false, true},
        {72, 40, "1x1", true, true, true, true, true},
        {75, 41, "1x1", false, false, false, false, false},
    };
    for (const Size& s : sizes) {
        const QByteArray source = photo(s.w, s.h, s.sampling);
        const bool perfect[] = {s.right, s.half, s.left, s.mirrorLeftRight, s.mirrorTopBottom};
        const PxTurn turns[] = {PxTurn::Right90, PxTurn::Half, PxTurn::Left90, PxTurn::MirrorLeftRight, PxTurn::MirrorTopBottom};
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(QString("%1x%2 %3 turn %4").arg(s.w).arg(s.h).arg(s.sampling).arg(i).toStdString());
            QByteArray turned("left over");
            const int r = PX_LosslessTurnMemory(source, turns[i], &turned);
            EXPECT_EQ(r, perfect[i] ? PX_SUCCESS : PXERR_UNSUPPORTED);
            if (!perfect[i]) {
                EXPECT_TRUE(turned.isEmpty());
            } else if (r == PX_SUCCESS) {
                // The partial blocks stay at the edge they were on: the same picture as jpegtran's.
                EXPECT_TRUE(samePixels(decode(turned), decode(jpegtran(source, cases[i].jpegtranArgs))));
            }
        }
    }
}

TEST_F(LosslessTurnTest, MarkersAndProgressionStay)
{
    // A comment and a progressive source: both are what they were after the turn.
    const QByteArray source = photo(64, 48, "2x2", "-interlace JPEG -set comment 'Sommer am See'");
    QByteArray turned;
    ASSERT_EQ(PX_LosslessTurnMemory(source, PxTurn::Right90, &turned), PX_SUCCESS);
    write(host("turned.jpg"), turned);
    EXPECT_EQ(mustRun("identify -format '%c|%[interlace]|%wx%h' " + quoted(host("turned.jpg"))), "Sommer am See|JPEG|48x64");

    // A baseline file with a comment keeps it also when its tables are made anew.
    const QByteArray baseline = photo(64, 48, "2x2", "-set comment 'Winter'");
    ASSERT_EQ(PX_LosslessTurnMemory(baseline, PxTurn::Left90, &turned), PX_SUCCESS);
    write(host("baseline.jpg"), turned);
    EXPECT_EQ(mustRun("identify -format '%c|%[interlace]' " + quoted(host("baseline.jpg"))), "Winter|None");
}

TEST_F(LosslessTurnTest, WhatIsNoJpegOrTooLargeIsRefusedAndTheFileStays)
{
    QByteArray out;
    EXPECT_EQ(PX_LosslessTurnMemory(QByteArray(), PxTurn::Half, &out), PXERR_UNSUPPORTED);
    EXPECT_EQ(PX_LosslessTurnMemory("\x89PNG\r\n\x1a\n not a jpeg", PxTurn::Half, &out), PXERR_UNSUPPORTED);
    // A header that declares 400 megapixels is refused before anything is allocated.
    const QByteArray huge = testsupport::withJpegFrameSize(testsupport::jpegBytes(16, 16), 20000, 20000);
    EXPECT_EQ(PX_LosslessTurnMemory(huge, PxTurn::Right90, &out), PXERR_NOMEMORY);
    // A file that ends inside its headers is left to the decoder, which reports it.
    QByteArray broken = photo(64, 48, "2x2");
    broken.truncate(broken.indexOf("\xFF\xDA") + 4);
    EXPECT_EQ(PX_LosslessTurnMemory(broken, PxTurn::Right90, &out), PXERR_UNSUPPORTED);
    EXPECT_TRUE(out.isEmpty());
}
