// The range tools, over the control's range rectangle and range bitmap: "snapshot" marks the
// range, "rangemove" and "rangesmear" drag it, "paste", "transcopy", "pastecolor" and
// "pastecolorx" put it down, "cloneall" and "clonenottarget" copy squares from an offset.
#include "tool.h"

#include "effects/brushes.h"
#include "effects/paintfx.h"
#include "effects/ui/veldrawimage.h"

#include <algorithm>

namespace effectsui {

namespace {

using effects::Rect;

// "snapshot": a dotted band marks the new range; the brush style and pen width are set aside
// for the drag.
class Snapshot : public DrawTool {
public:
    Band RubberBand() const override { return Band::Dotted; }
    void Down(TvelDrawImage& art, const Press&) override
    {
        TDrawToolState& s = DrawToolState();
        TCanvas& c = art.Canvas();
        s.SavedBrushStyle = c.Brush.Style;
        s.SavedPenWidth = c.Pen.Width;
        c.Brush.Style = bsClear;
        c.Pen.Width = 1;
    }
    void Up(TvelDrawImage& art, const Release& release) override
    {
        const TDrawToolState& s = DrawToolState();
        const Rect r = Normalised(s.StartPoint, release.at);
        art.RangeRect = TvelDrawImage::TRangeRect{r.left, r.top, r.right, r.bottom};
        art.Canvas().Brush.Style = s.SavedBrushStyle;
        art.Canvas().Pen.Width = s.SavedPenWidth;
    }
};

// The range drawn inverted at a point; drawn twice it is gone.
void invertedRangeAt(TvelDrawImage& art, Point p)
{
    const Rect whole{0, 0, art.RangeBitmap.width(), art.RangeBitmap.height()};
    TCanvas::CopyRect(art.Canvas().bitmap(), Rect{p.x, p.y, p.x + whole.right, p.y + whole.bottom}, art.RangeBitmap, whole, SRCINVERT);
}

// "rangemove" erases the range at the last point before drawing it at the mouse; "rangesmear"
// leaves a trail.
class RangeDrag : public DrawTool {
public:
    explicit RangeDrag(bool smear) : smear_(smear) {}
    void Down(TvelDrawImage& art, const Press& press) override
    {
        art.RangeCopyMode = SRCINVERT;
        art.ClearRange(effects::clWhite);
        art.CopyRangeFromCanvas();
        invertedRangeAt(art, press.at);
    }
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        if (!smear_) invertedRangeAt(art, DrawToolState().LastPoint);
        invertedRangeAt(art, at);
    }

private:
    bool smear_;
};

// The range rectangle of the picture copied with its top-left corner at the point.
void pasteRangeAt(TvelDrawImage& art, Point p)
{
    const auto& rr = art.RangeRect;
    const int rw = rr.Right - rr.Left + 1, rh = rr.Bottom - rr.Top + 1;
    Bitmap24& picture = art.Canvas().bitmap();
    TCanvas::CopyRect(picture, Rect{p.x, p.y, p.x + rw, p.y + rh}, picture, Rect{rr.Left, rr.Top, rr.Left + rw, rr.Top + rh}, SRCCOPY);
}

// "paste": at the release, and on moves with Shift held.
class Paste : public DrawTool {
public:
    void Move(TvelDrawImage& art, Point at, TShiftState shift) override
    {
        if (shift & ssShift) pasteRangeAt(art, at);
    }
    void Up(TvelDrawImage& art, const Release& release) override { pasteRangeAt(art, release.at); }
};

enum class Leave { White, AllButBrushColour, BrushColour };

// "transcopy" leaves out white, "pastecolor" pastes only the brush colour, "pastecolorx"
// everything but it.
class TransparentCopy : public DrawTool {
public:
    explicit TransparentCopy(Leave leave) : leave_(leave) {}
    void Up(TvelDrawImage& art, const Release& release) override
    {
        TCanvas& c = art.Canvas();
        const Point at = release.at;
        art.RangeCopyMode = SRCCOPY;
        art.ClearRange(effects::clWhite);
        art.CopyRangeFromCanvas();
        if (leave_ == Leave::White) {
            c.DrawTransparent(at.x, at.y, art.RangeBitmap, DrawToolState().CopyTransparentColor);
            DrawToolState().Drawing = false;
            return;
        }
        if (leave_ == Leave::AllButBrushColour) effects::TvelPaintFX::KeepColor(art.RangeBitmap, c.Brush.Color);
        else effects::TvelPaintFX::DropColor(art.RangeBitmap, c.Brush.Color);
        c.DrawTransparent(at.x, at.y, art.RangeBitmap, art.RangeBitmap.transparentColor);
    }

private:
    Leave leave_;
};

// A square of the pen width copied from the source point (the mouse moved by the offset from the
// start point to the remembered point); "clonenottarget" leaves out the remembered point's colour.
class Clone : public DrawTool {
public:
    explicit Clone(bool all) : all_(all) {}
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        const TDrawToolState& s = DrawToolState();
        TCanvas& c = art.Canvas();
        Bitmap24& picture = c.bitmap();
        const int side = std::max(1, c.Pen.Width);
        const Point src{at.x + s.RememberedPoint.x - s.StartPoint.x, at.y + s.RememberedPoint.y - s.StartPoint.y};
        if (all_) {
            TCanvas::CopyRect(picture, Rect{at.x, at.y, at.x + side, at.y + side}, picture, Rect{src.x, src.y, src.x + side, src.y + side}, SRCCOPY);
            return;
        }
        art.RangeBitmap = effects::CopyPart(picture, src.x, src.y, side, side);
        const ColorRef key = c.Pixel(s.RememberedPoint.x, s.RememberedPoint.y);
        // Source pixels outside the picture are not copied.
        for (int j = 0; j < side; ++j)
            for (int i = 0; i < side; ++i)
                if (c.Pixel(src.x + i, src.y + j) == -1) art.RangeBitmap.setPixel(i, j, effects::bgrOf(key));
        c.DrawTransparent(at.x, at.y, art.RangeBitmap, key);
    }

private:
    bool all_;
};

} // namespace

ToolEntries RangeTools()
{
    return {
        {"snapshot", true, maker<Snapshot>()},
        {"rangemove", true, maker<RangeDrag>(false)},
        {"rangesmear", true, maker<RangeDrag>(true)},
        {"paste", true, maker<Paste>()},
        {"transcopy", true, maker<TransparentCopy>(Leave::White)},
        {"pastecolor", true, maker<TransparentCopy>(Leave::AllButBrushColour)},
        {"pastecolorx", true, maker<TransparentCopy>(Leave::BrushColour)},
        {"cloneall", true, maker<Clone>(true)},
        {"clonenottarget", true, maker<Clone>(false)},
    };
}

} // namespace effectsui
