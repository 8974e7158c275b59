#include "files.h"

#include "drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStorageInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
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

// The host path with every link and "." or ".." resolved; empty when it does not exist.
QString canonicalHost(const QString& host)
{
    if (host.isEmpty()) return {};
    char resolved[PATH_MAX];
    if (!::realpath(hostBytes(host).constData(), resolved)) return {};
    return QFile::decodeName(resolved);
}

// Refuses (with the error set) a path outside inside; an empty inside lets every path pass.
bool confined(const QString& inside, const QString& path)
{
    if (inside.isEmpty() || isInside(inside, path)) return true;
    setError(QStringLiteral("%1 lies outside %2").arg(path, inside));
    return false;
}

// Opens a host file for reading when it is a regular file (or a link to one). A pipe or a device
// is refused before it is opened, and once more after (it could have been swapped in between;
// the open itself does not wait for a writer). -1 with the error set otherwise.
int openRegularForReading(const QString& host)
{
    if (host.isEmpty()) { setError(QStringLiteral("No such drive")); return -1; }
    struct stat st;
    if (::stat(hostBytes(host).constData(), &st) != 0) { setErrno(); return -1; }
    auto refuse = [](const struct stat& s) {
        setError(S_ISDIR(s.st_mode) ? QStringLiteral("Is a folder") : QStringLiteral("Not a regular file"));
        return -1;
    };
    if (!S_ISREG(st.st_mode)) return refuse(st);
    const int fd = ::open(hostBytes(host).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) { setErrno(); return -1; }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(st);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// One read, repeated when a signal cut it short.
ssize_t readSome(int fd, char* buffer, size_t size)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

// A host file opened for writing whose every write goes straight to the host. A write that
// fails, also one whose result the writer ignores, stays failed: the file cannot be committed.
class CheckedFile : public QFile {
public:
    bool failed() const { return failed_; }
    QString failure() const { return failure_; }

protected:
    qint64 writeData(const char* data, qint64 len) override
    {
        if (failed_) return -1;
        const qint64 n = QFile::writeData(data, len);
        if (n != len) {
            failed_ = true;
            failure_ = errorString();
            return -1;
        }
        return n;
    }

private:
    bool failed_ = false;
    QString failure_;
};

const QString TemporaryPrefix = QStringLiteral(".~write");

// The temporary files this process's writers hold open: never taken for leftovers.
struct OpenTemporaries {
    std::mutex mutex;
    QSet<QString> hosts;
};

OpenTemporaries& openTemporaries()
{
    static OpenTemporaries open;
    return open;
}

void holdTemporary(const QString& host, bool held)
{
    OpenTemporaries& open = openTemporaries();
    std::lock_guard lock(open.mutex);
    if (held) open.hosts.insert(host);
    else open.hosts.remove(host);
}

bool isTemporaryName(const QString& name)
{
    if (!name.startsWith(TemporaryPrefix) || name.size() == TemporaryPrefix.size() || name.size() > TemporaryPrefix.size() + 8)
        return false;
    for (qsizetype i = TemporaryPrefix.size(); i < name.size(); ++i) {
        const QChar c = name[i];
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
    }
    return true;
}

} // namespace

// A whole file written to a temporary file beside its target and renamed over it once every
// write, the sync and the close have succeeded. Dropped (the temporary removed) otherwise.
struct ReplacingWriter::Impl {
    QString host;
    QString inside;
    QString temp;
    int fd = -1;
    CheckedFile file;
    bool hadTarget = false;
    mode_t mode = 0;
    bool keepMode = false; // set mode on the result (the target's own, or the copied file's)
    FileAccess access = FileAccess::AsBefore;
    WriteSync sync = WriteSync::Durable;
    QString error;

    bool fail(const QString& e)
    {
        error = e;
        setError(e);
        drop();
        return false;
    }
    bool failErrno() { return fail(QString::fromLocal8Bit(std::strerror(errno))); }
    void drop()
    {
        if (file.isOpen()) file.close();
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temp.isEmpty()) {
            ::unlink(hostBytes(temp).constData());
            holdTemporary(temp, false);
        }
        temp.clear();
    }
    bool open()
    {
        if (host.isEmpty()) return fail(QStringLiteral("No such drive"));
        if (access == FileAccess::OwnerOnly) {
            mode = S_IRUSR | S_IWUSR;
            keepMode = true;
        }
        struct stat st;
        if (::stat(hostBytes(host).constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) return fail(QStringLiteral("Is a folder"));
            if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return fail(QStringLiteral("Access denied"));
            hadTarget = true;
            if (!keepMode) {
                mode = st.st_mode & 07777;
                keepMode = true;
            }
        }
        const QString folder = host.left(host.lastIndexOf(u'/') + 1);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString candidate = folder + TemporaryPrefix + QString::number(QRandomGenerator::global()->generate(), 16);
            holdTemporary(candidate, true); // before it exists: a clean-up never takes it
            // An owner-only file is closed to others before anything is written into it.
            fd = ::open(hostBytes(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        access == FileAccess::OwnerOnly ? 0600 : 0666);
            if (fd >= 0) {
                temp = candidate;
                break;
            }
            const int failure = errno;
            holdTemporary(candidate, false);
            errno = failure;
            if (errno != EEXIST) return failErrno();
        }
        if (fd < 0) return fail(QStringLiteral("No temporary file beside %1").arg(host));
        if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
            return fail(file.errorString());
        return true;
    }
    bool commit()
    {
        if (fd < 0) return fail(error.isEmpty() ? QStringLiteral("Not open") : error);
        if (file.failed()) return fail(file.failure());
        file.close();
        if (keepMode && ::fchmod(fd, mode) != 0) return failErrno();
        // A file that replaces another reaches the disk before the rename, so that a crash keeps
        // the old one or leaves the new one whole; a rebuildable one (a thumbnail) need not. A new
        // file has nothing to keep: its data goes with the system's own write-back (the writes and
        // the close are still checked), which keeps adding thousands of pictures from waiting on
        // the disk twice for each.
        if (sync == WriteSync::Durable && hadTarget && ::fsync(fd) != 0) return failErrno();
        const int closed = ::close(fd);
        fd = -1;
        if (closed != 0) return failErrno();
        if (::rename(hostBytes(temp).constData(), hostBytes(host).constData()) != 0) return failErrno();
        holdTemporary(temp, false);
        temp.clear();
        noteHostEntryAdded(host);
        return true;
    }
};

QString lastFileError() { return g_lastError; }

QStringList removeLeftoverTemporaries(const QString& folder)
{
    QStringList failures;
    const QString host = toHostPath(folder);
    if (!hostIsDir(host)) return failures;
    const QString dir = host.endsWith(u'/') ? host : host + u'/';
    QDir listing(host);
    const QStringList names = listing.entryList({TemporaryPrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!isTemporaryName(name)) continue;
        const QString path = dir + name;
        struct stat st;
        if (!lstatHost(path, st) || !S_ISREG(st.st_mode)) continue; // links and the rest are not ours
        {
            OpenTemporaries& open = openTemporaries();
            std::lock_guard lock(open.mutex);
            if (open.hosts.contains(path)) continue;
        }
        if (::unlink(hostBytes(path).constData()) != 0) {
            failures.append((folder.endsWith(u'\\') ? folder : folder + u'\\') + name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
            continue;
        }
        noteHostEntryRemoved(path);
    }
    return failures;
}

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

bool isWritableFolder(const QString& folder)
{
    const QString host = toHostPath(folder);
    if (!hostIsDir(host)) { setError(QStringLiteral("No such folder")); return false; }
    if (::access(hostBytes(host).constData(), W_OK | X_OK) != 0) { setErrno(); return false; }
    return true;
}

bool createDirectory(const QString& path)
{
    const QString host = toHostPath(path);
    if (host.isEmpty()) { setError(QStringLiteral("No such drive")); return false; }
    if (::mkdir(hostBytes(host).constData(), 0777) != 0) { setErrno(); return false; }
    noteHostEntryAdded(host);
    return true;
}

bool forceDirectories(const QString& path)
{
    const QString host = toHostPath(path);
    if (host.isEmpty()) { setError(QStringLiteral("No such drive")); return false; }
    if (hostIsDir(host)) return true;
    if (!QDir().mkpath(host)) { setError(QStringLiteral("Cannot create folder")); return false; }
    for (QString level = host; level.lastIndexOf(u'/') > 0; level = level.left(level.lastIndexOf(u'/')))
        noteHostEntryAdded(level);
    return true;
}

bool removeDirectory(const QString& path, const QString& inside)
{
    if (!confined(inside, path)) return false;
    const QString host = toHostPath(path);
    struct stat st;
    if (!lstatHost(host, st)) { setErrno(); return false; }
    if (S_ISLNK(st.st_mode)) {
        if (::unlink(hostBytes(host).constData()) != 0) { setErrno(); return false; }
        noteHostEntryRemoved(host);
        return true;
    }
    if (::rmdir(hostBytes(host).constData()) != 0) { setErrno(); return false; }
    noteHostEntryRemoved(host);
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

bool copyFile(const QString& source, const QString& target, bool failIfExists, const QString& inside)
{
    if (!confined(inside, target)) return false;
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
    const int in = openRegularForReading(src);
    if (in < 0) return false;
    ReplacingWriter::Impl out;
    out.host = dst;
    out.mode = (sst.st_mode & 0777) | S_IWUSR; // the copy is the user's own
    out.keepMode = true;
    bool ok = out.open();
    QByteArray buffer;
    buffer.resize(1 << 20);
    while (ok) {
        const ssize_t n = readSome(in, buffer.data(), size_t(buffer.size()));
        if (n < 0) {
            ok = out.failErrno();
            break;
        }
        if (n == 0) break;
        if (out.file.write(buffer.constData(), n) != n) ok = out.fail(out.file.failure());
    }
    ::close(in);
    return ok && out.commit();
}

bool deleteFile(const QString& path, const QString& inside)
{
    if (!confined(inside, path)) return false;
    const QString host = toHostPath(path);
    struct stat st;
    if (!lstatHost(host, st)) { setErrno(); return false; }
    if (S_ISDIR(st.st_mode)) { setError(QStringLiteral("Is a folder")); return false; }
    if (!S_ISLNK(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        setError(QStringLiteral("Access denied"));
        return false;
    }
    if (::unlink(hostBytes(host).constData()) != 0) { setErrno(); return false; }
    noteHostEntryRemoved(host);
    return true;
}

namespace {

bool renamedHost(const QString& from, const QString& to)
{
    noteHostEntryRemoved(from);
    noteHostEntryAdded(to);
    return true;
}

} // namespace

bool renameFile(const QString& oldPath, const QString& newPath, const QString& inside)
{
    if (!confined(inside, oldPath) || !confined(inside, newPath)) return false;
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
            return renamedHost(from, to);
        }
        setError(QStringLiteral("File exists"));
        return false;
    }
    if (::renameat2(AT_FDCWD, hostBytes(from).constData(), AT_FDCWD, hostBytes(to).constData(), RENAME_NOREPLACE) == 0)
        return renamedHost(from, to);
    if (errno == EINVAL || errno == ENOSYS) {
        // The file system cannot rename without replacing: a hard link refuses an existing target.
        if (!S_ISDIR(fst.st_mode) && ::link(hostBytes(from).constData(), hostBytes(to).constData()) == 0) {
            ::unlink(hostBytes(from).constData());
            return renamedHost(from, to);
        }
    }
    if (errno == EXDEV && !S_ISDIR(fst.st_mode)) {
        if (copyFile(oldPath, newPath, true)) {
            ::unlink(hostBytes(from).constData());
            return renamedHost(from, to);
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
        if (!isWindowsName(name) || !matchesMask(name, mask)) continue;
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

bool isWindowsName(const QString& name)
{
    static const QString refused = QStringLiteral("\\/:*?\"<>|");
    if (name.isEmpty()) return false;
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || refused.contains(c)) return false;
    return true;
}

bool isInside(const QString& folder, const QString& path)
{
    const QString root = canonicalHost(toHostPath(folder));
    const QString host = toHostPath(path);
    if (root.isEmpty() || host.isEmpty()) return false;
    // The entry itself is not resolved (a link is deleted or renamed, never followed); the
    // folder that holds it is.
    const qsizetype slash = host.lastIndexOf(u'/');
    const QString name = host.mid(slash + 1);
    if (slash < 0 || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    const QString parent = canonicalHost(slash == 0 ? QStringLiteral("/") : host.left(slash));
    if (parent.isEmpty()) return false;
    return parent == root || parent.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

std::optional<QByteArray> readFile(const QString& path, qint64 maxBytes)
{
    if (maxBytes < 0) maxBytes = DefaultReadLimit;
    const int fd = openRegularForReading(toHostPath(path));
    if (fd < 0) return std::nullopt;
    // The size the host claims only sizes the first buffer; the file may grow while it is read.
    struct stat st;
    const qint64 claimed = ::fstat(fd, &st) == 0 ? qint64(st.st_size) : 0;
    QByteArray data;
    data.resize(qMin(maxBytes, qMax<qint64>(claimed, 0)) + 1);
    qint64 have = 0;
    for (;;) {
        if (have == data.size()) {
            if (have > maxBytes) break;
            data.resize(qMin(maxBytes + 1, have * 2 + 65536));
        }
        const ssize_t n = readSome(fd, data.data() + have, size_t(data.size() - have));
        if (n < 0) {
            setErrno();
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        have += n;
    }
    ::close(fd);
    if (have > maxBytes) { setError(QStringLiteral("File too large")); return std::nullopt; }
    data.truncate(have);
    return data;
}

bool writeFileReplacing(const QString& path, const QByteArray& data, FileAccess access, const QString& inside, WriteSync sync)
{
    ReplacingWriter w(path, access, inside, sync);
    if (!w.open()) return false;
    if (w.device()->write(data) != data.size()) {
        // The host's reason (a full disk) is the error to tell; the old file stays.
        const QString why = w.errorString();
        w.cancel();
        setError(why.isEmpty() ? QStringLiteral("Write failed") : why);
        return false;
    }
    return w.commit();
}

std::unique_ptr<QIODevice> openFile(const QString& path, QIODevice::OpenMode mode)
{
    const QString host = toHostPath(path);
    if (host.isEmpty()) { setError(QStringLiteral("No such drive")); return nullptr; }
    if (hostIsDir(host)) { setError(QStringLiteral("Is a folder")); return nullptr; }
    auto f = std::make_unique<CheckedFile>();
    if (!(mode & QIODevice::WriteOnly)) {
        const int fd = openRegularForReading(host);
        if (fd < 0) return nullptr;
        if (!f->open(fd, mode, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            setError(f->errorString());
            return nullptr;
        }
        return f;
    }
    f->setFileName(host);
    if (!f->open(mode | QIODevice::Unbuffered)) { setError(f->errorString()); return nullptr; }
    noteHostEntryAdded(host);
    return f;
}

ReplacingWriter::ReplacingWriter(const QString& path, FileAccess access, const QString& inside, WriteSync sync)
    : d(std::make_unique<Impl>())
{
    d->host = toHostPath(path);
    d->access = access;
    d->sync = sync;
    d->inside = inside;
    if (!inside.isEmpty() && !isInside(inside, path)) d->error = QStringLiteral("%1 lies outside %2").arg(path, inside);
}

ReplacingWriter::~ReplacingWriter() { d->drop(); }

bool ReplacingWriter::open()
{
    if (!d->error.isEmpty()) {
        setError(d->error);
        return false;
    }
    return d->open();
}

QIODevice* ReplacingWriter::device() { return &d->file; }

bool ReplacingWriter::commit() { return d->commit(); }

void ReplacingWriter::cancel() { d->drop(); }

QString ReplacingWriter::errorString() const { return d->error.isEmpty() ? d->file.errorString() : d->error; }

} // namespace platform
