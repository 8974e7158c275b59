#include "sdk/layersave.h"

#include "sdk/codecs.h"

#include <QBuffer>
#include <cstdarg>
#include <cstring>
#include <tiffio.h>
#include <vector>

namespace sdk {

using namespace detail;

namespace {

// libtiff reaches the file it writes through these; the file is a buffer in memory, since libtiff
// reads back what it wrote while it links the pages.
QIODevice* deviceOf(thandle_t handle) { return static_cast<QIODevice*>(handle); }

tmsize_t readProc(thandle_t handle, void* data, tmsize_t size)
{
    return static_cast<tmsize_t>(deviceOf(handle)->read(static_cast<char*>(data), size));
}

tmsize_t writeProc(thandle_t handle, void* data, tmsize_t size)
{
    return static_cast<tmsize_t>(deviceOf(handle)->write(static_cast<const char*>(data), size));
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    QIODevice* device = deviceOf(handle);
    const auto delta = static_cast<qint64>(offset);
    qint64 position = delta;
    if (whence == SEEK_CUR) position = device->pos() + delta;
    else if (whence == SEEK_END) position = device->size() + delta;
    if (position < 0 || !device->seek(position)) return static_cast<toff_t>(-1);
    return static_cast<toff_t>(position);
}

int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t handle) { return static_cast<toff_t>(deviceOf(handle)->size()); }
int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

// libtiff's complaints end the save with an error code; they are not printed.
int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct Page {
    const SdkBitmapHandle* bitmap;
    int bits;  // 8 grey or 24 colour, as written
    PxLayerInfo place;
};

// Fills out (one row of the page as written) from row y of the bitmap.
void convertRow(const SdkBitmapHandle& bitmap, int y, int bits, std::uint8_t* out)
{
    const std::uint8_t* s = bitmap.row(y);
    const int bpp = bitmap.bytesPerPixel();
    if (bits == 8) {
        std::memcpy(out, s, static_cast<std::size_t>(bitmap.Width));
        return;
    }
    for (int x = 0; x < bitmap.Width; ++x, s += bpp, out += 3) {
        if (bpp == 1) {
            out[0] = out[1] = out[2] = s[0];
        } else {
            out[0] = s[2];
            out[1] = s[1];
            out[2] = s[0];
        }
    }
}

int resolutionOf(int dpi) { return dpi > 0 ? dpi : 96; }

int writePage(TIFF* tiff, const Page& page, int index, int count, StatusReporter& status, std::int64_t& rowsDone)
{
    const SdkBitmapHandle& b = *page.bitmap;
    const int samples = page.bits == 8 ? 1 : 3;
    const float xres = static_cast<float>(resolutionOf(b.XResolution));
    const float yres = static_cast<float>(resolutionOf(b.YResolution));
    bool ok = TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE) == 1 &&
              TIFFSetField(tiff, TIFFTAG_PAGENUMBER, static_cast<std::uint16_t>(index),
                           static_cast<std::uint16_t>(count)) == 1 &&
              TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(b.Width)) == 1 &&
              TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(b.Height)) == 1 &&
              TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8) == 1 &&
              TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples) == 1 &&
              TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB) == 1 &&
              TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
              TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) == 1 &&
              TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW) == 1 &&
              TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0)) == 1 &&
              TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) == 1 &&
              TIFFSetField(tiff, TIFFTAG_XRESOLUTION, xres) == 1 &&
              TIFFSetField(tiff, TIFFTAG_YRESOLUTION, yres) == 1 &&
              // The place over the base, in inches as the tags count it.
              TIFFSetField(tiff, TIFFTAG_XPOSITION, static_cast<float>(page.place.Left) / xres) == 1 &&
              TIFFSetField(tiff, TIFFTAG_YPOSITION, static_cast<float>(page.place.Top) / yres) == 1;
    if (!ok) return PXERR_WRITE;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(b.Width) * samples);
    for (int y = 0; y < b.Height; ++y) {
        convertRow(b, y, page.bits, row.data());
        if (TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) != 1) return PXERR_WRITE;
        if (!status.update(++rowsDone)) return PXERR_ABORTED;
    }
    return TIFFWriteDirectory(tiff) == 1 ? PX_SUCCESS : PXERR_WRITE;
}

// All pages into one TIFF file in memory.
int encodePages(const std::vector<Page>& pages, QByteArray* out)
{
    std::int64_t rows = 0;
    for (const Page& p : pages) rows += p.bitmap->Height;
    StatusReporter status(rows);
    std::int64_t rowsDone = 0;

    QBuffer buffer(out);
    buffer.open(QIODevice::ReadWrite);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return PXERR_NOMEMORY;
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    TIFF* tiff = TIFFClientOpenExt("layers", "w", &buffer, readProc, writeProc, seekProc, closeProc, sizeProc, mapProc,
                                   unmapProc, options);
    TIFFOpenOptionsFree(options);
    if (!tiff) return PXERR_NOMEMORY;
    int r = PX_SUCCESS;
    const int count = static_cast<int>(pages.size());
    for (int i = 0; i < count && r == PX_SUCCESS; ++i) r = writePage(tiff, pages[static_cast<std::size_t>(i)], i, count, status, rowsDone);
    TIFFClose(tiff);
    return r;
}

} // namespace

int PX_SaveBitmapWithLayers(const QString& fileName, const SdkBitmapHandle* base, int format, int bits, int qfactor,
                            SdkBitmapListHandle layers, const PxLayerInfo* info, int layerCount,
                            const PxSaveOptions& options)
{
    if (layerCount < 0) return PXERR_BADPARAM;
    if (layerCount == 0) return PX_SaveBitmap(fileName, base, format, bits, qfactor, options);
    if (!layers || layerCount > static_cast<int>(layers->items.size())) return PXERR_BADPARAM;
    if (format != fmtTIFF) return PXERR_UNSUPPORTED;

    std::vector<Page> pages;
    std::int64_t bytes = 0;
    auto add = [&](const SdkBitmapHandle* bitmap, PxLayerInfo place) -> int {
        if (place.Left < 0 || place.Top < 0) return PXERR_BADPARAM;
        int pageBits = bits;
        const int r = checkSave(bitmap, format, pageBits, qfactor, options);
        if (r != PX_SUCCESS) return r;
        bytes += static_cast<std::int64_t>(bitmap->Width) * bitmap->Height * (pageBits / 8);
        // A file larger than the engine reads back is not written.
        if (bytes > maxPictureBytes) return PXERR_NOMEMORY;
        pages.push_back({bitmap, pageBits, place});
        return PX_SUCCESS;
    };
    int r = add(base, {});
    for (int i = 0; i < layerCount && r == PX_SUCCESS; ++i)
        r = add(&layers->items[static_cast<std::size_t>(i)], info ? info[i] : PxLayerInfo{});
    if (r != PX_SUCCESS) return r;

    QByteArray file;
    r = encodePages(pages, &file);
    if (r != PX_SUCCESS) return r;
    return writeReplacing(fileName, [&file](QIODevice* out) -> int {
        return out->write(file) == file.size() ? PX_SUCCESS : PXERR_WRITE;
    });
}

} // namespace sdk
