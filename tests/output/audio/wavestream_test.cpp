#include "output/audio/wavestream.h"
#include "support/fixture.h"
#include "wavbytes.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <vector>

using namespace wavbytes;
using testsupport::runHost;
using testsupport::WorldTest;

namespace {

QString openError(const QString& path)
{
    try {
        TFileWaveStream s(path);
    } catch (const EWaveError& e) {
        return e.message();
    }
    return QStringLiteral("(opened)");
}

struct HeaderCase {
    const char* name;
    QByteArray bytes;
    const char* message;
};

} // namespace

TEST_F(WorldTest, BrokenHeadersAreRefusedWithTheMessageOfTheirStep)
{
    const QByteArray data = chunk("data", samples16({1, 2}));
    const QByteArray adpcm = format(2, 2, 44100, 4, 2048);
    const std::vector<HeaderCase> cases = {
        {"shorter than a chunk header", "RIFF", "Invalid multimedia file!"},
        {"another RIFF form", riff(chunk("fmt ", format(1, 2, 44100, 16)) + data, "AVI "), "Not a wave file!"},
        {"not RIFF at all", QByteArray("ID3\x03\0\0\0\0\0\0\0\0\0\0", 14), "Not a wave file!"},
        {"no format chunk", riff(data), "Couldn't find 'fmt' chunk!"},
        {"format chunk of 14 bytes", riff(chunk("fmt ", format(1, 2, 44100, 16).left(14)) + data), "Abnormal 'fmt' size!"},
        {"format record cut off by the end of the file", riff(QByteArray("fmt ") + le32(16) + format(1, 2, 44100, 16).left(10)),
         "Error reading 'fmt' chunk!"},
        {"extra length cut off by the end of the file", QByteArray("RIFF") + le32(40) + "WAVEfmt " + le32(20) + adpcm,
         "Error reading 'waveformatex' length!"},
        {"extra size beyond its chunk", riff(chunk("fmt ", adpcm + le16(32) + QByteArray(2, '\0')) + data),
         "Error reading 'waveformatex'!"},
        {"MPEG Layer-3", riff(chunk("fmt ", format(85, 2, 44100, 0, 1) + le16(12) + QByteArray(12, '\0')) + data),
         "MPEG Layer-3 compression is not supported."},
        {"block align 0", riff(chunk("fmt ", format(1, 2, 44100, 16, 0).left(12) + le16(0) + le16(16)) + data),
         "Abnormal 'fmt' size!"},
        {"format chunk running past the end of the file", riff(chunk("fmt ", format(1, 2, 44100, 16), 400)),
         "Error ascending from 'fmt' chunk!"},
        {"no data chunk", riff(chunk("fmt ", format(1, 2, 44100, 16)) + chunk("LIST", "INFO")), "Couldn't find 'data' chunk!"},
    };
    for (const auto& c : cases) {
        world.writeHostFile("c/bad.wav", c.bytes);
        EXPECT_EQ(openError("C:\\bad.wav"), QString::fromUtf8(c.message)) << c.name;
    }
    EXPECT_EQ(openError("C:\\missing.wav"), QStringLiteral("Can't open file stream."));
}

TEST_F(WorldTest, ChunksAreFoundPastOddSizedChunksAndDataIsBoundedByTheFile)
{
    // An odd-sized chunk with its pad byte before each of the two chunks that count, and a
    // chunk after the data that must not be read as samples.
    const QByteArray body = chunk("JUNK", "abc") + chunk("fmt ", format(1, 2, 44100, 16)) + chunk("LIST", "odd")
                            + chunk("data", samples16({10, -10, 20, -20})) + chunk("LIST", "INFOtail");
    world.writeHostFile("c/odd.wav", riff(body));
    TFileWaveStream s("C:\\odd.wav");
    EXPECT_EQ(s.format().channels, 2);
    EXPECT_EQ(s.format().blockAlign, 4);
    EXPECT_EQ(s.sampleCount(), 2);
    qint16 buffer[8] = {};
    EXPECT_EQ(s.read(buffer, 4), 2);
    EXPECT_EQ(buffer[0], 10);
    EXPECT_EQ(buffer[3], -20);
    EXPECT_EQ(s.read(buffer, 4), 0);

    // A data size larger than the file counts only the whole samples present.
    world.writeHostFile("c/cut.wav", riff(chunk("fmt ", format(1, 2, 44100, 16))) + QByteArray("data") + le32(4000)
                                          + samples16({1, 2, 3, 4, 5}));
    TFileWaveStream cut("C:\\cut.wav");
    EXPECT_EQ(cut.sampleCount(), 2);
    EXPECT_EQ(cut.read(buffer, 100), 2);
    EXPECT_EQ(cut.seek(0, 2), 2);
    EXPECT_EQ(cut.seek(-1, 1), 1);
    try {
        cut.seek(-2, 1);
        ADD_FAILURE() << "seeking before the data start";
    } catch (const EWaveError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Seeking to an invalid location in the file."));
    }
}

TEST_F(WorldTest, WrittenFilesCarryTheirSizesAndPadding)
{
    // 8-bit mono with an odd number of samples: the data chunk needs a pad byte.
    const TWaveFormat f = TWaveFormat::pcm(8000, 1, 8);
    {
        TFileWaveStream out("C:\\w.wav", &f);
        const char bytes[] = {char(0x80), char(0x90), char(0x70)};
        EXPECT_EQ(out.write(bytes, 3), 3);
        out.close();
    }
    const QByteArray file = world.readHostFile("c/w.wav");
    ASSERT_EQ(file.size(), 12 + 8 + 18 + 8 + 3 + 1);
    EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 4), quint32(file.size() - 8));
    EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 16), 18u);
    EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 42), 3u);

    TFileWaveStream in("C:\\w.wav");
    EXPECT_EQ(in.sampleCount(), 3);
    EXPECT_EQ(in.format().samplesPerSec, 8000u);
    if (testsupport::haveHostProgram("soxi")) {
        EXPECT_EQ(runHost("soxi -s '" + world.hostC() + "/w.wav'").trimmed(), "3");
        EXPECT_EQ(runHost("soxi -r '" + world.hostC() + "/w.wav'").trimmed(), "8000");
    }
}

TEST_F(WorldTest, PcmReaderPositionsAreChecked)
{
    world.writeHostFile("c/p.wav", pcm16Stereo(samples16({1, 2, 3, 4, 5, 6})));
    TFileWaveStream s("C:\\p.wav");
    TPCMWaveReader r(&s);
    EXPECT_EQ(r.sampleCount(), 3);
    r.setPosition(2);
    qint16 buffer[6] = {};
    EXPECT_EQ(r.read(buffer, 10), 1);
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(r.position(), 3);
    EXPECT_NO_THROW(r.setPosition(3)); // its current value is always allowed
    for (qint64 p : {qint64(-1), qint64(3), qint64(4)}) {
        r.setPosition(0);
        try {
            r.setPosition(p);
            ADD_FAILURE() << p;
        } catch (const EWaveError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Position out of bounds."));
        }
    }
    EXPECT_EQ(r.read(buffer, 0), 0);
}

TEST_F(WorldTest, CompressedEncodingsAreDecodedToPcm)
{
    if (!testsupport::haveHostProgram("sox")) GTEST_SKIP() << "sox missing";
    const QString c = world.hostC();
    int status = 0;
    runHost("sox -n -r 44100 -c 2 -e ima-adpcm '" + c + "/ima.wav' synth 1.3 sine 440 sine 660 && "
            "sox '" + c + "/ima.wav' -e signed -b 16 '" + c + "/ref.wav'", &status);
    ASSERT_EQ(status, 0);

    TFileWaveStream ref("C:\\ref.wav");
    std::vector<qint16> expected(size_t(ref.sampleCount()) * 2);
    ASSERT_EQ(ref.read(expected.data(), ref.sampleCount()), ref.sampleCount());

    TFileWaveStream s("C:\\ima.wav");
    EXPECT_EQ(s.format().formatTag, 0x11);
    TPCMWaveReader r(&s);
    EXPECT_EQ(r.format().formatTag, TWaveFormat::PCM);
    EXPECT_EQ(r.format().bitsPerSample, 16);
    EXPECT_EQ(r.format().channels, 2);
    EXPECT_EQ(r.format().samplesPerSec, 44100u);
    ASSERT_EQ(r.sampleCount(), ref.sampleCount());

    // Read in odd pieces that cross the converted buffer's edges.
    std::vector<qint16> got(expected.size());
    qint64 done = 0;
    while (done < r.sampleCount()) {
        const qint64 n = r.read(got.data() + done * 2, 3001);
        ASSERT_GT(n, 0);
        done += n;
    }
    EXPECT_EQ(got, expected);

    // A file cut short gives the samples that are present, without an error.
    QByteArray whole = world.readHostFile("c/ima.wav");
    world.writeHostFile("c/cut.wav", whole.left(whole.size() / 2 + 77));
    TFileWaveStream cutStream("C:\\cut.wav");
    TPCMWaveReader cut(&cutStream);
    EXPECT_LT(cut.sampleCount(), r.sampleCount());
    EXPECT_GT(cut.sampleCount(), r.sampleCount() / 3);
    std::vector<qint16> part(size_t(cut.sampleCount()) * 2);
    EXPECT_EQ(cut.read(part.data(), cut.sampleCount() + 100), cut.sampleCount());
    const auto diff = std::mismatch(part.begin(), part.end(), expected.begin());
    EXPECT_TRUE(diff.first == part.end()) << (diff.first - part.begin()) << " of " << part.size();

    // A jump back lands on the same samples.
    r.setPosition(12345);
    qint16 two[4];
    ASSERT_EQ(r.read(two, 2), 2);
    EXPECT_EQ(two[0], expected[12345 * 2]);
    EXPECT_EQ(two[3], expected[12346 * 2 + 1]);
}

TEST_F(WorldTest, FloatWithoutExtraLengthAndUndecodableEncodings)
{
    // A 16-byte format record of a non-PCM encoding carries no extra bytes.
    QByteArray floats;
    for (float v : {0.5f, -0.5f, 2.0f, -2.0f}) {
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        floats += le32(bits);
    }
    world.writeHostFile("c/f.wav", riff(chunk("fmt ", format(3, 2, 44100, 32)) + chunk("data", floats)));
    TFileWaveStream s("C:\\f.wav");
    TPCMWaveReader r(&s);
    ASSERT_EQ(r.sampleCount(), 2);
    qint16 out[4] = {};
    ASSERT_EQ(r.read(out, 2), 2);
    EXPECT_NEAR(out[0], 16384, 1);
    EXPECT_NEAR(out[1], -16384, 1);
    EXPECT_EQ(out[2], 32767);  // clipped, not wrapped
    EXPECT_LE(out[3], -32767);

    world.writeHostFile("c/u.wav", riff(chunk("fmt ", format(0x7A7A, 2, 44100, 4, 64) + le16(0)) + chunk("data", QByteArray(128, 'x'))));
    TFileWaveStream u("C:\\u.wav");
    try {
        TPCMWaveReader bad(&u);
        ADD_FAILURE() << "an encoding without a decoder";
    } catch (const EWaveError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Can't open acm stream."));
    }
}
