#pragma once
// TPixImage: the window control through which pictures are loaded, shown, edited and saved.
// It owns the current bitmap and the list of pages it came from, lays the picture out in its
// client area, composes each paint off-screen and keeps the composed frame, and reports every
// engine result through its last result and EPixImageError.
#include "imaging/pixanimator.h"
#include "imaging/pixdrag.h"
#include "imaging/pixdrawcanvas.h"
#include "imaging/pixeffectpainter.h"
#include "imaging/pixevents.h"
#include "imaging/pixfeedloader.h"
#include "imaging/pixloadpipeline.h"
#include "imaging/pixpanglass.h"
#include "imaging/pixproperties.h"
#include "imaging/pixscrollbars.h"
#include "imaging/pixselectionview.h"
#include "imaging/pixsources.h"
#include "imaging/pixstate.h"
#include "imaging/pixwindowplace.h"
#include "imaging/pixtypes.h"
#include "platform/colors.h"
#include "platform/datalink.h"
#include "sdk/sdk.h"

#include <QCursor>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>

class QTimer;

namespace imaging {

using platform::ColorRef;

class TPixImage : public QWidget, public TPixImageState, public TPixImageProperties, public TPixImageEvents {
    Q_OBJECT

public:
    explicit TPixImage(QWidget* parent = nullptr);
    ~TPixImage() override;

    // ---- results and errors ----
    QString GetLastErrorText() const;
    int CheckMethodResult(const QString& methodName, int result);
    int CheckMethodResult(const QString& methodName, int result, bool report);
    [[noreturn]] void RaiseMethodError(const QString& methodName, int code);
    void SuspendMethodErrors();
    void ResumeMethodErrors();

    // ---- picture state ----
    // The current bitmap, or null without a picture or while a bitmap context is out during a
    // status callback. Callers copy from it at once.
    SdkBitmapHandle* Bitmap();
    // Replaces the current list item by a copy of bitmap (null or empty removes it).
    void SetBitmap(SdkBitmapHandle* bitmap);
    void SetBitmapList(SdkBitmapListHandle list);
    int BitmapListCount();
    // Shows item index of the list.
    int SetBitmapListIndex(int index);

    int Clear();
    int ForceRepaint();
    int Size(int Width, int Height, int Flags);
    int GetBitmapDC(sdk::PxPixDC** dc);
    int ReleaseBitmapDC(sdk::PxPixDC* dc);
    TPixCanvas* GetDrawCanvas(bool ForText = false);
    int ReleaseDrawCanvas(TPixCanvas* Canvas);

    // ---- files ----
    virtual int Load(const QString& FileName, int Bits = 0, int Page = 1, int Pages = -1);
    int Save(const QString& FileName, int Format, int Bits, int QFactor, int Flags);
    // Reads the information of a file into the control's file information.
    int GetFileInfo(const QString& FileName);

    // ---- animation ----
    // Starts or stops the playback of the list's frames; OnAnimate tells which.
    int AnimationEnable(bool enable);
    bool Animating() const { return fAnim.Playing; }
    // The playback step, run by the animation timer: shows the next frame when it is due and sets
    // the timer to the frame's delay.
    void AnimationStep();
    // The animation timer (for callers that watch or drive the playback themselves).
    QTimer* AnimationTimer() const { return fAnimTimer; }
    // The clock of the playback step: milliseconds from any start (tests put their own).
    using TTickClock = PixAnimator::TickClock;
    static void SetTickClock(TTickClock clock) { PixAnimator::SetTickClock(std::move(clock)); }

    // ---- pan window and magnifying glass ----
    // Shows the pan window (created when needed) or closes it.
    int ShowPanWin(bool show);
    bool PanWinShown() const;
    // The pan window while it exists, else null.
    TPanWindow* PanWindow() const;
    // The display flag word of the pan window's or the glass's options.
    int PanWinDisplayFlags() const;
    int MagGlassDisplayFlags() const;
    // Starts the glass that follows the mouse over the picture; the values in this order.
    virtual int StartMagGlass(int Width, int Height, int Zoom, ColorRef PenColor, ColorRef BackColor, bool Ellipse,
                              int BorderSize, bool Border3D, bool Crosshair, bool Centered, bool RegionOnly);
    virtual int StopMagGlass();
    bool MagGlassActive() const;
    TMagGlass* MagGlass() const;
    // The handler the control keeps for the glass's positions (the point of the control it
    // magnifies). A glass started while one is set reports to it; once it is taken away the glass
    // is told that no further positions are wanted.
    using TMagGlassPositionHandler = PixPanGlass::PositionHandler;
    void SetMagGlassCallback(TMagGlassPositionHandler handler);

    // The control's private refresh message: posted to it (QCoreApplication::postEvent with a
    // QEvent of this type) after its bitmap was changed behind its back, it takes the bitmap in
    // again as a changed picture. Last result -16 while an animation plays, 0 while busy.
    static constexpr int RefreshMessage = 34768;

    // ---- memory, feed and URL loading ----
    // Loads page Page of the picture held in the Size bytes at Memory.
    virtual int LoadMemory(const void* Memory, int Bits, int Page, qint64 Size);
    // A load whose bytes come in pieces: opened, fed, closed (which shows the first page).
    int StartFeedLoad(int Bits, int Page, int Pages);
    int FeedLoad(const void* Buffer, qint64 Size);
    int StopFeedLoad();
    bool FeedLoadOpen() const { return fFeeds.FeedOpen(); }
    // Setting it downloads the picture at the address (http or https) into the control; the
    // download runs on while the program goes on, and OnReadyStateChanged tells when it is done.
    void SetBitmapDataPath(const QString& Value);

    // Loads the picture held in the linked blob field (run when the record changes).
    virtual int LoadFromDataField();

    // ---- operations ----
    int Reverse();
    int Flip();
    virtual int Rotate(int Angle, int Flags, ColorRef FillColor);
    virtual int FastRotate(int Angle);
    int Sharpen(int Amount);
    int BalanceColors(const sdk::PxBalance* Red, const sdk::PxBalance* Green, const sdk::PxBalance* Blue);
    int Fill(ColorRef Color);
    int Combine(int X, int Y, int Width, int Height, const SdkBitmapHandle* Source, int SrcX, int SrcY, int Flags);
    int DrawShape(int ShapeType, SdkBitmapHandle* Background);
    int DrawFrame(QPainter* dc, const QRect& rect);

    // ---- regions (their bounds, look and floaters are read through pixstate.h) ----
    // Client coordinates; a rectangle given with a negative width or height is the one it spans.
    int SetRgnRect(int Left, int Top, int Width, int Height, int CombineMode);
    // A region handle (bitmap coordinates) moved by XOffset, YOffset.
    int SetRgnHandle(const TRgnHandle Handle, int XOffset, int YOffset, int CombineMode);
    // A new handle holding the bitmap's region; the caller frees it with DeleteRgnHandle.
    TRgnHandle GetRgnHandle();
    bool DeleteRgnHandle(TRgnHandle Handle);
    int FreeRgn();
    bool HasRgn();
    // Whether the client point lies in the region.
    bool IsPtInRgn(int X, int Y);
    void SetRgnFrameType(std::uint8_t Type);
    void SetRgnColor(ColorRef Value) { fRegions.Color = Value; }
    // Whether the timer of the moving outline runs.
    bool RgnOutlineTimerActive() const;
    void SetRgnShape(TRgnShape Value) { fRegions.Shape = Value; }
    // A point of the polygon region being drawn.
    QPoint PolygonPoint(int Index);

    // ---- floater ----
    // With AutoFloater, a fresh copy of the selection; without, the floater given to SetFloater.
    SdkBitmapHandle* Floater();
    void SetFloater(SdkBitmapHandle* bitmap);
    void SetFloaterVisible(bool Value);
    int SetFloaterRect(int Left, int Top, int Width, int Height);
    int SetFloaterClipRect(int Left, int Top, int Width, int Height);
    void SetFloaterLeft(int Value);
    void SetFloaterTop(int Value);

    // ---- layout ----
    virtual void UpdateLayout();
    int BorderWidth() const { return fFrameThickness + fFrameInnerThickness + fFrameOuterThickness; }
    int ClientWidth() const;
    int ClientHeight() const;
    void SetDstClipLeft(int v);
    void SetDstClipTop(int v);
    void SetDstClipWidth(int v);
    void SetDstClipHeight(int v);
    int SetDstClipRect(int Left, int Top, int Width, int Height);

    // ---- scrolling ----
    void VScroll(TScrollCode code, int pos = 0);
    void HScroll(TScrollCode code, int pos = 0);
    void ScrollBy(int dx, int dy);

    // ---- rubber band and zoom-in capture ----
    void RubberBandBegin(int x, int y);
    void RubberBandMove(int x, int y);
    QRect RubberBandEnd();
    // Arms the one-shot zoom-in capture around the cursor.
    void StartZoomInCapture();
    // Copies the screen around the cursor into the control (the timer's work).
    void ZoomInCapture();

    // ---- painting ----
    // Composes the frame now and shows it at once.
    void Refresh();
    // Waits ms milliseconds, letting the application process pending messages when asked.
    static void Wait(std::uint32_t ms, bool processMessages);

    // ---- hooks the control calls itself ----
    virtual void ImageChanged();
    virtual void BitmapChanged(SdkBitmapHandle* bitmap);

    // ---- dragging the control onto another ----
    void BeginDrag(bool Immediate);
    bool Dragging() const { return fDragger.Dragging(); }

    // ---- properties the window system keeps under its own names ----
    bool Visible() const { return parentWidget() ? isVisibleTo(parentWidget()) : isVisible(); }
    void SetVisible(bool Value) { setVisible(Value); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool Value) { setEnabled(Value); }
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& Value) { setToolTip(Value); }
    QCursor Cursor() const { return cursor(); }
    void SetCursor(const QCursor& Value) { setCursor(Value); }

    // ---- properties with their own setters (the values in pixproperties.h) ----
    void SetAlign(TAlign Value);
    void SetBorderStyle(TBorderStyle Value);
    bool Ctl3D() const;
    void SetCtl3D(bool Value);
    void SetParentCtl3D(bool Value);
    int EdgeWidth() const;
    int TabOrder() const;
    void SetTabOrder(int Value);
    void SetAutoFloater(bool Value);
    void SetAutoRepaint(bool Value);
    void SetAutoScroll(bool Value);
    void SetAutoSetRects(bool Value);
    void SetAutoSize(bool Value);
    void SetCenterImage(bool Value);
    void SetBackColor(ColorRef Value);
    void SetTransparent(bool Value);
    void SetHScrollStep(int Value);
    void SetVScrollStep(int Value);
    void SetEnableProgressEvent(bool Value);
    void SetEnableFloater(bool Value);
    void SetDropFilesAllowed(bool Value);
    void SetTabStop(bool Value);
    void SetPaintSizeMode(TPaintSizeMode Value);
    int PaintZoomFactor() const;
    void SetPaintZoomFactor(int Value);
    void SetPaintSizeUseDPI(bool Value);
    void SetPaintDither(TPaintDither Value);
    void SetPaintPalette(TPaletteType Value);
    void SetPaintScaling(TPaintScaling Value);
    void SetBitonalScaling(TBitonalScaling Value);
    void SetPaintContrast(int Value);
    void SetPaintGamma(int Value);
    void SetPaintIntensity(int Value);
    void SetPaintRgnOnly(bool Value);
    void SetPaintEffect(int Value);
    void SetEffectGrain(std::uint32_t Value);
    void SetPaintMaxPasses(std::uint32_t Value);
    void SetTransitionEffect(int Value);
    void SetGradientStyle(std::uint32_t Value);
    void SetGradientSteps(std::uint32_t Value);
    void SetFrameThickness(std::uint32_t Value);
    void SetFrameColor(ColorRef Value);
    void SetFrameInnerThickness(std::uint32_t Value);
    void SetFrameOuterThickness(std::uint32_t Value);
    int PanWinX() const;
    int PanWinY() const;
    int PanWinWidth() const;
    int PanWinHeight() const;
    void SetPanWinX(int Value);
    void SetPanWinY(int Value);
    void SetPanWinWidth(int Value);
    void SetPanWinHeight(int Value);
    void SetPanWinTitle(QString Value);
    void SetPanWinRectColor(ColorRef Value);
    void SetPanWinSysMenu(bool Value);
    void SetPanWinIcon(const QIcon& Value);
    void SetPanWinPointer(int Value);
    void SetPanWinPaintPalette(TPaletteType Value);
    void SetPanWinBitonalScaling(TBitonalScaling Value);
    void SetPanWinPaintDither(TPaintDither Value);
    void SetPanWinPaintScaling(TPaintScaling Value);
    void SetMagGlassPaintPalette(TPaletteType Value);
    void SetMagGlassBitonalScaling(TBitonalScaling Value);
    void SetMagGlassPaintDither(TPaintDither Value);
    void SetMagGlassPaintScaling(TPaintScaling Value);
    void SetMagGlassPointer(int Value);
    platform::TDataSource* DataSource() const;
    void SetDataSource(platform::TDataSource* Value);
    QString DataField() const;
    void SetDataField(const QString& Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    void SetPDFXResolution(int Value);
    void SetPDFYResolution(int Value);
    void SetPDFDisplayDepth(int Value);
    void SetPDFTextAlpha(int Value);
    void SetPDFGraphicsAlpha(int Value);
    void SetRasterizeViewportWidth(int Value);
    void SetRasterizeViewportHeight(int Value);
    void SetRasterizeViewMode(int Value);

    // Process-wide: the status callback of every control and its stack of current controls.
    static TPixImage* CurrentControl();
    static bool AbortRequested();
    static bool Aborted();
    static int StatusCallback(int percent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void customEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class StatusScope;
    friend class PixPanGlass;
    friend class PixFeedLoader;
    friend class PixLoadPipeline;
    friend class PixDragger;
    friend class PixEffectPainter;
    friend class PixSelectionView;
    friend class PixScrollBars;
    friend class PixWindowPlace;
    friend class PixDrawCanvas;

    void invalidateIfAuto() override;
    void busyCheck();
    [[noreturn]] void raiseNotAllocated(const QString& methodName);
    [[noreturn]] void raiseProperty(const QString& text);
    [[noreturn]] void raiseInvalidValue(const QString& propertyName);
    void setBorderThickness(std::uint32_t& field, std::uint32_t value);

    void refreshAttributes();
    void resetAttributesAndRects();
    void sizeModeArithmetic();
    void composeFrame();
    void drawPicture(QPainter& p, const SdkBitmapHandle& shown, const QRect& display);
    void dropList();
    int selectListItem();
    void markDataModified();
    void updateDataField();
    QRect innerRect() const;
    QPoint clientPoint(const QPointF& widgetPoint) const;
    sdk::PxRgnTransform clientToBitmap() const;
    sdk::PxRgnTransform bitmapToClient() const;
    bool hasRegion() const;
    void storeIntoList();
    QRect visiblePicture() const;
    void finishRubberBand();

    int runEdit(const QString& methodName, bool guardFirst, const std::function<int(SdkBitmapHandle*)>& call,
                const std::function<void(int)>& afterSuccess = {}, bool onFloater = false,
                const std::function<int(SdkBitmapHandle*)>& shapeOp = {});
    int stopForHandlerError();
    void rethrowHandlerError();
    int startLoadedAnimation(int index);
    int createPlaybackBitmap();
    void stopPlayback();
    void showPlaybackFrame();
    void refreshMessage();
    QImage pictureImage(const SdkBitmapHandle& bitmap) const;

    std::unique_ptr<platform::TFieldDataLink> fDataLink;

    PixScrollBars fScrollBars{*this};
    PixWindowPlace fPlace{*this};
    PixDragger fDragger{*this};

    PixLoadPipeline fLoads{*this};
    PixEffectPainter fEffects{*this};
    PixFeedLoader fFeeds{*this};

    PixAnimator fAnim;
    QTimer* fAnimTimer = nullptr;

    PixSelectionView fSelection{*this};

    PixDrawCanvas fCanvases{*this};

    PixPanGlass fPanGlass{*this};
};

} // namespace imaging
