#pragma once
// THTMListBox: a list box whose items are item markup, each drawn with its own measured height,
// with multiple selection, anchors, hints, incremental lookup, sorting and an in-process drag
// and drop between lists (and within one).
#include "markuplist.h"

#include <QListView>
#include <QHelpEvent>
#include <QCursor>
#include <QLocale>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <stdexcept>
#include <vector>

namespace controls {

class THTMListBox;

class EHTMListBoxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// The list's strings, as the framework's item list offers them.
class THTMListItems : public MarkupListItems {
public:
    explicit THTMListItems(THTMListBox* box);
    void setStrings(int index, const QString& text);
    void Move(int curIndex, int newIndex);
    int IndexOf(const QString& text) const;
    void BeginUpdate();
    void EndUpdate();

private:
    THTMListBox* box_;
};

// The delegate of a list box: paints an item's band and markup across the client width, with the
// focused item framed, and gives each row the height its item was measured to. Items are laid
// out 2 pixels in, as wide as the client area (or a wide fixed width when the list scrolls
// sideways).
class HTMListBoxDelegate : public MarkupItemDelegate {
public:
    using MarkupItemDelegate::MarkupItemDelegate;

    bool scrollHorizontal() const { return scrollHorizontal_; }
    void setScrollHorizontal(bool on) { scrollHorizontal_ = on; }
    // The phase of blinking text in which it is hidden.
    void setBlinkOff(bool off) { blinkOff_ = off; }
    // The width items are laid out in, and the layout rectangle of an item in itemRect.
    int layoutWidth(const QAbstractScrollArea& list) const;
    QRect layoutRect(const QAbstractScrollArea& list, const QRect& itemRect) const;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool scrollHorizontal_ = false, blinkOff_ = false;
};

class THTMListBox : public MarkupListView {
    Q_OBJECT
public:
    explicit THTMListBox(QWidget* parent = nullptr);
    ~THTMListBox() override;

    THTMListItems& Items() { return items_; }
    const THTMListItems& Items() const { return items_; }
    int Count() const { return itemModel()->count(); }

    // Selection. In a multi-select list ItemIndex is the focused item (the caret).
    void setItemIndex(int index);
    void setSelected(int index, bool selected);
    int SelCount() const;
    void ClearSelection();
    void SelectAll();
    bool MultiSelect() const { return multiSelect_; }
    void setMultiSelect(bool on);

    int ItemHeight() const { return itemHeight_; }
    void setItemHeight(int height);
    int measuredHeight(int index) const; // the height an item was measured to
    int TopIndex() const;
    void setTopIndex(int index);
    // The item at a client point; -1 without one (or the count when existing is false).
    int ItemAtPos(const QPoint& pos, bool existing) const;
    QRect ItemRect(int index) const;

    QString GetTextItem(int index) const;
    void AnchorAt(int x, int y, QString& anchor, int& index) const override;
    void RemeasureItems();
    void UpdateHorizontalExtent(int width);
    int GetMaxItemWidth() const;
    void Sort();

    // Properties of its own; the appearance is the markup lists' common one.
    bool EnableBlink() const { return enableBlink_; }
    void setEnableBlink(bool on);
    bool IncrLookup() const { return incrLookup_; }
    void setIncrLookup(bool on) { incrLookup_ = on; }
    bool Multiline() const { return multiline_; }
    void setMultiline(bool on);
    bool ScrollHorizontal() const { return rowLook_->scrollHorizontal(); }
    void setScrollHorizontal(bool on);
    bool Sorted() const { return sorted_; }
    void setSorted(bool on);
    bool SortWithHTML() const { return sortWithHTML_; }
    void setSortWithHTML(bool on) { sortWithHTML_ = on; }
    // The language sorting compares in (the user-interface language).
    QLocale SortLocale() const { return sortLocale_; }
    void setSortLocale(const QLocale& locale) { sortLocale_ = locale; }

    bool Dragging() const;
    QString lookupPrefix() const { return prefix_; }

signals:
    void Click();
    void DblClick();
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    void KeyUp(int& key, Qt::KeyboardModifiers shift);
    void StartDrag();
    // Accept starts true when something listens, as the framework's drag-over does.
    void DragOver(QObject* source, int x, int y, controls::TDragState state, bool& accept);
    void DragDrop(QObject* source, int x, int y);
    void EndDrag(QObject* target, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    friend class THTMListItems;
    friend class ListDrag;
    int insertItem(int index, const QString& text) override;
    void removeItem(int index) override;
    void clearItems() override;
    void measureRow(MarkupListModel::Item& row);
    QRect layoutRect(const QRect& itemRect) const { return rowLook_->layoutRect(*this, itemRect); }
    void updateScrollBars();
    void ensureVisible(int index);
    void selectOnly(int index);
    void selectRange(int from, int to, bool keepOthers);
    void setCaret(int index);
    void setCurrent(int index); // the focused item, leaving the selection alone
    void incrementalLookup(int key);
    int findPrefix(int from) const;
    void navigate(int key, Qt::KeyboardModifiers mods);
    void blinkTimer();
    void scheduleRemeasure();
    void dropUnusedPictures();
    AnchorHover::List hoverList();
    QString itemText(int index) const { return itemModel()->text(index); }
    void lookChanged(MarkupListLook::Change what) override;

    HTMListBoxDelegate* rowLook_;
    THTMListItems items_{this};

    bool enableBlink_ = false, incrLookup_ = false, multiline_ = false, sorted_ = false,
         sortWithHTML_ = false, multiSelect_ = false;
    int itemHeight_ = 16;
    QLocale sortLocale_;

    int anchorRow_ = -1;
    int updating_ = 0;
    bool remeasurePending_ = false;
    int autoRemeasures_ = 0;
    QSize lastViewport_;
    int maxWidth_ = 0;
    int extentReentry_ = 0;
    QString prefix_;
    AnchorHover hover_{hoverList()};
    QTimer blink_;
    int ticks_ = 0;
    bool blinkPhase_ = false;

    // Press and drag tracking.
    bool pressed_ = false;
    QPoint pressPos_;
    int pressRow_ = -1;
    int collapseOnRelease_ = -1;
    int toggleOnRelease_ = -1;
};

} // namespace controls
