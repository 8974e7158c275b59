#include "ripper.h"

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/inifile.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace ripper {

QList<Track> parseTableOfContents(const QString& text)
{
    QList<Track> tracks;
    static const QRegularExpression line(QStringLiteral("^\\s*(\\d+)\\.\\s+(\\d+)\\s+\\["));
    for (const QString& l : text.split(u'\n')) {
        const auto m = line.match(l);
        if (m.hasMatch()) tracks.append({m.captured(1).toInt(), m.captured(2).toLongLong()});
    }
    return tracks;
}

Job readHandOver(const QString& programDir)
{
    Job job;
    const QString iniPath = programDir + QStringLiteral("Ripper.ini");
    if (!platform::fileExists(iniPath)) {
        job.error = QStringLiteral("Ripper.ini was not found in ") + programDir;
        return job;
    }
    platform::IniFile ini(iniPath);
    QString root = ini.readString(QStringLiteral("SETTINGS"), QStringLiteral("DiskPath"));
    const QString show = ini.readString(QStringLiteral("SETTINGS"), QStringLiteral("QuorbelDir"));
    if (root.isEmpty() || show.isEmpty() || show.contains(u'\\') || show.contains(u'/') || show == QLatin1String("..")) {
        job.error = QStringLiteral("Ripper.ini does not name a show folder.");
        return job;
    }
    if (!root.endsWith(u'\\')) root += u'\\';
    job.showFolder = root + show + u'\\';
    if (!platform::directoryExists(job.showFolder) && !platform::forceDirectories(job.showFolder)) {
        job.error = QStringLiteral("The show folder cannot be created: ") + job.showFolder;
        job.showFolder.clear();
    }
    return job;
}

QString trackFileName(const QString& folder, int number)
{
    const QString base = QStringLiteral("CD-Track") + QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
    QString name = folder + base + QStringLiteral(".wav");
    for (int i = 1; platform::fileExists(name) || platform::directoryExists(name); ++i)
        name = folder + base + u'_' + QString::number(i) + QStringLiteral(".wav");
    return name;
}

int rip(const QString& programDir, const Progress& progress)
{
    auto say = [&](const QString& s) { if (progress.status) progress.status(s); };
    const Job job = readHandOver(programDir);
    if (!job.error.isEmpty()) {
        say(job.error);
        return 2;
    }
    const QString paranoia = QStandardPaths::findExecutable(QStringLiteral("cdparanoia"));
    if (paranoia.isEmpty()) {
        say(QStringLiteral("Audio CDs are read with cdparanoia, which is not installed. Install the package cdparanoia and try again."));
        return 3;
    }
    QProcess query;
    query.start(paranoia, {QStringLiteral("-Q")});
    query.waitForFinished(60000);
    const QString toc = QString::fromLocal8Bit(query.readAllStandardError() + query.readAllStandardOutput());
    const QList<Track> tracks = parseTableOfContents(toc);
    if (query.exitCode() != 0 || tracks.isEmpty()) {
        say(QStringLiteral("No audio CD was found in the drive."));
        return 4;
    }
    int done = 0;
    for (const Track& t : tracks) {
        if (progress.step && !progress.step(done, static_cast<int>(tracks.size()))) {
            say(QStringLiteral("Stopped."));
            return 5;
        }
        const QString target = trackFileName(job.showFolder, t.number);
        const QString part = target + QStringLiteral(".part");
        say(QStringLiteral("Reading track %1 of %2").arg(done + 1).arg(tracks.size()));
        QProcess p;
        p.start(paranoia, {QStringLiteral("-w"), QString::number(t.number), platform::toHostPath(part)});
        if (!p.waitForStarted()) {
            say(QStringLiteral("cdparanoia could not be started."));
            return 6;
        }
        while (!p.waitForFinished(100)) {
            if (progress.step && !progress.step(done, static_cast<int>(tracks.size()))) {
                p.kill();
                p.waitForFinished();
                (void)platform::deleteFile(part); // a part left over is replaced when the track is read again
                say(QStringLiteral("Stopped."));
                return 5;
            }
        }
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !platform::fileExists(part)) {
            (void)platform::deleteFile(part); // as above: the failure itself is said
            say(QStringLiteral("Track %1 could not be read.").arg(t.number));
            return 7;
        }
        if (!platform::renameFile(part, target)) {
            say(QStringLiteral("The track cannot be saved as ") + target);
            return 8;
        }
        ++done;
    }
    if (progress.step) progress.step(done, static_cast<int>(tracks.size()));
    say(QStringLiteral("%1 tracks read.").arg(done));
    return 0;
}

} // namespace ripper
