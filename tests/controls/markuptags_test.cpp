// The tag reader on its own: what it makes of text runs, tags and markup cut short, and its
// attributes, without any layout.
#include "controls/markuptags.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace controls::markup;

namespace {

// The tokens of prepared markup: "text" runs as they are, tags as written, "END" for a tag
// cut short. Taking each token must move the reader on.
QStringList tokens(const QString& markup, bool wordWrap)
{
    MarkupReader reader(markup);
    QStringList out;
    while (!reader.atEnd()) {
        const MarkupToken t = reader.peek(wordWrap);
        EXPECT_GT(t.next, reader.pos()) << markup.toStdString();
        if (t.next <= reader.pos()) break;
        out << (t.kind == MarkupToken::Text ? t.run : t.kind == MarkupToken::Tag ? t.tag.text : QStringLiteral("END"));
        reader.take(t);
    }
    return out;
}

TEST(MarkupReader, ReadsRunsTagsAndMarkupCutShort)
{
    struct Case {
        const char* what;
        QString markup;
        bool wrap;
        QStringList want;
    };
    const Case cases[] = {
        {"runs end after a blank when wrapping", "ab cd", true, {"ab ", "cd"}},
        {"one run without wrapping", "ab cd", false, {"ab cd"}},
        {"tags around a run", "<b>x</b>", true, {"<b>", "x", "</b>"}},
        {"run entities decoded", "a&lt;b&gt;&nbsp;", false, {"a<b> "}},
        {"a tag without its end", "x<font color=\"#ff0000\"", true, {"x", "END"}},
        {"a tag too short for a name", "x<a", true, {"x", "END"}},
        {"a closing tag too short", "x</a", true, {"x", "END"}},
        {"a lone <", "<", true, {"END"}},
        {"a tag without a name", "<>x", true, {"<>", "x"}},
        {"a closing tag without a name", "</>x", true, {"</>", "x"}},
        {"a tag opened inside a tag", "<a<b>c", true, {"<a<b>", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(tokens(c.markup, c.wrap), c.want);
    }
}

TEST(MarkupReader, EveryCutOfAnItemEndsCleanly)
{
    // Cut anywhere, an item reads to its end in tokens that give back the text read, or the
    // text up to a tag cut short.
    const QString item = prepareMarkup(
        "<p align=\"center\" bgcolor=\"#ffffff\"><img src=\"idx:1\" align=\"top\"><a href=\"x\">link</a> "
        "&amp;<font face=\"Sans\" size=\"3\" color=\"clRed\">red</font>\r<ul><li>one</ul>");
    for (qsizetype cut = 0; cut <= item.size(); ++cut) {
        const QString part = item.left(cut);
        const QStringList read = tokens(part, true);
        const QString joined = read.join(QString());
        if (!read.isEmpty() && read.last() == "END") {
            EXPECT_TRUE(part.startsWith(joined.chopped(3))) << part.toStdString();
            EXPECT_EQ(part.at(joined.size() - 3), u'<') << part.toStdString();
        } else {
            // No entity the reader decodes stands in this item: the runs are the text as written.
            EXPECT_EQ(joined, part);
        }
    }
}

TEST(MarkupReader, PreparesEntitiesMarksAndLineBreaks)
{
    EXPECT_EQ(prepareMarkup("a&amp;b &euro;&copy;"), QString("a&b ") + QChar(0x20AC) + QChar(0x00A9));
    // Replacements repeat until none is left.
    EXPECT_EQ(prepareMarkup("&amp;amp;"), "&");
    EXPECT_EQ(prepareMarkup("one\r\ntwo\nthree"), "one<BR>twothree");
    // "<#" shows the tag's text instead of acting on it.
    EXPECT_EQ(prepareMarkup("x<#b>y"), "x#by");
}

TEST(MarkupReader, AttributesAreTheirFirstQuotedValue)
{
    const MarkupToken t = MarkupReader("<P BGCOLORTO=\"#00ff00\" bgcolor=\"#000000\" indent=\"12>").peek(true);
    ASSERT_EQ(t.kind, MarkupToken::Tag);
    EXPECT_EQ(t.tag.c1, u'P');
    EXPECT_FALSE(t.tag.closing);
    // BGCOLOR is not found at the start of BGCOLORTO.
    EXPECT_EQ(t.tag.attribute(QLatin1String("BGCOLOR")), "#000000");
    EXPECT_EQ(t.tag.attribute(QLatin1String("BGCOLORTO")), "#00ff00");
    bool present = false;
    // A value without its closing quote is empty, though the attribute is there.
    EXPECT_EQ(t.tag.attribute(QLatin1String("INDENT"), &present), "");
    EXPECT_TRUE(present);
    EXPECT_FALSE(t.tag.has(QLatin1String("ALIGN")));
    EXPECT_EQ(t.tag.firstQuoted(), "#00ff00");
    EXPECT_EQ(leadingNumber(u"-12px"), -12);
    EXPECT_EQ(leadingNumber(u"99999999999999"), kLimit);
    EXPECT_EQ(leadingNumber(u"x1"), 0);
}

} // namespace
