// The imaging engine against djpeg, cjpeg (also to and from BMP), vipsthumbnail and jpegtran, on one core, on the same
// 24-megapixel JPEG made here. Prints the best of several runs of each and the ratio.
//
//   sdk_bench [runs] [core]      (core: the CPU to run on; the last one allowed by default)
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/rounding.h"
#include "sdk/sdk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sched.h>

using namespace sdk;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kThumbHeight = 105;

double timeMs(const std::function<bool()>& job)
{
    QElapsedTimer t;
    t.start();
    if (!job()) return -1;
    return t.nsecsElapsed() / 1e6;
}

double bestMs(int runs, const std::function<bool()>& job)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double ms = timeMs(job);
        if (ms < 0) return -1;
        best = std::min(best, ms);
    }
    return best;
}

// Ours and theirs in turns, so that a change in the machine's load hits both alike.
std::pair<double, double> bestOfBoth(int runs, const std::function<bool()>& ours, const std::function<bool()>& theirs)
{
    double a = 1e300, b = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double x = timeMs(ours), y = timeMs(theirs);
        if (x < 0 || y < 0) return {-1, -1};
        a = std::min(a, x);
        b = std::min(b, y);
    }
    return {a, b};
}

bool runTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void report(const char* what, double ours, const char* tool, double theirs, double limit)
{
    if (ours < 0 || theirs < 0) {
        std::printf("%-34s failed\n", what);
        return;
    }
    const double ratio = ours / theirs;
    if (limit <= 0) {
        std::printf("%-34s ours %8.1f ms  %-14s %8.1f ms  ratio %.2f\n", what, ours, tool, theirs, ratio);
        return;
    }
    std::printf("%-34s ours %8.1f ms  %-14s %8.1f ms  ratio %.2f  (target <= %.2f) %s\n", what, ours, tool, theirs, ratio,
                limit, ratio <= limit ? "ok" : "SLOWER");
}

// A picture with detail everywhere, so that the encoder and decoder have real work.
SdkBitmapHandle makePicture()
{
    SdkBitmapHandle b;
    PX_InitBitmap(&b, kWidth, kHeight, 24);
    std::uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* p = b.row(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 28) - 8;
            p[0] = static_cast<std::uint8_t>(std::clamp((x * 255) / kWidth + noise, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp((y * 255) / kHeight + noise, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(((x / 40 + y / 40) % 2) * 160 + 40 + noise, 0, 255));
        }
    }
    return b;
}

QByteArray ppmOf(const SdkBitmapHandle& b)
{
    QByteArray out = QByteArray("P6\n") + QByteArray::number(b.Width) + " " + QByteArray::number(b.Height) + "\n255\n";
    const qsizetype head = out.size();
    out.resize(head + static_cast<qsizetype>(b.Width) * b.Height * 3);
    char* d = out.data() + head;
    for (int y = 0; y < b.Height; ++y) {
        const std::uint8_t* s = b.row(y);
        for (int x = 0; x < b.Width; ++x, s += 3) { *d++ = static_cast<char>(s[2]); *d++ = static_cast<char>(s[1]); *d++ = static_cast<char>(s[0]); }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    // One core for us and for every tool we start (children inherit the mask).
    cpu_set_t allowed;
    sched_getaffinity(0, sizeof allowed, &allowed);
    int core = -1;
    for (int c = 0; c < CPU_SETSIZE; ++c)
        if (CPU_ISSET(c, &allowed)) core = c;
    if (argc > 2 && CPU_ISSET(atoi(argv[2]), &allowed)) core = atoi(argv[2]);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    sched_setaffinity(0, sizeof one, &one);
    qputenv("VIPS_CONCURRENCY", "1");
    std::printf("one core (%d), best of %d runs, %d x %d pixels\n", core, runs, kWidth, kHeight);

    for (const char* tool : {"djpeg", "cjpeg", "jpegtran", "vipsthumbnail"})
        if (QStandardPaths::findExecutable(tool).isEmpty()) std::printf("missing: %s\n", tool);

    QTemporaryDir dir;
    const QString hostDir = dir.path();
    const QString winDir = platform::toWindowsPath(hostDir) + "\\";
    const QString ppm = hostDir + "/bench.ppm", jpg = hostDir + "/bench.jpg";

    SdkBitmapHandle picture = makePicture();
    if (!platform::writeFileReplacing(winDir + "bench.ppm", ppmOf(picture)) ||
        PX_SaveBitmap(winDir + "bench.jpg", &picture, fmtJPEG, 24, 20) != PX_SUCCESS) {
        std::printf("cannot write the test picture into %s\n", qPrintable(hostDir));
        return 1;
    }

    // Full decode.
    const auto [load, djpeg] = bestOfBoth(
        runs,
        [&] {
            SdkBitmapHandle b;
            return PX_LoadFile(winDir + "bench.jpg", &b, 0, nullptr) == PX_SUCCESS;
        },
        [&] { return runTool("djpeg", {"-outfile", "/dev/null", jpg}); });
    report("decode (load)", load, "djpeg", djpeg, 1.15);

    // Quality 80 encode.
    SdkBitmapHandle decoded;
    PX_LoadFile(winDir + "bench.jpg", &decoded, 0, nullptr);
    const auto [save, cjpeg] = bestOfBoth(
        runs, [&] { return PX_SaveBitmap(winDir + "ours.jpg", &decoded, fmtJPEG, 24, 20) == PX_SUCCESS; },
        [&] { return runTool("cjpeg", {"-quality", "80", "-outfile", hostDir + "/theirs.jpg", ppm}); });
    report("encode quality 80 (save)", save, "cjpeg", cjpeg, 1.15);

    // BMP on both sides: a JPEG made into a BMP, and a BMP into a JPEG of quality 80.
    const auto [toBmp, djpegBmp] = bestOfBoth(
        runs,
        [&] {
            SdkBitmapHandle b;
            return PX_LoadFile(winDir + "bench.jpg", &b, 0, nullptr) == PX_SUCCESS &&
                   PX_SaveBitmap(winDir + "ours.bmp", &b, fmtBMP, 24, 0) == PX_SUCCESS;
        },
        [&] { return runTool("djpeg", {"-bmp", "-outfile", hostDir + "/theirs.bmp", jpg}); });
    report("JPEG to BMP", toBmp, "djpeg -bmp", djpegBmp, 1.15);
    const auto [fromBmp, cjpegBmp] = bestOfBoth(
        runs,
        [&] {
            SdkBitmapHandle b;
            return PX_LoadFile(winDir + "theirs.bmp", &b, 0, nullptr) == PX_SUCCESS &&
                   PX_SaveBitmap(winDir + "fromBmp.jpg", &b, fmtJPEG, 24, 20) == PX_SUCCESS;
        },
        [&] { return runTool("cjpeg", {"-quality", "80", "-outfile", hostDir + "/fromBmp.jpg", hostDir + "/theirs.bmp"}); });
    report("BMP to JPEG quality 80", fromBmp, "cjpeg", cjpegBmp, 1.15);

    // Thumbnail 105 pixels high: load reduced, resample, save.
    const auto thumbnail = [&] {
        PxFileInfo info;
        if (PX_FileInfo(winDir + "bench.jpg", &info) != PX_SUCCESS) return false;
        const int w = std::max(1, platform::roundHalfEven(static_cast<double>(kThumbHeight) * info.Width / info.Height));
        PxLoadOptions o;
        o.ReduceWidth = w;
        o.ReduceHeight = kThumbHeight;
        SdkBitmapHandle b;
        return PX_LoadFile(winDir + "bench.jpg", &b, 0, nullptr, o) == PX_SUCCESS &&
               PX_SizeBitmap(&b, w, kThumbHeight, sizeFiltered) == PX_SUCCESS &&
               PX_SaveBitmap(winDir + "thumb.jpg", &b, fmtJPEG, 24, 2) == PX_SUCCESS;
    };
    const auto [thumb, vips] = bestOfBoth(runs, thumbnail, [&] {
        return runTool("vipsthumbnail", {jpg, "--size", "x" + QString::number(kThumbHeight), "-o", hostDir + "/vthumb.jpg"});
    });
    report("thumbnail to 105 high", thumb, "vipsthumbnail", vips, 1.0);

    // The same thumbnail from the full decode, and how far the two lie apart.
    SdkBitmapHandle fast, full;
    const double fullThumb = bestMs(runs, [&] {
        const int w = platform::roundHalfEven(static_cast<double>(kThumbHeight) * kWidth / kHeight);
        return PX_LoadFile(winDir + "bench.jpg", &full, 0, nullptr) == PX_SUCCESS &&
               PX_SizeBitmap(&full, w, kThumbHeight, sizeFiltered) == PX_SUCCESS;
    });
    report("thumbnail from the full decode", fullThumb, "vipsthumbnail", vips, 0);
    {
        const int w = platform::roundHalfEven(static_cast<double>(kThumbHeight) * kWidth / kHeight);
        PxLoadOptions o;
        o.ReduceWidth = w;
        o.ReduceHeight = kThumbHeight;
        PX_LoadFile(winDir + "bench.jpg", &fast, 0, nullptr, o);
        PX_SizeBitmap(&fast, w, kThumbHeight, sizeFiltered);
        long long sum = 0;
        int worst = 0;
        for (int y = 0; y < full.Height; ++y)
            for (int x = 0; x < full.Width * 3; ++x) {
                const int d = std::abs(int(fast.row(y)[x]) - int(full.row(y)[x]));
                sum += d;
                worst = std::max(worst, d);
            }
        std::printf("%-34s mean %.2f, largest %d levels apart\n", "reduced against full decode",
                    static_cast<double>(sum) / (full.Width * full.Height * 3.0), worst);
    }

    // 90 degree turn of decoded pixels (jpegtran turns the file losslessly, for comparison).
    const auto [rotate, jpegtran] = bestOfBoth(
        runs, [&] { return PX_RotateBitmap(&decoded, 9000, 1, 0xFFFFFF) == PX_SUCCESS; },
        [&] { return runTool("jpegtran", {"-rotate", "90", "-outfile", hostDir + "/rot.jpg", jpg}); });
    report("rotate 90 (ours pixels, jpegtran file)", rotate, "jpegtran", jpegtran, 0);
    std::printf("%-34s %8.1f ms  (target < 60 ms) %s\n", "rotate 90 of decoded pixels", rotate, rotate < 60 ? "ok" : "SLOWER");
    return 0;
}
