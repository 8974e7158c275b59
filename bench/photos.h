#pragma once
// The real photos the benches play and encode: the 5120 x 2880 wallpapers of Debian's
// plasma-workspace-wallpapers, JPEG and PNG, in name order (none when it is not installed).
#include <QDir>
#include <QDirIterator>
#include <QStringList>

namespace bench {

inline QStringList wallpapers()
{
    QStringList found;
    QDirIterator it("/usr/share/wallpapers", {"5120x2880.jpg", "5120x2880.png"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) found << it.next();
    found.sort();
    return found;
}

} // namespace bench
