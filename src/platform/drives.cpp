#include "drives.h"

#include "environment.h"

#include <QDir>
#include <QHash>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStorageInfo>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include <sys/statfs.h>

namespace platform {

DriveTable& DriveTable::instance()
{
    static DriveTable table;
    return table;
}

DriveTable::DriveTable() { loadFromEnvironment(); }

void DriveTable::loadFromEnvironment()
{
    QMap<QChar, QString> drives;
    for (const auto& [letter, folder] : environmentAssignments("QUORBEL_DRIVES")) {
        if (letter.size() != 1 || !letter[0].isLetter() || letter[0].unicode() > 127 || folder.isEmpty()) continue;
        drives.insert(letter[0].toUpper(), folder);
    }
    if (drives.isEmpty()) {
        drives.insert(u'C', QDir::homePath());
        drives.insert(u'Z', QStringLiteral("/"));
    }
    setDrives(drives);
}

void DriveTable::setDrives(const QMap<QChar, QString>& drives)
{
    drives_.clear();
    for (auto it = drives.begin(); it != drives.end(); ++it)
        drives_.insert(it.key().toUpper(), QDir::cleanPath(QDir(it.value()).absolutePath()));
}

bool DriveTable::reach(const QString& hostFolder, QString* why)
{
    if (!toWindowsPath(hostFolder).isEmpty()) return true;
    if (!drives_.contains(u'Z')) {
        drives_.insert(u'Z', QStringLiteral("/"));
        return true;
    }
    if (why)
        *why = QStringLiteral("The program folder %1 lies on no drive of QUORBEL_DRIVES, and Z: is taken. "
                              "Add a drive for it to QUORBEL_DRIVES, or leave Z: free.")
                   .arg(hostFolder);
    return false;
}

QList<QChar> DriveTable::letters() const { return drives_.keys(); }

bool DriveTable::isMapped(QChar letter) const { return drives_.contains(letter.toUpper()); }

QString DriveTable::hostRoot(QChar letter) const { return drives_.value(letter.toUpper()); }

bool sameName(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

bool splitWindowsPath(const QString& windowsPath, WindowsPathParts& out)
{
    out = WindowsPathParts();
    QString p = windowsPath;
    p.replace(u'/', u'\\');
    if (p.startsWith(QLatin1String("\\\\"))) return false; // UNC names are on no drive
    qsizetype start = 0;
    if (p.size() >= 2 && p[1] == u':') {
        if (!p[0].isLetter() || p[0].unicode() > 127) return false;
        out.drive = p[0].toUpper();
        start = 2;
    } else if (p.startsWith(u'\\')) {
        out.drive = u'C'; // the root of the current drive; the program's drive is C:
    }
    const QStringList raw = p.mid(start).split(u'\\', Qt::SkipEmptyParts);
    for (const QString& part : raw) {
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) {
            if (!out.components.isEmpty()) out.components.removeLast();
            continue;
        }
        out.components.append(part);
    }
    return true;
}

namespace {

// The listings kept while a FolderListingScope lives: per host folder, the names of its entries
// by their case-folded form.
struct Listings {
    std::mutex mutex;
    std::atomic<int> scopes{0};
    QHash<QString, QHash<QString, QStringList>> folders;
};

Listings& listings()
{
    static Listings kept;
    return kept;
}

QString folderKey(const QString& folder)
{
    return folder.size() > 1 && folder.endsWith(u'/') ? folder.left(folder.size() - 1) : folder;
}

QStringList listFolder(const QString& folder)
{
    QDir dir(folder);
    if (!dir.exists()) return {};
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The names of folder that differ from name only in case (name itself may be among them).
QStringList namesLike(const QString& folder, const QString& name)
{
    QStringList candidates;
    Listings& kept = listings();
    if (kept.scopes.load() > 0) {
        std::lock_guard lock(kept.mutex);
        const QString key = folderKey(folder);
        auto it = kept.folders.find(key);
        if (it == kept.folders.end()) {
            QHash<QString, QStringList> byFold;
            for (const QString& e : listFolder(folder)) byFold[e.toCaseFolded()].append(e);
            it = kept.folders.insert(key, byFold);
        }
        for (const QString& e : it->value(name.toCaseFolded()))
            if (sameName(e, name)) candidates.append(e);
        return candidates;
    }
    for (const QString& e : listFolder(folder))
        if (sameName(e, name)) candidates.append(e);
    return candidates;
}

// The entry of folder that matches name as Windows would, or name itself when none does.
QString resolveEntry(const QString& folder, const QString& name)
{
    const QString exact = folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
    QFileInfo fi(exact);
    if (fi.exists() || fi.isSymLink()) return name;
    QStringList candidates = namesLike(folder, name);
    candidates.removeAll(name); // kept from before it went
    if (candidates.isEmpty()) return name;
    std::sort(candidates.begin(), candidates.end());
    return candidates.first();
}

void noteEntry(const QString& hostPath, bool added)
{
    Listings& kept = listings();
    if (kept.scopes.load() == 0 || hostPath.isEmpty()) return;
    const qsizetype slash = hostPath.lastIndexOf(u'/');
    if (slash < 0) return;
    const QString key = folderKey(hostPath.left(std::max<qsizetype>(slash, 1)));
    const QString name = hostPath.mid(slash + 1);
    std::lock_guard lock(kept.mutex);
    auto it = kept.folders.find(key);
    if (it == kept.folders.end()) return;
    QStringList& names = (*it)[name.toCaseFolded()];
    names.removeAll(name);
    if (added) names.append(name);
}

} // namespace

FolderListingScope::FolderListingScope() { listings().scopes.fetch_add(1); }

FolderListingScope::~FolderListingScope()
{
    Listings& kept = listings();
    std::lock_guard lock(kept.mutex);
    if (kept.scopes.fetch_sub(1) == 1) kept.folders.clear();
}

void noteHostEntryAdded(const QString& hostPath) { noteEntry(hostPath, true); }
void noteHostEntryRemoved(const QString& hostPath) { noteEntry(hostPath, false); }

QString toHostPath(const QString& windowsPath)
{
    if (windowsPath.isEmpty()) return {};
    WindowsPathParts parts;
    if (!splitWindowsPath(windowsPath, parts)) return {};
    QString host;
    if (parts.drive.isNull()) {
        host = QDir::currentPath();
    } else {
        host = DriveTable::instance().hostRoot(parts.drive);
        if (host.isEmpty()) return {};
    }
    for (const QString& c : parts.components) {
        const QString name = resolveEntry(host, c);
        host = host.endsWith(u'/') ? host + name : host + u'/' + name;
    }
    return host;
}

QString toWindowsPath(const QString& hostPath)
{
    if (hostPath.isEmpty()) return {};
    const QString clean = QDir::cleanPath(QDir(hostPath).absolutePath());
    const auto drives = DriveTable::instance().drives();
    QChar best;
    qsizetype bestLength = -1;
    for (auto it = drives.begin(); it != drives.end(); ++it) {
        const QString& root = it.value();
        const bool inside = root == QLatin1String("/") ? clean.startsWith(u'/')
                          : (clean == root || clean.startsWith(root + u'/'));
        if (inside && root.size() > bestLength) {
            best = it.key();
            bestLength = root.size();
        }
    }
    if (best.isNull()) return {};
    const QString root = drives.value(best);
    QString rest = root == QLatin1String("/") ? clean.mid(1) : clean.mid(root.size() + 1);
    rest.replace(u'/', u'\\');
    return QString(best) + QStringLiteral(":\\") + rest;
}

VolumeInformation volumeInformation(QChar letter)
{
    VolumeInformation v;
    const QString root = DriveTable::instance().hostRoot(letter);
    if (root.isEmpty() || !QFileInfo(root).isDir()) return v;
    const QStorageInfo storage(root);
    if (!storage.isValid()) return v;
    v.valid = true;
    v.label = storage.name();
    v.fileSystem = QString::fromUtf8(storage.fileSystemType());
    // The volume's UUID where the host lists it (a FAT volume's UUID is its serial number), else
    // the id the file system gives itself.
    const QString device = QFileInfo(QString::fromUtf8(storage.device())).canonicalFilePath();
    const QDir byUuid(QStringLiteral("/dev/disk/by-uuid"));
    for (const QFileInfo& link : byUuid.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (device.isEmpty() || link.canonicalFilePath() != device) continue;
        QString hex = link.fileName();
        hex.remove(u'-');
        bool ok = false;
        const quint32 serial = hex.left(8).toUInt(&ok, 16);
        if (ok && hex.size() >= 8) {
            v.serial = serial;
            return v;
        }
    }
    struct statfs fs {};
    if (::statfs(QFile::encodeName(root).constData(), &fs) == 0) {
        quint32 words[2];
        static_assert(sizeof fs.f_fsid == sizeof words);
        std::memcpy(words, &fs.f_fsid, sizeof words);
        v.serial = words[0];
    }
    return v;
}

} // namespace platform
