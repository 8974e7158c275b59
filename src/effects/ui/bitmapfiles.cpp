#include "bitmapfiles.h"

#include "sdk/bitmap.h"
#include "sdk/errors.h"
#include "sdk/operations.h"
#include "sdk/pictureio.h"

#include "util/orderedwork.h"

#include <QThread>

#include <algorithm>
#include <cstring>

namespace effectsui {

namespace {

// The engine's bitmap of the same pixels; the engine's result.
int toHandle(const effects::Bitmap24& bitmap, sdk::SdkBitmapHandle& handle)
{
    const int result = sdk::PX_InitBitmap(&handle, bitmap.width(), bitmap.height(), 24);
    if (result != sdk::PX_SUCCESS) return result;
    for (int y = 0; y < bitmap.height(); ++y) std::memcpy(handle.row(y), bitmap.row(y), bitmap.stride());
    return result;
}

// The pixels of a 24-bit engine bitmap.
effects::Bitmap24 fromHandle(const sdk::SdkBitmapHandle& handle)
{
    effects::Bitmap24 out(handle.Width, handle.Height);
    for (int y = 0; y < handle.Height; ++y) std::memcpy(out.row(y), handle.row(y), out.stride());
    return out;
}

} // namespace

int LoadBitmapFile(const QString& fileName, effects::Bitmap24& bitmap)
{
    sdk::SdkBitmapHandle page;
    sdk::PxLoadOptions options;
    options.MaxPages = 1;
    int result = sdk::PX_LoadFile(fileName, &page, 24, nullptr, options);
    if (result == sdk::PXERR_STOPPED && page.allocated()) result = sdk::PX_SUCCESS;
    if (result != sdk::PX_SUCCESS) return result;
    if (!page.allocated() || page.Width <= 0 || page.Height <= 0) return sdk::PXERR_BADBITMAP;
    if (page.BitsPerPixel != 24) {
        result = sdk::PX_ConvertBitmap(&page, 24);
        if (result != sdk::PX_SUCCESS) return result;
    }
    bitmap = fromHandle(page);
    return sdk::PX_SUCCESS;
}

int SaveBitmapAsJpeg(const QString& fileName, const effects::Bitmap24& bitmap, int qualityFactor)
{
    if (bitmap.empty()) return sdk::PXERR_BADBITMAP;
    sdk::SdkBitmapHandle handle;
    const int result = toHandle(bitmap, handle);
    if (result != sdk::PX_SUCCESS) return result;
    return sdk::PX_SaveBitmap(fileName, &handle, sdk::fmtJPEG, 24, qualityFactor);
}

QString BitmapFileErrorText(int result) { return sdk::ErrorCodeMessage(result); }

QImage ToImage(const effects::Bitmap24& bitmap)
{
    if (bitmap.empty()) return {};
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_BGR888);
    for (int y = 0; y < bitmap.height(); ++y) std::memcpy(image.scanLine(y), bitmap.row(y), bitmap.stride());
    return image;
}

effects::Bitmap24 FromImage(const QImage& image)
{
    if (image.isNull()) return {};
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    effects::Bitmap24 out(bgr.width(), bgr.height());
    for (int y = 0; y < bgr.height(); ++y) std::memcpy(out.row(y), bgr.constScanLine(y), out.stride());
    return out;
}

effects::Bitmap24 ScaledDown(const effects::Bitmap24& bitmap, int width, int height, int threads)
{
    if (bitmap.empty() || width <= 0 || height <= 0 || !sdk::sizeAllowed(width, height, 24)) return {};
    if (width == bitmap.width() && height == bitmap.height()) {
        effects::Bitmap24 same = bitmap; // its pixels alone, as any other size gives
        same.transparent = false;
        same.transparentColor = effects::clBlack;
        return same;
    }
    // The engine's area average, as the colour dialog's panes are made, read straight from the
    // bitmap's rows; bands of rows of the result on worker threads, each with the bytes one
    // thread gives.
    const sdk::PxResampler resampler(bitmap.width(), bitmap.height(), width, height, sdk::sizeFiltered);
    if (!resampler.valid()) return {};
    effects::Bitmap24 out(width, height);
    const auto line = static_cast<std::ptrdiff_t>(out.stride());
    auto band = [&](int top, int bottom) {
        resampler.Rows(bitmap.bits(), static_cast<std::ptrdiff_t>(bitmap.stride()), 3, out.row(top), line, top, bottom);
    };
    const int workers = std::min(height, threads > 0 ? threads : QThread::idealThreadCount());
    if (workers <= 1) {
        band(0, height);
        return out;
    }
    // A few bands a thread, so that one held up does not hold up the rest.
    const int rows = std::max(1, height / (2 * workers));
    const int count = (height + rows - 1) / rows;
    util::OrderedWork work(
        count, [&](int i) { band(i * rows, std::min(height, (i + 1) * rows)); }, workers);
    for (int i = 0; i < count; ++i) work.take(i);
    return out;
}

} // namespace effectsui
