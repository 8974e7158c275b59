// The image control's load, save and the editor's thumbnail recipe against djpeg, cjpeg,
// vipsthumbnail and ImageMagick, on one core, on the same 24-megapixel JPEG made here. Prints
// the best of several runs of each and the ratio.
//
//   imaging_bench [runs]
#include "imaging/piximage.h"
#include "platform/drives.h"
#include "platform/rounding.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sched.h>

using namespace imaging;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kThumbHeight = 70;

double bestMs(int runs, const std::function<bool()>& job)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (!job()) return -1;
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

bool runTool(const QString& program, const QStringList& args, const QString& output = QString())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(output.isEmpty() ? QProcess::nullDevice() : output);
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void report(const char* what, double ours, const char* tool, double theirs)
{
    if (ours < 0 || theirs < 0) {
        std::printf("%-30s failed\n", what);
        return;
    }
    std::printf("%-30s ours %8.1f ms  %-16s %8.1f ms  ratio %.2f\n", what, ours, tool, theirs, ours / theirs);
}

// The editor's thumbnail: load, 70 pixels high, the framed shape, two white corners, quality 2.
bool thumbnail(TPixImage& pix, const QString& source, const QString& target)
{
    if (pix.Load(source, 0, 1, -1) != 1) return false;
    const int w = platform::roundHalfEven(static_cast<double>(kThumbHeight) * pix.BitmapWidth() / pix.BitmapHeight());
    if (pix.Size(w, kThumbHeight, 4) != 1) return false;
    pix.SetDrawPersistence(true);
    pix.SetShapeWidth(w);
    pix.SetShapeHeight(kThumbHeight);
    pix.SetShadowColor(15395562);
    pix.SetShadowXDepth(2);
    pix.SetShadowYDepth(2);
    pix.SetShapeBorderColor(platform::clSilver);
    pix.SetShapeBorderStyle(sbrSolid);
    pix.SetShapeBorderThickness(1);
    pix.SetShapeInnerBandStyle(sibRaised);
    pix.SetShapeInnerBandThickness(5);
    pix.SetShapeInnerBandShadowColor(platform::clWhite);
    if (pix.DrawShape(2000, pix.Bitmap()) != 1) return false;
    pix.SetRgnRect(0, kThumbHeight - 2, 2, 2, 1);
    pix.Fill(platform::clWhite);
    pix.SetRgnRect(w - 2, 0, 2, 2, 1);
    pix.Fill(platform::clWhite);
    return pix.Save(target, 23, 24, 2, 0) == 1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof(one), &one); // ours and the tools (which inherit it) on one core

    QTemporaryDir dir;
    const QString host = dir.path();
    const QString big = host + "/big.jpg";
    const QString ppm = host + "/big.ppm";
    // The picture: detail everywhere, so that decoder and encoder have real work.
    if (!runTool("convert", {"-size", QString("%1x%2").arg(kWidth).arg(kHeight), "-seed", "7", "plasma:",
                             "-quality", "90", big})) {
        std::fprintf(stderr, "ImageMagick is needed to make the picture\n");
        return 1;
    }
    runTool("djpeg", {"-ppm", "-outfile", ppm, big});
    const QString bigWin = platform::toWindowsPath(big);

    TPixImage pix;
    pix.setObjectName("PixImage3");
    pix.SetEnableMethodErrors(false);

    const double load = bestMs(runs, [&] { return pix.Load(bigWin) == 1; });
    const double djpeg = bestMs(runs, [&] { return runTool("djpeg", {"-outfile", "/dev/null", big}); });
    report("load (full decode)", load, "djpeg", djpeg);

    pix.Load(bigWin);
    const QString outWin = platform::toWindowsPath(host + "/out.jpg");
    const double save = bestMs(runs, [&] { return pix.Save(outWin, 23, 24, 22, 0) == 1; });
    const double cjpeg = bestMs(runs, [&] { return runTool("cjpeg", {"-quality", "78", "-outfile", host + "/c.jpg", ppm}); });
    report("save (quality 78)", save, "cjpeg", cjpeg);

    const QString thumbWin = platform::toWindowsPath(host + "/_THUMB_big.jpg");
    const double thumb = bestMs(runs, [&] { return thumbnail(pix, bigWin, thumbWin); });
    const double vips = QStandardPaths::findExecutable("vipsthumbnail").isEmpty()
                            ? -1
                            : bestMs(runs, [&] {
                                  return runTool("vipsthumbnail", {big, "--size", QString("x%1").arg(kThumbHeight), "-o",
                                                                   host + "/v.jpg[Q=98]"});
                              });
    report("thumbnail recipe", thumb, "vipsthumbnail", vips);
    const double magick = bestMs(runs, [&] {
        return runTool("convert", {big, "-thumbnail", QString("x%1").arg(kThumbHeight), "-quality", "98", host + "/m.jpg"});
    });
    report("thumbnail recipe", thumb, "convert -thumbnail", magick);
    return 0;
}
