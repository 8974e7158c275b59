// TPixImage: pictures from memory, from bytes that arrive in pieces (the feed load) and from an
// http or https address (BitmapDataPath), whose download feeds the feed load.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"
#include "platform/dialogs.h"

namespace imaging {

using namespace sdk;

namespace {

constexpr int memoryNotReadable = -3; // the memory handed over cannot be read

// The result a failed download leaves.
int downloadFailure(const platform::UrlDownload& download, platform::UrlDownload::Result result)
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
    case D::HttpError: {
        const int status = download.HttpStatus();
        if (status == 404 || status == 410) return PXERR_FILENOTFOUND;
        return status >= 500 ? -218 : -284; // "Server not found or down", "Unknown network error has occured"
    }
    default: return -284;
    }
}

} // namespace

int TPixImage::LoadMemory(const void* Memory, int Bits, int Page, qint64 Size)
{
    Clear();
    fFrameDirty = true;
    fLoading = true;
    fHorzInfo.Page = -1;
    fVertInfo.Page = -1;
    int result;
    {
        StatusScope scope(this, false);
        LoadInfoScope infoScope(this);
        if (!Memory || Size < 0) {
            result = memoryNotReadable;
        } else if (Size > maxPictureBytes) {
            result = PXERR_NOMEMORY;
        } else {
            const QByteArray data = QByteArray::fromRawData(static_cast<const char*>(Memory), static_cast<qsizetype>(Size));
            PxLoadOptions options;
            options.Page = std::max(1, Page);
            options.MaxPages = 1;
            PxFileInfo info;
            result = PX_CreateBitmapList(&fList);
            if (result == PX_SUCCESS) result = PX_LoadMemory(data, nullptr, Bits, fList, options, pageCallback(1, false), &info);
            result = showLoadedPages(result);
            if (fHasImage) {
                fFileInfo = info;
                fFileAnimated = false;
                fLoopForever = false;
            }
        }
    }
    return finishLoad(QStringLiteral("LoadMemory"), result);
}

int TPixImage::StartFeedLoad(int Bits, int Page, int Pages)
{
    Clear();
    fFrameDirty = true;
    fHorzInfo.Page = -1;
    fVertInfo.Page = -1;
    PxLoadOptions options;
    options.Page = std::max(1, Page);
    options.MaxPages = Pages < 0 ? -1 : Pages;
    int result = PX_CreateBitmapList(&fList);
    if (result == PX_SUCCESS) result = PX_StartFeedLoad(&fFeed, Bits, fList, options, pageCallback(Pages, true));
    if (result != PX_SUCCESS) {
        fFeed = nullptr;
        dropList();
    }
    return CheckMethodResult(QStringLiteral("StartFeedLoad"), result);
}

int TPixImage::FeedLoad(const void* Buffer, qint64 Size)
{
    if (!fFeed) {
        fLastResult = 0;
        throw EInvalidOperation(objectName() + QStringLiteral(" \nFeedLoad: Feed Load not Started."));
    }
    int result;
    {
        // The bytes may complete bands and pages: their events run now, and switching
        // EnableProgressEvent off in one of them stops the load.
        StatusScope scope(this, false);
        result = PX_FeedLoad(fFeed, static_cast<const char*>(Buffer), Size);
    }
    if (result > 0) {
        result = 1;
        showFirstFedPage();
    } else {
        closeFeed();
        dropList();
        ImageChanged();
    }
    rethrowHandlerError();
    return CheckMethodResult(QStringLiteral("FeedLoad"), result);
}

// The first page is shown as soon as it is decoded, while later ones may still arrive.
void TPixImage::showFirstFedPage()
{
    if (fHasImage || !fList) return;
    int count = 0;
    if (PX_GetBitmapListCount(fList, &count) != PX_SUCCESS || count == 0) return;
    fListCount = count;
    fListIndex = 0;
    fHasImage = PX_GetBitmapListItem(fList, 0, &fBitmap) == PX_SUCCESS;
    if (fHasImage) ImageChanged();
}

void TPixImage::closeFeed()
{
    // The page being decoded goes with the feed.
    fLoadingPage = nullptr;
    if (fFeed) PX_StopFeedLoad(&fFeed);
}

int TPixImage::StopFeedLoad()
{
    if (!fFeed) {
        fLastResult = 0;
        throw EInvalidOperation(objectName() + QStringLiteral(" \nFeedLoad: Feed Load not Started."));
    }
    fLoading = true;
    int result;
    {
        StatusScope scope(this, false);
        LoadInfoScope infoScope(this);
        PxFileInfo info;
        fLoadingPage = nullptr;
        PX_FreeBitmap(&fBitmap);
        fHasImage = false;
        result = showLoadedPages(PX_StopFeedLoad(&fFeed, &info));
        if (fHasImage) {
            fFileInfo = info;
            fFileAnimated = false;
            fLoopForever = false;
        }
    }
    return finishLoad(QStringLiteral("StopFeedLoad"), result);
}

// ---- BitmapDataPath ----

void TPixImage::stopDownload()
{
    if (fDownload) fDownload->Abort();
    fDownload.reset();
    closeFeed();
    dropList();
    fLoading = false;
    fReadyState = rsComplete;
}

void TPixImage::SetBitmapDataPath(const QString& Value)
{
    if (fDownload) {
        stopDownload();
        resetAttributesAndRects();
    }
    if (fProcessing || fBusyDepth > 0 || fPlaying) {
        fLastResult = 0;
        throw EPixImageError(objectName() + QStringLiteral(": Can not be Interruptted"));
    }
    Clear();
    fBitmapDataPath = Value;
    int result = 0;
    if (!Value.isEmpty()) {
        platform::UrlDownload::Handlers handlers;
        handlers.data = [this](const QByteArray& piece) {
            downloadData(piece);
            return fFeed != nullptr;
        };
        handlers.progress = [this](qint64 done, qint64 total) {
            if (OnStatus && fEnableProgressEvent) OnStatus(this, total > 0 ? static_cast<int>(done * 100 / total) : 0);
        };
        handlers.finished = [this](platform::UrlDownload::Result r) { downloadFinished(r); };
        fDownload = std::make_unique<platform::UrlDownload>(Value, maxPictureBytes, std::move(handlers));
        const platform::UrlDownload::Result started = fDownload->Start();
        if (started == platform::UrlDownload::Complete) {
            result = PX_SUCCESS;
            downloadStarted();
            if (!fFeed) result = fLastResult;
        } else {
            result = downloadFailure(*fDownload, started);
        }
        if (result != PX_SUCCESS) fDownload.reset();
    }
    if (result != PX_SUCCESS) {
        dropList();
        ImageChanged();
        dropAutoFloater();
    }
    CheckMethodResult(QStringLiteral("BitmapDataPath"), result);
}

void TPixImage::downloadStarted()
{
    SuspendMethodErrors();
    StartFeedLoad(0, 0, -1);
    ResumeMethodErrors();
    fLoading = true;
    fReadyState = rsLoading;
    if (OnReadyStateChanged) OnReadyStateChanged(this, rsLoading);
}

void TPixImage::downloadData(const QByteArray& data)
{
    if (!fFeed) return;
    SuspendMethodErrors();
    try {
        FeedLoad(data.constData(), data.size());
    } catch (...) {
        // An event handler failed: the download stops (nothing may leave through the transfer).
        closeFeed();
        dropList();
        ImageChanged();
        fLastResult = PXERR_ABORTED;
    }
    ResumeMethodErrors();
}

void TPixImage::downloadFinished(int error)
{
    const auto result = static_cast<platform::UrlDownload::Result>(error);
    const int failure = downloadFailure(*fDownload, result);
    const QString cause = fDownload->FailureText(result);
    fDownload.reset();
    fLoading = false;
    if (result == platform::UrlDownload::Complete && fFeed) {
        // All arrived: the rest of the picture is decoded now. A picture that cannot be read is
        // reported as an error of the address.
        fReadyState = rsLoading;
        SuspendMethodErrors();
        const int r = StopFeedLoad();
        ResumeMethodErrors();
        if (r != PX_SUCCESS) reportDownloadFailure(r, QString());
        if (OnReadyStateChanged && !fDestroying) OnReadyStateChanged(this, rsLoading);
    } else {
        // Nothing of a failed download is kept. A feed that refused the bytes keeps its own
        // result; the download's failure is named with its cause.
        const bool fed = fFeed != nullptr;
        closeFeed();
        dropList();
        ImageChanged();
        if (!fed && result == platform::UrlDownload::Stopped) reportDownloadFailure(fLastResult, QString());
        else reportDownloadFailure(failure, cause);
    }
    fReadyState = rsComplete;
    if (OnReadyStateChanged && !fDestroying) OnReadyStateChanged(this, rsComplete);
}

void TPixImage::reportDownloadFailure(int result, const QString& cause)
{
    fLastResult = result;
    if (!fEnableMethodErrors || fDestroying) return;
    QString message = formatMethodError(objectName(), result, fBitmapDataPath);
    if (!cause.isEmpty()) message += QStringLiteral("\n") + cause;
    platform::showError(message);
}

} // namespace imaging
