// The AVI writer against cp: writes a 200-frame 576 x 480 video with a 5-minute soundtrack,
// then copies a file of the same size with cp on the same disk, and prints both times and the
// memory the writer took beyond the caller's bitmaps (for 50 and for 200 frames).
//
//   build/bench/video/bench_aviwriter [folder]      (default: a new folder under /tmp)
#include "output/audio/wavestream.h"
#include "output/video/aviwriter.h"
#include "platform/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

long statusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Resets the peak resident size that VmHWM reports.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void makeSoundtrack(const QString& name, int seconds)
{
    const TWaveFormat f = TWaveFormat::pcm(44100, 2, 16);
    TFileWaveStream out(name, &f);
    std::vector<qint16> block(44100 * 2);
    for (int s = 0; s < seconds; ++s) {
        for (int i = 0; i < 44100; ++i) {
            const double t = (s * 44100.0 + i) / 44100.0;
            block[size_t(2 * i)] = qint16(8000 * std::sin(2 * M_PI * 440 * t));
            block[size_t(2 * i + 1)] = qint16(8000 * std::sin(2 * M_PI * 660 * t));
        }
        out.write(block.data(), 44100);
    }
    out.close();
}

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

void flushDisks() { QProcess::execute("sync", {}); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const QString host = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    QDir().mkpath(host + "/encoder");
    QDir().mkpath(host + "/video");
    platform::DriveTable::instance().setDrives({{QChar('C'), host}});

    const int width = 576, height = 480;
    makeSoundtrack("C:\\encoder\\Input.wav", 300);
    std::vector<Bitmap24> bitmaps;
    for (int i = 0; i < 200; ++i) {
        Bitmap24 b(width, height);
        for (qsizetype k = 0; k < b.bytes.size(); ++k) b.bytes[k] = char((k * 31 + i * 7) & 0xFF);
        bitmaps.push_back(std::move(b));
    }

    for (int frames : {50, 200}) {
        double best = 1e9, bestCp = 1e9;
        long extraKb = 0;
        qint64 size = 0;
        for (int round = 0; round < 3; ++round) {
            TAviWriter writer("C:\\encoder\\");
            writer.Width = width;
            writer.Height = height;
            writer.FrameTime = 5000;
            writer.Stretch = false;
            writer.FileName = "C:\\video\\bench.avi";
            writer.setWavFileName("C:\\encoder\\Input.wav");
            for (int i = 0; i < frames; ++i) writer.Bitmaps << &bitmaps[size_t(i)];
            QFile::remove(host + "/video/bench.avi");
            flushDisks();
            resetPeak();
            const long before = statusKb("VmRSS:");
            QElapsedTimer t;
            t.start();
            writer.Write();
            best = std::min(best, seconds(t));
            extraKb = std::max(extraKb, statusKb("VmHWM:") - before);
            size = QFileInfo(host + "/video/bench.avi").size();

            QFile::remove(host + "/video/copy.avi");
            flushDisks();
            t.restart();
            QProcess::execute("cp", {host + "/video/bench.avi", host + "/video/copy.avi"});
            bestCp = std::min(bestCp, seconds(t));
        }
        std::printf("%3d frames, %7.1f MB: writer %.3f s, cp %.3f s, ratio %.2f; writer memory beyond the bitmaps %ld kB\n",
                    frames, double(size) / 1e6, best, bestCp, best / bestCp, extraKb);
        QFile::remove(host + "/video/copy.avi");
    }
    return 0;
}
