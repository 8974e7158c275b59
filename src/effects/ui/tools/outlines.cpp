// The outline tools: a rubber band while the button is held, the figure at the release: "line"
// (and the line style "rotatetext"), "rectangle", "roundrect" and "ellipse" with their
// concentric copies.
#include "tool.h"

#include "effects/ui/veldrawimage.h"

#include <algorithm>

namespace effectsui {

namespace {

class LineTool : public DrawTool {
public:
    Band RubberBand() const override { return Band::Line; }
    bool BandIsFigure() const override { return true; }
    void Up(TvelDrawImage& art, const Release& r) override
    {
        if (r.drawsFigure) DrawLine(art.Canvas(), DrawToolState().StartPoint, r.at);
    }
};

// "rectangle", "roundrect", "ellipse": with `stars` above 1 also `stars` - 1 concentric copies,
// the k-th inset by k x (half width div stars) and k x (half height div stars).
class FrameTool : public DrawTool {
public:
    explicit FrameTool(Band band) : band_(band) {}
    Band RubberBand() const override { return band_; }
    bool BandIsFigure() const override { return true; }
    void Up(TvelDrawImage& art, const Release& r) override
    {
        if (!r.drawsFigure) return;
        const effects::Rect n = Normalised(DrawToolState().StartPoint, r.at);
        const int stars = art.stars();
        draw(art.Canvas(), n.left, n.top, n.right, n.bottom);
        if (stars <= 1) return;
        const int dx = (n.right - n.left) / 2 / stars, dy = (n.bottom - n.top) / 2 / stars;
        for (int k = 1; k < std::min(stars, 10000); ++k)
            draw(art.Canvas(), n.left + k * dx, n.top + k * dy, n.right - k * dx, n.bottom - k * dy);
    }

private:
    void draw(TCanvas& c, int l, int t, int r, int b) const
    {
        const int corner = DrawToolState().CornerSize;
        if (band_ == Band::Rect) c.Rectangle(l, t, r, b);
        else if (band_ == Band::RoundRect) c.RoundRect(l, t, r, b, corner, corner);
        else c.Ellipse(l, t, r, b);
    }

    Band band_;
};

} // namespace

ToolEntries OutlineTools()
{
    return {
        {"line", true, maker<LineTool>()},
        {"rotatetext", false, maker<LineTool>()},
        {"rectangle", true, maker<FrameTool>(Band::Rect)},
        {"roundrect", true, maker<FrameTool>(Band::RoundRect)},
        {"ellipse", true, maker<FrameTool>(Band::Ellipse)},
    };
}

} // namespace effectsui
