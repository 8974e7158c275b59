#include "sdk/feedload.h"

#include "sdk/codecs.h"

#include <new>

namespace sdk {

struct SdkFeedLoad {
    int bits = 24;
    SdkBitmapListHandle list = nullptr;
    PxLoadOptions options;
    PxLoadCallback callback;
    QByteArray data;
    int failure = PX_SUCCESS;
    // Once the first bytes tell the format: JPEG, PNG and GIF pictures are decoded as their
    // bytes arrive; the others when all are in.
    int format = fmtUnknown;
    std::unique_ptr<detail::PageSink> sink;
    std::unique_ptr<detail::FeedDecoder> decoder;
};

namespace {

// Enough bytes to tell every format the engine reads by its first bytes.
constexpr qint64 sniffBytes = 14;

void startDecoder(SdkFeedLoad& f)
{
    f.format = detail::sniffFormat(f.data);
    if (f.options.MaxPages == 0) return; // nothing is to be read
    if (f.format != fmtJPEG && f.format != fmtPNG && f.format != fmtGIF) return;
    f.sink = std::make_unique<detail::PageSink>(f.bits, f.list, f.callback, f.options.MaxPages);
    if (f.format == fmtJPEG) f.decoder = detail::jpegFeedDecoder(*f.sink);
    else if (f.format == fmtPNG) f.decoder = detail::pngFeedDecoder(*f.sink);
    else f.decoder = detail::gifFeedDecoder(*f.sink, f.options);
}

// The picture's pages once every byte is in, as PX_LoadMemory gives them for the same bytes.
int finishDecoder(SdkFeedLoad& f, PxFileInfo* info)
{
    if (!f.decoder->over()) f.decoder->end(f.data);
    int r = f.decoder->result();
    PxFileInfo header;
    const int h = PX_FileInfoMemory(f.data, &header, std::max(1, f.options.Page));
    if (h != PX_SUCCESS) r = h;
    else if (!sizeAllowed(header.Width, header.Height, 24)) r = PXERR_NOMEMORY;
    if (r == PX_SUCCESS || r == PXERR_STOPPED)
        detail::setResolution(detail::askLoadInfo(header, std::max(1, f.options.Page)), f.list, f.sink->firstIndex(), nullptr);
    r = f.sink->finish(r, nullptr);
    if (h == PX_SUCCESS && info) *info = header;
    return r;
}

} // namespace

int PX_StartFeedLoad(SdkFeedLoadHandle* feed, int bits, SdkBitmapListHandle list, const PxLoadOptions& options,
                     const PxLoadCallback& callback)
{
    if (!feed || !list) return PXERR_BADPARAM;
    if (bits != 0 && bits != 8 && bits != 24 && bits != 32) return PXERR_BADBITS;
    auto* f = new (std::nothrow) SdkFeedLoad;
    if (!f) return PXERR_NOMEMORY;
    f->bits = bits == 0 ? 24 : bits;
    f->list = list;
    f->options = options;
    f->callback = callback;
    *feed = f;
    return PX_SUCCESS;
}

int PX_FeedLoad(SdkFeedLoadHandle feed, const char* data, qint64 size)
{
    if (!feed || size < 0 || (size > 0 && !data)) return PXERR_BADPARAM;
    if (feed->failure != PX_SUCCESS) return feed->failure;
    if (feed->data.size() + size > maxPictureBytes) return feed->failure = PXERR_NOMEMORY;
    const bool toldBefore = feed->data.size() >= sniffBytes;
    feed->data.append(data, static_cast<qsizetype>(size));
    if (!toldBefore && feed->data.size() >= sniffBytes) {
        startDecoder(*feed);
        if (feed->format == fmtUnknown) return feed->failure = PXERR_BADFORMAT;
    }
    if (feed->decoder && !feed->decoder->over() && !feed->decoder->more(feed->data)) {
        const int r = feed->decoder->result();
        // A picture that cannot be decoded fails at once; one that is complete takes no more.
        if (r != PX_SUCCESS && r != PXERR_STOPPED && r != detail::PageSink::PXERR_DONE) {
            feed->sink->finish(r, nullptr);
            return feed->failure = r;
        }
    }
    return PX_SUCCESS;
}

int PX_StopFeedLoad(SdkFeedLoadHandle* feed, PxFileInfo* info)
{
    if (!feed || !*feed) return PXERR_BADPARAM;
    std::unique_ptr<SdkFeedLoad> f(*feed);
    *feed = nullptr;
    if (f->failure != PX_SUCCESS) return f->failure;
    if (f->data.isEmpty()) return PXERR_READ;
    if (f->decoder) return finishDecoder(*f, info);
    return PX_LoadMemory(f->data, nullptr, f->bits, f->list, f->options, f->callback, info);
}

} // namespace sdk
