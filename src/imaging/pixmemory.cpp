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
int downloadFailure(platform::UrlDownload::Result result)
{
    using D = platform::UrlDownload;
    switch (result) {
    case D::ConnectFailed: return PXERR_OPEN;
    case D::TooLarge: return PXERR_NOMEMORY;
    case D::BadAddress: return 0;
    default: return PXERR_FILENOTFOUND;
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
    int result = PX_FeedLoad(fFeed, static_cast<const char*>(Buffer), Size);
    if (result > 0) {
        result = 1;
    } else {
        PX_StopFeedLoad(&fFeed);
        dropList();
        ImageChanged();
    }
    return CheckMethodResult(QStringLiteral("FeedLoad"), result);
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
    if (fFeed) PX_StopFeedLoad(&fFeed);
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
            result = downloadFailure(started);
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
    FeedLoad(data.constData(), data.size());
    ResumeMethodErrors();
}

void TPixImage::downloadFinished(int error)
{
    fDownload.reset();
    fLoading = false;
    const auto result = static_cast<platform::UrlDownload::Result>(error);
    if (result == platform::UrlDownload::Complete && fFeed) {
        // All arrived: the picture is decoded now. A picture that cannot be read is reported as
        // an error of the address.
        fReadyState = rsLoading;
        SuspendMethodErrors();
        const int r = StopFeedLoad();
        ResumeMethodErrors();
        if (r != PX_SUCCESS && fEnableMethodErrors)
            platform::showError(formatMethodError(objectName(), r, fBitmapDataPath));
        if (OnReadyStateChanged && !fDestroying) OnReadyStateChanged(this, rsLoading);
    } else {
        // Nothing of a failed download is kept; a feed that failed keeps its own result.
        const bool fed = fFeed != nullptr;
        if (fFeed) PX_StopFeedLoad(&fFeed);
        dropList();
        ImageChanged();
        if (fed || result != platform::UrlDownload::Stopped) fLastResult = downloadFailure(result);
    }
    fReadyState = rsComplete;
    if (OnReadyStateChanged && !fDestroying) OnReadyStateChanged(this, rsComplete);
}

} // namespace imaging
