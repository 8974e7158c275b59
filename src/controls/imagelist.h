#pragma once
// A list of same-sized images, referred to by number from item markup ("IDX:n").
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSize>

namespace controls {

class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(QSize size = QSize(16, 16), QObject* parent = nullptr) : QObject(parent), size_(size) {}
    QSize size() const { return size_; }
    int Count() const { return int(images_.size()); }
    void Add(const QPixmap& image) { images_.append(image.scaled(size_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)); }
    // Image index, or a null pixmap for an index outside the list (negative ones included).
    QPixmap image(int index) const { return index >= 0 && index < images_.size() ? images_.at(index) : QPixmap(); }
    void Clear() { images_.clear(); }

private:
    QSize size_;
    QList<QPixmap> images_;
};

} // namespace controls
