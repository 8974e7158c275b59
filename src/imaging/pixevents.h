#pragma once
// TPixImageEvents: the events of the image control (handlers the caller sets) and the hooks a
// control derived from it may override; each is called where the control says it is.
#include "imaging/pixtypes.h"

#include <QString>

class QPainter;

namespace imaging {

class TPixImageEvents {
public:
    virtual ~TPixImageEvents() = default;

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
};

} // namespace imaging
