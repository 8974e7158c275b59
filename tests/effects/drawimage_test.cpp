// The drawing control and its effects dialog without the main window: the range, the control's
// own effects, and which routine each node of the effect tree runs with which bar.
#include "effects/paintfx.h"
#include "effects/random.h"
#include "effects/ui/bitmapfiles.h"
#include "effects/ui/effecttable.h"
#include "effects/ui/painteffectsform.h"
#include "effects/ui/veldrawimage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QSlider>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using effects::Bgr;
using effects::Bitmap24;
using effects::TvelPaintFX;

namespace {

// Every pixel a different colour, so that moved or mixed pixels show.
Bitmap24 pattern(int w, int h)
{
    Bitmap24 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, Bgr{std::uint8_t(x * 255 / std::max(1, w - 1)), std::uint8_t(y * 255 / std::max(1, h - 1)),
                                 std::uint8_t((x * 7 + y * 13) % 256)});
    return b;
}

struct ControlTest : ::testing::Test {
    TvelDrawImage art;
    TPainterEffectsF& dialog() { return *art.EffectsDialog(); }

    // Chooses the node as a click does, then moves the bars as given.
    void run(const QString& node, int amount, int extra = 1)
    {
        ASSERT_TRUE(dialog().SelectEffect(node)) << node.toStdString();
        dialog().EListClick();
        dialog().extrabar->setValue(extra);
        dialog().EBar->setValue(amount);
        dialog().EBarChange(); // the last value may not have changed the bar
    }
};

} // namespace

TEST_F(ControlTest, FreshControlHoldsAWhitePictureAndTheToolSettings)
{
    EXPECT_EQ(art.Picture().width(), 256);
    EXPECT_EQ(art.Picture().height(), 256);
    EXPECT_EQ(art.Picture().pixel(255, 255), (Bgr{255, 255, 255}));
    EXPECT_EQ(art.Shape(), "line");
    EXPECT_EQ(art.stars(), 1);
    EXPECT_EQ(art.starpoints(), 5);
    EXPECT_EQ(art.blocks(), 32);
    EXPECT_EQ(art.spirals(), 3);
    EXPECT_FALSE(art.polygonchecked());
    effects::ColorRef picked = -1;
    art.DoColorPicked(0x123456); // unassigned: nothing happens
    art.SetonColorPicked([&](QObject* sender, effects::ColorRef c) {
        EXPECT_EQ(sender, &art);
        picked = c;
    });
    art.DoColorPicked(0x123456);
    EXPECT_EQ(picked, 0x123456);
}

TEST_F(ControlTest, TheRangeIsAnExactCopyOfTheWholePicture)
{
    const Bitmap24 picture = pattern(199, 150);
    art.SetPicture(picture);
    art.CopyPictureToRange();
    EXPECT_EQ(art.RangeRect.Right, 198);
    EXPECT_EQ(art.RangeRect.Bottom, 149);
    // Pixel for pixel, the last column and row included.
    EXPECT_EQ(art.RangeBitmap, picture);
}

TEST_F(ControlTest, ShearLeansThePictureToTheRight)
{
    const Bitmap24 picture = pattern(8, 8);
    Bitmap24 b = picture;
    TvelDrawImage::Shear(b, 0);
    EXPECT_EQ(b, picture);

    // Amount 100 on a square: factor one half; row y is shifted by y and compressed to half its
    // width, so it starts at column round(y / 2). Column = round((y + x) / 2), halves to even; the
    // last pixel written to a column wins.
    b = picture;
    TvelDrawImage::Shear(b, 100);
    ASSERT_EQ(b.width(), 8);
    // Row 0: x 0, 1 -> 0; 2 -> 1; 3, 4, 5 -> 2 (1.5 and 2.5 both round to 2); 6 -> 3; 7 -> 4.
    EXPECT_EQ(b.pixel(0, 0), picture.pixel(1, 0));
    EXPECT_EQ(b.pixel(1, 0), picture.pixel(2, 0));
    EXPECT_EQ(b.pixel(2, 0), picture.pixel(5, 0));
    EXPECT_EQ(b.pixel(3, 0), picture.pixel(6, 0));
    EXPECT_EQ(b.pixel(4, 0), picture.pixel(7, 0));
    EXPECT_EQ(b.pixel(5, 0), (Bgr{0, 0, 0})); // reached by no pixel: a fresh bitmap's black
    // Row 4: x 0, 1 -> 2; its left two columns get nothing.
    EXPECT_EQ(b.pixel(2, 4), picture.pixel(1, 4));
    EXPECT_EQ(b.pixel(0, 4), (Bgr{0, 0, 0}));
    EXPECT_EQ(b.pixel(1, 4), (Bgr{0, 0, 0}));
}

TEST_F(ControlTest, SplitLightRaisesTheMiddleTonesPerPass)
{
    EXPECT_EQ(art.SplitLightTable[0], 0);
    EXPECT_EQ(art.SplitLightTable[255], 255);
    EXPECT_EQ(art.SplitLightTable[128], 181);
    art.SetPicture(Bitmap24(3, 2, Bgr{0, 128, 255}));
    art.CopyPictureToRange();
    art.SplitLight(1);
    EXPECT_EQ(art.RangeBitmap.pixel(2, 1), (Bgr{0, 181, 255}));
    art.SplitLight(1);
    EXPECT_EQ(art.RangeBitmap.pixel(0, 0).g, art.SplitLightTable[181]);
}

TEST_F(ControlTest, StretchMitchellFillsTheTargetSize)
{
    const Bitmap24 flat(10, 10, Bgr{40, 90, 200});
    Bitmap24 target(25, 4);
    TvelDrawImage::StretchMitchell(flat, target);
    EXPECT_EQ(target.pixel(24, 3), (Bgr{40, 90, 200}));
}

TEST_F(ControlTest, EachNodeRunsItsRoutineWithItsBars)
{
    using Routine = std::function<void(Bitmap24&)>;
    struct Case {
        const char* node;
        int amount, extra;
        Routine expected;
    };
    const Case cases[] = {
        {"Posterize", 40, 1, [](Bitmap24& b) { TvelPaintFX::Posterize(b, b, 40); }},
        {"Gaussian Blur", 2, 1, [](Bitmap24& b) { TvelPaintFX::GaussianBlur(b, 2); }},
        {"Mosaic", 4, 1, [](Bitmap24& b) { TvelPaintFX::Mosaic(b, 4); }},
        // Fisheye keeps the range Mosaic left (2..30): the amount is the position / 100.
        {"Fisheye", 20, 1, [](Bitmap24& b) { TvelPaintFX::FishEye(b, b, 0.2); }},
        {"Wave/Extra", 5, 1, [](Bitmap24& b) { TvelPaintFX::Wave(b, 5, 0, 1); }},
        {"Wave/Inference", 3, 7, [](Bitmap24& b) { TvelPaintFX::Wave(b, 7, 3, 2); }},
        {"Split Light", 2, 1, [](Bitmap24& b) {
             TvelDrawImage probe;
             probe.SetPicture(b);
             probe.CopyPictureToRange();
             probe.SplitLight(2);
             b = probe.RangeBitmap;
         }},
        {"Wings/Fold", 9, 3, [](Bitmap24& b) { TvelPaintFX::WingsFold(b, b, 3.0, 9); }},
        {"Emboss", 50, 1, [](Bitmap24& b) { TvelPaintFX::Emboss(b); }},
        {"Colors/XGreen", 200, 60, [](Bitmap24& b) { TvelPaintFX::FilterXGreen(b, 60, 200); }},
        {"Squeeze/Diamond", 30, 1, [](Bitmap24& b) { TvelPaintFX::Squeeze(b, b, 30, 10); }},
        {"Split/Waste", 30, 1, [](Bitmap24& b) { TvelPaintFX::SplitRound(b, b, 30, 15); }},
        {"Shear", 60, 1, [](Bitmap24& b) { TvelDrawImage::Shear(b, 60); }},
        {"Julia", 40, 20, [](Bitmap24& b) { TvelPaintFX::DrawMandelJulia(b, 16, 40 * 0.028 - 2.25, 20 * 0.009 - 1.5, 0.75, 1.5, false); }},
        {"Ripple/Tooth", 5, 1, [](Bitmap24& b) { TvelPaintFX::RippleTooth(b, 5); }},
        {"Ripple/Triangle", 5, 1, [](Bitmap24& b) { TvelPaintFX::RippleTooth(b, 5); }},
        {"Texturize/Overlap", 9, 1, [](Bitmap24& b) { TvelPaintFX::OverlapTexture(b, 9); }},
        {"Solarize", 100, 1, [](Bitmap24& b) { TvelPaintFX::Solarize(b, b, 100); }},
        // The group nodes "Ripple" and "Texturize" carry the contrast routine.
        {"Ripple", 60, 1, [](Bitmap24& b) { TvelPaintFX::Contrast(b, 60); }},
    };
    const Bitmap24 picture = pattern(40, 30);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        art.SetPicture(picture);
        run(QString::fromLatin1(c.node), c.amount, c.extra);
        Bitmap24 expected = picture;
        c.expected(expected);
        EXPECT_EQ(art.RangeBitmap, expected);
        EXPECT_EQ(effectsui::FromImage(dialog().PreviewImage()), expected);
    }
}

TEST_F(ControlTest, RotateTurnsAboutTheCentreBars)
{
    const Bitmap24 picture = pattern(40, 30);
    art.SetPicture(picture);
    dialog().cxbar->setMaximum(100);
    dialog().cybar->setMaximum(100);
    dialog().cxbar->setValue(12);
    dialog().cybar->setValue(9);
    run("Rotate", 30);
    Bitmap24 expected = picture;
    TvelPaintFX::Rotate(expected, expected, 12, 9, 30);
    EXPECT_EQ(art.RangeBitmap, expected);
}

TEST_F(ControlTest, ChoosingANodeSetsItsAmountRange)
{
    struct Case {
        const char* node;
        int min, max, position;
    };
    const Case cases[] = {{"Seamless", 3, 15, 5},   {"Mosaic", 2, 30, 15},   {"Triangles", 5, 127, 19},
                          {"Colors/Red", 0, 255, 128}, {"Wings/Wavy", 1, 400, 1}, {"Posterize", 1, 255, 1},
                          {"Rotate", 0, 360, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        ASSERT_TRUE(dialog().SelectEffect(c.node));
        dialog().EListClick();
        EXPECT_EQ(dialog().EBar->minimum(), c.min);
        EXPECT_EQ(dialog().EBar->maximum(), c.max);
        EXPECT_EQ(dialog().EBar->value(), c.position);
    }
    // Fisheye and the contrast group keep the range the effect before left.
    ASSERT_TRUE(dialog().SelectEffect("Fisheye"));
    dialog().EListClick();
    EXPECT_EQ(dialog().EBar->maximum(), 360);
    ASSERT_TRUE(dialog().SelectEffect("Texturize"));
    dialog().EListClick();
    EXPECT_EQ(dialog().EBar->maximum(), 360);
}

TEST_F(ControlTest, GroupNodesWithoutAnEffectDoNothing)
{
    const Bitmap24 picture = pattern(20, 20);
    art.SetPicture(picture);
    art.RangeBitmap = Bitmap24(3, 3, Bgr{1, 2, 3});
    for (const char* node : {"Noise", "Wave", "Wings", "Colors", "Squeeze", "Split"}) {
        SCOPED_TRACE(node);
        ASSERT_TRUE(dialog().SelectEffect(node));
        dialog().EListClick();
        dialog().EBar->setValue(dialog().EBar->value() + 1);
        EXPECT_EQ(art.RangeBitmap, Bitmap24(3, 3, Bgr{1, 2, 3}));
    }
    dialog().ETree->clearSelection();
    EXPECT_EQ(dialog().SelectedFxId(), -1);
    dialog().EBarChange();
    EXPECT_EQ(art.RangeBitmap, Bitmap24(3, 3, Bgr{1, 2, 3}));
}

TEST_F(ControlTest, PlasmaRaisesASmallTurbulenceToTen)
{
    const Bitmap24 picture = pattern(24, 24);
    art.SetPicture(picture);
    effects::SetRandSeed(77);
    run("Plasma", 20, 3);
    EXPECT_EQ(dialog().extrabar->value(), 10);
    effects::SetRandSeed(77);
    Bitmap24 expected = picture;
    const Bitmap24 a = picture, b = picture;
    TvelPaintFX::Plasma(a, b, expected, 20, 10);
    art.ApplyEffect(42);
    // Plasma draws no random numbers: the same picture whatever the seed.
    EXPECT_EQ(art.RangeBitmap, expected);
}

TEST_F(ControlTest, BlendNeedsAClipboardPictureOfTheRangesSize)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const Bitmap24 picture = pattern(16, 12);
    art.SetPicture(picture);
    clipboard->clear();
    dialog().ShowPreview(QImage());
    run("Blend", 50);
    EXPECT_EQ(art.RangeBitmap, picture); // a plain copy
    EXPECT_TRUE(dialog().PreviewImage().isNull()); // the preview is not updated

    const Bitmap24 other(16, 12, Bgr{200, 100, 0});
    clipboard->setImage(effectsui::ToImage(other));
    if (clipboard->image().isNull()) GTEST_SKIP() << "no clipboard on this platform";
    art.ApplyEffect(52);
    Bitmap24 expected = picture;
    TvelPaintFX::BlendEffect(expected, other, expected, 0.5);
    EXPECT_EQ(art.RangeBitmap, expected);
    clipboard->clear();
}

TEST_F(ControlTest, BrightnessBarsDrawOnlyWhenTheButtonIsUp)
{
    const Bitmap24 picture = pattern(20, 10);
    art.SetPicture(picture);
    TPainterEffectsF& d = dialog();
    // Before the first activation nothing is drawn.
    d.HelligkeitTrackBar->setValue(30);
    EXPECT_TRUE(d.PreviewImage().isNull());
    d.PreviewEnabled = true;
    d.HelligkeitTrackBar->setSliderDown(true);
    d.HelligkeitTrackBar->setValue(60);
    EXPECT_TRUE(d.PreviewImage().isNull());
    EXPECT_EQ(d.Brightness, 0);
    d.HelligkeitTrackBar->setSliderDown(false); // released: the change with the button up
    EXPECT_EQ(d.Brightness, 60);
    // The colour bar at its start ("0") leaves the colours as they are.
    Bitmap24 expected = picture;
    TvelPaintFX::Lightness(expected, 60);
    EXPECT_EQ(effectsui::FromImage(d.PreviewImage()), expected);
    EXPECT_TRUE(d.FarbeLabel->text().endsWith(": 0"));

    d.KontrastTrackBar->setValue(-40);
    d.ZuruecksetzenButtonClick();
    EXPECT_EQ(d.HelligkeitTrackBar->value(), 0);
    EXPECT_EQ(d.KontrastTrackBar->value(), 0);
    EXPECT_EQ(d.FarbeTrackBar->value(), 250);
    EXPECT_EQ(effectsui::FromImage(d.PreviewImage()), picture);
    // Its ends: grey, and twice the distance from grey (510 / 255).
    d.FarbeTrackBar->setValue(0);
    expected = picture;
    TvelPaintFX::Saturation(expected, 0);
    EXPECT_EQ(effectsui::FromImage(d.PreviewImage()), expected);
    d.FarbeTrackBar->setValue(500);
    expected = picture;
    TvelPaintFX::Saturation(expected, 510);
    EXPECT_EQ(effectsui::FromImage(d.PreviewImage()), expected);
}

TEST(BitmapFiles, AFailedWriteIsReportedAsAFailure)
{
    const Bitmap24 picture = pattern(8, 8);
    EXPECT_NE(effectsui::SaveBitmapAsJpeg("Z:\\no-such-folder-here\\x.jpg", picture, 20), 1);
    EXPECT_NE(effectsui::SaveBitmapAsJpeg("Z:\\tmp\\empty.jpg", Bitmap24(), 20), 1);
    Bitmap24 kept = picture;
    EXPECT_NE(effectsui::LoadBitmapFile("Z:\\no-such-folder-here\\x.jpg", kept), 1);
    EXPECT_EQ(kept, picture);
}

TEST(DrawImageLifetime, TheControlFreesItsDialog)
{
    QPointer<TPainterEffectsF> dialog;
    {
        TvelDrawImage art;
        dialog = art.EffectsDialog();
        EXPECT_EQ(dialog->EffectsForm(), &art);
    }
    EXPECT_TRUE(dialog.isNull());
    // A dialog of its own (the program's second one) runs nothing without a control.
    TPainterEffectsF alone;
    ASSERT_TRUE(alone.SelectEffect("Mosaic"));
    alone.EListClick();
    alone.EBarChange();
    EXPECT_TRUE(alone.PreviewImage().isNull());
}

TEST_F(ControlTest, TheTreeHoldsEveryEffectUnderItsNodeInOrder)
{
    // Caption path and effect number of every node, top nodes and children in the order shown.
    QStringList nodes;
    for (int i = 0; i < dialog().ETree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* top = dialog().ETree->topLevelItem(i);
        nodes << top->text(0) + QStringLiteral("=") + QString::number(top->data(0, Qt::UserRole).toInt());
        for (int c = 0; c < top->childCount(); ++c)
            nodes << top->text(0) + QStringLiteral("/") + top->child(c)->text(0) + QStringLiteral("=")
                         + QString::number(top->child(c)->data(0, Qt::UserRole).toInt());
    }
    const QStringList expected = QString(
        "Posterize=54|Gaussian Blur=3|Split Blur=4|Noise=-1|Noise/Color=5|Noise/Mono=6|Smooth=7|Seamless=8|Mosaic=9|"
        "Twist=10|Fisheye=11|Wave=-1|Wave/Normal=12|Wave/Extra=13|Wave/Inference=14|Rotate=15|Split Light=16|Wings=-1|"
        "Wings/Deep=17|Wings/Down=18|Wings/Up=19|Wings/Fold=20|Wings/Touche=21|Wings/Flyer=22|Wings/Flipover=23|"
        "Wings/Wavy=24|Emboss=25|Colors=-1|Colors/Red=26|Colors/Green=27|Colors/Blue=28|Colors/XRed=29|Colors/XGreen=30|"
        "Colors/XBlue=31|Squeeze=-1|Squeeze/Horizontal=32|Squeeze/Top=33|Squeeze/Bottom=34|Squeeze/Diamond=35|"
        "Squeeze/Waste=36|Squeeze/Round=37|Squeeze/Double Round=38|Split=-1|Split/Round=39|Split/Waste=40|Shear=41|"
        "Plasma=42|MandelBrot=43|Julia=44|Triangles=45|Ripple=0|Ripple/Tooth=46|Ripple/Triangle=47|Ripple/Random=48|"
        "Texturize=0|Texturize/Tile=49|Texturize/Overlap=50|Map=51|Blend=52|Solarize=53")
                                   .split(u'|');
    EXPECT_EQ(nodes, expected);
    EXPECT_EQ(dialog().ETree->topLevelItemCount(), 27);
    // Every effect number has its routine; numbers outside 0..54 have none and change nothing.
    for (int fx = 0; fx <= 54; ++fx) EXPECT_TRUE(effectsui::FindEffect(fx)) << fx;
    art.RangeBitmap = Bitmap24(2, 2, Bgr{1, 2, 3});
    for (int fx : {-1, 55}) {
        EXPECT_FALSE(effectsui::FindEffect(fx));
        EXPECT_FALSE(art.ApplyEffect(fx));
    }
    EXPECT_EQ(art.RangeBitmap, Bitmap24(2, 2, Bgr{1, 2, 3}));
}
