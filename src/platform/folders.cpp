#include "folders.h"

#include "drives.h"
#include "files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

QString g_modulePath;

// XDG_<NAME>_DIR from user-dirs.dirs, with $HOME expanded; empty when not set there.
QString xdgUserDir(const QString& name)
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    QFile f(config + QStringLiteral("/user-dirs.dirs"));
    // A regular file only: a pipe there would hold the start-up still.
    if (!QFileInfo(f.fileName()).isFile() || !f.open(QIODevice::ReadOnly)) return {};
    const QRegularExpression line(QStringLiteral("^\\s*XDG_%1_DIR\\s*=\\s*\"(.*)\"\\s*$").arg(name));
    QString found;
    while (!f.atEnd()) {
        const QString l = QString::fromUtf8(f.readLine()).trimmed();
        const auto m = line.match(l);
        if (m.hasMatch()) found = m.captured(1);
    }
    if (found.isEmpty()) return {};
    found.replace(QStringLiteral("$HOME"), QDir::homePath());
    found.replace(QStringLiteral("\\\""), QStringLiteral("\""));
    return QDir::cleanPath(found);
}

QString windowsOf(const QString& host)
{
    QString w = toWindowsPath(host);
    if (w.endsWith(u'\\') && w.size() > 3) w.chop(1);
    return w;
}

QString onDriveC(const QString& relative)
{
    const QString path = QStringLiteral("C:\\") + relative;
    (void)forceDirectories(path); // a folder that cannot be made fails the first write into it
    return path;
}

} // namespace

QString modulePath()
{
    if (!g_modulePath.isEmpty()) return g_modulePath;
    return toWindowsPath(QCoreApplication::applicationFilePath());
}

void setModulePathOverride(const QString& windowsPath) { g_modulePath = windowsPath; }

QString documentsFolder()
{
    QString d = xdgUserDir(QStringLiteral("DOCUMENTS"));
    if (d.isEmpty()) d = QDir::homePath();
    return windowsOf(d);
}

QString desktopFolder()
{
    QString d = xdgUserDir(QStringLiteral("DESKTOP"));
    if (d.isEmpty()) d = QDir::homePath() + QStringLiteral("/Desktop");
    return windowsOf(d);
}

namespace {

QString xdgBase(const char* variable, const QString& fallback)
{
    const QString v = qEnvironmentVariable(variable);
    return QDir::cleanPath(v.isEmpty() || !QDir::isAbsolutePath(v) ? QDir::homePath() + fallback : v);
}

QString dataHome() { return xdgBase("XDG_DATA_HOME", QStringLiteral("/.local/share")); }
QString configHome() { return xdgBase("XDG_CONFIG_HOME", QStringLiteral("/.config")); }

} // namespace

QString templatesFolder()
{
    QString d = xdgUserDir(QStringLiteral("TEMPLATES"));
    if (d.isEmpty()) d = QDir::homePath() + QStringLiteral("/Templates");
    return windowsOf(d);
}

QString launchersFolder() { return windowsOf(dataHome() + QStringLiteral("/applications")); }
QString autostartFolder() { return windowsOf(configHome() + QStringLiteral("/autostart")); }
QString fontsFolder() { return windowsOf(dataHome() + QStringLiteral("/fonts")); }
QString recentFolder() { return windowsOf(dataHome()); }

QString windowsFolder() { return onDriveC(QStringLiteral("Windows")); }
QString systemFolder() { return onDriveC(QStringLiteral("Windows\\System")); }
QString system32Folder() { return onDriveC(QStringLiteral("Windows\\System32")); }

QString tempFolder()
{
    QString t = toWindowsPath(QDir::tempPath());
    if (!t.endsWith(u'\\')) t += u'\\';
    return t;
}

QString userName()
{
    QString u = qEnvironmentVariable("USER");
    if (u.isEmpty()) u = qEnvironmentVariable("LOGNAME");
    if (u.isEmpty()) {
        // A session without the variables (a service, a container): the account itself.
        if (const passwd* account = getpwuid(geteuid())) u = QString::fromLocal8Bit(account->pw_name);
    }
    return u;
}

} // namespace platform
