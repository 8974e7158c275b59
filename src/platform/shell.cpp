#include "shell.h"

#include "drives.h"
#include "files.h"
#include "process.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>

namespace platform {

namespace {

// The opener and its arguments for a target; false when there is none or the target has no host path.
bool openerFor(const QString& target, QString& program, QStringList& args)
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
    program = resolved.program;
    args = resolved.arguments;
    args.append(arg);
    return true;
}

} // namespace

bool shellOpen(const QString& target)
{
    QString program;
    QStringList args;
    return openerFor(target, program, args) && QProcess::startDetached(program, args);
}

bool shellOpenAndCheck(const QString& target, int waitMs)
{
    QString program;
    QStringList args;
    if (!openerFor(target, program, args)) return false;
    // Owned by the application while it runs on: an opener that has become the browser ends
    // when the browser does, and then goes.
    auto* opener = new QProcess(QCoreApplication::instance());
    opener->setProgram(program);
    opener->setArguments(args);
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    bool ended = false;
    bool failed = false;
    QEventLoop loop;
    QObject::connect(opener, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            failed = true;
            loop.quit();
        }
    });
    QObject::connect(opener, &QProcess::finished, &loop, [&](int code, QProcess::ExitStatus status) {
        ended = true;
        failed = status != QProcess::NormalExit || code != 0;
        loop.quit();
    });
    QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    QTimer::singleShot(std::max(0, waitMs), &loop, &QEventLoop::quit);
    opener->start();
    if (!failed && !ended) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (failed && !ended) opener->deleteLater(); // it never started: no finished will come
    return !failed;
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
    return setExecutable(launcherPath, true);
}

} // namespace platform
