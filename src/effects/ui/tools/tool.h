#pragma once
// DrawTool: one drawing tool of the drawing control, driven by the control's mouse handlers. The
// control does what every tool shares (the saved colours and pen mode, the start and last
// points, the drawing flag, the remembered point) and hands each event to the tool in force;
// a tool with several clicks keeps its stage itself. The tools are found by name in the tool
// table (toolbox.h); each family of tools has its own file in this folder.
#include "effects/ui/drawtools.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TvelDrawImage;

namespace effectsui {

// The rubber band a tool shows between the start point and the mouse while the button is held.
enum class Band { None, Line, Rect, Dotted, Ellipse, RoundRect, Own };

// A left or middle press, after the control has set the start and last points to it.
struct Press {
    Point at;
    TShiftState shift;
    // Whether a rubber band was on the canvas before the press, and where it ended.
    bool bandWasShown;
    Point bandEnd;
};

// A release of the left or middle button.
struct Release {
    Point at;
    TShiftState shift;
    // The pen mode is not NotXor: the tool draws its figure. With NotXor the band is the figure.
    bool drawsFigure;
};

class DrawTool {
public:
    DrawTool() = default;
    DrawTool(const DrawTool&) = delete;
    DrawTool& operator=(const DrawTool&) = delete;
    virtual ~DrawTool() = default;

    // ---- the stage: 0 for a tool of one gesture; a tool of several clicks counts them ----
    int Stage() const { return stage_; }
    // The stages the tool knows (a name with a stage number below this selects it).
    virtual int Stages() const { return 1; }
    void SetStage(int stage) { stage_ = stage; }

    // ---- the rubber band of the present stage ----
    virtual Band RubberBand() const { return Band::None; }
    // Draws the band from `from` to `to` in the canvas's pen mode (its own shape for Band::Own).
    virtual void PaintBand(TCanvas& c, Point from, Point to) const;
    // Where the band on the canvas ends (drawn again there, it goes): by default the last point.
    virtual Point BandEnd() const;
    // With a NotXor pen the band at the release stays as the figure (outline tools); otherwise
    // the release takes it away.
    virtual bool BandIsFigure() const { return false; }

    // ---- the mouse ----
    // A right press (the control stores the remembered point afterwards).
    virtual void RightPress(TvelDrawImage&, Point) {}
    virtual void Down(TvelDrawImage&, const Press&) {}
    // A move with the drawing flag set; by default the rubber band follows the mouse.
    virtual void Move(TvelDrawImage& art, Point at, TShiftState shift);
    // Before Up: the band goes, or stays as the figure.
    void EndBand(TvelDrawImage& art, const Release& release);
    virtual void Up(TvelDrawImage&, const Release&) {}
    // The stroke goes on after a release (the poly tools): the drawing flag stays set.
    virtual bool StrokeOutlivesRelease() const { return false; }

private:
    int stage_ = 0;
};

// ---- the tool table's entries, one list per family ----
struct ToolEntry {
    const char* name;
    // In the control's tool list (the line styles are not).
    bool listed;
    std::function<std::unique_ptr<DrawTool>()> make;
};
using ToolEntries = std::vector<ToolEntry>;

template <typename Tool, typename... Args>
std::function<std::unique_ptr<DrawTool>()> maker(Args... args)
{
    return [=] { return std::unique_ptr<DrawTool>(new Tool(args...)); };
}

ToolEntries OutlineTools();    // outlines.cpp
ToolEntries DecorationTools(); // decorations.cpp
ToolEntries StrokeTools();     // strokes.cpp
ToolEntries StagedTools();     // staged.cpp
ToolEntries PolyTools();       // poly.cpp
ToolEntries RangeTools();      // range.cpp
ToolEntries FillTools();       // fill.cpp
ToolEntries BrushTools();      // brushes.cpp
ToolEntries GeneratorTools();  // generators.cpp

// ---- drawing helpers the families share ----
void DrawLine(TCanvas& c, Point a, Point b);
// The band's shape with a clear brush, keeping the brush, pen style and pen position.
void DrawBandShape(TCanvas& c, Band band, Point a, Point b);
void DrawClosedOutline(TCanvas& c, std::vector<Point> points);
// The pixel at (x, y), moved into the picture when it lies outside.
effects::Bgr PixelNear(const Bitmap24& b, int x, int y);
// The rectangle of a drag, left above right and top above bottom.
effects::Rect Normalised(Point a, Point b);

} // namespace effectsui
