// The drawing canvas an image control lends out, and the control's methods for it.
#include "imaging/pixdrawcanvas.h"

#include "imaging/piximage.h"

#include <QPainter>

namespace imaging {

using namespace sdk;

void PixDrawCanvas::Drop()
{
    canvas_.reset();
    if (dc_) PX_DeletePixDC(dc_);
    dc_ = nullptr;
}

TPixCanvas::Mapping PixDrawCanvas::Mapping() const
{
    const int b = c_.BorderWidth();
    return {c_.fView.DisplayRect(b), c_.fView.Src};
}

// The drawing canvas (pixcanvas.h): on the bitmap with DrawPersistence, else on the window;
// for text with TextFont in TextFontColor, else with the pen and brush of the Draw
// properties, in the pen mode DrawMode. One canvas is out at a time; ReleaseDrawCanvas takes
// it back (and, for the bitmap, shows and keeps what was drawn).
TPixCanvas* PixDrawCanvas::Lend(bool ForText)
{
    if (canvas_) c_.RaiseMethodError(QStringLiteral("Processing not allowed"), 0);
    TPixCanvas::Style style;
    style.Mode = c_.fDrawMode;
    style.Font = c_.fTextFont;
    style.FontColor = c_.fTextFontColor;
    if (!ForText) {
        style.PenColor = c_.fDrawPenColor;
        style.PenStyle = c_.fDrawPenStyle;
        style.PenWidth = c_.fDrawPenWidth;
        style.BrushColor = c_.fDrawFillColor;
        style.BrushStyle = c_.fDrawFillStyle;
    }
    if (c_.fDrawPersistence) {
        PxPixDC* dc = nullptr;
        c_.GetBitmapDC(&dc);
        if (!dc) return nullptr; // the failure is the last result (raised while method errors are on)
        dc_ = dc;
        canvas_.reset(new TPixCanvas(true, std::move(style), Mapping(), [dc](const std::function<void(QPainter&)>& draw) {
            QPainter& p = dc->painter;
            p.save();
            draw(p);
            p.restore();
        }));
    } else {
        canvas_.reset(new TPixCanvas(false, std::move(style), {},
                                     [this](const std::function<void(QPainter&)>& draw) { paintOnWindow(draw); }));
    }
    c_.fLastResult = 1;
    return canvas_.get();
}

int PixDrawCanvas::TakeBack(TPixCanvas* Canvas)
{
    if (!Canvas || Canvas != canvas_.get()) return c_.CheckMethodResult(QStringLiteral("ReleaseDrawCanvas"), PXERR_BADPARAM);
    const bool persistent = Canvas->Persistent();
    canvas_.reset();
    if (!persistent) {
        c_.fLastResult = 1;
        return 1;
    }
    PxPixDC* dc = dc_;
    dc_ = nullptr;
    const int result = c_.ReleaseBitmapDC(dc);
    // The picture itself has changed: everything that shows or keeps it follows.
    c_.fFrameDirty = true;
    c_.update();
    c_.fPanGlass.PictureChanged();
    c_.markDataModified();
    return result;
}

void PixDrawCanvas::paintOnWindow(const std::function<void(QPainter&)>& draw)
{
    // What the window shows is drawn on; a paint under way (an OnPaint handler drawing) has the
    // frame at hand already.
    if (!c_.fInPaint && (c_.fFrameDirty || c_.fFrame.size() != QSize(c_.ClientWidth(), c_.ClientHeight()))) c_.composeFrame();
    if (c_.fFrame.isNull()) return;
    {
        QPainter p(&c_.fFrame);
        p.setClipRect(c_.innerRect());
        draw(p);
    }
    if (!c_.fInPaint) c_.update();
}

TPixCanvas* TPixImage::GetDrawCanvas(bool ForText) { return fCanvases.Lend(ForText); }

int TPixImage::ReleaseDrawCanvas(TPixCanvas* Canvas) { return fCanvases.TakeBack(Canvas); }

} // namespace imaging
