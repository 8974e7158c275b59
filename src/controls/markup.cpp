// The item markup layout: reads an item's tokens and hands each to the unit whose concern it is:
// the running style (markupstyle.*), the line being gathered (markuplines.*) and, when a line is
// ended, its placing (markupplace.*); the measuring of runs and pictures is markupmeasure.*, the
// painting of the result markuppaint.cpp.
#include "markup.h"

#include "markuplines.h"
#include "markupmeasure.h"
#include "markupplace.h"
#include "markupstyle.h"
#include "markuptags.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace controls {

namespace {

using markup::kLimit;
using markup::MarkupReader;
using markup::MarkupTag;
using markup::MarkupToken;
using markup::TagEffect;

class LineLayout {
public:
    LineLayout(const QPaintDevice* device, const QFont& baseFont, const QColor& baseText, const QColor& baseBackground,
               const QRect& bounds, const HTMLItemOptions& options, HTMLItemResult& result, MarkupLayout* layout)
        : o_(options), r_(result), bounds_(bounds), measure_(device, options.TabStop),
          images_(options, measure_, result.Pictures), style_(options, measure_, baseFont, baseText, baseBackground),
          breaker_(options, result, measure_, images_, style_, bounds.adjusted(1, 0, 0, 0).width()),
          placer_(options, result, layout, measure_, images_, bounds, bounds.adjusted(1, 0, 0, 0))
    {
    }

    // Lays the item out line by line; whether the point is on an anchor.
    bool run(const QString& input);

private:
    // Gathers one line from the reader; false when a tag cut short ended the item.
    bool gatherLine(MarkupReader& reader);
    void tag(MarkupReader& reader, const MarkupToken& token);
    void openingTag(const MarkupTag& tag);

    const HTMLItemOptions& o_;
    HTMLItemResult& r_;
    QRect bounds_;
    markup::RunMeasure measure_;
    markup::ImageFinder images_;
    markup::MarkupStyle style_;
    markup::LineBreaker breaker_;
    markup::LinePlacer placer_;
};

bool LineLayout::run(const QString& input)
{
    style_.reset();
    MarkupReader reader(markup::prepareMarkup(input));
    int y = bounds_.top();
    qint64 extentY = 0;
    while (!reader.atEnd()) {
        const bool more = gatherLine(reader);
        const int h = placer_.place(breaker_.line, y, style_.alignment, style_.indent);
        y = markup::clampLength(qint64(y) + h);
        extentY = std::min<qint64>(extentY + h, kLimit);
        if (!more || breaker_.line.dropRest) break;
        if (!o_.MeasureOnly && qint64(y) + measure_.lineHeight() > bounds_.bottom() + 1) break;
    }
    r_.ExtentY = int(extentY);
    r_.AnchorCount = int(style_.anchorTargets.size());
    style_.reset();
    if (r_.ExtentY == 0) r_.ExtentY = measure_.lineHeight();
    placer_.finish(style_.anchorTargets);
    return r_.Hit;
}

bool LineLayout::gatherLine(MarkupReader& reader)
{
    const qsizetype lineStart = reader.pos();
    breaker_.start();
    bool more = true;
    while (!reader.atEnd() && !breaker_.line.ended && more) {
        const MarkupToken token = reader.peek(o_.WordWrap);
        if (token.kind == MarkupToken::Tag)
            tag(reader, token);
        else if (token.kind == MarkupToken::Text)
            breaker_.textRun(reader, token);
        else {
            // A tag cut short ends the item.
            reader.take(token);
            more = false;
        }
    }
    const markup::MarkupLine& line = breaker_.line;
    if (reader.pos() == lineStart && line.pieces.empty() && !line.rule && more && !reader.atEnd()) {
        // Nothing could be placed (cannot happen with sane metrics): skip one character rather
        // than loop.
        reader.skipCharacter();
    }
    return more;
}

// Acts on one tag; tags that end the line before themselves are left to the next line.
void LineLayout::tag(MarkupReader& reader, const MarkupToken& token)
{
    const MarkupTag& tag = token.tag;
    if (breaker_.endsBefore(tag)) return;
    reader.take(token);
    if (!tag.closing) return openingTag(tag);
    if (style_.close(tag) == TagEffect::EndsLine) breaker_.line.ended = true;
}

void LineLayout::openingTag(const MarkupTag& tag)
{
    if (tag.c1 == u'B' && tag.c2 == u'O') {
        if (const auto band = placer_.body(tag)) breaker_.line.bodyBand = *band;
        return;
    }
    if (breaker_.lineTag(tag)) return;
    switch (style_.open(tag)) {
    case TagEffect::EndsLine: breaker_.line.ended = true; break;
    case TagEffect::NewBand:
        breaker_.line.band = style_.band;
        breaker_.line.bandTo = style_.bandTo;
        break;
    case TagEffect::None: break;
    }
}

} // namespace

bool LayoutHTMLItem(const QPaintDevice* device, const QFont& baseFont, const QColor& baseText, const QColor& baseBackground,
                    const QString& text, const QRect& bounds, const HTMLItemOptions& options, HTMLItemResult& result,
                    MarkupLayout* layout)
{
    result = HTMLItemResult();
    if (layout) {
        layout->ops.clear();
        layout->bounds = bounds;
    }
    LineLayout e(device, baseFont, baseText, baseBackground, bounds, options, result, layout);
    return e.run(text);
}

bool DrawHTMLItem(QPainter& canvas, const QString& text, const QRect& bounds, const HTMLItemOptions& options,
                  HTMLItemResult& result)
{
    const QColor brush = canvas.brush().style() == Qt::NoBrush ? QColor() : canvas.brush().color();
    MarkupLayout layout;
    const bool hit =
        LayoutHTMLItem(canvas.device(), canvas.font(), canvas.pen().color(), brush, text, bounds, options, result, &layout);
    if (!options.MeasureOnly && !options.HitTestOnly) PaintMarkupLayout(canvas, layout);
    return hit;
}

} // namespace controls
