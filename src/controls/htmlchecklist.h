#pragma once
// THTMLCheckList: a list box of item markup with a check box in front of every item, all items
// of one fixed height. Items may be grayed, disabled, indented or headers (no check box); the
// ticked ones are read back in list order through CheckedCount and CheckedItem.
#include "markuplist.h"

#include <QCursor>
#include <QPointer>
#include <QStringList>

#include <functional>

#include <memory>
#include <stdexcept>
#include <vector>

class QHelpEvent;
class QResizeEvent;

namespace controls {

class THTMLCheckList;

// An item taken out of the list while duplicates are not allowed.
struct TSaveObject {
    int Level = 0;
    qintptr Data = 0;
};

// The list's strings, as the framework's item list offers them.
class THTMLCheckListItems : public MarkupListItems {
public:
    using MarkupListItems::MarkupListItems;
};

// The delegate of a check list: paints an item's band, its check box (none for a header) after
// the indent of its level, and its markup after the check area; every row is of one height.
class HTMLCheckListDelegate : public MarkupItemDelegate {
public:
    using MarkupItemDelegate::MarkupItemDelegate;

    QSize boxSize() const { return boxSize_; }
    void setBoxSize(const QSize& size) { boxSize_ = size; }
    bool flat() const { return flat_; }
    void setFlat(bool on) { flat_ = on; }
    int rowHeight() const { return rowHeight_; }
    void setRowHeight(int height) { rowHeight_ = height; }

    // Geometry of an item at a level (a header has no check area) in itemRect.
    int checkWidth() const { return boxSize_.width() + 2; }
    int checkArea(int level, bool header) const { return header ? 0 : (level + 1) * checkWidth(); }
    QRect checkBoxRect(const QRect& itemRect, int level, bool header, Qt::LayoutDirection direction) const;
    QRect textRect(const QRect& itemRect, int level, bool header, Qt::LayoutDirection direction) const;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void drawCheck(QPainter& p, const QWidget* list, const QRect& rect, TCheckBoxState state, bool enabled) const;

    QSize boxSize_;
    bool flat_ = true;
    int rowHeight_ = 16;
};

class THTMLCheckList : public MarkupListView {
    Q_OBJECT
public:
    explicit THTMLCheckList(QWidget* parent = nullptr);
    ~THTMLCheckList() override;

    THTMLCheckListItems& Items() { return items_; }
    const THTMLCheckListItems& Items() const { return items_; }
    int Count() const { return itemModel()->count(); }
    void setItemIndex(int index);

    // Per item. Reading an item without a record gives the defaults; writing makes the record.
    bool Checked(int index) const;
    void setChecked(int index, bool checked) { setState(index, checked ? cbChecked : cbUnchecked); }
    TCheckBoxState State(int index) const;
    void setState(int index, TCheckBoxState state);
    bool ItemEnabled(int index) const;
    void setItemEnabled(int index, bool enabled);
    int Level(int index) const;
    void setLevel(int index, int level);
    bool Header(int index) const;
    void setHeader(int index, bool header);
    qintptr ItemData(int index) const;
    void setItemData(int index, qintptr data);

    int CheckedCount() const;
    // The raw markup of the n-th checked item (0-based, in list order); "" when there are fewer.
    QString CheckedItem(int n) const;
    // The plain text of an item; an index outside the list throws.
    QString GetTextItem(int index) const;
    void AnchorAt(int x, int y, QString& anchor, int& index) const override;

    // Geometry: the check box's size, one slot of the indent, an item's check area.
    QSize CheckBoxSize() const { return rowLook_->boxSize(); }
    int CheckWidth() const { return rowLook_->checkWidth(); }
    int CheckArea(int index) const;
    QRect ItemRect(int index) const;
    QRect CheckBoxRect(int index) const;

    // Properties of their own; the appearance is the markup lists' common one.
    bool AllowGrayed() const { return allowGrayed_; }
    void setAllowGrayed(bool on) { allowGrayed_ = on; }
    bool Duplicates() const { return duplicates_; }
    void setDuplicates(bool on);
    bool Flat() const { return rowLook_->flat(); }
    void setFlat(bool on);
    int ItemHeight() const { return itemHeight_; }
    void setItemHeight(int height);
    bool Sorted() const { return sorted_; }
    void setSorted(bool on);
    // With IntegralHeight the control is kept as high as its frame and a whole number of rows (at
    // least one), so no row shows cut off at the bottom.
    bool IntegralHeight() const { return integralHeight_; }
    void setIntegralHeight(bool on);
    // Tab characters in item text stop every TabWidth dialog units (a quarter of the font's
    // average character width each); 0 keeps the font's default stops.
    int TabWidth() const { return tabWidth_; }
    void setTabWidth(int width);
    int tabStopPixels() const { return rowLook_->tabStop(); }
    // Asked for the height of the rows, all of one height: when the list is made, when ItemHeight
    // changes and when the handler is set. It gets item 0 and ItemHeight and may change the
    // height (kept within 1 .. 255); the rows take what it leaves.
    using TMeasureItemEvent = std::function<void(THTMLCheckList& sender, int index, int& height)>;
    void setOnMeasureItem(TMeasureItemEvent handler);
    int rowHeight() const { return rowLook_->rowHeight(); }

    // The items kept aside while Duplicates is false, in the order they were taken out.
    int hiddenCount() const { return int(hidden_.size()); }

signals:
    void CheckClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class THTMLCheckListItems;
    QString itemText(int index) const { return itemModel()->text(index); }
    int insertItem(int index, const QString& text) override;
    void removeItem(int index) override;
    void sortItems();
    void clearItems() override;
    void measure(MarkupListModel::Item& item);
    QRect textRect(int index, const QRect& itemRect) const;
    void toggle(int index);
    AnchorHover::List hoverList();
    void repaintItem(int index);
    void applyItemHeight();
    void applyIntegralHeight();
    void applyTabWidth();
    void lookChanged(MarkupListLook::Change what) override;

    HTMLCheckListDelegate* rowLook_; // its row height: ItemHeight as the measure handler left it
    THTMLCheckListItems items_{this};
    std::vector<std::pair<QString, TSaveObject>> hidden_;

    bool allowGrayed_ = false, duplicates_ = true, sorted_ = false;
    int itemHeight_ = 16;
    bool integralHeight_ = false;
    int tabWidth_ = 0;
    TMeasureItemEvent onMeasureItem_;

    AnchorHover hover_{hoverList()};
};

} // namespace controls
