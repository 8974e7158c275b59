#pragma once
// Show folders and the two small files in each: "Quorbel.ini" ([QUORBEL] Titel, Time) and
// "Pictures.ini" (one line per picture: file name, " | ", caption). The show list's items are
// the "Pictures.ini" lines behind an image tag that points at the picture's thumbnail.
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace show {

// The title that marks the placeholder show "del" (compared in upper case after trimming).
inline constexpr const char* PlaceholderTitle = "SPECIALDUMMY";
inline constexpr const char* PlaceholderFolder = "del";

// The next free show folder name under showRoot: "Quorbel_" and one more than the largest
// number behind the first "_" of any folder without "." in its name; "Quorbel_0001" when none.
QString NextShowFolderName(const QString& showRoot);

// Seconds per picture as every reader uses them: trimmed; cut at the first "," or "."; an
// empty text, one that is no integer, or a value below 1 gives "3".
QString NormaliseSeconds(const QString& text);

// "Quorbel.ini" of a show folder (folder with trailing backslash).
struct ShowInfo {
    bool exists = false;   // the folder holds "Quorbel.ini"
    QString title;         // trimmed; empty for the placeholder
    bool placeholder = false;
    QString time;          // trimmed, as stored
};
ShowInfo ReadShowInfo(const QString& showFolderPath);
[[nodiscard]] bool WriteShowInfo(const QString& showFolderPath, const QString& title, const QString& seconds);

// One picture of a show.
struct PictureEntry {
    QString file;     // bare file name inside the show folder
    QString caption;
};

// A file name that may be used inside a show folder: not empty, no "\", "/" or ":", not "."
// or "..". Anything else would reach outside the folder.
bool IsBareFileName(const QString& name);

// Splits a "Pictures.ini" line: word 1 at "|" trimmed is the file, word 2 trimmed the caption.
PictureEntry ParsePictureLine(const QString& line);
// The same line as another program wrote it, in UTF-8: nullopt unless its bytes (as read in
// Windows-1252) are valid UTF-8 that reads differently.
std::optional<PictureEntry> ParsePictureLineAsUtf8(const QString& line);
// The line of a picture as the list shows it and "Pictures.ini" stores it: name + " | " + caption,
// or the name alone while the caption is empty.
QString PictureLine(const PictureEntry& entry);

// The pictures of "Pictures.ini" in play order whose line names a bare file that exists in the
// folder; every other line is dropped. A missing "Pictures.ini" gives an empty list.
QList<PictureEntry> ReadPictureList(const QString& showFolderPath);
// The raw lines of "Pictures.ini" (empty when missing).
QStringList ReadPictureLines(const QString& showFolderPath);
// Writes the lines as "Pictures.ini" (replacing the file).
[[nodiscard]] bool WritePictureLines(const QString& showFolderPath, const QStringList& lines);

// Show-list items: <IMG src="file://FOLDER_THUMB_NAME" align="top"> followed by the line.
QString ThumbnailPath(const QString& showFolderPath, const QString& file);
QString ShowItem(const QString& showFolderPath, const QString& file, const QString& lineText);
// The "Pictures.ini" line of an item: the text after the first ">" (the whole text without one).
QString ItemLine(const QString& item);

// A show offered by the show chooser: its exact folder name and its title.
struct ShowListing {
    QString folder;
    QString title;
    QString text() const { return folder + QLatin1Char(' ') + title; }
};
// The shows under showRoot: folders without "." in the name that hold "Quorbel.ini" and whose
// upper-cased name does not contain "DEL", in folder order.
QList<ShowListing> ListShows(const QString& showRoot);

// The folder of a show to delete, or empty when the name is empty or does not name a folder
// directly inside showRoot (a name holding "\", "/", ":", or "." / "..").
QString ShowFolderToDelete(const QString& showRoot, const QString& folderName);

// Deletes the thumbnails of a show folder whose picture is gone ("_THUMB_" + name, also the
// numbered ones "_THUMB_" + k + name, which name the picture k + name); a picture that
// "Pictures.ini" lists is never taken for a thumbnail.
void DeleteStaleThumbnails(const QString& showFolderPath);

} // namespace show
