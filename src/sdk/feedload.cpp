#include "sdk/feedload.h"

#include "sdk/codecs.h"

#include <new>

namespace sdk {

struct SdkFeedLoad {
    int bits = 0;
    SdkBitmapListHandle list = nullptr;
    PxLoadOptions options;
    PxLoadCallback callback;
    QByteArray data;
    int failure = PX_SUCCESS;
};

namespace {

// Enough bytes to tell every format the engine reads by its first bytes.
constexpr qint64 sniffBytes = 14;

} // namespace

int PX_StartFeedLoad(SdkFeedLoadHandle* feed, int bits, SdkBitmapListHandle list, const PxLoadOptions& options,
                     const PxLoadCallback& callback)
{
    if (!feed || !list) return PXERR_BADPARAM;
    if (bits != 0 && bits != 8 && bits != 24 && bits != 32) return PXERR_BADBITS;
    auto* f = new (std::nothrow) SdkFeedLoad;
    if (!f) return PXERR_NOMEMORY;
    f->bits = bits;
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
    if (!toldBefore && feed->data.size() >= sniffBytes && detail::sniffFormat(feed->data) == fmtUnknown)
        return feed->failure = PXERR_BADFORMAT;
    return PX_SUCCESS;
}

int PX_StopFeedLoad(SdkFeedLoadHandle* feed, PxFileInfo* info)
{
    if (!feed || !*feed) return PXERR_BADPARAM;
    SdkFeedLoad* f = *feed;
    *feed = nullptr;
    int r = f->failure;
    if (r == PX_SUCCESS)
        r = f->data.isEmpty() ? PXERR_READ : PX_LoadMemory(f->data, nullptr, f->bits, f->list, f->options, f->callback, info);
    delete f;
    return r;
}

} // namespace sdk
