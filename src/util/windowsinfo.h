#pragma once
// The operating-system information: the user's shell folders and the Windows family, made once.
// On this host the documents and desktop folders come from the XDG user directories, the
// Windows folder is C:\Windows, and the fields that only the Windows registry held are empty.
#include <QString>

class TWindowsInfo {
public:
    TWindowsInfo();

    QString Desktop;
    QString Favorites;
    QString Fonts;
    QString NetHood;
    QString Personal;
    QString Programs;
    QString Recent;
    QString SendTo;
    QString StartMenu;
    QString Startup;
    QString Templates;
    QString Cache;
    QString LogonUserName;
    QString SystemRoot;
    QString OsFamily;
    QString ProgramFilesDir;
    QString CommonFilesDir;
    QString MediaPath;
    QString TempPath;
    QString WabFileName;
};

// The one instance, made on first use (after the drive table is in place).
TWindowsInfo& WindowsInfo();
// Makes the instance again (tests change HOME and the drive table).
void ReloadWindowsInfo();

// True when the Windows major version is above 5. Here no administrator rights are needed for
// anything the program does, so the answer is false.
bool IsWindowsVersion6OrLater();
