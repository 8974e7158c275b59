// The player at the display's rate: a staged show of 20 photos of 5120 x 2880 (JPEG) with
// transitions, played full screen on the X display this runs on (Xvfb of 1920 x 1080, see
// player_bench.sh), against feh's slide show of the same photos with the same seconds per
// picture, in one run. The screen is captured by ffmpeg (x11grab at 60 frames a second) and each
// frame's checksum kept; from them:
//  - the distinct frames a second during each transition (the frames between one picture
//    standing still and the next standing still);
//  - the gap: how much later than the seconds per picture each picture's first changed frame
//    came after the one before (what decoding and scaling at its turn would add);
//  - the CPU seconds and the peak resident memory of the player (and of feh);
//  - from the player's own timings log (quorbel.player.timing), each turn after a hold: how late
//    its timer fired, whether the picture read ahead was ready, the turn's work, the end of its
//    first paint after the hold's end, and how much later the capture saw the change (the
//    capture stamps its frames on the wall's clock, as the log does).
// The photos are the 5120 x 2880 wallpapers of plasma-workspace-wallpapers when installed (the
// PNGs made JPEGs), used in turn until there are 20, else drawn here.
//
//   bench/player/player_bench.sh build
#include "../photos.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <map>
#include <optional>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int PhotoCount = 20;
constexpr int Seconds = 2;
constexpr int CaptureRate = 60;
// A frame that stays this long is a picture standing still, not a step of a transition.
constexpr double StillSeconds = 0.25;

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// What the kernel says of a process: CPU seconds so far and the peak resident set in kB.
struct Usage {
    double cpu = 0;
    long peakKb = 0;
};

Usage usageOf(qint64 pid)
{
    Usage u;
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        // The fields after the command's closing parenthesis: state is the 3rd, utime the 14th.
        const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (f.size() > 12) u.cpu = (f[11].toDouble() + f[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
    }
    QFile status(QString("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:")) u.peakKb = line.mid(6).trimmed().split(' ').first().toLong();
    return u;
}

struct Frame {
    double at; // seconds
    QByteArray sum;
};

// The frames ffmpeg's framecrc listing names, with their times.
std::vector<Frame> readFrames(const QString& file)
{
    std::vector<Frame> frames;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return frames;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith('#')) continue;
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() < 6) continue;
        frames.push_back({fields[1].trimmed().toDouble() / 1000.0, fields[5].trimmed()});
    }
    return frames;
}

// One change of picture on the screen.
struct Change {
    double start = 0;  // the first frame that differs from the picture standing before
    double end = 0;    // the first frame of the next picture standing still
    int distinct = 0;  // distinct frames from start to end, both counted
};

// The changes between pictures standing still, in screen order.
std::vector<Change> changesOf(const std::vector<Frame>& frames)
{
    struct Run {
        double start, end;
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (runs.empty() || frames[i].sum != frames[i - 1].sum) runs.push_back({frames[i].at, frames[i].at});
        else runs.back().end = frames[i].at;
    }
    // A run lasts until the next one starts.
    for (size_t i = 0; i + 1 < runs.size(); ++i) runs[i].end = runs[i + 1].start;
    std::vector<Change> changes;
    std::optional<size_t> still;
    for (size_t i = 0; i < runs.size(); ++i) {
        const bool isStill = runs[i].end - runs[i].start >= StillSeconds || i + 1 == runs.size();
        if (!isStill) continue;
        if (still && i > *still) changes.push_back({runs[*still + 1].start, runs[i].start, int(i - *still)});
        still = i;
    }
    return changes;
}

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Result {
    bool ok = false;
    std::vector<Change> changes;
    Usage usage;
    double seconds = 0;
    QString log; // what the player wrote to its standard error
};

// Captures the screen while program plays, then ends it.
Result capture(const QString& name, const QString& program, const QStringList& args, const QProcessEnvironment& env,
               const QString& work)
{
    Result r;
    const QString sums = work + "/" + name + ".crc";
    const double length = PhotoCount * Seconds + 3.0;
    QProcess grab;
    grab.setProcessChannelMode(QProcess::ForwardedChannels);
    // The frames keep the capture's stamps, the wall's clock in milliseconds.
    grab.start("ffmpeg", {"-nostdin", "-v", "error", "-y", "-f", "x11grab", "-framerate", QString::number(CaptureRate), "-video_size",
                          "1920x1080", "-t", QString::number(length), "-i", qEnvironmentVariable("DISPLAY"), "-copyts",
                          "-fps_mode", "passthrough", "-enc_time_base", "1:1000", "-f", "framecrc", sums});
    if (!grab.waitForStarted()) return r;
    QThread::msleep(500);
    QProcess player;
    player.setProcessEnvironment(env);
    player.setStandardOutputFile(QProcess::nullDevice());
    player.setStandardErrorFile(work + "/" + name + ".log");
    QElapsedTimer t;
    t.start();
    player.start(program, args);
    if (!player.waitForStarted()) {
        grab.kill();
        grab.waitForFinished();
        return r;
    }
    // The usage is taken while the process lives; the last look before the capture ends counts.
    while (!grab.waitForFinished(100))
        if (player.state() == QProcess::Running) r.usage = usageOf(player.processId());
    r.seconds = t.nsecsElapsed() / 1e9;
    player.terminate();
    if (!player.waitForFinished(5000)) {
        player.kill();
        player.waitForFinished();
    }
    r.changes = changesOf(readFrames(sums));
    r.ok = grab.exitCode() == 0 && !r.changes.empty();
    QFile log(work + "/" + name + ".log");
    if (log.open(QIODevice::ReadOnly)) r.log = QString::fromLocal8Bit(log.readAll());
    return r;
}

// One turn after a hold, from the player's timings log (milliseconds on the wall's clock).
struct Turn {
    int number = 0;
    double holdEnd = 0, fired = 0, paintEnd = 0, readDone = 0;
    double take = 0, frame = 0, step = 0, paint = 0; // the turn's work: the picture taken, its frame drawn, the rest
    QString ahead;
};

std::vector<Turn> turnsOf(const QString& log)
{
    std::map<int, Turn> turns;
    static const QRegularExpression hold("hold (\\d+) ended ([\\d.]+) fired ([\\d.]+)"),
        turn("turn (\\d+) at [\\d.]+ picture \\S+ ahead (\\w+) take ([\\d.]+) frame ([\\d.]+) step ([\\d.]+)"),
        paint("paint (\\d+) at ([\\d.]+) took ([\\d.]+)"), read("read (\\d+) done ([\\d.]+)");
    for (const QString& line : log.split('\n')) {
        if (const auto m = hold.match(line); m.hasMatch()) {
            Turn& t = turns[m.captured(1).toInt() + 1];
            t.holdEnd = m.captured(2).toDouble();
            t.fired = m.captured(3).toDouble();
        } else if (const auto m = turn.match(line); m.hasMatch()) {
            Turn& t = turns[m.captured(1).toInt()];
            t.ahead = m.captured(2);
            t.take = m.captured(3).toDouble();
            t.frame = m.captured(4).toDouble();
            t.step = m.captured(5).toDouble();
        } else if (const auto m = paint.match(line); m.hasMatch()) {
            Turn& t = turns[m.captured(1).toInt()];
            t.paint = m.captured(3).toDouble();
            t.paintEnd = m.captured(2).toDouble() + t.paint;
        } else if (const auto m = read.match(line); m.hasMatch()) {
            turns[m.captured(1).toInt()].readDone = m.captured(2).toDouble();
        }
    }
    std::vector<Turn> list;
    for (auto& [number, t] : turns) {
        t.number = number;
        if (t.holdEnd > 0 && t.paintEnd > 0) list.push_back(t);
    }
    return list;
}

// The player's own account of each turn after a hold, and when the capture saw it.
void reportTurns(const Result& r)
{
    const std::vector<Turn> turns = turnsOf(r.log);
    if (turns.empty()) return;
    const double frameMs = 1000.0 / CaptureRate;
    std::vector<double> painted, seen;
    std::printf("       the player's own timings (ms after the hold's end: timer fired, first paint done; capture: first changed frame after that paint)\n");
    for (const Turn& t : turns) {
        const double paintAfter = t.paintEnd - t.holdEnd;
        painted.push_back(paintAfter);
        // The first frame the capture stamped after the paint began that shows a change.
        double capture = -1;
        for (const Change& c : r.changes)
            if (c.start * 1000 >= t.paintEnd - t.paint && c.start * 1000 < t.paintEnd + 1000) {
                capture = c.start * 1000 - t.holdEnd;
                break;
            }
        if (capture >= 0) seen.push_back(capture);
        const bool late = paintAfter > frameMs || capture > 2 * frameMs;
        if (late || qEnvironmentVariableIsSet("PLAYER_BENCH_TURNS"))
            std::printf("       turn %2d%s fired %+.1f, read ahead %s (%s), work %.1f (take %.1f, frame %.1f, rest %.1f), "
                        "paint %.1f, painted %+.1f, captured %+.1f\n",
                        t.number, late ? " LATE" : "", t.fired - t.holdEnd, qPrintable(t.ahead),
                        t.readDone > 0 ? qPrintable(QString("done %1 before the hold's end").arg(t.holdEnd - t.readDone, 0, 'f', 0)) : "-",
                        t.take + t.frame + t.step, t.take, t.frame, t.step, t.paint, paintAfter, capture);
    }
    std::vector<double> sortedPainted = painted, sortedSeen = seen;
    std::sort(sortedPainted.begin(), sortedPainted.end());
    std::sort(sortedSeen.begin(), sortedSeen.end());
    const long paintedLate = std::count_if(painted.begin(), painted.end(), [frameMs](double d) { return d > frameMs; });
    std::printf("       first paint after the hold's end: median %.1f ms, worst %.1f ms; %ld of %zu beyond one frame\n",
                median(painted), sortedPainted.back(), paintedLate, painted.size());
    if (!seen.empty())
        std::printf("       captured after the hold's end: median %.1f ms, worst %.1f ms\n", median(seen), sortedSeen.back());
}

void report(const char* name, const Result& r)
{
    std::vector<double> rates, gaps;
    double worstRate = 1e9;
    // The first changes are the window coming up with the first picture (a player may show its
    // window before the picture); the gaps are taken from the change after those on, each
    // measured from the change before it.
    const size_t count = std::min<size_t>(r.changes.size(), PhotoCount + 1);
    for (size_t i = 0; i < count; ++i) {
        const Change& c = r.changes[i];
        if (c.distinct > 2 && c.end > c.start) {
            const double rate = (c.distinct - 1) / (c.end - c.start);
            rates.push_back(rate);
            worstRate = std::min(worstRate, rate);
        }
        if (i > 1) gaps.push_back(c.start - r.changes[i - 1].start - Seconds);
    }
    std::vector<double> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    const double frame = 1.0 / CaptureRate;
    const long late = std::count_if(gaps.begin(), gaps.end(), [frame](double g) { return g > 2 * frame; });
    std::printf("%-6s changes seen %zu", name, r.changes.size());
    if (!rates.empty())
        std::printf(", transitions %.1f distinct frames/s (median; slowest %.1f)", median(rates), worstRate);
    else
        std::printf(", cuts (no transitions)");
    std::printf("\n       gap after the seconds per picture: median %.0f ms, worst %.0f ms; %ld of %zu beyond 2 capture frames\n",
                median(gaps) * 1000, sorted.empty() ? 0.0 : sorted.back() * 1000, late, gaps.size());
    if (!rates.empty()) {
        std::printf("       distinct frames/s:");
        for (double rate : rates) std::printf(" %.0f", rate);
        std::printf("\n");
    }
    std::printf("       gaps in ms:");
    for (double g : gaps) std::printf(" %.0f", g * 1000);
    std::printf("\n       CPU %.2f s in %.1f s (%.0f%% of a core), peak RSS %ld MB\n", r.usage.cpu, r.seconds,
                r.seconds > 0 ? 100 * r.usage.cpu / r.seconds : 0.0, r.usage.peakKb / 1024);
    reportTurns(r);
}


} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "no X display: run bench/player/player_bench.sh\n");
        return 1;
    }
    const QString built = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(QUORBEL_BUILT_PROGRAM);
    QTemporaryDir work;
    const QString root = work.path(), showRoot = root + "/d/Quorbel", show = showRoot + "/Quorbel_0001";
    QDir().mkpath(show);
    QDir().mkpath(root + "/c");
    if (!QFile::copy(built + "/quorbel/Quorbel-Player.exe", showRoot + "/Quorbel-Player.exe")
        || !QFile::copy(built + "/Effects.ini", showRoot + "/Effects.ini"))
        return 1;
    // Every picture comes in with the first transition of the list; no captions or hint.
    if (!writeFile(showRoot + "/Settings.ini", "[SETTINGS]\r\nStopQuorbelAtEnd=FALSE\r\nFullscreen=TRUE\r\nManuell=FALSE\r\n"
                                                "PictureTextVisible=FALSE\r\nFileNameVisible=FALSE\r\nBKGColor=0\r\n"
                                                "TextColor=16777215\r\nEffectMode=ON\r\nEffect=1\r\nTextOffset=40\r\n")
        || !writeFile(showRoot + "/Language.ini", "[PLAYER]\r\nLanguage=ENGLISH\r\n")
        || !writeFile(show + "/Quorbel.ini", QString("[QUORBEL]\r\nTitel=Bench\r\nTime=%1\r\n").arg(Seconds).toLatin1()))
        return 1;

    QStringList sources;
    for (const QString& w : bench::wallpapers()) {
        if (w.endsWith(".jpg")) {
            sources << w;
            continue;
        }
        const QString jpeg = root + QString("/wallpaper%1.jpg").arg(sources.size());
        if (!run("convert", {w, "-quality", "92", jpeg})) return 1;
        sources << jpeg;
    }
    if (sources.isEmpty()) {
        std::printf("drawing the photos (plasma-workspace-wallpapers is not installed)...\n");
        for (int i = 0; i < 4; ++i) {
            const QString f = root + QString("/drawn%1.jpg").arg(i);
            if (!run("convert", {"-size", "5120x2880", "plasma:", "-blur", "0x2", "-quality", "92", f})) return 1;
            sources << f;
        }
    }
    QStringList photos;
    QByteArray list;
    for (int i = 0; i < PhotoCount; ++i) {
        const QString name = QString("photo%1.jpg").arg(i + 1, 2, 10, QChar('0'));
        if (!QFile::copy(sources[i % sources.size()], show + "/" + name)) return 1;
        photos << show + "/" + name;
        list += name.toLatin1() + " | \r\n";
    }
    if (!writeFile(show + "/Pictures.ini", list)) return 1;
    std::printf("photos: %d JPEGs of 5120 x 2880 from %lld files; %d s a picture; screen 1920 x 1080 captured at %d frames/s\n",
                PhotoCount, qMin<qsizetype>(sources.size(), PhotoCount), Seconds, CaptureRate);
    std::fflush(stdout);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORBEL_DRIVES", QString("C=%1/c;D=%1/d;Z=/").arg(root));
    env.insert("QT_LOGGING_RULES", "quorbel.player.timing.debug=true");
    const Result ours = capture("ours", showRoot + "/Quorbel-Player.exe", {}, env, root);
    QStringList fehArgs{"--fullscreen", "--auto-zoom", "--hide-pointer", "--no-menus", "--slideshow-delay", QString::number(Seconds)};
    const Result feh = capture("feh", "feh", fehArgs + photos, QProcessEnvironment::systemEnvironment(), root);

    std::printf("\n");
    report("ours", ours);
    report("feh", feh);
    if (!ours.ok || !feh.ok) {
        std::printf("a capture failed (ours %s, feh %s)\n", ours.ok ? "ok" : "failed", feh.ok ? "ok" : "failed");
        return 1;
    }
    return 0;
}
