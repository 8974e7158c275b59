#include "markuptags.h"

#include "markup.h"

#include <QHash>

#include <algorithm>
#include <iterator>
#include <utility>

namespace controls {

using platform::ColorRef;

namespace {

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

QString attributeValue(const QString& tag, const QString& upper, QLatin1String name, bool* present)
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

QString quotedFrom(const QString& tag)
{
    const qsizetype q1 = tag.indexOf(u'"');
    if (q1 < 0) return {};
    const qsizetype q2 = tag.indexOf(u'"', q1 + 1);
    if (q2 < 0) return {};
    return tag.mid(q1 + 1, q2 - q1 - 1);
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

namespace markup {

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

QString decodeRun(QString run)
{
    if (run.contains(u'&')) {
        run.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
        run.replace(QLatin1String("&lt;"), QLatin1String("<"));
        run.replace(QLatin1String("&gt;"), QLatin1String(">"));
    }
    return run;
}

QString prepareMarkup(QString s)
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

QString MarkupTag::attribute(QLatin1String name, bool* present) const
{
    return attributeValue(text, upper, name, present);
}

bool MarkupTag::has(QLatin1String name) const { return findAttribute(upper, name) >= 0; }

QString MarkupTag::firstQuoted() const { return quotedFrom(text); }

MarkupToken MarkupReader::peek(bool wordWrap) const
{
    MarkupToken t;
    t.next = s_.size();
    if (atEnd()) return t;
    if (s_.at(pos_) != u'<') {
        qsizetype end = s_.indexOf(u'<', pos_);
        if (end < 0) end = s_.size();
        if (wordWrap) {
            const qsizetype blank = s_.indexOf(u' ', pos_);
            if (blank >= 0 && blank < end) end = blank + 1;
        }
        t.kind = MarkupToken::Text;
        t.run = decodeRun(s_.mid(pos_, end - pos_));
        t.next = end;
        return t;
    }
    // A tag needs a name: "<x>" at least, "</x>" when closing; and its ">".
    const qsizetype remaining = s_.size() - pos_;
    if (remaining < 3) return t;
    const bool closing = s_.at(pos_ + 1) == u'/';
    if (closing && remaining < 4) return t;
    const qsizetype close = s_.indexOf(u'>', pos_);
    if (close < 0) return t;
    t.kind = MarkupToken::Tag;
    t.tag.text = s_.mid(pos_, close - pos_ + 1);
    t.tag.upper = t.tag.text.toUpper();
    t.tag.closing = closing;
    const qsizetype at = closing ? 2 : 1;
    t.tag.c1 = t.tag.upper.at(at);
    t.tag.c2 = at + 1 < t.tag.upper.size() ? t.tag.upper.at(at + 1) : QChar();
    t.next = close + 1;
    return t;
}

} // namespace markup
} // namespace controls
