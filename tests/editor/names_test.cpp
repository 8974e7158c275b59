// What the user named and typed: pictures named like the program's own files are never taken for
// them, names and captions are text in the lists and in "Pictures.ini", and a picture that a list
// change or an edit cannot reach is reported with its file.
#include "controls/markup.h"
#include "pictures_fixture.h"
#include "platform/textcodec.h"

#include <QTest>
#include <QToolButton>

using platform::MessageKind;

namespace {

class NamesTest : public PicturesTest {
protected:
    // What the show list's renderer shows of an item, and whether any of it came out styled.
    struct Shown {
        QString text;
        bool styled = false;
    };
    static Shown shown(const QString& item)
    {
        controls::HTMLItemResult result;
        controls::MarkupLayout layout;
        controls::LayoutHTMLItem(nullptr, QFont(), Qt::black, Qt::white, item, QRect(0, 0, 4000, 70), {}, result, &layout);
        Shown s{result.PlainText};
        for (const controls::MarkupOp& op : layout.ops)
            if (op.kind == controls::MarkupOp::Text && (op.font.bold() || op.font.italic() || op.font.underline())) s.styled = true;
        return s;
    }
    QStringList shownLines() const
    {
        QStringList lines;
        for (int i = 0; i < form->QuorbelListBox->Count(); ++i) {
            const Shown s = shown(form->QuorbelListBox->Items()[i]);
            EXPECT_FALSE(s.styled) << s.text.toStdString();
            lines << s.text;
        }
        return lines;
    }
    // Files of the show folder and their contents, thumbnails left out.
    QMap<QString, QByteArray> pictures() const
    {
        QMap<QString, QByteArray> files = snapshot(showHost());
        for (auto it = files.begin(); it != files.end();)
            it = it.key().startsWith("_THUMB_") || it.key().endsWith(".ini") ? files.erase(it) : std::next(it);
        return files;
    }
};

} // namespace

TEST_F(NamesTest, PicturesNamedLikeTheProgramsOwnFilesAreStoredUnderSafeNames)
{
    if (!haveTools()) GTEST_SKIP();
    const struct {
        const char* source;
        const char* stored;
    } cases[] = {
        {"_THUMB_beach.jpg", "-THUMB-beach.jpg"},
        {"_print_sunset.jpg", "-print-sunset.jpg"},
        {"UNDO_1.jpg", "UNDO-1.jpg"},
        {"beach.jpg", "beach.jpg"}, // its thumbnail would be the first picture's name
        {"my_THUMB_.jpg", "my_THUMB_.jpg"},
    };
    int size = 20;
    for (const auto& c : cases) makeJpeg(srcHost(c.source), size += 4, 20);
    createWithNewShow();
    QMap<QString, QByteArray> expected;
    QStringList lines;
    for (const auto& c : cases) {
        form->AddPictureToShow(srcWin(c.source), -1);
        expected.insert(c.stored, readAll(srcHost(c.source)));
        lines << c.stored;
    }
    EXPECT_EQ(showLines(), lines);
    EXPECT_EQ(pictures(), expected);
    // Opening the show again and making it leave every picture as it was added.
    form->OpenShow(form->ShowFolder);
    form->DeleteStaleThumbnails();
    EXPECT_EQ(showLines(), lines); // opened again, an uncaptioned line is still its name alone
    EXPECT_EQ(pictures(), expected);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
}

TEST_F(NamesTest, OpeningAShowKeepsEveryLineAndEveryPicture)
{
    if (!haveTools()) GTEST_SKIP();
    createWithNewShow();
    // A show written earlier, by hand or by another program: names and captions with markup
    // characters (Windows-1252), pictures named like the program's files, one name a list item
    // cannot carry.
    const struct {
        const char* file;     // host name, UTF-8
        const char* line;     // as stored, Windows-1252
        const char* reopened; // the line after opening, when it changes
    } cases[] = {
        {"Tassen & Becher.jpg", "Tassen & Becher.jpg | Tassen & Becher <bunt> \xE4 \xE9 \x80", nullptr},
        {"a.jpg", "a.jpg | <b>fett</b> &amp; &lt;i&gt; \"q\" <BR> <z>x</z>", nullptr},
        {"R&amp;B.jpg", "R&amp;B.jpg | 3 > 2", nullptr},
        {"Bild (1) #2.jpg", "Bild (1) #2.jpg | ", "Bild (1) #2.jpg"},
        {"_THUMB_old.jpg", "_THUMB_old.jpg | no old.jpg beside it", "-THUMB-old.jpg | no old.jpg beside it"},
        {"_PRINT_x.jpg", "_PRINT_x.jpg | P", "-PRINT-x.jpg | P"},
        {"a<b>c.jpg", "a<b>c.jpg | angle", "a_b_c.jpg | angle"},
    };
    QByteArray stored, reopened;
    QMap<QString, QByteArray> expected;
    int size = 20;
    for (const auto& c : cases) {
        makeJpeg(showHost(QString::fromUtf8(c.file)), size += 4, 20);
        stored += QByteArray(c.line) + "\r\n";
        const QByteArray after = c.reopened ? QByteArray(c.reopened) : QByteArray(c.line);
        reopened += after + "\r\n";
        const QString name = platform::fromWindows1252(after).section(" | ", 0, 0);
        expected.insert(name, readAll(showHost(QString::fromUtf8(c.file))));
    }
    writeAll(showHost("Pictures.ini"), stored);
    writeAll(showHost("Quorbel.ini"), "[QUORBEL]\r\nTitel=Alt\r\nTime=3\r\n");
    form->OpenShow(form->ShowFolder);
    // Renamed pictures are stored under their new names at once; the rest byte for byte.
    EXPECT_EQ(readAll(showHost("Pictures.ini")), reopened);
    EXPECT_EQ(pictures(), expected);
    form->SavePictureList();
    EXPECT_EQ(readAll(showHost("Pictures.ini")), reopened);
    // The list shows each line as it stands, nothing of it as markup.
    EXPECT_EQ(shownLines(), platform::fromWindows1252(reopened).split("\r\n", Qt::SkipEmptyParts));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
}

TEST_F(NamesTest, ACaptionTypedShowsAsTypedAndIsStoredAsTyped)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("R&amp;B.jpg"), 30, 20);
    makeJpeg(srcHost("Tom & Jerry.jpg"), 30, 20);
    createWithNewShow();
    chooseSource("R&amp;B.jpg");
    QStringList sourceShown;
    for (int i = 0; i < form->FileListBox->Count(); ++i) sourceShown << shown(form->FileListBox->Items()[i]).text;
    EXPECT_EQ(sourceShown, QStringList({"R&amp;B.jpg", "Tom & Jerry.jpg"}));
    selectSource({0, 1});
    form->SpeedButton1Click();
    const QString caption = QString::fromUtf8("Tassen & Becher <bunt> \xC3\xA4 \xC3\xA9 \xE2\x82\xAC &amp; <b>");
    clickShowItem(0);
    form->TextEdit->setText(caption);
    form->TextEditChange();
    EXPECT_EQ(shownLines(), QStringList({"R&amp;B.jpg | " + caption, "Tom & Jerry.jpg"}));
    EXPECT_EQ(readAll(showHost("Pictures.ini")), "R&amp;B.jpg | " + platform::toWindows1252(caption) + "\r\nTom & Jerry.jpg\r\n");
    // Clicking the item again gives the caption back as typed.
    clickShowItem(1);
    clickShowItem(0);
    EXPECT_EQ(form->TextEdit->text(), caption);
    EXPECT_EQ(form->ClickedItemName, "R&amp;B.jpg");
}

TEST_F(NamesTest, PicturesThatCannotBeDeletedStayInTheListAndAreNamed)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"p1.jpg", "p2.jpg", "p3.jpg"}) makeJpeg(srcHost(n), 30, 20);
    createWithNewShow();
    for (const char* n : {"p1.jpg", "p2.jpg", "p3.jpg"}) form->AddPictureToShow(srcWin(n), -1);
    // p2 is read-only: the disk keeps it, so the list keeps it.
    QFile::setPermissions(showHost("p2.jpg"), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QString p2 = form->ShowFolderPath() + "p2.jpg";
    const struct {
        const char* what;
        std::function<void()> remove;
        QStringList listed;
    } cases[] = {
        {"<", [&] { form->SelectShowItem(0); form->QuorbelListBox->setSelected(1, true); form->SpeedButton3Click(); },
         {"p2.jpg", "p3.jpg"}},
        {"<<", [&] { dialogs.confirmAnswers.push_back(platform::mrYes); form->SpeedButton4Click(); }, {"p2.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        c.remove();
        EXPECT_EQ(showLines(), c.listed);
        EXPECT_EQ(picturesIni(), c.listed);
        for (const QString name : {"p1.jpg", "p2.jpg", "p3.jpg"})
            EXPECT_EQ(QFile::exists(showHost(name)), c.listed.contains(name)) << name.toStdString();
        QStringList errors;
        for (const auto& m : dialogs.messages)
            if (m.kind == MessageKind::Error) errors << m.text;
        ASSERT_EQ(errors.size(), 1) << dialogs.messageTexts().join('|').toStdString();
        EXPECT_TRUE(errors[0].contains(p2)) << errors[0].toStdString();
    }
}

TEST_F(NamesTest, AShowFolderRemovedFromOutsideIsReportedByEditAndCaption)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"p1.jpg", "p2.jpg"}) makeJpeg(srcHost(n), 30, 20);
    createWithNewShow();
    for (const char* n : {"p1.jpg", "p2.jpg"}) form->AddPictureToShow(srcWin(n), -1);
    clickShowItem(0);
    ASSERT_TRUE(QDir(showHost()).removeRecursively());
    const QString folder = form->ShowFolderPath();
    const struct {
        const char* what;
        std::function<void()> act;
        QString said;
    } cases[] = {
        {"turn", [&] { form->SpeedButton5Click(); }, "Unable to open " + folder + "p1.jpg: the file is missing"},
        {"mirror", [&] { form->SpeedButton10Click(); }, "Unable to open " + folder + "p1.jpg: the file is missing"},
        {"caption", [&] { form->TextEdit->setText("Strand"); form->TextEditChange(); }, "Unable to write " + folder + "Pictures.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        clickShowItem(0);
        c.act();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(dialogs.messages[0].text, c.said);
    }
    // Nothing was written in the folder's place.
    EXPECT_FALSE(QFileInfo::exists(showHost()));
}
