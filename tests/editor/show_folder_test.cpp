// The show folder as it is on disk: leftovers of cut-short saves go when a show is opened or the
// program starts, a folder that takes no file or is gone is said to be so, and many pictures
// added at once find their names through one listing of the folder.
#include "pictures_fixture.h"
#include "support/readonlymount.h"
#include "support/smalldisk.h"

#include <QFile>
#include <optional>

#include <QTest>

namespace {

class ShowFolderTest : public PicturesTest {
protected:
    // A show "Quorbel_0005" on disk holding the given pictures.
    void makeStoredShow(const QStringList& pictures, int width = 60, int height = 40)
    {
        const QString dir = hostD("Quorbel/Quorbel_0005");
        QDir().mkpath(dir);
        writeAll(dir + "/Quorbel.ini", "[QUORBEL]\r\nTitel=Stored\r\nTime=3\r\n");
        QByteArray lines;
        for (const QString& p : pictures) {
            makeJpeg(dir + "/" + p, width, height);
            lines += p.toLatin1() + " | " + p.left(1).toLatin1() + "\r\n";
        }
        writeAll(dir + "/Pictures.ini", lines);
    }
};

} // namespace

TEST_F(ShowFolderTest, LeftoversOfCutShortSavesGoWhenAShowOpensOrTheProgramStarts)
{
    if (!haveTools()) GTEST_SKIP();
    makeStoredShow({"a.jpg"});
    const QString dir = hostD("Quorbel/Quorbel_0005");
    writeAll(dir + "/.~write5e1f0a", "half a picture");
    writeAll(dir + "/.~notours", "someone else's");
    writeAll(hostD("Quorbel/.~write77"), "half a Settings.ini");
    writeAll(hostProgram(".~writeabc"), "half a Generator.ini");
    writeAll(hostProgram("thumbs/.~write1"), "half a thumbnail");
    createWithNewShow();
    EXPECT_FALSE(QFile::exists(hostD("Quorbel/.~write77")));
    EXPECT_FALSE(QFile::exists(hostProgram(".~writeabc")));
    EXPECT_FALSE(QFile::exists(hostProgram("thumbs/.~write1")));
    EXPECT_TRUE(QFile::exists(dir + "/.~write5e1f0a")); // no show of it open yet
    form->OpenShow("Quorbel_0005");
    EXPECT_FALSE(QFile::exists(dir + "/.~write5e1f0a"));
    EXPECT_TRUE(QFile::exists(dir + "/.~notours"));
    EXPECT_EQ(showLines(), QStringList({"a.jpg | a"}));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('\n').toStdString();
}

TEST_F(ShowFolderTest, ATurnInAReadOnlyShowFolderSaysTheFolderCannotBeWritten)
{
    if (!haveTools()) GTEST_SKIP();
    makeStoredShow({"a.jpg"});
    createWithNewShow();
    form->OpenShow("Quorbel_0005");
    const QByteArray before = readAll(hostD("Quorbel/Quorbel_0005/a.jpg"));
    clickShowItem(0);
    testsupport::ReadOnlyMount readOnly(hostD("Quorbel/Quorbel_0005"));
    if (!readOnly.ready()) GTEST_SKIP() << readOnly.why();
    dialogs.clear();
    form->SpeedButton5Click();
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    const QString text = dialogs.messageTexts()[0];
    EXPECT_TRUE(text.contains("The show folder D:\\Quorbel\\Quorbel_0005\\ cannot be written")) << text.toStdString();
    EXPECT_TRUE(text.contains("Read-only file system")) << text.toStdString();
    EXPECT_FALSE(text.contains("Not able to open file")) << text.toStdString();
    EXPECT_EQ(readAll(hostD("Quorbel/Quorbel_0005/a.jpg")), before);
    EXPECT_EQ(form->UndoDepth, 0);
}

TEST_F(ShowFolderTest, ATurnThatCannotBeWrittenLeavesThePictureAndTheUndoStoreAsTheyWere)
{
    if (!haveTools()) GTEST_SKIP();
    // 64 x 48 is turned without decoding, 60 x 40 (whose rows split its blocks) decoded and encoded.
    const struct {
        const char* name;
        int width, height;
        bool readOnly; // else the disk is full
        const char* says;
    } cases[] = {
        {"full disk, lossless", 64, 48, false, "Error writing file D:\\Quorbel\\Quorbel_0005\\a.jpg ("},
        {"full disk, decoded", 60, 40, false, "Error writing file"},
        {"read-only folder, lossless", 64, 48, true, "The show folder D:\\Quorbel\\Quorbel_0005\\ cannot be written (Read-only file system)"},
        {"read-only folder, decoded", 60, 40, true, "The show folder D:\\Quorbel\\Quorbel_0005\\ cannot be written (Read-only file system)"},
    };
    const QString dir = hostD("Quorbel/Quorbel_0005");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::SmallDisk disk(dir, "256k");
        if (!disk.ready()) GTEST_SKIP() << disk.why();
        makeStoredShow({"a.jpg"}, c.width, c.height);
        createWithNewShow();
        form->OpenShow("Quorbel_0005");
        clickShowItem(0);
        // A turn that is written: the undo store holds the picture as it was before it.
        form->SpeedButton5Click();
        ASSERT_EQ(form->UndoDepth, 1);
        const QByteArray original = readAll(hostProgram("UNDO_1.jpg"));
        const QByteArray turned = readAll(dir + "/a.jpg");
        ASSERT_FALSE(original.isEmpty());
        ASSERT_NE(turned, original);

        std::optional<testsupport::ReadOnlyMount> readOnly;
        if (c.readOnly) {
            readOnly.emplace(dir);
            if (!readOnly->ready()) GTEST_SKIP() << readOnly->why();
        } else {
            QFile filler(dir + "/filler");
            ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray page(4096, 'x');
            while (filler.write(page) == page.size()) {
            }
            ASSERT_TRUE(filler.write("x", 1) != 1); // nothing more fits
        }
        dialogs.clear();
        form->SpeedButton5Click();
        ASSERT_EQ(dialogs.messageTexts().size(), 1);
        EXPECT_TRUE(dialogs.messageTexts()[0].contains(c.says)) << dialogs.messageTexts()[0].toStdString();
        EXPECT_FALSE(dialogs.messageTexts()[0].contains("()")) << "the host's reason is missing"; // it is in the user's language
        // The picture, the undo store and the folder are as they were.
        EXPECT_EQ(readAll(dir + "/a.jpg"), turned);
        EXPECT_EQ(form->UndoDepth, 1);
        EXPECT_EQ(readAll(hostProgram("UNDO_1.jpg")), original);
        EXPECT_FALSE(QFile::exists(hostProgram("UNDO_2.jpg")));
        EXPECT_TRUE(QDir(dir).entryList({".~write*"}, QDir::Files | QDir::Hidden).isEmpty());

        // Once the folder takes files again, the undo gives back the original bytes.
        readOnly.reset();
        QFile::remove(dir + "/filler");
        dialogs.clear();
        form->UndoBitBtnClick();
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('\n').toStdString();
        EXPECT_EQ(readAll(dir + "/a.jpg"), original);
        EXPECT_EQ(form->UndoDepth, 0);
        form.reset();
    }
}

TEST_F(ShowFolderTest, AShowFolderDeletedWhileOpenIsNotMadeAgainByAdding)
{
    if (!haveTools()) GTEST_SKIP();
    makeStoredShow({"a.jpg", "b.jpg"});
    for (const char* name : {"new1.jpg", "new2.jpg"}) makeJpeg(srcHost(name), 40, 30);
    createWithNewShow();
    form->OpenShow("Quorbel_0005");
    chooseSource("new1.jpg");
    ASSERT_TRUE(QDir(hostD("Quorbel/Quorbel_0005")).removeRecursively());
    dialogs.clear();
    form->SpeedButton2Click(); // ">>": both pictures
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList({"The show folder D:\\Quorbel\\Quorbel_0005\\ is gone: nothing is added. Open or create a show."}));
    EXPECT_FALSE(QFileInfo::exists(hostD("Quorbel/Quorbel_0005")));
    EXPECT_EQ(showLines(), QStringList({"a.jpg | a", "b.jpg | b"}));

    // A new show has no folder before its first picture: that one makes it.
    createWithNewShow();
    chooseSource("new1.jpg");
    dialogs.clear();
    selectSource({0});
    form->SpeedButton1Click();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('\n').toStdString();
    EXPECT_EQ(picturesIni(), QStringList({"new1.jpg"}));
}

TEST_F(ShowFolderTest, PicturesAddedAtOnceGetFreeNamesWhateverTheCaseOfThoseThere)
{
    if (!haveTools()) GTEST_SKIP();
    makeStoredShow({"A.JPG"});
    for (const char* name : {"a.jpg", "b.jpg", "B.JPG"}) makeJpeg(srcHost(name), 40, 30);
    createWithNewShow();
    form->OpenShow("Quorbel_0005");
    chooseSource("a.jpg");
    form->SpeedButton2Click();
    // Within one listing of the folder, every name the adding made is seen by the next one.
    QStringList files = QDir(hostD("Quorbel/Quorbel_0005")).entryList({"*.jpg"}, QDir::Files);
    files.sort(Qt::CaseInsensitive);
    EXPECT_EQ(showLines().size(), 4);
    QStringList names;
    for (const QString& line : showLines()) names << line.section(" | ", 0, 0);
    EXPECT_EQ(names.size(), 4);
    for (int i = 0; i < names.size(); ++i)
        for (int j = i + 1; j < names.size(); ++j) EXPECT_NE(names[i].toUpper(), names[j].toUpper()) << names.join(' ').toStdString();
    for (const QString& name : names) EXPECT_TRUE(QFile::exists(hostD("Quorbel/Quorbel_0005/" + name))) << name.toStdString();
    for (const QString& name : names)
        EXPECT_TRUE(QFile::exists(hostD("Quorbel/Quorbel_0005/_THUMB_" + name))) << name.toStdString();
}

TEST_F(ShowFolderTest, OpeningAShowKeepsEveryPictureItCanAndNamesEveryLineItLeavesOut)
{
    if (!haveTools()) GTEST_SKIP();
    const QString dir = hostD("Quorbel/Quorbel_0005");
    QDir().mkpath(dir + "/sub");
    writeAll(dir + "/Quorbel.ini", "[QUORBEL]\r\nTitel=Stored\r\nTime=3\r\n");
    const QString longName = QString(230, u'x') + ".jpg";
    const QString tooLong = QString(300, u'y') + ".jpg";
    makeJpeg(dir + "/a.jpg", 60, 40);
    makeJpeg(dir + "/" + QString::fromUtf8("Grüße.jpg"), 60, 40);
    makeJpeg(dir + "/" + QString::fromUtf8("日本.jpg"), 60, 40);
    makeJpeg(dir + "/" + longName, 60, 40);
    makeJpeg(dir + "/Case.jpg", 60, 40, "", "gradient:white-white");
    makeJpeg(dir + "/CASE.jpg", 60, 40, "", "gradient:black-black");
    // Lines in Windows-1252 as this program writes them, and two in UTF-8 as others do.
    const QByteArray ini = "a.jpg | A\r\n" + QString::fromUtf8("Grüße.jpg | Süß").toUtf8() + "\r\n"
                           + QString::fromUtf8("日本.jpg | Japan").toUtf8() + "\r\n" + longName.toLatin1() + " | long\r\n"
                           + tooLong.toLatin1() + " | longer\r\nCase.jpg | one\r\nCASE.jpg | two\r\nmissing.jpg | gone\r\n"
                           + "..\\outside.jpg | out\r\nsub | folder\r\n\r\n";
    writeAll(dir + "/Pictures.ini", ini);

    createWithNewShow();
    dialogs.clear();
    form->OpenShow("Quorbel_0005");
    const QString cut = QString(196, u'x') + ".jpg";
    const QStringList kept = {"a.jpg | A", QString::fromUtf8("Grüße.jpg | Süß"), "__.jpg | Japan", cut + " | long",
                              "Case.jpg | one", "CASE_1.jpg | two"};
    EXPECT_EQ(showLines(), kept);
    EXPECT_EQ(picturesIni(), kept);
    for (const QString& line : kept) {
        const QString name = line.section(" | ", 0, 0);
        EXPECT_TRUE(QFile::exists(dir + "/" + name)) << name.toStdString();
        EXPECT_TRUE(QFile::exists(dir + "/_THUMB_" + name)) << name.toStdString();
    }
    // Each of the two pictures shows itself, not the other.
    EXPECT_NE(readAll(dir + "/_THUMB_Case.jpg"), readAll(dir + "/_THUMB_CASE_1.jpg"));

    ASSERT_EQ(dialogs.messageTexts().size(), 1) << dialogs.messageTexts().join('\n').toStdString();
    const QStringList lines = dialogs.messageTexts()[0].split('\n');
    EXPECT_EQ(lines.value(0), "These lines of D:\\Quorbel\\Quorbel_0005\\Pictures.ini are left out of the show:");
    EXPECT_EQ(lines.mid(1), QStringList({"\"" + tooLong + " | longer\": no such file in the show folder",
                                         "\"missing.jpg | gone\": no such file in the show folder",
                                         "\"..\\outside.jpg | out\": not a file name inside the show folder",
                                         "\"sub | folder\": a folder, not a picture"}));
}
