// pxtool: the imaging engine from the command line, for tests and benchmarks.
//
//   pxtool info FILE
//   pxtool convert IN OUT [QFACTOR]            format from OUT's extension; QFACTOR 4 by default
//   pxtool resize IN OUT WIDTH HEIGHT [FLAGS]  flags 0, 2 or 4 (default 4)
//   pxtool thumbnail IN OUT HEIGHT             width to scale; reduced JPEG decoding; flags 4
//   pxtool rotate IN OUT ANGLE [FILL]          hundredths of a degree, clockwise; fill 0xBBGGRR
//   pxtool flip IN OUT | reverse IN OUT
//   pxtool balance IN OUT RED GREEN BLUE       factors of the three channels
//   pxtool sharpen IN OUT AMOUNT               -1000..1000
//
// Files are host paths. The result code and its message go to standard error on failure; the
// exit status is 0 for success, 1 for an engine failure and 2 for wrong arguments.
#include "platform/drives.h"
#include "platform/rounding.h"
#include "sdk/sdk.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

using namespace sdk;

namespace {

QString windowsPath(const QString& host)
{
    const QString absolute = QFileInfo(host).absoluteFilePath();
    const QString w = platform::toWindowsPath(absolute);
    return w.isEmpty() ? absolute : w;
}

int formatOf(const QString& name)
{
    const QString ext = QFileInfo(name).suffix().toLower();
    if (ext == "jpg" || ext == "jpeg") return fmtJPEG;
    if (ext == "png") return fmtPNG;
    if (ext == "bmp") return fmtBMP;
    if (ext == "tif" || ext == "tiff") return fmtTIFF;
    if (ext == "gif") return fmtGIF;
    return fmtUnknown;
}

int fail(const char* what, int code)
{
    std::fprintf(stderr, "pxtool: %s: %d %s\n", what, code, qPrintable(ErrorCodeMessage(code)));
    return 1;
}

int usage()
{
    std::fprintf(stderr, "usage: pxtool info|convert|resize|thumbnail|rotate|flip|reverse|balance|sharpen ...\n");
    return 2;
}

bool number(const QString& text, int* out)
{
    bool ok = false;
    *out = text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16) : text.toInt(&ok);
    return ok;
}

int load(const QString& in, SdkBitmapHandle* bitmap, const PxLoadOptions& options = {})
{
    return PX_LoadFile(windowsPath(in), bitmap, 24, nullptr, options);
}

int save(const QString& out, const SdkBitmapHandle& bitmap, int qfactor = 4)
{
    const int format = formatOf(out);
    return PX_SaveBitmap(windowsPath(out), &bitmap, format, 24, qfactor);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    if (a.isEmpty()) return usage();
    const QString cmd = a[0];

    if (cmd == "info" && a.size() == 2) {
        PxFileInfo info;
        const int r = PX_FileInfo(windowsPath(a[1]), &info);
        if (r != PX_SUCCESS) return fail("info", r);
        std::printf("format %d\nwidth %d\nheight %d\nbits %d\npages %d\nresolution %d %d\nprogressive %d\n", info.Format,
                    info.Width, info.Height, info.BitsPerPixel, info.Pages, info.XResolution, info.YResolution,
                    info.Progressive ? 1 : 0);
        if (!info.Delays.empty()) {
            std::printf("delays");
            for (int d : info.Delays) std::printf(" %d", d);
            std::printf("\nloops %d %d\n", info.Loops ? 1 : 0, info.LoopCount);
        }
        return 0;
    }
    if (a.size() < 3) return usage();
    SdkBitmapHandle bitmap;
    int r = PX_SUCCESS;
    int qfactor = 4;

    if (cmd == "convert" && a.size() <= 4) {
        if (a.size() == 4 && !number(a[3], &qfactor)) return usage();
        r = load(a[1], &bitmap);
    } else if (cmd == "resize" && (a.size() == 5 || a.size() == 6)) {
        int w, h, flags = sizeFiltered;
        if (!number(a[3], &w) || !number(a[4], &h) || (a.size() == 6 && !number(a[5], &flags))) return usage();
        r = load(a[1], &bitmap);
        if (r == PX_SUCCESS) r = PX_SizeBitmap(&bitmap, w, h, flags);
    } else if (cmd == "thumbnail" && a.size() == 4) {
        int h;
        if (!number(a[3], &h) || h <= 0) return usage();
        PxFileInfo info;
        r = PX_FileInfo(windowsPath(a[1]), &info);
        if (r == PX_SUCCESS) {
            const int w = std::max(1, platform::roundHalfEven(static_cast<double>(h) * info.Width / info.Height));
            PxLoadOptions options;
            options.ReduceWidth = w;
            options.ReduceHeight = h;
            r = load(a[1], &bitmap, options);
            if (r == PX_SUCCESS) r = PX_SizeBitmap(&bitmap, w, h, sizeFiltered);
        }
    } else if (cmd == "rotate" && (a.size() == 4 || a.size() == 5)) {
        int angle, fill = 0xFFFFFF;
        if (!number(a[3], &angle) || (a.size() == 5 && !number(a[4], &fill))) return usage();
        r = load(a[1], &bitmap);
        if (r == PX_SUCCESS) r = PX_RotateBitmap(&bitmap, angle, rotateKeepAll, fill);
    } else if ((cmd == "flip" || cmd == "reverse") && a.size() == 3) {
        r = load(a[1], &bitmap);
        if (r == PX_SUCCESS) r = cmd == "flip" ? PX_FlipBitmap(&bitmap) : PX_ReverseBitmap(&bitmap);
    } else if (cmd == "balance" && a.size() == 6) {
        bool ok1, ok2, ok3;
        const PxBalance red{a[3].toDouble(&ok1), 0, 0}, green{0, a[4].toDouble(&ok2), 0}, blue{0, 0, a[5].toDouble(&ok3)};
        if (!ok1 || !ok2 || !ok3) return usage();
        r = load(a[1], &bitmap);
        if (r == PX_SUCCESS) r = PX_BalanceColors(&bitmap, &red, &green, &blue);
    } else if (cmd == "sharpen" && a.size() == 4) {
        int amount;
        if (!number(a[3], &amount)) return usage();
        r = load(a[1], &bitmap);
        if (r == PX_SUCCESS) r = PX_SharpenBitmap(&bitmap, amount);
    } else {
        return usage();
    }
    if (r != PX_SUCCESS) return fail(qPrintable(cmd), r);
    r = save(a[2], bitmap, qfactor);
    if (r != PX_SUCCESS) return fail("save", r);
    return 0;
}
