// The steps every load of an image control runs through, and the rows of a save.
#include "imaging/pixloadpipeline.h"

#include "imaging/piximage.h"
#include "imaging/statusstack.h"
#include "platform/rounding.h"

namespace imaging {

using namespace sdk;

namespace {

// The last row of a page's last pass: the page is complete.
bool pageEnds(const PxLoadBand& band) { return (band.flags & bandLastRow) && (band.flags & bandLastPass); }

int percentOf(std::int64_t done, int height)
{
    if (height <= 0) return 100;
    return platform::roundHalfEven(static_cast<double>(done) * 100.0 / height);
}

} // namespace

// Shows the rows of the first page decoded so far, laid out as the whole page will be.
void PixLoadPipeline::paintWhileLoading(const PxLoadBand& band)
{
    if ((band.flags & bandFirstRow) && (band.flags & bandFirstPass)) {
        c_.fLoadingPage = band.page;
        c_.fBitmapWidth = band.page->Width;
        c_.fBitmapHeight = band.page->Height;
        c_.fXResolution = band.page->XResolution;
        c_.fYResolution = band.page->YResolution;
        if (c_.fAutoSetRects) {
            c_.fScrollBars.ScrollToOrigin();
            c_.fView.ShowWholeBitmap(QSize(c_.fBitmapWidth, c_.fBitmapHeight));
            c_.UpdateLayout();
        }
    }
    if (c_.fLoadingPage != band.page) return;
    // A later pass goes over a page whose rows the first one has all shown.
    c_.fLoadingRows = (band.flags & bandFirstPass) ? band.firstRow + band.rows : band.page->Height;
    c_.Refresh();
    // The page moves into the list when its last row is done.
    if (pageEnds(band)) c_.fLoadingPage = nullptr;
}

int PixLoadPipeline::onBandChecked(const PxLoadBand& band, unsigned pageLimit, bool paintWhileLoad)
{
    try {
        return onBand(band, pageLimit, paintWhileLoad);
    } catch (...) {
        return c_.stopForHandlerError();
    }
}

int PixLoadPipeline::onBand(const PxLoadBand& band, unsigned pageLimit, bool paintWhileLoad)
{
    ProcessState& s = processState();
    if (static_cast<unsigned>(band.pagesDelivered) >= pageLimit) return PXERR_STOPPED;
    const int height = band.page ? band.page->Height : 0;
    if (band.flags & bandFirstRow) {
        if ((band.flags & bandFirstPass) && c_.fEnableProgressEvent && c_.OnStatus) c_.OnStatus(&c_, 0);
        c_.fRowsDone = band.rows;
    } else {
        c_.fRowsDone += band.rows;
    }
    if (c_.fAnim.LoaderDriven && band.page && (band.flags & bandFirstPass) && (band.flags & bandFirstRow)) {
        // A new frame joins the playback; its rows follow band by band.
        const int r = PX_AppendPlayback(c_.fAnim.Playback, band.page);
        if (r != PX_SUCCESS) return r;
    } else if (!c_.fAnim.LoaderDriven && paintWhileLoad && c_.fPaintWhileLoad && band.page && band.pagesDelivered == 0) {
        paintWhileLoading(band);
    }
    if (pageEnds(band)) {
        ++c_.fPagesDelivered;
        if (c_.OnFilePage) c_.OnFilePage(&c_);
    }
    if (c_.fAnim.LoaderDriven && band.page) PX_ValidatePlaybackLines(c_.fAnim.Playback, band.page, band.firstRow, band.rows);
    if (c_.fEnableProgressEvent) {
        if (c_.OnStatus) c_.OnStatus(&c_, percentOf(c_.fRowsDone, height));
    } else if (c_.fAnim.LoaderDriven) {
        c_.AnimationStep();
    }
    c_.fLastResult = 1;
    if (s.abortRequest) {
        s.abortRequest = false;
        s.aborted = true;
        return 0;
    }
    return 1;
}

int PixLoadPipeline::loadInfo(PxLoadInfo* record)
{
    if (!record || !c_.OnLoadInfo) return 0;
    c_.fLoadInfo = PxLoadInfo();
    try {
        c_.OnLoadInfo(&c_);
    } catch (...) {
        c_.stopForHandlerError();
        return 0;
    }
    if (c_.fLoadInfo.Format == 0) return 0;
    *record = c_.fLoadInfo;
    return 1;
}

PixLoadPipeline::InfoScope::InfoScope(PixLoadPipeline& pipeline)
    : previous(PX_SetLoadInfoCallback([&pipeline](PxLoadInfo* record) { return pipeline.loadInfo(record); }))
{
}

PixLoadPipeline::InfoScope::~InfoScope() { PX_SetLoadInfoCallback(std::move(previous)); }

// The band callback of a load that delivers at most Pages pages (-1: all); starts the count.
PxLoadCallback PixLoadPipeline::PageCallback(int Pages, bool paintWhileLoad)
{
    processState().aborted = false;
    c_.fRowsDone = 0;
    c_.fPagesDelivered = 0;
    const unsigned limit = static_cast<unsigned>(Pages);
    return [this, limit, paintWhileLoad](const PxLoadBand& band) { return onBandChecked(band, limit, paintWhileLoad); };
}

// After a read into the list: its first page becomes the picture.
int PixLoadPipeline::ShowLoadedPages(int result)
{
    c_.fLoadingPage = nullptr;
    if (result == PXERR_STOPPED) result = PX_SUCCESS;
    if (result == PX_SUCCESS && !processState().aborted) {
        int count = 0;
        PX_GetBitmapListCount(c_.fList, &count);
        c_.fListCount = count;
        c_.fListIndex = 0;
        result = count > 0 ? PX_GetBitmapListItem(c_.fList, 0, &c_.fBitmap) : PXERR_EMPTY;
        c_.fHasImage = result == PX_SUCCESS;
    }
    if (processState().aborted) result = PXERR_ABORTED;
    return result;
}

// An animated file loaded with AutoAnimate plays while it loads: the playback over the frames
// as they come, each band stepping it; after the read, the frames become the list.
int PixLoadPipeline::StartLoaderPlayback(int Bits)
{
    // The frames come as the engine decodes them at this depth.
    c_.fAnim.Animation.bits = Bits == 8 || Bits == 32 ? Bits : 24;
    int r = c_.createPlaybackBitmap();
    if (r == PX_SUCCESS) r = PX_CreatePlayback(&c_.fAnim.Playback, &c_.fBitmap, nullptr);
    if (r != PX_SUCCESS) {
        PX_FreeBitmap(&c_.fBitmap);
        c_.fHasImage = false;
        return r;
    }
    c_.fAnim.LoaderDriven = true;
    c_.fAnim.LoaderFrameIndex = -1;
    c_.resetAttributesAndRects();
    return r;
}

// The list taken over from the playback; *playFrom the frame to play on from, -1 for a still.
int PixLoadPipeline::FinishLoaderPlayback(int result, int* playFrom)
{
    c_.fAnim.LoaderDriven = false;
    c_.fAnim.LoaderFrameIndex = -1;
    *playFrom = -1;
    if (result == PXERR_STOPPED) result = PX_SUCCESS;
    if (processState().aborted) result = PXERR_ABORTED;
    if (!c_.fAnim.Playback) return result == PX_SUCCESS ? PXERR_BADBITMAP : result;
    if (result != PX_SUCCESS) {
        PX_DestroyPlayback(&c_.fAnim.Playback, nullptr);
        PX_FreeBitmap(&c_.fBitmap);
        c_.fHasImage = false;
        return result;
    }
    int state = playbackReady, index = 0, count = 0;
    PX_GetPlaybackState(c_.fAnim.Playback, &state);
    PX_GetPlaybackIndex(c_.fAnim.Playback, &index);
    result = PX_DestroyPlayback(&c_.fAnim.Playback, &c_.fList);
    if (result == PX_SUCCESS) PX_GetBitmapListCount(c_.fList, &count);
    c_.fListCount = count;
    c_.fListIndex = 0;
    // Played to its end during the load and not looping, or a single frame: a still picture.
    if (count > 1 && !(state == playbackEnded && !c_.fLoopForever)) *playFrom = std::clamp(index, 0, count - 1);
    PX_FreeBitmap(&c_.fBitmap);
    if (result == PX_SUCCESS) result = count > 0 ? PX_GetBitmapListItem(c_.fList, 0, &c_.fBitmap) : PXERR_EMPTY;
    c_.fHasImage = result == PX_SUCCESS;
    return result;
}

// The end of every load: an empty control on failure, the notices, the report.
int PixLoadPipeline::Finish(const QString& methodName, int result)
{
    if (result != PX_SUCCESS) c_.dropList();
    c_.fLoading = false;
    c_.ImageChanged();
    c_.markDataModified();
    c_.fLastResult = result;
    c_.rethrowHandlerError();
    return c_.CheckMethodResult(methodName, result);
}

int PixLoadPipeline::saveRowChecked(const SdkBitmapHandle* source, int y, std::uint8_t* buffer, int bytes)
{
    try {
        return saveRow(source, y, buffer, bytes);
    } catch (...) {
        return c_.stopForHandlerError();
    }
}

int PixLoadPipeline::saveRow(const SdkBitmapHandle* source, int y, std::uint8_t* buffer, int bytes)
{
    ProcessState& s = processState();
    if (PX_GetBitmapRow(source, y, buffer, bytes) != PX_SUCCESS) return 0;
    ++c_.fRowsDone;
    if (c_.fEnableProgressEvent && c_.OnStatus) c_.OnStatus(&c_, percentOf(c_.fRowsDone, source->Height));
    if (s.abortRequest) {
        s.abortRequest = false;
        s.aborted = true;
        return 0;
    }
    return 1;
}

PxRowCallback PixLoadPipeline::SaveRowCallback(const SdkBitmapHandle* source)
{
    return [this, source](int y, std::uint8_t* buffer, int bytes) { return saveRowChecked(source, y, buffer, bytes); };
}

} // namespace imaging
