#include "editor/cdexport.h"
#include "editor/makestep.h"
#include "make_fixture.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "platform/screensaver.h"

#include <QTest>

#include <tuple>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

class ExportTest : public MakeTest {
protected:
    // Extra shows beside the samples: a copied folder whose name has blanks, a folder without
    // "Quorbel.ini", one with a dot in its name and a show with a sub-folder of its own.
    void addShows()
    {
        testsupport::runHost("cp -a '" + hostD("Quorbel/Quorbel_0002") + "' '" + hostD("Quorbel/Quorbel_0001 - Copy") + "'");
        writeAll(hostD("Quorbel/Quorbel_0001 - Copy/Quorbel.ini"), "[QUORBEL]\r\nTitel=Copied show\r\nTime=3\r\n");
        writeAll(hostD("Quorbel/NoShow/picture.jpg"), "jpeg");
        writeAll(hostD("Quorbel/x_12.old/Quorbel.ini"), "[QUORBEL]\r\nTitel=Old\r\n");
        writeAll(hostD("Quorbel/Quorbel_0001/extra/notes.txt"), "not for the CD");
    }
    void makeTarget(QRadioButton* TMakeWizzard::*target) { chooseTarget(target); }
    // The screensaver target with these shows ticked, through to its instructions.
    void makeScreensaver(const QStringList& shows)
    {
        makeTarget(&TMakeWizzard::ScreenSaverRadioButton);
        tickShows(shows);
        confirmInstructions();
        selectPage(editor::MakePage);
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
        EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "ExportForm", "AnweisungForm"}));
        EXPECT_EQ(instructionsSeen.heading, LangText(4601));
    }
    // A file that cannot be read: a link to a process's memory fails at its first byte, for
    // every user.
    void addUnreadableFile(const QString& hostPath) { QFile::link("/proc/self/mem", hostPath); }
};

TEST_F(ExportTest, TheDialogOffersEveryShowByItsExactFolderAndWantsATick)
{
    openSampleShow();
    addShows();
    TExportForm dialog;
    dialog.ShowRoot = form->ShowRoot;
    EXPECT_EQ(dialog.windowTitle(), LangText(2600));
    dialogs.modalScript.push_back([](QDialog& d) {
        auto& f = static_cast<TExportForm&>(d);
        f.setResult(0);
        f.OpenBitBtnClick(); // nothing ticked: refused, the dialog stays
        EXPECT_EQ(f.result(), 0);
        return int(platform::mrCancel);
    });
    dialog.ShowForExport(2602);
    EXPECT_EQ(dialog.DoLabel->text(), LangText(2602));
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10029)});
    QStringList texts, folders;
    for (int i = 0; i < dialog.CheckListBox->count(); ++i) {
        texts << dialog.CheckListBox->item(i)->text();
        folders << dialog.CheckListBox->item(i)->data(Qt::UserRole).toString();
        EXPECT_EQ(dialog.CheckListBox->item(i)->checkState(), Qt::Unchecked);
    }
    EXPECT_EQ(folders, QStringList({"Quorbel_0001", "Quorbel_0001 - Copy", "Quorbel_0002"}));
    EXPECT_EQ(texts[1], "Quorbel_0001 - Copy Copied show");
}

TEST_F(ExportTest, CdRomTargetBuildsAFolderThatBurnsToAnImage)
{
    openSampleShow();
    addShows();
    form->TitleEdit->setText("Landscapes");
    writeAll(hostD("CDROM-Quorbel/old/stale.txt"), "from an earlier export");
    makeTarget(&TMakeWizzard::CDROMRadioButton);
    tickShows({"Quorbel_0001", "Quorbel_0001 - Copy"});
    confirmInstructions();
    selectPage(editor::MakePage);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
    EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "ExportForm", "AnweisungForm"}));
    EXPECT_EQ(instructionsSeen.heading, LangText(4603));
    EXPECT_EQ(instructionsSeen.text, LangText(4620) + " D:\\CDROM-Quorbel\\ " + LangText(4621));
    EXPECT_FALSE(instructionsSeen.icon);

    // The expected tree: the root's files at the top, each ticked show's files in its folder.
    const QString expected = world.root() + "/expected";
    const QString root = hostD("Quorbel");
    int status = -1;
    testsupport::runHost("set -e; mkdir -p '" + expected + "'; cd '" + root + "'; for f in *; do [ -f \"$f\" ] && cp -p \"$f\" '"
                             + expected + "/'; done; for s in 'Quorbel_0001' 'Quorbel_0001 - Copy'; do mkdir '" + expected
                             + "/'\"$s\"; for f in \"$s\"/*; do [ -f \"$f\" ] && cp -p \"$f\" '" + expected + "/'\"$s\"/; done; done",
                         &status);
    ASSERT_EQ(status, 0);
    const QString cd = hostD("CDROM-Quorbel");
    const QString diff = testsupport::runHost("diff -r '" + expected + "' '" + cd + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << diff.toStdString();
    EXPECT_TRUE(QFileInfo(cd + "/Quorbel-Player.exe").isExecutable());
    EXPECT_EQ(readAll(cd + "/Quorbel_0001/Quorbel.ini"), readAll(root + "/Quorbel_0001/Quorbel.ini"));
    EXPECT_TRUE(readAll(cd + "/Quorbel_0001/Quorbel.ini").contains("Titel=Landscapes"));

    const QString image = world.root() + "/show.iso";
    const QString made = testsupport::runHost("xorriso -as mkisofs -J -V QUORBEL -o '" + image + "' '" + cd + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << made.toStdString();
    const QStringList listing = testsupport::runHost("isoinfo -J -f -i '" + image + "'").split('\n', Qt::SkipEmptyParts);
    for (const QString entry : {"/Autorun.inf", "/Quorbel-Player.exe", "/Quorbel_0001/Pictures.ini",
                                 "/Quorbel_0001 - Copy/Quorbel.ini", "/Quorbel_0001/Landschaft_01.jpg"})
        EXPECT_TRUE(listing.contains(entry, Qt::CaseInsensitive)) << entry.toStdString();
    EXPECT_TRUE(listing.filter("Quorbel_0002").isEmpty());
}

TEST_F(ExportTest, ClosingTheExportDialogChangesNothing)
{
    openSampleShow();
    writeAll(hostD("CDROM-Quorbel/Quorbel_0001/old.jpg"), "an earlier export");
    for (auto target : {&TMakeWizzard::CDROMRadioButton, &TMakeWizzard::ScreenSaverRadioButton}) {
        // The show itself is saved before the dialog; what follows it must not touch a file.
        makeTarget(target);
        QMap<QString, QByteArray> drives[3];
        dialogs.modalScript.push_back([&](QDialog& d) {
            drives[0] = snapshot(hostD());
            drives[1] = snapshot(world.hostC());
            drives[2] = snapshot(world.home());
            auto& f = static_cast<TExportForm&>(d);
            f.CheckListBox->item(1)->setCheckState(Qt::Checked);
            return int(platform::mrCancel); // the close box
        });
        selectPage(editor::MakePage);
        EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "ExportForm"}));
        EXPECT_TRUE(dialogs.messages.isEmpty());
        EXPECT_EQ(snapshot(hostD()), drives[0]);
        EXPECT_EQ(snapshot(world.hostC()), drives[1]);
        EXPECT_EQ(snapshot(world.home()), drives[2]);
        EXPECT_EQ(form->PageControl1->currentIndex(), 0);
        dialogs.clear();
    }
    EXPECT_EQ(readAll(hostD("CDROM-Quorbel/Quorbel_0001/old.jpg")), "an earlier export");
}

TEST_F(ExportTest, CopyFailuresAreShownInPlaceOfTheInstructions)
{
    openSampleShow();
    addUnreadableFile(hostD("Quorbel/Quorbel_0002/broken.jpg"));
    for (auto target : {&TMakeWizzard::CDROMRadioButton, &TMakeWizzard::ScreenSaverRadioButton}) {
        makeTarget(target);
        tickShows({"Quorbel_0002"});
        selectPage(editor::MakePage);
        EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "ExportForm"}));
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
        EXPECT_TRUE(dialogs.messages[0].text.endsWith("Quorbel_0002\\broken.jpg")) << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(form->PageControl1->currentIndex(), 0);
        dialogs.clear();
    }
    // The rest of the show was copied all the same.
    EXPECT_TRUE(QFile::exists(hostD("CDROM-Quorbel/Quorbel_0002/Farben_01.jpg")));

    // A CD-ROM folder that cannot be made again ends the export with the folder's name.
    QDir(hostD("CDROM-Quorbel")).removeRecursively();
    writeAll(hostD("CDROM-Quorbel"), "a file in the folder's place");
    makeTarget(&TMakeWizzard::CDROMRadioButton);
    tickShows({"Quorbel_0001"});
    selectPage(editor::MakePage);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"Unable to create the folder D:\\CDROM-Quorbel\\"});
    EXPECT_EQ(readAll(hostD("CDROM-Quorbel")), "a file in the folder's place");
}

// A show root without the player (its staging found the disk full): both copies name it in
// place of their instructions.
TEST_F(ExportTest, APlayerMissingFromTheShowRootIsNamed)
{
    openSampleShow();
    ASSERT_TRUE(QFile::remove(hostD("Quorbel/Quorbel-Player.exe")));
    for (auto target : {&TMakeWizzard::CDROMRadioButton, &TMakeWizzard::ScreenSaverRadioButton}) {
        makeTarget(target);
        tickShows({"Quorbel_0001"});
        selectPage(editor::MakePage);
        EXPECT_EQ(dialogs.modalForms, QStringList({"MakeWizzard", "ExportForm"}));
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
        EXPECT_TRUE(dialogs.messages[0].text.contains("D:\\Quorbel\\Quorbel-Player.exe")) << dialogs.messages[0].text.toStdString();
        dialogs.clear();
    }
    // The rest is copied all the same.
    EXPECT_TRUE(QFile::exists(hostD("CDROM-Quorbel/Quorbel_0001/Landschaft_01.jpg")));
}

TEST_F(ExportTest, ScreensaverInstallsThePlayerAndPlaysTheShowsFullScreen)
{
    for (const QString& language : {QStringLiteral("GERMAN"), QStringLiteral("ITALIAN")}) {
        SCOPED_TRACE(language.toStdString());
        useLanguage(language);
        openSampleShow();
        const bool german = language == "GERMAN";
        const QString word = german ? "Quorbel" : "Quorbelix";
        const QString root = hostD(word);
        writeAll(root + "/helper.dll", "a library of the player");
        const QString staging = platform::toHostPath(form->ScreensaverFolder);
        writeAll(staging + "/left-over.txt", "from an earlier installation");
        form->TitleEdit->setText("Screen show");
        form->FullscreenCheckBox->setChecked(false);
        form->TextCheckBox->setChecked(true);
        form->SpinEdit2->setValue(25);

        makeScreensaver({"Quorbel_0002"});
        EXPECT_EQ(instructionsSeen.text, LangText(4627)); // no screensaver settings here: what to do
        EXPECT_FALSE(instructionsSeen.icon);
        EXPECT_FALSE(instructionsSeen.burningGuide);

        const QString player = root + "/" + word + "-Player.exe";
        for (const QString& system : {platform::systemFolder(), platform::system32Folder()}) {
            const QString host = platform::toHostPath(system);
            int status = -1;
            testsupport::runHost("cmp '" + player + "' '" + host + "/" + word + ".scr'", &status);
            EXPECT_EQ(status, 0) << host.toStdString();
            EXPECT_EQ(readAll(host + "/helper.dll"), "a library of the player");
        }
        EXPECT_EQ(staging, platform::toHostPath(form->ScreensaverFolder));
        EXPECT_TRUE(form->ScreensaverFolder.endsWith("\\" + word + "_Screensaver\\"));
        EXPECT_FALSE(QFile::exists(staging + "/left-over.txt"));
        EXPECT_EQ(readAll(staging + "/" + word + "-Player.exe"), readAll(player));
        EXPECT_EQ(readAll(staging + "/Quorbel_0002/Pictures.ini"), readAll(root + "/Quorbel_0002/Pictures.ini"));
        EXPECT_FALSE(QFile::exists(staging + "/Quorbel_0001"));

        // The staged settings are the root's but played full screen and endlessly.
        const QString rootSettings = root + "/Settings.ini", staged = staging + "/Settings.ini";
        EXPECT_EQ(crudini(rootSettings, "Fullscreen"), "FALSE");
        EXPECT_EQ(crudini(staged, "Fullscreen"), "TRUE");
        EXPECT_EQ(crudini(rootSettings, "StopQuorbelAtEnd"), "TRUE");
        EXPECT_EQ(crudini(staged, "StopQuorbelAtEnd"), "FALSE");
        const QStringList keys = testsupport::runHost("crudini --get '" + rootSettings + "' SETTINGS").split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(keys.size(), 10);
        EXPECT_EQ(testsupport::runHost("crudini --get '" + staged + "' SETTINGS").split('\n', Qt::SkipEmptyParts), keys);
        for (const QString& key : keys)
            if (key != "Fullscreen" && key != "StopQuorbelAtEnd") { EXPECT_EQ(crudini(staged, key), crudini(rootSettings, key)) << key.toStdString(); }
        EXPECT_EQ(crudini(staged, "TextOffset"), "25");

        // The desktop's screensaver service lists the installed copy, started with "/s"; so
        // started, it plays the staged show full screen.
        if (platform::screensaverServiceInstalled()) {
            const QString installed = platform::toHostPath(platform::system32Folder()) + "/" + word + ".scr";
            const QString settings = QString::fromUtf8(readAll(world.home() + "/.xscreensaver"));
            const QString entry = "\"" + word + "\" " + installed + " /s";
            ASSERT_TRUE(settings.contains(entry)) << settings.toStdString();
            int status = -1;
            const QString plan = testsupport::runHost("QT_QPA_PLATFORM=offscreen QUORBEL_PLAYER_PLAN=- " + installed + " /s", &status);
            EXPECT_EQ(status, 0);
            EXPECT_TRUE(plan.contains("Arguments=/s\n")) << plan.toStdString();
            EXPECT_TRUE(plan.contains("Fullscreen=TRUE\n")) << plan.toStdString();
            EXPECT_TRUE(plan.contains("TextOffset=25\n")) << plan.toStdString();
            EXPECT_TRUE(plan.contains("\nShow=Quorbel_0002|")) << plan.toStdString();
            // The sample show plays its music, which was never numbered.
            EXPECT_TRUE(plan.endsWith("\nAudio=Bumble Bee - TORVELD.mp3\n")) << plan.toStdString();
            EXPECT_FALSE(plan.contains("\nShow=Quorbel_0001|")) << plan.toStdString();
        }
        form.reset();
        dialogs.clear();
    }
}

// After the screensaver the display settings open where the host has a program for them, and
// the instructions say so; without one nothing starts and the instructions say what to do.
TEST_F(ExportTest, TheDisplaySettingsGoThroughTheProgramTable)
{
    openSampleShow();
    // A screensaver in the system folder that cannot be replaced (no rights there) is no error.
    const QString locked = platform::toHostPath(platform::systemFolder()) + "/Quorbel.scr";
    writeAll(locked, "an older screensaver");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    struct Case {
        const char* name;
        bool settingsProgram;
        int text;
    };
    for (const Case c : {Case{"settings program", true, 4610}, Case{"none", false, 4627}}) {
        SCOPED_TRACE(c.name);
        platform::ProgramTable::instance().set("CONTROL.EXE", "");
        const QString started = recordStarts("DisplaySettings");
        if (c.settingsProgram) platform::ProgramTable::instance().set("CONTROL.EXE desk.cpl,,1", world.root() + "/DisplaySettings.sh");
        QFile::remove(started);
        dialogs.clear();
        makeScreensaver({"Quorbel_0001"});
        EXPECT_EQ(instructionsSeen.text, LangText(c.text));
        EXPECT_EQ(readAll(locked), "an older screensaver");
        // The settings program gets none of the control panel's parameters.
        if (c.settingsProgram) {
            std::ignore = QTest::qWaitFor([&] { return QFile::exists(started); }, 60000);
            EXPECT_TRUE(QFile::exists(started));
            EXPECT_EQ(startedWith(started), QStringList());
        } else {
            QThread::msleep(200);
            EXPECT_FALSE(QFile::exists(started));
        }
    }
}

// The screensaver plays until the user comes back: its staged settings say endless play
// whatever the root's say, and the installed copy started with "/s" (as the screensaver
// service starts it) is still showing a picture after the show has gone round three times.
TEST_F(ExportTest, TheInstalledScreensaverKeepsPlayingPastTheEndOfItsShows)
{
    int tools = -1;
    testsupport::runHost("command -v xvfb-run && command -v import", &tools);
    if (tools != 0) GTEST_SKIP() << "Xvfb or ImageMagick missing";
    openSampleShow();
    // One show of two pictures held a second each: green, then blue.
    const QString show = hostD("Quorbel/Quorbel_0007");
    QDir().mkpath(show);
    const QColor colours[] = {QColor(0, 160, 0), QColor(0, 0, 200)};
    for (int i = 0; i < 2; ++i) {
        QImage img(320, 240, QImage::Format_RGB32);
        img.fill(colours[i]);
        ASSERT_TRUE(img.save(show + QString("/p%1.jpg").arg(i), "JPEG", 95));
    }
    writeAll(show + "/Pictures.ini", "p0.jpg | \r\np1.jpg | \r\n");
    writeAll(show + "/Quorbel.ini", "[QUORBEL]\r\nTitel=Zwei\r\nTime=1\r\n");
    form->EndlessPlayCheckBox->setChecked(false); // the show for the PC stops at its end
    form->OFFRadioButton->setChecked(true);
    form->OFFRadioButton->click();
    makeScreensaver({"Quorbel_0007"});
    const QString staging = platform::toHostPath(form->ScreensaverFolder);
    EXPECT_EQ(crudini(hostD("Quorbel/Settings.ini"), "StopQuorbelAtEnd"), "TRUE");
    EXPECT_EQ(crudini(staging + "/Settings.ini", "StopQuorbelAtEnd"), "FALSE");

    const QString installed = platform::toHostPath(platform::system32Folder()) + "/Quorbel.scr";
    const QString shot = world.root() + "/saver.png";
    // 2 pictures x 1 s x 3 rounds, and a little for the start.
    const QString script = world.writeHostFile("saver.sh",
        "QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \"$1\" /s & player=$!\n"
        "sleep 8\n"
        "kill -0 $player || exit 3\n"
        "import -window root \"$2\"\n"
        "kill $player\n");
    int status = -1;
    const QString out = testsupport::runHost("xvfb-run -a -s '-screen 0 640x480x24' sh '" + script + "' '" + installed + "' '" + shot + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << out.toStdString(); // 3: the player had ended
    const QImage screen(shot);
    ASSERT_EQ(screen.size(), QSize(640, 480));
    if (const QString dir = qEnvironmentVariable("QUORBEL_SHOTS"); !dir.isEmpty()) screen.save(dir + "/screensaver-third-round.png");
    const QColor centre = screen.pixelColor(320, 240);
    const bool picture = std::any_of(std::begin(colours), std::end(colours), [&](const QColor& c) {
        return std::abs(centre.red() - c.red()) < 24 && std::abs(centre.green() - c.green()) < 24 && std::abs(centre.blue() - c.blue()) < 24;
    });
    EXPECT_TRUE(picture) << centre.name().toStdString();
}
