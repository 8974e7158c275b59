#pragma once
// Draws the show list's items as the user should see them: the thumbnail the item's image tag
// points at, then the "Pictures.ini" line. The markup list box replaces it with the full markup.
#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace editor {

class ShowItemDelegate : public QStyledItemDelegate {
public:
    explicit ShowItemDelegate(int rowHeight, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The picture an item's image tag names (the Windows path after "file://"), or empty.
    static QString TagPicture(const QString& item);

private:
    QPixmap thumbnail(const QString& path) const;
    int rowHeight_;
    mutable QHash<QString, QPixmap> cache_;
};

} // namespace editor
