#include "util/casetables.h"

#include <gtest/gtest.h>

TEST(CaseTables, SearchWithoutRegardToCase)
{
    EXPECT_EQ(StrFind("AB", "xxab", 1), 3);
    EXPECT_EQ(StrFind("ab", "xab", 3), 0);    // cannot fit
    EXPECT_EQ(StrFind("ab", "xab", 0), 0);
    EXPECT_EQ(StrFind("", "xab", 1), 0);
    EXPECT_EQ(StrFind("ab", "", 1), 0);
    EXPECT_EQ(StrFind(QString::fromUtf8("ÄRGER"), QString::fromUtf8("der ärger"), 1), 5);
    EXPECT_EQ(StrFind("b", "abab", 3), 4);
    EXPECT_EQ(StrAfter("b", "aBcbd"), "cbd");
    EXPECT_EQ(StrAfter("z", "aBcbd"), "");
    EXPECT_EQ(StrRestOf("abcdef", 3), "cdef");
}

TEST(CaseTables, TheCodePagesLettersMapBothWays)
{
    EXPECT_EQ(CharToUpper(QChar(0xE4)), QChar(0xC4)); // ä
    EXPECT_EQ(CharToLower(QChar(0x0178)), QChar(0xFF)); // Ÿ ÿ
    EXPECT_EQ(CharToUpper(QChar(0xFF)), QChar(0x0178));
    EXPECT_EQ(CharToUpper(QChar(0xDF)), QChar(0xDF)); // ß has no upper form in the code page
    EXPECT_EQ(CharToUpper(QChar(0x0161)), QChar(0x0160)); // š Š
    EXPECT_TRUE(CharIsLower(QChar(0xE9)));
    EXPECT_TRUE(CharIsUpper(QChar('Q')));
    EXPECT_FALSE(CharIsUpper(QChar('1')));
    EXPECT_EQ(CharSwapCase(QChar('a')), QChar('A'));
    EXPECT_EQ(CharSwapCase(QChar('7')), QChar('7'));
}

TEST(CaseTables, TokensOfSeparatedLists)
{
    QString s = "a;b;c";
    EXPECT_EQ(StrToken(s, ';'), "a");
    EXPECT_EQ(s, "b;c");
    QString none = "abc";
    EXPECT_EQ(StrToken(none, ';'), "abc");
    EXPECT_TRUE(none.isEmpty());
    QStringList list{"old"};
    StrToStrings("a;b;", ';', &list);
    EXPECT_EQ(list, (QStringList{"a", "b"}));
    StrToStrings(";a", ';', &list);
    EXPECT_EQ(list, (QStringList{"", "a"}));
    StrToStrings("x", ';', nullptr);
}
