#include "editor/mainform.h"
#include "editor/staging.h"
#include "editor_fixture.h"
#include "support/smalldisk.h"

#include <QTest>

#include <tuple>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

using namespace editor;

class StagingTest : public EditorTest {
protected:
    // One start's staging, as the main window runs it.
    QString stage(const QString& drive = QStringLiteral("D"))
    {
        const RunFolders f = DeriveRunFolders(drive, LanguageCode, WindowsInfo().Personal);
        ShowRootStaging staging(world.programDir(), LanguageCode, f);
        const QString failed = staging.PrepareFolders();
        if (!failed.isEmpty()) return failed;
        staging.RefreshEveryRun();
        staging.WriteDesktopShortcut(WindowsInfo().Desktop, drive, &TMainForm::CreateShellLink);
        firstRun = staging.firstRun();
        return {};
    }
    QString crudini(const QString& host, const QString& section, const QString& key)
    {
        return testsupport::runHost(QString("crudini --get '%1' %2 %3").arg(host, section, key)).trimmed();
    }
    bool firstRun = false;
};

TEST_F(StagingTest, FoldersFollowDriveAndLanguage)
{
    const RunFolders de = DeriveRunFolders("d", "GERMAN", "C:\\Docs");
    EXPECT_EQ(de.showRoot, "D:\\Quorbel\\");
    EXPECT_EQ(de.videoFolder, "D:\\DVD-Quorbel\\");
    EXPECT_EQ(de.cdFolder, "D:\\CDROM-Quorbel\\");
    EXPECT_EQ(de.encoderFolder, "D:\\DVD-Quorbel\\encoder\\");
    EXPECT_EQ(de.screensaverFolder, "C:\\Docs\\Quorbel_Screensaver\\");
    const RunFolders es = DeriveRunFolders("D", "SPAIN", "C:\\Docs\\");
    EXPECT_EQ(es.showRoot, "D:\\Quorbelix\\");
    EXPECT_EQ(es.videoFolder, "D:\\DVD-Quorbelix\\");
    EXPECT_EQ(es.cdFolder, "D:\\CDROM-Quorbelix\\");
    EXPECT_EQ(es.screensaverFolder, "C:\\Docs\\Quorbelix_Screensaver\\");
    EXPECT_EQ(PlayerFileName("GERMAN"), "Quorbel-Player.exe");
    EXPECT_EQ(PlayerFileName("FRANCE"), "Quorbelix-Player.exe");
}

TEST_F(StagingTest, FirstStartFillsTheShowRoot)
{
    ASSERT_EQ(stage(), "");
    EXPECT_TRUE(firstRun);
    const QStringList entries = QDir(hostD("Quorbel")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString e : {"del", "Quorbel_0001", "Quorbel_0002", "Quorbel-Player.exe", "Autorun.inf", "play.ply", "intro.ply",
                             "Settings.ini", "Effects.ini", "Language.ini"})
        EXPECT_TRUE(entries.contains(e)) << e.toStdString();
    EXPECT_TRUE(QFileInfo(hostD("Quorbel/Quorbel-Player.exe")).isExecutable());
    EXPECT_EQ(readAll(hostD("Quorbel/Autorun.inf")), readAll(hostProgram("quorbel/Autorun.inf")));
    EXPECT_TRUE(QFileInfo(hostD("DVD-Quorbel/encoder")).isDir());
    EXPECT_TRUE(QFileInfo(hostProgram("thumbs")).isDir());
    EXPECT_TRUE(QFileInfo(hostProgram("gallery")).isDir());
    // The sample shows with their music, the placeholder show.
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/Quorbel_0001/Landschaft_01.jpg")));
    for (const char* sample : {"Quorbel_0001", "Quorbel_0002"})
        EXPECT_EQ(readAll(hostD(QString("Quorbel/%1/Bumble Bee - TORVELD.mp3").arg(sample))), readAll(hostProgram("Bumble Bee - TORVELD.mp3")))
            << sample;
    EXPECT_FALSE(readAll(hostProgram("Bumble Bee - TORVELD.mp3")).isEmpty());
    EXPECT_EQ(crudini(hostD("Quorbel/del/Quorbel.ini"), "QUORBEL", "Titel"), "SPECIALDUMMY");
    // The player's texts.
    const QString lang = hostD("Quorbel/Language.ini");
    EXPECT_EQ(crudini(lang, "PLAYER", "Language"), "GERMAN");
    for (int n = 100001; n <= 100004; ++n) {
        const QString text = crudini(lang, "PLAYER", QString::number(n));
        EXPECT_FALSE(text.isEmpty()) << n;
    }
    EXPECT_EQ(crudini(lang, "PLAYER", "100002"), "Ende der Diashow");
    // The launcher on the desktop.
    const QString launcher = desktopHost() + "/Quorbel-Player.desktop";
    ASSERT_TRUE(QFile::exists(launcher));
    int status = -1;
    const QString out = testsupport::runHost("desktop-file-validate '" + launcher + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << out.toStdString();
    EXPECT_TRUE(readAll(launcher).contains(hostD("Quorbel/Quorbel-Player.exe").toUtf8()));
}

TEST_F(StagingTest, OtherLanguagesUseTheEnglishNames)
{
    useLanguage("ITALIAN");
    writeAll(desktopHost() + "/Quorbel-Player.exe", "old player");
    ASSERT_EQ(stage(), "");
    EXPECT_TRUE(QFileInfo(hostD("Quorbelix/Quorbelix-Player.exe")).isExecutable());
    EXPECT_FALSE(QFile::exists(hostD("Quorbelix/Quorbel-Player.exe")));
    EXPECT_EQ(readAll(hostD("Quorbelix/Autorun.inf")), readAll(hostProgram("quorbel/Quorbelix-Autorun.inf")));
    EXPECT_NE(readAll(hostD("Quorbelix/Autorun.inf")), readAll(hostProgram("quorbel/Autorun.inf")));
    EXPECT_TRUE(QFileInfo(hostD("DVD-Quorbelix/encoder")).isDir());
    // The samples keep the German product word.
    EXPECT_TRUE(QFile::exists(hostD("Quorbelix/Quorbel_0001/Quorbel.ini")));
    EXPECT_EQ(crudini(hostD("Quorbelix/Language.ini"), "PLAYER", "Language"), "ITALIAN");
    EXPECT_TRUE(QFile::exists(desktopHost() + "/Quorbelix-Player.desktop"));
    EXPECT_FALSE(QFile::exists(desktopHost() + "/Quorbel-Player.exe"));
}

TEST_F(StagingTest, SecondStartKeepsTheShowsAndStagesThePackageAgain)
{
    ASSERT_EQ(stage(), "");
    writeAll(hostD("Quorbel/Quorbel_0001/Quorbel.ini"), "[QUORBEL]\r\nTitel=Mine now\r\nTime=9\r\n");
    QFile::remove(hostD("Quorbel/Quorbel_0001/Landschaft_02.jpg"));
    QFile::remove(hostD("Quorbel/Quorbel-Player.exe"));
    writeAll(hostD("Quorbel/Settings.ini"), "[SETTINGS]\r\nFullscreen=FALSE\r\n");
    QDir(hostD("Quorbel/del")).removeRecursively();
    writeAll(hostD("Quorbel/Language.ini"), "[PLAYER]\r\nLanguage=SPAIN\r\nOther=kept\r\n");

    ASSERT_EQ(stage(), "");
    EXPECT_FALSE(firstRun);
    EXPECT_EQ(readAll(hostD("Quorbel/Quorbel_0001/Quorbel.ini")), "[QUORBEL]\r\nTitel=Mine now\r\nTime=9\r\n");
    EXPECT_FALSE(QFile::exists(hostD("Quorbel/Quorbel_0001/Landschaft_02.jpg")));
    EXPECT_TRUE(QFileInfo(hostD("Quorbel/Quorbel-Player.exe")).isExecutable());
    EXPECT_EQ(readAll(hostD("Quorbel/Settings.ini")), readAll(hostProgram("quorbel/Settings.ini")));
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/del/Quorbel.ini")));
    EXPECT_EQ(crudini(hostD("Quorbel/Language.ini"), "PLAYER", "Language"), "GERMAN");
}

TEST_F(StagingTest, AnUnmappedDriveReportsTheFolderItCannotMake)
{
    EXPECT_EQ(stage("Q"), "Q:\\DVD-Quorbel\\");
    EXPECT_FALSE(QFile::exists(desktopHost() + "/Quorbel-Player.desktop"));
}

TEST_F(StagingTest, AMissingPackageFileIsLeftOut)
{
    QFile::remove(hostProgram("quorbel/play.ply"));
    QFile::remove(hostProgram("Effects.ini"));
    ASSERT_EQ(stage(), "");
    EXPECT_FALSE(QFile::exists(hostD("Quorbel/play.ply")));
    EXPECT_FALSE(QFile::exists(hostD("Quorbel/Effects.ini")));
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/intro.ply")));
}

// A start on a drive too small for the player: every file that did not fit is named, once, and
// what fits is staged all the same.
TEST_F(StagingTest, AFullDiskNamesEveryFileItLeftOut)
{
    testsupport::SmallDisk disk(hostD(), "2m"); // room for the sample shows, not for the player
    if (!disk.ready()) GTEST_SKIP() << disk.why();
    TMainForm form(outputWindows());
    QStringList errors;
    for (const auto& m : dialogs.messages)
        if (m.kind == platform::MessageKind::Error) errors << m.text;
    ASSERT_EQ(errors.size(), 1) << dialogs.messageTexts().join('|').toStdString();
    EXPECT_TRUE(errors[0].contains("D:\\Quorbel\\Quorbel-Player.exe")) << errors[0].toStdString();
    EXPECT_FALSE(QFile::exists(hostD("Quorbel/Quorbel-Player.exe")));
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/Quorbel_0001/Landschaft_01.jpg")));
    EXPECT_EQ(crudini(hostD("Quorbel/Language.ini"), "PLAYER", "Language"), "GERMAN");

    // The staging itself lists what it could not write, in the order tried.
    ShowRootStaging again(world.programDir(), LanguageCode, DeriveRunFolders("D", LanguageCode, WindowsInfo().Personal));
    ASSERT_EQ(again.PrepareFolders(), "");
    again.RefreshEveryRun();
    EXPECT_EQ(again.Unwritten(), QStringList{"D:\\Quorbel\\Quorbel-Player.exe"});
}

// The delivered program itself, started as a user starts it: its main window stages the show
// root before the first message is handled.
TEST_F(StagingTest, TheDeliveredProgramStagesTheShowRootWhenItStarts)
{
    writeAll(hostProgram("LanguageIsSet.ini"), "ITALIAN\r\n");
    useLanguage("ITALIAN");
    QProcess program;
    program.setProgram(hostProgram("quorbel_pro"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start();
    ASSERT_TRUE(program.waitForStarted());
    std::ignore = QTest::qWaitFor([&] { return QFile::exists(desktopHost() + "/Quorbelix-Player.desktop"); }, 60000);
    program.kill();
    program.waitForFinished();
    EXPECT_TRUE(QFileInfo(hostD("Quorbelix/Quorbelix-Player.exe")).isExecutable());
    EXPECT_EQ(readAll(hostD("Quorbelix/Autorun.inf")), readAll(hostProgram("quorbel/Quorbelix-Autorun.inf")));
    EXPECT_TRUE(QFile::exists(hostD("Quorbelix/Quorbel_0002/Farben_01.jpg")));
    EXPECT_TRUE(QFile::exists(desktopHost() + "/Quorbelix-Player.desktop"));
}
