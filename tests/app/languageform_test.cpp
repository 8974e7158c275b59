#include "app/languageform.h"
#include "app_fixture.h"
#include "platform/files.h"

#include <QTest>

using platform::MessageKind;

TEST_F(AppTest, LanguageDialogLayout)
{
    TLanguageForm form;
    EXPECT_EQ(form.windowTitle(), "Language");
    EXPECT_EQ(form.size(), QSize(449, 277));
    EXPECT_TRUE(form.windowFlags() & Qt::Tool);
    EXPECT_EQ(form.Image1->geometry(), QRect(0, 0, 450, 300));
    TClickImage* flags[] = {form.GERMANImage, form.ENGLISHImage, form.FRANCEImage, form.ITALIANImage, form.SPAINImage};
    const int lefts[] = {56, 128, 200, 272, 344};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(flags[i]->geometry(), QRect(lefts[i], 152, 45, 30));
        EXPECT_EQ(flags[i]->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(form.Timer1->interval(), 1);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.ProgramDir, world.programDir());
    EXPECT_TRUE(form.ChosenCode.isEmpty());
}

TEST_F(AppTest, LanguageDialogShowsTheDeliveredPictures)
{
    world.copyBuiltProgram();
    TLanguageForm form;
    const QPixmap back = form.Image1->pixmap();
    EXPECT_EQ(back.size(), QSize(450, 300));
    for (TClickImage* flag : {form.GERMANImage, form.ENGLISHImage, form.FRANCEImage, form.ITALIANImage, form.SPAINImage})
        EXPECT_EQ(flag->pixmap().size(), QSize(45, 30)) << flag->objectName().toStdString();
}

TEST_F(AppTest, FirstStartRefusesClosingWithoutAChoice)
{
    TLanguageForm form;
    form.show();
    settle();
    EXPECT_FALSE(form.AlreadySet);
    EXPECT_FALSE(form.close());
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(dialogs.messages.size(), 2);
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.kind, MessageKind::Information);
        EXPECT_EQ(m.text, "Please select your language!");
    }
    EXPECT_FALSE(programFileExists("Generator.ini"));
    EXPECT_FALSE(programFileExists("LanguageIsSet.ini"));
}

TEST_F(AppTest, FlagClickStoresTheLanguageAndTheMarker)
{
    for (int i = 0; i < 5; ++i) {
        const QByteArray code = LanguageCodes[i];
        SCOPED_TRACE(code.constData());
        QFile::remove(world.programHost() + "/Generator.ini");
        QFile::remove(world.programHost() + "/LanguageIsSet.ini");
        TLanguageForm form;
        form.show();
        settle();
        TClickImage* flags[] = {form.GERMANImage, form.ENGLISHImage, form.FRANCEImage, form.ITALIANImage, form.SPAINImage};
        QTest::mouseClick(flags[i], Qt::LeftButton, {}, QPoint(20, 15));
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.ChosenCode, QString::fromLatin1(code));
        EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nLanguage=" + code + "\r\n");
        EXPECT_EQ(readProgramFile("LanguageIsSet.ini"), code + "\r\n");
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(AppTest, FlagClickKeepsTheOtherSettings)
{
    writeProgramFile("Generator.ini", "[SETTINGS]\r\nDefaultTime=4\r\nLanguage=GERMAN\r\nDrive=D\r\n");
    TLanguageForm form;
    form.show();
    settle();
    form.ITALIANImageClick();
    EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nDefaultTime=4\r\nLanguage=ITALIAN\r\nDrive=D\r\n");
}

TEST_F(AppTest, LaterStartClosesTheDialogAtOnceAndWritesNothing)
{
    writeProgramFile("LanguageIsSet.ini", "GERMAN\r\n");
    writeLanguage("ENGLISH");
    TLanguageForm form;
    form.show();
    settle();
    EXPECT_TRUE(form.AlreadySet);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nLanguage=ENGLISH\r\n");
    EXPECT_EQ(readProgramFile("LanguageIsSet.ini"), "GERMAN\r\n");
}

TEST_F(AppTest, DeletedMarkerBringsTheDialogBack)
{
    writeLanguage("SPAIN");
    TLanguageForm form;
    form.show();
    settle();
    EXPECT_FALSE(form.AlreadySet);
    EXPECT_TRUE(form.isVisible());
    // Until a flag is clicked the stored code stays as it was.
    EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nLanguage=SPAIN\r\n");
    form.FRANCEImageClick();
    EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nLanguage=FRANCE\r\n");
}

// When the choice cannot be stored the marker is not written either, so the next start asks again
// rather than running in a language the user did not choose.
TEST_F(AppTest, UnwritableSettingsLeaveNoMarker)
{
    writeLanguage("GERMAN");
    ASSERT_TRUE(platform::setFileAttributes(world.programDir() + "Generator.ini", platform::faReadOnly));
    TLanguageForm form;
    form.show();
    settle();
    form.SPAINImageClick();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nLanguage=GERMAN\r\n");
    EXPECT_FALSE(programFileExists("LanguageIsSet.ini"));
}
