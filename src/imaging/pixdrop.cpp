// TPixImage: files dropped on the control from the desktop or a file manager.
#include "imaging/piximage.h"

#include "platform/dialogs.h"
#include "platform/drives.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace imaging {

namespace {

// The Windows path of the first local file of a drop, whole; empty when it holds none that a
// drive reaches.
QString firstDroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = platform::toWindowsPath(url.toLocalFile());
        if (!path.isEmpty()) return path;
    }
    return {};
}

} // namespace

void TPixImage::dragEnterEvent(QDragEnterEvent* event)
{
    if (fDropFilesAllowed && !firstDroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
    else event->ignore();
}

void TPixImage::dragMoveEvent(QDragMoveEvent* event)
{
    if (fDropFilesAllowed && !firstDroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
    else event->ignore();
}

void TPixImage::dropEvent(QDropEvent* event)
{
    if (!fDropFilesAllowed) {
        event->ignore();
        return;
    }
    const QString name = firstDroppedFile(event->mimeData());
    event->acceptProposedAction();
    if (name.isEmpty()) return;
    if (OnDropFile) OnDropFile(this, name);
    if (!fDropAutoLoad) return;
    try {
        Load(name, 0, 1, -1);
    } catch (const EPixImageError& e) {
        // Nothing called the drop that could take the error: it is shown, as the framework shows
        // an error that no handler took.
        platform::showError(e.message());
    }
}

} // namespace imaging
