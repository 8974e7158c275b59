#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/files.h"
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

TEST_F(WorldTest, TheProgramFolderAlwaysLiesOnADrive)
{
    auto& t = DriveTable::instance();
    const QString program = world.root() + "/elsewhere/program";
    QDir().mkpath(program);

    // Covered already: nothing changes.
    QString why;
    EXPECT_TRUE(t.reach(world.hostC(), &why));
    EXPECT_EQ(t.letters(), (QList<QChar>{u'C', u'D', u'Z'}));

    // Left out with Z: free: Z: = "/" reaches it.
    t.setDrives({{u'C', world.hostC()}, {u'D', world.hostD()}});
    EXPECT_TRUE(t.reach(program, &why));
    EXPECT_EQ(t.hostRoot(u'Z'), "/");
    EXPECT_FALSE(toWindowsPath(program).isEmpty());

    // Left out with Z: taken: refused, and the reason names the variable.
    t.setDrives({{u'C', world.hostC()}, {u'Z', world.hostD()}});
    EXPECT_FALSE(t.reach(program, &why));
    EXPECT_TRUE(why.contains("QUORBEL_DRIVES")) << why.toStdString();
    EXPECT_TRUE(toWindowsPath(program).isEmpty());
    t.loadFromEnvironment();
}

TEST_F(WorldTest, HostFileDialogsOpenOnHostPaths)
{
    QDir().mkpath(world.hostD() + "/Pictures");
    FileDialogRequest r;
    r.initialDir = "D:\\pictures";
    r.fileName = "D:\\Pictures\\beach.jpg";
    HostFileDialogStart s = hostFileDialogStart(r);
    EXPECT_EQ(s.directory, world.hostD() + "/Pictures");
    EXPECT_EQ(s.selection, world.hostD() + "/Pictures/beach.jpg");

    // Without a folder the chosen file's folder is opened; a bare name stays a name.
    r.initialDir.clear();
    s = hostFileDialogStart(r);
    EXPECT_EQ(s.directory, world.hostD() + "/Pictures");
    r.fileName = "gallery.html";
    s = hostFileDialogStart(r);
    EXPECT_EQ(s.selection, "gallery.html");
    EXPECT_TRUE(s.directory.isEmpty());

    // A path on no drive preselects nothing rather than a name no host folder has.
    r.fileName = "Q:\\nowhere\\x.jpg";
    s = hostFileDialogStart(r);
    EXPECT_TRUE(s.selection.isEmpty());
}

TEST_F(WorldTest, AKeptListingFollowsThisProgramsOwnChangesAndEndsWithItsScope)
{
    world.writeHostFile("c/show/Old.jpg", "1");
    const QString dir = world.hostC() + "/show";
    FolderListingScope scope;
    EXPECT_EQ(toHostPath("C:\\show\\OLD.JPG"), dir + "/Old.jpg"); // the listing is taken here
    // What the file routines make, rename and delete is in the kept listing at once.
    ASSERT_TRUE(writeFileReplacing("C:\\show\\New.jpg", "2"));
    EXPECT_EQ(toHostPath("C:\\show\\NEW.JPG"), dir + "/New.jpg");
    EXPECT_TRUE(fileExists("C:\\show\\new.jpg"));
    ASSERT_TRUE(copyFile("C:\\show\\New.jpg", "C:\\show\\Copy.jpg"));
    EXPECT_TRUE(fileExists("C:\\show\\COPY.jpg"));
    ASSERT_TRUE(renameFile("C:\\show\\Copy.jpg", "C:\\show\\Moved.jpg"));
    EXPECT_FALSE(fileExists("C:\\show\\copy.jpg"));
    EXPECT_TRUE(fileExists("C:\\show\\MOVED.jpg"));
    ASSERT_TRUE(deleteFile("C:\\show\\moved.jpg"));
    EXPECT_FALSE(fileExists("C:\\show\\MOVED.jpg"));
    ASSERT_TRUE(createDirectory("C:\\show\\Sub"));
    EXPECT_TRUE(directoryExists("C:\\show\\SUB"));
    ASSERT_TRUE(forceDirectories("C:\\show\\Deep\\Er"));
    EXPECT_TRUE(directoryExists("C:\\show\\DEEP\\ER"));
    ASSERT_TRUE(removeDirectory("C:\\show\\sub"));
    EXPECT_FALSE(directoryExists("C:\\show\\SUB"));
    // Written by someone else meanwhile: found as written, not by another case, until the scope ends.
    world.writeHostFile("c/show/Outside.jpg", "3");
    EXPECT_TRUE(fileExists("C:\\show\\Outside.jpg"));
    EXPECT_FALSE(fileExists("C:\\show\\OUTSIDE.jpg"));
    {
        FolderListingScope inner; // scopes nest: the kept listing stays
        EXPECT_FALSE(fileExists("C:\\show\\OUTSIDE.jpg"));
    }
    EXPECT_FALSE(fileExists("C:\\show\\OUTSIDE.jpg"));
}

TEST_F(WorldTest, WithoutAScopeEveryLookupSeesTheFolderAsItIs)
{
    world.writeHostFile("c/show/a.jpg", "1");
    {
        FolderListingScope scope;
        EXPECT_FALSE(fileExists("C:\\show\\B.jpg"));
    }
    world.writeHostFile("c/show/b.jpg", "2");
    EXPECT_TRUE(fileExists("C:\\show\\B.jpg"));
}
