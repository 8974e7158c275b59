// Speed of the markup lists on the program's own item shape (a 70-pixel thumbnail, the file
// name and a caption), against the budgets the lists are held to:
//   measuring one show item      < 20 us
//   painting 14 thumbnail rows   < 3 ms
//   inserting 2,000 items        < 150 ms
// Run: QT_QPA_PLATFORM=offscreen build/bench/controls/controls_bench
#include "controls/htmlistbox.h"
#include "controls/markup.h"
#include "platform/drives.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir* g_dir = nullptr;

QString thumbPath(int i) { return QString("C:\\Show\\_THUMB_p%1.jpg").arg(i); }

QString showItem(int i, int thumbs)
{
    return QString("<IMG src=\"file://%1\" align=\"top\">p%2.jpg | Holiday by the sea, day %2")
        .arg(thumbPath(i % thumbs))
        .arg(i);
}

void makeThumbnails(int count)
{
    QDir().mkpath(g_dir->path() + "/c/Show");
    for (int i = 0; i < count; ++i) {
        const QString file = g_dir->path() + QString("/c/Show/_THUMB_p%1.jpg").arg(i);
        if (QFile::exists(file)) continue;
        QImage img(93, 70, QImage::Format_RGB32);
        QPainter p(&img);
        QLinearGradient g(0, 0, 93, 70);
        g.setColorAt(0, QColor::fromHsv((i * 37) % 360, 160, 220));
        g.setColorAt(1, QColor::fromHsv((i * 37 + 120) % 360, 200, 120));
        p.fillRect(img.rect(), g);
        p.end();
        img.save(file, "JPG", 85);
    }
}

QFont listFont()
{
    QFont f("DejaVu Sans");
    f.setPointSize(8);
    return f;
}

void BM_MeasureShowItem(benchmark::State& state)
{
    controls::THTMLPictureCache cache;
    controls::HTMLItemOptions o;
    o.PictureCache = &cache;
    o.MeasureOnly = true;
    o.Selected = true;
    QImage device(4, 4, QImage::Format_RGB32);
    const QString item = showItem(1, 50);
    const QFont font = listFont();
    controls::HTMLItemResult r;
    for (auto _ : state) {
        controls::LayoutHTMLItem(&device, font, QColor(), QColor(), item, QRect(2, 0, 300, 400), o, r, nullptr);
        benchmark::DoNotOptimize(r.ExtentY);
    }
}
BENCHMARK(BM_MeasureShowItem)->Unit(benchmark::kMicrosecond);

void BM_PaintViewport14Rows(benchmark::State& state)
{
    controls::THTMListBox list;
    list.setFont(listFont());
    list.setMultiSelect(true);
    list.resize(320, 14 * 74 + 4);
    for (int i = 0; i < 50; ++i) list.Items().Add(showItem(i, 50));
    list.setSelected(2, true);
    list.setSelected(3, true);
    QPixmap target(list.viewport()->size());
    for (auto _ : state) {
        list.viewport()->render(&target);
        benchmark::ClobberMemory();
    }
    state.counters["rows"] = 14;
}
BENCHMARK(BM_PaintViewport14Rows)->Unit(benchmark::kMillisecond);

// The first paint of a fresh list: 14 thumbnails read, decoded and drawn (list set-up included).
void BM_FirstPaint14Rows(benchmark::State& state)
{
    for (auto _ : state) {
        controls::THTMListBox list;
        list.setFont(listFont());
        list.resize(320, 14 * 74 + 4);
        for (int i = 0; i < 14; ++i) list.Items().Add(showItem(i, 50));
        QPixmap target(list.viewport()->size());
        list.viewport()->render(&target);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FirstPaint14Rows)->Unit(benchmark::kMillisecond);

// Items of the show list: Arg(0) = each item its own thumbnail (2,000 files decoded),
// Arg(1) = 50 thumbnails shared (layout and list work alone).
void BM_Insert2000Items(benchmark::State& state)
{
    const int thumbs = state.range(0) == 0 ? 2000 : 50;
    QStringList items;
    for (int i = 0; i < 2000; ++i) items << showItem(i, thumbs);
    for (auto _ : state) {
        controls::THTMListBox list;
        list.setFont(listFont());
        list.resize(320, 600);
        for (const QString& item : items) list.Items().Add(item);
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_Insert2000Items)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    qputenv("QUORBEL_DRIVES", QString("C=%1/c").arg(dir.path()).toLocal8Bit());
    platform::DriveTable::instance().loadFromEnvironment();
    makeThumbnails(2000);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
