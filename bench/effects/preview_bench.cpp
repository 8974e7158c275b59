// How long the editing dialogs take to show a change on a 5120 x 2880 photo, through their own
// code: the effects dialog's preview of each effect of its tree (from the bar's change to the
// preview shown), the brightness panel's preview, and the colour dialog's recompute when a
// change ends. The anchor in the same run is what the same change costs on the GUI thread at full
// size (the effect as Save runs it; the colour dialog's old way: read the file again, filter).
//
//   QT_QPA_PLATFORM=offscreen build/bench/effects/preview_bench [--width W --height H]
#include "benchpicture.h"
#include "effects/paintfx.h"
#include "effects/ui/bitmapfiles.h"
#include "effects/ui/painteffectsform.h"
#include "effects/ui/veldrawimage.h"
#include "imaging/piximage.h"
#include "sdk/operations.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

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

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--width") && i + 1 < argc) W = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--height") && i + 1 < argc) H = std::atoi(argv[++i]);
    }
    QApplication app(argc, argv);
    const Bitmap24 full = makeBenchPicture(W, H);
    const int smallHeight = std::max(1, int(std::lround(double(H) * 199 / W)));
    std::printf("Picture %d x %d, preview 199 x %d, %d cores\n\n", W, H, smallHeight, QThread::idealThreadCount());

    TvelDrawImage art;
    TPainterEffectsF* d = art.EffectsDialog();
    auto startPreview = [&] {
        art.SetPicture(Bitmap24(199, smallHeight));
        art.BeginPreview(full);
    };

    std::printf("%-22s %12s %16s %8s\n", "change", "preview ms", "full size ms", "ratio");
    struct Case {
        const char* path;
        int amount;
    };
    const Case cases[] = {
        {"Gaussian Blur", 6}, {"Noise/Color", 120}, {"Mosaic", 20},      {"Twist", 20},    {"Fisheye", 60},
        {"Wave/Normal", 60},  {"Rotate", 30},       {"Wings/Wavy", 150}, {"Emboss", 50},   {"Colors/Red", 150},
        {"Squeeze/Round", 120}, {"Shear", 40},      {"Plasma", 40},      {"MandelBrot", 50}, {"Triangles", 40},
        {"Ripple/Tooth", 40}, {"Texturize/Tile", 40}, {"Map", 40},       {"Solarize", 128}, {"Split Light", 3},
    };
    int within = 0, count = 0;
    for (const Case& c : cases) {
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
        art.SetPicture(full);
        const double atFull = best(1, [&] {
            const auto t0 = Clock::now();
            art.ApplyEffect(d->SelectedFxId());
            return ms(t0, Clock::now());
        });
        ++count;
        if (preview <= 100) ++within;
        std::printf("%-22s %12.1f %16.1f %7.2fx\n", c.path, preview, atFull, preview / atFull);
        std::fflush(stdout);
    }

    // The brightness panel: on the small copy, at once.
    startPreview();
    const double brightness = best(5, [&] {
        const auto t0 = Clock::now();
        art.ApplyLightnessSaturationContrast(40, 300, -20);
        return ms(t0, Clock::now());
    });
    art.SetPicture(full);
    const double brightnessFull = best(1, [&] {
        const auto t0 = Clock::now();
        art.ApplyLightnessSaturationContrast(40, 300, -20);
        return ms(t0, Clock::now());
    });
    std::printf("%-22s %12.1f %16.1f %7.2fx\n", "Brightness panel", brightness, brightnessFull, brightness / brightnessFull);

    // The colour dialog when a change ends: the preview restarts from the picture read at
    // opening and is filtered; before, it read the file again first.
    const QString file = QDir::temp().filePath(QStringLiteral("preview_bench.jpg"));
    const QString winFile = QStringLiteral("Z:") + QString(file).replace(u'/', u'\\');
    if (effectsui::SaveBitmapAsJpeg(winFile, full, 4) != 1) {
        std::printf("cannot write %s\n", qPrintable(file));
        return 1;
    }
    imaging::TPixImage original, preview;
    original.SetEnableMethodErrors(false);
    preview.SetEnableMethodErrors(false);
    original.Load(winFile, 0, 1, -1);
    const sdk::PxBalance red{0.9, 0, 0}, green{0, 1, 0}, blue{0, 0, 1};
    const double colour = best(3, [&] {
        const auto t0 = Clock::now();
        preview.SetBitmap(original.Bitmap());
        preview.BalanceColors(&red, &green, &blue);
        return ms(t0, Clock::now());
    });
    const double colourBefore = best(3, [&] {
        const auto t0 = Clock::now();
        preview.Load(winFile, 0, 1, -1);
        preview.BalanceColors(&red, &green, &blue);
        return ms(t0, Clock::now());
    });
    QFile::remove(file);
    std::printf("%-22s %12.1f %16.1f %7.2fx   (file read again: the right column)\n", "Colour dialog", colour, colourBefore,
                colour / colourBefore);
    std::printf("\n%d of %d effects previewed within 100 ms\n", within, count);
    return 0;
}
