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

// ---- items -----------------------------------------------------------------------------------

// ---- the list --------------------------------------------------------------------------------

THTMLCheckList::THTMLCheckList(QWidget* parent) : MarkupListView(parent)
{
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The check box's size as the style draws it.
    QStyleOptionButton opt;
    opt.initFrom(this);
    boxSize_ = QSize(style()->pixelMetric(QStyle::PM_IndicatorWidth, &opt, this),
                     style()->pixelMetric(QStyle::PM_IndicatorHeight, &opt, this));
}

THTMLCheckList::~THTMLCheckList()
{
    // The items go before the cache whose pictures they hold.
    clearItems();
}

const THTMLCheckList::Item* THTMLCheckList::itemAt(int index) const
{
    return index >= 0 && index < Count() ? &entries_[std::size_t(index)] : nullptr;
}

const THTMLCheckListDataWrapper* THTMLCheckList::recordOf(int index) const
{
    const Item* it = itemAt(index);
    return it ? it->rec.get() : nullptr;
}

THTMLCheckListDataWrapper& THTMLCheckList::record(int index)
{
    if (!itemAt(index)) throw std::out_of_range("Item index out of range");
    Item& it = entries_[std::size_t(index)];
    if (!it.rec) it.rec = std::make_unique<THTMLCheckListDataWrapper>();
    return *it.rec;
}

namespace {

// A sorted list orders as the framework's list box does: by the text, ignoring case.
bool textBefore(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; }

} // namespace

void THTMLCheckList::insertItem(int index, const QString& text)
{
    Item it;
    it.text = text;
    measure(it);
    if (sorted_) {
        // A sorted list puts a new item in its place: before the first that does not sort before it.
        index = int(std::lower_bound(entries_.begin(), entries_.end(), text,
                                     [](const Item& e, const QString& t) { return textBefore(e.text, t); }) -
                    entries_.begin());
    }
    rows()->beginInsertRows({}, index, index);
    entries_.insert(entries_.begin() + index, std::move(it));
    rows()->endInsertRows();
}

void THTMLCheckList::removeItem(int index)
{
    rows()->beginRemoveRows({}, index, index);
    entries_.erase(entries_.begin() + index);
    rows()->endRemoveRows();
    cache_.dropUnused();
}

void THTMLCheckList::clearItems()
{
    rows()->beginResetModel();
    entries_.clear();
    rows()->endResetModel();
    cache_.dropUnused();
}

void THTMLCheckList::measure(Item& it)
{
    // Laid out once to find the pictures the item names; they stay while the item does.
    it.pictures = measureItem(viewport(), font(), it.text, QRect(0, 0, std::max(1, viewport()->width()), rowHeight_)).Pictures;
}

void THTMLCheckList::setItemIndex(int index) { setCurrentIndex(itemAt(index) ? rowIndex(index) : QModelIndex()); }

bool THTMLCheckList::Checked(int index) const
{
    const auto* r = recordOf(index);
    return r && r->State == cbChecked && !r->Header;
}

TCheckBoxState THTMLCheckList::State(int index) const
{
    const auto* r = recordOf(index);
    return r ? r->State : cbUnchecked;
}

void THTMLCheckList::setState(int index, TCheckBoxState state)
{
    auto& r = record(index);
    if (r.State == state) return;
    r.State = state;
    viewport()->repaint(CheckBoxRect(index));
}

bool THTMLCheckList::ItemEnabled(int index) const
{
    const auto* r = recordOf(index);
    return !r || !r->Disabled;
}

void THTMLCheckList::setItemEnabled(int index, bool enabled)
{
    auto& r = record(index);
    if (r.Disabled == !enabled) return;
    r.Disabled = !enabled;
    repaintItem(index);
}

int THTMLCheckList::Level(int index) const
{
    const auto* r = recordOf(index);
    return r ? r->Level : 0;
}

void THTMLCheckList::setLevel(int index, int level)
{
    auto& r = record(index);
    if (r.Level == level) return;
    r.Level = std::max(0, level);
    repaintItem(index);
}

bool THTMLCheckList::Header(int index) const
{
    const auto* r = recordOf(index);
    return r && r->Header;
}

void THTMLCheckList::setHeader(int index, bool header)
{
    auto& r = record(index);
    if (r.Header == header) return;
    r.Header = header;
    repaintItem(index);
}

qintptr THTMLCheckList::ItemData(int index) const
{
    const auto* r = recordOf(index);
    return r ? r->Data : 0;
}

void THTMLCheckList::setItemData(int index, qintptr data) { record(index).Data = data; }

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
        if (n == 0) return entries_[std::size_t(i)].text;
        --n;
    }
    return {};
}

QString THTMLCheckList::GetTextItem(int index) const
{
    if (!itemAt(index)) throw std::out_of_range("Item index out of range");
    return StripHTMLTags(entries_[std::size_t(index)].text);
}

QRect THTMLCheckList::ItemRect(int index) const
{
    // Items added a moment ago are laid out first.
    const_cast<THTMLCheckList*>(this)->executeDelayedItemsLayout();
    return itemAt(index) ? visualRect(rowIndex(index)) : QRect();
}

int THTMLCheckList::CheckArea(int index) const
{
    if (Header(index)) return 0;
    return (Level(index) + 1) * CheckWidth();
}

QRect THTMLCheckList::CheckBoxRect(int index) const
{
    const QRect r = ItemRect(index);
    if (r.isEmpty()) return {};
    const int area = CheckArea(index);
    if (layoutDirection() == Qt::RightToLeft) return QRect(r.right() + 1 - area, r.top(), CheckWidth(), r.height());
    return QRect(r.left() + area - CheckWidth(), r.top(), CheckWidth(), r.height());
}

QRect THTMLCheckList::textRect(int index, const QRect& itemRect) const
{
    // The item's own rectangle starts after its check area (ends before it, right to left);
    // the markup is laid out 2 pixels in and down from there.
    QRect r = itemRect;
    const int area = CheckArea(index);
    if (layoutDirection() == Qt::RightToLeft) r.setRight(r.right() - area);
    else r.setLeft(r.left() + area);
    return r.translated(2, 2);
}

// ---- painting --------------------------------------------------------------------------------

void THTMLCheckList::paintRow(QPainter& p, int index, const QRect& rect)
{
    const Item* it = itemAt(index);
    if (!it) return;
    const bool selected = showSelection_ && Selected(index);
    const QRect band(0, rect.top(), viewport()->width(), rect.height());
    // Without ShowSelection no band is painted: the text keeps the list's own colours.
    ItemColors colors{palette().color(QPalette::Text), platform::colorToQColor(color_)};
    if (showSelection_) colors = paintBand(p, band, selected, true, colors.text);
    const bool enabled = isEnabled() && ItemEnabled(index);
    if (!Header(index)) drawCheck(p, CheckBoxRect(index), State(index), enabled);
    if (!ItemEnabled(index)) colors.text = platform::colorToQColor(platform::clGrayText);

    HTMLItemOptions o = options(selected);
    o.PointX = mousePos_.x();
    o.PointY = mousePos_.y();
    paintMarkup(p, font(), it->text, textRect(index, rect), rect, o, colors);
    if (showSelection_ && index == ItemIndex() && hasFocus()) {
        QStyleOptionFocusRect fo;
        fo.initFrom(this);
        fo.rect = band;
        fo.backgroundColor = colors.background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fo, &p, this);
    }
}

void THTMLCheckList::drawCheck(QPainter& p, const QRect& rect, TCheckBoxState state, bool enabled) const
{
    const QRect box(rect.left() + (rect.width() - boxSize_.width()) / 2, rect.top() + (rect.height() - boxSize_.width()) / 2,
                    boxSize_.width(), boxSize_.height());
    p.save();
    if (flat_) p.setClipRect(box.adjusted(2, 2, -2, -2));
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.rect = box;
    opt.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange | QStyle::State_HasFocus |
                   QStyle::State_MouseOver | QStyle::State_Enabled);
    opt.state |= state == cbChecked ? QStyle::State_On : state == cbGrayed ? QStyle::State_NoChange : QStyle::State_Off;
    if (enabled) opt.state |= QStyle::State_Enabled;
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, &p, this);
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
    mousePos_ = pos;
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
    anchor = anchorUnder(viewport(), font(), entries_[std::size_t(index)].text, textRect(index, ItemRect(index)), QPoint(x, y));
}

void THTMLCheckList::mouseMoveEvent(QMouseEvent* event)
{
    QListView::mouseMoveEvent(event);
    mousePos_ = event->position().toPoint();
    hover_.move(mousePos_, itemHint_);
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
    if (event->type() == QEvent::ToolTip) return hoverToolTip(hover_, static_cast<QHelpEvent*>(event));
    if (event->type() == QEvent::Leave) mousePos_ = QPoint(-1, -1);
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
    rowHeight_ = height;
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
    const int rows = std::max(1, inside / rowHeight_);
    const int wanted = frame + rows * rowHeight_;
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
    if (stop == tabStop_) return;
    tabStop_ = stop;
    viewport()->update();
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
            const QString text = entries_[std::size_t(i)].text;
            bool earlier = false;
            for (int j = 0; j < i && !earlier; ++j) earlier = entries_[std::size_t(j)].text.compare(text, Qt::CaseInsensitive) == 0;
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
    cache_.dropUnused();
}

void THTMLCheckList::setFlat(bool on)
{
    if (flat_ == on) return;
    flat_ = on;
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
    std::vector<int> order(entries_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return textBefore(entries_[std::size_t(a)].text, entries_[std::size_t(b)].text); });
    const int caret = ItemIndex();
    std::vector<Item> sorted;
    sorted.reserve(entries_.size());
    int newCaret = -1;
    std::vector<int> picked;
    for (int i : order) {
        if (i == caret) newCaret = int(sorted.size());
        if (Selected(i)) picked.push_back(int(sorted.size()));
        sorted.push_back(std::move(entries_[std::size_t(i)]));
    }
    rows()->beginResetModel();
    entries_ = std::move(sorted);
    rows()->endResetModel();
    if (newCaret >= 0) selectionModel()->setCurrentIndex(rowIndex(newCaret), QItemSelectionModel::NoUpdate);
    for (int i : picked) selectionModel()->select(rowIndex(i), QItemSelectionModel::Select);
}

void THTMLCheckList::lookChanged(Change what)
{
    if (what == Change::Background) applyBackground(viewport());
    // Items are laid out at the one fixed height when painted: every change is a repaint.
    viewport()->update();
}

} // namespace controls
