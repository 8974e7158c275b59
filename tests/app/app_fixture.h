#pragma once
// A program directory of its own for each case, the dialog service scripted, and the run's
// globals (product data, language, text table) set up from that directory.
#include "app/language.h"
#include "app/productinfo.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "support/fixture.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

// Lets a window's activation and timers run for a moment.
inline void settle()
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class AppTest : public testsupport::WorldTest {
protected:
    testsupport::ScriptedDialogs dialogs;

    void SetUp() override { runAs(QStringLiteral("quorbel_pro")); }
    void TearDown() override { platform::setModulePathOverride(QString()); }

    // The program runs as this executable inside the test's program directory.
    void runAs(const QString& exeName) { platform::setModulePathOverride(world.programDir() + exeName); }

    void writeProgramFile(const QString& name, const QByteArray& bytes) { world.writeHostFile("program/" + name, bytes); }
    QByteArray readProgramFile(const QString& name) const { return world.readHostFile("program/" + name); }
    bool programFileExists(const QString& name) const { return QFileInfo::exists(world.programHost() + "/" + name); }

    // A fresh "Generator.ini" holding only the language. Written through the INI class: files
    // rewritten with the same size within one clock tick would look unchanged to its cache.
    void writeLanguage(const QByteArray& code)
    {
        QFile::remove(world.programHost() + "/Generator.ini");
        ASSERT_TRUE(platform::IniFile(world.programDir() + "Generator.ini").writeString("SETTINGS", "Language", QString::fromLatin1(code)));
    }
};
