// The line tools, drawn while the button is held from the last point to the mouse: "freehand"
// and the wave-line styles, the straight line "sline", the mirrored lines, the rotational
// symmetry "sym", "decoline" and "spray".
#include "tool.h"

#include "effects/random.h"
#include "effects/ui/veldrawimage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace effectsui {

namespace {

class Freehand : public DrawTool {
public:
    void Move(TvelDrawImage& art, Point at, TShiftState) override { art.Canvas().LineTo(at.x, at.y); }
};

// A line locked to the first direction of movement; the lock switches when the movement across
// it exceeds the threshold.
class StraightLine : public DrawTool {
public:
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        TDrawToolState& s = DrawToolState();
        TCanvas& c = art.Canvas();
        const Point anchor = c.PenPos;
        if (s.LineLock == QLatin1String("none")) {
            if (at == s.StartPoint) return;
            s.LineLock = std::abs(at.x - s.StartPoint.x) > std::abs(at.y - s.StartPoint.y) ? QStringLiteral("h") : QStringLiteral("v");
        } else if (s.LineLock == QLatin1String("h") && std::abs(at.y - anchor.y) > s.LineThreshold) {
            s.LineLock = QStringLiteral("v");
        } else if (s.LineLock == QLatin1String("v") && std::abs(at.x - anchor.x) > s.LineThreshold) {
            s.LineLock = QStringLiteral("h");
        }
        if (s.LineLock == QLatin1String("h")) c.LineTo(at.x, anchor.y);
        else c.LineTo(anchor.x, at.y);
    }
};

// The line and its mirrors about the picture's horizontal centre, its vertical centre and its
// centre point, as chosen.
class Mirror : public DrawTool {
public:
    Mirror(bool acrossX, bool acrossY, bool throughCentre) : x_(acrossX), y_(acrossY), c_(throughCentre) {}
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        TCanvas& c = art.Canvas();
        const int w = art.Picture().width(), h = art.Picture().height();
        auto mx = [w](Point p) { return Point{w - 1 - p.x, p.y}; };
        auto my = [h](Point p) { return Point{p.x, h - 1 - p.y}; };
        auto mc = [&](Point p) { return mx(my(p)); };
        const Point a = DrawToolState().LastPoint;
        DrawLine(c, a, at);
        if (x_) DrawLine(c, mx(a), mx(at));
        if (y_) DrawLine(c, my(a), my(at));
        if (c_) DrawLine(c, mc(a), mc(at));
        c.MoveTo(at.x, at.y);
    }

private:
    bool x_, y_, c_;
};

// The stroke with `starpoints`-fold rotational symmetry about the picture's centre.
class Symmetry : public DrawTool {
public:
    void Down(TvelDrawImage& art, const Press& press) override
    {
        TDrawToolState& s = DrawToolState();
        const int n = std::max(1, art.starpoints());
        s.SymPoints.clear();
        for (int k = 0; k < std::min(n, 360); ++k)
            s.SymPoints.push_back(effects::RotatePoint(centre(art), press.at, k * 2 * std::numbers::pi / n));
    }
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        TDrawToolState& s = DrawToolState();
        const int n = int(s.SymPoints.size());
        for (int k = 0; k < n; ++k) {
            const Point q = effects::RotatePoint(centre(art), at, k * 2 * std::numbers::pi / std::max(1, art.starpoints()));
            DrawLine(art.Canvas(), s.SymPoints[std::size_t(k)], q);
            s.SymPoints[std::size_t(k)] = q;
        }
        art.Canvas().MoveTo(at.x, at.y);
    }

private:
    static Point centre(const TvelDrawImage& art) { return {art.Picture().width() / 2, art.Picture().height() / 2}; }
};

// A line in the saved pen colour, then one twice as wide with pen mode MaskNotPen.
class DecoLine : public DrawTool {
public:
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        TCanvas& c = art.Canvas();
        const TDrawToolState& s = DrawToolState();
        const int width0 = c.Pen.Width;
        const TPenMode mode0 = c.Pen.Mode;
        c.Pen.Color = s.SavedPenColor;
        DrawLine(c, s.LastPoint, at);
        c.Pen.Width = width0 * 2;
        c.Pen.Mode = pmMaskNotPen;
        DrawLine(c, s.LastPoint, at);
        c.Pen.Width = width0;
        c.Pen.Mode = mode0;
    }
};

// Ten pixels of the brush colour per move, each at a random offset of -15 to 14.
class Spray : public DrawTool {
public:
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        TCanvas& c = art.Canvas();
        for (int i = 0; i < 10; ++i) {
            const int dx = int(effects::Random(30)) - 15, dy = int(effects::Random(30)) - 15;
            c.SetPixel(at.x + dx, at.y + dy, c.Brush.Color);
        }
    }
};

} // namespace

ToolEntries StrokeTools()
{
    return {
        {"freehand", true, maker<Freehand>()},
        {"waveline", false, maker<Freehand>()},
        {"fastwaveline", false, maker<Freehand>()},
        {"colorwaveline", false, maker<Freehand>()},
        {"sline", true, maker<StraightLine>()},
        {"hmirror", true, maker<Mirror>(true, false, false)},
        {"vmirror", true, maker<Mirror>(false, true, false)},
        {"cmirror", true, maker<Mirror>(false, false, true)},
        {"mirror4", true, maker<Mirror>(true, true, true)},
        {"borderwaveline", false, maker<Mirror>(false, false, true)},
        {"sym", true, maker<Symmetry>()},
        {"decoline", false, maker<DecoLine>()},
        {"spray", false, maker<Spray>()},
    };
}

} // namespace effectsui
