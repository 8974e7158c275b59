#pragma once
// A program directory copied from the build for each case, drives C: and D: on temporary
// folders, the dialog service scripted, and the run's language and product data loaded.
#include "app/language.h"
#include "app/productinfo.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "support/fixture.h"
#include "support/scripted_dialogs.h"
#include "util/windowsinfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

class EditorTest : public testsupport::WorldTest {
protected:
    testsupport::ScriptedDialogs dialogs;
    // The report and the audio information window the main window is made with, as the start-up
    // makes them.
    print::ReportWindows printWindows;
    AudioInformation audioWindows;
    show::OutputWindows outputWindows() { return {printWindows, audioWindows}; }

    void SetUp() override
    {
        world.copyBuiltProgram();
        // The tips would come up after every open; the cases that want them delete the marker.
        world.writeHostFile("program/NoTip.ini", {});
        useLanguage("GERMAN");
    }
    void TearDown() override { platform::setModulePathOverride(QString()); }

    // Stores the language, the drive and any further settings, then loads product and texts.
    void useLanguage(const QString& code, const QString& drive = QStringLiteral("D"))
    {
        QFile::remove(world.programHost() + "/Generator.ini");
        platform::IniFile ini(world.programDir() + "Generator.ini");
        ASSERT_TRUE(ini.writeString("SETTINGS", "Language", code));
        ASSERT_TRUE(ini.writeString("SETTINGS", "Drive", drive));
        platform::setModulePathOverride(world.programDir() + "quorbel_pro");
        DetermineProductInfo();
        ReloadWindowsInfo();
    }

    QString hostD(const QString& rel = {}) const { return world.hostD() + (rel.isEmpty() ? QString() : "/" + rel); }
    QString hostProgram(const QString& rel) const { return world.programHost() + "/" + rel; }
    QString desktopHost() const { return world.home() + "/Desktop"; }

    static QByteArray readAll(const QString& host)
    {
        QFile f(host);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeAll(const QString& host, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(host).absolutePath());
        QFile f(host);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    // Every file below a host folder with its contents, to see that nothing changed.
    static QMap<QString, QByteArray> snapshot(const QString& hostFolder)
    {
        QMap<QString, QByteArray> files;
        QDir dir(hostFolder);
        const auto entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QFileInfo& fi : entries) {
            if (fi.isDir()) {
                const auto sub = snapshot(fi.filePath());
                for (auto it = sub.begin(); it != sub.end(); ++it) files.insert(fi.fileName() + "/" + it.key(), it.value());
                files.insert(fi.fileName() + "/", {});
            } else {
                files.insert(fi.fileName(), readAll(fi.filePath()));
            }
        }
        return files;
    }
};
