#include "programrunner.h"

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "util/strutils.h"

#include <QEventLoop>

namespace editor {

const char* const CdDriverMarkerLine = "; Audio CDs are read with cdparanoia. Written by the editor at start-up.";

platform::RunResult RunAndWait(const QString& folder, const QString& file, const QString& parameters,
                               const platform::RunWatch& watch)
{
    // As the shell does: a bare name is found in the folder the program is started in.
    QString program = file;
    const bool bare = !file.contains(u'\\') && !file.contains(u'/') && !file.contains(u':');
    if (bare && !folder.isEmpty() && platform::fileExists(EnsureTrailingBackslash(folder) + file))
        program = EnsureTrailingBackslash(folder) + file;
    const platform::RunResult result = platform::runAndWait(program, parameters, folder, {}, watch);
    if (result.status == platform::RunResult::CannotStart) platform::showInformation(QStringLiteral("Error starting ") + file);
    return result;
}

namespace {

QString driverIn(const QString& systemRoot, const char* folder)
{
    return EnsureTrailingBackslash(systemRoot) + QLatin1String(folder) + QStringLiteral("\\wnaspi32.dll");
}

bool isOurMarker(const QString& path)
{
    const auto bytes = platform::readFile(path, 4096);
    return bytes && bytes->startsWith(QByteArray(CdDriverMarkerLine));
}

} // namespace

QString FindCdDriver(const QString& systemRoot)
{
    for (const char* folder : {"system32", "system"}) {
        const QString path = driverIn(systemRoot, folder);
        if (platform::fileExists(path)) return path;
    }
    return {};
}

bool StageCdDriverMarker(const QString& systemRoot)
{
    const QString marker = driverIn(systemRoot, "system32");
    const bool haveParanoia =
        platform::ProgramTable::instance().resolve(QStringLiteral("cdparanoia")).kind == platform::ProgramTable::Resolved::Host;
    if (haveParanoia) {
        if (!platform::fileExists(marker) &&
            !(platform::forceDirectories(PathWithoutName(marker)) &&
              platform::writeFileReplacing(marker, QByteArray(CdDriverMarkerLine) + "\r\n")))
            platform::showError(QStringLiteral("Unable to write %1: %2").arg(marker, platform::lastFileError()));
    } else if (platform::fileExists(marker) && isOurMarker(marker) && !platform::deleteFile(marker)) {
        platform::showError(QStringLiteral("Unable to delete %1: %2").arg(marker, platform::lastFileError()));
    }
    return platform::fileExists(marker);
}

bool WriteRipperHandOver(const QString& programDir, const QString& showRoot, const QString& showFolder)
{
    const QString path = programDir + QStringLiteral("Ripper.ini");
    if (platform::fileExists(path) && !platform::deleteFile(path)) return false;
    platform::IniFile ini(path);
    return ini.writeString(QStringLiteral("SETTINGS"), QStringLiteral("DiskPath"), showRoot)
        && ini.writeString(QStringLiteral("SETTINGS"), QStringLiteral("QuorbelDir"), showFolder);
}

platform::RunResult CdRipperRun::Run(const QString& programDir, const std::function<void()>& started)
{
    running_ = true;
    platform::RunWatch watch;
    watch.started = started;
    watch.ended = [this] {
        running_ = false;
        emit Ended();
    };
    const platform::RunResult result = RunAndWait(programDir, QStringLiteral("Ripper.exe"), QString(), watch);
    if (result.status != platform::RunResult::Finished) {
        // It never ran, or the application is closing: nobody waits for it any more.
        running_ = false;
        emit Ended();
    }
    return result;
}

void CdRipperRun::WaitUntilEnded()
{
    if (!running_) return;
    QEventLoop loop;
    connect(this, &CdRipperRun::Ended, &loop, &QEventLoop::quit);
    if (running_) loop.exec();
}

} // namespace editor
