// libFuzzer target: the JPEG and GIF loading paths of the imaging engine, from memory.
// `make fuzz` builds and runs it (README: running it longer).
#include "sdk/sdk.h"

#include <QCoreApplication>
#include <cstdint>

using namespace sdk;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "sdk_fuzz_load";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    PxFileInfo info;
    if (PX_FileInfoMemory(bytes, &info) != PX_SUCCESS) return 0;
    if (info.Format != fmtJPEG && info.Format != fmtGIF) return 0;
    // Large but valid pictures only cost time; the size checks themselves run above.
    if (static_cast<std::int64_t>(info.Width) * info.Height > 4'000'000) return 0;
    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    SdkBitmapHandle bitmap;
    PxLoadOptions options;
    options.MaxPages = 32;
    if (size > 0 && (data[size - 1] & 1)) {
        options.ReduceWidth = info.Width / 4;
        options.ReduceHeight = info.Height / 4;
    }
    int bands = 0;
    const int bits = size > 1 && (data[size - 2] & 1) ? 8 : 24;
    PX_LoadMemory(bytes, &bitmap, bits, list, options, [&bands](const PxLoadBand& band) {
        ++bands;
        return band.pagesDelivered >= 16 ? PXERR_STOPPED : 1;
    });
    if (bitmap.allocated()) {
        // Touch every pixel so that a short buffer shows.
        std::uint32_t sum = 0;
        for (int y = 0; y < bitmap.Height; ++y)
            for (int x = 0; x < bitmap.Width * bitmap.bytesPerPixel(); ++x) sum += bitmap.row(y)[x];
        (void)sum;
    }
    PX_DestroyBitmapList(&list);
    return 0;
}
