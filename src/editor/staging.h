#pragma once
// The folders of a run, derived from the drive and the language, and the staging of the show
// root: working folders, the sample shows of the first run, the placeholder show, the player
// package, the player's texts and the desktop launcher of the player.
#include <QString>
#include <QStringList>

#include <functional>

namespace editor {

// True for the German user interface, whose names use "Quorbel"; the four others use "Quorbelix".
bool IsGermanInterface(const QString& languageCode);
// "Quorbel-Player.exe" or "Quorbelix-Player.exe".
QString PlayerFileName(const QString& languageCode);

struct RunFolders {
    QString showRoot;          // D:\Quorbel\ or D:\Quorbelix\ (all with trailing backslash)
    QString videoFolder;       // D:\DVD-Quorbel\ ...
    QString cdFolder;          // D:\CDROM-Quorbel\ ...
    QString encoderFolder;     // video folder + "encoder\"
    QString screensaverFolder; // documents + "Quorbel_Screensaver\" ...
};
RunFolders DeriveRunFolders(const QString& driveLetter, const QString& languageCode, const QString& documentsFolder);

class ShowRootStaging {
public:
    ShowRootStaging(const QString& programDir, const QString& languageCode, const RunFolders& folders);

    // Creates the working folders (thumbs, video, encoder, gallery) and, on the first run, the
    // show root with the placeholder and the two sample shows. Empty on success, else the
    // folder that could not be made. A sample file that cannot be copied goes to Unwritten().
    QString PrepareFolders();
    // True when PrepareFolders found no show root and filled a new one.
    bool firstRun() const { return firstRun_; }

    // What every run does after the folders exist: refills "del\" (made again when missing),
    // the encoder files, the player package and the player's texts. Every file that cannot be
    // written (a full disk) goes to Unwritten(); the rest is still staged.
    void RefreshEveryRun();
    // The files (targets) that staging could not write so far, in the order tried.
    const QStringList& Unwritten() const { return unwritten_; }
    // The launcher to the player on the desktop (desktopFolder may lack its backslash), made by
    // createShellLink (target, link file, description: TMainForm::CreateShellLink); an old copy of
    // the player on the desktop is deleted. False when the launcher was not written; one that
    // could not be written on an existing desktop goes to Unwritten() too.
    using ShellLinkMaker = std::function<bool(const QString& target, const QString& linkFile, const QString& description)>;
    bool WriteDesktopShortcut(const QString& desktopFolder, const QString& driveLetter, const ShellLinkMaker& createShellLink);

    // The player package's files, in the order they are staged: source (program directory
    // relative) and target name in the show root.
    struct PackageFile {
        QString source;
        QString target;
    };
    QList<PackageFile> PackageFiles() const;

    // Both add what they cannot write to Unwritten().
    void StagePlayerPackage();
    void WritePlayerTexts();

private:
    void copyFolderFiles(const QString& from, const QString& to);

    QString programDir_;
    QString languageCode_;
    RunFolders folders_;
    bool firstRun_ = false;
    QStringList unwritten_;
};

} // namespace editor
