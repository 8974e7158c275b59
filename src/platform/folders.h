#pragma once
// Where the program finds itself and the user's folders, as Windows paths.
#include <QString>

namespace platform {

// The full Windows path of the running executable (or the one a test set).
QString modulePath();
void setModulePathOverride(const QString& windowsPath);

// The user's documents and desktop folders as XDG names them (user-dirs.dirs; without it the
// documents folder is the home folder and the desktop folder is "Desktop" in it), no trailing
// backslash. Empty when the folder lies on no mapped drive.
QString documentsFolder();
QString desktopFolder();
// The user's other places as the freedesktop standards name them, as Windows paths without a
// trailing backslash (empty when the place lies on no mapped drive); none is created here.
QString templatesFolder();   // XDG_TEMPLATES_DIR, else ~/Templates
QString launchersFolder();   // $XDG_DATA_HOME/applications: the desktop's menu of programs
QString autostartFolder();   // $XDG_CONFIG_HOME/autostart: programs started at log-in
QString fontsFolder();       // $XDG_DATA_HOME/fonts: the user's own fonts
QString recentFolder();      // $XDG_DATA_HOME, which holds the list of recently used files
// The Windows folders on drive C:, created when first asked for.
QString windowsFolder();
QString systemFolder();
QString system32Folder();
// The host's temporary folder, with trailing backslash.
QString tempFolder();
// The user's login name.
QString userName();

} // namespace platform
