#pragma once
// Inside the imaging engine: the decoders and the JPEG encoder behind pictureio.h.
#include "sdk/pictureio.h"

#include <QIODevice>

namespace sdk::detail {

// Receives decoded pages band by band.
class PageSink {
public:
    PageSink(int bits, SdkBitmapListHandle list, const PxLoadCallback& callback, int maxPages);
    ~PageSink();
    PageSink(const PageSink&) = delete;
    PageSink& operator=(const PageSink&) = delete;

    // Starts a page of the given size (checked before allocation); the bitmap to fill is page().
    int beginPage(int width, int height, int xres, int yres);
    SdkBitmapHandle& page() { return page_; }
    // Rows [firstRow, firstRow + rows) of the current page are done.
    int band(int firstRow, int rows);
    // The current page is complete: it goes to the list. Gives PX_SUCCESS, or PXERR_STOPPED when
    // no further page is wanted, or PXERR_DONE when the load has no list for further pages (the
    // decoders hand it on like PXERR_STOPPED; finish makes it a success).
    int endPage();
    static constexpr int PXERR_DONE = -30000;
    int pagesDelivered() const { return delivered_; }
    int firstIndex() const { return listStart_; }
    int bits() const { return bits_; }
    // After the load: the first page into bitmap, or the pages of this load removed on a failure.
    int finish(int result, SdkBitmapHandle* bitmap);

private:
    int bits_;
    SdkBitmapListHandle list_;
    SdkBitmapListHandle ownList_ = nullptr;
    const PxLoadCallback& callback_;
    int maxPages_;
    bool firstOnly_ = false;
    int delivered_ = 0;
    int listStart_ = 0;
    std::int64_t bytes_ = 0;
    SdkBitmapHandle page_;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
};

// Format from the first bytes of a file.
int sniffFormat(const QByteArray& data);

int jpegInfo(const QByteArray& data, PxFileInfo* info);
// Decodes page 1 of a JPEG into the sink.
int jpegDecode(const QByteArray& data, PageSink& sink, const PxLoadOptions& options);

// Where the rows of a BMP file of plain 24-bit rows, bottom row first, lie.
struct BmpLayout {
    int width = 0;
    int height = 0;
    std::int64_t offset = 0;
    std::int64_t rowBytes = 0;
    int xres = 96;
    int yres = 96;
};
// True for a BMP file of plain 24-bit rows whose pixels all lie inside it; every other BMP goes
// to the general reader (which also judges the broken ones).
bool plainBmp(const QByteArray& data, BmpLayout* layout);
// Decodes such a file into the sink (24 or 32 bits).
int bmpDecode(const QByteArray& data, const BmpLayout& layout, PageSink& sink);

int qtInfo(const QByteArray& data, int format, PxFileInfo* info, int page);
int qtDecode(const QByteArray& data, int format, PageSink& sink, const PxLoadOptions& options);

// Row y of the picture to encode, in the layout of the bitmap: a pointer to the row, either the
// bitmap's own or scratch (BytesPerLine bytes) filled by the function; nullptr stops the save.
using RowFetch = std::function<const std::uint8_t*(int y, std::uint8_t* scratch)>;
// Writes a JFIF file; progress through the status callback.
int jpegEncode(QIODevice* out, const SdkBitmapHandle& layout, const RowFetch& rows, int bits, int quality,
               const PxSaveOptions& options = {});
// Writes a BMP file of plain 24-bit rows, bottom row first.
int bmpEncode(QIODevice* out, const SdkBitmapHandle& layout, const RowFetch& rows);
int qtEncode(QIODevice* out, const SdkBitmapHandle& layout, const RowFetch& rows, int format, int bits);

// Checks a save of bitmap; bits 0 becomes the depth that is written.
int checkSave(const SdkBitmapHandle* bitmap, int format, int& bits, int qfactor, const PxSaveOptions& options);
// Writes the file through write; the target is replaced only when all of it is written.
int writeReplacing(const QString& fileName, const std::function<int(QIODevice*)>& write);

} // namespace sdk::detail
