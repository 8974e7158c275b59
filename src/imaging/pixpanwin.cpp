// TPixImage: the pan window and the magnifying glass.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"
#include "platform/rounding.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

namespace imaging {

using namespace sdk;

Qt::CursorShape cursorShapeOf(int index)
{
    switch (index) {
    case -1: return Qt::BlankCursor;
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -5: return Qt::SizeAllCursor;
    case -6: return Qt::SizeBDiagCursor;
    case -7: return Qt::SizeVerCursor;
    case -8: return Qt::SizeFDiagCursor;
    case -9: return Qt::SizeHorCursor;
    case -10: return Qt::UpArrowCursor;
    case -11: return Qt::WaitCursor;
    case -12:
    case -16: return Qt::DragCopyCursor;
    case -13: return Qt::ForbiddenCursor;
    case -14: return Qt::SplitVCursor;
    case -15: return Qt::SplitHCursor;
    case -19: return Qt::BusyCursor;
    case -20: return Qt::WhatsThisCursor;
    case -21: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
    }
}

namespace {

// The flag word of a set of display options.
int displayFlags(TPaintDither dither, TBitonalScaling bitonal, TPaletteType palette, TPaintScaling scaling)
{
    int flags = dither == pdOrdered ? 1 : 0;
    if (bitonal == btsFavorBlack) flags |= 64;
    else if (bitonal == btsScaleToGray) flags |= 16;
    if (palette == ppFixed) flags |= 128;
    else if (palette == ppAutoNetscape) flags |= 256;
    else if (palette == ppFixedNetscape) flags |= 384;
    if (scaling == psResample) flags |= 512;
    else if (scaling == psBicubic) flags |= 1024;
    return flags;
}

} // namespace

// ---- the pan window ----

TPanWindow::TPanWindow(QWidget* owner, Callback callback)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint), callback_(std::move(callback))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("PX_PANWINDOW_32"));
}

void TPanWindow::SetPicture(const QImage& picture, bool smooth)
{
    bitmapSize_ = picture.size();
    picture_ = picture.isNull() ? QImage()
                                : picture.scaled(size(), Qt::KeepAspectRatio,
                                                 smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
    update();
}

void TPanWindow::Update(const QRect& visible, platform::ColorRef rectColor, const QString& title)
{
    visible_ = visible;
    rectColor_ = rectColor;
    setWindowTitle(title);
    update();
}

QRect TPanWindow::pictureRect() const
{
    if (bitmapSize_.isEmpty()) return {};
    const QSize fitted = bitmapSize_.scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

QRect TPanWindow::ViewRect() const
{
    const QRect area = pictureRect();
    if (area.isEmpty()) return {};
    const double sx = static_cast<double>(area.width()) / bitmapSize_.width();
    const double sy = static_cast<double>(area.height()) / bitmapSize_.height();
    return QRect(area.left() + platform::roundHalfEven(visible_.left() * sx),
                 area.top() + platform::roundHalfEven(visible_.top() * sy),
                 std::max(1, platform::roundHalfEven(visible_.width() * sx)),
                 std::max(1, platform::roundHalfEven(visible_.height() * sy)));
}

void TPanWindow::resizeEvent(QResizeEvent*)
{
    // The kept copy is made again at the new size by the control.
    if (callback_) callback_(3, {});
}

void TPanWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRect area = pictureRect();
    if (area.isEmpty()) return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(area, picture_);
    p.setPen(QPen(platform::colorToQColor(rectColor_), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(ViewRect().adjusted(0, 0, -1, -1));
}

void TPanWindow::moveViewTo(const QPoint& windowPos)
{
    const QRect area = pictureRect();
    if (area.isEmpty()) return;
    const double sx = static_cast<double>(bitmapSize_.width()) / area.width();
    const double sy = static_cast<double>(bitmapSize_.height()) / area.height();
    QPoint bitmapPos(platform::roundHalfEven((windowPos.x() - area.left()) * sx),
                     platform::roundHalfEven((windowPos.y() - area.top()) * sy));
    bitmapPos.setX(std::clamp(bitmapPos.x(), 0, std::max(0, bitmapSize_.width() - visible_.width())));
    bitmapPos.setY(std::clamp(bitmapPos.y(), 0, std::max(0, bitmapSize_.height() - visible_.height())));
    if (callback_) callback_(1, bitmapPos);
}

void TPanWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const QRect view = ViewRect();
    // A press outside the rectangle brings its centre there; inside, the rectangle is picked up.
    grab_ = view.contains(at) ? at - view.topLeft() : QPoint(view.width() / 2, view.height() / 2);
    dragging_ = true;
    moveViewTo(at - grab_);
}

void TPanWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_) moveViewTo(event->position().toPoint() - grab_);
}

void TPanWindow::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

void TPanWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (callback_) callback_(2, {});
}

// ---- the zoom-in outline ----

TZoomInFrame::TZoomInFrame()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void TZoomInFrame::Around(const QRect& rect)
{
    setGeometry(rect.adjusted(-1, -1, 1, 1));
    // Only the line is part of the window: what it surrounds stays the screen's.
    setMask(QRegion(rect.adjusted(-1, -1, 1, 1).translated(-rect.topLeft() + QPoint(1, 1))) -
            QRegion(QRect(1, 1, rect.width(), rect.height())));
    show();
}

void TZoomInFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- the magnifying glass ----

TMagGlass::TMagGlass(QWidget* control, const TMagGlassOptions& options, PositionCallback callback)
    : QWidget(control), options_(options), callback_(std::move(callback))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(std::max(1, options.Width), std::max(1, options.Height));
    if (options.Ellipse) setMask(QRegion(rect(), QRegion::Ellipse));
    hide();
}

void TMagGlass::Follow(const QImage& frame, const QPoint& point, const QRegion& inside)
{
    point_ = point;
    const int zoom = std::max(1, options_.Zoom);
    const int w = width(), h = height();
    // The source square around the point, of the glass's size divided by the zoom.
    const int sw = std::max(1, w / zoom), sh = std::max(1, h / zoom);
    const QRect source(point.x() - sw / 2, point.y() - sh / 2, sw, sh);
    view_ = QImage(sw, sh, QImage::Format_RGB32);
    view_.fill(platform::colorToQColor(options_.BackColor));
    {
        QPainter p(&view_);
        p.setClipRegion(inside.translated(-source.topLeft()));
        p.drawImage(QPoint(0, 0), frame, source);
    }
    move(options_.Centered ? point - QPoint(w / 2, h / 2) : point + QPoint(16, 16));
    show();
    raise();
    update();
    if (callback_ && callback_(point) == magGlassCallbackDone) callback_ = {};
}

void TMagGlass::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(rect(), view_);
    const QColor pen = platform::colorToQColor(options_.PenColor);
    if (options_.Crosshair) {
        p.setPen(QPen(pen, 1));
        p.drawLine(width() / 2, 0, width() / 2, height());
        p.drawLine(0, height() / 2, width(), height() / 2);
    }
    const int b = std::max(0, options_.BorderSize);
    if (b == 0) return;
    const QRectF edge = QRectF(rect()).adjusted(b / 2.0, b / 2.0, -b / 2.0, -b / 2.0);
    if (options_.Border3D) {
        // Light above left, shadow below right.
        p.setPen(QPen(QColor(255, 255, 255), b));
        if (options_.Ellipse) p.drawArc(edge, 45 * 16, 180 * 16);
        else p.drawPolyline(QPolygonF({edge.bottomLeft(), edge.topLeft(), edge.topRight()}));
        p.setPen(QPen(QColor(128, 128, 128), b));
        if (options_.Ellipse) p.drawArc(edge, 225 * 16, 180 * 16);
        else p.drawPolyline(QPolygonF({edge.topRight(), edge.bottomRight(), edge.bottomLeft()}));
        return;
    }
    p.setPen(QPen(pen, b));
    p.setBrush(Qt::NoBrush);
    if (options_.Ellipse) p.drawEllipse(edge);
    else p.drawRect(edge);
}

// ---- the control's side ----

int TPixImage::PanWinDisplayFlags() const
{
    return displayFlags(fPanWinPaintDither, fPanWinBitonalScaling, fPanWinPaintPalette, fPanWinPaintScaling);
}

int TPixImage::MagGlassDisplayFlags() const
{
    return displayFlags(fMagGlassPaintDither, fMagGlassBitonalScaling, fMagGlassPaintPalette, fMagGlassPaintScaling);
}

// The part of the picture the control shows, in bitmap coordinates.
QRect TPixImage::visibleBitmapPart() const
{
    if (!fHasImage) return {};
    return fView.VisibleBitmapPart(QSize(fBitmapWidth, fBitmapHeight), innerRect(), BorderWidth());
}

bool TPixImage::PanWinShown() const { return fPanWin && fPanWinShown; }

int TPixImage::ShowPanWin(bool show)
{
    QPointer<QWidget> focused = QApplication::focusWidget();
    fPanWinShown = show;
    int result = PX_SUCCESS;
    if (show) {
        if (!fPanWin && fHasImage) {
            fPanWin = new TPanWindow(this, [this](int flag, QPoint at) { panWindowEvent(flag, at); });
            fPanWin->setGeometry(fPanWinX, fPanWinY, std::max(1, fPanWinWidth), std::max(1, fPanWinHeight));
            fPanWin->setWindowIcon(fPanWinIcon);
            fPanWin->setCursor(cursorShapeOf(fPanWinPointer));
            fPanWin->setWindowFlag(Qt::WindowCloseButtonHint, fPanWinSysMenu);
            panWindowEvent(0, {});
            watchWindowState(true);
        }
        if (fPanWin) {
            // While the control's window is minimised it waits for the window to come back.
            fPanWinMinimised = window()->isMinimized();
            if (!fPanWinMinimised) fPanWin->show();
            updatePanWindow(true);
        } else {
            result = fHasImage ? PXERR_NOMEMORY : PXERR_BADBITMAP;
        }
    } else {
        closePanWindow();
    }
    if (focused) focused->setFocus();
    fLastResult = result;
    return result;
}

void TPixImage::closePanWindow()
{
    if (!fPanWin) return;
    TPanWindow* window = fPanWin;
    fPanWin = nullptr;
    fPanWinShown = false;
    watchWindowState(false);
    window->hide();
    window->deleteLater();
}

void TPixImage::watchWindowState(bool watch)
{
    if (fWatchedWindow) fWatchedWindow->removeEventFilter(this);
    fWatchedWindow = watch ? window() : nullptr;
    fPanWinMinimised = false;
    if (fWatchedWindow) fWatchedWindow->installEventFilter(this);
}

bool TPixImage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fWatchedWindow && event->type() == QEvent::WindowStateChange) followWindowState();
    if (watched == fAlignedIn && event->type() == QEvent::Resize) applyAlign();
    return QWidget::eventFilter(watched, event);
}

// The pan window goes out of sight while the control's window is minimised and comes back
// with it.
void TPixImage::followWindowState()
{
    if (!fPanWin || !fPanWinShown) return;
    if (window()->isMinimized()) {
        if (fPanWin->isVisible()) {
            fPanWinMinimised = true;
            fPanWin->hide();
        }
    } else if (fPanWinMinimised) {
        fPanWinMinimised = false;
        fPanWin->show();
        updatePanWindow(true);
    }
}

// Shows the visible part in the pan window; with pictureChanged also the picture anew.
void TPixImage::updatePanWindow(bool pictureChanged)
{
    if (!fPanWin || !fPanWinShown || !fHasImage || !fBitmap.allocated()) return;
    if (pictureChanged) fPanWin->SetPicture(pictureImage(fBitmap), fPanWinPaintScaling != psNormal);
    fPanWin->Update(visibleBitmapPart(), fPanWinRectColor, fPanWinTitle);
}

void TPixImage::panWindowEvent(int flag, const QPoint& bitmapPos)
{
    QWidget* handle = fPanWin;
    if (flag == 3) {
        // Resized: its copy of the picture is made anew (the control is not told).
        updatePanWindow(true);
        return;
    }
    if (flag == 1 && fHasImage) {
        const QPoint to = fView.PositionOf(bitmapPos);
        fScrolling = true;
        if (fCenterImage) UpdateLayout();
        PanWinMoved();
        fScrolling = false;
        if (fAutoRepaint) ScrollBy(to.x() - fView.PosX, to.y() - fView.PosY);
        updatePanWindow();
    } else if (flag == 2) {
        watchWindowState(false);
        fPanWinShown = false;
        if (fPanWin) fPanWin->deleteLater();
        fPanWin = nullptr;
    }
    if (OnPanWin) OnPanWin(this, handle, flag);
}

template <typename T>
void TPixImage::setPanWinOption(T& field, T value)
{
    field = std::move(value);
    updatePanWindow(true);
    fLastResult = 1;
}

template <typename T>
void TPixImage::setMagGlassOption(T& field, T value)
{
    field = std::move(value);
    restartMagGlass();
}

int TPixImage::PanWinX() const { return PanWinShown() ? fPanWin->geometry().x() : fPanWinX; }
int TPixImage::PanWinY() const { return PanWinShown() ? fPanWin->geometry().y() : fPanWinY; }
int TPixImage::PanWinWidth() const { return PanWinShown() ? fPanWin->geometry().width() : fPanWinWidth; }
int TPixImage::PanWinHeight() const { return PanWinShown() ? fPanWin->geometry().height() : fPanWinHeight; }

void TPixImage::SetPanWinX(int Value)
{
    fPanWinX = Value;
    if (fPanWin) fPanWin->move(fPanWinX, fPanWin->y());
    fLastResult = 1;
}

void TPixImage::SetPanWinY(int Value)
{
    fPanWinY = Value;
    if (fPanWin) fPanWin->move(fPanWin->x(), fPanWinY);
    fLastResult = 1;
}

void TPixImage::SetPanWinWidth(int Value)
{
    fPanWinWidth = Value;
    if (fPanWin) fPanWin->resize(std::max(1, Value), fPanWin->height());
    fLastResult = 1;
}

void TPixImage::SetPanWinHeight(int Value)
{
    fPanWinHeight = Value;
    if (fPanWin) fPanWin->resize(fPanWin->width(), std::max(1, Value));
    fLastResult = 1;
}

void TPixImage::SetPanWinTitle(QString Value) { setPanWinOption(fPanWinTitle, std::move(Value)); }

void TPixImage::SetPanWinRectColor(ColorRef Value) { setPanWinOption(fPanWinRectColor, Value); }

void TPixImage::SetPanWinSysMenu(bool Value)
{
    fPanWinSysMenu = Value;
    if (fPanWin) {
        const bool shown = fPanWin->isVisible();
        fPanWin->setWindowFlag(Qt::WindowCloseButtonHint, Value);
        if (shown) fPanWin->show();
    }
    fLastResult = 1;
}

void TPixImage::SetPanWinIcon(const QIcon& Value)
{
    fPanWinIcon = Value;
    if (fPanWin) fPanWin->setWindowIcon(Value);
    fLastResult = 1;
}

void TPixImage::SetPanWinPointer(int Value)
{
    fPanWinPointer = Value;
    if (fPanWin) fPanWin->setCursor(cursorShapeOf(Value));
    fLastResult = 1;
}

void TPixImage::SetPanWinPaintPalette(TPaletteType Value) { setPanWinOption(fPanWinPaintPalette, Value); }

void TPixImage::SetPanWinBitonalScaling(TBitonalScaling Value) { setPanWinOption(fPanWinBitonalScaling, Value); }

void TPixImage::SetPanWinPaintDither(TPaintDither Value) { setPanWinOption(fPanWinPaintDither, Value); }

void TPixImage::SetPanWinPaintScaling(TPaintScaling Value) { setPanWinOption(fPanWinPaintScaling, Value); }

// ---- magnifying glass ----

int TPixImage::StartMagGlass(int Width, int Height, int Zoom, ColorRef PenColor, ColorRef BackColor, bool Ellipse,
                             int BorderSize, bool Border3D, bool Crosshair, bool Centered, bool RegionOnly)
{
    if (!fHasImage) raiseNotAllocated(QStringLiteral("StartMagGlass"));
    int result = PX_SUCCESS;
    if (fMagGlass) {
        result = PXERR_BADPARAM;
    } else if (Width < 1 || Height < 1 || Zoom < 1) {
        result = PXERR_BADPARAM;
    } else {
        fMagGlassOptions = TMagGlassOptions{Width, Height, Zoom, PenColor, BackColor, Ellipse, BorderSize, Border3D,
                                            Crosshair, Centered, RegionOnly};
        // The position callback goes to the glass only when a handler wants it.
        TMagGlass::PositionCallback report;
        if (fMagGlassCallbackWanted) report = [this](const QPoint& point) { return magGlassPosition(point); };
        fMagGlass = new TMagGlass(this, fMagGlassOptions, std::move(report));
        if (fMagGlassPointer != 0) setCursor(cursorShapeOf(fMagGlassPointer));
        const QPoint at = clientPoint(QPointF(mapFromGlobal(QCursor::pos())));
        if (QRect(0, 0, ClientWidth(), ClientHeight()).contains(at)) followMagGlass(at);
    }
    return CheckMethodResult(QStringLiteral("StartMagGlass"), result);
}

int TPixImage::StopMagGlass()
{
    int result = 0;
    if (fMagGlass) {
        delete fMagGlass.data();
        fMagGlass = nullptr;
        unsetCursor();
        result = PX_SUCCESS;
    }
    return CheckMethodResult(QStringLiteral("StopMagGlass"), result);
}

void TPixImage::SetMagGlassCallback(TMagGlassPositionHandler handler)
{
    fMagGlassHandler = std::move(handler);
    fMagGlassCallbackWanted = static_cast<bool>(fMagGlassHandler);
}

int TPixImage::magGlassPosition(const QPoint& point)
{
    if (!fMagGlassCallbackWanted || !fMagGlassHandler) return magGlassCallbackDone;
    // A copy: the handler may put another in its place.
    const TMagGlassPositionHandler handler = fMagGlassHandler;
    handler(this, point.x(), point.y());
    return 1;
}

void TPixImage::followMagGlass(const QPoint& at)
{
    if (!fMagGlass) return;
    if (fFrameDirty || fFrame.isNull()) composeFrame();
    const QRect picture = visiblePicture();
    if (!picture.contains(at) || fFrame.isNull()) {
        fMagGlass->hide();
        return;
    }
    QRegion inside(picture);
    if (fMagGlassOptions.RegionOnly && hasRegion()) {
        const PxRgnTransform t = bitmapToClient();
        QRegion rgn;
        if (PX_GetBitmapRgnHandle(&fBitmap, &t, &rgn) == PX_SUCCESS) inside &= rgn;
    }
    if (OnMagGlassCursor) OnMagGlassCursor(this);
    fMagGlass->Follow(fFrame, at, inside);
}

void TPixImage::updateMagGlass()
{
    if (fMagGlass && fMagGlass->isVisible()) followMagGlass(fMagGlass->Point());
}

void TPixImage::restartMagGlass()
{
    fLastResult = 1;
    if (!fMagGlass) return;
    const TMagGlassOptions o = fMagGlassOptions;
    StopMagGlass();
    StartMagGlass(o.Width, o.Height, o.Zoom, o.PenColor, o.BackColor, o.Ellipse, o.BorderSize, o.Border3D, o.Crosshair,
                  o.Centered, o.RegionOnly);
}

void TPixImage::SetMagGlassPaintPalette(TPaletteType Value) { setMagGlassOption(fMagGlassPaintPalette, Value); }

void TPixImage::SetMagGlassBitonalScaling(TBitonalScaling Value) { setMagGlassOption(fMagGlassBitonalScaling, Value); }

void TPixImage::SetMagGlassPaintDither(TPaintDither Value) { setMagGlassOption(fMagGlassPaintDither, Value); }

void TPixImage::SetMagGlassPaintScaling(TPaintScaling Value) { setMagGlassOption(fMagGlassPaintScaling, Value); }

void TPixImage::SetMagGlassPointer(int Value) { setMagGlassOption(fMagGlassPointer, Value); }

} // namespace imaging
