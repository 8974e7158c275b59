#include "util/texttable.h"

#include <gtest/gtest.h>

TEST(TextTable, PutsTheProductNameInPlaceOfTheFirstPlaceholder)
{
    util::TextTable table;
    table.setTexts({{1, "Über $PRG_NAME$"},
                    {2, "Ende von $prg_name$."},
                    {3, "$PRG_NAME$ und $PRG_NAME$"},
                    {4, QString::fromUtf8("Größe ß $Prg_Name$ ß")},
                    {5, "ohne Platzhalter"},
                    {6, ""},
                    {-7, "$PRG_NAME"}},
                   "Quorbelix pro");
    const struct {
        int number;
        const char* text;
    } cases[] = {
        {1, "Über Quorbelix pro"},
        {2, "Ende von Quorbelix pro."},      // any case
        {3, "Quorbelix pro und $PRG_NAME$"}, // only the first one
        {4, "Größe ß Quorbelix pro ß"},      // "ß" before it keeps the position
        {5, "ohne Platzhalter"},
        {6, ""},
        {-7, "$PRG_NAME"}, // no placeholder without its closing "$"
        {8, ""},           // missing number
        {0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(table.text(c.number), QString::fromUtf8(c.text)) << c.number;
}

TEST(TextTable, NewTextsReplaceTheOldOnesAndTheTitleStays)
{
    util::TextTable table;
    EXPECT_EQ(table.text(1), ""); // not yet filled
    EXPECT_EQ(table.title(), "");
    table.setTitle("QZT Quorbel pro");
    table.setTexts({{1, "Über $PRG_NAME$"}, {2, "zwei"}}, "Quorbel pro");
    table.setTexts({{1, "About $PRG_NAME$"}}, "Quorbelix pro");
    EXPECT_EQ(table.text(1), "About Quorbelix pro");
    EXPECT_EQ(table.text(2), ""); // gone with the old language
    EXPECT_EQ(table.title(), "QZT Quorbel pro");
}

// LangText reads the run's one table.
TEST(TextTable, LangTextReadsTheRunsTable)
{
    util::TextTable& run = util::TextTable::instance();
    run.setTexts({{12, "zwölf $PRG_NAME$"}}, "Quorbel pro");
    EXPECT_EQ(LangText(12), QString::fromUtf8("zwölf Quorbel pro"));
    EXPECT_EQ(LangText(13), "");
    run.setTexts({}, QString());
    EXPECT_EQ(LangText(12), "");
}
