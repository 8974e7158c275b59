#include "htmlistbox.h"

#include "virtualkeys.h"

#include <QApplication>
#include <QCollator>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace controls {

namespace {

constexpr int kScrollWidth = 4096;
constexpr int kMaxRowHeight = 251;

} // namespace

// The one drag that runs at a time: begun by a list when the mouse moves past the threshold
// with the button down, carried to the list under the mouse, ended by the release.
class ListDrag {
public:
    static ListDrag& instance()
    {
        static ListDrag d;
        return d;
    }
    bool active() const { return source_ != nullptr; }
    THTMListBox* source() const { return source_; }

    void begin(THTMListBox* source)
    {
        source_ = source;
        target_ = nullptr;
        accepted_ = false;
        emit source->StartDrag();
        QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
        cursorSet_ = true;
    }

    void move(const QPoint& global)
    {
        if (!source_) return;
        THTMListBox* under = listAt(global);
        if (under != target_) {
            if (target_) {
                bool accept = false;
                const QPoint p = target_->viewport()->mapFromGlobal(global);
                emit target_->DragOver(source_, p.x(), p.y(), dsDragLeave, accept);
            }
            target_ = under;
            state_ = dsDragEnter;
        } else {
            state_ = dsDragMove;
        }
        accepted_ = false;
        if (target_) {
            const QPoint p = target_->viewport()->mapFromGlobal(global);
            bool accept = target_->isSignalConnected(QMetaMethod::fromSignal(&THTMListBox::DragOver));
            emit target_->DragOver(source_, p.x(), p.y(), state_, accept);
            accepted_ = accept;
        }
        QGuiApplication::changeOverrideCursor(accepted_ ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    }

    void drop(const QPoint& global)
    {
        if (!source_) return;
        move(global);
        // Either list may be changed or even deleted by the handlers.
        QPointer<THTMListBox> source = source_;
        QPointer<THTMListBox> target = accepted_ ? target_ : nullptr;
        finish();
        if (!source) return;
        QPoint p = source->viewport()->mapFromGlobal(global);
        if (target) {
            p = target->viewport()->mapFromGlobal(global);
            emit target->DragDrop(source, p.x(), p.y());
        }
        if (source) emit source->EndDrag(target.data(), p.x(), p.y());
    }

    void cancel()
    {
        if (!source_) return;
        THTMListBox* source = source_;
        if (target_) {
            bool accept = false;
            emit target_->DragOver(source, -1, -1, dsDragLeave, accept);
        }
        finish();
        emit source->EndDrag(nullptr, 0, 0);
    }

    void forget(THTMListBox* box)
    {
        if (target_ == box) target_ = nullptr;
        if (source_ == box) finish();
    }

private:
    void finish()
    {
        source_ = nullptr;
        target_ = nullptr;
        if (cursorSet_) QGuiApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }

    static THTMListBox* listOf(QWidget* w)
    {
        for (; w; w = w->parentWidget())
            if (auto* box = qobject_cast<THTMListBox*>(w)) return box;
        return nullptr;
    }

    static THTMListBox* listAt(const QPoint& global)
    {
        if (auto* box = listOf(QApplication::widgetAt(global))) return box;
        // Some platforms (the offscreen one) cannot tell which window lies under a point;
        // look through the visible windows, the most recently shown first.
        const auto tops = QApplication::topLevelWidgets();
        for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
            QWidget* top = *it;
            if (!top->isVisible()) continue;
            const QPoint local = top->mapFromGlobal(global);
            if (!top->rect().contains(local)) continue;
            QWidget* child = top->childAt(local);
            if (auto* box = listOf(child ? child : top)) return box;
        }
        return nullptr;
    }

    THTMListBox* source_ = nullptr;
    THTMListBox* target_ = nullptr;
    TDragState state_ = dsDragEnter;
    bool accepted_ = false;
    bool cursorSet_ = false;
};

// ---- items -----------------------------------------------------------------------------------

THTMListItems::THTMListItems(THTMListBox* box) : MarkupListItems(box), box_(box) {}

void THTMListItems::setStrings(int index, const QString& text)
{
    auto* row = box_->itemModel()->item(index);
    if (!row) return;
    row->text = text;
    box_->measureRow(*row);
    box_->itemModel()->itemChanged(index);
    box_->dropUnusedPictures();
    box_->updateScrollBars();
    box_->viewport()->update();
}

void THTMListItems::Move(int curIndex, int newIndex)
{
    const int n = Count();
    if (curIndex == newIndex || curIndex < 0 || curIndex >= n || newIndex < 0 || newIndex >= n) return;
    // The moved item keeps its selection; the focused item stays where it was unless it is the
    // one that moved.
    const int caret = box_->ItemIndex();
    box_->itemModel()->move(curIndex, newIndex);
    box_->setCurrent(caret == curIndex ? newIndex : caret);
    box_->viewport()->update();
}

int THTMListItems::IndexOf(const QString& text) const
{
    for (int i = 0; i < Count(); ++i)
        if (box_->itemText(i).compare(text, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void THTMListItems::BeginUpdate() { box_->setUpdatesEnabled(false); }
void THTMListItems::EndUpdate() { box_->setUpdatesEnabled(true); }

// ---- the list ----------------------------------------------------------------------------------

THTMListBox::THTMListBox(QWidget* parent)
    : MarkupListView(new HTMListBoxDelegate, parent), rowLook_(static_cast<HTMListBoxDelegate*>(itemDelegate()))
{
    // The selection model keeps what is selected and focused; the list's own mouse and key
    // handling decides it, as the list box it stands for does.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAutoScroll(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(1);
    blink_.setInterval(100);
    connect(&blink_, &QTimer::timeout, this, &THTMListBox::blinkTimer);
}

THTMListBox::~THTMListBox()
{
    ListDrag::instance().forget(this);
    blink_.stop();
    itemModel()->clear();
}

int HTMListBoxDelegate::layoutWidth(const QAbstractScrollArea& list) const
{
    if (scrollHorizontal_) return kScrollWidth;
    // Items stay clear of the vertical scroll bar, or 4 pixels short of the edge without one.
    return std::max(1, list.viewport()->width() - (list.verticalScrollBar()->isVisible() ? 0 : 4));
}

QRect HTMListBoxDelegate::layoutRect(const QAbstractScrollArea& list, const QRect& itemRect) const
{
    const int scroll = scrollHorizontal_ ? list.horizontalScrollBar()->value() : 0;
    return QRect(itemRect.left() + 2 - scroll, itemRect.top(), layoutWidth(list), itemRect.height());
}

QSize HTMListBoxDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const QSize extent = index.data(MarkupListModel::ExtentRole).toSize();
    return QSize(scrollHorizontal_ ? extent.width() : 0, extent.height());
}

void HTMListBoxDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* list = qobject_cast<const QAbstractScrollArea*>(option.widget);
    if (!list) return;
    const QRect rect = rowBand(option);
    const bool selected = showSelection_ && (option.state & QStyle::State_Selected);
    const ItemColors colors = paintBand(*p, rect, selected, false, list->palette().color(QPalette::Text));
    HTMLItemOptions o = options(selected);
    // The layout rectangle already carries the 2-pixel shift, so the mouse's client point is
    // the hit point, as in AnchorAt: the image under the mouse is the one hit-tested there.
    o.PointX = pointer().x();
    o.PointY = pointer().y();
    o.BlinkOn = !blinkOff_;
    const QRect lr = layoutRect(*list, rect);
    paintMarkup(*p, list->font(), index.data().toString(), lr, rect, o, colors);
    if (showSelection_ && (option.state & QStyle::State_HasFocus)) {
        p->save();
        p->setPen(QPen(platform::colorToQColor(platform::clGray), 1));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRect(lr.left() - 2, rect.top(), rect.width(), rect.height()).adjusted(0, 0, -1, -1));
        p->restore();
    }
}

void THTMListBox::measureRow(MarkupListModel::Item& row)
{
    const int clientHeight = viewport()->height();
    HTMLItemResult res = rowLook_->measureItem(viewport(), font(), row.text,
                                               QRect(2, 0, rowLook_->layoutWidth(*this), std::max(1, clientHeight)));
    row.height = std::min({res.ExtentY, std::max(0, clientHeight), kMaxRowHeight}) + 4;
    row.width = res.ExtentX + 6;
    row.pictures = std::move(res.Pictures);
    if (ScrollHorizontal() && row.width > maxWidth_) {
        maxWidth_ = row.width;
        UpdateHorizontalExtent(maxWidth_);
    }
}

int THTMListBox::insertItem(int index, const QString& text)
{
    MarkupListModel::Item row;
    row.text = text;
    measureRow(row);
    itemModel()->insert(index, std::move(row));
    autoRemeasures_ = 0;
    if (anchorRow_ >= index) ++anchorRow_;
    // A row more only widens the scroll range: the view lays the rows out once, when next
    // asked, rather than at every item of a long fill.
    scheduleDelayedItemsLayout();
    viewport()->update();
    return index;
}

void THTMListBox::removeItem(int index)
{
    const bool wasCaret = ItemIndex() == index;
    itemModel()->remove(index);
    // The focus moves to the item that took the removed one's place (none in a single-select list).
    if (wasCaret) setCurrent(multiSelect_ ? std::min(index, Count() - 1) : -1);
    if (anchorRow_ >= Count()) anchorRow_ = Count() - 1;
    if (hover_.lastHintItem() >= Count()) hover_.forgetHintItem();
    dropUnusedPictures();
    updateScrollBars();
    if (ScrollHorizontal() && !extentReentry_) UpdateHorizontalExtent(0);
    viewport()->update();
}

void THTMListBox::clearItems()
{
    itemModel()->clear();
    anchorRow_ = -1;
    hover_.forgetHintItem();
    dropUnusedPictures();
    updateScrollBars();
    if (ScrollHorizontal() && !extentReentry_) UpdateHorizontalExtent(0);
    viewport()->update();
}

void THTMListBox::dropUnusedPictures() { rowLook_->pictureCache().dropUnused(); }

int THTMListBox::measuredHeight(int index) const
{
    const auto* row = itemModel()->item(index);
    return row ? row->height : 0;
}

void THTMListBox::RemeasureItems()
{
    ++updating_;
    for (int i = 0; i < Count(); ++i) measureRow(*itemModel()->item(i));
    --updating_;
    itemModel()->extentsChanged();
    dropUnusedPictures();
    maxWidth_ = GetMaxItemWidth();
    lastViewport_ = viewport()->size();
    updateScrollBars();
    viewport()->update();
}

void THTMListBox::scheduleRemeasure()
{
    if (remeasurePending_) return;
    remeasurePending_ = true;
    QMetaObject::invokeMethod(this, [this] {
        remeasurePending_ = false;
        // A scroll bar that comes and goes with the new heights must not keep the list
        // measuring for ever: a few rounds, then the list waits for the next change.
        if (viewport()->size() != lastViewport_ && !updating_ && ++autoRemeasures_ <= 4) RemeasureItems();
    }, Qt::QueuedConnection);
}

int THTMListBox::GetMaxItemWidth() const
{
    int widest = 0;
    for (int i = 0; i < Count(); ++i) widest = std::max(widest, itemModel()->item(i)->width);
    return widest;
}

void THTMListBox::UpdateHorizontalExtent(int width)
{
    if (extentReentry_) return;
    ++extentReentry_;
    QScrollBar* bar = horizontalScrollBar();
    if (Count() == 0 || !ScrollHorizontal()) {
        bar->setRange(0, 0);
        bar->setValue(0);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    } else {
        if (width <= 0) width = GetMaxItemWidth();
        if (viewport()->width() < width) {
            setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            bar->setRange(0, width - viewport()->width());
            bar->setPageStep(viewport()->width());
        } else {
            bar->setRange(0, 0);
            bar->setValue(0);
            setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        }
    }
    --extentReentry_;
}

void THTMListBox::updateScrollBars()
{
    // The view lays the rows out again at their measured heights; that sets the scroll range.
    if (!updating_) doItemsLayout();
}

int THTMListBox::TopIndex() const { return verticalScrollBar()->value(); }

void THTMListBox::setTopIndex(int index)
{
    // Rows scroll by whole items: the scroll position is the top item.
    executeDelayedItemsLayout();
    if (index == TopIndex()) return;
    verticalScrollBar()->setValue(std::max(0, index));
    viewport()->update();
}

QRect THTMListBox::ItemRect(int index) const
{
    if (index < 0 || index >= Count()) return {};
    const int top = TopIndex();
    int y = 0;
    if (index >= top) {
        for (int i = top; i < index; ++i) y += measuredHeight(i);
    } else {
        for (int i = index; i < top; ++i) y -= measuredHeight(i);
    }
    return QRect(0, y, viewport()->width(), measuredHeight(index));
}

int THTMListBox::ItemAtPos(const QPoint& pos, bool existing) const
{
    if (pos.x() >= 0 && pos.x() < viewport()->width() && pos.y() >= 0) {
        int y = 0;
        for (int i = TopIndex(); i < Count(); ++i) {
            const int h = measuredHeight(i);
            if (pos.y() < y + h) return i;
            y += h;
            if (y > viewport()->height()) break;
        }
    }
    return existing ? -1 : Count();
}

void THTMListBox::ensureVisible(int index)
{
    if (index < 0 || index >= Count()) return;
    if (index < TopIndex()) {
        setTopIndex(index);
        return;
    }
    int y = 0;
    for (int i = TopIndex(); i <= index; ++i) y += measuredHeight(i);
    int top = TopIndex();
    while (y > viewport()->height() && top < index) {
        y -= measuredHeight(top);
        ++top;
    }
    setTopIndex(top);
}

// ---- selection -------------------------------------------------------------------------------

void THTMListBox::setMultiSelect(bool on)
{
    multiSelect_ = on;
    if (!on) {
        const int caret = ItemIndex();
        selectionModel()->clearSelection();
        if (caret >= 0) selectionModel()->select(rowIndex(caret), QItemSelectionModel::Select);
    }
    viewport()->update();
}

void THTMListBox::setSelected(int index, bool selected)
{
    if (index < 0 || index >= Count()) return;
    if (!multiSelect_) {
        if (selected) selectOnly(index);
        else if (Selected(index)) {
            selectionModel()->select(rowIndex(index), QItemSelectionModel::Deselect);
            setCurrent(-1);
        }
    } else {
        selectionModel()->select(rowIndex(index), selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    }
    viewport()->update();
}

int THTMListBox::SelCount() const
{
    if (!multiSelect_) return -1;
    return int(selectionModel()->selectedRows().size());
}

void THTMListBox::ClearSelection()
{
    selectionModel()->clearSelection();
    if (!multiSelect_) setCurrent(-1);
    viewport()->update();
}

void THTMListBox::SelectAll()
{
    if (!multiSelect_ || Count() == 0) return;
    selectionModel()->select(QItemSelection(rowIndex(0), rowIndex(Count() - 1)), QItemSelectionModel::Select);
    viewport()->update();
}

void THTMListBox::setItemIndex(int index)
{
    if (index < -1 || index >= Count()) index = -1;
    if (multiSelect_) {
        setCaret(index);
    } else if (index < 0) {
        ClearSelection();
    } else {
        selectOnly(index);
    }
    viewport()->update();
}

void THTMListBox::setCurrent(int index)
{
    selectionModel()->setCurrentIndex(index >= 0 && index < Count() ? rowIndex(index) : QModelIndex(),
                                      QItemSelectionModel::NoUpdate);
}

void THTMListBox::setCaret(int index)
{
    setCurrent(index);
    if (index >= 0) ensureVisible(index);
    viewport()->update();
}

void THTMListBox::selectOnly(int index)
{
    if (index >= 0 && index < Count()) selectionModel()->select(rowIndex(index), QItemSelectionModel::ClearAndSelect);
    else selectionModel()->clearSelection();
    anchorRow_ = index;
    setCaret(index);
}

void THTMListBox::selectRange(int from, int to, bool keepOthers)
{
    if (from < 0) from = to;
    const int first = std::clamp(std::min(from, to), 0, Count() - 1), last = std::clamp(std::max(from, to), 0, Count() - 1);
    const QItemSelection range(rowIndex(first), rowIndex(last));
    selectionModel()->select(range, keepOthers ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
    setCaret(to);
}

// ---- properties ------------------------------------------------------------------------------

void THTMListBox::setItemHeight(int height)
{
    itemHeight_ = std::clamp(height, 1, 255);
}

void THTMListBox::setEnableBlink(bool on)
{
    enableBlink_ = on;
    if (on) {
        if (!blink_.isActive()) blink_.start();
    } else {
        blink_.stop();
        blinkPhase_ = false;
        rowLook_->setBlinkOff(false);
        viewport()->update();
    }
}

void THTMListBox::setMultiline(bool on)
{
    multiline_ = on;
    RemeasureItems();
}

void THTMListBox::setScrollHorizontal(bool on)
{
    if (ScrollHorizontal() == on) return;
    rowLook_->setScrollHorizontal(on);
    RemeasureItems();
    UpdateHorizontalExtent(0);
}

void THTMListBox::lookChanged(MarkupListLook::Change what)
{
    // Images, pictures and line spacing change the items' heights.
    if (what == MarkupListLook::Change::Layout) return RemeasureItems();
    if (what == MarkupListLook::Change::Background) rowLook_->applyBackground(viewport());
    viewport()->update();
}

void THTMListBox::setSorted(bool on)
{
    sorted_ = on;
    if (on) Sort();
}

void THTMListBox::Sort()
{
    if (Count() < 2) return;
    QCollator collator(sortLocale_);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    collator.setNumericMode(false);
    std::vector<std::pair<QString, std::size_t>> keys;
    keys.reserve(std::size_t(Count()));
    for (int i = 0; i < Count(); ++i)
        keys.emplace_back(sortWithHTML_ ? itemText(i) : StripHTMLTags(itemText(i)), std::size_t(i));
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    // The items keep their selection and the focused item stays focused where it went.
    std::vector<int> order;
    order.reserve(keys.size());
    std::vector<int> picked;
    const int wasCaret = ItemIndex(), top = TopIndex();
    int caret = -1;
    for (const auto& k : keys) {
        if (int(k.second) == wasCaret) caret = int(order.size());
        if (Selected(int(k.second))) picked.push_back(int(order.size()));
        order.push_back(int(k.second));
    }
    itemModel()->reorder(order);
    updateScrollBars();
    QItemSelection selection;
    for (int i : picked) selection.select(rowIndex(i), rowIndex(i));
    selectionModel()->select(selection, QItemSelectionModel::Select);
    setCurrent(caret);
    setTopIndex(top);
    viewport()->update();
}

// ---- text, anchors ---------------------------------------------------------------------------

QString THTMListBox::GetTextItem(int index) const
{
    if (index < 0 || index >= Count()) throw EHTMListBoxError("Item index out of range");
    return StripHTMLTags(itemText(index));
}

void THTMListBox::AnchorAt(int x, int y, QString& anchor, int& index) const
{
    anchor.clear();
    index = ItemAtPos(QPoint(x, y), true);
    if (index < 0) return;
    anchor = rowLook_->anchorUnder(viewport(), font(), itemText(index), layoutRect(ItemRect(index)), QPoint(x, y));
}

bool THTMListBox::Dragging() const { return ListDrag::instance().source() == this; }

// ---- painting --------------------------------------------------------------------------------

void THTMListBox::paintEvent(QPaintEvent* event)
{
    const int reloads = pictureCache().reloads();
    executeDelayedItemsLayout();
    QListView::paintEvent(event);
    // A thumbnail made anew while the list showed it may have another size.
    if (pictureCache().reloads() != reloads) QMetaObject::invokeMethod(this, &THTMListBox::RemeasureItems, Qt::QueuedConnection);
}

void THTMListBox::resizeEvent(QResizeEvent* event)
{
    autoRemeasures_ = 0;
    QListView::resizeEvent(event);
    // Rows are measured against the client area (its width and, for the tallest, its
    // height), so every change of size measures them again.
    if (!updating_ && viewport()->size() != lastViewport_) {
        if (!isVisible()) RemeasureItems();
        else scheduleRemeasure();
    }
    updateScrollBars();
    if (ScrollHorizontal()) UpdateHorizontalExtent(0);
}

bool THTMListBox::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (!updating_ && viewport()->size() != lastViewport_) scheduleRemeasure();
        break;
    case QEvent::ToolTip:
        return rowLook_->hoverToolTip(hover_, static_cast<QHelpEvent*>(event));
    case QEvent::Leave:
        rowLook_->setPointer(QPoint(-1, -1));
        break;
    default:
        break;
    }
    return QListView::viewportEvent(event);
}

void THTMListBox::changeEvent(QEvent* event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) RemeasureItems();
}

void THTMListBox::blinkTimer()
{
    if (Count() == 0) return;
    TPictureContainer* container = PictureContainer();
    if (pictureCache().AnimateAll() | (container && container->Items.AnimateAll())) viewport()->update();
    if (++ticks_ % 5 == 0) {
        blinkPhase_ = !blinkPhase_;
        rowLook_->setBlinkOff(enableBlink_ && blinkPhase_);
        viewport()->update();
    }
}

// ---- mouse -----------------------------------------------------------------------------------

void THTMListBox::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    rowLook_->setPointer(pos);
    if (event->button() != Qt::LeftButton) {
        emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int row = ItemAtPos(pos, true);
    QString anchor;
    int anchorItem = -1;
    AnchorAt(pos.x(), pos.y(), anchor, anchorItem);

    // The list's own selection.
    collapseOnRelease_ = -1;
    toggleOnRelease_ = -1;
    if (row >= 0) {
        const Qt::KeyboardModifiers mods = event->modifiers();
        if (!multiSelect_) {
            selectOnly(row);
        } else if (mods & Qt::ShiftModifier) {
            selectRange(anchorRow_, row, mods & Qt::ControlModifier);
        } else if (mods & Qt::ControlModifier) {
            // Ctrl on a selected item: it may be the start of a drag of the selection, so it is
            // deselected only when released without one.
            if (Selected(row)) toggleOnRelease_ = row;
            else selectionModel()->select(rowIndex(row), QItemSelectionModel::Select);
            anchorRow_ = row;
            setCaret(row);
        } else if (Selected(row) && SelCount() > 1) {
            // Pressing on a selected item keeps the selection, so that it can be dragged;
            // a release without a drag leaves that item alone selected.
            collapseOnRelease_ = row;
            setCaret(row);
        } else {
            selectOnly(row);
        }
        viewport()->update();
    }
    pressed_ = true;
    pressPos_ = pos;
    pressRow_ = row;

    if (!anchor.isEmpty()) {
        clickAnchor(anchor, anchorItem);
        return;
    }
    emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void THTMListBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    rowLook_->setPointer(pos);
    ListDrag& drag = ListDrag::instance();
    if (pressed_ && (event->buttons() & Qt::LeftButton)) {
        if (!drag.active() && (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
            collapseOnRelease_ = -1;
            toggleOnRelease_ = -1;
            drag.begin(this);
        }
        if (drag.source() == this) {
            drag.move(event->globalPosition().toPoint());
            return;
        }
    }
    emit MouseMove(event->modifiers(), pos.x(), pos.y());
    hover_.move(pos, ItemHint());
}

void THTMListBox::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    ListDrag& drag = ListDrag::instance();
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (event->button() == Qt::LeftButton && drag.source() == this) {
        drag.drop(event->globalPosition().toPoint());
        return;
    }
    if (collapseOnRelease_ >= 0 && collapseOnRelease_ < Count()) selectOnly(collapseOnRelease_);
    if (toggleOnRelease_ >= 0 && toggleOnRelease_ < Count()) {
        selectionModel()->select(rowIndex(toggleOnRelease_), QItemSelectionModel::Deselect);
        viewport()->update();
    }
    collapseOnRelease_ = toggleOnRelease_ = -1;
    emit MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
    if (event->button() == Qt::LeftButton && wasPressed && pressRow_ >= 0) emit Click();
}

void THTMListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click selects as a press does, then reports the double click.
    mousePressEvent(event);
    emit DblClick();
}

AnchorHover::List THTMListBox::hoverList()
{
    return hoverOf([this](const QPoint& pos) { return ItemAtPos(pos, true); },
                   [this](int row) { return QPoint(0, ItemRect(row).top()); });
}

// ---- keys ------------------------------------------------------------------------------------

void THTMListBox::keyPressEvent(QKeyEvent* event)
{
    int key = virtualKeyOf(event);
    if (key == vk::Escape && ListDrag::instance().source() == this) {
        pressed_ = false;
        ListDrag::instance().cancel();
        return;
    }
    emit KeyDown(key, event->modifiers());
    if (key == 0) {
        event->ignore();
        return;
    }
    incrementalLookup(key);
    if (key >= vk::Prior && key <= vk::Down) navigate(key, event->modifiers());
}

void THTMListBox::keyReleaseEvent(QKeyEvent* event)
{
    int key = virtualKeyOf(event);
    emit KeyUp(key, event->modifiers());
}

void THTMListBox::focusInEvent(QFocusEvent* event)
{
    prefix_.clear();
    // Past the item view's own handling, which would focus the first item: a list that gains
    // the focus keeps no focused item until one is chosen.
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void THTMListBox::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

int THTMListBox::findPrefix(int from) const
{
    const QString wanted = prefix_.toUpper();
    for (int i = std::max(0, from); i < Count(); ++i)
        if (StripHTMLTags(itemText(i)).toUpper().startsWith(wanted)) return i;
    return -1;
}

void THTMListBox::incrementalLookup(int key)
{
    if (key == vk::Escape || (key >= vk::Prior && key <= vk::Down)) {
        prefix_.clear();
        return;
    }
    const QString before = prefix_;
    if (key == vk::Back && !prefix_.isEmpty()) {
        prefix_.chop(1);
    } else if (incrLookup_) {
        if (key >= 32 && key <= 255) prefix_ += QChar(key);
    } else {
        prefix_ = QString(QChar(key));
    }
    // Only a key that changed the typed prefix looks anything up: Shift, Ctrl and the like leave
    // the selection as it is.
    if (prefix_ == before || prefix_.isEmpty()) return;
    auto found = [this](int i) {
        selectOnly(i);
        ensureVisible(i);
    };
    if (selectionModel()->hasSelection() || incrLookup_) {
        const int i = findPrefix(std::max(0, ItemIndex()));
        if (i >= 0) return found(i);
    }
    int i = findPrefix(0);
    if (i >= 0) return found(i);
    if (incrLookup_ && key >= 32 && key <= 255) {
        prefix_ = QString(QChar(key));
        i = findPrefix(0);
        if (i >= 0) found(i);
    }
}

void THTMListBox::navigate(int key, Qt::KeyboardModifiers mods)
{
    if (Count() == 0) return;
    const int focused = ItemIndex();
    int caret = focused < 0 ? 0 : focused;
    int page = std::max(1, verticalScrollBar()->pageStep() - 1);
    switch (key) {
    case vk::Up: caret = focused < 0 ? 0 : caret - 1; break;
    case vk::Down: caret = focused < 0 ? 0 : caret + 1; break;
    case vk::Left: case vk::Right: return;
    case vk::Home: caret = 0; break;
    case vk::End: caret = Count() - 1; break;
    case vk::Prior: caret -= page; break;
    case vk::Next: caret += page; break;
    default: return;
    }
    caret = std::clamp(caret, 0, Count() - 1);
    if (multiSelect_ && (mods & Qt::ShiftModifier)) selectRange(anchorRow_ < 0 ? caret : anchorRow_, caret, false);
    else if (multiSelect_ && (mods & Qt::ControlModifier)) setCaret(caret);
    else selectOnly(caret);
    ensureVisible(caret);
    emit Click();
}

} // namespace controls
