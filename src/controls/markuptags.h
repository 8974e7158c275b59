#pragma once
// Reading item markup: the text prepared for layout (entities, "<#", line breaks), then read
// as a sequence of text runs and tags, each tag with its name and its quoted attributes. What
// a tag does to the layout is the layout's business; the reader only says what is there. A
// tag cut short (the markup ends inside it, or it is too short to have a name) ends the item.
// The reading of colour values and the plain text of an item (HTMLColorToColor, StripHTMLTags,
// declared with the renderer in markup.h) are here too.

#include <QChar>
#include <QLatin1String>
#include <QString>
#include <QStringView>

namespace controls {

namespace markup {

// Every length the layout adds up stays within this bound, so that huge numbers in a
// hand-made item cannot overflow.
constexpr int kLimit = 1 << 24;

// Leading decimal digits (after an optional sign) as a number, kept within kLimit; 0 for a
// non-number.
int leadingNumber(QStringView text);

// Entities, the "<#" mark and line breaks ("\r" becomes "<BR>", "\n" goes), ready to read.
QString prepareMarkup(QString text);
// The entities that stay encoded until a run is cut from the text: "&nbsp;", "&lt;", "&gt;".
QString decodeRun(QString run);

// One tag as written, "<...>" included.
struct MarkupTag {
    QString text, upper; // as written and upper-cased
    bool closing = false;
    QChar c1, c2;        // the first two characters of the name (c2 may be '>' or null)

    // The text between the first two double quotes after the attribute name; "" without them.
    // present tells whether the name is there at all. "BGCOLOR" does not match "BGCOLORTO".
    QString attribute(QLatin1String name, bool* present = nullptr) const;
    bool has(QLatin1String name) const;
    // The text between the tag's first two double quotes; "" without them.
    QString firstQuoted() const;
};

// A piece of the prepared text: a run of text, a tag, or the end of the item.
struct MarkupToken {
    enum Kind { Text, Tag, End } kind = End;
    QString run;   // Text: the run, decoded
    MarkupTag tag; // Tag
    qsizetype next = 0; // where the reader goes on after this token
};

class MarkupReader {
public:
    explicit MarkupReader(const QString& prepared) : s_(prepared) {}

    bool atEnd() const { return pos_ >= s_.size(); }
    qsizetype pos() const { return pos_; }

    // The token at the reader, without moving on. A text run reaches to the next tag; with
    // word wrap, to just past the next blank.
    MarkupToken peek(bool wordWrap) const;
    // Moves past a token peeked at here.
    void take(const MarkupToken& token) { pos_ = token.next; }
    // Moves one character on (past text nothing could be made of).
    void skipCharacter() { if (pos_ < s_.size()) ++pos_; }

private:
    QString s_;
    qsizetype pos_ = 0;
};

} // namespace markup
} // namespace controls
