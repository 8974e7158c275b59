#include "editor/editorsettings.h"
#include "show/effectlist.h"
#include "editor_fixture.h"

using namespace editor;
using namespace show;

class SettingsTest : public EditorTest {
protected:
    void SetUp() override {}
    void TearDown() override {}
    QString ini() const { return world.programDir() + "Generator.ini"; }
    QString iniHost() const { return world.programHost() + "/Generator.ini"; }
    QStringList keysOf(const QString& host)
    {
        return testsupport::runHost("crudini --get '" + host + "' SETTINGS").split('\n', Qt::SkipEmptyParts);
    }
};

TEST_F(SettingsTest, EmptyFileGivesTheDefaults)
{
    writeAll(iniHost(), "");
    const EditorSettings s = LoadEditorSettings(ini(), world.programDir());
    EXPECT_FALSE(s.endlessPlay);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_TRUE(s.manuell);
    EXPECT_FALSE(s.pictureText);
    EXPECT_FALSE(s.fileName);
    EXPECT_EQ(s.bkgColor, 0);
    EXPECT_EQ(s.textColor, 16777215); // white captions on the black background
    EXPECT_EQ(s.effectMode, "OFF");
    EXPECT_EQ(s.effect, 1);
    EXPECT_EQ(s.textOffset, 0);
    EXPECT_EQ(s.defaultTime, "");
    EXPECT_EQ(DriveLetterOf(s.drive), "");
}

TEST_F(SettingsTest, StoredValuesAreReadByTheirRules)
{
    writeAll(iniHost(), "[settings]\r\nStopQuorbelAtEnd=false\r\nFullscreen=no\r\nManuell=FALSE\r\nPictureTextVisible=true\r\n"
                        "FileNameVisible=yes\r\nBKGColor=255\r\nTextColor=abc\r\nEffectMode=random\r\nEffect=9\r\nTextOffset=-4\r\n"
                        "SourcePicturesPath=" + world.programDir().toLower().toUtf8() + "\r\nDrive=d:\\\r\n");
    const EditorSettings s = LoadEditorSettings(ini(), world.programDir());
    EXPECT_TRUE(s.endlessPlay);
    EXPECT_TRUE(s.fullscreen);           // only "FALSE" switches it off
    EXPECT_FALSE(s.manuell);
    EXPECT_TRUE(s.pictureText);
    EXPECT_FALSE(s.fileName);            // only "TRUE" switches it on
    EXPECT_EQ(s.bkgColor, 255);
    EXPECT_EQ(s.textColor, 16777215);    // no number: the default
    EXPECT_EQ(s.effectMode, "OFF");      // compared exactly
    EXPECT_EQ(s.effect, 9);
    EXPECT_EQ(s.textOffset, -4);
    EXPECT_EQ(s.sourceFolder, "c:\\");   // the program directory is no source folder
    EXPECT_EQ(DriveLetterOf(s.drive), "D");
}

TEST_F(SettingsTest, CaptionsAreWhiteUnlessTheSettingsSayOtherwise)
{
    // No TextColor: white, in the window's panel and in what Save writes for the player.
    writeAll(iniHost(), "[SETTINGS]\r\nBKGColor=0\r\n");
    EditorSettings s = LoadEditorSettings(ini(), world.programDir());
    EXPECT_EQ(s.textColor, 16777215);
    ASSERT_TRUE(SaveEditorSettings(ini(), s));
    EXPECT_EQ(testsupport::runHost("crudini --get '" + iniHost() + "' SETTINGS TextColor").trimmed(), "16777215");
    ASSERT_TRUE(WritePlayerSettings(world.programDir() + "Settings.ini", s));
    EXPECT_EQ(testsupport::runHost("crudini --get '" + world.programHost() + "/Settings.ini' SETTINGS TextColor").trimmed(), "16777215");
    // A stored colour stays, black included.
    for (const char* stored : {"0", "255"}) {
        writeAll(iniHost(), "[SETTINGS]\r\nTextColor=" + QByteArray(stored) + "\r\n");
        s = LoadEditorSettings(ini(), world.programDir());
        EXPECT_EQ(s.textColor, QByteArray(stored).toInt());
        ASSERT_TRUE(SaveEditorSettings(ini(), s));
        EXPECT_EQ(testsupport::runHost("crudini --get '" + iniHost() + "' SETTINGS TextColor").trimmed(), stored);
    }
}

TEST_F(SettingsTest, DriveIsTheFirstLetterOrNothing)
{
    const std::pair<const char*, const char*> cases[] = {
        {"d", "D"}, {"D:", "D"}, {"D:\\", "D"}, {" e ", "E"}, {"", ""}, {"1", ""}, {":\\", ""}, {"\xC3\xA9", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(DriveLetterOf(QString::fromUtf8(in)), QLatin1String(out)) << in;
}

TEST_F(SettingsTest, SavedKeysComeInTheirOrderAndManuellNeedsFullScreen)
{
    EditorSettings s;
    s.defaultTime = "5";
    s.sourceFolder = "C:\\Pictures\\";
    s.fullscreen = false;
    s.manuell = true;
    s.endlessPlay = true;
    s.effectMode = "RANDOM";
    s.bkgColor = 0xFF0000;
    s.drive = "D";
    ASSERT_TRUE(SaveEditorSettings(ini(), s));
    EXPECT_EQ(keysOf(iniHost()),
              QStringList({"DefaultTime", "StopQuorbelAtEnd", "Fullscreen", "Manuell", "PictureTextVisible", "FileNameVisible",
                           "BKGColor", "TextColor", "EffectMode", "Effect", "TextOffset", "SourcePicturesPath", "Drive"}));
    auto get = [&](const char* key) { return testsupport::runHost(QString("crudini --get '%1' SETTINGS %2").arg(iniHost(), key)).trimmed(); };
    EXPECT_EQ(get("Manuell"), "FALSE");
    EXPECT_EQ(get("StopQuorbelAtEnd"), "FALSE");
    EXPECT_EQ(get("Fullscreen"), "FALSE");
    EXPECT_EQ(get("EffectMode"), "RANDOM");
    EXPECT_EQ(get("BKGColor"), "16711680");
    const EditorSettings back = LoadEditorSettings(ini(), world.programDir());
    EXPECT_TRUE(back.endlessPlay);
    EXPECT_FALSE(back.manuell);

    // The language written by the language choice stays where it is.
    writeAll(iniHost(), "[SETTINGS]\r\nLanguage=SPAIN\r\n");
    s.fullscreen = true;
    ASSERT_TRUE(SaveEditorSettings(ini(), s));
    EXPECT_EQ(keysOf(iniHost()).first(), "Language");
    EXPECT_EQ(get("Language"), "SPAIN");
    EXPECT_EQ(get("Manuell"), "TRUE");
}

TEST_F(SettingsTest, TransitionNumbersStayInsideTheList)
{
    EXPECT_TRUE(ReadEffectList(world.programDir() + "Effects.ini").isEmpty()); // missing file
    EXPECT_EQ(ClampEffect(5, {}), 1);
    const QStringList three = {"7;10;4;0;2", "1;2;3", "x;1;1;1;1"};
    EXPECT_EQ(ClampEffect(10, three), 3);
    EXPECT_EQ(ClampEffect(0, three), 1);
    EXPECT_EQ(ClampEffect(2, three), 2);
    QStringList many;
    for (int i = 0; i < 200; ++i) many << "1;1;1;1;1";
    EXPECT_EQ(EffectCount(many), 127);
    EXPECT_EQ(ClampEffect(200, many), 127);
    const auto t = TransitionAt(three, 1);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->paintEffect, 7);
    EXPECT_EQ(t->delay, 10);
    EXPECT_EQ(t->grain, 4);
    EXPECT_EQ(t->maxPasses, 0);
    EXPECT_EQ(t->wandSize, 2);
    EXPECT_FALSE(TransitionAt(three, 2));
    EXPECT_FALSE(TransitionAt(three, 3));
    EXPECT_FALSE(TransitionAt(three, 4));
    EXPECT_FALSE(TransitionAt(three, 0));
}
