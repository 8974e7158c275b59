#include "process.h"

#include "drives.h"
#include "environment.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <memory>
#include <vector>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

ProgramTable& ProgramTable::instance()
{
    static ProgramTable t;
    return t;
}

ProgramTable::ProgramTable() { loadFromEnvironment(); }

namespace {

// The key of a table entry: the program's file name, with the parameter text when given, lower case.
QString entryKey(const QString& windowsProgram, const QString& parameters = {})
{
    QString name = windowsProgram.trimmed();
    name.replace(u'/', u'\\');
    name = name.mid(name.lastIndexOf(u'\\') + 1);
    const QString p = parameters.simplified();
    return (p.isEmpty() ? name : name + u' ' + p).toLower();
}

// The screensaver settings of the desktop, where a program for them is installed.
QString screensaverSettingsProgram()
{
    for (const char* program : {"xscreensaver-settings", "xscreensaver-demo"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(program));
        if (!found.isEmpty()) return found;
    }
    return {};
}

} // namespace

void ProgramTable::loadFromEnvironment()
{
    table_.clear();
    table_.insert(QStringLiteral("lame.exe"), QStringLiteral("lame"));
    table_.insert(QStringLiteral("mplayer2.exe"), QStringLiteral("xdg-open"));
    // The control panel: only its display settings on their screensaver page have a counterpart.
    table_.insert(QStringLiteral("control.exe"), QString());
    table_.insert(entryKey(QStringLiteral("control.exe"), QStringLiteral("desk.cpl,,1")), screensaverSettingsProgram());
    table_.insert(QStringLiteral("open"), QStringLiteral("xdg-open"));
    for (const auto& [name, command] : environmentAssignments("QUORBEL_PROGRAMS")) set(name, command);
}

void ProgramTable::set(const QString& windowsName, const QString& hostCommand)
{
    const QString key = entryKey(windowsName);
    if (!key.contains(u' ')) table_.removeIf([&](const auto& entry) { return entry.key().startsWith(key + u' '); });
    table_.insert(key, hostCommand);
}

void ProgramTable::remove(const QString& windowsName) { table_.remove(entryKey(windowsName)); }

ProgramTable::Resolved ProgramTable::resolve(const QString& windowsProgram, const QString& parameters) const
{
    Resolved r;
    const QString name = entryKey(windowsProgram);
    auto it = table_.find(entryKey(windowsProgram, parameters));
    if (it != table_.end() && it.key() != name) r.ownParameters = true;
    else it = table_.find(name);
    if (it != table_.end()) {
        if (it.value().isEmpty()) {
            r.kind = Resolved::Nothing;
            return r;
        }
        QStringList parts = QProcess::splitCommand(it.value());
        const QString exe = QStandardPaths::findExecutable(parts.first());
        const QFileInfo fi(parts.first());
        if (exe.isEmpty() && !(fi.isAbsolute() && fi.isExecutable())) return r; // Missing
        r.kind = Resolved::Host;
        r.program = exe.isEmpty() ? parts.first() : exe;
        r.arguments = parts.mid(1);
        return r;
    }
    if (windowsProgram.contains(u'\\') || windowsProgram.contains(u':')) {
        const QString host = toHostPath(windowsProgram);
        const QFileInfo fi(host);
        if (!host.isEmpty() && fi.isFile() && fi.isExecutable()) {
            r.kind = Resolved::Host;
            r.program = host;
        }
        return r;
    }
    QString bare = windowsProgram;
    bare.replace(u'/', u'\\');
    const QString exe = QStandardPaths::findExecutable(bare.mid(bare.lastIndexOf(u'\\') + 1));
    if (!exe.isEmpty()) {
        r.kind = Resolved::Host;
        r.program = exe;
    }
    return r;
}

QStringList splitWindowsCommandLine(const QString& parameters)
{
    QStringList args;
    QString cur;
    bool inQuotes = false, haveArg = false;
    const qsizetype n = parameters.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = parameters[i];
        if (c == u'\\') {
            qsizetype count = 0;
            while (i < n && parameters[i] == u'\\') { ++count; ++i; }
            if (i < n && parameters[i] == u'"') {
                cur += QString(count / 2, u'\\');
                haveArg = true;
                if (count % 2 == 1) {
                    cur += u'"';
                    ++i;
                }
                // an even count leaves the quote to the next round, where it toggles
            } else {
                cur += QString(count, u'\\');
                haveArg = true;
            }
            continue;
        }
        if (c == u'"') {
            haveArg = true;
            if (inQuotes && i + 1 < n && parameters[i + 1] == u'"') {
                cur += u'"';
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        if (!inQuotes && (c == u' ' || c == u'\t')) {
            if (haveArg) {
                args.append(cur);
                cur.clear();
                haveArg = false;
            }
            ++i;
            continue;
        }
        cur += c;
        haveArg = true;
        ++i;
    }
    if (haveArg) args.append(cur);
    return args;
}

QString mapArgument(const QString& argument)
{
    if (argument.size() >= 3 && argument[0].isLetter() && argument[0].unicode() < 128 && argument[1] == u':'
        && (argument[2] == u'\\' || argument[2] == u'/')) {
        const QString host = toHostPath(argument);
        if (!host.isEmpty()) return host;
    }
    return argument;
}

namespace {

struct Prepared {
    RunResult failure;
    bool ready = false;
    QString program;
    QStringList arguments;
    QString workingDir;
};

Prepared prepare(const QString& program, const QString& parameters, const QString& workingDir)
{
    Prepared p;
    const auto resolved = ProgramTable::instance().resolve(program, parameters);
    if (resolved.kind == ProgramTable::Resolved::Nothing) {
        p.failure.status = RunResult::NothingToRun;
        p.failure.exitCode = 0;
        return p;
    }
    if (resolved.kind == ProgramTable::Resolved::Missing) {
        p.failure.status = RunResult::CannotStart;
        p.failure.error = QStringLiteral("Program not found: ") + program;
        return p;
    }
    p.ready = true;
    p.program = resolved.program;
    p.arguments = resolved.arguments;
    if (!resolved.ownParameters)
        for (const QString& a : splitWindowsCommandLine(parameters)) p.arguments.append(mapArgument(a));
    if (!workingDir.isEmpty()) p.workingDir = toHostPath(workingDir);
    return p;
}

// Programs left running when the application terminates. Their QProcess objects are kept here
// for the rest of the process and never destroyed: destroying one would kill its program.
std::vector<QProcess*>& leftRunning()
{
    static auto* kept = new std::vector<QProcess*>;
    return *kept;
}

void configure(QProcess& process, const Prepared& p)
{
    process.setProgram(p.program);
    process.setArguments(p.arguments);
    if (!p.workingDir.isEmpty() && QFileInfo(p.workingDir).isDir()) process.setWorkingDirectory(p.workingDir);
}

} // namespace

RunResult runAndWait(const QString& program, const QString& parameters, const QString& workingDir,
                     const std::function<bool()>& abortRequested, const RunWatch& watch)
{
    Prepared p = prepare(program, parameters, workingDir);
    if (!p.ready) return p.failure;
    // On the heap: a program still running when the application terminates is left to itself.
    auto process = std::make_unique<QProcess>();
    configure(*process, p);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setChildProcessModifier([] { ::setpgid(0, 0); });

    RunResult result;
    QEventLoop loop;
    bool failedToStart = false, aborted = false, ended = false;
    QObject::connect(process.get(), &QProcess::started, &loop, [&] {
        if (watch.started) watch.started();
    });
    QObject::connect(process.get(), &QProcess::finished, &loop, [&] {
        ended = true;
        loop.quit();
        if (watch.ended) watch.ended();
    });
    QObject::connect(process.get(), &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        }
    });
    QTimer abortTimer;
    if (abortRequested) {
        abortTimer.setInterval(50);
        QObject::connect(&abortTimer, &QTimer::timeout, &loop, [&] {
            if (!aborted && abortRequested()) {
                aborted = true;
                const qint64 pid = process->processId();
                if (pid > 0) ::kill(-static_cast<pid_t>(pid), SIGKILL);
                process->kill();
            }
        });
        abortTimer.start();
    }
    process->start();
    if (!failedToStart && process->state() != QProcess::NotRunning) loop.exec();
    else if (process->state() == QProcess::NotRunning && process->error() == QProcess::FailedToStart) failedToStart = true;

    if (failedToStart) {
        result.status = RunResult::CannotStart;
        result.error = process->errorString();
        return result;
    }
    if (!ended && !aborted && process->state() != QProcess::NotRunning) {
        // Nothing of ours ended the loop: the application is terminating. Stop waiting and let
        // the program run on; the object stays alive so that it is not killed.
        process->disconnect();
        leftRunning().push_back(process.release());
        result.status = RunResult::StillRunning;
        return result;
    }
    if (process->state() != QProcess::NotRunning) process->waitForFinished(-1);
    if (aborted) {
        result.status = RunResult::Aborted;
        return result;
    }
    result.status = RunResult::Finished;
    result.exitCode = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    return result;
}

RunResult startProgram(const QString& program, const QString& parameters, const QString& workingDir)
{
    Prepared p = prepare(program, parameters, workingDir);
    if (!p.ready) return p.failure;
    QProcess process;
    configure(process, p);
    qint64 pid = 0;
    RunResult r;
    if (!process.startDetached(&pid)) {
        r.status = RunResult::CannotStart;
        r.error = process.errorString();
        return r;
    }
    r.status = RunResult::Finished;
    r.exitCode = 0;
    return r;
}

bool hostProgramFor(const QString& program, const QString& parameters)
{
    return ProgramTable::instance().resolve(program, parameters).kind == ProgramTable::Resolved::Host;
}

} // namespace platform
