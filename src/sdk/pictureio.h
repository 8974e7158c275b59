#pragma once
// Picture files: information, loading (JPEG through libjpeg, GIF, PNG, BMP and TIFF through Qt's
// readers) and saving. File names are Windows paths; every file is reached through the platform's
// file functions, and a save replaces its target only when the whole new file is written.
#include "sdk/bitmap.h"

#include <QByteArray>
#include <QString>

namespace sdk {

// Format codes.
enum PxFormat : int {
    fmtUnknown = 0,
    fmtBMP = 1,
    fmtGIF = 2,
    fmtTIFF = 3,
    fmtCompressed = 5, // the engine's own lossless compressed picture (written as PNG)
    fmtPNG = 10,
    fmtJPEG = 23,
    fmtJPEGFrame = 51, // a JFIF picture of exactly frameFormatWidth x frameFormatHeight pixels
};
constexpr int frameFormatWidth = 576;
constexpr int frameFormatHeight = 720;

// At most this many pages or frames are read by one load; a file with more stops there as if the
// caller's page limit had been reached.
constexpr int maxPagesPerLoad = 1000;
// All pages of one load together hold at most this many bytes.
constexpr std::int64_t maxBytesPerLoad = std::int64_t(2) << 30;
// A picture file (or the bytes of one in memory or arriving in pieces) larger than this is not read.
constexpr std::int64_t maxPictureBytes = std::int64_t(1) << 30;

struct PxFileInfo {
    int Format = fmtUnknown;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;   // as stored: 8 grey or paletted, 24 colour, 32 CMYK or with alpha
    int XResolution = 96;   // dots per inch
    int YResolution = 96;
    int Pages = 0;          // pages or frames
    bool Progressive = false;
    std::vector<std::uint32_t> Palette; // 0x00RRGGBB, paletted files
    bool HasBackground = false;
    std::int32_t BackgroundColor = 0;   // colour integer
    bool Loops = false;                 // an animation that repeats
    int LoopCount = 0;                  // repetitions; 0 = for ever (when Loops)
    std::vector<int> Delays;            // milliseconds per frame of an animation
};

// Reads the information of the file; page counts from 1 (0 is taken as 1).
int PX_FileInfo(const QString& fileName, PxFileInfo* info, int page = 1);

// One band of decoded rows, handed to the load callback.
constexpr int bandFirstPass = 1;
constexpr int bandLastPass = 2;
constexpr int bandFirstRow = 4;
constexpr int bandLastRow = 8;
constexpr int bandCompressed = 16;
struct PxLoadBand {
    const SdkBitmapHandle* page = nullptr; // the page being decoded; rows up to firstRow + rows are done
    int pagesDelivered = 0;                // pages of this load completed before this one
    int firstRow = 0;
    int rows = 0;
    int flags = 0;
    int percent = 0;                       // of the current page
};
// Returns 1 to go on; PXERR_STOPPED stops at the caller's page limit (the load gives
// PXERR_STOPPED with the pages so far); anything else stops the load (PXERR_ABORTED, nothing
// delivered).
using PxLoadCallback = std::function<int(const PxLoadBand&)>;

struct PxLoadOptions {
    int Page = 1;          // the first page to read, from 1
    int MaxPages = -1;     // -1: all
    // When set, a JPEG is decoded at the smallest reduction (1/2, 1/4, 1/8) that still gives at
    // least this size; callers that shrink the picture anyway save the decoding of detail they drop.
    int ReduceWidth = 0;
    int ReduceHeight = 0;
};

// What a load is about to read, handed to the load-information callback before any pixel is
// decoded. A callback that returns 1 may change the resolution the pages are given.
struct PxLoadInfo {
    int Format = 0;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
    int XResolution = 0;
    int YResolution = 0;
    int Pages = 0;
    int Page = 0;
};
using PxLoadInfoCallback = std::function<int(PxLoadInfo* info)>;
// Installs the thread's load-information callback (empty: none); gives back the one before.
PxLoadInfoCallback PX_SetLoadInfoCallback(PxLoadInfoCallback callback);

// Loads pages of the file. Bits 0 or 24 give 24-bit bitmaps, 8 grey levels, 32 blue, green, red,
// alpha. Each page is appended to list (when given); bitmap receives a copy of the first page read.
int PX_LoadFile(const QString& fileName, SdkBitmapHandle* bitmap, int bits, SdkBitmapListHandle list,
                const PxLoadOptions& options = {}, const PxLoadCallback& callback = {}, PxFileInfo* info = nullptr);
// The same from bytes in memory.
int PX_LoadMemory(const QByteArray& data, SdkBitmapHandle* bitmap, int bits, SdkBitmapListHandle list,
                  const PxLoadOptions& options = {}, const PxLoadCallback& callback = {}, PxFileInfo* info = nullptr);
int PX_FileInfoMemory(const QByteArray& data, PxFileInfo* info, int page = 1);

// The most memory a load of these bytes with these options can take on its way (the decoded
// pages, the decoder's own buffers and the copies made between them), from the header alone:
// what a caller that shares memory among several loads reserves before it starts one. -1 when
// the header cannot be read.
std::int64_t PX_LoadMemoryCost(const QByteArray& data, int bits, const PxLoadOptions& options = {});

// libjpeg quality of a quality factor (1..255): max(5, 100 - factor); 0 for a factor outside.
int jpegQualityOfFactor(int qfactor);

// How a JPEG is written (the other formats take no options).
struct PxSaveOptions {
    // The passes the picture data is written in: 1 one sequential pass (a baseline file); 2 or
    // more a progressive file, a coarse picture first and its detail after it.
    int Count = 1;
    // Huffman tables made for this picture: a smaller file with the same pixels.
    bool OptimizeCoding = false;
    // A restart marker after every row of 8 x 8 blocks, so a damaged file loses only that row.
    bool RestartMarkers = false;
    // How an animated GIF repeats: -1 it plays once, 0 for ever, n: n times more after the first.
    int LoopCount = 0;
};

// Saves the bitmap. Format fmtJPEG with Bits 24 (or 8 for grey, 0 for the bitmap's own) writes a
// JFIF file with the quality of QFactor; fmtJPEGFrame the same at 576 x 720 (a bitmap of another
// size is resampled into a copy first); fmtBMP, fmtPNG and fmtTIFF write 24 bits through Qt.
// Progress goes to the status callback; a stop gives PXERR_ABORTED. The target is replaced only
// when the new file is complete: on any failure the old file stays as it was.
int PX_SaveBitmap(const QString& fileName, const SdkBitmapHandle* bitmap, int format, int bits, int qfactor,
                  const PxSaveOptions& options = {});
// Saves the pages of a list: fmtGIF writes them all as the frames of an animation, with their
// delays; formats that hold one page take a list of one item.
int PX_SaveBitmapList(const QString& fileName, SdkBitmapListHandle list, int format, int bits, int qfactor,
                      const PxSaveOptions& options = {});
// Encodes to memory instead of a file.
int PX_SaveMemory(QByteArray* out, const SdkBitmapHandle* bitmap, int format, int bits, int qfactor,
                  const PxSaveOptions& options = {});

// Row source of PX_SaveFile: fills buffer (bytes long, one row of the bitmap's layout) with row y;
// returns 1 to go on, anything else stops the save.
using PxRowCallback = std::function<int(int y, std::uint8_t* buffer, int bytes)>;
// Saves a picture of the size and depth of bitmap whose rows come from rowSource. Rows cannot be
// resampled on their way: fmtJPEGFrame takes only a bitmap of its own size (else PXERR_BADSIZE).
int PX_SaveFile(const QString& fileName, const SdkBitmapHandle* bitmap, int format, int bits, int qfactor,
                const PxRowCallback& rowSource, const PxSaveOptions& options = {});

} // namespace sdk
