#include "markuplines.h"

#include "platform/numbers.h"

#include <algorithm>

namespace controls::markup {

void LineBreaker::start()
{
    line = MarkupLine();
    line.height = measure_.lineHeight();
    line.band = style_.band;
    line.bandTo = style_.bandTo;
    style_.rotation = 0; // a rotated font lasts for the rest of its line
}

void LineBreaker::advance(int w)
{
    line.width = clampLength(qint64(line.width) + w);
    line.x = clampLength(qint64(line.x) + w);
}

void LineBreaker::textRun(MarkupReader& reader, const MarkupToken& token)
{
    const QString& run = token.run;
    const QFontMetrics& m = measure_.metrics();
    const int h = textHeight(m);
    if (style_.hidden) {
        reader.take(token);
        line.height = std::max(line.height, h);
        r_.PlainText += run;
        return;
    }
    const int w = measure_.width(run);
    const bool fitsBeside = qint64(line.width) + w < avail_;
    const bool fits = fitsBeside || w >= avail_ || (!line.text.isEmpty() && !line.text.endsWith(u' '));
    if (!fits && o_.WordWrap) {
        line.ended = true;
        return;
    }
    if (!o_.WordWrap && !fitsBeside && line.runs > 0) line.dropRest = true;
    reader.take(token);
    Piece p;
    p.kind = Piece::Text;
    p.x = line.x;
    p.width = w;
    p.height = h;
    p.text = run;
    p.font = measure_.font();
    p.color = style_.text;
    p.background = style_.background;
    p.shadow = style_.shadow;
    p.errorMark = style_.errorMark;
    p.script = style_.script;
    p.rotation = style_.rotation;
    p.anchor = style_.anchor;
    p.href = style_.href;
    line.pieces.push_back(p);
    ++line.runs;
    advance(w);
    line.height = std::max(line.height, h);
    if (style_.script < 0) line.subRoom = std::max(line.subRoom, h / 4);
    if (style_.script > 0) line.supRoom = std::max(line.supRoom, h / 4);
    if (style_.script == 0) line.supRoom = std::max(line.supRoom, accentRoom(m, run));
    line.text += run;
    r_.PlainText += run;
    if (line.dropRest) line.ended = true;
}

bool LineBreaker::endsBefore(const MarkupTag& tag)
{
    if (tag.closing) return false;
    const bool wait = (tag.c1 == u'L' && tag.c2 == u'I' && line.bullet) || (tag.c1 == u'I' && tag.c2 == u'M' && !imageFits(tag));
    if (wait) line.ended = true;
    return wait;
}

bool LineBreaker::lineTag(const MarkupTag& tag)
{
    const QChar c1 = tag.c1, c2 = tag.c2;
    if (c1 == u'B' && c2 == u'R') {
        r_.PlainText += u'\r';
        line.ended = true;
    } else if (c1 == u'H' && c2 == u'R') {
        line.rule = true;
        line.ended = true;
    } else if (c1 == u'I' && c2 == u'N') {
        indentTo(tag);
    } else if (c1 == u'I' && c2 == u'M') {
        image(tag);
    } else if (c1 == u'L' && c2 == u'I') {
        listItem();
    } else {
        return false;
    }
    return true;
}

void LineBreaker::image(const MarkupTag& tag)
{
    const ImageSource img = images_.find(tag.attribute(QLatin1String("SRC")));
    if (!img.valid()) return;
    bool stretch = false;
    QSize size = images_.shownSize(tag, img, &stretch);
    size = QSize(std::clamp(size.width(), 0, kLimit), std::clamp(size.height(), 0, kLimit));
    Piece p;
    p.kind = Piece::Image;
    p.x = line.x;
    p.width = size.width();
    p.height = size.height();
    p.image = img;
    p.stretch = stretch;
    p.anchor = style_.anchor;
    p.href = style_.href;
    if (style_.anchor >= 0) p.alt = tag.attribute(QLatin1String("ALT"));
    line.pieces.push_back(p);
    advance(size.width());
    line.height = std::max(line.height, size.height());
    if (tag.upper.contains(QLatin1String("\"TOP")))
        line.textOffset = line.height - measure_.lineHeight();
    else if (tag.upper.contains(QLatin1String("\"MIDDLE")))
        line.textOffset = (line.height - measure_.lineHeight()) / 2;
}

bool LineBreaker::imageFits(const MarkupTag& tag)
{
    if (line.width == 0) return true;
    const ImageSource img = images_.find(tag.attribute(QLatin1String("SRC")));
    if (!img.valid()) return true;
    const int w = images_.shownSize(tag, img).width();
    return !(w < avail_ && qint64(line.width) + w > avail_);
}

// "<LI>": a bullet, indented by the list's depth.
void LineBreaker::listItem()
{
    line.bullet = true;
    line.width = clampLength(qint64(line.width) + qint64(style_.depth) * 12);
    line.x = clampLength(qint64(style_.depth) * 12 - 12);
    if (!style_.hidden) {
        Piece p;
        p.kind = Piece::Bullet;
        p.x = line.x;
        p.text = (style_.depth % 2) ? QString(QChar(0x2022)) : QStringLiteral("o");
        p.font = measure_.font();
        p.color = style_.text;
        const QFontMetrics& m = measure_.metrics();
        p.width = m.horizontalAdvance(p.text);
        p.height = textHeight(m);
        line.pieces.push_back(p);
    }
    line.x = clampLength(qint64(line.x) + 12);
}

// "<IND x=...>": the line goes on at x when it has not reached it.
void LineBreaker::indentTo(const MarkupTag& tag)
{
    const auto n = platform::parseInteger(tag.attribute(QLatin1String("X")));
    if (n && *n > line.width) {
        line.width = std::min(*n, kLimit);
        line.x = line.width;
    }
}

} // namespace controls::markup
