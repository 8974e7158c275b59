// Playback of animated pictures: frames in order with their delays, looping, the end of a
// non-looping animation, what is refused while it plays, and saving an animation as GIF. The
// animation timer never fires here (no event loop runs); each test steps the playback itself
// with a clock of its own.
#include "fixture.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <numeric>

using namespace imaging;
using imagingtest::ControlTest;
using sdktest::quoted;

namespace {

class Animation : public ControlTest {
protected:
    void SetUp() override
    {
        if (!imagingtest::haveTools({"convert", "identify"})) GTEST_SKIP() << "ImageMagick missing";
        ControlTest::SetUp();
        TPixImage::SetTickClock([this] { return now; });
        pix->OnAnimate = [this](TPixImage*, bool on) { animateEvents.push_back(on); };
    }
    void TearDown() override
    {
        ControlTest::TearDown();
        TPixImage::SetTickClock({});
    }
    // The colour shown now: of the control's bitmap and of its composed frame.
    std::uint32_t shown()
    {
        const std::uint32_t bitmap = sdktest::pixel(*pix->Bitmap(), 1, 1);
        pix->Refresh();
        EXPECT_EQ(imagingtest::rgbAt(pix->ComposedFrame(), 1, 1), bitmap);
        return bitmap;
    }
    // Steps the playback once the timer would have fired, the given time later.
    void tick(std::uint32_t elapsed = 0)
    {
        now += elapsed;
        pix->AnimationStep();
    }

    std::uint32_t now = 1000;
    std::vector<bool> animateEvents;
};

constexpr std::uint32_t red = 0xFF0000, lime = 0x00FF00, blue = 0x0000FF;

TEST_F(Animation, FramesPlayInOrderWithTheirDelaysAndLoop)
{
    make("convert -delay 10 -size 20x10 xc:red xc:lime xc:blue three.gif");
    pix->SetAutoAnimate(true);
    ASSERT_EQ(pix->Load(win("three.gif")), 1);
    EXPECT_TRUE(pix->Animating());
    EXPECT_EQ(animateEvents, std::vector<bool>{true});
    // The first frame is up at once; the timer waits its 100 milliseconds.
    EXPECT_EQ(shown(), red);
    EXPECT_TRUE(pix->AnimationTimer()->isActive());
    EXPECT_EQ(pix->AnimationTimer()->interval(), 100);

    const std::vector<std::uint32_t> order = {lime, blue, red, lime, blue, red, lime};
    for (std::size_t i = 0; i < order.size(); ++i) {
        tick(100);
        EXPECT_EQ(shown(), order[i]) << i;
        EXPECT_EQ(pix->AnimationTimer()->interval(), 100) << i;
    }
    // A step that itself took time leaves that much less of the delay.
    TPixImage::SetTickClock([this] { return now += 30; });
    tick();
    EXPECT_EQ(pix->AnimationTimer()->interval(), 70);
    EXPECT_EQ(animateEvents, std::vector<bool>{true});
    EXPECT_EQ(pix->BitmapListCount(), 3);
}

TEST_F(Animation, LoopingFollowsTheFileOrAutoAnimationLoop)
{
    // -loop 1: played once more, not for ever; AutoAnimationLoop 1 makes it loop all the same.
    make("convert -delay 10 -size 20x10 xc:red xc:lime xc:blue -loop 1 once.gif");
    struct Case {
        int autoLoop;
        bool loops;
    };
    for (Case c : {Case{0, false}, Case{1, true}}) {
        animateEvents.clear();
        pix->SetAutoAnimate(true);
        pix->SetAutoAnimationLoop(c.autoLoop);
        ASSERT_EQ(pix->Load(win("once.gif")), 1) << c.autoLoop;
        EXPECT_EQ(pix->AnimationLoopForever(), c.loops);
        tick(100);
        tick(100);
        EXPECT_EQ(shown(), blue);
        tick(100);
        if (c.loops) {
            EXPECT_TRUE(pix->Animating());
            EXPECT_EQ(shown(), red);
            EXPECT_EQ(animateEvents, std::vector<bool>{true});
            ASSERT_EQ(pix->AnimationEnable(false), 1);
        } else {
            // The end: playback stops by itself and the list's current item is shown again.
            EXPECT_FALSE(pix->Animating());
            EXPECT_FALSE(pix->AnimationTimer()->isActive());
            EXPECT_EQ(shown(), red);
        }
        EXPECT_EQ(animateEvents, (std::vector<bool>{true, false})) << c.autoLoop;
    }
}

TEST_F(Animation, ChangesAreRefusedWhilePlaying)
{
    make("convert -delay 10 -size 20x10 xc:red xc:lime xc:blue three.gif");
    pix->SetAutoAnimate(true);
    ASSERT_EQ(pix->Load(win("three.gif")), 1);
    const QString refused = "PixImage1 \nError code: -16\nAnimation: Feature not supported ";
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"Load", [&] { pix->Load(win("three.gif")); }},
        {"Save", [&] { pix->Save(win("x.jpg"), 23, 24, 4, 0); }},
        {"Flip", [&] { pix->Flip(); }},
        {"Size", [&] { pix->Size(10, 10, 0); }},
        {"Bitmap", [&] { pix->SetBitmap(nullptr); }},
    };
    pix->SetEnableMethodErrors(false); // refused all the same
    for (const auto& [name, call] : calls) {
        EXPECT_EQ(raisedBy(call), refused) << name;
        EXPECT_EQ(pix->LastResult(), -16) << name;
        EXPECT_TRUE(pix->Animating()) << name;
    }
    // The mouse is ignored: no region is drawn.
    pix->SetRgnShape(rsRectangle);
    pix->show();
    QTest::mousePress(pix.get(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(pix.get(), QPoint(8, 8));
    QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_FALSE(pix->HasRgn());
}

TEST_F(Animation, AnimationEnableStartsAndStopsAnyList)
{
    EXPECT_EQ(raisedBy([&] { pix->AnimationEnable(true); }), "PixImage1 \nAnimationEnable: No bitmap list.");
    EXPECT_EQ(pix->LastResult(), -2);

    // Without AutoAnimate the frames load as a list; AnimationEnable plays it from the first.
    make("convert -delay 20 -size 20x10 xc:red xc:lime xc:blue three.gif");
    ASSERT_EQ(pix->Load(win("three.gif")), 1);
    EXPECT_FALSE(pix->Animating());
    ASSERT_EQ(pix->SetBitmapListIndex(2), 1);
    ASSERT_EQ(pix->AnimationEnable(true), 1);
    EXPECT_EQ(pix->AnimationEnable(true), 1); // already on: nothing happens
    EXPECT_EQ(animateEvents, std::vector<bool>{true});
    tick();
    EXPECT_EQ(shown(), red);
    EXPECT_EQ(pix->AnimationTimer()->interval(), 200);
    tick(200);
    EXPECT_EQ(shown(), lime);
    ASSERT_EQ(pix->AnimationEnable(false), 1);
    EXPECT_EQ(animateEvents, (std::vector<bool>{true, false}));
    // Back to the item that was current.
    EXPECT_EQ(shown(), blue);
    EXPECT_EQ(pix->BitmapListIndex(), 2);
    EXPECT_EQ(pix->Flip(), 1);
}

TEST_F(Animation, FramesWithoutDelayRunAtMostFiftyStepsInARow)
{
    // 120 frames of red i + 1, written by the engine (ImageMagick takes seconds for so many).
    sdk::SdkBitmapListHandle frames = nullptr;
    ASSERT_EQ(sdk::PX_CreateBitmapList(&frames), sdk::PX_SUCCESS);
    for (int i = 0; i < 120; ++i) {
        sdk::SdkBitmapHandle f = sdktest::makeBitmap(8, 8, [i](int, int) { return std::uint32_t(i + 1) << 16; });
        sdk::PX_InsertBitmapListItem(frames, i, &f);
    }
    const int saved = sdk::PX_SaveBitmapList(win("fast.gif"), frames, sdk::fmtGIF, 24, 0);
    sdk::PX_DestroyBitmapList(&frames);
    ASSERT_EQ(saved, sdk::PX_SUCCESS);
    pix->SetAutoAnimate(true);
    int paints = 0;
    std::vector<std::uint32_t> whileLoading;
    pix->OnPaint = [&](TPixImage*) {
        ++paints;
        if (pix->Loading()) whileLoading.push_back(sdktest::pixel(*pix->Bitmap(), 0, 0) >> 16);
    };
    ASSERT_EQ(pix->Load(win("fast.gif")), 1);
    ASSERT_EQ(pix->BitmapListCount(), 120);
    // Frames without a delay showed one after another as the load read them.
    std::vector<std::uint32_t> every(120);
    std::iota(every.begin(), every.end(), 1u);
    EXPECT_EQ(whileLoading, every);
    // The playback went on from the last of them and ran 50 more steps at once before the timer:
    // the last frame again, then the first 50 (the engine's GIF loops).
    EXPECT_EQ(sdktest::pixel(*pix->Bitmap(), 0, 0) >> 16, 50u);
    EXPECT_EQ(pix->AnimationTimer()->interval(), 1);
    paints = 0;
    tick();
    EXPECT_EQ(paints, 51);
    EXPECT_EQ(sdktest::pixel(*pix->Bitmap(), 0, 0) >> 16, 101u);
}

TEST_F(Animation, AnAnimationPlaysWhileItLoads)
{
    // 200 rows: each frame comes in bands of rows.
    make("convert -delay 10 -size 20x200 xc:red xc:lime xc:blue -loop 0 tall.gif");
    pix->SetAutoAnimate(true);
    struct Case {
        const char* what;
        std::uint32_t perFrame;      // time the load takes per frame
        bool progressEvents;
        std::vector<std::uint32_t> seen;  // frames shown while loading, in order
        std::uint32_t after;         // the frame on show once loaded
    };
    const Case cases[] = {
        {"a quick load: the first frame waits out its delay", 0, false, {red}, red},
        {"a slow load: each frame shows once the one before has stayed its delay", 100, false, {red, lime, blue}, blue},
        {"progress events take the steps' place", 100, true, {}, red},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> seen;
        int statusEvents = 0;
        bool blankBelow = false;
        pix->SetEnableProgressEvent(c.progressEvents);
        pix->OnStatus = [&](TPixImage*, int) { ++statusEvents; };
        pix->OnFilePage = [&](TPixImage*) { now += c.perFrame; };
        pix->OnPaint = [&](TPixImage*) {
            if (!pix->Loading()) return;
            const std::uint32_t top = sdktest::pixel(*pix->Bitmap(), 1, 1);
            // The first paint of a frame shows its first band only: below it is blank.
            if (seen.empty()) blankBelow = sdktest::pixel(*pix->Bitmap(), 1, 199) == 0;
            if (seen.empty() || seen.back() != top) seen.push_back(top);
        };
        ASSERT_EQ(pix->Load(win("tall.gif")), 1) << c.what;
        EXPECT_EQ(seen, c.seen) << c.what;
        EXPECT_EQ(blankBelow, !c.seen.empty()) << c.what;
        EXPECT_EQ(statusEvents > 0, c.progressEvents) << c.what;
        // Then the playback goes on from there, by the timer.
        EXPECT_TRUE(pix->Animating()) << c.what;
        EXPECT_EQ(pix->BitmapListCount(), 3) << c.what;
        EXPECT_EQ(shown(), c.after) << c.what;
        EXPECT_EQ(pix->AnimationTimer()->interval(), 100) << c.what;
        tick(100);
        EXPECT_EQ(shown(), c.after == blue ? red : lime) << c.what;
        pix->OnPaint = {};
        ASSERT_EQ(pix->AnimationEnable(false), 1);
    }
}

TEST_F(Animation, AStoppedOrFailedLoadOfAnAnimationLeavesNothingPlaying)
{
    make("convert -delay 10 -size 20x200 xc:red xc:lime xc:blue -loop 0 tall.gif");
    pix->SetAutoAnimate(true);
    // Stopped from a handler part way through the second frame.
    pix->SetEnableProgressEvent(true);
    int pages = 0;
    pix->OnFilePage = [&](TPixImage*) { ++pages; };
    pix->OnStatus = [&](TPixImage*, int) {
        if (pages == 1) pix->SetEnableProgressEvent(false);
    };
    pix->SetEnableMethodErrors(false);
    EXPECT_NE(pix->Load(win("tall.gif")), 1);
    EXPECT_FALSE(pix->HasImage());
    EXPECT_FALSE(pix->Animating());
    EXPECT_FALSE(pix->AnimationTimer()->isActive());
    EXPECT_EQ(pix->BitmapList(), nullptr);
    // The control takes the next picture as ever.
    pix->OnStatus = {};
    ASSERT_EQ(pix->Load(win("tall.gif")), 1);
    EXPECT_TRUE(pix->Animating());
    EXPECT_EQ(shown(), red);
}

TEST_F(Animation, AnAnimationSavesAsGifWithItsFramesAndDelays)
{
    make("convert -delay 10 -size 20x10 xc:red xc:lime xc:blue three.gif");
    pix->SetAutoAnimate(true);
    ASSERT_EQ(pix->Load(win("three.gif")), 1);
    tick(100);
    ASSERT_EQ(pix->AnimationEnable(false), 1);
    ASSERT_EQ(pix->Save(win("again.gif"), 2, 24, 0, 0), 1);
    EXPECT_EQ(make("identify -format '%m %T %wx%h\\n' again.gif").trimmed(), "GIF 10 20x10\nGIF 10 20x10\nGIF 10 20x10");
    EXPECT_EQ(make("identify -format '%T\\n' three.gif"), make("identify -format '%T\\n' again.gif"));
    EXPECT_TRUE(make("identify -verbose again.gif | grep -m1 Iterations").contains("Iterations: 0"));
    // Read back, it plays the same.
    ASSERT_EQ(pix->Load(win("again.gif")), 1);
    EXPECT_TRUE(pix->Animating());
    EXPECT_EQ(shown(), red);
    tick(100);
    EXPECT_EQ(shown(), lime);
    tick(100);
    EXPECT_EQ(shown(), blue);

    // A still picture saves as a one-frame GIF.
    ASSERT_EQ(pix->AnimationEnable(false), 1);
    pix->SetAutoAnimate(false);
    makePicture("still.jpg", 40, 30);
    ASSERT_EQ(pix->Load(win("still.jpg")), 1);
    ASSERT_EQ(pix->Save(win("still.gif"), 2, 24, 0, 0), 1);
    EXPECT_EQ(make("identify -format '%m %wx%h;' still.gif").trimmed(), "GIF 40x30;");
}

} // namespace
