#include "markupstyle.h"

#include "platform/numbers.h"

#include <algorithm>

namespace controls::markup {

namespace {

constexpr int kMaxFontPoints = 500;

QColor qcolor(ColorRef c) { return platform::colorToQColor(c); }

} // namespace

MarkupStyle::MarkupStyle(const HTMLItemOptions& options, RunMeasure& measure, const QFont& baseFont, const QColor& baseText,
                         const QColor& baseBackground)
    : o_(options), measure_(measure), base_(baseFont), baseText_(baseText), baseBackground_(baseBackground)
{
}

void MarkupStyle::reset()
{
    measure_.setFont(base_);
    text = baseText_;
    background = QColor();
}

TagEffect MarkupStyle::open(const MarkupTag& tag)
{
    const QChar c2 = tag.c2;
    switch (tag.c1.unicode()) {
    case 'A': openAnchor(tag); break;
    case 'B':
        if (c2 == u'>')
            setFontFlag(&QFont::setBold, true);
        else if (c2 == u'L' && !o_.BlinkOn)
            text = baseBackground_.isValid() ? baseBackground_ : QColor(Qt::transparent);
        break;
    case 'E': errorMark = true; break;
    case 'F': fontTag(tag); break;
    case 'H':
        if (c2 == u'I') highlight();
        break;
    case 'I':
        if (c2 == u'>') setFontFlag(&QFont::setItalic, true);
        break;
    case 'P': return paragraph(tag);
    case 'R': rotate(tag); break;
    case 'S': openS(tag); break;
    case 'U':
        if (c2 == u'>')
            setFontFlag(&QFont::setUnderline, true);
        else if (c2 == u'L') {
            ++depth;
            return TagEffect::EndsLine;
        }
        break;
    case 'Z': hidden = true; break;
    default: break;
    }
    return TagEffect::None;
}

TagEffect MarkupStyle::close(const MarkupTag& tag)
{
    const QChar c2 = tag.c2;
    switch (tag.c1.unicode()) {
    case 'A': closeAnchor(); break;
    case 'B':
        if (c2 == u'>')
            setFontFlag(&QFont::setBold, false);
        else
            text = baseText_;
        break;
    case 'E': errorMark = false; break;
    case 'F': closeFont(); break;
    case 'H':
        text = hiText_;
        background = hiBackground_;
        break;
    case 'I': setFontFlag(&QFont::setItalic, false); break;
    case 'L': return TagEffect::EndsLine;
    case 'P':
        band = QColor();
        bandTo = platform::clNone;
        return TagEffect::EndsLine;
    case 'R': rotation = 0; break;
    case 'S': closeS(tag); break;
    case 'U':
        if (c2 == u'L' && depth > 0)
            --depth;
        else
            setFontFlag(&QFont::setUnderline, false);
        break;
    case 'Z': hidden = false; break;
    default: break;
    }
    return TagEffect::None;
}

void MarkupStyle::setFontFlag(void (QFont::*set)(bool), bool on)
{
    QFont f = measure_.font();
    (f.*set)(on);
    measure_.setFont(f);
}

void MarkupStyle::openAnchor(const MarkupTag& tag)
{
    anchor = int(anchorTargets.size());
    href = tag.firstQuoted();
    anchorTargets.push_back(href);
    if (!o_.HoverUnderlineOnly || anchor == o_.HoveredAnchor) setFontFlag(&QFont::setUnderline, true);
    anchorBackground_ = background;
    anchorText_ = text;
    if (!o_.Selected) text = qcolor(o_.URLColor);
    if (anchor == o_.HoveredAnchor) {
        if (o_.HoverColor != platform::clNone) background = qcolor(o_.HoverColor);
        if (o_.HoverFontColor != platform::clNone) text = qcolor(o_.HoverFontColor);
    }
}

void MarkupStyle::closeAnchor()
{
    setFontFlag(&QFont::setUnderline, false);
    background = anchorBackground_;
    // A selected item keeps its own colour; only a hover colour is taken back.
    text = o_.Selected ? anchorText_ : baseText_;
    anchor = -1;
    href.clear();
}

void MarkupStyle::fontTag(const MarkupTag& tag)
{
    bool has = false;
    const QString face = tag.attribute(QLatin1String("FACE"), &has);
    if (has && !face.isEmpty()) {
        QFont f = measure_.font();
        f.setFamily(face);
        measure_.setFont(f);
    }
    const QString color = tag.attribute(QLatin1String(" COLOR"), &has);
    if (has && !o_.Selected) text = qcolor(HTMLColorToColor(color));
    const QString bg = tag.attribute(QLatin1String("BGCOLOR"), &has);
    if (has && !o_.Selected) {
        rememberedBackground_ = background;
        background = qcolor(HTMLColorToColor(bg));
    }
    const qsizetype size = tag.upper.indexOf(QLatin1String("SIZE"));
    if (size < 0) return;
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
        QFont f = measure_.font();
        f.setPointSize(std::min(points, kMaxFontPoints));
        measure_.setFont(f);
    }
}

void MarkupStyle::closeFont()
{
    QFont f = measure_.font();
    f.setFamily(base_.family());
    if (base_.pointSizeF() > 0)
        f.setPointSizeF(base_.pointSizeF());
    else
        f.setPixelSize(base_.pixelSize());
    measure_.setFont(f);
    if (!o_.Selected) {
        text = baseText_;
        background = rememberedBackground_;
    }
}

void MarkupStyle::highlight()
{
    hiText_ = text;
    hiBackground_ = background;
    background = qcolor(platform::clHighlight);
    text = qcolor(platform::clHighlightText);
}

TagEffect MarkupStyle::paragraph(const MarkupTag& tag)
{
    bool has = false;
    const QString align = tag.attribute(QLatin1String("ALIGN"), &has).toUpper();
    if (has) {
        if (align.contains(QLatin1String("LEFT")))
            alignment = 0;
        else if (align.contains(QLatin1String("RIGHT")))
            alignment = 1;
        else if (align.contains(QLatin1String("CENTER")))
            alignment = 2;
    }
    const QString ind = tag.attribute(QLatin1String("INDENT"), &has);
    if (has) indent = std::clamp(leadingNumber(ind), -kLimit, kLimit);
    const QString from = tag.attribute(QLatin1String("BGCOLOR"), &has);
    if (!has) return TagEffect::None;
    bool hasTo = false;
    const QString to = tag.attribute(QLatin1String("BGCOLORTO"), &hasTo);
    band = qcolor(HTMLColorToColor(from));
    bandTo = hasTo ? HTMLColorToColor(to) : platform::clNone;
    return TagEffect::NewBand;
}

void MarkupStyle::rotate(const MarkupTag& tag)
{
    const auto n = platform::parseInteger(tag.firstQuoted());
    rotation = n ? (*n % 360) : 0;
}

void MarkupStyle::openS(const MarkupTag& tag)
{
    if (tag.upper == QLatin1String("<SUB>"))
        script = -1;
    else if (tag.upper == QLatin1String("<SUP>"))
        script = 1;
    else if (tag.c2 == u'H')
        shadow = true;
    else if (tag.c2 == u'>')
        setFontFlag(&QFont::setStrikeOut, true);
}

void MarkupStyle::closeS(const MarkupTag& tag)
{
    if (tag.c2 == u'U')
        script = 0;
    else if (tag.c2 == u'H')
        shadow = false;
    else
        setFontFlag(&QFont::setStrikeOut, false);
}

} // namespace controls::markup
