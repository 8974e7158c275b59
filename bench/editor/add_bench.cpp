// ">>" (every picture of the source list into the show) with 1,000 and 5,000 pictures in one
// run, through the real main window: the time per picture must not grow with the number of
// pictures already in the show folder.
//
//   add_bench [program folder of the build [counts...]]
// (other counts than 1,000 and 5,000 for a look with a profiler; the first two are compared)
// Runs offscreen without a display; bench/editor/add_bench.sh runs it under Xvfb.
#include "benchworld.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <unistd.h>

namespace {

// A source folder of count pictures: hard links to one small JPEG.
void makeSource(const QString& host, const QString& picture, int count)
{
    QDir().mkpath(host);
    for (int i = 0; i < count; ++i) {
        const QString name = host + QString("/p%1.jpg").arg(i, 5, 10, QChar('0'));
        if (::link(QFile::encodeName(picture).constData(), QFile::encodeName(name).constData()) != 0) QFile::copy(picture, name);
    }
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

    QImage picture(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    picture.save(root + "/p.jpg", "JPEG", 90);

    print::ReportWindows printWindows; // the report and audio windows, as the start-up makes them
    AudioInformation audioWindows;
    TMainForm form(show::OutputWindows{printWindows, audioWindows});
    form.resize(1280, 1000);
    form.show();
    QCoreApplication::processEvents();

    std::vector<int> counts = {1000, 5000};
    if (argc > 2) {
        counts.clear();
        for (int i = 2; i < argc; ++i) counts.push_back(std::max(1, std::atoi(argv[i])));
    }
    std::vector<double> seconds(counts.size(), 0);
    std::vector<char> right(counts.size(), 0);
    for (std::size_t k = 0; k < counts.size(); ++k) {
        const int n = counts[k];
        const QString source = QString("src%1").arg(n);
        makeSource(root + "/d/" + source, root + "/p.jpg", n);
        const QString show = QString("Quorbel_%1").arg(int(k) + 1, 4, 10, QChar('0'));
        bench::makeShowFolder(root + "/d/Quorbel/" + show);
        form.OpenShow(show);
        form.OpenPictureDialog1.fileName = "D:\\" + source + "\\p00000.jpg";
        form.SourceFolder = "D:\\" + source + "\\";
        form.FillSourceList();
        QElapsedTimer t;
        t.start();
        form.SpeedButton2Click();
        seconds[k] = t.nsecsElapsed() / 1e9;
        QFile list(root + "/d/Quorbel/" + show + "/Pictures.ini");
        list.open(QIODevice::ReadOnly);
        right[k] = form.QuorbelListBox->Count() == n && list.readAll().count('\n') == n;
        std::printf(">> with %5d pictures: %7.2f s  (%6.0f pictures a second)%s\n", n, seconds[k], n / seconds[k],
                    right[k] ? "" : "  [list or Pictures.ini wrong]");
        std::fflush(stdout);
    }
    bool allRight = true;
    for (char r : right) allRight = allRight && r;
    if (counts.size() < 2) return allRight ? 0 : 1;
    const double perPicture = (seconds[1] / counts[1]) / (seconds[0] / counts[0]);
    std::printf("%d against %d: %.2f times the time (limit 6), time per picture %.2f times (linear: 1)\n", counts[1],
                counts[0], seconds[1] / seconds[0], perPicture);
    std::printf("%d pictures in %.2f s (limit 20 s for 5,000)\n", counts[1], seconds[1]);
    return allRight ? 0 : 1;
}
