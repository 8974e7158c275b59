// TPixImage: the bitmap and its list, clearing, Size, the bitmap context and the edit commit.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"

#include <QEvent>

namespace imaging {

using namespace sdk;

SdkBitmapHandle* TPixImage::Bitmap()
{
    fLastResult = 1;
    if (!fHasImage || !fBitmap.allocated()) return nullptr;
    if (fBusyDepth > 0 && fProcessing && processState().current == this) return nullptr;
    return &fBitmap;
}

void TPixImage::SetBitmap(SdkBitmapHandle* bitmap)
{
    busyCheck();
    fPanGlass.ClosePanWindow();
    const bool given = bitmap && bitmap->allocated() && bitmap->Width > 0 && bitmap->Height > 0;
    // The copy is made before anything is replaced: when it cannot be made the old picture stays.
    SdkBitmapHandle copy;
    int result = PX_SUCCESS;
    if (given) {
        result = fRefBitmap ? PX_CopyBitmapHandle(&copy, bitmap) : PX_CopyBitmap(&copy, bitmap);
        if (result != PX_SUCCESS) {
            CheckMethodResult(QStringLiteral("Bitmap"), result);
            return;
        }
    }
    bool appendAtEnd = false;
    bool newList = false;
    int count = 0;
    if (fList) PX_GetBitmapListCount(fList, &count);
    if (!fList || count == 0) {
        if (!fList) PX_CreateBitmapList(&fList);
        fListIndex = 0;
        newList = true;
    } else {
        PX_DeleteBitmapListItems(fList, fListIndex, 1);
        PX_GetBitmapListCount(fList, &count);
        if (count == 0) {
            newList = true;
            fListIndex = 0;
        } else if (fListIndex > count - 1) {
            fListIndex = count - 1;
            appendAtEnd = true;
        }
    }
    if (given) {
        PX_FreeBitmap(&fBitmap);
        fBitmap = std::move(copy);
        const int at = appendAtEnd ? count : fListIndex;
        result = PX_InsertBitmapListItem(fList, at, &fBitmap);
        if (result == PX_SUCCESS) {
            if (appendAtEnd) fListIndex = count;
            fHasImage = true;
        } else {
            PX_FreeBitmap(&fBitmap);
            fHasImage = false;
        }
        fView.ResetPages();
    } else {
        PX_GetBitmapListCount(fList, &count);
        if (count > 0) {
            result = selectListItem();
        } else {
            PX_DestroyBitmapList(&fList);
            PX_FreeBitmap(&fBitmap);
            fHasImage = false;
            fListIndex = 0;
        }
    }
    if (fList) PX_GetBitmapListCount(fList, &fListCount);
    else fListCount = 0;
    (void)newList;
    ImageChanged();
    markDataModified();
    CheckMethodResult(QStringLiteral("Bitmap"), result);
}

void TPixImage::dropList()
{
    PX_DestroyBitmapList(&fList);
    PX_FreeBitmap(&fBitmap);
    fHasImage = false;
    fListIndex = 0;
    fListCount = 0;
}

void TPixImage::SetBitmapList(SdkBitmapListHandle list)
{
    busyCheck();
    dropList();
    int result = PX_SUCCESS;
    if (list) {
        result = PX_CreateBitmapList(&fList);
        if (result == PX_SUCCESS) result = PX_CopyBitmapListItems(fList, list, 0, -1);
        if (result == PX_SUCCESS) {
            fListIndex = 0;
            PX_GetBitmapListCount(fList, &fListCount);
            result = fListCount > 0 ? PX_GetBitmapListItem(fList, 0, &fBitmap) : PX_SUCCESS;
            fHasImage = result == PX_SUCCESS && fBitmap.allocated();
        }
        if (result != PX_SUCCESS) dropList();
        fView.ResetPages();
    }
    ImageChanged();
    markDataModified();
    CheckMethodResult(QStringLiteral("BitmapList"), result);
}

int TPixImage::BitmapListCount()
{
    if (!fList) {
        fLastResult = PXERR_BADBITMAP;
        raiseProperty(QStringLiteral("BitmapListCount: No bitmap list."));
    }
    int count = 0;
    const int r = PX_GetBitmapListCount(fList, &count);
    CheckMethodResult(QStringLiteral("BitmapListCount"), r);
    if (r == PX_SUCCESS) fListCount = count;
    return r == PX_SUCCESS ? count : 0;
}

int TPixImage::SetBitmapListIndex(int index)
{
    busyCheck();
    if (!fList) {
        fLastResult = PXERR_BADBITMAP;
        raiseProperty(QStringLiteral("BitmapListCount: No bitmap list."));
    }
    int count = 0;
    PX_GetBitmapListCount(fList, &count);
    if (index < 0 || index >= count) return CheckMethodResult(QStringLiteral("BitmapList"), PXERR_BADPARAM);
    fListIndex = index;
    return CheckMethodResult(QStringLiteral("BitmapList"), selectListItem());
}

int TPixImage::selectListItem()
{
    PX_FreeBitmap(&fBitmap);
    const int r = PX_GetBitmapListItem(fList, fListIndex, &fBitmap);
    if (r == PX_SUCCESS) {
        fHasImage = true;
        ImageChanged();
        markDataModified();
    } else {
        PX_FreeBitmap(&fBitmap);
        fHasImage = false;
    }
    return r;
}

int TPixImage::Clear()
{
    busyCheck();
    fPanGlass.ClosePanWindow();
    fListIndex = 0;
    PX_DestroyBitmapList(&fList);
    fListCount = 0;
    PX_FreeBitmap(&fBitmap);
    fHasImage = false;
    fRegions.Bounds = QRect();
    fSelection.DropAutoFloater();
    fRegions.ClearFloater();
    fFrameDirty = true;
    ImageReset();
    return 1;
}

int TPixImage::ForceRepaint()
{
    int result = PX_SUCCESS;
    if (fHasImage && !fBitmap.allocated()) {
        busyCheck();
        SdkBitmapHandle stale;
        result = fList ? PX_RemoveBitmapListItem(fList, fListIndex, &stale) : PXERR_BADBITMAP;
        if (result == PX_SUCCESS) {
            int count = 0;
            PX_GetBitmapListCount(fList, &count);
            fListIndex = count > 0 ? std::min(fListIndex, count - 1) : 0;
            result = count > 0 ? PX_GetBitmapListItem(fList, fListIndex, &fBitmap) : PXERR_BADBITMAP;
        }
        fHasImage = result == PX_SUCCESS;
        ImageChanged();
        markDataModified();
    }
    RepaintRequested();
    fLastResult = result;
    Refresh();
    return result;
}

void TPixImage::customEvent(QEvent* event)
{
    if (event->type() == static_cast<QEvent::Type>(RefreshMessage)) refreshMessage();
    QWidget::customEvent(event);
}

void TPixImage::refreshMessage()
{
    if (fAnim.Playing) {
        fLastResult = PXERR_UNSUPPORTED;
        return;
    }
    if (fProcessing || fBusyDepth > 0 || fFeeds.FeedOpen()) {
        fLastResult = 0;
        return;
    }
    if (fHasImage && fBitmap.allocated()) storeIntoList();
    ImageChanged();
    if (fAutoFloater) {
        if (fEnableFloater) fSelection.DropAutoFloater();
        if (fHasImage) FreeRgn();
    } else {
        fSelection.RebuildFloaterScreen();
    }
    ImageChanged();
    markDataModified();
    fLastResult = 1;
}

int TPixImage::GetBitmapDC(PxPixDC** dc)
{
    busyCheck();
    if (!fHasImage) raiseNotAllocated(QStringLiteral("GetBitmapDC"));
    const int r = PX_CreatePixDC(&fBitmap, dc);
    if (r == PX_SUCCESS) fProcessing = true;
    return CheckMethodResult(QStringLiteral("GetBitmapDC"), r);
}

int TPixImage::ReleaseBitmapDC(PxPixDC* dc)
{
    const int r = PX_DeletePixDC(dc);
    fHasImage = fBitmap.allocated();
    fProcessing = false;
    if (fList && fHasImage) PX_SetBitmapListItem(fList, fListIndex, &fBitmap);
    invalidateIfAuto();
    return CheckMethodResult(QStringLiteral("ReleaseBitmapDC"), r);
}

void TPixImage::refreshAttributes()
{
    if (!fHasImage || !fBitmap.allocated()) {
        fBitsPerPixel = fBytesPerLine = fOrder = 0;
        fBitmapWidth = fBitmapHeight = 0;
        fXResolution = fYResolution = 0;
        fTransparentBitmap = false;
        fViewPerspective = 0;
        return;
    }
    fBitsPerPixel = fBitmap.BitsPerPixel;
    fBytesPerLine = fBitmap.BytesPerLine;
    fOrder = fBitmap.Order;
    fXResolution = fBitmap.XResolution;
    fYResolution = fBitmap.YResolution;
    fTransparentBitmap = (fBitmap.Flags & bfTransparent) != 0;
    fViewPerspective = fBitmap.ViewPerspective;
    const bool quarterTurn = fViewPerspective == 4 || fViewPerspective == 5 || fViewPerspective == 7 ||
                             fViewPerspective == 8;
    fBitmapWidth = quarterTurn ? fBitmap.Height : fBitmap.Width;
    fBitmapHeight = quarterTurn ? fBitmap.Width : fBitmap.Height;
}

void TPixImage::resetAttributesAndRects()
{
    refreshAttributes();
    if (fAutoSetRects) {
        fScrollBars.ScrollToOrigin();
        fView.ShowWholeBitmap(QSize(fBitmapWidth, fBitmapHeight));
        UpdateLayout();
    }
}

void TPixImage::ImageChanged()
{
    if (fDestroying) return;
    resetAttributesAndRects();
    fPaletteDirty = true;
    fSelection.DropAutoFloater();
    fSelection.RefreshBounds();
    // A new picture shows its own region: the outline starts again.
    fSelection.RestartOutline();
    invalidateIfAuto();
    fPanGlass.PictureChanged();
    if (OnChange) OnChange(this);
}

void TPixImage::BitmapChanged(SdkBitmapHandle* bitmap)
{
    const bool aborted = processState().aborted;
    if (aborted && fBackup.allocated()) PX_CopyBitmap(bitmap, &fBackup);
    PX_FreeBitmap(&fBackup);
    if (fLastResult == 1) markDataModified();
    if (!fAutoFloater && fRegions.Floater.allocated()) fSelection.RebuildFloaterScreen();
    if (fList && fHasImage) PX_SetBitmapListItem(fList, fListIndex, &fBitmap);
    fPaletteDirty = true;
    fProcessing = false;
    refreshAttributes();
    invalidateIfAuto();
    fPanGlass.PictureChanged();
    if (!aborted && OnChange) OnChange(this);
}

// Runs an edit of the bitmap inside the edit frame: backup, status callback, commit, report.
// With onFloater, an edit of a picture that has a region and EnableFloater works on the
// selection; shapeOp turns its shape the way call turns its pixels (empty: call does it).
int TPixImage::runEdit(const QString& methodName, bool guardFirst, const std::function<int(SdkBitmapHandle*)>& call,
                       const std::function<void(int)>& afterSuccess, bool onFloater,
                       const std::function<int(SdkBitmapHandle*)>& shapeOp)
{
    if (guardFirst) {
        busyCheck();
        fLastResult = 1;
    }
    if (!fHasImage) raiseNotAllocated(methodName);
    SdkBitmapHandle* target = &fBitmap;
    busyCheck();
    // With EnableFloater the edit works on the selection alone.
    QRect selection;
    QRegion shapeBefore;
    QSize sizeBefore;
    const bool floater = onFloater && fEnableFloater && hasRegion();
    if (floater) {
        const int cut = fRegions.Cut(&selection);
        if (cut != PX_SUCCESS) return CheckMethodResult(methodName, cut);
        target = &fRegions.Lifted;
        shapeBefore = target->Region;
        sizeBefore = QSize(target->Width, target->Height);
    }
    fProcessing = true;
    processState().aborted = false;
    PX_CopyBitmap(&fBackup, target);
    int result = PX_FAILURE;
    try {
        {
            StatusScope scope(this, true);
            result = call(target);
        }
        fLastResult = result;
        if (result == PX_SUCCESS && !processState().aborted && afterSuccess) afterSuccess(result);
    } catch (...) {
        BitmapChanged(target);
        throw;
    }
    const bool succeeded = result == PX_SUCCESS && !processState().aborted;
    BitmapChanged(target);
    if (floater) {
        // The selection goes back into the picture at its place, with its new shape.
        if (!succeeded && target->Width == sizeBefore.width() && target->Height == sizeBefore.height())
            target->Region = shapeBefore;
        const int put = fRegions.Paste(selection, shapeBefore, sizeBefore, succeeded ? shapeOp : nullptr);
        storeIntoList();
        fFrameDirty = true;
        update();
        if (result == PX_SUCCESS) {
            fLastResult = put;
            fSelection.RefreshBounds();
            if (put == PX_SUCCESS && fEnableFloater && hasRegion()) fRegions.BuildFloaterCopies();
            if (put == PX_SUCCESS) fSelection.RestartOutline();
            result = put;
        }
        fLastResult = result;
    }
    rethrowHandlerError();
    return CheckMethodResult(methodName, result);
}

int TPixImage::Size(int Width, int Height, int Flags)
{
    busyCheck();
    const int oldWidth = fBitmapWidth;
    const int oldHeight = fBitmapHeight;
    if (!fHasImage) raiseNotAllocated(QStringLiteral("Size"));
    return runEdit(
        QStringLiteral("Size"), false,
        [&](SdkBitmapHandle* target) { return PX_SizeBitmap(target, Width, Height, Flags); },
        [&](int) {
            fScrollBars.ScrollToOrigin();
            SizeDone(oldWidth, oldHeight, Width, Height);
            resetAttributesAndRects();
            fFrameDirty = true;
            SetPaintSizeMode(fPaintSizeMode);
        },
        true, [&](SdkBitmapHandle* mask) { return PX_SizeBitmap(mask, Width, Height, Flags); });
}

} // namespace imaging
