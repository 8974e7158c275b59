#include "app/language.h"
#include "app/productinfo.h"
#include "audiofixtures.h"
#include "output/audio/checkaudioform.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "support/fixture.h"
#include "support/scripted_dialogs.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace audiotest;

namespace {

// The delivered program directory, run as the English product in English.
class CheckAudioFormTest : public testsupport::WorldTest {
protected:
    testsupport::ScriptedDialogs dialogs;

    void SetUp() override
    {
        QString missing;
        if (!havePrograms({"sox", "lame"}, &missing)) GTEST_SKIP() << "missing " << missing.toStdString();
        world.copyBuiltProgram();
        ASSERT_TRUE(platform::IniFile(world.programDir() + "Generator.ini").writeString("SETTINGS", "Language", "ENGLISH"));
        platform::setModulePathOverride(world.programDir() + "quorbelix");
        DetermineProductInfo();
    }
    void TearDown() override { platform::setModulePathOverride(QString()); }

    QString host(const QString& name) const { return world.hostC() + "/" + name; }
    static QString win(const QString& name) { return "C:\\" + name; }
};

} // namespace

TEST_F(CheckAudioFormTest, CreatedWithBannerAndCloseText)
{
    TCheckAudioForm form;
    EXPECT_EQ(form.windowTitle(), "Audio Info");
    EXPECT_EQ(form.CloseButton->text(), LangText(6400));
    EXPECT_EQ(form.CloseButton->text(), "Close");
    EXPECT_EQ(form.Image1->pixmap().size(), QSize(160, 320));
    EXPECT_FALSE(form.MP3Panel->isVisibleTo(&form));
    EXPECT_FALSE(form.WavePanel->isVisibleTo(&form));
    for (const char* name : {"ValidMPEGText", "EncoderText", "DurationWAVEdit", "ChannelModeEdit", "Label1"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(CheckAudioFormTest, AnalysesWithoutBeingShownAndReportsMissingFiles)
{
    ASSERT_TRUE(makeMp3(host("a.mp3"), 44100, 2, 2, "-b 128"));
    ASSERT_TRUE(makeToneWav(host("b.wav"), 44100, 1, 2));
    TCheckAudioForm form;

    form.FileName = win("a.mp3");
    form.AnalyseFile();
    EXPECT_TRUE(form.MP3Panel->isVisibleTo(&form));
    EXPECT_FALSE(form.WavePanel->isVisibleTo(&form));
    EXPECT_EQ(form.Label1->text(), "MP3 File");
    EXPECT_EQ(form.ValidMPEGText->text(), "Yes");
    EXPECT_EQ(form.MPEGTypeText->text(), "MPEG 1 Layer III");
    EXPECT_EQ(form.BitRateText->text(), "CBR 128 kbit/s");
    EXPECT_EQ(form.ChannelModeText->text(), "Joint Stereo");
    EXPECT_EQ(form.VersionText, "MPEG 1");
    EXPECT_EQ(form.LayerText, "Layer III");
    EXPECT_EQ(form.SampleRateHz, "44100");
    EXPECT_EQ(form.StereoMark, "STEREO");
    EXPECT_TRUE(dialogs.messages.isEmpty());

    form.FileName = win("b.wav");
    form.AnalyseFile();
    EXPECT_FALSE(form.MP3Panel->isVisibleTo(&form));
    EXPECT_TRUE(form.WavePanel->isVisibleTo(&form));
    EXPECT_EQ(form.Label1->text(), "WAV File");
    EXPECT_EQ(form.ValidMPEGText->text(), "");
    EXPECT_EQ(form.ChannelModeEdit->text(), "Mono");
    EXPECT_EQ(form.SampleRateEdit->text(), "44100 Hz");
    EXPECT_EQ(form.DurationWAVEdit->text(), "0:00:02");
    EXPECT_EQ(form.SampleRateHz, "44100");
    EXPECT_EQ(form.StereoMark, "");

    form.FileName = win("gone.mp3");
    form.AnalyseFile();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Information);
    EXPECT_EQ(dialogs.messages[0].text, "The file does not exist: " + win("gone.mp3"));
    EXPECT_FALSE(form.MP3Panel->isVisibleTo(&form));
    EXPECT_FALSE(form.WavePanel->isVisibleTo(&form));
    EXPECT_EQ(form.DurationWAVEdit->text(), "");
    EXPECT_EQ(form.Label1->text(), "");
    EXPECT_EQ(form.VersionText, "");
    EXPECT_EQ(form.SampleRateHz, "");
}

TEST_F(CheckAudioFormTest, ShowingAnalysesAndCloseHides)
{
    ASSERT_TRUE(makeMp3(host("m.mp3"), 48000, 1, 2, "-m m -b 64"));
    TCheckAudioForm form;
    form.FileName = win("m.mp3");
    form.show();
    EXPECT_EQ(form.ChannelModeText->text(), "Mono");
    EXPECT_EQ(form.SampleRateText->text(), "48000 Hz");
    EXPECT_EQ(form.SampleRateHz, "48000");
    EXPECT_EQ(form.StereoMark, "");
    form.CloseButton->click();
    EXPECT_FALSE(form.isVisible());
}
