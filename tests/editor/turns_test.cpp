// Turns of real-sized photos through the main window's buttons, and what the show list, the
// caption edit and the previews show against what the show's files hold.
#include "pictures_fixture.h"
#include "effects/ui/painteffectsform.h"
#include "effects/ui/pixeffectsform.h"
#include "effects/ui/veldrawimage.h"
#include "platform/textcodec.h"
#include "sdk/pictureio.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

QString quoted(const QString& host) { return "'" + host + "'"; }

// ImageMagick's count of differing pixels between two pictures ("compare -metric AE").
QString differingPixels(const QString& a, const QString& b)
{
    return testsupport::runHost("compare -metric AE " + quoted(a) + " " + quoted(b) + " null: 2>&1");
}

// Types text key by key; a character beyond ASCII comes as the text of a key without a code, as a
// keyboard layout or an input method delivers it.
void typeText(QWidget* edit, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, char(c.unicode()));
            continue;
        }
        const qsizetype n = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
        i += n - 1;
    }
}

} // namespace

TEST_F(PicturesTest, FourRightTurnsOfAPhotoLoseNothingAndUndoGivesTheBytesBack)
{
    if (!haveTools() || !testsupport::haveHostProgram("compare") || !testsupport::haveHostProgram("jpegtran")) GTEST_SKIP();
    // A 5120 x 2880 photo-like picture (4:2:0, ImageMagick's own Huffman tables).
    QDir().mkpath(srcHost());
    int status = 1;
    testsupport::runHost("convert -seed 3 -size 640x360 plasma: -resize 5120x2880! -attenuate 0.3 +noise Gaussian -quality 88 "
                             + quoted(srcHost("photo.jpg")),
                         &status);
    ASSERT_EQ(status, 0);
    createWithNewShow();
    form->AddPictureToShow(srcWin("photo.jpg"), -1);
    const QString original = world.root() + "/original.jpg";
    ASSERT_TRUE(QFile::copy(showHost("photo.jpg"), original));
    clickShowItem(0);

    // One turn is what jpegtran makes of the file: the same pixels.
    QTest::mouseClick(form->SpeedButton5, Qt::LeftButton);
    testsupport::runHost("jpegtran -rotate 90 -copy all -perfect -outfile " + quoted(world.root() + "/jpegtran.jpg") + " "
                         + quoted(original));
    EXPECT_EQ(differingPixels(showHost("photo.jpg"), world.root() + "/jpegtran.jpg"), "0");
    EXPECT_EQ(testsupport::runHost("identify -format %wx%h " + quoted(showHost("photo.jpg"))), "2880x5120");
    // Preview and thumbnail follow the file.
    EXPECT_EQ(form->PixImage2->BitmapWidth(), 2880);
    EXPECT_EQ(form->PixImage2->BitmapHeight(), 5120);
    EXPECT_EQ(testsupport::runHost("identify -format %wx%h " + quoted(showHost("_THUMB_1photo.jpg"))), "39x70");

    for (int i = 0; i < 3; ++i) QTest::mouseClick(form->SpeedButton5, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join("|").toStdString();
    EXPECT_EQ(form->UndoDepth, 4);
    EXPECT_EQ(differingPixels(showHost("photo.jpg"), original), "0");
    const double size = double(QFileInfo(showHost("photo.jpg")).size());
    const double before = double(QFileInfo(original).size());
    EXPECT_LT(std::abs(size - before) / before, 0.02) << size << " against " << before;

    // Every undo gives back the file as it was before its turn, byte for byte.
    for (int i = 0; i < 4; ++i) QTest::mouseClick(form->UndoBitBtn, Qt::LeftButton);
    EXPECT_EQ(form->UndoDepth, 0);
    EXPECT_EQ(sha256(showHost("photo.jpg")), sha256(original));
}

TEST_F(PicturesTest, TurnsAndMirrorsOfEveryKindGoTheWayTheirButtonsSay)
{
    if (!haveTools() || !testsupport::haveHostProgram("compare")) GTEST_SKIP();
    // 96 x 64 moves whole blocks in every direction; 90 x 60 splits them and is turned decoded.
    for (const QString size : {"96x64", "90x60"}) {
        SCOPED_TRACE(size.toStdString());
        const int w = size.section('x', 0, 0).toInt(), h = size.section('x', 1, 1).toInt();
        makeJpeg(srcHost("p" + size + ".jpg"), w, h, "-quality 92", "-seed 4 plasma:");
        createWithNewShow();
        form->AddPictureToShow(srcWin("p" + size + ".jpg"), -1);
        const QString source = world.root() + "/src" + size + ".png";
        testsupport::runHost("convert " + quoted(showHost("p" + size + ".jpg")) + " " + quoted(source));
        clickShowItem(0);
        struct Button {
            QToolButton* button;
            const char* convert; // what ImageMagick does to the decoded picture
        };
        const Button buttons[] = {
            {form->SpeedButton5, "-rotate 90"}, {form->SpeedButton6, "-rotate 270"}, {form->SpeedButton7, "-rotate 180"},
            {form->SpeedButton9, "-flop"},      {form->SpeedButton10, "-flip"},
        };
        for (const Button& b : buttons) {
            SCOPED_TRACE(b.convert);
            QTest::mouseClick(b.button, Qt::LeftButton);
            const QString expected = world.root() + "/expected.png";
            testsupport::runHost("convert " + quoted(source) + " " + b.convert + " " + quoted(expected));
            // Pixels within a re-encode's error of the decoded picture turned by ImageMagick.
            const QString rmse = testsupport::runHost("compare -metric RMSE " + quoted(showHost("p" + size + ".jpg")) + " "
                                                      + quoted(expected) + " null: 2>&1");
            const double error = rmse.section('(', 1).section(')', 0, 0).toDouble();
            EXPECT_LT(error, 0.03) << rmse.toStdString();
            QTest::mouseClick(form->UndoBitBtn, Qt::LeftButton);
        }
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join("|").toStdString();
        form.reset();
    }
}

TEST_F(PicturesTest, AnUncaptionedPictureShowsAndStoresItsNameAlone)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("orient6.jpg"), 96, 64);
    makeJpeg(srcHost("beach.jpg"), 64, 96);
    createWithNewShow();
    form->AddPictureToShow(srcWin("orient6.jpg"), -1);
    form->AddPictureToShow(srcWin("beach.jpg"), -1);
    clickShowItem(1);
    QTest::keyClicks(form->TextEdit, "Sand");
    clickShowItem(0);
    QTest::mouseClick(form->SpeedButton5, Qt::LeftButton);
    QTest::mouseClick(form->UndoBitBtn, Qt::LeftButton);
    EXPECT_EQ(showLines(), QStringList({"orient6.jpg", "beach.jpg | Sand"}));
    EXPECT_EQ(picturesIni(), QStringList({"orient6.jpg", "beach.jpg | Sand"}));
    // A caption typed and taken back again leaves no "|" either.
    QTest::keyClicks(form->TextEdit, "x");
    QTest::keyClick(form->TextEdit, Qt::Key_Backspace);
    EXPECT_EQ(showLines()[0], "orient6.jpg");

    // Reopened, the list shows what the file holds, and writing it back changes no byte.
    const QString folder = form->ShowFolder;
    const QByteArray stored = readAll(showHost("Pictures.ini"));
    EXPECT_EQ(stored, "orient6.jpg\r\nbeach.jpg | Sand\r\n");
    form.reset();
    form = std::make_unique<TMainForm>(outputWindows());
    form->OpenShow(folder);
    EXPECT_EQ(showLines(), QStringList({"orient6.jpg", "beach.jpg | Sand"}));
    ASSERT_TRUE(form->SavePictureList());
    EXPECT_EQ(readAll(showHost("Pictures.ini")), stored);

    // A file of an earlier version, whose uncaptioned lines end in " | ", shows no "|" either.
    writeAll(showHost("Pictures.ini"), "orient6.jpg | \r\nbeach.jpg | Sand\r\n");
    form->OpenShow(folder);
    EXPECT_EQ(showLines(), QStringList({"orient6.jpg", "beach.jpg | Sand"}));
}

TEST_F(PicturesTest, ARemovedPictureLeavesThePreview)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("a.jpg"), 40, 30);
    makeJpeg(srcHost("b.jpg"), 40, 30);
    createWithNewShow();
    chooseSource("a.jpg");
    form->AddPictureToShow(srcWin("a.jpg"), -1);
    form->AddPictureToShow(srcWin("b.jpg"), -1);
    clickShowItem(1);
    form->Timer1Timer();
    ASSERT_TRUE(form->PixImage2->isVisible());
    ASSERT_TRUE(form->PixImage2->HasImage());
    QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
    EXPECT_EQ(showLines(), QStringList({"a.jpg"}));
    EXPECT_FALSE(form->PixImage2->isVisible());
    EXPECT_FALSE(form->PixImage2->HasImage());
    // A click on the picture that is left shows it.
    clickShowItem(0);
    form->Timer1Timer();
    EXPECT_TRUE(form->PixImage2->isVisible());
    EXPECT_EQ(form->PixImage2->FileName(), "D:\\Quorbel\\" + form->ShowFolder + "\\a.jpg");

    // Removing another picture than the one shown leaves the preview as it is.
    form->AddPictureToShow(srcWin("b.jpg"), -1);
    form->FileListBox->setItemIndex(1);
    form->FileListBoxClick();
    form->Timer2Timer();
    form->QuorbelListBox->ClearSelection();
    form->QuorbelListBox->setSelected(0, true);
    QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
    EXPECT_TRUE(form->PixImage2->isVisible());
    EXPECT_EQ(form->PixImage2->FileName(), "D:\\src\\b.jpg");
}

TEST_F(PicturesTest, ACaptionCharacterWindows1252LacksIsShownAsStoredAndTold)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("a.jpg"), 40, 30);
    createWithNewShow();
    form->AddPictureToShow(srcWin("a.jpg"), -1);
    clickShowItem(0);
    typeText(form->TextEdit, QString::fromUtf8("Café → See"));
    // Told once, at the character, and naming it; the edit shows what is stored.
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.endsWith(QString::fromUtf8(": →"))) << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(form->TextEdit->text(), QString::fromUtf8("Café ? See"));
    EXPECT_EQ(showLines(), QStringList({QString::fromUtf8("a.jpg | Café ? See")}));
    EXPECT_EQ(readAll(showHost("Pictures.ini")), platform::toWindows1252(QString::fromUtf8("a.jpg | Café ? See\r\n")));

    // A pasted text with several such characters: one message naming each once.
    dialogs.clear();
    form->TextEdit->clear();
    form->TextEdit->insert(QString::fromUtf8("Ω→Ω 😀 €"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.endsWith(QString::fromUtf8(": Ω → 😀"))) << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(form->TextEdit->text(), QString::fromUtf8("??? ? €"));
    EXPECT_EQ(readAll(showHost("Pictures.ini")), platform::toWindows1252(QString::fromUtf8("a.jpg | ??? ? €\r\n")));
}

TEST_F(PicturesTest, EffectAndColourPreviewsKeepThePicturesShape)
{
    if (!haveTools()) GTEST_SKIP();
    makeJpeg(srcHost("wide.jpg"), 640, 360, "", "gradient:red-blue");
    createWithNewShow();
    form->AddPictureToShow(srcWin("wide.jpg"), -1);
    clickShowItem(0);
    form->Timer1Timer();

    // The effects dialog: both panes hold the picture at 16:9, centred in the box.
    form->FarbeBitBtnClick();
    TPainterEffectsF* effects = form->Art->EffectsDialog();
    ASSERT_NE(effects, nullptr);
    QCoreApplication::processEvents();
    for (QLabel* pane : {effects->Image1, effects->Image}) {
        SCOPED_TRACE(pane->objectName().toStdString());
        const QPixmap shown = pane->pixmap();
        ASSERT_FALSE(shown.isNull());
        EXPECT_NEAR(double(shown.width()) / shown.height(), 16.0 / 9.0, 0.02);
        EXPECT_EQ(shown.width(), pane->contentsRect().width());
        EXPECT_EQ(pane->alignment(), Qt::AlignCenter);
    }
    effects->close();

    // The colour dialog's panes: fitted and centred.
    bool seen = false;
    dialogs.modalScript.push_back([&seen](QDialog& d) {
        auto* found = qobject_cast<TPixEffectsForm*>(&d);
        EXPECT_NE(found, nullptr);
        if (!found) return int(platform::mrCancel);
        TPixEffectsForm& colours = *found;
        seen = true;
        colours.show();
        QCoreApplication::processEvents();
        for (imaging::TPixImage* pane : {colours.PixImage1, colours.PixImage2}) {
            SCOPED_TRACE(pane->objectName().toStdString());
            EXPECT_TRUE(pane->HasImage());
            EXPECT_NEAR(double(pane->DstWidth()) / std::max(1, pane->DstHeight()), 16.0 / 9.0, 0.02);
            EXPECT_NEAR(pane->DstTop(), (pane->ClientHeight() - pane->DstHeight()) / 2, 1);
        }
        colours.hide();
        return int(platform::mrCancel);
    });
    QTest::mouseClick(form->RGBBitBtn, Qt::LeftButton);
    EXPECT_TRUE(seen) << dialogs.modalForms.join("|").toStdString();
}
