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
#include <new>
#include <utility>
#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

#include <QThread>

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

struct TjHandle {
    tjhandle h = tjInitTransform();
    ~TjHandle()
    {
        if (h) tjDestroy(h);
    }
};

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

JDIMENSION roundUp(JDIMENSION n, int multiple) { return (n + JDIMENSION(multiple) - 1) / JDIMENSION(multiple) * JDIMENSION(multiple); }

constexpr bool transposes(PxTurn turn) { return turn == PxTurn::Right90 || turn == PxTurn::Left90; }

// Whether the turn reverses the source's columns or its rows (which must then be whole MCUs).
constexpr bool reversesColumns(PxTurn turn) { return turn == PxTurn::Left90 || turn == PxTurn::Half || turn == PxTurn::MirrorLeftRight; }
constexpr bool reversesRows(PxTurn turn) { return turn == PxTurn::Right90 || turn == PxTurn::Half || turn == PxTurn::MirrorTopBottom; }

// One block of the turned picture from its block in the source. Coefficients are in natural
// order, row v (vertical frequency) by column u; a mirrored axis flips the sign of the odd
// frequencies along it.
template <PxTurn turn>
inline void turnBlock(const JCOEF* from, JCOEF* to)
{
    for (int v = 0; v < DCTSIZE; ++v)
        for (int u = 0; u < DCTSIZE; ++u) {
            const JCOEF c = transposes(turn) ? from[u * DCTSIZE + v] : from[v * DCTSIZE + u];
            const bool odd = turn == PxTurn::Right90 || turn == PxTurn::MirrorLeftRight ? (u & 1)
                             : turn == PxTurn::Left90 || turn == PxTurn::MirrorTopBottom ? (v & 1)
                                                                                         : ((u + v) & 1);
            to[v * DCTSIZE + u] = odd ? JCOEF(-c) : c;
        }
}

// The rows of one component, before and after the turn, as the memory manager hands them out.
struct ComponentRows {
    std::vector<JBLOCKROW> source; // h rows of w blocks
    std::vector<JBLOCKROW> turned; // every row of the turned array, padding included
    JDIMENSION w = 0, h = 0;       // the source's blocks
    JDIMENSION tw = 0, th = 0;     // the turned picture's blocks
    JDIMENSION padded = 0;         // blocks in a turned row, padding included
};

// Fills rows [first, last) of the turned component. Touches nothing but the blocks, so that
// bands of rows can be filled on several threads. A quarter turn fills eight rows at a time from
// eight neighbouring blocks of each source row, so that the source is read along its rows.
template <PxTurn turn>
void moveRowsOf(const ComponentRows& c, JDIMENSION first, JDIMENSION last)
{
    constexpr JDIMENSION group = 8;
    for (JDIMENSION y = first; y < last;) {
        if (y >= c.th) { // blocks past the picture's edge are padding the encoder replaces
            std::memset(c.turned[y], 0, c.padded * sizeof(JBLOCK));
            ++y;
            continue;
        }
        const JDIMENSION end = std::min({y + (transposes(turn) ? group : 1), last, c.th});
        if constexpr (transposes(turn)) {
            for (JDIMENSION x = 0; x < c.tw; ++x) {
                const JBLOCKROW in = c.source[turn == PxTurn::Right90 ? c.h - 1 - x : x];
                for (JDIMENSION row = y; row < end; ++row)
                    turnBlock<turn>(in[turn == PxTurn::Left90 ? c.w - 1 - row : row], c.turned[row][x]);
            }
        } else {
            const JBLOCKROW in = c.source[reversesRows(turn) ? c.h - 1 - y : y];
            for (JDIMENSION x = 0; x < c.tw; ++x) turnBlock<turn>(in[reversesColumns(turn) ? c.w - 1 - x : x], c.turned[y][x]);
        }
        for (JDIMENSION row = y; row < end; ++row)
            if (c.padded > c.tw) std::memset(c.turned[row] + c.tw, 0, (c.padded - c.tw) * sizeof(JBLOCK));
        y = end;
    }
}

void moveRows(const ComponentRows& c, PxTurn turn, JDIMENSION first, JDIMENSION last)
{
    switch (turn) {
    case PxTurn::Right90: return moveRowsOf<PxTurn::Right90>(c, first, last);
    case PxTurn::Half: return moveRowsOf<PxTurn::Half>(c, first, last);
    case PxTurn::Left90: return moveRowsOf<PxTurn::Left90>(c, first, last);
    case PxTurn::MirrorLeftRight: return moveRowsOf<PxTurn::MirrorLeftRight>(c, first, last);
    case PxTurn::MirrorTopBottom: return moveRowsOf<PxTurn::MirrorTopBottom>(c, first, last);
    }
}

// The state of one turn: on the heap, so that nothing the library changes lives in a local that
// a longjmp would leave undefined. The source's blocks are read once, moved into the turned
// picture's arrays and written with Huffman tables made for them, as an optimising encoder does.
struct TurnPass {
    jpeg_decompress_struct src{};
    jpeg_compress_struct dst{};
    detail::JpegErrorManager srcErr{};
    detail::JpegErrorManager dstErr{};
    QByteArray first;               // where the turned file is written while it fits
    unsigned char* buffer = nullptr; // the encoder's output: first's data, or a larger one of its own
    unsigned long size = 0;
    jvirt_barray_ptr* turnedBlocks = nullptr;
    std::vector<ComponentRows> components;
    PxTurn turn = PxTurn::Right90;
    bool turnedRowsTaken = false;
    jpeg_progress_mgr progress{};
    std::vector<std::thread> prefaulting; // touching the turned arrays' memory while the blocks are read
    void joinPrefaulting()
    {
        for (std::thread& t : prefaulting) t.join();
        prefaulting.clear();
    }
    ~TurnPass()
    {
        joinPrefaulting(); // before the arrays they touch go
        jpeg_destroy_compress(&dst);
        jpeg_destroy_decompress(&src);
        if (buffer != reinterpret_cast<const unsigned char*>(first.constData())) std::free(buffer);
    }
};

// Takes the turned picture's rows of every component from the memory manager (each written in
// order, as it asks). They are kept in the pass, not in locals that a longjmp would skip.
void takeTurnedRows(TurnPass& p)
{
    const auto common = reinterpret_cast<j_common_ptr>(&p.src);
    const PxTurn turn = p.turn;
    p.components.resize(std::size_t(p.src.num_components));
    for (int ci = 0; ci < p.src.num_components; ++ci) {
        const jpeg_component_info& info = p.src.comp_info[ci];
        ComponentRows& c = p.components[std::size_t(ci)];
        c.w = info.width_in_blocks;
        c.h = info.height_in_blocks;
        c.tw = transposes(turn) ? c.h : c.w;
        c.th = transposes(turn) ? c.w : c.h;
        c.padded = roundUp(c.tw, transposes(turn) ? info.v_samp_factor : info.h_samp_factor);
        const JDIMENSION rows = roundUp(c.th, transposes(turn) ? info.h_samp_factor : info.v_samp_factor);
        c.turned.reserve(rows);
        for (JDIMENSION y = 0; y < rows; ++y)
            c.turned.push_back((*p.src.mem->access_virt_barray)(common, p.turnedBlocks[ci], y, 1, TRUE)[0]);
    }
    p.turnedRowsTaken = true;
}

// Called by the decoder as it reads the source's blocks, first once the arrays exist: the turned
// arrays' memory, not touched yet, is touched on other threads meanwhile, so that the move later
// finds it mapped. The rows are taken here, on the decoder's thread; the threads make no
// library call.
void prefaultTurnedArrays(j_common_ptr cinfo)
{
    TurnPass& p = *static_cast<TurnPass*>(cinfo->client_data);
    if (p.turnedRowsTaken) return;
    try {
        takeTurnedRows(p);
    } catch (const std::bad_alloc&) {
        // Nothing thrown through the library's frames: the rows are taken again after the read.
        p.components.clear();
        p.turnedRowsTaken = false;
        return;
    }
    const unsigned helpers = unsigned(std::clamp(QThread::idealThreadCount() - 1, 1, 3));
    char* const output = p.first.data(); // where the turned file will be encoded
    const auto outputSize = std::size_t(p.first.size());
    try {
        p.prefaulting.reserve(helpers);
        for (unsigned k = 0; k < helpers; ++k)
            p.prefaulting.emplace_back([&components = p.components, k, helpers, output, outputSize] {
                for (const ComponentRows& c : components) {
                    const std::uint64_t rows = c.turned.size();
                    for (auto y = std::size_t(rows * k / helpers); y < std::size_t(rows * (k + 1) / helpers); ++y)
                        std::memset(c.turned[y], 0, c.padded * sizeof(JBLOCK));
                }
                if (k + 1 == helpers) std::memset(output, 0, outputSize);
            });
    } catch (const std::exception&) {
        // No thread to spare (nothing is thrown through the library's frames): the rows not
        // handed out are touched when the blocks are moved.
    }
}

// Takes the source's rows (and the turned ones, unless taken while the blocks were read).
void takeRows(TurnPass& p, jvirt_barray_ptr* source)
{
    if (!p.turnedRowsTaken) takeTurnedRows(p);
    const auto common = reinterpret_cast<j_common_ptr>(&p.src);
    for (int ci = 0; ci < p.src.num_components; ++ci) {
        ComponentRows& c = p.components[std::size_t(ci)];
        c.source.reserve(c.h);
        for (JDIMENSION y = 0; y < c.h; ++y) c.source.push_back((*p.src.mem->access_virt_barray)(common, source[ci], y, 1, FALSE)[0]);
    }
}

// Moves every block into the turned picture's rows, in bands on up to four threads: the first
// touch of the new arrays' memory is most of the work. No library call is made here.
void moveBlocks(const std::vector<ComponentRows>& components, PxTurn turn)
{
    std::size_t mostRows = 1;
    for (const ComponentRows& c : components) mostRows = std::max(mostRows, c.turned.size());
    const unsigned bands = unsigned(std::clamp<std::size_t>(std::size_t(std::max(1, QThread::idealThreadCount())), 1, std::min<std::size_t>(4, mostRows)));
    const auto band = [&components, turn, bands](unsigned k) {
        for (const ComponentRows& c : components) {
            const std::uint64_t rows = c.turned.size();
            moveRows(c, turn, JDIMENSION(rows * k / bands), JDIMENSION(rows * (k + 1) / bands));
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(bands);
    unsigned k = 1;
    try {
        for (; k < bands; ++k) helpers.emplace_back(band, k);
    } catch (const std::system_error&) {
        // No thread to spare: the bands not handed out are moved here.
    }
    band(0);
    for (unsigned rest = k; rest < bands; ++rest) band(rest);
    for (std::thread& t : helpers) t.join();
}

// The turned picture's frame: width and height, sampling, quantisation tables and pixel
// aspect are transposed for a quarter turn.
void transposeFrame(j_compress_ptr dst)
{
    std::swap(dst->image_width, dst->image_height);
    std::swap(dst->X_density, dst->Y_density);
    for (int ci = 0; ci < dst->num_components; ++ci) std::swap(dst->comp_info[ci].h_samp_factor, dst->comp_info[ci].v_samp_factor);
    for (JQUANT_TBL* table : dst->quant_tbl_ptrs) {
        if (!table) continue;
        for (int i = 0; i < DCTSIZE; ++i)
            for (int j = 0; j < i; ++j) std::swap(table->quantval[i * DCTSIZE + j], table->quantval[j * DCTSIZE + i]);
    }
}

// The turn of a JPEG whose size allows it (checked by the caller); false when the data is broken.
bool turnBlocks(const QByteArray& in, PxTurn turn, bool progressive, QByteArray* out)
{
    const auto pass = std::make_unique<TurnPass>();
    TurnPass& p = *pass;
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
    // The reversed axis must hold whole MCUs (the caller's check, made again on the frame as
    // this decoder reads it).
    const unsigned mcuWidth = unsigned(p.src.max_h_samp_factor) * DCTSIZE, mcuHeight = unsigned(p.src.max_v_samp_factor) * DCTSIZE;
    if ((reversesColumns(turn) && p.src.image_width % mcuWidth != 0) || (reversesRows(turn) && p.src.image_height % mcuHeight != 0))
        return false;
    // The turned picture's arrays, made with the source's before its blocks are read.
    p.turnedBlocks = static_cast<jvirt_barray_ptr*>((*p.src.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&p.src), JPOOL_IMAGE, sizeof(jvirt_barray_ptr) * std::size_t(p.src.num_components)));
    for (int ci = 0; ci < p.src.num_components; ++ci) {
        const jpeg_component_info& c = p.src.comp_info[ci];
        const int hs = transposes(turn) ? c.v_samp_factor : c.h_samp_factor;
        const int vs = transposes(turn) ? c.h_samp_factor : c.v_samp_factor;
        const JDIMENSION tw = transposes(turn) ? c.height_in_blocks : c.width_in_blocks;
        const JDIMENSION th = transposes(turn) ? c.width_in_blocks : c.height_in_blocks;
        p.turnedBlocks[ci] = (*p.src.mem->request_virt_barray)(reinterpret_cast<j_common_ptr>(&p.src), JPOOL_IMAGE, FALSE,
                                                                roundUp(tw, hs), roundUp(th, vs), JDIMENSION(vs));
    }
    // The turned file is about the source's size: encoded where it stays, not grown by doubling.
    p.first.resize(in.size() + in.size() / 8 + 65536);
    p.turn = turn;
    p.src.client_data = &p;
    p.progress.progress_monitor = prefaultTurnedArrays;
    p.src.progress = &p.progress;
    jvirt_barray_ptr* source = jpeg_read_coefficients(&p.src);
    p.src.progress = nullptr;
    p.joinPrefaulting();
    jpeg_copy_critical_parameters(&p.src, &p.dst);
    if (transposes(turn)) transposeFrame(&p.dst);
    if (progressive) jpeg_simple_progression(&p.dst);
    p.dst.optimize_coding = TRUE;
    takeRows(p, source);
    moveBlocks(p.components, turn);
    p.buffer = reinterpret_cast<unsigned char*>(p.first.data());
    p.size = static_cast<unsigned long>(p.first.size());
    jpeg_mem_dest(&p.dst, &p.buffer, &p.size);
    jpeg_write_coefficients(&p.dst, p.turnedBlocks);
    for (jpeg_saved_marker_ptr m = p.src.marker_list; m; m = m->next)
        if (!isJfifOrAdobe(m, &p.dst)) jpeg_write_marker(&p.dst, m->marker, m->data, m->data_length);
    jpeg_finish_compress(&p.dst);
    jpeg_finish_decompress(&p.src);
    if (p.buffer == reinterpret_cast<const unsigned char*>(p.first.constData())) {
        p.first.truncate(qsizetype(p.size));
        *out = std::move(p.first);
        p.first = QByteArray();
        p.buffer = nullptr;
    } else {
        *out = QByteArray(reinterpret_cast<const char*>(p.buffer), qsizetype(p.size));
    }
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

    QByteArray result;
    try {
        if (!turnBlocks(jpeg, turn, isProgressive(marker), &result) || result.isEmpty()) return PXERR_BADFORMAT;
    } catch (const std::bad_alloc&) {
        return PXERR_NOMEMORY;
    }
    *out = std::move(result);
    return PX_SUCCESS;
}

int PX_LosslessTurnFile(const QString& fileName, PxTurn turn, QByteArray* written)
{
    if (written) written->clear();
    if (fileName.isEmpty()) return PXERR_BADFILENAME;
    if (!platform::fileExists(fileName)) return PXERR_FILENOTFOUND;
    if (!platform::isRegularFile(fileName)) return PXERR_OPEN;
    if (platform::fileSize(fileName) > maxPictureBytes) return PXERR_UNSUPPORTED;
    const auto bytes = platform::readFile(fileName, maxPictureBytes);
    if (!bytes) return PXERR_READ;
    QByteArray turned;
    const int r = PX_LosslessTurnMemory(*bytes, turn, &turned);
    if (r != PX_SUCCESS) return r;
    if (!platform::writeFileReplacing(fileName, turned)) return PXERR_WRITE;
    if (written) *written = std::move(turned);
    return PX_SUCCESS;
}

} // namespace sdk
