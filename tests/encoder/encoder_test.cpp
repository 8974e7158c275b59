// The encoder plug-in through the run-time loader: frames held as the frame list says, the
// soundtrack, and failures that leave an existing video untouched.
#include "output/video/mpdxplugin.h"
#include "platform/plugin.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

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

// Every frame of the decoded video by colour (r, g, b, w for white, ? otherwise), read from the
// middle of a 4 × 4 reduction.
QString frameColours(const QString& file)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-i", file, "-map", "0:v", "-fps_mode", "passthrough", "-vf",
                            "scale=4:4", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    ffmpeg.waitForFinished(120000);
    const QByteArray raw = ffmpeg.readAllStandardOutput();
    QString colours;
    for (qsizetype at = 0; at + 48 <= raw.size(); at += 48) {
        const uchar* p = reinterpret_cast<const uchar*>(raw.constData() + at + (1 * 4 + 1) * 3);
        const bool r = p[0] > 160, g = p[1] > 160, b = p[2] > 160;
        colours += r && g && b ? u'w' : r && !g && !b ? u'r' : g && !r && !b ? u'g' : b && !r && !g ? u'b' : u'?';
    }
    return colours;
}

// The runs of equal letters: "rrgb" gives {{'r', 2}, {'g', 1}, {'b', 1}}.
QList<QPair<QChar, int>> runs(const QString& colours)
{
    QList<QPair<QChar, int>> out;
    for (QChar c : colours) {
        if (out.isEmpty() || out.last().first != c) out.append({c, 0});
        ++out.last().second;
    }
    return out;
}

// The four standard streams from the same frame list: a red still of 30 25ths, one transition
// frame, a blue still of 19 and a white closing still of 100 (six seconds). A disc tool takes
// each stream as it is; each still keeps its time in either norm.
TEST_F(EncoderTest, EachNormAndModeGivesAStreamTheDiscToolAccepts)
{
    for (const char* tool : {"ffprobe", "ffmpeg", "vcdimager"})
        if (!testsupport::haveHostProgram(tool)) GTEST_SKIP() << tool << " missing";
    struct Case {
        const char* name;
        int w, h;
        const char* codec;
        const char* rate;
        const char* discType;
        QList<QPair<QChar, int>> runs; // video frames per colour
    };
    const Case cases[] = {
        {"VCD PAL", 352, 288, "mpeg1video", "25/1", "vcd2", {{'r', 30}, {'g', 1}, {'b', 19}, {'w', 100}}},
        // NTSC: frame k at k × 1001/30000 s shows the picture whose 25ths hold that moment.
        {"VCD NTSC", 352, 240, "mpeg1video", "30000/1001", "vcd2", {{'r', 36}, {'g', 2}, {'b', 22}, {'w', 120}}},
        {"SVCD PAL", 480, 576, "mpeg2video", "25/1", "svcd", {{'r', 30}, {'g', 1}, {'b', 19}, {'w', 100}}},
        {"SVCD NTSC", 480, 480, "mpeg2video", "30000/1001", "svcd", {{'r', 36}, {'g', 2}, {'b', 22}, {'w', 120}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        frame("Test_0000.jpg", c.w, c.h, Qt::red);
        frame("Test_0001.jpg", c.w, c.h, Qt::green);   // a transition frame: no line, one 25th
        frame("Test_0002.jpg", c.w, c.h, Qt::blue);
        frame("Test_0003.jpg", c.w, c.h, Qt::white);
        text("Test_quantity.nno", "Test_0000.jpg*30\r\nTest_0002.jpg*19\r\nTest_0003.jpg*100\r\n");
        wave(44100, 2); // shorter than the video: filled with silence
        const QString output = world.root() + "/out.mpg";
        ASSERT_EQ(run(output), 0) << lastError();

        EXPECT_EQ(testsupport::discToolComplaints(output, c.discType, world.root() + "/disc-" + QString(c.name).replace(u' ', u'-')).toStdString(), "");
        const QJsonObject probed = probe(output);
        QJsonObject video, audio;
        for (const QJsonValue& s : probed["streams"].toArray())
            (s.toObject()["codec_type"].toString() == "video" ? video : audio) = s.toObject();
        EXPECT_EQ(video["codec_name"].toString(), c.codec);
        EXPECT_EQ(video["width"].toInt(), c.w);
        EXPECT_EQ(video["height"].toInt(), c.h);
        EXPECT_EQ(video["r_frame_rate"].toString(), c.rate);
        // 4:3 on the screen; MPEG-1 tells the pixel aspect only from a table, near enough.
        const QStringList dar = video["display_aspect_ratio"].toString().split(':');
        ASSERT_EQ(dar.size(), 2) << video["display_aspect_ratio"].toString().toStdString();
        EXPECT_NEAR(dar[0].toDouble() / dar[1].toDouble(), 4.0 / 3.0, 0.01) << video["display_aspect_ratio"].toString().toStdString();
        EXPECT_EQ(audio["codec_name"].toString(), "mp2");
        EXPECT_EQ(audio["sample_rate"].toString(), "44100");
        EXPECT_EQ(audio["channels"].toInt(), 2);
        // The frame list's six seconds, counted in decoded frames (the multiplex keeps a time
        // stamp only for the first of the small frames in a pack, so the probed end is early).
        const QStringList rate = QString(c.rate).split('/');
        const double frameTime = rate[1].toDouble() / rate[0].toDouble();
        EXPECT_NEAR(video["nb_read_frames"].toString().toDouble() * frameTime, 6.0, frameTime / 2);
        EXPECT_NEAR(audio["nb_read_frames"].toString().toDouble() * 1152 / 44100, 6.0, 1152.0 / 44100);
        EXPECT_EQ(runs(frameColours(output)), c.runs);
        EXPECT_EQ(testsupport::runHost("ffmpeg -nostdin -v error -i '" + output + "' -f null - 2>&1").trimmed(), "");
    }
}

TEST_F(EncoderTest, FailuresSayWhyAndKeepTheOldVideo)
{
    struct Case {
        const char* name;
        QByteArray frameList;
        int rate;          // 0: no soundtrack
        QSize frames;      // empty: no frames
    };
    const Case cases[] = {
        {"no frame list", {}, 44100, {352, 288}},
        {"count that is no number", "Test_0000.jpg*x\r\n", 44100, {352, 288}},
        {"no soundtrack", "Test_0000.jpg*5\r\n", 0, {352, 288}},
        {"soundtrack at 48 kHz", "Test_0000.jpg*5\r\n", 48000, {352, 288}},
        {"no frames", "Test_0000.jpg*5\r\n", 44100, {}},
        {"frames of no video CD size", "Test_0000.jpg*5\r\n", 44100, {576, 480}},
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
        if (!c.frames.isEmpty()) frame("Test_0000.jpg", c.frames.width(), c.frames.height(), Qt::gray);
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
