// The edits of the control: results against ImageMagick, the edit frame (commit, abort and
// restore, events, preconditions), the bitmap property and list, regions and the thumbnail recipe.
#include "fixture.h"

#include "platform/rounding.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;
using sdktest::pixel;
using sdktest::quoted;

namespace {

using Operations = ControlTest;

TEST_F(Operations, RotateFlipAndSaveThreeTimesMatchImageMagick)
{
    if (!imagingtest::haveTools({"convert", "compare"})) GTEST_SKIP();
    // A picture with smooth areas and sharp edges, not symmetric in any direction.
    make("convert -size 160x120 gradient:'#D03020-#2040C0' -fill '#20A040' -draw 'rectangle 10,8 60,40' "
         "-fill '#F0E0A0' -draw 'circle 120,90 135,100' src.png");
    QString current = "src.png";
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(pix->Load(win(round == 0 ? "src.png" : "ours.jpg")), 1);
        ASSERT_EQ(pix->Rotate(9000, 1, platform::clWhite), 1);
        ASSERT_EQ(pix->Flip(), 1);
        ASSERT_EQ(pix->Save(win("ours.jpg"), 23, 24, 4, 0), 1);
        // The engine writes JFIF with 2x2 chroma sampling; ImageMagick is told the same.
        make(QString("convert %1 -rotate 90 -flip -quality 96 -sampling-factor 2x2,1x1,1x1 magick.jpg").arg(current));
        current = "magick.jpg";
    }
    ASSERT_EQ(pix->Load(win("ours.jpg")), 1);
    EXPECT_EQ(pix->BitmapWidth(), 120);
    EXPECT_EQ(pix->BitmapHeight(), 160);
    int status = 0;
    const QString psnr = testsupport::runHost(
        "cd " + quoted(world.hostC()) + " && compare -metric PSNR ours.jpg magick.jpg null: 2>&1", &status);
    const double db = psnr.section(' ', 0, 0).toDouble();
    EXPECT_TRUE(psnr.startsWith("inf") || db >= 40.0) << psnr.toStdString();
}

TEST_F(Operations, MirrorsAndQuarterTurnsMoveThePixels)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(40, 30);
    pix->SetBitmap(&b);
    int changes = 0;
    pix->OnChange = [&](TPixImage*) { ++changes; };
    ASSERT_EQ(pix->Reverse(), 1);
    EXPECT_EQ(pixel(*pix->Bitmap(), 39, 0), pixel(b, 0, 0));
    ASSERT_EQ(pix->Flip(), 1);
    EXPECT_EQ(pixel(*pix->Bitmap(), 39, 29), pixel(b, 0, 0));
    ASSERT_EQ(pix->Rotate(9000, 1, platform::clWhite), 1);
    EXPECT_EQ(pix->BitmapWidth(), 30);
    EXPECT_EQ(pix->BitmapHeight(), 40);
    EXPECT_EQ(pix->DstWidth(), 30);
    EXPECT_EQ(changes, 3);
    // The list holds what the control shows.
    sdk::SdkBitmapHandle item;
    ASSERT_EQ(sdk::PX_GetBitmapListItem(pix->BitmapList(), 0, &item), 1);
    EXPECT_TRUE(sdktest::samePixels(item, *pix->Bitmap()));
}

TEST_F(Operations, AnAbortedEditRestoresThePicture)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(200, 300);
    pix->SetBitmap(&b);
    int changes = 0;
    pix->OnChange = [&](TPixImage*) { ++changes; };
    pix->SetEnableProgressEvent(true);
    pix->OnStatus = [&](TPixImage* sender, int percent) {
        if (percent >= 20) sender->SetEnableProgressEvent(false);
    };
    EXPECT_EQ(raisedBy([&] { pix->Sharpen(500); }), "PixImage1 \nError code: -100\nSharpen: User has aborted operation ");
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), b));
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(pix->Processing());

    // The same stop through a resample keeps the size as well.
    pix->SetEnableMethodErrors(false);
    pix->SetEnableProgressEvent(true);
    EXPECT_EQ(pix->Size(100, 150, 4), -100);
    EXPECT_EQ(pix->BitmapWidth(), 200);
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), b));

    // Without a stop the edit goes through.
    pix->OnStatus = nullptr;
    EXPECT_EQ(pix->Sharpen(500), 1);
    EXPECT_FALSE(sdktest::samePixels(*pix->Bitmap(), b));
    EXPECT_EQ(changes, 1);
}

TEST_F(Operations, PreconditionsRaiseWhateverTheErrorSwitchSays)
{
    pix->SetEnableMethodErrors(false);
    struct Case {
        const char* name;
        std::function<void()> call;
    };
    sdk::SdkBitmapHandle src = sdktest::patterned(4, 4);
    const sdk::PxBalance one{1, 0, 0};
    const std::vector<Case> cases = {
        {"Sharpen", [&] { pix->Sharpen(10); }},
        {"Reverse", [&] { pix->Reverse(); }},
        {"Flip", [&] { pix->Flip(); }},
        {"Rotate", [&] { pix->Rotate(9000, 1, 0xFFFFFF); }},
        {"Fill", [&] { pix->Fill(0); }},
        {"BalanceColors", [&] { pix->BalanceColors(&one, &one, &one); }},
        {"Combine", [&] { pix->Combine(0, 0, 4, 4, &src, 0, 0, 800); }},
        {"Size", [&] { pix->Size(10, 10, 4); }},
        {"Save", [&] { pix->Save(win("x.jpg"), 23, 24, 4, 0); }},
        {"SetRgnRect", [&] { pix->SetRgnRect(0, 0, 2, 2, 1); }},
        {"FreeRgn", [&] { pix->FreeRgn(); }},
        {"GetBitmapDC", [&] {
             sdk::PxPixDC* dc = nullptr;
             pix->GetBitmapDC(&dc);
         }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(raisedBy(c.call), QString("PixImage1 \n%1: Image not allocated.").arg(c.name)) << c.name;
        EXPECT_EQ(pix->LastResult(), -2) << c.name;
    }
    EXPECT_EQ(raisedBy([&] { pix->BitmapListCount(); }), "PixImage1 \nBitmapListCount: No bitmap list.");
}

TEST_F(Operations, EngineFailuresRaiseOnlyWhileErrorsAreOn)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(40, 30);
    pix->SetBitmap(&b);
    EXPECT_EQ(raisedBy([&] { pix->Size(0, 30, 4); }), "PixImage1 \nError code: -11\nSize: Invalid width/height ");
    pix->SetEnableMethodErrors(false);
    EXPECT_EQ(pix->Size(-5, 30, 4), -11);
    EXPECT_EQ(pix->LastResult(), -11);
    EXPECT_FALSE(pix->Processing());
    EXPECT_EQ(pix->BitmapWidth(), 40);
    EXPECT_EQ(pix->FastRotate(4500), -13);
    // The control still works after the failures.
    EXPECT_EQ(pix->Size(20, 15, 4), 1);
    EXPECT_EQ(pix->BitmapWidth(), 20);
    EXPECT_EQ(pix->DstWidth(), 20);
}

TEST_F(Operations, BitmapAssignmentsAndTheList)
{
    sdk::SdkBitmapHandle a = sdktest::patterned(30, 20);
    pix->SetBitmap(&a);
    EXPECT_EQ(pix->BitmapListCount(), 1);
    EXPECT_EQ(pix->BitmapListIndex(), 0);
    ASSERT_NE(pix->Bitmap(), nullptr);
    EXPECT_NE(pix->Bitmap(), &a);
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), a));
    EXPECT_EQ(pix->ForceRepaint(), 1);

    // A second control takes a copy; the first keeps its own.
    TPixImage other;
    other.SetBitmap(pix->Bitmap());
    ASSERT_EQ(other.Fill(0x0000FF), 1);
    EXPECT_TRUE(sdktest::samePixels(*pix->Bitmap(), a));
    EXPECT_EQ(pixel(*other.Bitmap(), 3, 3), 0xFF0000u);

    // A list of two: replacing keeps the other page, clearing the only item drops the list.
    other.SetBitmapList(nullptr);
    sdk::SdkBitmapListHandle list = nullptr;
    sdk::PX_CreateBitmapList(&list);
    sdk::SdkBitmapHandle b = sdktest::patterned(10, 10);
    sdk::PX_InsertBitmapListItem(list, 0, &a);
    sdk::PX_InsertBitmapListItem(list, 1, &b);
    pix->SetBitmapList(list);
    sdk::PX_DestroyBitmapList(&list);
    EXPECT_EQ(pix->BitmapListCount(), 2);
    EXPECT_EQ(pix->BitmapWidth(), 30);
    pix->SetBitmap(nullptr);
    EXPECT_EQ(pix->BitmapListCount(), 1);
    EXPECT_EQ(pix->BitmapWidth(), 10);
    pix->SetBitmap(nullptr);
    EXPECT_EQ(pix->BitmapList(), nullptr);
    EXPECT_EQ(pix->Bitmap(), nullptr);
    EXPECT_FALSE(pix->HasImage());

    // Taking the caller's bitmap over leaves the caller's record empty.
    pix->SetRefBitmap(true);
    pix->SetBitmap(&b);
    EXPECT_FALSE(b.allocated());
    EXPECT_EQ(pix->BitmapWidth(), 10);
}

TEST_F(Operations, RectangleRegionsLimitFillAndCombine)
{
    sdk::SdkBitmapHandle b = sdktest::makeBitmap(40, 30, [](int, int) { return 0x000000u; });
    pix->SetBitmap(&b);
    int rgnChanges = 0;
    pix->OnRgnChange = [&](TPixImage*) { ++rgnChanges; };
    // A negative width gives the same region as the rectangle it spans.
    ASSERT_EQ(pix->SetRgnRect(12, 5, -4, 3, 1), 1);
    EXPECT_TRUE(pix->HasRgn());
    EXPECT_EQ(QRect(pix->RgnLeft(), pix->RgnTop(), pix->RgnWidth(), pix->RgnHeight()), QRect(8, 5, 4, 3));
    ASSERT_EQ(pix->Fill(0xFFFFFF), 1);
    EXPECT_EQ(pixel(*pix->Bitmap(), 8, 5), 0xFFFFFFu);
    EXPECT_EQ(pixel(*pix->Bitmap(), 11, 7), 0xFFFFFFu);
    EXPECT_EQ(pixel(*pix->Bitmap(), 12, 5), 0u);
    EXPECT_EQ(pixel(*pix->Bitmap(), 7, 5), 0u);
    EXPECT_EQ(rgnChanges, 1);

    // Combine takes the whole source rectangle even when the source carries a selection.
    sdk::SdkBitmapHandle src = sdktest::makeBitmap(6, 6, [](int, int) { return 0x00FF00u; });
    const sdk::PxRgnTransform identity;
    sdk::PX_SetBitmapRgnRect(&src, &identity, sdk::PxRect{0, 0, 1, 1}, 1);
    ASSERT_EQ(pix->FreeRgn(), 1);
    EXPECT_FALSE(pix->HasRgn());
    ASSERT_EQ(pix->Combine(20, 20, 6, 6, &src, 0, 0, 800), 1);
    EXPECT_EQ(pixel(*pix->Bitmap(), 25, 25), 0x00FF00u);
    EXPECT_EQ(pixel(*pix->Bitmap(), 26, 26), 0u);

    // An empty rectangle leaves no region.
    pix->SetRgnRect(3, 3, 0, 0, 1);
    EXPECT_FALSE(pix->HasRgn());
}

// The editor's thumbnail: a 70-pixel-high copy with the framed shape and two white corners.
TEST_F(Operations, ThumbnailRecipeGivesAFramedJpeg)
{
    if (!imagingtest::haveTools({"jpeginfo", "identify"})) GTEST_SKIP();
    makePicture("big.jpg", 3000, 2000);
    pix->setObjectName("PixImage3");
    ASSERT_EQ(pix->Load(win("big.jpg"), 0, 1, -1), 1);
    const int h = 70;
    const int w = platform::roundHalfEven(static_cast<double>(h) * pix->BitmapWidth() / pix->BitmapHeight());
    ASSERT_EQ(pix->Size(w, h, 4), 1);
    pix->SetDrawPersistence(true);
    pix->SetShapeWidth(pix->BitmapWidth());
    pix->SetShapeHeight(pix->BitmapHeight());
    pix->SetShapeLeft(0);
    pix->SetShapeTop(0);
    pix->SetShapeBackgroundStyle(sbsTransparent);
    pix->SetPatternStyle(epsTransparent);
    pix->SetShadowColor(15395562);
    pix->SetShadowXDepth(2);
    pix->SetShadowYDepth(2);
    pix->SetShapeBorderColor(platform::clSilver);
    pix->SetShapeBorderStyle(sbrSolid);
    pix->SetShapeBorderThickness(1);
    pix->SetShapeInnerBandStyle(sibRaised);
    pix->SetShapeInnerBandThickness(5);
    pix->SetShapeInnerBandShadowColor(platform::clWhite);
    pix->SetShapeOuterBandStyle(sobNone);
    pix->SetAutoRepaint(true);
    ASSERT_EQ(pix->DrawShape(2000, pix->Bitmap()), 1);
    ASSERT_EQ(pix->SetRgnRect(0, h - 2, 2, 2, 1), 1);
    ASSERT_EQ(pix->Fill(platform::clWhite), 1);
    ASSERT_EQ(pix->SetRgnRect(w - 2, 0, 2, 2, 1), 1);
    ASSERT_EQ(pix->Fill(platform::clWhite), 1);
    ASSERT_EQ(pix->Save(win("_THUMB_big.jpg"), 23, 24, 2, 0), 1);

    make("jpeginfo -c _THUMB_big.jpg");
    EXPECT_EQ(make("identify -format %wx%h _THUMB_big.jpg").trimmed(), "105x70");
    const QImage thumb(host("_THUMB_big.jpg"));
    ASSERT_FALSE(thumb.isNull());
    for (const QPoint& corner : {QPoint(0, 69), QPoint(1, 68), QPoint(104, 0), QPoint(103, 1)})
        EXPECT_TRUE(imagingtest::near(imagingtest::rgbAt(thumb, corner.x(), corner.y()), 0xFFFFFFu, 12))
            << corner.x() << "," << corner.y() << " " << std::hex << imagingtest::rgbAt(thumb, corner.x(), corner.y());
    // The shadow in the opposite corner and the silver border at the top left.
    EXPECT_TRUE(imagingtest::near(imagingtest::rgbAt(thumb, 104, 69), 0xEAEAEAu, 12));
    EXPECT_TRUE(imagingtest::near(imagingtest::rgbAt(thumb, 0, 0), 0xC0C0C0u, 16));
}

} // namespace
