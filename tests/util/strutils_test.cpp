#include "platform/files.h"
#include "platform/folders.h"
#include "support/fixture.h"
#include "util/strutils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

using testsupport::WorldTest;

TEST(Words, SplitAtDelimiterSets)
{
    struct Case { QString text; QString delims; int n; QString word; };
    const Case cases[] = {
        {"a.jpg | caption", "|", 1, "a.jpg "},
        {"a.jpg | caption", "|", 2, " caption"},
        {"a.jpg | ", "|", 2, " "},           // the caller's trim makes it empty
        {"a.jpg | caption", "|", 3, ""},
        {"a.jpg || b", "|", 2, " b"},        // repeated delimiters separate no empty word
        {"..a.b.", ".", 1, "a"},
        {"..a.b.", ".", 2, "b"},
        {"..a.b.", ".", 3, ""},
        {"0;50;2;20;10", ";", 4, "20"},
        {"C:\\Fotos\\x.jpg", PathDelimiters, 3, "x.jpg"},
        {"", "|", 1, ""},
        {"abc", "", 1, "abc"},
        {"abc", "|", 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(GetWordAt(c.n, c.text, c.delims), c.word) << c.text.toStdString() << " #" << c.n;
    EXPECT_EQ(CountWords("..a.b.", "."), 2);
    EXPECT_EQ(CountWords("", "."), 0);
    EXPECT_EQ(CountWords("a b  c ", " "), 3);
    int pos = 0;
    EXPECT_TRUE(FindWordStart(2, "  ab cd", " ", pos));
    EXPECT_EQ(pos, 6);
    EXPECT_FALSE(FindWordStart(3, "  ab cd", " ", pos));
    EXPECT_TRUE(CharInString("abc", 'b'));
    EXPECT_FALSE(CharInString("abc", 'd'));
}

TEST(Words, PadLeft)
{
    EXPECT_EQ(PadLeftChar("7", '0', 4), "0007");
    EXPECT_EQ(PadLeftChar("12345", '0', 4), "12345");
    EXPECT_EQ(PadLeftChar("", ' ', 2), "  ");
}

TEST(Paths, FolderParts)
{
    struct Case { QString in; QString folder; };
    const Case cases[] = {
        {"C:\\Shows\\a.jpg", "C:\\Shows"},
        {"C:\\a.jpg", "C:\\"},
        {"a.jpg", ""},
        {"\\a.jpg", "\\"},
        {"C:a.jpg", "C:"},
        {"C:\\Shows\\", "C:\\Shows"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(PathWithoutName(c.in), c.folder) << c.in.toStdString();
    EXPECT_EQ(EnsureTrailingBackslash("C:"), "C:\\");
    EXPECT_EQ(EnsureTrailingBackslash("C"), "C");
    EXPECT_EQ(EnsureTrailingBackslash("ab"), "ab");
    EXPECT_EQ(EnsureTrailingBackslash(""), "");
    EXPECT_EQ(EnsureTrailingBackslash("C:\\Shows"), "C:\\Shows\\");
    EXPECT_EQ(EnsureTrailingBackslash("C:\\Shows\\"), "C:\\Shows\\");
    EXPECT_EQ(PathAddSeparator(""), "\\");
    EXPECT_EQ(PathAddSeparator("C:\\x"), "C:\\x\\");
    EXPECT_EQ(PathRemoveSeparator("C:\\x\\"), "C:\\x");
    EXPECT_EQ(PathRemoveSeparator("C:\\x"), "C:\\x");
}

TEST(Paths, MakeDosName)
{
    struct Case { QString in; QString out; };
    const Case cases[] = {
        {QString::fromUtf8("C:\\Fotos\\Ärger & Co.JPG"), "cxxfotosxaerger_a_co_jpg"},
        {QString::fromUtf8("Öl Über Straße"), "oel_ueber_strasse"},
        {QString::fromUtf8("É ñ é"), QString::fromUtf8("É_ñ__")},
        {QString::fromUtf8("a'b-c!d$e%f=g\"h§i?j,k´l`m€n"), "a_b_c_d_e_f_g_h_i_j_k_l_m_n"},
        {"(1)*<2>/3:", "x1xxx2xx3x"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeDosName(c.in), c.out) << c.in.toStdString();
}

TEST_F(WorldTest, FileListsTakeMasksAndAttributes)
{
    world.writeHostFile("c/p/b.JPG", "1");
    world.writeHostFile("c/p/a.jpg", "1");
    world.writeHostFile("c/p/c.png", "1");
    world.writeHostFile("c/p/.hidden.jpg", "1");
    QDir(world.hostC()).mkpath("p/sub.jpg");
    QStringList list;
    EXPECT_TRUE(BuildFileList("C:\\p\\*.jpg; *.png", platform::faArchive | platform::faReadOnly, list));
    EXPECT_EQ(list, (QStringList{"a.jpg", "b.JPG", "c.png"}));
    list.clear();
    EXPECT_TRUE(BuildFileList("C:\\p\\*.*", platform::faAnyFile, list));
    EXPECT_EQ(list.size(), 5);
    list.clear();
    EXPECT_FALSE(BuildFileList("C:\\p\\*.gif", platform::faAnyFile, list));
    EXPECT_FALSE(BuildFileList("C:\\none\\*.*", platform::faAnyFile, list));
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(WorldTest, DeleteDirectoryRemovesReadOnlyFilesButNeverFollowsLinks)
{
    world.writeHostFile("c/tree/a/ro.txt", "x");
    world.writeHostFile("c/tree/b.txt", "y");
    world.writeHostFile("outside/keep.txt", "keep");
    ASSERT_TRUE(platform::setFileAttributes("C:\\tree\\a\\ro.txt", platform::faReadOnly));
    ASSERT_EQ(::symlink(QFile::encodeName(world.root() + "/outside").constData(), QFile::encodeName(world.hostC() + "/tree/link").constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(world.root() + "/outside/keep.txt").constData(), QFile::encodeName(world.hostC() + "/tree/a/filelink").constData()), 0);
    EXPECT_TRUE(DeleteDirectory("C:\\tree\\"));
    EXPECT_FALSE(QFileInfo::exists(world.hostC() + "/tree"));
    EXPECT_EQ(world.readHostFile("outside/keep.txt"), "keep");
}

TEST_F(WorldTest, DeleteTreeRefusesEmptyNamesAndRootsAndHonoursTheCallback)
{
    world.writeHostFile("c/t/keep.jpg", "1");
    world.writeHostFile("c/t/drop.tmp", "1");
    EXPECT_FALSE(DeleteTree("", false));
    EXPECT_FALSE(DeleteTree("C:\\", false));
    EXPECT_FALSE(DeleteTree("C:", false));
    EXPECT_TRUE(QFileInfo::exists(world.hostC() + "/t/keep.jpg"));
    QStringList offered;
    EXPECT_FALSE(DeleteTree("C:\\t", false, [&](const QString& name, int) {
        offered << name;
        return name.endsWith(".tmp");
    }));
    EXPECT_EQ(offered, (QStringList{"C:\\t\\drop.tmp", "C:\\t\\keep.jpg"}));
    EXPECT_TRUE(QFileInfo::exists(world.hostC() + "/t/keep.jpg"));
    EXPECT_FALSE(QFileInfo::exists(world.hostC() + "/t/drop.tmp"));
    EXPECT_FALSE(DeleteTree("C:\\missing", false));
}

TEST_F(WorldTest, ExistenceAndModulePath)
{
    world.writeHostFile("c/x/y.txt", "1");
    EXPECT_TRUE(DirectoryExists("C:\\X"));
    EXPECT_TRUE(FileExists("C:\\X\\Y.TXT"));
    EXPECT_FALSE(FileExists("C:\\X"));
    platform::setModulePathOverride("C:\\Prog\\quorbel");
    EXPECT_EQ(GetModulePath(), "C:\\Prog\\quorbel");
    EXPECT_EQ(EnsureTrailingBackslash(PathWithoutName(GetModulePath())), "C:\\Prog\\");
    platform::setModulePathOverride({});
    EXPECT_TRUE(GetModulePath().endsWith("util_tests"));
}

TEST_F(WorldTest, VersionRecordOfAWindowsExecutable)
{
    QByteArray pe = "MZ" + QByteArray(62, '\0');
    pe += QByteArray(reinterpret_cast<const char*>(u"VS_VERSION_INFO"), 30);
    pe += QByteArray(2, '\0');
    while (pe.size() % 4) pe += '\0';
    QByteArray fixed("\xBD\x04\xEF\xFE", 4);
    fixed += QByteArray(48, '\x01');
    pe += fixed + QByteArray(16, '\0');
    world.writeHostFile("c/app.exe", pe);
    QByteArray record;
    ASSERT_TRUE(VersionFixedFileInfo("C:\\app.exe", record));
    EXPECT_EQ(record, fixed);
    world.writeHostFile("c/elf", "\x7f" "ELF....");
    EXPECT_FALSE(VersionFixedFileInfo("C:\\elf", record));
    EXPECT_FALSE(VersionFixedFileInfo("C:\\none", record));
}
