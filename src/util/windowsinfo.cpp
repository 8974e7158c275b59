#include "windowsinfo.h"

#include "platform/folders.h"

#include <memory>

// Each field that has a counterpart on this host is filled from it. The others stay empty, as
// a missing registry value leaves them: Favorites, NetHood, SendTo and Cache (browser and
// network places of their own, which the desktop keeps per program), StartMenu (the desktop's
// menu is the launchers folder, given as Programs), MediaPath (no system sounds folder) and
// WabFileName (no address book file).
TWindowsInfo::TWindowsInfo()
{
    Desktop = platform::desktopFolder();
    Fonts = platform::fontsFolder();
    Personal = platform::documentsFolder();
    Programs = platform::launchersFolder();
    Recent = platform::recentFolder();
    Startup = platform::autostartFolder();
    Templates = platform::templatesFolder();
    LogonUserName = platform::userName();
    SystemRoot = platform::windowsFolder();
    OsFamily = QStringLiteral("Windows NT/2000/XP");
    // The folders programs and their shared files go to, on drive C: beside C:\Windows; nothing
    // here installs into them, so they are named, not made.
    ProgramFilesDir = QStringLiteral("C:\\Program Files");
    CommonFilesDir = QStringLiteral("C:\\Program Files\\Common Files");
    TempPath = platform::tempFolder();
}

namespace {
std::unique_ptr<TWindowsInfo>& instance()
{
    static std::unique_ptr<TWindowsInfo> info;
    return info;
}
} // namespace

TWindowsInfo& WindowsInfo()
{
    if (!instance()) instance() = std::make_unique<TWindowsInfo>();
    return *instance();
}

void ReloadWindowsInfo() { instance() = std::make_unique<TWindowsInfo>(); }

bool IsWindowsVersion6OrLater() { return false; }
