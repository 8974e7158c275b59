#pragma once
// PixRegionEditor: the selection of an image control and what floats over its picture. The
// selection is the region the bitmap carries; the editor builds and combines it (from a rectangle,
// a region handle or a shape drawn with the mouse), keeps its bounds and how it is shown, and works
// the two floaters: the automatic one, the selection lifted off the picture while the mouse drags
// it and pasted where it is dropped, and the explicit one, a picture a caller shows over the
// control. It knows no window: the control gives it the transforms between client and bitmap
// coordinates and repaints, stores and reports what it says.
#include "platform/colors.h"
#include "sdk/sdk.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

namespace imaging {

// The shapes the mouse draws a region with.
enum TRgnShape : int { rsNone, rsRectangle, rsRoundRect, rsEllipse, rsPolygon };
// A region handle: a region the caller owns.
using TRgnHandle = QRegion*;

class PixRegionEditor {
public:
    // An edit of a bitmap, run on the selection's pixels or on its shape.
    using BitmapOp = std::function<int(sdk::SdkBitmapHandle*)>;

    // Works on the region of bitmap, which outlives the editor.
    explicit PixRegionEditor(sdk::SdkBitmapHandle& bitmap);
    ~PixRegionEditor();
    PixRegionEditor(const PixRegionEditor&) = delete;
    PixRegionEditor& operator=(const PixRegionEditor&) = delete;

    // ---- the region ----
    // The region's bounds in bitmap coordinates as last read (empty without a region).
    QRect Bounds;
    bool HasRegion() const;
    // Reads the bounds anew. A region that has become empty is taken away (*freed tells whether
    // there was one to take) and true comes back in *emptied. Returns the engine's result.
    int RefreshBounds(bool* emptied, bool* freed);
    // Combines the rectangle spanned from (left, top) by width and height (either may be negative)
    // in the coordinates of transform with the region.
    int SetRect(const sdk::PxRgnTransform& transform, int left, int top, int width, int height, int combineMode);
    // Combines handle (bitmap coordinates) moved by dx, dy with the region; a null handle is refused.
    int SetHandle(const QRegion* handle, int dx, int dy, int combineMode);
    // The region into *handle (bitmap coordinates).
    int GetHandle(QRegion* handle) const;
    // Takes the region away.
    int Free();
    // Whether the point (in the coordinates of transform) lies in the region.
    bool Contains(const sdk::PxRgnTransform& transform, int x, int y) const;

    // ---- how it is shown ----
    // 0 not at all, 1 outline, 2 moving outline, 3 filled with Color.
    std::uint8_t FrameType = 0;
    platform::ColorRef Color = 0;
    // The step of the moving outline.
    int Phase = 0;
    static constexpr int OutlinePhases = 8;
    // What a tick of the outline timer does: the timer stops, nothing is drawn, or the outline is
    // drawn again (the moving outline one step on).
    enum class OutlineTick { Stop, Skip, Draw };
    OutlineTick TickOutline();
    // Draws the region as FrameType says through transform (bitmap to client).
    void PaintRegion(QPainter& p, const sdk::PxRgnTransform& toClient) const;
    // The same onto image (inside clip), when image is of size.
    void PaintRegionOn(QImage& image, QSize size, const QRect& clip, const sdk::PxRgnTransform& toClient) const;

    // ---- shapes drawn with the mouse (client coordinates) ----
    TRgnShape Shape = rsNone;
    int CombineMode = 1;
    bool Drawing = false;
    QPoint PressPoint, CurrentPoint;
    std::vector<QPoint> Polygon;
    static constexpr int PolygonGrowth = 50; // the polygon buffer grows by this many points
    static constexpr int RoundCorner = 50;   // corner ellipse of a rounded rectangle
    // Starts a shape at the point pressed (a new polygon's first point).
    void BeginShape(const QPoint& at);
    // The mouse is at p (already kept on the picture).
    void MoveShape(const QPoint& p);
    // Ends the shape and combines it with the region; transform maps the inner area (border
    // pixels inside the client area) to the bitmap. Returns the engine's result.
    int FinishShape(sdk::PxRgnTransform transform, int border);
    // The shape being drawn, inverted over what p draws on.
    void PaintShapeInProgress(QPainter& p) const;
    // Point index of the polygon being drawn; false when there is none.
    bool PolygonPoint(int index, QPoint* point) const;

    // ---- the automatic floater ----
    // The selection's pixels (its shape as their region) and what lies under it.
    sdk::SdkBitmapHandle Lifted;
    sdk::SdkBitmapHandle Background;
    QRect BackgroundRect;  // where that was taken (bitmap coordinates)
    QRect Source;          // the selection's rectangle (bitmap coordinates)
    QRect Screen;          // where it is shown while dragged (client coordinates)
    QImage ScreenImage;
    QRegion ScreenShape;
    QPoint DragDistance, DragLast;
    bool Dragging = false;
    // Copies the selection and, until it is first dropped, takes it as what lies under it too.
    int BuildFloaterCopies();
    // Lets the automatic floater go; true when it was being dragged.
    bool DropAutoFloater();
    // The selection's rectangle and its shape relative to it.
    int SelectionShape(QRect* source, QRegion* shape) const;
    // Lifts the selection at source off the picture: the region goes, what it covered comes back.
    int Lift(const QRect& source, const QRegion& shape);
    // The lifted selection's screen copy at screen; false when it cannot be made.
    bool ShowLifted(const QRect& screen, QColor back);
    // The drag of the lifted selection starts at the mouse point at.
    void BeginDrag(const QRect& source, const QPoint& at);
    void DragTo(const QPoint& at);
    // Pastes the selection moved by distance (bitmap pixels); the region follows it.
    void Drop(const QPoint& distance);
    // An edit of the selection: Cut copies it out into Lifted; Paste puts Lifted back at source
    // with the region, its shape turned by shapeOp when the edit changed it.
    int Cut(QRect* source);
    int Paste(const QRect& source, const QRegion& shapeBefore, const QSize& sizeBefore, const BitmapOp& shapeOp);
    // A fresh copy of the selection (what the control's Floater hands out).
    int CopySelection(sdk::SdkBitmapHandle** copy);

    // ---- the explicit floater ----
    sdk::SdkBitmapHandle Floater;
    QRect FloaterRect, FloaterClip;
    bool FloaterVisible = false;
    QImage FloaterImage;
    QRegion FloaterShape;
    // The part of bitmap inside its region, with the selection's shape, into *copy; *bounds the
    // part's rectangle.
    int CopyForFloater(const sdk::SdkBitmapHandle& bitmap, sdk::SdkBitmapHandle* copy, QRect* bounds) const;
    // Frees the explicit floater; true when there was one.
    bool ClearFloater();
    // The explicit floater's screen copy at FloaterRect's size; -1 when it cannot be made.
    int RebuildFloaterScreen(QColor back);

    // ---- both floaters over the frame ----
    // The last frame without the floaters.
    QImage UnderFloaters;
    bool FloatersShown() const;
    void PaintFloaters(QPainter& p) const;
    // frame becomes the one without floaters with them drawn where they are now; false when there
    // is no such frame (the frame must be composed again).
    bool PresentFloaters(QImage& frame) const;
    // After a composed frame: keeps the frame without floaters and draws them on it.
    void OverlayFloaters(QImage& frame);

    // A copy of the whole of source into target at (x, y), inside target's region only, with the
    // status callback off.
    static int PasteQuietly(sdk::SdkBitmapHandle* target, int x, int y, const sdk::SdkBitmapHandle* source);

private:
    sdk::SdkBitmapHandle& bitmap_;
    sdk::SdkBitmapHandle copy_; // what CopySelection hands out
};

} // namespace imaging
