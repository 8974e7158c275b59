// TPixImage: pictures from memory, from bytes that arrive in pieces (the feed load) and from an
// http or https address (BitmapDataPath), whose download feeds the feed load.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"
#include "platform/dialogs.h"

namespace imaging {

using namespace sdk;

int TPixImage::LoadMemory(const void* Memory, int Bits, int Page, qint64 Size)
{
    Clear();
    fFrameDirty = true;
    fLoading = true;
    fView.ResetPages();
    int result;
    {
        StatusScope scope(this, false);
        LoadInfoScope infoScope(this);
        const PixMemorySource source(Memory, Size);
        result = source.Check();
        if (result == PX_SUCCESS) {
            PxLoadOptions options;
            options.Page = Page;
            PxFileInfo info;
            result = PX_CreateBitmapList(&fList);
            if (result == PX_SUCCESS) result = source.Read(Bits, fList, options, pageCallback(1, false), &info);
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
    fView.ResetPages();
    PxLoadOptions options;
    options.Page = std::max(1, Page);
    options.MaxPages = Pages < 0 ? -1 : Pages;
    int result = PX_CreateBitmapList(&fList);
    if (result == PX_SUCCESS) result = fFeed.Open(Bits, fList, options, pageCallback(Pages, true));
    if (result != PX_SUCCESS) dropList();
    return CheckMethodResult(QStringLiteral("StartFeedLoad"), result);
}

int TPixImage::FeedLoad(const void* Buffer, qint64 Size)
{
    if (!fFeed.IsOpen()) {
        fLastResult = 0;
        throw EInvalidOperation(objectName() + QStringLiteral(" \nFeedLoad: Feed Load not Started."));
    }
    int result;
    {
        // The bytes may complete bands and pages: their events run now, and switching
        // EnableProgressEvent off in one of them stops the load.
        StatusScope scope(this, false);
        result = fFeed.Feed(Buffer, Size);
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
    fFeed.Close();
}

int TPixImage::StopFeedLoad()
{
    if (!fFeed.IsOpen()) {
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
        result = showLoadedPages(fFeed.Finish(&info));
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
    fUrl.Stop();
    closeFeed();
    dropList();
    fLoading = false;
    fReadyState = rsComplete;
}

void TPixImage::SetBitmapDataPath(const QString& Value)
{
    if (fUrl.Active()) {
        stopDownload();
        resetAttributesAndRects();
    }
    if (fProcessing || fBusyDepth > 0 || fAnim.Playing) {
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
            return fFeed.IsOpen();
        };
        handlers.progress = [this](qint64 done, qint64 total) {
            if (OnStatus && fEnableProgressEvent) OnStatus(this, total > 0 ? static_cast<int>(done * 100 / total) : 0);
        };
        handlers.finished = [this](platform::UrlDownload::Result r) { downloadFinished(r); };
        result = fUrl.Start(Value, std::move(handlers));
        if (result == PX_SUCCESS) {
            downloadStarted();
            if (!fFeed.IsOpen()) result = fLastResult;
        }
        if (result != PX_SUCCESS) fUrl.Release();
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
    if (!fFeed.IsOpen()) return;
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
    const int failure = fUrl.Failure(result);
    const QString cause = fUrl.FailureText(result);
    fUrl.Release();
    fLoading = false;
    if (result == platform::UrlDownload::Complete && fFeed.IsOpen()) {
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
        const bool fed = fFeed.IsOpen();
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
