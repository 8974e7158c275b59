// TPixImage: pictures from memory, from bytes that arrive in pieces (the feed load) and from an
// http or https address (BitmapDataPath), whose download feeds the feed load.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"

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
        PixLoadPipeline::InfoScope infoScope(fLoads);
        const PixMemorySource source(Memory, Size);
        result = source.Check();
        if (result == PX_SUCCESS) {
            PxLoadOptions options;
            options.Page = Page;
            PxFileInfo info;
            result = PX_CreateBitmapList(&fList);
            if (result == PX_SUCCESS) result = source.Read(Bits, fList, options, fLoads.PageCallback(1, false), &info);
            result = fLoads.ShowLoadedPages(result);
            if (fHasImage) {
                fFileInfo = info;
                fFileAnimated = false;
                fLoopForever = false;
            }
        }
    }
    return fLoads.Finish(QStringLiteral("LoadMemory"), result);
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
    if (result == PX_SUCCESS) result = fFeeds.Feed().Open(Bits, fList, options, fLoads.PageCallback(Pages, true));
    if (result != PX_SUCCESS) dropList();
    return CheckMethodResult(QStringLiteral("StartFeedLoad"), result);
}

int TPixImage::FeedLoad(const void* Buffer, qint64 Size)
{
    if (!fFeeds.FeedOpen()) {
        fLastResult = 0;
        throw EInvalidOperation(objectName() + QStringLiteral(" \nFeedLoad: Feed Load not Started."));
    }
    int result;
    {
        // The bytes may complete bands and pages: their events run now, and switching
        // EnableProgressEvent off in one of them stops the load.
        StatusScope scope(this, false);
        result = fFeeds.Feed().Feed(Buffer, Size);
    }
    if (result > 0) {
        result = 1;
        fFeeds.ShowFirstPage();
    } else {
        fFeeds.CloseFeed();
        dropList();
        ImageChanged();
    }
    rethrowHandlerError();
    return CheckMethodResult(QStringLiteral("FeedLoad"), result);
}

int TPixImage::StopFeedLoad()
{
    if (!fFeeds.FeedOpen()) {
        fLastResult = 0;
        throw EInvalidOperation(objectName() + QStringLiteral(" \nFeedLoad: Feed Load not Started."));
    }
    fLoading = true;
    int result;
    {
        StatusScope scope(this, false);
        PixLoadPipeline::InfoScope infoScope(fLoads);
        PxFileInfo info;
        fLoadingPage = nullptr;
        PX_FreeBitmap(&fBitmap);
        fHasImage = false;
        result = fLoads.ShowLoadedPages(fFeeds.Feed().Finish(&info));
        if (fHasImage) {
            fFileInfo = info;
            fFileAnimated = false;
            fLoopForever = false;
        }
    }
    return fLoads.Finish(QStringLiteral("StopFeedLoad"), result);
}

// ---- BitmapDataPath ----

void TPixImage::SetBitmapDataPath(const QString& Value)
{
    if (fFeeds.Downloading()) {
        fFeeds.StopDownload();
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
        result = fFeeds.StartDownload(Value);
    }
    if (result != PX_SUCCESS) {
        dropList();
        ImageChanged();
        fSelection.DropAutoFloater();
    }
    CheckMethodResult(QStringLiteral("BitmapDataPath"), result);
}

} // namespace imaging
