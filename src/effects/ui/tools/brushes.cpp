// The brushes: the colour brushes, the distortion, light and magnifying brushes about a centre,
// the zoom brushes, "gradientbrush", "mixbrush" and "airbrush". The pixel work is in
// effects/brushes.h; these classes run it from the mouse.
#include "tool.h"

#include "effects/arith.h"
#include "effects/brushes.h"
#include "effects/paintfx.h"
#include "effects/ui/veldrawimage.h"
#include "platform/rounding.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace effectsui {

namespace {

using effects::Bgr;
using effects::TvelPaintFX;
using effects::detail::kPi;
using platform::roundHalfEven;

// The two pixels at distance d on either side of (x, y): left and right, or above and below.
std::pair<Bgr, Bgr> sidePixels(const Bitmap24& b, int x, int y, int d, bool vertical)
{
    if (vertical) return {PixelNear(b, x, y - d), PixelNear(b, x, y + d)};
    return {PixelNear(b, x - d, y), PixelNear(b, x + d, y)};
}

// A dab of radius 5 (or the pen width above 4) through the colour brush's rule. The modes from
// cbDarker on work on the range, a copy of the picture taken at the press, so that a dab is
// not applied twice where moves overlap.
class ColourBrush : public DrawTool {
public:
    explicit ColourBrush(int mode) : mode_(mode) {}
    void Down(TvelDrawImage& art, const Press&) override
    {
        if (onRange()) art.CopyPictureToRange();
    }
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        TCanvas& c = art.Canvas();
        if (c.bitmap().empty()) return;
        const int r = c.Pen.Width <= 4 ? 5 : c.Pen.Width;
        if (onRange()) {
            effects::ColorBrushDab(art.RangeBitmap, at.x, at.y, r, mode_);
            art.SetPicture(art.RangeBitmap);
        } else {
            effects::ColorBrushDab(c.bitmap(), at.x, at.y, r, mode_);
        }
    }

private:
    bool onRange() const { return mode_ >= effects::cbDarker; }
    int mode_;
};

// A dab's operation: the source square into the target square (a copy of the source), with the
// drag angle theta (radians) and the square's radius.
using DabOp = std::function<void(const Bitmap24& source, Bitmap24& target, double theta, int r)>;

int degrees(double theta) { return roundHalfEven(theta * 180 / kPi); }

// The band half-width of the magnifiers: round(max(abs(theta in degrees), 1) x r / 180), at
// least 5 and at most r.
int magnifierBand(double theta, int r)
{
    const int n = roundHalfEven(std::max(std::abs(theta * 180 / kPi), 1.0) * r / 180);
    return std::min(r, std::max(5, n));
}

DabOp magnifier(bool across)
{
    // across: a vertical band, stretched sideways.
    return [across](const Bitmap24& source, Bitmap24& target, double theta, int r) {
        const int n = magnifierBand(theta, r);
        const Bitmap24 band = across ? effects::CopyPart(source, r - n, 0, 2 * n, 2 * r) : effects::CopyPart(source, 0, r - n, 2 * r, 2 * n);
        if (band.empty()) return;
        TvelDrawImage::StretchMitchell(band, target);
    };
}

DabOp squeeze(int mode)
{
    return [mode](const Bitmap24& s, Bitmap24& t, double theta, int) { TvelPaintFX::Squeeze(s, t, degrees(theta), mode); };
}

DabOp split(int mode)
{
    return [mode](const Bitmap24& s, Bitmap24& t, double theta, int) { TvelPaintFX::SplitRound(s, t, degrees(theta), mode); };
}

DabOp light(void (*routine)(Bitmap24&, int))
{
    return [routine](const Bitmap24&, Bitmap24& t, double theta, int) { routine(t, roundHalfEven(theta * 100 / kPi)); };
}

// The distortion, light and magnifying brushes: the press fixes the centre (moved with Alt held);
// each move puts the picture of the press back and distorts the square about the centre by the
// angle and distance of the mouse.
class CentreBrush : public DrawTool {
public:
    // followsMouse: the square lies about the mouse with the pen's radius ("fisheyebrush").
    CentreBrush(DabOp op, bool disc, bool followsMouse = false) : op_(std::move(op)), disc_(disc), followsMouse_(followsMouse) {}
    void Down(TvelDrawImage& art, const Press& press) override
    {
        art.CopyPictureToRange();
        DrawToolState().BrushCentre = press.at;
    }
    void Move(TvelDrawImage& art, Point at, TShiftState shift) override
    {
        TDrawToolState& s = DrawToolState();
        TCanvas& c = art.Canvas();
        if (c.bitmap().empty()) return;
        if (shift & ssAlt) {
            s.BrushCentre.x += at.x - s.LastPoint.x;
            s.BrushCentre.y += at.y - s.LastPoint.y;
        }
        int cx = s.BrushCentre.x, cy = s.BrushCentre.y;
        double dx = double(at.x) - cx;
        if (dx == 0) dx = 0.01;
        const double dy = double(at.y) - cy;
        const double theta = std::atan2(dx, dy);
        int radius = std::max(10, roundHalfEven(std::hypot(dx, dy)));
        if (followsMouse_) {
            cx = at.x;
            cy = at.y;
            radius = c.Pen.Width <= 4 ? 50 : c.Pen.Width;
        }
        dab(art, cx, cy, radius, theta);
    }

private:
    // The whole range goes back to the picture (undoing the previous dab), then the changed square.
    void dab(TvelDrawImage& art, int cx, int cy, int radius, double theta) const
    {
        Bitmap24& picture = art.Canvas().bitmap();
        const Bitmap24& range = art.RangeBitmap;
        const effects::BrushSquare sq = effects::FitBrushSquare(range.width(), range.height(), cx, cy, radius);
        picture = range;
        if (sq.r == 0) return;
        const Bitmap24 source = effects::CopyPart(range, sq.left, sq.top, 2 * sq.r, 2 * sq.r);
        Bitmap24 target = source;
        op_(source, target, theta, sq.r);
        effects::DrawDab(target, picture, sq.left, sq.top, disc_);
    }

    DabOp op_;
    bool disc_;
    bool followsMouse_;
};

// The view magnified about the mouse over the whole picture while the button is held; at the
// release "zoombrush" puts the picture back, "zoomkeepbrush" keeps it and hands over to
// "freehand" with a pen 2 wide.
class ZoomBrush : public DrawTool {
public:
    explicit ZoomBrush(bool keep) : keep_(keep) {}
    void Down(TvelDrawImage& art, const Press&) override { art.ZoomBitmap = art.Picture(); }
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        TCanvas& c = art.Canvas();
        Bitmap24& picture = c.bitmap();
        const Bitmap24& zoom = art.ZoomBitmap;
        if (picture.empty() || zoom.empty()) return;
        const int a = c.Pen.Width < 5 ? 50 : c.Pen.Width;
        const effects::Rect r{std::max(0, at.x - a), std::max(0, at.y - a), std::min(zoom.width(), at.x + a), std::min(zoom.height(), at.y + a)};
        if (r.left >= r.right || r.top >= r.bottom) return;
        DrawToolState().SmallRect = r;
        effects::StretchDraw(zoom, r, picture, effects::Rect{0, 0, picture.width(), picture.height()});
    }
    void Up(TvelDrawImage& art, const Release&) override
    {
        if (art.Picture().empty()) return;
        if (!keep_) {
            art.SetPicture(art.ZoomBitmap);
            return;
        }
        art.SetShape(QStringLiteral("freehand"));
        art.Canvas().Pen.Width = 2;
    }

private:
    bool keep_;
};

// Three lines of the gradient between the pixels a pen width to either side (above and below
// with Alt held).
class GradientBrush : public DrawTool {
public:
    void Move(TvelDrawImage& art, Point at, TShiftState shift) override
    {
        TCanvas& c = art.Canvas();
        Bitmap24& picture = c.bitmap();
        if (picture.empty()) return;
        const int d = c.Pen.Width;
        const bool vertical = shift & ssAlt;
        const auto [first, second] = sidePixels(picture, at.x, at.y, d, vertical);
        for (int k = -1; k <= 1; ++k) {
            if (vertical) effects::GradientColumn(picture, at.x + k, at.y - d, at.y + d, first, second, false);
            else effects::GradientLine(picture, at.y + k, at.x - d, at.x + d, first, second, false);
        }
    }
};

// The pen takes the mix of the pixels a pen width to either side of the press (above and below
// with Alt held) and draws a line.
class MixBrush : public DrawTool {
public:
    void Down(TvelDrawImage& art, const Press& press) override
    {
        if (art.Picture().empty()) return;
        TCanvas& c = art.Canvas();
        const auto [a, b] = sidePixels(art.Picture(), press.at.x, press.at.y, c.Pen.Width, press.shift & ssAlt);
        c.Pen.Color = effects::toColorRef(effects::MixColors(a, b));
    }
    void Move(TvelDrawImage& art, Point at, TShiftState) override { art.Canvas().LineTo(at.x, at.y); }
};

// The air brush sprays at the mouse whenever its interval has passed.
class AirBrushTool : public DrawTool {
public:
    void Move(TvelDrawImage& art, Point at, TShiftState) override
    {
        Bitmap24& picture = art.Canvas().bitmap();
        if (picture.empty()) return;
        if (art.AirBrush.TimeToDraw()) art.AirBrush.DrawAirBrush(picture, at.x, at.y);
    }
};

ToolEntries colourBrushes()
{
    const std::pair<const char*, int> modes[] = {
        {"bluebrush", effects::cbBlue},         {"greenbrush", effects::cbGreen},       {"redbrush", effects::cbRed},
        {"notbluebrush", effects::cbNotBlue},   {"notgreenbrush", effects::cbNotGreen}, {"notredbrush", effects::cbNotRed},
        {"halfbluebrush", effects::cbHalfBlue}, {"halfgreenbrush", effects::cbHalfGreen}, {"halfredbrush", effects::cbHalfRed},
        {"darkerbrush", effects::cbDarker},     {"lighterbrush", effects::cbLighter},   {"graybrush", effects::cbGray},
        {"rollmixbrush", effects::cbRollMix},   {"smoothbrush", effects::cbSmooth},
    };
    ToolEntries entries;
    for (const auto& [name, mode] : modes) entries.push_back({name, true, maker<ColourBrush>(mode)});
    return entries;
}

ToolEntries centreBrushes()
{
    const std::pair<const char*, DabOp> ops[] = {
        {"fisheyefixbrush", [](const Bitmap24& s, Bitmap24& t, double theta, int) {
             TvelPaintFX::FishEye(s, t, std::clamp(theta / kPi * 0.5 + 0.5, 0.55, 0.99));
         }},
        {"rotatebrush", [](const Bitmap24& s, Bitmap24& t, double theta, int r) { TvelPaintFX::Rotate(s, t, r, r, theta * 180 / kPi); }},
        {"twistbrush", [](const Bitmap24& s, Bitmap24& t, double theta, int) {
             TvelPaintFX::Twist(s, t, roundHalfEven(std::abs(theta * 25 / kPi) + 1));
         }},
        {"rimplebrush", [](const Bitmap24& s, Bitmap24& t, double theta, int) { effects::RippleSquare(s, t, theta * 10 / kPi + 1); }},
        {"mbHor", squeeze(7)},        {"mbTop", squeeze(8)},   {"mbBottom", squeeze(9)}, {"mbDiamond", squeeze(10)},
        {"mbWaste", squeeze(11)},     {"mbRound", squeeze(12)}, {"mbRound2", squeeze(13)},
        {"mbSplitRound", split(14)},  {"mbSplitWaste", split(15)},
        {"brightnessbrush", light(&TvelPaintFX::Lightness)},
        {"contrastbrush", light(&TvelPaintFX::Contrast)},
        {"saturationbrush", light(&TvelPaintFX::Saturation)},
        {"mbVerOval", magnifier(false)}, {"mbHorOval", magnifier(true)},
    };
    ToolEntries entries;
    for (const auto& [name, op] : ops) entries.push_back({name, true, maker<CentreBrush>(op, true)});
    // The box magnifiers change the whole square, not its disc.
    entries.push_back({"mbVerBox", true, maker<CentreBrush>(magnifier(false), false)});
    entries.push_back({"mbHorBox", true, maker<CentreBrush>(magnifier(true), false)});
    const DabOp fisheye = [](const Bitmap24& s, Bitmap24& t, double, int) { TvelPaintFX::FishEye(s, t, 0.9); };
    entries.push_back({"fisheyebrush", true, maker<CentreBrush>(fisheye, true, true)});
    return entries;
}

} // namespace

ToolEntries BrushTools()
{
    ToolEntries entries = colourBrushes();
    for (ToolEntry& e : centreBrushes()) entries.push_back(std::move(e));
    entries.push_back({"zoombrush", true, maker<ZoomBrush>(false)});
    entries.push_back({"zoomkeepbrush", true, maker<ZoomBrush>(true)});
    entries.push_back({"gradientbrush", true, maker<GradientBrush>()});
    entries.push_back({"mixbrush", true, maker<MixBrush>()});
    entries.push_back({"airbrush", true, maker<AirBrushTool>()});
    return entries;
}

} // namespace effectsui
