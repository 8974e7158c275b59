#pragma once
// Enumerations, event types and the range-error class of the image control.
#include "sdk/errors.h"

#include <QRect>
#include <QString>
#include <Qt>
#include <exception>
#include <functional>

namespace imaging {

class TPixImage;

using sdk::EPixImageError;

// An error of the framework's own kinds, with its message.
class EFrameworkError : public std::exception {
public:
    explicit EFrameworkError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// The framework's range error: raised for scroll steps below 1 and polygon point indexes.
class ERangeError : public EFrameworkError {
public:
    using EFrameworkError::EFrameworkError;
};

// The framework's invalid-operation error: a feed load used without being opened.
class EInvalidOperation : public EFrameworkError {
public:
    using EFrameworkError::EFrameworkError;
};

// The data link's error for a column that cannot hold a picture.
class EInvalidFieldType : public EFrameworkError {
public:
    using EFrameworkError::EFrameworkError;
};

// How far a download of BitmapDataPath is.
enum TReadyState : int { rsLoading, rsComplete };

enum TPaintSizeMode : int { smNormal, smStretch, smFitSides, smFit, smZoom };
enum TPaintDither : int { pdOrdered, pdDiffusion };
enum TPaletteType : int { ppAuto, ppFixed, ppAutoNetscape, ppFixedNetscape };
enum TPaintScaling : int { psNormal, psResample, psBicubic };
enum TBitonalScaling : int { btsNormal, btsFavorBlack, btsScaleToGray };
enum TTransitionStyle : int { etsNone, etsGradient, etsPattern };
enum TPatternStyle : int {
    epsSolid, epsTransparent, epsHorzLine, epsVertLine, epsDownwarDiag, epsUpwardDiag, epsCross, epsDiagCross
};
enum TFrameInnerStyle : int { fisInset, fisRaised };
enum TFrameOuterStyle : int { fosInset, fosRaised };
enum TShapeBackStyle : int {
    sbsTransparent, sbsOpaque, sbsTranslucent, sbsTiledImage, sbsTranslucentTiledImage, sbsGradient,
    sbsTranslucentGradient
};
enum TShapeBorderStyle : int { sbrTransparent, sbrSolid, sbrDash, sbrDot, sbrDashDot, sbrDashDotDot };
enum TShapeInnerBandStyle : int { sibNone, sibInset, sibRaised };
enum TShapeOuterBandStyle : int { sobNone, sobInset, sobRaised };
enum TTextAlign : int {
    etaLeftTop, etaLeftVcenter, etaLeftBottom, etaHcenterTop, etaHcenterVcenter, etaHcenterBottom, etaRightTop,
    etaRightVcenter, etaRightBottom
};
enum TTextStyle : int {
    etsNormal, etsInsetLight, etsInsetExtraLight, etsInsetHeavy, etsInsetExtraHeavy, etsRaisedLight, etsRaisedHeavy,
    etsDropShadow, etsBlockShadow, etsOutLineBlock, etsRaisedExtraHeavy, etsRaisedExtraLight
};
// The framework's pen modes, pen styles and brush styles used by the drawing properties.
enum TPenMode : int {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen, pmMaskNotPen,
    pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TPenStyle : int { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle : int { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// Where a control lies in its parent: as placed, or along one side, or over the whole parent.
enum TAlign : int { alNone, alTop, alBottom, alLeft, alRight, alClient };
// The border of the control: none, or a line (a sunken edge with Ctl3D).
enum TBorderStyle : int { bsNone, bsSingle };

// Dragging one control onto another with the mouse.
enum TDragMode : int { dmManual, dmAutomatic };
enum TDragState : int { dsDragEnter, dsDragLeave, dsDragMove };

// The cursor of an index of the framework's cursor list (0 the default, -3 the cross, -12 the
// drag cursor, -13 no drop, -21 the hand, ...).
Qt::CursorShape cursorShapeOf(int index);

// Scroll requests of the two bars.
enum TScrollCode : int {
    scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll
};
enum TScrollBarKind : int { sbHorizontal, sbVertical };

// Shift state of key events.
enum TShiftFlag : int { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = int;
inline TShiftState shiftStateOf(Qt::KeyboardModifiers m)
{
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (m & Qt::AltModifier) s |= ssAlt;
    return s;
}

// Events: one handler each.
using TNotifyEvent = std::function<void(TPixImage* Sender)>;
using TStatusEvent = std::function<void(TPixImage* Sender, int Percent)>;
using TAnimationEvent = std::function<void(TPixImage* Sender, bool bEnable)>;
using TDropFileEvent = std::function<void(TPixImage* Sender, const QString& fName)>;
using TPaintNotifyEvent = std::function<void(TPixImage* Sender, unsigned uPass, unsigned uType)>;
using TPanWinEvent = std::function<void(TPixImage* Sender, void* hPanWin, int iFlag)>;
using TReadyStateEvent = std::function<void(TPixImage* Sender, int ReadyState)>;
using TZoomInDoneEvent = std::function<void(TPixImage* Sender, int x, int y)>;
using TKeyEvent = std::function<void(TPixImage* Sender, int& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TPixImage* Sender, QChar& Key)>;
using TMouseEvent = std::function<void(TPixImage* Sender, int Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TPixImage* Sender, TShiftState Shift, int X, int Y)>;
using TRubberBandEvent = std::function<void(TPixImage* Sender, int Left, int Top, int Right, int Bottom)>;
// Source: the control being dragged; Accept starts true, and false refuses the drop here.
using TDragOverEvent =
    std::function<void(TPixImage* Sender, TPixImage* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TPixImage* Sender, TPixImage* Source, int X, int Y)>;
// Target: the control it was dropped on, null when the drop was refused or missed.
using TEndDragEvent = std::function<void(TPixImage* Sender, TPixImage* Target, int X, int Y)>;
// The document clean-up events of the engine's document operations (region, bounds, counts).
using TDocCleanEvent = std::function<void(TPixImage* Sender, void* Rgn, const QRect& Bounds, int Count1, int Count2)>;
using TTransformMarkerEvent = std::function<void(TPixImage* Sender, int iMarker, int lSize, void* pData, int iTransform)>;

} // namespace imaging
