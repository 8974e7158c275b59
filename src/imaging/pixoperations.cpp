// TPixImage: the edits of the picture (mirror, flip, rotate, sharpen, colour balance, fill,
// combine), the framed shape and the control's frame.
#include "imaging/piximage.h"

#include "imaging/statusstack.h"
#include "platform/rounding.h"

namespace imaging {

using namespace sdk;

int TPixImage::Reverse()
{
    return runEdit(QStringLiteral("Reverse"), true, [](SdkBitmapHandle* b) { return PX_ReverseBitmap(b); }, {}, true);
}

int TPixImage::Flip()
{
    return runEdit(QStringLiteral("Flip"), true, [](SdkBitmapHandle* b) { return PX_FlipBitmap(b); }, {}, true);
}

int TPixImage::Rotate(int Angle, int Flags, ColorRef FillColor)
{
    const ColorRef fill = platform::colorToRGB(FillColor);
    return runEdit(
        QStringLiteral("Rotate"), true, [&](SdkBitmapHandle* b) { return PX_RotateBitmap(b, Angle, Flags, fill); },
        [&](int) {
            RotateDone(Angle);
            // The turned picture has new sides: the layout follows them.
            resetAttributesAndRects();
        },
        true, [&](SdkBitmapHandle* mask) { return PX_RotateBitmap(mask, Angle, Flags, 0); });
}

int TPixImage::FastRotate(int Angle)
{
    if (fEnableFloater && fHasImage && PX_BitmapHasRgn(&fBitmap) == 1)
        RaiseMethodError(QStringLiteral("FastRotate"), PXERR_UNSUPPORTED);
    return runEdit(
        QStringLiteral("FastRotate"), false, [&](SdkBitmapHandle* b) { return PX_RotateBitmapViewPerspective(b, Angle); },
        [&](int) {
            fScrollBars.MoveChildren(-fView.PosX, -fView.PosY);
            fView.PosX = 0;
            fView.PosY = 0;
            resetAttributesAndRects();
            FastRotateDone(Angle);
        });
}

int TPixImage::Sharpen(int Amount)
{
    return runEdit(QStringLiteral("Sharpen"), false, [&](SdkBitmapHandle* b) { return PX_SharpenBitmap(b, Amount); });
}

int TPixImage::BalanceColors(const PxBalance* Red, const PxBalance* Green, const PxBalance* Blue)
{
    return runEdit(QStringLiteral("BalanceColors"), false,
                   [&](SdkBitmapHandle* b) { return PX_BalanceColors(b, Red, Green, Blue); });
}

int TPixImage::Fill(ColorRef Color)
{
    const ColorRef color = platform::colorToRGB(Color);
    return runEdit(QStringLiteral("Fill"), false, [&](SdkBitmapHandle* b) { return PX_FillBitmap(b, color); });
}

int TPixImage::Combine(int X, int Y, int Width, int Height, const SdkBitmapHandle* Source, int SrcX, int SrcY, int Flags)
{
    if (!fHasImage) raiseNotAllocated(QStringLiteral("Combine"));
    SdkBitmapHandle copy;
    const int r = PX_CopyBitmap(&copy, Source);
    if (r != PX_SUCCESS) return CheckMethodResult(QStringLiteral("Combine"), r);
    // The whole rectangle is combined, whatever selection the source carries.
    if (PX_BitmapHasRgn(&copy) == 1) PX_FreeBitmapRgn(&copy);
    return runEdit(QStringLiteral("Combine"), false, [&](SdkBitmapHandle* b) {
        return PX_CombineBitmap(b, X, Y, Width, Height, &copy, SrcX, SrcY, Flags);
    });
}

int TPixImage::DrawShape(int ShapeType, SdkBitmapHandle* Background)
{
    busyCheck();
    PxPixDC* canvas = nullptr;
    const int made = fHasImage ? PX_CreatePixDC(&fBitmap, &canvas) : PXERR_BADBITMAP;
    if (made != PX_SUCCESS) RaiseMethodError(QStringLiteral("DrawShape"), made);

    // Client coordinates to bitmap coordinates when the drawing lasts; otherwise taken as they are.
    double scale = fDrawPersistence ? PaintZoomFactor() / 100.0 : 1.0;
    if (scale <= 0.0) scale = 1.0;
    const TPixCanvas::Mapping mapping = fCanvases.Mapping();
    auto toBitmap = [&](int left, int top, int width, int height) {
        if (!fDrawPersistence || mapping.client.isEmpty()) return QRect(left, top, width, height);
        const double sx = static_cast<double>(mapping.bitmap.width()) / mapping.client.width();
        const double sy = static_cast<double>(mapping.bitmap.height()) / mapping.client.height();
        return QRect(platform::roundHalfEven((left - mapping.client.left()) * sx) + mapping.bitmap.left(),
                     platform::roundHalfEven((top - mapping.client.top()) * sy) + mapping.bitmap.top(),
                     platform::roundHalfEven(width * sx), platform::roundHalfEven(height * sy));
    };
    auto thick = [&](int t) { return platform::roundHalfEven(t / scale); };

    PxShapeStyle style;
    style.ShapeType = ShapeType;
    style.Shape = toBitmap(fShapeLeft, fShapeTop, fShapeWidth, fShapeHeight);
    style.BackgroundRect = toBitmap(fBackgroundImageLeft, fBackgroundImageTop, fBackgroundImageWidth,
                                    fBackgroundImageHeight);
    style.PatternBackColor = platform::colorToRGB(fPatternBackColor);
    style.PatternForeColor = platform::colorToRGB(fPatternForeColor);
    style.PatternStyle = fPatternStyle;
    style.BorderColor = platform::colorToRGB(fShapeBorderColor);
    style.BorderStyle = fShapeBorderStyle;
    style.BorderThickness = thick(fShapeBorderThickness);
    style.InnerBandHilite = platform::colorToRGB(fShapeInnerBandHiliteColor);
    style.InnerBandShadow = platform::colorToRGB(fShapeInnerBandShadowColor);
    style.InnerBandStyle = fShapeInnerBandStyle;
    style.InnerBandThickness = thick(fShapeInnerBandThickness);
    style.OuterBandHilite = platform::colorToRGB(fShapeOuterBandHiliteColor);
    style.OuterBandShadow = platform::colorToRGB(fShapeOuterBandShadowColor);
    style.OuterBandStyle = fShapeOuterBandStyle;
    style.OuterBandThickness = thick(fShapeOuterBandThickness);
    style.ShadowXDepth = thick(fShadowXDepth);
    style.ShadowYDepth = thick(fShadowYDepth);
    style.ShadowColor = platform::colorToRGB(fShadowColor);

    SdkBitmapHandle gradient;
    PxPixDC* background = nullptr;
    int result = PX_SUCCESS;
    if (fShapeBackgroundStyle == sbsGradient || fShapeBackgroundStyle == sbsTranslucentGradient) {
        style.BackgroundStyle = fShapeBackgroundStyle == sbsGradient ? shapeBackImage : shapeBackTranslucentImage;
        style.BackgroundRect = QRect(0, 0, fShapeWidth, fShapeHeight);
        result = PX_InitBitmap(&gradient, fShapeWidth, fShapeHeight, 24);
        if (result == PX_SUCCESS) result = PX_CreatePixDC(&gradient, &background);
        if (result == PX_SUCCESS)
            result = PX_EfxGradientFillRect(&background->painter, style.BackgroundRect, static_cast<int>(fGradientStyle),
                                            platform::colorToRGB(fGradientStartColor),
                                            platform::colorToRGB(fGradientEndColor), static_cast<int>(fGradientSteps));
        if (result != PX_SUCCESS) {
            if (background) PX_DeletePixDC(background);
            PX_DeletePixDC(canvas);
            RaiseMethodError(QStringLiteral("DrawShape"), result);
        }
    } else {
        style.BackgroundStyle = fShapeBackgroundStyle;
        if (Background) {
            result = PX_CreatePixDC(Background, &background);
            if (result != PX_SUCCESS) {
                PX_DeletePixDC(canvas);
                RaiseMethodError(QStringLiteral("DrawShape"), result);
            }
        }
    }
    style.Background = background;
    result = PX_EfxDraw3dShape(&canvas->painter, style);
    if (background) PX_DeletePixDC(background);
    PX_DeletePixDC(canvas);
    if (fList) PX_SetBitmapListItem(fList, fListIndex, &fBitmap);
    invalidateIfAuto();
    return CheckMethodResult(QStringLiteral("DrawShape"), result);
}

int TPixImage::DrawFrame(QPainter* dc, const QRect& rect)
{
    int flags = 0;
    if (fFrameInnerStyle == fisRaised) flags |= frameInnerRaised;
    if (fFrameOuterStyle == fosRaised) flags |= frameOuterRaised;
    return PX_EfxDrawFrame(dc, rect, flags, static_cast<int>(fFrameThickness), platform::colorToRGB(fFrameColor),
                           static_cast<int>(fFrameInnerThickness), platform::colorToRGB(fFrameInnerShadowColor),
                           platform::colorToRGB(fFrameInnerHiliteColor), static_cast<int>(fFrameOuterThickness),
                           platform::colorToRGB(fFrameOuterShadowColor), platform::colorToRGB(fFrameOuterHiliteColor));
}

} // namespace imaging
