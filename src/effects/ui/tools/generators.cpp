// The picture generators, which make a picture at the release: the shaded spheres, the
// texture strokes over the whole picture (with a blur afterwards for the "blur" kinds) and the
// interpolation fills "interprect" and "intercolumn".
#include "tool.h"

#include "effects/brushes.h"
#include "effects/paintfx.h"
#include "effects/random.h"
#include "effects/ui/veldrawimage.h"

#include <algorithm>
#include <cmath>

namespace effectsui {

namespace {

using effects::Bgr;

// Spheres in the dragged ellipse's rectangle, shaded from the saved pen colour to the saved
// brush colour (with Alt held: from the pixels at the start and release points).
class Spheres : public DrawTool {
public:
    explicit Spheres(effects::SphereKind kind) : kind_(kind) {}
    Band RubberBand() const override { return Band::Ellipse; }
    void Up(TvelDrawImage& art, const Release& release) override
    {
        const TDrawToolState& s = DrawToolState();
        const Bitmap24& picture = art.Picture();
        const Point start = s.StartPoint, at = release.at;
        if (picture.empty()) return;
        if (kind_ == effects::SphereKind::Inter && (at.x == start.x || at.y == start.y)) return;
        Bgr c1 = effects::bgrOf(effects::ColorToRGB(s.SavedPenColor));
        Bgr c2 = effects::bgrOf(effects::ColorToRGB(s.SavedBrushColor));
        if (release.shift & ssAlt) {
            c1 = PixelNear(picture, start.x, start.y);
            c2 = PixelNear(picture, at.x, at.y);
        }
        art.CopyPictureToRange();
        effects::DrawSpheres(art.RangeBitmap, kind_, start.x, start.y, at.x, at.y, c1, c2);
        art.SetPicture(art.RangeBitmap);
    }

private:
    effects::SphereKind kind_;
};

// The stroke kind and the filter afterwards of each texture generator.
enum class Stroke { Lines, Rects, Ovals, Poly, Curves };
enum class After { None, Ring, BlurRing };

// Ten random strokes per cell over the whole picture, the cells as large as the drag, each
// stroke shaded by a lighter and a darker copy of itself.
class Texture : public DrawTool {
public:
    Texture(Stroke stroke, After after) : stroke_(stroke), after_(after) {}
    void Up(TvelDrawImage& art, const Release& release) override
    {
        if (art.Picture().empty()) return;
        const Point a = DrawToolState().StartPoint, b = release.at;
        TCanvas& c = art.Canvas();
        const int w = art.Picture().width(), h = art.Picture().height();
        const effects::TextureCells cells = effects::TextureCellSize(w, h, std::abs(b.x - a.x), std::abs(b.y - a.y));
        const TPen pen0 = c.Pen;
        const Shades shades{pen0.Color, effects::TextureLighter(effects::ColorToRGB(pen0.Color)),
                            effects::TextureDarker(effects::ColorToRGB(pen0.Color))};
        {
            TCanvas::Batch batch(c);
            for (int top = 0; top < h; top += cells.height)
                for (int left = 0; left < w; left += cells.width) cell(c, left, top, cells, shades);
        }
        c.Pen = pen0;
        if (after_ == After::None) return;
        art.CopyPictureToRange();
        if (after_ == After::BlurRing) effects::TvelPaintFX::GaussianBlur(art.RangeBitmap, 0);
        effects::RingKernel(art.RangeBitmap);
        art.SetPicture(art.RangeBitmap);
    }

private:
    struct Shades {
        ColorRef colour, lighter, darker;
    };
    void cell(TCanvas& c, int left, int top, const effects::TextureCells& cells, const Shades& shades) const
    {
        auto point = [&] {
            const int px = left + int(effects::Random(std::uint32_t(cells.width)));
            return Point{px, top + int(effects::Random(std::uint32_t(cells.height)))};
        };
        for (int i = 0; i < 10; ++i) {
            if (stroke_ == Stroke::Poly || stroke_ == Stroke::Curves) {
                std::vector<Point> points;
                const int count = stroke_ == Stroke::Poly ? 3 + int(effects::Random(4)) : 4;
                for (int k = 0; k < count; ++k) points.push_back(point());
                if (stroke_ == Stroke::Poly) c.Polygon(points);
                else c.PolyBezier(points);
                continue;
            }
            const Point p = point(), q = point();
            shaded(c, p, q, -1, shades.lighter);
            shaded(c, p, q, 1, shades.darker);
            shaded(c, p, q, 0, shades.colour);
        }
    }
    void shaded(TCanvas& c, Point p, Point q, int d, ColorRef colour) const
    {
        c.Pen.Color = colour;
        const int x1 = p.x + d, y1 = p.y + d, x2 = q.x + d, y2 = q.y + d;
        if (stroke_ == Stroke::Lines) {
            c.MoveTo(x1, y1);
            c.LineTo(x2, y2);
        } else if (stroke_ == Stroke::Rects) {
            c.Rectangle(x1, y1, x2, y2);
        } else {
            c.Ellipse(x1, y1, x2, y2);
        }
    }

    Stroke stroke_;
    After after_;
};

// The dragged rectangle filled bilinearly from its corners ("interprect"), or its columns from
// their ends ("intercolumn").
class Interpolation : public DrawTool {
public:
    explicit Interpolation(bool columns) : columns_(columns) {}
    Band RubberBand() const override { return Band::Rect; }
    void Up(TvelDrawImage& art, const Release& release) override
    {
        if (art.Picture().empty()) return;
        const Point start = DrawToolState().StartPoint, at = release.at;
        art.CopyPictureToRange();
        if (columns_) effects::InterpolateColumns(art.RangeBitmap, start.x, start.y, at.x, at.y);
        else if (!effects::InterpolateRect(art.RangeBitmap, start.x, start.y, at.x, at.y)) return;
        art.SetPicture(art.RangeBitmap);
    }

private:
    bool columns_;
};

} // namespace

ToolEntries GeneratorTools()
{
    using effects::SphereKind;
    return {
        {"risingwavesphere", true, maker<Spheres>(SphereKind::RisingWave)},
        {"wavesphere", true, maker<Spheres>(SphereKind::Wave)},
        {"dropletsphere", true, maker<Spheres>(SphereKind::Droplet)},
        {"multisphere", true, maker<Spheres>(SphereKind::Multi)},
        {"intersphere", true, maker<Spheres>(SphereKind::Inter)},
        {"texlines", true, maker<Texture>(Stroke::Lines, After::None)},
        {"texrects", true, maker<Texture>(Stroke::Rects, After::None)},
        {"texovals", true, maker<Texture>(Stroke::Ovals, After::None)},
        {"texpoly", true, maker<Texture>(Stroke::Poly, After::None)},
        {"texcurves", true, maker<Texture>(Stroke::Curves, After::None)},
        {"blurlines", true, maker<Texture>(Stroke::Lines, After::Ring)},
        {"blurrects", true, maker<Texture>(Stroke::Rects, After::BlurRing)},
        {"blurovals", true, maker<Texture>(Stroke::Ovals, After::BlurRing)},
        {"blurpoly", true, maker<Texture>(Stroke::Poly, After::Ring)},
        {"blurcurves", true, maker<Texture>(Stroke::Curves, After::Ring)},
        {"interprect", true, maker<Interpolation>(false)},
        {"intercolumn", true, maker<Interpolation>(true)},
    };
}

} // namespace effectsui
