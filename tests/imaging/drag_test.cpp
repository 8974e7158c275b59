// The course of a drag with the mouse on its own: when a press becomes a drag, what a release
// ends, and how the controls the mouse passes over are told (entered, moved over, left), with
// plain objects in place of controls.
#include "imaging/pixdrag.h"

#include <gtest/gtest.h>

#include <memory>

using namespace imaging;

namespace {

constexpr int distance = 4;

TEST(DragGesture, APressBecomesADragOnlyOnceTheMouseHasGoneFarEnough)
{
    PixDragGesture g;
    g.Begin(QPoint(100, 100), false);
    EXPECT_EQ(g.State(), PixDragGesture::Pending);
    EXPECT_FALSE(g.Moved(QPoint(102, 101), distance)); // 3 pixels: still a click
    EXPECT_EQ(g.State(), PixDragGesture::Pending);
    EXPECT_TRUE(g.Moved(QPoint(102, 102), distance)); // 4: the drag starts, once
    EXPECT_EQ(g.State(), PixDragGesture::Active);
    EXPECT_FALSE(g.Moved(QPoint(200, 200), distance));
    EXPECT_TRUE(g.End());
    EXPECT_EQ(g.State(), PixDragGesture::Idle);
    EXPECT_FALSE(g.End()); // nothing under way
}

TEST(DragGesture, TheDistanceCountsFromWhereTheButtonWentDown)
{
    PixDragGesture g;
    // Begun where the cursor was last reported, then moved to where the button went down.
    g.Begin(QPoint(0, 0), false);
    g.SetStart(QPoint(50, 50));
    EXPECT_FALSE(g.Moved(QPoint(51, 51), distance));
    EXPECT_TRUE(g.Moved(QPoint(53, 51), distance));
}

TEST(DragGesture, AReleaseWhilePendingIsAClickAndAnImmediateDragIsOneAtOnce)
{
    PixDragGesture click;
    click.Begin(QPoint(10, 10), false);
    EXPECT_FALSE(click.End());

    PixDragGesture immediate;
    immediate.Begin(QPoint(10, 10), true);
    EXPECT_EQ(immediate.State(), PixDragGesture::Active);
    EXPECT_TRUE(immediate.End());
}

TEST(DragGesture, FollowsTheControlsUnderTheMouse)
{
    QObject a, b;
    PixDragGesture g;
    g.Begin(QPoint(), true);
    QObject* left = &b;

    EXPECT_EQ(g.Over(&a, &left), dsDragEnter);
    EXPECT_EQ(left, nullptr);
    g.SetAccepted(true);
    EXPECT_EQ(g.Over(&a, &left), dsDragMove);
    EXPECT_EQ(left, nullptr);
    // Each move asks anew: an answer is not kept from the last one.
    EXPECT_FALSE(g.Accepted());

    EXPECT_EQ(g.Over(&b, &left), dsDragEnter);
    EXPECT_EQ(left, &a);
    EXPECT_EQ(g.Target(), &b);

    EXPECT_EQ(g.Over(nullptr, &left), dsDragEnter);
    EXPECT_EQ(left, &b);
    EXPECT_EQ(g.Target(), nullptr);
}

TEST(DragGesture, AControlDestroyedDuringTheDragIsNeitherToldNorDropOn)
{
    auto a = std::make_unique<QObject>();
    QObject b;
    PixDragGesture g;
    g.Begin(QPoint(), true);
    QObject* left = nullptr;
    g.Over(a.get(), &left);
    g.SetAccepted(true);
    a.reset();
    EXPECT_EQ(g.Target(), nullptr);
    EXPECT_EQ(g.Over(&b, &left), dsDragEnter);
    EXPECT_EQ(left, nullptr); // no leave for a control that is gone
}

TEST(DragGesture, StartingAnewForgetsTheLastTarget)
{
    QObject a;
    PixDragGesture g;
    g.Begin(QPoint(), true);
    QObject* left = nullptr;
    g.Over(&a, &left);
    g.SetAccepted(true);
    g.End();
    g.Begin(QPoint(), false);
    EXPECT_EQ(g.Target(), nullptr);
    EXPECT_FALSE(g.Accepted());
    EXPECT_EQ(g.Over(&a, &left), dsDragEnter);
}

} // namespace
