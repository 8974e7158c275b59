#include "markuplist.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace controls {

int MarkupListItems::Count() const { return view_->model_->count(); }

QString MarkupListItems::Strings(int index) const { return view_->model_->text(index); }

int MarkupListItems::Add(const QString& text)
{
    return view_->insertItem(Count(), text);
}

void MarkupListItems::Insert(int index, const QString& text)
{
    view_->insertItem(index < 0 || index > Count() ? Count() : index, text);
}

void MarkupListItems::Delete(int index)
{
    if (index >= 0 && index < Count()) view_->removeItem(index);
}

void MarkupListItems::Clear() { view_->clearItems(); }

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

void MarkupListLook::setTabStop(int pixels)
{
    if (tabStop_ == pixels) return;
    tabStop_ = pixels;
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
    o.TabStop = tabStop_;
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

QRect MarkupItemDelegate::rowBand(const QStyleOptionViewItem& option)
{
    const auto* view = qobject_cast<const QAbstractScrollArea*>(option.widget);
    const int width = view ? view->viewport()->width() : option.rect.width();
    return QRect(0, option.rect.top(), width, option.rect.height());
}

MarkupListView::MarkupListView(MarkupItemDelegate* look, QWidget* parent)
    : QListView(parent), model_(new MarkupListModel(this)), look_(look)
{
    look_->setParent(this);
    look_->setOnChange([this](MarkupListLook::Change what) { lookChanged(what); });
    setModel(model_);
    setItemDelegate(look_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    viewport()->setMouseTracking(true);
    look_->applyBackground(viewport());
}

MarkupListView::~MarkupListView()
{
    // The list's own part is gone: a change of appearance asks it nothing more.
    look_->setOnChange({});
}

int MarkupListView::ItemIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool MarkupListView::Selected(int index) const
{
    return index >= 0 && index < model_->count() && selectionModel()->isSelected(rowIndex(index));
}

AnchorHover::List MarkupListView::hoverOf(std::function<int(const QPoint&)> rowAt, std::function<QPoint(int)> itemHintPos)
{
    AnchorHover::List l;
    l.area = this;
    l.rowAt = std::move(rowAt);
    l.anchorAt = [this](const QPoint& pos, QString& anchor, int& index) { AnchorAt(pos.x(), pos.y(), anchor, index); };
    l.enter = [this](int index, const QString& anchor) { emit AnchorEnter(this, index, anchor); };
    l.exit = [this](int index, const QString& anchor) { emit AnchorExit(this, index, anchor); };
    l.anchorHint = [this](int index, QString& anchor) { emit AnchorHintEvent(this, index, anchor); };
    l.itemText = [this](int row) { return model_->text(row); };
    l.itemHintPos = std::move(itemHintPos);
    return l;
}

void MarkupListView::clickAnchor(const QString& anchor, int index)
{
    followAnchor(anchor, [&] { emit AnchorClick(this, index, anchor); });
}

} // namespace controls
