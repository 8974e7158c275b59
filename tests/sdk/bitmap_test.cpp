#include "helpers.h"

#include <gtest/gtest.h>

using namespace sdk;
using sdktest::makeBitmap;
using sdktest::pixel;

TEST(Bitmap, InitAllocatesZeroedRowsOnFourByteBoundaries)
{
    SdkBitmapHandle b;
    EXPECT_FALSE(b.allocated());
    ASSERT_EQ(PX_InitBitmap(&b, 5, 3, 24), PX_SUCCESS);
    EXPECT_TRUE(b.allocated());
    EXPECT_EQ(b.BytesPerLine, 16);
    EXPECT_EQ(b.Flags & bfAllocated, bfAllocated);
    for (int y = 0; y < 3; ++y)
        for (int i = 0; i < 16; ++i) EXPECT_EQ(b.row(y)[i], 0);
    ASSERT_EQ(PX_InitBitmap(&b, 0, 0, 0), PX_SUCCESS);
    EXPECT_FALSE(b.allocated());
    EXPECT_EQ(b.Width, 0);
}

TEST(Bitmap, InitRefusesBadSizesAndDepthsBeforeAllocating)
{
    struct Case {
        int w, h, bits, result;
    };
    const Case cases[] = {
        {0, 5, 24, PXERR_BADSIZE},          {5, 0, 24, PXERR_BADSIZE},       {-3, 5, 24, PXERR_BADSIZE},
        {5, 5, 16, PXERR_BADBITS},          {60000, 60000, 24, PXERR_NOMEMORY}, // 3.6 gigapixels
        {300'000'001, 1, 8, PXERR_NOMEMORY}, {2147483647, 2147483647, 32, PXERR_NOMEMORY},
    };
    for (const Case& c : cases) {
        SdkBitmapHandle b = makeBitmap(2, 2, [](int, int) { return 0x123456u; });
        EXPECT_EQ(PX_InitBitmap(&b, c.w, c.h, c.bits), c.result) << c.w << "x" << c.h << "x" << c.bits;
        // A refused init keeps the old picture.
        EXPECT_TRUE(b.allocated());
        EXPECT_EQ(pixel(b, 1, 1), 0x123456u);
    }
    EXPECT_TRUE(sizeAllowed(17320, 17320, 24)); // 299.98 megapixels
    EXPECT_TRUE(sizeAllowed(300'000'000, 1, 24));
    EXPECT_FALSE(sizeAllowed(17321, 17321, 24));
}

TEST(Bitmap, CopyIsDeepAndKeepsTheTargetWhenItCannotBeMade)
{
    SdkBitmapHandle a = makeBitmap(4, 3, [](int x, int y) { return std::uint32_t(x * 16 + y); });
    a.Region = QRegion(1, 1, 2, 1);
    a.XResolution = 300;
    SdkBitmapHandle b;
    ASSERT_EQ(PX_CopyBitmap(&b, &a), PX_SUCCESS);
    EXPECT_TRUE(sdktest::samePixels(a, b));
    EXPECT_EQ(b.Region, a.Region);
    EXPECT_EQ(b.XResolution, 300);
    b.row(0)[0] = 99;
    EXPECT_NE(a.row(0)[0], 99);

    SdkBitmapHandle empty;
    EXPECT_EQ(PX_CopyBitmap(&b, &empty), PXERR_BADBITMAP);
    EXPECT_TRUE(b.allocated());
    EXPECT_EQ(b.row(0)[0], 99);
    EXPECT_EQ(PX_CopyBitmap(&b, &b), PX_SUCCESS);
    EXPECT_EQ(b.row(0)[0], 99);
}

TEST(Bitmap, HandleCopyTakesThePictureOver)
{
    SdkBitmapHandle a = makeBitmap(3, 3, [](int, int) { return 0xABCDEFu; });
    SdkBitmapHandle b;
    ASSERT_EQ(PX_CopyBitmapHandle(&b, &a), PX_SUCCESS);
    EXPECT_FALSE(a.allocated());
    EXPECT_EQ(a.Width, 0);
    EXPECT_EQ(pixel(b, 2, 2), 0xABCDEFu);
}

TEST(Bitmap, RectCopyIsClippedAndBringsItsPartOfTheRegion)
{
    SdkBitmapHandle a = makeBitmap(10, 8, [](int x, int y) { return std::uint32_t(x << 8 | y); });
    a.Region = QRegion(2, 2, 6, 4);
    SdkBitmapHandle c;
    ASSERT_EQ(PX_CopyBitmapRect(&c, &a, 6, 5, 10, 10), PX_SUCCESS);
    EXPECT_EQ(c.Width, 4);
    EXPECT_EQ(c.Height, 3);
    EXPECT_EQ(pixel(c, 0, 0), std::uint32_t(6 << 8 | 5));
    EXPECT_EQ(c.Region, QRegion(0, 0, 2, 1));
    EXPECT_EQ(PX_CopyBitmapRect(&c, &a, 20, 20, 5, 5), PXERR_BADSIZE);
    EXPECT_EQ(c.Width, 4); // unchanged
}

TEST(Bitmap, RowsGoInAndOut)
{
    SdkBitmapHandle a = makeBitmap(3, 2, [](int x, int y) { return std::uint32_t(x + 10 * y); });
    std::uint8_t buf[12] = {};
    EXPECT_EQ(PX_GetBitmapRow(&a, 1, buf, 11), PXERR_BADPARAM);
    EXPECT_EQ(PX_GetBitmapRow(&a, 2, buf, 12), PXERR_BADPARAM);
    ASSERT_EQ(PX_GetBitmapRow(&a, 1, buf, 12), PX_SUCCESS);
    EXPECT_EQ(buf[3], 11);
    ASSERT_EQ(PX_SetBitmapRow(&a, 0, buf, 12), PX_SUCCESS);
    EXPECT_EQ(pixel(a, 2, 0), 12u);
}

TEST(Bitmap, DepthConversionsKeepTheColoursTheyCan)
{
    SdkBitmapHandle a = makeBitmap(2, 1, [](int x, int) { return x ? 0xFFFFFFu : 0x000000u; });
    ASSERT_EQ(PX_ConvertBitmap(&a, 32), PX_SUCCESS);
    EXPECT_EQ(a.BitsPerPixel, 32);
    EXPECT_EQ(a.row(0)[7], 255); // opaque
    ASSERT_EQ(PX_ConvertBitmap(&a, 8), PX_SUCCESS);
    EXPECT_EQ(a.Palette.size(), 256u);
    EXPECT_EQ(a.row(0)[0], 0);
    EXPECT_EQ(a.row(0)[1], 255);
    ASSERT_EQ(PX_ConvertBitmap(&a, 24), PX_SUCCESS);
    EXPECT_EQ(pixel(a, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(PX_ConvertBitmap(&a, 4), PXERR_BADBITS);
}

TEST(BitmapList, ItemsAreCopiesAndIndexesAreChecked)
{
    SdkBitmapListHandle list = nullptr;
    ASSERT_EQ(PX_CreateBitmapList(&list), PX_SUCCESS);
    auto colour = [](std::uint32_t c) { return makeBitmap(2, 2, [c](int, int) { return c; }); };
    SdkBitmapHandle red = colour(0xFF0000), green = colour(0x00FF00), blue = colour(0x0000FF);
    EXPECT_EQ(PX_InsertBitmapListItem(list, 0, &red), PX_SUCCESS);
    EXPECT_EQ(PX_InsertBitmapListItem(list, 99, &blue), PX_SUCCESS); // past the end appends
    EXPECT_EQ(PX_InsertBitmapListItem(list, 1, &green), PX_SUCCESS);
    int count = 0;
    ASSERT_EQ(PX_GetBitmapListCount(list, &count), PX_SUCCESS);
    EXPECT_EQ(count, 3);
    red.row(0)[0] = 1; // the list holds its own copy

    SdkBitmapHandle out;
    const std::uint32_t order[] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(PX_GetBitmapListItem(list, i, &out), PX_SUCCESS);
        EXPECT_EQ(pixel(out, 0, 0), order[i]) << i;
    }
    EXPECT_EQ(PX_GetBitmapListItem(list, 3, &out), PXERR_BADPARAM);
    EXPECT_EQ(PX_GetBitmapListItem(list, -1, &out), PXERR_BADPARAM);

    // A failed replacement keeps the old item.
    SdkBitmapHandle empty;
    EXPECT_EQ(PX_SetBitmapListItem(list, 1, &empty), PXERR_BADBITMAP);
    ASSERT_EQ(PX_GetBitmapListItem(list, 1, &out), PX_SUCCESS);
    EXPECT_EQ(pixel(out, 0, 0), 0x00FF00u);
    ASSERT_EQ(PX_SetBitmapListItem(list, 1, &blue), PX_SUCCESS);

    SdkBitmapListHandle second = nullptr;
    ASSERT_EQ(PX_CreateBitmapList(&second), PX_SUCCESS);
    ASSERT_EQ(PX_CopyBitmapListItems(second, list, 1, -1), PX_SUCCESS);
    ASSERT_EQ(PX_GetBitmapListCount(second, &count), PX_SUCCESS);
    EXPECT_EQ(count, 2);

    ASSERT_EQ(PX_RemoveBitmapListItem(list, 0, &out), PX_SUCCESS);
    EXPECT_EQ(pixel(out, 0, 0), 0xFF0000u);
    EXPECT_EQ(PX_DeleteBitmapListItems(list, 1, 5), PX_SUCCESS); // deletes to the end
    ASSERT_EQ(PX_GetBitmapListCount(list, &count), PX_SUCCESS);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(PX_DeleteBitmapListItems(list, 1, 1), PXERR_BADPARAM);

    EXPECT_EQ(PX_DestroyBitmapList(&list), PX_SUCCESS);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(PX_GetBitmapListCount(list, &count), PXERR_BADPARAM);
    PX_DestroyBitmapList(&second);
}
