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
// The Windows folders on drive C:, created when first asked for.
QString windowsFolder();
QString systemFolder();
QString system32Folder();
// The host's temporary folder, with trailing backslash.
QString tempFolder();
// The user's login name.
QString userName();

} // namespace platform
