#include "veldrawimage.h"

#include "bitmapfiles.h"
#include "effecttable.h"
#include "painteffectsform.h"
#include "tools/toolbox.h"

#include "effects/random.h"
#include "effects/resample.h"
#include "platform/rounding.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>

#include <cmath>
#include <cstring>
#include <numbers>

using effects::Bitmap24;
using effects::TvelPaintFX;

TvelDrawImage::TvelDrawImage(QWidget* owner) : QWidget(owner), toolBox_(std::make_unique<effectsui::ToolBox>())
{
    resize(256, 256);
    effectsui::ResetDrawToolState();
    RangeRect = TRangeRect{0, 0, 256, 256};
    SetShape(QStringLiteral("line"));
    for (int i = 0; i < 256; ++i)
        SplitLightTable[std::size_t(i)] =
            std::uint8_t(platform::roundHalfEven(std::sin(i / 255.0 * std::numbers::pi / 2) * 255));
    BuildToolList();
    effectsDialog_ = new TPainterEffectsF(this);
    effectsDialog_->SetEffectsForm(this);
    // One preview at a time: the worker's jobs share the working copy.
    previewPool_.setMaxThreadCount(1);
    Loaded();
}

TvelDrawImage::~TvelDrawImage()
{
    // A preview still being computed is not waited for longer than its effect takes.
    ++previewRequest_;
    previewPool_.waitForDone();
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
    // A picture of the caller's ends the preview: a result still on its way is dropped.
    if (previewSource_) {
        // The working copy of the full picture goes with it (after the work that uses it).
        previewPool_.start([this] { previewWork_ = Bitmap24(); });
    }
    previewSource_.reset();
    ++previewRequest_;
    picture_ = std::move(picture);
    update();
}

void TvelDrawImage::BeginPreview(Bitmap24 full)
{
    if (full.empty()) return;
    const int width = picture_.empty() ? full.width() : picture_.width();
    const int height = picture_.empty() ? full.height() : picture_.height();
    SetPicture(effectsui::ScaledDown(full, width, height));
    previewSource_ = std::make_shared<const Bitmap24>(std::move(full));
}

bool TvelDrawImage::ScalesWithPicture(int fxId)
{
    const effectsui::EffectEntry* effect = effectsui::FindEffect(fxId);
    return effect && effect->scalesWithPicture;
}

bool TvelDrawImage::PreviewPending() const { return previewShown_ != previewRequest_.load(); }

void TvelDrawImage::WaitForPreview()
{
    previewPool_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void TvelDrawImage::previewArrived(std::uint64_t request, Bitmap24 result)
{
    if (request != previewRequest_.load()) return;
    previewShown_ = request;
    RangeBitmap = std::move(result);
    showRangeInPreview();
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
    if (bitmap.empty()) return;
    Bitmap24 sheared(bitmap.width(), bitmap.height());
    ShearRows(bitmap, sheared, amount, 0, bitmap.height());
    bitmap = std::move(sheared);
}

void TvelDrawImage::ShearRows(const Bitmap24& source, Bitmap24& dest, int amount, int top, int bottom)
{
    const int w = source.width();
    const int h = source.height();
    if (w <= 0 || h <= 0) return;
    const double factor = w / (amount / 100.0 * h + w);
    for (int y = top; y < bottom; ++y) {
        const int offset = platform::roundHalfEven(amount / 100.0 * y);
        const std::uint8_t* from = source.row(y);
        std::uint8_t* to = dest.row(y);
        // Pixels no source pixel lands on stay black.
        std::memset(to, 0, dest.stride());
        for (int x = 0; x < w; ++x) {
            const int target = platform::roundHalfEven((offset + x) * factor);
            if (target < 0 || target >= w) continue;
            std::memcpy(to + std::size_t(target) * 3, from + std::size_t(x) * 3, 3);
        }
    }
}

void TvelDrawImage::SplitLight(int passes) { effectsui::SplitLightBytes(RangeBitmap, SplitLightTable, passes); }

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
    // Computed here at once: a preview still on its way must not replace this one.
    ++previewRequest_;
    previewShown_ = previewRequest_.load();
    CopyPictureToRange();
    TvelPaintFX::Lightness(RangeBitmap, brightness);
    // The colour bar's start (250, shown as 0) leaves the colours as they are: its positions
    // 0..500 scale each channel's distance from grey by 0..2.04, the start by exactly 1.
    TvelPaintFX::Saturation(RangeBitmap, colour * 255 / 250);
    TvelPaintFX::Contrast(RangeBitmap, contrast);
    showRangeInPreview();
}

bool TvelDrawImage::ApplyEffect(int fxId)
{
    const effectsui::EffectEntry* effect = effectsui::FindEffect(fxId);
    if (!effect || !effectsDialog_) return false;
    TPainterEffectsF* d = effectsDialog_;
    effectsui::EffectArgs args;
    args.amount = d->EBar->value();
    args.extra = d->extrabar->value();
    args.cx = d->cxbar->value();
    args.cy = d->cybar->value();
    args.splitLightTable = SplitLightTable;
    if (effect->extra == effectsui::ExtraRole::AtLeastTen && args.extra < 10) {
        // The bar's change runs the effect once more, with 10; this run then uses 10 as well.
        d->extrabar->setValue(10);
        args.extra = 10;
    }
    const bool offThread = previewSource_ && !effect->scalesWithPicture;
    if (effect->blendsClipboard) {
        // The clipboard picture must have exactly the size of the picture the effect works on.
        const int w = offThread ? previewSource_->width() : picture_.width();
        const int h = offThread ? previewSource_->height() : picture_.height();
        const QImage clip = QGuiApplication::clipboard() ? QGuiApplication::clipboard()->image() : QImage();
        if (clip.isNull() || clip.width() != w || clip.height() != h) {
            // The range stays a plain copy of the picture; the preview is left as it is.
            ++previewRequest_;
            previewShown_ = previewRequest_.load();
            CopyPictureToRange();
            return false;
        }
        args.blendPicture = effectsui::FromImage(clip);
    }
    const std::uint64_t request = ++previewRequest_;
    if (!offThread) {
        previewShown_ = request;
        CopyPictureToRange();
        effect->run(RangeBitmap, args);
        showRangeInPreview();
        return true;
    }
    // The full picture, worked on by a copy of the effect off the GUI thread and scaled down to
    // the small copy's size: what a save will write, as the preview shows it. Effects that split
    // into bands of rows run on several threads, with the bytes one thread gives. Random effects
    // draw the numbers a save made now would draw (each thread has its own generator).
    const std::shared_ptr<const Bitmap24> source = previewSource_;
    const int width = picture_.width(), height = picture_.height();
    const std::uint32_t seed = effects::RandSeed();
    previewPool_.start([this, source, request, effect, args = std::move(args), seed, width, height] {
        // A newer request makes this one moot: it stops before its next band.
        auto superseded = [this, request] { return previewRequest_.load() != request; };
        if (superseded()) return;
        effects::SetRandSeed(seed);
        // The working copy is kept from one request to the next: its memory is not asked for
        // (and cleared by the system) anew on each change.
        if (!effectsui::RunEffect(*effect, *source, previewWork_, args, superseded)) return;
        if (superseded()) return;
        Bitmap24 small = effectsui::ScaledDown(previewWork_, width, height);
        QMetaObject::invokeMethod(
            this, [this, request, small = std::move(small)]() mutable { previewArrived(request, std::move(small)); },
            Qt::QueuedConnection);
    });
    return true;
}

void TvelDrawImage::paintEvent(QPaintEvent*)
{
    if (picture_.empty()) return;
    QPainter painter(this);
    painter.drawImage(rect(), effectsui::ToImage(picture_));
}
