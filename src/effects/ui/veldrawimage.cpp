#include "veldrawimage.h"

#include "bitmapfiles.h"
#include "painteffectsform.h"

#include "effects/resample.h"
#include "platform/rounding.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>

#include <cmath>
#include <numbers>

using effects::Bitmap24;
using effects::TvelPaintFX;

TvelDrawImage::TvelDrawImage(QWidget* owner) : QWidget(owner)
{
    resize(256, 256);
    effectsui::ResetDrawToolState();
    RangeRect = TRangeRect{0, 0, 256, 256};
    FShape = QStringLiteral("line");
    for (int i = 0; i < 256; ++i)
        SplitLightTable[std::size_t(i)] =
            std::uint8_t(platform::roundHalfEven(std::sin(i / 255.0 * std::numbers::pi / 2) * 255));
    BuildToolList();
    effectsDialog_ = new TPainterEffectsF(this);
    effectsDialog_->SetEffectsForm(this);
    Loaded();
}

TvelDrawImage::~TvelDrawImage()
{
    delete effectsDialog_;
    effectsDialog_ = nullptr;
}

void TvelDrawImage::Loaded()
{
    picture_ = Bitmap24(256, 256, effects::bgrOf(effects::clWhite));
    canvas_.Brush.Style = effectsui::bsClear;
    canvas_.Pen.Color = effects::clBlack;
    update();
}

void TvelDrawImage::SetPicture(Bitmap24 picture)
{
    picture_ = std::move(picture);
    update();
}

void TvelDrawImage::ClearRange(effects::ColorRef colour)
{
    RangeBitmap = Bitmap24(RangeRect.Right - RangeRect.Left + 1, RangeRect.Bottom - RangeRect.Top + 1,
                           effects::bgrOf(effects::ColorToRGB(colour)));
}

void TvelDrawImage::CopyRangeFromCanvas()
{
    const int width = RangeRect.Right - RangeRect.Left + 1;
    const int height = RangeRect.Bottom - RangeRect.Top + 1;
    if (RangeBitmap.width() != width || RangeBitmap.height() != height) RangeBitmap.setSize(width, height);
    // The inclusive rectangle, pixel for pixel: the range is an exact copy of that part of the
    // picture (nothing at the right or bottom edge is lost or stretched), combined with what the
    // range holds by the raster operation.
    effectsui::TCanvas::CopyRect(RangeBitmap, effects::Rect{0, 0, width, height}, picture_,
                                 effects::Rect{RangeRect.Left, RangeRect.Top, RangeRect.Right + 1, RangeRect.Bottom + 1},
                                 RangeCopyMode);
}

void TvelDrawImage::CopyPictureToRange()
{
    RangeRect = TRangeRect{0, 0, picture_.width() - 1, picture_.height() - 1};
    RangeCopyMode = SRCCOPY;
    ClearRange(effects::clWhite);
    CopyRangeFromCanvas();
}

void TvelDrawImage::Shear(Bitmap24& bitmap, int amount)
{
    const int w = bitmap.width();
    const int h = bitmap.height();
    if (w <= 0 || h <= 0) return;
    Bitmap24 sheared(w, h);
    const double factor = w / (amount / 100.0 * h + w);
    for (int y = 0; y < h; ++y) {
        const int offset = platform::roundHalfEven(amount / 100.0 * y);
        for (int x = 0; x < w; ++x) {
            const int target = platform::roundHalfEven((offset + x) * factor);
            if (target < 0 || target >= w) continue;
            sheared.setPixel(target, y, bitmap.pixel(x, y));
        }
    }
    bitmap = std::move(sheared);
}

void TvelDrawImage::SplitLight(int passes)
{
    std::uint8_t* bytes = RangeBitmap.bits();
    const std::size_t count = RangeBitmap.stride() * std::size_t(std::max(0, RangeBitmap.height()));
    for (int pass = 0; pass < passes; ++pass)
        for (std::size_t i = 0; i < count; ++i) bytes[i] = SplitLightTable[bytes[i]];
}

void TvelDrawImage::StretchMitchell(const Bitmap24& source, Bitmap24& target)
{
    effects::ResampleStretch(source, target, effects::MitchellFilter, 2.0f);
}

void TvelDrawImage::DoColorPicked(effects::ColorRef colour)
{
    if (FonColorPicked) FonColorPicked(this, colour);
}

namespace {

// A window's outer size: its frame as the window system reports it; before the first showing (or
// where the platform draws none) the client size with a tool window's border of 2 pixels a side.
QSize outerSize(const QWidget& window)
{
    const QSize frame = window.frameGeometry().size();
    if (frame != window.size()) return frame;
    constexpr int border = 2;
    return window.size() + QSize(2 * border, 2 * border);
}

} // namespace

void TvelDrawImage::ShowEffectsDialog(bool brightness)
{
    TPainterEffectsF* d = effectsDialog_;
    const QSize outer = outerSize(*d);
    d->cxbar->setMaximum(outer.width());
    d->cybar->setMaximum(outer.height());
    d->cxbar->setValue(d->cxbar->maximum() / 2);
    d->cybar->setValue(d->cybar->maximum() / 2);
    d->HelligkeitPanel->setVisible(brightness);
    d->EffectPanel->setVisible(!brightness);
    d->FormActivate();
    d->show();
    d->raise();
    d->activateWindow();
}

void TvelDrawImage::showRangeInPreview()
{
    if (effectsDialog_) effectsDialog_->ShowPreview(effectsui::ToImage(RangeBitmap));
}

void TvelDrawImage::ApplyLightnessSaturationContrast(int brightness, int colour, int contrast)
{
    CopyPictureToRange();
    TvelPaintFX::Lightness(RangeBitmap, brightness);
    TvelPaintFX::Saturation(RangeBitmap, colour);
    TvelPaintFX::Contrast(RangeBitmap, contrast);
    showRangeInPreview();
}

bool TvelDrawImage::ApplyEffect(int fxId)
{
    if (fxId < 0 || fxId > 54 || !effectsDialog_) return false;
    CopyPictureToRange();
    Bitmap24& r = RangeBitmap;
    TPainterEffectsF* d = effectsDialog_;
    const int amount = d->EBar->value();
    const int extra = d->extrabar->value();
    const auto uamount = std::uint32_t(std::max(0, amount));
    switch (fxId) {
    case 0: TvelPaintFX::Contrast(r, amount); break;
    case 1: TvelPaintFX::Saturation(r, amount); break;
    case 2: TvelPaintFX::Lightness(r, amount); break;
    case 3: TvelPaintFX::GaussianBlur(r, amount); break;
    case 4: TvelPaintFX::SplitBlur(r, amount); break;
    case 5: TvelPaintFX::AddColorNoise(r, uamount); break;
    case 6: TvelPaintFX::AddMonoNoise(r, uamount); break;
    case 7: TvelPaintFX::Smooth(r, amount); break;
    case 8: TvelPaintFX::Seamless(r, amount); break;
    case 9: TvelPaintFX::Mosaic(r, amount); break;
    case 10: TvelPaintFX::Twist(r, r, amount); break;
    case 11: TvelPaintFX::FishEye(r, r, amount / 100.0); break;
    case 12: TvelPaintFX::Wave(r, amount, 0, 0); break;
    case 13: TvelPaintFX::Wave(r, amount, 0, 1); break;
    case 14: TvelPaintFX::Wave(r, extra, amount, 2); break;
    case 15: TvelPaintFX::Rotate(r, r, d->cxbar->value(), d->cybar->value(), amount); break;
    case 16: SplitLight(amount); break;
    case 17: TvelPaintFX::WingsDeep(r, r, extra, amount); break;
    case 18: TvelPaintFX::WingsDown(r, r, extra, amount); break;
    case 19: TvelPaintFX::WingsUp(r, r, extra, amount); break;
    case 20: TvelPaintFX::WingsFold(r, r, extra, amount); break;
    case 21: TvelPaintFX::WingsTouche(r, r, extra, amount); break;
    case 22: TvelPaintFX::WingsFlyer(r, r, extra, amount); break;
    case 23: TvelPaintFX::WingsFlipover(r, r, extra, amount); break;
    case 24: TvelPaintFX::WingsWavy(r, r, extra, amount); break;
    case 25: TvelPaintFX::Emboss(r); break;
    case 26: TvelPaintFX::FilterRed(r, extra, amount); break;
    case 27: TvelPaintFX::FilterGreen(r, extra, amount); break;
    case 28: TvelPaintFX::FilterBlue(r, extra, amount); break;
    case 29: TvelPaintFX::FilterXRed(r, extra, amount); break;
    case 30: TvelPaintFX::FilterXGreen(r, extra, amount); break;
    case 31: TvelPaintFX::FilterXBlue(r, extra, amount); break;
    case 32: case 33: case 34: case 35: case 36: case 37: case 38:
        TvelPaintFX::Squeeze(r, r, amount, fxId - 25);
        break;
    case 39: TvelPaintFX::SplitRound(r, r, amount, 14); break;
    case 40: TvelPaintFX::SplitRound(r, r, amount, 15); break;
    case 41: Shear(r, amount); break;
    case 42: {
        int turbulence = extra;
        if (turbulence < 10) {
            // The bar's change runs the effect once more, with 10; the range is then redone here.
            d->extrabar->setValue(10);
            turbulence = 10;
            CopyPictureToRange();
        }
        const Bitmap24 first = RangeBitmap;
        const Bitmap24 second = RangeBitmap;
        TvelPaintFX::Plasma(first, second, RangeBitmap, amount, turbulence);
        break;
    }
    case 43:
    case 44:
        TvelPaintFX::DrawMandelJulia(r, 16, amount * 0.028 - 2.25, extra * 0.009 - 1.5, 0.75, 1.5, fxId == 43);
        break;
    case 45: TvelPaintFX::Triangles(r, amount); break;
    case 46: case 47: TvelPaintFX::RippleTooth(r, amount); break;
    case 48: TvelPaintFX::RippleRandom(r, amount); break;
    case 49: TvelPaintFX::TileTexture(r, amount); break;
    case 50: TvelPaintFX::OverlapTexture(r, amount); break;
    case 51: TvelPaintFX::MapEffect(r, amount); break;
    case 52: {
        const QImage clip = QGuiApplication::clipboard() ? QGuiApplication::clipboard()->image() : QImage();
        if (clip.isNull() || clip.width() != r.width() || clip.height() != r.height()) return false;
        const Bitmap24 second = effectsui::FromImage(clip);
        TvelPaintFX::BlendEffect(r, second, r, amount / 100.0);
        break;
    }
    case 53: TvelPaintFX::Solarize(r, r, amount); break;
    case 54: TvelPaintFX::Posterize(r, r, amount); break;
    default: return false;
    }
    showRangeInPreview();
    return true;
}

void TvelDrawImage::paintEvent(QPaintEvent*)
{
    if (picture_.empty()) return;
    QPainter painter(this);
    painter.drawImage(rect(), effectsui::ToImage(picture_));
}
