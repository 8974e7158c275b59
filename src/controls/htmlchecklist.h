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

enum TCheckBoxState { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };

// What an item carries beyond its text; made when an item first needs one.
struct THTMLCheckListDataWrapper {
    qintptr Data = 0;
    TCheckBoxState State = cbUnchecked;
    bool Disabled = false;
    int Level = 0;
    bool Header = false;
};

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

class THTMLCheckList : public MarkupListView {
    Q_OBJECT
public:
    explicit THTMLCheckList(QWidget* parent = nullptr);
    ~THTMLCheckList() override;

    THTMLCheckListItems& Items() { return items_; }
    const THTMLCheckListItems& Items() const { return items_; }
    int Count() const { return int(entries_.size()); }
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
    QSize CheckBoxSize() const { return boxSize_; }
    int CheckWidth() const { return boxSize_.width() + 2; }
    int CheckArea(int index) const;
    QRect ItemRect(int index) const;
    QRect CheckBoxRect(int index) const;

    // Properties of their own; the appearance is the markup lists' common one.
    bool AllowGrayed() const { return allowGrayed_; }
    void setAllowGrayed(bool on) { allowGrayed_ = on; }
    bool Duplicates() const { return duplicates_; }
    void setDuplicates(bool on);
    bool Flat() const { return flat_; }
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
    int tabStopPixels() const { return tabStop_; }
    // Asked for the height of the rows, all of one height: when the list is made, when ItemHeight
    // changes and when the handler is set. It gets item 0 and ItemHeight and may change the
    // height (kept within 1 .. 255); the rows take what it leaves.
    using TMeasureItemEvent = std::function<void(THTMLCheckList& sender, int index, int& height)>;
    void setOnMeasureItem(TMeasureItemEvent handler);
    int rowHeight() const { return rowHeight_; }

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
    // An item: its markup, its record (made when first needed) and the pictures its markup names.
    struct Item {
        QString text;
        std::unique_ptr<THTMLCheckListDataWrapper> rec;
        std::vector<PicturePtr> pictures;
    };

    const Item* itemAt(int index) const;
    THTMLCheckListDataWrapper& record(int index);
    const THTMLCheckListDataWrapper* recordOf(int index) const;
    void insertItem(int index, const QString& text) override;
    void removeItem(int index) override;
    void sortItems();
    void clearItems() override;
    void measure(Item& item);
    QRect textRect(int index, const QRect& itemRect) const;
    int itemCount() const override { return Count(); }
    QString itemMarkup(int index) const override { return entries_[std::size_t(index)].text; }
    QSize rowSize(int) const override { return QSize(viewport()->width(), rowHeight_); }
    void paintRow(QPainter& p, int index, const QRect& rect) override;
    void drawCheck(QPainter& p, const QRect& rect, TCheckBoxState state, bool enabled) const;
    void toggle(int index);
    AnchorHover::List hoverList();
    void repaintItem(int index);
    void applyItemHeight();
    void applyIntegralHeight();
    void applyTabWidth();
    void lookChanged(Change what) override;

    THTMLCheckListItems items_{this};
    std::vector<Item> entries_;
    std::vector<std::pair<QString, TSaveObject>> hidden_;
    QSize boxSize_;

    bool allowGrayed_ = false, duplicates_ = true, flat_ = true, sorted_ = false;
    int itemHeight_ = 16;
    int rowHeight_ = 16; // ItemHeight as the measure handler left it
    bool integralHeight_ = false;
    int tabWidth_ = 0;
    TMeasureItemEvent onMeasureItem_;

    AnchorHover hover_{hoverList()};
    QPoint mousePos_{-1, -1};
};

} // namespace controls
