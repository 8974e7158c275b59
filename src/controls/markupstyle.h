#pragma once
// The running style of the item markup layout: what the tags set for the text that follows them
// (font, colours, shadow, error mark, hidden text, script, rotation, the open anchor, the list
// depth, and the paragraph's alignment, indent and band) and how each tag changes it. The tags
// that place something on the line (breaks, rules, images, bullets, indents, the body) are the
// line's business; the style only says when a tag of its own ends the line.
#include "markup.h"
#include "markupmeasure.h"
#include "markuptags.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <vector>

namespace controls::markup {

// What a tag of the style asks of the line being gathered.
enum class TagEffect {
    None,
    EndsLine, // the line ends after the tag
    NewBand,  // a paragraph band starts on this line
};

class MarkupStyle {
public:
    // The running font lives in the measure, so that every run is measured in it.
    MarkupStyle(const HTMLItemOptions& options, RunMeasure& measure, const QFont& baseFont, const QColor& baseText,
                const QColor& baseBackground);

    // Back to the base font and text colour, no background: the style at the start of an item.
    void reset();

    // What an opening or closing tag does to the style.
    TagEffect open(const MarkupTag& tag);
    TagEffect close(const MarkupTag& tag);

    // The running state, read by the line for each piece it gathers.
    QColor text, background;
    bool shadow = false, errorMark = false, hidden = false;
    int script = 0;    // -1 sub, +1 sup
    int rotation = 0;  // degrees; a rotated font lasts for the rest of its line
    int depth = 0;     // of nested lists
    int anchor = -1;   // number of the open anchor
    QString href;      // its target
    int alignment = 0; // 0 left, 1 right, 2 center
    int indent = 0;
    QColor band; // P band colour, invalid when off
    ColorRef bandTo = platform::clNone;
    std::vector<QString> anchorTargets; // of every anchor opened, by number

private:
    // Sets one of the running font's flags (bold, italic, underline, strike-out).
    void setFontFlag(void (QFont::*set)(bool), bool on);
    void openAnchor(const MarkupTag& tag);
    void closeAnchor();
    void fontTag(const MarkupTag& tag);
    void closeFont();
    void highlight();
    TagEffect paragraph(const MarkupTag& tag);
    void rotate(const MarkupTag& tag);
    void openS(const MarkupTag& tag);
    void closeS(const MarkupTag& tag);

    const HTMLItemOptions& o_;
    RunMeasure& measure_;
    QFont base_;
    QColor baseText_, baseBackground_;
    QColor rememberedBackground_, hiText_, hiBackground_, anchorBackground_, anchorText_;
};

} // namespace controls::markup
