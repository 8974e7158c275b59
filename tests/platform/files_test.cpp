#include "platform/drives.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/textcodec.h"
#include "support/filesizelimit.h"
#include "support/fixture.h"
#include "support/smalldisk.h"
#include "support/pipewatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
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

namespace {

const int PayloadSizes[] = {3000, 200000};

// The sources, written before the disk is full: C:\source<size>.txt.
void writeSources(const testsupport::TempWorld& world)
{
    for (const int size : PayloadSizes) {
        QByteArray text;
        while (text.size() < size) text += "a line of text that fills the disk\n";
        world.writeHostFile(QString("c/source%1.txt").arg(size), text);
    }
}

// Every write that replaces a whole file, run onto a disk that is full: each must fail, keep the
// old file's bytes and leave no partial file beside it. folder is a Windows folder on that disk;
// the data is a few KB (which a write buffer would hold until the end) and 200 KB.
void expectFullDiskKeepsOldFiles(const QString& folderHost, const QString& folder)
{
    const QByteArray old = "[S]\r\nKey=old\r\n";
    for (const int size : PayloadSizes) {
        const QString source = QString("C:\\source%1.txt").arg(size);
        const QByteArray text = readFile(source).value();
        struct Row {
            const char* routine;
            std::function<bool(const QString& target)> write;
        };
        const Row rows[] = {
            {"copyFile", [&](const QString& t) { return copyFile(source, t); }},
            {"writeFileReplacing", [&](const QString& t) { return writeFileReplacing(t, text); }},
            {"writeFileReplacing, not waiting for the disk",
             [&](const QString& t) { return writeFileReplacing(t, text, FileAccess::AsBefore, QString(), WriteSync::Rebuildable); }},
            {"ReplacingWriter, writes unchecked",
             [&](const QString& t) {
                 ReplacingWriter w(t);
                 if (!w.open()) return false;
                 for (qsizetype at = 0; at < text.size(); at += 1000) w.device()->write(text.mid(at, 1000));
                 return w.commit();
             }},
            {"writeTextLines", [&](const QString& t) { return writeTextLines(t, QString::fromLatin1(text).split('\n')); }},
            {"IniFile", [&](const QString& t) { return IniFile(t).writeString("S", "Key", QString::fromLatin1(text.left(60000))); }},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.routine) + ", " + std::to_string(size) + " bytes");
            EXPECT_FALSE(row.write(folder + "target.ini"));
            EXPECT_FALSE(lastFileError().isEmpty());
            QFile f(folderHost + "/target.ini");
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), old);
            EXPECT_EQ(QDir(folderHost).entryList(QDir::Files | QDir::Hidden), (QStringList{"filler", "target.ini"}));
        }
    }
}

} // namespace

TEST_F(WorldTest, WritesOntoAFullFileSystemKeepTheOldFileAndFail)
{
    const QString mountHost = world.hostD() + "/full";
    const testsupport::SmallDisk disk(mountHost);
    if (!disk.ready()) GTEST_SKIP() << disk.why();
    writeSources(world);
    world.writeHostFile("d/full/target.ini", "[S]\r\nKey=old\r\n");
    {
        // Fill every block that is left.
        QFile filler(mountHost + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {}
    }
    expectFullDiskKeepsOldFiles(mountHost, "D:\\full\\");
}

TEST_F(WorldTest, WritesBeyondTheFileSizeLimitKeepTheOldFileAndFail)
{
    writeSources(world);
    world.writeHostFile("d/full/target.ini", "[S]\r\nKey=old\r\n");
    world.writeHostFile("d/full/filler", "");
    testsupport::FileSizeLimit limit(1024);
    expectFullDiskKeepsOldFiles(world.hostD() + "/full", "D:\\full\\");
}

TEST_F(WorldTest, PipesAndDevicesAreRefusedBeforeAnythingReadsThem)
{
    QDir().mkpath(world.hostC() + "/Pics");
    const QString pipe = world.hostC() + "/Pics/pipe.ini";
    ASSERT_TRUE(testsupport::makePipe(pipe));
    struct Row {
        const char* routine;
        std::function<bool(const QString& path)> reads; // true when it read something
    };
    const Row rows[] = {
        {"readFile", [](const QString& p) { return readFile(p).has_value(); }},
        {"readFile with a limit", [](const QString& p) { return readFile(p, 1000).has_value(); }},
        {"openFile", [](const QString& p) { return openFile(p, QIODevice::ReadOnly) != nullptr; }},
        {"readTextLines", [](const QString& p) { return readTextLines(p).has_value(); }},
        {"IniFile", [](const QString& p) { return IniFile(p).readString("S", "Key", "none") != "none"; }},
        {"copyFile", [](const QString& p) { return copyFile(p, "D:\\copy.ini"); }},
    };
    for (const QString& path : {QString("C:\\Pics\\pipe.ini"), QString("Z:\\dev\\zero")}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.routine) + " of " + path.toStdString());
            bool read = true;
            EXPECT_TRUE(testsupport::endsInTime({pipe}, std::chrono::seconds(5), [&] { read = row.reads(path); }));
            EXPECT_FALSE(read);
        }
        EXPECT_EQ(lastFileError(), "Not a regular file");
        EXPECT_FALSE(QFileInfo::exists(world.hostD() + "/copy.ini"));
    }
}

TEST_F(WorldTest, ReadingTrustsTheBytesNotTheSizeTheHostClaims)
{
    // /proc files claim a size of 0 and hold more; a file that grows past the limit is refused.
    const auto status = readFile("Z:\\proc\\self\\status");
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(status->contains("Name:"));
    world.writeHostFile("c/ten.txt", "0123456789");
    EXPECT_EQ(readFile("C:\\ten.txt", 10).value(), "0123456789");
    EXPECT_FALSE(readFile("C:\\ten.txt", 9).has_value());
    EXPECT_EQ(lastFileError(), "File too large");
}

TEST_F(WorldTest, LeftoverTemporariesOfReplacingWritesAreRemovedAndNothingElse)
{
    for (const char* name : {".~write1a2b3c4d", ".~write0", "keep/.~writeab"}) world.writeHostFile(QString("c/show/") + name, "x");
    // Names like it that no writer of ours makes, and a link: they stay.
    for (const char* name : {".~write", ".~writeXYZ", ".~write123456789", ".~write12.jpg", "a.~write12"})
        world.writeHostFile(QString("c/show/") + name, "y");
    world.writeHostFile("c/elsewhere.jpg", "z");
    ASSERT_EQ(::symlink(QFile::encodeName(world.hostC() + "/elsewhere.jpg").constData(),
                        QFile::encodeName(world.hostC() + "/show/.~writeee").constData()), 0);
    // One being written right now stays too.
    ReplacingWriter writer("C:\\show\\picture.jpg");
    ASSERT_TRUE(writer.open());
    ASSERT_EQ(writer.device()->write("partial"), 7);
    const QStringList before = QDir(world.hostC() + "/show").entryList({".~write*"}, QDir::Files | QDir::Hidden | QDir::System);
    EXPECT_EQ(before.size(), 8) << before.join(' ').toStdString(); // 2 to remove, 4 alike, the link, the writer's own
    EXPECT_TRUE(removeLeftoverTemporaries("C:\\show").isEmpty());
    const QStringList after = QDir(world.hostC() + "/show").entryList({".~write*"}, QDir::Files | QDir::Hidden | QDir::System);
    EXPECT_FALSE(after.contains(".~write1a2b3c4d"));
    EXPECT_FALSE(after.contains(".~write0"));
    for (const char* name : {".~write", ".~writeXYZ", ".~write123456789", ".~write12.jpg", ".~writeee"})
        EXPECT_TRUE(after.contains(name)) << name;
    EXPECT_EQ(after.size(), 6) << after.join(' ').toStdString(); // those four, the link and the writer's
    EXPECT_TRUE(QFile::exists(world.hostC() + "/show/keep/.~writeab")); // only the folder itself
    EXPECT_TRUE(QFile::exists(world.hostC() + "/elsewhere.jpg"));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(readFile("C:\\show\\picture.jpg").value_or(QByteArray()), "partial");
}
