#include "sdk/bitmap.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <sys/mman.h>

// Under the address checker every buffer is fresh, so that it sees each use after free.
#if defined(__SANITIZE_ADDRESS__)
#define QUORBEL_KEEP_PIXELS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORBEL_KEEP_PIXELS 0
#endif
#endif
#ifndef QUORBEL_KEEP_PIXELS
#define QUORBEL_KEEP_PIXELS 1
#endif

namespace sdk {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::vector<std::uint32_t> greyPalette()
{
    std::vector<std::uint32_t> p(256);
    for (std::uint32_t i = 0; i < 256; ++i) p[i] = (i << 16) | (i << 8) | i;
    return p;
}

// Large pixel buffers that were given back are kept for the next picture: a fresh buffer costs
// the host's zeroing of every page before the first row is written, and the program replaces one
// big picture by the next all the time. A few buffers and a limited total are kept.
class PixelCache {
public:
    static constexpr std::size_t kSmallest = 2 * kHugePage;
    static constexpr std::size_t kMaxTotal = std::size_t(192) << 20;
    static constexpr std::size_t kMaxEntries = 3;

    static PixelCache& instance()
    {
        static PixelCache* cache = new PixelCache; // lives to the very end, after every static bitmap
        return *cache;
    }

    std::uint8_t* take(std::size_t bytes, std::size_t* capacity)
    {
        if (!QUORBEL_KEEP_PIXELS) return nullptr;
        std::lock_guard<std::mutex> lock(mutex_);
        std::size_t best = entries_.size();
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const std::size_t cap = entries_[i].capacity;
            if (cap >= bytes && cap <= bytes * 2 && (best == entries_.size() || cap < entries_[best].capacity)) best = i;
        }
        if (best == entries_.size()) return nullptr;
        std::uint8_t* p = entries_[best].pixels;
        *capacity = entries_[best].capacity;
        total_ -= *capacity;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(best));
        return p;
    }

    bool keep(std::uint8_t* p, std::size_t capacity)
    {
        if (!QUORBEL_KEEP_PIXELS) return false;
        if (capacity < kSmallest || capacity > kMaxTotal) return false;
        std::lock_guard<std::mutex> lock(mutex_);
        while (!entries_.empty() && (entries_.size() >= kMaxEntries || total_ + capacity > kMaxTotal)) {
            std::free(entries_.front().pixels);
            total_ -= entries_.front().capacity;
            entries_.erase(entries_.begin());
        }
        entries_.push_back({p, capacity});
        total_ += capacity;
        return true;
    }

private:
    struct Entry {
        std::uint8_t* pixels;
        std::size_t capacity;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
    std::size_t total_ = 0;
};

// Pixel memory. Large pictures get memory in huge pages where the host offers them: a fresh
// 24-megapixel bitmap otherwise costs some 18,000 page faults before its first row is written.
std::uint8_t* allocatePixels(std::size_t bytes, std::size_t* capacity)
{
    if (bytes >= PixelCache::kSmallest) {
        if (std::uint8_t* cached = PixelCache::instance().take(bytes, capacity)) return cached;
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* p = std::aligned_alloc(kHugePage, rounded);
        if (p) {
            ::madvise(p, rounded, MADV_HUGEPAGE);
            *capacity = rounded;
            return static_cast<std::uint8_t*>(p);
        }
    }
    *capacity = bytes;
    return static_cast<std::uint8_t*>(std::malloc(bytes == 0 ? 1 : bytes));
}

} // namespace

std::int64_t bytesPerLineFor(std::int64_t width, int bits)
{
    if (width <= 0 || (bits != 8 && bits != 24 && bits != 32)) return -1;
    if (width > std::numeric_limits<std::int32_t>::max() / 4) return -1;
    const std::int64_t bytes = width * (bits / 8);
    return (bytes + 3) & ~std::int64_t(3);
}

bool sizeAllowed(std::int64_t width, std::int64_t height, int bits)
{
    if (width <= 0 || height <= 0) return false;
    if (width > maxPixels || height > maxPixels || width * height > maxPixels) return false;
    const std::int64_t line = bytesPerLineFor(width, bits);
    if (line <= 0 || line > std::numeric_limits<std::int32_t>::max()) return false;
    return line * height <= std::numeric_limits<std::int64_t>::max() / 2;
}

void SdkBitmapHandle::FreePixels::operator()(std::uint8_t* p) const
{
    if (!PixelCache::instance().keep(p, capacity)) std::free(p);
}

struct BitmapAccess {
    static void adopt(SdkBitmapHandle& b, std::uint8_t* p, std::size_t capacity)
    {
        b.pixels_ = std::unique_ptr<std::uint8_t, SdkBitmapHandle::FreePixels>(p, SdkBitmapHandle::FreePixels{capacity});
    }
};

int allocateUninitialised(SdkBitmapHandle& out, int width, int height, int bits)
{
    if (bits != 8 && bits != 24 && bits != 32) return PXERR_BADBITS;
    if (width <= 0 || height <= 0) return PXERR_BADSIZE;
    if (!sizeAllowed(width, height, bits)) return PXERR_NOMEMORY;
    const std::int64_t line = bytesPerLineFor(width, bits);
    std::size_t capacity = 0;
    std::uint8_t* pixels = allocatePixels(static_cast<std::size_t>(line * height), &capacity);
    if (!pixels) return PXERR_NOMEMORY;
    out = SdkBitmapHandle();
    out.Width = width;
    out.Height = height;
    out.BitsPerPixel = bits;
    out.BytesPerLine = static_cast<std::int32_t>(line);
    out.Flags = bfAllocated;
    if (bits == 8) out.Palette = greyPalette();
    BitmapAccess::adopt(out, pixels, capacity);
    return PX_SUCCESS;
}

namespace {

int allocate(SdkBitmapHandle& out, int width, int height, int bits) { return allocateUninitialised(out, width, height, bits); }

void copyAttributes(SdkBitmapHandle& to, const SdkBitmapHandle& from)
{
    to.Flags = (from.Flags & ~bfAllocated) | (to.Flags & bfAllocated);
    to.Palette = from.Palette;
    to.ViewPerspective = from.ViewPerspective;
    to.Order = from.Order;
    to.XResolution = from.XResolution;
    to.YResolution = from.YResolution;
    to.TransparentColor = from.TransparentColor;
    to.BackgroundColor = from.BackgroundColor;
    to.Delay = from.Delay;
    to.PaintContrast = from.PaintContrast;
    to.PaintIntensity = from.PaintIntensity;
    to.PaintGamma = from.PaintGamma;
}

PxStatusCallback& statusCallback()
{
    // Each thread has its own: work on a worker thread reports to nothing the window thread set.
    static thread_local PxStatusCallback callback;
    return callback;
}

} // namespace

void colorToBGR(std::int32_t color, std::uint8_t bgr[3])
{
    bgr[0] = static_cast<std::uint8_t>((color >> 16) & 0xFF);
    bgr[1] = static_cast<std::uint8_t>((color >> 8) & 0xFF);
    bgr[2] = static_cast<std::uint8_t>(color & 0xFF);
}

int PX_InitBitmap(SdkBitmapHandle* bitmap, int width, int height, int bits)
{
    if (!bitmap) return PXERR_BADBITMAP;
    if (width == 0 && height == 0) {
        *bitmap = SdkBitmapHandle();
        return PX_SUCCESS;
    }
    SdkBitmapHandle fresh;
    const int r = allocate(fresh, width, height, bits);
    if (r != PX_SUCCESS) return r;
    std::memset(fresh.bits(), 0, fresh.byteCount());
    *bitmap = std::move(fresh);
    return PX_SUCCESS;
}

int PX_CreateBitmap(SdkBitmapHandle* bitmap, int memoryType, int width, int height, int bits, int order,
                    const std::vector<std::uint32_t>* palette, std::int32_t backColor)
{
    if (!bitmap) return PXERR_BADBITMAP;
    if (order != orderBGR) return PXERR_BADPARAM;
    SdkBitmapHandle fresh;
    const int r = allocate(fresh, width, height, bits);
    if (r != PX_SUCCESS) return r;
    if (palette && bits == 8 && palette->size() == 256) fresh.Palette = *palette;
    std::uint8_t bgr[3];
    colorToBGR(backColor, bgr);
    for (int y = 0; y < fresh.Height; ++y) {
        std::uint8_t* p = fresh.row(y);
        std::memset(p, 0, static_cast<std::size_t>(fresh.BytesPerLine));
        if (bits == 8) {
            const int grey = (bgr[0] * 29 + bgr[1] * 150 + bgr[2] * 77 + 128) >> 8;
            std::memset(p, grey, static_cast<std::size_t>(fresh.Width));
        } else {
            const int bpp = bits / 8;
            for (int x = 0; x < fresh.Width; ++x, p += bpp) {
                p[0] = bgr[0]; p[1] = bgr[1]; p[2] = bgr[2];
                if (bpp == 4) p[3] = 255;
            }
        }
    }
    fresh.BackgroundColor = backColor;
    *bitmap = std::move(fresh);
    return PX_SUCCESS;
}

int PX_FreeBitmap(SdkBitmapHandle* bitmap)
{
    if (!bitmap) return PXERR_BADBITMAP;
    *bitmap = SdkBitmapHandle();
    return PX_SUCCESS;
}

int PX_CopyBitmap(SdkBitmapHandle* target, const SdkBitmapHandle* source)
{
    if (!target || !source || !source->allocated()) return PXERR_BADBITMAP;
    if (target == source) return PX_SUCCESS;
    SdkBitmapHandle copy;
    const int r = allocate(copy, source->Width, source->Height, source->BitsPerPixel);
    if (r != PX_SUCCESS) return r;
    std::memcpy(copy.bits(), source->bits(), source->byteCount());
    copyAttributes(copy, *source);
    copy.Region = source->Region;
    *target = std::move(copy);
    return PX_SUCCESS;
}

int PX_CopyBitmapHandle(SdkBitmapHandle* target, SdkBitmapHandle* source)
{
    if (!target || !source || !source->allocated()) return PXERR_BADBITMAP;
    if (target == source) return PX_SUCCESS;
    *target = std::move(*source);
    *source = SdkBitmapHandle();
    return PX_SUCCESS;
}

int PX_CopyBitmapRect(SdkBitmapHandle* target, const SdkBitmapHandle* source, int left, int top, int width, int height)
{
    if (!target || !source || !source->allocated()) return PXERR_BADBITMAP;
    const QRect wanted = QRect(left, top, width, height).intersected(QRect(0, 0, source->Width, source->Height));
    if (width <= 0 || height <= 0 || wanted.isEmpty()) return PXERR_BADSIZE;
    SdkBitmapHandle copy;
    const int r = allocate(copy, wanted.width(), wanted.height(), source->BitsPerPixel);
    if (r != PX_SUCCESS) return r;
    const int bpp = source->bytesPerPixel();
    for (int y = 0; y < copy.Height; ++y) {
        std::uint8_t* d = copy.row(y);
        std::memset(d, 0, static_cast<std::size_t>(copy.BytesPerLine));
        std::memcpy(d, source->row(wanted.top() + y) + static_cast<std::size_t>(wanted.left()) * bpp,
                    static_cast<std::size_t>(copy.Width) * bpp);
    }
    copyAttributes(copy, *source);
    if (!source->Region.isEmpty())
        copy.Region = source->Region.intersected(wanted).translated(-wanted.left(), -wanted.top());
    *target = std::move(copy);
    return PX_SUCCESS;
}

int PX_GetBitmapRow(const SdkBitmapHandle* bitmap, int y, std::uint8_t* buffer, int bufferBytes)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (y < 0 || y >= bitmap->Height || !buffer || bufferBytes < bitmap->BytesPerLine) return PXERR_BADPARAM;
    std::memcpy(buffer, bitmap->row(y), static_cast<std::size_t>(bitmap->BytesPerLine));
    return PX_SUCCESS;
}

int PX_SetBitmapRow(SdkBitmapHandle* bitmap, int y, const std::uint8_t* buffer, int bufferBytes)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (y < 0 || y >= bitmap->Height || !buffer || bufferBytes < bitmap->BytesPerLine) return PXERR_BADPARAM;
    std::memcpy(bitmap->row(y), buffer, static_cast<std::size_t>(bitmap->BytesPerLine));
    return PX_SUCCESS;
}

int PX_ConvertBitmap(SdkBitmapHandle* bitmap, int bits)
{
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    if (bits != 8 && bits != 24 && bits != 32) return PXERR_BADBITS;
    if (bits == bitmap->BitsPerPixel) return PX_SUCCESS;
    SdkBitmapHandle out;
    const int r = allocate(out, bitmap->Width, bitmap->Height, bits);
    if (r != PX_SUCCESS) return r;
    const int from = bitmap->bytesPerPixel();
    const int to = bits / 8;
    const bool paletted = bitmap->BitsPerPixel == 8 && bitmap->Palette.size() == 256;
    for (int y = 0; y < out.Height; ++y) {
        const std::uint8_t* s = bitmap->row(y);
        std::uint8_t* d = out.row(y);
        std::memset(d, 0, static_cast<std::size_t>(out.BytesPerLine));
        for (int x = 0; x < out.Width; ++x, s += from, d += to) {
            std::uint8_t b, g, r8, a = 255;
            if (from == 1) {
                const std::uint32_t c = paletted ? bitmap->Palette[s[0]] : (s[0] * 0x010101u);
                b = c & 0xFF; g = (c >> 8) & 0xFF; r8 = (c >> 16) & 0xFF;
            } else {
                b = s[0]; g = s[1]; r8 = s[2];
                if (from == 4) a = s[3];
            }
            if (to == 1) {
                d[0] = static_cast<std::uint8_t>((b * 29 + g * 150 + r8 * 77 + 128) >> 8);
            } else {
                d[0] = b; d[1] = g; d[2] = r8;
                if (to == 4) d[3] = a;
            }
        }
    }
    copyAttributes(out, *bitmap);
    out.Palette.clear();
    if (bits == 8) out.Palette = greyPalette();
    out.Region = bitmap->Region;
    *bitmap = std::move(out);
    return PX_SUCCESS;
}

// ---- lists ----

int PX_CreateBitmapList(SdkBitmapListHandle* list)
{
    if (!list) return PXERR_BADPARAM;
    *list = new (std::nothrow) SdkBitmapList;
    return *list ? PX_SUCCESS : PXERR_NOMEMORY;
}

int PX_DestroyBitmapList(SdkBitmapListHandle* list)
{
    if (!list) return PXERR_BADPARAM;
    delete *list;
    *list = nullptr;
    return PX_SUCCESS;
}

int PX_GetBitmapListCount(SdkBitmapListHandle list, int* count)
{
    if (!list || !count) return PXERR_BADPARAM;
    *count = static_cast<int>(list->items.size());
    return PX_SUCCESS;
}

int PX_InsertBitmapListItem(SdkBitmapListHandle list, int index, const SdkBitmapHandle* bitmap)
{
    if (!list || index < 0) return PXERR_BADPARAM;
    SdkBitmapHandle copy;
    const int r = PX_CopyBitmap(&copy, bitmap);
    if (r != PX_SUCCESS) return r;
    const auto at = std::min<std::size_t>(static_cast<std::size_t>(index), list->items.size());
    list->items.insert(list->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(copy));
    return PX_SUCCESS;
}

int PX_AppendBitmapListItemHandle(SdkBitmapListHandle list, SdkBitmapHandle* bitmap)
{
    if (!list) return PXERR_BADPARAM;
    return PX_InsertBitmapListItemHandle(list, static_cast<int>(std::min<std::size_t>(list->items.size(), INT_MAX)), bitmap);
}

int PX_InsertBitmapListItemHandle(SdkBitmapListHandle list, int index, SdkBitmapHandle* bitmap)
{
    if (!list || index < 0) return PXERR_BADPARAM;
    if (!bitmap || !bitmap->allocated()) return PXERR_BADBITMAP;
    const auto at = std::min<std::size_t>(static_cast<std::size_t>(index), list->items.size());
    list->items.insert(list->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(*bitmap));
    *bitmap = SdkBitmapHandle();
    return PX_SUCCESS;
}

int PX_DeleteBitmapListItems(SdkBitmapListHandle list, int index, int count)
{
    if (!list || index < 0 || count < 0) return PXERR_BADPARAM;
    const auto size = list->items.size();
    if (static_cast<std::size_t>(index) >= size) return PXERR_BADPARAM;
    const auto end = std::min<std::size_t>(size, static_cast<std::size_t>(index) + static_cast<std::size_t>(count));
    list->items.erase(list->items.begin() + index, list->items.begin() + static_cast<std::ptrdiff_t>(end));
    return PX_SUCCESS;
}

int PX_GetBitmapListItem(SdkBitmapListHandle list, int index, SdkBitmapHandle* bitmap)
{
    if (!list || index < 0 || static_cast<std::size_t>(index) >= list->items.size()) return PXERR_BADPARAM;
    return PX_CopyBitmap(bitmap, &list->items[static_cast<std::size_t>(index)]);
}

int PX_SetBitmapListItem(SdkBitmapListHandle list, int index, const SdkBitmapHandle* bitmap)
{
    if (!list || index < 0 || static_cast<std::size_t>(index) >= list->items.size()) return PXERR_BADPARAM;
    return PX_CopyBitmap(&list->items[static_cast<std::size_t>(index)], bitmap);
}

int PX_RemoveBitmapListItem(SdkBitmapListHandle list, int index, SdkBitmapHandle* bitmap)
{
    if (!list || !bitmap || index < 0 || static_cast<std::size_t>(index) >= list->items.size()) return PXERR_BADPARAM;
    *bitmap = std::move(list->items[static_cast<std::size_t>(index)]);
    list->items.erase(list->items.begin() + index);
    return PX_SUCCESS;
}

int PX_CopyBitmapListItems(SdkBitmapListHandle target, SdkBitmapListHandle source, int first, int count)
{
    if (!target || !source || first < 0) return PXERR_BADPARAM;
    const auto size = source->items.size();
    if (static_cast<std::size_t>(first) > size) return PXERR_BADPARAM;
    const std::size_t end = count < 0 ? size : std::min<std::size_t>(size, static_cast<std::size_t>(first) + static_cast<std::size_t>(count));
    std::vector<SdkBitmapHandle> copies;
    copies.reserve(end - static_cast<std::size_t>(first));
    for (std::size_t i = static_cast<std::size_t>(first); i < end; ++i) {
        SdkBitmapHandle c;
        const int r = PX_CopyBitmap(&c, &source->items[i]);
        if (r != PX_SUCCESS) return r;
        copies.push_back(std::move(c));
    }
    for (auto& c : copies) target->items.push_back(std::move(c));
    return PX_SUCCESS;
}

// ---- status callback ----

PxStatusCallback PX_SetStatusCallBack(PxStatusCallback callback)
{
    PxStatusCallback previous = std::move(statusCallback());
    statusCallback() = std::move(callback);
    return previous;
}

StatusReporter::StatusReporter(std::int64_t total) : total_(total > 0 ? total : 1) {}

bool StatusReporter::update(std::int64_t done)
{
    if (stopped_) return false;
    if (!statusCallback()) return true;
    const int percent = static_cast<int>(std::clamp<std::int64_t>(done * 100 / total_, 0, 100));
    if (percent <= lastPercent_) return true;
    lastPercent_ = percent;
    // A copy: the callback may install another one while it runs.
    const PxStatusCallback cb = statusCallback();
    if (cb(percent) != 1) stopped_ = true;
    return !stopped_;
}

} // namespace sdk
