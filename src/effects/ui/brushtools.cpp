// The brush tools and picture generators of the drawing control: colour, distortion, light and
// magnifying brushes, zoom, gradient, mix and air brushes, and the sphere, texture and
// interpolation generators. The pixel work is in effects/brushes.h; this file runs it from the
// mouse handlers.
#include "drawtools.h"

#include "veldrawimage.h"

#include "effects/arith.h"
#include "effects/brushes.h"
#include "effects/paintfx.h"
#include "effects/random.h"
#include "platform/rounding.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

using namespace effectsui;
using effects::Bgr;
using effects::Bitmap24;
using effects::TvelPaintFX;
using effects::detail::kPi;
using platform::roundHalfEven;

namespace {

const std::map<QString, int>& colourBrushes()
{
    static const std::map<QString, int> modes{
        {"bluebrush", effects::cbBlue},         {"greenbrush", effects::cbGreen},
        {"redbrush", effects::cbRed},           {"notbluebrush", effects::cbNotBlue},
        {"notgreenbrush", effects::cbNotGreen}, {"notredbrush", effects::cbNotRed},
        {"halfbluebrush", effects::cbHalfBlue}, {"halfgreenbrush", effects::cbHalfGreen},
        {"halfredbrush", effects::cbHalfRed},   {"darkerbrush", effects::cbDarker},
        {"lighterbrush", effects::cbLighter},   {"graybrush", effects::cbGray},
        {"rollmixbrush", effects::cbRollMix},   {"smoothbrush", effects::cbSmooth},
    };
    return modes;
}

// A dab's operation: the source square into the target square (a copy of the source), with the
// drag angle theta (radians) and the square's radius.
using DabOp = std::function<void(const Bitmap24& source, Bitmap24& target, double theta, int r)>;

struct CentreBrush {
    DabOp op;
    bool disc = true;
};

int degrees(double theta) { return roundHalfEven(theta * 180 / kPi); }

// The band half-width of the magnifiers: round(max(abs(theta in degrees), 1) x r / 180), at
// least 5 and at most r.
int magnifierBand(double theta, int r)
{
    const int n = roundHalfEven(std::max(std::abs(theta * 180 / kPi), 1.0) * r / 180);
    return std::min(r, std::max(5, n));
}

DabOp magnifier(int mode)
{
    return [mode](const Bitmap24& source, Bitmap24& target, double theta, int r) {
        const int n = magnifierBand(theta, r);
        const bool across = mode == 1 || mode == 3;  // a vertical band, stretched sideways
        const Bitmap24 band = across ? effects::CopyPart(source, r - n, 0, 2 * n, 2 * r)
                                     : effects::CopyPart(source, 0, r - n, 2 * r, 2 * n);
        if (band.empty()) return;
        TvelDrawImage::StretchMitchell(band, target);
    };
}

const std::map<QString, CentreBrush>& centreBrushes()
{
    auto squeeze = [](int mode) {
        return CentreBrush{[mode](const Bitmap24& s, Bitmap24& t, double theta, int) {
            TvelPaintFX::Squeeze(s, t, degrees(theta), mode);
        }};
    };
    auto split = [](int mode) {
        return CentreBrush{[mode](const Bitmap24& s, Bitmap24& t, double theta, int) {
            TvelPaintFX::SplitRound(s, t, degrees(theta), mode);
        }};
    };
    auto light = [](void (*routine)(Bitmap24&, int)) {
        return CentreBrush{[routine](const Bitmap24&, Bitmap24& t, double theta, int) {
            routine(t, roundHalfEven(theta * 100 / kPi));
        }};
    };
    static const std::map<QString, CentreBrush> brushes{
        {"fisheyebrush", {[](const Bitmap24& s, Bitmap24& t, double, int) { TvelPaintFX::FishEye(s, t, 0.9); }}},
        {"fisheyefixbrush", {[](const Bitmap24& s, Bitmap24& t, double theta, int) {
             TvelPaintFX::FishEye(s, t, std::clamp(theta / kPi * 0.5 + 0.5, 0.55, 0.99));
         }}},
        {"rotatebrush", {[](const Bitmap24& s, Bitmap24& t, double theta, int r) {
             TvelPaintFX::Rotate(s, t, r, r, theta * 180 / kPi);
         }}},
        {"twistbrush", {[](const Bitmap24& s, Bitmap24& t, double theta, int) {
             TvelPaintFX::Twist(s, t, roundHalfEven(std::abs(theta * 25 / kPi) + 1));
         }}},
        {"rimplebrush", {[](const Bitmap24& s, Bitmap24& t, double theta, int) {
             effects::RippleSquare(s, t, theta * 10 / kPi + 1);
         }}},
        {"mbHor", squeeze(7)}, {"mbTop", squeeze(8)}, {"mbBottom", squeeze(9)}, {"mbDiamond", squeeze(10)},
        {"mbWaste", squeeze(11)}, {"mbRound", squeeze(12)}, {"mbRound2", squeeze(13)},
        {"mbSplitRound", split(14)}, {"mbSplitWaste", split(15)},
        {"brightnessbrush", light(&TvelPaintFX::Lightness)},
        {"contrastbrush", light(&TvelPaintFX::Contrast)},
        {"saturationbrush", light(&TvelPaintFX::Saturation)},
        {"mbVerBox", {magnifier(0), false}}, {"mbHorBox", {magnifier(1), false}},
        {"mbVerOval", {magnifier(2), true}}, {"mbHorOval", {magnifier(3), true}},
    };
    return brushes;
}

const std::map<QString, effects::SphereKind>& sphereTools()
{
    static const std::map<QString, effects::SphereKind> kinds{
        {"risingwavesphere", effects::SphereKind::RisingWave}, {"wavesphere", effects::SphereKind::Wave},
        {"dropletsphere", effects::SphereKind::Droplet},       {"multisphere", effects::SphereKind::Multi},
        {"intersphere", effects::SphereKind::Inter},
    };
    return kinds;
}

// The stroke kind and the filter afterwards of each texture generator.
enum class Stroke { Lines, Rects, Ovals, Poly, Curves };
enum class After { None, Ring, BlurRing };
struct Texture {
    Stroke stroke;
    After after;
};

const std::map<QString, Texture>& textureTools()
{
    static const std::map<QString, Texture> tools{
        {"texlines", {Stroke::Lines, After::None}},   {"texrects", {Stroke::Rects, After::None}},
        {"texovals", {Stroke::Ovals, After::None}},   {"texpoly", {Stroke::Poly, After::None}},
        {"texcurves", {Stroke::Curves, After::None}}, {"blurlines", {Stroke::Lines, After::Ring}},
        {"blurrects", {Stroke::Rects, After::BlurRing}}, {"blurovals", {Stroke::Ovals, After::BlurRing}},
        {"blurpoly", {Stroke::Poly, After::Ring}},    {"blurcurves", {Stroke::Curves, After::Ring}},
    };
    return tools;
}

bool oneOf(const QString& shape, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (shape == QLatin1String(n)) return true;
    return false;
}

// The pixel at (x, y), moved into the picture when it lies outside.
Bgr pixelNear(const Bitmap24& b, int x, int y)
{
    return b.pixel(std::clamp(x, 0, b.width() - 1), std::clamp(y, 0, b.height() - 1));
}

// The two pixels at distance d on either side of (x, y): left and right, or above and below.
std::pair<Bgr, Bgr> sidePixels(const Bitmap24& b, int x, int y, int d, bool vertical)
{
    if (vertical) return {pixelNear(b, x, y - d), pixelNear(b, x, y + d)};
    return {pixelNear(b, x - d, y), pixelNear(b, x + d, y)};
}

// One dab of a centre-based brush on the range bitmap: the whole range goes back to the picture
// (undoing the previous dab), then the changed square.
void centreDab(TvelDrawImage& art, Bitmap24& picture, const CentreBrush& brush, int cx, int cy, int radius, double theta)
{
    const Bitmap24& range = art.RangeBitmap;
    const effects::BrushSquare sq = effects::FitBrushSquare(range.width(), range.height(), cx, cy, radius);
    picture = range;
    if (sq.r == 0) return;
    const Bitmap24 source = effects::CopyPart(range, sq.left, sq.top, 2 * sq.r, 2 * sq.r);
    Bitmap24 target = source;
    brush.op(source, target, theta, sq.r);
    effects::DrawDab(target, picture, sq.left, sq.top, brush.disc);
}

void texture(TvelDrawImage& art, const Texture& kind, effects::Point a, effects::Point b)
{
    TCanvas& c = art.Canvas();
    const Bitmap24& picture = art.Picture();
    const int w = picture.width(), h = picture.height();
    const effects::TextureCells cells = effects::TextureCellSize(w, h, std::abs(b.x - a.x), std::abs(b.y - a.y));
    const int cw = cells.width, ch = cells.height;
    const TPen pen0 = c.Pen;
    const ColorRef lighter = effects::TextureLighter(effects::ColorToRGB(pen0.Color));
    const ColorRef darker = effects::TextureDarker(effects::ColorToRGB(pen0.Color));
    {
        TCanvas::Batch batch(c);
        for (int top = 0; top < h; top += ch)
            for (int left = 0; left < w; left += cw) {
                auto point = [&] {
                    const int px = left + int(effects::Random(std::uint32_t(cw)));
                    return effects::Point{px, top + int(effects::Random(std::uint32_t(ch)))};
                };
                for (int i = 0; i < 10; ++i) {
                    if (kind.stroke == Stroke::Poly || kind.stroke == Stroke::Curves) {
                        std::vector<effects::Point> points;
                        const int count = kind.stroke == Stroke::Poly ? 3 + int(effects::Random(4)) : 4;
                        for (int k = 0; k < count; ++k) points.push_back(point());
                        if (kind.stroke == Stroke::Poly) c.Polygon(points);
                        else c.PolyBezier(points);
                        continue;
                    }
                    const effects::Point p = point(), q = point();
                    auto stroke = [&](int d, ColorRef colour) {
                        c.Pen.Color = colour;
                        const int x1 = p.x + d, y1 = p.y + d, x2 = q.x + d, y2 = q.y + d;
                        if (kind.stroke == Stroke::Lines) {
                            c.MoveTo(x1, y1);
                            c.LineTo(x2, y2);
                        } else if (kind.stroke == Stroke::Rects) {
                            c.Rectangle(x1, y1, x2, y2);
                        } else {
                            c.Ellipse(x1, y1, x2, y2);
                        }
                    };
                    stroke(-1, lighter);
                    stroke(1, darker);
                    stroke(0, pen0.Color);
                }
            }
    }
    c.Pen = pen0;
    if (kind.after == After::None) return;
    art.CopyPictureToRange();
    if (kind.after == After::BlurRing) TvelPaintFX::GaussianBlur(art.RangeBitmap, 0);
    effects::RingKernel(art.RangeBitmap);
    art.SetPicture(art.RangeBitmap);
}

} // namespace

namespace effectsui {

bool IsBrushTool(const QString& shape)
{
    return colourBrushes().count(shape) || centreBrushes().count(shape) || sphereTools().count(shape) ||
           textureTools().count(shape) ||
           oneOf(shape, {"zoombrush", "zoomkeepbrush", "gradientbrush", "mixbrush", "airbrush", "interprect", "intercolumn"});
}

bool BrushToolDown(TvelDrawImage& art, const QString& shape, TShiftState shift, int x, int y)
{
    TDrawToolState& s = DrawToolState();
    TCanvas& c = art.Canvas();
    if (auto it = colourBrushes().find(shape); it != colourBrushes().end()) {
        if (it->second >= effects::cbDarker) art.CopyPictureToRange();
        return true;
    }
    if (centreBrushes().count(shape)) {
        art.CopyPictureToRange();
        s.BrushCentre = {x, y};
        return true;
    }
    if (oneOf(shape, {"zoombrush", "zoomkeepbrush"})) {
        art.ZoomBitmap = art.Picture();
        return true;
    }
    if (shape == QLatin1String("mixbrush")) {
        if (art.Picture().empty()) return true;
        const auto [a, b] = sidePixels(art.Picture(), x, y, c.Pen.Width, shift & ssAlt);
        c.Pen.Color = effects::toColorRef(effects::MixColors(a, b));
        return true;
    }
    return IsBrushTool(shape);
}

bool BrushToolMove(TvelDrawImage& art, const QString& shape, TShiftState shift, int x, int y)
{
    TDrawToolState& s = DrawToolState();
    TCanvas& c = art.Canvas();
    Bitmap24& picture = c.bitmap();
    if (picture.empty()) return IsBrushTool(shape);
    if (auto it = colourBrushes().find(shape); it != colourBrushes().end()) {
        const int r = c.Pen.Width <= 4 ? 5 : c.Pen.Width;
        if (it->second >= effects::cbDarker) {
            effects::ColorBrushDab(art.RangeBitmap, x, y, r, it->second);
            art.SetPicture(art.RangeBitmap);
        } else {
            effects::ColorBrushDab(picture, x, y, r, it->second);
        }
        return true;
    }
    if (auto it = centreBrushes().find(shape); it != centreBrushes().end()) {
        if (shift & ssAlt) {
            s.BrushCentre.x += x - s.LastPoint.x;
            s.BrushCentre.y += y - s.LastPoint.y;
        }
        int cx = s.BrushCentre.x, cy = s.BrushCentre.y;
        double dx = double(x) - cx;
        if (dx == 0) dx = 0.01;
        const double dy = double(y) - cy;
        const double theta = std::atan2(dx, dy);
        int radius = std::max(10, roundHalfEven(std::hypot(dx, dy)));
        if (shape == QLatin1String("fisheyebrush")) {
            cx = x;
            cy = y;
            radius = c.Pen.Width <= 4 ? 50 : c.Pen.Width;
        }
        centreDab(art, picture, it->second, cx, cy, radius, theta);
        return true;
    }
    if (oneOf(shape, {"zoombrush", "zoomkeepbrush"})) {
        const Bitmap24& zoom = art.ZoomBitmap;
        if (zoom.empty()) return true;
        const int a = c.Pen.Width < 5 ? 50 : c.Pen.Width;
        effects::Rect r{std::max(0, x - a), std::max(0, y - a), std::min(zoom.width(), x + a), std::min(zoom.height(), y + a)};
        if (r.left >= r.right || r.top >= r.bottom) return true;
        s.SmallRect = r;
        effects::StretchDraw(zoom, r, picture, effects::Rect{0, 0, picture.width(), picture.height()});
        return true;
    }
    if (shape == QLatin1String("gradientbrush")) {
        const int d = c.Pen.Width;
        const bool vertical = shift & ssAlt;
        const auto [first, second] = sidePixels(picture, x, y, d, vertical);
        for (int k = -1; k <= 1; ++k) {
            if (vertical) effects::GradientColumn(picture, x + k, y - d, y + d, first, second, false);
            else effects::GradientLine(picture, y + k, x - d, x + d, first, second, false);
        }
        return true;
    }
    if (shape == QLatin1String("airbrush")) {
        if (art.AirBrush.TimeToDraw()) art.AirBrush.DrawAirBrush(picture, x, y);
        return true;
    }
    return IsBrushTool(shape);
}

bool BrushToolUp(TvelDrawImage& art, const QString& shape, TShiftState shift, int x, int y)
{
    TDrawToolState& s = DrawToolState();
    TCanvas& c = art.Canvas();
    const effects::Point start = s.StartPoint;
    if (art.Picture().empty()) return IsBrushTool(shape);
    if (shape == QLatin1String("zoombrush")) {
        art.SetPicture(art.ZoomBitmap);
        return true;
    }
    if (shape == QLatin1String("zoomkeepbrush")) {
        art.SetShape(QStringLiteral("freehand"));
        c.Pen.Width = 2;
        return true;
    }
    if (auto it = sphereTools().find(shape); it != sphereTools().end()) {
        if (it->second == effects::SphereKind::Inter && (x == start.x || y == start.y)) return true;
        Bgr c1 = effects::bgrOf(effects::ColorToRGB(s.SavedPenColor));
        Bgr c2 = effects::bgrOf(effects::ColorToRGB(s.SavedBrushColor));
        if (shift & ssAlt) {
            c1 = pixelNear(art.Picture(), start.x, start.y);
            c2 = pixelNear(art.Picture(), x, y);
        }
        art.CopyPictureToRange();
        effects::DrawSpheres(art.RangeBitmap, it->second, start.x, start.y, x, y, c1, c2);
        art.SetPicture(art.RangeBitmap);
        return true;
    }
    if (auto it = textureTools().find(shape); it != textureTools().end()) {
        texture(art, it->second, start, {x, y});
        return true;
    }
    if (oneOf(shape, {"interprect", "intercolumn"})) {
        art.CopyPictureToRange();
        if (shape == QLatin1String("interprect")) {
            if (!effects::InterpolateRect(art.RangeBitmap, start.x, start.y, x, y)) return true;
        } else {
            effects::InterpolateColumns(art.RangeBitmap, start.x, start.y, x, y);
        }
        art.SetPicture(art.RangeBitmap);
        return true;
    }
    return IsBrushTool(shape);
}

} // namespace effectsui
