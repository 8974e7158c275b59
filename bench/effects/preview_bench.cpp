// How long the editing dialogs take to show a change on a 5120 x 2880 photo, in the dialogs
// themselves: the effects dialog's preview of each effect of its tree (from the amount bar's
// change to the preview shown), the brightness slider, and an arrow key on a bar of the colour
// dialog. The anchor in the same run is the same effect computed at full size on one thread (for
// the effects dialog, the effect's routine on a copy of the picture, as a save runs it; for the
// colour dialog, the picture copied and mixed at full size, which each change cost before).
//
//   QT_QPA_PLATFORM=offscreen build/bench/effects/preview_bench [--width W --height H] [--only NAME]
#include "benchpicture.h"
#include "effects/paintfx.h"
#include "effects/ui/bitmapfiles.h"
#include "effects/ui/edithost.h"
#include "effects/ui/effecttable.h"
#include "effects/ui/painteffectsform.h"
#include "effects/ui/pixeffectsform.h"
#include "effects/ui/veldrawimage.h"
#include "imaging/piximage.h"
#include "sdk/operations.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSlider>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

using effects::Bitmap24;
using Clock = std::chrono::steady_clock;

namespace {

int W = 5120, H = 2880;

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double best(int runs, const std::function<double()>& once)
{
    double t = 1e30;
    for (int i = 0; i < runs; ++i) t = std::min(t, once());
    return t;
}

int within = 0, count = 0;

void row(const char* what, double preview, double before, double anchor)
{
    ++count;
    if (preview <= 100) ++within;
    std::printf("%-26s %11.1f %10.1f %11.1f %8.3f   %s\n", what, preview, before, anchor, preview / anchor,
                preview <= 100 ? "yes" : "NO");
    std::fflush(stdout);
}

// The way the previews were made before, done again here: the effect on a copy of the full
// picture on one thread, scaled down through Qt's smooth scaling.
double previewTheOldWay(const Bitmap24& full, const effectsui::EffectEntry& effect, const effectsui::EffectArgs& args,
                        int width, int height)
{
    const auto t0 = Clock::now();
    Bitmap24 b = full;
    effect.run(b, args);
    const Bitmap24 small =
        effectsui::FromImage(effectsui::ToImage(b).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    const double t = ms(t0, Clock::now());
    return small.empty() ? -1 : t;
}

// Where a preview's time goes, its steps done one after another as the dialog's worker does them:
// the copy of the full picture (effects that split into bands copy their rows in the bands), the
// effect, the shrink to the pane and the showing.
void split(TPainterEffectsF& dialog, const Bitmap24& full, const effectsui::EffectEntry& effect,
           const effectsui::EffectArgs& args, int width, int height)
{
    Bitmap24 work = full; // the worker keeps its copy from one change to the next
    const bool banded = effect.bands != effectsui::Bands::None;
    const auto t0 = Clock::now();
    if (!banded) work = full;
    const auto t1 = Clock::now();
    if (banded) effectsui::RunEffect(effect, full, work, args);
    else effect.run(work, args);
    const auto t2 = Clock::now();
    const Bitmap24 small = effectsui::ScaledDown(work, width, height);
    const auto t3 = Clock::now();
    dialog.ShowPreview(effectsui::ToImage(small));
    const auto t4 = Clock::now();
    std::printf("%-26s copy %s, effect %.1f%s, shrink %.1f, show %.1f ms\n", "  of it:",
                banded ? "in the bands" : QByteArray::number(ms(t0, t1), 'f', 1).constData(), ms(t1, t2),
                banded ? " (bands)" : " (whole picture)", ms(t2, t3), ms(t3, t4));
    std::fflush(stdout);
}

// Stands in for the main window: gives the colour dialog its picture and takes nothing back.
class BenchHost : public effectsui::PictureEditHost {
public:
    BenchHost(QString picture, TPixEffectsForm& dialog) : picture_(std::move(picture)), dialog_(dialog) {}
    QString SelectedPicture() const override { return picture_; }
    bool SelectPicture(const QString&) override { return false; }
    bool LoadPictureIntoArt() override { return false; }
    bool PushUndo() override { return false; }
    void DiscardUndo() override {}
    bool SaveArtToPicture() override { return false; }
    void RefreshThumbnail() override {}
    imaging::TPixImage* MainPicture() override { return nullptr; }
    bool UndoEnabled() const override { return false; }
    void TransformPicture(const QString&) override {}
    void ShowBrightnessDialog() override {}
    void ShowPaintEffects() override {}
    void ShowColourDialog() override {}
    TPixEffectsForm& ColourDialog() override { return dialog_; }
    void UndoLastEdit() override {}
    void ShowPrintMenu() override {}
    void ShowHelp() override {}

private:
    QString picture_;
    TPixEffectsForm& dialog_;
};

void pressKey(QWidget* target, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

} // namespace

int main(int argc, char** argv)
{
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--width") && i + 1 < argc) W = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--height") && i + 1 < argc) H = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--only") && i + 1 < argc)
            only = argv[++i];
    }
    QApplication app(argc, argv);
    const Bitmap24 full = makeBenchPicture(W, H);
    const int smallHeight = std::max(1, int(std::lround(double(H) * 199 / W)));
    std::printf("Picture %d x %d, preview 199 x %d, %d cores, load average %.2f at the start\n\n", W, H, smallHeight,
                QThread::idealThreadCount(), loadAverage());
    std::printf("%-26s %11s %10s %11s %8s   %s\n", "change", "preview ms", "before ms", "anchor ms", "ratio", "<= 100 ms");
    std::printf("(preview: now, in the dialog; before: the old preview path; anchor: the effect at full size on one\n"
                "thread; ratio: preview / anchor)\n");

    // ---- the effects dialog: each effect of the tree ----
    {
        TvelDrawImage art;
        TPainterEffectsF* d = art.EffectsDialog();
        d->HelligkeitPanel->setVisible(false);
        d->EffectPanel->setVisible(true);
        d->show();
        auto startPreview = [&] {
            art.SetPicture(Bitmap24(199, smallHeight));
            art.BeginPreview(full);
        };
        struct Case {
            const char* path;
            int amount;
        };
        const Case cases[] = {
            {"Posterize", 60},      {"Gaussian Blur", 6}, {"Split Blur", 12},     {"Noise/Color", 120}, {"Smooth", 10},
            {"Mosaic", 20},         {"Twist", 20},        {"Fisheye", 60},        {"Wave/Normal", 60},  {"Rotate", 30},
            {"Split Light", 3},     {"Wings/Wavy", 150},  {"Emboss", 50},         {"Colors/Red", 150},  {"Colors/XBlue", 150},
            {"Squeeze/Round", 120}, {"Split/Waste", 120}, {"Shear", 40},          {"Plasma", 40},       {"MandelBrot", 50},
            {"Triangles", 40},      {"Ripple/Tooth", 40}, {"Texturize/Tile", 40}, {"Map", 40},          {"Solarize", 128},
        };
        for (const Case& c : cases) {
            if (!only.empty() && only != c.path) continue;
            if (!d->SelectEffect(QString::fromLatin1(c.path))) continue;
            d->extrabar->blockSignals(true);
            d->extrabar->setValue(10);
            d->extrabar->blockSignals(false);
            startPreview();
            const double preview = best(3, [&] {
                d->EBar->blockSignals(true);
                d->EBar->setRange(0, 400);
                d->EBar->setValue(0);
                d->EBar->blockSignals(false);
                const auto t0 = Clock::now();
                d->EBar->setValue(c.amount);
                art.WaitForPreview();
                return ms(t0, Clock::now());
            });
            // The anchor: the effect as a save computes it, on a copy of the full picture, one thread.
            const effectsui::EffectEntry* effect = effectsui::FindEffect(d->SelectedFxId());
            effectsui::EffectArgs args;
            args.amount = d->EBar->value();
            args.extra = d->extrabar->value();
            args.cx = d->cxbar->value();
            args.cy = d->cybar->value();
            args.splitLightTable = art.SplitLightTable;
            // FishEye, Twist, Rotate and Wings/Wavy take a thread count (the table's routine runs them on all):
            // their anchor is the one-thread run, as the table's routine calls them.
            std::function<void(Bitmap24&)> oneThread = [&](Bitmap24& b) { effect->run(b, args); };
            const std::string path = c.path;
            if (path == "Twist")
                oneThread = [&](Bitmap24& b) { effects::TvelPaintFX::Twist(b, b, args.amount, 1); };
            else if (path == "Fisheye")
                oneThread = [&](Bitmap24& b) { effects::TvelPaintFX::FishEye(b, b, args.amount / 100.0, 1); };
            else if (path == "Rotate")
                oneThread = [&](Bitmap24& b) { effects::TvelPaintFX::Rotate(b, b, args.cx, args.cy, args.amount, 1); };
            else if (path == "Wings/Wavy")
                oneThread = [&](Bitmap24& b) { effects::TvelPaintFX::WingsWavy(b, b, args.extra, args.amount, 1); };
            const double anchor = best(1, [&] {
                const auto t0 = Clock::now();
                Bitmap24 b = full;
                oneThread(b);
                return ms(t0, Clock::now());
            });
            const double before = best(1, [&] { return previewTheOldWay(full, *effect, args, 199, smallHeight); });
        row(c.path, preview, before, anchor);
            if (preview > 50) split(*d, full, *effect, args, 199, smallHeight);
        }

        // ---- the brightness slider ----
        if (only.empty() || only == "Brightness") {
            d->HelligkeitPanel->setVisible(true);
            d->EffectPanel->setVisible(false);
            startPreview();
            d->PreviewEnabled = true;
            int step = 0;
            const double brightness = best(5, [&] {
                const auto t0 = Clock::now();
                d->HelligkeitTrackBar->setValue(40 + (step++ % 2) * 11);
                return ms(t0, Clock::now());
            });
            const double brightnessFull = best(1, [&] {
                const auto t0 = Clock::now();
                Bitmap24 b = full;
                effects::TvelPaintFX::Lightness(b, 40);
                effects::TvelPaintFX::Saturation(b, 255);
                effects::TvelPaintFX::Contrast(b, 0);
                return ms(t0, Clock::now());
            });
            // It ran on the small copy before as well.
        row("Brightness slider", brightness, brightness, brightnessFull);
        }
        d->hide();
    } // the effects dialog is gone before the colour dialog opens (a return to it reads its picture)

    // ---- the colour dialog: an arrow key on the red bar ----
    if (only.empty() || only == "Colour") {
        const QString file = QDir::temp().filePath(QStringLiteral("preview_bench.jpg"));
        const QString winFile = QStringLiteral("Z:") + QString(file).replace(u'/', u'\\');
        if (effectsui::SaveBitmapAsJpeg(winFile, full, 4) != 1) {
            std::printf("cannot write %s\n", qPrintable(file));
            return 1;
        }
        {
            TPixEffectsForm f;
            BenchHost host(winFile, f);
            effectsui::setEditHost(&host);
            f.Mode = QStringLiteral("RGB");
            f.show(); // reads the picture, as its opening does
            // From a key (after the last one's frame has ended) to the preview shown: the first
            // key of a burst is shown at once.
            const double keyToShown = best(3, [&] {
                QElapsedTimer rest;
                rest.start();
                while (rest.elapsed() < 3 * TPixEffectsForm::KeyFrameMs) QCoreApplication::processEvents();
                const auto t0 = Clock::now();
                pressKey(f.RedTrackBar, Qt::Key_Left);
                while (f.PreviewPending) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
                return ms(t0, Clock::now());
            });
            // The work of that wait's end alone.
            const double compute = best(5, [&] {
                pressKey(f.RedTrackBar, Qt::Key_Left);
                f.PreviewPending = true; // the key's own preview is shown already: once more
                const auto t0 = Clock::now();
                f.ApplyEffectPreview();
                return ms(t0, Clock::now());
            });
            imaging::TPixImage original, preview;
            original.SetEnableMethodErrors(false);
            preview.SetEnableMethodErrors(false);
            original.Load(winFile, 0, 1, -1);
            const sdk::PxBalance red{0.9, 0, 0}, green{0, 1, 0}, blue{0, 0, 1};
            const double anchor = best(3, [&] {
                const auto t0 = Clock::now();
                preview.SetBitmap(original.Bitmap());
                preview.BalanceColors(&red, &green, &blue);
                return ms(t0, Clock::now());
            });
            // Before, each change copied and mixed the full picture: the anchor.
            row("Colour dialog: mix", compute, anchor, anchor);
            std::printf("%-26s %11.1f %10.1f %11s %8s   (before: the dialog waited %d ms for the keys to stop)\n",
                        "Colour dialog: key->shown", keyToShown, compute + TPixEffectsForm::KeySettleMs, "", "",
                        TPixEffectsForm::KeySettleMs);
            f.hide();
            effectsui::setEditHost(nullptr);
        }
        QFile::remove(file);
    }
    std::printf("\n%d of %d changes previewed within 100 ms; load average %.2f at the end\n", within, count, loadAverage());
    return 0;
}
