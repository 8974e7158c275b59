// A picture saved with layers: one TIFF page per picture, which ImageMagick reads back page by
// page with the layers' sizes, places and pixels, and so does the engine's own loader.
#include "helpers.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace sdk;
using sdktest::mustRun;
using sdktest::quoted;

namespace {

class LayerSave : public testsupport::WorldTest {
protected:
    void SetUp() override
    {
        if (!testsupport::haveHostProgram("identify") || !testsupport::haveHostProgram("convert"))
            GTEST_SKIP() << "ImageMagick missing";
        base = sdktest::patterned(64, 48);
        PX_CreateBitmapList(&layers);
        SdkBitmapHandle colour = sdktest::makeBitmap(32, 16, [](int x, int y) { return (x * 8) << 16 | (y * 16) << 8 | 0x40; });
        SdkBitmapHandle grey;
        PX_InitBitmap(&grey, 20, 20, 8);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) grey.row(y)[x] = static_cast<std::uint8_t>(x * 12 + y);
        PX_InsertBitmapListItem(layers, 0, &colour);
        PX_InsertBitmapListItem(layers, 1, &grey);
    }
    void TearDown() override { PX_DestroyBitmapList(&layers); }

    QString host(const QString& name) const { return world.hostC() + "/" + name; }
    QString win(const QString& name) const { return "C:\\" + name; }
    // The pixels of one page as ImageMagick decodes them, 8-bit RGB.
    QByteArray pageRgb(const QString& name, int page)
    {
        const QString out = host(name + "." + QString::number(page) + ".rgb");
        mustRun("convert " + quoted(host(name) + "[" + QString::number(page) + "]") + " -depth 8 rgb:" + quoted(out));
        QFile f(out);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    static QByteArray rgbOf(const SdkBitmapHandle& b)
    {
        QByteArray out;
        for (int y = 0; y < b.Height; ++y)
            for (int x = 0; x < b.Width; ++x) {
                const std::uint8_t* p = b.row(y) + x * b.bytesPerPixel();
                if (b.BitsPerPixel == 8) out.append(3, static_cast<char>(p[0]));
                else out.append(static_cast<char>(p[2])).append(static_cast<char>(p[1])).append(static_cast<char>(p[0]));
            }
        return out;
    }

    SdkBitmapHandle base;
    SdkBitmapListHandle layers = nullptr;
    const PxLayerInfo places[2] = {{10, 5}, {0, 28}};
};

TEST_F(LayerSave, EveryLayerIsAPageThatImageMagickReadsBackWithItsPlaceAndPixels)
{
    ASSERT_EQ(PX_SaveBitmapWithLayers(win("layers.tif"), &base, fmtTIFF, 0, 0, layers, places, 2), PX_SUCCESS);
    const QString pages = mustRun("identify -format '%p %w %h %X %Y %[colorspace]\\n' " + quoted(host("layers.tif")));
    EXPECT_EQ(pages, "0 64 48 +0 +0 sRGB\n1 32 16 +10 +5 sRGB\n2 20 20 +0 +28 Gray\n");
    EXPECT_EQ(pageRgb("layers.tif", 0), rgbOf(base));
    EXPECT_EQ(pageRgb("layers.tif", 1), rgbOf(layers->items[0]));
    EXPECT_EQ(pageRgb("layers.tif", 2), rgbOf(layers->items[1]));

    // The engine's loader finds the same pages.
    SdkBitmapListHandle loaded = nullptr;
    PX_CreateBitmapList(&loaded);
    SdkBitmapHandle first;
    ASSERT_EQ(PX_LoadFile(win("layers.tif"), &first, 0, loaded), PX_SUCCESS);
    ASSERT_EQ(loaded->items.size(), 3u);
    EXPECT_TRUE(sdktest::samePixels(loaded->items[0], base));
    EXPECT_TRUE(sdktest::samePixels(loaded->items[1], layers->items[0]));
    EXPECT_EQ(rgbOf(loaded->items[2]), rgbOf(layers->items[1]));
    PX_DestroyBitmapList(&loaded);

    // In 24 bits the grey layer is written in colour; without places the layers lie at the corner.
    ASSERT_EQ(PX_SaveBitmapWithLayers(win("colour.tif"), &base, fmtTIFF, 24, 0, layers, nullptr, 2), PX_SUCCESS);
    EXPECT_EQ(mustRun("identify -format '%p %X %Y %[colorspace]\\n' " + quoted(host("colour.tif"))),
              "0 +0 +0 sRGB\n1 +0 +0 sRGB\n2 +0 +0 sRGB\n");
    EXPECT_EQ(pageRgb("colour.tif", 2), rgbOf(layers->items[1]));
    // Only the layers asked for go in.
    ASSERT_EQ(PX_SaveBitmapWithLayers(win("one.tif"), &base, fmtTIFF, 0, 0, layers, places, 1), PX_SUCCESS);
    EXPECT_EQ(mustRun("identify -format '%p %w\\n' " + quoted(host("one.tif"))), "0 64\n1 32\n");
}

TEST_F(LayerSave, WithoutLayersAnyFormatIsSavedAsAPlainPicture)
{
    ASSERT_EQ(PX_SaveBitmapWithLayers(win("plain.jpg"), &base, fmtJPEG, 24, 4, layers, places, 0), PX_SUCCESS);
    EXPECT_EQ(mustRun("identify -format '%m %w %h %n\\n' " + quoted(host("plain.jpg"))), "JPEG 64 48 1\n");
}

struct Refusal {
    const char* name;
    int format, bits, count;
    bool negativePlace;
    int result;
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class LayerSaveRefusal : public LayerSave, public ::testing::WithParamInterface<Refusal> {};

TEST_P(LayerSaveRefusal, LeavesTheFileThatWasThere)
{
    const Refusal& c = GetParam();
    world.writeHostFile("c/old.tif", "before");
    PxLayerInfo place[2] = {places[0], places[1]};
    if (c.negativePlace) place[1].Left = -1;
    EXPECT_EQ(PX_SaveBitmapWithLayers(win("old.tif"), &base, c.format, c.bits, 4, layers, place, c.count), c.result);
    EXPECT_EQ(world.readHostFile("c/old.tif"), "before");
}

INSTANTIATE_TEST_SUITE_P(
    LayerSave, LayerSaveRefusal,
    ::testing::Values(Refusal{"jpegHoldsNoLayers", fmtJPEG, 24, 1, false, PXERR_UNSUPPORTED},
                      Refusal{"pngHoldsNoLayers", fmtPNG, 24, 2, false, PXERR_UNSUPPORTED},
                      Refusal{"moreLayersThanTheList", fmtTIFF, 0, 3, false, PXERR_BADPARAM},
                      Refusal{"negativeCount", fmtTIFF, 0, -1, false, PXERR_BADPARAM},
                      Refusal{"noGreyFromColour", fmtTIFF, 8, 2, false, PXERR_BADBITS},
                      Refusal{"placeLeftOfTheBase", fmtTIFF, 0, 2, true, PXERR_BADPARAM}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LayerSave, AStopFromTheStatusCallbackLeavesTheOldFile)
{
    world.writeHostFile("c/old.tif", "before");
    std::vector<int> percents;
    sdktest::StatusCallbackScope scope([&](int percent) {
        percents.push_back(percent);
        return percent < 50 ? 1 : 0;
    });
    EXPECT_EQ(PX_SaveBitmapWithLayers(win("old.tif"), &base, fmtTIFF, 0, 0, layers, places, 2), PXERR_ABORTED);
    EXPECT_EQ(world.readHostFile("c/old.tif"), "before");
    ASSERT_FALSE(percents.empty());
    EXPECT_GE(percents.back(), 50);
    EXPECT_LT(percents.back(), 100);
}

} // namespace
