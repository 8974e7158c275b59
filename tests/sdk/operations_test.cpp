#include "helpers.h"

#include "platform/drives.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace sdk;
using sdktest::makeBitmap;
using sdktest::pixel;
using sdktest::samePixels;
using testsupport::WorldTest;

namespace {

SdkBitmapHandle copyOf(const SdkBitmapHandle& b)
{
    SdkBitmapHandle c;
    EXPECT_EQ(PX_CopyBitmap(&c, &b), PX_SUCCESS);
    return c;
}

} // namespace

// The quarter turns and mirrors against ImageMagick on a picture loaded from and saved to PNG.
TEST_F(WorldTest, TurnsAndMirrorsMatchImageMagick)
{
    if (!testsupport::haveHostProgram("convert") || !testsupport::haveHostProgram("compare")) GTEST_SKIP();
    const QString in = world.hostC() + "/in.png";
    sdktest::mustRun("convert -size 61x37 gradient:red-blue -fill '#20C040' -draw 'circle 15,12 20,20' "
                     "-fill '#FFFF00' -draw 'rectangle 40,2 58,9' -depth 8 PNG24:" + sdktest::quoted(in));
    struct Case {
        const char* name;
        const char* magick;
        std::function<int(SdkBitmapHandle*)> op;
    };
    const Case cases[] = {
        {"rotate 9000", "-rotate 90", [](SdkBitmapHandle* b) { return PX_RotateBitmap(b, 9000, 1, 0xFFFFFF); }},
        {"rotate 18000", "-rotate 180", [](SdkBitmapHandle* b) { return PX_RotateBitmap(b, 18000, 1, 0xFFFFFF); }},
        {"rotate 27000", "-rotate 270", [](SdkBitmapHandle* b) { return PX_RotateBitmap(b, 27000, 1, 0xFFFFFF); }},
        {"rotate -9000", "-rotate -90", [](SdkBitmapHandle* b) { return PX_RotateBitmap(b, -9000, 1, 0xFFFFFF); }},
        {"rotate 45000", "-rotate 90", [](SdkBitmapHandle* b) { return PX_RotateBitmap(b, 45000, 0, 0xFFFFFF); }},
        {"view 27000", "-rotate 270", [](SdkBitmapHandle* b) { return PX_RotateBitmapViewPerspective(b, 27000); }},
        {"flip", "-flip", [](SdkBitmapHandle* b) { return PX_FlipBitmap(b); }},
        {"reverse", "-flop", [](SdkBitmapHandle* b) { return PX_ReverseBitmap(b); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SdkBitmapHandle b;
        ASSERT_EQ(PX_LoadFile("C:\\IN.PNG", &b, 0, nullptr), PX_SUCCESS);
        ASSERT_EQ(c.op(&b), PX_SUCCESS);
        ASSERT_EQ(PX_SaveBitmap("C:\\ours.png", &b, fmtPNG, 24, 0), PX_SUCCESS);
        const QString theirs = world.hostC() + "/theirs.png";
        sdktest::mustRun(QString("convert %1 %2 -depth 8 PNG24:%3").arg(sdktest::quoted(in), c.magick, sdktest::quoted(theirs)));
        const QString ae = sdktest::mustRun("compare -metric AE " + sdktest::quoted(world.hostC() + "/ours.png") + " " +
                                            sdktest::quoted(theirs) + " null:");
        EXPECT_EQ(ae.trimmed(), "0");
    }
}

TEST(Rotate, QuarterTurnsAcrossTileEdgesAndDepths)
{
    for (int bits : {8, 24, 32}) {
        SdkBitmapHandle src = sdktest::patterned(130, 77);
        ASSERT_EQ(PX_ConvertBitmap(&src, bits), PX_SUCCESS);
        if (bits == 32)
            for (int y = 0; y < src.Height; ++y) src.row(y)[3 * 4] = static_cast<std::uint8_t>(y); // alpha varies
        for (int angle : {9000, 27000, 18000}) {
            SdkBitmapHandle b = copyOf(src);
            ASSERT_EQ(PX_RotateBitmap(&b, angle, 1, 0), PX_SUCCESS);
            const int bpp = bits / 8;
            for (int y = 0; y < b.Height; ++y)
                for (int x = 0; x < b.Width; ++x) {
                    const int sx = angle == 9000 ? y : angle == 27000 ? src.Width - 1 - y : src.Width - 1 - x;
                    const int sy = angle == 9000 ? src.Height - 1 - x : angle == 27000 ? x : src.Height - 1 - y;
                    ASSERT_EQ(std::memcmp(b.row(y) + x * bpp, src.row(sy) + sx * bpp, bpp), 0)
                        << bits << " " << angle << " " << x << "," << y;
                }
            // Row padding stays zero.
            const int used = b.Width * bpp;
            for (int y = 0; y < b.Height; ++y)
                for (int i = used; i < b.BytesPerLine; ++i) ASSERT_EQ(b.row(y)[i], 0);
        }
    }
}

TEST(Rotate, FreeAnglesGrowTheCanvasAndFillTheCorners)
{
    SdkBitmapHandle b = makeBitmap(100, 50, [](int, int) { return 0x336699u; });
    ASSERT_EQ(PX_RotateBitmap(&b, 4500, rotateKeepAll, 0x0000FF), PX_SUCCESS); // fill red (0x00BBGGRR)
    EXPECT_EQ(b.Width, 106);
    EXPECT_EQ(b.Height, 106);
    EXPECT_EQ(pixel(b, 0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(b, 105, 105), 0xFF0000u);
    EXPECT_EQ(pixel(b, 53, 53), 0x336699u);

    SdkBitmapHandle same = makeBitmap(100, 50, [](int, int) { return 0x336699u; });
    ASSERT_EQ(PX_RotateBitmap(&same, -3000, 0, 0xFFFFFF), PX_SUCCESS);
    EXPECT_EQ(same.Width, 100);
    EXPECT_EQ(same.Height, 50);
    EXPECT_EQ(pixel(same, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(same, 50, 25), 0x336699u);

    // A positive angle turns clockwise: a mark at the middle of the left side moves up.
    const auto mark = [] { return makeBitmap(40, 40, [](int x, int y) { return x < 8 && y >= 18 && y < 22 ? 0xFFFFFFu : 0u; }); };
    SdkBitmapHandle marked = mark();
    EXPECT_EQ(pixel(marked, 4, 17), 0u);
    ASSERT_EQ(PX_RotateBitmap(&marked, 1000, 0, 0), PX_SUCCESS);
    EXPECT_EQ(pixel(marked, 4, 17), 0xFFFFFFu);
    marked = mark();
    ASSERT_EQ(PX_RotateBitmap(&marked, -1000, 0, 0), PX_SUCCESS);
    EXPECT_EQ(pixel(marked, 4, 17), 0u);

    SdkBitmapHandle whole = sdktest::patterned(9, 7), before = copyOf(whole);
    EXPECT_EQ(PX_RotateBitmap(&whole, 36000, 1, 0), PX_SUCCESS);
    EXPECT_TRUE(samePixels(whole, before));
    EXPECT_EQ(PX_RotateBitmapViewPerspective(&whole, 4500), PXERR_BADPARAM);
}

TEST(Size, EveryFlagGivesExactlyTheWantedSize)
{
    for (int flags : {sizeNearest, sizeBilinear, sizeFiltered}) {
        for (auto [w, h] : {std::pair{3, 11}, {1, 1}, {40, 2}, {7, 5}}) {
            SdkBitmapHandle b = sdktest::patterned(7, 5);
            ASSERT_EQ(PX_SizeBitmap(&b, w, h, flags), PX_SUCCESS) << flags;
            EXPECT_EQ(b.Width, w);
            EXPECT_EQ(b.Height, h);
        }
        SdkBitmapHandle flat = makeBitmap(13, 9, [](int, int) { return 0x8040C0u; });
        ASSERT_EQ(PX_SizeBitmap(&flat, 31, 4, flags), PX_SUCCESS);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 31; ++x) ASSERT_EQ(pixel(flat, x, y), 0x8040C0u) << flags << " " << x << "," << y;
    }
    SdkBitmapHandle b = sdktest::patterned(7, 5);
    EXPECT_EQ(PX_SizeBitmap(&b, 0, 5, 4), PXERR_BADSIZE);
    EXPECT_EQ(PX_SizeBitmap(&b, 5, 5, 3), PXERR_BADPARAM);
    EXPECT_EQ(PX_SizeBitmap(&b, 60000, 60000, 4), PXERR_NOMEMORY);
    EXPECT_EQ(b.Width, 7);
    SdkBitmapHandle none;
    EXPECT_EQ(PX_SizeBitmap(&none, 5, 5, 0), PXERR_BADBITMAP);
}

TEST(Size, ResamplingValues)
{
    // Nearest: every other pixel of a ramp.
    SdkBitmapHandle ramp = makeBitmap(8, 1, [](int x, int) { return std::uint32_t(x * 10); });
    ASSERT_EQ(PX_SizeBitmap(&ramp, 4, 1, sizeNearest), PX_SUCCESS);
    EXPECT_EQ(pixel(ramp, 0, 0), 10u);
    EXPECT_EQ(pixel(ramp, 3, 0), 70u);

    // Area average of a black and white checker: 127.5, halves to even.
    SdkBitmapHandle checker = makeBitmap(2, 2, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0u; });
    ASSERT_EQ(PX_SizeBitmap(&checker, 1, 1, sizeFiltered), PX_SUCCESS);
    EXPECT_EQ(pixel(checker, 0, 0), 0x808080u);

    // Bilinear between a black and a white pixel at four times the width.
    SdkBitmapHandle pair = makeBitmap(2, 1, [](int x, int) { return x ? 0xFFFFFFu : 0u; });
    ASSERT_EQ(PX_SizeBitmap(&pair, 8, 1, sizeBilinear), PX_SUCCESS);
    const std::uint32_t expected[] = {0, 0, 32, 96, 159, 223, 255, 255};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(pixel(pair, x, 0) & 0xFF, expected[x]) << x;

    // Bicubic enlarging keeps a step monotonic only within the clamp: no wrap-around.
    SdkBitmapHandle step = makeBitmap(4, 1, [](int x, int) { return x < 2 ? 0u : 0xFFFFFFu; });
    ASSERT_EQ(PX_SizeBitmap(&step, 16, 1, sizeFiltered), PX_SUCCESS);
    EXPECT_EQ(pixel(step, 0, 0), 0u);
    EXPECT_EQ(pixel(step, 15, 0), 0xFFFFFFu);
}

// The planned resampling gives PX_SizeBitmap's bytes for any split of the result into bands of
// rows: shrinking, enlarging, one direction of each, single rows and columns, both pass orders.
TEST(Size, BandsOfThePlannedResamplingGiveTheWholeBytes)
{
    struct Case {
        int srcW, srcH, w, h, flags;
    };
    const Case cases[] = {
        {517, 293, 199, 112, sizeFiltered}, // shrinking: the vertical pass first
        {400, 61, 7, 59, sizeFiltered},     // the horizontal pass first
        {97, 61, 1, 1, sizeFiltered},       {1, 1, 5, 3, sizeFiltered},   {33, 1, 7, 1, sizeFiltered},
        {1, 45, 1, 8, sizeFiltered},        {13, 11, 40, 29, sizeFiltered}, // larger than the source
        {40, 31, 13, 90, sizeFiltered},     {50, 37, 23, 17, sizeBilinear}, {50, 37, 23, 17, sizeNearest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << "x" << c.srcH << " to " << c.w << "x" << c.h << " flags " << c.flags);
        const SdkBitmapHandle source = makeBitmap(c.srcW, c.srcH, [](int x, int y) {
            return std::uint32_t((x * 37 + y * 11) & 0xFF) | std::uint32_t((x * y + 5) & 0xFF) << 8 |
                   std::uint32_t(((x ^ y) * 29) & 0xFF) << 16;
        });
        SdkBitmapHandle whole = copyOf(source);
        ASSERT_EQ(PX_SizeBitmap(&whole, c.w, c.h, c.flags), PX_SUCCESS);
        const PxResampler resampler(c.srcW, c.srcH, c.w, c.h, c.flags);
        ASSERT_TRUE(resampler.valid());
        const std::size_t line = std::size_t(c.w) * 3;
        for (int band : {1, 2, 5, c.h}) {
            std::vector<std::uint8_t> out(line * std::size_t(c.h), 0xEE);
            for (int top = 0; top < c.h; top += band)
                resampler.Rows(source.row(0), source.BytesPerLine, 3, out.data() + std::size_t(top) * line,
                               std::ptrdiff_t(line), top, std::min(c.h, top + band));
            for (int y = 0; y < c.h; ++y)
                ASSERT_EQ(std::memcmp(out.data() + std::size_t(y) * line, whole.row(y), line), 0)
                    << "bands of " << band << ", row " << y;
        }
    }
    // Hundreds of whole rows in one pixel of the result, white: the sums do not wrap.
    for (auto [h, toH] : {std::pair{1300, 1}, {2000, 7}, {514, 2}}) {
        SdkBitmapHandle white = makeBitmap(5, h, [](int, int) { return 0xFFFFFFu; });
        ASSERT_EQ(PX_SizeBitmap(&white, 2, toH, sizeFiltered), PX_SUCCESS);
        for (int y = 0; y < toH; ++y) EXPECT_EQ(pixel(white, 1, y), 0xFFFFFFu) << h << " rows, row " << y;
    }
    EXPECT_FALSE(PxResampler(0, 5, 3, 3, sizeFiltered).valid());
    EXPECT_FALSE(PxResampler(5, 5, 3, -1, sizeFiltered).valid());
    EXPECT_FALSE(PxResampler(5, 5, 3, 3, 3).valid());
}

TEST(StatusCallback, ReportsEachPercentOnceAndAStopLeavesThePictureAlone)
{
    std::vector<int> seen;
    {
        sdktest::StatusCallbackScope scope([&seen](int p) { seen.push_back(p); return 1; });
        SdkBitmapHandle b = sdktest::patterned(50, 300);
        ASSERT_EQ(PX_SharpenBitmap(&b, 300), PX_SUCCESS);
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);

    struct Case {
        const char* name;
        std::function<int(SdkBitmapHandle*)> op;
    };
    const PxBalance r{0.5, 0, 0}, g{0, 0.5, 0}, bl{0, 0, 0.5};
    const Case cases[] = {
        {"sharpen", [](SdkBitmapHandle* b) { return PX_SharpenBitmap(b, 500); }},
        {"soften", [](SdkBitmapHandle* b) { return PX_SharpenBitmap(b, -500); }},
        {"balance", [&](SdkBitmapHandle* b) { return PX_BalanceColors(b, &r, &g, &bl); }},
        {"size", [](SdkBitmapHandle* b) { return PX_SizeBitmap(b, 30, 90, sizeFiltered); }},
        {"rotate", [](SdkBitmapHandle* b) { return PX_RotateBitmap(b, 1234, 1, 0); }},
        {"quarter", [](SdkBitmapHandle* b) { return PX_RotateBitmap(b, 9000, 1, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        sdktest::StatusCallbackScope scope([&calls](int p) { ++calls; return p < 40 ? 1 : 0; });
        SdkBitmapHandle b = sdktest::patterned(60, 200), before = copyOf(b);
        EXPECT_EQ(c.op(&b), PXERR_ABORTED);
        EXPECT_TRUE(samePixels(b, before));
        EXPECT_GT(calls, 0);
    }
    // A callback that installs another one while it runs is safe.
    sdktest::StatusCallbackScope scope([](int) { PX_SetStatusCallBack([](int) { return 1; }); return 1; });
    SdkBitmapHandle b = sdktest::patterned(20, 20);
    EXPECT_EQ(PX_SharpenBitmap(&b, 10), PX_SUCCESS);
}

TEST(Sharpen, PushesEdgesApartAndSofteningPullsThemTogether)
{
    auto edge = [] { return makeBitmap(6, 3, [](int x, int) { return x < 3 ? 0x646464u : 0x969696u; }); };
    SdkBitmapHandle flat = makeBitmap(5, 5, [](int, int) { return 0x405060u; });
    for (int amount : {-1000, -1, 1, 1000}) {
        SdkBitmapHandle f = copyOf(flat);
        ASSERT_EQ(PX_SharpenBitmap(&f, amount), PX_SUCCESS);
        EXPECT_TRUE(samePixels(f, flat)) << amount;
    }
    SdkBitmapHandle sharp = edge();
    ASSERT_EQ(PX_SharpenBitmap(&sharp, 1000), PX_SUCCESS);
    EXPECT_LT(pixel(sharp, 2, 1) & 0xFF, 100u);
    EXPECT_GT(pixel(sharp, 3, 1) & 0xFF, 150u);
    EXPECT_EQ(pixel(sharp, 0, 1) & 0xFF, 100u);

    SdkBitmapHandle soft = edge();
    ASSERT_EQ(PX_SharpenBitmap(&soft, -1000), PX_SUCCESS); // the 3 x 3 mean
    EXPECT_EQ(pixel(soft, 2, 1) & 0xFF, 116u);
    EXPECT_EQ(pixel(soft, 3, 1) & 0xFF, 134u);

    SdkBitmapHandle b = edge();
    EXPECT_EQ(PX_SharpenBitmap(&b, 1001), PXERR_BADPARAM);
    EXPECT_EQ(PX_SharpenBitmap(&b, -1001), PXERR_BADPARAM);
}

TEST(BalanceColors, EachOutputChannelMixesTheInputs)
{
    SdkBitmapHandle b = makeBitmap(2, 1, [](int x, int) { return x ? 0x65C8FFu : 0xFFFFFFu; }); // r 0x65=101
    const PxBalance red{0.5, 0, 0}, green{0, 1.0, 0}, blue{0, 0, 0};
    ASSERT_EQ(PX_BalanceColors(&b, &red, &green, &blue), PX_SUCCESS);
    EXPECT_EQ(pixel(b, 0, 0), 0x80FF00u); // 127.5 to even: 128
    EXPECT_EQ(pixel(b, 1, 0), 0x32C800u); // 50.5 to even: 50

    SdkBitmapHandle swap = makeBitmap(1, 1, [](int, int) { return 0x102030u; });
    const PxBalance fromBlue{0, 0, 1}, fromRed{1, 0, 0}, fromGreen{0, 1, 0};
    ASSERT_EQ(PX_BalanceColors(&swap, &fromBlue, &fromGreen, &fromRed), PX_SUCCESS);
    EXPECT_EQ(pixel(swap, 0, 0), 0x302010u);

    SdkBitmapHandle bright = makeBitmap(1, 1, [](int, int) { return 0x808080u; });
    const PxBalance twice{2, 0, 0}, neg{0, -1, 0};
    ASSERT_EQ(PX_BalanceColors(&bright, &twice, &neg, &fromBlue), PX_SUCCESS);
    EXPECT_EQ(pixel(bright, 0, 0), 0xFF0080u); // clamped both ways

    const PxBalance bad{std::nan(""), 0, 0};
    EXPECT_EQ(PX_BalanceColors(&bright, &bad, &neg, &fromBlue), PXERR_BADPARAM);
    EXPECT_EQ(PX_BalanceColors(&bright, nullptr, &neg, &fromBlue), PXERR_BADPARAM);
    ASSERT_EQ(PX_ConvertBitmap(&bright, 8), PX_SUCCESS);
    EXPECT_EQ(PX_BalanceColors(&bright, &twice, &neg, &fromBlue), PXERR_BADBITS);
}

TEST(Fill, CoversTheRegionOrTheWholePicture)
{
    SdkBitmapHandle b = makeBitmap(6, 4, [](int, int) { return 0u; });
    ASSERT_EQ(PX_FillBitmap(&b, 0x00FF00), PX_SUCCESS); // green
    EXPECT_EQ(pixel(b, 5, 3), 0x00FF00u);
    b.Region = QRegion(1, 1, 2, 2);
    ASSERT_EQ(PX_FillBitmap(&b, 0xFF0000), PX_SUCCESS); // colour integer: blue
    EXPECT_EQ(pixel(b, 1, 1), 0x0000FFu);
    EXPECT_EQ(pixel(b, 2, 2), 0x0000FFu);
    EXPECT_EQ(pixel(b, 0, 0), 0x00FF00u);
    EXPECT_EQ(pixel(b, 3, 1), 0x00FF00u);
    SdkBitmapHandle none;
    EXPECT_EQ(PX_FillBitmap(&none, 0), PXERR_BADBITMAP);
}

TEST(Combine, CopiesTheClippedRectangleInsideTheTargetRegion)
{
    const auto target = [] { return makeBitmap(8, 6, [](int, int) { return 0x111111u; }); };
    const SdkBitmapHandle source = makeBitmap(4, 4, [](int x, int y) { return std::uint32_t(0x800000 | x << 8 | y); });

    SdkBitmapHandle t = target();
    ASSERT_EQ(PX_CombineBitmap(&t, 2, 1, 3, 2, &source, 1, 1, combineCopy), PX_SUCCESS);
    EXPECT_EQ(pixel(t, 2, 1), 0x800101u);
    EXPECT_EQ(pixel(t, 4, 2), 0x800302u);
    EXPECT_EQ(pixel(t, 5, 1), 0x111111u);
    EXPECT_EQ(pixel(t, 1, 1), 0x111111u);

    // Past the edges on both sides.
    t = target();
    ASSERT_EQ(PX_CombineBitmap(&t, -2, 4, 4, 4, &source, 0, 0, combineCopy), PX_SUCCESS);
    EXPECT_EQ(pixel(t, 0, 4), 0x800200u);
    EXPECT_EQ(pixel(t, 1, 5), 0x800301u);
    EXPECT_EQ(pixel(t, 2, 5), 0x111111u);

    // Only the target's region changes; the source's region plays no part.
    t = target();
    t.Region = QRegion(0, 0, 1, 1);
    SdkBitmapHandle withRegion = copyOf(source);
    withRegion.Region = QRegion(3, 3, 1, 1);
    ASSERT_EQ(PX_CombineBitmap(&t, 0, 0, 4, 4, &withRegion, 0, 0, combineCopy), PX_SUCCESS);
    EXPECT_EQ(pixel(t, 0, 0), 0x800000u);
    EXPECT_EQ(pixel(t, 1, 0), 0x111111u);

    // Onto itself, overlapping.
    SdkBitmapHandle self = makeBitmap(5, 1, [](int x, int) { return std::uint32_t(x); });
    ASSERT_EQ(PX_CombineBitmap(&self, 1, 0, 4, 1, &self, 0, 0, combineCopy), PX_SUCCESS);
    EXPECT_EQ(pixel(self, 1, 0), 0u);
    EXPECT_EQ(pixel(self, 4, 0), 3u);

    t = target();
    EXPECT_EQ(PX_CombineBitmap(&t, 0, 0, 2, 2, &source, 0, 0, 1), PXERR_BADPARAM);
    EXPECT_EQ(PX_CombineBitmap(&t, 0, 0, 0, 2, &source, 0, 0, combineCopy), PXERR_BADSIZE);
}
