#pragma once
// What the two markup lists have in common: the model that holds their items, the appearance
// their items are laid out with (images, pictures, colours, shadow, line spacing, hints) and the
// picture cache that keeps the pictures their items name, held by the item delegate that paints
// them, and the view both lists stand on. Each list says what a change of appearance means for
// it: a repaint, a new measurement of its items, or a new background.
#include "anchorhover.h"
#include "gradient.h"
#include "imagelist.h"
#include "markup.h"
#include "markuplistmodel.h"
#include "picture.h"

#include <QColor>
#include <QListView>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>

class QFont;
class QPaintDevice;
class QPainter;
class QWidget;

namespace controls {

class MarkupListView;

// The strings of a markup list, as the framework's item list offers them: an index outside the
// list appends when inserting and does nothing when deleting. Add gives the index the new item
// has, which in a sorted list is its sorted place.
class MarkupListItems {
public:
    explicit MarkupListItems(MarkupListView* view) : view_(view) {}
    int Count() const;
    QString Strings(int index) const; // "" outside the list
    QString operator[](int index) const { return Strings(index); }
    int Add(const QString& text);
    void Insert(int index, const QString& text);
    void Delete(int index);
    void Clear();
    QStringList toStringList() const;

private:
    MarkupListView* view_;
};

// The appearance of a markup list's items and the painting of one item: its band, its markup,
// the anchor under a point.
class MarkupListLook {
public:
    MarkupListLook();
    virtual ~MarkupListLook();
    MarkupListLook(const MarkupListLook&) = delete;
    MarkupListLook& operator=(const MarkupListLook&) = delete;

    bool AnchorHint() const { return anchorHint_; }
    void setAnchorHint(bool on) { anchorHint_ = on; }
    bool HTMLHint() const { return htmlHint_; }
    void setHTMLHint(bool on) { htmlHint_ = on; }
    bool ItemHint() const { return itemHint_; }
    void setItemHint(bool on) { itemHint_ = on; }
    bool Ellipsis() const { return ellipsis_; }
    void setEllipsis(bool on);
    const TImageList* Images() const { return images_.data(); }
    void setImages(const TImageList* images);
    int LineSpacing() const { return lineSpacing_; }
    void setLineSpacing(int spacing);
    TPictureContainer* PictureContainer() const { return container_; }
    void setPictureContainer(TPictureContainer* container);
    TGradientStyle* SelectionColors() const { return selectionColors_.get(); }
    void setSelectionColors(const TGradientStyle* style);
    ColorRef SelectionFontColor() const { return selectionFontColor_; }
    void setSelectionFontColor(ColorRef c);
    ColorRef ShadowColor() const { return shadowColor_; }
    void setShadowColor(ColorRef c);
    int ShadowOffset() const { return shadowOffset_; }
    void setShadowOffset(int offset);
    bool ShowSelection() const { return showSelection_; }
    void setShowSelection(bool on);
    ColorRef URLColor() const { return urlColor_; }
    void setURLColor(ColorRef c);
    ColorRef Color() const { return color_; }
    void setColor(ColorRef c);
    // Pixels between tab stops in item text; 0 the font's default.
    int tabStop() const { return tabStop_; }
    void setTabStop(int pixels);

    THTMLPictureCache& pictureCache() const { return cache_; }

    // What a changed property asks of the list.
    enum class Change { Paint, Layout, Background };

    // The layout options of an item in this appearance, selected or not.
    HTMLItemOptions options(bool selected) const;
    // Lays an item out without drawing it: its extent and the pictures it names.
    HTMLItemResult measureItem(const QPaintDevice* device, const QFont& font, const QString& text,
                               const QRect& rect) const;
    // The target of the anchor under a point of an item laid out in rect; "" without one.
    QString anchorUnder(const QPaintDevice* device, const QFont& font, const QString& text, const QRect& rect,
                        const QPoint& point) const;

    // Gives a viewport the list's Color as the background it is cleared to.
    void applyBackground(QWidget* viewport) const;

    // The tool tip of an anchor or an item, as the hint properties ask.
    bool hoverToolTip(AnchorHover& hover, QHelpEvent* event) const
    {
        return hover.toolTip(event, anchorHint_, itemHint_, htmlHint_);
    }

protected:
    virtual void lookChanged(Change what) = 0;

    // The colours an item's markup is drawn in.
    struct ItemColors {
        QColor text, background;
    };
    // Paints the band behind an item: the selection colours (a gradient when ColorTo is set)
    // when selected, else Color. A plain selected band is framed in the border colour when
    // framed is set, else filled edge to edge. fontColor is the text colour of an unselected item.
    ItemColors paintBand(QPainter& p, const QRect& band, bool selected, bool framed, const QColor& fontColor) const;
    // Lays out and paints an item's markup inside layoutRect, clipped to clip.
    void paintMarkup(QPainter& p, const QFont& font, const QString& text, const QRect& layoutRect, const QRect& clip,
                     const HTMLItemOptions& o, const ItemColors& colors) const;

    // Loaded pictures are a memo of the items' markup: laying an item out (also from a const
    // query such as the anchor under a point) may add to it.
    mutable THTMLPictureCache cache_;
    std::unique_ptr<TGradientStyle> selectionColors_;
    QPointer<const TImageList> images_; // cleared when the image list goes
    QPointer<TPictureContainer> container_;

    bool anchorHint_ = false, htmlHint_ = false, itemHint_ = false, ellipsis_ = false, showSelection_ = true;
    int lineSpacing_ = 0, shadowOffset_ = 1;
    int tabStop_ = 0;
    ColorRef selectionFontColor_ = platform::clHighlightText, shadowColor_ = platform::clGray,
             urlColor_ = platform::clBlue, color_ = platform::clWindow;
};

// The delegate of a markup list: it holds the appearance and paints the items the list's model
// gives it. Each list has its own, for what its rows show beyond the markup.
class MarkupItemDelegate : public QStyledItemDelegate, public MarkupListLook {
public:
    explicit MarkupItemDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    // Who is told of a change of appearance (the list that shows the items).
    void setOnChange(std::function<void(Change)> onChange) { onChange_ = std::move(onChange); }
    // The mouse's point in the viewport, the hit point of the items painted; (-1, -1) outside.
    QPoint pointer() const { return pointer_; }
    void setPointer(const QPoint& pos) { pointer_ = pos; }

protected:
    void lookChanged(Change what) override
    {
        if (onChange_) onChange_(what);
    }
    // The item's row across the client width of the list that paints it.
    static QRect rowBand(const QStyleOptionViewItem& option);

private:
    std::function<void(Change)> onChange_;
    QPoint pointer_{-1, -1};
};

// The item view both markup lists stand on: one row per item of its model, painted by its
// delegate; the reports every markup list gives (mouse down, anchors) and the hover over anchors
// and items.
class MarkupListView : public QListView {
    Q_OBJECT
public:
    // The view takes the delegate over.
    MarkupListView(MarkupItemDelegate* look, QWidget* parent = nullptr);
    ~MarkupListView() override;

    // The focused item (-1 without one) and whether an item is selected.
    int ItemIndex() const;
    bool Selected(int index) const;

    // The anchor under a client point and the item it is in ("" and -1 without one).
    virtual void AnchorAt(int x, int y, QString& anchor, int& index) const = 0;

    // The appearance, held by the delegate.
    bool AnchorHint() const { return look_->AnchorHint(); }
    void setAnchorHint(bool on) { look_->setAnchorHint(on); }
    bool HTMLHint() const { return look_->HTMLHint(); }
    void setHTMLHint(bool on) { look_->setHTMLHint(on); }
    bool ItemHint() const { return look_->ItemHint(); }
    void setItemHint(bool on) { look_->setItemHint(on); }
    bool Ellipsis() const { return look_->Ellipsis(); }
    void setEllipsis(bool on) { look_->setEllipsis(on); }
    const TImageList* Images() const { return look_->Images(); }
    void setImages(const TImageList* images) { look_->setImages(images); }
    int LineSpacing() const { return look_->LineSpacing(); }
    void setLineSpacing(int spacing) { look_->setLineSpacing(spacing); }
    TPictureContainer* PictureContainer() const { return look_->PictureContainer(); }
    void setPictureContainer(TPictureContainer* container) { look_->setPictureContainer(container); }
    TGradientStyle* SelectionColors() const { return look_->SelectionColors(); }
    void setSelectionColors(const TGradientStyle* style) { look_->setSelectionColors(style); }
    ColorRef SelectionFontColor() const { return look_->SelectionFontColor(); }
    void setSelectionFontColor(ColorRef c) { look_->setSelectionFontColor(c); }
    ColorRef ShadowColor() const { return look_->ShadowColor(); }
    void setShadowColor(ColorRef c) { look_->setShadowColor(c); }
    int ShadowOffset() const { return look_->ShadowOffset(); }
    void setShadowOffset(int offset) { look_->setShadowOffset(offset); }
    bool ShowSelection() const { return look_->ShowSelection(); }
    void setShowSelection(bool on) { look_->setShowSelection(on); }
    ColorRef URLColor() const { return look_->URLColor(); }
    void setURLColor(ColorRef c) { look_->setURLColor(c); }
    ColorRef Color() const { return look_->Color(); }
    void setColor(ColorRef c) { look_->setColor(c); }
    THTMLPictureCache& pictureCache() { return look_->pictureCache(); }

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void AnchorClick(QObject* sender, int index, const QString& anchor);
    void AnchorEnter(QObject* sender, int index, const QString& anchor);
    void AnchorExit(QObject* sender, int index, const QString& anchor);
    void AnchorHintEvent(QObject* sender, int index, QString& anchor);

protected:
    MarkupListModel* itemModel() const { return model_; }
    QModelIndex rowIndex(int index) const { return model_->index(index); }

    // Changes of the items, each dropping the pictures no item names. An insert gives the row
    // the item landed in (a sorted list puts it in its place, not at index).
    virtual int insertItem(int index, const QString& text) = 0;
    virtual void removeItem(int index) = 0;
    virtual void clearItems() = 0;
    // What a changed appearance asks of the list.
    virtual void lookChanged(MarkupListLook::Change what) = 0;

    // The anchor and hint reports of the list: rowAt, and where an item's hint shows, are its own.
    AnchorHover::List hoverOf(std::function<int(const QPoint&)> rowAt, std::function<QPoint(int)> itemHintPos);
    // A press on an anchor: web and mail targets open, anything else is reported as AnchorClick.
    void clickAnchor(const QString& anchor, int index);

private:
    friend class MarkupListItems;
    MarkupListModel* model_;
    MarkupItemDelegate* look_;
};

} // namespace controls
