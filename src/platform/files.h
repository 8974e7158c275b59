#pragma once
// Files and folders with Windows semantics. Every argument is a Windows path; the drive table
// maps it onto the host. Nothing outside src/platform touches the host's files directly.
#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

// File attribute bits of the platform.
enum FileAttribute : int {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faNormal = 0x80,
    faSymLink = 0x400, // a reparse point: on the host a symbolic link
    faAnyFile = 0x1FF | faSymLink,
};

struct DirEntry {
    QString name;        // without folder
    int attributes = 0;
    qint64 size = 0;
    QDateTime modified;
};

// -1 when the attributes cannot be read. Regular files carry faArchive, read-only means the
// host's write bit is off, names beginning with "." are hidden, links carry faSymLink.
int fileAttributes(const QString& path);
// faReadOnly clears the write bits; any set without it (faArchive, faNormal) sets them again.
[[nodiscard]] bool setFileAttributes(const QString& path, int attributes);

bool fileExists(const QString& path);       // exists and is no folder
bool directoryExists(const QString& path);  // exists and is a folder
// An ordinary file (a link to one counts); false for folders, pipes, sockets and devices, which
// a reader could block on or read without end.
bool isRegularFile(const QString& path);
std::optional<DirEntry> fileInfo(const QString& path);
qint64 fileSize(const QString& path);       // -1 when missing
QDateTime fileModified(const QString& path);

[[nodiscard]] bool createDirectory(const QString& path);  // the parent must exist
[[nodiscard]] bool forceDirectories(const QString& path); // creates every missing level
// An empty folder, or a link (the link alone goes). With inside, refused unless the folder lies
// inside that folder (see isInside).
[[nodiscard]] bool removeDirectory(const QString& path, const QString& inside = QString());

// A host name that can stand as a Windows file name: no \ / : * ? " < > | and no control
// character. Listings leave every other name out, so that no path built from one can be split.
bool isWindowsName(const QString& name);
// True when path, resolved on the host (drive, case, "." and "..", links among its folders),
// names an entry inside folder or below it; never folder itself, never a path whose folder is
// missing. Every routine below that deletes, renames or overwrites takes the folder it was asked
// to work on as its inside argument and refuses a path outside it (an empty inside checks
// nothing).
bool isInside(const QString& folder, const QString& path);

// Copies a regular file, overwriting unless failIfExists; keeps the executable bit; the copy is
// written beside the target and renamed over it, every write checked: on failure (a full disk)
// the old target stays and the partial copy is removed. A copy of a file onto itself does
// nothing and succeeds. A read-only target is refused, as on Windows. With inside, the target
// must lie inside that folder.
[[nodiscard]] bool copyFile(const QString& source, const QString& target, bool failIfExists = false, const QString& inside = QString());
// Deletes a file or a link (never what the link points to). A read-only file is refused.
[[nodiscard]] bool deleteFile(const QString& path, const QString& inside = QString());
// Renames a file or folder; never replaces an existing entry (a change of case alone is allowed).
// With inside, both names must lie inside that folder.
[[nodiscard]] bool renameFile(const QString& oldPath, const QString& newPath, const QString& inside = QString());
// True when both paths name one existing file (also through different drives, links or case).
bool sameFile(const QString& a, const QString& b);

// Windows mask matching: without regard to case, "*" and "?", "*.*" matches every name.
bool matchesMask(const QString& name, const QString& mask);
// The entries of folder that match mask (never "." or ".."), sorted without regard to case.
QList<DirEntry> findFiles(const QString& folder, const QString& mask = QStringLiteral("*.*"));

// Bytes free for the user on the drive that holds path (a drive letter alone will do); -1 when
// unknown.
qint64 diskFreeBytes(const QString& path);
qint64 diskTotalBytes(const QString& path);

// True when new entries can be made in the folder (it exists and the host lets this program
// write into it).
bool isWritableFolder(const QString& folder);

bool isExecutable(const QString& path);
[[nodiscard]] bool setExecutable(const QString& path, bool executable);

// Who may read a file that a replacing write puts in place: as before (the old file's
// permissions, the usual ones for a new file), or the owner alone from the first byte written
// (for a file that holds a password).
enum class FileAccess : int { AsBefore, OwnerOnly };
// Whether a replacing write waits until the new file is on the disk before it takes the old
// one's place: Durable for what the user keeps; Rebuildable for a file the program makes again
// when it is missing or empty (a thumbnail), so that many written at once do not each wait.
enum class WriteSync : int { Durable, Rebuildable };

// Whole files. readFile fails (nullopt) for a missing file, anything but a regular file (a
// folder, a pipe, a device: refused before it is opened for reading), or one holding more than
// maxBytes (DefaultReadLimit when negative); the size the host claims is not trusted.
constexpr qint64 DefaultReadLimit = 256LL * 1024 * 1024;
std::optional<QByteArray> readFile(const QString& path, qint64 maxBytes = -1);
// Writes a whole file: to a temporary file in the same folder, renamed over the old one. False
// when any write or the commit failed; the old file then stays as it was.
[[nodiscard]] bool writeFileReplacing(const QString& path, const QByteArray& data, FileAccess access = FileAccess::AsBefore,
                                      const QString& inside = QString(), WriteSync sync = WriteSync::Durable);

// Streams over files. openFile gives nullptr when the file cannot be opened; reading is refused
// for anything but a regular file. Writes go straight to the host, so a write that fails (a
// full disk) returns -1 at once.
std::unique_ptr<QIODevice> openFile(const QString& path, QIODevice::OpenMode mode);

// A file written through a temporary beside it and put in place by commit(); dropped (the
// old file untouched) when destroyed without commit. A write that fails makes commit fail.
class ReplacingWriter {
public:
    explicit ReplacingWriter(const QString& path, FileAccess access = FileAccess::AsBefore, const QString& inside = QString(),
                             WriteSync sync = WriteSync::Durable);
    ~ReplacingWriter();
    [[nodiscard]] bool open();
    QIODevice* device();
    [[nodiscard]] bool commit();
    void cancel();
    QString errorString() const;

    struct Impl; // also what copyFile writes through

private:
    std::unique_ptr<Impl> d;
};

// Removes the temporary files that a replacing write of this program left in folder when it
// was killed before its commit: regular files (no links) named ".~write" and hexadecimal
// digits, directly inside the folder, that no writer of this process holds open. Returns the
// names it could not remove, each with its reason.
QStringList removeLeftoverTemporaries(const QString& folder);

// The last host error of a file operation, as text for messages.
QString lastFileError();

} // namespace platform
