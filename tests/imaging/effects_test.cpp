// Paint effects and transitions: every kind of effect goes from the frame shown before to the new
// picture, percent by percent through the status callback, and ends on exactly the new picture;
// switching the progress events off stops it at the next callback.
#include "fixture.h"
#include "platform/rounding.h"
#include "sdk/effectpaint.h"
#include "sdk/errors.h"

#include <gtest/gtest.h>
#include <iterator>
#include <utility>
#include <vector>

using namespace imaging;
using imagingtest::ControlTest;
using imagingtest::rgbAt;

namespace {

constexpr std::uint32_t red = 0xFF0000;

class Effects : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        pix->resize(160, 120);
        pix->SetBackColor(platform::rgbColor(0, 0, 0));
        pix->SetPaintSizeMode(smFit);
        oldPicture = sdktest::makeBitmap(160, 120, [](int, int) { return red; });
        newPicture = sdktest::patterned(160, 120);
        pix->SetBitmap(&oldPicture);
        pix->Refresh();
        oldFrame = pix->ComposedFrame().convertToFormat(QImage::Format_RGB32);
        pix->OnStatus = [this](TPixImage* sender, int percent) {
            percents.push_back(percent);
            const QImage frame = sender->ComposedFrame().convertToFormat(QImage::Format_RGB32);
            if (percent == 50) halfWay = frame;
            if (onStatus) onStatus(percent);
        };
        pix->OnPaintNotify = [this](TPixImage*, unsigned pass, unsigned type) { notes.emplace_back(pass, type); };
        pix->SetEnableProgressEvent(true);
    }

    // Paints the new picture with the effect, then the same picture without one for comparison.
    void paintNew(int effect, unsigned passes)
    {
        pix->SetPaintMaxPasses(passes);
        pix->SetPaintEffect(effect);
        pix->SetBitmap(&newPicture);
        pix->Refresh();
        result = pix->ComposedFrame().convertToFormat(QImage::Format_RGB32);
        pix->SetEnableProgressEvent(false);
        pix->SetPaintEffect(1000);
        pix->SetTransitionStyle(etsNone);
        pix->Refresh();
        plainNew = pix->ComposedFrame().convertToFormat(QImage::Format_RGB32);
    }

    // A transition background: a gradient from blue to black, wiped in.
    void useBlueGradientTransition()
    {
        pix->SetTransitionStyle(etsGradient);
        pix->SetGradientStyle(1000);
        pix->SetGradientStartColor(platform::rgbColor(0, 0, 255));
        pix->SetTransitionEffect(2000);
    }

    static std::vector<int> oneToHundred()
    {
        std::vector<int> all;
        for (int i = 1; i <= 100; ++i) all.push_back(i);
        return all;
    }

    sdk::SdkBitmapHandle oldPicture, newPicture;
    QImage oldFrame, halfWay, result, plainNew;
    std::vector<int> percents;
    std::vector<std::pair<unsigned, unsigned>> notes;
    std::function<void(int)> onStatus;
};

struct KindCase {
    const char* name;
    int effect;
    unsigned passes;
};
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name << "/" << c.passes; }

class EveryKind : public Effects, public ::testing::WithParamInterface<KindCase> {};

TEST_P(EveryKind, GoesFromTheOldPictureToExactlyTheNewOneReportingEachPercentOnce)
{
    const KindCase& c = GetParam();
    paintNew(c.effect, c.passes);
    EXPECT_EQ(percents, oneToHundred());
    EXPECT_EQ(result, plainNew);
    EXPECT_NE(plainNew, oldFrame);
    // Half-way the frame is on its way: neither the old picture nor yet the new one.
    ASSERT_FALSE(halfWay.isNull());
    EXPECT_NE(halfWay, oldFrame);
    EXPECT_NE(halfWay, plainNew);
    // The effect paint, then the plain paint, each notified before its first pass and after each.
    ASSERT_EQ(notes.size(), 2 * (c.passes + 1));
    for (unsigned i = 0; i <= c.passes; ++i) {
        EXPECT_EQ(notes[i], std::make_pair(i, 1u));
        EXPECT_EQ(notes[c.passes + 1 + i], std::make_pair(i, 1u));
    }
    EXPECT_EQ(pix->PassCounter(), c.passes + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Effects, EveryKind,
    ::testing::Values(KindCase{"fade", 1001, 1}, KindCase{"wipe", 2000, 1}, KindCase{"wipeUp", 2003, 2},
                      KindCase{"wipeDiagonal", 2004, 1}, KindCase{"boxOut", 3000, 1}, KindCase{"boxIn", 3001, 3},
                      KindCase{"blinds", 4000, 1}, KindCase{"blindsVertical", 4001, 4}, KindCase{"dissolve", 5000, 1},
                      KindCase{"dissolveOther", 5017, 7}, KindCase{"doors", 6000, 1}, KindCase{"doorsIn", 6003, 2},
                      KindCase{"circle", 7000, 1}, KindCase{"circleIn", 7001, 3}, KindCase{"checker", 8000, 1},
                      KindCase{"fadeToo", 9001, 64}, KindCase{"push", 10000, 1}, KindCase{"pushDown", 10002, 5},
                      KindCase{"pushUp", 10003, 1}, KindCase{"later", 11000, 1}, KindCase{"last", 16035, 2}),
    [](const auto& info) { return std::string(info.param.name) + "_" + std::to_string(info.param.passes); });

TEST_F(Effects, PassesShareTheHundredPercentsAndEveryPassIsNotified)
{
    std::vector<std::pair<unsigned, int>> lastPerPass;
    onStatus = [&](int percent) { lastPerPass.emplace_back(static_cast<unsigned>(notes.size()), percent); };
    paintNew(2000, 4);
    EXPECT_EQ(percents, oneToHundred());
    // Notes before a status: 1 during pass 1, 2 during pass 2 and so on; pass p ends at p * 25 percent.
    for (const auto& [seen, percent] : lastPerPass) EXPECT_EQ(seen, static_cast<unsigned>((percent - 1) / 25 + 1)) << percent;
}

TEST_F(Effects, SwitchingProgressOffStopsThePaintAtTheNextCallback)
{
    onStatus = [&](int percent) {
        if (percent == 30) pix->SetEnableProgressEvent(false);
    };
    paintNew(5000, 4);
    EXPECT_EQ(percents.back(), 30);
    EXPECT_EQ(percents.size(), 30u);
    // No pass after the stop is notified; the control shows its picture.
    EXPECT_EQ(notes.front(), std::make_pair(0u, 1u));
    EXPECT_EQ(notes[1], std::make_pair(1u, 1u)); // pass 1 ended at 25 percent
    EXPECT_EQ(notes[2], std::make_pair(0u, 1u)); // the next paint
    EXPECT_EQ(result, plainNew);
    // A stopped paint leaves nothing behind that could stop the next operation.
    EXPECT_FALSE(TPixImage::AbortRequested());
    EXPECT_FALSE(TPixImage::Aborted());
}

TEST_F(Effects, CapturedAtTwelveFramesPerTransitionATransitionGivesEighteenFrames)
{
    // The capture cadence: every k-th progress event below the threshold is a frame, and the
    // threshold ends the capture by switching the progress events off.
    const int framesPerTransition = 12;
    const int k = 60 / framesPerTransition;
    const int threshold = 100 - platform::roundHalfEven(k * 1.2);
    int counter = 0;
    std::vector<int> frames;
    std::vector<QImage> images;
    onStatus = [&](int percent) {
        if (percent < threshold) {
            if (++counter == k) {
                frames.push_back(percent);
                images.push_back(pix->ComposedFrame().convertToFormat(QImage::Format_RGB32));
                counter = 0;
            }
        } else {
            pix->SetEnableProgressEvent(false);
        }
    };
    for (int effect : {2000, 5000, 1001}) {
        SCOPED_TRACE(effect);
        percents.clear();
        frames.clear();
        images.clear();
        counter = 0;
        pix->SetEnableProgressEvent(true);
        pix->SetBitmap(&oldPicture);
        pix->SetPaintEffect(1000);
        pix->Refresh();
        paintNew(effect, 1);
        ASSERT_EQ(frames.size(), 18u);
        EXPECT_EQ(frames.front(), 5);
        EXPECT_EQ(frames.back(), 90);
        EXPECT_EQ(percents.back(), 94);
        // Each captured frame is a different step of the way.
        for (std::size_t i = 1; i < images.size(); ++i) EXPECT_NE(images[i], images[i - 1]) << i;
    }
}

TEST_F(Effects, ATransitionBackgroundRunsItsPassesBeforeThePicture)
{
    useBlueGradientTransition();
    QImage gradientShown;
    onStatus = [&](int percent) {
        if (percents.size() == 100 && percent == 100) gradientShown = pix->ComposedFrame().convertToFormat(QImage::Format_RGB32);
    };
    paintNew(1000, 2);
    // The background's effect reports its hundred percents; the picture is then drawn at once.
    EXPECT_EQ(percents, oneToHundred());
    const std::vector<std::pair<unsigned, unsigned>> want{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};
    EXPECT_EQ(std::vector(notes.begin(), notes.begin() + 6), want);
    ASSERT_FALSE(gradientShown.isNull());
    EXPECT_EQ(rgbAt(gradientShown, 2, 60) & 0x0000FF, 0x0000FFu); // the gradient's blue start
    EXPECT_EQ(result, plainNew);
}

TEST_F(Effects, WithPaintRgnOnlyTheTransitionRunsInsideTheRegionAlone)
{
    newPicture.Region = QRegion(20, 20, 60, 40); // the picture is shown 1:1
    pix->SetPaintRgnOnly(true);
    useBlueGradientTransition();
    QImage gradientShown;
    onStatus = [&](int percent) {
        if (percent == 100 && gradientShown.isNull()) gradientShown = pix->ComposedFrame().convertToFormat(QImage::Format_RGB32);
    };
    paintNew(2000, 1);
    EXPECT_EQ(percents, oneToHundred());
    ASSERT_FALSE(gradientShown.isNull());
    // Inside: the gradient from blue to black, near its blue start; outside: the old picture.
    EXPECT_GT(rgbAt(gradientShown, 22, 40) & 0x0000FF, 200u);
    EXPECT_EQ(rgbAt(gradientShown, 22, 40) & 0xFFFF00, 0u);
    EXPECT_EQ(rgbAt(gradientShown, 120, 100), red);
    EXPECT_EQ(rgbAt(gradientShown, 10, 10), red);
    // Only the transition's passes: the picture comes at once, inside the region only.
    for (const auto& [pass, type] : notes) EXPECT_EQ(type, 0u) << pass;
    EXPECT_EQ(rgbAt(result, 40, 40), sdktest::pixel(newPicture, 40, 40));
    EXPECT_EQ(rgbAt(result, 120, 100), 0u);
}

TEST_F(Effects, APatternTransitionAndThePictureEffectEachReportTheirPercents)
{
    pix->SetTransitionStyle(etsPattern);
    pix->SetPatternStyle(epsCross);
    pix->SetPatternForeColor(platform::rgbColor(255, 255, 255));
    pix->SetTransitionEffect(5000);
    paintNew(7000, 1);
    std::vector<int> twice = oneToHundred();
    const std::vector<int> again = oneToHundred();
    twice.insert(twice.end(), again.begin(), again.end());
    EXPECT_EQ(percents, twice);
    EXPECT_EQ(result, plainNew);
}

TEST_F(Effects, TheWandLeadsAWipeAndLeavesNothingBehind)
{
    pix->SetWandSize(4);
    pix->SetWandColor(platform::rgbColor(0, 255, 0));
    paintNew(2000, 1);
    ASSERT_FALSE(halfWay.isNull());
    // At 50 percent columns 0..79 show the new picture and 80..83 the wand.
    const int x0 = pix->DstLeft();
    EXPECT_EQ(rgbAt(halfWay, x0 + 81, 10), 0x00FF00u);
    EXPECT_EQ(rgbAt(halfWay, x0 + 100, 10), red);
    EXPECT_EQ(result, plainNew);
}

TEST(EffectCodes, EveryValidCodeHasAShapeAndOnlyNoneDrawsAtOnce)
{
    EXPECT_EQ(sdk::effectShape(1000).kind, sdk::PxEffectKind::None);
    for (int code = 1001; code <= 16035; ++code)
        if (sdk::isEffectCode(code)) { EXPECT_NE(sdk::effectShape(code).kind, sdk::PxEffectKind::None) << code; }
    for (int code : {999, 1002, 2555, 16036}) EXPECT_FALSE(sdk::isEffectCode(code)) << code;
}

// Each step of a transition paints with the reveal map of its own shape and size, whatever was
// painted before it: a wipe at half way shows the new picture on its leading half only.
// Transitions painted in turns, with the maps of others worked out ahead between their steps (a
// player lays out the next transition while one runs), keep their own maps as well.
TEST(EffectPaint, AWipeAtHalfWayRevealsItsOwnLeadingHalfWhateverWasPaintedBefore)
{
    struct Case {
        int code, width, height;
    };
    const Case cases[] = {{2000, 64, 48}, {2002, 64, 48}, {2000, 32, 48}, {2000, 64, 48}, {2002, 64, 40}};
    // The pixels of a frame the wipe of c has not revealed at half way, or has revealed beyond it.
    auto wrongAtHalfWay = [](const Case& c, const QImage& frame) {
        const bool acrossX = c.code == 2000; // 2000 wipes from the left, 2002 from the top
        int wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const int at = acrossX ? x : y, length = acrossX ? c.width : c.height;
                const bool revealed = 1 + at * 100 / length <= 50;
                wrong += (frame.pixel(x, y) == qRgb(255, 255, 255)) != revealed;
            }
        return wrong;
    };
    auto start = [](const Case& c, QImage& frame, QImage& target, sdk::PxEffectParams& params) {
        frame = QImage(c.width, c.height, QImage::Format_RGB32);
        target = QImage(c.width, c.height, QImage::Format_RGB32);
        frame.fill(Qt::black);
        target.fill(Qt::white);
        params.effect = c.code;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.width << "x" << c.height);
        QImage frame, target;
        sdk::PxEffectParams params;
        start(c, frame, target, params);
        for (unsigned percent = 1; percent <= 50; ++percent)
            ASSERT_EQ(sdk::PX_EfxPaintBitmap(&frame, target, frame.rect(), params, percent, 100), sdk::PX_SUCCESS);
        EXPECT_EQ(wrongAtHalfWay(c, frame), 0);
    }

    constexpr int n = static_cast<int>(std::size(cases));
    QImage frames[n], targets[n];
    sdk::PxEffectParams params[n];
    for (int i = 0; i < n; ++i) start(cases[i], frames[i], targets[i], params[i]);
    for (unsigned percent = 1; percent <= 50; ++percent)
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(sdk::PX_EfxPaintBitmap(&frames[i], targets[i], frames[i].rect(), params[i], percent, 100), sdk::PX_SUCCESS);
            const Case& next = cases[(i + 1 + percent) % n];
            sdk::PxEffectParams ahead;
            ahead.effect = next.code;
            sdk::prepareEffect(QSize(next.width, next.height), ahead);
        }
    for (int i = 0; i < n; ++i) EXPECT_EQ(wrongAtHalfWay(cases[i], frames[i]), 0) << "in turns, case " << i;
}

} // namespace
