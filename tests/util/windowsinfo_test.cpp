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

// The fields with a counterpart on this host come from the freedesktop places; the ones without
// stay empty as missing registry values would.
TEST_F(WorldTest, WindowsInfoFillsTheFieldsThisHostHas)
{
    world.writeHostFile("home/.config/user-dirs.dirs", "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (world.root() + "/data").toUtf8());
    ReloadWindowsInfo();
    const TWindowsInfo& info = WindowsInfo();
    const struct {
        const QString* field;
        QString host;
    } places[] = {
        {&info.Templates, world.home() + "/Vorlagen"},
        {&info.Programs, world.root() + "/data/applications"},
        {&info.Fonts, world.root() + "/data/fonts"},
        {&info.Recent, world.root() + "/data"},
        {&info.Startup, world.home() + "/.config/autostart"},
    };
    for (const auto& p : places) {
        EXPECT_FALSE(p.field->isEmpty()) << p.host.toStdString();
        EXPECT_EQ(platform::toHostPath(*p.field), p.host);
    }
    EXPECT_FALSE(info.LogonUserName.isEmpty());
    EXPECT_EQ(info.LogonUserName, testsupport::runHost("id -un").trimmed());
    EXPECT_EQ(info.ProgramFilesDir, "C:\\Program Files");
    EXPECT_EQ(info.CommonFilesDir, "C:\\Program Files\\Common Files");
    for (const QString* empty : {&info.Favorites, &info.NetHood, &info.SendTo, &info.StartMenu, &info.Cache, &info.MediaPath})
        EXPECT_TRUE(empty->isEmpty());
    if (oldData.isNull()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", oldData);
    ReloadWindowsInfo();
}
