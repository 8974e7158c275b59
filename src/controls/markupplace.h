#pragma once
// Placing the lines of the item markup layout: each gathered line is aligned and indented within
// the item, its pieces set on the line's text bottom (raised or lowered for a script), hit-tested
// against the point asked about, and handed to the layout as drawing operations with the bands
// behind them. The anchors' extents are gathered as their pieces are placed.
#include "markup.h"
#include "markuplines.h"
#include "markupmeasure.h"
#include "markuptags.h"

#include <QColor>
#include <QRect>

#include <optional>
#include <vector>

namespace controls::markup {

class LinePlacer {
public:
    // layout is null when only measuring; bounds is the item's rectangle, lines run within work.
    LinePlacer(const HTMLItemOptions& options, HTMLItemResult& result, MarkupLayout* layout, RunMeasure& measure,
               ImageFinder& images, const QRect& bounds, const QRect& work)
        : o_(options), r_(result), layout_(layout), measure_(measure), images_(images), bounds_(bounds), work_(work)
    {
    }

    // Whether the item is drawn (not only measured or hit-tested).
    bool drawing() const { return !o_.MeasureOnly && !o_.HitTestOnly && layout_; }

    // "<BODY>": its picture tiled or its colours graded under the whole item, when drawn. A
    // plain body colour is a band across each line: its colour is given back for the line.
    std::optional<QColor> body(const MarkupTag& tag);

    // Places a line at top, aligned and indented as given. Returns the height the line takes.
    int place(const MarkupLine& line, int top, int alignment, int indent);

    // After the last line: the extent of the anchor under the point and the focused anchor
    // (framed when drawn). targets are the targets of every anchor the item opened.
    void finish(const std::vector<QString>& targets);

private:
    void lineBands(const MarkupLine& line, int top, int height, std::vector<MarkupOp>& ops) const;
    void placeImage(const Piece& p, const QRect& rect, bool draw, std::vector<MarkupOp>& ops);
    void placeText(const MarkupLine& line, const Piece& p, int lx, int textBottom, bool draw, std::vector<MarkupOp>& ops);
    void unite(int anchor, const QRect& rect);

    const HTMLItemOptions& o_;
    HTMLItemResult& r_;
    MarkupLayout* layout_;
    RunMeasure& measure_;
    ImageFinder& images_;
    QRect bounds_, work_;
    std::vector<QRect> anchorRects_; // union of each anchor's pieces, by number
};

} // namespace controls::markup
