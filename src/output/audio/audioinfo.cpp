#include "audioinfo.h"

#include "output/audio/mpegaudio.h"
#include "platform/files.h"
#include "platform/rounding.h"
#include "util/riffchunks.h"

#include <QByteArray>
#include <QIODevice>
#include <QLocale>
#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace audio {

namespace {

const QString fileMissingText = QStringLiteral("The file does not exist: ");
const QString cannotReadText = QStringLiteral("Can not read data from the file: ");

QString yesNo(bool b) { return b ? QStringLiteral("Yes") : QStringLiteral("No"); }

std::uint32_t le32(const QByteArray& b, int i) { return qFromLittleEndian<quint32>(b.constData() + i); }
int le16(const QByteArray& b, int i) { return qFromLittleEndian<quint16>(b.constData() + i); }

// What the WAV panel shows of a RIFF WAVE file.
struct WaveHeader {
    std::uint32_t riffSize = 0;
    int formatTag = 0;
    int channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bytesPerSecond = 0; // the format's average
    int blockAlign = 0;
    int bitsPerSample = 0;
    std::int64_t dataSize = 0; // the bytes of the data chunk that the file really holds
};

// Walks the chunks of a RIFF WAVE file for "fmt " and "data"; nullopt when the file is not one.
std::optional<WaveHeader> readWaveHeader(QIODevice& file)
{
    const std::int64_t length = file.size();
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") return std::nullopt;
    WaveHeader h;
    h.riffSize = le32(head, 4);

    bool haveFormat = false, haveData = false, bad = false;
    const bool read = riff::forEachChunk(file, 12, length, [&](const riff::ChunkHeader& chunk) {
        if (chunk.id == "fmt " && !haveFormat) {
            const QByteArray fmt = chunk.size < 16 || !file.seek(chunk.dataOffset) ? QByteArray() : file.read(16);
            if (fmt.size() < 16) {
                bad = true;
                return false;
            }
            h.formatTag = le16(fmt, 0);
            h.channels = le16(fmt, 2);
            h.sampleRate = le32(fmt, 4);
            h.bytesPerSecond = le32(fmt, 8);
            h.blockAlign = le16(fmt, 12);
            h.bitsPerSample = le16(fmt, 14);
            haveFormat = true;
        } else if (chunk.id == "data" && !haveData) {
            h.dataSize = std::min<std::int64_t>(chunk.size, length - chunk.dataOffset);
            haveData = true;
        }
        return !(haveFormat && haveData);
    });
    if (!read || bad) return std::nullopt;
    if (!haveFormat || !haveData || h.channels == 0) return std::nullopt;
    return h;
}

// PCM (integer, float or the extensible header) plays a block per sample frame; a compressed
// format (MS-ADPCM, IMA ADPCM, GSM ...) packs many samples into each block, so its length is the
// data over the format's average bytes per second.
double waveSeconds(const WaveHeader& h)
{
    constexpr int pcm = 1, ieeeFloat = 3, extensible = 0xFFFE;
    if (h.formatTag == pcm || h.formatTag == ieeeFloat || h.formatTag == extensible) {
        if (h.sampleRate == 0 || h.blockAlign == 0) return 0.0;
        return double(h.dataSize) / h.blockAlign / double(h.sampleRate);
    }
    if (h.bytesPerSecond == 0) return 0.0;
    return double(h.dataSize) / double(h.bytesPerSecond);
}

} // namespace

bool hasMp3Extension(const QString& fileName)
{
    const qsizetype slash = std::max(fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char('/')));
    const QString name = fileName.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot).compare(QLatin1String(".mp3"), Qt::CaseInsensitive) == 0;
}

QString formatSecondsTenths(double seconds)
{
    const std::int64_t tenths = platform::roundHalfEven64(seconds * 10.0);
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    QString text = tenths < 0 ? QStringLiteral("-") : QString();
    if (magnitude >= 10) text += QString::number(magnitude / 10);
    return text + QLocale().decimalPoint() + QString::number(magnitude % 10);
}

QString formatHoursMinutesSeconds(double seconds)
{
    const std::int64_t total = seconds > 0 ? std::int64_t(seconds) : 0;
    return QStringLiteral("%1:%2:%3")
        .arg(total / 3600)
        .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(total % 60, 2, 10, QLatin1Char('0'));
}

void AudioFileAnalyser::ClearInfo()
{
    Mp3 = Mp3PanelTexts();
    Wave = WavePanelTexts();
    MP3PanelVisible = false;
    WavePanelVisible = false;
}

void AudioFileAnalyser::AnalyseFile()
{
    // A file that cannot be analysed must never inherit the previous file's results.
    Info.clear();
    Label1.clear();
    Message.clear();
    ClearInfo();
    if (hasMp3Extension(FileName)) ShowMp3Info();
    else ShowWaveInfo();
}

void AudioFileAnalyser::ShowMp3Info()
{
    if (FileName.isEmpty()) return;
    if (!platform::fileExists(FileName)) {
        Message = fileMissingText + FileName;
        return;
    }
    TMPEGaudio mpeg;
    if (!mpeg.ReadFromFile(FileName)) {
        Message = cannotReadText + FileName;
        return;
    }
    if (!mpeg.Valid()) {
        Mp3.ValidMPEGText = QStringLiteral("No");
        return;
    }
    MP3PanelVisible = true;
    Mp3.ValidMPEGText = QStringLiteral("Yes");
    Mp3.FileSizeText = QString::number(mpeg.FileLength()) + QStringLiteral(" bytes");
    Mp3.MPEGTypeText = mpeg.Version() + QLatin1Char(' ') + mpeg.Layer();
    Mp3.BitRateText = (mpeg.VBR().Found ? QStringLiteral("VBR ") : QStringLiteral("CBR "))
        + QString::number(mpeg.BitRate()) + QStringLiteral(" kbit/s");
    Mp3.SampleRateText = QString::number(mpeg.SampleRate()) + QStringLiteral(" Hz");
    Mp3.ChannelModeText = mpeg.ChannelMode();
    Mp3.DurationText = formatSecondsTenths(mpeg.Duration()) + QStringLiteral(" sec.");
    Mp3.FirstFrameAtText = QString::number(mpeg.FirstFrame()) + QStringLiteral(" bytes");
    Mp3.TotalFramesText = QString::number(mpeg.Frames());
    Mp3.CRCProtectionText = yesNo(mpeg.Protection());
    Mp3.CopyrightText = yesNo(mpeg.Copyright());
    Mp3.OriginalText = yesNo(mpeg.Original());
    Mp3.EmphasisText = mpeg.Emphasis();
    Mp3.EncoderText = mpeg.Encoder();
    Label1 = QStringLiteral("MP3 File");

    Info.VersionText = mpeg.Version();
    Info.LayerText = mpeg.Layer();
    Info.SampleRateHz = QString::number(mpeg.SampleRate());
    if (mpeg.ChannelMode().toUpper().contains(QLatin1String("STEREO")))
        Info.StereoMark = QStringLiteral("STEREO");
}

void AudioFileAnalyser::ShowWaveInfo()
{
    if (FileName.isEmpty()) return;
    if (!platform::fileExists(FileName)) {
        Message = fileMissingText + FileName;
        return;
    }
    auto file = platform::openFile(FileName, QIODevice::ReadOnly);
    std::optional<WaveHeader> header;
    if (file) header = readWaveHeader(*file);
    if (!header) {
        Message = cannotReadText + FileName;
        return;
    }
    const WaveHeader& h = *header;
    WavePanelVisible = true;
    Wave.ChannelModeEdit = h.channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Joint Stereo");
    Wave.FileSizeEdit = QString::number(h.riffSize) + QStringLiteral(" bytes");
    Wave.WavFormatEdit = QString::number(h.formatTag);
    Wave.BitsPerSampleEdit = QString::number(h.bitsPerSample);
    Wave.SampleRateEdit = QString::number(h.sampleRate) + QStringLiteral(" Hz");
    Wave.DurationWAVEdit = formatHoursMinutesSeconds(waveSeconds(h));
    Label1 = QStringLiteral("WAV File");

    Info.VersionText = QString::number(h.formatTag);
    Info.LayerText = QString::number(h.bitsPerSample) + QStringLiteral(" Bit");
    Info.SampleRateHz = QString::number(h.sampleRate);
    if (Wave.ChannelModeEdit.toUpper().contains(QLatin1String("STEREO")))
        Info.StereoMark = QStringLiteral("STEREO");
}

} // namespace audio
