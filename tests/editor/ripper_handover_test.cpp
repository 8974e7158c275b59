// Programs the editor starts and waits for: the runner keeps the windows live, and the audio
// CD ripper gets the current show through "Ripper.ini". CI has no CD drive, so the ripper is a
// script named in the program table; it reads the hand-over with crudini like any INI reader.
#include "editor/mainform.h"
#include "editor/nodriverform.h"
#include "editor/programrunner.h"
#include "editor_fixture.h"
#include "platform/process.h"
#include "support/cputime.h"

#include <QTest>

#include <tuple>
#include <QPlainTextEdit>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QTimer>

using platform::MessageKind;
using platform::ProgramTable;
using testsupport::cpuSeconds;
using testsupport::runHost;

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class RipperHandOverTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;

    void SetUp() override
    {
        EditorTest::SetUp();
        form = std::make_unique<TMainForm>(outputWindows());
        writeAll(hostD("Quorbel/Quorbel_0003/Quorbel.ini"), "[QUORBEL]\r\nTitel=Rip\r\nTime=3\r\n");
        form->OpenShow("Quorbel_0003");
        dialogs.clear();
    }
    void TearDown() override
    {
        form.reset();
        ProgramTable::instance().loadFromEnvironment();
        EditorTest::TearDown();
    }

    QString driverHost(const char* folder) const { return world.hostC() + "/Windows/" + folder + "/wnaspi32.dll"; }
    void setDriver(const char* folder)
    {
        QFile::remove(driverHost("system32"));
        QFile::remove(driverHost("system"));
        if (*folder) writeAll(driverHost(folder), "driver");
    }

    // A host script; returns its path.
    QString script(const QString& name, const QByteArray& body)
    {
        const QString path = world.root() + "/bin/" + name;
        writeAll(path, "#!/bin/sh\n" + body);
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }
    // The test ripper: logs its start and end, reads the hand-over in its working folder and
    // writes one 44,100 Hz stereo track into the show folder it names.
    void installRipper(double seconds = 0)
    {
        const QByteArray body = "echo start >> '" + world.root().toUtf8() + "/ripper.log'\n"
            "root=$(crudini --get Ripper.ini SETTINGS DiskPath)\n"
            "show=$(crudini --get Ripper.ini SETTINGS QuorbelDir)\n"
            "printf '%s|%s|%s' \"$root\" \"$show\" \"$(pwd)\" > '" + world.root().toUtf8() + "/handover.txt'\n"
            "sleep " + QByteArray::number(seconds) + "\n"
            "sox -n -r 44100 -c 2 -b 16 '" + world.hostD().toUtf8() + "/Quorbel/'\"$show\"/CD-Track01.wav synth 0.3 sine 440\n"
            "echo end >> '" + world.root().toUtf8() + "/ripper.log'\n";
        ProgramTable::instance().set("Ripper.exe", script("ripper.sh", body));
    }
    QByteArray ripperLog() const { return readAll(world.root() + "/ripper.log"); }
};

TEST_F(RipperHandOverTest, TheRunnerWaitsWithTheWindowLiveAndWithoutBurningACore)
{
    ProgramTable::instance().set("Sleeper.exe", "sleep");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(50);
    int previews = 0;
    QObject::connect(form->Timer1, &QTimer::timeout, [&] { ++previews; });
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    form->RunAndWait(form->ProgramDir, "Sleeper.exe", "1");
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    EXPECT_GE(elapsed, 0.95);
    EXPECT_GE(ticks, 10);
    EXPECT_LT(cpu / elapsed, 0.05);
    EXPECT_EQ(previews, 1); // the picture preview is asked for again once the program runs
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RipperHandOverTest, AProgramThatCannotStartIsNamedAsItWasPassed)
{
    ProgramTable::instance().set("Gone.exe", world.root() + "/bin/gone");
    const char* programs[] = {"Gone.exe", "NoSuchTool.exe"};
    for (const char* p : programs) {
        dialogs.clear();
        form->RunAndWait(form->ProgramDir, p, "");
        EXPECT_EQ(dialogs.messageTexts(), QStringList{QString("Error starting ") + p});
    }
}

TEST_F(RipperHandOverTest, AProgramInTheFolderIsFoundThereAndRunsInIt)
{
    writeAll(hostProgram("Tool.exe"), "#!/bin/sh\npwd > where.txt\necho \"$1\" >> where.txt\n");
    QFile::setPermissions(hostProgram("Tool.exe"), QFile::permissions(hostProgram("Tool.exe")) | QFileDevice::ExeOwner);
    form->RunAndWait(form->ProgramDir, "Tool.exe", "\"two words\"");
    EXPECT_EQ(readAll(hostProgram("where.txt")), QDir(world.programHost()).canonicalPath().toUtf8() + "\ntwo words\n");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RipperHandOverTest, TheRipperGetsTheShowAndItsTracksAppearInTheList)
{
    // The driver is looked for in system32, then in system; without it the dialog explains.
    const char* places[] = {"system32", "system", ""};
    for (const char* place : places) {
        SCOPED_TRACE(place);
        dialogs.clear();
        QFile::remove(hostProgram("Ripper.ini"));
        QFile::remove(hostD("Quorbel/Quorbel_0003/CD-Track01.wav"));
        QFile::remove(world.root() + "/handover.txt");
        form->AudioListBox->clear();
        setDriver(place);
        installRipper();
        QString shownHeading;
        if (!*place)
            dialogs.modalScript.push_back([&](QDialog& d) {
                auto& f = dynamic_cast<TNoDriverForm&>(d);
                shownHeading = f.Label1->text();
                f.AboartButtonClick();
                return f.result();
            });

        form->StartRipperBitBtn->click();

        if (*place) {
            EXPECT_TRUE(dialogs.modalForms.isEmpty());
            EXPECT_EQ(readAll(world.root() + "/handover.txt"),
                      "D:\\Quorbel\\|Quorbel_0003|" + QDir(world.programHost()).canonicalPath().toUtf8());
            int status = -1;
            EXPECT_EQ(runHost("crudini --get '" + hostProgram("Ripper.ini") + "' SETTINGS QuorbelDir", &status).trimmed(), "Quorbel_0003");
            EXPECT_EQ(status, 0);
            EXPECT_EQ(form->AudioListBox->count(), 1);
            EXPECT_EQ(form->AudioListBox->item(0)->text(), "D:\\Quorbel\\Quorbel_0003\\CD-Track01.wav");
            EXPECT_TRUE(dialogs.messages.isEmpty());
        } else {
            EXPECT_EQ(dialogs.modalForms, QStringList{"NoDriverForm"});
            EXPECT_EQ(shownHeading, LangText(3700));
            EXPECT_FALSE(QFile::exists(hostProgram("Ripper.ini")));
            EXPECT_FALSE(QFile::exists(world.root() + "/handover.txt"));
            EXPECT_EQ(form->AudioListBox->count(), 0);
        }
    }
}

TEST_F(RipperHandOverTest, TheDeliveredRipperIsFoundInTheProgramFolderAndRipsIntoTheShow)
{
    // The real "Ripper.exe" of the program folder, with a stand-in for cdparanoia (no CD drive
    // here) that lists one track and writes it as a 44,100 Hz stereo WAV.
    setDriver("system32");
    script("cdparanoia", "if [ \"$1\" = \"-Q\" ]; then\n"
                         "  echo '  1.      100 [00:01.25]        0 [00:00.00]    no   no  2' >&2\n"
                         "  exit 0\n"
                         "fi\n"
                         "sox -n -r 44100 -c 2 -b 16 -t wav \"$3\" synth 0.3 sine 440\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", (world.root() + "/bin:").toUtf8() + path);
    form->StartCdRipper();
    qputenv("PATH", path);
    EXPECT_EQ(form->AudioListBox->count(), 1);
    EXPECT_EQ(form->AudioListBox->item(0)->text(), "D:\\Quorbel\\Quorbel_0003\\CD-Track01.wav");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RipperHandOverTest, ARipperThatCannotStartIsReportedAndTheListStillReloads)
{
    setDriver("system32");
    ProgramTable::instance().set("Ripper.exe", world.root() + "/bin/none");
    writeAll(hostD("Quorbel/Quorbel_0003/old.wav"), "RIFF");
    form->StartCdRipper();
    ASSERT_GE(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, "Error starting Ripper.exe");
    EXPECT_EQ(form->AudioListBox->count(), 1);
}

TEST_F(RipperHandOverTest, WhileTheRipperRunsOtherStartsRenumberingAndShowChangesWait)
{
    setDriver("system32");
    installRipper(1);
    writeAll(hostD("Quorbel/Quorbel_0004/Quorbel.ini"), "[QUORBEL]\r\nTitel=Next\r\nTime=3\r\n");
    QByteArray logAtRenumber, logAtSwitch;
    QString folderAfterSwitch;
    QTimer::singleShot(200, form.get(), [&] { form->StartRipperBitBtn->click(); });
    QTimer::singleShot(300, form.get(), [&] {
        form->RenumberAudioFiles();
        logAtRenumber = ripperLog();
    });
    QTimer::singleShot(400, form.get(), [&] {
        form->OpenShow("Quorbel_0004");
        logAtSwitch = ripperLog();
        folderAfterSwitch = form->ShowFolder;
    });
    form->StartCdRipper();

    EXPECT_EQ(ripperLog(), "start\nend\nstart\nend\n"); // one after the other, never both at once
    EXPECT_TRUE(logAtRenumber.startsWith("start\nend\n"));
    EXPECT_TRUE(logAtSwitch.startsWith("start\nend\n"));
    EXPECT_EQ(folderAfterSwitch, "Quorbel_0004");
    // The first run ripped into the show of its start, the second into the one switched to.
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/Quorbel_0003/CD-Track01.wav")));
    EXPECT_TRUE(QFile::exists(hostD("Quorbel/Quorbel_0004/CD-Track01.wav")));
}

TEST_F(RipperHandOverTest, ClosingTheWindowEndsTheWaitAndLeavesTheRipperRunning)
{
    setDriver("system32");
    const QString done = world.root() + "/done";
    ProgramTable::instance().set("Ripper.exe", script("slow.sh", "sleep 1.5\ntouch '" + done.toUtf8() + "'\n"));
    // Closing ends the program only from its main event loop: run the case inside one.
    qint64 waited = -1;
    QTimer::singleShot(0, form.get(), [&] {
        QElapsedTimer wall;
        wall.start();
        form->StartCdRipper();
        waited = wall.elapsed();
    });
    QTimer::singleShot(200, form.get(), [&] { form->close(); });
    QCoreApplication::exec();
    EXPECT_GE(waited, 0);
    EXPECT_LT(waited, 1000);
    EXPECT_FALSE(QFile::exists(done));
    std::ignore = QTest::qWaitFor([&] { return QFile::exists(done); }, 60000);
    EXPECT_TRUE(QFile::exists(done));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RipperHandOverTest, TheDriverMarkerFollowsCdparanoia)
{
    const QString systemRoot = "C:\\Windows";
    const QString marker = driverHost("system32");
    auto& table = ProgramTable::instance();

    table.set("cdparanoia", "/bin/true");
    QFile::remove(marker);
    EXPECT_TRUE(editor::StageCdDriverMarker(systemRoot));
    EXPECT_TRUE(readAll(marker).startsWith(editor::CdDriverMarkerLine));
    EXPECT_EQ(editor::FindCdDriver(systemRoot), "C:\\Windows\\system32\\wnaspi32.dll");

    // Gone: our own marker goes with it, a driver file put there by hand stays.
    table.set("cdparanoia", "");
    EXPECT_FALSE(editor::StageCdDriverMarker(systemRoot));
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_EQ(editor::FindCdDriver(systemRoot), "");
    writeAll(marker, "a real driver");
    EXPECT_TRUE(editor::StageCdDriverMarker(systemRoot));
    EXPECT_EQ(readAll(marker), "a real driver");
}

TEST_F(RipperHandOverTest, TheMissingDriverDialogOpensTheDownloadPageOrSaysWhyNot)
{
    TNoDriverForm& dialog = form->noDriverForm();
    EXPECT_EQ(dialog.windowTitle(), LangText(3705));
    EXPECT_EQ(dialog.Memo1->toPlainText(), LangText(3701));
    EXPECT_EQ(dialog.Memo2->toPlainText(), LangText(3702));
    EXPECT_EQ(dialog.DownloadButton->text(), LangText(3703));
    EXPECT_EQ(dialog.AboartButton->text(), LangText(3704));

    const QString opened = world.root() + "/opened.txt";
    ProgramTable::instance().set("open", script("opener.sh", "printf '%s' \"$1\" > '" + opened.toUtf8() + "'\n"));
    dialog.setResult(0);
    dialog.DownloadButtonClick();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    std::ignore = QTest::qWaitFor([&] { return QFile::exists(opened); }, 60000);
    EXPECT_EQ(readAll(opened), TNoDriverForm::DownloadAddress);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    ProgramTable::instance().set("open", world.root() + "/bin/no-browser");
    dialog.DownloadButtonClick();
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList{"Unable to start internet browser! Make sure you have it properly set-up on your system!"});
}
