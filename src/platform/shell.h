#pragma once
// The shell's "open" verb (documents, help pages, web and mail addresses) and desktop shortcuts.
#include <QString>

namespace platform {

// Opens a Windows path or an address (http:, https:, ftp:, mailto:, file:) with the desktop's
// opener (the program table's entry "open", xdg-open by default). False when nothing could start.
bool shellOpen(const QString& target);
// The same, and waits up to waitMs for the opener's answer: false also when it ends with a
// failure meanwhile (xdg-open finds no program for the file). An opener still running then has
// found one (it is the browser or waits for it) and counts as opened.
bool shellOpenAndCheck(const QString& target, int waitMs = 3000);

// Writes a freedesktop launcher (a ".desktop" file) at the Windows path launcherPath that starts
// the Windows program path program in workingDir. The file is marked executable, as desktops
// want of a trusted launcher.
[[nodiscard]] bool writeDesktopLauncher(const QString& launcherPath, const QString& name, const QString& program,
                                        const QString& workingDir, const QString& comment = {});

// Quotes one argument for the Exec key of a launcher.
QString quoteExecArgument(const QString& hostArgument);

} // namespace platform
