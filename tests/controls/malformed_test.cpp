// Malformed markup must degrade, never crash, overflow or hang: the sanitizer build runs these.
#include "controls/htmlistbox.h"
#include "controls/markup.h"
#include "helpers.h"
#include "support/fixture.h"

#include <QPainter>
#include <sys/stat.h>

using namespace controls;
using namespace testhelp;

class MalformedMarkup : public testsupport::WorldTest {};

TEST_F(MalformedMarkup, EveryPassSurvives)
{
    const QByteArray gif = gifBytes(8, 8, {GifFrame{}, GifFrame{2, 2}, GifFrame{4, 4}});
    world.writeHostFile("c/cut1.gif", gif.left(12));
    world.writeHostFile("c/cut2.gif", gif.left(gif.size() / 2));
    world.writeHostFile("c/cut3.gif", gif.left(gif.size() - 3));
    world.writeHostFile("c/marker.gif", QByteArray("GIF89a") + QByteArray::fromHex("21f904000000002c"));
    world.writeHostFile("c/empty.jpg", "");
    world.writeHostFile("c/d/x.txt", "x");
    ::mkfifo((world.hostC() + "/fifo.jpg").toLocal8Bit().constData(), 0600);
    world.writeHostFile("c/ok.jpg", jpegBytes(10, 10));

    const QString long1(100000, QChar('x'));
    QString manyBreaks;
    for (int i = 0; i < 3000; ++i) manyBreaks += "a<BR>";
    QString manyTags;
    for (int i = 0; i < 2000; ++i) manyTags += "<UL><LI><B><A href=\"";
    const QStringList cases = {
        "<", "<x", "</", "</B", "<B", "<B text without end", "text <", "<>", "</>", "<<<>>>", ">>>",
        "<A href=\"", "<A href=\"x\">never closed", "</A></A></A>", "</UL></UL></UL>", "</P></P>",
        "</FONT>", "</H></H>x", "</R></R>", "<R a=\"99999999999\">x", "<R a=\"-2147483648\">x</R>",
        "<FONT SIZE=\"99999999\">big", "<FONT SIZE=\"-5\">neg", "<FONT SIZE=\"\">e", "<FONT SIZE=>", "<FONT SIZE",
        "<FONT FACE=\"\">x", "<FONT COLOR=\"#\">x", "<FONT COLOR=\"#GGGGGG\">x", "<FONT COLOR=\"#12345\">x",
        "<FONT BGCOLOR=\"\">x", "<FONT COLOR=>x", "<IND x=\"2147483647\">a<IND x=\"2147483647\">b",
        "<IND x=\"-5\">a", "<P indent=\"2147483647\">a", "<P indent=\"-2147483648\" align=\"right\">a",
        "<P bgcolor=\"clRed\" bgcolorto=\"#zz\">a", "<BODY BGCOLOR=\"#FF\" BGCOLORTO=\"\">x",
        "<BODY BACKGROUND=\"file://C:\\missing.jpg\">x", "<BODY BACKGROUND=\"file://C:\\empty.jpg\">x",
        "<BODY BACKGROUND=\"file://C:\\ok.jpg\">x", "<BODY BACKGROUND=\"IDX:-1\">x",
        "<IMG>", "<IMG src=>", "<IMG src=\"\">", "<IMG src=\"IDX:-1\">", "<IMG src=\"IDX:99999999999\">",
        "<IMG src=\"SSYS:\">", "<IMG src=\"LSYS:-1\">", "<IMG src=\"SSYS:C:\\nothing.xyz\">",
        "<IMG src=\"file://\">", "<IMG src=\"file://C:\\missing.jpg\">", "<IMG src=\"file://C:\\d\">",
        "<IMG src=\"file://C:\\fifo.jpg\">", "<IMG src=\"file://C:\\cut1.gif\">", "<IMG src=\"file://C:\\cut2.gif\">",
        "<IMG src=\"file://C:\\cut3.gif\">", "<IMG src=\"file://C:\\marker.gif\">", "<IMG src=\"file://C:\\empty.jpg\">",
        "<IMG src=\"file://C:\\ok.jpg\" width=\"2147483647\" height=\"2147483647\">x",
        "<IMG src=\"file://C:\\ok.jpg\" width=\"-1\" height=\"5\">", "<IMG src=\"res://\">", "<IMG src=\"ftp://x\">",
        "<A href=\"x\"><IMG src=\"file://C:\\ok.jpg\" alt=\"file://C:\\cut2.gif\"></A>",
        "<SUB><SUP>x</SUB></SUP>", "<SUB>", "<Z>hidden forever", "</Z></Z>", "<LI><LI><LI>", "<UL><UL><UL><LI>x",
        "<HR><HR><HR>", "<E><E></E>", "<SHAD>x</SHAD></SHAD>", "<BLINK>x</BLINK>", "<HI><HI>x</HI></HI>",
        "&", "&amp", "&amp;amp;amp;", "&&&&;;;", "&lt", "&nbsp", "<#", "<#>", "<#x", "\r\n\r\n", "\t\tx\t",
        QString(QChar(0)) + "x", QString(QChar(0xFFFF)), QString(QChar(0xD800)) + "x", long1, manyBreaks, manyTags,
        QString(500, QChar('<')), QString(500, QChar('>')),
    };

    THTMLPictureCache cache;
    TImageList images;
    QImage canvas(300, 200, QImage::Format_RGB32);
    for (const QString& item : cases) {
        for (int pass = 0; pass < 4; ++pass) {
            HTMLItemOptions o;
            o.PictureCache = &cache;
            o.Images = &images;
            o.WordWrap = pass % 2 == 0;
            o.MeasureOnly = pass == 1;
            o.HitTestOnly = pass == 2;
            o.Selected = pass == 3;
            o.PointX = 20;
            o.PointY = 5;
            o.FocusedAnchor = 0;
            o.HoveredAnchor = 0;
            o.HoverColor = platform::clYellow;
            o.HoverUnderlineOnly = pass == 3;
            canvas.fill(Qt::white);
            QPainter p(&canvas);
            HTMLItemResult r;
            DrawHTMLItem(p, item, QRect(0, 0, 300, 200), o, r);
            EXPECT_GE(r.ExtentY, 0);
            EXPECT_GE(r.ExtentX, 0);
        }
        StripHTMLTags(item);
        HTMLColorToColor(item);
    }

    THTMListBox list;
    list.resize(300, 200);
    list.show();
    for (const QString& item : cases) list.Items().Add(item);
    list.setSorted(true);
    list.grab();
    for (int i = 0; i < list.Count(); ++i) EXPECT_GE(list.measuredHeight(i), 4);
}
