#include "pictures.h"

#include "platform/files.h"

namespace editor {

QPixmap LoadWindowPicture(const QString& path)
{
    QPixmap pixmap;
    if (const auto bytes = platform::readFile(path, 32 * 1024 * 1024)) pixmap.loadFromData(*bytes);
    return pixmap;
}

} // namespace editor
