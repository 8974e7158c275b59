#pragma once
// TPixImageState: what an image control knows of its picture and its view, as its callers read it:
// the current bitmap with its list and cached attributes, its selection and floaters, the
// picture's place (the viewport and the scroll bars), the composed frame, the results and busy
// state, the file last loaded, the rubber band and the zoom-in capture. The control changes it;
// callers only read it.
#include "imaging/pixscrollinfo.h"
#include "imaging/pixtypes.h"
#include "imaging/pixviewport.h"
#include "imaging/pixpanwin.h"
#include "imaging/pixregioneditor.h"
#include "sdk/sdk.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QScrollBar>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

namespace imaging {

using sdk::SdkBitmapHandle;
using sdk::SdkBitmapListHandle;

class TPixImageState {
public:
    virtual ~TPixImageState() = default;

    // ---- picture and results ----
    bool HasImage() const { return fHasImage; }
    SdkBitmapListHandle BitmapList() const { return fList; }
    int BitmapListIndex() const { return fListIndex; }
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
    int LastResult() const { return fLastResult; }

    // ---- files ----
    // With LayerMode on, the bitmap list is a picture with layers: item 0 the base, every item
    // after it a layer over it, placed as LayerInfo says (layer n is list item n + 1; a layer
    // without an entry lies at the base's top-left corner). Save then writes the base with its
    // layers, in a format that holds them (TIFF).
    const std::vector<sdk::PxLayerInfo>& LayerInfo() const { return fLayerInfo; }
    void SetLayerInfo(std::vector<sdk::PxLayerInfo> Value) { fLayerInfo = std::move(Value); }
    const QString& FileName() const { return fFileName; }
    const sdk::PxFileInfo& FileInfo() const { return fFileInfo; }
    bool FileIsAnimated() const { return fFileAnimated; }
    bool AnimationLoopForever() const { return fLoopForever; }
    // The eight load-information values a handler of OnLoadInfo may hand to the load under way
    // (FileInfo() then holds the file's own). They are 0 when the event fires; when the handler
    // sets them, the first (Format) non-zero, all eight go to the engine, and the pages are given
    // the resolution named there.
    sdk::PxLoadInfo& LoadInfo() { return fLoadInfo; }

    // ---- layout ----
    int DstLeft() const { return fView.DstLeft; }
    int DstTop() const { return fView.DstTop; }
    int DstWidth() const { return fView.DstWidth; }
    int DstHeight() const { return fView.DstHeight; }
    int DstClipLeft() const { return fView.DstClip.left(); }
    int DstClipTop() const { return fView.DstClip.top(); }
    int DstClipWidth() const { return fView.DstClip.width(); }
    int DstClipHeight() const { return fView.DstClip.height(); }
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

    // ---- region and floater (client coordinates) ----
    int RgnLeft() const { return fRegions.Bounds.left(); }
    int RgnTop() const { return fRegions.Bounds.top(); }
    int RgnWidth() const { return fRegions.Bounds.width(); }
    int RgnHeight() const { return fRegions.Bounds.height(); }
    // How the region is shown: 0 not at all, 1 outline, 2 moving outline, 3 filled with RgnColor.
    std::uint8_t RgnFrameType() const { return fRegions.FrameType; }
    platform::ColorRef RgnColor() const { return fRegions.Color; }
    // The step of the moving outline (0..7).
    int RgnOutlinePhase() const { return fRegions.Phase; }
    // The shape the mouse draws a region with.
    TRgnShape RgnShape() const { return fRegions.Shape; }
    // The points of a polygon region being drawn.
    int PolygonPointCount() const { return static_cast<int>(fRegions.Polygon.size()); }
    bool FloaterVisible() const { return fRegions.FloaterVisible; }
    int FloaterLeft() const { return fRegions.FloaterRect.left(); }
    int FloaterTop() const { return fRegions.FloaterRect.top(); }
    int FloaterWidth() const { return fRegions.FloaterRect.width(); }
    int FloaterHeight() const { return fRegions.FloaterRect.height(); }
    // True while the user drags the selection with the mouse.
    bool FloaterDragging() const { return fRegions.Dragging; }

    // ---- rubber band, zoom-in capture and the composed frame ----
    QRect RubberBandRect() const { return fRubberRect; }
    // True while the rubber band drawn last is shown.
    bool RubberBandShown() const { return fRubberShown; }
    QRect ZoomInRect() const { return fZoomInRect; }
    // The outline drawn around the captured part of the screen (null before the first capture).
    TZoomInFrame* ZoomInFrame() const { return fZoomInFrame.get(); }
    // True while the middle mouse button drags a zoom-in capture across the screen.
    bool ZoomInDragging() const { return fZoomInDragging; }
    // The frame composed by the last paint: exactly what the control shows.
    const QImage& ComposedFrame() const { return fFrame; }
    // The pass counter of the effect loops (PaintMaxPasses + 1 once a loop has run).
    std::uint32_t PassCounter() const { return fPassCounter; }

    // ---- text, menu, look, the download and the pan window ----
    const QString& BitmapDataPath() const { return fBitmapDataPath; }
    TReadyState ReadyState() const { return fReadyState; }
    const QIcon& PanWinIcon() const { return fPanWinIcon; }
    const QFont& TextFont() const { return fTextFont; }
    void SetTextFont(const QFont& Value) { fTextFont = Value; }
    QMenu* PopupMenu() const { return fPopupMenu; }
    void SetPopupMenu(QMenu* Value) { fPopupMenu = Value; }
    bool ParentCtl3D() const { return fParentCtl3D; }
    const sdk::PxVersionInfo& VersionInfo() const { return fVersionInfo; }

protected:
    // current picture
    SdkBitmapHandle fBitmap;
    bool fHasImage = false;
    SdkBitmapListHandle fList = nullptr;
    int fListCount = 0;
    int fListIndex = 0;
    SdkBitmapHandle fBackup;
    // the selection and the floaters over the picture
    PixRegionEditor fRegions{fBitmap};

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

    bool fDataFieldModified = false;

    // rubber band and zoom-in capture
    QPoint fRubberAnchor;
    QRect fRubberRect;
    bool fRubberActive = false;
    bool fRubberShown = false;
    QPoint fRubberScrollStart;
    QRect fZoomInRect;
    QTimer* fZoomInTimer = nullptr;
    std::unique_ptr<TZoomInFrame> fZoomInFrame;
    bool fZoomInDragging = false;

    bool fCtl3D = true;
    bool fParentCtl3D = false;
    sdk::PxVersionInfo fVersionInfo;
    QFont fTextFont;
    QPointer<QMenu> fPopupMenu;

    // pan window and downloads
    int fPanWinX = 0, fPanWinY = 0, fPanWinWidth = 150, fPanWinHeight = 150;
    QIcon fPanWinIcon;
    QString fBitmapDataPath;
    TReadyState fReadyState = rsComplete;
    bool fMouseCaptured = false;
};

} // namespace imaging
