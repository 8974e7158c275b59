// The region editor on its own, on a bitmap and without a window: building and combining the
// selection, the shapes the mouse draws, the outline's steps, lifting, dragging and dropping the
// selection, edits of the selection that change its shape, and the explicit floater.
#include "imaging/pixregioneditor.h"

#include "sdk/helpers.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace imaging;
using sdktest::makeBitmap;
using sdktest::pixel;

namespace {

constexpr std::uint32_t grey = 0x808080;
constexpr std::uint32_t red = 0xFF0000;

// A 40 x 30 grey picture with a red 10 x 10 block at (5, 5).
sdk::SdkBitmapHandle picture()
{
    return makeBitmap(40, 30, [](int x, int y) { return x >= 5 && x < 15 && y >= 5 && y < 15 ? red : grey; });
}

// A case's name as a test name.
const auto caseName = [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
};

// Bounds, as the editor reads them anew.
QRect bounds(PixRegionEditor& e)
{
    bool emptied = false, freed = false;
    EXPECT_EQ(e.RefreshBounds(&emptied, &freed), sdk::PX_SUCCESS);
    return e.Bounds;
}

struct CombineCase {
    const char* name;
    QRect first; // left, top, width, height as given (the width or height may be negative)
    QRect second;
    int mode;
    QRect want; // the bounds afterwards; empty when the region is gone
};
void PrintTo(const CombineCase& c, std::ostream* os) { *os << c.name; }

class RegionCombine : public ::testing::TestWithParam<CombineCase> {};

TEST_P(RegionCombine, GivesTheBoundsOfTheCombinedRegion)
{
    const CombineCase& c = GetParam();
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    const sdk::PxRgnTransform identity;
    ASSERT_EQ(e.SetRect(identity, c.first.x(), c.first.y(), c.first.width(), c.first.height(), sdk::rgnReplace), sdk::PX_SUCCESS);
    ASSERT_EQ(e.SetRect(identity, c.second.x(), c.second.y(), c.second.width(), c.second.height(), c.mode), sdk::PX_SUCCESS);
    bool emptied = false, freed = false;
    ASSERT_EQ(e.RefreshBounds(&emptied, &freed), sdk::PX_SUCCESS);
    EXPECT_EQ(e.Bounds, c.want);
    // A region that has become empty is no selection.
    EXPECT_EQ(emptied, c.want.isEmpty());
    EXPECT_EQ(e.HasRegion(), !c.want.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RegionCombine,
    ::testing::Values(CombineCase{"replace", {0, 0, 10, 10}, {20, 5, 5, 5}, sdk::rgnReplace, {20, 5, 5, 5}},
                      CombineCase{"negative sizes span back", {0, 0, 10, 10}, {25, 15, -5, -10}, sdk::rgnReplace, {20, 5, 5, 10}},
                      CombineCase{"and", {0, 0, 10, 10}, {5, 5, 10, 10}, sdk::rgnAnd, {5, 5, 5, 5}},
                      CombineCase{"or", {0, 0, 10, 10}, {20, 20, 5, 5}, sdk::rgnOr, {0, 0, 25, 25}},
                      CombineCase{"diff", {0, 0, 10, 10}, {0, 0, 10, 5}, sdk::rgnDiff, {0, 5, 10, 5}},
                      CombineCase{"and of disjoint empties", {0, 0, 10, 10}, {20, 20, 5, 5}, sdk::rgnAnd, {}},
                      CombineCase{"xor of the same empties", {0, 0, 10, 10}, {0, 0, 10, 10}, sdk::rgnXor, {}}),
    caseName);

TEST(RegionEditor, HandlesPointsAndFreeing)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    EXPECT_EQ(e.SetHandle(nullptr, 0, 0, sdk::rgnReplace), sdk::PXERR_BADPARAM);
    EXPECT_FALSE(e.HasRegion());

    const QRegion handle(QRect(0, 0, 4, 3));
    ASSERT_EQ(e.SetHandle(&handle, 10, 20, sdk::rgnReplace), sdk::PX_SUCCESS);
    QRegion back;
    ASSERT_EQ(e.GetHandle(&back), sdk::PX_SUCCESS);
    EXPECT_EQ(back, QRegion(QRect(10, 20, 4, 3)));

    // Points come through the transform: at half scale the client point (26, 44) is (13, 22).
    sdk::PxRgnTransform half;
    half.XScaleDen = 2;
    half.YScaleDen = 2;
    EXPECT_TRUE(e.Contains(half, 26, 44));
    EXPECT_FALSE(e.Contains(half, 13, 22));

    EXPECT_EQ(bounds(e), QRect(10, 20, 4, 3));
    EXPECT_EQ(e.Free(), sdk::PX_SUCCESS);
    EXPECT_TRUE(e.Bounds.isEmpty());
    EXPECT_FALSE(e.HasRegion());
    EXPECT_FALSE(e.Contains(sdk::PxRgnTransform{}, 11, 21));
}

struct ShapeCase {
    const char* name;
    TRgnShape shape;
    std::vector<QPoint> path; // pressed at the first point, moved through the rest (client points)
    QRect want;               // bounds in the bitmap, for a border of 2
};
void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

class RegionShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(RegionShapes, TheMouseDrawsTheShapeInsideTheBorder)
{
    const ShapeCase& c = GetParam();
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    e.Shape = c.shape;
    e.CombineMode = sdk::rgnOr; // a new shape always starts by replacing
    e.BeginShape(c.path.front());
    EXPECT_TRUE(e.Drawing);
    EXPECT_EQ(e.CombineMode, sdk::rgnReplace);
    for (std::size_t i = 1; i < c.path.size(); ++i) e.MoveShape(c.path[i]);
    ASSERT_EQ(e.FinishShape(sdk::PxRgnTransform{}, 2), sdk::PX_SUCCESS);
    EXPECT_FALSE(e.Drawing);
    EXPECT_TRUE(e.Polygon.empty());
    EXPECT_EQ(bounds(e), c.want);
}

INSTANTIATE_TEST_SUITE_P(Shapes, RegionShapes,
                         ::testing::Values(ShapeCase{"rectangle", rsRectangle, {{22, 12}, {15, 15}, {7, 4}}, {5, 2, 15, 8}},
                                           ShapeCase{"ellipse", rsEllipse, {{4, 4}, {24, 14}}, {2, 2, 20, 10}},
                                           ShapeCase{"round rectangle", rsRoundRect, {{4, 4}, {24, 14}}, {2, 2, 20, 10}},
                                           ShapeCase{"polygon", rsPolygon, {{2, 2}, {22, 2}, {22, 12}}, {0, 0, 20, 10}}),
                         caseName);

TEST(RegionEditor, PolygonPointsAreKeptWhileDrawnAndCheckedByIndex)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    e.Shape = rsPolygon;
    e.BeginShape({1, 1});
    for (int i = 0; i < PixRegionEditor::PolygonGrowth + 5; ++i) e.MoveShape({2 + i % 30, 3});
    QPoint p;
    ASSERT_TRUE(e.PolygonPoint(0, &p));
    EXPECT_EQ(p, QPoint(1, 1));
    ASSERT_TRUE(e.PolygonPoint(PixRegionEditor::PolygonGrowth + 5, &p));
    EXPECT_FALSE(e.PolygonPoint(PixRegionEditor::PolygonGrowth + 6, &p));
    EXPECT_FALSE(e.PolygonPoint(-1, &p));
    // Without a shape nothing is combined.
    e.Shape = rsNone;
    EXPECT_EQ(e.FinishShape(sdk::PxRgnTransform{}, 0), sdk::PXERR_BADPARAM);
    EXPECT_FALSE(e.HasRegion());
}

TEST(RegionEditor, OutlineTicksFollowTheFrameType)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    using Tick = PixRegionEditor::OutlineTick;
    const struct {
        std::uint8_t type;
        bool region;
        Tick want;
        int phaseAfter; // from phase 7
    } cases[] = {{0, true, Tick::Stop, 7}, {3, true, Tick::Stop, 7},  {1, false, Tick::Skip, 7},
                 {1, true, Tick::Draw, 7}, {2, false, Tick::Skip, 7}, {2, true, Tick::Draw, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << int(c.type) << (c.region ? " with" : " without") << " region");
        e.Free();
        if (c.region) {
            ASSERT_EQ(e.SetRect(sdk::PxRgnTransform{}, 1, 1, 5, 5, sdk::rgnReplace), sdk::PX_SUCCESS);
        }
        e.FrameType = c.type;
        e.Phase = 7;
        EXPECT_EQ(e.TickOutline(), c.want);
        EXPECT_EQ(e.Phase, c.phaseAfter);
    }
}

// The selection over the red block, lifted as the mouse does it.
void liftBlock(PixRegionEditor& e)
{
    ASSERT_EQ(e.SetRect(sdk::PxRgnTransform{}, 5, 5, 10, 10, sdk::rgnReplace), sdk::PX_SUCCESS);
    QRect source;
    QRegion shape;
    ASSERT_EQ(e.SelectionShape(&source, &shape), sdk::PX_SUCCESS);
    EXPECT_EQ(source, QRect(5, 5, 10, 10));
    EXPECT_EQ(shape, QRegion(QRect(0, 0, 10, 10)));
    ASSERT_EQ(e.Lift(source, shape), sdk::PX_SUCCESS);
    EXPECT_FALSE(e.HasRegion());
    ASSERT_TRUE(e.ShowLifted(QRect(50, 50, 20, 20), Qt::blue));
    EXPECT_EQ(e.ScreenImage.size(), QSize(20, 20));
    e.BeginDrag(source, {60, 60});
}

TEST(RegionEditor, DroppedSelectionMovesItsPixelsAndItsRegion)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    liftBlock(e);
    ASSERT_TRUE(e.Dragging);
    e.DragTo({65, 62});
    e.DragTo({80, 70});
    EXPECT_EQ(e.DragDistance, QPoint(20, 10));
    EXPECT_EQ(e.Screen, QRect(70, 60, 20, 20));
    // Shown at twice the size, the 20, 10 the mouse moved is 10, 5 in the bitmap.
    e.Drop({10, 5});
    EXPECT_FALSE(e.Dragging);
    EXPECT_EQ(bounds(e), QRect(15, 10, 10, 10));
    EXPECT_EQ(pixel(b, 15, 10), red);
    EXPECT_EQ(pixel(b, 24, 19), red);
    // The first drop leaves the selection where it was lifted from too; lifting it again puts
    // back what the drop covered.
    EXPECT_EQ(pixel(b, 5, 5), red);
    QRect source;
    QRegion shape;
    ASSERT_EQ(e.SelectionShape(&source, &shape), sdk::PX_SUCCESS);
    ASSERT_EQ(e.Lift(source, shape), sdk::PX_SUCCESS);
    EXPECT_EQ(pixel(b, 20, 10), grey);
    EXPECT_EQ(pixel(b, 24, 19), grey);
}

TEST(RegionEditor, DropOffThePictureKeepsNothingUnderIt)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    liftBlock(e);
    e.Drop({100, 100});
    EXPECT_FALSE(e.Background.allocated());
    EXPECT_TRUE(e.BackgroundRect.isNull());
    EXPECT_FALSE(e.DropAutoFloater());
    EXPECT_FALSE(e.Lifted.allocated());
}

TEST(RegionEditor, DroppingTheAutoFloaterWhileDraggedSaysSo)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    liftBlock(e);
    EXPECT_TRUE(e.DropAutoFloater());
    EXPECT_FALSE(e.Dragging);
    EXPECT_TRUE(e.ScreenImage.isNull());
    EXPECT_FALSE(e.Background.allocated());
}

TEST(RegionEditor, AnEditThatTurnsTheSelectionTurnsItsShape)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    // An L-shaped selection: the top row of the block and its left column.
    const QRegion shapeL = QRegion(QRect(5, 5, 10, 2)) + QRegion(QRect(5, 5, 2, 10));
    ASSERT_EQ(e.SetHandle(&shapeL, 0, 0, sdk::rgnReplace), sdk::PX_SUCCESS);
    QRect source;
    ASSERT_EQ(e.Cut(&source), sdk::PX_SUCCESS);
    EXPECT_EQ(source, QRect(5, 5, 10, 10));
    const QRegion before = e.Lifted.Region;
    const QSize size(e.Lifted.Width, e.Lifted.Height);
    ASSERT_EQ(sdk::PX_FlipBitmap(&e.Lifted), sdk::PX_SUCCESS);
    // An edit that leaves the pixels without their shape: the shape is turned as they were.
    e.Lifted.Region = QRegion();
    ASSERT_EQ(e.Paste(source, before, size, [](sdk::SdkBitmapHandle* m) { return sdk::PX_FlipBitmap(m); }), sdk::PX_SUCCESS);
    QRegion after;
    ASSERT_EQ(e.GetHandle(&after), sdk::PX_SUCCESS);
    // Flipped top to bottom: the bottom row and the left column.
    EXPECT_EQ(after, QRegion(QRect(5, 13, 10, 2)) + QRegion(QRect(5, 5, 2, 10)));
}

TEST(RegionEditor, TheExplicitFloaterTakesTheSelectionsShape)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    const QRegion own = QRegion(QRect(5, 5, 4, 4)) + QRegion(QRect(11, 11, 4, 4));
    ASSERT_EQ(e.SetHandle(&own, 0, 0, sdk::rgnReplace), sdk::PX_SUCCESS);
    sdk::SdkBitmapHandle copy;
    QRect where;
    ASSERT_EQ(e.CopyForFloater(b, &copy, &where), sdk::PX_SUCCESS);
    EXPECT_EQ(where, QRect(5, 5, 10, 10));
    EXPECT_EQ(copy.Region, own.translated(-5, -5));
    e.Floater = std::move(copy);
    e.FloaterRect = QRect(0, 0, 20, 20);
    EXPECT_EQ(e.RebuildFloaterScreen(Qt::black), 1);
    EXPECT_EQ(e.FloaterImage.size(), QSize(20, 20));
    // Shown at twice the size, its shape doubles too.
    EXPECT_EQ(e.FloaterShape, QRegion(QRect(0, 0, 8, 8)) + QRegion(QRect(12, 12, 8, 8)));
    e.FloaterRect = QRect(0, 0, 0, 0);
    EXPECT_EQ(e.RebuildFloaterScreen(Qt::black), -1);
    EXPECT_TRUE(e.ClearFloater());
    EXPECT_FALSE(e.ClearFloater());
}

TEST(RegionEditor, FloatersAreDrawnOverTheFrameKeptWithoutThem)
{
    sdk::SdkBitmapHandle b = picture();
    PixRegionEditor e(b);
    QImage frame(100, 100, QImage::Format_RGB32);
    frame.fill(Qt::white);
    // Nothing to show: no frame is kept, and presenting asks for a new one.
    e.OverlayFloaters(frame);
    EXPECT_TRUE(e.UnderFloaters.isNull());
    EXPECT_FALSE(e.PresentFloaters(frame));

    liftBlock(e); // shown at (50, 50) to (70, 70)
    e.OverlayFloaters(frame);
    EXPECT_EQ(e.UnderFloaters.pixel(55, 55), QColor(Qt::white).rgb());
    EXPECT_EQ(frame.pixel(55, 55), QColor(Qt::red).rgb());
    e.DragTo({40, 40}); // 20 up and left
    ASSERT_TRUE(e.PresentFloaters(frame));
    EXPECT_EQ(frame.pixel(55, 55), QColor(Qt::white).rgb());
    EXPECT_EQ(frame.pixel(35, 35), QColor(Qt::red).rgb());
    // A frame of another size cannot be presented over.
    QImage other(50, 50, QImage::Format_RGB32);
    EXPECT_FALSE(e.PresentFloaters(other));
}

} // namespace
