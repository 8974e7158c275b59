#pragma once
// The ways a picture comes into an image control, one source each: a file, a block of memory,
// a database blob, bytes fed in pieces, and an http or https address whose bytes feed a feed
// load. Each reads pages into a bitmap list the caller owns and reports every band it decodes to
// the callback it is given (a read that stops at its page limit has succeeded); none of them
// knows the control, which keeps the picture, the
// events and the reports.
#include "platform/urldownload.h"
#include "sdk/sdk.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>

namespace imaging {

// A picture file.
class PixFileSource {
public:
    explicit PixFileSource(QString fileName) : fileName_(std::move(fileName)) {}
    const QString& FileName() const { return fileName_; }
    // The information of page (1 the first) of the file.
    int Info(int page, sdk::PxFileInfo* info) const;
    // Whether a file with this information holds an animation.
    static bool IsAnimated(const sdk::PxFileInfo& info);
    // Reads the pages options names into list at bits per pixel (0: as stored).
    int Read(int bits, sdk::SdkBitmapListHandle list, const sdk::PxLoadOptions& options,
             const sdk::PxLoadCallback& callback, sdk::PxFileInfo* info) const;

private:
    QString fileName_;
};

// Size bytes at an address the caller keeps while it reads.
class PixMemorySource {
public:
    // The result for memory that cannot be read (none, or a negative size).
    static constexpr int NotReadable = -3;
    PixMemorySource(const void* memory, qint64 size) : memory_(memory), size_(size) {}
    // PX_SUCCESS, NotReadable, or PXERR_NOMEMORY for more bytes than a picture may have.
    int Check() const;
    // Reads one page (options.Page) into list; Check's failure without reading.
    int Read(int bits, sdk::SdkBitmapListHandle list, sdk::PxLoadOptions options, const sdk::PxLoadCallback& callback,
             sdk::PxFileInfo* info) const;

private:
    const void* memory_;
    qint64 size_;
};

// The value of a blob column: a picture file, or one behind the blob header (pixblob.h).
class PixBlobSource {
public:
    explicit PixBlobSource(QVariant value) : value_(std::move(value)) {}
    // A null field holds no picture (which is no failure).
    bool IsNull() const { return value_.isNull(); }
    // Reads the first page into list; PXERR_BADFORMAT for a tagged blob too short for its header.
    int Read(int bits, sdk::SdkBitmapListHandle list, const sdk::PxLoadCallback& callback, sdk::PxFileInfo* info) const;

private:
    QVariant value_;
};

// A load whose bytes come in pieces: opened, fed, finished. The pages go into the list given to
// Open as they complete.
class PixFeedSource {
public:
    PixFeedSource() = default;
    ~PixFeedSource() { Close(); }
    PixFeedSource(const PixFeedSource&) = delete;
    PixFeedSource& operator=(const PixFeedSource&) = delete;

    int Open(int bits, sdk::SdkBitmapListHandle list, const sdk::PxLoadOptions& options,
             const sdk::PxLoadCallback& callback);
    bool IsOpen() const { return feed_ != nullptr; }
    // Above 0 when the bytes were taken; else the failure (the feed stays open until closed).
    int Feed(const void* buffer, qint64 size);
    // Decodes what is left and closes; info gets the picture's information.
    int Finish(sdk::PxFileInfo* info);
    // Closes without finishing; what was fed is dropped.
    void Close();

private:
    sdk::SdkFeedLoadHandle feed_ = nullptr;
};

// A download of an http or https address. The control feeds the pieces it brings into a feed
// load and is told when it ends.
class PixUrlSource {
public:
    using Result = platform::UrlDownload::Result;
    // The engine result a download's end leaves: 0 for an address that is not http or https,
    // the network errors by what went wrong, a missing page as a missing file.
    static int FailureResult(Result result, int httpStatus);

    PixUrlSource() = default;
    PixUrlSource(const PixUrlSource&) = delete;
    PixUrlSource& operator=(const PixUrlSource&) = delete;

    // Starts the download of address (at most maxPictureBytes); PX_SUCCESS while it runs, else
    // the failure, with nothing left running.
    int Start(const QString& address, platform::UrlDownload::Handlers handlers);
    bool Active() const { return download_ != nullptr; }
    // Stops a download under way; its finished handler is not called.
    void Stop();
    // The engine result and the words for how the download ended; called from its finished
    // handler, after which the download is let go.
    int Failure(Result result) const;
    QString FailureText(Result result) const;
    void Release() { download_.reset(); }

private:
    std::unique_ptr<platform::UrlDownload> download_;
};

} // namespace imaging
