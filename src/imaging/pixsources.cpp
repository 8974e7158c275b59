// The picture sources of an image control: file, memory, blob, feed and address.
#include "imaging/pixsources.h"

#include "imaging/pixblob.h"

namespace imaging {

using namespace sdk;

namespace {

// A read that stopped at the page limit it was given has read what was asked for.
int pagesRead(int result) { return result == PXERR_STOPPED ? PX_SUCCESS : result; }

} // namespace

// ---- file ----

int PixFileSource::Info(int page, PxFileInfo* info) const { return PX_FileInfo(fileName_, info, std::max(1, page)); }

bool PixFileSource::IsAnimated(const PxFileInfo& info)
{
    return (info.Format == fmtGIF && info.Pages != 1) || info.Format == 59 || info.Format == 61 ||
           info.Format == 119 || info.Format == 134;
}

int PixFileSource::Read(int bits, SdkBitmapListHandle list, const PxLoadOptions& options,
                        const PxLoadCallback& callback, PxFileInfo* info) const
{
    return pagesRead(PX_LoadFile(fileName_, nullptr, bits, list, options, callback, info));
}

// ---- memory ----

int PixMemorySource::Check() const
{
    if (!memory_ || size_ < 0) return NotReadable;
    if (size_ > maxPictureBytes) return PXERR_NOMEMORY;
    return PX_SUCCESS;
}

int PixMemorySource::Read(int bits, SdkBitmapListHandle list, PxLoadOptions options, const PxLoadCallback& callback,
                          PxFileInfo* info) const
{
    const int checked = Check();
    if (checked != PX_SUCCESS) return checked;
    const QByteArray data = QByteArray::fromRawData(static_cast<const char*>(memory_), static_cast<qsizetype>(size_));
    options.Page = std::max(1, options.Page);
    options.MaxPages = 1;
    return pagesRead(PX_LoadMemory(data, nullptr, bits, list, options, callback, info));
}

// ---- blob ----

int PixBlobSource::Read(int bits, SdkBitmapListHandle list, const PxLoadCallback& callback, PxFileInfo* info) const
{
    QByteArray picture;
    if (!UnpackPictureBlob(value_.toByteArray(), &picture)) return PXERR_BADFORMAT;
    PxLoadOptions options;
    options.MaxPages = 1;
    return pagesRead(PX_LoadMemory(picture, nullptr, bits, list, options, callback, info));
}

// ---- feed ----

int PixFeedSource::Open(int bits, SdkBitmapListHandle list, const PxLoadOptions& options, const PxLoadCallback& callback)
{
    Close();
    const int result = PX_StartFeedLoad(&feed_, bits, list, options, callback);
    if (result != PX_SUCCESS) feed_ = nullptr;
    return result;
}

int PixFeedSource::Feed(const void* buffer, qint64 size)
{
    if (!feed_) return PXERR_BADPARAM;
    return PX_FeedLoad(feed_, static_cast<const char*>(buffer), size);
}

int PixFeedSource::Finish(PxFileInfo* info)
{
    if (!feed_) return PXERR_BADPARAM;
    return PX_StopFeedLoad(&feed_, info);
}

void PixFeedSource::Close()
{
    if (feed_) PX_StopFeedLoad(&feed_);
    feed_ = nullptr;
}

// ---- address ----

int PixUrlSource::FailureResult(Result result, int httpStatus)
{
    using D = platform::UrlDownload;
    switch (result) {
    case D::BadAddress: return 0;
    case D::HostNotFound: return -273;    // "Host Not Found"
    case D::ConnectFailed: return -276;   // "Connection Refused"
    case D::ConnectTimedOut: return -279; // "Connection attempt timeout"
    case D::Stalled: return -286;         // "Transfer was aborted"
    case D::TooLarge: return PXERR_NOMEMORY; // as for a file too large to read
    case D::CutShort: return PXERR_READ;
    case D::HttpError:
        if (httpStatus == 404 || httpStatus == 410) return PXERR_FILENOTFOUND;
        return httpStatus >= 500 ? -218 : -284; // "Server not found or down", "Unknown network error has occured"
    default: return -284;
    }
}

int PixUrlSource::Start(const QString& address, platform::UrlDownload::Handlers handlers)
{
    Stop();
    download_ = std::make_unique<platform::UrlDownload>(address, maxPictureBytes, std::move(handlers));
    const Result started = download_->Start();
    if (started == platform::UrlDownload::Complete) return PX_SUCCESS;
    const int failure = Failure(started);
    download_.reset();
    return failure;
}

void PixUrlSource::Stop()
{
    if (download_) download_->Abort();
    download_.reset();
}

int PixUrlSource::Failure(Result result) const
{
    return FailureResult(result, download_ ? download_->HttpStatus() : 0);
}

QString PixUrlSource::FailureText(Result result) const { return download_ ? download_->FailureText(result) : QString(); }

} // namespace imaging
