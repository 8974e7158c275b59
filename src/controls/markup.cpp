#include "markup.h"

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

// Every length the layout adds up stays within this bound, so that huge numbers in a
// hand-made item cannot overflow.
constexpr int kLimit = 1 << 24;
constexpr int kMaxFontPoints = 500;

int clampLength(qint64 v) { return int(std::clamp<qint64>(v, -kLimit, kLimit)); }

struct NamedColor {
    const char* name;
    ColorRef color;
};

const QHash<QString, ColorRef>& colorNames()
{
    static const QHash<QString, ColorRef> table = [] {
        using platform::rgbColor;
        using platform::systemColor;
        const NamedColor plain[] = {
            {"clred", rgbColor(0xFF, 0, 0)},        {"clblack", rgbColor(0, 0, 0)},
            {"clblue", rgbColor(0, 0, 0xFF)},       {"clgreen", rgbColor(0, 0x80, 0)},
            {"claqua", rgbColor(0, 0xFF, 0xFF)},    {"clyellow", rgbColor(0xFF, 0xFF, 0)},
            {"clfuchsia", rgbColor(0xFF, 0, 0xFF)}, {"clwhite", rgbColor(0xFF, 0xFF, 0xFF)},
            {"cllime", rgbColor(0, 0xFF, 0)},       {"clsilver", rgbColor(0xC0, 0xC0, 0xC0)},
            {"clgray", rgbColor(0x80, 0x80, 0x80)}, {"clolive", rgbColor(0x80, 0x80, 0)},
            {"clnavy", rgbColor(0, 0, 0x80)},       {"clpurple", rgbColor(0x80, 0, 0x80)},
            {"clteal", rgbColor(0, 0x80, 0x80)},    {"clmaroon", rgbColor(0x80, 0, 0)},
        };
        const char* system[] = {"clbackground", "clactivecaption", "clinactivecaption", "clmenu",
                                "clwindow", "clwindowframe", "clmenutext", "clwindowtext",
                                "clcaptiontext", "clactiveborder", "clinactiveborder", "clappworkspace",
                                "clhighlight", "clhighlighttext", "clbtnface", "clbtnshadow",
                                "clgraytext", "clbtntext", "clinactivecaptiontext", "clbtnhighlight",
                                "cl3ddkshadow", "cl3dlight", "clinfotext", "clinfobk"};
        QHash<QString, ColorRef> t;
        for (const auto& c : plain) t.insert(QString::fromLatin1(c.name), c.color);
        for (int i = 0; i < int(std::size(system)); ++i) t.insert(QString::fromLatin1(system[i]), systemColor(i + 1));
        return t;
    }();
    return table;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

// The position of an attribute name in the upper-cased tag; "BGCOLOR" does not match the
// start of "BGCOLORTO".
qsizetype findAttribute(const QString& upper, QLatin1String name)
{
    qsizetype at = upper.indexOf(name);
    if (name == QLatin1String("BGCOLOR")) {
        while (at >= 0 && at + name.size() < upper.size() && upper.at(at + name.size()) == u'T')
            at = upper.indexOf(name, at + 1);
    }
    return at;
}

// The text between the first two double quotes after the attribute name; "" without them.
QString attributeValue(const QString& tag, const QString& upper, QLatin1String name, bool* present = nullptr)
{
    const qsizetype at = findAttribute(upper, name);
    if (present) *present = at >= 0;
    if (at < 0) return {};
    const qsizetype q1 = tag.indexOf(u'"', at + name.size());
    if (q1 < 0) return {};
    const qsizetype q2 = tag.indexOf(u'"', q1 + 1);
    if (q2 < 0) return {};
    return tag.mid(q1 + 1, q2 - q1 - 1);
}

QString firstQuoted(const QString& tag)
{
    const qsizetype q1 = tag.indexOf(u'"');
    if (q1 < 0) return {};
    const qsizetype q2 = tag.indexOf(u'"', q1 + 1);
    if (q2 < 0) return {};
    return tag.mid(q1 + 1, q2 - q1 - 1);
}

// Leading decimal digits (after an optional sign) as a number; 0 for a non-number.
int leadingNumber(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    qint64 v = 0;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        v = std::min<qint64>(v * 10 + (text[i].unicode() - '0'), kLimit);
        ++i;
    }
    return int(negative ? -v : v);
}

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

QString decodeRun(QString run)
{
    if (run.contains(u'&')) {
        run.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
        run.replace(QLatin1String("&lt;"), QLatin1String("<"));
        run.replace(QLatin1String("&gt;"), QLatin1String(">"));
    }
    return run;
}

// Entities, "<#", line breaks.
QString prepare(QString s)
{
    static const std::pair<QLatin1String, QString> entities[] = {
        {QLatin1String("&amp;"), QStringLiteral("&")},       {QLatin1String("&quot;"), QStringLiteral("\"")},
        {QLatin1String("&sect;"), QString(QChar(0x00A7))},  {QLatin1String("&permil;"), QString(QChar(0x2030))},
        {QLatin1String("&reg;"), QString(QChar(0x00AE))},   {QLatin1String("&copy;"), QString(QChar(0x00A9))},
        {QLatin1String("&para;"), QString(QChar(0x00B6))},  {QLatin1String("&trade;"), QString(QChar(0x2122))},
        {QLatin1String("&euro;"), QString(QChar(0x20AC))},
    };
    if (s.contains(u'&')) {
        // Every replacement shortens the string, so this ends.
        bool changed = true;
        while (changed) {
            changed = false;
            for (const auto& [from, to] : entities) {
                if (s.contains(from)) {
                    s.replace(from, to);
                    changed = true;
                }
            }
        }
    }
    const qsizetype hash = s.indexOf(QLatin1String("<#"));
    if (hash >= 0) {
        s.remove(hash, 1);
        const qsizetype close = s.indexOf(u'>', hash);
        if (close >= 0) s.remove(close, 1);
    }
    if (s.contains(u'\r') || s.contains(u'\n')) {
        s.replace(QLatin1String("\r"), QLatin1String("<BR>"));
        s.remove(u'\n');
    }
    return s;
}

struct ImageSource {
    PicturePtr picture;
    QPixmap pixmap;
    QSize size;       // before scaling
    bool icon = false; // image list or shell icon
    bool valid() const { return !size.isEmpty(); }
};

struct Engine;

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

struct Engine {
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

    Engine(const HTMLItemOptions& opts, HTMLItemResult& res) : o(opts), r(res), layout(nullptr) {}

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

    void textRun(const QString& s, qsizetype& pos)
    {
        qsizetype end = s.indexOf(u'<', pos);
        if (end < 0) end = s.size();
        if (o.WordWrap) {
            const qsizetype blank = s.indexOf(u' ', pos);
            if (blank >= 0 && blank < end) end = blank + 1;
        }
        const QString run = decodeRun(s.mid(pos, end - pos));
        const QFontMetrics& m = fm();
        const int h = textHeight(m);
        if (hidden) {
            pos = end;
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
        pos = end;
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

    void image(const QString& tag, const QString& upper)
    {
        const QString src = attributeValue(tag, upper, QLatin1String("SRC"));
        ImageSource img = resolve(src);
        if (!img.valid()) return;
        QSize size;
        const int wAttr = leadingNumber(attributeValue(tag, upper, QLatin1String("WIDTH")));
        const int hAttr = leadingNumber(attributeValue(tag, upper, QLatin1String("HEIGHT")));
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
        if (anchor >= 0) p.alt = attributeValue(tag, upper, QLatin1String("ALT"));
        pieces.push_back(p);
        lineWidth = clampLength(qint64(lineWidth) + size.width());
        x = clampLength(qint64(x) + size.width());
        lineHeight = std::max(lineHeight, size.height());
        if (upper.contains(QLatin1String("\"TOP"))) textOffset = lineHeight - ghHeight();
        else if (upper.contains(QLatin1String("\"MIDDLE"))) textOffset = (lineHeight - ghHeight()) / 2;
    }

    // Whether an image tag fits beside what the line holds (false ends the line before it).
    bool imageFits(const QString& tag, const QString& upper)
    {
        if (lineWidth == 0) return true;
        const QString src = attributeValue(tag, upper, QLatin1String("SRC"));
        const ImageSource img = resolve(src);
        if (!img.valid()) return true;
        int w;
        const int wAttr = leadingNumber(attributeValue(tag, upper, QLatin1String("WIDTH")));
        const int hAttr = leadingNumber(attributeValue(tag, upper, QLatin1String("HEIGHT")));
        if (wAttr >= 1 && hAttr >= 1) w = scaleX(wAttr);
        else if (img.icon) w = scaledIconSize(img.size).width();
        else w = scaleX(img.size.width());
        return !(w < avail() && qint64(lineWidth) + w > avail());
    }

    void fillUnderItem(const MarkupOp& op)
    {
        if (layout && drawing()) layout->ops.push_back(op);
    }

    // Acts on one tag; returns false when the item ends here.
    bool tag(const QString& s, qsizetype& pos)
    {
        const qsizetype remaining = s.size() - pos;
        if (remaining < 3) {
            pos = s.size();
            return false;
        }
        const bool closing = s.at(pos + 1) == u'/';
        if (closing && remaining < 4) {
            pos = s.size();
            return false;
        }
        const qsizetype close = s.indexOf(u'>', pos);
        if (close < 0) {
            pos = s.size();
            return false;
        }
        const QString tagText = s.mid(pos, close - pos + 1);
        const QString upper = tagText.toUpper();
        const qsizetype at = closing ? 2 : 1;
        const QChar c1 = upper.at(at);
        const QChar c2 = at + 1 < upper.size() ? upper.at(at + 1) : QChar();
        // Tags that end the line before themselves leave pos unchanged.
        if (!closing) {
            if (c1 == u'L' && c2 == u'I' && bullet) {
                lineEnded = true;
                return true;
            }
            if (c1 == u'I' && c2 == u'M' && !imageFits(tagText, upper)) {
                lineEnded = true;
                return true;
            }
        }
        pos = close + 1;
        if (closing) closingTag(c1, c2, upper);
        else openingTag(c1, c2, tagText, upper);
        return true;
    }

    void openingTag(QChar c1, QChar c2, const QString& tag, const QString& upper)
    {
        switch (c1.unicode()) {
        case 'A': {
            ++r.AnchorCount;
            anchor = r.AnchorCount - 1;
            href = firstQuoted(tag);
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
            break;
        }
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
                body(tag, upper);
            }
            break;
        case 'E':
            errorMark = true;
            break;
        case 'F':
            fontTag(tag, upper);
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
                const auto n = platform::parseInteger(attributeValue(tag, upper, QLatin1String("X")));
                if (n && *n > lineWidth) {
                    lineWidth = std::min(*n, kLimit);
                    x = lineWidth;
                }
            } else if (c2 == u'M') {
                image(tag, upper);
            }
            break;
        case 'L':
            if (c2 == u'I') {
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
            break;
        case 'P':
            paragraph(tag, upper);
            break;
        case 'R': {
            const auto n = platform::parseInteger(firstQuoted(tag));
            rotation = n ? (*n % 360) : 0;
            break;
        }
        case 'S':
            if (upper == QLatin1String("<SUB>")) script = -1;
            else if (upper == QLatin1String("<SUP>")) script = 1;
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

    void closingTag(QChar c1, QChar c2, const QString& upper)
    {
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
        Q_UNUSED(upper);
    }

    void fontTag(const QString& tag, const QString& upper)
    {
        bool has = false;
        const QString face = attributeValue(tag, upper, QLatin1String("FACE"), &has);
        if (has && !face.isEmpty()) {
            font.setFamily(face);
            fontChanged();
        }
        const QString color = attributeValue(tag, upper, QLatin1String(" COLOR"), &has);
        if (has && !o.Selected) text = qcolor(HTMLColorToColor(color));
        const QString bg = attributeValue(tag, upper, QLatin1String("BGCOLOR"), &has);
        if (has && !o.Selected) {
            rememberedBackground = background;
            background = qcolor(HTMLColorToColor(bg));
        }
        const qsizetype size = upper.indexOf(QLatin1String("SIZE"));
        if (size >= 0) {
            qsizetype eq = upper.indexOf(u'=', size);
            int n = 0;
            if (eq >= 0) {
                ++eq;
                if (eq < upper.size() && upper.at(eq) == u'"') ++eq;
                n = leadingNumber(QStringView(upper).mid(eq));
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

    void body(const QString& tag, const QString& upper)
    {
        if (!drawing() || o.Selected) return;
        bool has = false;
        const QString picture = attributeValue(tag, upper, QLatin1String("BACKGROUND"), &has);
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
        const QString from = attributeValue(tag, upper, QLatin1String("BGCOLOR"), &has);
        const QString to = attributeValue(tag, upper, QLatin1String("BGCOLORTO"), &hasTo);
        if (has && hasTo) {
            MarkupOp op;
            op.kind = MarkupOp::Gradient;
            op.rect = bounds;
            op.from = HTMLColorToColor(from);
            op.to = HTMLColorToColor(to);
            const QString dir = attributeValue(tag, upper, QLatin1String("DIR"), &has);
            op.horizontal = !has || dir.toUpper() == QLatin1String("H");
            fillUnderItem(op);
        } else if (has || findAttribute(upper, QLatin1String("BGCOLOR")) >= 0) {
            lineBodyBand = qcolor(HTMLColorToColor(from));
        }
    }

    void paragraph(const QString& tag, const QString& upper)
    {
        bool has = false;
        const QString align = attributeValue(tag, upper, QLatin1String("ALIGN"), &has).toUpper();
        if (has) {
            if (align.contains(QLatin1String("LEFT"))) alignment = 0;
            else if (align.contains(QLatin1String("RIGHT"))) alignment = 1;
            else if (align.contains(QLatin1String("CENTER"))) alignment = 2;
        }
        const QString ind = attributeValue(tag, upper, QLatin1String("INDENT"), &has);
        if (has) indent = std::clamp(leadingNumber(ind), -kLimit, kLimit);
        const QString from = attributeValue(tag, upper, QLatin1String("BGCOLOR"), &has);
        if (has) {
            bool hasTo = false;
            const QString to = attributeValue(tag, upper, QLatin1String("BGCOLORTO"), &hasTo);
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
        const QRect lineRect(work.left(), top, work.width(), height);
        const int textBottom = top + lineHeight + supRoom - textOffset; // exclusive bottom of plain text
        const int ghTop = textBottom - ghHeight();

        r.ExtentX = std::max(r.ExtentX, lineWidth);
        const bool draw = drawing();
        std::vector<MarkupOp> ops;
        if (draw) {
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
        for (Piece& p : pieces) {
            QRect rect;
            if (p.kind == Piece::Image) {
                rect = QRect(lx + p.x, top, p.width, p.height);
                bool hovered = false;
                if (p.anchor >= 0 && rect.contains(o.PointX, o.PointY)) {
                    r.Hit = true;
                    r.AnchorUnderPoint = p.href;
                    r.AnchorUnderPointIndex = p.anchor;
                    hovered = true;
                }
                if (p.anchor >= 0) unite(p.anchor, rect);
                if (draw) {
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
                continue;
            }
            int bottom = textBottom;
            if (p.script > 0) bottom -= supRoom;
            else if (p.script < 0) bottom += subRoom;
            rect = QRect(lx + p.x, bottom - p.height, p.width, p.height);
            if (p.kind == Piece::Text && p.anchor >= 0) {
                unite(p.anchor, rect);
                if (rect.contains(o.PointX, o.PointY)) {
                    r.AnchorUnderPoint = p.href;
                    r.AnchorUnderPointIndex = p.anchor;
                    if (o.PointY >= ghTop && o.PointY < textBottom) r.Hit = true;
                }
            }
            if (!draw) continue;
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
        const QString s = prepare(input);
        qsizetype pos = 0;
        int y = bounds.top();
        qint64 extentY = 0;
        while (pos < s.size()) {
            const qsizetype lineStart = pos;
            startLine(y);
            bool more = true;
            while (pos < s.size() && !lineEnded && more) {
                if (s.at(pos) == u'<') more = tag(s, pos);
                else textRun(s, pos);
            }
            if (pos == lineStart && pieces.empty() && !horizontalRule && more && pos < s.size()) {
                // Nothing could be placed (cannot happen with sane metrics): skip one character
                // rather than loop.
                ++pos;
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

ColorRef HTMLColorToColor(const QString& value)
{
    if (value.startsWith(u'#')) {
        if (value.size() < 7) return platform::clBlack;
        int d[6];
        for (int i = 0; i < 6; ++i) {
            d[i] = hexDigit(value.at(i + 1));
            if (d[i] < 0) return platform::clBlack;
        }
        return platform::rgbColor(d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]);
    }
    return colorNames().value(value.toLower(), platform::clBlack);
}

QString StripHTMLTags(const QString& text)
{
    QString s = text;
    static const QLatin1String breaks[] = {QLatin1String("<BR>"), QLatin1String("<HR>")};
    for (const auto& b : breaks) s.replace(b, QLatin1String("\r\n"), Qt::CaseInsensitive);
    for (const auto& [open, close] : {std::pair{QLatin1String("<z>"), QLatin1String("</z>")},
                                      std::pair{QLatin1String("<Z>"), QLatin1String("</Z>")}}) {
        qsizetype from = 0;
        while ((from = s.indexOf(open, from)) >= 0) {
            const qsizetype to = s.indexOf(close, from);
            if (to < 0) break; // hidden text without its end stays; the tags go below
            s.remove(from, to + close.size() - from);
        }
    }
    QString out;
    out.reserve(s.size());
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype lt = s.indexOf(u'<', i);
        if (lt < 0) {
            out += QStringView(s).mid(i);
            break;
        }
        const qsizetype gt = s.indexOf(u'>', lt);
        if (gt < 0) {
            out += QStringView(s).mid(i);
            break;
        }
        out += QStringView(s).mid(i, lt - i);
        i = gt + 1;
    }
    return out;
}

bool LayoutHTMLItem(const QPaintDevice* device, const QFont& baseFont, const QColor& baseText,
                    const QColor& baseBackground, const QString& text, const QRect& bounds,
                    const HTMLItemOptions& options, HTMLItemResult& result, MarkupLayout* layout)
{
    result = HTMLItemResult();
    Engine e(options, result);
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
