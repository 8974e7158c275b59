#include "audiofixtures.h"
#include "output/audio/id3.h"
#include "support/fixture.h"

using namespace audio;
using namespace audiotest;
using testsupport::WorldTest;

namespace {

class Id3Test : public WorldTest {
protected:
    void SetUp() override
    {
        QString missing;
        if (!havePrograms({"sox", "lame", "id3v2"}, &missing)) GTEST_SKIP() << "missing " << missing.toStdString();
    }
    QString host(const QString& name) const { return world.hostC() + "/" + name; }
    static QString win(const QString& name) { return "C:\\" + name; }
};

QByteArray latin1Field(const char* text, int width, char fill = '\0')
{
    QByteArray b(text);
    b.append(QByteArray(width - b.size(), fill));
    return b;
}

} // namespace

TEST_F(Id3Test, Version1TagWrittenByTheTaggerIsReadWithTrackAndGenre)
{
    ASSERT_TRUE(makeMp3(host("t.mp3"), 44100, 2, 1, "-b 128"));
    ASSERT_TRUE(shellIn(world.hostC(), "id3v2 -1 -t 'Title One' -a 'Some Artist' -A 'An Album' -y 1999 "
                                       "-c 'A comment' -T 7 -g 17 t.mp3"));
    TID3v1 tag;
    ASSERT_TRUE(tag.ReadFromFile(win("T.MP3")));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.VersionID(), 2);
    EXPECT_EQ(tag.Title(), "Title One");
    EXPECT_EQ(tag.Artist(), "Some Artist");
    EXPECT_EQ(tag.Album(), "An Album");
    EXPECT_EQ(tag.Year(), "1999");
    EXPECT_EQ(tag.Comment(), "A comment");
    EXPECT_EQ(tag.Track(), 7);
    EXPECT_EQ(tag.GenreID(), 17);
    EXPECT_EQ(tag.Genre(), "Rock");
}

TEST_F(Id3Test, Version1VariantsAndFilesWithoutATag)
{
    // ID3v1.0: a full 30-byte comment padded with blanks, no track.
    QByteArray v10 = "TAG" + latin1Field("Song", 30, ' ') + latin1Field("Band", 30) + latin1Field("", 30)
        + latin1Field("2003", 4) + latin1Field("thirty characters of comment!!", 30, ' ') + char(147);
    ASSERT_EQ(v10.size(), 128);
    ASSERT_TRUE(writeHost(host("v10.mp3"), QByteArray(500, 'x') + v10));
    TID3v1 tag;
    ASSERT_TRUE(tag.ReadFromFile(win("v10.mp3")));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.VersionID(), 1);
    EXPECT_EQ(tag.Title(), "Song");
    EXPECT_EQ(tag.Comment(), "thirty characters of comment!!");
    EXPECT_EQ(tag.Track(), 0);
    EXPECT_EQ(tag.Genre(), "Synthpop");

    // A genre id beyond the table has no name.
    v10[127] = char(200);
    ASSERT_TRUE(writeHost(host("v10.mp3"), v10));
    ASSERT_TRUE(tag.ReadFromFile(win("v10.mp3")));
    EXPECT_EQ(tag.GenreID(), 200);
    EXPECT_EQ(tag.Genre(), "");

    // No tag, a file shorter than a tag, an empty file: read, but no tag.
    for (const QByteArray& bytes : {QByteArray(4000, 'y'), QByteArray(127, 'T'), QByteArray()}) {
        ASSERT_TRUE(writeHost(host("plain.mp3"), bytes));
        ASSERT_TRUE(tag.ReadFromFile(win("plain.mp3"))) << bytes.size();
        EXPECT_FALSE(tag.Exists());
        EXPECT_EQ(tag.Title(), "");
        EXPECT_EQ(tag.GenreID(), 255);
    }
    EXPECT_FALSE(tag.ReadFromFile(win("missing.mp3")));
}

TEST_F(Id3Test, Version23TagWrittenByTheTaggerIsDecoded)
{
    ASSERT_TRUE(makeMp3(host("t.mp3"), 44100, 2, 1, "-b 128"));
    const qint64 before = readHost(host("t.mp3")).size();
    ASSERT_TRUE(shellIn(world.hostC(), "id3v2 -2 -t 'Title Two' -a 'Artist' -A 'Album' -y 2001 "
                                       "-c ':The comment:eng' -T 3/12 --TCON '(17)Rock' t.mp3"));
    const qint64 after = readHost(host("t.mp3")).size();
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(win("t.mp3")));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.VersionID(), 3);
    EXPECT_EQ(tag.Size(), after - before); // the tagger put the tag in front of the audio
    EXPECT_EQ(tag.Title(), "Title Two");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Album(), "Album");
    EXPECT_EQ(tag.Year(), "2001");
    EXPECT_EQ(tag.Track(), 3);
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(tag.Comment(), "The comment");
}

TEST_F(Id3Test, Version24TagGivesItsSizeButNoTexts)
{
    const QByteArray tag24 = id3v2Tag(4, id3v2Frame("TIT2", QByteArray("\0Hidden", 7)), 600);
    ASSERT_TRUE(writeHost(host("v24.mp3"), tag24 + QByteArray(1000, 'a')));
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(win("v24.mp3")));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.VersionID(), 4);
    EXPECT_EQ(tag.Size(), 600);
    EXPECT_EQ(tag.Title(), "");
}

TEST_F(Id3Test, LongTextFrameGivesItsFirst250BytesAndTheNextFrameIsStillFound)
{
    QByteArray longTitle = QByteArray(1, '\0') + QByteArray(299, 'L');
    const QByteArray frames = id3v2Frame("TIT2", longTitle) + id3v2Frame("TPE1", QByteArray("\0After", 6))
        + id3v2Frame("TRCK", QByteArray("\0twelve", 7));
    ASSERT_TRUE(writeHost(host("long.mp3"), id3v2Tag(3, frames, 1024) + QByteArray(2000, 'a')));
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(win("long.mp3")));
    EXPECT_EQ(tag.Title(), QString(249, 'L')); // 250 bytes, the encoding byte trimmed away
    EXPECT_EQ(tag.Artist(), "After");
    EXPECT_EQ(tag.Track(), 0); // not a number
}

TEST_F(Id3Test, Version2SizesAndShortFiles)
{
    TID3v2 tag;
    // A tag that claims more bytes than the file holds counts as size 0.
    QByteArray big = id3v2Tag(3, id3v2Frame("TIT2", QByteArray("\0X", 2)), 5000);
    ASSERT_TRUE(writeHost(host("cut.mp3"), big.left(3000)));
    ASSERT_TRUE(tag.ReadFromFile(win("cut.mp3")));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.Size(), 0);
    EXPECT_EQ(tag.Title(), "");

    // Without a tag the read succeeds; fewer than 10 bytes, or no file, it does not.
    ASSERT_TRUE(writeHost(host("none.mp3"), QByteArray(50, 'n')));
    EXPECT_TRUE(tag.ReadFromFile(win("none.mp3")));
    EXPECT_FALSE(tag.Exists());
    EXPECT_EQ(tag.Size(), 0);
    ASSERT_TRUE(writeHost(host("short.mp3"), "ID3\x03"));
    EXPECT_FALSE(tag.ReadFromFile(win("short.mp3")));
    EXPECT_FALSE(tag.Exists());
    EXPECT_FALSE(tag.ReadFromFile(win("missing.mp3")));
}
