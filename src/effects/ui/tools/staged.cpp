// The tools of several clicks, each counting its own stages: "chord", "pie" and "arc" (bounding
// rectangle, then two radial points), "bezier" (the curve, then its two control points),
// "skewrect" and "triangle" (the base line, then the free corners), "cube" (the front face, then
// the depth point). A tool that rests in its last stage starts again with the next press.
#include "tool.h"

#include "effects/ui/veldrawimage.h"

namespace effectsui {

namespace {

enum class ArcKind { Chord, Pie, Arc };

class ArcTool : public DrawTool {
public:
    explicit ArcTool(ArcKind kind) : kind_(kind) {}
    int Stages() const override { return 4; }
    Band RubberBand() const override { return Stage() == 0 ? Band::Ellipse : Band::None; }
    void Down(TvelDrawImage&, const Press&) override
    {
        if (Stage() == 3) SetStage(0);
    }
    void Up(TvelDrawImage& art, const Release& release) override
    {
        TDrawToolState& s = DrawToolState();
        const Point at = release.at;
        if (Stage() == 0) {
            s.StageRect = effects::Rect{s.StartPoint.x, s.StartPoint.y, at.x, at.y};
            SetStage(1);
        } else if (Stage() == 1) {
            s.Radial1 = at;
            SetStage(2);
        } else if (Stage() == 2) {
            s.Radial2 = at;
            SetStage(3);
            draw(art.Canvas(), s);
        }
    }

private:
    void draw(TCanvas& c, const TDrawToolState& s) const
    {
        const effects::Rect& r = s.StageRect;
        const Point p = s.Radial1, q = s.Radial2;
        if (kind_ == ArcKind::Chord) c.Chord(r.left, r.top, r.right, r.bottom, p.x, p.y, q.x, q.y);
        else if (kind_ == ArcKind::Pie) c.Pie(r.left, r.top, r.right, r.bottom, p.x, p.y, q.x, q.y);
        else c.Arc(r.left, r.top, r.right, r.bottom, p.x, p.y, q.x, q.y);
    }

    ArcKind kind_;
};

// The four-point curve, previewed in NotXor (drawing it twice takes it away). The first drag
// puts points 0 and 1 at the start and 2 and 3 at the mouse; the second gesture moves control
// point 1, the third control point 2, whose release draws the curve.
class Bezier : public DrawTool {
public:
    int Stages() const override { return 3; }
    void Down(TvelDrawImage& art, const Press& press) override
    {
        if (Stage() > 0) follow(art.Canvas(), press.at);
    }
    void Move(TvelDrawImage& art, Point at, TShiftState) override { follow(art.Canvas(), at); }
    void Up(TvelDrawImage& art, const Release& release) override
    {
        TDrawToolState& s = DrawToolState();
        TCanvas& c = art.Canvas();
        if (Stage() == 0) {
            follow(c, release.at);
            SetStage(1);
        } else if (Stage() == 1) {
            SetStage(2);
        } else {
            if (s.CurveShown) toggle(c);
            s.CurveShown = false;
            if (release.drawsFigure) c.PolyBezier({s.BezierPoints.begin(), s.BezierPoints.end()});
            SetStage(0);
        }
    }

private:
    // The point of the present stage follows the mouse.
    void follow(TCanvas& c, Point at) const
    {
        TDrawToolState& s = DrawToolState();
        if (s.CurveShown) toggle(c);
        if (Stage() == 0) s.BezierPoints = {s.StartPoint, s.StartPoint, at, at};
        else s.BezierPoints[std::size_t(Stage())] = at;
        toggle(c);
        s.CurveShown = true;
    }
    static void toggle(TCanvas& c)
    {
        const TPenMode mode = c.Pen.Mode;
        c.Pen.Mode = pmNotXor;
        c.PolyBezier({DrawToolState().BezierPoints.begin(), DrawToolState().BezierPoints.end()});
        c.Pen.Mode = mode;
    }
};

// A tool of two drags: the first with a plain rubber band, the second with an outline of its own
// that follows the mouse; it rests in stage 2 until the next press.
class TwoDragTool : public DrawTool {
public:
    int Stages() const override { return 3; }
    Band RubberBand() const override { return Stage() == 0 ? firstBand_ : Stage() == 1 ? Band::Own : Band::None; }
    bool BandIsFigure() const override { return Stage() == 0; }
    Point BandEnd() const override { return Stage() == 0 ? DrawTool::BandEnd() : followed(); }
    void PaintBand(TCanvas& c, Point from, Point to) const override
    {
        if (Stage() == 0) DrawBandShape(c, firstBand_, from, to);
        else paintOutline(c, to);
    }
    void Down(TvelDrawImage& art, const Press& press) override
    {
        if (Stage() == 2) SetStage(0);
        if (Stage() != 1) return;
        art.Canvas().Pen.Mode = pmNotXor;
        paintOutline(art.Canvas(), press.at);
        DrawToolState().BandShown = true;
    }

protected:
    explicit TwoDragTool(Band firstBand) : firstBand_(firstBand) {}
    // The point the outline follows, and the outline with that point at the mouse.
    virtual Point followed() const = 0;
    virtual void paintOutline(TCanvas& c, Point mouse) const = 0;

private:
    Band firstBand_;
};

// "skewrect" and "triangle": the base line gives corners 1 and 2; then the free corners follow
// the mouse ("triangle": the apex is the mouse point; "skewrect": corner 3 is the mouse point
// and corner 4 = corner 3 + (corner 1 - corner 2), a parallelogram).
class CornerTool : public TwoDragTool {
public:
    explicit CornerTool(bool triangle) : TwoDragTool(Band::Line), triangle_(triangle) {}
    void Up(TvelDrawImage& art, const Release& release) override
    {
        TDrawToolState& s = DrawToolState();
        if (Stage() == 0) {
            if (release.drawsFigure) DrawLine(art.Canvas(), s.StartPoint, release.at);
            s.Corners = {s.StartPoint, release.at, release.at, s.StartPoint};
            SetStage(1);
        } else if (Stage() == 1) {
            if (release.drawsFigure) DrawClosedOutline(art.Canvas(), corners(release.at));
            SetStage(2);
        }
    }

private:
    Point followed() const override { return DrawToolState().Corners[2]; }
    void paintOutline(TCanvas& c, Point mouse) const override { DrawClosedOutline(c, corners(mouse)); }
    std::vector<Point> corners(Point mouse) const
    {
        TDrawToolState& s = DrawToolState();
        s.Corners[2] = mouse;
        s.Corners[3] = {mouse.x + s.Corners[0].x - s.Corners[1].x, mouse.y + s.Corners[0].y - s.Corners[1].y};
        if (triangle_) return {s.Corners[0], s.Corners[1], s.Corners[2]};
        return {s.Corners[0], s.Corners[1], s.Corners[2], s.Corners[3]};
    }

    bool triangle_;
};

// The front face, then the depth point: the face plus the receding and back edges.
class Cube : public TwoDragTool {
public:
    Cube() : TwoDragTool(Band::Rect) {}
    void Up(TvelDrawImage& art, const Release& release) override
    {
        TDrawToolState& s = DrawToolState();
        if (Stage() == 0) {
            s.StageRect = Normalised(s.StartPoint, release.at);
            s.Depth = {s.StageRect.right, s.StageRect.bottom};
        } else if (Stage() == 1) {
            s.Depth = release.at;
        } else {
            return;
        }
        if (release.drawsFigure) draw(art.Canvas(), true);
        SetStage(Stage() + 1);
    }

private:
    Point followed() const override { return DrawToolState().Depth; }
    void paintOutline(TCanvas& c, Point mouse) const override
    {
        DrawToolState().Depth = mouse;
        draw(c, false);
    }
    static void draw(TCanvas& c, bool withFront)
    {
        const TDrawToolState& s = DrawToolState();
        const effects::Rect& r = s.StageRect;
        const auto lines = effects::CubeLines(r.left, r.top, r.right, r.bottom, s.Depth);
        for (std::size_t i = withFront ? 0 : 4; i < lines.size(); ++i) DrawLine(c, lines[i].a, lines[i].b);
    }
};

} // namespace

ToolEntries StagedTools()
{
    return {
        {"chord", true, maker<ArcTool>(ArcKind::Chord)},
        {"pie", true, maker<ArcTool>(ArcKind::Pie)},
        {"arc", true, maker<ArcTool>(ArcKind::Arc)},
        {"bezier", true, maker<Bezier>()},
        {"skewrect", true, maker<CornerTool>(false)},
        {"triangle", true, maker<CornerTool>(true)},
        {"cube", true, maker<Cube>()},
    };
}

} // namespace effectsui
