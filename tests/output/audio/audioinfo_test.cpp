#include "audiofixtures.h"
#include "output/audio/audioinfo.h"
#include "support/fixture.h"

#include <QLocale>
#include <QRegularExpression>

using namespace audio;
using namespace audiotest;
using testsupport::WorldTest;

namespace {

class AudioFileAnalyserTest : public WorldTest {
protected:
    void SetUp() override
    {
        QString missing;
        if (!havePrograms({"sox", "lame", "ffmpeg", "ffprobe", "mediainfo"}, &missing))
            GTEST_SKIP() << "missing " << missing.toStdString();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QString host(const QString& name) const { return world.hostC() + "/" + name; }
    static QString win(const QString& name) { return "C:\\" + QString(name).replace('/', '\\'); }

    AudioFileAnalyser analyse(const QString& windowsPath)
    {
        AudioFileAnalyser a;
        a.FileName = windowsPath;
        a.AnalyseFile();
        return a;
    }
};

void expectNoResults(const AudioFileAnalyser& a)
{
    EXPECT_EQ(a.Info.VersionText, "");
    EXPECT_EQ(a.Info.LayerText, "");
    EXPECT_EQ(a.Info.SampleRateHz, "");
    EXPECT_EQ(a.Info.StereoMark, "");
    EXPECT_FALSE(a.MP3PanelVisible);
    EXPECT_FALSE(a.WavePanelVisible);
    EXPECT_EQ(a.Label1, "");
}

} // namespace

TEST_F(AudioFileAnalyserTest, Mp3PanelAndResults)
{
    ASSERT_TRUE(makeMp3(host("song.mp3"), 44100, 2, 3, "-b 128"));
    const Probe probe = ffprobe(host("song.mp3"));
    const AudioFileAnalyser a = analyse(win("song.mp3"));
    EXPECT_EQ(a.Message, "");
    EXPECT_TRUE(a.MP3PanelVisible);
    EXPECT_FALSE(a.WavePanelVisible);
    EXPECT_EQ(a.Label1, "MP3 File");
    EXPECT_EQ(a.Mp3.ValidMPEGText, "Yes");
    EXPECT_EQ(a.Mp3.FileSizeText, QString::number(readHost(host("song.mp3")).size()) + " bytes");
    EXPECT_EQ(a.Mp3.MPEGTypeText, "MPEG 1 Layer III");
    EXPECT_EQ(a.Mp3.BitRateText, "CBR 128 kbit/s");
    EXPECT_EQ(a.Mp3.SampleRateText, "44100 Hz");
    EXPECT_EQ(a.Mp3.ChannelModeText, "Joint Stereo");
    const auto duration = QRegularExpression("^(\\d+\\.\\d) sec\\.$").match(a.Mp3.DurationText);
    ASSERT_TRUE(duration.hasMatch()) << a.Mp3.DurationText.toStdString();
    EXPECT_NEAR(duration.captured(1).toDouble(), probe.duration, 2 * 1152.0 / 44100 + 0.05);
    EXPECT_EQ(a.Mp3.FirstFrameAtText, "0 bytes");
    EXPECT_NEAR(a.Mp3.TotalFramesText.toInt(), probe.frames, 2);
    EXPECT_EQ(a.Mp3.CRCProtectionText, "No");
    EXPECT_EQ(a.Mp3.CopyrightText, "No");
    EXPECT_EQ(a.Mp3.OriginalText, "Yes");
    EXPECT_EQ(a.Mp3.EmphasisText, "None");
    EXPECT_FALSE(a.Mp3.EncoderText.isEmpty());
    EXPECT_EQ(a.Info.VersionText, "MPEG 1");
    EXPECT_EQ(a.Info.LayerText, "Layer III");
    EXPECT_EQ(a.Info.SampleRateHz, "44100");
    EXPECT_EQ(a.Info.StereoMark, "STEREO");

    ASSERT_TRUE(makeMp3(host("vbr.mp3"), 44100, 2, 3, "-V 4"));
    const AudioFileAnalyser v = analyse(win("vbr.mp3"));
    EXPECT_TRUE(v.Mp3.BitRateText.startsWith("VBR ")) << v.Mp3.BitRateText.toStdString();
    EXPECT_TRUE(v.Mp3.EncoderText.startsWith("LAME 3.")) << v.Mp3.EncoderText.toStdString();
}

// What the music list and the video run test: "44100" and "STEREO".
TEST_F(AudioFileAnalyserTest, SampleRateAndStereoMarkOfEachKind)
{
    struct Case {
        const char* name;
        int rate, channels, bits;
        const char* lame; // empty for a WAV
        const char* sampleRateHz;
        const char* stereoMark;
        const char* channelText;
    } cases[] = {
        {"joint.mp3", 44100, 2, 16, "-b 192", "44100", "STEREO", "Joint Stereo"},
        {"stereo.mp3", 44100, 2, 16, "-m s -b 192", "44100", "STEREO", "Stereo"},
        {"dual.mp3", 44100, 2, 16, "-m d -b 192", "44100", "", "Dual Channel"},
        {"mono.mp3", 44100, 1, 16, "-m m -b 96", "44100", "", "Mono"},
        {"48k.mp3", 48000, 2, 16, "-b 192", "48000", "STEREO", "Joint Stereo"},
        {"22k.mp3", 22050, 2, 16, "-b 64", "22050", "STEREO", "Joint Stereo"},
        {"cd.wav", 44100, 2, 16, "", "44100", "STEREO", "Joint Stereo"},
        {"mono.wav", 44100, 1, 16, "", "44100", "", "Mono"},
        {"48k.wav", 48000, 2, 16, "", "48000", "STEREO", "Joint Stereo"},
        {"six.wav", 44100, 6, 16, "", "44100", "STEREO", "Joint Stereo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (*c.lame) ASSERT_TRUE(makeMp3(host(c.name), c.rate, c.channels, 2, c.lame));
        else ASSERT_TRUE(makeToneWav(host(c.name), c.rate, c.channels, 2, c.bits));
        const AudioFileAnalyser a = analyse(win(c.name));
        EXPECT_EQ(a.Message, "");
        EXPECT_EQ(a.Info.SampleRateHz, c.sampleRateHz);
        EXPECT_EQ(a.Info.SampleRateHz.toInt(), ffprobe(host(c.name)).sampleRate);
        EXPECT_EQ(a.Info.StereoMark, c.stereoMark);
        EXPECT_EQ(*c.lame ? a.Mp3.ChannelModeText : a.Wave.ChannelModeEdit, c.channelText);
    }
}

TEST_F(AudioFileAnalyserTest, WavHeadersAreFoundByTheirChunks)
{
    struct Case {
        const char* name;
        int rate, channels, bits;
        double seconds;
        const char* duration;
    } cases[] = {
        {"cd.wav", 44100, 2, 16, 10, "0:00:10"}, // 1,764,000 data bytes
        {"hires.wav", 44100, 2, 24, 10, "0:00:10"}, // extensible header of 40 bytes, 6-byte frames
        {"low.wav", 22050, 1, 8, 61, "0:01:01"},
        {"six.wav", 48000, 6, 16, 3, "0:00:03"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(makeToneWav(host(c.name), c.rate, c.channels, c.seconds, c.bits));
        const QByteArray bytes = readHost(host(c.name));
        const Probe probe = ffprobe(host(c.name));
        const AudioFileAnalyser a = analyse(win(c.name));
        EXPECT_EQ(a.Message, "");
        EXPECT_TRUE(a.WavePanelVisible);
        EXPECT_FALSE(a.MP3PanelVisible);
        EXPECT_EQ(a.Label1, "WAV File");
        EXPECT_EQ(a.Wave.DurationWAVEdit, c.duration);
        EXPECT_EQ(QString(c.duration).right(2).toInt(), int(probe.duration) % 60);
        EXPECT_EQ(a.Wave.SampleRateEdit, QString::number(probe.sampleRate) + " Hz");
        const MediaInfo info = mediainfo(host(c.name));
        EXPECT_EQ(a.Info.SampleRateHz.toInt(), info.sampleRate);
        EXPECT_EQ(a.Wave.ChannelModeEdit, info.channels == 1 ? "Mono" : "Joint Stereo");
        EXPECT_NEAR(info.duration, c.seconds, 0.01);
        EXPECT_EQ(a.Wave.BitsPerSampleEdit, QString::number(c.bits));
        EXPECT_EQ(a.Wave.FileSizeEdit, QString::number(bytes.size() - 8) + " bytes");
        EXPECT_EQ(a.Info.LayerText, QString::number(c.bits) + " Bit");
        EXPECT_EQ(a.Info.VersionText, a.Wave.WavFormatEdit);
        EXPECT_TRUE(a.Info.VersionText == "1" || a.Info.VersionText == "65534");
    }

    // Compressed formats pack many samples into each block: the duration is the data over the
    // format's average bytes per second (an MS-ADPCM block of 2,048 bytes holds 2,036 frames).
    // Made by sox, whose headers give the true average (ffmpeg's ADPCM headers give its bit rate
    // option's, 16,000 bytes a second, whatever the sample rate).
    struct Compressed {
        const char* name;
        const char* convert; // the sox or ffmpeg options between the source and the target
        int rate, channels;
        const char* tag;
        const char* duration;
    } compressed[] = {
        {"msadpcm.wav", "sox -e ms-adpcm", 44100, 2, "2", "0:00:10"},
        {"imaadpcm.wav", "sox -e ima-adpcm", 44100, 2, "17", "0:00:10"},
        {"gsm.wav", "ffmpeg -c:a gsm_ms", 8000, 1, "49", "0:00:10"},
        {"alaw.wav", "sox -e a-law", 22050, 1, "6", "0:00:10"},
    };
    for (const Compressed& c : compressed) {
        SCOPED_TRACE(c.name);
        const QString source = QString(c.name) + ".src.wav";
        ASSERT_TRUE(makeToneWav(host(source), c.rate, c.channels, 10));
        const QString convert = QString(c.convert);
        const QString command = convert.startsWith("sox")
            ? QString("sox '%1' %2 '%3'").arg(source, convert.mid(4), c.name)
            : QString("ffmpeg -v error -y -i '%1' %2 '%3'").arg(source, convert.mid(7), c.name);
        ASSERT_TRUE(shellIn(world.hostC(), command));
        const Probe probe = ffprobe(host(c.name));
        ASSERT_TRUE(probe.ok);
        const AudioFileAnalyser a = analyse(win(c.name));
        EXPECT_EQ(a.Message, "");
        EXPECT_EQ(a.Wave.WavFormatEdit, c.tag);
        EXPECT_EQ(a.Wave.DurationWAVEdit, c.duration);
        EXPECT_EQ(QString(c.duration).right(2).toInt(), int(probe.duration)) << "ffprobe " << probe.duration;
    }

    // A LIST chunk before the data, as ffmpeg writes it.
    ASSERT_TRUE(makeToneWav(host("src.wav"), 44100, 2, 5));
    ASSERT_TRUE(shellIn(world.hostC(), "ffmpeg -v error -y -i src.wav -metadata title=Listed listed.wav"));
    const QByteArray listed = readHost(host("listed.wav"));
    ASSERT_GT(listed.indexOf("LIST"), 0);
    ASSERT_LT(listed.indexOf("LIST"), listed.indexOf("data"));
    AudioFileAnalyser a = analyse(win("listed.wav"));
    EXPECT_EQ(a.Wave.DurationWAVEdit, "0:00:05");
    EXPECT_EQ(a.Info.SampleRateHz, "44100");
    EXPECT_EQ(a.Info.StereoMark, "STEREO");
    EXPECT_EQ(a.Info.LayerText, "16 Bit");

    // A file cut short: the duration of the samples it still holds.
    ASSERT_TRUE(writeHost(host("cut.wav"), readHost(host("src.wav")).left(44 + 44100 * 4 * 2)));
    a = analyse(win("cut.wav"));
    EXPECT_EQ(a.Wave.DurationWAVEdit, "0:00:02");

    // A sample rate of 0 in a hand-edited header: shown, with a duration of 0.
    QByteArray zero = readHost(host("src.wav"));
    const int fmt = zero.indexOf("fmt ");
    ASSERT_GT(fmt, 0);
    zero.replace(fmt + 12, 4, QByteArray(4, '\0'));
    ASSERT_TRUE(writeHost(host("zero.wav"), zero));
    a = analyse(win("zero.wav"));
    EXPECT_EQ(a.Message, "");
    EXPECT_EQ(a.Info.SampleRateHz, "0");
    EXPECT_EQ(a.Wave.DurationWAVEdit, "0:00:00");
}

// A file that cannot be analysed leaves every result empty, never the previous file's.
TEST_F(AudioFileAnalyserTest, UnusableFilesLeaveNoResults)
{
    ASSERT_TRUE(makeMp3(host("good.mp3"), 44100, 2, 2, "-b 128"));
    ASSERT_TRUE(makeToneWav(host("good.wav"), 44100, 2, 1));
    const QByteArray wav = readHost(host("good.wav"));
    ASSERT_TRUE(writeHost(host("ten.wav"), wav.left(10)));
    ASSERT_TRUE(writeHost(host("header.wav"), wav.left(44)));
    ASSERT_TRUE(writeHost(host("tiny.mp3"), readHost(host("good.mp3")).left(5)));
    ASSERT_TRUE(writeHost(host("noise.mp3"), QByteArray(9000, 'n')));
    QByteArray noFmt = wav;
    noFmt.replace(noFmt.indexOf("fmt "), 4, "junk");
    ASSERT_TRUE(writeHost(host("nofmt.wav"), noFmt));
    QByteArray notRiff = wav;
    notRiff.replace(0, 4, "RIFX");
    ASSERT_TRUE(writeHost(host("rifx.wav"), notRiff));
    ASSERT_TRUE(writeHost(host("empty.wav"), QByteArray()));

    const QString cannotRead = "Can not read data from the file: ";
    const QString missing = "The file does not exist: ";
    struct Case {
        QString file;
        QString message;
        QString valid; // what "Valid MPEG:" shows
    } cases[] = {
        {win("gone.mp3"), missing + win("gone.mp3"), ""},
        {win("gone.wav"), missing + win("gone.wav"), ""},
        {win("tiny.mp3"), cannotRead + win("tiny.mp3"), ""},
        {win("noise.mp3"), "", "No"},
        {win("ten.wav"), cannotRead + win("ten.wav"), ""},
        {win("empty.wav"), cannotRead + win("empty.wav"), ""},
        {win("nofmt.wav"), cannotRead + win("nofmt.wav"), ""},
        {win("rifx.wav"), cannotRead + win("rifx.wav"), ""},
        {"", "", ""},
    };
    AudioFileAnalyser a;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        for (const char* before : {"good.mp3", "good.wav"}) {
            a.FileName = win(before);
            a.AnalyseFile();
            ASSERT_EQ(a.Info.StereoMark, "STEREO");
            a.FileName = c.file;
            a.AnalyseFile();
            EXPECT_EQ(a.Message, c.message);
            EXPECT_EQ(a.Mp3.ValidMPEGText, c.valid);
            EXPECT_EQ(a.Wave.DurationWAVEdit, "");
            expectNoResults(a);
        }
    }

    // A header with an empty data chunk is a WAV of no length, not an error.
    a.FileName = win("header.wav");
    a.AnalyseFile();
    EXPECT_EQ(a.Message, "");
    EXPECT_EQ(a.Wave.DurationWAVEdit, "0:00:00");
}

TEST_F(AudioFileAnalyserTest, TheExtensionChoosesTheBranch)
{
    ASSERT_TRUE(makeMp3(host("tune.mp3"), 44100, 2, 2, "-b 128"));
    world.writeHostFile("c/Songs.mp3/tone.wav", QByteArray()); // makes the folder
    ASSERT_TRUE(makeToneWav(host("Songs.mp3/tone.wav"), 44100, 2, 1));
    ASSERT_TRUE(writeHost(host("SONG.Mp3"), readHost(host("tune.mp3"))));
    ASSERT_TRUE(writeHost(host("tune.mp3.wav"), readHost(host("tune.mp3"))));

    AudioFileAnalyser a = analyse(win("Songs.mp3/tone.wav"));
    EXPECT_EQ(a.Label1, "WAV File");
    EXPECT_EQ(a.Info.StereoMark, "STEREO");
    a = analyse(win("SONG.Mp3"));
    EXPECT_EQ(a.Label1, "MP3 File");
    EXPECT_EQ(a.Info.SampleRateHz, "44100");
    a = analyse(win("tune.mp3.wav")); // MP3 bytes under a WAV name are no WAV
    EXPECT_EQ(a.Message, "Can not read data from the file: " + win("tune.mp3.wav"));
    expectNoResults(a);
}

TEST(AudioFormatting, DurationsInTenthsAndInClockTime)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formatSecondsTenths(0.25), ",2"); // halves to even, no leading zero
    EXPECT_EQ(formatSecondsTenths(1.25), "1,2");
    EXPECT_EQ(formatSecondsTenths(2.75), "2,8");
    EXPECT_EQ(formatSecondsTenths(186.04), "186,0");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(formatSecondsTenths(3.0), "3.0");
    QLocale::setDefault(QLocale::system());

    EXPECT_EQ(formatHoursMinutesSeconds(0), "0:00:00");
    EXPECT_EQ(formatHoursMinutesSeconds(9.99), "0:00:09");
    EXPECT_EQ(formatHoursMinutesSeconds(3725.5), "1:02:05");
}

// Every cut of a tagged VBR MP3 and of a WAV is analysed without reading past what is there:
// either a whole, right result or none.
TEST_F(AudioFileAnalyserTest, EveryCutOfAFileIsSafe)
{
    ASSERT_TRUE(makeMp3(host("full.mp3"), 44100, 2, 1, "-V 4"));
    ASSERT_TRUE(makeToneWav(host("full.wav"), 44100, 2, 1));
    const QByteArray tag = id3v2Tag(3, id3v2Frame("TIT2", QByteArray(300, 't')) + id3v2Frame("TPE1", QByteArray("\0x", 2)), 700);
    const QByteArray mp3 = tag + readHost(host("full.mp3"));
    QByteArray wav = readHost(host("full.wav"));
    const int fmt = wav.indexOf("fmt ");
    wav.insert(fmt, QByteArray("LIST\x05\0\0\0abcde\0", 14)); // an odd chunk, padded
    wav.replace(4, 4, QByteArray("\xff\xff\xff\x7f", 4));

    std::vector<int> cuts;
    for (int n = 0; n < 1200; ++n) cuts.push_back(n);
    for (int n = 1200; n < mp3.size(); n += 97) cuts.push_back(n);
    for (const auto& [name, bytes] : {std::pair{QString("cut.mp3"), mp3}, std::pair{QString("cut.wav"), wav}}) {
        for (int n : cuts) {
            if (n > bytes.size()) break;
            SCOPED_TRACE((name + " cut at " + QString::number(n)).toStdString());
            ASSERT_TRUE(writeHost(host(name), bytes.left(n)));
            const AudioFileAnalyser a = analyse(win(name));
            if (a.Info.SampleRateHz.isEmpty()) {
                expectNoResults(a);
            } else {
                EXPECT_EQ(a.Info.SampleRateHz, "44100");
                EXPECT_EQ(a.Info.StereoMark, "STEREO");
                EXPECT_EQ(a.Message, "");
            }
        }
    }
}
