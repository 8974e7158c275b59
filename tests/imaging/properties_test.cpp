// Every published property of the control: its default, a value it accepts and, where the setter
// checks a range, a value it refuses with its exact message while the old value stays.
#include "fixture.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;

namespace {

struct PropertyCase {
    const char* name;
    std::function<void(TPixImage&)> check;
};
void PrintTo(const PropertyCase& c, std::ostream* os) { *os << c.name; }

// Default, then an accepted value read back.
#define STORED(Name, Default, Accepted)                                                                               \
    PropertyCase                                                                                                     \
    {                                                                                                                \
        #Name, [](TPixImage& p) {                                                                                    \
            EXPECT_EQ(p.Name(), Default);                                                                            \
            p.Set##Name(Accepted);                                                                                   \
            EXPECT_EQ(p.Name(), Accepted);                                                                           \
        }                                                                                                            \
    }

// Default, an accepted value, a refused one with its message and last result; the accepted value stays.
#define CHECKED(Name, Default, Accepted, Refused, Message, Result)                                                    \
    PropertyCase                                                                                                     \
    {                                                                                                                \
        #Name, [](TPixImage& p) {                                                                                    \
            EXPECT_EQ(p.Name(), Default);                                                                            \
            p.Set##Name(Accepted);                                                                                   \
            EXPECT_EQ(p.Name(), Accepted);                                                                           \
            const int before = p.LastResult();                                                                       \
            EXPECT_EQ(ControlTest::raisedBy([&] { p.Set##Name(Refused); }), QString(Message));                       \
            EXPECT_EQ(p.Name(), Accepted);                                                                           \
            EXPECT_EQ(p.LastResult(), (Result) == 99 ? before : (Result));                                           \
        }                                                                                                            \
    }

constexpr int kept = 99; // the refusal leaves the last result as it was

const std::vector<PropertyCase>& cases()
{
    static const std::vector<PropertyCase> all = {
        // layout and behaviour
        STORED(AutoAnimate, false, true),
        STORED(AutoAnimationLoop, 0, 1),
        STORED(AutoFloater, true, false),
        STORED(AutoRepaint, true, false),
        STORED(AutoScroll, true, false),
        STORED(AutoSetRects, true, false),
        STORED(AutoSize, false, true),
        STORED(CenterImage, false, true),
        STORED(BackColor, -16777201, 0x00FF00),
        STORED(BackErase, false, true),
        STORED(Transparent, false, true),
        CHECKED(HScrollStep, 10, 1, 0, "range: PixImage1 \nHScrollStep: Scroll step out of range.", 0),
        CHECKED(VScrollStep, 10, 1, 0, "range: PixImage1 \nVScrollStep: Scroll step out of range.", 0),
        STORED(EnableKeyboard, true, false),
        STORED(EnableScroll, true, false),
        STORED(EnableZoomInRect, true, false),
        STORED(EnableZoomInCapture, false, true),
        STORED(EnableMethodErrors, true, false),
        STORED(EnableProgressEvent, false, true),
        STORED(EnableFloater, false, true),
        STORED(RefBitmap, false, true),
        STORED(DropAutoLoad, true, false),
        STORED(DropFilesAllowed, false, true),
        STORED(TabStop, false, true),
        // painting
        STORED(PaintSizeMode, smNormal, smFit),
        CHECKED(PaintZoomFactor, 100, 250, -1, "PixImage1 \nPaintZoomFactor: Invalid value passed.", -13),
        STORED(PaintSizeUseDPI, false, true),
        STORED(PaintDither, pdOrdered, pdDiffusion),
        STORED(PaintPalette, ppAuto, ppFixedNetscape),
        STORED(PaintScaling, psNormal, psBicubic),
        STORED(BitonalScaling, btsNormal, btsScaleToGray),
        STORED(PaintContrast, 0, -20),
        STORED(PaintGamma, 100, 180),
        STORED(PaintIntensity, 0, 15),
        STORED(PaintRgnOnly, false, true),
        STORED(PaintWhileLoad, false, true),
        STORED(UseTransparentColor, false, true),
        STORED(TransparentColor, 0, 0xFFFFFF),
        // paint effects and transitions
        CHECKED(PaintEffect, 1000, 2554, 2555, "PixImage1 \nPaintEffect: Invalid Property value", kept),
        CHECKED(EffectGrain, 5u, 256u, 257u, "PixImage1 \nEffectGrain: Invalid Property value.", kept),
        STORED(EffectDelay, 0u, 40u),
        CHECKED(PaintMaxPasses, 1u, 64u, 65u, "PixImage1 \nPaintMaxPasses: Invalid Property value.", kept),
        STORED(PaintNotificationDelay, 0u, 25u),
        STORED(WandSize, 0u, 3u),
        STORED(WandColor, 0, 0x0000FF),
        STORED(TransitionStyle, etsNone, etsPattern),
        CHECKED(TransitionEffect, 1000, 16035, 999, "PixImage1 \nTransitionEffect: Invalid Property value", kept),
        CHECKED(GradientStyle, 1000u, 5007u, 1016u, "PixImage1 \nGradientStyle: Invalid Property value", kept),
        STORED(GradientStartColor, 16711680, 0x00FFFF),
        STORED(GradientEndColor, 0, 0xFFFFFF),
        CHECKED(GradientSteps, 16u, 265u, 266u, "PixImage1 \nGradientSteps: Invalid Property value.", kept),
        STORED(PatternStyle, epsSolid, epsDiagCross),
        STORED(PatternBackColor, 0, 0x808080),
        STORED(PatternForeColor, 0, 0xC0C0C0),
        // frame
        STORED(FrameThickness, 0u, 3u),
        STORED(FrameColor, 0, 0x0000FF),
        STORED(FrameInnerStyle, fisInset, fisRaised),
        STORED(FrameInnerThickness, 0u, 2u),
        STORED(FrameInnerHiliteColor, 16777215, 0xEEEEEE),
        STORED(FrameInnerShadowColor, 8421504, 0x404040),
        STORED(FrameOuterStyle, fosInset, fosRaised),
        STORED(FrameOuterThickness, 0u, 2u),
        STORED(FrameOuterHiliteColor, 16777215, 0xEEEEEE),
        STORED(FrameOuterShadowColor, 0, 0x404040),
        // shapes
        STORED(ShapeLeft, 0, 4),
        STORED(ShapeTop, 0, 5),
        STORED(ShapeWidth, 0, 105),
        STORED(ShapeHeight, 0, 70),
        STORED(ShapeBackgroundStyle, sbsTransparent, sbsTranslucentGradient),
        STORED(ShapeBorderColor, 0, 0xC0C0C0),
        STORED(ShapeBorderStyle, sbrTransparent, sbrSolid),
        STORED(ShapeBorderThickness, 0, 1),
        STORED(ShapeInnerBandStyle, sibNone, sibRaised),
        STORED(ShapeInnerBandThickness, 0, 5),
        STORED(ShapeInnerBandHiliteColor, 16777215, 0xF0F0F0),
        STORED(ShapeInnerBandShadowColor, 8421504, 0xFFFFFF),
        STORED(ShapeOuterBandStyle, sobNone, sobInset),
        STORED(ShapeOuterBandThickness, 0, 2),
        STORED(ShapeOuterBandHiliteColor, 16777215, 0xF0F0F0),
        STORED(ShapeOuterBandShadowColor, 8421504, 0x202020),
        STORED(ShadowColor, 0, 15395562),
        STORED(ShadowXDepth, 0, 2),
        STORED(ShadowYDepth, 0, 2),
        STORED(BackgroundImageLeft, 0, 1),
        STORED(BackgroundImageTop, 0, 2),
        STORED(BackgroundImageWidth, 0, 30),
        STORED(BackgroundImageHeight, 0, 40),
        // text
        STORED(TextAlign, etaLeftTop, etaRightBottom),
        STORED(TextLeft, 0, 10),
        STORED(TextTop, 0, 11),
        STORED(TextWidth, 0, 100),
        STORED(TextHeight, 0, 20),
        STORED(TextAngle, 0, 900),
        STORED(TextStyle, etsNormal, etsDropShadow),
        STORED(TextWordWrap, false, true),
        STORED(TextHiliteColor, 16777215, 0x00FFFF),
        STORED(TextFontColor, platform::clWindowText, 0x0000FF),
        // drawing on the bitmap
        STORED(DrawMode, pmCopy, pmNotXor),
        STORED(DrawPenColor, 0, 0x0000FF),
        STORED(DrawPenStyle, psSolid, psDot),
        STORED(DrawPenWidth, 1, 3),
        STORED(DrawFillColor, 0, 0xFF0000),
        STORED(DrawFillStyle, bsClear, bsSolid),
        STORED(DrawPersistence, false, true),
        STORED(LayerMode, false, true),
        STORED(Align, alNone, alClient),
        STORED(BorderStyle, bsNone, bsSingle),
        STORED(ParentCtl3D, false, true),
        STORED(Ctl3D, true, false),
        // pan window and magnifier
        STORED(PanWinX, 0, 10),
        STORED(PanWinY, 0, 20),
        STORED(PanWinWidth, 150, 200),
        STORED(PanWinHeight, 150, 120),
        STORED(PanWinTitle, QString("Pan Window"), QString("Overview")),
        STORED(PanWinRectColor, 255, 0xFF0000),
        STORED(PanWinSysMenu, true, false),
        STORED(PanWinPointer, 0, 1),
        STORED(PanWinPaintPalette, ppAuto, ppFixed),
        STORED(PanWinBitonalScaling, btsNormal, btsFavorBlack),
        STORED(PanWinPaintDither, pdOrdered, pdDiffusion),
        STORED(PanWinPaintScaling, psNormal, psResample),
        STORED(MagGlassPaintPalette, ppAuto, ppAutoNetscape),
        STORED(MagGlassBitonalScaling, btsNormal, btsScaleToGray),
        STORED(MagGlassPaintDither, pdOrdered, pdDiffusion),
        STORED(MagGlassPaintScaling, psResample, psNormal),
        STORED(MagGlassPointer, 0, 2),
        // data field
        STORED(DataField, QString(), QString("Picture")),
        STORED(ReadOnly, false, true),
        STORED(DataLoadBits, 24, 8),
        STORED(DataSaveBits, 24, 8),
        STORED(DataSaveFormat, 5, 23),
        STORED(DataSaveQuality, -1, 4),
        // document rasterising options
        CHECKED(PDFXResolution, 96, 0, -1, "PixImage1 \n PDFXResolution: Invalid value passed.", -13),
        CHECKED(PDFYResolution, 96, 300, -5, "PixImage1 \n PDFYResolution: Invalid value passed.", -13),
        CHECKED(PDFDisplayDepth, 24, 8, 16, "PixImage1 \n PDFDisplayDepth: Invalid value passed.", -13),
        CHECKED(PDFTextAlpha, 4, 2, 3, "PixImage1 \n PDFTextAlpha : Invalid value passed.", -13),
        CHECKED(PDFGraphicsAlpha, 1, 4, 0, "PixImage1 \n PDFGraphicsAlpha: Invalid value passed.", -13),
        STORED(PDFUseLibFonts, true, false),
        CHECKED(RasterizeViewportWidth, 640, 0, -1, "PixImage1 \n RasterizeViewportWidth: Invalid value passed.", -13),
        CHECKED(RasterizeViewportHeight, 480, 10, -1, "PixImage1 \n RasterizeViewportHeight: Invalid value passed.", -13),
        CHECKED(RasterizeViewMode, 1, 3, 4, "PixImage1 \n RasterizeViewMode: Invalid value passed.", -13),
    };
    return all;
}

class Properties : public ControlTest, public ::testing::WithParamInterface<PropertyCase> {};

TEST_P(Properties, DefaultAcceptedAndRefused)
{
    GetParam().check(*pix);
}

INSTANTIATE_TEST_SUITE_P(Every, Properties, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<PropertyCase>& info) { return std::string(info.param.name); });

// The lower ends of the checked ranges, which the table does not reach.
TEST_F(ControlTest, RangeLowerEndsAreRefused)
{
    EXPECT_FALSE(raisedBy([&] { pix->SetEffectGrain(0); }).isEmpty());
    EXPECT_FALSE(raisedBy([&] { pix->SetPaintMaxPasses(0); }).isEmpty());
    EXPECT_FALSE(raisedBy([&] { pix->SetGradientSteps(1); }).isEmpty());
    EXPECT_TRUE(raisedBy([&] { pix->SetGradientSteps(2); }).isEmpty());
    EXPECT_FALSE(raisedBy([&] { pix->SetPaintEffect(1002); }).isEmpty());
    EXPECT_TRUE(raisedBy([&] { pix->SetPaintEffect(16000); }).isEmpty());
    EXPECT_EQ(pix->EffectGrain(), 5u);
    EXPECT_EQ(pix->PaintMaxPasses(), 1u);
}

TEST_F(ControlTest, PaintZoomFactorSwitchesToZoomAndReadsTheSmallerStretchFactor)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(400, 300);
    pix->SetBitmap(&b);
    pix->SetPaintZoomFactor(250);
    EXPECT_EQ(pix->PaintSizeMode(), smZoom);
    EXPECT_DOUBLE_EQ(pix->ZoomX(), 2.5);
    EXPECT_DOUBLE_EQ(pix->ZoomY(), 2.5);
    EXPECT_EQ(pix->DstWidth(), 1000);
    EXPECT_EQ(pix->DstHeight(), 750);

    pix->SetAutoScroll(false); // no bars: the client is the whole control
    pix->resize(200, 100);
    pix->SetPaintSizeMode(smStretch);
    EXPECT_DOUBLE_EQ(pix->ZoomX(), 0.5);
    EXPECT_NEAR(pix->ZoomY(), 1.0 / 3.0, 1e-12);
    EXPECT_EQ(pix->PaintZoomFactor(), 33);
}

TEST_F(ControlTest, FloaterSwitchIsRefusedWhileTheFloaterIsNotAutomatic)
{
    pix->SetAutoFloater(false);
    pix->SetEnableFloater(true);
    EXPECT_FALSE(pix->EnableFloater());
    EXPECT_EQ(pix->LastResult(), 0);
    pix->SetAutoFloater(true);
    pix->SetEnableFloater(true);
    EXPECT_TRUE(pix->EnableFloater());
}

TEST_F(ControlTest, ErrorTextsFollowTheLastResult)
{
    EXPECT_EQ(pix->GetLastErrorText(), "");
    pix->SetEnableMethodErrors(false);
    EXPECT_EQ(pix->Load(win("missing.jpg")), -10);
    EXPECT_EQ(pix->GetLastErrorText(), "File not found");
    pix->SetEnableMethodErrors(true);
    EXPECT_EQ(raisedBy([&] { pix->CheckMethodResult("Rotate", -13); }),
              "PixImage1 \nError code: -13\nRotate: Invalid parmameter passed ");
    EXPECT_EQ(raisedBy([&] { pix->SetEnableMethodErrors(false), pix->RaiseMethodError("Fill", -2); }),
              "PixImage1 \nError code: -2\nFill: Invalid bitmap handle ");
    // Suspend and resume put the switch back as it was.
    pix->SetEnableMethodErrors(true);
    pix->SuspendMethodErrors();
    EXPECT_FALSE(pix->EnableMethodErrors());
    EXPECT_EQ(pix->CheckMethodResult("Rotate", -13), -13);
    pix->ResumeMethodErrors();
    EXPECT_TRUE(pix->EnableMethodErrors());
}

// The popup menu opens where the user asks for the context menu; a menu deleted meanwhile is
// simply not there any more.
TEST_F(ControlTest, PopupMenuOpensOnTheContextMenuRequest)
{
    pix->resize(100, 100);
    pix->show();
    auto* menu = new QMenu;
    menu->addAction("Rotate");
    pix->SetPopupMenu(menu);
    QContextMenuEvent ask(QContextMenuEvent::Mouse, QPoint(10, 10), pix->mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(pix.get(), &ask);
    EXPECT_TRUE(ask.isAccepted());
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    delete menu;
    EXPECT_EQ(pix->PopupMenu(), nullptr);
    QContextMenuEvent again(QContextMenuEvent::Mouse, QPoint(10, 10), pix->mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(pix.get(), &again);
}

// The Tab key reaches the control only with TabStop on; a click always gives it the focus.
TEST_F(ControlTest, TabStopDecidesWhetherTheTabKeyReachesTheControl)
{
    for (bool tabStop : {false, true}) {
        SCOPED_TRACE(tabStop);
        QWidget form;
        auto* before = new QLineEdit(&form);
        auto* control = new TPixImage(&form);
        auto* after = new QLineEdit(&form);
        control->move(0, 40);
        after->move(0, 200);
        control->SetTabStop(tabStop);
        form.show();
        form.activateWindow();
        QApplication::setActiveWindow(&form);
        before->setFocus();
        ASSERT_TRUE(before->hasFocus());
        QTest::keyClick(before, Qt::Key_Tab);
        EXPECT_EQ(control->hasFocus(), tabStop);
        EXPECT_EQ(after->hasFocus(), !tabStop);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_TRUE(control->hasFocus());
    }
}

TEST_F(ControlTest, TheControlReadsTheEnginesVersionWhenItIsMade)
{
    sdk::PxVersionInfo engine;
    ASSERT_EQ(sdk::PX_VersionInfo(&engine), 1);
    EXPECT_EQ(pix->VersionInfo().Major, engine.Major);
    EXPECT_EQ(pix->VersionInfo().Minor, engine.Minor);
    EXPECT_EQ(pix->VersionInfo().Text, engine.Text);
    EXPECT_FALSE(engine.Text.isEmpty());
}

TEST_F(ControlTest, AnAlignedControlFollowsItsParentsSize)
{
    QWidget form;
    form.resize(300, 200);
    auto* control = new TPixImage(&form);
    control->setGeometry(10, 10, 80, 60);
    form.show(); // a hidden window hears of its new size only when it is shown
    struct Case {
        TAlign align;
        QRect at300x200, at400x250;
    };
    const Case cases[] = {
        {alNone, {10, 10, 80, 60}, {10, 10, 80, 60}},      {alTop, {0, 0, 300, 60}, {0, 0, 400, 60}},
        {alBottom, {0, 140, 300, 60}, {0, 190, 400, 60}},  {alLeft, {0, 0, 80, 200}, {0, 0, 80, 250}},
        {alRight, {220, 0, 80, 200}, {320, 0, 80, 250}},   {alClient, {0, 0, 300, 200}, {0, 0, 400, 250}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        form.resize(300, 200);
        control->setGeometry(10, 10, 80, 60);
        control->SetAlign(c.align);
        EXPECT_EQ(control->geometry(), c.at300x200);
        form.resize(400, 250);
        EXPECT_EQ(control->geometry(), c.at400x250);
        control->SetAlign(alNone);
    }
    // Put into another parent it follows that one.
    QWidget other;
    other.resize(120, 90);
    other.show();
    control->SetAlign(alClient);
    control->setParent(&other);
    EXPECT_EQ(control->geometry(), QRect(0, 0, 120, 90));
    form.resize(500, 300);
    EXPECT_EQ(control->geometry(), QRect(0, 0, 120, 90));
}

TEST_F(ControlTest, ASingleBorderLiesAroundTheClientArea)
{
    pix->resize(120, 90);
    pix->show();
    sdk::SdkBitmapHandle white = sdktest::makeBitmap(200, 200, [](int, int) { return 0xFFFFFFu; });
    pix->SetBitmap(&white);
    int x = -1, y = -1;
    pix->OnMouseDown = [&](TPixImage*, int, TShiftState, int X, int Y) {
        x = X;
        y = Y;
    };
    struct Case {
        bool ctl3D;
        int edge;
        std::uint32_t outer, inner; // the edge's outermost and innermost line, top left
    };
    const QPalette palette = QApplication::palette();
    const Case cases[] = {
        {false, 1, palette.color(QPalette::Shadow).rgb() & 0xFFFFFF, palette.color(QPalette::Shadow).rgb() & 0xFFFFFF},
        {true, 2, palette.color(QPalette::Dark).rgb() & 0xFFFFFF, palette.color(QPalette::Shadow).rgb() & 0xFFFFFF},
    };
    EXPECT_EQ(pix->EdgeWidth(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        pix->SetBorderStyle(bsSingle);
        pix->SetCtl3D(c.ctl3D);
        EXPECT_EQ(pix->EdgeWidth(), c.edge);
        // The picture is larger than the control: both bars, inside the border.
        EXPECT_EQ(pix->ClientWidth(), 120 - 2 * c.edge - pix->VertScrollBar()->sizeHint().width());
        EXPECT_EQ(pix->ClientHeight(), 90 - 2 * c.edge - pix->HorzScrollBar()->sizeHint().height());
        EXPECT_EQ(pix->VertScrollBar()->geometry().right(), 120 - 1 - c.edge);
        EXPECT_EQ(pix->HorzScrollBar()->geometry().top(), 90 - c.edge - pix->HorzScrollBar()->sizeHint().height());
        const QImage shown = pix->grab().toImage();
        EXPECT_EQ(imagingtest::rgbAt(shown, 0, 40), c.outer);
        EXPECT_EQ(imagingtest::rgbAt(shown, c.edge - 1, 40), c.inner);
        EXPECT_EQ(imagingtest::rgbAt(shown, c.edge, 40), 0xFFFFFFu);
        // The mouse speaks client coordinates.
        QTest::mousePress(pix.get(), Qt::LeftButton, {}, QPoint(c.edge + 10, c.edge + 20));
        QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, QPoint(c.edge + 10, c.edge + 20));
        EXPECT_EQ(x, 10);
        EXPECT_EQ(y, 20);
    }
    pix->SetBorderStyle(bsNone);
    EXPECT_EQ(pix->EdgeWidth(), 0);
    EXPECT_EQ(pix->ClientWidth(), 120 - pix->VertScrollBar()->sizeHint().width());

    // With ParentCtl3D the look is the parent control's.
    auto* child = new TPixImage(pix.get());
    child->SetBorderStyle(bsSingle);
    EXPECT_EQ(child->EdgeWidth(), 2);
    pix->SetCtl3D(false);
    child->SetParentCtl3D(true);
    EXPECT_FALSE(child->Ctl3D());
    EXPECT_EQ(child->EdgeWidth(), 1);
    pix->SetCtl3D(true);
    EXPECT_EQ(child->EdgeWidth(), 2);
    child->SetCtl3D(false); // its own again
    EXPECT_FALSE(child->ParentCtl3D());
    pix->SetCtl3D(true);
    EXPECT_EQ(child->EdgeWidth(), 1);
}

TEST_F(ControlTest, TabOrderIsThePlaceAmongTheParentsChildren)
{
    EXPECT_EQ(pix->TabOrder(), -1);
    QWidget form;
    auto* a = new QLineEdit(&form);
    auto* b = new QLineEdit(&form);
    auto* control = new TPixImage(&form);
    control->SetTabStop(true);
    auto* c = new QLineEdit(&form);
    // The widgets the Tab key goes through, from the form on.
    auto tabbing = [&] {
        std::vector<QWidget*> order;
        for (QWidget* w = form.nextInFocusChain(); w != &form; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus) order.push_back(w);
        return order;
    };
    EXPECT_EQ(control->TabOrder(), 2);
    control->SetTabOrder(0);
    EXPECT_EQ(control->TabOrder(), 0);
    EXPECT_EQ(tabbing(), (std::vector<QWidget*>{control, a, b, c}));
    control->SetTabOrder(99);
    EXPECT_EQ(control->TabOrder(), 3);
    EXPECT_EQ(tabbing(), (std::vector<QWidget*>{a, b, c, control}));
    control->SetTabOrder(1);
    EXPECT_EQ(control->TabOrder(), 1);
    EXPECT_EQ(tabbing(), (std::vector<QWidget*>{a, control, b, c}));
    EXPECT_EQ(form.focusPolicy(), Qt::NoFocus);
}

} // namespace
