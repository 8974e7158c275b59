#pragma once
// The two make targets that copy finished shows out of the show root: the CD-ROM folder (the
// player package at its top, each chosen show in a sub-folder of the same name) and the
// screensaver (the player under its ".scr" name in the Windows system folders, the package and
// the chosen shows staged in the documents folder, played full screen and endlessly).
#include <QString>
#include <QStringList>

namespace editor {

// What a copy run could not do. Single files that could not be copied are collected and the
// run goes on; a folder that could not be made ends the run where it stands.
struct ExportReport {
    QString folderNotMade;     // the folder that could not be (re)created
    QStringList failedCopies;  // the targets that could not be written
    QString notListed;         // why the installed screensaver could not be listed in the desktop's settings
    bool ok() const { return folderNotMade.isEmpty() && failedCopies.isEmpty() && notListed.isEmpty(); }
};
// The error text for a report that is not ok.
QString ExportFailureText(const ExportReport& report);

// "Quorbel.scr" for the German user interface, "Quorbelix.scr" for the four others.
QString ScreensaverFileName(const QString& languageCode);

// Deletes the CD-ROM folder with everything in it, makes it again, copies every file of the show
// root into it and every file of each chosen show (folder names inside the show root) into a
// sub-folder of the same name. Sub-folders of the root and of the shows are not copied. A player
// (of languageCode's name) missing from the show root is named among the failed copies.
ExportReport ExportToCdFolder(const QString& showRoot, const QString& cdFolder, const QStringList& showFolders,
                              const QString& languageCode);

struct ScreensaverInstall {
    QString showRoot;
    QString stagingFolder;     // documents + "Quorbel_Screensaver\" (or "Quorbelix_Screensaver\")
    QString languageCode;
    QString systemFolder;      // the Windows "system\" folder
    QString system32Folder;    // the Windows "system32\" folder
    QStringList showFolders;   // the chosen shows
};
// Rebuilds the staging folder from the show root, copies the root's "*.dll" files into both
// system folders and the player there under its ".scr" name, stages the chosen shows and sets
// the staged "Settings.ini" to play full screen and endlessly. Copies into the system folders
// that fail are not reported (a user without the rights to write there keeps the older
// screensaver); a player missing from the show root is named among the failed copies. Where
// the desktop has a screensaver service, the installed player is listed in its settings,
// started with "/s".
ExportReport InstallScreensaver(const ScreensaverInstall& install);

} // namespace editor
