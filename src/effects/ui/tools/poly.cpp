// The poly tools "polyline", "polygon" and "polybezier": each release adds a point (the first
// release its start point too), the rubber band follows the mouse from the last point between
// the clicks, and the right button ends the stroke.
#include "tool.h"

#include "effects/ui/veldrawimage.h"

namespace effectsui {

namespace {

enum class PolyKind { Line, Gon, Bezier };

class PolyTool : public DrawTool {
public:
    explicit PolyTool(PolyKind kind) : kind_(kind) {}
    Band RubberBand() const override { return Band::Line; }
    bool StrokeOutlivesRelease() const override { return true; }

    void RightPress(TvelDrawImage& art, Point at) override
    {
        TDrawToolState& s = DrawToolState();
        TCanvas& c = art.Canvas();
        // The band that followed the mouse since the last click goes first.
        if (s.BandShown) {
            c.Pen.Mode = pmNotXor;
            DrawBandShape(c, Band::Line, s.StartPoint, s.LastPoint);
            s.BandShown = false;
        }
        if (kind_ == PolyKind::Gon && s.PolyCount > 2) c.Polygon({s.PolyPoints.begin(), s.PolyPoints.begin() + s.PolyCount});
        if (kind_ == PolyKind::Bezier) {
            s.PolyPoints[0] = at;
            s.PolyCount = 1;
        } else {
            s.PolyCount = 0;
            s.Drawing = false;
        }
    }

    void Down(TvelDrawImage& art, const Press& press) override
    {
        TDrawToolState& s = DrawToolState();
        if (s.PolyCount == 0) return;
        // The rubber band runs from the last point; one shown between the clicks stays.
        s.StartPoint = s.LastPoint = s.PolyPoints[std::size_t(s.PolyCount - 1)];
        if (press.bandWasShown) {
            s.LastPoint = press.bandEnd;
            s.BandShown = true;
        }
        art.Canvas().MoveTo(s.StartPoint.x, s.StartPoint.y);
    }

    void Up(TvelDrawImage& art, const Release& release) override
    {
        TDrawToolState& s = DrawToolState();
        TCanvas& c = art.Canvas();
        const Point at = release.at;
        if (s.PolyCount == 0) {
            s.PolyPoints[0] = s.StartPoint;
            s.PolyCount = 1;
        }
        const Point from = s.PolyPoints[std::size_t(s.PolyCount - 1)];
        // The list holds 101 points; further points overwrite the last.
        if (s.PolyCount < int(s.PolyPoints.size())) ++s.PolyCount;
        s.PolyPoints[std::size_t(s.PolyCount - 1)] = at;
        if (kind_ == PolyKind::Bezier) {
            // Every third new point completes a curve.
            if (s.PolyCount >= 4 && (s.PolyCount - 1) % 3 == 0)
                c.PolyBezier({s.PolyPoints.begin() + s.PolyCount - 4, s.PolyPoints.begin() + s.PolyCount});
        } else {
            DrawLine(c, from, at);
        }
        s.StartPoint = s.LastPoint = at;
    }

private:
    PolyKind kind_;
};

} // namespace

ToolEntries PolyTools()
{
    return {
        {"polyline", true, maker<PolyTool>(PolyKind::Line)},
        {"polygon", true, maker<PolyTool>(PolyKind::Gon)},
        {"polybezier", true, maker<PolyTool>(PolyKind::Bezier)},
    };
}

} // namespace effectsui
