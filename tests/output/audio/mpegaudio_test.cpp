#include "audiofixtures.h"
#include "output/audio/mpegaudio.h"
#include "support/fixture.h"

#include <cmath>
#include <cstdlib>

using namespace audio;
using namespace audiotest;
using testsupport::WorldTest;

namespace {

class MpegAudioTest : public WorldTest {
protected:
    void SetUp() override
    {
        QString missing;
        if (!havePrograms({"sox", "lame", "id3v2", "ffmpeg", "ffprobe", "mediainfo"}, &missing))
            GTEST_SKIP() << "missing " << missing.toStdString();
    }
    QString host(const QString& name) const { return world.hostC() + "/" + name; }
    static QString win(const QString& name) { return "C:\\" + name; }
};

enum HeaderFlag { Crc = 1, CopyrightFlag = 2, OriginalFlag = 4 };

// One frame header with the given ids and flags.
QByteArray header(int versionId, int layerId, int bitRateId, int sampleRateId, bool padding, int modeId = 0,
                  int flags = 0)
{
    QByteArray h(4, '\0');
    h[0] = char(0xFF);
    h[1] = char(0xE0 | (versionId << 3) | (layerId << 1) | ((flags & Crc) ? 0 : 1));
    h[2] = char((bitRateId << 4) | (sampleRateId << 2) | (padding ? 2 : 0));
    h[3] = char((modeId << 6) | ((flags & CopyrightFlag) ? 8 : 0) | ((flags & OriginalFlag) ? 4 : 0));
    return h;
}

// frames frames of length frameLength, each a header and filler that never looks like a sync.
QByteArray frameStream(const QByteArray& head, int frameLength, int frames, char filler = 0x55)
{
    QByteArray s;
    for (int i = 0; i < frames; ++i) s += head + QByteArray(frameLength - 4, filler);
    return s;
}

struct Mp3Case {
    const char* name;
    const char* make;      // "lame OPTIONS", "ffmpeg OPTIONS" (Layer II), plus steps after it
    int sampleRate;
    int channels;
    const char* version;
    const char* layer;
    const char* mode;
    bool vbr;
};

} // namespace

// Files made by the encoders and the tagger, against what ffprobe and mediainfo read in them.
TEST_F(MpegAudioTest, AgreesWithFfprobeAndMediainfo)
{
    const Mp3Case cases[] = {
        {"cbr_joint.mp3", "lame -b 128", 44100, 2, "MPEG 1", "Layer III", "Joint Stereo", false},
        {"cbr_stereo.mp3", "lame -m s -b 192", 44100, 2, "MPEG 1", "Layer III", "Stereo", false},
        {"dual.mp3", "lame -m d -b 128", 44100, 2, "MPEG 1", "Layer III", "Dual Channel", false},
        {"mono.mp3", "lame -m m -b 64", 44100, 1, "MPEG 1", "Layer III", "Mono", false},
        {"vbr.mp3", "lame -V 4", 44100, 2, "MPEG 1", "Layer III", "Joint Stereo", true},
        {"vbr_mono.mp3", "lame -V 2 -m m", 44100, 1, "MPEG 1", "Layer III", "Mono", true},
        {"48k.mp3", "lame -b 160", 48000, 2, "MPEG 1", "Layer III", "Joint Stereo", false},
        {"32k.mp3", "lame -m s -b 96", 32000, 2, "MPEG 1", "Layer III", "Stereo", false},
        {"22k.mp3", "lame -b 64", 22050, 2, "MPEG 2", "Layer III", "Joint Stereo", false},
        {"22k_vbr_mono.mp3", "lame -V 6 -m m", 22050, 1, "MPEG 2", "Layer III", "Mono", true},
        {"11k.mp3", "lame -m m -b 24", 11025, 1, "MPEG 2.5", "Layer III", "Mono", false},
        {"id3v1.mp3", "lame -b 128 | id3v2 -1 -t Song -a Band -T 4", 44100, 2, "MPEG 1", "Layer III", "Joint Stereo", false},
        {"id3v23.mp3", "lame -V 3 | id3v2 -2 -t Song -a Band -A Disc -T 4/9", 44100, 2, "MPEG 1", "Layer III", "Joint Stereo", true},
        {"both_tags.mp3", "lame -b 128 | id3v2 -t Song -a Band", 44100, 2, "MPEG 1", "Layer III", "Joint Stereo", false},
        {"truncated.mp3", "lame -b 128 | truncate -s 30001", 44100, 2, "MPEG 1", "Layer III", "Joint Stereo", false},
        {"layer2.mp2", "ffmpeg -c:a mp2 -b:a 192k", 44100, 2, "MPEG 1", "Layer II", "Stereo", false},
        {"layer2_22k.mp2", "ffmpeg -c:a mp2 -b:a 64k", 22050, 2, "MPEG 2", "Layer II", "Stereo", false},
    };
    for (const Mp3Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = host(c.name);
        const QString wav = path + ".wav";
        ASSERT_TRUE(makeToneWav(wav, c.sampleRate, c.channels, 3.0));
        const QStringList steps = QString(c.make).split(" | ");
        QString encode = steps.first();
        if (encode.startsWith("lame")) encode = encode.replace("lame", "lame --quiet") + " '" + wav + "' '" + path + "'";
        else encode = "ffmpeg -v error -y -i '" + wav + "' " + encode.mid(7) + " -f mp2 '" + path + "'";
        ASSERT_TRUE(shellIn(world.hostC(), encode));
        for (int i = 1; i < steps.size(); ++i) ASSERT_TRUE(shellIn(world.hostC(), steps[i] + " '" + path + "'"));

        const Probe probe = ffprobe(path);
        const MediaInfo info = mediainfo(path);
        ASSERT_TRUE(probe.ok);
        ASSERT_TRUE(info.ok);

        TMPEGaudio mpeg;
        ASSERT_TRUE(mpeg.ReadFromFile(win(c.name)));
        EXPECT_TRUE(mpeg.Valid());
        EXPECT_EQ(mpeg.Version(), c.version);
        EXPECT_EQ(mpeg.Version(), "MPEG " + info.version);
        EXPECT_EQ(mpeg.Layer(), c.layer);
        EXPECT_EQ(QString(mpeg.Layer()).replace("III", "3").replace("II", "2"), info.profile);
        EXPECT_EQ(mpeg.SampleRate(), probe.sampleRate);
        EXPECT_EQ(mpeg.SampleRate(), info.sampleRate);
        EXPECT_EQ(mpeg.ChannelMode(), c.mode);
        const QString infoMode = info.mode == "Joint stereo" ? "Joint Stereo"
            : info.mode == "Dual mono"                      ? "Dual Channel"
            : probe.channels == 1                           ? "Mono"
                                                            : "Stereo";
        EXPECT_EQ(mpeg.ChannelMode(), infoMode);
        EXPECT_EQ(mpeg.VBR().Found, c.vbr);
        EXPECT_EQ(mpeg.VBR().Found, info.bitRateMode == "VBR");

        // A VBR header counts the frames (ffprobe may decode one more or less); without one they
        // are estimated from the file length. The tools take the length of a cut file from its
        // LAME header, which still tells the whole: there only the frames ffprobe decoded count.
        const bool cut = QString(c.name).startsWith("truncated");
        const long long tolerance = c.vbr ? 1 : 2;
        EXPECT_LE(std::llabs(mpeg.Frames() - probe.frames), tolerance) << probe.frames;
        if (!cut) {
            EXPECT_LE(std::llabs(mpeg.Frames() - info.frames), tolerance) << info.frames;
        }
        const double samples = QString(c.layer) == "Layer III" && c.sampleRate < 32000 ? 576 : 1152;
        const double twoFrames = 2 * samples / c.sampleRate;
        EXPECT_NEAR(mpeg.Duration(), probe.frames * samples / c.sampleRate, twoFrames);
        if (!cut) {
            EXPECT_NEAR(mpeg.Duration(), probe.duration, twoFrames);
            EXPECT_NEAR(mpeg.Duration(), info.duration, twoFrames);
        }
        EXPECT_NEAR(mpeg.BitRate(), info.bitRate / 1000, c.vbr ? 2 : 0);
        EXPECT_EQ(mpeg.FirstFrame(), 0) << "audio starts right after the tag, where the window starts";
    }
}

TEST_F(MpegAudioTest, LameVbrHeaderNamesTheEncoder)
{
    ASSERT_TRUE(makeMp3(host("v.mp3"), 44100, 2, 2, "-V 4"));
    TMPEGaudio mpeg;
    ASSERT_TRUE(mpeg.ReadFromFile(win("v.mp3")));
    EXPECT_EQ(mpeg.VBR().ID, "Xing");
    EXPECT_TRUE(mpeg.VBR().VendorID.startsWith("LAME3."));
    EXPECT_EQ(mpeg.EncoderID(), EncoderLAME);
    EXPECT_EQ(mpeg.Encoder(), "LAME " + mpeg.VBR().VendorID.mid(4, 4));
}

// Frame lengths of the MPEG audio standard, on synthetic streams of equal frames: a wrong length
// finds no second header and so no frame at all.
TEST_F(MpegAudioTest, FrameLengthsFollowTheStandard)
{
    struct Case {
        const char* what;
        int version, layer, bitRateId, sampleRateId;
        bool padding;
        int length;
    } cases[] = {
        {"MPEG 1 Layer I 32 kbit/s 44.1 kHz padded", MpegVersion1, MpegLayer1, 1, 0, true, 4 * 8 + 4},
        {"MPEG 1 Layer I 448 kbit/s 32 kHz", MpegVersion1, MpegLayer1, 14, 2, false, 672},
        {"MPEG 2 Layer I 32 kbit/s 24 kHz", MpegVersion2, MpegLayer1, 1, 1, false, 64},
        {"MPEG 1 Layer II 384 kbit/s 48 kHz", MpegVersion1, MpegLayer2, 14, 1, false, 1152},
        {"MPEG 2 Layer II 64 kbit/s 22.05 kHz", MpegVersion2, MpegLayer2, 8, 0, false, 417},
        {"MPEG 2.5 Layer II 8 kbit/s 8 kHz", MpegVersion25, MpegLayer2, 1, 2, false, 144},
        {"MPEG 1 Layer III 128 kbit/s 44.1 kHz", MpegVersion1, MpegLayer3, 9, 0, false, 417},
        {"MPEG 1 Layer III 128 kbit/s 44.1 kHz padded", MpegVersion1, MpegLayer3, 9, 0, true, 418},
        {"MPEG 2 Layer III 64 kbit/s 22.05 kHz padded", MpegVersion2, MpegLayer3, 8, 0, true, 209},
        {"MPEG 2.5 Layer III 8 kbit/s 8 kHz", MpegVersion25, MpegLayer3, 1, 2, false, 72},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray head = header(c.version, c.layer, c.bitRateId, c.sampleRateId, c.padding);
        ASSERT_TRUE(writeHost(host("s.mp3"), frameStream(head, c.length, 40)));
        TMPEGaudio mpeg;
        ASSERT_TRUE(mpeg.ReadFromFile(win("s.mp3")));
        ASSERT_TRUE(mpeg.Frame().Found);
        EXPECT_EQ(mpeg.Frame().Size, c.length);
        EXPECT_EQ(mpeg.FirstFrame(), 0);
        EXPECT_EQ(mpeg.Frames(), 40);
    }
}

// "First frame at" counts within the window the frame was found in: the first starts at the end
// of the ID3v2 tag, the second in the middle of the audio. The duration then counts the file less
// the tag less that position, against what ffprobe decodes.
TEST_F(MpegAudioTest, FirstFramePositionCountsWithinItsWindow)
{
    // 128 kbit/s at 44.1 kHz CBR, about ten seconds: 417- and 418-byte frames.
    ASSERT_TRUE(makeMp3(host("plain.mp3"), 44100, 2, 10.06, "-b 128"));
    const QByteArray audio = readHost(host("plain.mp3"));
    ASSERT_TRUE(writeHost(host("tagged.mp3"),
                          id3v2Tag(3, id3v2Frame("TIT2", QByteArray("\0Tagged", 7)), 4096) + audio));
    const int junk = 5000;
    ASSERT_TRUE(writeHost(host("junk.mp3"), QByteArray(junk, '\0') + audio));

    TMPEGaudio plain, tagged, late;
    ASSERT_TRUE(plain.ReadFromFile(win("plain.mp3")));
    ASSERT_TRUE(tagged.ReadFromFile(win("tagged.mp3")));
    ASSERT_TRUE(late.ReadFromFile(win("junk.mp3")));
    ASSERT_TRUE(tagged.Valid());
    ASSERT_TRUE(late.Valid());

    // The tag: the window starts at byte 4,096, and the frame right there is at 0.
    EXPECT_EQ(tagged.ID3v2().Size(), 4096);
    EXPECT_EQ(tagged.ID3v2().Title(), "Tagged");
    EXPECT_EQ(plain.FirstFrame(), 0);
    EXPECT_EQ(tagged.FirstFrame(), 0);
    EXPECT_EQ(tagged.FileLength(), plain.FileLength() + 4096);
    EXPECT_EQ(tagged.Frames(), plain.Frames());
    EXPECT_DOUBLE_EQ(tagged.Duration(), plain.Duration());

    // The junk: no pair among the first window's 1,730 positions, so the second window from the
    // middle of the file; its frame is counted within that window, the first frame boundary there.
    const qint64 length = junk + audio.size();
    const qint64 middle = length / 2;
    EXPECT_LT(late.FirstFrame(), 418 + 4);
    const QByteArray window = readHost(host("junk.mp3")).mid(middle, TMPEGaudio::WindowSize);
    EXPECT_EQ(quint8(window.at(late.FirstFrame())), 0xFF);
    EXPECT_EQ(late.Frames(), (length - late.FirstFrame()) / late.Frame().Size);
    EXPECT_DOUBLE_EQ(late.Duration(), (length - late.FirstFrame()) * 8.0 / 128 / 1000);

    // Against ffprobe: the plain and tagged files within two frames; the junk in front is counted
    // as audio (5,000 bytes are 0.31 s at 128 kbit/s), never half the file left out (5.2 s).
    const double twoFrames = 2 * 1152.0 / 44100;
    for (const char* name : {"plain.mp3", "tagged.mp3", "junk.mp3"}) {
        const Probe probe = ffprobe(host(name));
        ASSERT_TRUE(probe.ok) << name;
        TMPEGaudio mpeg;
        ASSERT_TRUE(mpeg.ReadFromFile(win(name)));
        const double extra = QString(name) == "junk.mp3" ? junk * 8.0 / 128000 : 0.0;
        EXPECT_NEAR(mpeg.Duration(), probe.duration + extra, twoFrames) << name << " ffprobe " << probe.duration;
        EXPECT_LE(std::llabs(mpeg.Frames() - qint64(probe.frames + extra * 44100 / 1152)), 2) << name;
    }
}

TEST_F(MpegAudioTest, FilesWithoutUsableFrames)
{
    TMPEGaudio mpeg;
    EXPECT_FALSE(mpeg.ReadFromFile(win("missing.mp3")));

    // Too short for any header: the tag read fails, and so does the scan.
    ASSERT_TRUE(writeHost(host("tiny.mp3"), QByteArray("\xFF\xFB\x90", 3)));
    EXPECT_FALSE(mpeg.ReadFromFile(win("tiny.mp3")));
    EXPECT_FALSE(mpeg.Valid());

    // Read, but no frame: the reset state.
    ASSERT_TRUE(writeHost(host("junk.mp3"), QByteArray(6000, 'j')));
    ASSERT_TRUE(mpeg.ReadFromFile(win("junk.mp3")));
    EXPECT_FALSE(mpeg.Frame().Found);
    EXPECT_FALSE(mpeg.Valid());
    EXPECT_EQ(mpeg.FileLength(), 0);
    EXPECT_EQ(mpeg.Version(), "MPEG ?");
    EXPECT_EQ(mpeg.ChannelMode(), "Unknown");
    EXPECT_EQ(mpeg.Emphasis(), "Unknown");
    EXPECT_EQ(mpeg.SampleRate(), 0);
    EXPECT_EQ(mpeg.Duration(), 0.0);
    EXPECT_EQ(mpeg.EncoderID(), EncoderUnknown);

    // One lone frame: its partner would lie past the end of the file.
    const QByteArray head = header(MpegVersion1, MpegLayer3, 9, 0, false);
    ASSERT_TRUE(writeHost(host("one.mp3"), frameStream(head, 417, 1)));
    ASSERT_TRUE(mpeg.ReadFromFile(win("one.mp3")));
    EXPECT_FALSE(mpeg.Frame().Found);

    // Two frames are found but last far less than a tenth of a second.
    ASSERT_TRUE(writeHost(host("two.mp3"), frameStream(head, 417, 2)));
    ASSERT_TRUE(mpeg.ReadFromFile(win("two.mp3")));
    EXPECT_TRUE(mpeg.Frame().Found);
    EXPECT_FALSE(mpeg.Valid());

    // A header whose frame would end beyond the bytes read is never taken for a pair: the stream
    // ends with a header alone.
    ASSERT_TRUE(writeHost(host("cut.mp3"), frameStream(head, 417, 1) + head));
    ASSERT_TRUE(mpeg.ReadFromFile(win("cut.mp3")));
    EXPECT_TRUE(mpeg.Frame().Found);
    EXPECT_EQ(mpeg.Frame().Size, 417);
}

// The encoder guess of files without a VBR header, from the first frame's flags.
TEST_F(MpegAudioTest, EncoderGuessOfConstantBitRateFiles)
{
    struct Case {
        const char* what;
        int mode, bitRateId, flags;
        char filler;
        const char* prefix;
        int encoder;
    } cases[] = {
        {"original with CRC", 0, 9, OriginalFlag | Crc, 0x55, "", EncoderLAME},
        {"joint stereo, no flags", 1, 9, 0, 0x55, "", EncoderFhG},
        {"joint stereo, original with CRC", 1, 9, OriginalFlag | Crc, 0x55, "", EncoderLAME},
        {"stereo at 96 kbit/s", 0, 7, 0, 0x55, "", EncoderBlade},
        {"stereo at 96 kbit/s, original with CRC", 0, 7, OriginalFlag | Crc, 0x55, "", EncoderBlade},
        {"copyright and original, no CRC", 0, 9, CopyrightFlag | OriginalFlag, 0x55, "", EncoderXing},
        {"empty side data, original", 3, 9, OriginalFlag, 0, "", EncoderXing},
        {"dual channel with CRC", 2, 9, Crc | OriginalFlag, 0x55, "", EncoderShine},
        {"mono, no flags", 3, 9, 0, 0x55, "", EncoderUnknown},
        {"inside a WAVE file", 3, 9, 0, 0x55, "RIFF\x10\x20\x30\x01WAVEdata", EncoderFhG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray head = header(MpegVersion1, MpegLayer3, c.bitRateId, 0, false, c.mode, c.flags);
        const int length = c.bitRateId == 9 ? 417 : 313;
        ASSERT_TRUE(writeHost(host("e.mp3"), QByteArray(c.prefix) + frameStream(head, length, 20, c.filler)));
        TMPEGaudio mpeg;
        ASSERT_TRUE(mpeg.ReadFromFile(win("e.mp3")));
        ASSERT_TRUE(mpeg.Valid());
        EXPECT_EQ(mpeg.EncoderID(), c.encoder);
    }
}

// A VBRI header (32 bytes after the frame header of MPEG 1 stereo) gives frames and bytes.
TEST_F(MpegAudioTest, VbriHeaderGivesFramesBytesAndFhG)
{
    const QByteArray head = header(MpegVersion1, MpegLayer3, 9, 0, false, 0);
    QByteArray first = head + QByteArray(413, '\0');
    QByteArray vbri("VBRI\0\x01\0\0\0\x50", 10);
    const quint32 bytes = 2'000'000, frames = 5000;
    for (quint32 v : {bytes, frames})
        vbri.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
    first.replace(36, vbri.size(), vbri);
    ASSERT_TRUE(writeHost(host("fhg.mp3"), first + frameStream(head, 417, 30)));
    TMPEGaudio mpeg;
    ASSERT_TRUE(mpeg.ReadFromFile(win("fhg.mp3")));
    ASSERT_TRUE(mpeg.Valid());
    EXPECT_EQ(mpeg.VBR().ID, "VBRI");
    EXPECT_EQ(mpeg.VBR().Scale, 0x50);
    EXPECT_EQ(mpeg.VBR().Bytes, bytes);
    EXPECT_EQ(mpeg.Frames(), frames);
    EXPECT_DOUBLE_EQ(mpeg.Duration(), 1152.0 * frames / 44100);
    EXPECT_EQ(mpeg.BitRate(), 122); // 400 bytes a frame: 400 * 44100 / 144 / 1000 = 122.5, halves to even
    EXPECT_EQ(mpeg.EncoderID(), EncoderFhG);
    EXPECT_EQ(mpeg.Encoder(), "FhG");
}
