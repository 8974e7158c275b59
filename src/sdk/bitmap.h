#pragma once
// Bitmaps and bitmap lists of the imaging engine.
//
// A bitmap holds rows from top to bottom, each row BytesPerLine bytes long (a multiple of 4).
// 24 bits per pixel is the working form: blue, green, red bytes. 8 bits are grey levels (with a
// grey palette), 32 bits are blue, green, red, alpha. Every function returns a PxResult.
#include "sdk/errors.h"

#include <QRegion>
#include <QVector>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace sdk {

// Flags of SdkBitmapHandle.
constexpr std::uint32_t bfAllocated = 0x01;
constexpr std::uint32_t bfTransparent = 0x80; // TransparentColor is meaningful

// Colour order of the pixels: blue, green, red in memory.
constexpr int orderBGR = 1;
// View perspective of a bitmap whose first row is the top row, first pixel at the left.
constexpr int perspectiveTopLeft = 1;

// Size limits: no picture above 300 megapixels is ever allocated.
constexpr std::int64_t maxPixels = 300'000'000;

struct SdkBitmapHandle {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t BitsPerPixel = 0;
    std::int32_t BytesPerLine = 0;
    std::uint32_t Flags = 0;
    std::vector<std::uint32_t> Palette; // 0x00RRGGBB entries, only for 8 bits
    std::int32_t ViewPerspective = perspectiveTopLeft;
    std::int32_t Order = orderBGR;
    std::int32_t XResolution = 96;
    std::int32_t YResolution = 96;
    std::int32_t TransparentColor = 0; // colour integer 0x00BBGGRR, see bfTransparent
    std::int32_t BackgroundColor = 0;  // colour integer, the file's background (animations)
    std::int32_t Delay = 0;            // milliseconds this frame stays (animations)
    QRegion Region;                    // the selection, in bitmap coordinates; empty = none
    // How painting shows the pixels (PX_SetPaintContrast and its twins); the pixels keep their values.
    std::int32_t PaintContrast = 0;
    std::int32_t PaintIntensity = 0;
    std::int32_t PaintGamma = 100;

    SdkBitmapHandle() = default;
    SdkBitmapHandle(SdkBitmapHandle&&) noexcept = default;
    SdkBitmapHandle& operator=(SdkBitmapHandle&&) noexcept = default;
    SdkBitmapHandle(const SdkBitmapHandle&) = delete;
    SdkBitmapHandle& operator=(const SdkBitmapHandle&) = delete;

    bool allocated() const { return (Flags & bfAllocated) != 0 && pixels_ != nullptr; }
    int bytesPerPixel() const { return BitsPerPixel / 8; }
    std::uint8_t* row(int y) { return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(BytesPerLine); }
    const std::uint8_t* row(int y) const { return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(BytesPerLine); }
    std::uint8_t* bits() { return pixels_.get(); }
    const std::uint8_t* bits() const { return pixels_.get(); }
    std::size_t byteCount() const { return static_cast<std::size_t>(BytesPerLine) * static_cast<std::size_t>(Height); }

private:
    friend struct BitmapAccess;
    struct FreePixels {
        std::size_t capacity; // bytes behind the pointer
        void operator()(std::uint8_t* p) const;
    };
    std::unique_ptr<std::uint8_t, FreePixels> pixels_;
};

// Bytes of one row of the given width and depth (a multiple of 4); -1 when it does not fit.
std::int64_t bytesPerLineFor(std::int64_t width, int bits);
// True when a bitmap of this size may be allocated: both sides above 0, at most maxPixels, the
// byte count representable.
bool sizeAllowed(std::int64_t width, std::int64_t height, int bits);

// A fresh bitmap in out whose pixels are not yet set (for code that writes every byte, padding
// included).
int allocateUninitialised(SdkBitmapHandle& out, int width, int height, int bits);

// Empties the bitmap when width and height are 0; otherwise allocates it (pixels set to 0; an 8-bit
// bitmap gets a grey palette). Bits 8, 24 or 32.
int PX_InitBitmap(SdkBitmapHandle* bitmap, int width, int height, int bits);
// Allocates a bitmap filled with backColor (a colour integer); memoryType and order take 1.
int PX_CreateBitmap(SdkBitmapHandle* bitmap, int memoryType, int width, int height, int bits, int order,
                    const std::vector<std::uint32_t>* palette, std::int32_t backColor);
int PX_FreeBitmap(SdkBitmapHandle* bitmap);
// A copy of source with its region; target keeps its old picture when the copy cannot be made.
int PX_CopyBitmap(SdkBitmapHandle* target, const SdkBitmapHandle* source);
// Moves the picture of source into target; source is left empty.
int PX_CopyBitmapHandle(SdkBitmapHandle* target, SdkBitmapHandle* source);
// A copy of the rectangle (clipped to the source); the part of source's region inside it comes
// along, moved to the copy's origin.
int PX_CopyBitmapRect(SdkBitmapHandle* target, const SdkBitmapHandle* source, int left, int top, int width, int height);
// Whole rows: row y copied out of or into buffer, which holds at least BytesPerLine bytes.
int PX_GetBitmapRow(const SdkBitmapHandle* bitmap, int y, std::uint8_t* buffer, int bufferBytes);
int PX_SetBitmapRow(SdkBitmapHandle* bitmap, int y, const std::uint8_t* buffer, int bufferBytes);
// The bitmap converted to another depth (8 grey, 24, 32).
int PX_ConvertBitmap(SdkBitmapHandle* bitmap, int bits);

// Colour integer <-> pixel helpers.
void colorToBGR(std::int32_t color, std::uint8_t bgr[3]);

// Bitmap lists: the pages or frames of a file. A list handle of nullptr means no list.
struct SdkBitmapList {
    std::vector<SdkBitmapHandle> items;
};
using SdkBitmapListHandle = SdkBitmapList*;

int PX_CreateBitmapList(SdkBitmapListHandle* list);
int PX_DestroyBitmapList(SdkBitmapListHandle* list);
int PX_GetBitmapListCount(SdkBitmapListHandle list, int* count);
// Inserts a copy at index (index at or past the end appends).
int PX_InsertBitmapListItem(SdkBitmapListHandle list, int index, const SdkBitmapHandle* bitmap);
// Appends, taking the picture over (bitmap is left empty).
int PX_AppendBitmapListItemHandle(SdkBitmapListHandle list, SdkBitmapHandle* bitmap);
// Inserts at index (at or past the end appends), taking the picture over (bitmap is left empty);
// nothing is copied, so an item taken out with PX_RemoveBitmapListItem always goes back.
int PX_InsertBitmapListItemHandle(SdkBitmapListHandle list, int index, SdkBitmapHandle* bitmap);
int PX_DeleteBitmapListItems(SdkBitmapListHandle list, int index, int count);
// A copy of item index into bitmap.
int PX_GetBitmapListItem(SdkBitmapListHandle list, int index, SdkBitmapHandle* bitmap);
// Replaces item index by a copy of bitmap (the old item stays when the copy cannot be made).
int PX_SetBitmapListItem(SdkBitmapListHandle list, int index, const SdkBitmapHandle* bitmap);
// Takes item index out of the list into bitmap.
int PX_RemoveBitmapListItem(SdkBitmapListHandle list, int index, SdkBitmapHandle* bitmap);
// Appends copies of count items of source from first (count -1: to the end).
int PX_CopyBitmapListItems(SdkBitmapListHandle target, SdkBitmapListHandle source, int first, int count);

// The status callback: one per thread (what a thread installs, only its own operations call).
// Long operations call it with the percentage done
// (each value at most once, rising); it returns 1 to go on, anything else stops the operation,
// which then gives PXERR_ABORTED and leaves its bitmap or file as it was.
using PxStatusCallback = std::function<int(int percent)>;
// Installs callback (empty: none) and gives back the one installed before.
PxStatusCallback PX_SetStatusCallBack(PxStatusCallback callback);

// Reports progress of one operation through the status callback, each percentage once.
class StatusReporter {
public:
    explicit StatusReporter(std::int64_t total);
    // Work done so far; false when the callback asked to stop.
    bool update(std::int64_t done);
    bool stopped() const { return stopped_; }

private:
    std::int64_t total_;
    int lastPercent_ = -1;
    bool stopped_ = false;
};

} // namespace sdk
