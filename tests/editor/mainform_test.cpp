#include "app/languageform.h"
#include "app/startup.h"
#include "controls/htmlistbox.h"
#include "controls/menumanager.h"
#include "controls/menupainter.h"
#include "editor/aboutbox.h"
#include "editor/editorwindows.h"
#include "editor/mainform.h"
#include "editor/newform.h"
#include "editor/openform.h"
#include "editor/programrunner.h"
#include "editor/staging.h"
#include "editor/tipform.h"
#include "show/picturelist.h"
#include "show/showfiles.h"
#include "editor_fixture.h"
#include "platform/process.h"
#include "app/windowregistry.h"

#include <QTest>

#include <functional>
#include <tuple>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>

using platform::MessageKind;

class MainFormTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;

    void create() { form = std::make_unique<TMainForm>(outputWindows()); }
    void TearDown() override
    {
        form.reset();
        EditorTest::TearDown();
    }
    QStringList itemLines() const
    {
        QStringList lines;
        for (int i = 0; i < form->QuorbelListBox->Count(); ++i) {
            const QString t = form->QuorbelListBox->Items().Strings(i);
            lines << show::ItemLine(t);
        }
        return lines;
    }
    // Answers the show chooser by selecting the show with this exact folder name.
    void chooseShow(const QString& folder)
    {
        dialogs.modalScript.push_back([folder](QDialog& d) {
            auto& f = static_cast<TOpenForm&>(d);
            for (int i = 0; i < f.OpenListBox->count(); ++i)
                if (f.OpenListBox->item(i)->data(Qt::UserRole).toString() == folder) f.OpenListBox->setCurrentRow(i);
            f.OpenBitBtnClick();
            return f.result();
        });
    }
    void makeShow(const QString& folder, const QByteArray& title, const QStringList& pictures)
    {
        writeAll(hostD("Quorbel/" + folder + "/Quorbel.ini"), "[QUORBEL]\r\nTitel=" + title + "\r\nTime=5\r\n");
        QByteArray lines;
        for (const QString& p : pictures) {
            writeAll(hostD("Quorbel/" + folder + "/" + p), "jpeg");
            lines += p.toUtf8() + " | caption of " + p.toUtf8() + "\r\n";
        }
        writeAll(hostD("Quorbel/" + folder + "/Pictures.ini"), lines);
    }
};

TEST_F(MainFormTest, CreationNamesEveryComponentAndFillsEveryCaption)
{
    create();
    const char* names[] = {"SelectVariablesPanel", "ProgrammBildImage", "BeispielBitBtn", "NewBitBtn", "Open1BitBtn", "Delete1BitBtn",
                           "PageControl1", "TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "PixImage1", "PixImage2", "PixImage3",
                           "QuorbelListBox", "FileListBox", "AudioListBox", "TitleEdit", "SecEdit", "TextEdit", "OFFRadioButton",
                           "ONRadioButton", "RNDRadioButton", "SpinEdit1", "SpinEdit2", "DriveComboBox1", "UndoBitBtn",
                           "PicProgressBar", "StatusBar1", "Art", "TempImage", "MediaPlayer1", "BKGColorPanel", "TextColorPanel",
                           "ProgrammBild2Image", "PathButton", "ShowAgainButton", "TipsCheckBox", "SpeedButton10"};
    for (const char* n : names) EXPECT_NE(form->findChild<QWidget*>(n), nullptr) << n;
    for (const char* n : {"Quorbel1", "ScannenDigitalkamera1", "Hilfe1", "Language1"}) EXPECT_NE(form->findChild<QMenu*>(n), nullptr) << n;
    for (const char* n : {"OpenQuorbel1", "NewQuorbel1", "DeleteQuorbel1", "Programmbeenden1", "Treiberauswhlen1", "Einlesenstarten1",
                          "Hilfedatei1", "Update1", "Info1", "Deutsch1", "Spain1"})
        EXPECT_NE(form->findChild<QAction*>(n), nullptr) << n;

    // Every caption of the text table is filled.
    for (auto* b : form->findChildren<QAbstractButton*>()) {
        if (b->objectName().isEmpty() || b->objectName().startsWith("qt_") || b->objectName().startsWith("Scroll")) continue; // the tab bar's own
        EXPECT_FALSE(b->text().isEmpty()) << b->objectName().toStdString();
    }
    for (auto* g : form->findChildren<QGroupBox*>()) EXPECT_FALSE(g->title().isEmpty()) << g->objectName().toStdString();
    for (auto* a : form->findChildren<QAction*>())
        if (!a->isSeparator() && !a->objectName().isEmpty()) { EXPECT_FALSE(a->text().isEmpty()) << a->objectName().toStdString(); }
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(form->PageControl1->tabText(i).isEmpty());
    EXPECT_EQ(form->BeispielBitBtn->text(), LangText(518));
    EXPECT_EQ(form->PageControl1->tabText(3), LangText(588));
    EXPECT_EQ(form->SpeedButton6->toolTip(), LangText(603));
    EXPECT_EQ(form->OpenBitBtn->toolTip(), LangText(589));

    EXPECT_EQ(form->windowTitle(), "Quorbel pro");
    EXPECT_EQ(form->FrameRate, 25);
    EXPECT_EQ(form->TransitionFrames, 12);
    EXPECT_FALSE(form->Quorbel1->isEnabled());
    EXPECT_FALSE(form->ScannenDigitalkamera1->isEnabled());
    EXPECT_FALSE(form->PageControl1->isVisibleTo(form.get()));
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form->normalGeometry(), QRect(0, 0, screen.width(), screen.height() - 27));
    EXPECT_EQ(form->ProgramDir, world.programDir());
    EXPECT_EQ(form->ShowRoot, "D:\\Quorbel\\");
    EXPECT_EQ(form->EncoderFolder, "D:\\DVD-Quorbel\\encoder\\");
    EXPECT_EQ(form->EffectList.size(), 20);
    EXPECT_EQ(form->SpinEdit1->maximum(), 20);
    EXPECT_EQ(form->SecondsPerPicture, "3");
    EXPECT_TRUE(form->findChild<QAction*>("Deutsch1")->isChecked());
    EXPECT_EQ(form->DriveComboBox1->currentData().toString(), "D");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainFormTest, SpanishRunsOnTheEnglishFolders)
{
    useLanguage("SPAIN");
    create();
    EXPECT_EQ(form->ShowRoot, "D:\\Quorbelix\\");
    EXPECT_EQ(form->VideoFolder, "D:\\DVD-Quorbelix\\");
    EXPECT_EQ(form->CdFolder, "D:\\CDROM-Quorbelix\\");
    EXPECT_TRUE(form->findChild<QAction*>("Spain1")->isChecked());
    EXPECT_TRUE(QFile::exists(hostD("Quorbelix/Quorbelix-Player.exe")));
}

TEST_F(MainFormTest, ADriveThatCannotHoldTheShowsFallsBackAndIsKept)
{
    useLanguage("GERMAN", "q:\\");
    create();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(form->DriveLetter, "C");
    EXPECT_EQ(form->ShowRoot, "C:\\Quorbel\\");
    EXPECT_TRUE(QFile::exists(world.hostC() + "/Quorbel/Quorbel_0001/Quorbel.ini"));
    form->FormClose();
    EXPECT_EQ(platform::IniFile(world.programDir() + "Generator.ini").readString("SETTINGS", "Drive"), "Q");

    // A value that is no drive at all runs on the default drive without a message.
    dialogs.clear();
    useLanguage("GERMAN", "7");
    create();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->ShowRoot, "C:\\Quorbel\\");
}

TEST_F(MainFormTest, OpeningAShowFillsTheContext)
{
    create();
    makeShow("Quorbel_0005", " Trip ", {"b.jpg", "a.jpg"});
    writeAll(hostD("Quorbel/Quorbel_0005/Quorbel.ini"), "[QUORBEL]\r\nTitel= Trip \r\nTime=4,5\r\n");
    form->OpenShow("Quorbel_0005");
    EXPECT_EQ(form->ShowTitle, "Trip");
    EXPECT_EQ(form->TitleEdit->text(), "Trip");
    EXPECT_EQ(form->windowTitle(), "Trip : Quorbel pro");
    EXPECT_EQ(form->SecondsPerPicture, "4");
    EXPECT_EQ(form->SecEdit->text(), "4");
    EXPECT_EQ(form->ShowFolder, "Quorbel_0005");
    EXPECT_EQ(itemLines(), QStringList({"b.jpg | caption of b.jpg", "a.jpg | caption of a.jpg"}));
    EXPECT_EQ(form->QuorbelListBox->Items().Strings(0),
              "<IMG src=\"file://D:\\Quorbel\\Quorbel_0005\\_THUMB_b.jpg\" align=\"top\">b.jpg | caption of b.jpg");
    EXPECT_EQ(form->QuorbelLabel->text(), LangText(594) + " 2 " + LangText(595));

    // The placeholder leaves an empty title and a fresh folder name.
    form->OpenShow("del");
    EXPECT_EQ(form->ShowTitle, "");
    EXPECT_EQ(form->ShowFolder, "Quorbel_0006");
    EXPECT_EQ(form->QuorbelListBox->Count(), 0);

    // A show without "Pictures.ini" opens empty.
    writeAll(hostD("Quorbel/Quorbel_0007/Quorbel.ini"), "[QUORBEL]\r\nTitel=Bare\r\nTime=\r\n");
    form->OpenShow("Quorbel_0005");
    form->OpenShow("Quorbel_0007");
    EXPECT_EQ(form->ShowTitle, "Bare");
    EXPECT_EQ(form->SecondsPerPicture, "3");
    EXPECT_EQ(form->QuorbelListBox->Count(), 0);

    // A folder without "Quorbel.ini" keeps the list and sets the time to 3.
    form->OpenShow("Quorbel_0005");
    form->OpenShow("Nothing");
    EXPECT_EQ(form->ShowTitle, "");
    EXPECT_EQ(form->SecondsPerPicture, "3");
    EXPECT_EQ(form->QuorbelListBox->Count(), 2);
    EXPECT_EQ(form->ShowFolder, "Quorbel_0005");
}

TEST_F(MainFormTest, CaptionsSurviveSavingTheList)
{
    create();
    makeShow("Quorbel_0001", "Caps", {"a.jpg"});
    form->OpenShow("Quorbel_0001");
    const QString item = form->QuorbelListBox->Items().Strings(0);
    form->QuorbelListBox->Items().setStrings(0, show::ItemWithCaption(item, "3 > 2 and <b>"));
    form->SavePictureList();
    EXPECT_EQ(readAll(hostD("Quorbel/Quorbel_0001/Pictures.ini")), "a.jpg | 3 > 2 and <b>\r\n");
    form->OpenShow("Quorbel_0001");
    EXPECT_EQ(itemLines(), QStringList({"a.jpg | 3 > 2 and <b>"}));
}

TEST_F(MainFormTest, ShowsAreOpenedAndDeletedByTheirExactFolderNames)
{
    create();
    makeShow("My Show", "Spaced", {"x.jpg"});
    makeShow("Quorbel_0001 - Copy", "Copy", {"y.jpg"});
    chooseShow("My Show");
    form->OpenQuorbel1Click();
    EXPECT_EQ(form->ShowFolder, "My Show");
    EXPECT_EQ(form->ShowTitle, "Spaced");
    EXPECT_TRUE(form->PageControl1->isVisibleTo(form.get()));
    EXPECT_TRUE(form->Quorbel1->isEnabled());

    chooseShow("Quorbel_0001 - Copy");
    dialogs.confirmAnswers.push_back(platform::mrYes);
    form->DeleteQuorbel1Click();
    EXPECT_FALSE(QFileInfo::exists(hostD("Quorbel/Quorbel_0001 - Copy")));
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/Quorbel_0001/Quorbel.ini")));
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/My Show/x.jpg")));
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10008)}));
    EXPECT_EQ(form->ShowTitle, "");
    EXPECT_EQ(form->QuorbelListBox->Count(), 0);

    // Answering No deletes nothing.
    chooseShow("My Show");
    dialogs.confirmAnswers.push_back(platform::mrNo);
    form->DeleteQuorbel1Click();
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/My Show/x.jpg")));
}

TEST_F(MainFormTest, NothingOutsideAShowFolderIsEverDeleted)
{
    create();
    const auto before = snapshot(world.hostD());
    for (const QString bad : {"", "..", "..\\DVD-Quorbel", "."}) {
        dialogs.modalScript.push_back([bad](QDialog& d) {
            auto& f = static_cast<TOpenForm&>(d);
            f.OpenListBox->setCurrentRow(0);
            f.OpenBitBtnClick();
            f.ChosenFolder = bad; // a name that reached the chooser by other means
            return f.result();
        });
        dialogs.confirmAnswers.push_back(platform::mrYes);
        form->DeleteQuorbel1Click();
    }
    EXPECT_EQ(dialogs.messageTexts().count(LangText(10009)), 4);
    auto after = snapshot(world.hostD());
    EXPECT_EQ(before.keys(), after.keys());
}

TEST_F(MainFormTest, NewShowTakesTheTitleAndTheNextFolder)
{
    create();
    dialogs.modalScript.push_back([](QDialog& d) {
        auto& f = static_cast<TNewForm&>(d);
        f.Edit1->setText("Holiday");
        f.FormKeyDown(Qt::Key_Return);
        return f.result();
    });
    form->NewQuorbel1Click();
    EXPECT_EQ(form->ShowTitle, "Holiday");
    EXPECT_EQ(form->TitleEdit->text(), "Holiday");
    EXPECT_EQ(form->ShowFolder, "Quorbel_0003");
    EXPECT_EQ(form->windowTitle(), "Holiday : Quorbel pro");
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_TRUE(form->PageControl1->isVisibleTo(form.get()));

    // Cancelled: nothing changes.
    dialogs.modalScript.push_back([](QDialog& d) {
        static_cast<TNewForm&>(d).FormKeyDown(Qt::Key_Escape);
        return d.result();
    });
    form->NewQuorbel1Click();
    EXPECT_EQ(form->ShowFolder, "Quorbel_0003");
}

TEST_F(MainFormTest, TheSecondsFieldIsNormalisedWhenLeft)
{
    create();
    const std::pair<const char*, const char*> cases[] = {{"4,5", "4"}, {"", "3"}, {"abc", "3"}, {"0", "3"}, {" 8 ", "8"}};
    for (const auto& [typed, shown] : cases) {
        form->SecEdit->setText(typed);
        EXPECT_EQ(form->SecondsPerPicture, QString(typed).trimmed());
        form->SecEditExit();
        EXPECT_EQ(form->SecEdit->text(), shown) << typed;
        EXPECT_EQ(form->SecondsPerPicture, shown);
    }
}

TEST_F(MainFormTest, EditedTitleAndSecondsAreKeptWithoutMakingATarget)
{
    const QString ini = "Quorbel/Quorbel_0005/Quorbel.ini";
    auto stored = [&](const char* key) {
        return platform::IniFile(QStringLiteral("D:\\Quorbel\\Quorbel_0005\\Quorbel.ini"))
            .readString("QUORBEL", QString::fromLatin1(key));
    };
    create();
    makeShow("Quorbel_0005", "Trip", {"a.jpg"});
    makeShow("Quorbel_0006", "Other", {"b.jpg"});

    // Opening and leaving a show without an edit rewrites nothing.
    writeAll(hostD(ini), "[QUORBEL]\r\nTitel=Trip\r\nTime=4,5\r\n");
    form->OpenShow("Quorbel_0005");
    form->OpenShow("Quorbel_0006");
    EXPECT_EQ(readAll(hostD(ini)), "[QUORBEL]\r\nTitel=Trip\r\nTime=4,5\r\n");

    // Leaving the seconds field stores them at once, normalised.
    form->OpenShow("Quorbel_0005");
    form->SecEdit->setText("7,5");
    emit form->SecEdit->editingFinished();
    EXPECT_EQ(stored("Time"), "7");

    // The title is stored when its field is left, and when the show is switched.
    form->TitleEdit->setText("Summer");
    emit form->TitleEdit->editingFinished();
    EXPECT_EQ(stored("Titel"), "Summer");
    form->TitleEdit->setText("Summer at the lake");
    form->OpenShow("Quorbel_0006");
    EXPECT_EQ(stored("Titel"), "Summer at the lake");
    EXPECT_EQ(form->ShowTitle, "Other");

    // ...and at the latest when the program ends.
    form->OpenShow("Quorbel_0005");
    form->TitleEdit->setText("Last words");
    form->SecEditChange();
    form->FormClose();
    EXPECT_EQ(stored("Titel"), "Last words");
    EXPECT_EQ(stored("Time"), "7");

    // A folder opened without "Quorbel.ini" leaves the fields to no show: nothing is written into
    // the show that stays current.
    create();
    form->OpenShow("Quorbel_0005");
    form->OpenShow("Nothing");
    form->FormClose();
    EXPECT_EQ(stored("Titel"), "Last words");
    EXPECT_EQ(stored("Time"), "7");
}

TEST_F(MainFormTest, SavingTheShowWritesTheFilesAndStartsThePlayerWithTest)
{
    create();
    form->BeispielBitBtnClick();
    ASSERT_EQ(form->QuorbelListBox->Count(), 5);
    form->FullscreenCheckBox->setChecked(false);
    form->ManuellCheckBox->setChecked(true);
    form->TextCheckBox->setChecked(true);
    form->ONRadioButton->setChecked(true);
    form->SpinEdit1->setValue(7);
    form->TitleEdit->setText("Saved show");
    // Move the last picture to the front.
    form->QuorbelListBox->Items().Move(4, 0);

    const QString plan = world.root() + "/plan.txt";
    qputenv("QUORBEL_PLAYER_PLAN", plan.toLocal8Bit());
    form->SaveShow(true);
    qunsetenv("QUORBEL_PLAYER_PLAN");
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join("|").toStdString();

    const QString settings = hostD("Quorbel/Settings.ini");
    EXPECT_EQ(testsupport::runHost("crudini --get '" + settings + "' SETTINGS").split('\n', Qt::SkipEmptyParts),
              QStringList({"StopQuorbelAtEnd", "Fullscreen", "Manuell", "PictureTextVisible", "FileNameVisible", "BKGColor",
                           "TextColor", "EffectMode", "Effect", "TextOffset"}));
    EXPECT_EQ(testsupport::runHost("crudini --get '" + settings + "' SETTINGS Manuell").trimmed(), "FALSE");
    EXPECT_EQ(testsupport::runHost("crudini --get '" + settings + "' SETTINGS EffectMode").trimmed(), "ON");
    EXPECT_EQ(testsupport::runHost("crudini --get '" + hostD("Quorbel/Quorbel_0001/Quorbel.ini") + "' QUORBEL Titel").trimmed(),
              "Saved show");
    const QStringList lines = QString::fromLatin1(readAll(hostD("Quorbel/Quorbel_0001/Pictures.ini"))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith("Landschaft_05.jpg | "));

    // The staged player was started; its plan shows what it was given.
    std::ignore = QTest::qWaitFor([&] { return QFile::exists(plan); }, 60000);
    const QStringList planLines = QString::fromUtf8(readAll(plan)).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(planLines.isEmpty()) << "the player did not start";
    EXPECT_EQ(planLines[0], "Arguments=TEST");
    EXPECT_TRUE(planLines.contains("Show=Quorbel_0001|Saved show|4"));
    EXPECT_TRUE(planLines.contains("Effect=7"));
    QStringList expectedPictures;
    for (const QString& line : lines) {
        const qsizetype bar = line.indexOf('|');
        expectedPictures << "Picture=" + line.left(bar).trimmed() + "|" + line.mid(bar + 1).trimmed();
    }
    EXPECT_EQ(planLines.filter("Picture="), expectedPictures);
    for (const char* key : {"StopQuorbelAtEnd", "Fullscreen", "Manuell", "PictureTextVisible", "FileNameVisible", "BKGColor",
                            "TextColor", "EffectMode", "Effect", "TextOffset"}) {
        const QString stored = testsupport::runHost(QString("crudini --get '%1' SETTINGS %2").arg(settings, key)).trimmed();
        EXPECT_TRUE(planLines.contains(QString(key) + "=" + stored)) << key;
    }
}

TEST_F(MainFormTest, SavingWithoutTitleOrPicturesWritesNothing)
{
    create();
    form->BeispielBitBtnClick();
    const auto before = snapshot(world.hostD());
    form->TitleEdit->setText("   ");
    form->SaveShow(true);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10001)}));
    EXPECT_EQ(snapshot(world.hostD()), before);

    dialogs.clear();
    form->TitleEdit->setText("Title");
    form->QuorbelListBox->Items().Clear();
    form->SaveShow(true);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10002)}));
    EXPECT_EQ(snapshot(world.hostD()), before);
}

TEST_F(MainFormTest, APlayerThatCannotStartIsReported)
{
    create();
    form->BeispielBitBtnClick();
    QFile::remove(hostD("Quorbel/Quorbel-Player.exe"));
    form->SaveShow(true);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"Unable to start D:\\Quorbel\\Quorbel-Player.exe"}));
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/Quorbel_0001/Pictures.ini")));
}

TEST_F(MainFormTest, ClosingDeletesOnlyTheProgramsOwnWorkFiles)
{
    create();
    const QStringList ours = {"UNDO_1.jpg", "UNDO_12.jpg", "Temp.jpg", "prev.jpg", "Print.txt"};
    const QStringList users = {"UNDOx.jpg", "my_UNDO_1.jpg", "Temp.jpeg", "prev.jpg.bak", "Notes.txt"};
    for (const QString& f : ours + users) writeAll(hostProgram(f), "x");
    writeAll(hostD("Pictures/Holiday_JPEG.JPG"), "a source picture");
    form->OpenPictureDialog1.fileName = "D:\\Pictures\\Holiday.jpg";
    form->SecEdit->setText("6");
    form->FormClose();
    for (const QString& f : ours) EXPECT_FALSE(QFile::exists(hostProgram(f))) << f.toStdString();
    for (const QString& f : users) EXPECT_TRUE(QFile::exists(hostProgram(f))) << f.toStdString();
    EXPECT_TRUE(QFile::exists(hostD("Pictures/Holiday_JPEG.JPG")));
    EXPECT_EQ(platform::IniFile(world.programDir() + "Generator.ini").readString("SETTINGS", "DefaultTime"), "6");
    EXPECT_EQ(platform::IniFile(world.programDir() + "Generator.ini").readString("SETTINGS", "Language"), "GERMAN");
}

TEST_F(MainFormTest, SettingsControlsFollowTheStoredValues)
{
    platform::IniFile ini(world.programDir() + "Generator.ini");
    ASSERT_TRUE(ini.writeString("SETTINGS", "Fullscreen", "FALSE"));
    ASSERT_TRUE(ini.writeString("SETTINGS", "EffectMode", "ON"));
    ASSERT_TRUE(ini.writeString("SETTINGS", "Effect", "500"));
    ASSERT_TRUE(ini.writeString("SETTINGS", "DefaultTime", "abc"));
    create();
    EXPECT_FALSE(form->ManuellCheckBox->isVisibleTo(form->TabSheet3));
    EXPECT_TRUE(form->EffectPanel->isVisibleTo(form->TabSheet3));
    EXPECT_EQ(form->Effect, 20); // clamped into the transition list
    EXPECT_EQ(form->SpinEdit1->value(), 20);
    EXPECT_EQ(form->SecondsPerPicture, "3");
    form->RNDRadioButton->click();
    EXPECT_FALSE(form->EffectPanel->isVisibleTo(form->TabSheet3));
    form->FullscreenCheckBox->click();
    EXPECT_TRUE(form->ManuellCheckBox->isVisibleTo(form->TabSheet3));

    // A new drive is remembered for the next start.
    EXPECT_FALSE(form->PathButton->isVisibleTo(form->TabSheet3));
    form->DriveComboBox1->setCurrentIndex(form->DriveComboBox1->findData("C"));
    form->DriveComboBox1Change();
    EXPECT_TRUE(form->PathButton->isVisibleTo(form->TabSheet3));
    EXPECT_EQ(form->ShowRoot, "D:\\Quorbel\\");
    form->SaveGeneratorSettings();
    EXPECT_EQ(ini.readString("SETTINGS", "Drive"), "C");
    EXPECT_EQ(ini.readString("SETTINGS", "EffectMode"), "RANDOM");
}

TEST_F(MainFormTest, AMissingTransitionListNeverBreaksTheWindow)
{
    QFile::remove(hostProgram("Effects.ini"));
    ASSERT_TRUE(platform::IniFile(world.programDir() + "Generator.ini").writeString("SETTINGS", "Effect", "5"));
    create();
    EXPECT_TRUE(form->EffectList.isEmpty());
    EXPECT_EQ(form->Effect, 1);
    EXPECT_EQ(form->SpinEdit1->maximum(), 1);
}

TEST_F(MainFormTest, HelpThatCannotOpenSaysWhereTheHelpFileIs)
{
    create();
    const QString failed = "Unable to start internet browser! Make sure you have it properly set-up on your system!\n";
    const QString help = world.programHost() + "/help_GR/help.html";
    // An opener that cannot start, and one that starts and finds no browser (xdg-open's exit 3).
    const QString noBrowser = world.writeHostFile("bin/no-browser", "#!/bin/sh\nexit 3\n");
    QFile::setPermissions(noBrowser, QFile::permissions(noBrowser) | QFileDevice::ExeOwner);
    for (const QString& opener : {QString("/nonexistent/opener"), noBrowser}) {
        SCOPED_TRACE(opener.toStdString());
        dialogs.clear();
        platform::ProgramTable::instance().set("open", opener);
        form->HelpBitBtn->click();
        EXPECT_EQ(dialogs.messageTexts(), QStringList({failed + "The help could not be opened. It is the file " + help}));
    }
    // Without the help file, that is said.
    ASSERT_TRUE(QFile::rename(help, help + ".away"));
    dialogs.clear();
    form->Hilfedatei1Click();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({failed + "The help could not be opened: the file is missing: " + help}));
    ASSERT_TRUE(QFile::rename(help + ".away", help));

    // A browser that opens the page and stays is no failure.
    const QString browser = world.writeHostFile("bin/browser", "#!/bin/sh\necho \"$1\" > \"$0.opened\"\nexec sleep 5\n");
    QFile::setPermissions(browser, QFile::permissions(browser) | QFileDevice::ExeOwner);
    platform::ProgramTable::instance().set("open", browser);
    dialogs.clear();
    form->Hilfedatei1Click();
    platform::ProgramTable::instance().loadFromEnvironment();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join("|").toStdString();
    EXPECT_EQ(QString::fromUtf8(readAll(browser + ".opened")).trimmed(), help);
}

TEST_F(MainFormTest, StartUpMakesTheEditorsWindowsInItsOrder)
{
    RegisterEditorWindows(outputWindows(), util::TextTable::instance());
    auto windows = CreateApplicationWindows();
    auto* main = qobject_cast<TMainForm*>(windows[0].get());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->objectName(), "MainForm");
    auto find = [](const char* name) { return WindowRegistry::named(QString::fromLatin1(name)); };
    EXPECT_EQ(&main->openForm(), find("OpenForm"));
    EXPECT_EQ(static_cast<QWidget*>(&main->newForm()), find("NewForm"));
    EXPECT_EQ(static_cast<QWidget*>(&main->aboutBox()), find("AboutBox"));
    EXPECT_EQ(static_cast<QWidget*>(&main->tipForm()), find("TipForm"));
    EXPECT_EQ(find("TipForm")->windowTitle(), LangText(4803));
    while (windows.size() > 1) windows.pop_back(); // dialogs first, as the run ends
}

TEST_F(MainFormTest, ANewDriveIsAppliedByEndingTheProgram)
{
    create();
    form->show();
    form->DriveComboBox1->setCurrentIndex(form->DriveComboBox1->findData("C"));
    form->DriveComboBox1Change();
    dialogs.confirmAnswers.push_back(platform::mrNo);
    form->PathButtonClick();
    EXPECT_EQ(form->DriveComboBox1->currentData().toString(), "D"); // the show root's drive again
    EXPECT_TRUE(form->isVisible());

    form->DriveComboBox1->setCurrentIndex(form->DriveComboBox1->findData("C"));
    form->DriveComboBox1Change();
    dialogs.confirmAnswers.push_back(platform::mrYes);
    form->PathButtonClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10021), LangText(10021), LangText(10022)}));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(platform::IniFile(world.programDir() + "Generator.ini").readString("SETTINGS", "Drive"), "C");
}

TEST_F(MainFormTest, ColoursComeFromTheColourDialog)
{
    create();
    dialogs.colorAnswers.push_back(platform::rgbColor(10, 20, 30));
    dialogs.colorAnswers.push_back(std::nullopt);
    form->BKGColorButtonClick();
    form->TextcolorButtonClick();
    EXPECT_EQ(form->BKGColor, platform::rgbColor(10, 20, 30));
    EXPECT_EQ(form->TextColor, 16777215); // cancelled: the default, white, stays
    EXPECT_EQ(form->TextColorPanel->palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(form->BKGColorPanel->palette().color(QPalette::Window), QColor(10, 20, 30));
    form->SaveGeneratorSettings();
    EXPECT_EQ(platform::IniFile(world.programDir() + "Generator.ini").readInteger("SETTINGS", "BKGColor", -1), 0x1E140A);
}

TEST_F(MainFormTest, AShowThatCannotBeWrittenIsReportedAndNotPlayed)
{
    create();
    form->BeispielBitBtnClick();
    // A player that cannot be started: the runner answers before SaveShow returns, so every
    // attempt to play shows as a message.
    auto& programs = platform::ProgramTable::instance();
    for (const char* player : {"Quorbel-Player.exe", "Quorbelix-Player.exe"}) programs.set(player, "/nonexistent/player");
    QFile::remove(hostD("Quorbel/Settings.ini"));
    QDir().mkpath(hostD("Quorbel/Settings.ini")); // a folder where the file belongs
    const bool unwritable = form->SaveShow(true);
    const auto refused = dialogs.messages;
    // Once the file can be written, the same save asks for the player.
    dialogs.clear();
    QDir(hostD("Quorbel/Settings.ini")).removeRecursively();
    form->SaveShow(true);
    programs.loadFromEnvironment();

    EXPECT_FALSE(unwritable);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0].kind, MessageKind::Error);
    EXPECT_EQ(refused[0].text, "Unable to write D:\\Quorbel\\Settings.ini");
    EXPECT_TRUE(QFileInfo(hostD("Quorbel/Settings.ini")).isFile());
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"Unable to start D:\\Quorbel\\" + editor::PlayerFileName(LanguageCode)}));
}

// The small files that say what a start should do: one that cannot be written (a folder stands in
// its place) is named in an error, each time it is tried.
TEST_F(MainFormTest, AMarkerThatCannotBeWrittenIsNamed)
{
    struct RestoreTable {
        ~RestoreTable() { platform::ProgramTable::instance().loadFromEnvironment(); }
    } restore;
    platform::ProgramTable::instance().set("cdparanoia", "/bin/true"); // the CD driver marker is wanted
    const struct {
        QString host, name; // the file on the host and as the message names it
        std::function<void()> write;
    } cases[] = {
        {world.programHost() + "/NoTip.ini", world.programDir() + "NoTip.ini",
         [] {
             TTipForm tips;
             tips.CheckBox1->setChecked(true);
             tips.CloseBitBtnClick();
         }},
        {world.programHost() + "/LanguageIsSet.ini", world.programDir() + "LanguageIsSet.ini",
         [this] {
             TLanguageForm language;
             language.ProgramDir = world.programDir();
             language.ChosenCode = "GERMAN";
             language.FormClose();
         }},
        {world.hostC() + "/Windows/system32/wnaspi32.dll", "C:\\Windows\\system32\\wnaspi32.dll",
         [] { EXPECT_FALSE(editor::StageCdDriverMarker("C:\\Windows")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host.toStdString());
        QFile::remove(c.host);
        ASSERT_TRUE(QDir().mkpath(c.host));
        dialogs.clear();
        c.write();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
        EXPECT_TRUE(dialogs.messages[0].text.contains(c.name)) << dialogs.messages[0].text.toStdString();
        EXPECT_TRUE(QDir().rmdir(c.host));
    }
}

TEST_F(MainFormTest, MenusAreDrawnFlatByTheMainWindowsPainter)
{
    create();
    controls::TXPMenu* painter = form->XPMenu1;
    ASSERT_NE(painter, nullptr);
    EXPECT_TRUE(painter->Active());
    EXPECT_TRUE(painter->Gradient());
    EXPECT_TRUE(painter->FlatMenu());
    EXPECT_EQ(painter->DimLevel(), 0);
    EXPECT_EQ(painter->XPControls(), (controls::TXPControls{controls::xcMainMenu, controls::xcPopupMenu}));
    EXPECT_TRUE(painter->XPContainers().isEmpty());
    for (QWidget* menu : std::initializer_list<QWidget*>{form->menuBar(), form->Quorbel1, form->ScannenDigitalkamera1,
                                                          form->Hilfe1, form->Language1, form->PopupMenu1})
        EXPECT_EQ(menu->style(), painter->style()) << menu->objectName().toStdString();
    EXPECT_EQ(controls::TXPMenuManager::instance()->activePainter(), painter);
    form.reset();
    EXPECT_EQ(controls::TXPMenuManager::instance(), nullptr);
}
