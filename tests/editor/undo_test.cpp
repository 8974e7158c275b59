// Undo of the picture edits: the stack of files, turns and mirrors with their thumbnails.
#include "editor/undostack.h"
#include "pictures_fixture.h"
#include "effects/paintfx.h"
#include "effects/ui/bitmapfiles.h"
#include "effects/ui/veldrawimage.h"
#include "sdk/pictureio.h"

#include <QImage>
#include <QPushButton>
#include <QTest>

TEST_F(PicturesTest, TheUndoStackBelongsToOneFile)
{
    const QString p = world.programDir();
    writeAll(hostD("s/a.jpg"), QByteArray("first a\0bytes", 13));
    writeAll(hostD("s/b.jpg"), "first b");
    editor::UndoStack undo(p);
    ASSERT_TRUE(undo.Push("D:\\s\\a.jpg"));
    writeAll(hostD("s/a.jpg"), "second a");
    ASSERT_TRUE(undo.Push("D:\\s\\a.jpg"));
    writeAll(hostD("s/a.jpg"), "third a");
    EXPECT_EQ(undo.Depth(), 2);
    EXPECT_EQ(readAll(hostProgram("UNDO_1.jpg")), QByteArray("first a\0bytes", 13)); // byte for byte

    // An undo meant for another file writes nothing and empties the stack.
    EXPECT_FALSE(undo.Undo("D:\\s\\b.jpg"));
    EXPECT_EQ(undo.Depth(), 0);
    EXPECT_EQ(readAll(hostD("s/b.jpg")), "first b");
    EXPECT_FALSE(QFile::exists(hostProgram("UNDO_1.jpg")));

    // Pushing for another file starts the stack again.
    ASSERT_TRUE(undo.Push("D:\\s\\a.jpg"));
    ASSERT_TRUE(undo.Push("D:\\s\\b.jpg"));
    EXPECT_EQ(undo.Depth(), 1);
    EXPECT_EQ(undo.Picture(), "D:\\s\\b.jpg");
    EXPECT_TRUE(undo.Undo("D:\\s\\b.jpg"));
    EXPECT_EQ(readAll(hostD("s/b.jpg")), "first b");

    // A missing picture is no undo copy; a missing undo file copies nothing and still counts.
    EXPECT_FALSE(undo.Push("D:\\s\\none.jpg"));
    EXPECT_EQ(undo.Depth(), 0);
    ASSERT_TRUE(undo.Push("D:\\s\\a.jpg"));
    QFile::remove(hostProgram("UNDO_1.jpg"));
    EXPECT_FALSE(undo.Undo("D:\\s\\a.jpg"));
    EXPECT_EQ(undo.Depth(), 0);
    EXPECT_EQ(readAll(hostD("s/a.jpg")), "third a");
    writeAll(hostProgram("UNDO_OLD.txt"), "kept");
    undo.Clear();
    EXPECT_TRUE(QFile::exists(hostProgram("UNDO_OLD.txt")));
}

TEST_F(PicturesTest, ThreeTurnsAndThreeUndosGiveTheOriginalBack)
{
    if (!haveTools() || !testsupport::haveHostProgram("cmp")) GTEST_SKIP();
    makeJpeg(srcHost("pic.jpg"), 90, 60);
    makeJpeg(srcHost("other.jpg"), 60, 90);
    createWithNewShow();
    form->AddPictureToShow(srcWin("pic.jpg"), -1);
    form->AddPictureToShow(srcWin("other.jpg"), -1);
    const QString folder = "D:\\Quorbel\\" + form->ShowFolder + "\\";
    QFile::copy(showHost("pic.jpg"), world.root() + "/original.jpg");
    clickShowItem(0);
    EXPECT_FALSE(form->UndoBitBtn->isEnabled());

    form->SpeedButton5Click(); // 90
    EXPECT_EQ(form->QuorbelListBox->Items()[0], "<IMG src=\"file://" + folder + "_THUMB_1pic.jpg\" align=\"top\">pic.jpg");
    EXPECT_EQ(QImage(showHost("pic.jpg")).size(), QSize(60, 90));
    form->SpeedButton7Click(); // 180
    EXPECT_EQ(form->QuorbelListBox->Items()[0], "<IMG src=\"file://" + folder + "_THUMB_2pic.jpg\" align=\"top\">pic.jpg");
    EXPECT_TRUE(QFile::exists(showHost("_THUMB_1pic.jpg")));
    EXPECT_EQ(testsupport::runHost("identify -format %wx%h '" + showHost("_THUMB_2pic.jpg") + "'"), "47x70");
    form->SpeedButton9Click(); // mirror
    EXPECT_EQ(form->UndoDepth, 3);
    EXPECT_TRUE(form->UndoBitBtn->isEnabled());
    EXPECT_EQ(form->QuorbelListBox->ItemIndex(), 0);
    EXPECT_TRUE(form->QuorbelListBox->Selected(0));

    for (int i = 0; i < 3; ++i) QTest::mouseClick(form->UndoBitBtn, Qt::LeftButton);
    int status = 1;
    testsupport::runHost("cmp '" + showHost("pic.jpg") + "' '" + world.root() + "/original.jpg'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(form->UndoDepth, 0);
    EXPECT_FALSE(form->UndoBitBtn->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join("|").toStdString();

    // An edit after two undos writes undo file 2 again; another picture empties the stack.
    form->SpeedButton6Click();
    form->SpeedButton10Click();
    form->UndoBitBtnClick();
    form->SpeedButton6Click();
    EXPECT_EQ(form->UndoDepth, 2);
    EXPECT_TRUE(QFile::exists(hostProgram("UNDO_2.jpg")));
    const QByteArray otherBefore = readAll(showHost("other.jpg"));
    form->QuorbelListBox->setFocus();
    QTest::keyClick(form->QuorbelListBox, Qt::Key_Down);
    EXPECT_EQ(form->UndoDepth, 0);
    EXPECT_FALSE(QFile::exists(hostProgram("UNDO_1.jpg")));
    form->UndoBitBtnClick();
    EXPECT_EQ(readAll(showHost("other.jpg")), otherBefore);
}

TEST_F(PicturesTest, MirrorsGoTheWayTheirButtonsSay)
{
    if (!haveTools()) GTEST_SKIP();
    // Left half black, right half white; top half of the second picture red.
    makeJpeg(srcHost("lr.jpg"), 80, 40, "-fill white -draw 'rectangle 40,0 79,39'", "xc:black");
    createWithNewShow();
    form->AddPictureToShow(srcWin("lr.jpg"), -1);
    clickShowItem(0);
    form->SpeedButton9Click(); // "FlipV": left-right
    QImage img(showHost("lr.jpg"));
    EXPECT_LT(qGray(img.pixel(75, 20)), 40);
    EXPECT_GT(qGray(img.pixel(5, 20)), 210);
    form->SpeedButton10Click(); // "FlipH": top-bottom leaves left and right
    img = QImage(showHost("lr.jpg"));
    EXPECT_LT(qGray(img.pixel(75, 20)), 40);
    form->SpeedButton6Click(); // -90
    EXPECT_EQ(QImage(showHost("lr.jpg")).size(), QSize(40, 80));
}

TEST_F(PicturesTest, AnEditWhoseUndoCopyCannotBeMadeIsReportedAndChangesNothing)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("pic.jpg"), 40, 30);
    createWithNewShow();
    form->AddPictureToShow(srcWin("pic.jpg"), -1);
    clickShowItem(0);
    const QByteArray before = readAll(showHost("pic.jpg"));
    QDir().mkpath(hostProgram("UNDO_1.jpg")); // a folder where the undo copy should go
    form->SpeedButton5Click();
    EXPECT_EQ(readAll(showHost("pic.jpg")), before);
    EXPECT_EQ(form->UndoDepth, 0);
    EXPECT_FALSE(form->UndoBitBtn->isEnabled());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].caption, "Error");
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("An error occured in your application, \n"));
    EXPECT_EQ(form->QuorbelListBox->Items()[0].indexOf("_THUMB_1"), -1); // no thumbnail refresh
}

TEST_F(PicturesTest, AfterATurnAndAnUndoThePreviewShowsWhatTheFileHolds)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("pic.jpg"), 320, 200, "", "plasma:");
    createWithNewShow();
    form->AddPictureToShow(srcWin("pic.jpg"), -1);
    clickShowItem(0);
    // The preview against a fresh decode of the file: the same size, pixels within JPEG error.
    auto expectPreviewIsTheFile = [&](const char* step) {
        EXPECT_TRUE(form->PixImage2->isVisible()) << step;
        EXPECT_EQ(form->LastPreviewFile, form->SelectedPicture) << step;
        sdk::SdkBitmapHandle file;
        ASSERT_EQ(sdk::PX_LoadFile(form->SelectedPicture, &file, 24, nullptr), sdk::PX_SUCCESS) << step;
        const sdk::SdkBitmapHandle* shown = form->PixImage2->Bitmap();
        ASSERT_TRUE(shown && shown->allocated()) << step;
        ASSERT_EQ(shown->Width, file.Width) << step;
        ASSERT_EQ(shown->Height, file.Height) << step;
        ASSERT_EQ(shown->BitsPerPixel, 24) << step;
        double difference = 0;
        for (int y = 0; y < file.Height; ++y)
            for (int x = 0; x < file.Width * 3; ++x) difference += std::abs(int(shown->row(y)[x]) - int(file.row(y)[x]));
        EXPECT_LT(difference / (file.Width * 3.0 * file.Height), 6.0) << step; // the JPEG error of this noisy picture
    };
    form->SpeedButton5Click(); // 90
    expectPreviewIsTheFile("turn");
    form->SpeedButton9Click(); // mirror
    expectPreviewIsTheFile("mirror");
    form->UndoBitBtnClick();
    expectPreviewIsTheFile("undo");
    EXPECT_EQ(form->PixImage2->BitmapWidth(), 200);
    // An effect written from the drawing control: its result, grey, is what the preview shows.
    effects::Bitmap24 grey;
    ASSERT_EQ(effectsui::LoadBitmapFile(form->SelectedPicture, grey), 1);
    effects::TvelPaintFX::Saturation(grey, 0);
    form->Art->RangeBitmap = grey;
    ASSERT_TRUE(form->SaveArtToPicture());
    expectPreviewIsTheFile("effect");
    const sdk::SdkBitmapHandle* shown = form->PixImage2->Bitmap();
    EXPECT_EQ(shown->row(10)[30], shown->row(10)[31]);
    EXPECT_EQ(shown->row(10)[30], shown->row(10)[32]);
}
