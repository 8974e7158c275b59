// The desktop's screensaver: the player listed in the user's xscreensaver settings, and the
// display settings of the control panel mapped to xscreensaver's settings program.
#include "platform/drives.h"
#include "platform/process.h"
#include "platform/screensaver.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace platform;
using testsupport::WorldTest;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char* const InstalledDefaults = "/etc/X11/app-defaults/XScreenSaver";

// The entries of the "programs" resource as xscreensaver reads them: the lines a backslash
// continues are one value, "\n" separates the entries.
QStringList programsOf(const QByteArray& text)
{
    const QString all = QString::fromUtf8(text);
    QStringList logical;
    QString current;
    for (const QString& line : all.split('\n')) {
        if (line.endsWith('\\')) {
            current += line.chopped(1);
            continue;
        }
        logical << current + line;
        current.clear();
    }
    for (const QString& line : logical) {
        static const QRegularExpression key("^\\*?programs\\s*:");
        const QRegularExpressionMatch m = key.match(line);
        if (!m.hasMatch()) continue;
        QStringList entries;
        for (const QString& e : line.mid(m.capturedEnd()).split("\\n")) {
            const QString entry = e.simplified();
            if (!entry.isEmpty()) entries << entry;
        }
        return entries;
    }
    return {};
}

// A settings file as xscreensaver's settings program writes it: its keys, the installed list of
// screensavers with a choice made from it, and keys after the list.
QByteArray writtenSettings(const QByteArray& defaults)
{
    QByteArray list;
    bool in = false;
    for (const QByteArray& line : defaults.split('\n')) {
        if (line.startsWith("*programs:")) in = true;
        if (!in) continue;
        list += (line.startsWith("*") ? line.mid(1) : line) + '\n';
        if (!line.endsWith('\\')) break;
    }
    return "# XScreenSaver Preferences File\n# Written by xscreensaver-settings 6.06 for someone on Thu Dec 10 01:54:31 2026.\n"
           "# https://www.jwz.org/xscreensaver/\n\ntimeout:\t0:10:00\ncycle:\t\t0:10:00\nlock:\t\tFalse\nmode:\t\tone\n"
           "selected:\t3\n\n"
           + list + "\n\npointerHysteresis:\t10\nauthWarningSlack:\t20\n";
}

} // namespace

TEST_F(WorldTest, TheScreensaverIsListedInTheUsersSettings)
{
    if (!screensaverServiceInstalled()) GTEST_SKIP() << "xscreensaver missing";
    const QByteArray defaults = readBytes(InstalledDefaults);
    if (defaults.isEmpty()) GTEST_SKIP() << "no installed defaults of xscreensaver";
    const QStringList defaultList = programsOf(defaults);
    ASSERT_GT(defaultList.size(), 10);

    // The installed screensaver: a folder with a blank in its name, so the command is quoted.
    const QString program = "C:\\Windows\\system 32\\Quorbel.scr";
    world.writeHostFile("c/Windows/system 32/Quorbel.scr", "#!/bin/sh\necho \"started with $1\"\n");
    QFile::setPermissions(world.hostC() + "/Windows/system 32/Quorbel.scr", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString entry = "\"Quorbel\" '" + world.hostC() + "/Windows/system 32/Quorbel.scr' /s";
    const QString settings = screensaverSettingsFile();
    EXPECT_EQ(settings, world.home() + "/.xscreensaver");

    struct Case {
        const char* name;
        QByteArray before; // null: no settings file
    };
    const QByteArray written = writtenSettings(defaults);
    const Case cases[] = {
        {"no settings file: the installed list and the entry", QByteArray()},
        {"the settings program's file", written},
        {"a file of other settings only", "timeout:\t0:05:00\nmode:\t\trandom\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(settings);
        if (!c.before.isNull()) world.writeHostFile("home/.xscreensaver", c.before);
        ASSERT_EQ(registerScreensaver(program, "Quorbel").status, ScreensaverRegistration::Registered);
        const QByteArray after = readBytes(settings);
        const QStringList list = programsOf(after);
        // The user's list (or the installed one) stays as it was, in its order, so a choice made
        // by its number still names the same screensaver; the entry comes last.
        const QStringList kept = c.before.isNull() || !c.before.contains("programs:") ? defaultList : programsOf(c.before);
        EXPECT_EQ(list.mid(0, list.size() - 1), kept);
        ASSERT_FALSE(list.isEmpty());
        EXPECT_EQ(list.last(), entry);
        // Every other line of the file stays.
        for (const QByteArray& line : c.before.split('\n'))
            if (!line.endsWith("\\n") && !line.isEmpty()) { EXPECT_TRUE(after.contains(line + '\n')) << line.toStdString(); }

        // Once more: the entry is renewed in its place, not doubled.
        ASSERT_EQ(registerScreensaver(program, "Quorbel").status, ScreensaverRegistration::Registered);
        EXPECT_EQ(readBytes(settings), after);
    }

    // The command as xscreensaver runs it (through the shell, for a quoted command) starts the
    // installed copy with "/s".
    const QString command = entry.mid(entry.indexOf("\" ") + 2);
    EXPECT_EQ(testsupport::runHost("sh -c \"" + QString(command).replace("\"", "\\\"") + "\"").trimmed(), "started with /s");

    // A settings file that cannot be written is reported, and nothing else is touched.
    QFile::remove(settings);
    QDir().mkpath(settings);
    const ScreensaverRegistration failed = registerScreensaver(program, "Quorbel");
    EXPECT_EQ(failed.status, ScreensaverRegistration::Failed);
    EXPECT_TRUE(failed.error.contains(settings)) << failed.error.toStdString();
    QDir(settings).removeRecursively();

    // Without xscreensaver there is nothing to register with, and nothing is written.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", world.root().toLocal8Bit());
    const ScreensaverRegistration none = registerScreensaver(program, "Quorbel");
    qputenv("PATH", path);
    EXPECT_EQ(none.status, ScreensaverRegistration::NoService);
    EXPECT_FALSE(QFile::exists(settings));
}

// The control panel's display settings on their screensaver page ("CONTROL.EXE desk.cpl,,1")
// start xscreensaver's settings program where one is installed, without the panel's
// parameters; any other use of the control panel, or a host without it, starts nothing.
TEST_F(WorldTest, DisplaySettingsStartTheScreensaverSettingsWhereInstalled)
{
    const QByteArray path = qgetenv("PATH");
    const QByteArray programs = qgetenv("QUORBEL_PROGRAMS");
    const QString settingsProgram = QStandardPaths::findExecutable("xscreensaver-settings");
    const QString demo = QStandardPaths::findExecutable("xscreensaver-demo");
    if (settingsProgram.isEmpty() || demo.isEmpty()) GTEST_SKIP() << "xscreensaver missing";
    // A folder that holds only the older name of the settings program.
    QDir().mkpath(world.root() + "/older");
    QFile::link(demo, world.root() + "/older/xscreensaver-demo");

    struct Case {
        const char* name;
        QByteArray path;
        QByteArray programs; // QUORBEL_PROGRAMS
        const char* program;
        const char* parameters;
        QString expected;    // the host program; empty: nothing starts
    };
    const Case cases[] = {
        {"installed", path, "", "CONTROL.EXE", "desk.cpl,,1", settingsProgram},
        {"any case, a full path", path, "", "C:\\Windows\\control.exe", " DESK.CPL,,1 ", settingsProgram},
        {"only the older name", (world.root() + "/older").toLocal8Bit(), "", "CONTROL.EXE", "desk.cpl,,1",
         world.root() + "/older/xscreensaver-demo"},
        {"another panel", path, "", "CONTROL.EXE", "main.cpl", {}},
        {"the panel alone", path, "", "CONTROL.EXE", "", {}},
        {"not installed", world.root().toLocal8Bit(), "", "CONTROL.EXE", "desk.cpl,,1", {}},
        {"switched off for the panel", path, "CONTROL.EXE=", "CONTROL.EXE", "desk.cpl,,1", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qputenv("PATH", c.path);
        qputenv("QUORBEL_PROGRAMS", c.programs);
        ProgramTable::instance().loadFromEnvironment();
        const ProgramTable::Resolved r = ProgramTable::instance().resolve(c.program, c.parameters);
        EXPECT_EQ(hostProgramFor(c.program, c.parameters), !c.expected.isEmpty());
        if (c.expected.isEmpty()) {
            EXPECT_EQ(r.kind, ProgramTable::Resolved::Nothing);
        } else {
            EXPECT_EQ(r.kind, ProgramTable::Resolved::Host);
            EXPECT_EQ(r.program, c.expected);
            EXPECT_TRUE(r.ownParameters); // "desk.cpl,,1" means nothing to the host program
            EXPECT_TRUE(r.arguments.isEmpty());
        }
    }
    qputenv("PATH", path);
    if (programs.isNull()) qunsetenv("QUORBEL_PROGRAMS");
    else qputenv("QUORBEL_PROGRAMS", programs);
    ProgramTable::instance().loadFromEnvironment();
}
