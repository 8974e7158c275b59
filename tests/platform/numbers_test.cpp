#include "platform/colors.h"
#include "platform/numbers.h"
#include "platform/rounding.h"

#include <gtest/gtest.h>
#include <limits>

using namespace platform;

TEST(Rounding, HalvesGoToEven)
{
    struct Case { double in; int out; };
    const Case cases[] = {{62.5, 62}, {63.5, 64}, {0.5, 0}, {1.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
                          {2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {7.0, 7}};
    for (const auto& c : cases) EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
}

TEST(Rounding, ConversionsClampInsteadOfOverflowing)
{
    EXPECT_EQ(roundHalfEven(1e20), std::numeric_limits<int>::max());
    EXPECT_EQ(roundHalfEven(-1e20), std::numeric_limits<int>::min());
    EXPECT_EQ(roundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(truncToInt(-3.9), -3);
    EXPECT_EQ(roundHalfEven64(4294967296.5), 4294967296LL);
}

TEST(Numbers, ParseIntegerAcceptsOnlyPlainDecimals)
{
    struct Case { const char* in; std::optional<int> out; };
    const Case cases[] = {
        {"42", 42}, {"  -7 ", -7}, {"+3", 3}, {"0", 0},
        {"2147483647", 2147483647}, {"-2147483648", std::numeric_limits<int>::min()},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"99999999999999999999", std::nullopt},
        {"", std::nullopt}, {"   ", std::nullopt}, {"-", std::nullopt}, {"4,5", std::nullopt},
        {"4.5", std::nullopt}, {"abc", std::nullopt}, {"$10", std::nullopt}, {"0x10", std::nullopt}, {"1 2", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseInteger(QString::fromUtf8(c.in)), c.out) << c.in;
    EXPECT_EQ(parseIntegerOr(u"x", 3), 3);
}

TEST(Colors, ColourIntegersHoldRedInTheLowByte)
{
    EXPECT_EQ(colorToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(colorToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(qcolorToColor(QColor(1, 2, 3)), 0x030201);
    EXPECT_FALSE(colorToQColor(clNone).isValid());
    EXPECT_EQ(qcolorToColor(QColor()), clNone);
    // A system colour resolves through the palette to a plain colour.
    EXPECT_EQ(colorToRGB(clWindow) & 0xFF000000, 0);
    EXPECT_EQ(colorToRGB(0x123456), 0x123456);
}
