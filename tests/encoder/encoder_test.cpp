// The encoder plug-in through the run-time loader: frames held as the frame list says, the
// soundtrack, and failures that leave an existing video untouched.
#include "encoder/mpdx.h"
#include "platform/plugin.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class EncoderTest : public testsupport::WorldTest {
protected:
    platform::PluginLibrary library;
    OpenMPDXProc open = nullptr;
    EncodeMPDXProc encode = nullptr;
    MPDXLastErrorProc lastError = nullptr;
    QString folder;

    void SetUp() override
    {
        world.copyBuiltProgram();
        ASSERT_TRUE(library.load(world.programDir() + "mpdx_dll.dll")) << library.errorString().toStdString();
        open = reinterpret_cast<OpenMPDXProc>(library.resolve("OpenMPDX"));
        encode = reinterpret_cast<EncodeMPDXProc>(library.resolve("EncodeMPDX"));
        lastError = reinterpret_cast<MPDXLastErrorProc>(library.resolve("MPDXLastError"));
        ASSERT_TRUE(open && encode && lastError);
        folder = world.root() + "/encoder/";
        QDir().mkpath(folder);
    }

    void frame(const QString& name, int w, int h, QColor colour)
    {
        QImage image(w, h, QImage::Format_RGB888);
        image.fill(colour);
        ASSERT_TRUE(image.save(folder + name, "JPG", 85));
    }
    void text(const QString& name, const QByteArray& bytes)
    {
        QFile f(folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // A wave file of the given rate with `seconds` of a quiet ramp.
    void wave(int rate, double seconds)
    {
        const int frames = int(rate * seconds);
        QByteArray data(frames * 4, '\0');
        for (int i = 0; i < frames * 2; ++i) reinterpret_cast<qint16*>(data.data())[i] = qint16((i % 200) * 10);
        QByteArray header;
        auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) header.append(char(v >> (8 * i))); };
        auto u16 = [&](quint16 v) { header.append(char(v)).append(char(v >> 8)); };
        header.append("RIFF"); u32(36 + data.size()); header.append("WAVEfmt "); u32(16);
        u16(1); u16(2); u32(rate); u32(rate * 4); u16(4); u16(16);
        header.append("data"); u32(data.size());
        text("Input.wav", header + data);
    }
    int run(const QString& output)
    {
        const QByteArray f = folder.toLocal8Bit(), o = output.toLocal8Bit();
        const char* fa = f.constData();
        const char* oa = o.constData();
        open(&fa, &oa);
        return encode();
    }
    static QJsonObject probe(const QString& file)
    {
        const QString out = testsupport::runHost(
            QString("ffprobe -v error -count_frames -show_streams -show_format -of json '%1'").arg(file));
        return QJsonDocument::fromJson(out.toUtf8()).object();
    }
};

TEST_F(EncoderTest, KeyFramesAreHeldAndTransitionFramesShownOnce)
{
    if (!testsupport::haveHostProgram("ffprobe")) GTEST_SKIP() << "ffprobe missing";
    struct Case { int w, h; const char* codec; };
    for (const Case c : {Case{352, 240, "mpeg1video"}, Case{480, 576, "mpeg2video"}}) {
        SCOPED_TRACE(c.codec);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        frame("Test_0000.jpg", c.w, c.h, Qt::red);
        frame("Test_0001.jpg", c.w, c.h, Qt::green);   // a transition frame: no line, one frame
        frame("Test_0002.jpg", c.w, c.h, Qt::blue);
        frame("Test_0003.jpg", c.w, c.h, Qt::white);
        text("Test_quantity.nno", "Test_0000.jpg*30\r\nTest_0002.jpg*19\r\nTest_0003.jpg*100\r\n");
        wave(44100, 2); // shorter than the video: filled with silence
        const QString output = world.root() + "/out.mpg";
        ASSERT_EQ(run(output), 0) << lastError();
        const QJsonObject probed = probe(output);
        QJsonObject video, audio;
        for (const QJsonValue& s : probed["streams"].toArray())
            (s.toObject()["codec_type"].toString() == "video" ? video : audio) = s.toObject();
        EXPECT_EQ(video["codec_name"].toString(), c.codec);
        EXPECT_EQ(video["width"].toInt(), c.w);
        EXPECT_EQ(video["height"].toInt(), c.h);
        EXPECT_EQ(video["r_frame_rate"].toString(), "25/1");
        EXPECT_EQ(video["nb_read_frames"].toString(), "150"); // 30 + 1 + 19 + 100
        EXPECT_EQ(audio["codec_name"].toString(), "mp2");
        EXPECT_EQ(audio["sample_rate"].toString(), "44100");
        EXPECT_EQ(audio["channels"].toInt(), 2);
        EXPECT_NEAR(probed["format"].toObject()["duration"].toString().toDouble(), 6.0, 0.15);
        EXPECT_EQ(testsupport::runHost("ffmpeg -nostdin -v error -i '" + output + "' -f null - 2>&1").trimmed(), "");
    }
}

TEST_F(EncoderTest, FailuresSayWhyAndKeepTheOldVideo)
{
    struct Case {
        const char* name;
        QByteArray frameList;
        int rate;          // 0: no soundtrack
        bool frames;
    };
    const Case cases[] = {
        {"no frame list", {}, 44100, true},
        {"count that is no number", "Test_0000.jpg*x\r\n", 44100, true},
        {"no soundtrack", "Test_0000.jpg*5\r\n", 0, true},
        {"soundtrack at 48 kHz", "Test_0000.jpg*5\r\n", 48000, true},
        {"no frames", "Test_0000.jpg*5\r\n", 44100, false},
    };
    const QString output = world.root() + "/old.mpg";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QFile old(output);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the video made before");
        old.close();
        if (c.frames) frame("Test_0000.jpg", 352, 288, Qt::gray);
        if (!c.frameList.isNull()) text("Test_quantity.nno", c.frameList);
        if (c.rate) wave(c.rate, 0.5);
        EXPECT_NE(run(output), 0);
        EXPECT_STRNE(lastError(), "");
        QFile check(output);
        ASSERT_TRUE(check.open(QIODevice::ReadOnly));
        EXPECT_EQ(check.readAll(), "the video made before");
        EXPECT_FALSE(QFile::exists(output + ".part"));
    }
}

TEST_F(EncoderTest, LoaderReportsWhatItCannotLoad)
{
    platform::PluginLibrary other;
    EXPECT_FALSE(other.load(world.programDir() + "missing.dll"));
    EXPECT_FALSE(other.errorString().isEmpty());
    EXPECT_EQ(other.resolve("OpenMPDX"), nullptr);
    EXPECT_EQ(library.resolve("NoSuchEntry"), nullptr);
}

} // namespace
