#include "sdk/losslessturn.h"

#include "platform/files.h"
#include "sdk/bitmap.h"
#include "sdk/errors.h"
#include "sdk/pictureio.h"

#include "sdk/jpegerrors.h"

#include <turbojpeg.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace sdk {

namespace {

// The first frame header of the data: its marker (0xC0..0xCF but 0xC4, 0xC8 and 0xCC), or 0.
int frameMarker(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return 0;
    qsizetype i = 2;
    while (i + 4 <= n) {
        if (p[i] != 0xFF) return 0;
        const int marker = p[i + 1];
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) return marker;
        if (marker == 0xD9 || marker == 0xDA) return 0; // end or scan before any frame
        const int length = (p[i + 2] << 8) | p[i + 3];
        if (length < 2) return 0;
        i += 2 + length;
    }
    return 0;
}

bool isProgressive(int marker) { return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE; }

int transformOp(PxTurn turn)
{
    switch (turn) {
    case PxTurn::Right90: return TJXOP_ROT90;
    case PxTurn::Half: return TJXOP_ROT180;
    case PxTurn::Left90: return TJXOP_ROT270;
    case PxTurn::MirrorLeftRight: return TJXOP_HFLIP;
    case PxTurn::MirrorTopBottom: return TJXOP_VFLIP;
    }
    return TJXOP_NONE;
}

struct TjHandle {
    tjhandle h = tjInitTransform();
    ~TjHandle()
    {
        if (h) tjDestroy(h);
    }
};

// ---- Huffman tables made for the picture ----

bool isJfifOrAdobe(const jpeg_saved_marker_ptr m, const j_compress_ptr dst)
{
    const auto starts = [m](const char* tag, unsigned len) {
        return m->data_length >= len && std::memcmp(m->data, tag, len) == 0;
    };
    // The encoder writes these itself from the frame's parameters.
    if (dst->write_JFIF_header && m->marker == JPEG_APP0 && starts("JFIF\0", 5)) return true;
    if (dst->write_Adobe_marker && m->marker == JPEG_APP0 + 14 && starts("Adobe", 5)) return true;
    return false;
}

// The state of one pass: on the heap, so that nothing the library changes lives in a local that
// a longjmp would leave undefined.
struct OptimisePass {
    jpeg_decompress_struct src{};
    jpeg_compress_struct dst{};
    detail::JpegErrorManager srcErr{};
    detail::JpegErrorManager dstErr{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    ~OptimisePass()
    {
        jpeg_destroy_compress(&dst);
        jpeg_destroy_decompress(&src);
        std::free(buffer);
    }
};

// Writes the same blocks with Huffman tables made for them; every marker is kept.
bool optimiseHuffmanTables(const QByteArray& in, QByteArray* out)
{
    const auto pass = std::make_unique<OptimisePass>();
    OptimisePass& p = *pass;
    detail::installJpegErrors(p.srcErr.pub);
    detail::installJpegErrors(p.dstErr.pub);
    p.src.err = &p.srcErr.pub;
    p.dst.err = &p.dstErr.pub;
    jpeg_create_decompress(&p.src);
    jpeg_create_compress(&p.dst);
    if (setjmp(p.srcErr.jump)) return false;
    if (setjmp(p.dstErr.jump)) return false;
    jpeg_mem_src(&p.src, reinterpret_cast<const unsigned char*>(in.constData()), static_cast<unsigned long>(in.size()));
    jpeg_save_markers(&p.src, JPEG_COM, 0xFFFF);
    for (int m = 0; m < 16; ++m) jpeg_save_markers(&p.src, JPEG_APP0 + m, 0xFFFF);
    jpeg_read_header(&p.src, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&p.src);
    jpeg_copy_critical_parameters(&p.src, &p.dst);
    p.dst.optimize_coding = TRUE;
    jpeg_mem_dest(&p.dst, &p.buffer, &p.size);
    jpeg_write_coefficients(&p.dst, coefficients);
    for (jpeg_saved_marker_ptr m = p.src.marker_list; m; m = m->next)
        if (!isJfifOrAdobe(m, &p.dst)) jpeg_write_marker(&p.dst, m->marker, m->data, m->data_length);
    jpeg_finish_compress(&p.dst);
    jpeg_finish_decompress(&p.src);
    *out = QByteArray(reinterpret_cast<const char*>(p.buffer), qsizetype(p.size));
    return true;
}

} // namespace

bool PerfectTurn(PxTurn turn, int width, int height, int mcuWidth, int mcuHeight)
{
    if (width <= 0 || height <= 0 || mcuWidth <= 0 || mcuHeight <= 0) return false;
    const bool wholeColumns = width % mcuWidth == 0;
    const bool wholeRows = height % mcuHeight == 0;
    switch (turn) {
    case PxTurn::MirrorLeftRight:
    case PxTurn::Left90: return wholeColumns;
    case PxTurn::MirrorTopBottom:
    case PxTurn::Right90: return wholeRows;
    case PxTurn::Half: return wholeColumns && wholeRows;
    }
    return false;
}

int PX_LosslessTurnMemory(const QByteArray& jpeg, PxTurn turn, QByteArray* out)
{
    out->clear();
    if (jpeg.isEmpty() || jpeg.size() > maxPictureBytes) return PXERR_UNSUPPORTED;
    const int marker = frameMarker(jpeg);
    if (marker == 0) return PXERR_UNSUPPORTED;
    TjHandle tj;
    if (!tj.h) return PXERR_NOMEMORY;
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(jpeg.constData()));
    const auto length = static_cast<unsigned long>(jpeg.size());
    int width = 0, height = 0, subsampling = -1, colorspace = -1;
    // A block layout the transform does not know is no error of the picture: it is turned decoded.
    if (tjDecompressHeader3(tj.h, data, length, &width, &height, &subsampling, &colorspace) != 0) return PXERR_UNSUPPORTED;
    if (subsampling < 0 || subsampling >= TJ_NUMSAMP) return PXERR_UNSUPPORTED;
    if (std::int64_t(width) * height > maxPixels) return PXERR_NOMEMORY;
    if (!PerfectTurn(turn, width, height, tjMCUWidth[subsampling], tjMCUHeight[subsampling])) return PXERR_UNSUPPORTED;

    tjtransform transform{};
    transform.op = transformOp(turn);
    transform.options = TJXOPT_PERFECT | (isProgressive(marker) ? TJXOPT_PROGRESSIVE : 0);
    unsigned char* turned = nullptr;
    unsigned long turnedSize = 0;
    const int r = tjTransform(tj.h, data, length, 1, &turned, &turnedSize, &transform, 0);
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(turned, tjFree);
    if (r != 0 || !turned || turnedSize == 0) return PXERR_BADFORMAT;
    QByteArray result(reinterpret_cast<const char*>(turned), qsizetype(turnedSize));
    // The transform writes the standard tables; a source whose own tables fit it better keeps
    // its size through tables made for the turned picture.
    if (!isProgressive(marker) && result.size() > jpeg.size()) {
        QByteArray optimised;
        if (optimiseHuffmanTables(result, &optimised) && optimised.size() < result.size()) result = std::move(optimised);
    }
    *out = std::move(result);
    return PX_SUCCESS;
}

int PX_LosslessTurnFile(const QString& fileName, PxTurn turn)
{
    if (fileName.isEmpty()) return PXERR_BADFILENAME;
    if (!platform::fileExists(fileName)) return PXERR_FILENOTFOUND;
    if (!platform::isRegularFile(fileName)) return PXERR_OPEN;
    if (platform::fileSize(fileName) > maxPictureBytes) return PXERR_UNSUPPORTED;
    const auto bytes = platform::readFile(fileName, maxPictureBytes);
    if (!bytes) return PXERR_READ;
    QByteArray turned;
    const int r = PX_LosslessTurnMemory(*bytes, turn, &turned);
    if (r != PX_SUCCESS) return r;
    return platform::writeFileReplacing(fileName, turned) ? PX_SUCCESS : PXERR_WRITE;
}

} // namespace sdk
