#include "shell.h"

#include "drives.h"
#include "files.h"
#include "process.h"

#include <QProcess>
#include <QRegularExpression>

namespace platform {

bool shellOpen(const QString& target)
{
    if (target.trimmed().isEmpty()) return false;
    static const QRegularExpression address(QStringLiteral("^(https?|ftp|file|mailto):"), QRegularExpression::CaseInsensitiveOption);
    QString arg = target.trimmed();
    if (!address.match(arg).hasMatch()) {
        if (arg.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) arg = QStringLiteral("http://") + arg;
        else {
            const QString host = toHostPath(arg);
            if (host.isEmpty()) return false;
            arg = host;
        }
    }
    const auto resolved = ProgramTable::instance().resolve(QStringLiteral("open"));
    if (resolved.kind != ProgramTable::Resolved::Host) return false;
    QStringList args = resolved.arguments;
    args.append(arg);
    return QProcess::startDetached(resolved.program, args);
}

QString quoteExecArgument(const QString& hostArgument)
{
    static const QRegularExpression reserved(QStringLiteral("[\\s\"'\\\\><~|&;$*?#()`]"));
    QString a = hostArgument;
    if (reserved.match(a).hasMatch()) {
        QString q;
        for (QChar c : a) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') q += u'\\';
            q += c;
        }
        a = u'"' + q + u'"';
    }
    // The Exec value is a string value: its own escapes come on top.
    a.replace(u'\\', QStringLiteral("\\\\"));
    a.replace(u'%', QStringLiteral("%%"));
    return a;
}

bool writeDesktopLauncher(const QString& launcherPath, const QString& name, const QString& program,
                          const QString& workingDir, const QString& comment)
{
    const QString exe = toHostPath(program);
    if (exe.isEmpty()) return false;
    auto escape = [](QString v) {
        v.replace(u'\\', QStringLiteral("\\\\"));
        v.replace(u'\n', QStringLiteral("\\n"));
        v.replace(u'\r', QStringLiteral("\\r"));
        v.replace(u'\t', QStringLiteral("\\t"));
        return v;
    };
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Version=1.0\n");
    text += QStringLiteral("Name=") + escape(name) + u'\n';
    if (!comment.isEmpty()) text += QStringLiteral("Comment=") + escape(comment) + u'\n';
    text += QStringLiteral("Exec=") + quoteExecArgument(exe) + u'\n';
    const QString dir = toHostPath(workingDir);
    if (!dir.isEmpty()) text += QStringLiteral("Path=") + escape(dir) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("Categories=Graphics;Viewer;\n");
    if (!writeFileReplacing(launcherPath, text.toUtf8())) return false;
    setExecutable(launcherPath, true);
    return true;
}

} // namespace platform
