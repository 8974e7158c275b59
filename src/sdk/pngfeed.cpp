// PNG pictures as their bytes arrive, through libpng's progressive reader. The rows come out in
// the layout Qt's reader gives the same file (the same libpng transforms, the same QImage format
// and colour table) and go through the same conversion to the page, so the page is the one a load
// of the whole file gives.
#include "sdk/codecs.h"

#include <QColorSpace>
#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <png.h>

namespace sdk::detail {

namespace {

constexpr int kBandRows = 64;

class PngFeed final : public FeedDecoder {
public:
    explicit PngFeed(PageSink& sink) : sink_(sink)
    {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, errorExit, ignoreWarning);
        if (png_) info_ = png_create_info_struct(png_);
        if (!png_ || !info_) {
            finish(PXERR_NOMEMORY);
            return;
        }
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_MAXIMUM_INFLATE_WINDOW)
        // As Qt's reader: files whose compression window is larger than they declare still read.
        png_set_option(png_, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#endif
        png_set_progressive_read_fn(png_, this, headerRead, rowRead, endRead);
    }
    ~PngFeed() override { png_destroy_read_struct(&png_, &info_, nullptr); }
    PngFeed(const PngFeed&) = delete;
    PngFeed& operator=(const PngFeed&) = delete;

    bool more(const QByteArray& data) override
    {
        if (!over()) process(data);
        return !over();
    }

    void end(const QByteArray& data) override
    {
        if (over()) return;
        process(data);
        // A file that ends before its end chunk is refused, as a load of it is.
        if (!over()) finish(pageStarted_ ? PXERR_READ : PXERR_BADFORMAT);
    }

private:
    [[noreturn]] static void errorExit(png_structp png, png_const_charp) { png_longjmp(png, 1); }
    static void ignoreWarning(png_structp, png_const_charp) {}
    static PngFeed* self(png_structp png) { return static_cast<PngFeed*>(png_get_progressive_ptr(png)); }

    void process(const QByteArray& data)
    {
        const qsizetype from = fed_;
        fed_ = data.size();
        if (fed_ == from) return;
        if (setjmp(png_jmpbuf(png_))) {
            finish(failure_ != PX_SUCCESS ? failure_ : pageStarted_ ? PXERR_READ : PXERR_BADFORMAT);
            return;
        }
        // libpng reads the bytes only.
        auto* bytes = reinterpret_cast<png_bytep>(const_cast<char*>(data.constData()));
        png_process_data(png_, info_, bytes + from, static_cast<std::size_t>(fed_ - from));
        if (failure_ != PX_SUCCESS && !over()) finish(failure_);
    }

    // Stops the reading for good with this result.
    void fail(int result)
    {
        failure_ = result;
        png_process_data_pause(png_, 0);
    }

    static void headerRead(png_structp png, png_infop info) { self(png)->setUp(info); }

    // The transforms and the image format Qt's reader chooses for the file, so the samples come
    // out as its image holds them.
    void setUp(png_infop info)
    {
        png_uint_32 width = 0, height = 0;
        int depth = 0, colorType = 0, interlace = PNG_INTERLACE_NONE;
        png_get_IHDR(png_, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
        if (width == 0 || height == 0) return fail(PXERR_BADSIZE);
        if (!sizeAllowed(width, height, 32)) return fail(PXERR_NOMEMORY);
        const bool hasTrns = png_get_valid(png_, info, PNG_INFO_tRNS) != 0;
        png_bytep transAlpha = nullptr;
        png_color_16p transColor = nullptr;
        int transCount = 0;
        png_colorp palette = nullptr;
        int paletteCount = 0;
        constexpr bool little = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
        passes_ = png_set_interlace_handling(png_);
        std::vector<QRgb> colors;
        if (colorType == PNG_COLOR_TYPE_GRAY) {
            if (depth == 1) {
                png_set_invert_mono(png_);
                format_ = QImage::Format_Mono;
                colors = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
                if (png_get_tRNS(png_, info, &transAlpha, &transCount, &transColor) && transColor) {
                    if (transColor->gray == 0) colors[1] = qRgba(0, 0, 0, 0);
                    else if (transColor->gray == 1) colors[0] = qRgba(255, 255, 255, 0);
                }
            } else if (depth == 16 && !hasTrns) {
                format_ = QImage::Format_Grayscale16;
                if (little) png_set_swap(png_);
            } else if (depth == 16) {
                png_set_expand(png_);
                png_set_gray_to_rgb(png_);
                format_ = QImage::Format_RGBA64;
                if (little) png_set_swap(png_);
            } else if (depth == 8 && !hasTrns) {
                png_set_expand(png_);
                format_ = QImage::Format_Grayscale8;
            } else {
                if (depth < 8) png_set_packing(png_);
                const int count = depth < 8 ? 1 << depth : 256;
                format_ = QImage::Format_Indexed8;
                for (int i = 0; i < count; ++i) {
                    const int c = i * 255 / (count - 1);
                    colors.push_back(qRgba(c, c, c, 0xFF));
                }
                if (png_get_tRNS(png_, info, &transAlpha, &transCount, &transColor) && transColor &&
                    transColor->gray < count)
                    colors[transColor->gray] = 0;
            }
        } else if (colorType == PNG_COLOR_TYPE_PALETTE && png_get_PLTE(png_, info, &palette, &paletteCount) &&
                   paletteCount <= 256) {
            if (depth != 1) png_set_packing(png_);
            format_ = depth == 1 ? QImage::Format_Mono : QImage::Format_Indexed8;
            colors.assign(format_ == QImage::Format_Mono ? 2 : static_cast<std::size_t>(paletteCount), 0);
            // Entries a one-bit picture cannot use are left out, as Qt's reader leaves them.
            const int entries = std::min(paletteCount, static_cast<int>(colors.size()));
            int i = 0;
            if (png_get_tRNS(png_, info, &transAlpha, &transCount, &transColor) && transAlpha) {
                for (; i < std::min(transCount, entries); ++i)
                    colors[static_cast<std::size_t>(i)] = qRgba(palette[i].red, palette[i].green, palette[i].blue, transAlpha[i]);
            }
            for (; i < entries; ++i)
                colors[static_cast<std::size_t>(i)] = qRgba(palette[i].red, palette[i].green, palette[i].blue, 0xFF);
            checkIndices_ = format_ == QImage::Format_Indexed8;
            if (little) png_set_bgr(png_);
        } else if (depth == 16) {
            format_ = QImage::Format_RGBA64;
            if (!(colorType & PNG_COLOR_MASK_ALPHA) && !hasTrns) {
                png_set_filler(png_, 0xFFFF, PNG_FILLER_AFTER);
                format_ = QImage::Format_RGBX64;
            }
            if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png_);
            if (little) png_set_swap(png_);
        } else {
            png_set_expand(png_);
            if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png_);
            format_ = QImage::Format_ARGB32;
            if (!(colorType & PNG_COLOR_MASK_ALPHA) && !hasTrns) {
                png_set_filler(png_, 0xFF, little ? PNG_FILLER_AFTER : PNG_FILLER_BEFORE);
                format_ = QImage::Format_RGB32;
            }
            if (!little) png_set_swap_alpha(png_);
            if (little) png_set_bgr(png_);
        }
        png_read_update_info(png_, info);
        colorSpace_ = colorSpaceOf(info);
        rowBytes_ = png_get_rowbytes(png_, info);
        width_ = static_cast<int>(width);
        height_ = static_cast<int>(height);
        interlaced_ = passes_ > 1;
        // All rows of an interlaced picture are filled pass by pass; a plain one a band at a time.
        work_ = QImage(width_, interlaced_ ? height_ : std::min(kBandRows, height_), format_);
        if (work_.isNull()) return fail(PXERR_NOMEMORY);
        work_.fill(0);
        if (!colors.empty()) work_.setColorTable(QList<QRgb>(colors.begin(), colors.end()));
        // The colour space matters where the page's depth asks for a conversion to grey.
        if (colorSpace_.isValid()) work_.setColorSpace(colorSpace_);
        const int r = sink_.beginPage(width_, height_, dpiOfDotsPerMetre(static_cast<int>(png_get_x_pixels_per_meter(png_, info))),
                                      dpiOfDotsPerMetre(static_cast<int>(png_get_y_pixels_per_meter(png_, info))));
        if (r != PX_SUCCESS) return fail(r);
        pageStarted_ = true;
    }

    // The colour space Qt's reader gives the picture: an ICC profile first, then the sRGB mark,
    // then the gamma (with the chromaticities when they are there).
    QColorSpace colorSpaceOf(png_infop info) const
    {
#ifdef PNG_iCCP_SUPPORTED
        if (png_get_valid(png_, info, PNG_INFO_iCCP)) {
            png_charp name = nullptr;
            int compression = 0;
            png_bytep profile = nullptr;
            png_uint_32 length = 0;
            png_get_iCCP(png_, info, &name, &compression, &profile, &length);
            const QColorSpace icc = QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char*>(profile), static_cast<qsizetype>(length)));
            if (icc.isValid()) return icc;
        }
#endif
        if (png_get_valid(png_, info, PNG_INFO_sRGB)) {
            int intent = -1;
            png_get_sRGB(png_, info, &intent);
            if (intent >= 0 && intent <= 3) return QColorSpace(QColorSpace::SRgb);
        }
        double fileGamma = 0.0;
        if (!png_get_valid(png_, info, PNG_INFO_gAMA) || !png_get_gAMA(png_, info, &fileGamma) || fileGamma <= 0.0) return {};
        const float gamma = 1.0f / static_cast<float>(fileGamma);
        if (png_get_valid(png_, info, PNG_INFO_cHRM)) {
            double wx = 0, wy = 0, rx = 0, ry = 0, gx = 0, gy = 0, bx = 0, by = 0;
            png_get_cHRM(png_, info, &wx, &wy, &rx, &ry, &gx, &gy, &bx, &by);
            const QColorSpace chromatic(QPointF(wx, wy), QPointF(rx, ry), QPointF(gx, gy), QPointF(bx, by),
                                        QColorSpace::TransferFunction::Gamma, gamma);
            if (chromatic.isValid()) return chromatic;
        }
        return QColorSpace(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Gamma, gamma);
    }

    static void rowRead(png_structp png, png_bytep row, png_uint_32 rowNumber, int pass)
    {
        self(png)->takeRow(row, static_cast<int>(rowNumber), pass);
    }

    void takeRow(png_bytep row, int y, int pass)
    {
        if (failure_ != PX_SUCCESS || !pageStarted_ || y < 0 || y >= height_) return;
        const std::size_t bytes = std::min<std::size_t>(rowBytes_, static_cast<std::size_t>(work_.bytesPerLine()));
        if (interlaced_) {
            // A pass is over when the next one begins: the picture so far is shown whole.
            if (pass != pass_) {
                if (pass_ >= 0 && !showPage(false)) return;
                pass_ = pass;
            }
            if (row) png_progressive_combine_row(png_, work_.scanLine(y), row);
            return;
        }
        if (!row) return;
        std::memcpy(work_.scanLine(y - bandStart_), row, bytes);
        if (y - bandStart_ + 1 == work_.height() || y + 1 == height_) {
            const int rows = y - bandStart_ + 1;
            if (!convert(0, bandStart_, rows) || !band(bandStart_, rows, bandFirstPass | bandLastPass)) return;
            bandStart_ = y + 1;
        }
    }

    static void endRead(png_structp png, png_infop) { self(png)->endOfFile(); }

    void endOfFile()
    {
        if (failure_ != PX_SUCCESS || !pageStarted_) return;
        if (interlaced_ && !showPage(true)) return;
        if (!interlaced_ && bandStart_ < height_) return fail(PXERR_READ);
        const int r = sink_.endPage();
        finish(r);
        png_process_data_pause(png_, 0);
    }

    // The whole page as the passes so far left it.
    bool showPage(bool last)
    {
        const int flags = (shownPasses_ == 0 ? bandFirstPass : 0) | (last ? bandLastPass : 0);
        ++shownPasses_;
        return convert(0, 0, height_) && band(0, height_, flags);
    }

    // Rows [from, from + rows) of the work image into the page from row to on.
    bool convert(int from, int to, int rows)
    {
        QImage part = interlaced_ ? work_ : work_.copy(0, from, width_, rows);
        if (checkIndices_) {
            // As Qt's reader: a palette index past the palette shows its first colour.
            const int count = part.colorCount();
            for (int y = 0; y < rows; ++y) {
                uchar* p = part.scanLine(y);
                for (int x = 0; x < width_; ++x)
                    if (p[x] >= count) p[x] = 0;
            }
        }
        const QImage converted = part.convertToFormat(qtFormatForBits(sink_.bits()));
        if (converted.isNull()) {
            fail(PXERR_NOMEMORY);
            return false;
        }
        SdkBitmapHandle& page = sink_.page();
        const std::size_t used = static_cast<std::size_t>(page.Width) * page.bytesPerPixel();
        for (int y = 0; y < rows; ++y) {
            std::uint8_t* d = page.row(to + y);
            std::memcpy(d, converted.constScanLine(y), used);
            std::memset(d + used, 0, static_cast<std::size_t>(page.BytesPerLine) - used);
        }
        return true;
    }

    bool band(int first, int rows, int flags)
    {
        const int r = sink_.band(first, rows, flags);
        if (r == PX_SUCCESS) return true;
        fail(r);
        return false;
    }

    PageSink& sink_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    qsizetype fed_ = 0;
    int failure_ = PX_SUCCESS;
    QImage::Format format_ = QImage::Format_Invalid;
    QImage work_;
    QColorSpace colorSpace_;
    std::size_t rowBytes_ = 0;
    int width_ = 0;
    int height_ = 0;
    int passes_ = 1;
    int pass_ = -1;
    int shownPasses_ = 0;
    int bandStart_ = 0;
    bool interlaced_ = false;
    bool checkIndices_ = false;
    bool pageStarted_ = false;
};

} // namespace

std::unique_ptr<FeedDecoder> pngFeedDecoder(PageSink& sink) { return std::make_unique<PngFeed>(sink); }

} // namespace sdk::detail
