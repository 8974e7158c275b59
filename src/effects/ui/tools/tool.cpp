#include "tool.h"

#include "effects/ui/veldrawimage.h"

#include <algorithm>

namespace effectsui {

void DrawTool::PaintBand(TCanvas& c, Point from, Point to) const { DrawBandShape(c, RubberBand(), from, to); }

Point DrawTool::BandEnd() const { return DrawToolState().LastPoint; }

void DrawTool::Move(TvelDrawImage& art, Point at, TShiftState)
{
    if (RubberBand() == Band::None) return;
    TDrawToolState& s = DrawToolState();
    TCanvas& c = art.Canvas();
    c.Pen.Mode = pmNotXor;
    if (s.BandShown) PaintBand(c, s.StartPoint, BandEnd());
    PaintBand(c, s.StartPoint, at);
    s.BandShown = true;
}

void DrawTool::EndBand(TvelDrawImage& art, const Release& release)
{
    TDrawToolState& s = DrawToolState();
    // A band of the tool's own shape is only ever taken away, and only when it is there.
    if (RubberBand() == Band::None || (RubberBand() == Band::Own && !s.BandShown)) return;
    TCanvas& c = art.Canvas();
    c.Pen.Mode = pmNotXor;
    if (!release.drawsFigure && BandIsFigure()) {
        // NotXor: the band, brought to the release point, is the figure.
        if (!(s.LastPoint == release.at)) {
            if (s.BandShown) PaintBand(c, s.StartPoint, BandEnd());
            PaintBand(c, s.StartPoint, release.at);
        }
    } else if (s.BandShown) {
        PaintBand(c, s.StartPoint, BandEnd());
    }
    s.BandShown = false;
    c.Pen.Mode = s.SavedPenMode;
}

void DrawLine(TCanvas& c, Point a, Point b)
{
    c.MoveTo(a.x, a.y);
    c.LineTo(b.x, b.y);
}

void DrawBandShape(TCanvas& c, Band band, Point a, Point b)
{
    const TBrushStyle brush = c.Brush.Style;
    const TPenStyle style = c.Pen.Style;
    const Point pos = c.PenPos;
    c.Brush.Style = bsClear;
    switch (band) {
    case Band::Line: DrawLine(c, a, b); break;
    case Band::Rect: c.Rectangle(a.x, a.y, b.x, b.y); break;
    case Band::Dotted:
        c.Pen.Style = psDot;
        c.Rectangle(a.x, a.y, b.x, b.y);
        break;
    case Band::Ellipse: c.Ellipse(a.x, a.y, b.x, b.y); break;
    case Band::RoundRect: {
        const int corner = DrawToolState().CornerSize;
        c.RoundRect(a.x, a.y, b.x, b.y, corner, corner);
        break;
    }
    case Band::None:
    case Band::Own: break;
    }
    c.Brush.Style = brush;
    c.Pen.Style = style;
    c.PenPos = pos;
}

void DrawClosedOutline(TCanvas& c, std::vector<Point> points)
{
    if (points.empty()) return;
    points.push_back(points.front());
    c.Polyline(points);
}

effects::Bgr PixelNear(const Bitmap24& b, int x, int y)
{
    return b.pixel(std::clamp(x, 0, b.width() - 1), std::clamp(y, 0, b.height() - 1));
}

effects::Rect Normalised(Point a, Point b)
{
    return effects::Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

} // namespace effectsui
