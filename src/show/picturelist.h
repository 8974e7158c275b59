#pragma once
// The two picture lists of the pictures page: the source list (the JPEG pictures of a folder,
// each behind its cached thumbnail) and the show list (the show's pictures in play order, each
// item the "Pictures.ini" line behind the picture's thumbnail). These routines hold what the
// lists do to names, items and files; the main window's handlers call them.
#include <QSet>
#include <QString>
#include <QStringList>

namespace show {

// The folder of a path with trailing backslash, and the name after it.
QString FolderOf(const QString& path);
QString NameOf(const QString& path);

// ---- source list ----

// A name the source list takes: its upper-cased form contains ".JPG" ("photo.jpg.bak" does,
// "photo.jpeg" does not).
bool IsSourcePictureName(const QString& name);
// The picture names of a folder (with trailing backslash) in the folder's order: regular files
// only, whose name IsSourcePictureName.
QStringList SourcePictureNames(const QString& folder);
// Number of entries of the folder that match "*.jpg" (what the progress counts against).
int CountJpegEntries(const QString& folder);

// The cached thumbnail of a source picture: programDir + "thumbs\" + the mapped name of its full
// path + ".jpg". Two paths whose mapped names would be equal get different files (a digest of
// the exact path closes the name), and a mapped name too long for the host is cut to the same
// length every time.
QString CacheThumbnailPath(const QString& programDir, const QString& picturePath);
// <IMG src="file://THUMB" align="top"> + name.
QString SourceItem(const QString& thumbnailPath, const QString& name);

// ---- show list items ----

// The file name of a show item: the text between the first ">" and the first "|", trimmed.
QString ItemFileName(const QString& item);
// The caption of a show item: word 2 at "|" of the text after the first ">", trimmed.
QString ItemCaption(const QString& item);
// The item with another caption: its image tag and file name with the caption as PictureLine
// writes it (no "|" for an empty caption).
QString ItemWithCaption(const QString& item, const QString& caption);
// A caption "Pictures.ini" can carry: one line, no "|".
bool IsStorableCaption(const QString& caption);
// A caption as "Pictures.ini" stores it: every character without a byte in Windows-1252 becomes
// "?" (a surrogate pair one "?"); replaced holds each such character once, in order.
struct CaptionFit {
    QString caption;
    QStringList replaced;
};
CaptionFit FitCaptionToWindows1252(const QString& caption);

// ---- pictures in the show folder ----

// The first free name folder + stem + "_" + n + "." + extension for n from 1 (stem: the words
// of the name at "." but the last, joined by "."; extension: the last word).
QString UniquePictureName(const QString& path);
// A file name that "Pictures.ini" and a Windows path can carry: the characters \ / : * ? " < > |,
// control characters and those outside Windows-1252 become "_", surrounding blanks go; a name
// left empty (or only dots) becomes "picture.jpg". A name beginning with one of the program's own
// prefixes (OwnFilePrefixes, in any case) has that prefix's "_" turned into "-"; one longer than
// 200 UTF-8 bytes is cut in its stem (the extension kept). A name that needs none of this comes
// back as it is.
QString ShowSafeName(const QString& name);
// "_THUMB_", "_PRINT_", "UNDO_": the beginnings of the files the program makes beside pictures.
const QStringList& OwnFilePrefixes();

// Copies a picture into a show folder (with trailing backslash, created when missing) under its
// own name, a safe name when its own cannot be stored, and a free numbered name when that is
// taken; the copy is made writable (archive only). Returns the name in the folder, or empty
// when no copy stands there afterwards.
QString CopyPictureIntoShow(const QString& source, const QString& showFolderPath);

// Renames a picture of a show folder whose name is not show-safe to its safe name (a free
// numbered one when that is taken) inside the same folder. Returns the name it has afterwards:
// the name itself when it was safe, empty when the rename failed.
QString RenameToShowSafeName(const QString& showFolderPath, const QString& name);

// Renames a picture of a show folder to the first free numbered name (UniquePictureName): for
// a picture whose name another one of the show has in another case. Returns the new name, empty
// when the rename failed.
QString RenameToFreeName(const QString& showFolderPath, const QString& name);

// Deletes every regular file matching mask ("C:\dir\*.jpg") in the mask's folder. Returns the
// files that could not be deleted.
[[nodiscard]] QStringList DeleteFilesMatching(const QString& pathWithMask);

// Deletes the thumbnails ("_THUMB_" + name, also the numbered ones) of a show folder whose
// picture is gone, except those that a current item refers to (referenced: full paths of the
// thumbnails the items point at, compared without regard to case) and the show's pictures
// themselves (the items' files and the further names in pictures), whatever their names. The
// picture of a thumbnail is its name after the literal "_THUMB_".
void DeleteStaleThumbnails(const QString& showFolderPath, const QStringList& items, const QStringList& pictures = {});
// The thumbnail path an item points at (the src of its image tag, "file://" removed).
QString ItemThumbnailPath(const QString& item);

// A name of a copy converted from another picture format: it ends in "_TIFF.JPG", "_GIF.JPG",
// "_JPEG.JPG" or "_BMP.JPG" (in any case) after a stem.
bool IsConvertedCopyName(const QString& name);
// Deletes the converted copies that this program made in a folder: those of made (full paths, as
// they were recorded when written) that lie in the folder and still carry a copy's name. Those
// of the folder are taken off the record. A file is never deleted for its name alone.
void DeleteConvertedCopies(const QString& folder, QStringList& made);

// True when a chosen source folder lies inside the show root or the program directory (compared
// in upper case), where the source list must not be taken from.
bool IsForbiddenSourceFolder(const QString& folder, const QString& showRoot, const QString& programDir);

} // namespace show
