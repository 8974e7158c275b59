// The drawing tools of the drawing control, driven by mouse events on the offscreen platform:
// every tool name of the tool list (and the line styles outside it) against a property of what it
// draws, the multi-click stages, the range tools, and dabs at every corner of tiny pictures.
#include "effects/brushes.h"
#include "effects/paintfx.h"
#include "effects/random.h"
#include "effects/ui/drawtools.h"
#include "effects/ui/tools/toolbox.h"
#include "effects/ui/veldrawimage.h"
#include "platform/rounding.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

using effects::Bgr;
using effects::Bitmap24;
using effects::Point;
using effects::TvelPaintFX;
using namespace effectsui;

namespace {

constexpr int kSize = 48;

// Every pixel its own colour, none black or white, so any drawing shows.
Bitmap24 pattern(int w = kSize, int h = kSize)
{
    Bitmap24 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, Bgr{std::uint8_t(60 + (x * 5) % 120), std::uint8_t(70 + (y * 7) % 110),
                                 std::uint8_t(90 + ((x + y) * 3) % 100)});
    return b;
}

// A press, the moves with the button held, and the release.
struct Gesture {
    Point press;
    std::vector<Point> moves;
    Point release;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    Qt::MouseButton button = Qt::LeftButton;
};

void send(QWidget& w, QEvent::Type type, Point p, Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    QMouseEvent e(type, QPointF(p.x + 0.5, p.y + 0.5), QPointF(p.x + 0.5, p.y + 0.5), button, buttons, mods);
    QCoreApplication::sendEvent(&w, &e);
}

void drag(TvelDrawImage& art, const Gesture& g)
{
    send(art, QEvent::MouseButtonPress, g.press, g.button, g.button, g.modifiers);
    for (Point m : g.moves) send(art, QEvent::MouseMove, m, Qt::NoButton, g.button, g.modifiers);
    send(art, QEvent::MouseButtonRelease, g.release, g.button, Qt::NoButton, g.modifiers);
}

// A line from a to b through the moves in between.
Gesture stroke(std::vector<Point> path, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    Gesture g{path.front(), {path.begin() + 1, path.end()}, path.back(), mods};
    return g;
}

Gesture click(Point p, Qt::MouseButton button = Qt::LeftButton) { return Gesture{p, {}, p, Qt::NoModifier, button}; }

using Region = std::function<bool(int x, int y)>;

Region box(int l, int t, int r, int b)
{
    return [=](int x, int y) { return x >= std::min(l, r) && x <= std::max(l, r) && y >= std::min(t, b) && y <= std::max(t, b); };
}
Region grow(Point a, Point b, int by) { return box(std::min(a.x, b.x) - by, std::min(a.y, b.y) - by, std::max(a.x, b.x) + by, std::max(a.y, b.y) + by); }
Region disc(Point c, double r)
{
    return [=](int x, int y) { return std::hypot(x - c.x, y - c.y) <= r; };
}
Region either(Region a, Region b) { return [=](int x, int y) { return a(x, y) || b(x, y); }; }

// Pixels within `tolerance` of the polyline.
Region nearPath(std::vector<Point> path, double tolerance = 1.5)
{
    return [=](int x, int y) {
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            const double ax = path[i].x, ay = path[i].y, bx = path[i + 1].x, by = path[i + 1].y;
            const double len2 = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
            double t = len2 > 0 ? ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            if (std::hypot(x - (ax + t * (bx - ax)), y - (ay + t * (by - ay))) <= tolerance) return true;
        }
        return path.size() == 1 && std::hypot(x - path[0].x, y - path[0].y) <= tolerance;
    };
}

std::vector<Point> mapped(std::vector<Point> path, std::function<Point(Point)> f)
{
    for (Point& p : path) p = f(p);
    return path;
}

struct Outcome {
    const Bitmap24& before;
    const Bitmap24& after;
    TvelDrawImage& art;
};

// Some pixel changed (at least `least`), and every changed pixel lies in the region.
testing::AssertionResult changesOnlyIn(const Outcome& o, const Region& allowed, int least = 1)
{
    int changed = 0;
    for (int y = 0; y < o.after.height(); ++y)
        for (int x = 0; x < o.after.width(); ++x) {
            if (o.before.pixel(x, y) == o.after.pixel(x, y)) continue;
            ++changed;
            if (!allowed(x, y)) return testing::AssertionFailure() << "pixel " << x << "," << y << " changed outside";
        }
    if (changed < least) return testing::AssertionFailure() << changed << " pixels changed, expected at least " << least;
    return testing::AssertionSuccess();
}

testing::AssertionResult unchanged(const Outcome& o)
{
    if (o.before == o.after) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the picture changed";
}

// Every pixel of the region changed.
testing::AssertionResult allChangedIn(const Outcome& o, const Region& region)
{
    for (int y = 0; y < o.after.height(); ++y)
        for (int x = 0; x < o.after.width(); ++x)
            if (region(x, y) && o.before.pixel(x, y) == o.after.pixel(x, y))
                return testing::AssertionFailure() << "pixel " << x << "," << y << " kept its colour";
    return testing::AssertionSuccess();
}

// The picture equals the before picture with each disc pixel of radius r about c run through the
// colour brush's rule once.
testing::AssertionResult colourDab(const Outcome& o, int mode, Point c, int r)
{
    for (int y = 0; y < o.after.height(); ++y)
        for (int x = 0; x < o.after.width(); ++x) {
            const double dx = x + 0.5 - c.x, dy = y + 0.5 - c.y;
            const Bgr want = dx * dx + dy * dy <= double(r) * r ? effects::ColorBrushPixel(mode, o.before.pixel(x, y)) : o.before.pixel(x, y);
            if (!(o.after.pixel(x, y) == want)) return testing::AssertionFailure() << "pixel " << x << "," << y;
        }
    return testing::AssertionSuccess();
}

struct ToolCase {
    const char* tool;
    std::function<void(TvelDrawImage&)> setup;
    std::vector<Gesture> gestures;
    std::function<testing::AssertionResult(const Outcome&)> check;
};

const Point A{12, 14}, B{30, 26};
const std::vector<Point> kPath{{12, 14}, {18, 18}, {24, 22}, {30, 26}};

void nothing(TvelDrawImage&) {}
auto solidBrush(effects::ColorRef colour)
{
    return [colour](TvelDrawImage& art) {
        art.Canvas().Brush.Style = bsSolid;
        art.Canvas().Brush.Color = colour;
    };
}
auto penWidth(int width)
{
    return [width](TvelDrawImage& art) { art.Canvas().Pen.Width = width; };
}

Point mirrorX(Point p) { return {kSize - 1 - p.x, p.y}; }
Point mirrorY(Point p) { return {p.x, kSize - 1 - p.y}; }
Point mirrorC(Point p) { return mirrorX(mirrorY(p)); }

// A brush dab: a press at the centre, one move.
Gesture dab(Point centre, Point to) { return Gesture{centre, {to}, to}; }

std::vector<ToolCase> toolCases()
{
    const Region strokeBox = grow(A, B, 1);
    auto pathOnly = [](const Outcome& o) { return changesOnlyIn(o, nearPath(kPath)); };
    // The drag from A to B of the rectangle tools: the outline only, the inside kept.
    auto outline = [](const Outcome& o) {
        return changesOnlyIn(o, [](int x, int y) {
            return (x == A.x || x == B.x - 1 || y == A.y || y == B.y - 1) && box(A.x, A.y, B.x - 1, B.y - 1)(x, y);
        });
    };
    auto inBox = [](Region r) { return [r](const Outcome& o) { return changesOnlyIn(o, r); }; };
    auto colour = [](int mode) {
        return ToolCase{nullptr, nothing, {dab({20, 20}, {24, 22})},
                        [mode](const Outcome& o) { return colourDab(o, mode, {24, 22}, 5); }};
    };
    // The distortion, light and magnifier brushes: one dab of radius 10 about the press point.
    auto centred = [](const Outcome& o) { return changesOnlyIn(o, box(14, 14, 33, 33)); };
    const Gesture drag10 = dab({24, 24}, {32, 30});
    // The generators of the dragged rectangle.
    auto inRect = [](int by) { return [by](const Outcome& o) { return changesOnlyIn(o, grow(A, B, by), 10); }; };
    // The texture generators tile the picture with cells of the dragged size: every cell changes.
    auto everyCell = [](const Outcome& o) {
        const int cw = B.x - A.x, ch = B.y - A.y;
        for (int top = 0; top < kSize; top += ch)
            for (int left = 0; left < kSize; left += cw) {
                bool changed = false;
                for (int y = top; y < std::min(kSize, top + ch); ++y)
                    for (int x = left; x < std::min(kSize, left + cw); ++x) changed |= !(o.before.pixel(x, y) == o.after.pixel(x, y));
                if (!changed) return testing::AssertionFailure() << "the cell at " << left << "," << top << " is unchanged";
            }
        return testing::AssertionSuccess();
    };
    auto rangeAt = [](int l, int t, int r, int b) {
        return [=](TvelDrawImage& art) { art.RangeRect = TvelDrawImage::TRangeRect{l, t, r, b}; };
    };

    // One pixel of the range (0, 0) - (5, 5) has the brush colour.
    auto brushColourInRange = [](TvelDrawImage& art) {
        Bitmap24 p = art.Picture();
        p.setPixel(2, 3, Bgr{0, 0, 200});
        art.SetPicture(p);
        art.RangeRect = TvelDrawImage::TRangeRect{0, 0, 5, 5};
        art.Canvas().Brush.Color = effects::rgbColor(200, 0, 0);
    };

    std::vector<ToolCase> cases = {
        // ---- outline tools ----
        {"line", nothing, {stroke(kPath)}, [](const Outcome& o) { return changesOnlyIn(o, nearPath({A, B}), 15); }},
        {"rotatetext", nothing, {stroke(kPath)}, [](const Outcome& o) { return changesOnlyIn(o, nearPath({A, B}), 15); }},
        {"rectangle", nothing, {stroke(kPath)}, outline},
        {"roundrect", nothing, {stroke(kPath)}, inBox(box(A.x, A.y, B.x - 1, B.y - 1))},
        {"ellipse", nothing, {stroke(kPath)}, inBox(box(A.x, A.y, B.x - 1, B.y - 1))},
        {"globe", nothing, {stroke(kPath)}, inBox(box(A.x, A.y, B.x - 1, B.y - 1))},
        {"maze", nothing, {stroke(kPath)}, inBox(box(A.x, A.y, B.x, B.y))},
        {"star", nothing, {stroke(kPath)}, inBox(disc(A, std::hypot(B.x - A.x, B.y - A.y) + 1))},
        {"spiral", nothing, {stroke(kPath)}, inBox(disc(A, std::hypot(B.x - A.x, B.y - A.y) + 1))},
        // Centre (24, 24), a = 10, b = 8: the curve stays within 18 of the centre.
        {"spiro", nothing, {stroke({{34, 24}, {34, 28}, {34, 32}})}, inBox(disc({24, 24}, 19))},
        // A frustum about the vertical centre line, between the two rows.
        {"cone", nothing, {stroke({{14, 10}, {10, 38}})}, inBox(box(4, 10, 43, 38))},
        {"decobar", nothing, {stroke(kPath)}, inBox(grow(A, B, 16))},
        {"decooval", nothing, {stroke(kPath)}, inBox(grow(A, B, 16))},
        // ---- line tools ----
        {"freehand", nothing, {stroke(kPath)}, pathOnly},
        {"waveline", nothing, {stroke(kPath)}, pathOnly},
        {"fastwaveline", nothing, {stroke(kPath)}, pathOnly},
        {"colorwaveline", nothing, {stroke(kPath)}, pathOnly},
        {"decoline", nothing, {stroke(kPath)}, pathOnly},
        // Mostly sideways: a horizontal line on the press row.
        {"sline", nothing, {stroke({{10, 20}, {20, 22}, {30, 24}})}, inBox(box(10, 20, 30, 20))},
        {"hmirror", nothing, {stroke(kPath)},
         [](const Outcome& o) { return changesOnlyIn(o, either(nearPath(kPath), nearPath(mapped(kPath, mirrorX)))); }},
        {"vmirror", nothing, {stroke(kPath)},
         [](const Outcome& o) { return changesOnlyIn(o, either(nearPath(kPath), nearPath(mapped(kPath, mirrorY)))); }},
        {"cmirror", nothing, {stroke(kPath)},
         [](const Outcome& o) { return changesOnlyIn(o, either(nearPath(kPath), nearPath(mapped(kPath, mirrorC)))); }},
        {"borderwaveline", nothing, {stroke(kPath)},
         [](const Outcome& o) { return changesOnlyIn(o, either(nearPath(kPath), nearPath(mapped(kPath, mirrorC)))); }},
        {"mirror4", nothing, {stroke(kPath)}, [](const Outcome& o) {
             return changesOnlyIn(o, either(either(nearPath(kPath), nearPath(mapped(kPath, mirrorX))),
                                            either(nearPath(mapped(kPath, mirrorY)), nearPath(mapped(kPath, mirrorC)))));
         }},
        // Five copies about the centre: all at the stroke's distance from it.
        {"sym", nothing, {stroke({{24, 10}, {28, 10}, {32, 11}})}, [](const Outcome& o) {
             return changesOnlyIn(o, [](int x, int y) {
                 const double d = std::hypot(x - 24, y - 24);
                 return d >= 11 && d <= 16;
             }, 20);
         }},
        {"spray", solidBrush(effects::rgbColor(255, 0, 0)), {stroke(kPath)}, inBox(grow(A, B, 15))},
        {"mixbrush", penWidth(1), {stroke(kPath)}, pathOnly},
        {"airbrush", [](TvelDrawImage& art) { art.AirBrush.SetSize(10); art.AirBrush.SetIntensity(100); },
         {stroke(kPath)}, inBox(grow(A, B, 5))},
        {"gradientbrush", penWidth(3), {stroke(kPath)}, inBox(grow(A, B, 4))},
        {"blocks", [](TvelDrawImage& art) { solidBrush(effects::clBlack)(art); art.Setblocks(8); },
         {click({13, 13})}, [](const Outcome& o) {
             auto cell = box(12, 12, 17, 17);
             auto r = changesOnlyIn(o, cell, 36);
             return r ? allChangedIn(o, cell) : r;
         }},
        // ---- multi-click tools (their stages are checked apart) ----
        {"chord", nothing, {stroke(kPath), click({40, 20}), click({20, 40})}, inBox(box(A.x, A.y, B.x - 1, B.y - 1))},
        {"pie", nothing, {stroke(kPath), click({40, 20}), click({20, 40})}, inBox(box(A.x, A.y, B.x - 1, B.y - 1))},
        {"arc", nothing, {stroke(kPath), click({40, 20}), click({20, 40})}, inBox(box(A.x, A.y, B.x - 1, B.y - 1))},
        {"bezier", nothing, {stroke({{10, 30}, {38, 30}}), stroke({{20, 10}, {18, 12}}), stroke({{30, 44}, {28, 40}})},
         inBox(box(10, 10, 38, 41))},
        {"skewrect", nothing, {stroke({{10, 30}, {30, 30}}), stroke({{35, 10}, {36, 12}})}, inBox(box(10, 12, 36, 30))},
        {"triangle", nothing, {stroke({{10, 30}, {30, 30}}), stroke({{20, 10}, {22, 12}})}, inBox(box(10, 12, 30, 30))},
        // Depth point (36, 34): the back face lies 6 to the right and 6 up.
        {"cube", nothing, {stroke({{10, 20}, {30, 40}}), stroke({{34, 36}, {36, 34}})}, inBox(box(10, 14, 36, 40))},
        {"polyline", nothing, {click({10, 10}), click({30, 10}), click({30, 30}), click({5, 5}, Qt::RightButton)},
         [](const Outcome& o) { return changesOnlyIn(o, nearPath({{10, 10}, {30, 10}, {30, 30}}), 30); }},
        {"polygon", solidBrush(effects::rgbColor(0, 0, 255)),
         {click({10, 10}), click({30, 10}), click({30, 30}), click({5, 5}, Qt::RightButton)},
         [](const Outcome& o) { return changesOnlyIn(o, box(10, 10, 30, 30), 60); }},
        {"polybezier", nothing, {click({10, 10}), click({20, 40}), click({30, 5}), click({40, 30})},
         inBox(box(10, 5, 40, 35))},
        // ---- range tools ----
        {"snapshot", nothing, {stroke(kPath)}, [](const Outcome& o) {
             if (!unchanged(o)) return unchanged(o);
             const auto& r = o.art.RangeRect;
             if (r.Left == A.x && r.Top == A.y && r.Right == B.x && r.Bottom == B.y) return testing::AssertionSuccess();
             return testing::AssertionFailure() << "range " << r.Left << "," << r.Top << " - " << r.Right << "," << r.Bottom;
         }},
        {"rangemove", rangeAt(0, 0, 5, 5), {stroke({{20, 20}, {24, 22}, {28, 24}})}, inBox(box(0, 0, 33, 29))},
        {"rangesmear", rangeAt(0, 0, 5, 5), {stroke({{20, 20}, {24, 22}, {28, 24}})}, inBox(box(0, 0, 33, 29))},
        {"paste", rangeAt(0, 0, 5, 5), {click({30, 31})}, [](const Outcome& o) {
             for (int y = 0; y < 6; ++y)
                 for (int x = 0; x < 6; ++x)
                     if (!(o.after.pixel(30 + x, 31 + y) == o.before.pixel(x, y))) return testing::AssertionFailure() << x << "," << y;
             return changesOnlyIn(o, box(30, 31, 35, 36), 36);
         }},
        {"transcopy",
         [](TvelDrawImage& art) {
             Bitmap24 p = art.Picture();
             p.setPixel(1, 1, Bgr{255, 255, 255});
             art.SetPicture(p);
             art.RangeRect = TvelDrawImage::TRangeRect{0, 0, 5, 5};
         },
         {click({30, 31})}, [](const Outcome& o) {
             // Everything but the white pixel lands.
             if (o.after.pixel(31, 32) == (Bgr{255, 255, 255})) return testing::AssertionFailure() << "white copied";
             return changesOnlyIn(o, box(30, 31, 35, 36), 35);
         }},
        {"pastecolor",
         brushColourInRange,
         {click({30, 31})}, [](const Outcome& o) {
             // Only the pixel of the brush colour is pasted.
             if (!(o.after.pixel(32, 34) == (Bgr{0, 0, 200}))) return testing::AssertionFailure() << "not pasted";
             return changesOnlyIn(o, box(32, 34, 32, 34));
         }},
        {"pastecolorx",
         brushColourInRange,
         {click({30, 31})}, [](const Outcome& o) {
             // All but the pixel of the brush colour.
             if (!(o.after.pixel(30, 31) == o.before.pixel(0, 0))) return testing::AssertionFailure() << "not pasted";
             return changesOnlyIn(o, [](int x, int y) { return box(30, 31, 35, 36)(x, y) && !(x == 32 && y == 34); }, 35);
         }},
        // The source is the mouse point moved by (remembered - start) = (5 - 20, 5 - 20).
        {"cloneall", penWidth(4), {click({5, 5}, Qt::RightButton), stroke({{20, 20}, {24, 20}})},
         [](const Outcome& o) {
             for (int y = 0; y < 4; ++y)
                 for (int x = 0; x < 4; ++x)
                     if (!(o.after.pixel(24 + x, 20 + y) == o.before.pixel(9 + x, 5 + y))) return testing::AssertionFailure() << x << "," << y;
             return changesOnlyIn(o, box(24, 20, 27, 23), 16);
         }},
        {"clonenottarget",
         [](TvelDrawImage& art) {
             penWidth(4)(art);
             Bitmap24 p = art.Picture();
             p.setPixel(10, 6, p.pixel(5, 5));  // the remembered point's colour is left out
             art.SetPicture(p);
         },
         {click({5, 5}, Qt::RightButton), stroke({{20, 20}, {24, 20}})}, [](const Outcome& o) {
             if (!(o.after.pixel(25, 21) == o.before.pixel(25, 21))) return testing::AssertionFailure() << "key colour copied";
             return changesOnlyIn(o, box(24, 20, 27, 23), 15);
         }},
        // ---- fills and picks ----
        {"floodfill",
         [](TvelDrawImage& art) {
             Bitmap24 p = art.Picture();
             for (int y = 10; y <= 20; ++y)
                 for (int x = 8; x <= 30; ++x) p.setPixel(x, y, Bgr{1, 2, 3});
             art.SetPicture(p);
             solidBrush(effects::rgbColor(0, 255, 0))(art);
         },
         {click({15, 15})}, [](const Outcome& o) {
             auto area = box(8, 10, 30, 20);
             auto r = changesOnlyIn(o, area, 23 * 11);
             return r ? allChangedIn(o, area) : r;
         }},
        {"paintpick", nothing, {click({7, 9})}, [](const Outcome& o) {
             const Bgr p = o.before.pixel(7, 9);
             if (o.art.Canvas().Brush.Color != effects::rgbColor(p.r, p.g, p.b)) return testing::AssertionFailure() << "brush colour";
             return unchanged(o);
         }},
        {"border", solidBrush(effects::clBlack), {stroke({{0, 0}, {5, 4}})}, [](const Outcome& o) {
             auto frame = [](int x, int y) { return x < 5 || x >= kSize - 5 || y < 4 || y >= kSize - 4; };
             auto r = changesOnlyIn(o, frame);
             return r ? allChangedIn(o, frame) : r;
         }},
        {"bars", solidBrush(effects::clBlack), {stroke({{20, 20}, {25, 30}})}, [](const Outcome& o) {
             auto band = box(0, 20, kSize - 1, 29);
             auto r = changesOnlyIn(o, band);
             return r ? allChangedIn(o, band) : r;
         }},
        // ---- colour brushes: one dab of radius 5 where the mouse moved ----
    };
    const std::pair<const char*, int> colourTools[] = {
        {"bluebrush", effects::cbBlue},         {"greenbrush", effects::cbGreen},       {"redbrush", effects::cbRed},
        {"notbluebrush", effects::cbNotBlue},   {"notgreenbrush", effects::cbNotGreen}, {"notredbrush", effects::cbNotRed},
        {"halfbluebrush", effects::cbHalfBlue}, {"halfgreenbrush", effects::cbHalfGreen}, {"halfredbrush", effects::cbHalfRed},
        {"darkerbrush", effects::cbDarker},     {"lighterbrush", effects::cbLighter},   {"graybrush", effects::cbGray},
        {"rollmixbrush", effects::cbRollMix},
    };
    for (auto [tool, mode] : colourTools) {
        ToolCase c = colour(mode);
        c.tool = tool;
        cases.push_back(c);
    }
    cases.push_back({"smoothbrush", nothing, {dab({20, 20}, {24, 22})}, inBox(disc({24, 22}, 5.5))});
    // The squeezes take the angle in degrees and squeeze a 20-pixel square by at most 10: a steep
    // drag of 6 degrees.
    for (const char* tool : {"mbHor", "mbTop", "mbBottom", "mbDiamond", "mbWaste", "mbRound", "mbRound2",
                             "mbSplitRound", "mbSplitWaste"})
        cases.push_back({tool, nothing, {dab({24, 24}, {25, 34})}, centred});
    for (const char* tool : {"fisheyefixbrush", "rotatebrush", "twistbrush", "rimplebrush", "brightnessbrush", "contrastbrush", "saturationbrush", "mbVerBox", "mbHorBox", "mbVerOval",
                             "mbHorOval"})
        cases.push_back({tool, nothing, {drag10}, centred});
    cases.push_back({"fisheyebrush", penWidth(6), {dab({10, 10}, {30, 28})}, inBox(box(24, 22, 35, 33))});
    // The view was magnified over the whole picture (the square about the mouse, clipped) and
    // the release puts the picture back.
    cases.push_back({"zoombrush", nothing, {stroke(kPath)}, [](const Outcome& o) {
                         if (!(o.art.ZoomBitmap == o.before) || DrawToolState().SmallRect.right != kSize)
                             return testing::AssertionFailure() << "no zoom";
                         return unchanged(o);
                     }});
    cases.push_back({"zoomkeepbrush", penWidth(8), {stroke(kPath)}, [](const Outcome& o) {
                         if (o.art.Shape() != "freehand" || o.art.Canvas().Pen.Width != 2)
                             return testing::AssertionFailure() << "tool " << o.art.Shape().toStdString();
                         return changesOnlyIn(o, [](int, int) { return true; }, kSize * kSize / 2);
                     }});
    for (const char* tool : {"multisphere", "dropletsphere", "wavesphere", "risingwavesphere"})
        cases.push_back({tool, nothing, {stroke(kPath)}, inRect(8)});
    cases.push_back({"intersphere", nothing, {stroke(kPath)}, inRect(1)});
    for (const char* tool : {"texlines", "texrects", "texovals", "texpoly", "texcurves", "blurlines", "blurrects",
                             "blurovals", "blurpoly", "blurcurves"})
        cases.push_back({tool, nothing, {stroke(kPath)}, everyCell});
    cases.push_back({"interprect", nothing, {stroke(kPath)}, [](const Outcome& o) {
                         Bitmap24 expected = o.before;
                         effects::InterpolateRect(expected, A.x, A.y, B.x, B.y);
                         if (!(o.after == expected)) return testing::AssertionFailure() << "not the bilinear fill";
                         return changesOnlyIn(o, box(A.x, A.y, B.x, B.y), 200);
                     }});
    cases.push_back({"intercolumn", nothing, {stroke(kPath)}, [](const Outcome& o) { return changesOnlyIn(o, box(A.x, A.y, B.x, B.y), 200); }});
    return cases;
}

struct DrawToolsTest : ::testing::Test {
    TvelDrawImage art;
    testsupport::ScriptedDialogs dialogs;

    void SetUp() override
    {
        effects::SetRandSeed(7);
        art.SetPicture(pattern());
        art.resize(kSize, kSize);
    }
};

} // namespace

TEST_F(DrawToolsTest, ToolListHoldsTheHundredNamesInOrder)
{
    ASSERT_EQ(art.ToolList.size(), 100);
    EXPECT_EQ(art.ToolList.front(), "airbrush");
    EXPECT_EQ(art.ToolList.back(), "zoomkeepbrush");
    EXPECT_EQ(QSet<QString>(art.ToolList.begin(), art.ToolList.end()).size(), 100);
    for (qsizetype i = 1; i < art.ToolList.size(); ++i)
        EXPECT_LT(art.ToolList[i - 1].compare(art.ToolList[i], Qt::CaseInsensitive), 0) << art.ToolList[i].toStdString();
}

TEST_F(DrawToolsTest, CreateSetsTheToolStateAndLoadedAClearBrushAndBlackPen)
{
    DrawToolState().RememberedPoint = {9, 9};
    DrawToolState().LineThreshold = 99;
    TvelDrawImage fresh;
    const TDrawToolState& s = DrawToolState();
    EXPECT_EQ(s.RememberedPoint, (Point{0, 0}));
    EXPECT_EQ(s.LineLock, "none");
    EXPECT_EQ(s.LineThreshold, 5);
    EXPECT_EQ(s.CornerSize, 10);
    EXPECT_EQ(s.SpiralStep, 1);
    EXPECT_DOUBLE_EQ(s.SpiralShrink, 0.99);
    EXPECT_EQ(s.SpiroTurns, 40);
    EXPECT_EQ(s.CopyTransparentColor, effects::clWhite);
    EXPECT_EQ(s.PolyCount, 0);
    EXPECT_EQ(s.SmallRect.right, 50);
    EXPECT_EQ(s.SmallRect.bottom, 50);
    EXPECT_EQ(fresh.RangeRect.Right, 256);
    EXPECT_EQ(fresh.Canvas().Brush.Style, bsClear);
    EXPECT_EQ(fresh.Canvas().Pen.Color, effects::clBlack);
    EXPECT_EQ(fresh.Canvas().Pen.Mode, pmCopy);
}

TEST_F(DrawToolsTest, EveryToolDrawsWhatItsRuleGivesAndNothingElse)
{
    const std::vector<ToolCase> cases = toolCases();
    std::set<QString> covered;
    std::int64_t clock = 0;
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.tool);
        covered.insert(QString::fromLatin1(c.tool));
        TvelDrawImage control;
        control.resize(kSize, kSize);
        control.SetPicture(pattern());
        control.AirBrush.SetTickSource([&clock] { return clock += 150; });
        control.SetShape(QString::fromLatin1(c.tool));
        c.setup(control);
        const Bitmap24 before = control.Picture();
        for (const Gesture& g : c.gestures) drag(control, g);
        const Bitmap24 after = control.Picture();
        EXPECT_TRUE(c.check(Outcome{before, after, control}));
        EXPECT_EQ(control.Canvas().Pen.Mode, pmCopy);
        EXPECT_TRUE(dialogs.messages.isEmpty());
    }
    // No name of the list goes untested.
    for (const QString& name : art.ToolList) EXPECT_TRUE(covered.count(name)) << name.toStdString();
}

TEST_F(DrawToolsTest, MultiClickToolsAdvanceTheirStageNames)
{
    struct Case {
        const char* tool;
        std::vector<Gesture> gestures;
        std::vector<const char*> stages;  // Shape after each gesture
    };
    const Case cases[] = {
        {"chord", {stroke(kPath), click({40, 20}), click({20, 40}), stroke(kPath)}, {"chord1", "chord2", "chord3", "chord1"}},
        {"pie", {stroke(kPath), click({40, 20}), click({20, 40})}, {"pie1", "pie2", "pie3"}},
        {"arc", {stroke(kPath), click({40, 20}), click({20, 40})}, {"arc1", "arc2", "arc3"}},
        {"bezier", {stroke(kPath), click({20, 10}), click({30, 40}), stroke(kPath)}, {"bezier1", "bezier2", "bezier", "bezier1"}},
        {"skewrect", {stroke(kPath), click({40, 40}), stroke(kPath)}, {"skewrect1", "skewrect2", "skewrect1"}},
        {"triangle", {stroke(kPath), click({40, 40}), stroke(kPath)}, {"triangle1", "triangle2", "triangle1"}},
        {"cube", {stroke(kPath), click({40, 40}), stroke(kPath)}, {"cube1", "cube2", "cube1"}},
        // The poly tools keep their name and their stroke until the right button ends it.
        {"polyline", {click({5, 5}), click({9, 9})}, {"polyline", "polyline"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        art.SetShape(QString::fromLatin1(c.tool));
        for (std::size_t i = 0; i < c.gestures.size(); ++i) {
            drag(art, c.gestures[i]);
            EXPECT_EQ(art.Shape(), c.stages[i]);
        }
        drag(art, click({1, 1}, Qt::RightButton));
    }
}

TEST_F(DrawToolsTest, EveryToolNameAndStageNameSelectsItsTool)
{
    // The tool list's names and the line styles, each a tool of its own; a stage name selects its
    // tool in that stage. Names without such a tool or stage draw nothing (UnknownToolDoesNothing).
    QStringList names = art.ToolList;
    names << "rotatetext" << "spray" << "waveline" << "fastwaveline" << "colorwaveline" << "borderwaveline" << "decoline";
    for (const QString& name : names) {
        EXPECT_TRUE(effectsui::FindTool(name)) << name.toStdString();
        art.SetShape(name);
        EXPECT_EQ(art.Shape(), name);
    }
    for (const char* stage : {"chord1", "chord2", "chord3", "pie3", "arc2", "bezier1", "bezier2", "skewrect2", "triangle1", "cube2"}) {
        art.SetShape(stage);
        EXPECT_EQ(art.Shape(), stage);
    }
    for (const char* none : {"chord4", "chord0", "chord01", "cube3", "line1", "polyline1", "Line"}) {
        EXPECT_FALSE(effectsui::FindTool(none)) << none;
        art.SetShape(none);
        EXPECT_EQ(art.Shape(), none);
        const Bitmap24 before = art.Picture();
        drag(art, stroke(kPath));
        EXPECT_EQ(art.Picture(), before) << none;
    }
}

TEST_F(DrawToolsTest, StagedToolsStartAgainAndKeepTheirStagePerControl)
{
    struct Case {
        const char* tool;
        std::vector<Gesture> gestures; // all stages, to the end of the figure
    };
    const Case cases[] = {
        {"chord", {stroke(kPath), click({40, 20}), click({20, 40})}},
        {"bezier", {stroke(kPath), click({20, 10}), click({30, 40})}},
        {"skewrect", {stroke(kPath), click({40, 40})}},
        {"triangle", {stroke(kPath), click({40, 40})}},
        {"cube", {stroke(kPath), click({40, 40})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        const QString tool = QString::fromLatin1(c.tool);
        // A finished figure: the next press starts the tool from its first stage.
        art.SetShape(tool);
        for (const Gesture& g : c.gestures) drag(art, g);
        art.MouseDown(mbLeft, 0, 5, 5);
        EXPECT_EQ(art.Shape(), tool);
        art.MouseUp(mbLeft, 0, 9, 9);
        EXPECT_EQ(art.Shape(), tool + "1");
        // Choosing the tool again drops its stage; another control's stage is its own.
        TvelDrawImage other;
        other.SetShape(tool);
        drag(other, c.gestures.front());
        art.SetShape(tool);
        EXPECT_EQ(art.Shape(), tool);
        EXPECT_EQ(other.Shape(), tool + "1");
        art.SetShape("line");
        EXPECT_EQ(other.Shape(), tool + "1");
    }
}

TEST_F(DrawToolsTest, PolyToolsFollowTheMouseBetweenClicksAndTheRightButtonEndsThem)
{
    art.SetShape("polyline");
    const Bitmap24 before = art.Picture();
    // The first gesture stores its start point and its release point.
    drag(art, stroke({{10, 10}, {30, 10}}));
    // Between clicks the rubber band follows the mouse without a button.
    send(art, QEvent::MouseMove, {30, 30}, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_NE(art.Picture(), before);
    EXPECT_TRUE(DrawToolState().Drawing);
    EXPECT_EQ(DrawToolState().PolyCount, 2);
    drag(art, click({0, 0}, Qt::RightButton));
    EXPECT_FALSE(DrawToolState().Drawing);
    EXPECT_EQ(DrawToolState().PolyCount, 0);
    EXPECT_EQ(DrawToolState().RememberedPoint, (Point{0, 0}));
    // The band that followed the mouse is gone: only the drawn line stays.
    EXPECT_TRUE(changesOnlyIn(Outcome{before, art.Picture(), art}, nearPath({{10, 10}, {30, 10}}), 15));

    // A band shown between clicks is replaced by the line of the next click.
    art.SetPicture(before);
    drag(art, stroke({{10, 10}, {30, 10}}));
    send(art, QEvent::MouseMove, {40, 20}, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    send(art, QEvent::MouseMove, {44, 30}, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    drag(art, stroke({{30, 40}, {30, 42}}));
    send(art, QEvent::MouseMove, {5, 44}, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    drag(art, click({0, 0}, Qt::RightButton));
    EXPECT_TRUE(changesOnlyIn(Outcome{before, art.Picture(), art}, nearPath({{10, 10}, {30, 10}, {30, 42}}), 40));

    // "polygon" with two points: the right click draws nothing and empties the list.
    art.SetShape("polygon");
    art.Canvas().Brush.Style = bsSolid;
    drag(art, stroke({{5, 40}, {40, 40}}));
    const Bitmap24 twoPoints = art.Picture();
    drag(art, click({1, 1}, Qt::RightButton));
    EXPECT_EQ(art.Picture(), twoPoints);
    EXPECT_EQ(DrawToolState().PolyCount, 0);

    // The list holds 101 points; more overwrite the last.
    art.SetShape("polyline");
    for (int i = 0; i < 120; ++i) drag(art, click({i % 40, (i * 7) % 40}));
    EXPECT_EQ(DrawToolState().PolyCount, 101);
    EXPECT_EQ(DrawToolState().PolyPoints[100], (Point{119 % 40, (119 * 7) % 40}));
}

TEST_F(DrawToolsTest, WithANotXorPenTheRubberBandIsTheResult)
{
    art.SetShape("rectangle");
    art.Canvas().Pen.Mode = pmNotXor;
    const Bitmap24 before = art.Picture();
    drag(art, stroke(kPath));
    // One outline, in NotXor: every changed pixel is the inverse of its pen-xor, i.e. drawn once.
    int changed = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (before.pixel(x, y) == art.Picture().pixel(x, y)) continue;
            ++changed;
            const Bgr b = before.pixel(x, y);
            EXPECT_EQ(art.Picture().pixel(x, y), (Bgr{std::uint8_t(~b.b), std::uint8_t(~b.g), std::uint8_t(~b.r)}));
        }
    EXPECT_EQ(changed, 2 * (B.x - A.x) + 2 * (B.y - A.y) - 4);
    EXPECT_EQ(art.Canvas().Pen.Mode, pmNotXor);
}

TEST_F(DrawToolsTest, CtrlShiftPressStartsAtTheRememberedPoint)
{
    art.SetShape("freehand");
    const Bitmap24 before = art.Picture();
    drag(art, click({5, 5}, Qt::RightButton));
    drag(art, Gesture{{30, 30}, {{40, 40}}, {40, 40}, Qt::ControlModifier | Qt::ShiftModifier});
    EXPECT_TRUE(changesOnlyIn(Outcome{before, art.Picture(), art}, nearPath({{5, 5}, {40, 40}}), 30));
}

TEST_F(DrawToolsTest, StraightLineSwitchesDirectionPastTheThreshold)
{
    art.SetShape("sline");
    art.SetPicture(Bitmap24(kSize, kSize, Bgr{255, 255, 255}));
    // Sideways first: horizontal; then 8 pixels down (more than 5): vertical from there.
    drag(art, stroke({{5, 10}, {15, 12}, {25, 14}, {25, 22}}));
    const Bitmap24& p = art.Picture();
    EXPECT_EQ(p.pixel(20, 10), (Bgr{0, 0, 0}));
    EXPECT_EQ(p.pixel(20, 14), (Bgr{255, 255, 255}));
    EXPECT_EQ(p.pixel(25, 18), (Bgr{0, 0, 0}));
    EXPECT_EQ(DrawToolState().LineLock, "v");
}

TEST_F(DrawToolsTest, StarJoinsEverySecondVertexAndPolygonCheckedDrawsAPentagon)
{
    auto draw = [&](bool polygon) {
        TvelDrawImage control;
        control.SetPicture(Bitmap24(kSize, kSize, Bgr{255, 255, 255}));
        control.resize(kSize, kSize);
        control.SetShape("star");
        control.Setpolygonchecked(polygon);
        control.Canvas().Brush.Style = bsSolid;
        control.Canvas().Brush.Color = effects::clBlack;
        drag(control, stroke({{24, 24}, {24, 4}}));
        return control.Picture();
    };
    // The star's filling is even-odd: its centre pentagon stays open; the pentagon is filled.
    EXPECT_EQ(draw(false).pixel(24, 24), (Bgr{255, 255, 255}));
    EXPECT_EQ(draw(true).pixel(24, 24), (Bgr{0, 0, 0}));
    EXPECT_EQ(draw(false).pixel(24, 8), (Bgr{0, 0, 0}));
}

TEST_F(DrawToolsTest, SpirographOnANonSquarePictureShowsItsMessageAndDrawsNothing)
{
    art.SetPicture(pattern(300, 200));
    art.resize(300, 200);
    art.SetShape("spiro");
    const Bitmap24 before = art.Picture();
    drag(art, stroke({{170, 100}, {170, 110}}));
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"image must be square for spirographs"});
    EXPECT_EQ(art.Picture(), before);
}

TEST_F(DrawToolsTest, ColourPickReportsThroughTheEvent)
{
    effects::ColorRef picked = -1;
    art.SetonColorPicked([&](QObject*, effects::ColorRef c) { picked = c; });
    art.SetShape("paintpick");
    // The picture is stretched over the control: a control twice its size halves the position.
    art.resize(2 * kSize, 2 * kSize);
    drag(art, click({15, 19}));
    art.resize(kSize, kSize);
    const Bgr p = art.Picture().pixel(7, 9);
    EXPECT_EQ(picked, effects::rgbColor(p.r, p.g, p.b));
    // With Alt: the mix of the pixels five to the left and right (moved inside at the edge).
    drag(art, Gesture{{2, 9}, {}, {2, 9}, Qt::AltModifier});
    const Bgr mix = effects::MixColors(art.Picture().pixel(0, 9), art.Picture().pixel(7, 9));
    EXPECT_EQ(picked, effects::rgbColor(mix.r, mix.g, mix.b));
}

TEST_F(DrawToolsTest, DistortionBrushIsTheLibraryRoutineOnTheSquare)
{
    // Press at (24, 24), move to (32, 30): angle atan2(8, 6), radius 10; twist amount
    // round(abs(theta x 25 / pi) + 1) = 8. The square 14..33 runs through TvelPaintFX::Twist,
    // then its disc goes onto the picture as it was at the press.
    art.SetShape("twistbrush");
    const Bitmap24 before = art.Picture();
    drag(art, dab({24, 24}, {32, 30}));
    const double theta = std::atan2(8.0, 6.0);
    const int amount = platform::roundHalfEven(std::abs(theta * 25 / std::numbers::pi) + 1);
    ASSERT_EQ(amount, 8);
    Bitmap24 square(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) square.setPixel(x, y, before.pixel(14 + x, 14 + y));
    Bitmap24 twisted = square;
    TvelPaintFX::Twist(square, twisted, amount);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int sx = x - 14, sy = y - 14;
            const bool inDisc = sx >= 0 && sy >= 0 && sx < 20 && sy < 20 && std::hypot(sx + 0.5 - 10, sy + 0.5 - 10) <= 10;
            EXPECT_EQ(art.Picture().pixel(x, y), inDisc ? twisted.pixel(sx, sy) : before.pixel(x, y)) << x << "," << y;
        }
}

TEST_F(DrawToolsTest, DistortionStrokeShowsOneDistortionThatFollowsTheMouse)
{
    // Each move starts again from the picture as it was at the press: no move compounds.
    auto run = [&](std::vector<Point> moves) {
        TvelDrawImage control;
        control.resize(kSize, kSize);
        control.SetPicture(pattern());
        control.SetShape("rotatebrush");
        drag(control, Gesture{{24, 24}, moves, moves.back()});
        return control.Picture();
    };
    EXPECT_EQ(run({{40, 10}, {5, 44}, {32, 30}}), run({{32, 30}}));
}

TEST_F(DrawToolsTest, AirBrushSpraysOncePerIntervalOfTheInjectedClock)
{
    std::int64_t now = 0;
    art.AirBrush.SetTickSource([&now] { return now; });
    art.AirBrush.SetSize(10);
    art.AirBrush.SetIntensity(100);
    art.AirBrush.SetColor(effects::clBlack);
    art.SetPicture(Bitmap24(kSize, kSize, Bgr{255, 255, 255}));
    art.SetShape("airbrush");
    auto sprayedAt = [&](int x) { return art.Picture().pixel(x, 24) == (Bgr{0, 0, 0}); };
    send(art, QEvent::MouseButtonPress, {5, 24}, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    now = 50;  // within the interval: nothing
    send(art, QEvent::MouseMove, {10, 24}, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    now = 101;
    send(art, QEvent::MouseMove, {20, 24}, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    now = 150;
    send(art, QEvent::MouseMove, {35, 24}, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    send(art, QEvent::MouseButtonRelease, {35, 24}, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    // One spray, at (20, 24): the stamp covers columns 15 .. 24.
    EXPECT_FALSE(sprayedAt(10));
    EXPECT_TRUE(sprayedAt(15));
    EXPECT_TRUE(sprayedAt(24));
    EXPECT_FALSE(sprayedAt(25));
    EXPECT_FALSE(sprayedAt(35));
}

TEST_F(DrawToolsTest, RangeIsCopiedWithTheRangeCopyMode)
{
    art.RangeRect = TvelDrawImage::TRangeRect{2, 3, 5, 6};
    art.RangeCopyMode = SRCINVERT;
    art.ClearRange(effects::clWhite);
    art.CopyRangeFromCanvas();
    ASSERT_EQ(art.RangeBitmap.width(), 4);
    const Bgr p = art.Picture().pixel(2, 3);
    EXPECT_EQ(art.RangeBitmap.pixel(0, 0), (Bgr{std::uint8_t(~p.b), std::uint8_t(~p.g), std::uint8_t(~p.r)}));
    art.RangeCopyMode = SRCCOPY;
    art.CopyRangeFromCanvas();
    EXPECT_EQ(art.RangeBitmap.pixel(3, 3), art.Picture().pixel(5, 6));
}

TEST_F(DrawToolsTest, RangeMoveLeavesNoTrailAndRangeSmearDoes)
{
    auto run = [&](const char* tool) {
        TvelDrawImage control;
        control.resize(kSize, kSize);
        control.SetPicture(pattern());
        control.RangeRect = TvelDrawImage::TRangeRect{0, 0, 3, 3};
        control.SetShape(tool);
        const Bitmap24 before = control.Picture();
        drag(control, stroke({{20, 20}, {26, 20}, {32, 20}}));
        return std::pair{before, control.Picture()};
    };
    auto [before, moved] = run("rangemove");
    EXPECT_EQ(moved.pixel(20, 20), before.pixel(20, 20));  // the first place is clean again
    EXPECT_NE(moved.pixel(32, 20), before.pixel(32, 20));
    auto [before2, smeared] = run("rangesmear");
    EXPECT_NE(smeared.pixel(26, 21), before2.pixel(26, 21));
}

TEST_F(DrawToolsTest, FloodFillIsIterativeOnALargeWindingArea)
{
    // A comb of one-pixel corridors: a recursive fill would nest once per pixel.
    const int w = 1200, h = 900;
    Bitmap24 p(w, h, Bgr{255, 255, 255});
    for (int x = 2; x < w; x += 2)
        for (int y = (x / 2) % 2 ? 0 : 1; y < h - ((x / 2) % 2 ? 1 : 0); ++y) p.setPixel(x, y, Bgr{0, 0, 0});
    art.SetPicture(p);
    art.resize(w, h);
    art.SetShape("floodfill");
    art.Canvas().Brush.Style = bsSolid;
    art.Canvas().Brush.Color = effects::rgbColor(255, 0, 0);
    drag(art, click({0, 0}));
    EXPECT_EQ(art.Picture().pixel(w - 1, h - 1), (Bgr{0, 0, 255}));
    EXPECT_EQ(art.Picture().pixel(2, 5), (Bgr{0, 0, 0}));
    // Alt: to the border of the pen colour (black).
    art.Canvas().Brush.Color = effects::rgbColor(0, 255, 0);
    drag(art, Gesture{{1, 1}, {}, {1, 1}, Qt::AltModifier});
    EXPECT_EQ(art.Picture().pixel(w - 1, h - 1), (Bgr{0, 255, 0}));
}

TEST_F(DrawToolsTest, ZoomBrushesMagnifyAndRestore)
{
    art.SetShape("zoombrush");
    const Bitmap24 before = art.Picture();
    send(art, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    send(art, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    // Half-size 50 (pen below 5) clipped to the picture: the whole picture, unchanged in size.
    EXPECT_EQ(DrawToolState().SmallRect.right, kSize);
    art.Canvas().Pen.Width = 5;
    send(art, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(DrawToolState().SmallRect.left, 15);
    EXPECT_EQ(art.Picture().pixel(0, 0), before.pixel(15, 15));
    EXPECT_NE(art.Picture(), before);
    send(art, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(art.Picture(), before);
}

TEST_F(DrawToolsTest, UnknownToolDoesNothing)
{
    art.SetShape("nosuchtool");
    const Bitmap24 before = art.Picture();
    drag(art, stroke(kPath));
    EXPECT_EQ(art.Picture(), before);
}

// A 1 x 1 drag over a large picture: the cells grow with the picture, so the work of one release
// is bounded. Counted as random numbers drawn (each stroke draws its points), not timed.
TEST_F(DrawToolsTest, TextureGeneratorsDoBoundedWorkOnLargePictures)
{
    const int w = 1200, h = 800; // 960,000 cells of one pixel
    const effects::TextureCells cells = effects::TextureCellSize(w, h, 1, 1);
    ASSERT_LE(cells.count, effects::kMaxTextureCells);
    ASSERT_GT(cells.width, 1);
    struct Case {
        const char* tool;
        int fewest, most; // random numbers a stroke draws
    };
    for (const Case& c : {Case{"texpoly", 1 + 3 * 2, 1 + 6 * 2}, Case{"texcurves", 8, 8}}) {
        SCOPED_TRACE(c.tool);
        TvelDrawImage control;
        control.resize(w, h);
        control.SetPicture(Bitmap24(w, h, Bgr{255, 255, 255}));
        control.Canvas().Pen.Color = effects::rgbColor(200, 0, 0);
        control.SetShape(c.tool);
        const std::uint32_t seed = effects::RandSeed();
        control.MouseDown(mbLeft, 0, 500, 400);
        control.MouseUp(mbLeft, 0, 501, 401);
        std::int64_t draws = 0;
        for (std::uint32_t s = seed; s != effects::RandSeed() && draws <= 100'000'000; s = effects::RandStep(s)) ++draws;
        EXPECT_GE(draws, cells.count * 10 * c.fewest);
        EXPECT_LE(draws, cells.count * 10 * c.most);
        // Every cell of the grown size took strokes: the last row and column too.
        const Bitmap24& after = control.Picture();
        auto cellChanged = [&](int left, int top) {
            for (int y = top; y < std::min(h, top + cells.height); ++y)
                for (int x = left; x < std::min(w, left + cells.width); ++x)
                    if (!(after.pixel(x, y) == Bgr{255, 255, 255})) return true;
            return false;
        };
        const int lastLeft = (w - 1) / cells.width * cells.width, lastTop = (h - 1) / cells.height * cells.height;
        EXPECT_TRUE(cellChanged(0, 0));
        EXPECT_TRUE(cellChanged(lastLeft, lastTop));
    }
}

TEST_F(DrawToolsTest, EveryToolWorksAtEveryCornerOfTinyPictures)
{
    // Run under the sanitizers: nothing reads or writes outside the bitmap.
    QStringList tools = art.ToolList;
    tools << "rotatetext" << "spray" << "waveline" << "fastwaveline" << "colorwaveline" << "borderwaveline" << "decoline";
    struct Size {
        int w, h;
    };
    for (Size size : {Size{3, 2}, Size{1, 1}}) {
        const std::vector<Point> corners{{0, 0}, {size.w - 1, 0}, {0, size.h - 1}, {size.w - 1, size.h - 1}, {-4, 9}};
        for (const QString& tool : tools) {
            SCOPED_TRACE(tool.toStdString());
            TvelDrawImage control;
            control.resize(size.w, size.h);
            control.SetPicture(pattern(size.w, size.h));
            control.Canvas().Brush.Style = bsSolid;
            control.RangeRect = TvelDrawImage::TRangeRect{0, 0, 1, 1};
            control.AirBrush.SetTickSource([n = std::int64_t(0)]() mutable { return n += 1000; });
            control.SetShape(tool);
            for (Point from : corners) {
                control.MouseDown(mbLeft, 0, from.x, from.y);
                for (Point to : corners) control.MouseMove(ssAlt, to.x, to.y);
                control.MouseMove(0, from.x + 1, from.y + 1);
                control.MouseUp(mbLeft, 0, corners[3].x, corners[3].y);
                control.MouseDown(mbRight, 0, from.x, from.y);
            }
            EXPECT_EQ(control.Picture().width(), size.w);
            EXPECT_EQ(control.Picture().height(), size.h);
        }
    }
    // The spirograph refuses these pictures with its messages rather than drawing.
    EXPECT_FALSE(dialogs.messages.isEmpty());
}
