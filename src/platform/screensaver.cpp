#include "screensaver.h"

#include "drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>

#include <cctype>

namespace platform {

namespace {

// The installed defaults of xscreensaver, where its packages put them.
QByteArray installedDefaults()
{
    for (const char* path : {"/etc/X11/app-defaults/XScreenSaver", "/usr/share/X11/app-defaults/XScreenSaver"}) {
        QFile f(QString::fromLatin1(path));
        if (f.open(QIODevice::ReadOnly)) return f.readAll();
    }
    return {};
}

bool continues(const QByteArray& line) { return line.endsWith('\\'); }

// The lines of the "programs" resource: [first, last] with the continuation backslashes; first is
// -1 when the text has none. The user's file names it "programs", the defaults "*programs".
void findProgramsBlock(const QList<QByteArray>& lines, qsizetype& first, qsizetype& last)
{
    first = last = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray head = lines[i].trimmed();
        const qsizetype colon = head.indexOf(':');
        if (colon < 0) continue;
        QByteArray key = head.left(colon).trimmed();
        if (key.startsWith('*')) key = key.mid(1);
        if (key != "programs") {
            // The lines a resource continues over are not keys of their own.
            while (i < lines.size() && continues(lines[i])) ++i;
            continue;
        }
        first = last = i;
        while (last + 1 < lines.size() && continues(lines[last])) ++last;
        return;
    }
}

// One entry of the list; the last one of the list ends without a continuation.
QByteArray entryLine(const QByteArray& name, const QByteArray& command, bool lastOfList)
{
    return "\t\t\t\t\"" + name + "\" " + command + "\t\t\t    \\n" + (lastOfList ? "" : "\\");
}

// The command as the settings file holds it: the resource reader takes "\\" for a backslash, and
// the command is run by a shell when it is quoted.
QByteArray commandText(const QString& hostProgram)
{
    QByteArray path = QFile::encodeName(hostProgram);
    bool plain = true;
    for (const char c : path)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || QByteArray("/._+-,").contains(c))) plain = false;
    if (!plain) path = "'" + path.replace('\'', "'\\''") + "'";
    path.replace('\\', "\\\\");
    return path + " /s";
}

} // namespace

bool screensaverServiceInstalled() { return !QStandardPaths::findExecutable(QStringLiteral("xscreensaver")).isEmpty(); }

QString screensaverSettingsFile() { return QDir::homePath() + QStringLiteral("/.xscreensaver"); }

QByteArray withScreensaverEntry(const QByteArray& settings, const QByteArray& defaults, const QByteArray& command,
                                const QByteArray& name)
{
    QList<QByteArray> lines = settings.split('\n');
    const bool endedWithNewline = settings.isEmpty() || settings.endsWith('\n');
    if (endedWithNewline) lines.removeLast();
    qsizetype first = -1, last = -1;
    findProgramsBlock(lines, first, last);

    // An entry naming the same command is renewed where it stands.
    if (first >= 0) {
        for (qsizetype i = first + 1; i <= last; ++i) {
            if (!lines[i].contains(command)) continue;
            lines[i] = entryLine(name, command, i == last);
            return lines.join('\n') + '\n';
        }
    }

    if (first < 0) {
        // No list of the user's own: the installed list with the entry, at the end of the file.
        QList<QByteArray> list;
        const QList<QByteArray> defaultLines = defaults.split('\n');
        qsizetype dFirst = -1, dLast = -1;
        findProgramsBlock(defaultLines, dFirst, dLast);
        list << QByteArray("programs:\t\t\t\t\t\t\t      \\");
        if (dFirst >= 0)
            for (qsizetype i = dFirst + 1; i <= dLast; ++i) list << defaultLines[i];
        if (lines.isEmpty()) lines << QByteArray("# XScreenSaver Preferences File") << QByteArray();
        else if (!lines.last().trimmed().isEmpty()) lines << QByteArray();
        first = lines.size();
        lines << list;
        last = lines.size() - 1;
    }

    // The list's last line goes on to the new entry.
    QByteArray& end = lines[last];
    while (!end.isEmpty() && (end.endsWith(' ') || end.endsWith('\t'))) end.chop(1);
    if (last == first) end += "\t\\";
    else if (end.endsWith("\\n")) end += '\\';
    else end += " \\n\\";
    lines.insert(last + 1, entryLine(name, command, true));
    return lines.join('\n') + '\n';
}

bool showInScreensaverWindow(QWidget& widget)
{
    bool ok = false;
    const WId id = qEnvironmentVariable("XSCREENSAVER_WINDOW").trimmed().toULongLong(&ok, 0);
    if (!ok || id == 0 || QGuiApplication::platformName() != QLatin1String("xcb")) return false;
    QWindow* host = QWindow::fromWinId(id);
    if (!host) return false;
    widget.setAttribute(Qt::WA_NativeWindow);
    widget.winId();
    QWindow* own = widget.windowHandle();
    if (!own) return false;
    own->setParent(host);
    QSize size = host->geometry().size();
    if (size.isEmpty())
        if (const QScreen* screen = QGuiApplication::primaryScreen()) size = screen->geometry().size();
    widget.setGeometry(QRect(QPoint(0, 0), size));
    widget.show();
    return true;
}

ScreensaverRegistration registerScreensaver(const QString& program, const QString& name)
{
    ScreensaverRegistration result;
    if (!screensaverServiceInstalled()) return result;
    result.status = ScreensaverRegistration::Failed;
    const QString host = toHostPath(program);
    if (host.isEmpty() || host.contains(u'\n')) {
        result.error = QStringLiteral("The screensaver lies on no drive: ") + program;
        return result;
    }
    const QString file = screensaverSettingsFile();
    QByteArray settings;
    const QFileInfo info(file);
    if (info.exists()) {
        QFile in(file);
        if (!info.isFile() || !in.open(QIODevice::ReadOnly)) {
            result.error = QStringLiteral("Unable to read ") + file;
            return result;
        }
        settings = in.readAll();
    }
    const QByteArray text = withScreensaverEntry(settings, installedDefaults(), commandText(host), name.toUtf8());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        result.error = QStringLiteral("Unable to write ") + file + QStringLiteral(": ") + out.errorString();
        return result;
    }
    result.status = ScreensaverRegistration::Registered;
    return result;
}

} // namespace platform
