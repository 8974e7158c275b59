#pragma once
// The items of a markup list as an item model: each item's markup, the pictures its markup
// names (kept alive while the item is), the extent it was measured to and, in a check list, its
// check record. The lists change their items through it, so the rows a view shows are always
// the items the model holds.
#include "picture.h"

#include <QAbstractListModel>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

namespace controls {

enum TCheckBoxState { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };

// What a check-list item carries beyond its text; made when an item first needs one.
struct THTMLCheckListDataWrapper {
    qintptr Data = 0;
    TCheckBoxState State = cbUnchecked;
    bool Disabled = false;
    int Level = 0;
    bool Header = false;
};

class MarkupListModel : public QAbstractListModel {
public:
    // Roles beyond Qt's: a check item's indent level, whether it is a header, whether it is
    // enabled (items stay selectable either way), and the extent the item was measured to.
    enum Role { LevelRole = Qt::UserRole + 1, HeaderRole, ItemEnabledRole, ExtentRole };

    struct Item {
        QString text;
        int width = 0, height = 0; // as measured by the list that shows the item
        std::vector<PicturePtr> pictures;
        std::unique_ptr<THTMLCheckListDataWrapper> rec;
    };

    using QAbstractListModel::QAbstractListModel;
    ~MarkupListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    // DisplayRole: the markup; ExtentRole: QSize(width, height); CheckStateRole and the check
    // roles: the record's values, or the defaults of an item without one.
    QVariant data(const QModelIndex& index, int role) const override;

    int count() const { return int(items_.size()); }
    const Item* item(int index) const;
    Item* item(int index);
    QString text(int index) const; // "" outside the list

    void insert(int index, Item item); // index within 0 .. count()
    void remove(int index);
    void clear();
    void move(int from, int to);
    // The items in a new order: order[i] is the old index of the item that goes to i.
    void reorder(const std::vector<int>& order);
    // An item's text or extent changed; a repaint of its row.
    void itemChanged(int index);
    // Every item was measured again.
    void extentsChanged();

    // An item's check record, made when first asked for; an index outside the list throws.
    THTMLCheckListDataWrapper& record(int index);
    const THTMLCheckListDataWrapper* recordOf(int index) const; // null without one
    // A record was changed: its row is repainted.
    void recordChanged(int index);

private:
    std::vector<Item> items_;
};

} // namespace controls
