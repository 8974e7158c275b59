#include "output/audio/wavestream.h"
#include "output/video/aviwriter.h"
#include "support/filesizelimit.h"
#include "support/fixture.h"

#include <QDir>
#include <csignal>
#include <sys/resource.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using testsupport::runHost;
using testsupport::WorldTest;

namespace {

// A bitmap whose every pixel differs from its neighbours; rows carry slack beyond the pixels.
Bitmap24 pattern(int w, int h, int seed)
{
    Bitmap24 b;
    b.width = w;
    b.height = h;
    b.stride = qsizetype(w) * 3 + 5;
    b.bytes = QByteArray(b.stride * h, '\x55');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uchar* p = b.pixel(x, y);
            p[0] = uchar(x * 7 + y * 3 + seed);
            p[1] = uchar(x * 5 + y * 11 + seed * 2);
            p[2] = uchar(x + y * 17 + seed * 3);
        }
    return b;
}

// The pixels of a bitmap as ffmpeg gives bgr24 frames: rows of exactly 3 × width bytes.
QByteArray tight(const Bitmap24& b)
{
    QByteArray out;
    for (int y = 0; y < b.height; ++y) out.append(reinterpret_cast<const char*>(b.pixel(0, y)), b.width * 3);
    return out;
}

class AviWriterTest : public WorldTest {
protected:
    void SetUp() override
    {
        if (!testsupport::haveHostProgram("ffprobe") || !testsupport::haveHostProgram("ffmpeg"))
            GTEST_SKIP() << "ffmpeg missing";
        QDir().mkpath(world.hostC() + "/encoder");
        QDir().mkpath(world.hostD() + "/video");
    }
    std::unique_ptr<TAviWriter> writer()
    {
        auto w = std::make_unique<TAviWriter>("C:\\encoder\\");
        w->FileName = "D:\\video\\show_VCD.avi";
        w->OnProgress = [this](TAviWriter*, const QString& message, int percent) {
            messages << message;
            percents << percent;
        };
        return w;
    }
    QString avi() const { return world.hostD() + "/video/show_VCD.avi"; }
    QString write(TAviWriter& w)
    {
        try {
            w.Write();
        } catch (const EAviWriterError& e) {
            return e.message();
        }
        return {};
    }
    QJsonArray streams()
    {
        const QString json = runHost("ffprobe -v error -count_frames -show_streams -of json '" + avi() + "'");
        return QJsonDocument::fromJson(json.toUtf8()).object().value("streams").toArray();
    }
    // The video frames as ffmpeg decodes them, bgr24, top row first.
    QByteArray decodedFrames()
    {
        const QString raw = world.root() + "/frames.raw";
        runHost("ffmpeg -v error -y -i '" + avi() + "' -map 0:v -f rawvideo -pix_fmt bgr24 '" + raw + "'");
        QFile f(raw);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList messages;
    QList<int> percents;
};

} // namespace

TEST_F(AviWriterTest, FramesAndSoundArriveAsTheyWereGiven)
{
    if (!testsupport::haveHostProgram("sox")) GTEST_SKIP() << "sox missing";
    runHost("sox -n -r 44100 -b 16 -c 2 '" + world.hostC() + "/encoder/Input.wav' synth 19 sine 440 sine 660");
    // 352 pixels make rows of 1,056 bytes; 97 pixels need a pad byte per row.
    for (int width : {352, 97}) {
        SCOPED_TRACE(width);
        messages.clear();
        percents.clear();
        const std::vector<Bitmap24> bitmaps = {pattern(width, 288, 1), pattern(width, 288, 2), pattern(width, 288, 3)};
        auto w = writer();
        w->Width = width;
        w->Height = 288;
        w->FrameTime = 5000;
        w->Stretch = false;
        w->setWavFileName("C:\\encoder\\Input.wav");
        for (const auto& b : bitmaps) w->Bitmaps << &b;
        ASSERT_EQ(write(*w), QString());

        const QJsonArray s = streams();
        ASSERT_EQ(s.size(), 2);
        const QJsonObject video = s[0].toObject(), audio = s[1].toObject();
        EXPECT_EQ(video.value("codec_name").toString(), "rawvideo");
        EXPECT_EQ(video.value("pix_fmt").toString(), "bgr24");
        EXPECT_EQ(video.value("width").toInt(), width);
        EXPECT_EQ(video.value("height").toInt(), 288);
        EXPECT_EQ(video.value("nb_read_frames").toString(), "3");
        EXPECT_EQ(video.value("r_frame_rate").toString(), "1/5");
        EXPECT_EQ(audio.value("codec_name").toString(), "pcm_s16le");
        EXPECT_EQ(audio.value("sample_rate").toString(), "44100");
        EXPECT_EQ(audio.value("channels").toInt(), 2);

        EXPECT_TRUE(decodedFrames() == tight(bitmaps[0]) + tight(bitmaps[1]) + tight(bitmaps[2]));

        const QString sound = world.root() + "/sound.raw";
        runHost("ffmpeg -v error -y -i '" + avi() + "' -map 0:a -f s16le '" + sound + "'");
        TFileWaveStream wav("C:\\encoder\\Input.wav");
        QByteArray expected(wav.sampleCount() * 4, '\0');
        wav.read(expected.data(), wav.sampleCount());
        QFile f(sound);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll() == expected);

        EXPECT_EQ(runHost("ffmpeg -v error -i '" + avi() + "' -f null - 2>&1"), QString());
        EXPECT_FALSE(QFile::exists(world.hostC() + "/encoder/AWTemp.avi"));
    }

    const QString wait = QString::fromUtf8(".. bitte warten, der Vorgang kann je nach Größe der Quorbel und Rechenleistung "
                                           "Ihres PCs mehrere Minuten bis Stunden dauern!");
    EXPECT_EQ(messages, QStringList({" Video mit 3 Bildern erzeugen", QString::fromUtf8(" Video zum schreiben geöffnet"),
                                     QString::fromUtf8(" Video-Stream zum schreiben geöffnet"), "Bild Nr.1 schreiben",
                                     "Bild Nr.2 schreiben", "Bild Nr.3 schreiben",
                                     QString::fromUtf8("Audio Datei zum schreiben geöffnet"),
                                     QString::fromUtf8("Audio-Stream zum schreiben geöffnet"),
                                     QString::fromUtf8("Audio zu Video hinzufügen"), "Video schreiben...", wait,
                                     "Video speichern", wait}));
    EXPECT_EQ(percents.mid(3, 3), QList<int>({0, 33, 67}));
}

TEST_F(AviWriterTest, BitmapsOfAnotherSizeAreStretchedOrDrawnAtTheTopLeft)
{
    struct Case {
        const char* name;
        int bitmapW, bitmapH;
        bool stretch;
    };
    const int frameW = 6, frameH = 4;
    for (const Case& c : {Case{"smaller, stretch off", 2, 3, false}, Case{"larger, stretch off", 9, 7, false},
                          Case{"smaller, stretched", 3, 2, true}, Case{"larger, stretched", 12, 8, true}}) {
        SCOPED_TRACE(c.name);
        const Bitmap24 bitmap = pattern(c.bitmapW, c.bitmapH, 40);
        auto w = writer();
        w->Width = frameW;
        w->Height = frameH;
        w->Stretch = c.stretch;
        w->Bitmaps << &bitmap;
        ASSERT_EQ(write(*w), QString());
        const QByteArray frame = decodedFrames();
        ASSERT_EQ(frame.size(), frameW * frameH * 3);
        for (int y = 0; y < frameH; ++y)
            for (int x = 0; x < frameW; ++x) {
                const uchar* expected;
                if (c.stretch) expected = bitmap.pixel(x * c.bitmapW / frameW, y * c.bitmapH / frameH);
                else if (x < c.bitmapW && y < c.bitmapH) expected = bitmap.pixel(x, y);
                else expected = bitmap.pixel(0, 0); // the rest takes the top-left pixel's colour
                ASSERT_EQ(QByteArray(frame.constData() + (y * frameW + x) * 3, 3),
                          QByteArray(reinterpret_cast<const char*>(expected), 3))
                    << x << "," << y;
            }
    }
}

TEST_F(AviWriterTest, FailuresStopWithTheirMessageAndLeaveNoFiles)
{
    world.writeHostFile("c/encoder/bad.wav", "RIFF\x04\0\0\0WAVE");
    const Bitmap24 good = pattern(8, 8, 1);
    Bitmap24 broken = pattern(8, 8, 1);
    broken.bytes.chop(10);
    struct Case {
        const char* name;
        std::function<void(TAviWriter&)> setup;
        QString message;
    };
    const std::vector<Case> cases = {
        {"no bitmaps", [](TAviWriter&) {}, "No bitmaps on the Bitmaps list"},
        {"an empty entry", [&](TAviWriter& w) { w.Bitmaps = {&good, nullptr}; }, "Bitmaps[1] is not a TBitmap"},
        {"a bitmap short of bytes", [&](TAviWriter& w) { w.Bitmaps = {&good, &broken}; }, "Invalid bitmap"},
        {"a missing sound file",
         [&](TAviWriter& w) { w.Bitmaps = {&good}; w.setWavFileName("C:\\encoder\\none.wav"); },
         "A disk error occurred while opening the audio file."},
        {"a sound file that is no wave",
         [&](TAviWriter& w) { w.Bitmaps = {&good}; w.setWavFileName("C:\\encoder\\bad.wav"); },
         "The file could not be read, indicating a corrupt file or an unrecognized format."},
        {"no work folder",
         [&](TAviWriter& w) { w.Bitmaps = {&good}; QDir(world.hostC() + "/encoder").removeRecursively(); },
         "Failed to create AVI video work file"},
        {"no folder for the video",
         [&](TAviWriter& w) { w.Bitmaps = {&good}; w.FileName = "D:\\nowhere\\show_VCD.avi"; },
         "Unable to write output file - Close the Mediaplayer!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(world.hostC() + "/encoder");
        world.writeHostFile("c/encoder/bad.wav", "RIFF\x04\0\0\0WAVE");
        auto w = writer();
        w->Width = 8;
        w->Height = 8;
        c.setup(*w);
        EXPECT_EQ(write(*w), c.message);
        EXPECT_FALSE(QFile::exists(avi()));
        EXPECT_FALSE(QFile::exists(world.hostC() + "/encoder/AWTemp.avi"));
    }

    // A video that would pass the 32-bit sizes of a plain AVI file is refused before writing.
    auto w = writer();
    w->Width = 30000;
    w->Height = 30000;
    w->Bitmaps = {&good, &good};
    EXPECT_TRUE(write(*w).contains("4 GB"));
    EXPECT_FALSE(QFile::exists(world.hostC() + "/encoder/AWTemp.avi"));

    try {
        w->setWavFileName("C:\\encoder\\Input.mp3");
        ADD_FAILURE() << "a sound file without the .wav extension";
    } catch (const EAviWriterError& e) {
        EXPECT_EQ(e.message(), "WavFileName must name a file with the .wav extension");
    }
    EXPECT_NO_THROW(w->setWavFileName("C:\\encoder\\INPUT.WAV"));
}

TEST_F(AviWriterTest, AnOlderVideoOfTheSameNameIsReplaced)
{
    world.writeHostFile("d/video/show_VCD.avi", "old");
    const Bitmap24 b = pattern(16, 16, 9);
    auto w = writer();
    w->Width = 16;
    w->Height = 16;
    w->Bitmaps << &b;
    ASSERT_EQ(write(*w), QString());
    EXPECT_TRUE(decodedFrames() == tight(b));
}

TEST_F(AviWriterTest, SoundChunksOfOddSizeArePadded)
{
    if (!testsupport::haveHostProgram("sox")) GTEST_SKIP() << "sox missing";
    // 8-bit mono at 11,025 Hz: every second of sound is an odd number of bytes.
    runHost("sox -n -r 11025 -b 8 -e unsigned -c 1 '" + world.hostC() + "/encoder/odd.wav' synth 2.5 sine 300");
    const Bitmap24 a = pattern(10, 6, 1), b = pattern(10, 6, 2);
    auto w = writer();
    w->Width = 10;
    w->Height = 6;
    w->FrameTime = 1000;
    w->setWavFileName("C:\\encoder\\odd.wav");
    w->Bitmaps = {&a, &b};
    ASSERT_EQ(write(*w), QString());

    EXPECT_EQ(runHost("ffmpeg -v error -i '" + avi() + "' -f null - 2>&1"), QString());
    EXPECT_TRUE(decodedFrames() == tight(a) + tight(b));
    const QString sound = world.root() + "/sound.raw";
    runHost("ffmpeg -v error -y -i '" + avi() + "' -map 0:a -f u8 '" + sound + "'");
    TFileWaveStream wav("C:\\encoder\\odd.wav");
    QByteArray expected(wav.sampleCount(), '\0');
    wav.read(expected.data(), wav.sampleCount());
    QFile f(sound);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll() == expected);
}

using testsupport::FileSizeLimit;

TEST_F(AviWriterTest, AFullDiskStopsTheWriteAndLeavesNoHalfFile)
{
    world.writeHostFile("d/video/show_VCD.avi", "the video of an earlier run");
    std::vector<Bitmap24> bitmaps;
    for (int i = 0; i < 12; ++i) bitmaps.push_back(pattern(352, 288, i));
    auto w = writer();
    w->Width = 352;
    w->Height = 288;
    for (const auto& b : bitmaps) w->Bitmaps << &b;
    QString message;
    {
        FileSizeLimit limit(1000000);
        message = write(*w);
    }
    EXPECT_EQ(message, "Failed to add frame to AVI. Err=8004406E");
    EXPECT_FALSE(QFile::exists(world.hostC() + "/encoder/AWTemp.avi"));
    EXPECT_EQ(world.readHostFile("d/video/show_VCD.avi"), QByteArray("the video of an earlier run"));
}
