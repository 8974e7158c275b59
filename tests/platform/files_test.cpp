#include "platform/drives.h"
#include "platform/files.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using testsupport::WorldTest;

TEST_F(WorldTest, ExistenceTestsTellFilesFromFolders)
{
    world.writeHostFile("c/Dir/file.txt", "abc");
    EXPECT_TRUE(fileExists("C:\\dir\\FILE.TXT"));
    EXPECT_FALSE(directoryExists("C:\\dir\\FILE.TXT"));
    EXPECT_TRUE(directoryExists("C:\\DIR"));
    EXPECT_TRUE(directoryExists("C:\\DIR\\"));
    EXPECT_FALSE(fileExists("C:\\dir"));
    EXPECT_FALSE(fileExists("C:\\none.txt"));
    EXPECT_FALSE(fileExists("Q:\\file.txt"));
    EXPECT_EQ(fileSize("C:\\dir\\file.txt"), 3);
    EXPECT_EQ(fileAttributes("C:\\none"), -1);
}

TEST_F(WorldTest, AttributesFollowTheWriteBit)
{
    world.writeHostFile("c/f.txt", "x");
    EXPECT_EQ(fileAttributes("C:\\f.txt"), faArchive);
    ASSERT_TRUE(setFileAttributes("C:\\f.txt", faReadOnly));
    EXPECT_EQ(fileAttributes("C:\\f.txt"), faArchive | faReadOnly);
    EXPECT_FALSE(deleteFile("C:\\f.txt")); // read-only files are refused, as on Windows
    ASSERT_TRUE(setFileAttributes("C:\\f.txt", faArchive));
    EXPECT_EQ(fileAttributes("C:\\f.txt"), faArchive);
    EXPECT_TRUE(deleteFile("C:\\f.txt"));
    world.writeHostFile("c/.hidden", "x");
    EXPECT_TRUE(fileAttributes("C:\\.hidden") & faHidden);
}

TEST_F(WorldTest, CopyOverwritesKeepsExecutableBitAndLeavesASelfCopyAlone)
{
    const QString src = world.writeHostFile("c/tool", "#!/bin/sh\n");
    ::chmod(QFile::encodeName(src).constData(), 0755);
    world.writeHostFile("d/tool", "old contents that are longer");
    ASSERT_TRUE(copyFile("C:\\tool", "D:\\TOOL"));
    EXPECT_EQ(world.readHostFile("d/tool"), "#!/bin/sh\n");
    EXPECT_TRUE(isExecutable("D:\\tool"));
    EXPECT_FALSE(copyFile("C:\\tool", "D:\\tool", true));
    // Onto itself (also under another case): nothing changes, no truncation.
    EXPECT_TRUE(copyFile("C:\\tool", "c:\\TOOL"));
    EXPECT_EQ(world.readHostFile("c/tool"), "#!/bin/sh\n");
    EXPECT_FALSE(copyFile("C:\\missing", "D:\\x"));
    EXPECT_FALSE(fileExists("D:\\x"));
}

TEST_F(WorldTest, RenameNeverReplaces)
{
    world.writeHostFile("c/a.txt", "A");
    world.writeHostFile("c/b.txt", "B");
    EXPECT_FALSE(renameFile("C:\\a.txt", "C:\\b.txt"));
    EXPECT_EQ(world.readHostFile("c/b.txt"), "B");
    EXPECT_EQ(world.readHostFile("c/a.txt"), "A");
    EXPECT_TRUE(renameFile("C:\\a.txt", "C:\\c.txt"));
    EXPECT_EQ(world.readHostFile("c/c.txt"), "A");
    // A change of case alone is a rename of the same file.
    EXPECT_TRUE(renameFile("C:\\c.txt", "C:\\C.TXT"));
    EXPECT_TRUE(QFileInfo::exists(world.hostC() + "/C.TXT"));
    EXPECT_FALSE(QFileInfo::exists(world.hostC() + "/c.txt"));
    // Folders move too.
    world.writeHostFile("c/dir1/x", "x");
    EXPECT_TRUE(renameFile("C:\\dir1", "C:\\dir2"));
    EXPECT_TRUE(fileExists("C:\\dir2\\x"));
}

TEST(Files, MaskMatchingFollowsWindows)
{
    struct Case { const char* name; const char* mask; bool match; };
    const Case cases[] = {
        {"a.jpg", "*.jpg", true}, {"A.JPG", "*.jpg", true}, {"a.jpeg", "*.jpg", false},
        {"photo.jpg.bak", "*.jpg", false}, {"noext", "*.*", true}, {"noext", "*", true},
        {"noext", "noext.*", true}, {"a.b.c", "*.c", true}, {"ab", "a?", true}, {"abc", "a?", false},
        {"Audio001.mp3", "Audio*.*", true}, {"_THUMB_x.jpg", "_thumb_*", true},
    };
    for (const auto& c : cases) EXPECT_EQ(matchesMask(c.name, c.mask), c.match) << c.name << " " << c.mask;
}

TEST_F(WorldTest, ListingsAreSortedWithoutRegardToCaseAndCarryAttributes)
{
    world.writeHostFile("c/l/b.jpg", "1");
    world.writeHostFile("c/l/A.jpg", "22");
    world.writeHostFile("c/l/c.txt", "3");
    QDir(world.hostC()).mkpath("l/d.jpg");
    const auto all = findFiles("C:\\l", "*.*");
    QStringList names;
    for (const auto& e : all) names << e.name;
    EXPECT_EQ(names, (QStringList{"A.jpg", "b.jpg", "c.txt", "d.jpg"}));
    EXPECT_EQ(all[0].size, 2);
    EXPECT_TRUE(all[3].attributes & faDirectory);
    EXPECT_EQ(findFiles("C:\\l\\", "*.JPG").size(), 3);
    EXPECT_TRUE(findFiles("C:\\nothere", "*.*").isEmpty());
}

TEST_F(WorldTest, FoldersAreCreatedAndRemoved)
{
    EXPECT_FALSE(createDirectory("C:\\a\\b"));
    EXPECT_TRUE(forceDirectories("C:\\a\\b\\c\\"));
    EXPECT_TRUE(directoryExists("C:\\a\\b\\c"));
    EXPECT_FALSE(removeDirectory("C:\\a\\b"));
    EXPECT_TRUE(removeDirectory("C:\\a\\b\\c"));
    EXPECT_FALSE(forceDirectories("Q:\\x"));
}

TEST_F(WorldTest, ReplacingWritesKeepTheOldFileUntilCommit)
{
    world.writeHostFile("c/pic.jpg", "old");
    {
        ReplacingWriter w("C:\\pic.jpg");
        ASSERT_TRUE(w.open());
        w.device()->write("new, half written");
        // dropped without commit
    }
    EXPECT_EQ(world.readHostFile("c/pic.jpg"), "old");
    EXPECT_EQ(QDir(world.hostC()).entryList(QDir::Files), QStringList{"pic.jpg"});
    ASSERT_TRUE(writeFileReplacing("C:\\pic.jpg", "new"));
    EXPECT_EQ(world.readHostFile("c/pic.jpg"), "new");
    EXPECT_EQ(readFile("C:\\pic.jpg").value(), "new");
    EXPECT_FALSE(readFile("C:\\pic.jpg", 2).has_value());
    EXPECT_FALSE(readFile("C:\\").has_value());
}

TEST_F(WorldTest, OwnerOnlyWritesAreClosedToOthersFromTheFirstByte)
{
    const auto everyone = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                          QFileDevice::ReadOther;
    const auto mask = everyone | QFileDevice::WriteGroup | QFileDevice::WriteOther | QFileDevice::ExeOwner;
    const QString host = world.hostC() + "/secret.ini";
    for (const bool existed : {false, true}) {
        SCOPED_TRACE(existed ? "over a file readable by everyone" : "a new file");
        QFile::remove(host);
        if (existed) {
            world.writeHostFile("c/secret.ini", "old");
            QFile::setPermissions(host, everyone);
        }
        ReplacingWriter w("C:\\secret.ini", FileAccess::OwnerOnly);
        ASSERT_TRUE(w.open());
        w.device()->write("password=geheim");
        // While it is written, the file taking the new text (a temporary beside the target, named
        // or not yet) is the owner's alone; the open descriptors of the process show it either way.
        int temporaries = 0;
        for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files)) {
            const QString target = fd.symLinkTarget();
            if (!target.startsWith(world.hostC() + "/") || target == host) continue;
            ++temporaries;
            EXPECT_EQ(QFile::permissions(fd.filePath()) & mask, QFileDevice::ReadOwner | QFileDevice::WriteOwner)
                << target.toStdString();
        }
        EXPECT_EQ(temporaries, 1);
        ASSERT_TRUE(w.commit());
        EXPECT_EQ(QFile::permissions(host) & mask, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        EXPECT_EQ(world.readHostFile("c/secret.ini"), "password=geheim");
    }
    // Without the request a replaced file keeps what it had.
    ASSERT_TRUE(QFile::setPermissions(host, everyone));
    ASSERT_TRUE(writeFileReplacing("C:\\secret.ini", "plain"));
    EXPECT_EQ(QFile::permissions(host) & mask, everyone);
}

TEST_F(WorldTest, FreeSpaceOfAMappedDrive)
{
    EXPECT_GT(diskFreeBytes("D"), 0);
    EXPECT_GT(diskFreeBytes("D:\\not\\yet\\there"), 0);
    EXPECT_EQ(diskFreeBytes("Q:\\"), -1);
}

TEST_F(WorldTest, RegularFilesAreToldFromPipesAndFolders)
{
    world.writeHostFile("c/Pics/a.jpg", "x");
    ASSERT_EQ(::mkfifo((world.hostC() + "/Pics/pipe.jpg").toLocal8Bit().constData(), 0600), 0);
    EXPECT_TRUE(isRegularFile("C:\\pics\\A.JPG"));
    EXPECT_FALSE(isRegularFile("C:\\Pics\\pipe.jpg"));
    EXPECT_FALSE(isRegularFile("C:\\Pics"));
    EXPECT_FALSE(isRegularFile("C:\\Pics\\none.jpg"));
}
