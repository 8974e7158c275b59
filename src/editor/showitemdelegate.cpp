#include "showitemdelegate.h"

#include "pictures.h"
#include "showfiles.h"

#include <QApplication>
#include <QPainter>

namespace editor {

ShowItemDelegate::ShowItemDelegate(int rowHeight, QObject* parent) : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}

QString ShowItemDelegate::TagPicture(const QString& item)
{
    const QString start = QStringLiteral("src=\"file://");
    const qsizetype from = item.indexOf(start, 0, Qt::CaseInsensitive);
    const qsizetype tagEnd = item.indexOf(u'>');
    if (from < 0 || tagEnd < 0 || from > tagEnd || !item.startsWith(u'<')) return {};
    const qsizetype begin = from + start.size();
    const qsizetype end = item.indexOf(u'"', begin);
    return end < 0 ? QString() : item.mid(begin, end - begin);
}

QPixmap ShowItemDelegate::thumbnail(const QString& path) const
{
    auto it = cache_.find(path);
    if (it == cache_.end()) {
        QPixmap p = LoadWindowPicture(path);
        if (!p.isNull() && p.height() > rowHeight_ - 4) p = p.scaledToHeight(rowHeight_ - 4, Qt::SmoothTransformation);
        it = cache_.insert(path, p);
    }
    return *it;
}

void ShowItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString item = opt.text;
    opt.text.clear();
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    const QRect r = opt.rect.adjusted(4, 2, -4, -2);
    int x = r.left();
    const QPixmap thumb = thumbnail(TagPicture(item));
    if (!thumb.isNull()) {
        painter->drawPixmap(x, r.top() + (r.height() - thumb.height()) / 2, thumb);
        x += thumb.width() + 8;
    }
    painter->save();
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(QRect(x, r.top(), r.right() - x, r.height()), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                      ItemLine(item));
    painter->restore();
}

QSize ShowItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(), rowHeight_};
}

} // namespace editor
