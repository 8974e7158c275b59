#include "htmlchecklist.h"

#include "platform/colors.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace controls {

// ---- the list --------------------------------------------------------------------------------

THTMLCheckList::THTMLCheckList(QWidget* parent)
    : MarkupListView(new HTMLCheckListDelegate, parent), rowLook_(static_cast<HTMLCheckListDelegate*>(itemDelegate()))
{
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The check box's size as the style draws it.
    QStyleOptionButton opt;
    opt.initFrom(this);
    rowLook_->setBoxSize(QSize(style()->pixelMetric(QStyle::PM_IndicatorWidth, &opt, this),
                               style()->pixelMetric(QStyle::PM_IndicatorHeight, &opt, this)));
}

THTMLCheckList::~THTMLCheckList()
{
    // The items go before the cache whose pictures they hold.
    clearItems();
}

namespace {

// A sorted list orders as the framework's list box does: by the text, ignoring case.
bool textBefore(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; }

} // namespace

int THTMLCheckList::insertItem(int index, const QString& text)
{
    MarkupListModel::Item it;
    it.text = text;
    measure(it);
    if (sorted_) {
        // A sorted list puts a new item in its place: before the first that does not sort before it.
        int first = 0, count = Count();
        while (count > 0) {
            const int half = count / 2;
            if (textBefore(itemText(first + half), text)) {
                first += half + 1;
                count -= half + 1;
            } else {
                count = half;
            }
        }
        index = first;
    }
    index = std::clamp(index, 0, Count());
    itemModel()->insert(index, std::move(it));
    return index;
}

void THTMLCheckList::removeItem(int index)
{
    itemModel()->remove(index);
    pictureCache().dropUnused();
}

void THTMLCheckList::clearItems()
{
    itemModel()->clear();
    pictureCache().dropUnused();
}

void THTMLCheckList::measure(MarkupListModel::Item& it)
{
    // Laid out once to find the pictures the item names; they stay while the item does.
    const QRect rect(0, 0, std::max(1, viewport()->width()), rowHeight());
    it.pictures = rowLook_->measureItem(viewport(), font(), it.text, rect).Pictures;
}

void THTMLCheckList::setItemIndex(int index)
{
    setCurrentIndex(itemModel()->item(index) ? rowIndex(index) : QModelIndex());
}

bool THTMLCheckList::Checked(int index) const
{
    const auto* r = itemModel()->recordOf(index);
    return r && r->State == cbChecked && !r->Header;
}

TCheckBoxState THTMLCheckList::State(int index) const
{
    const auto* r = itemModel()->recordOf(index);
    return r ? r->State : cbUnchecked;
}

void THTMLCheckList::setState(int index, TCheckBoxState state)
{
    auto& r = itemModel()->record(index);
    if (r.State == state) return;
    r.State = state;
    itemModel()->recordChanged(index);
    viewport()->repaint(CheckBoxRect(index));
}

bool THTMLCheckList::ItemEnabled(int index) const
{
    const auto* r = itemModel()->recordOf(index);
    return !r || !r->Disabled;
}

void THTMLCheckList::setItemEnabled(int index, bool enabled)
{
    auto& r = itemModel()->record(index);
    if (r.Disabled == !enabled) return;
    r.Disabled = !enabled;
    itemModel()->recordChanged(index);
    repaintItem(index);
}

int THTMLCheckList::Level(int index) const
{
    const auto* r = itemModel()->recordOf(index);
    return r ? r->Level : 0;
}

void THTMLCheckList::setLevel(int index, int level)
{
    auto& r = itemModel()->record(index);
    if (r.Level == level) return;
    r.Level = std::max(0, level);
    itemModel()->recordChanged(index);
    repaintItem(index);
}

bool THTMLCheckList::Header(int index) const
{
    const auto* r = itemModel()->recordOf(index);
    return r && r->Header;
}

void THTMLCheckList::setHeader(int index, bool header)
{
    auto& r = itemModel()->record(index);
    if (r.Header == header) return;
    r.Header = header;
    itemModel()->recordChanged(index);
    repaintItem(index);
}

qintptr THTMLCheckList::ItemData(int index) const
{
    const auto* r = itemModel()->recordOf(index);
    return r ? r->Data : 0;
}

void THTMLCheckList::setItemData(int index, qintptr data) { itemModel()->record(index).Data = data; }

int THTMLCheckList::CheckedCount() const
{
    int n = 0;
    for (int i = 0; i < Count(); ++i)
        if (Checked(i)) ++n;
    return n;
}

QString THTMLCheckList::CheckedItem(int n) const
{
    for (int i = 0; i < Count(); ++i) {
        if (!Checked(i)) continue;
        if (n == 0) return itemText(i);
        --n;
    }
    return {};
}

QString THTMLCheckList::GetTextItem(int index) const
{
    if (!itemModel()->item(index)) throw std::out_of_range("Item index out of range");
    return StripHTMLTags(itemText(index));
}

QRect THTMLCheckList::ItemRect(int index) const
{
    // Items added a moment ago are laid out first.
    const_cast<THTMLCheckList*>(this)->executeDelayedItemsLayout();
    return itemModel()->item(index) ? visualRect(rowIndex(index)) : QRect();
}

int THTMLCheckList::CheckArea(int index) const { return rowLook_->checkArea(Level(index), Header(index)); }

QRect THTMLCheckList::CheckBoxRect(int index) const
{
    const QRect r = ItemRect(index);
    if (r.isEmpty()) return {};
    return rowLook_->checkBoxRect(r, Level(index), Header(index), layoutDirection());
}

QRect THTMLCheckList::textRect(int index, const QRect& itemRect) const
{
    return rowLook_->textRect(itemRect, Level(index), Header(index), layoutDirection());
}

QRect HTMLCheckListDelegate::checkBoxRect(const QRect& r, int level, bool header, Qt::LayoutDirection direction) const
{
    const int area = checkArea(level, header);
    if (direction == Qt::RightToLeft) return QRect(r.right() + 1 - area, r.top(), checkWidth(), r.height());
    return QRect(r.left() + area - checkWidth(), r.top(), checkWidth(), r.height());
}

QRect HTMLCheckListDelegate::textRect(const QRect& itemRect, int level, bool header, Qt::LayoutDirection direction) const
{
    // The item's own rectangle starts after its check area (ends before it, right to left);
    // the markup is laid out 2 pixels in and down from there.
    QRect r = itemRect;
    const int area = checkArea(level, header);
    if (direction == Qt::RightToLeft) r.setRight(r.right() - area);
    else r.setLeft(r.left() + area);
    return r.translated(2, 2);
}

// ---- painting --------------------------------------------------------------------------------

QSize HTMLCheckListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(rowBand(option).width(), rowHeight());
}

void HTMLCheckListDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QWidget* list = option.widget;
    if (!list) return;
    const QRect rect = rowBand(option);
    const int level = index.data(MarkupListModel::LevelRole).toInt();
    const bool header = index.data(MarkupListModel::HeaderRole).toBool();
    const bool itemEnabled = index.data(MarkupListModel::ItemEnabledRole).toBool();
    const bool selected = showSelection_ && (option.state & QStyle::State_Selected);
    // Without ShowSelection no band is painted: the text keeps the list's own colours.
    ItemColors colors{list->palette().color(QPalette::Text), platform::colorToQColor(color_)};
    if (showSelection_) colors = paintBand(*p, rect, selected, true, colors.text);
    if (!header) {
        const Qt::CheckState check = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
        const TCheckBoxState state = check == Qt::Checked ? cbChecked : check == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
        drawCheck(*p, list, checkBoxRect(option.rect, level, header, list->layoutDirection()), state,
                  list->isEnabled() && itemEnabled);
    }
    if (!itemEnabled) colors.text = platform::colorToQColor(platform::clGrayText);

    HTMLItemOptions o = options(selected);
    o.PointX = pointer().x();
    o.PointY = pointer().y();
    const QRect text = textRect(rect, level, header, list->layoutDirection());
    paintMarkup(*p, list->font(), index.data().toString(), text, rect, o, colors);
    if (showSelection_ && (option.state & QStyle::State_HasFocus)) {
        QStyleOptionFocusRect fo;
        fo.initFrom(list);
        fo.rect = rect;
        fo.backgroundColor = colors.background;
        list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fo, p, list);
    }
}

void HTMLCheckListDelegate::drawCheck(QPainter& p, const QWidget* list, const QRect& rect, TCheckBoxState state,
                                      bool enabled) const
{
    const QRect box(rect.left() + (rect.width() - boxSize_.width()) / 2, rect.top() + (rect.height() - boxSize_.width()) / 2,
                    boxSize_.width(), boxSize_.height());
    p.save();
    if (flat_) p.setClipRect(box.adjusted(2, 2, -2, -2));
    QStyleOptionButton opt;
    opt.initFrom(list);
    opt.rect = box;
    opt.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange | QStyle::State_HasFocus |
                   QStyle::State_MouseOver | QStyle::State_Enabled);
    opt.state |= state == cbChecked ? QStyle::State_On : state == cbGrayed ? QStyle::State_NoChange : QStyle::State_Off;
    if (enabled) opt.state |= QStyle::State_Enabled;
    list->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, &p, list);
    if (flat_) {
        p.setClipping(false);
        p.setBrush(Qt::NoBrush);
        p.setPen(platform::colorToQColor(platform::clBtnShadow));
        p.drawRect(QRect(QPoint(box.left() + 1, box.top() + 1), QPoint(box.right() - 1, box.bottom() - 1)));
    }
    p.restore();
}

void THTMLCheckList::repaintItem(int index)
{
    const QRect r = ItemRect(index);
    if (!r.isEmpty()) viewport()->update(QRect(0, r.top(), viewport()->width(), r.height()));
}

// ---- mouse -----------------------------------------------------------------------------------

void THTMLCheckList::toggle(int index)
{
    TCheckBoxState next = cbUnchecked;
    switch (State(index)) {
    case cbUnchecked: next = allowGrayed_ ? cbGrayed : cbChecked; break;
    case cbChecked: next = cbUnchecked; break;
    case cbGrayed: next = cbChecked; break;
    }
    setState(index, next);
    emit CheckClick();
}

void THTMLCheckList::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    rowLook_->setPointer(pos);
    QListView::mousePressEvent(event); // the list's own selection
    emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex mi = indexAt(pos);
    const int index = mi.isValid() ? mi.row() : -1;
    if (index >= 0 && ItemEnabled(index) && !Header(index)) {
        const QRect r = ItemRect(index);
        const int area = CheckArea(index);
        const int indent = Level(index) * CheckWidth();
        const int x = layoutDirection() == Qt::RightToLeft ? r.right() - pos.x() : pos.x() - r.left();
        if (x < area && x >= indent) toggle(index);
    }
    QString anchor;
    int anchorItem = -1;
    AnchorAt(pos.x(), pos.y(), anchor, anchorItem);
    if (anchor.isEmpty()) return;
    clickAnchor(anchor, anchorItem);
}

void THTMLCheckList::AnchorAt(int x, int y, QString& anchor, int& index) const
{
    anchor.clear();
    const QModelIndex mi = indexAt(QPoint(x, y));
    index = mi.isValid() ? mi.row() : -1;
    if (index < 0) return;
    anchor = rowLook_->anchorUnder(viewport(), font(), itemText(index), textRect(index, ItemRect(index)), QPoint(x, y));
}

void THTMLCheckList::mouseMoveEvent(QMouseEvent* event)
{
    QListView::mouseMoveEvent(event);
    rowLook_->setPointer(event->position().toPoint());
    hover_.move(event->position().toPoint(), ItemHint());
}

AnchorHover::List THTMLCheckList::hoverList()
{
    return hoverOf(
        [this](const QPoint& pos) {
            const QModelIndex mi = indexAt(pos);
            return mi.isValid() ? mi.row() : -1;
        },
        [this](int row) {
            // An item's hint shows at its check area's edge.
            const QRect r = ItemRect(row);
            return QPoint(r.left() + CheckArea(row), r.top());
        });
}

void THTMLCheckList::focusOutEvent(QFocusEvent* event)
{
    QListView::focusOutEvent(event);
    hover_.releaseCursor();
}

bool THTMLCheckList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) return rowLook_->hoverToolTip(hover_, static_cast<QHelpEvent*>(event));
    if (event->type() == QEvent::Leave) rowLook_->setPointer(QPoint(-1, -1));
    return QListView::viewportEvent(event);
}

void THTMLCheckList::changeEvent(QEvent* event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) applyTabWidth();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange) viewport()->update();
}

// ---- properties ------------------------------------------------------------------------------

void THTMLCheckList::applyItemHeight()
{
    int height = itemHeight_;
    if (onMeasureItem_) {
        onMeasureItem_(*this, 0, height);
        height = std::clamp(height, 1, 255);
    }
    rowLook_->setRowHeight(height);
    doItemsLayout();
    viewport()->update();
    applyIntegralHeight();
}

void THTMLCheckList::setOnMeasureItem(TMeasureItemEvent handler)
{
    onMeasureItem_ = std::move(handler);
    applyItemHeight();
}

void THTMLCheckList::applyIntegralHeight()
{
    if (!integralHeight_) return;
    const int frame = 2 * frameWidth();
    const int inside = height() - frame;
    const int rows = std::max(1, inside / rowHeight());
    const int wanted = frame + rows * rowHeight();
    if (wanted != height()) resize(width(), wanted);
}

void THTMLCheckList::setIntegralHeight(bool on)
{
    if (on == integralHeight_) return;
    integralHeight_ = on;
    applyIntegralHeight();
}

void THTMLCheckList::resizeEvent(QResizeEvent* event)
{
    MarkupListView::resizeEvent(event);
    applyIntegralHeight();
}

void THTMLCheckList::applyTabWidth()
{
    // Dialog units: four to the font's average character width.
    const int stop = tabWidth_ > 0 ? std::max(1, tabWidth_ * QFontMetrics(font()).averageCharWidth() / 4) : 0;
    rowLook_->setTabStop(stop);
}

void THTMLCheckList::setTabWidth(int width)
{
    tabWidth_ = std::max(0, width);
    applyTabWidth();
}

void THTMLCheckList::setItemHeight(int height)
{
    height = std::clamp(height, 1, 255);
    if (height == itemHeight_) return;
    itemHeight_ = height;
    applyItemHeight();
}

void THTMLCheckList::setDuplicates(bool on)
{
    if (on == duplicates_) return;
    duplicates_ = on;
    if (!on) {
        // Every item whose text an earlier one already has is taken out and kept aside.
        for (int i = 1; i < Count();) {
            const QString text = itemText(i);
            bool earlier = false;
            for (int j = 0; j < i && !earlier; ++j) earlier = itemText(j).compare(text, Qt::CaseInsensitive) == 0;
            if (!earlier) {
                ++i;
                continue;
            }
            hidden_.push_back({text, TSaveObject{Level(i), ItemData(i)}});
            removeItem(i);
        }
    } else {
        auto kept = std::move(hidden_);
        hidden_.clear();
        for (const auto& [text, saved] : kept) {
            const int index = items_.Add(text);
            if (saved.Level != 0) setLevel(index, saved.Level);
            if (saved.Data != 0) setItemData(index, saved.Data);
        }
    }
    pictureCache().dropUnused();
}

void THTMLCheckList::setFlat(bool on)
{
    if (Flat() == on) return;
    rowLook_->setFlat(on);
    viewport()->update();
}

void THTMLCheckList::setSorted(bool on)
{
    sorted_ = on;
    if (on) sortItems();
}

void THTMLCheckList::sortItems()
{
    // Equal texts keep their order; the focused and the selected item stay so where they go.
    std::vector<int> order(static_cast<std::size_t>(Count()));
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return textBefore(itemText(a), itemText(b)); });
    const int caret = ItemIndex();
    int newCaret = -1;
    std::vector<int> picked;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == caret) newCaret = int(i);
        if (Selected(order[i])) picked.push_back(int(i));
    }
    itemModel()->reorder(order);
    if (newCaret >= 0) selectionModel()->setCurrentIndex(rowIndex(newCaret), QItemSelectionModel::NoUpdate);
    for (int i : picked) selectionModel()->select(rowIndex(i), QItemSelectionModel::Select);
}

void THTMLCheckList::lookChanged(MarkupListLook::Change what)
{
    if (what == MarkupListLook::Change::Background) rowLook_->applyBackground(viewport());
    // Items are laid out at the one fixed height when painted: every change is a repaint.
    viewport()->update();
}

} // namespace controls
