#include "app/productinfo.h"
#include "output/audio/waveform.h"
#include "platform/folders.h"
#include "support/fixture.h"
#include "support/scripted_dialogs.h"
#include "wavbytes.h"

#include <QDir>
#include <QImage>

using namespace wavbytes;

namespace {

class WaveFormTest : public testsupport::WorldTest {
protected:
    testsupport::ScriptedDialogs dialogs;

    void SetUp() override
    {
        world.writeHostFile("program/Generator.ini", "[SETTINGS]\r\nLanguage=GERMAN\r\n");
        world.writeHostFile("program/Language.ini", "[GERMAN]\r\n5000=Die Tonspur wird erstellt\r\n"
                                                    "[ENGLISH]\r\n5000=Building the soundtrack\r\n");
        QDir().mkpath(world.programHost() + "/recom");
        QImage banner(40, 10, QImage::Format_RGB32);
        banner.fill(Qt::darkBlue);
        banner.save(world.programHost() + "/recom/wizard.jpg", "JPG");
        platform::setModulePathOverride(world.programDir() + "quorbel_pro");
        DetermineProductInfo();
    }
    void TearDown() override { platform::setModulePathOverride(QString()); }
};

} // namespace

TEST_F(WaveFormTest, TheWindowShowsTheBuildersProgressAndPassesOnItsLines)
{
    // Two seconds of a 16-bit stereo track.
    world.writeHostFile("c/Inp001.wav", pcm16Stereo(QByteArray(2 * 44100 * 4, '\x01')));
    TWaveForm form;
    EXPECT_EQ(form.Label2->text(), "Die Tonspur wird erstellt");
    EXPECT_FALSE(form.Image1->pixmap().isNull());

    form.Label1->setText("old");
    form.Label3->setText("old");
    form.Label4->setText("old");
    form.ProgressBar1->setValue(50);
    form.show();
    EXPECT_EQ(form.Label1->text(), QString());
    EXPECT_EQ(form.Label3->text(), QString());
    EXPECT_EQ(form.Label4->text(), QString());
    EXPECT_EQ(form.ProgressBar1->value(), 0);

    QStringList log, memo;
    form.OnLog = [&](const QString& l) { log << l; };
    form.OnMemo = [&](const QString& l) { memo << l; };
    form.InputFiles = {"C:\\Inp001.wav"};
    form.OutputFile = "C:\\Input.wav";
    form.Seconds = 1;
    form.BuildSoundtrack();
    EXPECT_EQ(form.Label3->text(), "Aktuelle Datei: C:\\Inp001.wav");
    EXPECT_EQ(form.Label1->text(), "100%");
    EXPECT_EQ(form.Label4->text(), "Position: 1 Sekunden");
    EXPECT_EQ(form.ProgressBar1->value(), 0);
    EXPECT_EQ(log, QStringList({"     read audio C:\\Inp001.wav", "     open audio C:\\Input.wav",
                                "     write audio C:\\Inp001.wav", "     Audio created C:\\Input.wav"}));
    EXPECT_EQ(memo, QStringList({"read audio C:\\Inp001.wav", "open audio C:\\Input.wav", "write audio C:\\Inp001.wav",
                                 "Audio createdC:\\Input.wav"}));
    TFileWaveStream out("C:\\Input.wav");
    EXPECT_EQ(out.sampleCount(), 48000); // 44,100 wanted, whole reads of 4,000
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
