#include "icons.h"

#include "platform/files.h"
#include "platform/numbers.h"

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>

namespace controls {

namespace {

QIcon iconFor(const QString& indexOrPath)
{
    static QFileIconProvider provider;
    if (const auto n = platform::parseInteger(indexOrPath)) {
        // Icon numbers name the standard icons in the order of the provider's list.
        if (*n < 0 || *n > int(QFileIconProvider::File)) return {};
        return provider.icon(QFileIconProvider::IconType(*n));
    }
    if (platform::directoryExists(indexOrPath)) return provider.icon(QFileIconProvider::Folder);
    QString name = indexOrPath;
    const qsizetype slash = std::max(name.lastIndexOf(u'\\'), name.lastIndexOf(u'/'));
    if (slash >= 0) name = name.mid(slash + 1);
    static QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) icon = provider.icon(QFileIconProvider::File);
    return icon;
}

} // namespace

QPixmap shellIcon(const QString& indexOrPath, bool large)
{
    static QHash<QString, QPixmap> cache;
    const QString key = (large ? QStringLiteral("L|") : QStringLiteral("S|")) + indexOrPath.toUpper();
    const auto it = cache.constFind(key);
    if (it != cache.constEnd()) return *it;
    const int size = large ? 32 : 16;
    const QIcon icon = iconFor(indexOrPath);
    QPixmap pix = icon.isNull() ? QPixmap() : icon.pixmap(size, size);
    if (!pix.isNull() && pix.size() != QSize(size, size)) pix = pix.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (cache.size() > 512) cache.clear();
    cache.insert(key, pix);
    return pix;
}

} // namespace controls
