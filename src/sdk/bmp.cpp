// BMP files of plain 24-bit rows (the kind the engine writes) read and written row by row,
// straight between the file's bytes and the bitmap. Other kinds (palettes, bit masks, packed
// rows) go through Qt in pictureio.cpp.
#include "sdk/codecs.h"

#include "platform/rounding.h"

#include <QtEndian>

#include <cstring>
#include <limits>
#include <vector>

namespace sdk::detail {

namespace {

constexpr int kFileHeader = 14;
constexpr int kInfoHeader = 40;

std::int64_t u16At(const unsigned char* p) { return qFromLittleEndian<quint16>(p); }
std::int64_t s32At(const unsigned char* p) { return qFromLittleEndian<qint32>(p); }

void put16(std::uint8_t*& d, std::uint32_t v)
{
    qToLittleEndian(quint16(v), d);
    d += 2;
}
void put32(std::uint8_t*& d, std::uint32_t v)
{
    qToLittleEndian(quint32(v), d);
    d += 4;
}

int dpiOfMeter(std::int64_t dotsPerMeter)
{
    return dotsPerMeter > 0 ? std::max(1, platform::roundHalfEven(double(dotsPerMeter) * 0.0254)) : 96;
}

} // namespace

bool plainBmp(const QByteArray& data, BmpLayout* layout)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    if (n < kFileHeader + kInfoHeader || p[0] != 'B' || p[1] != 'M') return false;
    const std::int64_t headerSize = s32At(p + 14);
    // The information header of 40 bytes or one of its longer successors; no palette, no masks.
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124) return false;
    const std::int64_t width = s32At(p + 18);
    const std::int64_t height = s32At(p + 22);
    if (u16At(p + 26) != 1 || u16At(p + 28) != 24 || s32At(p + 30) != 0) return false;
    // Rows from the bottom up (the usual order; a top-down file goes to the general reader).
    if (width <= 0 || height <= 0) return false;
    const std::int64_t rows = height;
    if (!sizeAllowed(width, rows, 24)) return false;
    const std::int64_t offset = std::uint32_t(s32At(p + 10));
    const std::int64_t rowBytes = (width * 3 + 3) / 4 * 4;
    // Every pixel lies inside the file (the padding of the last row may be missing). A file that
    // ends early never gets here: the header check of every BMP load (bmpHoldsItsPixels in
    // pictureio.cpp) refuses it first; this test keeps the reader safe on its own.
    if (offset < kFileHeader + headerSize || offset + rowBytes * (rows - 1) + width * 3 > n) return false;
    layout->width = int(width);
    layout->height = int(rows);
    layout->offset = offset;
    layout->rowBytes = rowBytes;
    layout->xres = dpiOfMeter(s32At(p + 38));
    layout->yres = dpiOfMeter(s32At(p + 42));
    return true;
}

int bmpDecode(const QByteArray& data, const BmpLayout& l, PageSink& sink)
{
    const int bpp = sink.bits() / 8;
    if (bpp != 3 && bpp != 4) return PXERR_BADBITS;
    int r = sink.beginPage(l.width, l.height, l.xres, l.yres);
    if (r != PX_SUCCESS) return r;
    SdkBitmapHandle& page = sink.page();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    const std::size_t used = std::size_t(l.width) * bpp;
    const std::size_t pad = std::size_t(page.BytesPerLine) - used;
    constexpr int kBand = 64;
    for (int y0 = 0; y0 < l.height; y0 += kBand) {
        const int count = std::min(kBand, l.height - y0);
        for (int y = y0; y < y0 + count; ++y) {
            const std::int64_t fileRow = l.height - 1 - y;
            const std::uint8_t* s = bytes + l.offset + fileRow * l.rowBytes;
            std::uint8_t* d = page.row(y);
            if (bpp == 3) {
                std::memcpy(d, s, used);
            } else {
                for (int x = 0; x < l.width; ++x, s += 3, d += 4) {
                    d[0] = s[0];
                    d[1] = s[1];
                    d[2] = s[2];
                    d[3] = 255;
                }
            }
            if (pad) std::memset(page.row(y) + used, 0, pad);
        }
        r = sink.band(y0, count);
        if (r != PX_SUCCESS) return r;
    }
    return sink.endPage();
}

int bmpEncode(QIODevice* out, const SdkBitmapHandle& layout, const RowFetch& rows)
{
    const std::int64_t rowBytes = (std::int64_t(layout.Width) * 3 + 3) / 4 * 4;
    const std::int64_t imageBytes = rowBytes * layout.Height;
    if (kFileHeader + kInfoHeader + imageBytes > std::numeric_limits<std::uint32_t>::max()) return PXERR_NOMEMORY;
    std::uint8_t header[kFileHeader + kInfoHeader];
    std::uint8_t* h = header;
    *h++ = 'B';
    *h++ = 'M';
    put32(h, std::uint32_t(kFileHeader + kInfoHeader + imageBytes));
    put32(h, 0);
    put32(h, kFileHeader + kInfoHeader);
    put32(h, kInfoHeader);
    put32(h, std::uint32_t(layout.Width));
    put32(h, std::uint32_t(layout.Height)); // bottom row first
    put16(h, 1);
    put16(h, 24);
    put32(h, 0); // no compression
    put32(h, std::uint32_t(imageBytes));
    put32(h, std::uint32_t(platform::roundHalfEven(layout.XResolution / 0.0254)));
    put32(h, std::uint32_t(platform::roundHalfEven(layout.YResolution / 0.0254)));
    put32(h, 0);
    put32(h, 0);
    if (out->write(reinterpret_cast<const char*>(header), sizeof header) != qint64(sizeof header)) return PXERR_WRITE;

    // The rows go out from the bottom up; the status counts them in that order.
    std::vector<std::uint8_t> scratch(std::size_t(layout.BytesPerLine));
    std::vector<std::uint8_t> line(std::size_t(rowBytes), 0);
    const int bpp = layout.bytesPerPixel();
    StatusReporter status(layout.Height);
    for (int i = 0; i < layout.Height; ++i) {
        const int y = layout.Height - 1 - i;
        const std::uint8_t* s = rows(y, scratch.data());
        if (!s) return PXERR_ABORTED;
        std::uint8_t* d = line.data();
        if (bpp == 3) {
            std::memcpy(d, s, std::size_t(layout.Width) * 3);
        } else {
            for (int x = 0; x < layout.Width; ++x, s += bpp, d += 3) {
                d[0] = s[0];
                d[1] = bpp == 1 ? s[0] : s[1];
                d[2] = bpp == 1 ? s[0] : s[2];
            }
        }
        if (out->write(reinterpret_cast<const char*>(line.data()), rowBytes) != rowBytes) return PXERR_WRITE;
        if (!status.update(i + 1)) return PXERR_ABORTED;
    }
    return PX_SUCCESS;
}

} // namespace sdk::detail
