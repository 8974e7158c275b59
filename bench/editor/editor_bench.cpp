// The pictures page on real photos, against vipsthumbnail on the same files in the same run:
//  - filling the source list from 100 photos of 5120 x 2880 with an empty thumbnail cache, on
//    every core the process may use, against vipsthumbnail making the same 70-pixel thumbnails
//    of the same 100 files on as many cores the same way: one process per core (xargs -P), each
//    with its share of the files, once with vips's own threads and once with one thread each;
//    the faster of the two is the anchor;
//  - filling it again with the cache in place;
//  - opening shows of 500 and 2000 pictures whose thumbnails are present, from the call of the
//    handler until the window is idle (the list laid out and painted), and a folder and a show of
//    500 photos whose thumbnails are still to be made: when the list first paints, when the rows
//    in sight first all show their thumbnails (the first screen), and when the last is made;
//  - turning a twelve-megapixel show picture (undo copy, turn, save, thumbnail, preview).
//
//   editor_bench [photo folder [program folder of the build]]
// The photo folder holds JPEG or PNG photos (default: the wallpapers under /usr/share/wallpapers);
// 100 JPEGs are made from them. Run it under Xvfb for the figures of the real window
// (bench/editor/editor_bench.sh); without a display it runs offscreen.
#include "benchworld.h"
#include "app/language.h"
#include "app/productinfo.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "util/windowsinfo.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

bool run(const QString& program, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    return p.waitForFinished(1800000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

double msSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// Handles events until the window is idle: the list has painted and nothing more is queued.
void untilIdle(QWidget* list)
{
    struct PaintSeen : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) painted = true;
            return false;
        }
    } seen;
    list->installEventFilter(&seen);
    for (int round = 0; round < 1000; ++round) {
        bool idle = false;
        QTimer::singleShot(0, [&] { idle = true; });
        while (!idle) QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (seen.painted || !list->isVisible()) break;
    }
    list->removeEventFilter(&seen);
}

// Watches the paints of a list during a fill: when it first paints rows, and when the rows in
// sight first all show a thumbnail (a row with its 70-pixel picture is at least that high).
struct FirstScreen : QObject {
    controls::THTMListBox* list;
    QElapsedTimer clock;
    double appeared = -1, complete = -1;
    explicit FirstScreen(controls::THTMListBox* l) : list(l)
    {
        clock.start();
        list->viewport()->installEventFilter(this);
    }
    ~FirstScreen() override { list->viewport()->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::Paint || list->Count() == 0 || complete >= 0) return false;
        const double now = clock.nsecsElapsed() / 1e6;
        if (appeared < 0) appeared = now;
        const int height = list->viewport()->height();
        for (int row = std::max(0, list->TopIndex()); row < list->Count(); ++row) {
            const QRect r = list->ItemRect(row);
            if (r.top() >= height) break;
            if (list->measuredHeight(row) < 70) return false;
        }
        complete = now;
        return false;
    }
};

QString loadAverage()
{
    QFile f("/proc/loadavg");
    if (!f.open(QIODevice::ReadOnly)) return "?";
    return QString::fromLatin1(f.readAll()).section(' ', 0, 2);
}

// A show folder of count pictures (hard links to the given files) and its "Pictures.ini".
void makeShow(const QString& host, const QStringList& files, int count)
{
    bench::makeShowFolder(host);
    QFile list(host + "/Pictures.ini");
    list.open(QIODevice::WriteOnly | QIODevice::Append);
    for (int i = 0; i < count; ++i) {
        const QString name = QString("s%1.jpg").arg(i, 4, 10, QChar('0'));
        const QString from = files[i % files.size()];
        if (::link(QFile::encodeName(from).constData(), QFile::encodeName(host + "/" + name).constData()) != 0)
            QFile::copy(from, host + "/" + name);
        list.write((name + " | caption " + QString::number(i) + "\r\n").toLatin1());
    }
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir work;
    const QString root = work.path();
    bench::prepareEnvironment(root);
    QApplication app(argc, argv);
    const QString photos = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/usr/share/wallpapers");
    const QString built = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(QUORBEL_BUILT_PROGRAM);
    if (!bench::prepareProgram(root, built)) return 1;

    // 100 JPEGs from the photos: the JPEGs as they are, the PNGs made into JPEGs of quality 92,
    // then copies in turn under their own names.
    std::printf("making the pictures from %s...\n", qPrintable(photos));
    QStringList originals;
    QDirIterator it(photos, {"5120x2880.jpg", "5120x2880.png"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) originals << it.next();
    originals.sort();
    if (originals.isEmpty()) {
        std::printf("no 5120x2880 photos under %s (Debian: plasma-workspace-wallpapers)\n", qPrintable(photos));
        return 1;
    }
    const QString src = root + "/d/src";
    QStringList jpegs;
    for (int i = 0; i < originals.size(); ++i) {
        const QString to = src + QString("/photo%1.jpg").arg(i, 3, 10, QChar('0'));
        if (originals[i].endsWith(".png")) {
            if (!run("convert", {originals[i], "-quality", "92", to})) return 1;
        } else if (!QFile::copy(originals[i], to)) {
            return 1;
        }
        jpegs << to;
    }
    QStringList files = jpegs;
    for (int i = int(jpegs.size()); i < 100; ++i) {
        const QString to = src + QString("/photo%1.jpg").arg(i, 3, 10, QChar('0'));
        QFile::copy(jpegs[i % jpegs.size()], to);
        files << to;
    }

    const int cores = QThread::idealThreadCount();
    std::printf("%d cores, load average before: %s, platform %s\n", cores, qPrintable(loadAverage()),
                qPrintable(QGuiApplication::platformName()));

    print::ReportWindows printWindows; // the report and audio windows, as the start-up makes them
    AudioInformation audioWindows;
    TMainForm form(show::OutputWindows{printWindows, audioWindows});
    form.resize(1280, 1000);
    form.show();
    QCoreApplication::processEvents();

    // Cold: the cache is empty.
    form.OpenPictureDialog1.fileName = "D:\\src\\photo000.jpg";
    form.SourceFolder = "D:\\src\\";
    QElapsedTimer t;
    t.start();
    form.FillSourceList();
    const double cold = msSince(t);
    if (form.FileListBox->Count() != 100) {
        std::printf("source list holds %d items\n", form.FileListBox->Count());
        return 1;
    }

    // vipsthumbnail on the same files and cores, one process per core with its share of the
    // files (xargs -P), with vips's own threads and with one thread a process.
    auto vipsParallel = [&](const QString& out, bool oneThread) {
        QDir().mkpath(out);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (oneThread) env.insert("VIPS_CONCURRENCY", "1");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        const int share = int((files.size() + cores - 1) / cores);
        p.start("xargs", {"-d", "\n", "-P", QString::number(cores), "-n", QString::number(share), "vipsthumbnail", "--size",
                          "10000x70", "-o", out + "/%s.jpg"});
        p.write((files.join('\n') + '\n').toLocal8Bit());
        p.closeWriteChannel();
        return p.waitForFinished(1800000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    t.restart();
    if (!vipsParallel(root + "/vips", false)) return 1;
    const double vipsThreads = msSince(t);
    t.restart();
    if (!vipsParallel(root + "/vips1", true)) return 1;
    const double vipsOne = msSince(t);
    const double vips = std::min(vipsThreads, vipsOne);
    if (QDir(root + "/vips").entryList(QDir::Files).size() != files.size()) {
        std::printf("vipsthumbnail made %d thumbnails\n", int(QDir(root + "/vips").entryList(QDir::Files).size()));
        return 1;
    }

    // Warm: every thumbnail is in the cache.
    double warm = 1e300;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        form.FillSourceList();
        warm = std::min(warm, msSince(t));
    }

    // Shows of 500 and 2000 pictures with their thumbnails, and one of 500 without.
    form.ShowTitle = "Bench";
    const QString showRoot = root + "/d/Quorbel/";
    auto openShow = [&](const QString& folder) {
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        form.OpenShow(folder);
        untilIdle(form.QuorbelListBox->viewport());
        return msSince(clock);
    };
    const QString small = showRoot + "Quorbel_0500", big = showRoot + "Quorbel_2000", fresh = showRoot + "Quorbel_0501";
    run("convert", {"-size", "640x480", "plasma:", root + "/s.jpg"});
    makeShow(small, {root + "/s.jpg"}, 500);
    makeShow(big, {root + "/s.jpg"}, 2000);
    makeShow(fresh, files, 500);
    openShow("Quorbel_0500"); // makes the thumbnails
    openShow("Quorbel_2000");
    double open500 = 1e300, open2000 = 1e300;
    for (int i = 0; i < 3; ++i) {
        open500 = std::min(open500, openShow("Quorbel_0500"));
        open2000 = std::min(open2000, openShow("Quorbel_2000"));
    }
    // The pictures page in sight for the fills whose first screen is timed.
    form.PageControl1->setVisible(true);
    form.SelectFirstPage();
    QCoreApplication::processEvents();
    double openFresh, freshAppeared, freshScreen;
    {
        FirstScreen watch(form.QuorbelListBox);
        openFresh = openShow("Quorbel_0501");
        freshAppeared = watch.appeared;
        freshScreen = watch.complete - watch.appeared;
    }
    const bool listed = form.QuorbelListBox->Count() == 500;

    // A folder of 500 photos (links to the 100) whose thumbnails are not in the cache.
    const QString many = root + "/d/many";
    QDir().mkpath(many);
    for (int i = 0; i < 500; ++i) {
        const QString to = many + QString("/m%1.jpg").arg(i, 3, 10, QChar('0'));
        if (::link(QFile::encodeName(files[i % files.size()]).constData(), QFile::encodeName(to).constData()) != 0)
            QFile::copy(files[i % files.size()], to);
    }
    form.OpenPictureDialog1.fileName = "D:\\many\\m000.jpg";
    form.SourceFolder = "D:\\many\\";
    double folderFresh, folderAppeared, folderScreen;
    {
        FirstScreen watch(form.FileListBox);
        t.restart();
        form.FillSourceList();
        folderFresh = msSince(t);
        folderAppeared = watch.appeared;
        folderScreen = watch.complete - watch.appeared;
    }
    const bool folderListed = form.FileListBox->Count() == 500;

    // A turn of a twelve-megapixel show picture.
    run("convert", {"-size", "4000x3000", "plasma:", "-quality", "92", src + "/turn.jpg"});
    form.AddPictureToShow("D:\\src\\turn.jpg", 0);
    form.SelectShowItem(0);
    form.QuorbelListBoxClick();
    double turn = 1e300;
    for (int i = 0; i < 4; ++i) {
        t.restart();
        form.SpeedButton5Click();
        turn = std::min(turn, msSince(t));
    }
    const bool turned = form.UndoDepth == 4;

    std::printf("load average after: %s\n", qPrintable(loadAverage()));
    std::printf("vipsthumbnail, %d processes at once: %8.1f ms with its threads, %8.1f ms with one thread each\n", cores,
                vipsThreads, vipsOne);
    std::printf("source list, 100 photos 5120x2880, cold   ours %8.1f ms   vipsthumbnail -P %d %8.1f ms   ratio %.2f (limit 0.35)\n",
                cold, cores, vips, cold / vips);
    std::printf("source list, warm, 100 pictures          ours %8.1f ms   (limit 200 ms)\n", warm);
    std::printf("open a show of 500 pictures              ours %8.1f ms   (limit 400 ms)\n", open500);
    std::printf("open a show of 2000 pictures             ours %8.1f ms   ratio to 500 %.2f (limit 4)\n", open2000,
                open2000 / open500);
    std::printf("open a show of 500 photos, no thumbnails ours %8.1f ms (limit 4000)   list painted after %6.1f ms, first screen "
                "complete %6.1f ms later (limit 300)%s\n",
                openFresh, freshAppeared, freshScreen, listed ? "" : "  [list wrong]");
    std::printf("a folder of 500 photos, no thumbnails    ours %8.1f ms (limit 4000)   list painted after %6.1f ms, first screen "
                "complete %6.1f ms later (limit 300)%s\n",
                folderFresh, folderAppeared, folderScreen, folderListed ? "" : "  [list wrong]");
    std::printf("turn a 12 MP picture                     ours %8.1f ms   (limit 250 ms)%s\n", turn,
                turned ? "" : "  [undo depth wrong]");
    form.ClearUndo();
    return 0;
}
