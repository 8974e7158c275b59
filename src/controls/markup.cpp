#include "markup.h"
#include "markuptags.h"

#include "gradient.h"
#include "icons.h"
#include "platform/numbers.h"
#include "platform/rounding.h"

#include <QFontMetrics>
#include <QTextOption>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <optional>

namespace controls {

using platform::clNone;

namespace {

using markup::kLimit;
using markup::leadingNumber;
using markup::MarkupReader;
using markup::MarkupTag;
using markup::MarkupToken;

constexpr int kMaxFontPoints = 500;

int clampLength(qint64 v) { return int(std::clamp<qint64>(v, -kLimit, kLimit)); }

QColor qcolor(ColorRef c) { return platform::colorToQColor(c); }

int textHeight(const QFontMetrics& fm) { return fm.height() + std::max(0, fm.leading()); }

// How far the marks above a run's letters (the dots of "Ä", the ring of "Å") reach into or
// above the top pixel row of the room the font's metrics give them (their smoothed edge
// takes a row of its own); the line takes that much more room above its text, so that
// nothing of a letter is cut off at the top of an item. Plain ASCII letters stay within the
// font's ascent.
int accentRoom(const QFontMetrics& fm, const QString& run)
{
    if (std::all_of(run.begin(), run.end(), [](QChar c) { return c.unicode() < 0x80; })) return 0;
    const int top = -fm.tightBoundingRect(run).top();
    return std::clamp(top + 1 - fm.ascent() - std::max(0, fm.leading()), 0, kLimit);
}

struct ImageSource {
    PicturePtr picture;
    QPixmap pixmap;
    QSize size;       // before scaling
    bool icon = false; // image list or shell icon
    bool valid() const { return !size.isEmpty(); }
};

// A run, bullet or image of the line being laid out; x is relative to the line's start.
struct Piece {
    enum Kind { Text, Bullet, Image } kind = Text;
    int x = 0, width = 0, height = 0;
    QString text;
    QFont font;
    QColor color, background;
    bool shadow = false, errorMark = false, hidden = false;
    int script = 0;   // -1 sub, +1 sup
    int rotation = 0;
    int anchor = -1;
    QString href;
    ImageSource image;
    QString alt;
    bool stretch = false;
};

// The line layout: reads an item's tokens, keeps the running state its tags set (font,
// colours, anchor, list depth, alignment, bands), gathers each line's pieces until the line is
// full or ended, then places them, hit-tests them and hands them to the layout.
struct LineLayout {
    const QPaintDevice* device = nullptr;
    const HTMLItemOptions& o;
    HTMLItemResult& r;
    MarkupLayout* layout;
    QFont base;
    QColor baseText, baseBackground;
    QRect bounds, work;
    int dpiX = 96, dpiY = 96;

    // Running state.
    QFont font;
    std::optional<QFontMetrics> metrics;
    QColor text, background, rememberedBackground, hiText, hiBackground, anchorBackground, anchorText;
    bool shadow = false, errorMark = false, hidden = false;
    int script = 0, rotation = 0, depth = 0;
    int anchor = -1;           // number of the open anchor
    QString href;
    int alignment = 0;         // 0 left, 1 right, 2 center
    int indent = 0;
    QColor band;               // P band colour, invalid when off
    ColorRef bandTo = clNone;
    std::vector<QRect> anchorRects;   // union of each anchor's runs
    std::vector<QString> anchorTargets;

    // Line state.
    std::vector<Piece> pieces;
    int lineWidth = 0, x = 0, lineHeight = 0, subRoom = 0, supRoom = 0, textOffset = 0;
    QString lineText;
    bool lineEnded = false, dropRest = false, bullet = false;
    QColor lineBodyBand;
    QColor lineBand;
    ColorRef lineBandTo = clNone;
    int runs = 0;

    LineLayout(const HTMLItemOptions& opts, HTMLItemResult& res) : o(opts), r(res), layout(nullptr) {}

    const QFontMetrics& fm()
    {
        if (!metrics) {
            metrics.emplace(font, const_cast<QPaintDevice*>(device));
            fontKey = font.key() + u'|' + QString::number(dpiX) + u'|';
        }
        return *metrics;
    }
    void fontChanged() { metrics.reset(); }

    // Widths of runs: items are laid out on every paint, measure and mouse move, and the
    // same words come back each time; shaping them again is the bulk of the work.
    int width(const QString& run)
    {
        const QFontMetrics& m = fm();
        static thread_local QHash<QString, int> widths;
        const bool tabs = run.contains(u'\t');
        const QString key = (tabs && o.TabStop > 0 ? fontKey + QString::number(o.TabStop) + u'\t' : fontKey) + run;
        const auto it = widths.constFind(key);
        if (it != widths.constEnd()) return *it;
        const int w = tabs ? m.size(Qt::TextSingleLine | Qt::TextExpandTabs, run, std::max(0, o.TabStop)).width() : m.horizontalAdvance(run);
        if (widths.size() > 8192) widths.clear();
        widths.insert(key, w);
        return w;
    }
    QString fontKey;
    int ghHeight() { return textHeight(fm()); }
    int avail() const { return work.width(); }
    bool drawing() const { return !o.MeasureOnly && !o.HitTestOnly && layout; }

    int scaleX(int v) const { return platform::roundHalfEven(double(v) * dpiX / 96.0); }
    int scaleY(int v) const { return platform::roundHalfEven(double(v) * dpiY / 96.0); }

    ImageSource resolve(const QString& value)
    {
        ImageSource img;
        const QString upper = value.toUpper();
        if (upper.contains(QLatin1String("IDX:"))) {
            if (!o.Images) return img;
            const auto n = platform::parseInteger(QStringView(value).mid(4));
            if (!n || *n < 0 || *n >= o.Images->Count()) return img;
            img.pixmap = o.Images->image(*n);
            img.size = img.pixmap.size();
            img.icon = true;
        } else if (upper.contains(QLatin1String("SSYS:")) || upper.contains(QLatin1String("LSYS:"))) {
            img.pixmap = shellIcon(value.mid(5), upper.contains(QLatin1String("LSYS:")));
            img.size = img.pixmap.size();
            img.icon = true;
        } else if (!value.contains(u':')) {
            if (!o.PictureContainer) return img;
            img.picture = o.PictureContainer->findPicturePtr(value);
            if (img.picture) img.size = QSize(img.picture->displayWidth(), img.picture->displayHeight());
        } else if (value.contains(QLatin1String("://"))) {
            if (!o.PictureCache) return img;
            PicturePtr pic = o.PictureCache->FindPicture(value);
            if (!pic) {
                pic = o.PictureCache->AddPicture(value);
                pic->Asynch = false;
                pic->LoadFromSource(value);
            } else if (pic->refreshIfChanged()) {
                o.PictureCache->noteReload();
            }
            if (std::find(r.Pictures.begin(), r.Pictures.end(), pic) == r.Pictures.end()) r.Pictures.push_back(pic);
            img.picture = pic;
            img.size = QSize(pic->displayWidth(), pic->displayHeight());
        }
        return img;
    }

    QSize scaledIconSize(QSize s) const
    {
        if (o.Printing) return QSize(platform::roundHalfEven(s.width() * o.PrintScale), platform::roundHalfEven(s.height() * o.PrintScale));
        return QSize(scaleX(s.width()), scaleY(s.height()));
    }

    void startLine(int top)
    {
        pieces.clear();
        lineWidth = x = subRoom = supRoom = textOffset = runs = 0;
        lineHeight = ghHeight();
        lineText.clear();
        lineEnded = false;
        bullet = false;
        lineBodyBand = QColor();
        lineBand = band;
        lineBandTo = bandTo;
        rotation = 0; // a rotated font lasts for the rest of its line
        Q_UNUSED(top);
    }

    void setUnderline(bool on) { font.setUnderline(on); fontChanged(); }

    void textRun(MarkupReader& reader, const MarkupToken& token)
    {
        const QString& run = token.run;
        const QFontMetrics& m = fm();
        const int h = textHeight(m);
        if (hidden) {
            reader.take(token);
            lineHeight = std::max(lineHeight, h);
            r.PlainText += run;
            return;
        }
        const int w = width(run);
        const bool fitsBeside = qint64(lineWidth) + w < avail();
        const bool fits = fitsBeside || w >= avail() || (!lineText.isEmpty() && !lineText.endsWith(u' '));
        if (!fits && o.WordWrap) {
            lineEnded = true;
            return;
        }
        if (!o.WordWrap && !fitsBeside && runs > 0) dropRest = true;
        reader.take(token);
        Piece p;
        p.kind = Piece::Text;
        p.x = x;
        p.width = w;
        p.height = h;
        p.text = run;
        p.font = font;
        p.color = text;
        p.background = background;
        p.shadow = shadow;
        p.errorMark = errorMark;
        p.script = script;
        p.rotation = rotation;
        p.anchor = anchor;
        p.href = href;
        pieces.push_back(p);
        ++runs;
        lineWidth = clampLength(qint64(lineWidth) + w);
        x = clampLength(qint64(x) + w);
        lineHeight = std::max(lineHeight, h);
        if (script < 0) subRoom = std::max(subRoom, h / 4);
        if (script > 0) supRoom = std::max(supRoom, h / 4);
        if (script == 0) supRoom = std::max(supRoom, accentRoom(m, run));
        lineText += run;
        r.PlainText += run;
        if (dropRest) lineEnded = true;
    }

    void image(const MarkupTag& tag)
    {
        const QString src = tag.attribute(QLatin1String("SRC"));
        ImageSource img = resolve(src);
        if (!img.valid()) return;
        QSize size;
        const int wAttr = leadingNumber(tag.attribute(QLatin1String("WIDTH")));
        const int hAttr = leadingNumber(tag.attribute(QLatin1String("HEIGHT")));
        bool stretch = false;
        if (wAttr >= 1 && hAttr >= 1) {
            size = QSize(scaleX(wAttr), scaleY(hAttr));
            stretch = true;
        } else if (img.icon) {
            size = scaledIconSize(img.size);
        } else {
            size = QSize(scaleX(img.size.width()), scaleY(img.size.height()));
        }
        size = QSize(std::clamp(size.width(), 0, kLimit), std::clamp(size.height(), 0, kLimit));
        Piece p;
        p.kind = Piece::Image;
        p.x = x;
        p.width = size.width();
        p.height = size.height();
        p.image = img;
        p.stretch = stretch || img.icon;
        p.anchor = anchor;
        p.href = href;
        if (anchor >= 0) p.alt = tag.attribute(QLatin1String("ALT"));
        pieces.push_back(p);
        lineWidth = clampLength(qint64(lineWidth) + size.width());
        x = clampLength(qint64(x) + size.width());
        lineHeight = std::max(lineHeight, size.height());
        if (tag.upper.contains(QLatin1String("\"TOP"))) textOffset = lineHeight - ghHeight();
        else if (tag.upper.contains(QLatin1String("\"MIDDLE"))) textOffset = (lineHeight - ghHeight()) / 2;
    }

    // Whether an image tag fits beside what the line holds (false ends the line before it).
    bool imageFits(const MarkupTag& tag)
    {
        if (lineWidth == 0) return true;
        const QString src = tag.attribute(QLatin1String("SRC"));
        const ImageSource img = resolve(src);
        if (!img.valid()) return true;
        int w;
        const int wAttr = leadingNumber(tag.attribute(QLatin1String("WIDTH")));
        const int hAttr = leadingNumber(tag.attribute(QLatin1String("HEIGHT")));
        if (wAttr >= 1 && hAttr >= 1) w = scaleX(wAttr);
        else if (img.icon) w = scaledIconSize(img.size).width();
        else w = scaleX(img.size.width());
        return !(w < avail() && qint64(lineWidth) + w > avail());
    }

    void fillUnderItem(const MarkupOp& op)
    {
        if (layout && drawing()) layout->ops.push_back(op);
    }

    // Acts on one tag.
    void tag(MarkupReader& reader, const MarkupToken& token)
    {
        const MarkupTag& tag = token.tag;
        // Tags that end the line before themselves are left to the next line.
        if (!tag.closing) {
            if (tag.c1 == u'L' && tag.c2 == u'I' && bullet) {
                lineEnded = true;
                return;
            }
            if (tag.c1 == u'I' && tag.c2 == u'M' && !imageFits(tag)) {
                lineEnded = true;
                return;
            }
        }
        reader.take(token);
        if (tag.closing) closingTag(tag);
        else openingTag(tag);
    }

    void openingTag(const MarkupTag& tag)
    {
        const QChar c1 = tag.c1, c2 = tag.c2;
        switch (c1.unicode()) {
        case 'A':
            openAnchor(tag);
            break;
        case 'B':
            if (c2 == u'>') {
                font.setBold(true);
                fontChanged();
            } else if (c2 == u'R') {
                r.PlainText += u'\r';
                lineEnded = true;
            } else if (c2 == u'L') {
                if (!o.BlinkOn) text = baseBackground.isValid() ? baseBackground : QColor(Qt::transparent);
            } else if (c2 == u'O') {
                body(tag);
            }
            break;
        case 'E':
            errorMark = true;
            break;
        case 'F':
            fontTag(tag);
            break;
        case 'H':
            if (c2 == u'I') {
                hiText = text;
                hiBackground = background;
                background = qcolor(platform::clHighlight);
                text = qcolor(platform::clHighlightText);
            } else if (c2 == u'R') {
                horizontalRule = true;
                lineEnded = true;
            }
            break;
        case 'I':
            if (c2 == u'>') {
                font.setItalic(true);
                fontChanged();
            } else if (c2 == u'N') {
                const auto n = platform::parseInteger(tag.attribute(QLatin1String("X")));
                if (n && *n > lineWidth) {
                    lineWidth = std::min(*n, kLimit);
                    x = lineWidth;
                }
            } else if (c2 == u'M') {
                image(tag);
            }
            break;
        case 'L':
            if (c2 == u'I') listItem();
            break;
        case 'P':
            paragraph(tag);
            break;
        case 'R': {
            const auto n = platform::parseInteger(tag.firstQuoted());
            rotation = n ? (*n % 360) : 0;
            break;
        }
        case 'S':
            if (tag.upper == QLatin1String("<SUB>")) script = -1;
            else if (tag.upper == QLatin1String("<SUP>")) script = 1;
            else if (c2 == u'H') shadow = true;
            else if (c2 == u'>') {
                font.setStrikeOut(true);
                fontChanged();
            }
            break;
        case 'U':
            if (c2 == u'>') setUnderline(true);
            else if (c2 == u'L') {
                ++depth;
                lineEnded = true;
            }
            break;
        case 'Z':
            hidden = true;
            break;
        default:
            break;
        }
    }

    void openAnchor(const MarkupTag& tag)
    {
        ++r.AnchorCount;
        anchor = r.AnchorCount - 1;
        href = tag.firstQuoted();
        anchorRects.resize(std::size_t(r.AnchorCount));
        anchorTargets.resize(std::size_t(r.AnchorCount));
        anchorTargets[std::size_t(anchor)] = href;
        if (!o.HoverUnderlineOnly || anchor == o.HoveredAnchor) setUnderline(true);
        anchorBackground = background;
        anchorText = text;
        if (!o.Selected) text = qcolor(o.URLColor);
        if (anchor == o.HoveredAnchor) {
            if (o.HoverColor != clNone) background = qcolor(o.HoverColor);
            if (o.HoverFontColor != clNone) text = qcolor(o.HoverFontColor);
        }
    }

    // "<LI>": a bullet, indented by the list's depth.
    void listItem()
    {
        bullet = true;
        lineWidth = clampLength(qint64(lineWidth) + qint64(depth) * 12);
        x = clampLength(qint64(depth) * 12 - 12);
        if (!hidden) {
            Piece p;
            p.kind = Piece::Bullet;
            p.x = x;
            p.text = (depth % 2) ? QString(QChar(0x2022)) : QStringLiteral("o");
            p.font = font;
            p.color = text;
            const QFontMetrics& m = fm();
            p.width = m.horizontalAdvance(p.text);
            p.height = textHeight(m);
            pieces.push_back(p);
        }
        x = clampLength(qint64(x) + 12);
    }

    void closingTag(const MarkupTag& tag)
    {
        const QChar c1 = tag.c1, c2 = tag.c2;
        switch (c1.unicode()) {
        case 'A':
            setUnderline(false);
            background = anchorBackground;
            // A selected item keeps its own colour; only a hover colour is taken back.
            text = o.Selected ? anchorText : baseText;
            anchor = -1;
            href.clear();
            break;
        case 'B':
            if (c2 == u'>') {
                font.setBold(false);
                fontChanged();
            } else {
                text = baseText;
            }
            break;
        case 'E':
            errorMark = false;
            break;
        case 'F':
            font.setFamily(base.family());
            if (base.pointSizeF() > 0) font.setPointSizeF(base.pointSizeF());
            else font.setPixelSize(base.pixelSize());
            fontChanged();
            if (!o.Selected) {
                text = baseText;
                background = rememberedBackground;
            }
            break;
        case 'H':
            text = hiText;
            background = hiBackground;
            break;
        case 'I':
            font.setItalic(false);
            fontChanged();
            break;
        case 'L':
            lineEnded = true;
            break;
        case 'P':
            lineEnded = true;
            band = QColor();
            bandTo = clNone;
            break;
        case 'R':
            rotation = 0;
            break;
        case 'S':
            if (c2 == u'U') script = 0;
            else if (c2 == u'H') shadow = false;
            else {
                font.setStrikeOut(false);
                fontChanged();
            }
            break;
        case 'U':
            if (c2 == u'L') {
                if (depth > 0) --depth;
                else setUnderline(false);
            } else {
                setUnderline(false);
            }
            break;
        case 'Z':
            hidden = false;
            break;
        default:
            break;
        }
    }

    void fontTag(const MarkupTag& tag)
    {
        bool has = false;
        const QString face = tag.attribute(QLatin1String("FACE"), &has);
        if (has && !face.isEmpty()) {
            font.setFamily(face);
            fontChanged();
        }
        const QString color = tag.attribute(QLatin1String(" COLOR"), &has);
        if (has && !o.Selected) text = qcolor(HTMLColorToColor(color));
        const QString bg = tag.attribute(QLatin1String("BGCOLOR"), &has);
        if (has && !o.Selected) {
            rememberedBackground = background;
            background = qcolor(HTMLColorToColor(bg));
        }
        const qsizetype size = tag.upper.indexOf(QLatin1String("SIZE"));
        if (size >= 0) {
            qsizetype eq = tag.upper.indexOf(u'=', size);
            int n = 0;
            if (eq >= 0) {
                ++eq;
                if (eq < tag.upper.size() && tag.upper.at(eq) == u'"') ++eq;
                n = leadingNumber(QStringView(tag.upper).mid(eq));
            }
            static const int sizes[] = {8, 10, 12, 14, 16};
            const int points = (n >= 1 && n <= 5) ? sizes[n - 1] : n;
            // A size of 0 or less keeps the current size.
            if (points > 0) {
                font.setPointSize(std::min(points, kMaxFontPoints));
                fontChanged();
            }
        }
    }

    void body(const MarkupTag& tag)
    {
        if (!drawing() || o.Selected) return;
        bool has = false;
        const QString picture = tag.attribute(QLatin1String("BACKGROUND"), &has);
        if (has) {
            const ImageSource img = resolve(picture);
            if (img.valid()) {
                MarkupOp op;
                op.kind = MarkupOp::Tile;
                op.rect = bounds;
                op.picture = img.picture;
                op.pixmap = img.pixmap;
                fillUnderItem(op);
            }
        }
        bool hasTo = false;
        const QString from = tag.attribute(QLatin1String("BGCOLOR"), &has);
        const QString to = tag.attribute(QLatin1String("BGCOLORTO"), &hasTo);
        if (has && hasTo) {
            MarkupOp op;
            op.kind = MarkupOp::Gradient;
            op.rect = bounds;
            op.from = HTMLColorToColor(from);
            op.to = HTMLColorToColor(to);
            const QString dir = tag.attribute(QLatin1String("DIR"), &has);
            op.horizontal = !has || dir.toUpper() == QLatin1String("H");
            fillUnderItem(op);
        } else if (has || tag.has(QLatin1String("BGCOLOR"))) {
            lineBodyBand = qcolor(HTMLColorToColor(from));
        }
    }

    void paragraph(const MarkupTag& tag)
    {
        bool has = false;
        const QString align = tag.attribute(QLatin1String("ALIGN"), &has).toUpper();
        if (has) {
            if (align.contains(QLatin1String("LEFT"))) alignment = 0;
            else if (align.contains(QLatin1String("RIGHT"))) alignment = 1;
            else if (align.contains(QLatin1String("CENTER"))) alignment = 2;
        }
        const QString ind = tag.attribute(QLatin1String("INDENT"), &has);
        if (has) indent = std::clamp(leadingNumber(ind), -kLimit, kLimit);
        const QString from = tag.attribute(QLatin1String("BGCOLOR"), &has);
        if (has) {
            bool hasTo = false;
            const QString to = tag.attribute(QLatin1String("BGCOLORTO"), &hasTo);
            band = qcolor(HTMLColorToColor(from));
            bandTo = hasTo ? HTMLColorToColor(to) : clNone;
            lineBand = band;
            lineBandTo = bandTo;
        }
    }

    bool horizontalRule = false;

    // Places the line's pieces, hit-tests them and hands them to the layout. Returns the
    // height the line takes.
    int finishLine(int top)
    {
        // A blank at the end of the line's last run does not count.
        for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
            if (it->kind != Piece::Text) break;
            if (it->text.endsWith(u' ')) lineWidth -= QFontMetrics(it->font, const_cast<QPaintDevice*>(device)).horizontalAdvance(u' ');
            break;
        }
        lineWidth = std::max(0, lineWidth);
        lineHeight = clampLength(qint64(lineHeight) + o.LineSpacing);
        int lx = work.left();
        if (alignment == 1 && work.right() + 1 - lineWidth > lx) lx = work.right() + 1 - lineWidth;
        else if (alignment == 2 && avail() > lineWidth) lx += (avail() - lineWidth) / 2;
        lx = clampLength(qint64(lx) + indent);
        const int height = clampLength(qint64(lineHeight) + subRoom + supRoom);
        const int textBottom = top + lineHeight + supRoom - textOffset; // exclusive bottom of plain text

        r.ExtentX = std::max(r.ExtentX, lineWidth);
        const bool draw = drawing();
        std::vector<MarkupOp> ops;
        if (draw) lineBands(top, height, ops);
        for (const Piece& p : pieces) {
            if (p.kind == Piece::Image) placeImage(p, QRect(lx + p.x, top, p.width, p.height), draw, ops);
            else placeText(p, lx, textBottom, draw, ops);
        }
        if (draw && horizontalRule) {
            MarkupOp op;
            op.kind = MarkupOp::Line;
            op.rect = QRect(QPoint(lx, top + height), QPoint(bounds.right(), top + height));
            op.color = QColor(0, 0, 0);
            ops.push_back(op);
        }
        horizontalRule = false;
        if (draw) for (auto& op : ops) layout->ops.push_back(std::move(op));
        return height;
    }

    // The bands behind a line: the body's colour across the item, the paragraph's band.
    void lineBands(int top, int height, std::vector<MarkupOp>& ops) const
    {
        if (lineBodyBand.isValid()) {
            MarkupOp op;
            op.kind = MarkupOp::Fill;
            op.rect = QRect(bounds.left() - 2, top, bounds.right() + 3 - bounds.left(), height);
            op.color = lineBodyBand;
            ops.push_back(op);
        }
        if (lineBand.isValid()) {
            MarkupOp op;
            op.rect = QRect(bounds.left(), top, bounds.width(), height);
            if (lineBandTo != clNone) {
                op.kind = MarkupOp::Gradient;
                op.from = platform::qcolorToColor(lineBand);
                op.to = lineBandTo;
                op.horizontal = true;
            } else {
                op.kind = MarkupOp::Fill;
                op.color = lineBand;
            }
            ops.push_back(op);
        }
    }

    // An image placed at rect: hit-tested when in an anchor, drawn (its ALT picture while the
    // point is on it).
    void placeImage(const Piece& p, const QRect& rect, bool draw, std::vector<MarkupOp>& ops)
    {
        bool hovered = false;
        if (p.anchor >= 0 && rect.contains(o.PointX, o.PointY)) {
            r.Hit = true;
            r.AnchorUnderPoint = p.href;
            r.AnchorUnderPointIndex = p.anchor;
            hovered = true;
        }
        if (p.anchor >= 0) unite(p.anchor, rect);
        if (!draw) return;
        ImageSource img = p.image;
        if (hovered && !p.alt.isEmpty()) {
            const ImageSource alt = resolve(p.alt);
            if (alt.valid()) img = alt;
        }
        MarkupOp op;
        op.kind = MarkupOp::Image;
        op.rect = rect;
        op.picture = img.picture;
        op.pixmap = img.pixmap;
        op.stretch = p.stretch;
        ops.push_back(op);
    }

    // A run or bullet placed on the line's text bottom (raised or lowered for a script):
    // hit-tested when in an anchor, drawn with its shadow and error mark.
    void placeText(const Piece& p, int lx, int textBottom, bool draw, std::vector<MarkupOp>& ops)
    {
        int bottom = textBottom;
        if (p.script > 0) bottom -= supRoom;
        else if (p.script < 0) bottom += subRoom;
        const QRect rect(lx + p.x, bottom - p.height, p.width, p.height);
        if (p.kind == Piece::Text && p.anchor >= 0) {
            unite(p.anchor, rect);
            if (rect.contains(o.PointX, o.PointY)) {
                r.AnchorUnderPoint = p.href;
                r.AnchorUnderPointIndex = p.anchor;
                if (o.PointY >= textBottom - ghHeight() && o.PointY < textBottom) r.Hit = true;
            }
        }
        if (!draw) return;
        MarkupOp op;
        op.kind = MarkupOp::Text;
        op.rect = rect;
        op.text = p.text;
        op.font = p.font;
        op.color = p.color;
        op.background = p.background;
        op.rotation = p.rotation;
        op.tabStop = std::max(0, o.TabStop);
        if (p.shadow) {
            op.shadowColor = qcolor(o.ShadowColor);
            op.shadowOffset = o.ShadowOffset;
        }
        if (!o.WordWrap) op.elideWidth = std::max(0, work.right() + 1 - rect.left());
        ops.push_back(op);
        if (p.errorMark) {
            MarkupOp z;
            z.kind = MarkupOp::Zigzag;
            z.rect = QRect(rect.left(), rect.top(), p.width, rect.height());
            z.color = QColor(255, 0, 0);
            ops.push_back(z);
        }
    }

    void unite(int a, const QRect& rect)
    {
        if (a < 0 || std::size_t(a) >= anchorRects.size()) return;
        anchorRects[std::size_t(a)] = anchorRects[std::size_t(a)].united(rect);
    }

    bool run(const QString& input)
    {
        font = base;
        fontChanged();
        text = baseText;
        background = QColor();
        MarkupReader reader(markup::prepareMarkup(input));
        int y = bounds.top();
        qint64 extentY = 0;
        while (!reader.atEnd()) {
            const qsizetype lineStart = reader.pos();
            startLine(y);
            bool more = true;
            while (!reader.atEnd() && !lineEnded && more) {
                const MarkupToken token = reader.peek(o.WordWrap);
                if (token.kind == MarkupToken::Tag) tag(reader, token);
                else if (token.kind == MarkupToken::Text) textRun(reader, token);
                else {
                    // A tag cut short ends the item.
                    reader.take(token);
                    more = false;
                }
            }
            if (reader.pos() == lineStart && pieces.empty() && !horizontalRule && more && !reader.atEnd()) {
                // Nothing could be placed (cannot happen with sane metrics): skip one character
                // rather than loop.
                reader.skipCharacter();
            }
            const int h = finishLine(y);
            y = clampLength(qint64(y) + h);
            extentY = std::min<qint64>(extentY + h, kLimit);
            if (!more || dropRest) break;
            if (!o.MeasureOnly && qint64(y) + ghHeight() > bounds.bottom() + 1) break;
        }
        r.ExtentY = int(extentY);
        font = base;
        fontChanged();
        if (r.ExtentY == 0) r.ExtentY = ghHeight();

        const int hit = r.AnchorUnderPointIndex;
        if (hit >= 0 && std::size_t(hit) < anchorRects.size()) r.HoverRect = anchorRects[std::size_t(hit)];
        if (o.FocusedAnchor >= 0 && std::size_t(o.FocusedAnchor) < anchorRects.size()) {
            r.FocusedAnchorHref = anchorTargets[std::size_t(o.FocusedAnchor)];
            if (drawing()) {
                MarkupOp op;
                op.kind = MarkupOp::FocusRect;
                op.rect = anchorRects[std::size_t(o.FocusedAnchor)].adjusted(-1, -1, 1, 1);
                layout->ops.push_back(op);
            }
        }
        return r.Hit;
    }
};

void drawPixmapOrPicture(QPainter& p, const MarkupOp& op, const QRect& rect, bool stretch)
{
    if (op.picture) {
        if (!op.picture->isDecoded()) return;
        if (stretch) p.drawImage(rect, op.picture->image());
        else op.picture->Draw(p, rect);
    } else if (!op.pixmap.isNull()) {
        p.drawPixmap(rect, op.pixmap);
    }
}

} // namespace

bool LayoutHTMLItem(const QPaintDevice* device, const QFont& baseFont, const QColor& baseText,
                    const QColor& baseBackground, const QString& text, const QRect& bounds,
                    const HTMLItemOptions& options, HTMLItemResult& result, MarkupLayout* layout)
{
    result = HTMLItemResult();
    LineLayout e(options, result);
    e.device = device;
    e.layout = layout;
    e.base = baseFont;
    e.baseText = baseText;
    e.baseBackground = baseBackground;
    e.bounds = bounds;
    e.work = bounds.adjusted(1, 0, 0, 0);
    if (device) {
        e.dpiX = device->logicalDpiX();
        e.dpiY = device->logicalDpiY();
    }
    if (layout) {
        layout->ops.clear();
        layout->bounds = bounds;
    }
    return e.run(text);
}

void PaintMarkupLayout(QPainter& p, const MarkupLayout& layout)
{
    p.save();
    for (const MarkupOp& op : layout.ops) {
        switch (op.kind) {
        case MarkupOp::Fill:
            p.fillRect(op.rect, op.color);
            break;
        case MarkupOp::Gradient:
            FillGradient(p, op.from, op.to, op.horizontal, op.rect, 64, platform::clNone);
            break;
        case MarkupOp::Tile: {
            const int w = op.picture ? op.picture->displayWidth() : op.pixmap.width();
            const int h = op.picture ? op.picture->displayHeight() : op.pixmap.height();
            if (w <= 0 || h <= 0) break; // an empty picture covers nothing
            p.save();
            p.setClipRect(op.rect, Qt::IntersectClip);
            for (int ty = op.rect.top(); ty <= op.rect.bottom(); ty += h)
                for (int tx = op.rect.left(); tx <= op.rect.right(); tx += w)
                    drawPixmapOrPicture(p, op, QRect(tx, ty, w, h), true);
            p.restore();
            break;
        }
        case MarkupOp::Image:
            drawPixmapOrPicture(p, op, op.rect, op.stretch || op.picture == nullptr);
            break;
        case MarkupOp::Text: {
            QString t = op.text;
            const QFontMetrics fm(op.font, p.device());
            if (op.elideWidth >= 0 && fm.horizontalAdvance(t) > op.elideWidth) t = fm.elidedText(t, Qt::ElideRight, op.elideWidth);
            if (t.isEmpty()) break;
            const int baseline = op.rect.top() + op.rect.height() - fm.descent();
            if (op.background.isValid()) p.fillRect(op.rect, op.background);
            p.setFont(op.font);
            const bool tabs = t.contains(u'\t');
            auto drawAt = [&](int dx, int dy, const QColor& c) {
                p.setPen(c);
                if (op.rotation != 0) {
                    p.save();
                    p.translate(op.rect.left() + dx, baseline + dy);
                    p.rotate(-op.rotation);
                    p.drawText(0, 0, t);
                    p.restore();
                } else if (tabs && op.tabStop > 0) {
                    QTextOption option(Qt::AlignLeft | Qt::AlignBottom);
                    option.setWrapMode(QTextOption::NoWrap);
                    option.setTabStopDistance(op.tabStop);
                    p.drawText(QRectF(op.rect.translated(dx, dy).adjusted(0, 0, 4096, 0)), t, option);
                } else if (tabs) {
                    p.drawText(op.rect.translated(dx, dy).adjusted(0, 0, 4096, 0),
                               Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine | Qt::TextExpandTabs | Qt::TextDontClip, t);
                } else {
                    p.drawText(op.rect.left() + dx, baseline + dy, t);
                }
            };
            if (op.shadowColor.isValid()) drawAt(op.shadowOffset, op.shadowOffset, op.shadowColor);
            drawAt(0, 0, op.color);
            break;
        }
        case MarkupOp::Zigzag: {
            p.setPen(op.color);
            const int base = op.rect.top() + op.rect.height();
            int x0 = op.rect.left() & ~1;
            const int x1 = op.rect.left() + op.rect.width();
            bool up = false;
            QPoint last(x0, base + 1);
            for (int x = x0 + 2; x <= x1; x += 2) {
                const QPoint next(x, up ? base + 1 : base - 1);
                p.drawLine(last, next);
                last = next;
                up = !up;
            }
            break;
        }
        case MarkupOp::Line:
            p.setPen(QPen(op.color, 1));
            p.drawLine(op.rect.topLeft(), QPoint(op.rect.right(), op.rect.top()));
            break;
        case MarkupOp::FocusRect:
            p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(op.rect.adjusted(0, 0, -1, -1));
            break;
        }
    }
    p.restore();
}

bool DrawHTMLItem(QPainter& canvas, const QString& text, const QRect& bounds, const HTMLItemOptions& options,
                  HTMLItemResult& result)
{
    const QColor brush = canvas.brush().style() == Qt::NoBrush ? QColor() : canvas.brush().color();
    MarkupLayout layout;
    const bool hit = LayoutHTMLItem(canvas.device(), canvas.font(), canvas.pen().color(), brush, text, bounds,
                                    options, result, &layout);
    if (!options.MeasureOnly && !options.HitTestOnly) PaintMarkupLayout(canvas, layout);
    return hit;
}

} // namespace controls
