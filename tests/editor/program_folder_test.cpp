// The assembled program folder as it is delivered: every file the program reads from its own
// folder is there and is what its reader expects (pictures decode, texts have their sections,
// music analyses as 44,100 Hz stereo, the encoder plug-in loads, the programs run).
#include "editor_fixture.h"

#include "output/audio/audioinfo.h"
#include "platform/files.h"
#include "platform/plugin.h"
#include "sdk/sdk.h"
#include "platform/textcodec.h"
#include "show/effectlist.h"

namespace {

enum class Kind { Picture, TextTable, Transitions, Text, Music, Plugin, Program, Page };

struct Delivered {
    const char* name; // relative to the program folder, Windows form
    Kind kind;
};

const Delivered DeliveredFiles[] = {
    {"Language.ini", Kind::TextTable},
    {"ver.ini", Kind::Text},
    {"Effects.ini", Kind::Transitions},
    {"Preview1.jpg", Kind::Picture},
    {"Preview2.jpg", Kind::Picture},
    {"recom\\language.jpg", Kind::Picture},
    {"recom\\flag_german.png", Kind::Picture},
    {"recom\\flag_english.png", Kind::Picture},
    {"recom\\flag_france.png", Kind::Picture},
    {"recom\\flag_italian.png", Kind::Picture},
    {"recom\\flag_spain.png", Kind::Picture},
    {"recom\\m_about.jpg", Kind::Picture},
    {"recom\\wizard.jpg", Kind::Picture},
    {"recom\\m_program.jpg", Kind::Picture},
    {"recom\\previous.gif", Kind::Picture},
    {"recom\\home.gif", Kind::Picture},
    {"recom\\next.gif", Kind::Picture},
    {"Bumble Bee - TORVELD.mp3", Kind::Music},
    {"empty.wav", Kind::Music},
    {"mpdx_dll.dll", Kind::Plugin},
    {"Ripper.exe", Kind::Program},
    {"quorbel\\Quorbel-Player.exe", Kind::Program},
    {"quorbel\\Settings.ini", Kind::Text},
    {"quorbel\\Autorun.inf", Kind::Text},
    {"quorbel\\Quorbelix-Autorun.inf", Kind::Text},
    {"quorbel\\play.ply", Kind::Text},
    {"quorbel\\intro.ply", Kind::Text},
    {"quorbel\\Quorbel_0001\\Pictures.ini", Kind::Text},
    {"quorbel\\Quorbel_0001\\Landschaft_01.jpg", Kind::Picture},
    {"quorbel\\Quorbel_0001\\_THUMB_Landschaft_01.jpg", Kind::Picture},
    {"quorbel\\Quorbel_0002\\Pictures.ini", Kind::Text},
    {"quorbel\\Quorbel_0002\\Farben_01.jpg", Kind::Picture},
    {"help_GR\\help.html", Kind::Page},
    {"help_GR\\vcd.html", Kind::Page},
    {"help_EN\\help.html", Kind::Page},
    {"help_EN\\vcd.html", Kind::Page},
    {"tips_GR\\0001.tpp", Kind::Text},
    {"tips_EN\\0001.tpp", Kind::Text},
    {"tips_FR\\0001.tpp", Kind::Text},
    {"tips_IT\\0001.tpp", Kind::Text},
    {"tips_SP\\0001.tpp", Kind::Text},
};

class ProgramFolderTest : public EditorTest {};

TEST_F(ProgramFolderTest, EveryFileTheProgramReadsFromItsFolderIsDeliveredAndReadable)
{
    ASSERT_FALSE(qEnvironmentVariable("QUORBEL_PROGRAM_BUILD_DIR").isEmpty())
        << "the tests must start from the assembled program folder";
    const QString dir = world.programDir();
    for (const Delivered& file : DeliveredFiles) {
        const QString path = dir + QString::fromLatin1(file.name);
        SCOPED_TRACE(file.name);
        ASSERT_TRUE(platform::fileExists(path));
        switch (file.kind) {
        case Kind::Picture: {
            sdk::SdkBitmapHandle bitmap;
            EXPECT_EQ(sdk::PX_LoadFile(path, &bitmap, 24, nullptr), 1);
            EXPECT_GT(bitmap.Width, 0);
            EXPECT_GT(bitmap.Height, 0);
            sdk::PX_FreeBitmap(&bitmap);
            break;
        }
        case Kind::TextTable: {
            const platform::IniFile ini(path);
            for (const char* section : {"GERMAN", "ENGLISH", "FRANCE", "ITALIAN", "SPAIN"})
                EXPECT_FALSE(ini.readSection(QString::fromLatin1(section)).isEmpty()) << section;
            break;
        }
        case Kind::Transitions:
            EXPECT_GE(show::ReadEffectList(path).size(), 10);
            break;
        case Kind::Text:
        case Kind::Page:
            EXPECT_FALSE(platform::readTextLines(path).value_or(QStringList()).join(QString()).trimmed().isEmpty());
            break;
        case Kind::Music: {
            audio::AudioFileAnalyser analyser;
            analyser.FileName = path;
            analyser.AnalyseFile();
            EXPECT_TRUE(analyser.Message.isEmpty()) << qPrintable(analyser.Message);
            EXPECT_EQ(analyser.Info.SampleRateHz, QStringLiteral("44100"));
            EXPECT_EQ(analyser.Info.StereoMark, QStringLiteral("STEREO"));
            break;
        }
        case Kind::Plugin: {
            platform::PluginLibrary library;
            EXPECT_TRUE(library.load(path)) << qPrintable(library.errorString());
            break;
        }
        case Kind::Program:
            EXPECT_TRUE(QFileInfo(platform::toHostPath(path)).isExecutable());
            break;
        }
    }
}

} // namespace
