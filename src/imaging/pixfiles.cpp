// TPixImage: loading and saving picture files, with progress and the stop protocol.
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

int TPixImage::GetFileInfo(const QString& FileName)
{
    PxFileInfo info;
    const int r = PixFileSource(FileName).Info(1, &info);
    if (r == PX_SUCCESS) fFileInfo = info;
    return CheckMethodResult(QStringLiteral("GetFileInfo"), r);
}

// Shows the rows of the first page decoded so far, laid out as the whole page will be.
void TPixImage::paintWhileLoading(const PxLoadBand& band)
{
    if ((band.flags & bandFirstRow) && (band.flags & bandFirstPass)) {
        fLoadingPage = band.page;
        fBitmapWidth = band.page->Width;
        fBitmapHeight = band.page->Height;
        fXResolution = band.page->XResolution;
        fYResolution = band.page->YResolution;
        if (fAutoSetRects) {
            scrollToOrigin();
            fView.ShowWholeBitmap(QSize(fBitmapWidth, fBitmapHeight));
            UpdateLayout();
        }
    }
    if (fLoadingPage != band.page) return;
    // A later pass goes over a page whose rows the first one has all shown.
    fLoadingRows = (band.flags & bandFirstPass) ? band.firstRow + band.rows : band.page->Height;
    Refresh();
    // The page moves into the list when its last row is done.
    if (pageEnds(band)) fLoadingPage = nullptr;
}

int TPixImage::loadCallback(const PxLoadBand& band, unsigned pageLimit, bool paintWhileLoad)
{
    try {
        return loadBand(band, pageLimit, paintWhileLoad);
    } catch (...) {
        return stopForHandlerError();
    }
}

int TPixImage::loadBand(const PxLoadBand& band, unsigned pageLimit, bool paintWhileLoad)
{
    ProcessState& s = processState();
    if (static_cast<unsigned>(band.pagesDelivered) >= pageLimit) return PXERR_STOPPED;
    const int height = band.page ? band.page->Height : 0;
    if (band.flags & bandFirstRow) {
        if ((band.flags & bandFirstPass) && fEnableProgressEvent && OnStatus) OnStatus(this, 0);
        fRowsDone = band.rows;
    } else {
        fRowsDone += band.rows;
    }
    if (fAnim.LoaderDriven && band.page && (band.flags & bandFirstPass) && (band.flags & bandFirstRow)) {
        // A new frame joins the playback; its rows follow band by band.
        const int r = PX_AppendPlayback(fAnim.Playback, band.page);
        if (r != PX_SUCCESS) return r;
    } else if (!fAnim.LoaderDriven && paintWhileLoad && fPaintWhileLoad && band.page && band.pagesDelivered == 0) {
        paintWhileLoading(band);
    }
    if (pageEnds(band)) {
        ++fPagesDelivered;
        if (OnFilePage) OnFilePage(this);
    }
    if (fAnim.LoaderDriven && band.page) PX_ValidatePlaybackLines(fAnim.Playback, band.page, band.firstRow, band.rows);
    if (fEnableProgressEvent) {
        if (OnStatus) OnStatus(this, percentOf(fRowsDone, height));
    } else if (fAnim.LoaderDriven) {
        AnimationStep();
    }
    fLastResult = 1;
    if (s.abortRequest) {
        s.abortRequest = false;
        s.aborted = true;
        return 0;
    }
    return 1;
}

int TPixImage::loadInfo(PxLoadInfo* record)
{
    if (!record || !OnLoadInfo) return 0;
    fLoadInfo = PxLoadInfo();
    try {
        OnLoadInfo(this);
    } catch (...) {
        stopForHandlerError();
        return 0;
    }
    if (fLoadInfo.Format == 0) return 0;
    *record = fLoadInfo;
    return 1;
}

TPixImage::LoadInfoScope::LoadInfoScope(TPixImage* control)
    : previous(PX_SetLoadInfoCallback([control](PxLoadInfo* record) { return control->loadInfo(record); }))
{
}

TPixImage::LoadInfoScope::~LoadInfoScope() { PX_SetLoadInfoCallback(std::move(previous)); }

// The band callback of a load that delivers at most Pages pages (-1: all); starts the count.
PxLoadCallback TPixImage::pageCallback(int Pages, bool paintWhileLoad)
{
    processState().aborted = false;
    fRowsDone = 0;
    fPagesDelivered = 0;
    const unsigned limit = static_cast<unsigned>(Pages);
    return [this, limit, paintWhileLoad](const PxLoadBand& band) { return loadCallback(band, limit, paintWhileLoad); };
}

// After a read into the list: its first page becomes the picture.
int TPixImage::showLoadedPages(int result)
{
    fLoadingPage = nullptr;
    if (result == PXERR_STOPPED) result = PX_SUCCESS;
    if (result == PX_SUCCESS && !processState().aborted) {
        int count = 0;
        PX_GetBitmapListCount(fList, &count);
        fListCount = count;
        fListIndex = 0;
        result = count > 0 ? PX_GetBitmapListItem(fList, 0, &fBitmap) : PXERR_EMPTY;
        fHasImage = result == PX_SUCCESS;
    }
    if (processState().aborted) result = PXERR_ABORTED;
    return result;
}

// An animated file loaded with AutoAnimate plays while it loads: the playback over the frames
// as they come, each band stepping it; after the read, the frames become the list.
int TPixImage::startLoaderPlayback(int Bits)
{
    // The frames come as the engine decodes them at this depth.
    fAnim.Animation.bits = Bits == 8 || Bits == 32 ? Bits : 24;
    int r = createPlaybackBitmap();
    if (r == PX_SUCCESS) r = PX_CreatePlayback(&fAnim.Playback, &fBitmap, nullptr);
    if (r != PX_SUCCESS) {
        PX_FreeBitmap(&fBitmap);
        fHasImage = false;
        return r;
    }
    fAnim.LoaderDriven = true;
    fAnim.LoaderFrameIndex = -1;
    resetAttributesAndRects();
    return r;
}

// The list taken over from the playback; *playFrom the frame to play on from, -1 for a still.
int TPixImage::finishLoaderPlayback(int result, int* playFrom)
{
    fAnim.LoaderDriven = false;
    fAnim.LoaderFrameIndex = -1;
    *playFrom = -1;
    if (result == PXERR_STOPPED) result = PX_SUCCESS;
    if (processState().aborted) result = PXERR_ABORTED;
    if (!fAnim.Playback) return result == PX_SUCCESS ? PXERR_BADBITMAP : result;
    if (result != PX_SUCCESS) {
        PX_DestroyPlayback(&fAnim.Playback, nullptr);
        PX_FreeBitmap(&fBitmap);
        fHasImage = false;
        return result;
    }
    int state = playbackReady, index = 0, count = 0;
    PX_GetPlaybackState(fAnim.Playback, &state);
    PX_GetPlaybackIndex(fAnim.Playback, &index);
    result = PX_DestroyPlayback(&fAnim.Playback, &fList);
    if (result == PX_SUCCESS) PX_GetBitmapListCount(fList, &count);
    fListCount = count;
    fListIndex = 0;
    // Played to its end during the load and not looping, or a single frame: a still picture.
    if (count > 1 && !(state == playbackEnded && !fLoopForever)) *playFrom = std::clamp(index, 0, count - 1);
    PX_FreeBitmap(&fBitmap);
    if (result == PX_SUCCESS) result = count > 0 ? PX_GetBitmapListItem(fList, 0, &fBitmap) : PXERR_EMPTY;
    fHasImage = result == PX_SUCCESS;
    return result;
}

// The end of every load: an empty control on failure, the notices, the report.
int TPixImage::finishLoad(const QString& methodName, int result)
{
    if (result != PX_SUCCESS) dropList();
    fLoading = false;
    ImageChanged();
    markDataModified();
    fLastResult = result;
    rethrowHandlerError();
    return CheckMethodResult(methodName, result);
}

int TPixImage::Load(const QString& FileName, int Bits, int Page, int Pages)
{
    // Clear the control; this refuses while an operation of this control runs.
    Clear();
    fFrameDirty = true;
    fLoading = true;
    struct LoadingFlag {
        bool& flag;
        ~LoadingFlag() { flag = false; }
    } loadingFlag{fLoading};
    fView.ResetPages();
    if (Pages == 0) {
        ImageChanged();
        markDataModified();
        fLoading = false;
        fLastResult = 1;
        return 1;
    }
    int result;
    int playFrom = -1;
    {
        StatusScope scope(this, false);
        LoadInfoScope infoScope(this);
        const PixFileSource source(FileName);
        PxFileInfo info;
        result = source.Info(Page, &info);
        if (result == PX_SUCCESS) {
            fFileInfo = info;
            fFileAnimated = PixFileSource::IsAnimated(info);
            fLoopForever = fFileAnimated && ((fAutoAnimationLoop == 1 && fAutoAnimate) ||
                                             (info.Format == fmtGIF && info.Loops && info.LoopCount == 0));
            fAnim.Animation = PixAnimator::Format();
            if (fFileAnimated) {
                fAnim.Animation.known = true;
                fAnim.Animation.width = info.Width;
                fAnim.Animation.height = info.Height;
                fAnim.Animation.background = info.HasBackground ? info.BackgroundColor : 0;
            }
            // An animation plays while it loads, the frames going into the playback.
            result = fAutoAnimate && fFileAnimated ? startLoaderPlayback(Bits) : PX_CreateBitmapList(&fList);
        }
        if (result == PX_SUCCESS) {
            PxLoadOptions options;
            options.Page = std::max(1, Page);
            options.MaxPages = Pages < 0 ? -1 : Pages;
            PxFileInfo loaded;
            // While an animation plays as it loads, the playback keeps the frames; the engine's
            // own copies are dropped after the read.
            SdkBitmapListHandle decoded = nullptr;
            if (fAnim.LoaderDriven) result = PX_CreateBitmapList(&decoded);
            if (result == PX_SUCCESS)
                result = source.Read(Bits, fAnim.LoaderDriven ? decoded : fList, options, pageCallback(Pages, true), &loaded);
            PX_DestroyBitmapList(&decoded);
        }
        result = fAnim.LoaderDriven || fAnim.Playback ? finishLoaderPlayback(result, &playFrom) : showLoadedPages(result);
        if (fHasImage) {
            fFileName = FileName;
            // The display bitmap takes the depth of the frames as they were read.
            fAnim.Animation.bits = fBitmap.BitsPerPixel;
        }
    }
    if (result == PX_SUCCESS && playFrom >= 0) {
        fLoading = false;
        result = startLoadedAnimation(playFrom);
        if (result == PX_SUCCESS) {
            fLastResult = 1;
            rethrowHandlerError();
            return 1;
        }
    }
    return finishLoad(QStringLiteral("Load"), result);
}

int TPixImage::saveRowChecked(const SdkBitmapHandle* source, int y, std::uint8_t* buffer, int bytes)
{
    try {
        return saveRow(source, y, buffer, bytes);
    } catch (...) {
        return stopForHandlerError();
    }
}

int TPixImage::saveRow(const SdkBitmapHandle* source, int y, std::uint8_t* buffer, int bytes)
{
    ProcessState& s = processState();
    if (PX_GetBitmapRow(source, y, buffer, bytes) != PX_SUCCESS) return 0;
    ++fRowsDone;
    if (fEnableProgressEvent && OnStatus) OnStatus(this, percentOf(fRowsDone, source->Height));
    if (s.abortRequest) {
        s.abortRequest = false;
        s.aborted = true;
        return 0;
    }
    return 1;
}

int TPixImage::Save(const QString& FileName, int Format, int Bits, int QFactor, int Flags)
{
    busyCheck();
    if (!fHasImage) raiseNotAllocated(QStringLiteral("Save"));
    fRowsDone = 0;
    processState().aborted = false;
    // Flags choose the pass count of the file, or one of the two coding options with the
    // engine's own count (the control keeps no count setting of its own).
    PxSaveOptions options;
    switch (Flags) {
    case 0: options.Count = 1; break;
    case 1:
    case -1: options.Count = 2; break;
    case 2: options.OptimizeCoding = true; break;
    case 3: options.RestartMarkers = true; break;
    default: fLastResult = PXERR_BADPARAM; return CheckMethodResult(QStringLiteral("Save"), PXERR_BADPARAM);
    }
    int result;
    {
        StatusScope scope(this, true);
        if (fLayerMode && fList) {
            result = saveWithLayers(FileName, Format, Bits, QFactor, options);
        } else if (Format == fmtGIF && fList) {
            // An animation repeats as the file it came from did.
            options.LoopCount = fLoopForever ? 0 : (fFileAnimated && fFileInfo.Loops ? fFileInfo.LoopCount : -1);
            result = PX_SaveBitmapList(FileName, fList, Format, Bits, QFactor, options);
        } else if (fEnableProgressEvent) {
            // The rows report the progress; the engine's own reports would come twice.
            PxStatusCallback outer = PX_SetStatusCallBack({});
            const SdkBitmapHandle* source = &fBitmap;
            SdkBitmapHandle frame;
            result = PX_SUCCESS;
            if (fBitmap.ViewPerspective != perspectiveTopLeft) {
                // Rows go out as they are stored and no file written here says how to show them
                // (a TIFF included): the picture is turned upright first.
                result = PX_ChangeBitmapViewPerspective(&fBitmap, perspectiveTopLeft);
                if (result == PX_SUCCESS) {
                    storeIntoList();
                    refreshAttributes();
                }
            }
            if (Format == fmtJPEGFrame && (fBitmap.Width != frameFormatWidth || fBitmap.Height != frameFormatHeight)) {
                // The frame format has one size: a resampled copy is written, the picture stays.
                result = PX_CopyBitmap(&frame, &fBitmap);
                if (result == PX_SUCCESS) result = PX_SizeBitmap(&frame, frameFormatWidth, frameFormatHeight, sizeFiltered);
                source = &frame;
            }
            if (result == PX_SUCCESS)
                result = PX_SaveFile(FileName, source, Format, Bits, QFactor,
                                     [this, source](int y, std::uint8_t* buffer, int bytes) {
                                         return saveRowChecked(source, y, buffer, bytes);
                                     },
                                     options);
            PX_SetStatusCallBack(std::move(outer));
        } else {
            result = PX_SaveBitmap(FileName, &fBitmap, Format, Bits, QFactor, options);
        }
    }
    // A stopped save has left the file that was there as it was; it is never deleted.
    if (processState().aborted) result = PXERR_ABORTED;
    fLastResult = result;
    rethrowHandlerError();
    return CheckMethodResult(QStringLiteral("Save"), result);
}

} // namespace imaging
