#pragma once
// The drawing tools of the drawing control: the tool names, the tool state that every instance
// shares, and the mouse's shift state and buttons. drawtools.cpp holds the control's mouse
// handlers; the tools themselves are in tools/ (tools/tool.h, found through tools/toolbox.h).
#include "drawcanvas.h"

#include "effects/toolgeometry.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace effectsui {

// The names of the control's tool list, in its order.
QStringList DrawToolNames();

// The tool state, shared by every drawing control; Create sets these values.
struct TDrawToolState {
    Point StartPoint, LastPoint;
    Point RememberedPoint{0, 0};
    bool Drawing = false;
    // A rubber band is on the canvas (drawn with NotXor from the start to the last point).
    bool BandShown = false;
    TPenMode SavedPenMode = pmCopy;
    ColorRef SavedPenColor = effects::clBlack;
    ColorRef SavedBrushColor = effects::clWhite;
    QString LineLock = QStringLiteral("none");
    int LineThreshold = 5;
    int CornerSize = 10;
    int SpiralStep = 1;
    double SpiralShrink = 0.99;
    int SpiroTurns = 40;
    ColorRef CopyTransparentColor = effects::clWhite;
    std::array<Point, 101> PolyPoints{};
    int PolyCount = 0;
    std::array<Point, 4> BezierPoints{};
    // The bezier preview (NotXor) is on the canvas between the clicks.
    bool CurveShown = false;
    effects::Rect SmallRect{0, 0, 50, 50};
    // Multi-click tools: the stored rectangle and points of "chord", "pie", "arc", the corners of
    // "skewrect" and "triangle", the front face and depth point of "cube".
    effects::Rect StageRect;
    Point Radial1, Radial2;
    std::array<Point, 4> Corners{};
    Point Depth;
    // "sym": the stroke's copies turned about the picture's centre.
    std::vector<Point> SymPoints;
    // "snapshot": the brush style and pen width it sets aside.
    TBrushStyle SavedBrushStyle = bsClear;
    int SavedPenWidth = 1;
    // The centre of the centre-based brushes (moved with Alt held).
    Point BrushCentre;
};

TDrawToolState& DrawToolState();
// Back to Create's values.
void ResetDrawToolState();

// Keyboard and button state of a mouse event (the framework's shift state).
enum TShiftFlag : int { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = int;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

} // namespace effectsui
