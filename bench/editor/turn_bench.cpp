// A turn of a show picture in the main window against jpegtran on the same file, in one run:
//  - ours: the right-turn button's handler on a 12 MP JPEG (4032 x 3024, 4:2:0, whole 16 x 16
//    blocks, so the turn is lossless) in the show:
//    undo copy, lossless turn written over the file, the preview decoded, the numbered thumbnail;
//  - jpegtran -rotate 90 -copy all of the same file, as a process, output to a file; and the same
//    followed by sync of its output (the turn button flushes the new file before its rename);
//  - the split of ours: the lossless turn of the file alone, the preview decode, the thumbnail.
// Each figure is the best of seven runs.
//   turn_bench [program folder of the build]
// Run it under Xvfb for the real window (bench/editor/turn_bench.sh); without a display it runs
// offscreen.
#include "benchworld.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "editor/thumbnails.h"
#include "sdk/losslessturn.h"
#include "sdk/pictureio.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

double best(int runs, const std::function<void()>& step)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        step();
        fastest = std::min(fastest, t.nsecsElapsed() / 1e6);
    }
    return fastest;
}

QString loadAverage()
{
    QFile f("/proc/loadavg");
    if (!f.open(QIODevice::ReadOnly)) return "?";
    return QString::fromLatin1(f.readAll()).section(' ', 0, 2);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir work;
    const QString root = work.path();
    bench::prepareEnvironment(root);
    QApplication app(argc, argv);
    const QString built = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(QUORBEL_BUILT_PROGRAM);
    if (!bench::prepareProgram(root, built)) return 1;

    // A photo-like 12 MP JPEG: ImageMagick's plasma enlarged, with grain, quality 92, 4:2:0.
    const QString photo = root + "/d/src/turn.jpg";
    std::printf("making the picture...\n");
    if (!run("convert", {"-seed", "3", "-size", "1000x750", "plasma:", "-resize", "4032x3024!", "-attenuate", "0.3", "+noise",
                         "Gaussian", "-sampling-factor", "2x2", "-quality", "92", photo}))
        return 1;
    std::printf("%lld bytes, load average before: %s, platform %s\n", static_cast<long long>(QFileInfo(photo).size()),
                qPrintable(loadAverage()), qPrintable(QGuiApplication::platformName()));

    constexpr int runs = 7;
    const QString out = root + "/jpegtran.jpg";
    const double jpegtran = best(runs, [&] { run("jpegtran", {"-rotate", "90", "-copy", "all", "-outfile", out, photo}); });
    // The same with its output flushed to the disk before it ends, as the turn button's file is.
    const QString synced = root + "/jpegtran-synced.jpg";
    const double jpegtranSync = best(runs, [&] {
        run("sh", {"-c", "jpegtran -rotate 90 -copy all -outfile \"$1\" \"$2\" && sync \"$1\"", "sh", synced, photo});
    });

    print::ReportWindows printWindows; // the report and audio windows, as the start-up makes them
    AudioInformation audioWindows;
    TMainForm form(show::OutputWindows{printWindows, audioWindows});
    form.resize(1280, 1000);
    form.show();
    QCoreApplication::processEvents();
    form.AddPictureToShow("D:\\src\\turn.jpg", 0);
    form.SelectShowItem(0);
    form.QuorbelListBoxClick();
    const double ours = best(runs, [&] { form.SpeedButton5Click(); });
    const bool turned = form.UndoDepth == runs;
    form.ClearUndo();

    // The split, on the show's file.
    const QString picture = form.SelectedPicture;
    const double transform = best(runs, [&] { sdk::PX_LosslessTurnFile(picture, sdk::PxTurn::Right90); });
    const double decode = best(runs, [&] {
        sdk::SdkBitmapHandle b;
        sdk::PX_LoadFile(picture, &b, 24, nullptr);
    });
    const double thumbnail = best(runs, [&] { editor::RenderThumbnail(picture, 70, "D:\\thumb.jpg"); });

    std::printf("load average after: %s\n", qPrintable(loadAverage()));
    std::printf("jpegtran -rotate 90 -copy all, 12 MP          %8.1f ms\n", jpegtran);
    std::printf("jpegtran, then sync of its output               %8.1f ms\n", jpegtranSync);
    std::printf("turn button, 12 MP (undo, turn, preview, thumb) %8.1f ms   ratio %.2f (goal 1.3), %.2f to jpegtran + sync%s\n", ours,
                ours / jpegtran, ours / jpegtranSync, turned ? "" : "  [undo depth wrong]");
    std::printf("  lossless turn of the file alone              %8.1f ms   ratio %.2f\n", transform, transform / jpegtran);
    std::printf("  preview decode (full size)                   %8.1f ms\n", decode);
    std::printf("  thumbnail (reduced decode, frame, encode)    %8.1f ms\n", thumbnail);
    return 0;
}
