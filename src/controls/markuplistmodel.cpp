#include "markuplistmodel.h"

#include <algorithm>
#include <stdexcept>

namespace controls {

MarkupListModel::~MarkupListModel() = default;

int MarkupListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

QVariant MarkupListModel::data(const QModelIndex& index, int role) const
{
    const Item* it = index.isValid() ? item(index.row()) : nullptr;
    if (!it) return {};
    const THTMLCheckListDataWrapper defaults;
    const THTMLCheckListDataWrapper& rec = it->rec ? *it->rec : defaults;
    switch (role) {
    case Qt::DisplayRole:
        return it->text;
    case ExtentRole:
        return QSize(it->width, it->height);
    case Qt::CheckStateRole:
        return rec.State == cbChecked ? Qt::Checked : rec.State == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked;
    case LevelRole:
        return rec.Level;
    case HeaderRole:
        return rec.Header;
    case ItemEnabledRole:
        return !rec.Disabled;
    default:
        return {};
    }
}

const MarkupListModel::Item* MarkupListModel::item(int index) const
{
    return index >= 0 && index < count() ? &items_[std::size_t(index)] : nullptr;
}

MarkupListModel::Item* MarkupListModel::item(int index)
{
    return index >= 0 && index < count() ? &items_[std::size_t(index)] : nullptr;
}

QString MarkupListModel::text(int index) const
{
    const Item* it = item(index);
    return it ? it->text : QString();
}

void MarkupListModel::insert(int index, Item item)
{
    index = std::clamp(index, 0, count());
    beginInsertRows({}, index, index);
    items_.insert(items_.begin() + index, std::move(item));
    endInsertRows();
}

void MarkupListModel::remove(int index)
{
    if (!item(index)) return;
    beginRemoveRows({}, index, index);
    items_.erase(items_.begin() + index);
    endRemoveRows();
}

void MarkupListModel::clear()
{
    beginResetModel();
    items_.clear();
    endResetModel();
}

void MarkupListModel::move(int from, int to)
{
    if (from == to || !item(from) || !item(to)) return;
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    Item moved = std::move(items_[std::size_t(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(moved));
    endMoveRows();
}

void MarkupListModel::reorder(const std::vector<int>& order)
{
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order) sorted.push_back(std::move(items_[std::size_t(i)]));
    beginResetModel();
    items_ = std::move(sorted);
    endResetModel();
}

void MarkupListModel::itemChanged(int index)
{
    if (item(index)) emit dataChanged(this->index(index), this->index(index));
}

void MarkupListModel::extentsChanged()
{
    if (!items_.empty()) emit dataChanged(index(0), index(count() - 1), {ExtentRole, Qt::SizeHintRole});
}

THTMLCheckListDataWrapper& MarkupListModel::record(int index)
{
    Item* it = item(index);
    if (!it) throw std::out_of_range("Item index out of range");
    if (!it->rec) it->rec = std::make_unique<THTMLCheckListDataWrapper>();
    return *it->rec;
}

const THTMLCheckListDataWrapper* MarkupListModel::recordOf(int index) const
{
    const Item* it = item(index);
    return it ? it->rec.get() : nullptr;
}

void MarkupListModel::recordChanged(int index)
{
    if (item(index))
        emit dataChanged(this->index(index), this->index(index), {Qt::CheckStateRole, LevelRole, HeaderRole, ItemEnabledRole});
}

} // namespace controls
