// TPixImage: creation, destruction, results and errors, the property setters and the
// process-wide status callback.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"
#include "sdk/effectpaint.h"
#include "platform/rounding.h"

#include <QScrollBar>
#include <QTimer>

namespace imaging {

// ---- process-wide state ----

ProcessState& processState()
{
    static ProcessState state;
    return state;
}

StatusScope::StatusScope(TPixImage* control, bool installCallback)
    : control_(control), previous_(processState().current), installed_(installCallback)
{
    ++control_->fBusyDepth;
    processState().current = control_;
    if (installed_) previousCallback_ = sdk::PX_SetStatusCallBack(&TPixImage::StatusCallback);
}

StatusScope::~StatusScope()
{
    if (installed_) sdk::PX_SetStatusCallBack(std::move(previousCallback_));
    processState().current = previous_;
    --control_->fBusyDepth;
    if (!processState().current) processState().abortRequest = false;
}

TPixImage* TPixImage::CurrentControl() { return processState().current; }
bool TPixImage::AbortRequested() { return processState().abortRequest; }
bool TPixImage::Aborted() { return processState().aborted; }

int TPixImage::StatusCallback(int percent)
{
    ProcessState& s = processState();
    TPixImage* control = s.current;
    if (!control) {
        s.abortRequest = false;
        s.aborted = true;
        return 1;
    }
    if (control->fEnableProgressEvent) {
        if (control->OnStatus) {
            try {
                control->OnStatus(control, percent);
            } catch (...) {
                return control->stopForHandlerError();
            }
        }
        return 1;
    }
    if (s.abortRequest) {
        s.abortRequest = false;
        s.aborted = true;
        return 0;
    }
    return 1;
}

// An exception from an event handler never passes through the engine: it stops the
// operation, which then raises it once the engine has returned.
int TPixImage::stopForHandlerError()
{
    if (!fHandlerError) fHandlerError = std::current_exception();
    processState().aborted = true;
    return 0;
}

void TPixImage::rethrowHandlerError()
{
    if (!fHandlerError) return;
    std::exception_ptr error = fHandlerError;
    fHandlerError = nullptr;
    std::rethrow_exception(error);
}

// ---- creation and destruction ----

TPixImage::TPixImage(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    // Mouse moves reach OnMouseMove with or without a button held.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    fTextFont = font();
    fHorzBar = new QScrollBar(Qt::Horizontal, this);
    fVertBar = new QScrollBar(Qt::Vertical, this);
    fHorzBar->hide();
    fVertBar->hide();
    fHorzBar->setFocusPolicy(Qt::NoFocus);
    fVertBar->setFocusPolicy(Qt::NoFocus);
    fScrollBars.Attach();
    fView.Horz.Attach(this, sbHorizontal);
    fView.Vert.Attach(this, sbVertical);
    fZoomInTimer = new QTimer(this);
    fZoomInTimer->setSingleShot(true);
    connect(fZoomInTimer, &QTimer::timeout, this, &TPixImage::ZoomInCapture);
    fDataLink = std::make_unique<platform::TFieldDataLink>([this] { LoadFromDataField(); }, [this] { updateDataField(); });
    fAnimTimer = new QTimer(this);
    fAnimTimer->setInterval(0);
    connect(fAnimTimer, &QTimer::timeout, this, &TPixImage::AnimationStep);
    sdk::PX_VersionInfo(&fVersionInfo);
    processState().abortRequest = false;
    processState().aborted = false;
    sdk::PX_InitBitmap(&fBitmap, 0, 0, 0);
    sdk::PX_InitBitmap(&fBackup, 0, 0, 0);
    resize(150, 150);
}

TPixImage::~TPixImage()
{
    fDestroying = true;
    fSelection.StopOutline();
    fCanvases.Drop();
    SetEnableProgressEvent(false);
    stopPlayback();
    fFeeds.Release();
    fDataLink.reset();
    fHasImage = false;
    sdk::PX_DestroyBitmapList(&fList);
    sdk::PX_FreeBitmap(&fBitmap);
    sdk::PX_FreeBitmap(&fBackup);
    fView.Horz.Detach();
    fView.Vert.Detach();
}

// ---- results and errors ----

QString TPixImage::GetLastErrorText() const { return sdk::ErrorCodeMessage(fLastResult); }

int TPixImage::CheckMethodResult(const QString& methodName, int result)
{
    return CheckMethodResult(methodName, result, true);
}

int TPixImage::CheckMethodResult(const QString& methodName, int result, bool report)
{
    fLastResult = result;
    if (result != 1 && fEnableMethodErrors && report)
        throw EPixImageError(sdk::formatMethodError(objectName(), result, methodName));
    return result;
}

void TPixImage::RaiseMethodError(const QString& methodName, int code)
{
    fLastResult = code;
    throw EPixImageError(sdk::formatMethodError(objectName(), code, methodName));
}

void TPixImage::SuspendMethodErrors()
{
    fSavedMethodErrors = fEnableMethodErrors;
    fEnableMethodErrors = false;
}

void TPixImage::ResumeMethodErrors() { fEnableMethodErrors = fSavedMethodErrors; }

void TPixImage::raiseNotAllocated(const QString& methodName)
{
    fLastResult = sdk::PXERR_BADBITMAP;
    throw EPixImageError(sdk::formatNotAllocated(objectName(), methodName));
}

void TPixImage::raiseProperty(const QString& text) { throw EPixImageError(objectName() + " \n" + text); }

void TPixImage::raiseInvalidValue(const QString& propertyName)
{
    fLastResult = sdk::PXERR_BADPARAM;
    throw EPixImageError(QStringLiteral("%1 \n %2: Invalid value passed.").arg(objectName(), propertyName));
}

void TPixImage::busyCheck()
{
    if (fAnim.Playing) RaiseMethodError(QStringLiteral("Animation"), sdk::PXERR_UNSUPPORTED);
    if (fProcessing || fBusyDepth > 0 || fFeeds.FeedOpen()) RaiseMethodError(QStringLiteral("Processing not allowed"), 0);
}

void TPixImage::invalidateIfAuto()
{
    fFrameDirty = true;
    if (fAutoRepaint) update();
}

// ---- property setters ----

void TPixImage::SetAutoFloater(bool Value)
{
    if (Value == fAutoFloater) return;
    if (Value) {
        SetFloaterVisible(false);
        fSelection.DropAutoFloater();
        fRegions.ClearFloater();
    } else {
        fSelection.DropAutoFloater();
        fEnableFloater = false;
    }
    fAutoFloater = Value;
}

void TPixImage::SetEnableFloater(bool Value)
{
    if (fRegions.Dragging || !fAutoFloater) {
        fLastResult = 0;
        return;
    }
    if (!Value) fSelection.DropAutoFloater();
    fEnableFloater = Value;
}

void TPixImage::SetAutoRepaint(bool Value)
{
    fAutoRepaint = Value;
    if (Value) invalidateIfAuto();
}

void TPixImage::SetAutoScroll(bool Value)
{
    fAutoScroll = Value;
    if (fHasImage) {
        fUpdatingBars = true;
        if (Value) {
            fView.KeepWithinLimits();
            fScrollBars.Set(fView.Horz, fView.MaxX);
            fScrollBars.SetPos(fView.Horz, fView.PosX);
            fScrollBars.Set(fView.Vert, fView.MaxY);
            fScrollBars.SetPos(fView.Vert, fView.PosY);
        } else {
            fScrollBars.Set(fView.Horz, 0);
            fScrollBars.Set(fView.Vert, 0);
        }
        fUpdatingBars = false;
    }
    UpdateLayout();
    fLastResult = 1;
    invalidateIfAuto();
}

void TPixImage::SetAutoSetRects(bool Value)
{
    const bool switchedOn = Value && !fAutoSetRects;
    fAutoSetRects = Value;
    if (switchedOn) {
        fView.ShowWholeBitmap(QSize(fBitmapWidth, fBitmapHeight));
        UpdateLayout();
    }
    invalidateIfAuto();
}

void TPixImage::SetAutoSize(bool Value)
{
    fAutoSize = Value;
    UpdateLayout();
    invalidateIfAuto();
}

void TPixImage::SetCenterImage(bool Value)
{
    fCenterImage = Value;
    UpdateLayout();
    invalidateIfAuto();
}

void TPixImage::SetBackColor(ColorRef Value)
{
    fBackColor = Value;
    fLastResult = 1;
    fFrameDirty = true;
    update();
}

void TPixImage::SetTransparent(bool Value)
{
    if (Value == fTransparent) return;
    if (Value) SetAutoScroll(false);
    fTransparent = Value;
    setAttribute(Qt::WA_OpaquePaintEvent, !Value);
    invalidateIfAuto();
}

void TPixImage::SetHScrollStep(int Value)
{
    if (Value < 1) {
        fLastResult = 0;
        throw ERangeError(objectName() + QStringLiteral(" \nHScrollStep: Scroll step out of range."));
    }
    fScrollBars.ScrollToOrigin();
    fHScrollStep = Value;
    SetPaintSizeMode(fPaintSizeMode);
    fLastResult = 1;
}

void TPixImage::SetVScrollStep(int Value)
{
    if (Value < 1) {
        fLastResult = 0;
        throw ERangeError(objectName() + QStringLiteral(" \nVScrollStep: Scroll step out of range."));
    }
    fScrollBars.ScrollToOrigin();
    fVScrollStep = Value;
    SetPaintSizeMode(fPaintSizeMode);
    fLastResult = 1;
}

void TPixImage::SetEnableProgressEvent(bool Value)
{
    if (Value) processState().abortRequest = false;
    else if (fBusyDepth > 0) processState().abortRequest = true;
    fEnableProgressEvent = Value;
}

void TPixImage::SetDropFilesAllowed(bool Value)
{
    if (Value != fDropFilesAllowed) setAcceptDrops(Value);
    fDropFilesAllowed = Value;
    fLastResult = 1;
}

void TPixImage::SetPaintSizeMode(TPaintSizeMode Value)
{
    fPaintSizeMode = Value;
    if (Value == smNormal) {
        fScrollBars.ScrollToOrigin();
        fView.ResetZoom(QSize(fBitmapWidth, fBitmapHeight));
    }
    UpdateLayout();
    invalidateIfAuto();
}

int TPixImage::PaintZoomFactor() const
{
    return fView.ZoomFactor(fPaintSizeMode);
}

void TPixImage::SetPaintZoomFactor(int Value)
{
    if (Value < 0) {
        fLastResult = sdk::PXERR_BADPARAM;
        raiseProperty(QStringLiteral("PaintZoomFactor: Invalid value passed."));
    }
    if (!fReadingForm) fPaintSizeMode = smZoom;
    fView.SetZoomFactor(Value);
    SetPaintSizeMode(fPaintSizeMode);
}

void TPixImage::SetPaintSizeUseDPI(bool Value)
{
    fPaintSizeUseDPI = Value;
    UpdateLayout();
    invalidateIfAuto();
}

void TPixImage::SetPaintDither(TPaintDither Value)
{
    fPaintDither = Value;
    fLastResult = 1;
    invalidateIfAuto();
}

void TPixImage::SetPaintPalette(TPaletteType Value)
{
    fPaintPalette = Value;
    fPaletteDirty = true;
    invalidateIfAuto();
}

void TPixImage::SetPaintScaling(TPaintScaling Value)
{
    fPaintScaling = Value;
    fLastResult = 1;
    invalidateIfAuto();
}

void TPixImage::SetBitonalScaling(TBitonalScaling Value)
{
    fBitonalScaling = Value;
    fLastResult = 1;
    invalidateIfAuto();
}

void TPixImage::SetTabStop(bool Value)
{
    fTabStop = Value;
    setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TPixImage::SetPaintContrast(int Value)
{
    fPaintContrast = Value;
    fPaletteDirty = true;
    invalidateIfAuto();
}

void TPixImage::SetPaintGamma(int Value)
{
    fPaintGamma = Value;
    fPaletteDirty = true;
    invalidateIfAuto();
}

void TPixImage::SetPaintIntensity(int Value)
{
    fPaintIntensity = Value;
    fPaletteDirty = true;
    invalidateIfAuto();
}

void TPixImage::SetPaintRgnOnly(bool Value)
{
    fPaintRgnOnly = Value;
    if (fAutoRepaint) Refresh();
    fLastResult = 1;
}

using sdk::isEffectCode;

void TPixImage::SetPaintEffect(int Value)
{
    if (!isEffectCode(Value)) raiseProperty(QStringLiteral("PaintEffect: Invalid Property value"));
    fPaintEffect = Value;
    invalidateIfAuto();
}

void TPixImage::SetTransitionEffect(int Value)
{
    if (!isEffectCode(Value)) raiseProperty(QStringLiteral("TransitionEffect: Invalid Property value"));
    fTransitionEffect = Value;
    invalidateIfAuto();
}

void TPixImage::SetEffectGrain(std::uint32_t Value)
{
    if (Value < 1 || Value > 256) raiseProperty(QStringLiteral("EffectGrain: Invalid Property value."));
    fEffectGrain = Value;
}

void TPixImage::SetPaintMaxPasses(std::uint32_t Value)
{
    if (Value < 1 || Value > 64) raiseProperty(QStringLiteral("PaintMaxPasses: Invalid Property value."));
    fPaintMaxPasses = Value;
    invalidateIfAuto();
}

void TPixImage::SetGradientSteps(std::uint32_t Value)
{
    if (Value < 2 || Value > 265) raiseProperty(QStringLiteral("GradientSteps: Invalid Property value."));
    fGradientSteps = Value;
}

void TPixImage::SetGradientStyle(std::uint32_t Value)
{
    if (Value > 0x7FFFFFFFu || !sdk::isGradientCode(static_cast<int>(Value)))
        raiseProperty(QStringLiteral("GradientStyle: Invalid Property value"));
    fGradientStyle = Value;
    fLastResult = 1;
}

void TPixImage::setBorderThickness(std::uint32_t& field, std::uint32_t value)
{
    field = value;
    UpdateLayout();
    invalidateIfAuto();
}

void TPixImage::SetFrameThickness(std::uint32_t Value) { setBorderThickness(fFrameThickness, Value); }
void TPixImage::SetFrameInnerThickness(std::uint32_t Value) { setBorderThickness(fFrameInnerThickness, Value); }
void TPixImage::SetFrameOuterThickness(std::uint32_t Value) { setBorderThickness(fFrameOuterThickness, Value); }

void TPixImage::SetFrameColor(ColorRef Value)
{
    fFrameColor = Value;
    Refresh();
}

void TPixImage::SetPDFXResolution(int Value)
{
    if (Value < 0) raiseInvalidValue(QStringLiteral("PDFXResolution"));
    fPDFXResolution = Value;
}

void TPixImage::SetPDFYResolution(int Value)
{
    if (Value < 0) raiseInvalidValue(QStringLiteral("PDFYResolution"));
    fPDFYResolution = Value;
}

void TPixImage::SetPDFDisplayDepth(int Value)
{
    if (Value != 1 && Value != 4 && Value != 8 && Value != 24) raiseInvalidValue(QStringLiteral("PDFDisplayDepth"));
    fPDFDisplayDepth = Value;
}

void TPixImage::SetPDFTextAlpha(int Value)
{
    if (Value != 1 && Value != 2 && Value != 4) raiseInvalidValue(QStringLiteral("PDFTextAlpha "));
    fPDFTextAlpha = Value;
}

void TPixImage::SetPDFGraphicsAlpha(int Value)
{
    if (Value != 1 && Value != 2 && Value != 4) raiseInvalidValue(QStringLiteral("PDFGraphicsAlpha"));
    fPDFGraphicsAlpha = Value;
}

void TPixImage::SetRasterizeViewportWidth(int Value)
{
    if (Value < 0) raiseInvalidValue(QStringLiteral("RasterizeViewportWidth"));
    fRasterizeViewportWidth = Value;
}

void TPixImage::SetRasterizeViewportHeight(int Value)
{
    if (Value < 0) raiseInvalidValue(QStringLiteral("RasterizeViewportHeight"));
    fRasterizeViewportHeight = Value;
}

void TPixImage::SetRasterizeViewMode(int Value)
{
    if (Value < 0 || Value > 3) raiseInvalidValue(QStringLiteral("RasterizeViewMode"));
    fRasterizeViewMode = Value;
}

} // namespace imaging
