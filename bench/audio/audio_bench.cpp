// Analysing long MP3 files against `ffprobe -count_frames` on the same files, in one run.
//
//   audio_bench [files] [seconds]     (defaults: 20 files of 300 seconds at 320 kbit/s)
//
// The files are made first with sox and lame in a temporary folder; then ffprobe counts the
// frames of every file once, and the analysis reads every file (best of five passes). Both read
// from the page cache, which the encoding has just filled.
#include "output/audio/audioinfo.h"
#include "output/audio/mpegaudio.h"
#include "platform/drives.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool run(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return false;
    }
    if (out) *out = p.readAllStandardOutput();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 20;
    const int seconds = args.size() > 2 ? args[2].toInt() : 300;
    if (count <= 0 || seconds <= 0) {
        std::fprintf(stderr, "usage: audio_bench [files] [seconds]\n");
        return 2;
    }

    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    qputenv("QUORBEL_DRIVES", QString("C=%1;Z=/").arg(dir.path()).toLocal8Bit());
    platform::DriveTable::instance().loadFromEnvironment();

    std::printf("making %d MP3 files of %d s at 320 kbit/s in %s ...\n", count, seconds, qPrintable(dir.path()));
    std::fflush(stdout);
    // One line per file: its number and the start of its tone's sweep, so no two files are alike.
    QString script;
    for (int i = 0; i < count; ++i)
        script += QString("echo %1 %2 >> list;").arg(i).arg(200 + 10 * i);
    script += QString("xargs -P 4 -L 1 sh -c 'sox -D -n -r 44100 -c 2 -b 16 -t wav - synth %1 "
                      "sine \"$1\"-3000 sine 330 vol 0.4 | lame --quiet -b 320 - bench_\"$0\".mp3' < list")
                  .arg(seconds);
    QProcess make;
    make.setWorkingDirectory(dir.path());
    make.start("/bin/sh", {"-c", script});
    if (!make.waitForFinished(-1) || make.exitCode() != 0) {
        std::fprintf(stderr, "making the files failed: %s\n", make.readAllStandardError().constData());
        return 1;
    }

    // ffprobe: decode every file once and count its frames.
    std::vector<long long> probeFrames;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        QByteArray out;
        if (!run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "a:0", "-show_entries",
                             "stream=nb_read_frames", "-of", "csv=p=0",
                             dir.path() + QString("/bench_%1.mp3").arg(i)},
                 &out))
            return 1;
        probeFrames.push_back(out.trimmed().split(',').first().toLongLong());
    }
    const double probeSeconds = timer.nsecsElapsed() / 1e9;

    // The analysis, best of five passes over all files.
    std::vector<long long> ourFrames(count);
    double best = 1e30;
    for (int pass = 0; pass < 5; ++pass) {
        timer.restart();
        for (int i = 0; i < count; ++i) {
            audio::AudioFileAnalyser a;
            a.FileName = QString("C:\\bench_%1.mp3").arg(i);
            a.AnalyseFile();
            if (a.Info.SampleRateHz != "44100") {
                std::fprintf(stderr, "%s: not analysed (%s)\n", qPrintable(a.FileName), qPrintable(a.Message));
                return 1;
            }
            ourFrames[i] = a.Mp3.TotalFramesText.toLongLong();
        }
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }

    long long worst = 0;
    for (int i = 0; i < count; ++i) worst = std::max(worst, std::llabs(ourFrames[i] - probeFrames[i]));
    std::printf("ffprobe -count_frames: %9.4f s for %d files\n", probeSeconds, count);
    std::printf("AnalyseFile:           %9.4f s for %d files (best of 5)\n", best, count);
    std::printf("ratio:                 %9.5f (goal: under 0.33333) %s\n", best / probeSeconds,
                best * 3 < probeSeconds ? "met" : "NOT MET");
    std::printf("frame counts: largest difference to ffprobe %lld frames (of about %lld)\n", worst,
                probeFrames.empty() ? 0 : probeFrames.front());
    return best * 3 < probeSeconds ? 0 : 1;
}
