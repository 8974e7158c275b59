#include "platform/drives.h"
#include "support/fixture.h"

#include <QDir>

using namespace platform;
using testsupport::WorldTest;

TEST_F(WorldTest, DrivesComeFromTheEnvironment)
{
    auto& t = DriveTable::instance();
    EXPECT_EQ(t.letters(), (QList<QChar>{u'C', u'D', u'Z'}));
    EXPECT_EQ(t.hostRoot(u'c'), world.hostC());
    EXPECT_TRUE(t.hostRoot(u'E').isEmpty());
}

TEST(Drives, DefaultTableIsHomeAndRoot)
{
    const QByteArray old = qgetenv("QUORBEL_DRIVES");
    qunsetenv("QUORBEL_DRIVES");
    DriveTable::instance().loadFromEnvironment();
    EXPECT_EQ(DriveTable::instance().hostRoot(u'C'), QDir::cleanPath(QDir::homePath()));
    EXPECT_EQ(DriveTable::instance().hostRoot(u'Z'), "/");
    if (!old.isNull()) qputenv("QUORBEL_DRIVES", old);
    DriveTable::instance().loadFromEnvironment();
}

TEST_F(WorldTest, WindowsPathsResolveWithoutRegardToCase)
{
    world.writeHostFile("c/Fotos/a.jpg", "x");
    EXPECT_EQ(toHostPath("c:\\FOTOS\\A.JPG"), world.hostC() + "/Fotos/a.jpg");
    EXPECT_EQ(toHostPath("C:/Fotos/a.jpg"), world.hostC() + "/Fotos/a.jpg");
    // Parts that do not exist are kept as written.
    EXPECT_EQ(toHostPath("C:\\fotos\\New\\B.jpg"), world.hostC() + "/Fotos/New/B.jpg");
    EXPECT_EQ(toHostPath("C:\\"), world.hostC());
    EXPECT_EQ(toHostPath("C:"), world.hostC());
    EXPECT_EQ(toHostPath("C:\\a\\..\\..\\Fotos\\.\\a.jpg"), world.hostC() + "/Fotos/a.jpg");
    EXPECT_TRUE(toHostPath("Q:\\x").isEmpty());
    EXPECT_TRUE(toHostPath("\\\\server\\share\\x").isEmpty());
    EXPECT_TRUE(toHostPath("").isEmpty());
}

TEST_F(WorldTest, ExactNameWinsOverACaseVariant)
{
    world.writeHostFile("c/dir/Name.txt", "1");
    world.writeHostFile("c/dir/name.txt", "2");
    EXPECT_EQ(toHostPath("C:\\dir\\name.txt"), world.hostC() + "/dir/name.txt");
    EXPECT_EQ(toHostPath("C:\\dir\\Name.txt"), world.hostC() + "/dir/Name.txt");
}

TEST_F(WorldTest, HostPathsBecomeWindowsPathsByTheLongestDrive)
{
    EXPECT_EQ(toWindowsPath(world.hostC() + "/Fotos/a.jpg"), "C:\\Fotos\\a.jpg");
    EXPECT_EQ(toWindowsPath(world.hostD()), "D:\\");
    EXPECT_EQ(toWindowsPath("/opt/q"), "Z:\\opt\\q");
    EXPECT_EQ(toWindowsPath(world.hostC() + "x/y"), toWindowsPath(world.root()) + "\\cx\\y"); // not drive C
}
