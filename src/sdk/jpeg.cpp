// JPEG through libjpeg's IJG interface: header information, decoding in bands (with reduced-size
// decoding on request) and JFIF encoding.
#include "sdk/codecs.h"
#include "sdk/jpegdc.h"
#include "sdk/jpegerrors.h"

#include "platform/rounding.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace sdk::detail {

namespace {

// A progressive file with more scans than this is refused (a file can otherwise keep the decoder
// busy for minutes).
constexpr int kMaxScans = 1000;
// Working memory libjpeg may take for one picture.
constexpr long kMaxDecoderMemory = 1L << 30;

void limitScans(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->progressive_mode && d->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = JERR_BAD_SCAN_SCRIPT;
        jpegErrorExit(cinfo);
    }
}

int densityToDpi(int unit, int density)
{
    if (density <= 0) return 96;
    if (unit == 1) return density;
    if (unit == 2) return platform::roundHalfEven(density * 2.54);
    return 96;
}

// The picture's resolution in dots per inch, as its JFIF header gives it (96 without one).
struct Dpi {
    int x = 96, y = 96;
};
Dpi jfifDpi(const jpeg_decompress_struct& cinfo)
{
    if (!cinfo.saw_JFIF_marker) return {};
    return {densityToDpi(cinfo.density_unit, cinfo.X_density), densityToDpi(cinfo.density_unit, cinfo.Y_density)};
}

// Destroys the decompressor however the function is left.
struct DecompressGuard {
    jpeg_decompress_struct* cinfo;
    ~DecompressGuard() { jpeg_destroy_decompress(cinfo); }
};

// CMYK (or YCCK turned into CMYK by libjpeg) to blue, green, red. Adobe's files store the inks
// inverted, which the marker tells.
void cmykToBGR(const std::uint8_t* cmyk, std::uint8_t* out, int width, int outBpp, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4, out += outBpp) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) { c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k; }
        const int r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
        if (outBpp == 1) {
            out[0] = static_cast<std::uint8_t>((b * 29 + g * 150 + r * 77 + 128) >> 8);
        } else {
            out[0] = static_cast<std::uint8_t>(b);
            out[1] = static_cast<std::uint8_t>(g);
            out[2] = static_cast<std::uint8_t>(r);
            if (outBpp == 4) out[3] = 255;
        }
    }
}

// Decodes the next rows (up to a band of 16) into the page from its output row on, the padding
// of each row cleared; a CMYK picture goes through cmykRow. Gives the rows done: fewer than a band
// may come, none when a suspending source has no more bytes.
int readRowBand(j_decompress_ptr cinfo, SdkBitmapHandle& page, int outBpp, bool inverted, std::vector<std::uint8_t>* cmykRow)
{
    constexpr int kBand = 16;
    const int width = static_cast<int>(cinfo->output_width);
    const int first = static_cast<int>(cinfo->output_scanline);
    const int count = std::min(kBand, static_cast<int>(cinfo->output_height) - first);
    int done = 0;
    if (cmykRow) {
        while (done < count) {
            JSAMPROW one = cmykRow->data();
            if (jpeg_read_scanlines(cinfo, &one, 1) != 1) break;
            cmykToBGR(cmykRow->data(), page.row(first + done), width, outBpp, inverted);
            ++done;
        }
    } else {
        JSAMPROW rows[kBand];
        for (int i = 0; i < count; ++i) rows[i] = page.row(first + i);
        done = static_cast<int>(jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(count)));
    }
    const std::size_t padStart = static_cast<std::size_t>(width) * outBpp;
    const std::size_t pad = static_cast<std::size_t>(page.BytesPerLine) - padStart;
    if (pad) {
        for (int i = 0; i < done; ++i) std::memset(page.row(first + i) + padStart, 0, pad);
    }
    return done;
}

// The stream of a progressive JPEG without the scans of AC coefficients of the given components:
// every other segment and scan with its data. A component decoded at one pixel a block is made of
// its DC coefficients alone, so the picture comes out of this stream unchanged, at a fraction of
// the cost. Empty when the stream is not laid out as expected (it is then decoded whole).
QByteArray withoutAcScans(const QByteArray& data, const std::vector<int>& components)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return {};
    QByteArray out;
    out.reserve(n / 4);
    out.append(data.constData(), 2);
    qsizetype i = 2;
    int kept = 0;
    while (i + 1 < n) {
        if (p[i] != 0xFF) return {};
        const unsigned char marker = p[i + 1];
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0xD9) { // end of image
            out.append("\xFF\xD9", 2);
            return kept > 0 ? out : QByteArray();
        }
        if (i + 3 >= n) return {};
        const qsizetype length = (qsizetype(p[i + 2]) << 8) | p[i + 3];
        if (length < 2 || i + 2 + length > n) return {};
        qsizetype end = i + 2 + length;
        bool keep = true;
        if (marker == 0xDA) {
            // Start of scan: the data runs to the next marker other than a restart marker or a
            // stuffed zero.
            if (length < 6) return {};
            const int count = p[i + 4];
            if (length != 6 + 2 * count) return {};
            const int spectralStart = p[i + 5 + 2 * count];
            // AC scans hold one component each.
            keep = spectralStart == 0 || count != 1 ||
                   std::find(components.begin(), components.end(), int(p[i + 5])) == components.end();
            while (end + 1 < n && !(p[end] == 0xFF && p[end + 1] != 0x00 && !(p[end + 1] >= 0xD0 && p[end + 1] <= 0xD7)))
                ++end;
            if (end + 1 >= n) end = n; // a stream cut short: its last scan runs to the end
            if (spectralStart == 0) ++kept;
        }
        if (keep) out.append(data.constData() + i, end - i);
        i = end;
    }
    // No end marker: the decoder treats the cut stream as it would the whole one.
    return kept > 0 ? out : QByteArray();
}

// YCbCr to blue, green, red in libjpeg's fixed point (16 fraction bits, rounded), so that a
// picture made here is the one libjpeg makes.
struct YccTables {
    int crR[256], cbB[256], crG[256], cbG[256];
    YccTables()
    {
        constexpr int bits = 16;
        constexpr int half = 1 << (bits - 1);
        auto fix = [](double x) { return int(x * (1 << bits) + 0.5); };
        for (int i = 0; i < 256; ++i) {
            const int x = i - 128;
            crR[i] = (fix(1.40200) * x + half) >> bits;
            cbB[i] = (fix(1.77200) * x + half) >> bits;
            crG[i] = -fix(0.71414) * x;
            cbG[i] = -fix(0.34414) * x + half;
        }
    }
};

std::uint8_t clampSample(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// A progressive picture of 1x1 components wanted at an eighth: its DC scans read into one sample
// a block, without libjpeg's whole-image coefficient buffer (which it allocates and clears in
// full before the first scan, the most of the decoding's time at this size). Gives -1 when the
// stream is not one this reads; nothing has then been written to the sink.
int decodeDcOnly(const QByteArray& data, j_decompress_ptr cinfo, PageSink& sink, int outBpp, int maxScans)
{
    const J_COLOR_SPACE space = cinfo->jpeg_color_space;
    const int comps = cinfo->num_components;
    const bool ycc = space == JCS_YCbCr && comps == 3, rgb = space == JCS_RGB && comps == 3;
    const bool grey = space == JCS_GRAYSCALE && comps == 1;
    if (!(ycc || grey || (rgb && outBpp != 1)) || cinfo->arith_code || cinfo->data_precision != 8) return -1;
    for (int c = 0; c < comps; ++c)
        if (cinfo->comp_info[c].h_samp_factor != 1 || cinfo->comp_info[c].v_samp_factor != 1) return -1;
    JpegDcSamples dc;
    if (!readJpegDcSamples(data, maxScans, &dc) || int(dc.planes.size()) != comps ||
        dc.widthBlocks != int(cinfo->output_width) || dc.heightBlocks != int(cinfo->output_height))
        return -1;
    const Dpi dpi = jfifDpi(*cinfo);
    const int width = dc.widthBlocks, height = dc.heightBlocks;
    int r = sink.beginPage(width, height, dpi.x, dpi.y);
    if (r != PX_SUCCESS) return r;
    static const YccTables tables;
    SdkBitmapHandle& page = sink.page();
    const std::size_t padStart = static_cast<std::size_t>(width) * outBpp;
    constexpr int kBand = 16;
    for (int first = 0; first < height; first += kBand) {
        const int rows = std::min(kBand, height - first);
        for (int y = first; y < first + rows; ++y) {
            std::uint8_t* out = page.row(y);
            const std::size_t at = std::size_t(y) * std::size_t(width);
            const std::uint8_t* s0 = dc.planes[0].data() + at;
            const std::uint8_t* s1 = comps == 3 ? dc.planes[1].data() + at : s0;
            const std::uint8_t* s2 = comps == 3 ? dc.planes[2].data() + at : s0;
            for (int x = 0; x < width; ++x, out += outBpp) {
                if (outBpp == 1) {
                    out[0] = s0[x]; // the luminance, as libjpeg gives grey
                    continue;
                }
                if (ycc) {
                    const int luma = s0[x], cb = s1[x], cr = s2[x];
                    out[0] = clampSample(luma + tables.cbB[cb]);
                    out[1] = clampSample(luma + ((tables.cbG[cb] + tables.crG[cr]) >> 16));
                    out[2] = clampSample(luma + tables.crR[cr]);
                } else {
                    out[0] = s2[x];
                    out[1] = s1[x];
                    out[2] = s0[x];
                }
                if (outBpp == 4) out[3] = 255;
            }
            if (static_cast<std::size_t>(page.BytesPerLine) > padStart)
                std::memset(page.row(y) + padStart, 0, static_cast<std::size_t>(page.BytesPerLine) - padStart);
        }
        r = sink.band(first, rows);
        if (r != PX_SUCCESS) return r;
    }
    return sink.endPage();
}

} // namespace

int jpegInfo(const QByteArray& data, PxFileInfo* info)
{
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    installJpegErrors(err.pub);
    cinfo.err = &err.pub;
    jpeg_create_decompress(&cinfo);
    DecompressGuard guard{&cinfo};
    if (setjmp(err.jump)) return PXERR_BADFORMAT;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return PXERR_BADFORMAT;
    if (cinfo.image_width == 0 || cinfo.image_height == 0) return PXERR_BADSIZE;
    *info = PxFileInfo();
    info->Format = fmtJPEG;
    info->Width = static_cast<int>(cinfo.image_width);
    info->Height = static_cast<int>(cinfo.image_height);
    info->BitsPerPixel = cinfo.num_components * 8;
    info->Pages = 1;
    info->Progressive = cinfo.progressive_mode != 0;
    if (cinfo.saw_JFIF_marker) {
        info->XResolution = densityToDpi(cinfo.density_unit, cinfo.X_density);
        info->YResolution = densityToDpi(cinfo.density_unit, cinfo.Y_density);
    }
    return PX_SUCCESS;
}

int jpegDecode(const QByteArray& data, PageSink& sink, const PxLoadOptions& options)
{
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    jpeg_progress_mgr progress;
    installJpegErrors(err.pub);
    cinfo.err = &err.pub;
    jpeg_create_decompress(&cinfo);
    DecompressGuard guard{&cinfo};
    std::vector<std::uint8_t> cmykRow;
    QByteArray dcOnly;
    volatile bool started = false;
    if (setjmp(err.jump)) {
        if (err.pub.msg_code == JERR_OUT_OF_MEMORY || err.pub.msg_code == JERR_NO_BACKING_STORE) return PXERR_NOMEMORY;
        return started ? PXERR_READ : PXERR_BADFORMAT;
    }

    cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    progress.progress_monitor = limitScans;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return PXERR_BADFORMAT;
    if (cinfo.image_width == 0 || cinfo.image_height == 0) return PXERR_BADSIZE;
    // The size the file declares is checked before the decoder allocates anything for it.
    if (!sizeAllowed(cinfo.image_width, cinfo.image_height, 24)) return PXERR_NOMEMORY;

    unsigned scale = 1;
    if (options.ReduceWidth > 0 || options.ReduceHeight > 0) {
        for (unsigned denom : {8u, 4u, 2u}) {
            const unsigned w = (cinfo.image_width + denom - 1) / denom, h = (cinfo.image_height + denom - 1) / denom;
            if (w >= static_cast<unsigned>(options.ReduceWidth) && h >= static_cast<unsigned>(options.ReduceHeight)) {
                scale = denom;
                break;
            }
        }
    }
    const int outBpp = sink.bits() / 8;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    if (cinfo.num_components != 1 && cinfo.num_components != 3 && cinfo.num_components != 4) return PXERR_SUBTYPE;
    auto configure = [&] {
        if (cmyk) cinfo.out_color_space = JCS_CMYK;
        else if (outBpp == 1) cinfo.out_color_space = JCS_GRAYSCALE;
        else if (outBpp == 4) cinfo.out_color_space = JCS_EXT_BGRX;
        else cinfo.out_color_space = JCS_EXT_BGR;
        if (scale > 1) {
            cinfo.scale_num = 1;
            cinfo.scale_denom = scale;
        }
    };
    configure();
    if (scale == 8 && cinfo.progressive_mode) {
        jpeg_calc_output_dimensions(&cinfo);
        const int direct = decodeDcOnly(data, &cinfo, sink, outBpp, kMaxScans);
        if (direct != -1) return direct;
        // Else libjpeg decodes it. A component decoded at one pixel a block needs its DC
        // coefficients alone: the scans of its AC coefficients are left out of the stream.
        std::vector<int> dcOnlyComponents;
        for (int c = 0; c < cinfo.num_components; ++c)
            if (cinfo.comp_info[c].DCT_scaled_size == 1) dcOnlyComponents.push_back(cinfo.comp_info[c].component_id);
        if (!dcOnlyComponents.empty()) dcOnly = withoutAcScans(data, dcOnlyComponents);
        if (!dcOnly.isEmpty()) {
            jpeg_abort_decompress(&cinfo);
            jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(dcOnly.constData()), static_cast<unsigned long>(dcOnly.size()));
            if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return PXERR_BADFORMAT;
            configure();
            // Without those scans the decoder would guess AC coefficients for a smoother
            // picture; they are to stay zero, as unused as in the whole stream.
            cinfo.do_block_smoothing = FALSE;
        }
    }
    jpeg_calc_output_dimensions(&cinfo);
    const Dpi dpi = jfifDpi(cinfo);
    int r = sink.beginPage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), dpi.x, dpi.y);
    if (r != PX_SUCCESS) return r;
    started = true;
    jpeg_start_decompress(&cinfo);
    SdkBitmapHandle& page = sink.page();
    const bool inverted = cinfo.saw_Adobe_marker != 0;
    if (cmyk) cmykRow.resize(static_cast<std::size_t>(cinfo.output_width) * 4);
    const int height = static_cast<int>(cinfo.output_height);
    while (static_cast<int>(cinfo.output_scanline) < height) {
        const int first = static_cast<int>(cinfo.output_scanline);
        const int done = readRowBand(&cinfo, page, outBpp, inverted, cmyk ? &cmykRow : nullptr);
        if (done <= 0) return PXERR_READ;
        r = sink.band(first, done);
        if (r != PX_SUCCESS) {
            jpeg_abort_decompress(&cinfo);
            return r;
        }
    }
    jpeg_finish_decompress(&cinfo);
    return sink.endPage();
}

namespace {

// libjpeg destination over a device: full buffers are written out; a failed write stops the
// encoder through its error exit.
struct DeviceDestination {
    jpeg_destination_mgr pub;
    QIODevice* device;
    std::vector<JOCTET> buffer;
};

void initDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<DeviceDestination*>(cinfo->dest);
    d->pub.next_output_byte = d->buffer.data();
    d->pub.free_in_buffer = d->buffer.size();
}

boolean emptyOutput(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<DeviceDestination*>(cinfo->dest);
    const auto n = static_cast<qint64>(d->buffer.size());
    if (d->device->write(reinterpret_cast<const char*>(d->buffer.data()), n) != n) ERREXIT(cinfo, JERR_FILE_WRITE);
    d->pub.next_output_byte = d->buffer.data();
    d->pub.free_in_buffer = d->buffer.size();
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<DeviceDestination*>(cinfo->dest);
    const auto n = static_cast<qint64>(d->buffer.size() - d->pub.free_in_buffer);
    if (n > 0 && d->device->write(reinterpret_cast<const char*>(d->buffer.data()), n) != n) ERREXIT(cinfo, JERR_FILE_WRITE);
}

struct CompressGuard {
    jpeg_compress_struct* cinfo;
    ~CompressGuard() { jpeg_destroy_compress(cinfo); }
};

} // namespace

int jpegEncode(QIODevice* out, const SdkBitmapHandle& layout, const RowFetch& rows, int bits, int quality,
               const PxSaveOptions& options)
{
    if (bits != 8 && bits != 24) return PXERR_BADBITS;
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    installJpegErrors(err.pub);
    cinfo.err = &err.pub;
    jpeg_create_compress(&cinfo);
    CompressGuard guard{&cinfo};
    DeviceDestination dest;
    dest.device = out;
    dest.buffer.resize(1 << 16);
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(layout.BytesPerLine));
    std::vector<std::uint8_t> converted;
    if (setjmp(err.jump)) return PXERR_WRITE;

    dest.pub.init_destination = initDestination;
    dest.pub.empty_output_buffer = emptyOutput;
    dest.pub.term_destination = termDestination;
    cinfo.dest = &dest.pub;
    cinfo.image_width = static_cast<JDIMENSION>(layout.Width);
    cinfo.image_height = static_cast<JDIMENSION>(layout.Height);
    const int srcBpp = layout.bytesPerPixel();
    // Rows go to the encoder as they are where libjpeg can read them; otherwise converted.
    bool direct = false;
    if (bits == 8) {
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        direct = srcBpp == 1;
    } else {
        cinfo.input_components = srcBpp == 4 ? 4 : 3;
        cinfo.in_color_space = srcBpp == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
        direct = srcBpp != 1;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(std::clamp(layout.XResolution, 1, 65535));
    cinfo.Y_density = static_cast<UINT16>(std::clamp(layout.YResolution, 1, 65535));
    if (options.Count >= 2) jpeg_simple_progression(&cinfo);
    if (options.OptimizeCoding) cinfo.optimize_coding = TRUE;
    if (options.RestartMarkers) cinfo.restart_in_rows = 1;
    if (!direct) converted.resize(static_cast<std::size_t>(layout.Width) * (bits / 8));
    jpeg_start_compress(&cinfo, TRUE);
    StatusReporter status(layout.Height);
    for (int y = 0; y < layout.Height; ++y) {
        const std::uint8_t* got = rows(y, raw.data());
        if (!got) {
            jpeg_abort_compress(&cinfo);
            return PXERR_ABORTED;
        }
        JSAMPROW row = const_cast<JSAMPROW>(got);
        if (!direct) {
            const std::uint8_t* s = got;
            std::uint8_t* d = converted.data();
            for (int x = 0; x < layout.Width; ++x, s += srcBpp) {
                if (bits == 8) {
                    *d++ = static_cast<std::uint8_t>((s[0] * 29 + s[1] * 150 + s[2] * 77 + 128) >> 8);
                } else {
                    *d++ = s[0]; *d++ = s[0]; *d++ = s[0];
                }
            }
            row = converted.data();
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
        if (!status.update(y + 1)) {
            jpeg_abort_compress(&cinfo);
            return PXERR_ABORTED;
        }
    }
    jpeg_finish_compress(&cinfo);
    return PX_SUCCESS;
}

// ---- decoding as the bytes arrive ----

namespace {

// A progressive file shows at most this many coarse pictures before its last, whatever number of
// scans it has: each is a whole decoding pass.
constexpr int kMaxCoarsePasses = 8;

// Decodes through libjpeg's suspending interface: where the bytes so far end, the decoder stops
// and goes on from the same point once more are in. Rows of a sequential file come out as their
// data arrives; a progressive file is shown coarse to fine as its scans complete, its last pass
// being the decoding a load of the whole file does.
class JpegFeed final : public FeedDecoder {
public:
    explicit JpegFeed(PageSink& sink) : sink_(sink)
    {
        installJpegErrors(err_.pub);
        cinfo_.err = &err_.pub;
        jpeg_create_decompress(&cinfo_);
        cinfo_.mem->max_memory_to_use = kMaxDecoderMemory;
        progress_.progress_monitor = limitScans;
        cinfo_.progress = &progress_;
        source_.pub.init_source = [](j_decompress_ptr) {};
        source_.pub.fill_input_buffer = fillInput;
        source_.pub.skip_input_data = skipInput;
        source_.pub.resync_to_restart = jpeg_resync_to_restart;
        source_.pub.term_source = [](j_decompress_ptr) {};
        source_.pub.next_input_byte = nullptr;
        source_.pub.bytes_in_buffer = 0;
        source_.self = this;
        cinfo_.src = &source_.pub;
    }
    ~JpegFeed() override { jpeg_destroy_decompress(&cinfo_); }
    JpegFeed(const JpegFeed&) = delete;
    JpegFeed& operator=(const JpegFeed&) = delete;

    bool more(const QByteArray& data) override
    {
        if (!over()) step(data);
        return !over();
    }

    void end(const QByteArray& data) override
    {
        if (over()) return;
        // From here on the end of the bytes reads as the end of the picture, as it does for a
        // picture in memory: what is missing comes out grey.
        ended_ = true;
        step(data);
        if (!over()) finish(PXERR_READ);
    }

private:
    enum Stage { Header, Start, Rows, Consume, CoarseStart, CoarseRows, CoarseEnd, LastStart, LastRows, LastEnd, Finish };

    struct Source {
        jpeg_source_mgr pub;
        JpegFeed* self;
    };

    static boolean fillInput(j_decompress_ptr cinfo)
    {
        JpegFeed* self = reinterpret_cast<Source*>(cinfo->src)->self;
        if (!self->ended_) return FALSE; // suspend until more bytes are in
        static const JOCTET fakeEnd[2] = {0xFF, JPEG_EOI};
        WARNMS(cinfo, JWRN_JPEG_EOF);
        cinfo->src->next_input_byte = fakeEnd;
        cinfo->src->bytes_in_buffer = 2;
        self->atFakeEnd_ = true;
        return TRUE;
    }

    static void skipInput(j_decompress_ptr cinfo, long count)
    {
        if (count <= 0) return;
        jpeg_source_mgr* src = cinfo->src;
        if (static_cast<std::size_t>(count) <= src->bytes_in_buffer) {
            src->next_input_byte += count;
            src->bytes_in_buffer -= static_cast<std::size_t>(count);
            return;
        }
        JpegFeed* self = reinterpret_cast<Source*>(src)->self;
        // The rest is skipped as it arrives.
        self->skip_ += count - static_cast<long>(src->bytes_in_buffer);
        src->next_input_byte += src->bytes_in_buffer;
        src->bytes_in_buffer = 0;
        if (self->ended_) fillInput(cinfo);
    }

    void step(const QByteArray& data)
    {
        const auto* base = reinterpret_cast<const JOCTET*>(data.constData());
        if (!atFakeEnd_) {
            const qsizetype skipped = std::min<qsizetype>(skip_, data.size() - pos_);
            pos_ += skipped;
            skip_ -= static_cast<long>(skipped);
            source_.pub.next_input_byte = base + pos_;
            source_.pub.bytes_in_buffer = static_cast<std::size_t>(data.size() - pos_);
        }
        run();
        if (!atFakeEnd_) pos_ = source_.pub.next_input_byte - base;
    }

    void run()
    {
        if (setjmp(err_.jump)) {
            const int code = err_.pub.msg_code;
            finish(code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE ? PXERR_NOMEMORY
                   : started_                                                   ? PXERR_READ
                                                                                : PXERR_BADFORMAT);
            return;
        }
        while (!over() && advance()) {
        }
    }

    // One step; false when the decoder waits for more bytes.
    bool advance()
    {
        switch (stage_) {
        case Header: return header();
        case Start:
            if (!jpeg_start_decompress(&cinfo_)) return false;
            stage_ = cinfo_.buffered_image ? Consume : Rows;
            passFlags_ = bandFirstPass | bandLastPass;
            return true;
        case Rows: return rows(Finish);
        case Consume: {
            if (jpeg_input_complete(&cinfo_)) {
                stage_ = LastStart;
                return true;
            }
            const int got = jpeg_consume_input(&cinfo_);
            if (got == JPEG_SUSPENDED) return false;
            if (got == JPEG_SCAN_COMPLETED && coarsePasses_ < kMaxCoarsePasses) {
                coarseScan_ = cinfo_.input_scan_number;
                stage_ = CoarseStart;
            }
            return true;
        }
        case CoarseStart:
            if (!jpeg_start_output(&cinfo_, coarseScan_)) return false;
            passFlags_ = coarsePasses_ == 0 ? bandFirstPass : 0;
            stage_ = CoarseRows;
            return true;
        case CoarseRows: return rows(CoarseEnd);
        case CoarseEnd:
            if (!jpeg_finish_output(&cinfo_)) return false;
            ++coarsePasses_;
            stage_ = Consume;
            return true;
        case LastStart:
            if (!jpeg_start_output(&cinfo_, cinfo_.input_scan_number)) return false;
            passFlags_ = bandLastPass | (coarsePasses_ == 0 ? bandFirstPass : 0);
            stage_ = LastRows;
            return true;
        case LastRows: return rows(LastEnd);
        case LastEnd:
            if (!jpeg_finish_output(&cinfo_)) return false;
            stage_ = Finish;
            return true;
        case Finish:
            if (!jpeg_finish_decompress(&cinfo_)) return false;
            finish(sink_.endPage());
            return true;
        }
        return false;
    }

    bool header()
    {
        const int got = jpeg_read_header(&cinfo_, TRUE);
        if (got == JPEG_SUSPENDED) return false;
        if (got != JPEG_HEADER_OK) {
            finish(PXERR_BADFORMAT);
            return true;
        }
        if (cinfo_.image_width == 0 || cinfo_.image_height == 0) {
            finish(PXERR_BADSIZE);
            return true;
        }
        // The size the file declares is checked before the decoder allocates anything for it.
        if (!sizeAllowed(cinfo_.image_width, cinfo_.image_height, 24)) {
            finish(PXERR_NOMEMORY);
            return true;
        }
        if (cinfo_.num_components != 1 && cinfo_.num_components != 3 && cinfo_.num_components != 4) {
            finish(PXERR_SUBTYPE);
            return true;
        }
        outBpp_ = sink_.bits() / 8;
        cmyk_ = cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK;
        if (cmyk_) cinfo_.out_color_space = JCS_CMYK;
        else if (outBpp_ == 1) cinfo_.out_color_space = JCS_GRAYSCALE;
        else if (outBpp_ == 4) cinfo_.out_color_space = JCS_EXT_BGRX;
        else cinfo_.out_color_space = JCS_EXT_BGR;
        if (cinfo_.progressive_mode) cinfo_.buffered_image = TRUE;
        jpeg_calc_output_dimensions(&cinfo_);
        const Dpi dpi = jfifDpi(cinfo_);
        const int r = sink_.beginPage(static_cast<int>(cinfo_.output_width), static_cast<int>(cinfo_.output_height), dpi.x, dpi.y);
        if (r != PX_SUCCESS) {
            finish(r);
            return true;
        }
        started_ = true;
        inverted_ = cinfo_.saw_Adobe_marker != 0;
        if (cmyk_) cmykRow_.resize(static_cast<std::size_t>(cinfo_.output_width) * 4);
        stage_ = Start;
        return true;
    }

    // The rows of the current pass, as far as the bytes go; then the next stage.
    bool rows(Stage next)
    {
        const int height = static_cast<int>(cinfo_.output_height);
        while (static_cast<int>(cinfo_.output_scanline) < height) {
            const int first = static_cast<int>(cinfo_.output_scanline);
            const int done = readRowBand(&cinfo_, sink_.page(), outBpp_, inverted_, cmyk_ ? &cmykRow_ : nullptr);
            if (done > 0) {
                const int r = sink_.band(first, done, passFlags_);
                if (r != PX_SUCCESS) {
                    finish(r);
                    return true;
                }
            }
            // Fewer rows than asked for may come even with all bytes in; none at all means the
            // decoder waits for more.
            if (done == 0) return false;
        }
        stage_ = next;
        return true;
    }

    PageSink& sink_;
    jpeg_decompress_struct cinfo_;
    JpegErrorManager err_;
    jpeg_progress_mgr progress_;
    Source source_;
    Stage stage_ = Header;
    qsizetype pos_ = 0;  // where the decoder reads on in the bytes
    long skip_ = 0;      // bytes to pass over once they are in
    bool ended_ = false;
    bool atFakeEnd_ = false;
    bool started_ = false;
    bool cmyk_ = false;
    bool inverted_ = false;
    int outBpp_ = 3;
    int passFlags_ = bandFirstPass | bandLastPass;
    int coarsePasses_ = 0;
    int coarseScan_ = 0;
    std::vector<std::uint8_t> cmykRow_;
};

} // namespace

std::unique_ptr<FeedDecoder> jpegFeedDecoder(PageSink& sink) { return std::make_unique<JpegFeed>(sink); }

} // namespace sdk::detail
