#include "output/audio/soundtrack.h"
#include "support/filesizelimit.h"
#include "support/fixture.h"
#include "wavbytes.h"

#include <QFile>
#include <csignal>
#include <sys/resource.h>
#include <vector>

using namespace wavbytes;
using testsupport::runHost;
using testsupport::WorldTest;

namespace {

struct Recorder : SoundtrackObserver {
    QStringList log, memo, files, percents, positions;
    int lastProgress = -1;
    void currentFileChanged(const QString& t) override { files << t; }
    void progressChanged(int p) override { lastProgress = p; }
    void percentChanged(const QString& t) override { percents << t; }
    void positionChanged(const QString& t) override { positions << t; }
    void logLine(const QString& l) override { log << l; }
    void memoLine(const QString& l) override { memo << l; }
};

// The data bytes of a wave file, read through our own reader.
QByteArray dataOf(const QString& windowsPath)
{
    TFileWaveStream s(windowsPath);
    QByteArray b(s.sampleCount() * s.format().blockAlign, '\0');
    s.read(b.data(), s.sampleCount());
    return b;
}

class SoundtrackTest : public WorldTest {
protected:
    void SetUp() override
    {
        if (!testsupport::haveHostProgram("sox")) GTEST_SKIP() << "sox missing";
    }
    // Runs sox with the host folder of C: as the working folder.
    void sox(const QString& arguments)
    {
        int status = 0;
        runHost("cd '" + world.hostC() + "' && sox " + arguments, &status);
        ASSERT_EQ(status, 0) << arguments.toStdString();
    }
    QString build(SoundtrackBuilder& b, Recorder* r = nullptr)
    {
        try {
            b.BuildSoundtrack(r);
        } catch (const EWaveError& e) {
            return e.message();
        }
        return {};
    }
};

} // namespace

TEST_F(SoundtrackTest, ShortTracksRepeatFromTheFirstUntilTheLengthIsReached)
{
    sox("-n -r 44100 -b 16 -c 2 t1.wav synth 10 sine 440 sine 550");
    sox("-n -r 44100 -b 16 -c 2 t2.wav synth 10 sine 1000 sine 1200");
    SoundtrackBuilder b;
    b.InputFiles = {"C:\\t1.wav", "C:\\t2.wav"};
    b.OutputFile = "C:\\Input.wav";
    b.Seconds = 25;
    Recorder r;
    ASSERT_EQ(build(b, &r), QString());

    const double seconds = runHost("soxi -D '" + world.hostC() + "/Input.wav'").toDouble();
    EXPECT_GE(seconds, 25.0);
    EXPECT_LE(seconds, 25.091);
    const QByteArray t1 = dataOf("C:\\t1.wav"), t2 = dataOf("C:\\t2.wav"), out = dataOf("C:\\Input.wav");
    ASSERT_EQ(t1.size(), 441000 * 4);
    ASSERT_GT(out.size(), t1.size() * 2);
    EXPECT_TRUE(out.left(t1.size()) == t1);
    EXPECT_TRUE(out.mid(t1.size(), t2.size()) == t2);
    EXPECT_TRUE(out.mid(t1.size() * 2) == t1.left(out.size() - t1.size() * 2));

    EXPECT_EQ(r.log, QStringList({"     read audio C:\\t1.wav", "     open audio C:\\Input.wav", "     write audio C:\\t1.wav",
                                  "     read audio C:\\t2.wav", "     write audio C:\\t2.wav", "     read audio C:\\t1.wav",
                                  "     write audio C:\\t1.wav", "     read audio C:\\t2.wav", "     write audio C:\\t2.wav",
                                  "     Audio created C:\\Input.wav"}));
    EXPECT_EQ(r.memo.first(), "read audio C:\\t1.wav");
    EXPECT_EQ(r.memo.last(), "Audio createdC:\\Input.wav");
    // The rest of the list is still opened once the length is reached; it adds nothing.
    EXPECT_EQ(r.files, QStringList({"Aktuelle Datei: C:\\t1.wav", "Aktuelle Datei: C:\\t2.wav", "Aktuelle Datei: C:\\t1.wav",
                                    "Aktuelle Datei: C:\\t2.wav"}));
    EXPECT_EQ(r.percents.last(), "100%");
    EXPECT_EQ(r.positions.last(), "Position: 25 Sekunden");
    EXPECT_EQ(r.lastProgress, 0);
}

TEST_F(SoundtrackTest, ALongTrackIsCutAfterTheBlockThatReachesTheLength)
{
    sox("-n -r 44100 -b 16 -c 2 long.wav synth 10 sine 440");
    SoundtrackBuilder b;
    b.InputFiles = {"C:\\long.wav"};
    b.OutputFile = "C:\\Input.wav";
    b.Seconds = 3;
    ASSERT_EQ(build(b), QString());
    const QByteArray out = dataOf("C:\\Input.wav");
    EXPECT_EQ(out.size(), 34 * 4000 * 4); // 132,300 samples wanted, whole reads of 4,000
    EXPECT_TRUE(out == dataOf("C:\\long.wav").left(out.size()));
}

TEST_F(SoundtrackTest, EveryInputIsConvertedTo44100Hz16BitStereo)
{
    struct Case {
        const char* name;
        const char* make;      // sox arguments that make in.wav from a sine
        const char* reference; // sox effects that make the expected 16-bit stereo from in.wav
    };
    const std::vector<Case> cases = {
        {"8-bit mono", "-b 8 -e unsigned -c 1", "remix 1 1"},
        {"IMA-ADPCM stereo", "-e ima-adpcm -c 2", ""},
        {"24-bit stereo", "-b 24 -c 2", ""},
        {"32-bit, three channels", "-b 32 -c 3", "remix 1 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sox(QString("-n -r 44100 %1 in.wav synth 1.2 sine 300 sine 500 sine 700").arg(c.make));
        sox(QString("-D in.wav -e signed -b 16 ref.wav %1").arg(c.reference));
        SoundtrackBuilder b;
        b.InputFiles = {"C:\\in.wav"};
        b.OutputFile = "C:\\Input.wav";
        b.Seconds = 1;
        ASSERT_EQ(build(b), QString());
        TFileWaveStream out("C:\\Input.wav");
        EXPECT_EQ(out.format().samplesPerSec, 44100u);
        EXPECT_EQ(out.format().channels, 2);
        EXPECT_EQ(out.format().bitsPerSample, 16);
        EXPECT_EQ(out.sampleCount(), 48000);
        const QByteArray data = dataOf("C:\\Input.wav");
        EXPECT_TRUE(data == dataOf("C:\\ref.wav").left(data.size()));
    }
}

TEST_F(SoundtrackTest, InputsThatCannotBeTakenStopTheBuildWithAClearMessage)
{
    sox("-n -r 48000 -b 16 -c 2 hz48.wav synth 1 sine 440");
    world.writeHostFile("c/mp3.wav", riff(chunk("fmt ", format(85, 2, 44100, 0, 1) + le16(12) + QByteArray(12, '\0'))
                                          + chunk("data", QByteArray(417, '\xff'))));
    SoundtrackBuilder b;
    b.OutputFile = "C:\\Input.wav";
    b.Seconds = 5;

    b.InputFiles = {"C:\\hz48.wav"};
    const QString message = build(b);
    EXPECT_TRUE(message.contains("C:\\hz48.wav")) << message.toStdString();
    EXPECT_TRUE(message.contains("48000 Hz")) << message.toStdString();

    b.InputFiles = {"C:\\mp3.wav"};
    EXPECT_EQ(build(b), "MPEG Layer-3 compression is not supported.");
    if (testsupport::haveHostProgram("ffmpeg")) {
        runHost("cd '" + world.hostC() + "' && ffmpeg -v error -f lavfi -i sine=d=1:sample_rate=44100 -ac 2 "
                "-c:a libmp3lame -f wav lame.wav");
        b.InputFiles = {"C:\\lame.wav"};
        EXPECT_EQ(build(b), "MPEG Layer-3 compression is not supported.");
    }

    // A length whose file would pass the 32-bit sizes of RIFF is refused before anything.
    b.InputFiles = {"C:\\hz48.wav"};
    b.Seconds = 30000;
    EXPECT_TRUE(build(b).contains("30000"));
    EXPECT_FALSE(QFile::exists(world.hostC() + "/Input.wav"));
}

TEST_F(SoundtrackTest, AFailureLaterOnLeavesAClosedSoundtrack)
{
    sox("-n -r 44100 -b 16 -c 2 good.wav synth 2 sine 440");
    world.writeHostFile("c/bad.wav", riff(chunk("data", QByteArray(16, '\0'))));
    SoundtrackBuilder b;
    b.InputFiles = {"C:\\good.wav", "C:\\bad.wav"};
    b.OutputFile = "C:\\Input.wav";
    b.Seconds = 10;
    Recorder r;
    EXPECT_EQ(build(b, &r), "Couldn't find 'fmt' chunk!");
    EXPECT_EQ(r.log.last(), "     Audio created C:\\Input.wav");
    EXPECT_EQ(r.memo.last(), "Audio createdC:\\Input.wav");
    EXPECT_TRUE(dataOf("C:\\Input.wav") == dataOf("C:\\good.wav"));
    EXPECT_EQ(runHost("soxi -s '" + world.hostC() + "/Input.wav'").trimmed(), "88200");
}

TEST_F(SoundtrackTest, InputsWithoutSamplesEndTheBuild)
{
    world.writeHostFile("c/empty.wav", pcm16Stereo(QByteArray()));
    SoundtrackBuilder b;
    b.InputFiles = {"C:\\empty.wav", "C:\\empty.wav"};
    b.OutputFile = "C:\\Input.wav";
    b.Seconds = 5;
    ASSERT_EQ(build(b), QString());
    TFileWaveStream out("C:\\Input.wav");
    EXPECT_EQ(out.sampleCount(), 0);
}

using testsupport::FileSizeLimit;

TEST_F(SoundtrackTest, AFullDiskIsReportedNotPassedOver)
{
    sox("-n -r 44100 -b 16 -c 2 t.wav synth 3 sine 440");
    SoundtrackBuilder b;
    b.InputFiles = {"C:\\t.wav"};
    b.OutputFile = "C:\\Input.wav";
    b.Seconds = 3;
    Recorder r;
    QString message;
    {
        FileSizeLimit limit(200000);
        message = build(b, &r);
    }
    EXPECT_TRUE(message == "Error writing to file." || message == "Cannot flush.") << message.toStdString();
    EXPECT_EQ(r.log.last(), "     Audio created C:\\Input.wav");
    // What did reach the disk is a wave file whose sizes match its samples.
    TFileWaveStream out("C:\\Input.wav");
    EXPECT_LE(out.sampleCount() * 4 + out.dataStart(), 200000);
    EXPECT_EQ(runHost("soxi -s '" + world.hostC() + "/Input.wav'").trimmed().toLongLong(), out.sampleCount());
}

// A list that plays for a moment is repeated without opening its files for every pass: the
// soundtrack is the same as reading them again and again would make, the files are opened once
// and the repeat is one pass in the log.
TEST_F(SoundtrackTest, ATinyListIsRepeatedWithoutReopeningItsFiles)
{
    struct Case {
        const char* name;
        std::vector<QByteArray> tracks; // 16-bit stereo data
        int seconds;
    };
    const Case cases[] = {
        {"one sample", {samples16({1000, -1000})}, 34},
        {"two tracks, four samples", {samples16({1, 2}), samples16({3, 4, 5, 6, 7, 8})}, 2},
        {"a track near a second after a tiny one", {samples16({9, 9}), QByteArray(44000 * 4, '\x05')}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SoundtrackBuilder b;
        QByteArray pass;
        for (std::size_t i = 0; i < c.tracks.size(); ++i) {
            const QString name = QStringLiteral("t%1.wav").arg(i);
            world.writeHostFile("c/" + name, pcm16Stereo(c.tracks[i]));
            b.InputFiles << "C:\\" + name;
            pass += c.tracks[i];
        }
        b.OutputFile = "C:\\Input.wav";
        b.Seconds = c.seconds;
        Recorder r;
        ASSERT_EQ(build(b, &r), QString());

        // What reading the tracks again and again would give: reads of up to 4,000 samples
        // until the length is reached.
        const qint64 target = qint64(c.seconds) * 44100 * 4;
        QByteArray expected;
        for (std::size_t i = 0; expected.size() < target; i = (i + 1) % c.tracks.size())
            for (qsizetype at = 0; at < c.tracks[i].size() && expected.size() < target; at += 4000 * 4)
                expected += c.tracks[i].mid(at, 4000 * 4);
        const QByteArray out = dataOf("C:\\Input.wav");
        EXPECT_EQ(out.size(), expected.size());
        EXPECT_TRUE(out == expected);

        EXPECT_EQ(r.files.size(), 2 * qsizetype(c.tracks.size()));
        EXPECT_EQ(r.log.size(), 4 * qsizetype(c.tracks.size()) + 2);
        EXPECT_EQ(r.log.first(), "     read audio C:\\t0.wav");
        EXPECT_EQ(r.log.last(), "     Audio created C:\\Input.wav");
        EXPECT_EQ(r.percents.last(), "100%");
        EXPECT_EQ(r.positions.last(), QStringLiteral("Position: %1 Sekunden").arg(c.seconds));
    }
}
