#pragma once
// Small (16) and large (32) icons for "SSYS:" and "LSYS:" image sources: an icon number, or the
// icon of a file or folder path (for a path that does not exist the extension alone decides).
#include <QPixmap>
#include <QString>

namespace controls {

QPixmap shellIcon(const QString& indexOrPath, bool large);

} // namespace controls
