// PNG decoded row by row straight into a reduced size: each output pixel is the mean of a square
// of source pixels, so a picture that is wanted small never exists at its full size in memory.
#include "sdk/codecs.h"

#include "platform/rounding.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace sdk::detail {

namespace {

struct MemoryReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t at = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > source->size - source->at) png_error(png, "truncated");
    std::memcpy(out, source->data + source->at, length);
    source->at += length;
}

void silentWarning(png_structp, png_const_charp) {}

[[noreturn]] void jumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Destroys the reader however the function is left.
struct ReadGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

int dpiOfMeter(png_uint_32 perMeter)
{
    return perMeter > 0 ? std::max(1, platform::roundHalfEven(perMeter * 0.0254)) : 96;
}

} // namespace

int pngReduction(const QByteArray& data, const PxLoadOptions& options, int bits)
{
    if (bits != 24 || (options.ReduceWidth <= 0 && options.ReduceHeight <= 0)) return 1;
    // The header chunk lies at a fixed place: width, height, depth, colour type, ..., interlace.
    if (data.size() < 33) return 1;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    if (std::memcmp(p + 12, "IHDR", 4) != 0) return 1;
    const std::int64_t width = (std::int64_t(p[16]) << 24) | (p[17] << 16) | (p[18] << 8) | p[19];
    const std::int64_t height = (std::int64_t(p[20]) << 24) | (p[21] << 16) | (p[22] << 8) | p[23];
    if (p[28] != 0) return 1; // interlaced: its passes need the whole picture
    if (width <= 0 || height <= 0) return 1;
    const std::int64_t byWidth = options.ReduceWidth > 0 ? width / options.ReduceWidth : height;
    const std::int64_t byHeight = options.ReduceHeight > 0 ? height / options.ReduceHeight : width;
    return int(std::clamp<std::int64_t>(std::min(byWidth, byHeight), 1, 1 << 16));
}

int pngDecodeReduced(const QByteArray& data, PageSink& sink, int factor)
{
    ReadGuard guard;
    guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, silentWarning);
    if (!guard.png) return PXERR_NOMEMORY;
    guard.info = png_create_info_struct(guard.png);
    if (!guard.info) return PXERR_NOMEMORY;
    MemoryReader source{reinterpret_cast<const unsigned char*>(data.constData()), std::size_t(data.size())};
    std::vector<std::uint8_t> row;
    std::vector<std::uint64_t> sums;
    volatile bool started = false;
    if (setjmp(png_jmpbuf(guard.png))) return started ? PXERR_READ : PXERR_BADFORMAT;

    png_set_read_fn(guard.png, &source, readFromMemory);
    png_set_user_limits(guard.png, 0x7FFFFFFF, 0x7FFFFFFF); // the engine judges the size itself
    png_read_info(guard.png, guard.info);
    const png_uint_32 width = png_get_image_width(guard.png, guard.info);
    const png_uint_32 height = png_get_image_height(guard.png, guard.info);
    if (width == 0 || height == 0) return PXERR_BADSIZE;
    if (!sizeAllowed(width, height, 24)) return PXERR_NOMEMORY;
    if (png_get_interlace_type(guard.png, guard.info) != PNG_INTERLACE_NONE) return PXERR_UNSUPPORTED;
    // Every kind of pixel becomes 8-bit blue, green, red; transparency is dropped as the
    // general reader drops it when it makes 24 bits.
    png_set_expand(guard.png);
    png_set_strip_16(guard.png);
    png_set_strip_alpha(guard.png);
    png_set_gray_to_rgb(guard.png);
    png_set_bgr(guard.png);
    png_read_update_info(guard.png, guard.info);
    if (png_get_channels(guard.png, guard.info) != 3 || png_get_rowbytes(guard.png, guard.info) < png_size_t(width) * 3)
        return PXERR_SUBTYPE;

    const int k = std::max(1, factor);
    const int outWidth = int((width + png_uint_32(k) - 1) / png_uint_32(k));
    const int outHeight = int((height + png_uint_32(k) - 1) / png_uint_32(k));
    int r = sink.beginPage(outWidth, outHeight, dpiOfMeter(png_get_x_pixels_per_meter(guard.png, guard.info)),
                           dpiOfMeter(png_get_y_pixels_per_meter(guard.png, guard.info)));
    if (r != PX_SUCCESS) return r;
    started = true;
    row.resize(png_get_rowbytes(guard.png, guard.info));
    sums.assign(std::size_t(outWidth) * 3, 0);
    SdkBitmapHandle& page = sink.page();
    const std::size_t used = std::size_t(outWidth) * 3;
    int rowsInCell = 0;
    int outRow = 0;
    int bandStart = 0;
    constexpr int kBand = 16;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(guard.png, row.data(), nullptr);
        const std::uint8_t* s = row.data();
        for (png_uint_32 x = 0; x < width; ++x, s += 3) {
            std::uint64_t* d = &sums[std::size_t(x / png_uint_32(k)) * 3];
            d[0] += s[0];
            d[1] += s[1];
            d[2] += s[2];
        }
        ++rowsInCell;
        if (rowsInCell < k && y + 1 < height) continue;
        std::uint8_t* out = page.row(outRow);
        for (int ox = 0; ox < outWidth; ++ox) {
            const int cellWidth = std::min<int>(k, int(width) - ox * k);
            const std::uint64_t count = std::uint64_t(cellWidth) * std::uint64_t(rowsInCell);
            for (int c = 0; c < 3; ++c) {
                std::uint64_t& sum = sums[std::size_t(ox) * 3 + std::size_t(c)];
                out[ox * 3 + c] = std::uint8_t((sum + count / 2) / count);
                sum = 0;
            }
        }
        std::memset(out + used, 0, std::size_t(page.BytesPerLine) - used);
        rowsInCell = 0;
        ++outRow;
        if (outRow - bandStart == kBand || outRow == outHeight) {
            r = sink.band(bandStart, outRow - bandStart);
            if (r != PX_SUCCESS) return r;
            bandStart = outRow;
        }
    }
    // What follows the pixels (text, the end marker) adds nothing to the picture.
    return sink.endPage();
}

} // namespace sdk::detail
