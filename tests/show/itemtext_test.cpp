// Picture items as the lists hold them: the user's text behind an image tag shows exactly as
// typed, and every reader gets it back character for character.
#include "show/itemtext.h"
#include "helpers.h"

#include <gtest/gtest.h>

using namespace controls;
using namespace show;
using namespace testhelp;

namespace {

const QString Thumb = QStringLiteral("C:\\Quorbel\\Quorbel_0001\\_THUMB_x.jpg");

} // namespace

TEST(PictureItems, TheTextShowsAndReadsBackAsTyped)
{
    const char* const typed[] = {
        "Tassen & Becher <bunt> \xC3\xA4 \xC3\xA9 \xE2\x82\xAC",
        "<b>not bold</b> <i>nor italic</i> <font color=\"#FF0000\">nor red</font>",
        "&amp; &lt;b&gt; &quot;q&quot; &nbsp; &euro; &copy;",
        "a&&lt;b &&amp;amp; &",
        "x.jpg | 3 > 2 and 1 < 2",
        "<#hash> <BR> <hr> <z>hidden</z> <li>",
        "\"quoted\" 'single' <IMG src=\"file://C:\\x.jpg\">",
        "",
    };
    for (const char* t : typed) {
        const QString text = QString::fromUtf8(t);
        const QString item = PictureItem(Thumb, text);
        SCOPED_TRACE(item.toStdString());
        EXPECT_EQ(PictureItemText(item), text);
        EXPECT_EQ(PictureItemThumbnail(item), Thumb);
        const Laid laid = lay(item, QRect(0, 0, 4000, 200));
        EXPECT_EQ(laid.result.PlainText, text);
        QString drawn;
        for (const MarkupOp* op : laid.texts()) {
            drawn += op->text;
            // No run took a style, a colour or a line of its own from the text.
            EXPECT_FALSE(op->font.bold() || op->font.italic() || op->font.underline()) << op->text.toStdString();
            EXPECT_EQ(op->color, laid.texts().front()->color) << op->text.toStdString();
            EXPECT_EQ(op->rect.top(), laid.texts().front()->rect.top()) << op->text.toStdString();
        }
        EXPECT_EQ(drawn, text);
        EXPECT_TRUE(laid.layout.ops.empty() || laid.of(MarkupOp::Line).empty());
    }
}

TEST(PictureItems, AnotherTextKeepsTheImageTag)
{
    const QString item = PictureItem(Thumb, "a.jpg");
    const QString changed = PictureItemWithText(item, "a.jpg | <new> & more");
    EXPECT_EQ(changed, "<IMG src=\"file://" + Thumb + "\" align=\"top\">a.jpg | &lt;new&gt; &amp; more");
    EXPECT_EQ(PictureItemText(changed), "a.jpg | <new> & more");
    EXPECT_EQ(PictureItemThumbnail(changed), Thumb);
    // Text without an image tag is text as a whole; it has no thumbnail.
    EXPECT_EQ(PictureItemText("plain &amp; text"), "plain & text");
    EXPECT_EQ(PictureItemThumbnail("plain"), "");
}
