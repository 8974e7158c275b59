#include "controls/gradient.h"
#include "controls/markup.h"
#include "helpers.h"
#include "platform/files.h"
#include "support/fixture.h"

#include <QFontMetrics>
#include <QPainter>

using namespace controls;
using namespace testhelp;
using platform::ColorRef;

namespace {

int gh(const QFont& f = fixedFont())
{
    QFontMetrics fm(f, &device96());
    return fm.height() + std::max(0, fm.leading());
}

int advance(const QString& s, const QFont& f = fixedFont()) { return QFontMetrics(f, &device96()).horizontalAdvance(s); }

} // namespace

TEST(HTMLColorToColor, ReadsHexAndTheNameTable)
{
    const struct {
        const char* value;
        ColorRef expected;
    } cases[] = {
        {"#FF0000", 0x0000FF},          // red lands in the low byte
        {"#0080C0", 0xC08000},
        {"#ff8000", 0x0080FF},          // lower-case digits are read as well
        {"clRed", 0x0000FF},
        {"CLNAVY", 0x800000},
        {"clGreen", 0x008000},
        {"clBtnFace", ColorRef(0xFF00000F)},
        {"clInfoBk", ColorRef(0xFF000018)},
        {"clBackground", ColorRef(0xFF000001)},
        {"clNoSuchColour", 0},
        {"", 0},
        {"#12", 0},
        {"#GG0000", 0},
        {"red", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(HTMLColorToColor(c.value), c.expected) << c.value;
}

TEST(StripHTMLTags, GivesThePlainText)
{
    const struct {
        const char* markup;
        const char* plain;
    } cases[] = {
        {"<IMG src=\"file://C:\\s\\_THUMB_x.jpg\" align=\"top\">x.jpg | caption", "x.jpg | caption"},
        {"a<BR>b<br>c", "a\r\nb\r\nc"},
        {"a<hr>b", "a\r\nb"},
        {"x<z>hidden</z>y<Z>more</Z>z", "xyz"},
        {"x<z>open without end", "xopen without end"},
        {"<B>bold</B> <FONT color=\"clRed\">red</FONT>", "bold red"},
        {"a < b", "a < b"},             // a "<" without ">" ends the scan, the rest stays
        {"a<b>c<d", "ac<d"},
        {"&amp; &lt;", "&amp; &lt;"},   // entities are not decoded
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(StripHTMLTags(QString::fromUtf8(c.markup)), QString::fromUtf8(c.plain)) << c.markup;
}

TEST(MarkupTags, SetFontAndColourOfTheRunsAfterThem)
{
    const QColor base(Qt::black);
    const struct {
        const char* markup;
        const char* run;
        std::function<bool(const MarkupOp&)> check;
    } cases[] = {
        {"<B>x</B>y", "x", [](const MarkupOp& o) { return o.font.bold(); }},
        {"<B>x</B>y", "y", [](const MarkupOp& o) { return !o.font.bold(); }},
        {"<I>x", "x", [](const MarkupOp& o) { return o.font.italic(); }},
        {"<U>x</U>", "x", [](const MarkupOp& o) { return o.font.underline(); }},
        {"<S>x", "x", [](const MarkupOp& o) { return o.font.strikeOut(); }},
        {"<S>x</S>y", "y", [](const MarkupOp& o) { return !o.font.strikeOut(); }},
        {"<BOLD>x", "x", [](const MarkupOp& o) { return !o.font.bold(); }}, // only "<B>" is bold
        {"<FONT SIZE=\"3\">x", "x", [](const MarkupOp& o) { return o.font.pointSize() == 12; }},
        {"<FONT SIZE=\"5\">x", "x", [](const MarkupOp& o) { return o.font.pointSize() == 16; }},
        {"<FONT SIZE=\"20\">x", "x", [](const MarkupOp& o) { return o.font.pointSize() == 20; }},
        {"<FONT SIZE=7>x", "x", [](const MarkupOp& o) { return o.font.pointSize() == 7; }},
        {"<FONT SIZE=\"20\">x</FONT>y", "y", [](const MarkupOp& o) { return o.font.pointSize() == 9; }},
        {"<FONT FACE=\"DejaVu Serif\">x", "x", [](const MarkupOp& o) { return o.font.family() == "DejaVu Serif"; }},
        {"<FONT COLOR=\"#FF0000\">x", "x", [](const MarkupOp& o) { return o.color == QColor(255, 0, 0); }},
        {"<FONT COLOR=\"clRed\">x", "x", [](const MarkupOp& o) { return o.color == QColor(255, 0, 0); }},
        {"<FONT COLOR=\"clPink\">x", "x", [](const MarkupOp& o) { return o.color == QColor(0, 0, 0); }},
        {"<FONT BGCOLOR=\"clRed\">x", "x", [](const MarkupOp& o) { return o.color == QColor(0, 0, 0) && o.background == QColor(255, 0, 0); }},
        {"<FONT BGCOLOR=\"clRed\">x</FONT>y", "y", [](const MarkupOp& o) { return !o.background.isValid(); }},
        {"plain", "plain", [](const MarkupOp& o) { return !o.background.isValid(); }}, // drawn transparently
        {"<A href=\"t\">x</A>y", "x", [](const MarkupOp& o) { return o.font.underline() && o.color == QColor(0, 0, 255); }},
        {"<A href=\"t\">x</A>y", "y", [](const MarkupOp& o) { return !o.font.underline() && o.color == QColor(0, 0, 0); }},
        {"<FONT COLOR=\"clRed\">x</BLINK>y", "y", [](const MarkupOp& o) { return o.color == QColor(0, 0, 0); }},
        {"&lt;B&gt;x", "<B>x", [](const MarkupOp& o) { return !o.font.bold(); }},
        {"<SHAD>x", "x", [](const MarkupOp& o) { return o.shadowColor == QColor(128, 128, 128) && o.shadowOffset == 1; }},
        {"<R a=\"90\">x", "x", [](const MarkupOp& o) { return o.rotation == 90; }},
    };
    for (const auto& c : cases) {
        const Laid l = lay(QString::fromUtf8(c.markup), QRect(0, 0, 400, 200));
        const MarkupOp* op = l.text(QString::fromUtf8(c.run));
        ASSERT_NE(op, nullptr) << c.markup;
        EXPECT_TRUE(c.check(*op)) << c.markup;
    }
    Q_UNUSED(base);
}

TEST(MarkupTags, SelectedItemsKeepTheirColours)
{
    HTMLItemOptions o;
    o.Selected = true;
    const Laid l = lay("<A href=\"t\">a</A> <FONT COLOR=\"clRed\" BGCOLOR=\"clLime\">b</FONT>", QRect(0, 0, 400, 100), o);
    EXPECT_EQ(l.text("a")->color, QColor(Qt::black));
    EXPECT_EQ(l.text("b")->color, QColor(Qt::black));
    EXPECT_FALSE(l.text("b")->background.isValid());

    o.HoveredAnchor = 0;
    o.HoverFontColor = platform::clRed;
    o.HoverColor = platform::clYellow;
    const Laid hovered = lay("<A href=\"t\">a</A> after", QRect(0, 0, 400, 100), o);
    EXPECT_EQ(hovered.text("a")->color, QColor(255, 0, 0));
    EXPECT_EQ(hovered.text("a")->background, QColor(255, 255, 0));
    EXPECT_EQ(hovered.text("after")->color, QColor(Qt::black)); // the hover colour ends with the anchor
    EXPECT_FALSE(hovered.text("after")->background.isValid());
}

TEST(MarkupTags, BlinkHidesTextOnlyInTheOffPhase)
{
    HTMLItemOptions o;
    o.BlinkOn = false;
    EXPECT_EQ(lay("<BLINK>x", QRect(0, 0, 200, 50), o).text("x")->color, QColor(Qt::white));
    EXPECT_EQ(lay("<BLINK>x", QRect(0, 0, 200, 50)).text("x")->color, QColor(Qt::black));
}

TEST(MarkupEntities, DecodeToTheirCharacters)
{
    const struct {
        const char* markup;
        const char* plain;
    } cases[] = {
        {"a &amp; b", "a & b"},
        {"&amp;amp;", "&"},                 // rewritten until nothing changes
        {"&quot;x&quot;", "\"x\""},
        {"&euro;&trade;&permil;", "€™‰"},
        {"&sect;&reg;&copy;&para;", "§®©¶"},
        {"&lt;B&gt;", "<B>"},
        {"a&nbsp;b", "a b"},
        {"<#text>", "#text"},
        {"&unknown;", "&unknown;"},
        {"Tom & Jerry &x.jpg", "Tom & Jerry &x.jpg"}, // a lone "&" is an ampersand, not a mnemonic
    };
    for (const auto& c : cases) EXPECT_EQ(lay(QString::fromUtf8(c.markup), QRect(0, 0, 400, 100)).result.PlainText, QString::fromUtf8(c.plain)) << c.markup;
}

TEST(MarkupLayout, EmptyTextHasTheHeightOfOneLine)
{
    const Laid l = lay("", QRect(0, 0, 200, 100));
    EXPECT_EQ(l.result.ExtentY, gh());
    EXPECT_EQ(l.result.ExtentX, 0);
}

TEST(MarkupLayout, LineBreakMakesTwoLines)
{
    const Laid l = lay("one<BR>two", QRect(0, 0, 200, 100));
    EXPECT_EQ(l.result.ExtentY, 2 * gh());
    EXPECT_EQ(l.result.PlainText, "one\rtwo");
    EXPECT_EQ(l.result.ExtentX, advance("one"));
    EXPECT_EQ(l.text("two")->rect.top(), l.text("one")->rect.top() + gh());
    EXPECT_EQ(l.text("one")->rect.left(), 1); // the working rectangle starts one pixel in
}

TEST(MarkupLayout, WordsWrapAtBlanksAndTheTrailingBlankDoesNotCount)
{
    // Runs keep their blank while they are fitted: "bbbb " must fit whole.
    const int w = advance("aaaa bbbb ") + 2;
    const Laid l = lay("aaaa bbbb cccc", QRect(0, 0, w, 200));
    ASSERT_NE(l.text("cccc"), nullptr);
    EXPECT_EQ(l.text("cccc")->rect.left(), 1);
    EXPECT_EQ(l.text("cccc")->rect.top(), gh());
    EXPECT_EQ(l.result.ExtentY, 2 * gh());
    EXPECT_EQ(l.result.ExtentX, advance("aaaa bbbb"));
}

TEST(MarkupLayout, WithoutWordWrapTheLineIsCutWithAnEllipsis)
{
    HTMLItemOptions o;
    o.WordWrap = false;
    const Laid l = lay("a long line that does not fit <B>here</B> at all<BR>next line", QRect(0, 0, 60, 200), o);
    ASSERT_NE(l.text("a long"), nullptr);
    EXPECT_EQ(l.text("a long")->elideWidth, 59);
    EXPECT_EQ(l.text("next"), nullptr);
    EXPECT_EQ(l.text("at all"), nullptr);

    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(fixedFont());
    HTMLItemResult r;
    DrawHTMLItem(p, "a long line that does not fit", QRect(0, 0, 60, 40), o, r);
    p.end();
    // Something was drawn, and nothing in the last pixel column (the ellipsis stops short).
    bool ink = false, edge = false;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 59; ++x) ink = ink || img.pixelColor(x, y) != QColor(Qt::white);
        edge = edge || img.pixelColor(59, y).red() < 128;
    }
    EXPECT_TRUE(ink);
    EXPECT_FALSE(edge);
}

TEST(MarkupLayout, DrawingDropsLinesBelowTheBoundsButMeasuringDoesNot)
{
    const QString many = "1<BR>2<BR>3<BR>4<BR>5";
    EXPECT_EQ(lay(many, QRect(0, 0, 100, 2 * gh())).result.ExtentY, 2 * gh());
    HTMLItemOptions o;
    o.MeasureOnly = true;
    EXPECT_EQ(lay(many, QRect(0, 0, 100, 2 * gh()), o).result.ExtentY, 5 * gh());
}

TEST(MarkupLayout, AlignmentIndentAndHiddenText)
{
    const int w = 201;
    const Laid right = lay("<P align=\"right\">ab</P>", QRect(0, 0, w, 100));
    EXPECT_EQ(right.text("ab")->rect.left(), w - advance("ab"));
    const Laid center = lay("<P align=\"center\">ab", QRect(0, 0, w, 100));
    EXPECT_EQ(center.text("ab")->rect.left(), 1 + (w - 1 - advance("ab")) / 2);
    const Laid indent = lay("<P indent=\"20\">ab", QRect(0, 0, w, 100));
    EXPECT_EQ(indent.text("ab")->rect.left(), 21);
    const Laid ind = lay("a<IND x=\"50\">b", QRect(0, 0, w, 100));
    EXPECT_EQ(ind.text("b")->rect.left(), 51);
    EXPECT_EQ(ind.result.ExtentX, 50 + advance("b"));
    const Laid hidden = lay("a<Z>secret</Z>b", QRect(0, 0, w, 100));
    EXPECT_EQ(hidden.text("secret"), nullptr);
    EXPECT_EQ(hidden.text("b")->rect.left(), 1 + advance("a"));
    EXPECT_EQ(hidden.result.PlainText, "asecretb");
}

TEST(MarkupLayout, SubscriptAndSuperscriptMakeRoom)
{
    const Laid l = lay("H<SUB>2</SUB>O x<SUP>3</SUP>", QRect(0, 0, 300, 100));
    const int room = gh() / 4;
    EXPECT_EQ(l.result.ExtentY, gh() + 2 * room);
    EXPECT_EQ(l.text("2")->rect.bottom() - l.text("H")->rect.bottom(), room);
    EXPECT_EQ(l.text("H")->rect.bottom() - l.text("3")->rect.bottom(), room);
}

TEST(MarkupLayout, ListsRulesAndBands)
{
    const Laid l = lay("<UL><LI>one<LI>two</UL><HR><P bgcolor=\"clYellow\">band</P>after", QRect(0, 0, 300, 300));
    const auto bullets = l.texts();
    ASSERT_NE(l.text(QString(QChar(0x2022))), nullptr);
    EXPECT_EQ(l.text("one")->rect.left(), 1 + 12);
    EXPECT_GT(l.text("two")->rect.top(), l.text("one")->rect.top()); // a second LI starts a line
    EXPECT_EQ(l.of(MarkupOp::Line).size(), 1u);
    const auto fills = l.of(MarkupOp::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0]->color, QColor(255, 255, 0));
    EXPECT_EQ(fills[0]->rect.top(), l.text("band")->rect.top());
    EXPECT_EQ(fills[0]->rect.width(), 300);
}

TEST(MarkupLayout, BodyPaintsOnlyUnselectedItems)
{
    const QString body = "<BODY BGCOLOR=\"clRed\" BGCOLORTO=\"clBlue\" DIR=\"V\">x";
    const Laid l = lay(body, QRect(0, 0, 100, 50));
    const auto g = l.of(MarkupOp::Gradient);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_FALSE(g[0]->horizontal);
    EXPECT_EQ(g[0]->rect, QRect(0, 0, 100, 50));
    HTMLItemOptions o;
    o.Selected = true;
    EXPECT_TRUE(lay(body, QRect(0, 0, 100, 50), o).of(MarkupOp::Gradient).empty());
    const Laid band = lay("<BODY BGCOLOR=\"clLime\">x", QRect(10, 0, 100, 50));
    ASSERT_EQ(band.of(MarkupOp::Fill).size(), 1u);
    EXPECT_EQ(band.of(MarkupOp::Fill)[0]->rect, QRect(8, 0, 102, gh()));
}

TEST(MarkupLayout, ErrorMarkDrawsAZigzag)
{
    QImage img(80, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(fixedFont());
    HTMLItemResult r;
    DrawHTMLItem(p, "<E>wrong</E>", QRect(0, 0, 80, 30), HTMLItemOptions(), r);
    p.end();
    int red = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            if (img.pixelColor(x, y) == QColor(255, 0, 0)) ++red;
    EXPECT_GT(red, advance("wrong") / 2);
}

TEST(MarkupHitTest, FindsTheAnchorUnderThePoint)
{
    const QString item = "see <A href=\"first\">one</A> and <A href=\"mailto:x@y\">two</A>";
    const Laid plain = lay(item, QRect(0, 0, 400, 50));
    const QRect two = plain.text("two")->rect;
    HTMLItemOptions o;
    o.HitTestOnly = true;
    o.PointX = two.center().x();
    o.PointY = two.center().y();
    const Laid hit = lay(item, QRect(0, 0, 400, 50), o);
    EXPECT_TRUE(hit.result.Hit);
    EXPECT_EQ(hit.result.AnchorUnderPoint, "mailto:x@y");
    EXPECT_EQ(hit.result.AnchorUnderPointIndex, 1);
    EXPECT_EQ(hit.result.HoverRect, two);
    EXPECT_EQ(hit.result.AnchorCount, 2);
    EXPECT_TRUE(hit.layout.ops.empty()); // hit testing draws nothing

    o.PointX = plain.text("see")->rect.center().x();
    const Laid miss = lay(item, QRect(0, 0, 400, 50), o);
    EXPECT_FALSE(miss.result.Hit);
    EXPECT_TRUE(miss.result.AnchorUnderPoint.isEmpty());
}

TEST(MarkupHitTest, FocusedAnchorIsFramed)
{
    HTMLItemOptions o;
    o.FocusedAnchor = 0;
    const Laid l = lay("<A href=\"t\">one</A>", QRect(0, 0, 200, 40), o);
    EXPECT_EQ(l.result.FocusedAnchorHref, "t");
    ASSERT_EQ(l.of(MarkupOp::FocusRect).size(), 1u);
    EXPECT_EQ(l.of(MarkupOp::FocusRect)[0]->rect, l.text("one")->rect.adjusted(-1, -1, 1, 1));
}

TEST(MarkupImages, ImageListEntriesAndMissingOnes)
{
    TImageList images(QSize(16, 16));
    QPixmap px(16, 16);
    px.fill(Qt::red);
    images.Add(px);
    HTMLItemOptions o;
    o.Images = &images;
    const Laid l = lay("<IMG src=\"IDX:0\">x", QRect(0, 0, 200, 40), o);
    ASSERT_EQ(l.of(MarkupOp::Image).size(), 1u);
    EXPECT_EQ(l.of(MarkupOp::Image)[0]->rect, QRect(1, 0, 16, 16));
    EXPECT_EQ(l.text("x")->rect.left(), 17);
    for (const char* bad : {"<IMG src=\"IDX:-1\">x", "<IMG src=\"IDX:1\">x", "<IMG src=\"IDX:z\">x", "<IMG src=\"nothing\">x"}) {
        const Laid none = lay(bad, QRect(0, 0, 200, 40), o);
        EXPECT_TRUE(none.of(MarkupOp::Image).empty()) << bad;
        EXPECT_EQ(none.text("x")->rect.left(), 1) << bad; // no picture, no room
    }
}

TEST(MarkupImages, ShellIconsBySizeNumberOrName)
{
    const struct {
        const char* markup;
        int size;
    } cases[] = {
        {"<IMG src=\"SSYS:C:\\no\\such\\file.txt\">", 16}, // the extension alone decides
        {"<IMG src=\"LSYS:C:\\no\\such\\file.txt\">", 32},
        {"<IMG src=\"ssys:4\">", 16},
        {"<IMG src=\"SSYS:99\">", 0},
    };
    for (const auto& c : cases) {
        const Laid l = lay(c.markup, QRect(0, 0, 200, 60));
        const auto images = l.of(MarkupOp::Image);
        if (c.size == 0) {
            EXPECT_TRUE(images.empty()) << c.markup;
            continue;
        }
        ASSERT_EQ(images.size(), 1u) << c.markup;
        EXPECT_EQ(images[0]->rect.size(), QSize(c.size, c.size)) << c.markup;
    }
}

TEST(FillGradient, BandsStepFromColourToColour)
{
    QImage img(8, 2, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    FillGradient(p, platform::clBlack, platform::clWhite, true, QRect(0, 0, 8, 2), 4, platform::clNone);
    p.end();
    const int expected[] = {0, 0, 64, 64, 128, 128, 191, 191};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(img.pixelColor(x, 1).red(), expected[x]) << x;

    QImage framed(10, 10, QImage::Format_RGB32);
    framed.fill(Qt::white);
    QPainter q(&framed);
    FillGradient(q, platform::clRed, platform::clRed, false, QRect(0, 0, 10, 10), 0, platform::clBlue);
    q.end();
    EXPECT_EQ(framed.pixelColor(0, 5), QColor(0, 0, 255));
    EXPECT_EQ(framed.pixelColor(9, 9), QColor(0, 0, 255));
    EXPECT_EQ(framed.pixelColor(5, 5), QColor(255, 0, 0));
}

// The program's own items: the thumbnail at the left, the text top-aligned beside it, a long
// caption wrapping below.
class ShowItemGeometry : public testsupport::WorldTest {};

TEST_F(ShowItemGeometry, ThumbnailLeftTextTopCaptionWraps)
{
    world.writeHostFile("c/Show/_THUMB_x.jpg", jpegBytes(93, 70));
    THTMLPictureCache cache;
    HTMLItemOptions o;
    o.PictureCache = &cache;
    const QString item = "<IMG src=\"file://C:\\show\\_THUMB_x.jpg\" align=\"top\">x.jpg | a caption long enough to wrap "
                         "onto a further line of the item";
    const Laid l = lay(item, QRect(0, 0, 300, 400), o);
    const auto images = l.of(MarkupOp::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->rect, QRect(1, 0, 93, 70));
    const MarkupOp* name = l.text("x.jpg");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->rect.left(), 94);
    EXPECT_EQ(name->rect.top(), 0); // level with the picture's top
    const MarkupOp* last = l.texts().back();
    EXPECT_GE(last->rect.top(), 70);
    int lineStart = 1000;
    for (const auto* op : l.texts())
        if (op->rect.top() == last->rect.top()) lineStart = std::min(lineStart, op->rect.left());
    EXPECT_EQ(lineStart, 1); // the wrapped caption starts at the left edge, below the picture
    EXPECT_EQ(l.result.ExtentY, last->rect.bottom() + 1);
    EXPECT_EQ(l.result.PlainText, StripHTMLTags(item));
    EXPECT_EQ(cache.Count(), 1);

    const Laid shortItem = lay("<IMG src=\"file://C:\\show\\_THUMB_x.jpg\" align=\"top\">x.jpg | hi", QRect(0, 0, 300, 400), o);
    EXPECT_EQ(shortItem.result.ExtentY, 70);
    EXPECT_EQ(cache.Count(), 1); // one picture for the one source
}

TEST_F(ShowItemGeometry, WideImagesAndImagesThatDoNotFitBeside)
{
    world.writeHostFile("c/big.jpg", jpegBytes(400, 20));
    world.writeHostFile("c/small.jpg", jpegBytes(60, 20));
    THTMLPictureCache cache;
    HTMLItemOptions o;
    o.PictureCache = &cache;
    const Laid wide = lay("ab<IMG src=\"file://C:\\big.jpg\">", QRect(0, 0, 100, 400), o);
    ASSERT_EQ(wide.of(MarkupOp::Image).size(), 1u);
    EXPECT_EQ(wide.of(MarkupOp::Image)[0]->rect.top(), 0); // placed anyway, on the same line
    const Laid beside = lay("abcdefgh<IMG src=\"file://C:\\small.jpg\">", QRect(0, 0, 100, 400), o);
    ASSERT_EQ(beside.of(MarkupOp::Image).size(), 1u);
    EXPECT_EQ(beside.of(MarkupOp::Image)[0]->rect.topLeft(), QPoint(1, gh()));
    const Laid sized = lay("<IMG src=\"file://C:\\small.jpg\" width=\"30\" height=\"10\">", QRect(0, 0, 100, 400), o);
    EXPECT_EQ(sized.of(MarkupOp::Image)[0]->rect, QRect(1, 0, 30, 10));
    EXPECT_TRUE(sized.of(MarkupOp::Image)[0]->stretch);
}

TEST_F(ShowItemGeometry, ImageInsideAnAnchorIsHitAndShowsItsAlternative)
{
    world.writeHostFile("c/a.jpg", jpegBytes(20, 20, Qt::red));
    world.writeHostFile("c/b.jpg", jpegBytes(20, 20, Qt::blue));
    THTMLPictureCache cache;
    HTMLItemOptions o;
    o.PictureCache = &cache;
    o.PointX = 10;
    o.PointY = 10;
    const QString item = "<A href=\"go\"><IMG src=\"file://C:\\a.jpg\" alt=\"file://C:\\b.jpg\"></A>";
    const Laid l = lay(item, QRect(0, 0, 100, 40), o);
    EXPECT_TRUE(l.result.Hit);
    EXPECT_EQ(l.result.AnchorUnderPoint, "go");
    ASSERT_EQ(l.of(MarkupOp::Image).size(), 1u);
    EXPECT_EQ(l.of(MarkupOp::Image)[0]->picture->source(), "file://C:\\b.jpg");
    o.PointX = 50;
    EXPECT_EQ(lay(item, QRect(0, 0, 100, 40), o).of(MarkupOp::Image)[0]->picture->source(), "file://C:\\a.jpg");
}
