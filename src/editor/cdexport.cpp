#include "cdexport.h"

#include "staging.h"

#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/screensaver.h"
#include "show/showfiles.h"
#include "util/strutils.h"

namespace editor {

namespace {

// Copies every ordinary file of a folder (no sub-folders) into another; the targets that could
// not be written go to failures when a list is given.
void copyFolderFiles(const QString& from, const QString& to, QStringList* failures, const QString& mask = QStringLiteral("*.*"))
{
    for (const platform::DirEntry& e : platform::findFiles(from, mask)) {
        if (e.attributes & platform::faDirectory) continue;
        if (!platform::isRegularFile(from + e.name)) continue; // pipes and devices are no show files
        if (!platform::copyFile(from + e.name, to + e.name, false, to) && failures) failures->append(to + e.name);
    }
}

// Deletes a folder with everything in it and makes it again, empty.
bool remakeFolder(const QString& folder)
{
    // Whether all went is told by the folder itself: something in it could not be deleted.
    (void)DeleteDirectory(PathRemoveSeparator(folder));
    if (platform::directoryExists(folder)) return false;
    return platform::forceDirectories(folder);
}

// Copies the chosen shows into sub-folders of target. False when a sub-folder could not be made.
bool copyShows(const QString& showRoot, const QString& target, const QStringList& showFolders, ExportReport& report)
{
    for (const QString& show : showFolders) {
        if (!show::IsBareFileName(show)) continue; // a name that would reach outside the show root
        const QString to = target + show + u'\\';
        if (!platform::directoryExists(to) && !platform::createDirectory(to)) {
            report.folderNotMade = to;
            return false;
        }
        copyFolderFiles(showRoot + show + u'\\', to, &report.failedCopies);
    }
    return true;
}

// The player a copy of the show root cannot do without: when staging could not put it there, the
// copy goes on and names it.
void requirePlayer(const QString& root, const QString& languageCode, ExportReport& report)
{
    const QString player = root + PlayerFileName(languageCode);
    if (!platform::isRegularFile(player)) report.failedCopies.append(player);
}

} // namespace

QString ExportFailureText(const ExportReport& report)
{
    if (!report.folderNotMade.isEmpty()) return QStringLiteral("Unable to create the folder ") + report.folderNotMade;
    if (report.failedCopies.isEmpty()) return report.notListed;
    return HeadedList(QStringLiteral("Unable to copy these files:"), report.failedCopies);
}

QString ScreensaverFileName(const QString& languageCode)
{
    return IsGermanInterface(languageCode) ? QStringLiteral("Quorbel.scr") : QStringLiteral("Quorbelix.scr");
}

ExportReport ExportToCdFolder(const QString& showRoot, const QString& cdFolder, const QStringList& showFolders,
                              const QString& languageCode)
{
    ExportReport report;
    const QString root = EnsureTrailingBackslash(showRoot);
    const QString cd = EnsureTrailingBackslash(cdFolder);
    if (!remakeFolder(cd)) {
        report.folderNotMade = cd;
        return report;
    }
    requirePlayer(root, languageCode, report);
    copyFolderFiles(root, cd, &report.failedCopies);
    copyShows(root, cd, showFolders, report);
    return report;
}

ExportReport InstallScreensaver(const ScreensaverInstall& install)
{
    ExportReport report;
    const QString root = EnsureTrailingBackslash(install.showRoot);
    const QString staging = EnsureTrailingBackslash(install.stagingFolder);
    if (!remakeFolder(staging)) {
        report.folderNotMade = staging;
        return report;
    }
    requirePlayer(root, install.languageCode, report);
    copyFolderFiles(root, staging, &report.failedCopies);
    const QString player = root + PlayerFileName(install.languageCode);
    for (const QString& folder : {install.systemFolder, install.system32Folder}) {
        if (folder.isEmpty()) continue;
        const QString system = EnsureTrailingBackslash(folder);
        copyFolderFiles(root, system, nullptr, QStringLiteral("*.dll"));
        (void)platform::copyFile(player, system + ScreensaverFileName(install.languageCode)); // not reported: see above
    }
    if (!copyShows(root, staging, install.showFolders, report)) return report;
    // The staged copy of the root's play settings differs in two keys: a screensaver fills the
    // screen and plays until the user comes back, never stopping at the end of the shows.
    platform::IniFile staged(staging + QStringLiteral("Settings.ini"));
    const QString section = QStringLiteral("SETTINGS");
    if (!staged.writeString(section, QStringLiteral("Fullscreen"), QStringLiteral("TRUE")) ||
        !staged.writeString(section, QStringLiteral("StopQuorbelAtEnd"), QStringLiteral("FALSE")))
        report.failedCopies.append(staging + QStringLiteral("Settings.ini"));
    // The desktop's screensaver service starts the copy in the system folder with "/s"; the
    // player then plays the staged shows.
    const QString systemFolder = install.system32Folder.isEmpty() ? install.systemFolder : install.system32Folder;
    const QString installed = EnsureTrailingBackslash(systemFolder) + ScreensaverFileName(install.languageCode);
    if (!systemFolder.isEmpty() && platform::fileExists(installed)) {
        const platform::ScreensaverRegistration listed =
            platform::registerScreensaver(installed, ScreensaverFileName(install.languageCode).chopped(4));
        if (listed.status == platform::ScreensaverRegistration::Failed) report.notListed = listed.error;
    }
    return report;
}

} // namespace editor
