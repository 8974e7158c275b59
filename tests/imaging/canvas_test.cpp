// The drawing canvas: with DrawPersistence it draws into the bitmap, mapped from the client area
// as the picture is shown, and what it drew is shown, kept in the list and saved; without it it
// draws onto what the window shows, inside the frame, until the next repaint.
#include "fixture.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;
using imagingtest::rgbAt;
using platform::rgbColor;
using sdktest::pixel;

namespace {

constexpr std::uint32_t white = 0xFFFFFF;
constexpr std::uint32_t red = 0xFF0000;
constexpr std::uint32_t blue = 0x0000FF;

class Canvas : public ControlTest {
protected:
    // A white 100 x 75 picture at twice its size in a control with a 5-pixel frame: bitmap
    // pixel (x, y) shows at client (5 + 2x, 5 + 2y).
    void SetUp() override
    {
        ControlTest::SetUp();
        pix->resize(220, 170);
        pix->SetFrameThickness(5);
        pix->SetFrameColor(rgbColor(0, 255, 0));
        picture = sdktest::makeBitmap(100, 75, [](int, int) { return white; });
        pix->SetBitmap(&picture);
        pix->SetPaintZoomFactor(200);
        pix->Refresh();
    }
    TPixCanvas* canvas(bool persistent, bool forText = false)
    {
        pix->SetDrawPersistence(persistent);
        TPixCanvas* c = pix->GetDrawCanvas(forText);
        EXPECT_NE(c, nullptr);
        EXPECT_EQ(c->Persistent(), persistent);
        return c;
    }
    const sdk::SdkBitmapHandle& bitmap() { return *pix->Bitmap(); }

    sdk::SdkBitmapHandle picture;
};

TEST_F(Canvas, APersistentCanvasDrawsIntoTheBitmapWhereTheClientShowsIt)
{
    pix->SetDrawPenColor(rgbColor(255, 0, 0));
    pix->SetDrawFillColor(rgbColor(0, 0, 255));
    pix->SetDrawFillStyle(bsSolid);
    int changes = 0;
    pix->OnChange = [&](TPixImage*) { ++changes; };
    TPixCanvas* c = canvas(true);
    // The client rectangle (45, 35)-(105, 85) covers bitmap (20, 15)-(50, 40).
    c->Rectangle(45, 35, 105, 85);
    // While the canvas is out the picture is not edited otherwise.
    EXPECT_EQ(raisedBy([&] { pix->Fill(0); }), "PixImage1 \nError code: 0\nProcessing not allowed: " +
                                                   sdk::ErrorCodeMessage(0) + " ");
    EXPECT_EQ(pix->ReleaseDrawCanvas(c), 1);

    const sdk::SdkBitmapHandle& b = bitmap();
    EXPECT_EQ(pixel(b, 20, 15), red);  // the outline's corner
    EXPECT_EQ(pixel(b, 35, 15), red);
    EXPECT_EQ(pixel(b, 35, 27), blue); // inside
    EXPECT_EQ(pixel(b, 19, 27), white);
    EXPECT_EQ(pixel(b, 35, 14), white);
    EXPECT_EQ(pixel(b, 50, 27), white); // right and bottom edges lie outside
    EXPECT_EQ(pixel(b, 35, 40), white);
    EXPECT_EQ(pixel(b, 49, 27), red);
    EXPECT_EQ(pixel(b, 35, 39), red);

    // The window shows it, the list keeps it and the file holds it.
    pix->Refresh();
    EXPECT_EQ(rgbAt(pix->ComposedFrame(), 80, 60), blue);
    EXPECT_EQ(rgbAt(pix->ComposedFrame(), 44, 60), white);
    EXPECT_EQ(rgbAt(pix->ComposedFrame(), 45, 60), red);
    ASSERT_EQ(pix->SetBitmapListIndex(0), 1);
    EXPECT_EQ(pixel(bitmap(), 35, 27), blue);
    ASSERT_EQ(pix->Save(win("drawn.png"), sdk::fmtPNG, 24, 0, 0), 1);
    sdk::SdkBitmapHandle saved;
    ASSERT_EQ(sdk::PX_LoadFile(win("drawn.png"), &saved, 0, nullptr), sdk::PX_SUCCESS);
    EXPECT_TRUE(sdktest::samePixels(saved, bitmap()));
    EXPECT_EQ(changes, 1); // the list item shown again
}

TEST_F(Canvas, AWindowCanvasDrawsInsideTheFrameUntilTheNextPaint)
{
    const QImage before = pix->ComposedFrame();
    pix->SetDrawPenColor(rgbColor(255, 0, 0));
    pix->SetDrawFillColor(rgbColor(255, 0, 0));
    pix->SetDrawFillStyle(bsSolid);
    TPixCanvas* c = canvas(false);
    c->Rectangle(0, 0, 220, 170);
    EXPECT_EQ(pix->ReleaseDrawCanvas(c), 1);
    const QImage drawn = pix->ComposedFrame();
    EXPECT_EQ(rgbAt(drawn, 2, 2), 0x00FF00u);   // the frame stays
    EXPECT_EQ(rgbAt(drawn, 217, 167), 0x00FF00u);
    EXPECT_EQ(rgbAt(drawn, 5, 5), red);
    EXPECT_EQ(rgbAt(drawn, 214, 164), red);
    EXPECT_EQ(pixel(bitmap(), 50, 30), white); // the picture is untouched
    pix->Refresh();
    EXPECT_EQ(pix->ComposedFrame(), before);

    // Drawn from OnPaint it comes back with every paint.
    pix->OnPaint = [&](TPixImage* sender) {
        TPixCanvas* w = sender->GetDrawCanvas();
        w->MoveTo(10, 20);
        w->LineTo(60, 20);
        sender->ReleaseDrawCanvas(w);
    };
    pix->Refresh();
    pix->Refresh();
    EXPECT_EQ(rgbAt(pix->ComposedFrame(), 10, 20), red);
    EXPECT_EQ(rgbAt(pix->ComposedFrame(), 59, 20), red);
    EXPECT_EQ(rgbAt(pix->ComposedFrame(), 60, 20), white); // the end point is not drawn
    EXPECT_EQ(rgbAt(pix->ComposedFrame(), 30, 21), white);
}

struct ModeCase {
    const char* name;
    TPenMode mode;
    std::uint32_t expected; // over 0x336699 with the colour 0x0F55F0
};
void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }

class PenModes : public Canvas, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(PenModes, CombineTheColourWithWhatIsThere)
{
    const ModeCase& c = GetParam();
    picture = sdktest::makeBitmap(100, 75, [](int, int) { return 0x336699u; });
    pix->SetBitmap(&picture);
    pix->SetPaintSizeMode(smNormal);
    pix->SetFrameThickness(0);
    pix->SetDrawMode(c.mode);
    pix->SetDrawPenColor(rgbColor(0x0F, 0x55, 0xF0));
    pix->SetDrawFillColor(rgbColor(0x0F, 0x55, 0xF0));
    pix->SetDrawFillStyle(bsSolid);
    for (const bool persistent : {true, false}) {
        SCOPED_TRACE(persistent ? "bitmap" : "window");
        pix->Refresh();
        // Each on a part of the picture not drawn on yet.
        const int at = persistent ? 10 : 40;
        TPixCanvas* k = canvas(persistent);
        k->Rectangle(at, at, at + 20, at + 20);
        pix->ReleaseDrawCanvas(k);
        const std::uint32_t got =
            persistent ? pixel(bitmap(), at + 10, at + 10) : rgbAt(pix->ComposedFrame(), at + 10, at + 10);
        EXPECT_EQ(got, c.expected) << std::hex << got;
        EXPECT_EQ(persistent ? pixel(bitmap(), 5, 5) : rgbAt(pix->ComposedFrame(), 5, 5), 0x336699u);
    }
}

constexpr std::uint32_t D = 0x336699, P = 0x0F55F0, M = 0xFFFFFF;
INSTANTIATE_TEST_SUITE_P(
    Canvas, PenModes,
    ::testing::Values(ModeCase{"copy", pmCopy, P}, ModeCase{"black", pmBlack, 0}, ModeCase{"white", pmWhite, M},
                      ModeCase{"nop", pmNop, D}, ModeCase{"not", pmNot, ~D & M}, ModeCase{"notCopy", pmNotCopy, ~P & M},
                      ModeCase{"mergePenNot", pmMergePenNot, (P | ~D) & M},
                      ModeCase{"maskPenNot", pmMaskPenNot, P & ~D & M},
                      ModeCase{"mergeNotPen", pmMergeNotPen, (~P | D) & M},
                      ModeCase{"maskNotPen", pmMaskNotPen, ~P & D & M}, ModeCase{"merge", pmMerge, P | D},
                      ModeCase{"notMerge", pmNotMerge, ~(P | D) & M}, ModeCase{"mask", pmMask, P & D},
                      ModeCase{"notMask", pmNotMask, ~(P & D) & M}, ModeCase{"xor", pmXor, P ^ D},
                      ModeCase{"notXor", pmNotXor, ~(P ^ D) & M}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Canvas, PenAndBrushStylesLeaveTheGapsAsTheyWere)
{
    pix->SetPaintSizeMode(smNormal);
    pix->SetFrameThickness(0);
    pix->SetDrawPenColor(rgbColor(255, 0, 0));
    pix->SetDrawFillColor(rgbColor(0, 0, 255));

    // A hatched brush: lines of its colour, the rest stays white.
    pix->SetDrawFillStyle(bsHorizontal);
    pix->SetDrawPenStyle(psClear);
    TPixCanvas* c = canvas(true);
    c->Rectangle(0, 0, 40, 40);
    pix->ReleaseDrawCanvas(c);
    int hatch = 0, gaps = 0;
    for (int y = 0; y < 39; ++y) {
        const std::uint32_t p = pixel(bitmap(), 20, y);
        hatch += p == blue;
        gaps += p == white;
        EXPECT_TRUE(p == blue || p == white) << y;
    }
    EXPECT_GT(hatch, 2);
    EXPECT_GT(gaps, 2 * hatch);
    // Without a pen the filled rectangle is one pixel smaller each way.
    pix->SetDrawFillStyle(bsSolid);
    c = canvas(true);
    c->Rectangle(50, 0, 60, 10);
    pix->ReleaseDrawCanvas(c);
    EXPECT_EQ(pixel(bitmap(), 50, 0), blue);
    EXPECT_EQ(pixel(bitmap(), 58, 8), blue);
    EXPECT_EQ(pixel(bitmap(), 59, 5), white);
    EXPECT_EQ(pixel(bitmap(), 55, 9), white);

    // A clear brush leaves the inside; a dashed pen has gaps; a wide pen is wide.
    pix->SetDrawFillStyle(bsClear);
    pix->SetDrawPenStyle(psDash);
    c = canvas(true);
    c->MoveTo(0, 50);
    c->LineTo(99, 50);
    c->Ellipse(50, 15, 90, 45);
    pix->ReleaseDrawCanvas(c);
    int dashes = 0;
    for (int x = 0; x < 99; ++x) dashes += pixel(bitmap(), x, 50) == red;
    EXPECT_GT(dashes, 20);
    EXPECT_LT(dashes, 90);
    EXPECT_EQ(pixel(bitmap(), 70, 30), white); // inside the ellipse
    int outline = 0;
    for (int y = 13; y <= 17; ++y) outline += pixel(bitmap(), 70, y) == red;
    EXPECT_EQ(outline, 1);                     // its top, in the dashes' colour

    pix->SetDrawPenStyle(psSolid);
    pix->SetDrawPenWidth(5);
    c = canvas(true);
    c->Polyline({{10, 65}, {90, 65}});
    pix->ReleaseDrawCanvas(c);
    int wide = 0;
    for (int y = 55; y <= 75 && y < 75; ++y) wide += pixel(bitmap(), 50, y) == red;
    EXPECT_EQ(wide, 5);
    EXPECT_EQ(pixel(bitmap(), 50, 65), red);
}

TEST_F(Canvas, TextIsWrittenWithTheTextFontInItsColourFromItsTopLeftCorner)
{
    pix->SetPaintSizeMode(smNormal);
    pix->SetFrameThickness(0);
    QFont font = pix->TextFont();
    font.setPixelSize(20);
    font.setBold(true);
    pix->SetTextFont(font);
    pix->SetTextFontColor(rgbColor(0, 0, 255));
    pix->SetDrawMode(pmXor); // text keeps its colour whatever the pen mode
    TPixCanvas* c = canvas(true, true);
    c->TextOut(10, 10, "HH");
    pix->ReleaseDrawCanvas(c);
    const QFontMetrics metrics(font);
    int inked = 0;
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < 100; ++x) {
            const std::uint32_t p = pixel(bitmap(), x, y);
            if (p == white) continue;
            EXPECT_GE(x, 10);
            EXPECT_GE(y, 10);
            EXPECT_LT(y, 10 + metrics.height());
            EXPECT_LT(x, 10 + metrics.horizontalAdvance("HH") + 2);
            // Blue, or a blend of blue into white at the edges of the strokes.
            EXPECT_EQ(p & 0xFF, 0xFFu);
            inked += p == blue;
        }
    EXPECT_GT(inked, 20);
}

TEST_F(Canvas, OneCanvasAtATimeAndOnlyOnAPicture)
{
    TPixCanvas* c = canvas(false);
    EXPECT_EQ(raisedBy([&] { pix->GetDrawCanvas(); }),
              "PixImage1 \nError code: 0\nProcessing not allowed: " + sdk::ErrorCodeMessage(0) + " ");
    EXPECT_EQ(raisedBy([&] { pix->ReleaseDrawCanvas(nullptr); }),
              "PixImage1 \nError code: -13\nReleaseDrawCanvas: " + sdk::ErrorCodeMessage(-13) + " ");
    EXPECT_EQ(pix->ReleaseDrawCanvas(c), 1);

    pix->SetBitmap(nullptr);
    pix->SetDrawPersistence(true);
    EXPECT_EQ(raisedBy([&] { pix->GetDrawCanvas(); }), "PixImage1 \nGetBitmapDC: Image not allocated.");
    // Without a picture the window canvas draws on the background.
    pix->SetDrawPersistence(false);
    pix->SetDrawPenColor(rgbColor(255, 0, 0));
    c = pix->GetDrawCanvas();
    c->MoveTo(20, 20);
    c->LineTo(40, 20);
    pix->ReleaseDrawCanvas(c);
    EXPECT_EQ(rgbAt(pix->ComposedFrame(), 30, 20), red);

    // A canvas still out when the control goes is let go with it.
    pix->SetBitmap(&picture);
    pix->SetDrawPersistence(true);
    ASSERT_NE(pix->GetDrawCanvas(), nullptr);
    pix.reset();
}

} // namespace
