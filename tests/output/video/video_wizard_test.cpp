// The video wizard: the size estimate per mode, the drive's free space and the start of a run.
#include "video_fixture.h"

#include "output/video/videoestimate.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QTest>

using video::VideoMode;

TEST(VideoEstimate, SizesPerModeAndTheSecondsText)
{
    struct Case { VideoMode mode; double s; int n; qint64 mb; };
    const Case cases[] = {
        {VideoMode::VCD, 5, 11, 43},               // round(43.098)
        {VideoMode::SVCD, 5, 11, 66},              // round(66.198)
        {VideoMode::HighQualityVCD, 5, 11, 32},    // round(11.88 + 20.35)
        {VideoMode::HighQualitySVCD, 5, 11, 61},   // round(11.88 + 48.84)
        {VideoMode::VCD, 0, 1, 1},                 // an empty show: the closing picture alone
        {VideoMode::HighQualityVCD, 0.5, 1, 2},    // 0.27 + 1.85 = 2.12
    };
    for (const Case& c : cases)
        EXPECT_EQ(video::EstimateMB(c.mode, c.s, c.n, 25, 12), c.mb) << int(c.mode) << " " << c.s << " " << c.n;

    EXPECT_EQ(video::DotToComma("2.5"), 2.5);
    EXPECT_EQ(video::DotToComma("2,5"), 2.5);
    EXPECT_EQ(video::DotToComma(" 5 "), 5.0);
    for (const char* bad : {"", "x", "2.5.1", "1e3", "2,5.1"}) EXPECT_FALSE(video::DotToComma(bad)) << bad;

    EXPECT_EQ(video::BytesToMB(1048576000), 1000);
    EXPECT_EQ(video::BytesToMB(524288), 0);   // half a MB rounds to the even 0
    EXPECT_EQ(video::BytesToMB(1572864), 2);  // one and a half rounds to 2
    EXPECT_EQ(video::BytesToMB(-1), 0);       // unknown free space counts as none
}

TEST(VideoEstimate, DriveInfoTakesLettersOnly)
{
    video::DriveInfo info;
    info.freeMB = 77;
    video::ReadDriveInfo(u'1', info);
    EXPECT_EQ(info.freeMB, 77);
    EXPECT_TRUE(info.letter.isNull());
    video::ReadDriveInfo(u'z', info);
    EXPECT_EQ(info.letter, QChar(u'Z'));
}

class VideoWizardTest : public VideoTest {
protected:
    std::unique_ptr<TDVDWizardForm> wizard;
    void TearDown() override
    {
        wizard.reset();
        VideoTest::TearDown();
    }
    qint64 freeMBOfD() const { return video::BytesToMB(platform::diskFreeBytes("D:\\")); }
};

TEST_F(VideoWizardTest, EstimateAgainstTheFreeSpaceOfTheShowDrive)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    wizard = std::make_unique<TDVDWizardForm>(form->showHost());
    // Three pictures and the closing one at one second: VCD round((0.72 + 1.624) × 3) = 7.
    EXPECT_TRUE(wizard->EstimateShowSize());
    EXPECT_EQ(wizard->QuorbelSizeEdit->text(), "7 MB");
    // The drive is shared with every other test running at the same time: its free space may
    // move a little between the wizard's reading and ours.
    const QString shown = wizard->FreeDiskEdit->text();
    ASSERT_TRUE(shown.endsWith(" MB")) << shown.toStdString();
    EXPECT_NEAR(shown.chopped(3).toLongLong(), freeMBOfD(), 256) << shown.toStdString();
    wizard->NanoSVCDRadioButton->click(); // 0.72 × 2 + 4 × 37 × 0.12 = 19.2
    EXPECT_EQ(wizard->QuorbelSizeEdit->text(), "19 MB");

    // Seconds enough to pass any real drive: the estimate does not fit.
    const qint64 free = freeMBOfD();
    form->SecondsPerPicture = QString::number(double(free) * 4 + 1000, 'f', 0);
    wizard->VCDRadioButton->click();
    EXPECT_FALSE(wizard->EstimateShowSize());
}

// Label, serial number and file system come from the volume that holds the drive's folder, as
// the host's own tools see it; a letter without a drive leaves them empty.
TEST_F(VideoWizardTest, DriveInfoComesFromTheMountedVolume)
{
    EXPECT_EQ(video::SerialText(0x1A2B3C4D), "1A2B-3C4D");
    EXPECT_EQ(video::SerialText(0xABC), "0000-0ABC");
    if (!testsupport::haveHostProgram("findmnt")) GTEST_SKIP() << "findmnt missing";
    const QString folder = hostD("");
    auto mount = [&](const char* column) {
        return testsupport::runHost(QString("findmnt -n -o %1 --target '%2'").arg(column, folder)).trimmed();
    };
    video::DriveInfo info;
    video::ReadDriveInfo(u'd', info);
    EXPECT_EQ(info.letter, QChar(u'D'));
    EXPECT_EQ(info.fileSystem, mount("FSTYPE"));
    EXPECT_FALSE(info.fileSystem.isEmpty());
    EXPECT_EQ(info.label, mount("LABEL"));
    // The volume's UUID where the host lists it, else the file system's id (its first word).
    QString serial = mount("UUID").remove('-').left(8).toUpper();
    if (serial.size() < 8 || !QDir("/dev/disk/by-uuid").exists()) {
        const quint64 id = testsupport::runHost("stat -f -c %i '" + folder + "'").trimmed().toULongLong(nullptr, 16);
        serial = QString("%1").arg(quint32(id >> 32), 8, 16, QLatin1Char('0')).toUpper();
    }
    EXPECT_EQ(info.serialText, serial.left(4) + "-" + serial.mid(4));
    EXPECT_EQ(info.serial, serial.toUInt(nullptr, 16));

    video::ReadDriveInfo(u'Q', info); // no such drive
    EXPECT_EQ(info.letter, QChar(u'Q'));
    EXPECT_TRUE(info.label.isEmpty());
    EXPECT_TRUE(info.serialText.isEmpty());
    EXPECT_TRUE(info.fileSystem.isEmpty());
}

// The four modes are one group and the two norms another: a click on a mode changes the mode
// only, a click on the checked button keeps it, so Next always has a mode and a norm.
TEST_F(VideoWizardTest, ModesAndNormsAreTwoGroupsThatKeepTheirChoice)
{
    createShow("1");
    wizard = std::make_unique<TDVDWizardForm>(form->showHost());
    wizard->show();
    const QList<QRadioButton*> modes = {wizard->VCDRadioButton, wizard->SVCDRadioButton, wizard->NanoVCDRadioButton,
                                        wizard->NanoSVCDRadioButton};
    const QList<QRadioButton*> norms = {wizard->PalRadioButton, wizard->NTSCRadioButton};
    auto checked = [](const QList<QRadioButton*>& group) {
        QString names;
        for (QRadioButton* b : group)
            if (b->isChecked()) names += (names.isEmpty() ? "" : " ") + b->objectName();
        return names.toStdString();
    };
    EXPECT_EQ(checked(modes), "VCDRadioButton");
    EXPECT_EQ(checked(norms), "PalRadioButton");
    struct Click { QRadioButton* button; const char* modes; const char* norms; };
    const Click clicks[] = {
        {wizard->VCDRadioButton, "VCDRadioButton", "PalRadioButton"},            // the checked one again
        {wizard->NanoSVCDRadioButton, "NanoSVCDRadioButton", "PalRadioButton"},
        {wizard->NanoSVCDRadioButton, "NanoSVCDRadioButton", "PalRadioButton"},
        {wizard->NTSCRadioButton, "NanoSVCDRadioButton", "NTSCRadioButton"},
        {wizard->NTSCRadioButton, "NanoSVCDRadioButton", "NTSCRadioButton"},
        {wizard->SVCDRadioButton, "SVCDRadioButton", "NTSCRadioButton"},
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        QTest::mouseClick(c.button, Qt::LeftButton, {}, QPoint(5, c.button->height() / 2));
        EXPECT_EQ(checked(modes), c.modes);
        EXPECT_EQ(checked(norms), c.norms);
    }
    // Next finds the mode: no "choose a mode" message.
    EXPECT_EQ(wizard->QuorbelSizeEdit->text(), "15 MB"); // SVCD, clicked last: round((0.72 + 4.424) × 3)
    dialogs.clear();
    QDialog make;
    wizard->MakeWizard = &make;
    form->SecondsPerPicture = QString::number(double(freeMBOfD()) * 4 + 1000, 'f', 0); // no room: no video is made
    wizard->WeiterBitBtnClick();
    EXPECT_FALSE(dialogs.messageTexts().contains(LangText(10027)));
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].startsWith("Not enough free space")) << dialogs.messageTexts()[0].toStdString();
}

TEST_F(VideoWizardTest, NextStartsTheRunOrExplainsWhyNot)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    wizard = std::make_unique<TDVDWizardForm>(form->showHost());
    wizard->VideoWindow = dvd.get(); // as the start-up hands it over
    QDialog make;
    make.setResult(-1);
    wizard->MakeWizard = &make;

    // No mode checked (the group lets none go unless told): text 10027 and nothing else.
    wizard->ModeButtonGroup->setExclusive(false);
    for (QRadioButton* b : {wizard->VCDRadioButton, wizard->SVCDRadioButton, wizard->NanoVCDRadioButton, wizard->NanoSVCDRadioButton})
        b->setChecked(false);
    wizard->WeiterBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10027)}));
    EXPECT_FALSE(QFile::exists(hostProgram("Quorbel.log")));
    EXPECT_EQ(make.result(), -1);

    // Too little space: Next is refused with what is needed and what is free; the page stays,
    // the make wizard stays open, nothing is written and no video is made.
    dialogs.clear();
    wizard->ModeButtonGroup->setExclusive(true);
    wizard->VCDRadioButton->setChecked(true);
    ASSERT_TRUE(platform::writeTextLines(showWin("Pictures.ini"), {"stale.jpg | old"}));
    const QString seconds = QString::number(double(freeMBOfD()) * 4 + 1000, 'f', 0);
    form->SecondsPerPicture = seconds;
    wizard->WeiterBitBtnClick();
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_EQ(dialogs.messageTexts()[0], "Not enough free space for the video: needed " + wizard->QuorbelSizeEdit->text()
                                             + " / free " + wizard->FreeDiskEdit->text());
    EXPECT_TRUE(dialogs.modalForms.isEmpty());
    EXPECT_EQ(make.result(), -1);
    EXPECT_EQ(platform::readTextLines(showWin("Pictures.ini")).value_or(QStringList()), QStringList({"stale.jpg | old"}));
    EXPECT_FALSE(QFile::exists(hostProgram("Quorbel.log")));

    // Started all the same (the size shrank meanwhile and grew again): the picture list is
    // rewritten from the show's list, the short instructions say why, no video is made.
    dialogs.clear();
    // No instructions dialog was made at start-up: the wizard makes one for the main window.
    ASSERT_EQ(TAnweisungForm::instance(), nullptr);
    selectMakePage();
    confirmInstructions();
    wizard->StartVideo("VCD");
    if (QDialog* m = wizard->MakeWizard) m->done(QDialog::Accepted);
    EXPECT_EQ(platform::readTextLines(showWin("Pictures.ini")).value_or(QStringList()),
              QStringList({"beach.jpg | Beach", "tower.jpg | Tower", "small.jpg | "}));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('\n').toStdString();
    EXPECT_EQ(dialogs.modalForms, QStringList({"AnweisungForm"}));
    ASSERT_EQ(instructionsSeen.size(), 1);
    EXPECT_EQ(instructionsSeen[0].heading, LangText(4609));
    EXPECT_EQ(instructionsSeen[0].text, LangText(4618));
    EXPECT_FALSE(instructionsSeen[0].burningGuide);
    EXPECT_FALSE(instructionsSeen[0].icon);
    EXPECT_FALSE(instructionsSeen[0].iconLabel);
    EXPECT_EQ(instructionsSeen[0].page, 0); // its OK goes back to the first step
    ASSERT_NE(TAnweisungForm::instance(), nullptr);
    EXPECT_EQ(TAnweisungForm::instance()->parent(), form.get());
    EXPECT_FALSE(QFile::exists(hostProgram("Quorbel.log")));
    EXPECT_EQ(make.result(), int(QDialog::Accepted));
    make.setResult(-1);

    // Enough space, NTSC SVCD: the video window gets mode and norm and makes the video.
    dialogs.clear();
    form->SecondsPerPicture = "1";
    wizard->SVCDRadioButton->setChecked(true);
    wizard->NTSCRadioButton->setChecked(true);
    wizard->WeiterBitBtnClick();
    EXPECT_EQ(dvd->ModeName, "SVCD") << dialogs.messageTexts().join('\n').toStdString();
    EXPECT_FALSE(dvd->HighQuality);
    EXPECT_FALSE(dvd->RunFailed) << dialogs.messageTexts().join('\n').toStdString();
    EXPECT_TRUE(logLines().contains("MODE: NTSC SVCD"));
    const QJsonObject v = stream(probe(videoHost("holiday_SVCD.avi")), "video");
    EXPECT_EQ(v["width"].toInt(), 480);
    EXPECT_EQ(v["height"].toInt(), 480);
    EXPECT_EQ(make.result(), int(QDialog::Accepted));
    EXPECT_TRUE(dialogs.modalForms.isEmpty()) << dialogs.modalForms.join(' ').toStdString();

    // Closing the finished run's window: where the super video CD is, with the burning guide.
    // The dialog is the one made for the no-space case, left with the player icon shown.
    TAnweisungForm::instance()->Prepare("earlier heading", "earlier text", false, true);
    selectMakePage();
    confirmInstructions();
    dvd->CloseBitBtn->click();
    EXPECT_EQ(dialogs.modalForms, QStringList({"AnweisungForm"}));
    ASSERT_EQ(instructionsSeen.size(), 2);
    EXPECT_EQ(instructionsSeen[1].heading, LangText(4608));
    EXPECT_EQ(instructionsSeen[1].text, LangText(4624) + " " + form->VideoFolder + " " + LangText(4625));
    EXPECT_TRUE(instructionsSeen[1].burningGuide);
    EXPECT_FALSE(instructionsSeen[1].icon);
    EXPECT_FALSE(instructionsSeen[1].iconLabel);
    EXPECT_EQ(instructionsSeen[1].page, 0);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('\n').toStdString();

    // Cancel closes this page and the make wizard.
    make.setResult(-1);
    wizard->AbortBitBtnClick();
    EXPECT_EQ(make.result(), int(QDialog::Rejected));
    EXPECT_EQ(wizard->result(), int(QDialog::Rejected));
}

// The page starts the video window it was handed and no other: without one, a start with room
// enough saves the picture list and makes nothing, even while another video window is open.
TEST_F(VideoWizardTest, WithoutAVideoWindowHandedOverNoVideoIsStarted)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    wizard = std::make_unique<TDVDWizardForm>(form->showHost());
    ASSERT_TRUE(platform::writeTextLines(showWin("Pictures.ini"), {"stale.jpg | old"}));
    wizard->StartVideo("SVCD");
    EXPECT_EQ(platform::readTextLines(showWin("Pictures.ini")).value_or(QStringList()),
              QStringList({"beach.jpg | Beach", "tower.jpg | Tower", "small.jpg | "}));
    EXPECT_EQ(dvd->ModeName, "VCD");
    EXPECT_FALSE(dvd->isVisible());
    EXPECT_FALSE(QFile::exists(hostProgram("Quorbel.log")));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('\n').toStdString();
}
