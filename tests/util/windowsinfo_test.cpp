#include "platform/drives.h"
#include "support/fixture.h"
#include "util/windowsinfo.h"

using testsupport::WorldTest;

TEST_F(WorldTest, WindowsInfoHoldsTheUserFolders)
{
    world.writeHostFile("home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    ReloadWindowsInfo();
    const TWindowsInfo& info = WindowsInfo();
    EXPECT_EQ(platform::toHostPath(info.Personal), world.home() + "/Docs");
    EXPECT_EQ(platform::toHostPath(info.Desktop), world.home() + "/Desktop");
    EXPECT_EQ(info.SystemRoot, "C:\\Windows");
    EXPECT_TRUE(info.WabFileName.isEmpty());
    EXPECT_TRUE(info.TempPath.endsWith('\\'));
    EXPECT_FALSE(IsWindowsVersion6OrLater());
    if (testsupport::haveHostProgram("xdg-user-dir")) {
        EXPECT_EQ(info.Personal, platform::toWindowsPath(testsupport::runHost("xdg-user-dir DOCUMENTS").trimmed()));
    }
}
