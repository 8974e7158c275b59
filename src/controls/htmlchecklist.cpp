#include "htmlchecklist.h"

#include "platform/colors.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace controls {

// An item of the list: its text is the markup; the record and the pictures its markup names
// live and die with it.
class THTMLCheckList::Item : public QListWidgetItem {
public:
    explicit Item(const QString& text) : QListWidgetItem(text, nullptr, QListWidgetItem::UserType) {}
    std::unique_ptr<THTMLCheckListDataWrapper> rec;
    std::vector<PicturePtr> pictures;

    // A sorted list orders as the framework's list box does: by the text, ignoring case.
    bool operator<(const QListWidgetItem& other) const override
    {
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

// Hands the painting of every item to the list, at the one fixed height.
class CheckListDelegate : public QAbstractItemDelegate {
public:
    explicit CheckListDelegate(THTMLCheckList* list) : QAbstractItemDelegate(list), list_(list) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        list_->paintItem(*p, option.rect, index.row());
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(list_->viewport()->width(), list_->ItemHeight());
    }

private:
    THTMLCheckList* list_;
};

// ---- items -----------------------------------------------------------------------------------

int THTMLCheckListItems::Count() const { return list_->count(); }

QString THTMLCheckListItems::Strings(int index) const
{
    const QListWidgetItem* it = list_->item(index);
    return it ? it->text() : QString();
}

void THTMLCheckListItems::insertAt(int index, const QString& text) { list_->insertItem(index, text); }

void THTMLCheckListItems::removeAt(int index)
{
    delete list_->takeItem(index);
    list_->cache_.dropUnused();
}

void THTMLCheckListItems::Clear()
{
    list_->clear();
    list_->cache_.dropUnused();
}

// ---- the list --------------------------------------------------------------------------------

THTMLCheckList::THTMLCheckList(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new CheckListDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    // The check box's size as the style draws it.
    QStyleOptionButton opt;
    opt.initFrom(this);
    boxSize_ = QSize(style()->pixelMetric(QStyle::PM_IndicatorWidth, &opt, this),
                     style()->pixelMetric(QStyle::PM_IndicatorHeight, &opt, this));
    lookChanged(Change::Background);
}

THTMLCheckList::~THTMLCheckList()
{
    // The items go before the cache whose pictures they hold.
    clear();
}

THTMLCheckList::Item* THTMLCheckList::itemAt(int index) const { return static_cast<Item*>(item(index)); }

const THTMLCheckListDataWrapper* THTMLCheckList::recordOf(int index) const
{
    const Item* it = itemAt(index);
    return it ? it->rec.get() : nullptr;
}

THTMLCheckListDataWrapper& THTMLCheckList::record(int index)
{
    Item* it = itemAt(index);
    if (!it) throw std::out_of_range("Item index out of range");
    if (!it->rec) it->rec = std::make_unique<THTMLCheckListDataWrapper>();
    return *it->rec;
}

void THTMLCheckList::insertItem(int index, const QString& text)
{
    auto* it = new Item(text);
    measure(it);
    QListWidget::insertItem(index, it);
}

void THTMLCheckList::measure(Item* it)
{
    // Laid out once to find the pictures the item names; they stay while the item does.
    it->pictures = measureItem(viewport(), font(), it->text(), QRect(0, 0, std::max(1, viewport()->width()), itemHeight_)).Pictures;
}

bool THTMLCheckList::Selected(int index) const
{
    const QListWidgetItem* it = item(index);
    return it && it->isSelected();
}

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
    for (int i = 0; i < count(); ++i)
        if (Checked(i)) ++n;
    return n;
}

QString THTMLCheckList::CheckedItem(int n) const
{
    for (int i = 0; i < count(); ++i) {
        if (!Checked(i)) continue;
        if (n == 0) return item(i)->text();
        --n;
    }
    return {};
}

QString THTMLCheckList::GetTextItem(int index) const
{
    if (index < 0 || index >= count()) throw std::out_of_range("Item index out of range");
    return StripHTMLTags(item(index)->text());
}

QRect THTMLCheckList::ItemRect(int index) const
{
    // Items added a moment ago are laid out first.
    const_cast<THTMLCheckList*>(this)->executeDelayedItemsLayout();
    return visualItemRect(item(index));
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

void THTMLCheckList::paintItem(QPainter& p, const QRect& rect, int index) const
{
    const QListWidgetItem* it = item(index);
    if (!it) return;
    const bool selected = it->isSelected() && showSelection_;
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
    paintMarkup(p, font(), it->text(), textRect(index, rect), rect, o, colors);
    if (showSelection_ && index == currentRow() && hasFocus()) {
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
    QListWidget::mousePressEvent(event); // the list's own selection
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
    followAnchor(anchor, [&] { emit AnchorClick(this, anchorItem, anchor); });
}

void THTMLCheckList::AnchorAt(int x, int y, QString& anchor, int& index) const
{
    anchor.clear();
    const QModelIndex mi = indexAt(QPoint(x, y));
    index = mi.isValid() ? mi.row() : -1;
    if (index < 0) return;
    anchor = anchorUnder(viewport(), font(), item(index)->text(), textRect(index, ItemRect(index)), QPoint(x, y));
}

void THTMLCheckList::mouseMoveEvent(QMouseEvent* event)
{
    QListWidget::mouseMoveEvent(event);
    mousePos_ = event->position().toPoint();
    hover_.move(mousePos_, itemHint_);
}

AnchorHover::List THTMLCheckList::hoverList()
{
    return hoverOf(
        this,
        [this](const QPoint& pos) {
            const QModelIndex mi = indexAt(pos);
            return mi.isValid() ? mi.row() : -1;
        },
        [this](int row) { return item(row)->text(); },
        [this](int row) {
            // An item's hint shows at its check area's edge.
            const QRect r = ItemRect(row);
            return QPoint(r.left() + CheckArea(row), r.top());
        });
}

void THTMLCheckList::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    hover_.releaseCursor();
}

bool THTMLCheckList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) return hoverToolTip(hover_, static_cast<QHelpEvent*>(event));
    if (event->type() == QEvent::Leave) mousePos_ = QPoint(-1, -1);
    return QListWidget::viewportEvent(event);
}

void THTMLCheckList::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange) viewport()->update();
}

// ---- properties ------------------------------------------------------------------------------

void THTMLCheckList::applyItemHeight()
{
    doItemsLayout();
    viewport()->update();
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
        for (int i = 1; i < count();) {
            const QString text = item(i)->text();
            bool earlier = false;
            for (int j = 0; j < i && !earlier; ++j) earlier = item(j)->text().compare(text, Qt::CaseInsensitive) == 0;
            if (!earlier) {
                ++i;
                continue;
            }
            hidden_.push_back({text, TSaveObject{Level(i), ItemData(i)}});
            delete takeItem(i);
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
    setSortingEnabled(on);
    if (on) sortItems();
}

void THTMLCheckList::lookChanged(Change what)
{
    if (what == Change::Background) applyBackground(viewport());
    // Items are laid out at the one fixed height when painted: every change is a repaint.
    viewport()->update();
}

} // namespace controls
