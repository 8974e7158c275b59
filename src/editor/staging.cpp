#include "staging.h"

#include "app/language.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/shell.h"
#include "util/strutils.h"

#include <QList>

namespace editor {

namespace {

const char* const SdkFiles[] = {"PFCMP13n.DLL", "PXDIS13n.dll", "pxefx13n.dll", "pxfil13n.DLL",
                                "pxkrn13n.dll", "pximg13n.dll", "pxtwn13n.dll", "pfbmp13n.dll"};

QString productWord(const QString& languageCode)
{
    return IsGermanInterface(languageCode) ? QStringLiteral("Quorbel") : QStringLiteral("Quorbelix");
}

// Creates a folder (and missing parents) unless it exists.
bool ensureFolder(const QString& folder)
{
    return platform::directoryExists(folder) || platform::forceDirectories(folder);
}

} // namespace

bool IsGermanInterface(const QString& languageCode) { return languageCode == QLatin1String("GERMAN"); }

QString PlayerFileName(const QString& languageCode) { return productWord(languageCode) + QStringLiteral("-Player.exe"); }

RunFolders DeriveRunFolders(const QString& driveLetter, const QString& languageCode, const QString& documentsFolder)
{
    const QString d = driveLetter.toUpper();
    const QString word = productWord(languageCode);
    RunFolders f;
    f.showRoot = d + QStringLiteral(":\\") + word + u'\\';
    f.videoFolder = d + QStringLiteral(":\\DVD-") + word + u'\\';
    f.cdFolder = d + QStringLiteral(":\\CDROM-") + word + u'\\';
    f.encoderFolder = f.videoFolder + QStringLiteral("encoder\\");
    f.screensaverFolder = EnsureTrailingBackslash(documentsFolder) + word + QStringLiteral("_Screensaver\\");
    return f;
}

ShowRootStaging::ShowRootStaging(const QString& programDir, const QString& languageCode, const RunFolders& folders)
    : programDir_(EnsureTrailingBackslash(programDir)), languageCode_(languageCode), folders_(folders)
{
}

void ShowRootStaging::copyFolderFiles(const QString& from, const QString& to)
{
    for (const auto& e : platform::findFiles(from, QStringLiteral("*.*"))) {
        if (e.attributes & platform::faDirectory) continue;
        if (!platform::copyFile(from + e.name, to + e.name, false, to)) unwritten_.append(to + e.name);
    }
}

QString ShowRootStaging::PrepareFolders()
{
    for (const QString& folder : {programDir_ + QStringLiteral("thumbs\\"), folders_.videoFolder, folders_.encoderFolder,
                                  programDir_ + QStringLiteral("gallery")}) {
        if (!ensureFolder(folder)) return folder;
    }
    firstRun_ = false;
    if (platform::directoryExists(folders_.showRoot)) return {};
    const QString root = folders_.showRoot;
    for (const QString& folder : {root, root + QStringLiteral("del\\"), root + QStringLiteral("Quorbel_0001\\"),
                                  root + QStringLiteral("Quorbel_0002\\")}) {
        if (!ensureFolder(folder)) return folder;
    }
    firstRun_ = true;
    const QString music = QStringLiteral("Bumble Bee - TORVELD.mp3");
    for (const char* sample : {"Quorbel_0001", "Quorbel_0002"}) {
        const QString name = QLatin1String(sample) + u'\\';
        copyFolderFiles(programDir_ + QStringLiteral("quorbel\\") + name, root + name);
        if (!platform::copyFile(programDir_ + music, root + name + music)) unwritten_.append(root + name + music);
    }
    return {};
}

void ShowRootStaging::RefreshEveryRun()
{
    const QString del = folders_.showRoot + QStringLiteral("del\\");
    if (ensureFolder(del)) copyFolderFiles(programDir_ + QStringLiteral("quorbel\\del\\"), del);
    else unwritten_.append(del);
    const QString encoder = programDir_ + QStringLiteral("encoder\\");
    const QString lame = QStringLiteral("Lame_enc.dll");
    if (platform::fileExists(programDir_ + lame) && !platform::copyFile(programDir_ + lame, encoder + lame))
        unwritten_.append(encoder + lame);
    copyFolderFiles(encoder, folders_.encoderFolder);
    StagePlayerPackage();
    WritePlayerTexts();
}

bool ShowRootStaging::WriteDesktopShortcut(const QString& desktopFolder, const QString& driveLetter,
                                           const ShellLinkMaker& createShellLink)
{
    if (desktopFolder.isEmpty()) return false;
    const QString desktop = desktopFolder.endsWith(u'\\') ? desktopFolder : desktopFolder + u'\\';
    const QString word = productWord(languageCode_);
    const QString root = driveLetter + QStringLiteral(":\\") + word + u'\\';
    bool written = false;
    const QString launcher = desktop + word + QStringLiteral("-Player.desktop");
    if (ensureFolder(desktop) && createShellLink) {
        written = createShellLink(root + PlayerFileName(languageCode_), launcher, word + QStringLiteral("-Player"));
        if (!written) unwritten_.append(launcher);
    }
    // An old copy of the player that cannot be deleted only stays where it was: nothing to report.
    if (platform::fileExists(desktop + QStringLiteral("Quorbel-Player.exe")))
        (void)platform::deleteFile(desktop + QStringLiteral("Quorbel-Player.exe"));
    return written;
}

QList<ShowRootStaging::PackageFile> ShowRootStaging::PackageFiles() const
{
    const QString package = QStringLiteral("quorbel\\");
    QList<PackageFile> files;
    files.append({package + (IsGermanInterface(languageCode_) ? QStringLiteral("Autorun.inf") : QStringLiteral("Quorbelix-Autorun.inf")),
                  QStringLiteral("Autorun.inf")});
    files.append({package + QStringLiteral("Quorbel-Player.exe"), PlayerFileName(languageCode_)});
    for (const char* name : {"play.ply", "intro.ply", "Settings.ini"})
        files.append({package + QLatin1String(name), QLatin1String(name)});
    for (const char* name : SdkFiles) files.append({QLatin1String(name), QLatin1String(name)});
    files.append({QStringLiteral("Effects.ini"), QStringLiteral("Effects.ini")});
    return files;
}

void ShowRootStaging::StagePlayerPackage()
{
    for (const PackageFile& f : PackageFiles()) {
        const QString source = programDir_ + f.source;
        if (platform::fileExists(source) && !platform::copyFile(source, folders_.showRoot + f.target))
            unwritten_.append(folders_.showRoot + f.target);
    }
}

void ShowRootStaging::WritePlayerTexts()
{
    platform::IniFile ini(folders_.showRoot + QStringLiteral("Language.ini"));
    const QString section = QStringLiteral("PLAYER");
    bool written = ini.writeString(section, QStringLiteral("Language"), languageCode_);
    for (int n = 100001; n <= 100004 && written; ++n) written = ini.writeString(section, QString::number(n), LangText(n));
    if (!written) unwritten_.append(ini.fileName());
}

} // namespace editor
