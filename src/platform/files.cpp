#include "files.h"

#include "drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStorageInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

thread_local QString g_lastError;

void setError(const QString& e) { g_lastError = e; }
void setErrno() { g_lastError = QString::fromLocal8Bit(std::strerror(errno)); }

QByteArray hostBytes(const QString& host) { return QFile::encodeName(host); }

bool lstatHost(const QString& host, struct stat& st)
{
    if (host.isEmpty()) return false;
    return ::lstat(hostBytes(host).constData(), &st) == 0;
}

int attributesOf(const QString& host, const QString& name)
{
    struct stat st;
    if (!lstatHost(host, st)) return -1;
    int attr = 0;
    const bool link = S_ISLNK(st.st_mode);
    if (link) {
        attr |= faSymLink;
        struct stat target;
        if (::stat(hostBytes(host).constData(), &target) == 0 && S_ISDIR(target.st_mode)) attr |= faDirectory;
        else attr |= faArchive;
    } else if (S_ISDIR(st.st_mode)) {
        attr |= faDirectory;
    } else {
        attr |= faArchive;
    }
    if (!link && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attr |= faReadOnly;
    if (name.startsWith(u'.')) attr |= faHidden;
    return attr;
}

QString baseName(const QString& host)
{
    const qsizetype slash = host.lastIndexOf(u'/');
    return slash < 0 ? host : host.mid(slash + 1);
}

bool hostIsDir(const QString& host)
{
    struct stat st;
    return !host.isEmpty() && ::stat(hostBytes(host).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

QString lastFileError() { return g_lastError; }

int fileAttributes(const QString& path)
{
    const QString host = toHostPath(path);
    return attributesOf(host, baseName(host));
}

bool setFileAttributes(const QString& path, int attributes)
{
    const QString host = toHostPath(path);
    struct stat st;
    if (!lstatHost(host, st)) { setErrno(); return false; }
    if (S_ISLNK(st.st_mode)) return true; // links carry no permissions of their own
    mode_t mode = st.st_mode & 07777;
    if (attributes & faReadOnly) mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else mode |= S_IWUSR;
    if (::chmod(hostBytes(host).constData(), mode) != 0) { setErrno(); return false; }
    return true;
}

bool fileExists(const QString& path)
{
    const int a = fileAttributes(path);
    return a >= 0 && !(a & faDirectory);
}

bool directoryExists(const QString& path)
{
    const int a = fileAttributes(path);
    return a >= 0 && (a & faDirectory);
}

bool isRegularFile(const QString& path)
{
    const QString host = toHostPath(path);
    struct stat st;
    return !host.isEmpty() && ::stat(hostBytes(host).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<DirEntry> fileInfo(const QString& path)
{
    const QString host = toHostPath(path);
    const int attr = attributesOf(host, baseName(host));
    if (attr < 0) return std::nullopt;
    QFileInfo fi(host);
    DirEntry e;
    e.name = baseName(host);
    e.attributes = attr;
    e.size = (attr & faDirectory) ? 0 : fi.size();
    e.modified = fi.lastModified();
    return e;
}

qint64 fileSize(const QString& path)
{
    const auto e = fileInfo(path);
    return e && !(e->attributes & faDirectory) ? e->size : -1;
}

QDateTime fileModified(const QString& path)
{
    const auto e = fileInfo(path);
    return e ? e->modified : QDateTime();
}

bool createDirectory(const QString& path)
{
    const QString host = toHostPath(path);
    if (host.isEmpty()) { setError(QStringLiteral("No such drive")); return false; }
    if (::mkdir(hostBytes(host).constData(), 0777) != 0) { setErrno(); return false; }
    return true;
}

bool forceDirectories(const QString& path)
{
    const QString host = toHostPath(path);
    if (host.isEmpty()) { setError(QStringLiteral("No such drive")); return false; }
    if (hostIsDir(host)) return true;
    if (!QDir().mkpath(host)) { setError(QStringLiteral("Cannot create folder")); return false; }
    return true;
}

bool removeDirectory(const QString& path)
{
    const QString host = toHostPath(path);
    struct stat st;
    if (!lstatHost(host, st)) { setErrno(); return false; }
    if (S_ISLNK(st.st_mode)) {
        if (::unlink(hostBytes(host).constData()) != 0) { setErrno(); return false; }
        return true;
    }
    if (::rmdir(hostBytes(host).constData()) != 0) { setErrno(); return false; }
    return true;
}

bool sameFile(const QString& a, const QString& b)
{
    const QString ha = toHostPath(a);
    const QString hb = toHostPath(b);
    if (ha.isEmpty() || hb.isEmpty()) return false;
    struct stat sa, sb;
    if (::stat(hostBytes(ha).constData(), &sa) != 0 || ::stat(hostBytes(hb).constData(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool copyFile(const QString& source, const QString& target, bool failIfExists)
{
    const QString src = toHostPath(source);
    const QString dst = toHostPath(target);
    if (src.isEmpty() || dst.isEmpty()) { setError(QStringLiteral("No such drive")); return false; }
    struct stat sst;
    if (::stat(hostBytes(src).constData(), &sst) != 0) { setErrno(); return false; }
    if (S_ISDIR(sst.st_mode)) { setError(QStringLiteral("Is a folder")); return false; }
    struct stat dstst;
    if (::stat(hostBytes(dst).constData(), &dstst) == 0) {
        if (dstst.st_dev == sst.st_dev && dstst.st_ino == sst.st_ino) return true; // onto itself
        if (failIfExists) { setError(QStringLiteral("File exists")); return false; }
        if (S_ISDIR(dstst.st_mode)) { setError(QStringLiteral("Is a folder")); return false; }
        if ((dstst.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) { setError(QStringLiteral("Access denied")); return false; }
    }
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly)) { setError(in.errorString()); return false; }
    QSaveFile out(dst);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) { setError(out.errorString()); return false; }
    QByteArray buffer;
    buffer.resize(1 << 20);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0) { setError(in.errorString()); out.cancelWriting(); return false; }
        if (n == 0) break;
        if (out.write(buffer.constData(), n) != n) { setError(out.errorString()); out.cancelWriting(); return false; }
    }
    if (!out.commit()) { setError(out.errorString()); return false; }
    mode_t mode = sst.st_mode & 0777;
    mode |= S_IWUSR; // the copy is the user's own
    ::chmod(hostBytes(dst).constData(), mode);
    return true;
}

bool deleteFile(const QString& path)
{
    const QString host = toHostPath(path);
    struct stat st;
    if (!lstatHost(host, st)) { setErrno(); return false; }
    if (S_ISDIR(st.st_mode)) { setError(QStringLiteral("Is a folder")); return false; }
    if (!S_ISLNK(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        setError(QStringLiteral("Access denied"));
        return false;
    }
    if (::unlink(hostBytes(host).constData()) != 0) { setErrno(); return false; }
    return true;
}

bool renameFile(const QString& oldPath, const QString& newPath)
{
    const QString from = toHostPath(oldPath);
    QString to = toHostPath(newPath);
    if (from.isEmpty() || to.isEmpty()) { setError(QStringLiteral("No such drive")); return false; }
    struct stat fst;
    if (!lstatHost(from, fst)) { setErrno(); return false; }
    struct stat tst;
    if (lstatHost(to, tst)) {
        if (tst.st_dev == fst.st_dev && tst.st_ino == fst.st_ino) {
            // The same entry under another case: rename to exactly the name asked for.
            WindowsPathParts parts;
            splitWindowsPath(newPath, parts);
            if (parts.components.isEmpty()) return true;
            to = to.left(to.lastIndexOf(u'/') + 1) + parts.components.last();
            if (to == from) return true;
            if (::rename(hostBytes(from).constData(), hostBytes(to).constData()) != 0) { setErrno(); return false; }
            return true;
        }
        setError(QStringLiteral("File exists"));
        return false;
    }
    if (::renameat2(AT_FDCWD, hostBytes(from).constData(), AT_FDCWD, hostBytes(to).constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) {
        // The file system cannot rename without replacing: a hard link refuses an existing target.
        if (!S_ISDIR(fst.st_mode) && ::link(hostBytes(from).constData(), hostBytes(to).constData()) == 0) {
            ::unlink(hostBytes(from).constData());
            return true;
        }
    }
    if (errno == EXDEV && !S_ISDIR(fst.st_mode)) {
        if (copyFile(oldPath, newPath, true)) {
            ::unlink(hostBytes(from).constData());
            return true;
        }
        return false;
    }
    setErrno();
    return false;
}

bool matchesMask(const QString& name, const QString& mask)
{
    if (mask == QLatin1String("*.*") || mask == QLatin1String("*")) return true;
    // Iterative wildcard match without regard to case.
    const QString n = name.toCaseFolded();
    QString m = mask.toCaseFolded();
    // "x.*" also matches "x" (no extension), as on Windows.
    if (m.endsWith(QLatin1String(".*")) && !n.contains(u'.') && matchesMask(name, mask.left(mask.size() - 2))) return true;
    qsizetype ni = 0, mi = 0, starM = -1, starN = 0;
    while (ni < n.size()) {
        if (mi < m.size() && (m[mi] == u'?' || m[mi] == n[ni])) {
            ++ni;
            ++mi;
        } else if (mi < m.size() && m[mi] == u'*') {
            starM = mi++;
            starN = ni;
        } else if (starM >= 0) {
            mi = starM + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m[mi] == u'*') ++mi;
    return mi == m.size();
}

QList<DirEntry> findFiles(const QString& folder, const QString& mask)
{
    QList<DirEntry> result;
    const QString host = toHostPath(folder);
    if (!hostIsDir(host)) return result;
    QDir dir(host);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!matchesMask(name, mask)) continue;
        const QString full = host.endsWith(u'/') ? host + name : host + u'/' + name;
        const int attr = attributesOf(full, name);
        if (attr < 0) continue;
        DirEntry e;
        e.name = name;
        e.attributes = attr;
        QFileInfo fi(full);
        e.size = (attr & faDirectory) ? 0 : fi.size();
        e.modified = fi.lastModified();
        result.append(e);
    }
    std::sort(result.begin(), result.end(), [](const DirEntry& a, const DirEntry& b) {
        const int c = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return result;
}

namespace {
QString existingAncestor(const QString& path)
{
    QString host;
    WindowsPathParts parts;
    if (!splitWindowsPath(path, parts) || parts.drive.isNull()) return {};
    host = DriveTable::instance().hostRoot(parts.drive);
    if (host.isEmpty()) return {};
    QString probe = toHostPath(path);
    while (!probe.isEmpty() && !hostIsDir(probe) && probe.size() > host.size()) probe = probe.left(probe.lastIndexOf(u'/'));
    return hostIsDir(probe) ? probe : host;
}
} // namespace

qint64 diskFreeBytes(const QString& path)
{
    const QString host = existingAncestor(path.size() == 1 ? path + QStringLiteral(":\\") : path);
    if (host.isEmpty()) return -1;
    QStorageInfo info(host);
    return info.isValid() ? info.bytesAvailable() : -1;
}

qint64 diskTotalBytes(const QString& path)
{
    const QString host = existingAncestor(path.size() == 1 ? path + QStringLiteral(":\\") : path);
    if (host.isEmpty()) return -1;
    QStorageInfo info(host);
    return info.isValid() ? info.bytesTotal() : -1;
}

bool isExecutable(const QString& path)
{
    const QString host = toHostPath(path);
    return !host.isEmpty() && ::access(hostBytes(host).constData(), X_OK) == 0 && !hostIsDir(host);
}

bool setExecutable(const QString& path, bool executable)
{
    const QString host = toHostPath(path);
    struct stat st;
    if (::stat(hostBytes(host).constData(), &st) != 0) { setErrno(); return false; }
    mode_t mode = st.st_mode & 07777;
    if (executable) mode |= S_IXUSR | S_IXGRP | S_IXOTH;
    else mode &= ~(S_IXUSR | S_IXGRP | S_IXOTH);
    return ::chmod(hostBytes(host).constData(), mode) == 0;
}

std::optional<QByteArray> readFile(const QString& path, qint64 maxBytes)
{
    const QString host = toHostPath(path);
    if (host.isEmpty() || hostIsDir(host)) return std::nullopt;
    QFile f(host);
    if (!f.open(QIODevice::ReadOnly)) { setError(f.errorString()); return std::nullopt; }
    if (maxBytes >= 0 && f.size() > maxBytes) { setError(QStringLiteral("File too large")); return std::nullopt; }
    return f.readAll();
}

bool writeFileReplacing(const QString& path, const QByteArray& data, FileAccess access)
{
    ReplacingWriter w(path, access);
    if (!w.open()) return false;
    if (w.device()->write(data) != data.size()) { setError(w.errorString()); w.cancel(); return false; }
    return w.commit();
}

std::unique_ptr<QIODevice> openFile(const QString& path, QIODevice::OpenMode mode)
{
    const QString host = toHostPath(path);
    if (host.isEmpty()) { setError(QStringLiteral("No such drive")); return nullptr; }
    if (hostIsDir(host)) { setError(QStringLiteral("Is a folder")); return nullptr; }
    auto f = std::make_unique<QFile>(host);
    if (!f->open(mode)) { setError(f->errorString()); return nullptr; }
    return f;
}

struct ReplacingWriter::Impl {
    QString host;
    QString mode_source;
    std::unique_ptr<QSaveFile> file;
    bool hadTarget = false;
    mode_t targetMode = 0;
    FileAccess access = FileAccess::AsBefore;
};

ReplacingWriter::ReplacingWriter(const QString& path, FileAccess access) : d(std::make_unique<Impl>())
{
    d->host = toHostPath(path);
    d->access = access;
}

ReplacingWriter::~ReplacingWriter()
{
    if (d->file && d->file->isOpen()) d->file->cancelWriting();
}

bool ReplacingWriter::open()
{
    if (d->host.isEmpty()) { setError(QStringLiteral("No such drive")); return false; }
    struct stat st;
    if (::stat(hostBytes(d->host).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) { setError(QStringLiteral("Is a folder")); return false; }
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) { setError(QStringLiteral("Access denied")); return false; }
        d->hadTarget = true;
        d->targetMode = st.st_mode & 07777;
    }
    d->file = std::make_unique<QSaveFile>(d->host);
    d->file->setDirectWriteFallback(false);
    if (!d->file->open(QIODevice::WriteOnly)) { setError(d->file->errorString()); return false; }
    // The temporary file is closed to others before anything is written into it.
    if (d->access == FileAccess::OwnerOnly &&
        !d->file->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        setError(d->file->errorString());
        d->file->cancelWriting();
        return false;
    }
    return true;
}

QIODevice* ReplacingWriter::device() { return d->file.get(); }

bool ReplacingWriter::commit()
{
    if (!d->file) return false;
    if (!d->file->commit()) { setError(d->file->errorString()); return false; }
    if (d->access == FileAccess::OwnerOnly) ::chmod(hostBytes(d->host).constData(), S_IRUSR | S_IWUSR);
    else if (d->hadTarget) ::chmod(hostBytes(d->host).constData(), d->targetMode);
    return true;
}

void ReplacingWriter::cancel()
{
    if (d->file) d->file->cancelWriting();
}

QString ReplacingWriter::errorString() const { return d->file ? d->file->errorString() : lastFileError(); }

} // namespace platform
