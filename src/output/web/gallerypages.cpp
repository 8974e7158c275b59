#include "gallerypages.h"

#include "platform/textcodec.h"
#include "util/strutils.h"

#include <QSet>

namespace web {

TMake::TMake(const QString& base, const QString& output) : output_(output)
{
    const auto head = platform::readTextLines(base + QStringLiteral(".ht1"));
    const auto tail = platform::readTextLines(base + QStringLiteral(".ht2"));
    templatesRead_ = head && tail;
    if (head) head_ = *head;
    if (tail) tail_ = *tail;
}

bool TMake::Save()
{
    if (!templatesRead_) return false;
    return platform::writeTextLines(output_, head_ + body_ + tail_);
}

QString HtmlText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case U'&': out += QStringLiteral("&amp;"); break;
        case U'<': out += QStringLiteral("&lt;"); break;
        case U'>': out += QStringLiteral("&gt;"); break;
        case U'"': out += QStringLiteral("&quot;"); break;
        case U'\'': out += QStringLiteral("&#39;"); break;
        default:
            // Beyond ASCII as the character's number: the page reads the same in any encoding a
            // reader may assume, and nothing is lost to the code page.
            if (c >= 0x80) out += QStringLiteral("&#") + QString::number(static_cast<uint>(c)) + u';';
            else out += QChar(static_cast<char16_t>(c));
        }
    }
    return out;
}

QString HtmlLink(const QString& fileName) { return HtmlText(QString(fileName).replace(u'#', QStringLiteral("%23"))); }

QString ColorToHtml(platform::ColorRef color)
{
    if (color == platform::clNone) return QStringLiteral("#000000");
    const platform::ColorRef rgb = platform::colorToRGB(color);
    auto hex = [](int v) { return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper(); };
    return u'#' + hex(platform::redOf(rgb)) + hex(platform::greenOf(rgb)) + hex(platform::blueOf(rgb));
}

TableLayout GalleryTable(int pictures, int perRow)
{
    // A row setting below one would divide by zero; one picture a row is the least there is.
    const int p = perRow < 1 ? 1 : perRow;
    TableLayout t;
    t.rows = pictures / p + 1;
    t.columns = pictures / t.rows + 1;
    t.cellWidth = 100 / t.columns;
    return t;
}

namespace {

QStringList metaLines(const PageContext& c, bool picturePage)
{
    const QString maker = HtmlText(c.maker);
    const QString web = HtmlText(c.webAddress);
    QStringList l;
    if (c.german) {
        l << QStringLiteral("<META NAME=\"author\" CONTENT=\"") + maker + QStringLiteral(" Quorbel pro\">");
        l << QStringLiteral("<META NAME=\"description\" CONTENT=\"Seite erstellt mit ") + maker +
                 QStringLiteral(" Quorbel pro ") + web + QStringLiteral("\">");
        l << QStringLiteral("<META NAME=\"keywords\" CONTENT=\"Quorbel pro, quorbel java, java script quorbel, java quorbel, bild quorbel java script\">");
    } else {
        l << QStringLiteral("<META NAME=\"author\" CONTENT=\"") + maker + QStringLiteral(" Quorbelix pro\">");
        l << (picturePage ? QStringLiteral("<META NAME=\"description\" CONTENT=\"Page created with ") + maker +
                                QStringLiteral(" Quorblix pro ")
                          : QStringLiteral("<META NAME=\"description\" CONTENT=\"Created with ") + maker +
                                QStringLiteral(" Quorbelix pro ")) +
                 web + QStringLiteral("\">");
        l << QStringLiteral("<META NAME=\"keywords\" CONTENT=\"Quorbelix pro, quorblix java, java script quorbelix, java quorbelix\">");
    }
    return l;
}

const QString LinkLine = QStringLiteral("<LINK href=\"layout.css\" rel=\"stylesheet\" type=\"text/css\">");
// The pages are stored in Windows-1252; without saying so a browser takes them for UTF-8.
const QString CharsetLine =
    QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">");

QString titleLine(const PageContext& c)
{
    return QStringLiteral("<HTML><HEAD><TITLE>") + HtmlText(c.productTitle) + QStringLiteral("</TITLE>");
}

const QString ThumbAlt = QStringLiteral("Klicken Sie auf das Bild, um es zu vergr&ouml;&szlig;ern");

} // namespace

QString CreditLine(const PageContext& c)
{
    const QString web = HtmlText(c.webAddress);
    return (c.german ? QStringLiteral("Erstellt mit Quorbel pro") : QStringLiteral("Created with Quorbelix pro")) +
           QStringLiteral(" --- &copy; <A HREF=\"") + web + QStringLiteral("\" TARGET=\"_blank\">") + web +
           QStringLiteral("</A>");
}

QStringList GalleryHeadLines(const PageContext& c)
{
    QStringList l;
    l << titleLine(c) << CharsetLine;
    l << metaLines(c, false);
    l << LinkLine << QStringLiteral("</HEAD>") << QStringLiteral("<BODY>")
      << QStringLiteral("<CENTER><div class=\"header\">") << HtmlText(c.showTitle) + QStringLiteral("</div><br><br>");
    l << (c.german ? QStringLiteral("Klicken Sie auf die Bilder, um diese in Originalgr&ouml;&szlig;e zu sehen.</CENTER><BR>")
                   : QStringLiteral("Click the pictures to enlarge.</CENTER><BR>"));
    l << QStringLiteral("<table width=\"100%\" border=\"0\" cellspacing=\"15\" cellpadding=\"0\">");
    return l;
}

QStringList GalleryTailLines(const PageContext& c)
{
    return {QStringLiteral("</table>"), QStringLiteral("<HR>"), QStringLiteral(" <CENTER>"), CreditLine(c),
            QStringLiteral(" </CENTER>"), QStringLiteral("</BODY>"), QStringLiteral("</HTML>")};
}

QStringList PictureHeadLines(const PageContext& c)
{
    QStringList l;
    l << titleLine(c) << CharsetLine;
    l << metaLines(c, true);
    l << LinkLine << QStringLiteral("</HEAD>") << QStringLiteral("<BODY>");
    return l;
}

QStringList PictureTailLines(const PageContext& c)
{
    return {QStringLiteral("<HR>"), QStringLiteral(" <CENTER>"), CreditLine(c), QStringLiteral(" </CENTER>"),
            QStringLiteral("</BODY>"), QStringLiteral("</HTML>")};
}

QString PictureLinkLine(const GalleryPicture& p, const QString& caption, bool filenameVisible)
{
    const QString img = QStringLiteral("<img src=\"") + HtmlLink(p.thumbnail()) + QStringLiteral("\" width=\"") +
                        QString::number(p.thumbWidth) + QStringLiteral("\" height=\"") + QString::number(p.thumbHeight) +
                        QStringLiteral("\" border=\"0\" alt=\"") + ThumbAlt + QStringLiteral("\">");
    const QString a = QStringLiteral("<a href=\"") + HtmlLink(p.page()) + QStringLiteral("\">");
    if (filenameVisible)
        return a + img + QStringLiteral("<br>") + HtmlText(p.page()) + QStringLiteral("<br></a>") + HtmlText(caption);
    return a + img + QStringLiteral("</a><br>") + HtmlText(caption);
}

QStringList PictureBodyLines(const PageContext& c, const GalleryPicture& p, const QString& caption,
                             bool filenameVisible, const QString& previousPage, const QString& nextPage)
{
    QStringList l;
    l << QStringLiteral("<CENTER><div class=\"header\">") << HtmlText(c.showTitle) << QStringLiteral("</div><br>")
      << QStringLiteral("</CENTER>");
    l << QStringLiteral("<table height=\"75%\" width=\"100%\"><tr><td valign=\"top\">");
    l << QStringLiteral("<div align=\"center\"><a href=\"gallery.html\"><img src=\"") + HtmlLink(p.picture()) +
             QStringLiteral("\" border=\"0\"></a>");
    if (filenameVisible)
        l << QStringLiteral("<br>") + HtmlText(p.picture()) + QStringLiteral("<br>") + HtmlText(caption) + QStringLiteral("<br>");
    else l << QStringLiteral("<br>") + HtmlText(caption) + QStringLiteral("<br>");
    const QString prevAlt = c.german ? QStringLiteral("Vorheriges Bild") : QStringLiteral("Previous Picture");
    const QString homeAlt = c.german ? QStringLiteral("Alle Bilder") : QStringLiteral("All Pictures");
    const QString nextAlt = c.german ? QStringLiteral("N&auml;chstes Bild") : QStringLiteral("Next Picture");
    const QString gap = QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;");
    l << QStringLiteral("<A HREF=\"") + HtmlLink(previousPage) + QStringLiteral("\"><IMG SRC=\"previous.gif\" BORDER=\"0\" ALT=\"") +
             prevAlt + QStringLiteral("\"></A>") + gap;
    l << QStringLiteral("<A HREF=\"gallery.html\"><IMG SRC=\"home.gif\" BORDER=\"0\" ALT=\"") + homeAlt +
             QStringLiteral("\"></A>") + gap;
    l << QStringLiteral("<A HREF=\"") + HtmlLink(nextPage) + QStringLiteral("\"><IMG SRC=\"next.gif\" BORDER=\"0\" ALT=\"") + nextAlt +
             QStringLiteral("\"></A> ");
    l << QStringLiteral("</div>") << QStringLiteral("<tr><td></table>");
    return l;
}

QStringList LayoutCssLines(platform::ColorRef textColor, platform::ColorRef backgroundColor)
{
    const QString c = ColorToHtml(textColor);
    const QString b = ColorToHtml(backgroundColor);
    const QString color = QStringLiteral("\tcolor:") + c + u';';
    const QString none = QStringLiteral("\ttext-decoration: none");
    const QString close = QStringLiteral("}");
    QStringList l;
    l << QString() << QStringLiteral("BODY {") << QStringLiteral("\tFONT-FAMILY: verdana, arial, helvetica;")
      << QStringLiteral("\tFONT-SIZE: 10pt;") << QStringLiteral("\tFONT-WEIGHT: normal;")
      << QStringLiteral("\tmargin-top:20px;") << QStringLiteral("\tmargin-left:0px;") << color
      << QStringLiteral("\tbackground-color :") + b + u';' << close;
    for (const char* s : {"a:link {", "a:visited {", "a:active {", "a:hover {"})
        l << QString::fromLatin1(s) << color << none << close;
    l << QStringLiteral("td {") << QStringLiteral("\tFONT-FAMILY: verdana, arial, helvetica;")
      << QStringLiteral("\tFONT-SIZE: 10pt;") << color << close;
    l << QStringLiteral(".footer {") << QStringLiteral("\tFONT-FAMILY: verdana, arial,  helvetica;")
      << QStringLiteral("\tFONT-SIZE: 10pt;") << color << close;
    l << QStringLiteral(".header {") << QStringLiteral("\tFONT-SIZE: 14pt;") << color << close;
    l << QStringLiteral(".partner {") << QStringLiteral("\tFONT-FAMILY: arial, verdana, helvetica;")
      << QStringLiteral("\tFONT-SIZE: 6pt;") << color << close;
    for (const char* s : {"a.partner:link {", "a.partner:visited {", "a.partner:active {", "a.partner:hover {"})
        l << QString::fromLatin1(s) << color << none << close;
    return l;
}

QStringList WebNames(const QStringList& fileNames)
{
    QStringList names;
    QSet<QString> taken; // lower-cased file names already given out
    auto filesOf = [](const QString& w) {
        return QStringList{(w + QStringLiteral("_thumb.jpg")).toLower(), (w + QStringLiteral(".jpg")).toLower(),
                           (w + QStringLiteral(".html")).toLower()};
    };
    auto free = [&](const QString& w) {
        if (w.compare(QStringLiteral("gallery"), Qt::CaseInsensitive) == 0) return false;
        for (const QString& f : filesOf(w))
            if (taken.contains(f)) return false;
        return true;
    };
    for (const QString& file : fileNames) {
        const qsizetype dot = file.lastIndexOf(u'.');
        QString base = MakeDosName(dot > 0 ? file.left(dot) : file);
        if (base.isEmpty()) base = QStringLiteral("_");
        QString w = base;
        for (int k = 2; !free(w); ++k) w = base + u'_' + QString::number(k);
        for (const QString& f : filesOf(w)) taken.insert(f);
        names << w;
    }
    return names;
}

} // namespace web
