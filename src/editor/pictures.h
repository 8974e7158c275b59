#pragma once
// Pictures the editor's windows show beside their controls (program pictures, about picture).
#include <QPixmap>
#include <QString>

namespace editor {

// The picture file at a Windows path; a null pixmap when it is missing, too large or unreadable.
QPixmap LoadWindowPicture(const QString& path);

} // namespace editor
