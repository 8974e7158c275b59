// The pan window and the magnifying glass of an image control, and the control's methods and
// options for them.
#include "imaging/pixpanglass.h"

#include "imaging/piximage.h"

#include <QApplication>

namespace imaging {

using namespace sdk;

namespace {

// The flag word of a set of display options.
int displayFlags(TPaintDither dither, TBitonalScaling bitonal, TPaletteType palette, TPaintScaling scaling)
{
    int flags = dither == pdOrdered ? 1 : 0;
    if (bitonal == btsFavorBlack)
        flags |= 64;
    else if (bitonal == btsScaleToGray)
        flags |= 16;
    if (palette == ppFixed)
        flags |= 128;
    else if (palette == ppAutoNetscape)
        flags |= 256;
    else if (palette == ppFixedNetscape)
        flags |= 384;
    if (scaling == psResample)
        flags |= 512;
    else if (scaling == psBicubic)
        flags |= 1024;
    return flags;
}

} // namespace

// ---- pan window ----

int PixPanGlass::ShowPanWin(bool show)
{
    QPointer<QWidget> focused = QApplication::focusWidget();
    panWinShown_ = show;
    int result = PX_SUCCESS;
    if (show) {
        if (!panWin_ && c_.fHasImage) {
            panWin_ = new TPanWindow(&c_, [this](int flag, QPoint at) { panWindowEvent(flag, at); });
            panWin_->setGeometry(c_.fPanWinX, c_.fPanWinY, std::max(1, c_.fPanWinWidth), std::max(1, c_.fPanWinHeight));
            panWin_->setWindowIcon(c_.fPanWinIcon);
            panWin_->setCursor(cursorShapeOf(c_.fPanWinPointer));
            panWin_->setWindowFlag(Qt::WindowCloseButtonHint, c_.fPanWinSysMenu);
            panWindowEvent(0, {});
            watchWindowState(true);
        }
        if (panWin_) {
            // While the control's window is minimised it waits for the window to come back.
            panWinMinimised_ = c_.window()->isMinimized();
            if (!panWinMinimised_) panWin_->show();
            UpdatePanWindow(true);
        } else {
            result = c_.fHasImage ? PXERR_NOMEMORY : PXERR_BADBITMAP;
        }
    } else {
        ClosePanWindow();
    }
    if (focused) focused->setFocus();
    return result;
}

void PixPanGlass::ClosePanWindow()
{
    if (!panWin_) return;
    TPanWindow* window = panWin_;
    panWin_ = nullptr;
    panWinShown_ = false;
    watchWindowState(false);
    window->hide();
    window->deleteLater();
}

void PixPanGlass::watchWindowState(bool watch)
{
    if (watchedWindow_) watchedWindow_->removeEventFilter(&c_);
    watchedWindow_ = watch ? c_.window() : nullptr;
    panWinMinimised_ = false;
    if (watchedWindow_) watchedWindow_->installEventFilter(&c_);
}

// The pan window goes out of sight while the control's window is minimised and comes back
// with it.
void PixPanGlass::WindowStateChanged(QObject* window)
{
    if (window != watchedWindow_ || !panWin_ || !panWinShown_) return;
    if (c_.window()->isMinimized()) {
        if (panWin_->isVisible()) {
            panWinMinimised_ = true;
            panWin_->hide();
        }
    } else if (panWinMinimised_) {
        panWinMinimised_ = false;
        panWin_->show();
        UpdatePanWindow(true);
    }
}

// The part of the picture the control shows, in bitmap coordinates.
QRect PixPanGlass::visibleBitmapPart() const
{
    if (!c_.fHasImage) return {};
    return c_.fView.VisibleBitmapPart(QSize(c_.fBitmapWidth, c_.fBitmapHeight), c_.innerRect(), c_.BorderWidth());
}

void PixPanGlass::UpdatePanWindow(bool pictureChanged)
{
    if (!panWin_ || !panWinShown_ || !c_.fHasImage || !c_.fBitmap.allocated()) return;
    if (pictureChanged) panWin_->SetPicture(c_.pictureImage(c_.fBitmap), c_.fPanWinPaintScaling != psNormal);
    panWin_->Update(visibleBitmapPart(), c_.fPanWinRectColor, c_.fPanWinTitle);
}

void PixPanGlass::PanWinOptionChanged()
{
    UpdatePanWindow(true);
    c_.fLastResult = 1;
}

void PixPanGlass::panWindowEvent(int flag, const QPoint& bitmapPos)
{
    QWidget* handle = panWin_;
    if (flag == 3) {
        // Resized: its copy of the picture is made anew (the control is not told).
        UpdatePanWindow(true);
        return;
    }
    if (flag == 1 && c_.fHasImage) {
        const QPoint to = c_.fView.PositionOf(bitmapPos);
        c_.fScrolling = true;
        if (c_.fCenterImage) c_.UpdateLayout();
        c_.PanWinMoved();
        c_.fScrolling = false;
        if (c_.fAutoRepaint) c_.ScrollBy(to.x() - c_.fView.PosX, to.y() - c_.fView.PosY);
        UpdatePanWindow();
    } else if (flag == 2) {
        watchWindowState(false);
        panWinShown_ = false;
        if (panWin_) panWin_->deleteLater();
        panWin_ = nullptr;
    }
    if (c_.OnPanWin) c_.OnPanWin(&c_, handle, flag);
}

// ---- magnifying glass ----

int PixPanGlass::StartMagGlass(const TMagGlassOptions& options)
{
    if (glass_ || options.Width < 1 || options.Height < 1 || options.Zoom < 1) return PXERR_BADPARAM;
    glassOptions_ = options;
    // The position callback goes to the glass only when a handler wants it.
    TMagGlass::PositionCallback report;
    if (positionHandler_) report = [this](const QPoint& point) { return magGlassPosition(point); };
    glass_ = new TMagGlass(&c_, glassOptions_, std::move(report));
    if (c_.fMagGlassPointer != 0) c_.setCursor(cursorShapeOf(c_.fMagGlassPointer));
    const QPoint at = c_.clientPoint(QPointF(c_.mapFromGlobal(QCursor::pos())));
    if (QRect(0, 0, c_.ClientWidth(), c_.ClientHeight()).contains(at)) FollowMagGlass(at);
    return PX_SUCCESS;
}

int PixPanGlass::StopMagGlass()
{
    if (!glass_) return 0;
    delete glass_.data();
    glass_ = nullptr;
    c_.unsetCursor();
    return PX_SUCCESS;
}

// A glass started while a handler is set reports to it; once it is taken away the glass is
// told that no further positions are wanted.
void PixPanGlass::SetPositionHandler(PositionHandler handler) { positionHandler_ = std::move(handler); }

int PixPanGlass::magGlassPosition(const QPoint& point)
{
    if (!positionHandler_) return magGlassCallbackDone;
    // A copy: the handler may put another in its place.
    const PositionHandler handler = positionHandler_;
    handler(&c_, point.x(), point.y());
    return 1;
}

void PixPanGlass::FollowMagGlass(const QPoint& at)
{
    if (!glass_) return;
    if (c_.fFrameDirty || c_.fFrame.isNull()) c_.composeFrame();
    const QRect picture = c_.visiblePicture();
    if (!picture.contains(at) || c_.fFrame.isNull()) {
        glass_->hide();
        return;
    }
    QRegion inside(picture);
    if (glassOptions_.RegionOnly && c_.hasRegion()) {
        const PxRgnTransform t = c_.bitmapToClient();
        QRegion rgn;
        if (PX_GetBitmapRgnHandle(&c_.fBitmap, &t, &rgn) == PX_SUCCESS) inside &= rgn;
    }
    if (c_.OnMagGlassCursor) c_.OnMagGlassCursor(&c_);
    glass_->Follow(c_.fFrame, at, inside);
}

void PixPanGlass::UpdateMagGlass()
{
    if (glass_ && glass_->isVisible()) FollowMagGlass(glass_->Point());
}

void PixPanGlass::RestartMagGlass()
{
    c_.fLastResult = 1;
    if (!glass_) return;
    const TMagGlassOptions o = glassOptions_;
    c_.StopMagGlass();
    c_.StartMagGlass(o.Width, o.Height, o.Zoom, o.PenColor, o.BackColor, o.Ellipse, o.BorderSize, o.Border3D, o.Crosshair,
                     o.Centered, o.RegionOnly);
}

// ---- the control's methods and options ----

int TPixImage::PanWinDisplayFlags() const
{
    return displayFlags(fPanWinPaintDither, fPanWinBitonalScaling, fPanWinPaintPalette, fPanWinPaintScaling);
}

int TPixImage::MagGlassDisplayFlags() const
{
    return displayFlags(fMagGlassPaintDither, fMagGlassBitonalScaling, fMagGlassPaintPalette, fMagGlassPaintScaling);
}

bool TPixImage::PanWinShown() const { return fPanGlass.PanWinShown(); }

TPanWindow* TPixImage::PanWindow() const { return fPanGlass.PanWindow(); }

int TPixImage::ShowPanWin(bool show)
{
    fLastResult = fPanGlass.ShowPanWin(show);
    return fLastResult;
}

bool TPixImage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) fPanGlass.WindowStateChanged(watched);
    if (fPlace.AlignsIn(watched) && event->type() == QEvent::Resize) fPlace.ApplyAlign();
    return QWidget::eventFilter(watched, event);
}

int TPixImage::PanWinX() const { return PanWinShown() ? PanWindow()->geometry().x() : fPanWinX; }
int TPixImage::PanWinY() const { return PanWinShown() ? PanWindow()->geometry().y() : fPanWinY; }
int TPixImage::PanWinWidth() const { return PanWinShown() ? PanWindow()->geometry().width() : fPanWinWidth; }
int TPixImage::PanWinHeight() const { return PanWinShown() ? PanWindow()->geometry().height() : fPanWinHeight; }

void TPixImage::SetPanWinX(int Value)
{
    fPanWinX = Value;
    if (TPanWindow* w = PanWindow()) w->move(fPanWinX, w->y());
    fLastResult = 1;
}

void TPixImage::SetPanWinY(int Value)
{
    fPanWinY = Value;
    if (TPanWindow* w = PanWindow()) w->move(w->x(), fPanWinY);
    fLastResult = 1;
}

void TPixImage::SetPanWinWidth(int Value)
{
    fPanWinWidth = Value;
    if (TPanWindow* w = PanWindow()) w->resize(std::max(1, Value), w->height());
    fLastResult = 1;
}

void TPixImage::SetPanWinHeight(int Value)
{
    fPanWinHeight = Value;
    if (TPanWindow* w = PanWindow()) w->resize(w->width(), std::max(1, Value));
    fLastResult = 1;
}

void TPixImage::SetPanWinTitle(QString Value) { fPanGlass.SetPanWinOption(fPanWinTitle, std::move(Value)); }

void TPixImage::SetPanWinRectColor(ColorRef Value) { fPanGlass.SetPanWinOption(fPanWinRectColor, Value); }

void TPixImage::SetPanWinSysMenu(bool Value)
{
    fPanWinSysMenu = Value;
    if (TPanWindow* w = PanWindow()) {
        const bool shown = w->isVisible();
        w->setWindowFlag(Qt::WindowCloseButtonHint, Value);
        if (shown) w->show();
    }
    fLastResult = 1;
}

void TPixImage::SetPanWinIcon(const QIcon& Value)
{
    fPanWinIcon = Value;
    if (TPanWindow* w = PanWindow()) w->setWindowIcon(Value);
    fLastResult = 1;
}

void TPixImage::SetPanWinPointer(int Value)
{
    fPanWinPointer = Value;
    if (TPanWindow* w = PanWindow()) w->setCursor(cursorShapeOf(Value));
    fLastResult = 1;
}

void TPixImage::SetPanWinPaintPalette(TPaletteType Value) { fPanGlass.SetPanWinOption(fPanWinPaintPalette, Value); }

void TPixImage::SetPanWinBitonalScaling(TBitonalScaling Value) { fPanGlass.SetPanWinOption(fPanWinBitonalScaling, Value); }

void TPixImage::SetPanWinPaintDither(TPaintDither Value) { fPanGlass.SetPanWinOption(fPanWinPaintDither, Value); }

void TPixImage::SetPanWinPaintScaling(TPaintScaling Value) { fPanGlass.SetPanWinOption(fPanWinPaintScaling, Value); }

int TPixImage::StartMagGlass(int Width, int Height, int Zoom, ColorRef PenColor, ColorRef BackColor, bool Ellipse, int BorderSize,
                             bool Border3D, bool Crosshair, bool Centered, bool RegionOnly)
{
    if (!fHasImage) raiseNotAllocated(QStringLiteral("StartMagGlass"));
    const int result = fPanGlass.StartMagGlass(TMagGlassOptions{Width, Height, Zoom, PenColor, BackColor, Ellipse, BorderSize,
                                                                Border3D, Crosshair, Centered, RegionOnly});
    return CheckMethodResult(QStringLiteral("StartMagGlass"), result);
}

int TPixImage::StopMagGlass() { return CheckMethodResult(QStringLiteral("StopMagGlass"), fPanGlass.StopMagGlass()); }

bool TPixImage::MagGlassActive() const { return fPanGlass.MagGlass() != nullptr; }

TMagGlass* TPixImage::MagGlass() const { return fPanGlass.MagGlass(); }

void TPixImage::SetMagGlassCallback(TMagGlassPositionHandler handler) { fPanGlass.SetPositionHandler(std::move(handler)); }

void TPixImage::SetMagGlassPaintPalette(TPaletteType Value) { fPanGlass.SetMagGlassOption(fMagGlassPaintPalette, Value); }

void TPixImage::SetMagGlassBitonalScaling(TBitonalScaling Value) { fPanGlass.SetMagGlassOption(fMagGlassBitonalScaling, Value); }

void TPixImage::SetMagGlassPaintDither(TPaintDither Value) { fPanGlass.SetMagGlassOption(fMagGlassPaintDither, Value); }

void TPixImage::SetMagGlassPaintScaling(TPaintScaling Value) { fPanGlass.SetMagGlassOption(fMagGlassPaintScaling, Value); }

void TPixImage::SetMagGlassPointer(int Value) { fPanGlass.SetMagGlassOption(fMagGlassPointer, Value); }

} // namespace imaging
