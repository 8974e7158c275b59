#pragma once
// The desktop's screensaver. Where xscreensaver is installed, a program becomes a screensaver by
// an entry in the list of screensaver programs of the user's xscreensaver settings
// (~/.xscreensaver); the user then picks it in xscreensaver's settings program.
#include <QString>

class QWidget;

namespace platform {

// True when xscreensaver is installed (on PATH).
bool screensaverServiceInstalled();

// The user's xscreensaver settings file (host path).
QString screensaverSettingsFile();

struct ScreensaverRegistration {
    enum Status { Registered, NoService, Failed } status = NoService;
    QString error; // Failed: what could not be read or written
};

// Lists the Windows program path program, started with the argument "/s", under the name in the
// user's screensaver list. A list that already names the program gets its entry renewed in place;
// every other line of the file stays as it was. Without a settings file one is made from the
// installed defaults with the program added to their list. NoService when xscreensaver is not
// installed (nothing is written).
ScreensaverRegistration registerScreensaver(const QString& program, const QString& name);

// Started by the screensaver service, a screensaver draws into the window the service gives it
// (XSCREENSAVER_WINDOW). Shows the widget inside that window, filling it, and gives true; false
// (nothing done) when there is no such window.
bool showInScreensaverWindow(QWidget& widget);

// The settings text with the entry for the command under the name added to (or renewed in) its
// "programs" list; defaults is the installed defaults' text, used when settings is empty.
QByteArray withScreensaverEntry(const QByteArray& settings, const QByteArray& defaults, const QByteArray& command,
                                const QByteArray& name);

} // namespace platform
