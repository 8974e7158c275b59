#include "platform/inifile.h"
#include "ripper/ripper.h"
#include "ripper/ripperwindow.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

using testsupport::WorldTest;

TEST(Ripper, TableOfContents)
{
    const QString toc =
        "cdparanoia III release 10.2 (September 11, 2008)\n\n"
        "Table of contents (audio tracks only):\n"
        "track        length               begin        copy pre ch\n"
        "===========================================================\n"
        "  1.    16503 [03:40.03]        0 [00:00.00]    no   no  2\n"
        " 12.      750 [00:10.00]    16503 [03:40.03]    no   no  2\n"
        "TOTAL   17253 [03:50.03]    (audio only)\n";
    const auto tracks = ripper::parseTableOfContents(toc);
    ASSERT_EQ(tracks.size(), 2);
    EXPECT_EQ(tracks[0].number, 1);
    EXPECT_EQ(tracks[1].number, 12);
    EXPECT_EQ(tracks[1].sectors, 750);
    EXPECT_TRUE(ripper::parseTableOfContents("cdparanoia: no drive").isEmpty());
}

namespace {

// A stand-in for cdparanoia (CI has no CD drive): answers -Q with two tracks and writes a
// short WAV for -w.
void installFakeParanoia(const testsupport::TempWorld& world)
{
    const QString bin = world.root() + "/bin";
    QDir().mkpath(bin);
    QFile f(bin + "/cdparanoia");
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n"
            "if [ \"$1\" = \"-Q\" ]; then\n"
            "  echo 'Table of contents (audio tracks only):' >&2\n"
            "  echo '  1.      100 [00:01.25]        0 [00:00.00]    no   no  2' >&2\n"
            "  echo '  2.      100 [00:01.25]      100 [00:01.25]    no   no  2' >&2\n"
            "  exit 0\n"
            "fi\n"
            "printf 'RIFF....WAVEtrack%s' \"$2\" > \"$3\"\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

int runRipper(const testsupport::TempWorld& world, const QString& path, QString* err)
{
    // The ripper looks for Ripper.ini beside itself: run a copy from the program folder.
    const QString exe = world.programHost() + "/Ripper.exe";
    QFile::remove(exe);
    QFile::copy(RIPPER_BINARY, exe);
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", path);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(exe, {});
    p.waitForFinished(30000);
    if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitCode();
}

} // namespace

TEST_F(WorldTest, RipsEveryTrackIntoTheShowFolderWithoutOverwriting)
{
    installFakeParanoia(world);
    platform::IniFile ini(world.programDir() + "Ripper.ini");
    ASSERT_TRUE(ini.writeString("SETTINGS", "DiskPath", "D:\\Quorbel\\"));
    ASSERT_TRUE(ini.writeString("SETTINGS", "QuorbelDir", "Quorbel_0003"));
    world.writeHostFile("d/Quorbel/Quorbel_0003/CD-Track01.wav", "mine");
    QString err;
    EXPECT_EQ(runRipper(world, world.root() + "/bin:/usr/bin:/bin", &err), 0) << err.toStdString();
    QStringList files = QDir(world.hostD() + "/Quorbel/Quorbel_0003").entryList(QDir::Files);
    EXPECT_EQ(files, (QStringList{"CD-Track01.wav", "CD-Track01_1.wav", "CD-Track02.wav"}));
    EXPECT_EQ(world.readHostFile("d/Quorbel/Quorbel_0003/CD-Track01.wav"), "mine");
    EXPECT_EQ(world.readHostFile("d/Quorbel/Quorbel_0003/CD-Track02.wav"), "RIFF....WAVEtrack2");
}

TEST_F(WorldTest, SaysSoWithoutCdparanoiaOrHandOver)
{
    QString err;
    EXPECT_EQ(runRipper(world, "/nonexistent", &err), 2);
    EXPECT_TRUE(err.contains("Ripper.ini")) << err.toStdString();
    platform::IniFile ini(world.programDir() + "Ripper.ini");
    ASSERT_TRUE(ini.writeString("SETTINGS", "DiskPath", "D:\\Quorbel\\"));
    ASSERT_TRUE(ini.writeString("SETTINGS", "QuorbelDir", ".."));
    EXPECT_EQ(runRipper(world, "/nonexistent", &err), 2);
    ASSERT_TRUE(ini.writeString("SETTINGS", "QuorbelDir", "Quorbel_0001"));
    EXPECT_EQ(runRipper(world, "/nonexistent", &err), 3);
    EXPECT_TRUE(err.contains("cdparanoia")) << err.toStdString();
}

// The ripper's window opens in the middle of the screen the editor fills, not at 0,0 over the
// editor's menu bar.
TEST(Ripper, TheWindowOpensInTheMiddleOfTheScreen)
{
    ripper::RipperWindow window;
    window.show();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window.geometry().center() - area.center()).manhattanLength(), 2);
    EXPECT_GT(window.geometry().top(), area.top());
    window.setStep(3, 12);
    EXPECT_EQ(window.Bar->value(), 3);
    window.Stop->click();
    EXPECT_TRUE(window.stopped());
}
