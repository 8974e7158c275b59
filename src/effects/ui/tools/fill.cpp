// The fills and the colour pick: "floodfill", the brush-filled "border", "bars" and "blocks",
// and "paintpick", which reports the colour it picks.
#include "tool.h"

#include "effects/brushes.h"
#include "effects/ui/veldrawimage.h"

#include <algorithm>
#include <cmath>

namespace effectsui {

namespace {

using effects::Rect;

// With Alt the area bounded by the pen colour, otherwise the area of the colour under the point.
class FloodFill : public DrawTool {
public:
    void Up(TvelDrawImage& art, const Release& release) override
    {
        TCanvas& c = art.Canvas();
        const Point at = release.at;
        if (release.shift & ssAlt) c.FloodFill(at.x, at.y, c.Pen.Color, fsBorder);
        else c.FloodFill(at.x, at.y, c.Pixel(at.x, at.y), fsSurface);
    }
};

// The brush colour becomes the colour under the point, or with Alt the mix of the pixels five
// to the left and right of it; the control reports it.
class PaintPick : public DrawTool {
public:
    void Up(TvelDrawImage& art, const Release& release) override
    {
        const Bitmap24& picture = art.Picture();
        if (picture.empty()) return;
        TCanvas& c = art.Canvas();
        const int w = picture.width();
        const int px = std::clamp(release.at.x, 0, w - 1), py = std::clamp(release.at.y, 0, picture.height() - 1);
        if (release.shift & ssAlt) {
            const effects::Bgr a = picture.pixel(std::max(0, px - 5), py), b = picture.pixel(std::min(w - 1, px + 5), py);
            c.Brush.Color = effects::toColorRef(effects::MixColors(a, b));
        } else {
            c.Brush.Color = c.Pixel(px, py);
        }
        art.DoColorPicked(c.Brush.Color);
    }
};

// A frame around the whole picture as high and as wide as the dragged rectangle.
class Border : public DrawTool {
public:
    Band RubberBand() const override { return Band::Dotted; }
    void Up(TvelDrawImage& art, const Release& release) override
    {
        TCanvas& c = art.Canvas();
        const Point start = DrawToolState().StartPoint;
        const int w = art.Picture().width(), h = art.Picture().height();
        const int bw = std::abs(release.at.x - start.x), bh = std::abs(release.at.y - start.y);
        c.FillRect(Rect{0, 0, w, bh});
        c.FillRect(Rect{0, h - bh, w, h});
        c.FillRect(Rect{0, 0, bw, h});
        c.FillRect(Rect{w - bw, 0, w, h});
    }
};

// The band between the dragged top and bottom across the whole width; within 9 pixels of the
// top or 10 of the bottom it reaches the edge.
class Bars : public DrawTool {
public:
    Band RubberBand() const override { return Band::Dotted; }
    void Up(TvelDrawImage& art, const Release& release) override
    {
        const Point start = DrawToolState().StartPoint;
        const int w = art.Picture().width(), h = art.Picture().height();
        int top = std::min(start.y, release.at.y), bottom = std::max(start.y, release.at.y);
        if (top <= 9) top = 0;
        if (bottom >= h - 10) bottom = h;
        art.Canvas().FillRect(Rect{0, top, w, bottom});
    }
};

// The grid cell under the mouse, filled with the brush.
class Blocks : public DrawTool {
public:
    void Move(TvelDrawImage& art, Point at, TShiftState) override { fillCell(art, at); }
    void Up(TvelDrawImage& art, const Release& release) override { fillCell(art, release.at); }

private:
    static void fillCell(TvelDrawImage& art, Point at)
    {
        const effects::Cell cell = effects::BlockCell(art.Picture().width(), art.Picture().height(), art.blocks(), at);
        art.Canvas().FillRect(Rect{cell.left, cell.top, cell.right, cell.bottom});
    }
};

} // namespace

ToolEntries FillTools()
{
    return {
        {"floodfill", true, maker<FloodFill>()}, {"paintpick", true, maker<PaintPick>()},
        {"border", true, maker<Border>()},       {"bars", true, maker<Bars>()},
        {"blocks", true, maker<Blocks>()},
    };
}

} // namespace effectsui
