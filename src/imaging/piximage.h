#pragma once
// TPixImage: the window control through which pictures are loaded, shown, edited and saved.
// It owns the current bitmap and the list of pages it came from, lays the picture out in its
// client area, composes each paint off-screen and keeps the composed frame, and reports every
// engine result through its last result and EPixImageError.
#include "imaging/pixanimator.h"
#include "imaging/pixcanvas.h"
#include "imaging/pixpanwin.h"
#include "imaging/pixregioneditor.h"
#include "imaging/pixscrollinfo.h"
#include "imaging/pixsources.h"
#include "imaging/pixviewport.h"
#include "imaging/pixtypes.h"
#include "platform/colors.h"
#include "platform/datalink.h"
#include "sdk/sdk.h"

#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

class QScrollBar;
class QTimer;

namespace sdk {
struct PxEffectParams;
}

namespace imaging {

using sdk::SdkBitmapHandle;
using sdk::SdkBitmapListHandle;
using platform::ColorRef;

// A property that only stores its value (and repaints when AutoRepaint is on).
#define PIX_STORED(Type, Name, Default)                                                                               \
public:                                                                                                              \
    Type Name() const { return f##Name; }                                                                            \
    void Set##Name(Type Value)                                                                                       \
    {                                                                                                                \
        f##Name = Value;                                                                                             \
        invalidateIfAuto();                                                                                          \
    }                                                                                                                \
                                                                                                                     \
private:                                                                                                             \
    Type f##Name = Default;

// A property with its own setter; the getter and the field come from here.
#define PIX_PROPERTY(Type, Name, Default)                                                                            \
public:                                                                                                              \
    Type Name() const { return f##Name; }                                                                            \
    void Set##Name(Type Value);                                                                                      \
                                                                                                                     \
private:                                                                                                             \
    Type f##Name = Default;

class TPixImage : public QWidget {
    Q_OBJECT

public:
    explicit TPixImage(QWidget* parent = nullptr);
    ~TPixImage() override;

    // ---- results and errors ----
    int LastResult() const { return fLastResult; }
    QString GetLastErrorText() const;
    int CheckMethodResult(const QString& methodName, int result);
    int CheckMethodResult(const QString& methodName, int result, bool report);
    [[noreturn]] void RaiseMethodError(const QString& methodName, int code);
    void SuspendMethodErrors();
    void ResumeMethodErrors();

    // ---- picture state ----
    bool HasImage() const { return fHasImage; }
    // The current bitmap, or null without a picture or while a bitmap context is out during a
    // status callback. Callers copy from it at once.
    SdkBitmapHandle* Bitmap();
    // Replaces the current list item by a copy of bitmap (null or empty removes it).
    void SetBitmap(SdkBitmapHandle* bitmap);
    SdkBitmapListHandle BitmapList() const { return fList; }
    void SetBitmapList(SdkBitmapListHandle list);
    int BitmapListCount();
    int BitmapListIndex() const { return fListIndex; }
    // Shows item index of the list.
    int SetBitmapListIndex(int index);
    int BitmapWidth() const { return fBitmapWidth; }
    int BitmapHeight() const { return fBitmapHeight; }
    int BitsPerPixel() const { return fBitsPerPixel; }
    int BytesPerLine() const { return fBytesPerLine; }
    int XResolution() const { return fXResolution; }
    int YResolution() const { return fYResolution; }
    int ViewPerspective() const { return fViewPerspective; }
    bool IsTransparentBitmap() const { return fTransparentBitmap; }
    bool Busy() const { return fBusyDepth > 0; }
    bool Processing() const { return fProcessing; }
    bool Loading() const { return fLoading; }

    int Clear();
    int ForceRepaint();
    int Size(int Width, int Height, int Flags);
    int GetBitmapDC(sdk::PxPixDC** dc);
    int ReleaseBitmapDC(sdk::PxPixDC* dc);
    // The drawing canvas (pixcanvas.h): on the bitmap with DrawPersistence, else on the window;
    // for text with TextFont in TextFontColor, else with the pen and brush of the Draw
    // properties, in the pen mode DrawMode. One canvas is out at a time; ReleaseDrawCanvas takes
    // it back (and, for the bitmap, shows and keeps what was drawn).
    TPixCanvas* GetDrawCanvas(bool ForText = false);
    int ReleaseDrawCanvas(TPixCanvas* Canvas);

    // ---- files ----
    virtual int Load(const QString& FileName, int Bits = 0, int Page = 1, int Pages = -1);
    int Save(const QString& FileName, int Format, int Bits, int QFactor, int Flags);
    // With LayerMode on, the bitmap list is a picture with layers: item 0 the base, every item
    // after it a layer over it, placed as LayerInfo says (layer n is list item n + 1; a layer
    // without an entry lies at the base's top-left corner). Save then writes the base with its
    // layers, in a format that holds them (TIFF).
    const std::vector<sdk::PxLayerInfo>& LayerInfo() const { return fLayerInfo; }
    void SetLayerInfo(std::vector<sdk::PxLayerInfo> Value) { fLayerInfo = std::move(Value); }
    // Reads the information of a file into the control's file information.
    int GetFileInfo(const QString& FileName);
    const QString& FileName() const { return fFileName; }
    const sdk::PxFileInfo& FileInfo() const { return fFileInfo; }
    bool FileIsAnimated() const { return fFileAnimated; }
    bool AnimationLoopForever() const { return fLoopForever; }
    // The eight load-information values a handler of OnLoadInfo may hand to the load under way
    // (FileInfo() then holds the file's own). They are 0 when the event fires; when the handler
    // sets them, the first (Format) non-zero, all eight go to the engine, and the pages are given
    // the resolution named there.
    sdk::PxLoadInfo& LoadInfo() { return fLoadInfo; }

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
    TPanWindow* PanWindow() const { return fPanWin; }
    // The display flag word of the pan window's or the glass's options.
    int PanWinDisplayFlags() const;
    int MagGlassDisplayFlags() const;
    // Starts the glass that follows the mouse over the picture; the values in this order.
    virtual int StartMagGlass(int Width, int Height, int Zoom, ColorRef PenColor, ColorRef BackColor, bool Ellipse,
                              int BorderSize, bool Border3D, bool Crosshair, bool Centered, bool RegionOnly);
    virtual int StopMagGlass();
    bool MagGlassActive() const { return fMagGlass != nullptr; }
    TMagGlass* MagGlass() const { return fMagGlass; }
    // The handler the control keeps for the glass's positions (the point of the control it
    // magnifies). A glass started while one is set reports to it; once it is taken away the glass
    // is told that no further positions are wanted.
    using TMagGlassPositionHandler = std::function<void(TPixImage* Sender, int X, int Y)>;
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
    bool FeedLoadOpen() const { return fFeed.IsOpen(); }
    // Setting it downloads the picture at the address (http or https) into the control; the
    // download runs on while the program goes on, and OnReadyStateChanged tells when it is done.
    const QString& BitmapDataPath() const { return fBitmapDataPath; }
    void SetBitmapDataPath(const QString& Value);
    TReadyState ReadyState() const { return fReadyState; }

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

    // ---- regions ----
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
    int RgnLeft() const { return fRegions.Bounds.left(); }
    int RgnTop() const { return fRegions.Bounds.top(); }
    int RgnWidth() const { return fRegions.Bounds.width(); }
    int RgnHeight() const { return fRegions.Bounds.height(); }
    // How the region is shown: 0 not at all, 1 outline, 2 moving outline, 3 filled with RgnColor.
    std::uint8_t RgnFrameType() const { return fRegions.FrameType; }
    void SetRgnFrameType(std::uint8_t Type);
    ColorRef RgnColor() const { return fRegions.Color; }
    void SetRgnColor(ColorRef Value) { fRegions.Color = Value; }
    // The step of the moving outline (0..7) and whether its timer runs.
    int RgnOutlinePhase() const { return fRegions.Phase; }
    bool RgnOutlineTimerActive() const;
    // The shape the mouse draws a region with.
    TRgnShape RgnShape() const { return fRegions.Shape; }
    void SetRgnShape(TRgnShape Value) { fRegions.Shape = Value; }
    // The points of a polygon region being drawn.
    int PolygonPointCount() const { return static_cast<int>(fRegions.Polygon.size()); }
    QPoint PolygonPoint(int Index);

    // ---- floater ----
    // With AutoFloater, a fresh copy of the selection; without, the floater given to SetFloater.
    SdkBitmapHandle* Floater();
    void SetFloater(SdkBitmapHandle* bitmap);
    bool FloaterVisible() const { return fRegions.FloaterVisible; }
    void SetFloaterVisible(bool Value);
    int SetFloaterRect(int Left, int Top, int Width, int Height);
    int SetFloaterClipRect(int Left, int Top, int Width, int Height);
    int FloaterLeft() const { return fRegions.FloaterRect.left(); }
    int FloaterTop() const { return fRegions.FloaterRect.top(); }
    int FloaterWidth() const { return fRegions.FloaterRect.width(); }
    int FloaterHeight() const { return fRegions.FloaterRect.height(); }
    void SetFloaterLeft(int Value);
    void SetFloaterTop(int Value);
    // True while the user drags the selection with the mouse.
    bool FloaterDragging() const { return fRegions.Dragging; }

    // ---- layout ----
    virtual void UpdateLayout();
    int BorderWidth() const { return fFrameThickness + fFrameInnerThickness + fFrameOuterThickness; }
    int ClientWidth() const;
    int ClientHeight() const;
    int DstLeft() const { return fView.DstLeft; }
    int DstTop() const { return fView.DstTop; }
    int DstWidth() const { return fView.DstWidth; }
    int DstHeight() const { return fView.DstHeight; }
    int DstClipLeft() const { return fView.DstClip.left(); }
    int DstClipTop() const { return fView.DstClip.top(); }
    int DstClipWidth() const { return fView.DstClip.width(); }
    int DstClipHeight() const { return fView.DstClip.height(); }
    void SetDstClipLeft(int v);
    void SetDstClipTop(int v);
    void SetDstClipWidth(int v);
    void SetDstClipHeight(int v);
    int SetDstClipRect(int Left, int Top, int Width, int Height);
    int SrcLeft() const { return fView.Src.left(); }
    int SrcTop() const { return fView.Src.top(); }
    int SrcWidth() const { return fView.Src.width(); }
    int SrcHeight() const { return fView.Src.height(); }
    int SrcClipLeft() const { return fView.SrcClip.left(); }
    int SrcClipTop() const { return fView.SrcClip.top(); }
    int SrcClipWidth() const { return fView.SrcClip.width(); }
    int SrcClipHeight() const { return fView.SrcClip.height(); }
    double ZoomX() const { return fView.ZoomX; }
    double ZoomY() const { return fView.ZoomY; }
    int ScrollPosX() const { return fView.PosX; }
    int ScrollPosY() const { return fView.PosY; }
    int ScrollMaxX() const { return fView.MaxX; }
    int ScrollMaxY() const { return fView.MaxY; }
    const TPixScrollInfo& HorzScrollInfo() const { return fView.Horz; }
    const TPixScrollInfo& VertScrollInfo() const { return fView.Vert; }
    QScrollBar* HorzScrollBar() const { return fHorzBar; }
    QScrollBar* VertScrollBar() const { return fVertBar; }

    // ---- scrolling ----
    void VScroll(TScrollCode code, int pos = 0);
    void HScroll(TScrollCode code, int pos = 0);
    void ScrollBy(int dx, int dy);

    // ---- rubber band and zoom-in capture ----
    void RubberBandBegin(int x, int y);
    void RubberBandMove(int x, int y);
    QRect RubberBandEnd();
    QRect RubberBandRect() const { return fRubberRect; }
    // True while the rubber band drawn last is shown.
    bool RubberBandShown() const { return fRubberShown; }
    // Arms the one-shot zoom-in capture around the cursor.
    void StartZoomInCapture();
    // Copies the screen around the cursor into the control (the timer's work).
    void ZoomInCapture();
    QRect ZoomInRect() const { return fZoomInRect; }
    // The outline drawn around the captured part of the screen (null before the first capture).
    TZoomInFrame* ZoomInFrame() const { return fZoomInFrame.get(); }
    // True while the middle mouse button drags a zoom-in capture across the screen.
    bool ZoomInDragging() const { return fZoomInDragging; }

    // ---- painting ----
    // The frame composed by the last paint: exactly what the control shows.
    const QImage& ComposedFrame() const { return fFrame; }
    // Composes the frame now and shows it at once.
    void Refresh();
    // The pass counter of the effect loops (PaintMaxPasses + 1 once a loop has run).
    std::uint32_t PassCounter() const { return fPassCounter; }
    // Waits ms milliseconds, letting the application process pending messages when asked.
    static void Wait(std::uint32_t ms, bool processMessages);

    // ---- hooks ----
    virtual void ImageReset() {}
    virtual void PanWinMoved() {}
    virtual void AfterPaint(QPainter*) {}
    virtual void RotateDone(int) {}
    virtual void FastRotateDone(int) {}
    virtual void SizeDone(int, int, int, int) {}
    virtual void Reserved1() {}
    virtual void Reserved2(const QString&, const QString&, const QString&, const QString&) {}
    virtual void Reserved3() {}
    virtual void Reserved4() {}
    virtual void Reserved5() {}
    virtual void RepaintRequested() {}
    virtual void ImageChanged();
    virtual void BitmapChanged(SdkBitmapHandle* bitmap);

    // ---- events ----
    TAnimationEvent OnAnimate;
    TNotifyEvent OnBeforeScroll;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TDropFileEvent OnDropFile;
    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    TNotifyEvent OnFilePage;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnLoadInfo;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnPaint;
    TPaintNotifyEvent OnPaintNotify;
    TPanWinEvent OnPanWin;
    TNotifyEvent OnResize;
    TReadyStateEvent OnReadyStateChanged;
    TNotifyEvent OnRgnChange;
    TRubberBandEvent OnRubberBand;
    TStatusEvent OnStatus;
    TNotifyEvent OnScroll;
    TZoomInDoneEvent OnZoomInDone;
    TNotifyEvent OnMagGlassCursor;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TNotifyEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    // Declared for the engine's document clean-up operations, which the system does not run.
    TNotifyEvent OnSmooth;
    TDocCleanEvent OnLineRemove;
    TDocCleanEvent OnInvertedText;
    TDocCleanEvent OnHolePunchRemove;
    TDocCleanEvent OnDotRemove;
    TDocCleanEvent OnBorderRemove;
    TTransformMarkerEvent OnTransformMarker;

    // ---- dragging the control onto another ----
    // With dmAutomatic a press of the left button drags the control; BeginDrag starts it by hand
    // (at once, or once the mouse has moved a little).
    PIX_STORED(TDragMode, DragMode, dmManual)
    // The cursor while a drop is accepted (an index of the framework's cursor list).
    PIX_STORED(int, DragCursor, -12)
public:
    void BeginDrag(bool Immediate);
    bool Dragging() const { return fDragState != DragIdle; }

    // ---- properties the window system keeps under its own names ----
    // Shown when its parent is (the window itself for a control without one).
    bool Visible() const { return parentWidget() ? isVisibleTo(parentWidget()) : isVisible(); }
    void SetVisible(bool Value) { setVisible(Value); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool Value) { setEnabled(Value); }
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& Value) { setToolTip(Value); }
    QCursor Cursor() const { return cursor(); }
    void SetCursor(const QCursor& Value) { setCursor(Value); }
    // Shown where the user asks for the context menu (the right mouse button).
    QMenu* PopupMenu() const { return fPopupMenu; }
    void SetPopupMenu(QMenu* Value) { fPopupMenu = Value; }

    // ---- properties: layout and behaviour ----
    // Along which side of its parent the control lies, following the parent's size (alNone: where
    // it was put).
    PIX_PROPERTY(TAlign, Align, alNone)
    // bsSingle puts a border around the client area: a line, or a sunken edge with Ctl3D.
    PIX_PROPERTY(TBorderStyle, BorderStyle, bsNone)
public:
    // With ParentCtl3D the 3-D look is the parent control's (a form's is 3-D); setting Ctl3D
    // takes it over for the control itself.
    bool Ctl3D() const;
    void SetCtl3D(bool Value);
    bool ParentCtl3D() const { return fParentCtl3D; }
    void SetParentCtl3D(bool Value);
    // The width of the border bsSingle puts around the client area (0, 1, or 2 with Ctl3D).
    int EdgeWidth() const;
    // The control's place among its parent's children in the order the Tab key follows (-1 without
    // a parent); setting it moves the control there.
    int TabOrder() const;
    void SetTabOrder(int Value);
    // The engine's version record, read when the control was made.
    const sdk::PxVersionInfo& VersionInfo() const { return fVersionInfo; }
private:
    bool fCtl3D = true;
    bool fParentCtl3D = false;
    sdk::PxVersionInfo fVersionInfo;
    QPointer<QWidget> fAlignedIn;
    PIX_STORED(bool, AutoAnimate, false)
    PIX_STORED(int, AutoAnimationLoop, 0)
    PIX_PROPERTY(bool, AutoFloater, true)
    PIX_PROPERTY(bool, AutoRepaint, true)
    PIX_PROPERTY(bool, AutoScroll, true)
    PIX_PROPERTY(bool, AutoSetRects, true)
    PIX_PROPERTY(bool, AutoSize, false)
    PIX_PROPERTY(bool, CenterImage, false)
    PIX_PROPERTY(ColorRef, BackColor, platform::clBtnFace)
    PIX_STORED(bool, BackErase, false)
    PIX_PROPERTY(bool, Transparent, false)
    PIX_PROPERTY(int, HScrollStep, 10)
    PIX_PROPERTY(int, VScrollStep, 10)
    PIX_STORED(bool, EnableKeyboard, true)
    PIX_STORED(bool, EnableScroll, true)
    PIX_STORED(bool, EnableZoomInRect, true)
    // With it a middle-button drag captures the screen around the mouse into the control. Off
    // unless the caller asks for it: a capture replaces the control's picture.
    PIX_STORED(bool, EnableZoomInCapture, false)
    PIX_STORED(bool, EnableMethodErrors, true)
    PIX_PROPERTY(bool, EnableProgressEvent, false)
    PIX_PROPERTY(bool, EnableFloater, false)
    PIX_STORED(bool, RefBitmap, false)
    PIX_STORED(bool, LayerMode, false)
    PIX_STORED(bool, DropAutoLoad, true)
    // With it (and no region shape chosen) the mouse draws a rubber band and OnRubberBand tells
    // where it ended.
    PIX_STORED(bool, RubberBandMode, false)
    PIX_PROPERTY(bool, DropFilesAllowed, false)
    // With it the control takes the focus by the Tab key too, not only by a click.
    PIX_PROPERTY(bool, TabStop, false)

    // ---- properties: painting ----
    PIX_PROPERTY(TPaintSizeMode, PaintSizeMode, smNormal)
public:
    int PaintZoomFactor() const;
    void SetPaintZoomFactor(int Value);
    PIX_PROPERTY(bool, PaintSizeUseDPI, false)
    PIX_PROPERTY(TPaintDither, PaintDither, pdOrdered)
    PIX_PROPERTY(TPaletteType, PaintPalette, ppAuto)
    PIX_PROPERTY(TPaintScaling, PaintScaling, psNormal)
    PIX_PROPERTY(TBitonalScaling, BitonalScaling, btsNormal)
    PIX_PROPERTY(int, PaintContrast, 0)
    PIX_PROPERTY(int, PaintGamma, 100)
    PIX_PROPERTY(int, PaintIntensity, 0)
    PIX_PROPERTY(bool, PaintRgnOnly, false)
    PIX_STORED(bool, PaintWhileLoad, false)
    PIX_STORED(bool, UseTransparentColor, false)
    PIX_STORED(ColorRef, TransparentColor, 0)

    // ---- properties: paint effects and transitions ----
    PIX_PROPERTY(int, PaintEffect, 1000)
    PIX_PROPERTY(std::uint32_t, EffectGrain, 5)
    PIX_STORED(std::uint32_t, EffectDelay, 0)
    PIX_PROPERTY(std::uint32_t, PaintMaxPasses, 1)
    PIX_STORED(std::uint32_t, PaintNotificationDelay, 0)
    PIX_STORED(std::uint32_t, WandSize, 0)
    PIX_STORED(ColorRef, WandColor, 0)
    PIX_STORED(TTransitionStyle, TransitionStyle, etsNone)
    PIX_PROPERTY(int, TransitionEffect, 1000)
    PIX_PROPERTY(std::uint32_t, GradientStyle, 1000)
    PIX_STORED(ColorRef, GradientStartColor, 16711680)
    PIX_STORED(ColorRef, GradientEndColor, 0)
    PIX_PROPERTY(std::uint32_t, GradientSteps, 16)
    PIX_STORED(TPatternStyle, PatternStyle, epsSolid)
    PIX_STORED(ColorRef, PatternBackColor, 0)
    PIX_STORED(ColorRef, PatternForeColor, 0)

    // ---- properties: frame ----
    PIX_PROPERTY(std::uint32_t, FrameThickness, 0)
    PIX_PROPERTY(ColorRef, FrameColor, 0)
    PIX_STORED(TFrameInnerStyle, FrameInnerStyle, fisInset)
    PIX_PROPERTY(std::uint32_t, FrameInnerThickness, 0)
    PIX_STORED(ColorRef, FrameInnerHiliteColor, 16777215)
    PIX_STORED(ColorRef, FrameInnerShadowColor, 8421504)
    PIX_STORED(TFrameOuterStyle, FrameOuterStyle, fosInset)
    PIX_PROPERTY(std::uint32_t, FrameOuterThickness, 0)
    PIX_STORED(ColorRef, FrameOuterHiliteColor, 16777215)
    PIX_STORED(ColorRef, FrameOuterShadowColor, 0)

    // ---- properties: shapes ----
    PIX_STORED(int, ShapeLeft, 0)
    PIX_STORED(int, ShapeTop, 0)
    PIX_STORED(int, ShapeWidth, 0)
    PIX_STORED(int, ShapeHeight, 0)
    PIX_STORED(TShapeBackStyle, ShapeBackgroundStyle, sbsTransparent)
    PIX_STORED(ColorRef, ShapeBorderColor, 0)
    PIX_STORED(TShapeBorderStyle, ShapeBorderStyle, sbrTransparent)
    PIX_STORED(int, ShapeBorderThickness, 0)
    PIX_STORED(TShapeInnerBandStyle, ShapeInnerBandStyle, sibNone)
    PIX_STORED(int, ShapeInnerBandThickness, 0)
    PIX_STORED(ColorRef, ShapeInnerBandHiliteColor, 16777215)
    PIX_STORED(ColorRef, ShapeInnerBandShadowColor, 8421504)
    PIX_STORED(TShapeOuterBandStyle, ShapeOuterBandStyle, sobNone)
    PIX_STORED(int, ShapeOuterBandThickness, 0)
    PIX_STORED(ColorRef, ShapeOuterBandHiliteColor, 16777215)
    PIX_STORED(ColorRef, ShapeOuterBandShadowColor, 8421504)
    PIX_STORED(ColorRef, ShadowColor, 0)
    PIX_STORED(int, ShadowXDepth, 0)
    PIX_STORED(int, ShadowYDepth, 0)
    PIX_STORED(int, BackgroundImageLeft, 0)
    PIX_STORED(int, BackgroundImageTop, 0)
    PIX_STORED(int, BackgroundImageWidth, 0)
    PIX_STORED(int, BackgroundImageHeight, 0)

    // ---- properties: text ----
public:
    const QFont& TextFont() const { return fTextFont; }
    void SetTextFont(const QFont& Value) { fTextFont = Value; }
    // The colour of TextFont (the framework's font carries its colour, Qt's does not).
    PIX_STORED(ColorRef, TextFontColor, platform::clWindowText)
    PIX_STORED(TTextAlign, TextAlign, etaLeftTop)
    PIX_STORED(int, TextLeft, 0)
    PIX_STORED(int, TextTop, 0)
    PIX_STORED(int, TextWidth, 0)
    PIX_STORED(int, TextHeight, 0)
    PIX_STORED(int, TextAngle, 0)
    PIX_STORED(TTextStyle, TextStyle, etsNormal)
    PIX_STORED(bool, TextWordWrap, false)
    PIX_STORED(ColorRef, TextHiliteColor, 16777215)

    // ---- properties: drawing on the bitmap ----
    PIX_STORED(TPenMode, DrawMode, pmCopy)
    PIX_STORED(ColorRef, DrawPenColor, 0)
    PIX_STORED(TPenStyle, DrawPenStyle, psSolid)
    PIX_STORED(int, DrawPenWidth, 1)
    PIX_STORED(ColorRef, DrawFillColor, 0)
    PIX_STORED(TBrushStyle, DrawFillStyle, bsClear)
    PIX_STORED(bool, DrawPersistence, false)

    // ---- properties: pan window and magnifier ----
    // Position and size read from the pan window while it is shown (screen coordinates).
public:
    int PanWinX() const;
    int PanWinY() const;
    int PanWinWidth() const;
    int PanWinHeight() const;
    void SetPanWinX(int Value);
    void SetPanWinY(int Value);
    void SetPanWinWidth(int Value);
    void SetPanWinHeight(int Value);
private:
    int fPanWinX = 0, fPanWinY = 0, fPanWinWidth = 150, fPanWinHeight = 150;
    PIX_PROPERTY(QString, PanWinTitle, QStringLiteral("Pan Window"))
    PIX_PROPERTY(ColorRef, PanWinRectColor, 255)
    PIX_PROPERTY(bool, PanWinSysMenu, true)
public:
    const QIcon& PanWinIcon() const { return fPanWinIcon; }
    void SetPanWinIcon(const QIcon& Value);
    // A cursor of the framework's list (0 the default, -3 the cross, -21 the hand, ...).
    PIX_PROPERTY(int, PanWinPointer, 0)
    PIX_PROPERTY(TPaletteType, PanWinPaintPalette, ppAuto)
    PIX_PROPERTY(TBitonalScaling, PanWinBitonalScaling, btsNormal)
    PIX_PROPERTY(TPaintDither, PanWinPaintDither, pdOrdered)
    PIX_PROPERTY(TPaintScaling, PanWinPaintScaling, psNormal)
    PIX_PROPERTY(TPaletteType, MagGlassPaintPalette, ppAuto)
    PIX_PROPERTY(TBitonalScaling, MagGlassBitonalScaling, btsNormal)
    PIX_PROPERTY(TPaintDither, MagGlassPaintDither, pdOrdered)
    PIX_PROPERTY(TPaintScaling, MagGlassPaintScaling, psResample)
    PIX_PROPERTY(int, MagGlassPointer, 0)

    // ---- properties: data field ----
public:
    // The record the picture is kept in and the blob column that holds it.
    platform::TDataSource* DataSource() const;
    void SetDataSource(platform::TDataSource* Value);
    QString DataField() const;
    void SetDataField(const QString& Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    PIX_STORED(int, DataLoadBits, 24)
    PIX_STORED(int, DataSaveBits, 24)
    PIX_STORED(int, DataSaveFormat, 5)
    PIX_STORED(int, DataSaveQuality, -1)

    // ---- properties: document rasterising options ----
    PIX_PROPERTY(int, PDFXResolution, 96)
    PIX_PROPERTY(int, PDFYResolution, 96)
    PIX_PROPERTY(int, PDFDisplayDepth, 24)
    PIX_PROPERTY(int, PDFTextAlpha, 4)
    PIX_PROPERTY(int, PDFGraphicsAlpha, 1)
    PIX_STORED(bool, PDFUseLibFonts, true)
    PIX_PROPERTY(int, RasterizeViewportWidth, 640)
    PIX_PROPERTY(int, RasterizeViewportHeight, 480)
    PIX_PROPERTY(int, RasterizeViewMode, 1)

public:
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

    void invalidateIfAuto();
    void busyCheck();
    [[noreturn]] void raiseNotAllocated(const QString& methodName);
    [[noreturn]] void raiseProperty(const QString& text);
    [[noreturn]] void raiseInvalidValue(const QString& propertyName);
    void setBorderThickness(std::uint32_t& field, std::uint32_t value);

    void refreshAttributes();
    void resetAttributesAndRects();
    void sizeModeArithmetic();
    void applyPaintSizeMode();
    void scrollToOrigin();
    void setScrollBar(TPixScrollInfo& info, int range);
    void setScrollBarPos(TPixScrollInfo& info, int pos);
    void syncScrollBars();
    void scrollMessage(bool vertical, TScrollCode code, int pos);
    void onBarAction(bool vertical, int action);
    void moveChildren(int dx, int dy);
    void composeFrame();
    // The picture shown, as far as it is loaded, drawn into display with its colour key and its
    // display adjustments.
    void drawPicture(QPainter& p, const SdkBitmapHandle& shown, const QRect& display);
    // The effect passes of one paint: from the frame shown before (old) to the new frame.
    void runPaintEffects(const QImage& old, const QRect& rect);
    void runPlainPasses();
    void startFromOldFrame(const QImage& old, const QRect& rect);
    sdk::PxEffectParams effectParams() const;
    bool runTransitionPasses(QImage* canvas, const QRect& rect, sdk::PxEffectParams params,
                             const std::function<void()>& present);
    bool runPicturePasses(const QImage& target, const QRect& rect, sdk::PxEffectParams params);
    bool paintEffectsWanted() const;
    void firePaintNotify(unsigned pass, unsigned type);
    // Shows the frame as it stands in the middle of an effect paint.
    void showEffectStep();
    // After each pass of an effect paint: the pan window and the glass follow the picture.
    void followPass();
    void dropList();
    int selectListItem();
    // Tells the linked blob field that the picture changed.
    void markDataModified();
    // Stores the picture into the linked field (when the record is posted).
    void updateDataField();
    QRect innerRect() const;
    // The border of bsSingle: the layout, the scroll bars and the paint follow a change of it.
    void edgeChanged();
    void ctl3DChangedForChildren();
    void drawEdge(QPainter& p);
    // A point of the window as a point of the client area inside the border.
    QPoint clientPoint(const QPointF& widgetPoint) const;
    void placeScrollBars();
    void watchParent();
    void applyAlign();
    QList<QWidget*> tabSiblings() const;
    // With DrawPersistence the drawing canvas maps the client rectangle where the picture is
    // shown onto the bitmap rectangle it shows.
    TPixCanvas::Mapping canvasMapping() const;
    // Draws onto the frame the window shows, inside the frame around the picture.
    void paintOnWindow(const std::function<void(QPainter&)>& draw);
    sdk::PxRgnTransform clientToBitmap() const;
    sdk::PxRgnTransform bitmapToClient() const;
    void refreshRgnBounds();
    bool hasRegion() const;
    void storeIntoList();
    // What follows every change of the region: bounds, floater copies, list, repaint, event.
    void regionChanged();
    QRect visiblePicture() const;
    void paintRegionOutline(QPainter& p);
    void drawOutlineNow();
    void outlineTick();
    void restartOutline();
    void finishShape();
    // The automatic floater.
    void dropAutoFloater();
    void pickUpFloater(const QPoint& at);
    void dragFloater(const QPoint& at);
    void dropFloater();
    // The explicit floater's picture and shape at its display size; -1 when they cannot be made.
    int rebuildFloaterScreen();
    // Shows the frame again with the floaters where they are now.
    void presentFloaters();

    // Runs an edit of the bitmap inside the edit frame: backup, status callback, commit, report.
    // With onFloater, an edit of a picture that has a region and EnableFloater works on the
    // selection; shapeOp turns its shape the way call turns its pixels (empty: call does it).
    int runEdit(const QString& methodName, bool guardFirst, const std::function<int(SdkBitmapHandle*)>& call,
                const std::function<void(int)>& afterSuccess = {}, bool onFloater = false,
                const std::function<int(SdkBitmapHandle*)>& shapeOp = {});
    int loadCallback(const sdk::PxLoadBand& band, unsigned pageLimit, bool paintWhileLoad);
    int loadBand(const sdk::PxLoadBand& band, unsigned pageLimit, bool paintWhileLoad);
    // An exception from an event handler never passes through the engine: it stops the
    // operation, which then raises it once the engine has returned.
    int stopForHandlerError();
    void rethrowHandlerError();
    void paintWhileLoading(const sdk::PxLoadBand& band);
    // The save of a picture with layers: the list's first item is the base, the rest its layers.
    int saveWithLayers(const QString& FileName, int Format, int Bits, int QFactor, const sdk::PxSaveOptions& options);
    int saveRow(const SdkBitmapHandle* source, int y, std::uint8_t* buffer, int bytes);
    int saveRowChecked(const SdkBitmapHandle* source, int y, std::uint8_t* buffer, int bytes);
    int loadInfo(sdk::PxLoadInfo* record);
    // Puts the control's load-information callback in force for one load.
    struct LoadInfoScope {
        explicit LoadInfoScope(TPixImage* control);
        ~LoadInfoScope();
        sdk::PxLoadInfoCallback previous;
    };
    // The band callback of a load that delivers at most Pages pages (-1: all); starts the count.
    sdk::PxLoadCallback pageCallback(int Pages, bool paintWhileLoad);
    // After a read into the list: its first page becomes the picture.
    int showLoadedPages(int result);
    // The end of every load: an empty control on failure, the notices, the report.
    int finishLoad(const QString& methodName, int result);
    // Starts the playback of an animated file just loaded, at frame index.
    int startLoadedAnimation(int index);
    // An animated file loaded with AutoAnimate plays while it loads: the playback over the frames
    // as they come, each band stepping it; after the read, the frames become the list.
    int startLoaderPlayback(int Bits);
    // The list taken over from the playback; *playFrom the frame to play on from, -1 for a still.
    int finishLoaderPlayback(int result, int* playFrom);
    // The display bitmap of the playback, of the animation's size.
    int createPlaybackBitmap();
    void stopPlayback();
    // Draws the frame the playback has put into the display bitmap.
    void showPlaybackFrame();
    // Shows the visible part in the pan window; with pictureChanged also the picture anew.
    void updatePanWindow(bool pictureChanged = false);
    void panWindowEvent(int flag, const QPoint& bitmapPos);
    void closePanWindow();
    // The pan window goes out of sight while the control's window is minimised and comes back
    // with it.
    void followWindowState();
    void watchWindowState(bool watch);
    int magGlassPosition(const QPoint& point);
    void refreshMessage();
    void updateMagGlass();
    void followMagGlass(const QPoint& at);
    void restartMagGlass();
    // A pan window option: stored and shown at once; a glass option: the glass starts anew with it.
    template <typename T>
    void setPanWinOption(T& field, T value);
    template <typename T>
    void setMagGlassOption(T& field, T value);
    // The part of the picture the control shows, in bitmap coordinates.
    QRect visibleBitmapPart() const;
    // The picture as it is shown: turned upright for a bitmap stored in another perspective.
    QImage pictureImage(const SdkBitmapHandle& bitmap) const;

    // current picture
    SdkBitmapHandle fBitmap;
    bool fHasImage = false;
    SdkBitmapListHandle fList = nullptr;
    int fListCount = 0;
    int fListIndex = 0;
    SdkBitmapHandle fBackup;

    // cached attributes
    int fBitsPerPixel = 0, fBytesPerLine = 0, fOrder = 0;
    int fBitmapWidth = 0, fBitmapHeight = 0;
    int fXResolution = 0, fYResolution = 0;
    bool fTransparentBitmap = false;
    int fViewPerspective = 0;

    // layout
    PixViewport fView;
    QScrollBar* fHorzBar = nullptr;
    QScrollBar* fVertBar = nullptr;
    bool fLayoutInProgress = false;
    bool fScrolling = false;
    bool fUpdatingBars = false;
    bool fPaletteDirty = false;
    bool fReadingForm = false;

    // painting
    QImage fFrame;
    bool fFrameDirty = true;
    bool fInPaint = false;
    std::uint32_t fPassCounter = 1;
    bool fShowingEffectStep = false;
    bool fEffectPaintQueued = false;

    // results and state
    int fLastResult = 1;
    bool fSavedMethodErrors = true;
    int fBusyDepth = 0;
    bool fProcessing = false;
    bool fLoading = false;
    bool fDestroying = false;
    std::int64_t fRowsDone = 0;
    std::exception_ptr fHandlerError;
    int fPagesDelivered = 0;

    // files
    const SdkBitmapHandle* fLoadingPage = nullptr; // the page being decoded, shown while it loads
    int fLoadingRows = 0;
    QString fFileName;
    sdk::PxFileInfo fFileInfo;
    sdk::PxLoadInfo fLoadInfo;
    bool fFileAnimated = false;
    bool fLoopForever = false;
    std::vector<sdk::PxLayerInfo> fLayerInfo;

    // data field
    std::unique_ptr<platform::TFieldDataLink> fDataLink;
    bool fDataFieldModified = false;

    // dragging onto another control
    enum DragPhase { DragIdle, DragPending, DragActive };
    DragPhase fDragState = DragIdle;
    QPoint fDragStart;
    QPointer<TPixImage> fDragTarget;
    bool fDragAccepted = false;
    // The mouse's part in a drag; true when the event was the drag's.
    bool dragPress(const QMouseEvent* event);
    bool dragMove(const QMouseEvent* event);
    bool dragRelease(const QMouseEvent* event);
    void dragOverTarget(const QPoint& global);

    // feed and URL loading
    PixFeedSource fFeed;
    QString fBitmapDataPath;
    TReadyState fReadyState = rsComplete;
    PixUrlSource fUrl;
    void downloadStarted();
    void downloadData(const QByteArray& data);
    void downloadFinished(int error);
    // Ends a download under way: the feed closed, nothing kept.
    void stopDownload();
    void reportDownloadFailure(int result, const QString& cause);
    void showFirstFedPage();
    void closeFeed();

    // animation
    PixAnimator fAnim;
    QTimer* fAnimTimer = nullptr;

    // the selection and the floaters
    PixRegionEditor fRegions{fBitmap};
    QTimer* fRgnTimer = nullptr;
    bool fMouseCaptured = false;

    // rubber band and zoom-in capture
    QPoint fRubberAnchor;
    QRect fRubberRect;
    bool fRubberActive = false;
    bool fRubberShown = false;
    void finishRubberBand();
    QPoint fRubberScrollStart;
    QRect fZoomInRect;
    QTimer* fZoomInTimer = nullptr;
    std::unique_ptr<TZoomInFrame> fZoomInFrame;
    bool fZoomInDragging = false;

    QFont fTextFont;
    std::unique_ptr<TPixCanvas> fCanvas;
    sdk::PxPixDC* fCanvasDC = nullptr;   // the bitmap context of a persistent canvas
    QIcon fPanWinIcon;
    QPointer<TPanWindow> fPanWin;
    bool fPanWinShown = false;
    bool fPanWinMinimised = false;       // hidden while the control's window is minimised
    QPointer<QWidget> fWatchedWindow;    // whose minimising hides the pan window
    QPointer<TMagGlass> fMagGlass;
    TMagGlassOptions fMagGlassOptions;
    TMagGlassPositionHandler fMagGlassHandler;
    bool fMagGlassCallbackWanted = false;
    QPointer<QMenu> fPopupMenu;
};

#undef PIX_STORED
#undef PIX_PROPERTY

} // namespace imaging
