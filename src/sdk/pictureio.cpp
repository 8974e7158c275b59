#include "sdk/pictureio.h"

#include "platform/files.h"
#include "platform/rounding.h"
#include "sdk/codecs.h"
#include "sdk/gifwrite.h"
#include "sdk/operations.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace sdk {

namespace detail {

// ---- page sink ----

PageSink::PageSink(int bits, SdkBitmapListHandle list, const PxLoadCallback& callback, int maxPages)
    : bits_(bits), list_(list), callback_(callback),
      maxPages_(maxPages < 0 ? maxPagesPerLoad : std::min(maxPages, maxPagesPerLoad))
{
    if (!list_) {
        // Without a list only the first page can be handed back: no other is decoded, and
        // reaching it is the end of the load, not a stop.
        firstOnly_ = true;
        maxPages_ = 1;
        PX_CreateBitmapList(&ownList_);
        list_ = ownList_;
    }
    listStart_ = list_ ? static_cast<int>(list_->items.size()) : 0;
}

PageSink::~PageSink() { PX_DestroyBitmapList(&ownList_); }

int PageSink::beginPage(int width, int height, int xres, int yres)
{
    if (!list_) return PXERR_NOMEMORY;
    if (width <= 0 || height <= 0) return PXERR_BADSIZE;
    if (!sizeAllowed(width, height, bits_)) return PXERR_NOMEMORY;
    const std::int64_t bytes = bytesPerLineFor(width, bits_) * height;
    if (bytes_ + bytes > maxBytesPerLoad) return PXERR_NOMEMORY;
    const int r = allocateUninitialised(page_, width, height, bits_);
    if (r != PX_SUCCESS) return r;
    page_.XResolution = xres > 0 ? xres : 96;
    page_.YResolution = yres > 0 ? yres : 96;
    pageWidth_ = width;
    pageHeight_ = height;
    return PX_SUCCESS;
}

int PageSink::band(int firstRow, int rows, int passFlags)
{
    if (!callback_) return PX_SUCCESS;
    PxLoadBand b;
    b.page = &page_;
    b.pagesDelivered = delivered_;
    b.firstRow = firstRow;
    b.rows = rows;
    b.flags = (passFlags & (bandFirstPass | bandLastPass)) | (firstRow == 0 ? bandFirstRow : 0) |
              (firstRow + rows >= pageHeight_ ? bandLastRow : 0);
    b.percent = static_cast<int>(static_cast<std::int64_t>(firstRow + rows) * 100 / std::max(1, pageHeight_));
    const int r = callback_(b);
    if (r == PX_SUCCESS) return PX_SUCCESS;
    return r == PXERR_STOPPED ? PXERR_STOPPED : PXERR_ABORTED;
}

int PageSink::endPage()
{
    bytes_ += static_cast<std::int64_t>(page_.byteCount());
    const int r = PX_AppendBitmapListItemHandle(list_, &page_);
    if (r != PX_SUCCESS) return r;
    ++delivered_;
    if (delivered_ < maxPages_) return PX_SUCCESS;
    return firstOnly_ ? PXERR_DONE : PXERR_STOPPED;
}

int PageSink::finish(int result, SdkBitmapHandle* bitmap)
{
    if (result == PXERR_DONE) result = PX_SUCCESS;
    const bool kept = result == PX_SUCCESS || result == PXERR_STOPPED;
    if (!kept || !list_) {
        if (list_) list_->items.erase(list_->items.begin() + listStart_, list_->items.end());
        return result;
    }
    if (delivered_ > 0 && bitmap && list_ == ownList_) {
        // Nobody else wants the pages: the first one is handed over as it is.
        *bitmap = std::move(list_->items[static_cast<std::size_t>(listStart_)]);
        return result;
    }
    if (delivered_ > 0 && bitmap) {
        const int r = PX_CopyBitmap(bitmap, &list_->items[static_cast<std::size_t>(listStart_)]);
        if (r != PX_SUCCESS) {
            list_->items.erase(list_->items.begin() + listStart_, list_->items.end());
            return r;
        }
    }
    return result;
}

// ---- formats ----

int sniffFormat(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const auto n = data.size();
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return fmtJPEG;
    if (n >= 6 && (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0)) return fmtGIF;
    if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) return fmtPNG;
    if (n >= 14 && p[0] == 'B' && p[1] == 'M') return fmtBMP;
    if (n >= 4 && ((p[0] == 'I' && p[1] == 'I' && p[2] == 42 && p[3] == 0) || (p[0] == 'M' && p[1] == 'M' && p[2] == 0 && p[3] == 42)))
        return fmtTIFF;
    return fmtUnknown;
}

namespace {

const char* qtFormatName(int format)
{
    switch (format) {
    case fmtGIF: return "gif";
    case fmtPNG:
    case fmtCompressed: return "png";
    case fmtBMP: return "bmp";
    case fmtTIFF: return "tiff";
    default: return nullptr;
    }
}

void allowLargeImages()
{
    // Qt's own limit is far below what the engine accepts; the engine checks sizes itself.
    static const bool once = [] {
        QImageReader::setAllocationLimit(static_cast<int>(maxPixels * 4 / (1024 * 1024) + 64));
        return true;
    }();
    (void)once;
}

// Moves at past a run of GIF sub-blocks and its terminator; false when the bytes end first.
bool skipGifSubBlocks(const unsigned char* p, qsizetype n, qsizetype& at)
{
    while (at < n) {
        const int len = p[at++];
        if (len == 0) return true;
        at += len;
    }
    return false;
}

// The frame count, delays, loop count and background of a GIF, read from its blocks without
// decoding any picture.
bool walkGif(const QByteArray& data, PxFileInfo* info)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    if (n < 13) return false;
    qsizetype pos = 13;
    const int flags = p[10];
    std::vector<std::uint32_t> global;
    if (flags & 0x80) {
        const int entries = 2 << (flags & 7);
        if (pos + entries * 3 > n) return false;
        for (int i = 0; i < entries; ++i)
            global.push_back((std::uint32_t(p[pos + i * 3]) << 16) | (std::uint32_t(p[pos + i * 3 + 1]) << 8) | p[pos + i * 3 + 2]);
        pos += entries * 3;
        const std::uint32_t bg = global[std::min<std::size_t>(p[11], global.size() - 1)];
        info->HasBackground = true;
        info->BackgroundColor = static_cast<std::int32_t>(((bg >> 16) & 0xFF) | (bg & 0xFF00) | ((bg & 0xFF) << 16));
        info->Palette = global;
    }
    int pendingDelay = 0;
    int frames = 0;
    while (pos < n) {
        const int kind = p[pos++];
        if (kind == 0x3B) break;
        if (kind == 0x21) {
            if (pos >= n) break;
            const int label = p[pos++];
            if (label == 0xF9 && pos + 5 < n && p[pos] >= 4) pendingDelay = (p[pos + 2] | (p[pos + 3] << 8)) * 10;
            if (label == 0xFF && pos + 12 < n && p[pos] == 11 && std::memcmp(p + pos + 1, "NETSCAPE2.0", 11) == 0) {
                const qsizetype sub = pos + 12;
                if (sub + 3 < n && p[sub] >= 3 && p[sub + 1] == 1) {
                    info->Loops = true;
                    info->LoopCount = p[sub + 2] | (p[sub + 3] << 8);
                }
            }
            if (!skipGifSubBlocks(p, n, pos)) break;
        } else if (kind == 0x2C) {
            if (pos + 9 > n) break;
            const int f = p[pos + 8];
            pos += 9;
            if (f & 0x80) pos += 3 * (2 << (f & 7));
            pos += 1; // code size
            if (pos > n || !skipGifSubBlocks(p, n, pos)) {
                ++frames; // a truncated last frame still counts: the reader shows what it has
                info->Delays.push_back(pendingDelay);
                break;
            }
            ++frames;
            info->Delays.push_back(pendingDelay);
            pendingDelay = 0;
        } else {
            break;
        }
    }
    info->Pages = frames;
    return frames > 0;
}

// An uncompressed BMP says how many bytes its pixels take; a file that ends before them is broken
// (the reader would otherwise allocate the whole claimed picture for the few rows the file holds).
bool bmpHoldsItsPixels(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    auto u16 = [p](qsizetype at) { return std::int64_t(qFromLittleEndian<quint16>(p + at)); };
    auto u32 = [p](qsizetype at) { return std::int64_t(qFromLittleEndian<quint32>(p + at)); };
    if (n < 26) return true; // too short to judge; the reader refuses it
    const std::int64_t offset = u32(10);
    const std::int64_t headerSize = u32(14);
    std::int64_t width = 0, height = 0, bits = 0, compression = 0;
    if (headerSize == 12) {
        width = u16(18);
        height = u16(20);
        bits = u16(24);
    } else if (headerSize >= 40 && n >= 34) {
        width = std::int32_t(u32(18));
        height = std::int32_t(u32(22));
        bits = u16(28);
        compression = u32(30);
    } else {
        return true;
    }
    // 0: plain rows; 3 and 6: plain rows with bit masks. Other methods pack the rows.
    if (compression != 0 && compression != 3 && compression != 6) return true;
    if (width <= 0 || height == 0 || bits <= 0 || bits > 64) return true;
    // The padding of the last row may be missing; its pixels may not.
    const std::int64_t rowBytes = (width * bits + 31) / 32 * 4;
    const std::int64_t lastRow = (width * bits + 7) / 8;
    return offset + rowBytes * ((height < 0 ? -height : height) - 1) + lastRow <= n;
}

int bitsOfQtFormat(QImage::Format f)
{
    switch (f) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8: return 8;
    case QImage::Format_Grayscale16: return 16;
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied: return 32;
    default: return 24;
    }
}

int readerError(const QImageReader& reader, bool headerRead)
{
    switch (reader.error()) {
    case QImageReader::DeviceError: return PXERR_READ;
    case QImageReader::UnsupportedFormatError: return PXERR_BADFORMAT;
    case QImageReader::InvalidDataError: return headerRead ? PXERR_READ : PXERR_BADFORMAT;
    default: return headerRead ? PXERR_READ : PXERR_BADFORMAT;
    }
}

// A GIF frame with transparent pixels becomes an opaque picture whose transparent pixels carry a
// key colour that no visible pixel has; the bitmap says so (bfTransparent, TransparentColor).
// Gives the key as a colour integer, or -1 when the frame has no transparent pixel.
std::int32_t keyTransparency(QImage& image)
{
    if (!image.hasAlphaChannel()) return -1;
    image = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint8_t> used(1 << 21, 0); // one bit per 24-bit colour
    bool transparent = false;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) < 128) { transparent = true; continue; }
            const std::uint32_t c = line[x] & 0xFFFFFF;
            used[c >> 3] |= static_cast<std::uint8_t>(1 << (c & 7));
        }
    }
    if (!transparent) return -1;
    std::uint32_t key = 0xFF00FF;
    while (used[key >> 3] & (1 << (key & 7))) key = (key + 1) & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qAlpha(line[x]) < 128 ? (0xFF000000u | key) : (line[x] | 0xFF000000u);
    }
    return static_cast<std::int32_t>(((key >> 16) & 0xFF) | (key & 0xFF00) | ((key & 0xFF) << 16));
}

// Hands one frame or page that Qt's reader gave over to the sink, band by band.
int deliverQtPage(QImage image, int format, int index, const PxFileInfo& gif, PageSink& sink)
{
    const int bits = sink.bits();
    int r = sink.beginPage(image.width(), image.height(), dpiOfDotsPerMetre(image.dotsPerMeterX()),
                           dpiOfDotsPerMetre(image.dotsPerMeterY()));
    if (r != PX_SUCCESS) return r;
    const std::int32_t key = format == fmtGIF && bits != 32 ? keyTransparency(image) : -1;
    image = image.convertToFormat(qtFormatForBits(bits));
    if (image.isNull()) return PXERR_NOMEMORY;
    SdkBitmapHandle& page = sink.page();
    if (format == fmtGIF && static_cast<std::size_t>(index) < gif.Delays.size()) page.Delay = gif.Delays[static_cast<std::size_t>(index)];
    if (format == fmtGIF) page.BackgroundColor = gif.BackgroundColor;
    if (key >= 0 && bits == 24) {
        page.Flags |= bfTransparent;
        page.TransparentColor = key;
    }
    const std::size_t used = static_cast<std::size_t>(page.Width) * page.bytesPerPixel();
    constexpr int kBand = 64;
    for (int y0 = 0; y0 < page.Height; y0 += kBand) {
        const int rows = std::min(kBand, page.Height - y0);
        for (int y = y0; y < y0 + rows; ++y) {
            std::uint8_t* d = page.row(y);
            std::memcpy(d, image.constScanLine(y), used);
            std::memset(d + used, 0, static_cast<std::size_t>(page.BytesPerLine) - used);
        }
        r = sink.band(y0, rows);
        if (r != PX_SUCCESS) return r;
    }
    return sink.endPage();
}

} // namespace

QImage::Format qtFormatForBits(int bits)
{
    return bits == 8 ? QImage::Format_Grayscale8 : bits == 32 ? QImage::Format_ARGB32 : QImage::Format_BGR888;
}

int dpiOfDotsPerMetre(int dotsPerMetre)
{
    return dotsPerMetre > 0 ? std::max(1, platform::roundHalfEven(dotsPerMetre * 0.0254)) : 96;
}

int qtInfo(const QByteArray& data, int format, PxFileInfo* info, int page)
{
    allowLargeImages();
    *info = PxFileInfo();
    info->Format = format;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormatName(format));
    reader.setAutoTransform(false);
    if (format == fmtGIF) {
        if (!walkGif(data, info)) return PXERR_BADFORMAT;
    } else if (format == fmtTIFF) {
        info->Pages = std::max(1, reader.imageCount());
        if (page > 1 && !reader.jumpToImage(page - 1)) return -310; // "Page not found"
    } else {
        info->Pages = 1;
    }
    if (format == fmtBMP && !bmpHoldsItsPixels(data)) return PXERR_READ;
    const QSize size = reader.size();
    if (!size.isValid()) return readerError(reader, false);
    if (size.width() <= 0 || size.height() <= 0) return PXERR_BADSIZE;
    info->Width = size.width();
    info->Height = size.height();
    info->BitsPerPixel = bitsOfQtFormat(reader.imageFormat());
    if (format == fmtGIF) info->BitsPerPixel = 8;
    return PX_SUCCESS;
}

int qtDecode(const QByteArray& data, int format, PageSink& sink, const PxLoadOptions& options)
{
    allowLargeImages();
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormatName(format));
    reader.setAutoTransform(false);
    const int first = std::max(1, options.Page);
    PxFileInfo gif;
    if (format == fmtGIF) walkGif(data, &gif);
    int pages = format == fmtTIFF ? std::max(1, reader.imageCount()) : format == fmtGIF ? std::max(1, gif.Pages) : 1;
    if (first > pages) return -310; // "Page not found"
    for (int index = 0; index < pages; ++index) {
        if (format == fmtTIFF && !reader.jumpToImage(index)) return sink.pagesDelivered() > 0 ? PX_SUCCESS : readerError(reader, false);
        if (format == fmtTIFF && index + 1 < first) continue;
        const QSize size = reader.size();
        if (size.isValid() && !sizeAllowed(size.width(), size.height(), 32)) return PXERR_NOMEMORY;
        if (size.isValid() && (size.width() <= 0 || size.height() <= 0)) return PXERR_BADSIZE;
        QImage image;
        if (!reader.read(&image) || image.isNull()) {
            // A damaged frame after good ones ends the animation there.
            if (sink.pagesDelivered() > 0) return PX_SUCCESS;
            return readerError(reader, size.isValid());
        }
        if (format == fmtGIF && index + 1 < first) continue; // frames build on each other: read, then skip
        const int r = deliverQtPage(std::move(image), format, index, gif, sink);
        if (r != PX_SUCCESS) return r;
        if (format == fmtGIF && !reader.canRead()) break;
    }
    return PX_SUCCESS;
}

int qtEncode(QIODevice* out, const SdkBitmapHandle& layout, const RowFetch& rows, int format, int bits)
{
    const char* name = qtFormatName(format);
    if (!name || format == fmtGIF) return PXERR_UNSUPPORTED;
    const bool grey = bits == 8;
    QImage image(layout.Width, layout.Height, grey ? QImage::Format_Grayscale8 : QImage::Format_BGR888);
    if (image.isNull()) return PXERR_NOMEMORY;
    image.setDotsPerMeterX(platform::roundHalfEven(layout.XResolution / 0.0254));
    image.setDotsPerMeterY(platform::roundHalfEven(layout.YResolution / 0.0254));
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(layout.BytesPerLine));
    const int bpp = layout.bytesPerPixel();
    StatusReporter status(layout.Height);
    for (int y = 0; y < layout.Height; ++y) {
        const std::uint8_t* s = rows(y, scratch.data());
        if (!s) return PXERR_ABORTED;
        std::uint8_t* d = image.scanLine(y);
        if (bpp == 4) {
            for (int x = 0; x < layout.Width; ++x, s += 4, d += 3) { d[0] = s[0]; d[1] = s[1]; d[2] = s[2]; }
        } else if (bpp == 1 && !grey) {
            for (int x = 0; x < layout.Width; ++x, ++s, d += 3) { d[0] = s[0]; d[1] = s[0]; d[2] = s[0]; }
        } else {
            std::memcpy(d, s, static_cast<std::size_t>(layout.Width) * bpp);
        }
        if (!status.update(y + 1)) return PXERR_ABORTED;
    }
    QImageWriter writer(out, name);
    return writer.write(image) ? PX_SUCCESS : PXERR_WRITE;
}

// ---- GIF frames as their bytes arrive ----

namespace {

// The bytes of a feed as a device that grows while it is read: a reader that reached the end
// reads on from there once more bytes are in. Until the feed has ended the device is never at its
// end: Qt's GIF reader gives a frame it could not finish as a whole one when its device is at the
// end, which for a feed would only mean that the rest of the frame has not come yet.
class GrowingBytes : public QIODevice {
public:
    explicit GrowingBytes(const QByteArray* data) : data_(data) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    qint64 size() const override { return data_->size(); }
    bool atEnd() const override { return ended_ && QIODevice::atEnd(); }
    void end() { ended_ = true; }
    bool ended() const { return ended_; }
    // Every byte that is in has been read.
    bool caughtUp() const { return pos() >= size(); }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = std::min(max, static_cast<qint64>(data_->size()) - pos());
        if (n <= 0) return 0;
        std::memcpy(out, data_->constData() + pos(), static_cast<std::size_t>(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray* data_;
    bool ended_ = false;
};

// Frames are read by Qt's reader, each once all of its bytes are in, so they come out exactly as
// a load of the whole file gives them.
class GifFeed final : public FeedDecoder {
public:
    GifFeed(PageSink& sink, const PxLoadOptions& options) : sink_(sink), first_(std::max(1, options.Page)) {}

    bool more(const QByteArray& data) override
    {
        if (!over() && start(data)) {
            walk(data);
            while (!over() && index_ < complete_) {
                // As a whole load asks after each frame whether another follows, once the next
                // frame is all in, so that the answer is the one the whole file gives.
                if (asked_ < index_) {
                    asked_ = index_;
                    if (!reader_->canRead()) {
                        finish(endResult());
                        break;
                    }
                }
                if (!readFrame()) break;
            }
            // The trailer after the last frame: nothing more comes.
            if (!over() && trailer_ && index_ == complete_ && index_ >= first_) finish(PX_SUCCESS);
        }
        return !over();
    }

    void end(const QByteArray& data) override
    {
        if (over()) return;
        if (!start(data)) {
            finish(PXERR_BADFORMAT);
            return;
        }
        device_->end();
        // As a load of the whole file: every frame the blocks hold, the last one as far as it goes.
        PxFileInfo whole;
        walkGif(data, &whole);
        const int pages = std::max(1, whole.Pages);
        header_.Delays = whole.Delays;
        if (first_ > pages) {
            finish(-310); // "Page not found"
            return;
        }
        while (!over() && index_ < pages) {
            if (asked_ < index_) {
                asked_ = index_;
                if (!reader_->canRead()) break;
            }
            readFrame();
        }
        if (!over()) finish(endResult());
    }

private:
    int endResult() const { return index_ < first_ ? -310 : PX_SUCCESS; }

    // Sets up once the header and its palette are in; false until then.
    bool start(const QByteArray& data)
    {
        if (reader_) return true;
        const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
        if (data.size() < 13) return false;
        const qsizetype blocks = 13 + ((p[10] & 0x80) ? 3 * (2 << (p[10] & 7)) : 0);
        if (data.size() < blocks) return false;
        const int width = p[6] | (p[7] << 8), height = p[8] | (p[9] << 8);
        if (width > 0 && height > 0 && !sizeAllowed(width, height, 32)) {
            finish(PXERR_NOMEMORY);
            return false;
        }
        walkGif(data.left(blocks), &header_);
        pos_ = blocks;
        allowLargeImages();
        device_ = std::make_unique<GrowingBytes>(&data);
        reader_ = std::make_unique<QImageReader>(device_.get(), "gif");
        reader_->setAutoTransform(false);
        return true;
    }

    // Counts the frames whose blocks are all in, from where the last look ended.
    void walk(const QByteArray& data)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
        const qsizetype n = data.size();
        while (!trailer_ && pos_ < n) {
            qsizetype at = pos_;
            const int kind = p[at++];
            if (kind == 0x21) {
                if (at >= n) return;
                const int label = p[at++];
                const bool control = label == 0xF9 && at + 5 < n && p[at] >= 4;
                const int delay = control ? (p[at + 2] | (p[at + 3] << 8)) * 10 : 0;
                if (!skipGifSubBlocks(p, n, at)) return;
                if (control) pendingDelay_ = delay;
            } else if (kind == 0x2C) {
                if (at + 9 > n) return;
                const int f = p[at + 8];
                at += 9;
                if (f & 0x80) at += 3 * (2 << (f & 7));
                at += 1; // code size
                if (at > n || !skipGifSubBlocks(p, n, at)) return;
                header_.Delays.push_back(pendingDelay_);
                pendingDelay_ = 0;
                ++complete_;
            } else {
                trailer_ = true; // the trailer, or bytes no reader takes for a block
                return;
            }
            pos_ = at;
        }
    }

    // False when the frame goes on in bytes still to come (the reader keeps what it has and goes on
    // at the next call), true when it was read or the feed is over.
    bool readFrame()
    {
        QImage image;
        if (!reader_->read(&image) || image.isNull()) {
            // The bytes the walk took for the whole frame were not all of it to the reader (damaged
            // data in the frame): wait for more, as a load of the whole file reads on.
            if (!device_->ended() && device_->caughtUp()) return false;
            // A damaged frame after good ones ends the animation there.
            finish(sink_.pagesDelivered() > 0 ? PX_SUCCESS : readerError(*reader_, true));
            return true;
        }
        const int index = index_++;
        if (index + 1 < first_) return true; // frames build on each other: read, then skip
        const int r = deliverQtPage(std::move(image), fmtGIF, index, header_, sink_);
        if (r != PX_SUCCESS) finish(r);
        return true;
    }

    PageSink& sink_;
    int first_;
    PxFileInfo header_; // background colour, and the delays of the frames walked so far
    std::unique_ptr<GrowingBytes> device_;
    std::unique_ptr<QImageReader> reader_;
    qsizetype pos_ = 0;
    int pendingDelay_ = 0;
    int complete_ = 0;
    int index_ = 0;
    int asked_ = 0; // frames read after which the reader was asked whether another follows
    bool trailer_ = false;
};

} // namespace

std::unique_ptr<FeedDecoder> gifFeedDecoder(PageSink& sink, const PxLoadOptions& options)
{
    return std::make_unique<GifFeed>(sink, options);
}

} // namespace detail

using namespace detail;

// Files larger than this are not read.
constexpr qint64 kMaxFileBytes = maxPictureBytes;

int PX_FileInfoMemory(const QByteArray& data, PxFileInfo* info, int page)
{
    if (!info) return PXERR_BADPARAM;
    const int format = sniffFormat(data);
    if (format == fmtUnknown) return PXERR_BADFORMAT;
    if (format == fmtJPEG) {
        const int r = jpegInfo(data, info);
        if (r == PX_SUCCESS && page > 1) return -310; // "Page not found"
        return r;
    }
    return qtInfo(data, format, info, std::max(1, page));
}

namespace {

int readWholeFile(const QString& fileName, QByteArray* data)
{
    if (fileName.isEmpty()) return PXERR_BADFILENAME;
    if (!platform::fileExists(fileName)) return PXERR_FILENOTFOUND;
    if (!platform::isRegularFile(fileName)) return PXERR_OPEN; // a pipe or a device is no picture
    const qint64 size = platform::fileSize(fileName);
    if (size > kMaxFileBytes) return PXERR_NOMEMORY;
    auto bytes = platform::readFile(fileName, kMaxFileBytes);
    if (!bytes) return PXERR_READ;
    *data = std::move(*bytes);
    return PX_SUCCESS;
}

} // namespace

int PX_FileInfo(const QString& fileName, PxFileInfo* info, int page)
{
    QByteArray data;
    const int r = readWholeFile(fileName, &data);
    if (r != PX_SUCCESS) return r;
    return PX_FileInfoMemory(data, info, page);
}

namespace {

PxLoadInfoCallback& loadInfoCallback()
{
    static thread_local PxLoadInfoCallback callback; // one per thread, as the status callback
    return callback;
}

} // namespace

PxLoadInfoCallback PX_SetLoadInfoCallback(PxLoadInfoCallback callback)
{
    PxLoadInfoCallback previous = std::move(loadInfoCallback());
    loadInfoCallback() = std::move(callback);
    return previous;
}

namespace detail {

LoadResolution askLoadInfo(const PxFileInfo& header, int page)
{
    LoadResolution resolution;
    if (!loadInfoCallback()) return resolution;
    PxLoadInfo li{header.Format, header.Width, header.Height, header.BitsPerPixel, header.XResolution,
                  header.YResolution, header.Pages, page};
    const PxLoadInfoCallback cb = loadInfoCallback();
    if (cb(&li) == PX_SUCCESS) resolution = {li.XResolution, li.YResolution};
    return resolution;
}

void setResolution(const LoadResolution& resolution, SdkBitmapListHandle list, int from, SdkBitmapHandle* bitmap)
{
    auto give = [&resolution](SdkBitmapHandle& b) {
        if (resolution.x > 0) b.XResolution = resolution.x;
        if (resolution.y > 0) b.YResolution = resolution.y;
    };
    if (list)
        for (std::size_t i = static_cast<std::size_t>(std::max(0, from)); i < list->items.size(); ++i) give(list->items[i]);
    if (bitmap && bitmap->allocated()) give(*bitmap);
}

} // namespace detail

int PX_LoadMemory(const QByteArray& data, SdkBitmapHandle* bitmap, int bits, SdkBitmapListHandle list,
                  const PxLoadOptions& options, const PxLoadCallback& callback, PxFileInfo* info)
{
    if (bits == 0) bits = 24;
    if (bits != 8 && bits != 24 && bits != 32) return PXERR_BADBITS;
    if (options.MaxPages == 0) return PX_SUCCESS;
    PxFileInfo header;
    int r = PX_FileInfoMemory(data, &header, std::max(1, options.Page));
    if (r != PX_SUCCESS) return r;
    if (!sizeAllowed(header.Width, header.Height, 24)) return PXERR_NOMEMORY;
    if (info) *info = header;
    const LoadResolution resolution = askLoadInfo(header, std::max(1, options.Page));
    PageSink sink(bits, list, callback, options.MaxPages);
    BmpLayout bmp;
    if (header.Format == fmtJPEG) r = jpegDecode(data, sink, options);
    else if (header.Format == fmtBMP && bits != 8 && plainBmp(data, &bmp)) r = bmpDecode(data, bmp, sink);
    else if (const int factor = header.Format == fmtPNG && options.MaxPages != 0 ? pngReduction(data, options, bits) : 1; factor > 1)
        r = pngDecodeReduced(data, sink, factor);
    else r = qtDecode(data, header.Format, sink, options);
    if (r == PX_SUCCESS || r == PXERR_STOPPED) setResolution(resolution, list, sink.firstIndex(), nullptr);
    r = sink.finish(r, bitmap);
    if (r == PX_SUCCESS || r == PXERR_STOPPED) setResolution(resolution, nullptr, 0, bitmap);
    return r;
}

int PX_LoadFile(const QString& fileName, SdkBitmapHandle* bitmap, int bits, SdkBitmapListHandle list,
                const PxLoadOptions& options, const PxLoadCallback& callback, PxFileInfo* info)
{
    QByteArray data;
    const int r = readWholeFile(fileName, &data);
    if (r != PX_SUCCESS) return r;
    return PX_LoadMemory(data, bitmap, bits, list, options, callback, info);
}

namespace {

// Working memory libjpeg is given for one picture (jpeg.cpp sets the same limit).
constexpr std::int64_t kJpegDecoderBytes = std::int64_t(1) << 30;

// The side of a JPEG decoded at the smallest reduction (1/8, 1/4, 1/2) that still covers the
// wanted size, as the decoder chooses it.
int jpegScale(std::int64_t width, std::int64_t height, const PxLoadOptions& options)
{
    if (options.ReduceWidth <= 0 && options.ReduceHeight <= 0) return 1;
    for (int denom : {8, 4, 2})
        if ((width + denom - 1) / denom >= options.ReduceWidth && (height + denom - 1) / denom >= options.ReduceHeight)
            return denom;
    return 1;
}

} // namespace

std::int64_t PX_LoadMemoryCost(const QByteArray& data, int bits, const PxLoadOptions& options)
{
    if (bits == 0) bits = 24;
    PxFileInfo header;
    if (PX_FileInfoMemory(data, &header, std::max(1, options.Page)) != PX_SUCCESS) return -1;
    const std::int64_t w = header.Width, h = header.Height;
    if (w <= 0 || h <= 0) return -1;
    const int outBytes = std::max(1, bits / 8);
    constexpr std::int64_t slack = std::int64_t(4) << 20; // tables, row buffers, the thumbnail itself
    if (header.Format == fmtJPEG) {
        const int scale = jpegScale(w, h, options);
        const std::int64_t ow = (w + scale - 1) / scale, oh = (h + scale - 1) / scale;
        std::int64_t decoder = w * 3 * 16 * 2; // a band of rows at most
        // A progressive file keeps the coefficients of every block until its last scan.
        if (header.Progressive) decoder = std::min(kJpegDecoderBytes, w * h * std::max(1, header.BitsPerPixel / 8) * 2);
        return bytesPerLineFor(ow, bits) * oh + decoder + slack;
    }
    if (header.Format == fmtPNG) {
        if (const int k = pngReduction(data, options, bits); k > 1) {
            const std::int64_t ow = (w + k - 1) / k, oh = (h + k - 1) / k;
            return bytesPerLineFor(ow, bits) * oh + w * 8 * 2 + slack;
        }
    }
    BmpLayout bmp;
    if (header.Format == fmtBMP && bits != 8 && plainBmp(data, &bmp)) return bytesPerLineFor(w, bits) * h + slack;
    // The general reader: its own picture (8 bytes a pixel for 16-bit channels, else 4), the
    // page, the converted copy between them; a GIF also keeps the frame it builds on and a
    // copy for its transparency.
    const std::int64_t reader = header.BitsPerPixel > 32 ? 8 : 4;
    const std::int64_t extra = header.Format == fmtGIF ? 8 : 0;
    const int frames = header.Format == fmtGIF || header.Format == fmtTIFF
                           ? (options.MaxPages < 0 ? std::max(1, header.Pages) : std::max(1, options.MaxPages))
                           : 1;
    const std::int64_t page = bytesPerLineFor(w, bits) * h;
    const std::int64_t pages = std::min<std::int64_t>(maxBytesPerLoad, page * std::min(frames, maxPagesPerLoad));
    return w * h * (reader + std::int64_t(outBytes) + extra) + pages + slack;
}

int jpegQualityOfFactor(int qfactor)
{
    if (qfactor < 1 || qfactor > 255) return 0;
    return std::max(5, 100 - qfactor);
}

namespace detail {

int checkSave(const SdkBitmapHandle* bitmap, int format, int& bits, int qfactor, const PxSaveOptions& options)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (options.Count < 1) return PXERR_BADPARAM;
    if (bits == 0) bits = bitmap->BitsPerPixel == 8 ? 8 : 24;
    if (format == fmtJPEG || format == fmtJPEGFrame) {
        if (bits != 8 && bits != 24) return PXERR_BADBITS;
        if (jpegQualityOfFactor(qfactor) == 0) return PXERR_QFACTOR;
        return PX_SUCCESS;
    }
    if (format == fmtBMP || format == fmtPNG || format == fmtTIFF || format == fmtCompressed) {
        if (bits != 24 && !(bits == 8 && bitmap->BitsPerPixel == 8)) return PXERR_BADBITS; // no grey from colour
        return PX_SUCCESS;
    }
    if (format == fmtGIF) {
        if (bits != 8 && bits != 24) return PXERR_BADBITS;
        return PX_SUCCESS;
    }
    return PXERR_BADFORMAT;
}

int writeReplacing(const QString& fileName, const std::function<int(QIODevice*)>& write)
{
    if (fileName.isEmpty()) return PXERR_BADFILENAME;
    platform::ReplacingWriter writer(fileName);
    if (!writer.open()) return PXERR_OPEN;
    const int r = write(writer.device());
    if (r != PX_SUCCESS) {
        writer.cancel();
        return r;
    }
    return writer.commit() ? PX_SUCCESS : PXERR_WRITE;
}

} // namespace detail

namespace {

bool frameSized(const SdkBitmapHandle& bitmap)
{
    return bitmap.Width == frameFormatWidth && bitmap.Height == frameFormatHeight;
}

int encode(QIODevice* out, const SdkBitmapHandle& bitmap, int format, int bits, int qfactor, const RowFetch& rows,
           const PxSaveOptions& options)
{
    if (format == fmtJPEG || format == fmtJPEGFrame)
        return jpegEncode(out, bitmap, rows, bits, jpegQualityOfFactor(qfactor), options);
    if (format == fmtBMP && bits == 24) return bmpEncode(out, bitmap, rows);
    if (format == fmtGIF) {
        // The palette is chosen from the whole picture, so the rows are gathered first.
        SdkBitmapHandle whole;
        int r = allocateUninitialised(whole, bitmap.Width, bitmap.Height, bitmap.BitsPerPixel);
        if (r != PX_SUCCESS) return r;
        whole.Flags |= bitmap.Flags & bfTransparent;
        whole.TransparentColor = bitmap.TransparentColor;
        whole.Delay = bitmap.Delay;
        std::vector<std::uint8_t> scratch(static_cast<std::size_t>(bitmap.BytesPerLine));
        for (int y = 0; y < bitmap.Height; ++y) {
            const std::uint8_t* s = rows(y, scratch.data());
            if (!s) return PXERR_ABORTED;
            std::memcpy(whole.row(y), s, static_cast<std::size_t>(bitmap.BytesPerLine));
        }
        return gifEncode(out, {&whole}, options.LoopCount);
    }
    return qtEncode(out, bitmap, rows, format, bits);
}

int saveThrough(const QString& fileName, const SdkBitmapHandle& bitmap, int format, int bits, int qfactor,
                const RowFetch& rows, const PxSaveOptions& options)
{
    return writeReplacing(fileName, [&](QIODevice* out) { return encode(out, bitmap, format, bits, qfactor, rows, options); });
}

RowFetch bitmapRows(const SdkBitmapHandle& bitmap)
{
    return [&bitmap](int y, std::uint8_t*) -> const std::uint8_t* { return bitmap.row(y); };
}

// The picture a frame-format file holds: the bitmap itself when it has the size, else a copy
// resampled to it (in resized).
int frameSource(const SdkBitmapHandle* bitmap, SdkBitmapHandle& resized, const SdkBitmapHandle*& source)
{
    source = bitmap;
    if (frameSized(*bitmap)) return PX_SUCCESS;
    int r = PX_CopyBitmap(&resized, bitmap);
    if (r == PX_SUCCESS) r = PX_SizeBitmap(&resized, frameFormatWidth, frameFormatHeight, sizeFiltered);
    if (r == PX_SUCCESS) source = &resized;
    return r;
}

} // namespace

int PX_SaveBitmap(const QString& fileName, const SdkBitmapHandle* bitmap, int format, int bits, int qfactor,
                  const PxSaveOptions& options)
{
    int r = checkSave(bitmap, format, bits, qfactor, options);
    if (r != PX_SUCCESS) return r;
    if (format == fmtJPEGFrame) {
        SdkBitmapHandle resized;
        const SdkBitmapHandle* source = nullptr;
        r = frameSource(bitmap, resized, source);
        if (r != PX_SUCCESS) return r;
        return saveThrough(fileName, *source, format, bits, qfactor, bitmapRows(*source), options);
    }
    return saveThrough(fileName, *bitmap, format, bits, qfactor, bitmapRows(*bitmap), options);
}

int PX_SaveBitmapList(const QString& fileName, SdkBitmapListHandle list, int format, int bits, int qfactor,
                      const PxSaveOptions& options)
{
    if (!list || list->items.empty()) return PXERR_BADPARAM;
    if (format == fmtGIF && list->items.size() > 1) {
        int r = PX_SUCCESS;
        std::vector<const SdkBitmapHandle*> frames;
        for (const SdkBitmapHandle& item : list->items) {
            int itemBits = bits;
            r = checkSave(&item, format, itemBits, qfactor, options);
            if (r != PX_SUCCESS) return r;
            frames.push_back(&item);
        }
        return writeReplacing(fileName, [&](QIODevice* out) { return gifEncode(out, frames, options.LoopCount); });
    }
    if (list->items.size() > 1) return PXERR_UNSUPPORTED;
    return PX_SaveBitmap(fileName, &list->items.front(), format, bits, qfactor, options);
}

int PX_SaveMemory(QByteArray* out, const SdkBitmapHandle* bitmap, int format, int bits, int qfactor,
                  const PxSaveOptions& options)
{
    if (!out) return PXERR_BADPARAM;
    int r = checkSave(bitmap, format, bits, qfactor, options);
    if (r != PX_SUCCESS) return r;
    SdkBitmapHandle resized;
    const SdkBitmapHandle* source = bitmap;
    if (format == fmtJPEGFrame) {
        r = frameSource(bitmap, resized, source);
        if (r != PX_SUCCESS) return r;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const int e = encode(&buffer, *source, format, bits, qfactor, bitmapRows(*source), options);
    if (e == PX_SUCCESS) *out = std::move(bytes);
    return e;
}

int PX_SaveFile(const QString& fileName, const SdkBitmapHandle* bitmap, int format, int bits, int qfactor,
                const PxRowCallback& rowSource, const PxSaveOptions& options)
{
    if (!rowSource) return PXERR_BADPARAM;
    const int r = checkSave(bitmap, format, bits, qfactor, options);
    if (r != PX_SUCCESS) return r;
    if (format == fmtJPEGFrame && !frameSized(*bitmap)) return PXERR_BADSIZE;
    const int bytes = bitmap->BytesPerLine;
    RowFetch rows = [&rowSource, bytes](int y, std::uint8_t* scratch) -> const std::uint8_t* {
        return rowSource(y, scratch, bytes) == PX_SUCCESS ? scratch : nullptr;
    };
    return saveThrough(fileName, *bitmap, format, bits, qfactor, rows, options);
}

} // namespace sdk
