// TPixImage: layout of the picture in the client area, the composed paint, the scroll bars with
// their keys and wheel, the rubber band and the zoom-in capture.
//
// Every paint is composed off-screen into fFrame and the paint event only shows that frame, so
// what the control shows can always be read back exactly.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"
#include "platform/rounding.h"

#include <QCursor>
#include <QGuiApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

namespace imaging {

using namespace sdk;

namespace {

// Clears to transparent every pixel of the colour key (alpha left out of the comparison).
void clearKeyColour(QImage& picture, QRgb key)
{
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if ((line[x] | 0xFF000000u) == key) line[x] = 0;
    }
}

} // namespace

// ---- client area ----

int TPixImage::ClientWidth() const
{
    return std::max(0, width() - 2 * EdgeWidth() -
                           (fVertBar && !fVertBar->isHidden() ? fVertBar->sizeHint().width() : 0));
}

int TPixImage::ClientHeight() const
{
    return std::max(0, height() - 2 * EdgeWidth() -
                           (fHorzBar && !fHorzBar->isHidden() ? fHorzBar->sizeHint().height() : 0));
}

QRect TPixImage::innerRect() const
{
    const int b = BorderWidth();
    return QRect(b, b, ClientWidth() - 2 * b, ClientHeight() - 2 * b);
}

// ---- layout ----

void TPixImage::sizeModeArithmetic()
{
    QSize picture(fBitmapWidth, fBitmapHeight);
    if (fPaintSizeUseDPI) {
        picture.setWidth(platform::roundHalfEven(static_cast<double>(picture.width()) * logicalDpiX() /
                                                 std::max(1, fXResolution)));
        picture.setHeight(platform::roundHalfEven(static_cast<double>(picture.height()) * logicalDpiY() /
                                                  std::max(1, fYResolution)));
    }
    const int b = BorderWidth();
    if (!fView.Fit(fPaintSizeMode, picture, QSize(ClientWidth() - 2 * b, ClientHeight() - 2 * b)) && fAutoScroll) {
        fScrollBars.Set(fView.Horz, 0);
        fScrollBars.Set(fView.Vert, 0);
    }
}

void TPixImage::UpdateLayout()
{
    if (fDestroying || fLayoutInProgress) return;
    for (int pass = 0; pass < 3; ++pass) {
        fLayoutInProgress = true;
        const int b = BorderWidth();
        const int innerH = ClientHeight() - 2 * b;
        const int innerW = ClientWidth() - 2 * b;
        if (!fScrolling) {
            if (fAutoSetRects) sizeModeArithmetic();
            fView.LimitScroll(QSize(innerW, innerH));
            if (fAutoSize && fHasImage) {
                resize(width() - ClientWidth() + 2 * b + fView.DstWidth, height() - ClientHeight() + 2 * b + fView.DstHeight);
            } else if (fAutoScroll) {
                fView.FollowScroll();
            }
            if (fAutoSetRects) fView.ClipToDestination();
        }
        if (!fScrolling && !fAutoFloater && fRegions.Floater.allocated()) fSelection.RebuildFloaterScreen();
        if (fCenterImage && (fView.Display.width() < innerW || fView.Display.height() < innerH)) {
            fView.Centre(QSize(innerW, innerH));
            invalidateIfAuto();
        }
        fPanGlass.UpdatePanWindow();
        fLayoutInProgress = false;
        fFrameDirty = true;
        if (!fAutoScroll || fAutoSize || fScrolling) break;
        const bool hadH = !fHorzBar->isHidden();
        const bool hadV = !fVertBar->isHidden();
        fScrollBars.Sync();
        if (hadH == !fHorzBar->isHidden() && hadV == !fVertBar->isHidden()) break;
    }
    invalidateIfAuto();
}

void TPixImage::SetDstClipLeft(int v)
{
    fView.DstClip.moveLeft(v);
    invalidateIfAuto();
}

void TPixImage::SetDstClipTop(int v)
{
    fView.DstClip.moveTop(v);
    invalidateIfAuto();
}

void TPixImage::SetDstClipWidth(int v)
{
    fView.DstClip.setWidth(v);
    invalidateIfAuto();
}

void TPixImage::SetDstClipHeight(int v)
{
    fView.DstClip.setHeight(v);
    invalidateIfAuto();
}

int TPixImage::SetDstClipRect(int Left, int Top, int Width, int Height)
{
    fView.DstClip = QRect(Left, Top, Width, Height);
    invalidateIfAuto();
    return 1;
}

// ---- scroll bars ----

void TPixImage::VScroll(TScrollCode code, int pos) { fScrollBars.Message(true, code, pos); }
void TPixImage::HScroll(TScrollCode code, int pos) { fScrollBars.Message(false, code, pos); }

void TPixImage::ScrollBy(int dx, int dy)
{
    if (dx == 0 && dy == 0) return;
    const QPoint moved = fView.ScrollBy(dx, dy);
    fScrollBars.SetPos(fView.Horz, fView.PosX);
    fScrollBars.SetPos(fView.Vert, fView.PosY);
    fScrollBars.MoveChildren(moved.x(), moved.y());
    Refresh();
    fPanGlass.ViewChanged();
}

// ---- painting ----

void TPixImage::composeFrame()
{
    // A paint requested while painting (from an OnPaint handler, say) is ignored.
    if (fInPaint) return;
    const int cw = ClientWidth();
    const int ch = ClientHeight();
    if (cw <= 0 || ch <= 0) {
        fFrame = QImage();
        fFrameDirty = false;
        return;
    }
    ProcessState& s = processState();
    fInPaint = true;
    ++s.paintingCount;
    struct Finish {
        TPixImage* self;
        ~Finish()
        {
            --processState().paintingCount;
            self->fInPaint = false;
        }
    } finish{this};

    // The frame shown so far is where an effect paint starts from.
    const QImage previous = fFrame;
    fFrame = QImage(cw, ch, fTransparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    fFrame.fill(fTransparent ? QColor(Qt::transparent) : platform::colorToQColor(fBackColor));
    QPainter p(&fFrame);
    const int b = BorderWidth();
    const QRect client(0, 0, cw, ch);
    if (b > 0) DrawFrame(&p, client);
    const QRect inner = client.adjusted(b, b, -b, -b);
    QRect effectRect;
    // While a file loads, its first page is shown as far as it is decoded.
    const SdkBitmapHandle* shown = fLoadingPage ? fLoadingPage : (fHasImage ? &fBitmap : nullptr);
    if (!inner.isEmpty() && shown && shown->allocated() && fView.DstWidth > 0 && fView.DstHeight > 0 && !fView.Src.isEmpty()) {
        const QRect display = fView.DisplayRect(b);
        const QRect clip = fView.DstClip.translated(b, b) & inner;
        effectRect = display & inner;
        p.save();
        p.setClipRect(clip);
        if (fPaintRgnOnly && !fLoadingPage && PX_BitmapHasRgn(shown) == 1) {
            const PxRgnTransform t = bitmapToClient();
            QRegion rgn;
            if (PX_GetBitmapRgnHandle(shown, &t, &rgn) == PX_SUCCESS) p.setClipRegion(rgn, Qt::IntersectClip);
        }
        drawPicture(p, *shown, display);
        p.restore();
    }
    if (!effectRect.isEmpty() && !fLoadingPage && !fAnim.Playing && !fAnim.LoaderDriven &&
        (!fPaintRgnOnly || (fTransitionStyle != etsNone && hasRegion()))) {
        p.end();
        fEffects.Run(previous, effectRect);
        p.begin(&fFrame);
    }
    if (OnPaint) {
        // The handler may draw on the frame through the window canvas.
        p.end();
        OnPaint(this);
        p.begin(&fFrame);
    }
    fSelection.PaintOutline(p);
    if (fRegions.FloatersShown()) {
        p.end();
        fRegions.OverlayFloaters(fFrame);
        p.begin(&fFrame);
    } else {
        fRegions.UnderFloaters = QImage();
    }
    AfterPaint(&p);
    p.end();
    fFrameDirty = false;
}

// The picture shown, as far as it is loaded, drawn into display with its colour key and its
// display adjustments.
void TPixImage::drawPicture(QPainter& p, const SdkBitmapHandle& shown, const QRect& display)
{
    QImage picture = pictureImage(shown);
    // A frame of an animation shows the background where it is transparent.
    const bool frameKeyed = (fAnim.Playing || fAnim.LoaderDriven) && (shown.Flags & bfTransparent);
    if (fUseTransparentColor || frameKeyed) {
        picture = picture.convertToFormat(QImage::Format_ARGB32);
        const QRgb key =
            platform::colorToQColor(frameKeyed ? shown.TransparentColor : fTransparentColor).rgb() | 0xFF000000u;
        clearKeyColour(picture, key);
    }
    QRectF source(fView.Src);
    QRectF target(display);
    if (fLoadingPage) {
        // Only the rows decoded so far.
        const double rows = std::min<double>(fLoadingRows, source.bottom()) - source.top();
        if (rows < source.height()) {
            target.setHeight(std::max(0.0, rows) * target.height() / source.height());
            source.setHeight(std::max(0.0, rows));
        }
    }
    // The display adjustments go with the bitmap; only the part shown is adjusted, in a copy.
    if (fHasImage) {
        PX_SetPaintContrast(&fBitmap, fPaintContrast);
        PX_SetPaintIntensity(&fBitmap, fPaintIntensity);
        PX_SetPaintGamma(&fBitmap, fPaintGamma);
    }
    if (paintAdjusted(fPaintContrast, fPaintIntensity, fPaintGamma)) {
        const QRect part = source.toAlignedRect() & picture.rect();
        if (!part.isEmpty()) {
            picture = picture.copy(part);
            applyPaintAdjustments(picture, fPaintContrast, fPaintIntensity, fPaintGamma);
            source.translate(-part.left(), -part.top());
        }
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, fPaintScaling != psNormal);
    if (!source.isEmpty()) p.drawImage(target, picture, source);
}

// The picture as it is shown: turned upright for a bitmap stored in another perspective.
QImage TPixImage::pictureImage(const SdkBitmapHandle& bitmap) const
{
    const QImage::Format format = bitmap.BitsPerPixel == 8    ? QImage::Format_Grayscale8
                                  : bitmap.BitsPerPixel == 32 ? QImage::Format_ARGB32
                                                              : QImage::Format_BGR888;
    if (bitmap.ViewPerspective <= perspectiveTopLeft || bitmap.ViewPerspective > 8)
        return QImage(bitmap.bits(), bitmap.Width, bitmap.Height, bitmap.BytesPerLine, format);
    // Stored in another perspective: shown turned upright, whole.
    SdkBitmapHandle upright;
    if (PX_CopyBitmap(&upright, &bitmap) != PX_SUCCESS ||
        PX_ChangeBitmapViewPerspective(&upright, perspectiveTopLeft) != PX_SUCCESS)
        return {};
    return QImage(upright.bits(), upright.Width, upright.Height, upright.BytesPerLine, format).copy();
}

void TPixImage::Refresh()
{
    if (fInPaint) return;
    composeFrame();
    repaint();
}

void TPixImage::paintEvent(QPaintEvent*)
{
    if (fInPaint) {
        // An effect paint under way shows each step it has drawn.
        if (fShowingEffectStep && !fFrame.isNull()) QPainter(this).drawImage(EdgeWidth(), EdgeWidth(), fFrame);
        return;
    }
    const bool stale = fFrameDirty || fFrame.size() != QSize(ClientWidth(), ClientHeight());
    if (stale && fEffects.Wanted()) {
        // Effect steps are shown as they are drawn, which a paint event cannot do for itself: the
        // old frame stays until the effect paint runs right after this event.
        if (!fEffectPaintQueued) {
            fEffectPaintQueued = true;
            QTimer::singleShot(0, this, [this] {
                fEffectPaintQueued = false;
                if (fFrameDirty || fFrame.size() != QSize(ClientWidth(), ClientHeight())) Refresh();
            });
        }
        if (!fFrame.isNull()) QPainter(this).drawImage(EdgeWidth(), EdgeWidth(), fFrame);
        return;
    }
    if (stale) composeFrame();
    QPainter p(this);
    fPlace.DrawEdge(p);
    // The client area lies inside the border.
    p.translate(EdgeWidth(), EdgeWidth());
    if (!fFrame.isNull()) p.drawImage(0, 0, fFrame);
    if ((fRubberActive || (fRubberShown && fRegions.Shape == rsNone)) && !fRubberRect.isNull()) {
        const QPoint moved(fRubberScrollStart.x() - fView.PosX, fRubberScrollStart.y() - fView.PosY);
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(fRubberRect.translated(moved));
    }
    fRegions.PaintShapeInProgress(p);
}

void TPixImage::resizeEvent(QResizeEvent* event)
{
    fScrollBars.Place();
    UpdateLayout();
    fFrameDirty = true;
    fPanGlass.UpdateMagGlass();
    QWidget::resizeEvent(event);
    if (OnResize) OnResize(this);
}

// ---- keys and wheel ----

void TPixImage::keyPressEvent(QKeyEvent* event)
{
    if (fEnableKeyboard) {
        switch (event->key()) {
        case Qt::Key_PageUp: VScroll(scPageUp); break;
        case Qt::Key_PageDown: VScroll(scPageDown); break;
        case Qt::Key_Left: HScroll(scLineUp); break;
        case Qt::Key_Right: HScroll(scLineDown); break;
        case Qt::Key_Up: VScroll(scLineUp); break;
        case Qt::Key_Down: VScroll(scLineDown); break;
        default: break;
        }
    }
    if (hasFocus() && OnKeyDown) {
        int key = event->key();
        OnKeyDown(this, key, shiftStateOf(event->modifiers()));
    }
    // A key that types a character also gives it to OnKeyPress.
    if (hasFocus() && OnKeyPress && !event->text().isEmpty() && event->text().at(0).isPrint()) {
        QChar c = event->text().at(0);
        OnKeyPress(this, c);
    }
    event->accept();
}

void TPixImage::keyReleaseEvent(QKeyEvent* event)
{
    if (hasFocus() && OnKeyUp && !event->isAutoRepeat()) {
        int key = event->key();
        OnKeyUp(this, key, shiftStateOf(event->modifiers()));
    }
    event->accept();
}

void TPixImage::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (OnEnter) OnEnter(this);
}

bool TPixImage::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

void TPixImage::contextMenuEvent(QContextMenuEvent* event)
{
    if (!fPopupMenu) {
        QWidget::contextMenuEvent(event);
        return;
    }
    event->accept();
    fPopupMenu->popup(event->globalPos());
}

void TPixImage::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (event->buttons() & (Qt::LeftButton | Qt::MiddleButton | Qt::RightButton)) return;
    const QPoint angle = event->angleDelta();
    const int pages = fView.WheelPages(angle.y() != 0 ? angle.y() : angle.x());
    const bool horizontal = (event->modifiers() & Qt::ShiftModifier) != 0;
    for (int i = 0; i < std::abs(pages); ++i) {
        if (horizontal) HScroll(pages > 0 ? scPageUp : scPageDown);
        else VScroll(pages > 0 ? scPageUp : scPageDown);
    }
}

// ---- rubber band ----

void TPixImage::RubberBandBegin(int x, int y)
{
    fRubberAnchor = QPoint(x, y);
    fRubberRect = QRect();
    fRubberScrollStart = QPoint(fView.PosX, fView.PosY);
    fRubberActive = true;
}

void TPixImage::RubberBandMove(int x, int y)
{
    if (!fRubberActive) return;
    fRubberRect = QRect(QPoint(std::min(x, fRubberAnchor.x()), std::min(y, fRubberAnchor.y())),
                        QPoint(std::max(x, fRubberAnchor.x()), std::max(y, fRubberAnchor.y())));
    update();
}

QRect TPixImage::RubberBandEnd()
{
    fRubberActive = false;
    update();
    return fRubberRect;
}

void TPixImage::finishRubberBand()
{
    fRegions.Drawing = false;
    const QRect band = RubberBandEnd();
    // It stays shown where it was drawn, following the picture when it scrolls.
    fRubberScrollStart = QPoint(fView.PosX, fView.PosY);
    fRubberShown = true;
    update();
    if (OnRubberBand) OnRubberBand(this, band.left(), band.top(), band.right(), band.bottom());
}

// ---- zoom-in capture ----

void TPixImage::StartZoomInCapture() { fZoomInTimer->start(0); }

void TPixImage::ZoomInCapture()
{
    fZoomInTimer->stop();
    const QPoint cursor = QCursor::pos();
    // The outline of the last capture goes first.
    if (fZoomInFrame) fZoomInFrame->hide();
    fZoomInRect = QRect();
    dropList();
    const int factor = std::max(1, PaintZoomFactor());
    int w = static_cast<int>(static_cast<std::int64_t>(ClientWidth()) * 100 / factor);
    int h = static_cast<int>(static_cast<std::int64_t>(ClientHeight()) * 100 / factor);
    QScreen* screen = QGuiApplication::screenAt(cursor);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect();
    QRect r(cursor.x() - w / 2, cursor.y() - h / 2, w, h);
    r &= screenRect;
    if (r.width() < 1) r.setWidth(1);
    if (r.height() < 1) r.setHeight(1);
    if (fEnableZoomInRect) {
        fZoomInRect = r;
        if (!fZoomInFrame) fZoomInFrame = std::make_unique<TZoomInFrame>();
        fZoomInFrame->Around(r);
    }
    SdkBitmapHandle captured;
    if (screen) {
        const QImage shot = screen->grabWindow(0, r.x() - screenRect.x(), r.y() - screenRect.y(), r.width(), r.height())
                                .toImage()
                                .convertToFormat(QImage::Format_BGR888);
        if (!shot.isNull() && PX_InitBitmap(&captured, shot.width(), shot.height(), 24) == PX_SUCCESS)
            for (int y = 0; y < shot.height(); ++y)
                PX_SetBitmapRow(&captured, y, shot.constScanLine(y), static_cast<int>(shot.bytesPerLine()));
    }
    const bool ref = fRefBitmap;
    fRefBitmap = false;
    try {
        SetBitmap(captured.allocated() ? &captured : nullptr);
    } catch (...) {
        fRefBitmap = ref;
        throw;
    }
    fRefBitmap = ref;
}

} // namespace imaging
