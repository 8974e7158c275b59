#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "support/cputime.h"
#include "support/fixture.h"
#include "support/scripted_dialogs.h"

#include <QTest>

#include <tuple>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

using namespace platform;
using testsupport::WorldTest;
using testsupport::cpuSeconds;
using testsupport::runHost;

TEST(CommandLine, SplitsByWindowsRules)
{
    struct Case { QString in; QStringList out; };
    const Case cases[] = {
        {R"("C:\a b\x.mp3" "C:\w\Inp001.wav" --decode)", {R"(C:\a b\x.mp3)", R"(C:\w\Inp001.wav)", "--decode"}},
        {"desk.cpl,,1", {"desk.cpl,,1"}},
        {"  TEST  ", {"TEST"}},
        {R"(a\\b c\d)", {R"(a\\b)", R"(c\d)"}},
        {R"("a\"b" c)", {R"(a"b)", "c"}},
        {R"("a\\" b)", {R"(a\)", "b"}},
        {R"("" x)", {"", "x"}},
        {R"("say ""hi""")", {R"(say "hi")"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitWindowsCommandLine(c.in), c.out) << c.in.toStdString();
}

TEST_F(WorldTest, ArgumentsThatAreWindowsPathsAreMapped)
{
    EXPECT_EQ(mapArgument("C:\\x.wav"), world.hostC() + "/x.wav");
    EXPECT_EQ(mapArgument("--decode"), "--decode");
    EXPECT_EQ(mapArgument("Q:\\x"), "Q:\\x");
}

TEST_F(WorldTest, RunnerWaitsWithTimersLiveAndWithoutBurningACore)
{
    ProgramTable::instance().set("Sleeper.exe", "sleep");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(50);
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    const RunResult r = runAndWait("Sleeper.exe", "1", "C:\\");
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    ProgramTable::instance().loadFromEnvironment();
    EXPECT_EQ(r.status, RunResult::Finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_GE(elapsed, 0.95);
    EXPECT_GE(ticks, 10);
    EXPECT_LT(cpu / elapsed, 0.05);
}

TEST_F(WorldTest, RunnerReportsExitCodesMissingProgramsAndAborts)
{
    auto& table = ProgramTable::instance();
    table.set("Fail.exe", "sh -c \"exit 3\"");
    EXPECT_EQ(runAndWait("Fail.exe", "", "").exitCode, 3);
    EXPECT_EQ(runAndWait("C:\\missing\\Nothing.exe", "", "").status, RunResult::CannotStart);
    EXPECT_EQ(runAndWait("definitely-not-a-program-xyz", "", "").status, RunResult::CannotStart);
    table.set("Gone.exe", "/no/such/binary");
    EXPECT_EQ(runAndWait("Gone.exe", "", "").status, RunResult::CannotStart);
    // An entry without a host program starts nothing and is no failure.
    EXPECT_EQ(runAndWait("C:\\Windows\\CONTROL.EXE", "main.cpl", "").status, RunResult::NothingToRun);
    // An abort kills the whole process group, the child's children too.
    table.set("Tree.exe", "sh -c \"sleep 30 & sleep 30; wait\"");
    QElapsedTimer wall;
    wall.start();
    int asked = 0;
    const RunResult aborted = runAndWait("Tree.exe", "", "", [&] { return ++asked > 3; });
    EXPECT_EQ(aborted.status, RunResult::Aborted);
    EXPECT_LT(wall.elapsed(), 5000);
    table.loadFromEnvironment();
}

TEST_F(WorldTest, RunnerPassesMappedArgumentsAndWorkingFolder)
{
    const QString script = world.writeHostFile("c/prog/Echo.exe", "#!/bin/sh\npwd > out.txt\nfor a in \"$@\"; do echo \"$a\" >> out.txt; done\n");
    ASSERT_TRUE(setExecutable("C:\\prog\\Echo.exe", true));
    ASSERT_TRUE(forceDirectories("C:\\work dir"));
    const RunResult r = runAndWait("c:\\PROG\\echo.exe", R"("C:\work dir\a.wav" --decode)", "C:\\work dir");
    ASSERT_EQ(r.status, RunResult::Finished);
    EXPECT_EQ(world.readHostFile("c/work dir/out.txt"),
              (world.hostC() + "/work dir\n" + world.hostC() + "/work dir/a.wav\n--decode\n").toUtf8());
}

TEST_F(WorldTest, LauncherPassesTheValidator)
{
    world.writeHostFile("d/Quorbel Shows/Quorbel-Player.exe", "#!/bin/sh\n");
    ASSERT_TRUE(forceDirectories("C:\\Desktop"));
    ASSERT_TRUE(writeDesktopLauncher("C:\\Desktop\\Quorbel-Player.desktop", "Quorbel-Player",
                                     "D:\\Quorbel Shows\\Quorbel-Player.exe", "D:\\Quorbel Shows", "Plays the shows"));
    const QString file = world.hostC() + "/Desktop/Quorbel-Player.desktop";
    EXPECT_TRUE(QFileInfo(file).isExecutable());
    const QString text = QString::fromUtf8(world.readHostFile("c/Desktop/Quorbel-Player.desktop"));
    EXPECT_TRUE(text.contains("Exec=\"" + world.hostD() + "/Quorbel Shows/Quorbel-Player.exe\"")) << text.toStdString();
    if (testsupport::haveHostProgram("desktop-file-validate")) {
        int status = -1;
        const QString out = runHost("desktop-file-validate '" + file + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << out.toStdString();
        EXPECT_TRUE(out.trimmed().isEmpty()) << out.toStdString();
    }
}

TEST_F(WorldTest, ShellOpenGoesThroughTheOpener)
{
    const QString rec = world.writeHostFile("c/opener.sh", ("#!/bin/sh\necho \"$1\" >> \"" + world.hostC() + "/opened.txt\"\n").toUtf8());
    ASSERT_TRUE(setExecutable("C:\\opener.sh", true));
    ProgramTable::instance().set("open", rec);
    world.writeHostFile("c/help/help.html", "<html></html>");
    EXPECT_TRUE(shellOpen("C:\\HELP\\help.html"));
    EXPECT_TRUE(shellOpen("http://example.invalid/"));
    EXPECT_TRUE(shellOpen("mailto:someone@example.invalid"));
    EXPECT_FALSE(shellOpen(""));
    EXPECT_FALSE(shellOpen("Q:\\unmapped.html"));
    ProgramTable::instance().loadFromEnvironment();
    std::ignore = QTest::qWaitFor([&] { return world.readHostFile("c/opened.txt").count('\n') >= 3; }, 60000);
    const QStringList lines = QString::fromUtf8(world.readHostFile("c/opened.txt")).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.contains(world.hostC() + "/help/help.html"));
    EXPECT_TRUE(lines.contains("http://example.invalid/"));
}

TEST_F(WorldTest, UserFoldersFollowXdg)
{
    // Without user-dirs.dirs: the answer of xdg-user-dir (home folder; Desktop inside it).
    EXPECT_EQ(toHostPath(documentsFolder()), world.home());
    EXPECT_EQ(toHostPath(desktopFolder()), world.home() + "/Desktop");
    world.writeHostFile("home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    if (testsupport::haveHostProgram("xdg-user-dir")) {
        const QString expected = runHost("xdg-user-dir DOCUMENTS").trimmed();
        EXPECT_EQ(documentsFolder(), toWindowsPath(expected));
    }
    EXPECT_EQ(toHostPath(documentsFolder()), world.home() + "/Dokumente");
    EXPECT_EQ(toHostPath(desktopFolder()), world.home() + "/Schreibtisch");
    EXPECT_EQ(system32Folder(), "C:\\Windows\\System32");
    EXPECT_TRUE(directoryExists("C:\\Windows\\System32"));
    EXPECT_TRUE(tempFolder().endsWith('\\'));
}

TEST(Dialogs, FiltersAndTheScriptedService)
{
    EXPECT_EQ(toQtFilter("JPEG (*.jpg)|*.jpg;*.jpeg|All files (*.*)|*.*"), "JPEG (*.jpg *.jpeg);;All files (*.*)");
    testsupport::ScriptedDialogs script;
    script.confirmAnswers = {mrYes, mrNo};
    EXPECT_TRUE(confirm("Delete?"));
    EXPECT_FALSE(confirm("Really?"));
    showError("Broken");
    EXPECT_EQ(script.messageTexts(), (QStringList{"Delete?", "Really?", "Broken"}));
    EXPECT_EQ(script.messages[2].kind, MessageKind::Error);
    QDialog form;
    form.setObjectName("NewForm");
    script.modalScript.push_back([](QDialog& f) { f.setWindowTitle("filled"); return int(mrOk); });
    EXPECT_EQ(dialogs().showModal(form), mrOk);
    EXPECT_EQ(form.windowTitle(), "filled");
    EXPECT_EQ(script.modalForms, QStringList{"NewForm"});
}
