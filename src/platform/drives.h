#pragma once
// The drive table: every path inside the program has the Windows form ("C:\Quorbel\"); this
// table maps drive letters onto host folders. Default: C: is the user's home folder and Z: is
// "/". The environment variable QUORBEL_DRIVES ("C=/some/dir;D=/other/dir") replaces it.
#include <QChar>
#include <QList>
#include <QMap>
#include <QString>

namespace platform {

class DriveTable {
public:
    static DriveTable& instance();

    // Reads QUORBEL_DRIVES again (or sets the default table when it is unset or empty).
    void loadFromEnvironment();
    // Replaces the table; letters are stored upper case, folders as absolute clean host paths.
    void setDrives(const QMap<QChar, QString>& drives);

    QList<QChar> letters() const;              // sorted A..Z
    bool isMapped(QChar letter) const;
    QString hostRoot(QChar letter) const;      // empty when the letter is not mapped
    QMap<QChar, QString> drives() const { return drives_; }

    // Makes sure a host folder (the program's own) lies on a drive: when the table leaves it out,
    // Z: is added as "/" if Z is free. False when it stays unreachable; *why then says what to
    // change in QUORBEL_DRIVES.
    bool reach(const QString& hostFolder, QString* why = nullptr);

private:
    DriveTable();
    QMap<QChar, QString> drives_;
};

// Splits a Windows path into drive letter and clean components ("." and ".." folded, "/" taken
// as "\"). Returns false for a path without a drive letter that cannot be placed (UNC names).
struct WindowsPathParts {
    QChar drive;               // upper case; null for a path relative to the current folder
    QStringList components;    // without empty parts
};
bool splitWindowsPath(const QString& windowsPath, WindowsPathParts& out);

// The host path of a Windows path. Every part that exists is resolved as Windows would:
// the exact name first, else the one name in that folder that differs only in case; parts that
// do not exist are kept as written. Empty when the drive is not mapped.
QString toHostPath(const QString& windowsPath);

// While one of these lives, a name that does not exist as written is looked up in one listing
// of its folder, taken the first time and kept up to date by this program's own changes (the
// file routines note what they create, rename and delete), instead of a listing at every
// lookup: an operation on many files of one folder costs one listing, not one per file. Entries
// that other programs add meanwhile are found as written, not by another case.
class FolderListingScope {
public:
    FolderListingScope();
    ~FolderListingScope();
    FolderListingScope(const FolderListingScope&) = delete;
    FolderListingScope& operator=(const FolderListingScope&) = delete;
};
// What the file routines tell the kept listings (host paths).
void noteHostEntryAdded(const QString& hostPath);
void noteHostEntryRemoved(const QString& hostPath);

// The Windows path of a host path, through the drive whose folder contains it (longest match).
// Empty when no drive holds it.
QString toWindowsPath(const QString& hostPath);

// Windows comparison of two names: without regard to case.
bool sameName(const QString& a, const QString& b);

// The mounted volume that holds a drive's folder, as the host knows it: its label, a 32-bit
// serial number (from the volume's UUID, else the file system's id) and its file system type.
// valid is false (everything empty) for a letter that is not mapped or whose folder is missing.
struct VolumeInformation {
    bool valid = false;
    QString label;
    quint32 serial = 0;
    QString fileSystem;
};
VolumeInformation volumeInformation(QChar letter);

} // namespace platform
