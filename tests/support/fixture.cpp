#include "fixture.h"

#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace testsupport {

TempWorld::TempWorld()
{
    oldHome_ = qgetenv("HOME");
    oldDrives_ = qgetenv("QUORBEL_DRIVES");
    oldXdg_ = qgetenv("XDG_CONFIG_HOME");
    QDir().mkpath(hostC());
    QDir().mkpath(hostD());
    QDir().mkpath(home());
    QDir().mkpath(programHost());
    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home() + "/.config").toLocal8Bit());
    qputenv("QUORBEL_DRIVES", QString("C=%1;D=%2;Z=/").arg(hostC(), hostD()).toLocal8Bit());
    platform::DriveTable::instance().loadFromEnvironment();
}

TempWorld::~TempWorld()
{
    auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull()) qunsetenv(name);
        else qputenv(name, value);
    };
    restore("HOME", oldHome_);
    restore("QUORBEL_DRIVES", oldDrives_);
    restore("XDG_CONFIG_HOME", oldXdg_);
    platform::DriveTable::instance().loadFromEnvironment();
}

QString TempWorld::programDir() const { return platform::toWindowsPath(programHost()) + "\\"; }

QString TempWorld::writeHostFile(const QString& relativeHostPath, const QByteArray& bytes) const
{
    const QString path = root() + "/" + relativeHostPath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

QByteArray TempWorld::readHostFile(const QString& relativeHostPath) const
{
    QFile f(root() + "/" + relativeHostPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TempWorld::copyBuiltProgram() const
{
    const QString from = qEnvironmentVariable("QUORBEL_PROGRAM_BUILD_DIR");
    if (from.isEmpty()) return;
    QProcess::execute("cp", {"-a", from + "/.", programHost()});
}

QString runHost(const QString& command, int* status)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start("/bin/sh", {"-c", command});
    p.waitForFinished(120000);
    if (status) *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

bool haveHostProgram(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

QString discToolComplaints(const QString& mpegFile, const QString& discType, const QString& folder)
{
    QDir().mkpath(folder);
    QFile::remove(folder + "/disc.cue");
    QFile::remove(folder + "/disc.bin");
    QProcess tool;
    tool.setWorkingDirectory(folder);
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start("vcdimager", {"-t", discType, "-c", folder + "/disc.cue", "-b", folder + "/disc.bin", mpegFile});
    if (!tool.waitForFinished(120000)) return QStringLiteral("vcdimager did not finish");
    const QString said = QString::fromLocal8Bit(tool.readAll());
    const bool clean = tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0 && said.contains("finished ok")
                       && !said.contains("WARN") && !said.contains("ERROR");
    if (clean) return {};
    return said.isEmpty() ? QStringLiteral("vcdimager failed without a word") : said;
}

} // namespace testsupport
