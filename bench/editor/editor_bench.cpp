// The pictures page on one core against vipsthumbnail, on the same input made here:
//  - filling the source list from 100 twelve-megapixel JPEGs with an empty thumbnail cache,
//    against vipsthumbnail making the same 70-pixel thumbnails one picture after the other;
//  - filling it again with the cache in place (per picture);
//  - opening a show of 500 pictures whose thumbnails are present;
//  - turning a twelve-megapixel show picture (undo copy, turn, save, thumbnail, preview).
//
//   editor_bench [program folder of the build]
#include "app/language.h"
#include "app/productinfo.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "util/windowsinfo.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sched.h>

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

void pinToOneCore()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(0, &set);
    sched_setaffinity(0, sizeof(set), &set);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    pinToOneCore(); // vipsthumbnail, started from here, inherits the same single core
    QTemporaryDir work;
    const QString root = work.path();
    QDir().mkpath(root + "/c");
    QDir().mkpath(root + "/d/src");
    QDir().mkpath(root + "/home");
    qputenv("HOME", (root + "/home").toLocal8Bit());
    qputenv("QUORBEL_DRIVES", QString("C=%1/c;D=%1/d;Z=/").arg(root).toLocal8Bit());
    QApplication app(argc, argv);
    const QString built = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(QUORBEL_BUILT_PROGRAM);
    if (!run("cp", {"-a", built, root + "/program"})) return 1;
    QFile::remove(root + "/program/Generator.ini");
    {
        QFile g(root + "/program/Generator.ini");
        g.open(QIODevice::WriteOnly);
        g.write("[SETTINGS]\r\nLanguage=GERMAN\r\nDrive=D\r\n");
    }
    platform::DriveTable::instance().loadFromEnvironment();
    platform::setModulePathOverride(platform::toWindowsPath(root + "/program") + "\\quorbel_pro");
    DetermineProductInfo();
    ReloadWindowsInfo();
    LoadLanguageTable();

    // 100 twelve-megapixel JPEGs: one drawn, the rest copies under their own names.
    std::printf("making the pictures...\n");
    const QString src = root + "/d/src";
    if (!run("convert", {"-size", "4000x3000", "plasma:", "-quality", "92", src + "/p000.jpg"})) return 1;
    QStringList files{src + "/p000.jpg"};
    for (int i = 1; i < 100; ++i) {
        const QString f = src + QString("/p%1.jpg").arg(i, 3, 10, QChar('0'));
        QFile::copy(src + "/p000.jpg", f);
        files << f;
    }

    TMainForm form;
    // Cold: the cache is empty.
    form.OpenPictureDialog1.fileName = "D:\\src\\p000.jpg";
    form.SourceFolder = "D:\\src\\";
    QElapsedTimer t;
    t.start();
    form.FillSourceList();
    const double cold = msSince(t);
    if (form.FileListBox->Count() != 100) {
        std::printf("source list holds %d items\n", form.FileListBox->Count());
        return 1;
    }

    // vipsthumbnail: the same thumbnails, one picture after the other, on the same core.
    QDir().mkpath(root + "/vips");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VIPS_CONCURRENCY", "1");
    QStringList vipsArgs{"--size", "10000x70", "-o", root + "/vips/%s.jpg"};
    vipsArgs << files;
    t.restart();
    if (!run("vipsthumbnail", vipsArgs, env)) return 1;
    const double vips = msSince(t);

    // Warm: every thumbnail is in the cache.
    double warm = 1e300;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        form.FillSourceList();
        warm = std::min(warm, msSince(t));
    }

    // A show of 500 pictures with their thumbnails.
    form.ShowTitle = "Bench";
    form.ShowFolder = form.NextShowFolderName();
    const QString showHost = root + "/d/Quorbel/" + form.ShowFolder;
    QDir().mkpath(showHost);
    if (!run("convert", {"-size", "640x480", "plasma:", showHost + "/s000.jpg"})) return 1;
    {
        QFile ini(showHost + "/Quorbel.ini");
        ini.open(QIODevice::WriteOnly);
        ini.write("[QUORBEL]\r\nTitel=Bench\r\nTime=3\r\n");
        QFile list(showHost + "/Pictures.ini");
        list.open(QIODevice::WriteOnly);
        for (int i = 0; i < 500; ++i) {
            const QString name = QString("s%1.jpg").arg(i, 3, 10, QChar('0'));
            if (i > 0) QFile::copy(showHost + "/s000.jpg", showHost + "/" + name);
            list.write((name + " | caption " + QString::number(i) + "\r\n").toLatin1());
        }
    }
    const QString folder = form.ShowFolder;
    form.OpenShow(folder); // makes the thumbnails
    t.restart();
    form.OpenShow(folder);
    const double open500 = msSince(t);

    // A turn of a twelve-megapixel show picture.
    form.AddPictureToShow("D:\\src\\p000.jpg", 0);
    form.SelectShowItem(0);
    form.QuorbelListBoxClick();
    double turn = 1e300;
    for (int i = 0; i < 4; ++i) {
        t.restart();
        form.SpeedButton5Click();
        turn = std::min(turn, msSince(t));
    }
    const bool turned = form.UndoDepth == 4;

    std::printf("source list, 100 x 12 MP, cold   ours %8.1f ms   vipsthumbnail %8.1f ms   ratio %.2f\n", cold, vips, cold / vips);
    std::printf("source list, warm, per picture   ours %8.3f ms   (limit 1.5 ms)\n", warm / 100);
    std::printf("open a show of 500 pictures      ours %8.1f ms   (limit 1000 ms)\n", open500);
    std::printf("turn a 12 MP picture             ours %8.1f ms   (limit 500 ms)%s\n", turn, turned ? "" : "  [undo depth wrong]");
    form.ClearUndo();
    return 0;
}
