#include "show/showfiles.h"
#include "editor/editor_fixture.h"

using namespace show;

namespace {
const QString Root = QStringLiteral("D:\\Quorbel\\");
}

class ShowFilesTest : public EditorTest {
protected:
    void SetUp() override { QDir().mkpath(hostD("Quorbel")); } // no program directory needed
    void TearDown() override {}
    void folder(const QString& name) { QDir().mkpath(hostD("Quorbel/" + name)); }
    void file(const QString& rel, const QByteArray& bytes = "x") { writeAll(hostD("Quorbel/" + rel), bytes); }
};

TEST_F(ShowFilesTest, NextFolderNameCountsOnFromTheLargestNumber)
{
    struct Case {
        QStringList folders;
        QStringList files;
        QString expected;
    };
    const Case cases[] = {
        {{}, {}, "Quorbel_0001"},
        {{"Quorbel_0001", "Quorbel_0003", "Quorbel_Extra"}, {}, "Quorbel_0004"}, // gaps are not reused
        {{"x_12.old", "del"}, {}, "Quorbel_0001"},                                 // a dot skips the name
        {{"Holiday_0041"}, {"Quorbel_0090"}, "Quorbel_0042"},                     // files do not count
        {{"Quorbel_9999"}, {}, "Quorbel_10000"},
        {{"a__7"}, {}, "Quorbel_0008"},                                            // runs of "_" are one separator
    };
    for (const Case& c : cases) {
        QDir(hostD("Quorbel")).removeRecursively();
        QDir().mkpath(hostD("Quorbel"));
        for (const QString& f : c.folders) folder(f);
        for (const QString& f : c.files) file(f);
        EXPECT_EQ(NextShowFolderName(Root), c.expected) << c.folders.join(",").toStdString();
    }
}

TEST_F(ShowFilesTest, SecondsAreNormalisedToAWholeNumberOfAtLeastOne)
{
    const std::pair<const char*, const char*> cases[] = {
        {"4,5", "4"}, {"4.5", "4"}, {" 7 ", "7"}, {"", "3"}, {"abc", "3"}, {"0", "3"}, {"-2", "3"}, {"12x", "3"}, {"+5", "5"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(NormaliseSeconds(QString::fromUtf8(in)), QLatin1String(out)) << in;
}

TEST_F(ShowFilesTest, ShowItemLineIsEverythingAfterTheFirstAngleBracketAsTyped)
{
    const QString item = ShowItem(Root + "Quorbel_0001\\", "a.jpg", "a.jpg | 3 > 2 <b>");
    // The line is text in the markup: it never closes the tag or turns into one.
    EXPECT_EQ(item, "<IMG src=\"file://D:\\Quorbel\\Quorbel_0001\\_THUMB_a.jpg\" align=\"top\">a.jpg | 3 &gt; 2 &lt;b&gt;");
    EXPECT_EQ(ItemLine(item), "a.jpg | 3 > 2 <b>");
    const PictureEntry e = ParsePictureLine(ItemLine(item));
    EXPECT_EQ(e.file, "a.jpg");
    EXPECT_EQ(e.caption, "3 > 2 <b>");
    // A caption holding "|" is cut at it.
    EXPECT_EQ(ParsePictureLine("b.jpg | left | right").caption, "left");
}

TEST_F(ShowFilesTest, PictureListKeepsOnlyBareNamesThatExistInTheFolder)
{
    file("Quorbel_0001/a.jpg");
    file("Quorbel_0001/b.jpg");
    file("outside.jpg");
    file("Quorbel_0001/Pictures.ini", "b.jpg | Second first\r\n"
                                       "missing.jpg | gone\r\n"
                                       "..\\outside.jpg | up\r\n"
                                       "../outside.jpg\r\n"
                                       "D:\\Quorbel\\outside.jpg | drive\r\n"
                                       ".. | dots\r\n"
                                       " | no name\r\n"
                                       "a.jpg\r\n");
    const auto list = ReadPictureList(Root + "Quorbel_0001\\");
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].file, "b.jpg");
    EXPECT_EQ(list[0].caption, "Second first");
    EXPECT_EQ(list[1].file, "a.jpg");
    EXPECT_EQ(list[1].caption, "");
    // Without a caption the line is the name alone; with one, name, " | " and caption.
    EXPECT_EQ(PictureLine(list[1]), "a.jpg");
    EXPECT_EQ(PictureLine(list[0]), "b.jpg | Second first");
}

TEST_F(ShowFilesTest, ShowInfoKnowsThePlaceholder)
{
    file("del/Quorbel.ini", "[QUORBEL]\r\nTitel=  specialDummy \r\nTime=3\r\n");
    file("Quorbel_0001/Quorbel.ini", "[quorbel]\r\ntitel= Summer \r\ntime= 4,5 \r\n");
    const ShowInfo del = ReadShowInfo(Root + "del\\");
    EXPECT_TRUE(del.exists && del.placeholder);
    EXPECT_TRUE(del.title.isEmpty());
    const ShowInfo show = ReadShowInfo(Root + "Quorbel_0001");
    EXPECT_TRUE(show.exists);
    EXPECT_FALSE(show.placeholder);
    EXPECT_EQ(show.title, "Summer");
    EXPECT_EQ(show.time, "4,5");
    EXPECT_FALSE(ReadShowInfo(Root + "Quorbel_0009\\").exists);
}

TEST_F(ShowFilesTest, ChooserListsShowsByTheirExactFolderNames)
{
    for (const QString name : {"Quorbel_0001", "My Show", "Quorbel_0001 - Copy", "Model", "del", "a.b"})
        file(name + "/Quorbel.ini", "[QUORBEL]\r\nTitel=T " + name.toUtf8() + "\r\n");
    folder("Empty");
    const auto shows = ListShows(Root);
    QStringList folders, texts;
    for (const auto& s : shows) {
        folders << s.folder;
        texts << s.text();
    }
    EXPECT_EQ(folders, QStringList({"My Show", "Quorbel_0001", "Quorbel_0001 - Copy"}));
    EXPECT_EQ(texts[0], "My Show T My Show");
}

TEST_F(ShowFilesTest, OnlyAFolderDirectlyInsideTheRootIsOfferedForDeletion)
{
    folder("Quorbel_0001");
    folder("My Show");
    EXPECT_EQ(ShowFolderToDelete(Root, "Quorbel_0001"), Root + "Quorbel_0001");
    EXPECT_EQ(ShowFolderToDelete(Root, "My Show"), Root + "My Show");
    for (const QString bad : {"", " ", ".", "..", "..\\Quorbel", "Quorbel_0001\\..", "D:", "C:\\", "/", "Quorbel_0099", " My Show"})
        EXPECT_TRUE(ShowFolderToDelete(Root, bad).isEmpty()) << bad.toStdString();
}

TEST_F(ShowFilesTest, StaleThumbnailsGoAndPicturesStay)
{
    for (const QString f : {"a_b.jpg", "c.jpg", "_THUMB_a_b.jpg", "_THUMB_c.jpg", "_THUMB_gone.jpg", "_THUMB_1c.jpg", "gone.txt",
                            "_THUMB_listed.jpg"})
        file("S/" + f);
    // A picture of the show named like a thumbnail (no "listed.jpg" beside it) is a picture.
    file("S/Pictures.ini", "c.jpg | C\r\n_THUMB_listed.jpg | mine\r\n");
    DeleteStaleThumbnails(Root + "S\\");
    QStringList left = QDir(hostD("Quorbel/S")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left, QStringList({"Pictures.ini", "_THUMB_a_b.jpg", "_THUMB_c.jpg", "_THUMB_listed.jpg", "a_b.jpg", "c.jpg", "gone.txt"}));
}

