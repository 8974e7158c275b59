#pragma once
// The world the editor benches run in: drives C: and D: and a home folder under a temporary
// folder, and a copy of the built program directory with German texts and drive D:.
#include "app/language.h"
#include "app/productinfo.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "util/windowsinfo.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

namespace bench {

// Before the application object: the folders and the environment that name them.
inline void prepareEnvironment(const QString& root)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QDir().mkpath(root + "/c");
    QDir().mkpath(root + "/d/src");
    QDir().mkpath(root + "/home");
    qputenv("HOME", (root + "/home").toLocal8Bit());
    qputenv("QUORBEL_DRIVES", QString("C=%1/c;D=%1/d;Z=/").arg(root).toLocal8Bit());
}

// After it: the program directory copied from the build, its settings, product and texts.
inline bool prepareProgram(const QString& root, const QString& built)
{
    QProcess cp;
    cp.start("cp", {"-a", built, root + "/program"});
    if (!cp.waitForFinished(600000) || cp.exitCode() != 0) return false;
    QFile::remove(root + "/program/Generator.ini");
    {
        QFile g(root + "/program/Generator.ini");
        if (!g.open(QIODevice::WriteOnly) || g.write("[SETTINGS]\r\nLanguage=GERMAN\r\nDrive=D\r\n") < 0) return false;
    }
    platform::DriveTable::instance().loadFromEnvironment();
    platform::setModulePathOverride(platform::toWindowsPath(root + "/program") + "\\quorbel_pro");
    DetermineProductInfo();
    ReloadWindowsInfo();
    LoadLanguageTable();
    return true;
}

// An empty show folder: its "Quorbel.ini" and an empty "Pictures.ini".
inline bool makeShowFolder(const QString& host)
{
    QDir().mkpath(host);
    QFile ini(host + "/Quorbel.ini");
    QFile list(host + "/Pictures.ini");
    return ini.open(QIODevice::WriteOnly) && ini.write("[QUORBEL]\r\nTitel=Bench\r\nTime=3\r\n") > 0 &&
           list.open(QIODevice::WriteOnly);
}

} // namespace bench
