#pragma once
// For the screenshot programs (run by hand under Xvfb, not part of the test run): the program set
// up to run from a copied program directory, a pause for painting, and a photograph of the screen.
#include "app/productinfo.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "util/windowsinfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>

namespace testsupport {

// Lets the windows paint and their timers run for ms milliseconds.
inline void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Photographs the whole screen with ImageMagick's import.
inline void shoot(const QString& file) { QProcess::execute("import", {"-window", "root", file}); }

// The program runs from the program directory at this host path, under the environment's drives.
inline void runFromProgramDir(const QString& programDir)
{
    platform::DriveTable::instance().loadFromEnvironment();
    platform::setModulePathOverride(platform::toWindowsPath(programDir) + "\\quorbel_pro");
    DetermineProductInfo();
    ReloadWindowsInfo();
}

} // namespace testsupport
