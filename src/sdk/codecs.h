#pragma once
// Inside the imaging engine: the decoders and the JPEG encoder behind pictureio.h.
#include "sdk/pictureio.h"

#include <QIODevice>
#include <QImage>
#include <memory>

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
    // Rows [firstRow, firstRow + rows) of the current page are done. A picture shown in passes,
    // coarse first, tells which pass it is (bandFirstPass, bandLastPass; both for a single pass).
    int band(int firstRow, int rows, int passFlags = bandFirstPass | bandLastPass);
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

// The resolution the thread's load-information callback gives the pages of a picture with this
// header (0: the file's own).
struct LoadResolution {
    int x = 0;
    int y = 0;
};
LoadResolution askLoadInfo(const PxFileInfo& header, int page);
// Gives the pages of list from index from on, and bitmap when allocated, that resolution.
void setResolution(const LoadResolution& resolution, SdkBitmapListHandle list, int from, SdkBitmapHandle* bitmap);

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
// The layout Qt's readers' pictures are turned into for a page of the given bits.
QImage::Format qtFormatForBits(int bits);
// Dots per inch of a resolution in dots per metre (96 when there is none).
int dpiOfDotsPerMetre(int dotsPerMetre);
int qtDecode(const QByteArray& data, int format, PageSink& sink, const PxLoadOptions& options);

// Decodes a picture whose bytes arrive in pieces, page by page and band by band as far as the
// bytes so far allow, into the same pages a load of all the bytes in one piece gives.
class FeedDecoder {
public:
    virtual ~FeedDecoder() = default;
    // data holds every byte so far, the new ones at its end. False once decoding is over, for
    // good or ill (result() tells); bytes after that are not looked at.
    virtual bool more(const QByteArray& data) = 0;
    // No more bytes come: the rest is decoded as a load of data would decode it.
    virtual void end(const QByteArray& data) = 0;
    bool over() const { return over_; }
    int result() const { return result_; }

protected:
    void finish(int result)
    {
        over_ = true;
        result_ = result;
    }

private:
    bool over_ = false;
    int result_ = PX_SUCCESS;
};
std::unique_ptr<FeedDecoder> jpegFeedDecoder(PageSink& sink);
std::unique_ptr<FeedDecoder> pngFeedDecoder(PageSink& sink);
std::unique_ptr<FeedDecoder> gifFeedDecoder(PageSink& sink, const PxLoadOptions& options);

// The whole-number reduction at which a PNG is decoded for a load that wants at least the
// options' reduced size in 24 bits: 1 when it is decoded at full size (no reduced size wanted,
// another depth, or an interlaced file, whose passes need the whole picture).
int pngReduction(const QByteArray& data, const PxLoadOptions& options, int bits);
// Decodes a PNG row by row into a page factor times smaller on each side (24 bits).
int pngDecodeReduced(const QByteArray& data, PageSink& sink, int factor);

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
[[nodiscard]] int writeReplacing(const QString& fileName, const std::function<int(QIODevice*)>& write);

} // namespace sdk::detail
