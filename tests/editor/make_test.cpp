#include "editor/makestep.h"
#include "editor/newform.h"
#include "output/video/dvdwizardform.h"
#include "output/web/htmlform.h"
#include "make_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using editor::MakeTarget;

// The page-change rules without a window: what a selected page does to an empty show, when the
// make page is prepared and when the music page's visit renumbers the audio files.
TEST(PageChangeRules, EmptyShowsStayOnTheFirstPageAndOnlyTheMakePageIsPrepared)
{
    struct Case {
        int page;
        bool showEmpty, sourceHasPictures;
        bool clearStatus;
        int text;
        bool prepareMake;
    };
    const Case cases[] = {
        {0, true, false, false, 0, false},     {0, false, true, false, 0, false},
        {1, true, true, true, 10010, false},   {2, true, false, true, 10031, false},
        {3, true, true, true, 10010, false},   {3, true, false, true, 10031, false},
        {1, false, false, true, 0, false},     {2, false, true, true, 0, false},
        {3, false, false, true, 0, true},
    };
    for (const Case& c : cases) {
        const auto s = editor::StartPageChange(c.page, c.showEmpty, c.sourceHasPictures);
        EXPECT_EQ(s.clearStatus, c.clearStatus) << c.page;
        EXPECT_EQ(s.emptyShowText, c.text) << c.page;
        EXPECT_EQ(s.prepareMake, c.prepareMake) << c.page;
    }
}

TEST(PageChangeRules, LeavingTheMusicPageRenumbersOnce)
{
    struct Case {
        std::vector<int> pages; // the pages selected one after the other
        int loads, renumbers;
    };
    const Case cases[] = {
        {{1, 2}, 1, 1},          // music, then settings
        {{2}, 0, 0},             // settings straight from pictures
        {{2, 3, 0}, 0, 0},
        {{1, 2, 3, 0}, 1, 1},    // left once, renumbered once
        {{1, 1, 0}, 2, 1},
        {{1, 0, 1, 2}, 2, 2},
    };
    for (const Case& c : cases) {
        bool visited = false;
        int loads = 0, renumbers = 0;
        for (int page : c.pages) {
            const auto a = editor::FinishPageChange(page, visited);
            loads += a.loadAudioList;
            renumbers += a.renumberAudioFiles;
        }
        EXPECT_EQ(loads, c.loads) << c.pages.size();
        EXPECT_EQ(renumbers, c.renumbers) << c.pages.size();
    }
}

TEST(PageChangeRules, InstructionsNameWhatWasMade)
{
    const auto pc = editor::InstructionsFor(MakeTarget::PC);
    EXPECT_EQ(pc.heading, LangText(4602));
    EXPECT_TRUE(pc.playerIcon);
    EXPECT_FALSE(pc.burningGuide);
    const auto cd = editor::InstructionsFor(MakeTarget::CdRom, "D:\\CDROM-Quorbel\\");
    EXPECT_EQ(cd.text, LangText(4620) + " D:\\CDROM-Quorbel\\ " + LangText(4621));
    EXPECT_FALSE(cd.playerIcon);
    EXPECT_EQ(editor::InstructionsFor(MakeTarget::HtmlPage).text, LangText(4613));
    EXPECT_EQ(editor::InstructionsFor(MakeTarget::Screensaver).heading, LangText(4601));
}

TEST_F(MakeTest, OnlyTheUsersPageChangesRunTheHandler)
{
    openSampleShow();
    selectPage(editor::MusicPage);
    EXPECT_TRUE(form->MusicTabVisited);
    // The program's own return to the first page leaves the visit pending ...
    form->SelectFirstPage();
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_TRUE(form->MusicTabVisited);
    // ... until the user leaves for another page.
    form->PathButton->setVisible(true);
    selectPage(editor::SettingsPage);
    EXPECT_FALSE(form->MusicTabVisited);
    EXPECT_TRUE(form->PathButton->isHidden());
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A new show goes back to the first page on its own, without the handler (which would
    // refuse the empty show with a message).
    selectPage(editor::MusicPage);
    dialogs.modalScript.push_back([](QDialog& d) {
        static_cast<TNewForm&>(d).Edit1->setText("Another show");
        return int(platform::mrOk);
    });
    form->NewQuorbel1Click();
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_TRUE(form->MusicTabVisited);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MakeTest, TheTracksAreRenumberedOnlyWhenTheUserLeavesTheMusicPage)
{
    openSampleShow();
    const QString folder = hostD("Quorbel/Quorbel_0001/");
    const QString sample = "Bumble Bee - TORVELD.mp3";
    ASSERT_TRUE(QFile::exists(folder + sample));
    auto tracks = [&] { return QDir(folder).entryList({"*.mp3", "*.wav"}, QDir::Files); };

    selectPage(editor::SettingsPage); // straight from the pictures
    EXPECT_EQ(tracks(), QStringList{sample});
    form->SelectFirstPage();
    selectPage(editor::MusicPage);
    EXPECT_EQ(form->AudioListBox->count(), 1);
    form->SelectFirstPage(); // the program's own change
    EXPECT_EQ(tracks(), QStringList{sample});
    selectPage(editor::SettingsPage);
    EXPECT_EQ(tracks(), QStringList{"Audio001.mp3"});
    EXPECT_EQ(readAll(folder + "Audio001.mp3").size(), QFileInfo(hostProgram(sample)).size());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
}

TEST_F(MakeTest, AnEmptyShowGoesBackToTheFirstPageAndWritesNothing)
{
    openSampleShow();
    form->QuorbelListBox->Items().Clear();
    const auto program = snapshot(world.programHost());
    const auto drive = snapshot(hostD());
    for (int page : {1, 2, 3}) {
        for (bool sourceHasPictures : {true, false}) {
            form->FileListBox->Items().Clear();
            if (sourceHasPictures) form->FileListBox->Items().Add("picture.jpg");
            dialogs.clear();
            selectPage(page);
            EXPECT_EQ(form->PageControl1->currentIndex(), 0) << page;
            EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(sourceHasPictures ? 10010 : 10031)}) << page;
            EXPECT_TRUE(dialogs.modalForms.isEmpty());
        }
    }
    EXPECT_EQ(snapshot(world.programHost()), program);
    EXPECT_EQ(snapshot(hostD()), drive);
}

TEST_F(MakeTest, CancellingTheWizardWritesNothing)
{
    openSampleShow();
    // Changes that a save would write into every one of the three files.
    form->FullscreenCheckBox->setChecked(false);
    form->QuorbelListBox->Items().Move(4, 0);
    const QString files[] = {hostProgram("Generator.ini"), hostD("Quorbel/Settings.ini"), hostD("Quorbel/Quorbel_0001/Pictures.ini")};
    QStringList before;
    for (const QString& f : files) before << sha256(f);
    // The make page cleans up before the wizard comes up: a thumbnail whose picture is gone.
    writeAll(hostD("Quorbel/Quorbel_0001/_THUMB_gone.jpg"), "thumbnail");
    for (bool closeBox : {false, true}) {
        cancelWizard(closeBox);
        selectPage(editor::MakePage);
        EXPECT_EQ(form->PageControl1->currentIndex(), 0);
        EXPECT_EQ(dialogs.modalForms, QStringList{"MakeWizzard"});
        EXPECT_TRUE(dialogs.messages.isEmpty());
        dialogs.clear();
    }
    EXPECT_FALSE(QFile::exists(hostD("Quorbel/Quorbel_0001/_THUMB_gone.jpg")));
    QStringList after;
    for (const QString& f : files) after << sha256(f);
    EXPECT_EQ(after, before);
    EXPECT_EQ(before.filter(QRegularExpression("^[0-9a-f]{64}$")).size(), 3);
}

TEST_F(MakeTest, TheWizardWantsATargetAndOpensItsHelp)
{
    openSampleShow();
    TMakeWizzard wizard;
    EXPECT_EQ(wizard.windowTitle(), LangText(6206));
    EXPECT_EQ(wizard.DVDRadioButton->text(), LangText(6203));
    EXPECT_EQ(wizard.WeiterBitBtn->text(), LangText(6003));
    EXPECT_FALSE(wizard.Image1->pixmap().isNull());
    EXPECT_TRUE(wizard.Label1->isHidden()); // no administrator rights are needed here

    wizard.setResult(0);
    wizard.WeiterBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10027)});
    EXPECT_EQ(wizard.result(), 0);

    dialogs.clear();
    const QString opened = recordStarts("open");
    wizard.HilfeBitBtnClick();
    EXPECT_EQ(startedWith(opened), QStringList{hostProgram("help_GR/help.html")});
    QFile::remove(opened);
    TAnweisungForm instructions;
    instructions.NeroBitBtnClick(); // the burning guide
    EXPECT_EQ(startedWith(opened), QStringList{hostProgram("help_GR/vcd.html")});
    platform::ProgramTable::instance().set("open", world.root() + "/no-such-browser");
    wizard.HilfeBitBtnClick();
    instructions.NeroBitBtnClick();
    const QString failed = "Unable to start internet browser! Make sure you have it properly set-up on your system!";
    EXPECT_EQ(dialogs.messageTexts(), QStringList({failed, failed}));
    EXPECT_TRUE(dialogs.modalForms.isEmpty());
}

TEST_F(MakeTest, PcTargetSavesTheShowAndStartsThePlayerWithTest)
{
    openSampleShow();
    const QString started = recordStarts("Quorbel-Player.exe");
    form->TitleEdit->setText("Holiday");
    form->EndlessPlayCheckBox->setChecked(true);
    form->FullscreenCheckBox->setChecked(true);
    form->ManuellCheckBox->setChecked(false);
    form->TextCheckBox->setChecked(true);
    form->PictureNameCheckBox->setChecked(true);
    form->BKGColor = 0x00336699;
    form->TextColor = 0x00FFFFFF;
    form->RNDRadioButton->setChecked(true);
    form->SpinEdit1->setValue(9);
    form->SpinEdit2->setValue(40);

    chooseTarget(&TMakeWizzard::PCRadioButton);
    confirmInstructions();
    selectPage(editor::MakePage);

    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
    EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "AnweisungForm"}));
    EXPECT_EQ(startedWith(started), QStringList{"TEST"});
    // The make page loaded and checked the music before the wizard came up.
    EXPECT_EQ(form->AudioListBox->count(), 1);
    const QString settings = hostD("Quorbel/Settings.ini");
    const std::pair<const char*, const char*> keys[] = {
        {"StopQuorbelAtEnd", "FALSE"}, {"Fullscreen", "TRUE"}, {"Manuell", "FALSE"}, {"PictureTextVisible", "TRUE"},
        {"FileNameVisible", "TRUE"}, {"BKGColor", "3368601"}, {"TextColor", "16777215"}, {"EffectMode", "RANDOM"},
        {"Effect", "9"}, {"TextOffset", "40"},
    };
    for (const auto& [key, value] : keys) EXPECT_EQ(crudini(settings, key), value) << key;
    EXPECT_EQ(testsupport::runHost("crudini --get '" + settings + "' SETTINGS | wc -l").trimmed(), "10");
    EXPECT_EQ(crudini(hostProgram("Generator.ini"), "EffectMode"), "RANDOM");
    EXPECT_EQ(testsupport::runHost("crudini --get '" + hostD("Quorbel/Quorbel_0001/Quorbel.ini") + "' QUORBEL Titel").trimmed(), "Holiday");

    EXPECT_EQ(instructionsSeen.heading, LangText(4602));
    EXPECT_EQ(instructionsSeen.text, LangText(4611));
    EXPECT_TRUE(instructionsSeen.icon);
    EXPECT_FALSE(instructionsSeen.burningGuide);
    // OK on the instructions goes back to the first page.
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
}

TEST_F(MakeTest, APlayerThatCannotStartIsNotFollowedByTheShowIsPlaying)
{
    openSampleShow();
    QFile::remove(hostD("Quorbel/Quorbel-Player.exe"));
    chooseTarget(&TMakeWizzard::PCRadioButton);
    selectPage(editor::MakePage);
    // The failure names the program, and no instructions say the show is playing.
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].text, "Unable to start D:\\Quorbel\\Quorbel-Player.exe");
    EXPECT_EQ(dialogs.modalForms, QStringList{"MakeWizzard"});
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
}

TEST_F(MakeTest, PcTargetWithoutATitleStopsAtItsMessage)
{
    openSampleShow();
    const QString started = recordStarts("Quorbel-Player.exe");
    form->TitleEdit->setText("   ");
    const QString settings = sha256(hostD("Quorbel/Settings.ini"));
    chooseTarget(&TMakeWizzard::PCRadioButton);
    selectPage(editor::MakePage);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10001)});
    EXPECT_EQ(dialogs.modalForms, QStringList{"MakeWizzard"});
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_TRUE(startedWith(started, 500).isEmpty());
    EXPECT_EQ(sha256(hostD("Quorbel/Settings.ini")), settings);
}

TEST_F(MakeTest, HtmlTargetShowsItsInstructionsOnlyWhenTheGalleryWrotePages)
{
    openSampleShow();
    THTMLForm gallery(form->showHost()); // as the start-up makes it and hands it over
    form->runWindows.gallery = &gallery;
    const QString opened = recordStarts("open"); // the gallery shows its pages in the browser
    for (bool write : {false, true}) {
        SCOPED_TRACE(write);
        writeAll(hostD("Quorbel/Quorbel_0001/Pictures.ini"), "stale\r\n");
        chooseTarget(&TMakeWizzard::HTMLRadioButton);
        dialogs.modalScript.push_back([this, write](QDialog& d) {
            // The list is saved before the gallery opens.
            EXPECT_TRUE(readAll(hostD("Quorbel/Quorbel_0001/Pictures.ini")).startsWith("Landschaft_01.jpg | "));
            auto& g = static_cast<THTMLForm&>(d);
            if (write) g.BitBtn1Click();
            g.BitBtn3Click();
            return int(platform::mrCancel);
        });
        if (write) confirmInstructions();
        selectPage(editor::MakePage);
        if (write) {
            EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "HTMLForm", "AnweisungForm"}));
            EXPECT_EQ(dialogs.messageTexts(), QStringList{"Erstellen der Galerie wurde erfolgreich abgeschlossen!"});
            EXPECT_TRUE(QFile::exists(hostProgram("gallery/gallery.html")));
            EXPECT_EQ(instructionsSeen.heading, LangText(4604));
            EXPECT_EQ(instructionsSeen.text, LangText(4613));
            EXPECT_FALSE(instructionsSeen.icon);
        } else {
            EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "HTMLForm"}));
            EXPECT_TRUE(dialogs.messages.isEmpty());
        }
        EXPECT_EQ(form->PageControl1->currentIndex(), 0);
        dialogs.clear();
    }
}

TEST_F(MakeTest, DvdTargetLeavesTheWorkToTheVideoWizard)
{
    openSampleShow();
    TDVDWizardForm videoWizard(form->showHost()); // as the start-up makes it and hands it over
    form->runWindows.videoWizard = &videoWizard;
    form->FullscreenCheckBox->setChecked(false);
    const QString generator = sha256(hostProgram("Generator.ini"));

    // Cancelled in the video wizard: it closes the make wizard too, and nothing is saved.
    chooseTarget(&TMakeWizzard::DVDRadioButton);
    dialogs.modalScript.push_back([](QDialog& d) {
        static_cast<TDVDWizardForm&>(d).AbortBitBtnClick();
        return int(platform::mrCancel);
    });
    selectPage(editor::MakePage);
    EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "DVDWizardForm"}));
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_EQ(sha256(hostProgram("Generator.ini")), generator);
    dialogs.clear();

    // A video run started: the video wizard closes the make wizard with OK (as its start does),
    // and the editor settings and the show are saved for this target too.
    chooseTarget(&TMakeWizzard::DVDRadioButton);
    dialogs.modalScript.push_back([](QDialog& d) {
        d.done(QDialog::Accepted);
        TMakeWizzard::instance()->done(QDialog::Accepted);
        return int(platform::mrOk);
    });
    selectPage(editor::MakePage);
    EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "DVDWizardForm"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(crudini(hostProgram("Generator.ini"), "Fullscreen"), "FALSE");
    EXPECT_EQ(crudini(hostD("Quorbel/Settings.ini"), "Fullscreen"), "FALSE");
}

// The video wizard answers the make wizard it was opened from, whichever window made that one:
// Back leaves it open, Cancel closes it with the video wizard.
TEST_F(MakeTest, TheVideoWizardAnswersTheMakeWizardItWasOpenedFrom)
{
    openSampleShow();
    TDVDWizardForm videoWizard(form->showHost()); // as the start-up makes it and hands it over
    form->runWindows.videoWizard = &videoWizard;
    struct Case {
        const char* button;
        void (TDVDWizardForm::*click)();
        int makeResult;
    };
    const Case cases[] = {
        {"back", &TDVDWizardForm::ZurueckBitBtnClick, -1},
        {"cancel", &TDVDWizardForm::AbortBitBtnClick, QDialog::Rejected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        int makeResult = -2;
        dialogs.modalScript.push_back([&makeResult](QDialog& d) {
            auto& make = static_cast<TMakeWizzard&>(d);
            make.setResult(-1); // open, no answer yet
            make.DVDRadioButton->setChecked(true);
            make.WeiterBitBtn->click();
            makeResult = make.result();
            return int(platform::mrCancel);
        });
        dialogs.modalScript.push_back([&c](QDialog& d) {
            (static_cast<TDVDWizardForm&>(d).*c.click)();
            return d.result();
        });
        selectPage(editor::MakePage);
        EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "DVDWizardForm"}));
        EXPECT_EQ(makeResult, c.makeResult);
        EXPECT_EQ(form->PageControl1->currentIndex(), 0);
        dialogs.clear();
    }
}
