// The pictures page: the source list, adding, ordering, captioning and removing show pictures.
#include "platform/drives.h"
#include "show/picturelist.h"
#include "pictures_fixture.h"

#include <QComboBox>
#include <QCursor>
#include <QMenu>
#include <QPushButton>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QSpinBox>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

using platform::MessageKind;

namespace {

// The names of the fixture folder and whether the source list takes them.
struct SourceCase {
    const char* name;
    bool listed;
};

} // namespace

TEST_F(PicturesTest, SourceListTakesRegularFilesWhoseNameHoldsDotJpg)
{
    if (!haveTools() || !testsupport::haveHostProgram("jpeginfo")) GTEST_SKIP();
    makeJpeg(srcHost("wide.jpg"), 3000, 2000);
    makeJpeg(srcHost("tall.jpg"), 1000, 3000);
    makeJpeg(srcHost("cmyk.jpg"), 300, 200, "-colorspace CMYK");
    makeJpeg(srcHost("grey.jpg"), 200, 200, "-colorspace Gray");
    makeJpeg(srcHost("progressive.jpg"), 400, 300, "-interlace Plane");
    makeJpeg(srcHost("whole.jpg"), 400, 300, "", "plasma:");
    const QByteArray whole = readAll(srcHost("whole.jpg"));
    QFile::remove(srcHost("whole.jpg"));
    writeAll(srcHost("truncated.jpg"), whole.left(whole.size() / 2));
    // The frame size of a small picture raised to 60000 x 60000 (SOF0: height, then width).
    QByteArray huge = readAll(srcHost("grey.jpg"));
    const qsizetype sof = huge.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    huge[sof + 5] = char(0xEA), huge[sof + 6] = char(0x60), huge[sof + 7] = char(0xEA), huge[sof + 8] = char(0x60);
    writeAll(srcHost("huge.jpg"), huge);
    makeJpeg(srcHost("photo.jpg.bak"), 40, 30);
    makeJpeg(srcHost("photo.jpeg"), 40, 30);
    makeJpeg(srcHost("x.jpg/inner.jpg"), 40, 30); // a folder named x.jpg
    writeAll(srcHost("notes.txt"), "text");
    createWithNewShow();
    chooseSource("wide.jpg");
    EXPECT_EQ(sourceNames(), QStringList({"cmyk.jpg", "grey.jpg", "huge.jpg", "photo.jpg.bak", "progressive.jpg", "tall.jpg",
                                          "truncated.jpg", "wide.jpg"}));
    EXPECT_EQ(form->SourceFolder, "D:\\src\\");
    // Each item shows its cached thumbnail; the huge header leaves none and is named as too large.
    for (int i = 0; i < form->FileListBox->Count(); ++i) {
        const QString name = sourceNames()[i];
        const QString thumb = show::ItemThumbnailPath(form->FileListBox->Items()[i]);
        EXPECT_TRUE(thumb.startsWith(world.programDir() + "thumbs\\")) << thumb.toStdString();
        const QString host = platform::toHostPath(thumb);
        if (name == "huge.jpg") {
            EXPECT_FALSE(QFile::exists(host));
            continue;
        }
        if (name == "truncated.jpg" && !QFile::exists(host)) continue; // none at all is fine too
        int status = 1;
        testsupport::runHost("jpeginfo -c '" + host + "'", &status);
        EXPECT_EQ(status, 0) << name.toStdString();
        const QString size = testsupport::runHost("identify -format %h '" + host + "'");
        EXPECT_EQ(size, "70") << name.toStdString();
        if (name == "wide.jpg") { EXPECT_EQ(testsupport::runHost("identify -format %wx%h '" + host + "'"), "105x70"); }
        if (name == "tall.jpg") { EXPECT_EQ(testsupport::runHost("identify -format %wx%h '" + host + "'"), "23x70"); }
    }
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].startsWith("Too large for a thumbnail")) << dialogs.messageTexts()[0].toStdString();
    EXPECT_TRUE(dialogs.messageTexts()[0].endsWith(": D:\\src\\huge.jpg")) << dialogs.messageTexts()[0].toStdString();
    EXPECT_FALSE(form->PicProgressBar->isVisible());
    EXPECT_EQ(form->StatusBar1->currentMessage(), "");
}

TEST_F(PicturesTest, APictureInsideTheShowRootIsRefusedAsSource)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(hostD("Quorbel/Quorbel_0001/in.jpg"), 20, 20);
    makeJpeg(srcHost("ok.jpg"), 20, 20);
    createWithNewShow();
    dialogs.fileAnswers.push_back({true, {"D:\\Quorbel\\Quorbel_0001\\in.jpg"}});
    dialogs.fileAnswers.push_back({true, {srcWin("ok.jpg")}});
    form->OpenBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10003)}));
    EXPECT_EQ(sourceNames(), QStringList({"ok.jpg"}));
}

TEST_F(PicturesTest, OnlyConvertedCopiesThisRunMadeAreDeleted)
{
    if (!haveTools()) GTEST_SKIP();
    // Pictures of the user's that look like converted copies, some with a "source" beside them.
    const QStringList decoys = {"holiday_JPEG.jpg", "scan_TIFF.jpg", "mine_BMP.jpg", "anim_GIF.jpg", "a.jpg"};
    for (const QString& d : decoys) makeJpeg(srcHost(d), 20, 20);
    writeAll(srcHost("holiday.jpeg"), "jpeg");
    writeAll(srcHost("scan.tif"), "tiff");
    makeJpeg(hostD("other/b.jpg"), 20, 20);
    const auto before = snapshot(srcHost());
    createWithNewShow();
    chooseSource("a.jpg");
    dialogs.fileAnswers.push_back({true, {"D:\\other\\b.jpg"}});
    form->OpenBitBtnClick(); // another folder: the clean-up of the first one runs
    chooseSource("a.jpg");
    form->FormClose();       // and at the end, for the last one
    EXPECT_EQ(snapshot(srcHost()), before);

    // What the program recorded as its own copies goes, and only in the folder asked for.
    QStringList made = {srcWin("scan_TIFF.jpg"), srcWin("a.jpg"), "D:\\other\\b_BMP.jpg", srcWin("gone_GIF.jpg")};
    show::DeleteConvertedCopies(srcWin(), made);
    EXPECT_FALSE(QFile::exists(srcHost("scan_TIFF.jpg")));
    // A recorded name without a copy's mark is not a copy: it stays.
    for (const QString d : {"holiday_JPEG.jpg", "mine_BMP.jpg", "anim_GIF.jpg", "a.jpg", "holiday.jpeg", "scan.tif"})
        EXPECT_EQ(readAll(srcHost(d)), before.value(d)) << d.toStdString();
    EXPECT_EQ(made, QStringList({"D:\\other\\b_BMP.jpg"}));
}

TEST_F(PicturesTest, PicturesOfTheSameNameAreNumbered)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("beach.jpg"), 60, 40);
    makeJpeg(hostD("two/beach.jpg"), 40, 60);
    createWithNewShow();
    const QString folder = form->ShowFolder;
    writeAll(showHost("_THUMB_beach.jpg"), "left from an earlier picture of this name");
    form->AddPictureToShow(srcWin("beach.jpg"), -1);
    EXPECT_EQ(testsupport::runHost("identify -format %wx%h '" + showHost("_THUMB_beach.jpg") + "'"), "105x70");
    form->AddPictureToShow("D:\\two\\beach.jpg", -1);
    form->AddPictureToShow(srcWin("beach.jpg"), -1);
    EXPECT_EQ(showLines(), QStringList({"beach.jpg", "beach_1.jpg", "beach_2.jpg"}));
    EXPECT_EQ(picturesIni(), showLines());
    EXPECT_EQ(readAll(showHost("beach_1.jpg")), readAll(hostD("two/beach.jpg")));
    EXPECT_EQ(testsupport::runHost("identify -format %wx%h '" + showHost("_THUMB_beach_1.jpg") + "'"), "47x70");
    EXPECT_EQ(form->QuorbelListBox->Items()[1],
              "<IMG src=\"file://D:\\Quorbel\\" + folder + "\\_THUMB_beach_1.jpg\" align=\"top\">beach_1.jpg");
    EXPECT_EQ(testsupport::runHost("crudini --get '" + showHost("Quorbel.ini") + "' QUORBEL Titel").trimmed(), "Holiday");
    EXPECT_EQ(form->QuorbelLabel->text(), LangText(594) + " 3 " + LangText(595));
}

TEST_F(PicturesTest, NamesThatPicturesIniCannotCarryAreStoredUnderSafeNames)
{
    if (!haveTools()) GTEST_SKIP();
    const char* hostNames[] = {"a|b.jpg", "what?.jpg", "\xE6\x97\xA5\xE6\x9C\xAC.jpg", " pad.jpg"};
    for (const char* n : hostNames) makeJpeg(srcHost(QString::fromUtf8(n)), 30, 20);
    createWithNewShow();
    for (const char* n : hostNames) form->AddPictureToShow(srcWin(QString::fromUtf8(n)), -1);
    EXPECT_EQ(showLines(), QStringList({"a_b.jpg", "what_.jpg", "__.jpg", "pad.jpg"}));
    // Every stored line names a file of the show, and the show opens with all four.
    for (const QString& line : picturesIni()) EXPECT_TRUE(QFile::exists(showHost(line))) << line.toStdString();
    form->OpenShow(form->ShowFolder);
    EXPECT_EQ(form->QuorbelListBox->Count(), 4);
}

TEST_F(PicturesTest, ThreePicturesDroppedOnRowTwoKeepTheirOrder)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"p1.jpg", "p2.jpg", "p3.jpg", "s1.jpg", "s2.jpg", "s3.jpg"}) makeJpeg(srcHost(n), 30, 20);
    createWithNewShow();
    chooseSource("p1.jpg");
    for (const char* n : {"p1.jpg", "p2.jpg", "p3.jpg"}) form->AddPictureToShow(srcWin(n), -1);
    selectSource({3, 4, 5});
    bool accept = true;
    form->FileListBoxDragOver(form->FileListBox, 5, 5, accept);
    EXPECT_FALSE(accept); // nothing is dropped on the source list
    EXPECT_TRUE(form->DragFromSource);
    const QPoint row2 = form->QuorbelListBox->ItemRect(2).center();
    form->QuorbelListBoxDragOver(form->FileListBox, row2.x(), row2.y(), accept);
    EXPECT_TRUE(accept);
    EXPECT_EQ(form->DragIndex, 2);
    form->QuorbelListBoxDragDrop(form->FileListBox, row2.x(), row2.y());
    EXPECT_EQ(picturesIni(), QStringList({"p1.jpg", "p2.jpg", "s1.jpg", "s2.jpg", "s3.jpg", "p3.jpg"}));
    EXPECT_EQ(showLines(), picturesIni());
    EXPECT_FALSE(form->DragFromSource);

    // Dropped below the last row they are appended.
    selectSource({0});
    const QPoint below(row2.x(), form->QuorbelListBox->viewport()->height() - 60);
    form->QuorbelListBox->setTopIndex(0);
    form->QuorbelListBoxDragOver(form->FileListBox, below.x(), form->QuorbelListBox->ItemRect(5).bottom() + 5, accept);
    EXPECT_EQ(form->DragIndex, 6);
    form->QuorbelListBoxDragDrop(form->FileListBox, below.x(), below.y());
    EXPECT_EQ(picturesIni().last(), "p1_1.jpg");
}

TEST_F(PicturesTest, ACaptionTypedAndAPictureMovedSurviveReopeningTheShow)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"}) makeJpeg(srcHost(n), 30, 20);
    createWithNewShow();
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"}) form->AddPictureToShow(srcWin(n), -1);
    clickShowItem(1);
    EXPECT_EQ(form->ClickedItemName, "b.jpg");
    QTest::keyClicks(form->TextEdit, "Sun|set");
    EXPECT_EQ(form->TextEdit->text(), "Sunset"); // "|" is refused
    EXPECT_EQ(picturesIni(), QStringList({"a.jpg", "b.jpg | Sunset", "c.jpg"}));

    // Drag the last picture onto the first row.
    form->DragIndex = 2;
    const QPoint row0 = form->QuorbelListBox->ItemRect(0).center();
    bool accept = false;
    form->QuorbelListBoxDragOver(form->QuorbelListBox, row0.x(), row0.y(), accept);
    form->QuorbelListBoxDragDrop(form->QuorbelListBox, row0.x(), row0.y());
    form->QuorbelListBoxEndDrag(form->QuorbelListBox, row0.x(), row0.y());
    EXPECT_EQ(form->QuorbelListBox->ItemIndex(), 0);
    EXPECT_EQ(picturesIni(), QStringList({"c.jpg", "a.jpg", "b.jpg | Sunset"}));

    const QString folder = form->ShowFolder;
    form.reset(); // closing the window
    form = std::make_unique<TMainForm>(outputWindows());
    form->OpenShow(folder);
    EXPECT_EQ(showLines(), QStringList({"c.jpg", "a.jpg", "b.jpg | Sunset"}));
}

// The caption field belongs to the selected picture: a show opened again, or a new one, has
// none selected, and the field is empty; typing into it then changes no picture.
TEST_F(PicturesTest, TheCaptionFieldIsEmptyWhenAShowIsOpenedWithNothingSelected)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"a.jpg", "b.jpg"}) makeJpeg(srcHost(n), 30, 20);
    createWithNewShow();
    for (const char* n : {"a.jpg", "b.jpg"}) form->AddPictureToShow(srcWin(n), -1);
    clickShowItem(1);
    QTest::keyClicks(form->TextEdit, "Sunset");
    const QString folder = form->ShowFolder;
    const QStringList lines = picturesIni();
    ASSERT_EQ(lines, QStringList({"a.jpg", "b.jpg | Sunset"}));

    form->OpenShow(folder);
    EXPECT_EQ(form->QuorbelListBox->ItemIndex(), -1);
    EXPECT_EQ(form->TextEdit->text(), "");
    QTest::keyClicks(form->TextEdit, "x");
    EXPECT_EQ(picturesIni(), lines);
    EXPECT_EQ(showLines(), QStringList({"a.jpg", "b.jpg | Sunset"}));

    clickShowItem(1);
    EXPECT_EQ(form->TextEdit->text(), "Sunset");
    dialogs.modalScript.push_back([](QDialog& d) {
        static_cast<TNewForm&>(d).Edit1->setText("Leer");
        return int(platform::mrOk);
    });
    form->NewQuorbel1Click();
    EXPECT_EQ(form->TextEdit->text(), "");
}

TEST_F(PicturesTest, RemovingPicturesByButtonsAndTheDeleteKey)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) makeJpeg(srcHost(n), 30, 20);
    createWithNewShow();
    chooseSource("a.jpg");

    // Nothing selected: the buttons say so.
    form->FileListBox->ClearSelection();
    form->SpeedButton1Click();
    form->SpeedButton3Click(); // empty show list: nothing to say, nothing to delete
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10004)}));
    form->SpeedButton2Click();
    EXPECT_EQ(showLines(), QStringList({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    dialogs.clear();
    form->QuorbelListBox->ClearSelection();
    form->SpeedButton3Click();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10006)}));

    // Delete pressed in the source list does nothing: the show pictures selected there may be
    // scrolled out of sight.
    form->QuorbelListBox->setSelected(1, true);
    form->QuorbelListBox->setSelected(3, true);
    selectSource({0});
    form->FileListBox->setFocus();
    QTest::keyClick(form->FileListBox, Qt::Key_Delete);
    EXPECT_EQ(picturesIni(), QStringList({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    EXPECT_TRUE(QFile::exists(showHost("b.jpg")));
    EXPECT_TRUE(dialogs.messages.size() == 1); // only the one said above

    // In the show list it removes the selected show pictures, not source files.
    form->QuorbelListBox->setFocus();
    QTest::keyClick(form->QuorbelListBox, Qt::Key_Delete);
    EXPECT_EQ(picturesIni(), QStringList({"a.jpg", "c.jpg"}));
    EXPECT_FALSE(QFile::exists(showHost("b.jpg")));
    EXPECT_FALSE(QFile::exists(showHost("_THUMB_b.jpg"))); // stale thumbnails go with them
    EXPECT_TRUE(QFile::exists(srcHost("b.jpg")));
    EXPECT_EQ(sourceNames().size(), 4);

    // "<<" asks first; Yes empties the show and its folder's pictures.
    dialogs.confirmAnswers.push_back(platform::mrNo);
    form->SpeedButton4Click();
    EXPECT_EQ(form->QuorbelListBox->Count(), 2);
    dialogs.confirmAnswers.push_back(platform::mrYes);
    form->SpeedButton4Click();
    EXPECT_EQ(form->QuorbelListBox->Count(), 0);
    EXPECT_EQ(QDir(showHost()).entryList({"*.jpg"}, QDir::Files), QStringList());
    EXPECT_TRUE(picturesIni().isEmpty());

    // "<" on an empty list clears JPEGs left in the show folder.
    makeJpeg(showHost("left.jpg"), 10, 10);
    form->SpeedButton3Click();
    EXPECT_FALSE(QFile::exists(showHost("left.jpg")));
}

TEST_F(PicturesTest, ASourceClickFollowedByEveryEditButtonChangesNoShowPicture)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"a.jpg", "b.jpg"}) makeJpeg(srcHost(n), 64, 40);
    makeJpeg(srcHost("z.jpg"), 40, 64, {}, "gradient:green-yellow");
    createWithNewShow();
    chooseSource("a.jpg");
    form->AddPictureToShow(srcWin("a.jpg"), -1);
    form->AddPictureToShow(srcWin("b.jpg"), -1);
    const auto before = snapshot(showHost());
    const QByteArray sourceBefore = sha256(srcHost("z.jpg"));

    // With nothing selected in the show list, and again after a show picture was chosen.
    for (bool showItemChosen : {false, true}) {
        if (showItemChosen) clickShowItem(0);
        form->FileListBox->ClearSelection();
        form->FileListBox->setItemIndex(2);
        form->FileListBox->setSelected(2, true);
        form->FileListBoxClick();
        form->Timer2Timer(); // the source picture is previewed
        EXPECT_FALSE(form->SpeedButton5->isEnabled());
        form->SpeedButton5Click();
        form->SpeedButton6Click();
        form->SpeedButton7Click();
        form->SpeedButton9Click();
        form->SpeedButton10Click();
        form->UndoBitBtnClick();
        EXPECT_EQ(snapshot(showHost()), before) << showItemChosen;
        EXPECT_EQ(sha256(srcHost("z.jpg")), sourceBefore);
        EXPECT_EQ(form->UndoDepth, 0);
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PicturesTest, StaleThumbnailsGoButNeverOnesTheListShows)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("a__b.jpg"), 30, 20);
    makeJpeg(srcHost("c.jpg"), 30, 20);
    createWithNewShow();
    form->AddPictureToShow(srcWin("a__b.jpg"), -1);
    form->AddPictureToShow(srcWin("c.jpg"), -1);
    // c.jpg was edited once: its item points at a numbered thumbnail.
    QFile::copy(showHost("_THUMB_c.jpg"), showHost("_THUMB_1c.jpg"));
    const QString item = form->QuorbelListBox->Items()[1];
    form->QuorbelListBox->Items().setStrings(1, QString(item).replace("_THUMB_c.jpg", "_THUMB_1c.jpg"));
    writeAll(showHost("_THUMB_gone.jpg"), "x");
    writeAll(showHost("_THUMB_2c.jpg"), "x");
    // A show picture named like a thumbnail (kept from an older show) is a picture, not a thumbnail.
    writeAll(showHost("_THUMB_mine.jpg"), "picture");
    form->QuorbelListBox->Items().Add(show::ShowItem(form->ShowFolderPath(), "_THUMB_mine.jpg", "_THUMB_mine.jpg"));
    form->DeleteStaleThumbnails();
    EXPECT_EQ(QDir(showHost()).entryList({"_THUMB*"}, QDir::Files),
              QStringList({"_THUMB_1c.jpg", "_THUMB_a__b.jpg", "_THUMB_c.jpg", "_THUMB_mine.jpg"}));
    EXPECT_EQ(readAll(showHost("_THUMB_mine.jpg")), "picture");
}

TEST_F(PicturesTest, ADeclinedDriveChangeKeepsTheDriveAlsoAtTheNextStart)
{
    createWithNewShow();
    const int c = form->DriveComboBox1->findData("C");
    form->DriveComboBox1->setCurrentIndex(c);
    form->DriveComboBox1Change();
    dialogs.confirmAnswers.push_back(platform::mrNo);
    form->PathButtonClick();
    EXPECT_EQ(form->DriveLetter, "D");
    EXPECT_EQ(form->DriveComboBox1->currentData().toString(), "D");
    form->FormClose();
    EXPECT_EQ(platform::IniFile(world.programDir() + "Generator.ini").readString("SETTINGS", "Drive"), "D");
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10021)}));
}

TEST_F(PicturesTest, SettingsPageColoursAndTextOffset)
{
    createWithNewShow();
    dialogs.colorAnswers.push_back(platform::ColorRef(0x0000FF));
    dialogs.colorAnswers.push_back(std::nullopt);
    form->BKGColorButtonClick();
    form->TextcolorButtonClick();
    EXPECT_EQ(form->BKGColor, platform::ColorRef(0x0000FF));
    EXPECT_EQ(form->BKGColorPanel->palette().color(QPalette::Window), QColor(255, 0, 0));
    form->SpinEdit2->setValue(42);
    EXPECT_EQ(form->TextOffset, 42);
}

TEST_F(PicturesTest, ThePrintMenuOnAnEmptyShowSaysSo)
{
    createWithNewShow();
    {
        // The page alone: the user's change to it would refuse the empty show by itself.
        const QSignalBlocker block(form->PageControl1);
        form->PageControl1->setCurrentIndex(2);
    }
    int asked = 0;
    QObject::connect(form.get(), &TMainForm::PrintPicturesRequested, [&] { ++asked; });
    form->PrintSelected1Click();
    EXPECT_EQ(form->PageControl1->currentIndex(), 1); // page 1, as the print menu has it
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10010)}));
    EXPECT_EQ(asked, 0);
}

TEST_F(PicturesTest, OpeningAShowMakesMissingThumbnailsAndDropsThoseOfEarlierEdits)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(hostD("Quorbel/Quorbel_0003/a.jpg"), 300, 200);
    makeJpeg(hostD("Quorbel/Quorbel_0003/b.jpg"), 200, 300);
    writeAll(hostD("Quorbel/Quorbel_0003/Quorbel.ini"), "[QUORBEL]\r\nTitel=Old\r\nTime=3\r\n");
    writeAll(hostD("Quorbel/Quorbel_0003/Pictures.ini"), "a.jpg | one\r\nb.jpg\r\n");
    writeAll(hostD("Quorbel/Quorbel_0003/_THUMB_1a.jpg"), "an earlier edit");
    form = std::make_unique<TMainForm>(outputWindows());
    form->OpenShow("Quorbel_0003");
    EXPECT_EQ(testsupport::runHost("identify -format %wx%h '" + showHost("_THUMB_a.jpg") + "'"), "105x70");
    EXPECT_EQ(testsupport::runHost("identify -format %wx%h '" + showHost("_THUMB_b.jpg") + "'"), "47x70");
    EXPECT_FALSE(QFile::exists(showHost("_THUMB_1a.jpg")));
    EXPECT_EQ(showLines(), QStringList({"a.jpg | one", "b.jpg"}));
}

TEST_F(PicturesTest, TheDelayedPreviewShowsTheClickedPictureAndWaitsForShiftOrCtrl)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"a.jpg", "b.jpg"}) makeJpeg(srcHost(n), 40, 30);
    createWithNewShow();
    chooseSource("a.jpg");
    form->AddPictureToShow(srcWin("a.jpg"), -1);
    form->AddPictureToShow(srcWin("b.jpg"), -1);

    clickShowItem(1);
    EXPECT_TRUE(form->Timer1->isActive());
    int key = 16; // Shift held: the preview waits and the timer comes back
    form->QuorbelListBoxKeyDown(key, Qt::ShiftModifier);
    form->Timer1Timer();
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_FALSE(form->PixImage2->HasImage());
    form->QuorbelListBoxKeyUp(key, Qt::NoModifier);
    form->Timer1Timer();
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->PixImage2->FileName(), "D:\\Quorbel\\" + form->ShowFolder + "\\b.jpg");
    EXPECT_TRUE(form->PixImage2->isVisible());

    // A source click previews the source picture from the source folder.
    form->FileListBox->setItemIndex(0);
    form->FileListBoxClick();
    EXPECT_TRUE(form->Timer2->isActive());
    form->Timer2Timer();
    EXPECT_EQ(form->PixImage2->FileName(), "D:\\src\\a.jpg");
    EXPECT_EQ(form->QuorbelListBox->ItemIndex(), 1); // the show list keeps its item
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PicturesTest, APicturesIniThatCannotBeWrittenIsReportedOnce)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("a.jpg"), 40, 30);
    createWithNewShow();
    form->AddPictureToShow(srcWin("a.jpg"), -1);
    QFile::remove(showHost("Pictures.ini"));
    QDir().mkpath(showHost("Pictures.ini")); // a folder in the file's place
    clickShowItem(0);
    QTest::keyClicks(form->TextEdit, "abc");
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"Unable to write D:\\Quorbel\\" + form->ShowFolder + "\\Pictures.ini"}));
    EXPECT_EQ(showLines(), QStringList({"a.jpg | abc"}));
    QDir().rmdir(showHost("Pictures.ini"));
    QTest::keyClicks(form->TextEdit, "d");
    EXPECT_EQ(picturesIni(), QStringList({"a.jpg | abcd"}));
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(PicturesTest, TheSourceListOrdersNamesAsTheLanguageDoes)
{
    if (!haveTools()) GTEST_SKIP();
    for (const char* n : {"Safe Landing.jpg", "autumn.jpg", "Zebra.jpg", "\xc3\x84rger.jpg", "beach.jpg", "Apfel.jpg"})
        makeJpeg(srcHost(QString::fromUtf8(n)), 20, 10);
    createWithNewShow();
    chooseSource("beach.jpg");
    EXPECT_EQ(sourceNames(), QStringList({"Apfel.jpg", QString::fromUtf8("\xc3\x84rger.jpg"), "autumn.jpg", "beach.jpg",
                                          "Safe Landing.jpg", "Zebra.jpg"}));
}

TEST_F(PicturesTest, ThePrintButtonOpensItsMenuAtTheMouseOrSaysTheShowIsEmpty)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("a.jpg"), 30, 20);
    createWithNewShow();
    {
        const QSignalBlocker block(form->PageControl1);
        form->PageControl1->setCurrentIndex(2);
    }
    form->PrintBitBtnClick();
    EXPECT_EQ(form->PageControl1->currentIndex(), 1); // page 1, as the print menu has it
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10010)}));
    EXPECT_FALSE(form->PopupMenu1->isVisible());

    dialogs.clear();
    chooseSource("a.jpg");
    form->SpeedButton2Click();
    clickShowItem(0);
    QCursor::setPos(form->mapToGlobal(QPoint(300, 200)));
    form->PrintBitBtn->setEnabled(true);
    form->PrintBitBtn->click();
    EXPECT_TRUE(form->PopupMenu1->isVisible());
    EXPECT_LE((form->PopupMenu1->pos() - QCursor::pos()).manhattanLength(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    form->PopupMenu1->hide();
}

TEST_F(PicturesTest, EveryClickInTheShowListEmptiesTheUndoStack)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("a.jpg"), 40, 30);
    createWithNewShow();
    chooseSource("a.jpg");
    form->SpeedButton2Click();
    clickShowItem(0);
    form->PushUndo();
    EXPECT_GT(form->UndoDepth, 0);
    EXPECT_TRUE(form->UndoBitBtn->isEnabled());
    clickShowItem(0); // the picture already selected
    EXPECT_EQ(form->UndoDepth, 0);
    EXPECT_FALSE(form->UndoBitBtn->isEnabled());
    EXPECT_TRUE(QDir(form->ProgramDir.isEmpty() ? QString() : world.programHost()).entryList({"UNDO_*"}).isEmpty());
}

TEST_F(PicturesTest, AFolderChosenWhileAnotherStillFillsTakesTheListWhole)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("a/p00.jpg"), 2400, 1600, "", "plasma:");
    for (int i = 1; i < 40; ++i) QFile::copy(srcHost("a/p00.jpg"), srcHost(QString("a/p%1.jpg").arg(i, 2, 10, QChar('0'))));
    for (const char* name : {"x.jpg", "y.jpg"}) makeJpeg(srcHost(QString("b/") + name), 300, 200);
    createWithNewShow();
    dialogs.fileAnswers.push_back({true, {srcWin("a\\p00.jpg")}});
    dialogs.fileAnswers.push_back({true, {srcWin("b\\x.jpg")}});
    // The second folder is chosen as soon as the window handles events during the first fill.
    bool chosen = false;
    QTimer::singleShot(0, form.get(), [&] {
        chosen = true;
        form->OpenBitBtnClick();
    });
    form->OpenBitBtnClick();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(sourceNames(), QStringList({"x.jpg", "y.jpg"}));
    EXPECT_EQ(form->SourceFolder, "D:\\src\\b\\");
    EXPECT_FALSE(form->PicProgressBar->isVisible());
    // No worker of the first folder goes on writing thumbnails.
    const QString cache = platform::toHostPath(form->ProgramDir + "thumbs");
    const QStringList made = QDir(cache).entryList(QDir::Files);
    QTest::qWait(300);
    EXPECT_EQ(QDir(cache).entryList(QDir::Files), made);
    EXPECT_LT(made.size(), 40 + 2);
}
