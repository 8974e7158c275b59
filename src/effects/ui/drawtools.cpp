// The mouse protocol of the drawing control and its shape, line, range and pattern tools. The
// handlers compare Shape with the tool names; multi-click tools keep their stage in Shape.
#include "drawtools.h"

#include "veldrawimage.h"

#include "effects/brushes.h"
#include "effects/random.h"
#include "platform/dialogs.h"
#include "platform/rounding.h"

#include <QCursor>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace effectsui {

QStringList DrawToolNames()
{
    return {
        "airbrush", "arc", "bars", "bezier", "blocks", "bluebrush", "blurcurves", "blurlines", "blurovals",
        "blurpoly", "blurrects", "border", "brightnessbrush", "chord", "cloneall", "clonenottarget", "cmirror",
        "cone", "contrastbrush", "cube", "darkerbrush", "decobar", "decooval", "dropletsphere", "ellipse",
        "fisheyebrush", "fisheyefixbrush", "floodfill", "freehand", "globe", "gradientbrush", "graybrush",
        "greenbrush", "halfbluebrush", "halfgreenbrush", "halfredbrush", "hmirror", "intercolumn", "interprect",
        "intersphere", "lighterbrush", "line", "maze", "mbBottom", "mbDiamond", "mbHor", "mbHorBox", "mbHorOval",
        "mbRound", "mbRound2", "mbSplitRound", "mbSplitWaste", "mbTop", "mbVerBox", "mbVerOval", "mbWaste",
        "mirror4", "mixbrush", "multisphere", "notbluebrush", "notgreenbrush", "notredbrush", "paintpick", "paste",
        "pastecolor", "pastecolorx", "pie", "polybezier", "polygon", "polyline", "rangemove", "rangesmear",
        "rectangle", "redbrush", "rimplebrush", "risingwavesphere", "rollmixbrush", "rotatebrush", "roundrect",
        "saturationbrush", "skewrect", "sline", "smoothbrush", "snapshot", "spiral", "spiro", "star", "sym",
        "texcurves", "texlines", "texovals", "texpoly", "texrects", "transcopy", "triangle", "twistbrush",
        "vmirror", "wavesphere", "zoombrush", "zoomkeepbrush",
    };
}

TDrawToolState& DrawToolState()
{
    static TDrawToolState state;
    return state;
}

void ResetDrawToolState() { DrawToolState() = TDrawToolState{}; }

} // namespace effectsui

using namespace effectsui;
using effects::Rect;

namespace {

TDrawToolState& st() { return DrawToolState(); }

bool oneOf(const QString& shape, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (shape == QLatin1String(n)) return true;
    return false;
}

bool isPolyTool(const QString& shape) { return oneOf(shape, {"polyline", "polygon", "polybezier"}); }

// The rubber band a tool draws while the button is held, in its present stage.
enum class Band { None, Line, Rect, Dotted, Ellipse, RoundRect };

Band bandOf(const QString& shape)
{
    if (oneOf(shape, {"line", "rotatetext", "star", "spiral", "skewrect", "triangle", "cone", "spiro", "decobar",
                      "polyline", "polygon", "polybezier"}))
        return Band::Line;
    if (oneOf(shape, {"rectangle", "cube", "maze", "interprect", "intercolumn"})) return Band::Rect;
    if (oneOf(shape, {"snapshot", "bars", "border"})) return Band::Dotted;
    if (oneOf(shape, {"ellipse", "globe", "intersphere", "multisphere", "dropletsphere", "wavesphere",
                      "risingwavesphere", "decooval", "chord", "pie", "arc"}))
        return Band::Ellipse;
    if (shape == QLatin1String("roundrect")) return Band::RoundRect;
    return Band::None;
}

// The tools whose release makes a picture rather than an outline: their band always goes.
bool isGenerator(const QString& shape)
{
    return oneOf(shape, {"interprect", "intercolumn", "intersphere", "multisphere", "dropletsphere", "wavesphere",
                         "risingwavesphere", "snapshot", "bars", "border", "chord", "pie", "arc"});
}

// The band's outline with a clear brush in the canvas's present pen mode.
void drawBand(TCanvas& c, Band band, Point a, Point b)
{
    const TBrushStyle brush = c.Brush.Style;
    const TPenStyle style = c.Pen.Style;
    const Point pos = c.PenPos;
    c.Brush.Style = bsClear;
    switch (band) {
    case Band::Line:
        c.MoveTo(a.x, a.y);
        c.LineTo(b.x, b.y);
        break;
    case Band::Rect: c.Rectangle(a.x, a.y, b.x, b.y); break;
    case Band::Dotted:
        c.Pen.Style = psDot;
        c.Rectangle(a.x, a.y, b.x, b.y);
        break;
    case Band::Ellipse: c.Ellipse(a.x, a.y, b.x, b.y); break;
    case Band::RoundRect: c.RoundRect(a.x, a.y, b.x, b.y, st().CornerSize, st().CornerSize); break;
    case Band::None: break;
    }
    c.Brush.Style = brush;
    c.Pen.Style = style;
    c.PenPos = pos;
}

void line(TCanvas& c, Point a, Point b)
{
    c.MoveTo(a.x, a.y);
    c.LineTo(b.x, b.y);
}

void closedOutline(TCanvas& c, std::vector<Point> points)
{
    if (points.empty()) return;
    points.push_back(points.front());
    c.Polyline(points);
}

// The free corners of "skewrect" and "triangle" follow the mouse.
std::vector<Point> stageCorners(const QString& shape, Point mouse)
{
    TDrawToolState& s = st();
    s.Corners[2] = mouse;
    s.Corners[3] = {mouse.x + s.Corners[0].x - s.Corners[1].x, mouse.y + s.Corners[0].y - s.Corners[1].y};
    if (shape.startsWith(QLatin1String("triangle"))) return {s.Corners[0], s.Corners[1], s.Corners[2]};
    return {s.Corners[0], s.Corners[1], s.Corners[2], s.Corners[3]};
}

void drawCube(TCanvas& c, bool withFront)
{
    const TDrawToolState& s = st();
    const auto lines = effects::CubeLines(s.StageRect.left, s.StageRect.top, s.StageRect.right, s.StageRect.bottom, s.Depth);
    for (std::size_t i = withFront ? 0 : 4; i < lines.size(); ++i) line(c, lines[i].a, lines[i].b);
}

// The bezier preview in NotXor: drawing it twice takes it away.
void toggleCurve(TCanvas& c)
{
    const TPenMode mode = c.Pen.Mode;
    c.Pen.Mode = pmNotXor;
    c.PolyBezier({st().BezierPoints.begin(), st().BezierPoints.end()});
    c.Pen.Mode = mode;
}

// The rectangle of a drag, left above right and top above bottom.
Rect normalised(Point a, Point b) { return Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}; }

// Concentric copies for "rectangle", "roundrect" and "ellipse": the k-th inset by
// k x (half width div stars) and k x (half height div stars).
template <typename Draw>
void concentric(int stars, Point a, Point b, Draw draw)
{
    const Rect n = normalised(a, b);
    const int l = n.left, r = n.right, t = n.top, bt = n.bottom;
    draw(l, t, r, bt);
    if (stars <= 1) return;
    const int dx = (r - l) / 2 / stars, dy = (bt - t) / 2 / stars;
    for (int k = 1; k < std::min(stars, 10000); ++k) draw(l + k * dx, t + k * dy, r - k * dx, bt - k * dy);
}

} // namespace

void TvelDrawImage::BuildToolList()
{
    ToolList.clear();
    ToolList << DrawToolNames();
}

void TvelDrawImage::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TDrawToolState& s = st();
    TCanvas& c = canvas_;
    Point pt{x, y};
    s.SavedPenColor = c.Pen.Color;
    s.SavedBrushColor = c.Brush.Color;
    if (button == mbRight) {
        // The rubber band that followed the mouse since the last click goes first.
        if (isPolyTool(FShape) && s.BandShown) {
            c.Pen.Mode = pmNotXor;
            drawBand(c, Band::Line, s.StartPoint, s.LastPoint);
            s.BandShown = false;
        }
        if (FShape == QLatin1String("polygon") && s.PolyCount > 2)
            c.Polygon({s.PolyPoints.begin(), s.PolyPoints.begin() + s.PolyCount});
        if (FShape == QLatin1String("polygon") || FShape == QLatin1String("polyline")) {
            s.PolyCount = 0;
            s.Drawing = false;
        }
        if (FShape == QLatin1String("polybezier")) {
            s.PolyPoints[0] = pt;
            s.PolyCount = 1;
        }
        s.RememberedPoint = pt;
        c.Pen.Mode = s.SavedPenMode;
        update();
        return;
    }
    if ((shift & ssCtrl) && (shift & ssShift)) {
        pt = s.RememberedPoint;
        if (!picture_.empty() && width() > 0 && height() > 0)
            QCursor::setPos(mapToGlobal(QPoint(pt.x * width() / picture_.width(), pt.y * height() / picture_.height())));
    }
    // A finished multi-click figure starts again with the next press.
    static const char* const finalStages[][2] = {{"chord3", "chord"}, {"pie3", "pie"}, {"arc3", "arc"},
                                                 {"skewrect2", "skewrect"}, {"triangle2", "triangle"}, {"cube2", "cube"}};
    for (const auto& stage : finalStages)
        if (FShape == QLatin1String(stage[0])) FShape = QLatin1String(stage[1]);

    // Between the clicks of a poly tool the band follows the mouse; it stays until it is redrawn.
    const bool polyBand = isPolyTool(FShape) && s.BandShown;
    const Point bandEnd = s.LastPoint;
    c.MoveTo(pt.x, pt.y);
    s.StartPoint = s.LastPoint = pt;
    s.LineLock = QStringLiteral("none");
    s.Drawing = true;
    s.BandShown = false;
    s.SavedPenMode = c.Pen.Mode;
    const QString& shape = FShape;

    if (isPolyTool(shape) && s.PolyCount > 0) {
        // The rubber band runs from the last vertex.
        s.StartPoint = s.LastPoint = s.PolyPoints[std::size_t(s.PolyCount - 1)];
        if (polyBand) {
            s.LastPoint = bandEnd;
            s.BandShown = true;
        }
        c.MoveTo(s.StartPoint.x, s.StartPoint.y);
    } else if (shape == QLatin1String("snapshot")) {
        s.SavedBrushStyle = c.Brush.Style;
        s.SavedPenWidth = c.Pen.Width;
        c.Brush.Style = bsClear;
        c.Pen.Width = 1;
    } else if (oneOf(shape, {"rangemove", "rangesmear"})) {
        RangeCopyMode = effectsui::SRCINVERT;
        ClearRange(effects::clWhite);
        CopyRangeFromCanvas();
        TCanvas::CopyRect(picture_, Rect{pt.x, pt.y, pt.x + RangeBitmap.width(), pt.y + RangeBitmap.height()}, RangeBitmap,
                          Rect{0, 0, RangeBitmap.width(), RangeBitmap.height()}, effectsui::SRCINVERT);
    } else if (shape == QLatin1String("sym")) {
        const int n = std::max(1, Fstarpoints);
        const Point centre{picture_.width() / 2, picture_.height() / 2};
        s.SymPoints.clear();
        for (int k = 0; k < std::min(n, 360); ++k)
            s.SymPoints.push_back(effects::RotatePoint(centre, pt, k * 2 * std::numbers::pi / n));
    } else if (oneOf(shape, {"bezier1", "bezier2"})) {
        if (s.CurveShown) toggleCurve(c);
        s.BezierPoints[shape == QLatin1String("bezier1") ? 1 : 2] = pt;
        toggleCurve(c);
        s.CurveShown = true;
    } else if (oneOf(shape, {"skewrect1", "triangle1"})) {
        c.Pen.Mode = pmNotXor;
        closedOutline(c, stageCorners(shape, pt));
        s.BandShown = true;
    } else if (shape == QLatin1String("cube1")) {
        c.Pen.Mode = pmNotXor;
        s.Depth = pt;
        drawCube(c, false);
        s.BandShown = true;
    } else {
        BrushToolDown(*this, shape, shift, pt.x, pt.y);
    }
    c.Pen.Mode = s.SavedPenMode;
    update();
}

void TvelDrawImage::MouseMove(TShiftState shift, int x, int y)
{
    if ((shift & ssCtrl) && (shift & ssAlt)) return;
    TDrawToolState& s = st();
    if (!s.Drawing) return;
    TCanvas& c = canvas_;
    const Point pt{x, y};
    const QString shape = FShape;
    const int w = picture_.width(), h = picture_.height();
    const Band band = bandOf(shape);

    if (band != Band::None) {
        c.Pen.Mode = pmNotXor;
        if (s.BandShown) drawBand(c, band, s.StartPoint, s.LastPoint);
        drawBand(c, band, s.StartPoint, pt);
        s.BandShown = true;
    } else if (shape == QLatin1String("bezier") || shape == QLatin1String("bezier1") || shape == QLatin1String("bezier2")) {
        if (s.CurveShown) toggleCurve(c);
        if (shape == QLatin1String("bezier")) s.BezierPoints = {s.StartPoint, s.StartPoint, pt, pt};
        else s.BezierPoints[shape == QLatin1String("bezier1") ? 1 : 2] = pt;
        toggleCurve(c);
        s.CurveShown = true;
    } else if (oneOf(shape, {"skewrect1", "triangle1"})) {
        c.Pen.Mode = pmNotXor;
        if (s.BandShown) closedOutline(c, stageCorners(shape, s.Corners[2]));
        closedOutline(c, stageCorners(shape, pt));
        s.BandShown = true;
    } else if (shape == QLatin1String("cube1")) {
        c.Pen.Mode = pmNotXor;
        if (s.BandShown) drawCube(c, false);
        s.Depth = pt;
        drawCube(c, false);
        s.BandShown = true;
    } else if (oneOf(shape, {"freehand", "mixbrush", "waveline", "fastwaveline", "colorwaveline"})) {
        c.LineTo(pt.x, pt.y);
    } else if (shape == QLatin1String("sline")) {
        const Point anchor = c.PenPos;
        if (s.LineLock == QLatin1String("none")) {
            if (pt == s.StartPoint) return;
            s.LineLock = std::abs(pt.x - s.StartPoint.x) > std::abs(pt.y - s.StartPoint.y) ? QStringLiteral("h") : QStringLiteral("v");
        } else if (s.LineLock == QLatin1String("h") && std::abs(pt.y - anchor.y) > s.LineThreshold) {
            s.LineLock = QStringLiteral("v");
        } else if (s.LineLock == QLatin1String("v") && std::abs(pt.x - anchor.x) > s.LineThreshold) {
            s.LineLock = QStringLiteral("h");
        }
        if (s.LineLock == QLatin1String("h")) c.LineTo(pt.x, anchor.y);
        else c.LineTo(anchor.x, pt.y);
    } else if (oneOf(shape, {"hmirror", "vmirror", "cmirror", "mirror4", "borderwaveline"})) {
        auto mx = [w](Point p) { return Point{w - 1 - p.x, p.y}; };
        auto my = [h](Point p) { return Point{p.x, h - 1 - p.y}; };
        auto mc = [&](Point p) { return mx(my(p)); };
        const Point a = s.LastPoint;
        line(c, a, pt);
        if (shape == QLatin1String("hmirror") || shape == QLatin1String("mirror4")) line(c, mx(a), mx(pt));
        if (shape == QLatin1String("vmirror") || shape == QLatin1String("mirror4")) line(c, my(a), my(pt));
        if (shape != QLatin1String("hmirror") && shape != QLatin1String("vmirror")) line(c, mc(a), mc(pt));
        c.MoveTo(pt.x, pt.y);
    } else if (shape == QLatin1String("sym")) {
        const int n = int(s.SymPoints.size());
        const Point centre{w / 2, h / 2};
        for (int k = 0; k < n; ++k) {
            const Point q = effects::RotatePoint(centre, pt, k * 2 * std::numbers::pi / std::max(1, Fstarpoints));
            line(c, s.SymPoints[std::size_t(k)], q);
            s.SymPoints[std::size_t(k)] = q;
        }
        c.MoveTo(pt.x, pt.y);
    } else if (shape == QLatin1String("decoline")) {
        const int width0 = c.Pen.Width;
        const TPenMode mode0 = c.Pen.Mode;
        c.Pen.Color = s.SavedPenColor;
        line(c, s.LastPoint, pt);
        c.Pen.Width = width0 * 2;
        c.Pen.Mode = pmMaskNotPen;
        line(c, s.LastPoint, pt);
        c.Pen.Width = width0;
        c.Pen.Mode = mode0;
    } else if (shape == QLatin1String("spray")) {
        for (int i = 0; i < 10; ++i) {
            const int dx = int(effects::Random(30)) - 15, dy = int(effects::Random(30)) - 15;
            c.SetPixel(pt.x + dx, pt.y + dy, c.Brush.Color);
        }
    } else if (shape == QLatin1String("blocks")) {
        const effects::Cell cell = effects::BlockCell(w, h, Fblocks, pt);
        c.FillRect(Rect{cell.left, cell.top, cell.right, cell.bottom});
    } else if (oneOf(shape, {"rangemove", "rangesmear"})) {
        const Rect whole{0, 0, RangeBitmap.width(), RangeBitmap.height()};
        auto xorAt = [&](Point p) {
            TCanvas::CopyRect(picture_, Rect{p.x, p.y, p.x + whole.right, p.y + whole.bottom}, RangeBitmap, whole,
                              effectsui::SRCINVERT);
        };
        if (shape == QLatin1String("rangemove")) xorAt(s.LastPoint);
        xorAt(pt);
    } else if (shape == QLatin1String("paste")) {
        if (shift & ssShift) {
            const int rw = RangeRect.Right - RangeRect.Left + 1, rh = RangeRect.Bottom - RangeRect.Top + 1;
            TCanvas::CopyRect(picture_, Rect{pt.x, pt.y, pt.x + rw, pt.y + rh}, picture_,
                              Rect{RangeRect.Left, RangeRect.Top, RangeRect.Left + rw, RangeRect.Top + rh}, effectsui::SRCCOPY);
        }
    } else if (oneOf(shape, {"cloneall", "clonenottarget"})) {
        const int side = std::max(1, c.Pen.Width);
        const Point src{pt.x + s.RememberedPoint.x - s.StartPoint.x, pt.y + s.RememberedPoint.y - s.StartPoint.y};
        if (shape == QLatin1String("cloneall")) {
            TCanvas::CopyRect(picture_, Rect{pt.x, pt.y, pt.x + side, pt.y + side}, picture_,
                              Rect{src.x, src.y, src.x + side, src.y + side}, effectsui::SRCCOPY);
        } else {
            RangeBitmap = effects::CopyPart(picture_, src.x, src.y, side, side);
            const ColorRef key = c.Pixel(s.RememberedPoint.x, s.RememberedPoint.y);
            // Source pixels outside the picture are not copied.
            for (int j = 0; j < side; ++j)
                for (int i = 0; i < side; ++i)
                    if (c.Pixel(src.x + i, src.y + j) == -1) RangeBitmap.setPixel(i, j, effects::bgrOf(key));
            c.DrawTransparent(pt.x, pt.y, RangeBitmap, key);
        }
    } else {
        BrushToolMove(*this, shape, shift, pt.x, pt.y);
    }
    c.Pen.Mode = s.SavedPenMode;
    s.LastPoint = pt;
    update();
}

void TvelDrawImage::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (((shift & ssCtrl) && (shift & ssAlt)) || button == mbRight) return;
    TDrawToolState& s = st();
    TCanvas& c = canvas_;
    const Point pt{x, y};
    const QString shape = FShape;
    const int w = picture_.width(), h = picture_.height();
    const Point start = s.StartPoint;

    // The band goes, unless the tool draws in NotXor itself: then the band is its result.
    bool final = s.SavedPenMode != pmNotXor;
    const Band band = bandOf(shape);
    if (band != Band::None) {
        c.Pen.Mode = pmNotXor;
        if (!final && !isGenerator(shape) && !isPolyTool(shape)) {
            if (!(s.LastPoint == pt)) {
                if (s.BandShown) drawBand(c, band, start, s.LastPoint);
                drawBand(c, band, start, pt);
            }
        } else if (s.BandShown) {
            drawBand(c, band, start, s.LastPoint);
        }
        s.BandShown = false;
        c.Pen.Mode = s.SavedPenMode;
    }
    if (oneOf(shape, {"skewrect1", "triangle1", "cube1"}) && s.BandShown) {
        c.Pen.Mode = pmNotXor;
        if (shape == QLatin1String("cube1")) drawCube(c, false);
        else closedOutline(c, stageCorners(shape, s.Corners[2]));
        s.BandShown = false;
        c.Pen.Mode = s.SavedPenMode;
    }

    if (shape == QLatin1String("line") || shape == QLatin1String("rotatetext")) {
        if (final) line(c, start, pt);
    } else if (shape == QLatin1String("rectangle")) {
        if (final) concentric(Fstars, start, pt, [&](int l, int t, int r, int b) { c.Rectangle(l, t, r, b); });
    } else if (shape == QLatin1String("roundrect")) {
        if (final)
            concentric(Fstars, start, pt, [&](int l, int t, int r, int b) { c.RoundRect(l, t, r, b, s.CornerSize, s.CornerSize); });
    } else if (shape == QLatin1String("ellipse")) {
        if (final) concentric(Fstars, start, pt, [&](int l, int t, int r, int b) { c.Ellipse(l, t, r, b); });
    } else if (shape == QLatin1String("globe")) {
        if (final) {
            const auto [l, t, r, b] = normalised(start, pt);
            c.Ellipse(l, t, r, b);
            const int mw = (r - l) / 20, mh = (b - t) / 20;
            for (int i = 1; i <= 10; ++i) {
                c.Ellipse(l + i * mw, t, r - i * mw, b);
                c.Ellipse(l, t + i * mh, r, b - i * mh);
            }
        }
    } else if (shape == QLatin1String("maze")) {
        if (final) {
            const auto [l, t, r, b] = normalised(start, pt);
            c.Rectangle(l, t, r, b);
            const int dx = (r - l) / 10, dy = (b - t) / 10;
            for (int i = 0; i <= 10; ++i) {
                line(c, {l + i * dx, t}, {r, t + i * dy});
                line(c, {r, t + i * dy}, {r - i * dx, b});
                line(c, {r - i * dx, b}, {l, b - i * dy});
                line(c, {l, b - i * dy}, {l + i * dx, t});
            }
        }
    } else if (oneOf(shape, {"chord", "pie", "arc"})) {
        s.StageRect = Rect{start.x, start.y, pt.x, pt.y};
        FShape = shape + QLatin1Char('1');
    } else if (oneOf(shape, {"chord1", "pie1", "arc1"})) {
        s.Radial1 = pt;
        FShape = shape.left(shape.size() - 1) + QLatin1Char('2');
    } else if (oneOf(shape, {"chord2", "pie2", "arc2"})) {
        s.Radial2 = pt;
        const QString tool = shape.left(shape.size() - 1);
        FShape = tool + QLatin1Char('3');
        const Rect& r = s.StageRect;
        if (tool == QLatin1String("chord")) c.Chord(r.left, r.top, r.right, r.bottom, s.Radial1.x, s.Radial1.y, s.Radial2.x, s.Radial2.y);
        else if (tool == QLatin1String("pie")) c.Pie(r.left, r.top, r.right, r.bottom, s.Radial1.x, s.Radial1.y, s.Radial2.x, s.Radial2.y);
        else c.Arc(r.left, r.top, r.right, r.bottom, s.Radial1.x, s.Radial1.y, s.Radial2.x, s.Radial2.y);
    } else if (shape == QLatin1String("bezier")) {
        if (s.CurveShown) toggleCurve(c);
        s.BezierPoints = {start, start, pt, pt};
        toggleCurve(c);
        s.CurveShown = true;
        FShape = QStringLiteral("bezier1");
    } else if (shape == QLatin1String("bezier1")) {
        FShape = QStringLiteral("bezier2");
    } else if (shape == QLatin1String("bezier2")) {
        if (s.CurveShown) toggleCurve(c);
        s.CurveShown = false;
        if (final) c.PolyBezier({s.BezierPoints.begin(), s.BezierPoints.end()});
        FShape = QStringLiteral("bezier");
    } else if (isPolyTool(shape)) {
        if (s.PolyCount == 0) {
            s.PolyPoints[0] = start;
            s.PolyCount = 1;
        }
        const Point from = s.PolyPoints[std::size_t(s.PolyCount - 1)];
        if (s.PolyCount < int(s.PolyPoints.size())) ++s.PolyCount;
        s.PolyPoints[std::size_t(s.PolyCount - 1)] = pt;
        if (shape == QLatin1String("polybezier")) {
            // Every third new point completes a curve.
            if (s.PolyCount >= 4 && (s.PolyCount - 1) % 3 == 0)
                c.PolyBezier({s.PolyPoints.begin() + s.PolyCount - 4, s.PolyPoints.begin() + s.PolyCount});
        } else {
            line(c, from, pt);
        }
        s.StartPoint = s.LastPoint = pt;
    } else if (oneOf(shape, {"skewrect", "triangle"})) {
        if (final) line(c, start, pt);
        s.Corners = {start, pt, pt, start};
        FShape = shape + QLatin1Char('1');
    } else if (oneOf(shape, {"skewrect1", "triangle1"})) {
        if (final) closedOutline(c, stageCorners(shape, pt));
        FShape = shape.left(shape.size() - 1) + QLatin1Char('2');
    } else if (shape == QLatin1String("cube")) {
        s.StageRect = normalised(start, pt);
        s.Depth = {s.StageRect.right, s.StageRect.bottom};
        if (final) drawCube(c, true);
        FShape = QStringLiteral("cube1");
    } else if (shape == QLatin1String("cube1")) {
        s.Depth = pt;
        if (final) drawCube(c, true);
        FShape = QStringLiteral("cube2");
    } else if (shape == QLatin1String("star")) {
        if (final) {
            const int n = std::clamp(Fstars, 1, 1000);
            for (int k = 1; k <= n; ++k)
                c.Polygon(effects::StarPolygon(start, effects::PointBetween(start, pt, double(k) / n), std::min(Fstarpoints, 1000),
                                               Fpolygonchecked));
        }
    } else if (shape == QLatin1String("spiral")) {
        if (final) c.Polyline(effects::SpiralPoints(start, pt, Fspirals, s.SpiralStep, s.SpiralShrink));
    } else if (shape == QLatin1String("spiro")) {
        if (final) {
            const effects::Spirograph spiro = effects::SpirographPoints(w, h, start, pt, s.SpiroTurns * 36);
            if (!spiro.message.empty()) platform::showInformation(QString::fromStdString(spiro.message));
            else c.Polyline(spiro.points);
        }
    } else if (shape == QLatin1String("cone")) {
        if (final) {
            const int cx = w / 2, top = (w - 2 * start.x) / 20, bottom = (w - 2 * pt.x) / 20;
            for (int i = 0; i <= 10; ++i) {
                line(c, {cx + i * top, start.y}, {cx + i * bottom, pt.y});
                line(c, {cx - i * top, start.y}, {cx - i * bottom, pt.y});
            }
            line(c, {cx - 10 * top, start.y}, {cx + 10 * top, start.y});
            line(c, {cx - 10 * bottom, pt.y}, {cx + 10 * bottom, pt.y});
        }
    } else if (oneOf(shape, {"decobar", "decooval"})) {
        if (final) {
            const TPen pen0 = c.Pen;
            const TBrushStyle brush0 = c.Brush.Style;
            const int width = std::max(pen0.Width, 30);
            const ColorRef from = effects::ColorToRGB(s.SavedBrushColor), to = effects::ColorToRGB(pen0.Color);
            const double passes3 = width / 3.0;
            auto channel = [&](int a, int b, int k) { return effects::ClampByte(platform::roundHalfEven(a - k * (a - b) / passes3)); };
            c.Brush.Style = bsClear;
            for (int k = 0; k < width / 3; ++k) {
                c.Pen.Width = width - 2 * k;
                c.Pen.Color = effects::rgbColor(channel(effects::redOf(from), effects::redOf(to), k),
                                                channel(effects::greenOf(from), effects::greenOf(to), k),
                                                channel(effects::blueOf(from), effects::blueOf(to), k));
                if (shape == QLatin1String("decobar")) line(c, start, pt);
                else c.Ellipse(start.x, start.y, pt.x, pt.y);
            }
            c.Pen = pen0;
            c.Brush.Style = brush0;
        }
    } else if (shape == QLatin1String("snapshot")) {
        const Rect r = normalised(start, pt);
        RangeRect = TRangeRect{r.left, r.top, r.right, r.bottom};
        c.Brush.Style = s.SavedBrushStyle;
        c.Pen.Width = s.SavedPenWidth;
    } else if (shape == QLatin1String("paste")) {
        const int rw = RangeRect.Right - RangeRect.Left + 1, rh = RangeRect.Bottom - RangeRect.Top + 1;
        TCanvas::CopyRect(picture_, Rect{pt.x, pt.y, pt.x + rw, pt.y + rh}, picture_,
                          Rect{RangeRect.Left, RangeRect.Top, RangeRect.Left + rw, RangeRect.Top + rh}, effectsui::SRCCOPY);
    } else if (oneOf(shape, {"transcopy", "pastecolor", "pastecolorx"})) {
        RangeCopyMode = effectsui::SRCCOPY;
        ClearRange(effects::clWhite);
        CopyRangeFromCanvas();
        if (shape == QLatin1String("transcopy")) {
            c.DrawTransparent(pt.x, pt.y, RangeBitmap, s.CopyTransparentColor);
            s.Drawing = false;
        } else {
            if (shape == QLatin1String("pastecolor")) effects::TvelPaintFX::KeepColor(RangeBitmap, c.Brush.Color);
            else effects::TvelPaintFX::DropColor(RangeBitmap, c.Brush.Color);
            c.DrawTransparent(pt.x, pt.y, RangeBitmap, RangeBitmap.transparentColor);
        }
    } else if (shape == QLatin1String("floodfill")) {
        if (shift & ssAlt) c.FloodFill(pt.x, pt.y, c.Pen.Color, fsBorder);
        else c.FloodFill(pt.x, pt.y, c.Pixel(pt.x, pt.y), fsSurface);
    } else if (shape == QLatin1String("paintpick")) {
        if (!picture_.empty()) {
            const int px = std::clamp(pt.x, 0, w - 1), py = std::clamp(pt.y, 0, h - 1);
            if (shift & ssAlt) {
                const effects::Bgr a = picture_.pixel(std::max(0, px - 5), py), b = picture_.pixel(std::min(w - 1, px + 5), py);
                c.Brush.Color = effects::toColorRef(effects::MixColors(a, b));
            } else {
                c.Brush.Color = c.Pixel(px, py);
            }
            DoColorPicked(c.Brush.Color);
        }
    } else if (shape == QLatin1String("border")) {
        const int bw = std::abs(pt.x - start.x), bh = std::abs(pt.y - start.y);
        c.FillRect(Rect{0, 0, w, bh});
        c.FillRect(Rect{0, h - bh, w, h});
        c.FillRect(Rect{0, 0, bw, h});
        c.FillRect(Rect{w - bw, 0, w, h});
    } else if (shape == QLatin1String("bars")) {
        int top = std::min(start.y, pt.y), bottom = std::max(start.y, pt.y);
        if (top <= 9) top = 0;
        if (bottom >= h - 10) bottom = h;
        c.FillRect(Rect{0, top, w, bottom});
    } else if (shape == QLatin1String("blocks")) {
        const effects::Cell cell = effects::BlockCell(w, h, Fblocks, pt);
        c.FillRect(Rect{cell.left, cell.top, cell.right, cell.bottom});
    } else {
        BrushToolUp(*this, shape, shift, pt.x, pt.y);
    }
    c.Pen.Mode = s.SavedPenMode;
    if (!isPolyTool(shape)) s.Drawing = false;
    update();
}

namespace {

TShiftState shiftOf(const QMouseEvent* e)
{
    TShiftState s = 0;
    if (e->modifiers() & Qt::ShiftModifier) s |= ssShift;
    if (e->modifiers() & Qt::AltModifier) s |= ssAlt;
    if (e->modifiers() & Qt::ControlModifier) s |= ssCtrl;
    if (e->buttons() & Qt::LeftButton) s |= ssLeft;
    if (e->buttons() & Qt::RightButton) s |= ssRight;
    if (e->buttons() & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton buttonOf(const QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) return mbRight;
    if (e->button() == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

} // namespace

// The picture is stretched over the control: mouse positions become picture pixels.
static Point toPicture(const QWidget& widget, const effects::Bitmap24& picture, const QMouseEvent* e)
{
    const QPointF p = e->position();
    if (picture.empty() || widget.width() <= 0 || widget.height() <= 0)
        return {int(std::floor(p.x())), int(std::floor(p.y()))};
    return {int(std::floor(p.x() * picture.width() / widget.width())), int(std::floor(p.y() * picture.height() / widget.height()))};
}

void TvelDrawImage::mousePressEvent(QMouseEvent* event)
{
    const Point p = toPicture(*this, picture_, event);
    MouseDown(buttonOf(event), shiftOf(event), p.x, p.y);
}

void TvelDrawImage::mouseMoveEvent(QMouseEvent* event)
{
    const Point p = toPicture(*this, picture_, event);
    MouseMove(shiftOf(event), p.x, p.y);
}

void TvelDrawImage::mouseReleaseEvent(QMouseEvent* event)
{
    const Point p = toPicture(*this, picture_, event);
    MouseUp(buttonOf(event), shiftOf(event), p.x, p.y);
}
