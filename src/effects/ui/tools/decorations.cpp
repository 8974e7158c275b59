// The decorative figures, drawn at the release after a rubber band: "globe", "maze", "star",
// "spiral", the spirograph "spiro", "cone", and the shaded "decobar" and "decooval".
#include "tool.h"

#include "effects/ui/veldrawimage.h"

#include "platform/dialogs.h"
#include "platform/rounding.h"

#include <algorithm>

namespace effectsui {

namespace {

// A decoration: its band, and the figure from the start point to the release point.
class Decoration : public DrawTool {
public:
    Band RubberBand() const override { return band_; }
    bool BandIsFigure() const override { return true; }
    void Up(TvelDrawImage& art, const Release& r) override
    {
        if (r.drawsFigure) draw(art, DrawToolState().StartPoint, r.at);
    }

protected:
    explicit Decoration(Band band) : band_(band) {}
    virtual void draw(TvelDrawImage& art, Point start, Point end) = 0;

private:
    Band band_;
};

// The ellipse plus 10 meridians and 10 parallels.
class Globe : public Decoration {
public:
    Globe() : Decoration(Band::Ellipse) {}
    void draw(TvelDrawImage& art, Point start, Point end) override
    {
        TCanvas& c = art.Canvas();
        const auto [l, t, r, b] = Normalised(start, end);
        c.Ellipse(l, t, r, b);
        const int mw = (r - l) / 20, mh = (b - t) / 20;
        for (int i = 1; i <= 10; ++i) {
            c.Ellipse(l + i * mw, t, r - i * mw, b);
            c.Ellipse(l, t + i * mh, r, b - i * mh);
        }
    }
};

// The rectangle, then lines joining the tenths of its sides (string-art corners).
class Maze : public Decoration {
public:
    Maze() : Decoration(Band::Rect) {}
    void draw(TvelDrawImage& art, Point start, Point end) override
    {
        TCanvas& c = art.Canvas();
        const auto [l, t, r, b] = Normalised(start, end);
        c.Rectangle(l, t, r, b);
        const int dx = (r - l) / 10, dy = (b - t) / 10;
        for (int i = 0; i <= 10; ++i) {
            DrawLine(c, {l + i * dx, t}, {r, t + i * dy});
            DrawLine(c, {r, t + i * dy}, {r - i * dx, b});
            DrawLine(c, {r - i * dx, b}, {l, b - i * dy});
            DrawLine(c, {l, b - i * dy}, {l + i * dx, t});
        }
    }
};

// `stars` stars about the start point, the k-th reaching k / stars of the way to the release.
class Star : public Decoration {
public:
    Star() : Decoration(Band::Line) {}
    void draw(TvelDrawImage& art, Point start, Point end) override
    {
        const int n = std::clamp(art.stars(), 1, 1000);
        for (int k = 1; k <= n; ++k)
            art.Canvas().Polygon(effects::StarPolygon(start, effects::PointBetween(start, end, double(k) / n),
                                                      std::min(art.starpoints(), 1000), art.polygonchecked()));
    }
};

class Spiral : public Decoration {
public:
    Spiral() : Decoration(Band::Line) {}
    void draw(TvelDrawImage& art, Point start, Point end) override
    {
        const TDrawToolState& s = DrawToolState();
        art.Canvas().Polyline(effects::SpiralPoints(start, end, art.spirals(), s.SpiralStep, s.SpiralShrink));
    }
};

// The spirograph; a picture it cannot draw on gets its message instead.
class Spirograph : public Decoration {
public:
    Spirograph() : Decoration(Band::Line) {}
    void draw(TvelDrawImage& art, Point start, Point end) override
    {
        const effects::Spirograph spiro = effects::SpirographPoints(art.Picture().width(), art.Picture().height(), start, end,
                                                                    DrawToolState().SpiroTurns * 36);
        if (!spiro.message.empty()) platform::showInformation(QString::fromStdString(spiro.message));
        else art.Canvas().Polyline(spiro.points);
    }
};

// A frustum symmetric about the picture's vertical centre line, between the two rows.
class Cone : public Decoration {
public:
    Cone() : Decoration(Band::Line) {}
    void draw(TvelDrawImage& art, Point start, Point end) override
    {
        TCanvas& c = art.Canvas();
        const int w = art.Picture().width();
        const int cx = w / 2, top = (w - 2 * start.x) / 20, bottom = (w - 2 * end.x) / 20;
        for (int i = 0; i <= 10; ++i) {
            DrawLine(c, {cx + i * top, start.y}, {cx + i * bottom, end.y});
            DrawLine(c, {cx - i * top, start.y}, {cx - i * bottom, end.y});
        }
        DrawLine(c, {cx - 10 * top, start.y}, {cx + 10 * top, start.y});
        DrawLine(c, {cx - 10 * bottom, end.y}, {cx + 10 * bottom, end.y});
    }
};

// A shaded bar (a line) or ring (an ellipse): the shape drawn again in (width div 3) passes,
// the pen 2 pixels narrower each pass, its colour moving from the saved brush colour toward the
// pen colour.
class Shaded : public Decoration {
public:
    explicit Shaded(Band band) : Decoration(band) {}
    void draw(TvelDrawImage& art, Point start, Point end) override
    {
        TCanvas& c = art.Canvas();
        const TPen pen0 = c.Pen;
        const TBrushStyle brush0 = c.Brush.Style;
        const int width = std::max(pen0.Width, 30);
        const ColorRef from = effects::ColorToRGB(DrawToolState().SavedBrushColor), to = effects::ColorToRGB(pen0.Color);
        const double passes3 = width / 3.0;
        auto channel = [&](int a, int b, int k) { return effects::ClampByte(platform::roundHalfEven(a - k * (a - b) / passes3)); };
        c.Brush.Style = bsClear;
        for (int k = 0; k < width / 3; ++k) {
            c.Pen.Width = width - 2 * k;
            c.Pen.Color = effects::rgbColor(channel(effects::redOf(from), effects::redOf(to), k),
                                            channel(effects::greenOf(from), effects::greenOf(to), k),
                                            channel(effects::blueOf(from), effects::blueOf(to), k));
            if (RubberBand() == Band::Line) DrawLine(c, start, end);
            else c.Ellipse(start.x, start.y, end.x, end.y);
        }
        c.Pen = pen0;
        c.Brush.Style = brush0;
    }
};

} // namespace

ToolEntries DecorationTools()
{
    return {
        {"globe", true, maker<Globe>()},         {"maze", true, maker<Maze>()},
        {"star", true, maker<Star>()},           {"spiral", true, maker<Spiral>()},
        {"spiro", true, maker<Spirograph>()},    {"cone", true, maker<Cone>()},
        {"decobar", true, maker<Shaded>(Band::Line)}, {"decooval", true, maker<Shaded>(Band::Ellipse)},
    };
}

} // namespace effectsui
