#pragma once
// The text of the gallery: the page templates, the index table, the picture pages and the style
// sheet. Nothing here touches a picture; the writer fills in the measured sizes.
#include "platform/colors.h"

#include <QString>
#include <QStringList>

namespace web {

// A page made of a head template (base + ".ht1"), body lines and a tail template (base + ".ht2").
class TMake {
public:
    // base: the template path without extension; output: the page to write.
    TMake(const QString& base, const QString& output);
    void Add(const QString& line) { body_ << line; }
    // Writes head, body and tail; false when a template could not be read or the page not written.
    bool Save();

    const QStringList& Head() const { return head_; }
    const QStringList& Tail() const { return tail_; }

private:
    QString output_;
    QStringList head_, body_, tail_;
    bool templatesRead_ = true;
};

// Text as it goes into a page, also as an attribute value: &, <, >, " and ' as references and
// every character beyond ASCII as its number, so a browser shows exactly the text and nothing in
// it becomes markup.
QString HtmlText(const QString& text);
// A gallery file as a link target: its name as page text, with "#" (which would start a
// fragment) as "%23".
QString HtmlLink(const QString& fileName);

// "#RRGGBB" of a colour integer (red in its low byte); system colours resolved; "#000000" for
// no colour.
QString ColorToHtml(platform::ColorRef color);

// The index table: rows, columns and the cell width text for n pictures at perRow a row.
struct TableLayout {
    int rows = 1;
    int columns = 1;
    int cellWidth = 100;
};
TableLayout GalleryTable(int pictures, int perRow);

// What the page texts need to know of the run.
struct PageContext {
    bool german = true;       // German user interface
    QString productTitle;     // of the product data
    QString maker;            // the maker's short name
    QString webAddress;       // the product's web site
    QString showTitle;
};

QStringList GalleryHeadLines(const PageContext& c);
QStringList GalleryTailLines(const PageContext& c);
QStringList PictureHeadLines(const PageContext& c);
QStringList PictureTailLines(const PageContext& c);
QString CreditLine(const PageContext& c);

// One picture of the gallery with the names its files get.
struct GalleryPicture {
    QString source;      // full path of the show picture
    QString webName;     // w: file name without extension through the file-name mapper
    QString caption;     // trimmed second field of the show item
    int thumbWidth = 0;  // the saved thumbnail's size
    int thumbHeight = 0;

    QString page() const { return webName + QStringLiteral(".html"); }
    QString picture() const { return webName + QStringLiteral(".jpg"); }
    QString thumbnail() const { return webName + QStringLiteral("_thumb.jpg"); }
};

// The link of one index cell; caption (the typed text) is empty when captions are off.
QString PictureLinkLine(const GalleryPicture& p, const QString& caption, bool filenameVisible);
// The body lines of a picture page.
QStringList PictureBodyLines(const PageContext& c, const GalleryPicture& p, const QString& caption,
                             bool filenameVisible, const QString& previousPage, const QString& nextPage);
// The lines of "layout.css".
QStringList LayoutCssLines(platform::ColorRef textColor, platform::ColorRef backgroundColor);

// The web names of the pictures' file names, in order: each name without extension through the
// file-name mapper; a name that another picture already took (without regard to case, as the
// folder holds them) or that the index page's own name would take gets "_2", "_3", ...
QStringList WebNames(const QStringList& fileNames);

} // namespace web
