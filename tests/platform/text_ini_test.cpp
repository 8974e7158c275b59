#include "platform/inifile.h"
#include "platform/textcodec.h"
#include "support/fixture.h"

#include <QFile>

#include <functional>

using namespace platform;
using testsupport::WorldTest;
using testsupport::runHost;

TEST(TextCodec, EveryByteRoundTrips)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i) all.append(static_cast<char>(i));
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
    EXPECT_EQ(fromWindows1252("\x80\x9f\xe4\xdf"), QString::fromUtf8("€Ÿäß"));
    EXPECT_EQ(toWindows1252(QString::fromUtf8("a€‰™b")), QByteArray("a\x80\x89\x99" "b"));
    // Outside the code page: one "?" per character, also for a surrogate pair.
    EXPECT_EQ(toWindows1252(QString::fromUtf8("x\u4e2dy😀z")), QByteArray("x?y?z"));
    EXPECT_FALSE(fitsWindows1252(QString::fromUtf8("Straße 中")));
    EXPECT_TRUE(fitsWindows1252(QString::fromUtf8("Ärger & Co €")));
}

TEST(TextCodec, LinesSplitAtAnyLineEnd)
{
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), QStringList{"a"});
    EXPECT_EQ(splitLines("a\n\nb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(splitLines(""), QStringList{});
}

TEST_F(WorldTest, TextFilesAreWindows1252WithCrLf)
{
    ASSERT_TRUE(writeTextLines("C:\\t.txt", {QString::fromUtf8("Grüße €"), "zwei"}));
    EXPECT_EQ(world.readHostFile("c/t.txt"), QByteArray("Gr\xfc\xdf" "e \x80\r\nzwei\r\n"));
    if (testsupport::haveHostProgram("iconv")) {
        int status = -1;
        const QString out = runHost("iconv -f WINDOWS-1252 -t UTF-8 '" + world.hostC() + "/t.txt'", &status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(out, QString::fromUtf8("Grüße €\r\nzwei\r\n"));
    }
    EXPECT_EQ(readTextLines("C:\\T.TXT").value(), (QStringList{QString::fromUtf8("Grüße €"), "zwei"}));
    EXPECT_FALSE(readTextLines("C:\\none.txt").has_value());
    ASSERT_TRUE(appendTextLine("C:\\log.txt", "one"));
    ASSERT_TRUE(appendTextLine("C:\\log.txt", "two"));
    EXPECT_EQ(world.readHostFile("c/log.txt"), "one\r\ntwo\r\n");
}

TEST_F(WorldTest, IniReadsFollowTheProfileRules)
{
    world.writeHostFile("c/a.ini",
                        "; comment\r\n"
                        "[Settings]\r\n"
                        "  Language = GERMAN  \r\n"
                        "Quoted=\"  spaced  \"\r\n"
                        "Single='x'\r\n"
                        "Half=\"open\r\n"
                        "language=SECOND\r\n"
                        "Empty=\r\n"
                        "Number= 42 \r\n"
                        "Bad=4,5\r\n"
                        "[settings]\r\n"
                        "Other=later section\r\n"
                        "[Next]\n"
                        "Key=v\n");
    IniFile ini("C:\\A.INI");
    EXPECT_EQ(ini.readString("SETTINGS", "language"), "GERMAN"); // first match wins
    EXPECT_EQ(ini.readString("Settings", "Quoted"), "  spaced  ");
    EXPECT_EQ(ini.readString("Settings", "Single"), "x");
    EXPECT_EQ(ini.readString("Settings", "Half"), "\"open");
    EXPECT_EQ(ini.readString("Settings", "Empty", "dflt"), "");
    EXPECT_EQ(ini.readString("Settings", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("Settings", "Other", "dflt"), "dflt"); // only the first section counts
    EXPECT_EQ(ini.readString("Nope", "Key", "d"), "d");
    EXPECT_EQ(ini.readInteger("Settings", "Number", 0), 42);
    EXPECT_EQ(ini.readInteger("Settings", "Bad", 3), 3);
    EXPECT_EQ(ini.readString("next", "KEY"), "v");
    EXPECT_EQ(ini.readSection("Settings"), (QStringList{"Language", "Quoted", "Single", "Half", "Empty", "Number", "Bad"}));
    EXPECT_TRUE(ini.sectionExists("NEXT"));
    EXPECT_TRUE(ini.valueExists("settings", "EMPTY"));
    EXPECT_FALSE(ini.valueExists("settings", "comment"));
    IniFile missing("C:\\none.ini");
    EXPECT_EQ(missing.readString("A", "B", "d"), "d");
}

TEST_F(WorldTest, IniWritesKeepEveryOtherLine)
{
    world.writeHostFile("c/b.ini", "; keep me\r\n[One]\r\nA=1\r\nB=2\r\n\r\n[Two]\r\nC=3\r\n");
    IniFile ini("C:\\b.ini");
    ASSERT_TRUE(ini.writeString("one", "b", "changed"));
    ASSERT_TRUE(ini.writeString("ONE", "New", "n"));
    ASSERT_TRUE(ini.writeString("Three", "D", QString::fromUtf8("Grüße")));
    ASSERT_TRUE(ini.writeInteger("Two", "C", -5));
    EXPECT_EQ(world.readHostFile("c/b.ini"),
              QByteArray("; keep me\r\n[One]\r\nA=1\r\nB=changed\r\nNew=n\r\n\r\n[Two]\r\nC=-5\r\n[Three]\r\nD=Gr\xfc\xdf" "e\r\n"));
    // A value never breaks the file into two lines.
    ASSERT_TRUE(ini.writeString("One", "A", "x\r\ny"));
    EXPECT_EQ(ini.readString("One", "A"), "x  y");
    ASSERT_TRUE(ini.deleteKey("One", "A"));
    EXPECT_FALSE(ini.valueExists("One", "A"));
    ASSERT_TRUE(ini.eraseSection("Two"));
    EXPECT_EQ(ini.readSections(), (QStringList{"One", "Three"}));
    // A missing file is created; a missing folder is a failure.
    IniFile fresh("C:\\fresh.ini");
    ASSERT_TRUE(fresh.writeString("SETTINGS", "Language", "GERMAN"));
    EXPECT_EQ(world.readHostFile("c/fresh.ini"), "[SETTINGS]\r\nLanguage=GERMAN\r\n");
    IniFile nowhere("C:\\no\\such\\folder.ini");
    EXPECT_FALSE(nowhere.writeString("A", "B", "C"));
}

TEST_F(WorldTest, IniSeesChangesMadeByOthersAndIsReadByCrudini)
{
    IniFile ini("C:\\c.ini");
    ASSERT_TRUE(ini.writeString("SETTINGS", "Drive", "C"));
    world.writeHostFile("c/c.ini", "[SETTINGS]\r\nDrive=D\r\nMore=1\r\n");
    EXPECT_EQ(ini.readString("SETTINGS", "Drive"), "D");
    ASSERT_TRUE(ini.writeString("SETTINGS", "Titel", QString::fromUtf8("Urlaub am Meer")));
    if (testsupport::haveHostProgram("crudini")) {
        int status = -1;
        EXPECT_EQ(runHost("crudini --get '" + world.hostC() + "/c.ini' SETTINGS Titel", &status).trimmed(), "Urlaub am Meer");
        EXPECT_EQ(status, 0);
        runHost("crudini --set '" + world.hostC() + "/c.ini' SETTINGS Drive E");
        EXPECT_EQ(ini.readString("SETTINGS", "Drive"), "E");
    }
    // Rewritten in place by someone else at once, with the same size: the new value counts.
    for (const char* letter : {"F", "G", "H"}) {
        QFile same(world.hostC() + "/c.ini");
        ASSERT_TRUE(same.open(QIODevice::ReadWrite));
        QByteArray bytes = same.readAll();
        bytes.replace(bytes.indexOf("Drive=") + 6, 1, letter);
        same.seek(0);
        same.write(bytes);
        same.close();
        EXPECT_EQ(ini.readString("SETTINGS", "Drive"), letter);
    }
    // A hand-edited file saved as UTF-8 with a byte-order mark still reads.
    world.writeHostFile("c/u.ini", "\xEF\xBB\xBF[SETTINGS]\nName=Gr\xC3\xBC\xC3\x9F" "e\n");
    EXPECT_EQ(IniFile("C:\\u.ini").readString("SETTINGS", "Name"), QString::fromUtf8("Grüße"));
}

// A write changes the lines it must and no other byte: a UTF-8 file stays UTF-8 with its mark,
// hand-made line ends and undecodable bytes survive, and new lines get the file's encoding.
TEST_F(WorldTest, IniWritesLeaveOtherLinesByteForByte)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    struct Case {
        const char* name;
        QByteArray before;
        std::function<bool(IniFile&)> edit;
        QByteArray after;
    };
    const QString photo = QString::fromUtf8("写真");
    const Case cases[] = {
        {"utf8 file, other key changed", bom + "[Show]\r\nTitle=\xE5\x86\x99\xE7\x9C\x9F\r\nSeconds=5\r\n",
         [](IniFile& ini) { return ini.writeInteger("Show", "Seconds", 7); },
         bom + "[Show]\r\nTitle=\xE5\x86\x99\xE7\x9C\x9F\r\nSeconds=7\r\n"},
        {"utf8 file, new value outside the code page",
         bom + "[Show]\nA=1\n",
         [&photo](IniFile& ini) { return ini.writeString("Show", "Title", photo); },
         bom + "[Show]\nA=1\nTitle=\xE5\x86\x99\xE7\x9C\x9F\r\n"},
        {"utf8 file, key deleted", bom + "[A]\nX=\xC3\xA9\nY=2\n[B]\nZ=\xE5\x86\x99",
         [](IniFile& ini) { return ini.deleteKey("A", "Y"); }, bom + "[A]\nX=\xC3\xA9\n[B]\nZ=\xE5\x86\x99"},
        {"utf8 file with a broken sequence kept", bom + "[A]\nBad=\xFF\xFE\nB=1\n",
         [](IniFile& ini) { return ini.writeString("A", "B", "2"); }, bom + "[A]\nBad=\xFF\xFE\nB=2\r\n"},
        {"last line without line end, key added", "[A]\nX=1",
         [](IniFile& ini) { return ini.writeString("A", "Y", "2"); }, "[A]\nX=1\r\nY=2\r\n"},
        {"code page file with LF and CR ends", "; note\n[A]\rX=\xE9\nY=1\n",
         [](IniFile& ini) { return ini.writeString("A", "Y", "9"); }, "; note\n[A]\rX=\xE9\nY=9\r\n"},
        {"section erased", bom + "[A]\nX=1\n[B]\nT=\xE5\x86\x99\n",
         [](IniFile& ini) { return ini.eraseSection("A"); }, bom + "[B]\nT=\xE5\x86\x99\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        world.writeHostFile("c/k.ini", c.before);
        IniFile ini("C:\\k.ini");
        ASSERT_TRUE(c.edit(ini));
        EXPECT_EQ(world.readHostFile("c/k.ini"), c.after);
    }
    // What was written reads back as it was meant.
    world.writeHostFile("c/k.ini", bom + "[Show]\r\nTitle=\xE5\x86\x99\xE7\x9C\x9F\r\n");
    IniFile ini("C:\\k.ini");
    ASSERT_TRUE(ini.writeString("Show", "Caption", photo + u'!'));
    EXPECT_EQ(ini.readString("Show", "Title"), photo);
    EXPECT_EQ(IniFile("C:\\k.ini").readString("Show", "Caption"), photo + u'!');
}
