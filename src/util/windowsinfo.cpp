#include "windowsinfo.h"

#include "platform/folders.h"

#include <memory>

TWindowsInfo::TWindowsInfo()
{
    Desktop = platform::desktopFolder();
    Personal = platform::documentsFolder();
    SystemRoot = platform::windowsFolder();
    OsFamily = QStringLiteral("Windows NT/2000/XP");
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
