#pragma once
// Line breaking for the item markup layout: gathers the pieces of one line (text runs, bullets,
// images, indents) in the running style until the line is full or a tag ends it, keeping the
// line's width, height and the room its raised and lowered runs need. Where the line then
// stands and how its pieces are drawn is the placing's business.
#include "markup.h"
#include "markupmeasure.h"
#include "markupstyle.h"
#include "markuptags.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <vector>

namespace controls::markup {

// A run, bullet or image of the line being laid out; x is relative to the line's start.
struct Piece {
    enum Kind { Text, Bullet, Image } kind = Text;
    int x = 0, width = 0, height = 0;
    QString text;
    QFont font;
    QColor color, background;
    bool shadow = false, errorMark = false, hidden = false;
    int script = 0; // -1 sub, +1 sup
    int rotation = 0;
    int anchor = -1;
    QString href;
    ImageSource image;
    QString alt;
    bool stretch = false;
};

// One line as gathered.
struct MarkupLine {
    std::vector<Piece> pieces;
    int width = 0, x = 0, height = 0, subRoom = 0, supRoom = 0, textOffset = 0;
    QString text;
    bool ended = false;    // no more goes on this line
    bool dropRest = false; // without word wrap: the rest of the item is cut off
    bool bullet = false, rule = false;
    QColor bodyBand; // the body's colour across the item
    QColor band;     // the paragraph's band
    ColorRef bandTo = platform::clNone;
    int runs = 0;
};

class LineBreaker {
public:
    // Runs must fit within width pixels.
    LineBreaker(const HTMLItemOptions& options, HTMLItemResult& result, RunMeasure& measure, ImageFinder& images,
                MarkupStyle& style, int width)
        : o_(options), r_(result), measure_(measure), images_(images), style_(style), avail_(width)
    {
    }

    MarkupLine line;

    // A new, empty line in the running style.
    void start();
    // Takes a text run onto the line, or ends the line before it when it does not fit.
    void textRun(MarkupReader& reader, const MarkupToken& token);
    // Whether an opening tag must wait for the next line (a second bullet, an image that does
    // not fit beside what the line holds); the line is ended then.
    bool endsBefore(const MarkupTag& tag);
    // Acts on an opening tag that places something on the line (a break, a rule, an indent, an
    // image, a bullet); false for any other tag.
    bool lineTag(const MarkupTag& tag);

private:
    void image(const MarkupTag& tag);
    bool imageFits(const MarkupTag& tag);
    void listItem();
    void indentTo(const MarkupTag& tag);
    // Moves the line's end on by w.
    void advance(int w);

    const HTMLItemOptions& o_;
    HTMLItemResult& r_;
    RunMeasure& measure_;
    ImageFinder& images_;
    MarkupStyle& style_;
    int avail_;
};

} // namespace controls::markup
