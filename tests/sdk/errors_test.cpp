#include "sdk/errors.h"

#include <gtest/gtest.h>

using namespace sdk;

TEST(ErrorTable, MessagesByCode)
{
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {1, ""},
        {0, "Function not successful"},
        {-1, "Not enough memory available"},
        {-2, "Invalid bitmap handle"},
        {-13, "Invalid parmameter passed"},
        {-20, "Undefined Error"},
        {-21, "Invalid QFactor specified"},
        {-29, "Escape key pressed"},
        {-30, "Internal error - call support"},
        {-62, "Internal error - call support"},
        {-63, "fixed palette data not found"},
        {-64, "fixed palette data not found"},
        {-100, "User has aborted operation"},
        {-143, "Undefined Error"}, // not named: the implementer's text
        {-145, "Image is empty"},
        {-215, "ICR not blocked on  progress draw"},
        {-231, "Bad Polygon used to define region extents; probably beyond the \ndimensions of the source image or bad vertices."},
        {-299, "Error copying to clipboard"},
        {-310, "Page not found"},
        {-350, "directory browsing failed "},
        {-381, "Invalid frame rate"},
        {-399, "Undefined Error"},
        {-400, "Undefined Error"},
        {-901, "Undefined Error"},
        {-902, "Not enough memory available"},
        {-916, "Invalid QFactor"},
        {2, "Undefined Error: 2"},
        {-401, "Undefined Error: -401"},
        {-500, "Undefined Error: -500"},
        {-900, "Undefined Error: -900"},
        {-917, "Undefined Error: -917"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorCodeMessage(c.code), QString::fromLatin1(c.text)) << c.code;
}

TEST(ErrorTable, EveryCodeOfTheFirstRangeHasAText)
{
    int undefined = 0, internal = 0;
    for (int code = 0; code >= -400; --code) {
        const QString text = ErrorCodeMessage(code);
        EXPECT_FALSE(text.isEmpty()) << code;
        EXPECT_FALSE(text.startsWith("Undefined Error: ")) << code;
        if (text == "Internal error - call support") ++internal;
        if (text == "Undefined Error") ++undefined;
    }
    EXPECT_EQ(internal, 33);
    // 83 named ones and the 14 codes the table leaves to us (-143, -146..-148, -191, -227, -228,
    // -244, -292, -314, -315, -318, -352, -400).
    EXPECT_EQ(undefined, 83 + 14);
}

TEST(ErrorTable, MethodMessagesHaveTheirExactForm)
{
    EXPECT_EQ(formatMethodError("PixImage2", -2, "Size"), "PixImage2 \nError code: -2\nSize: Invalid bitmap handle ");
    EXPECT_EQ(formatMethodError("PixImage1", -500, "Load"), "PixImage1 \nError code: -500\nLoad: Undefined Error: -500 ");
    // A name that looks like a placeholder stays as it is.
    EXPECT_EQ(formatMethodError("%2", 0, "%1"), "%2 \nError code: 0\n%1: Function not successful ");
    EXPECT_EQ(formatNotAllocated("PixImage2", "Sharpen"), "PixImage2 \nSharpen: Image not allocated.");
    EXPECT_EQ(formatTwainError("PixTwain1", -82, "TwainAcquire"), "PixTwain1\nError code: -82\nTwainAcquire: No Data Source");
}

TEST(ErrorTable, ExceptionsCarryTheirMessage)
{
    try {
        throw EPixImageError(formatNotAllocated("Img", "Size"));
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Img \nSize: Image not allocated.");
    }
    try {
        throw EPixTwainError(formatTwainError("Twain", -82, "Acquire"));
    } catch (const EPixTwainError& e) {
        EXPECT_EQ(e.message(), "Twain\nError code: -82\nAcquire: No Data Source");
    }
}
