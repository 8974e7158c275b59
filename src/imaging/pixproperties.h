#pragma once
// TPixImageProperties: the properties of the image control that it keeps as values. A stored
// property only keeps its value (and has the control repaint when AutoRepaint is on); for the
// others the control gives its own setter, which this class leaves to it.
#include "imaging/pixtypes.h"
#include "platform/colors.h"

#include <QString>
#include <cstdint>

namespace imaging {

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
protected:                                                                                                           \
    Type f##Name = Default;

// A property whose setter the control declares; the getter and the field come from here.
#define PIX_PROPERTY(Type, Name, Default)                                                                            \
public:                                                                                                              \
    Type Name() const { return f##Name; }                                                                            \
                                                                                                                     \
protected:                                                                                                           \
    Type f##Name = Default;

class TPixImageProperties {
public:
    virtual ~TPixImageProperties() = default;

protected:
    // The control marks its frame for composing again and, with AutoRepaint, repaints.
    virtual void invalidateIfAuto() = 0;

    // ---- dragging the control onto another ----
    // With dmAutomatic a press of the left button drags the control; BeginDrag starts it by hand
    // (at once, or once the mouse has moved a little).
    PIX_STORED(TDragMode, DragMode, dmManual)
    // The cursor while a drop is accepted (an index of the framework's cursor list).
    PIX_STORED(int, DragCursor, -12)

    // ---- properties: layout and behaviour ----
    // Along which side of its parent the control lies, following the parent's size (alNone: where
    // it was put).
    PIX_PROPERTY(TAlign, Align, alNone)
    // bsSingle puts a border around the client area: a line, or a sunken edge with Ctl3D.
    PIX_PROPERTY(TBorderStyle, BorderStyle, bsNone)
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
    PIX_PROPERTY(QString, PanWinTitle, QStringLiteral("Pan Window"))
    PIX_PROPERTY(ColorRef, PanWinRectColor, 255)
    PIX_PROPERTY(bool, PanWinSysMenu, true)
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
};

#undef PIX_STORED
#undef PIX_PROPERTY

} // namespace imaging
