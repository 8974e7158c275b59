// TPixImage: loading and saving picture files, with progress and the stop protocol.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"

namespace imaging {

using namespace sdk;

namespace {

// The save of a picture with layers: the list's first item is the base, the rest its layers,
// placed as layers says.
int saveWithLayers(const QString& FileName, SdkBitmapListHandle list, const std::vector<PxLayerInfo>& layers, int Format,
                   int Bits, int QFactor, const PxSaveOptions& options)
{
    // The base comes out of the list for the save and goes back to its place, moved both ways
    // so that no copy can fail and lose it.
    SdkBitmapHandle base;
    int result = PX_RemoveBitmapListItem(list, 0, &base);
    if (result != PX_SUCCESS) return result;
    int count = 0;
    PX_GetBitmapListCount(list, &count);
    std::vector<PxLayerInfo> info(static_cast<std::size_t>(count));
    std::copy_n(layers.begin(), std::min(layers.size(), info.size()), info.begin());
    result = PX_SaveBitmapWithLayers(FileName, &base, Format, Bits, QFactor, list, info.data(), count, options);
    PX_InsertBitmapListItemHandle(list, 0, &base);
    return result;
}

} // namespace

int TPixImage::GetFileInfo(const QString& FileName)
{
    PxFileInfo info;
    const int r = PixFileSource(FileName).Info(1, &info);
    if (r == PX_SUCCESS) fFileInfo = info;
    return CheckMethodResult(QStringLiteral("GetFileInfo"), r);
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
        PixLoadPipeline::InfoScope infoScope(fLoads);
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
            result = fAutoAnimate && fFileAnimated ? fLoads.StartLoaderPlayback(Bits) : PX_CreateBitmapList(&fList);
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
                result =
                    source.Read(Bits, fAnim.LoaderDriven ? decoded : fList, options, fLoads.PageCallback(Pages, true), &loaded);
            PX_DestroyBitmapList(&decoded);
        }
        result = fAnim.LoaderDriven || fAnim.Playback ? fLoads.FinishLoaderPlayback(result, &playFrom)
                                                      : fLoads.ShowLoadedPages(result);
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
    return fLoads.Finish(QStringLiteral("Load"), result);
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
            result = saveWithLayers(FileName, fList, fLayerInfo, Format, Bits, QFactor, options);
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
                result = PX_SaveFile(FileName, source, Format, Bits, QFactor, fLoads.SaveRowCallback(source), options);
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
