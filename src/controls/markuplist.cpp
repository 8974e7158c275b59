#include "markuplist.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace controls {

int MarkupListItems::Add(const QString& text)
{
    insertAt(Count(), text);
    return Count() - 1;
}

void MarkupListItems::Insert(int index, const QString& text) { insertAt(index < 0 || index > Count() ? Count() : index, text); }

void MarkupListItems::Delete(int index)
{
    if (index >= 0 && index < Count()) removeAt(index);
}

QStringList MarkupListItems::toStringList() const
{
    QStringList out;
    out.reserve(Count());
    for (int i = 0; i < Count(); ++i) out << Strings(i);
    return out;
}

MarkupListLook::MarkupListLook() : selectionColors_(std::make_unique<TGradientStyle>()) {}

MarkupListLook::~MarkupListLook() = default;

void MarkupListLook::setEllipsis(bool on)
{
    if (ellipsis_ == on) return;
    ellipsis_ = on;
    lookChanged(Change::Paint);
}

void MarkupListLook::setImages(const TImageList* images)
{
    images_ = images;
    lookChanged(Change::Layout);
}

void MarkupListLook::setLineSpacing(int spacing)
{
    lineSpacing_ = std::clamp(spacing, -255, 255);
    lookChanged(Change::Layout);
}

void MarkupListLook::setPictureContainer(TPictureContainer* container)
{
    container_ = container;
    lookChanged(Change::Layout);
}

void MarkupListLook::setSelectionColors(const TGradientStyle* style)
{
    selectionColors_->Assign(style);
    lookChanged(Change::Paint);
}

void MarkupListLook::setSelectionFontColor(ColorRef c)
{
    if (selectionFontColor_ == c) return;
    selectionFontColor_ = c;
    lookChanged(Change::Paint);
}

void MarkupListLook::setShadowColor(ColorRef c)
{
    shadowColor_ = c;
    lookChanged(Change::Paint);
}

void MarkupListLook::setShadowOffset(int offset)
{
    shadowOffset_ = std::clamp(offset, -64, 64);
    lookChanged(Change::Paint);
}

void MarkupListLook::setShowSelection(bool on)
{
    showSelection_ = on;
    lookChanged(Change::Paint);
}

void MarkupListLook::setURLColor(ColorRef c)
{
    if (urlColor_ == c) return;
    urlColor_ = c;
    lookChanged(Change::Paint);
}

void MarkupListLook::setColor(ColorRef c)
{
    color_ = c;
    lookChanged(Change::Background);
}

void MarkupListLook::applyBackground(QWidget* viewport) const
{
    QPalette pal = viewport->palette();
    pal.setColor(QPalette::Base, platform::colorToQColor(color_));
    pal.setColor(QPalette::Window, platform::colorToQColor(color_));
    viewport->setPalette(pal);
}

HTMLItemOptions MarkupListLook::options(bool selected) const
{
    HTMLItemOptions o;
    o.Images = images_.data();
    o.Selected = selected;
    o.BlinkOn = true;
    o.WordWrap = !ellipsis_;
    o.URLColor = selected ? selectionFontColor_ : urlColor_;
    o.ShadowColor = shadowColor_;
    o.ShadowOffset = shadowOffset_;
    o.PictureCache = &cache_;
    o.PictureContainer = container_.data();
    o.LineSpacing = lineSpacing_;
    return o;
}

HTMLItemResult MarkupListLook::measureItem(const QPaintDevice* device, const QFont& font, const QString& text,
                                           const QRect& rect) const
{
    // Measured as drawn selected, so that every layout of the item finds the same lines.
    HTMLItemOptions o = options(true);
    o.MeasureOnly = true;
    HTMLItemResult res;
    LayoutHTMLItem(device, font, QColor(), QColor(), text, rect, o, res, nullptr);
    return res;
}

QString MarkupListLook::anchorUnder(const QPaintDevice* device, const QFont& font, const QString& text, const QRect& rect,
                                    const QPoint& point) const
{
    HTMLItemOptions o = options(true);
    o.HitTestOnly = true;
    o.PointX = point.x();
    o.PointY = point.y();
    HTMLItemResult res;
    LayoutHTMLItem(device, font, QColor(), QColor(), text, rect, o, res, nullptr);
    return res.Hit ? res.AnchorUnderPoint : QString();
}

MarkupListLook::ItemColors MarkupListLook::paintBand(QPainter& p, const QRect& band, bool selected, bool framed,
                                                     const QColor& fontColor) const
{
    if (!selected) {
        p.fillRect(band, platform::colorToQColor(color_));
        return {fontColor, platform::colorToQColor(color_)};
    }
    const ColorRef from = selectionColors_->ColorFrom();
    const ColorRef to = selectionColors_->ColorTo();
    if (to != platform::clNone) {
        FillGradient(p, from, to, selectionColors_->Direction(), band, 64, selectionColors_->BorderColor());
    } else if (framed) {
        p.save();
        p.setPen(platform::colorToQColor(selectionColors_->BorderColor()));
        p.setBrush(platform::colorToQColor(from));
        p.drawRect(band.adjusted(0, 0, -1, -1));
        p.restore();
    } else {
        p.fillRect(band, platform::colorToQColor(from));
    }
    return {platform::colorToQColor(selectionFontColor_), platform::colorToQColor(from)};
}

void MarkupListLook::paintMarkup(QPainter& p, const QFont& font, const QString& text, const QRect& layoutRect,
                                 const QRect& clip, const HTMLItemOptions& o, const ItemColors& colors) const
{
    HTMLItemResult res;
    MarkupLayout layout;
    LayoutHTMLItem(p.device(), font, colors.text, colors.background, text, layoutRect, o, res, &layout);
    p.save();
    p.setClipRect(clip);
    PaintMarkupLayout(p, layout);
    p.restore();
}

} // namespace controls
