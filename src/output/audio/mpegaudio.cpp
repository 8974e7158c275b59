#include "mpegaudio.h"

#include "platform/files.h"
#include "platform/rounding.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

namespace audio {

namespace {

const char* const versionNames[4] = {"MPEG 2.5", "MPEG ?", "MPEG 2", "MPEG 1"};
const char* const layerNames[4] = {"Layer ?", "Layer III", "Layer II", "Layer I"};
const char* const modeNames[5] = {"Stereo", "Joint Stereo", "Dual Channel", "Mono", "Unknown"};
const char* const emphasisNames[4] = {"None", "50/15 ms", "Unknown", "CCIT J.17"};
const char* const encoderNames[7] = {"Unknown", "Xing", "FhG", "LAME", "Blade", "GoGo", "Shine"};

// kbit/s by bit-rate id: MPEG 1 Layer I, II, III; MPEG 2 and 2.5 Layer I; Layer II and III.
const int bitRates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};

// Hz by version id and sample-rate id.
const int sampleRates[4][4] = {
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
};

int bitRateOf(int versionId, int layerId, int bitRateId)
{
    if (versionId == MpegVersionReserved || layerId == MpegLayerReserved) return 0;
    if (bitRateId < 0 || bitRateId > 15) return 0;
    int table;
    if (versionId == MpegVersion1) table = 3 - layerId; // Layer I 0, II 1, III 2
    else table = layerId == MpegLayer1 ? 3 : 4;
    return bitRates[table][bitRateId];
}

int sampleRateOf(int versionId, int sampleRateId)
{
    if (versionId < 0 || versionId > 3 || sampleRateId < 0 || sampleRateId > 3) return 0;
    return sampleRates[versionId][sampleRateId];
}

int samplesPerFrameOf(int versionId, int layerId)
{
    switch (layerId) {
    case MpegLayer1: return 384;
    case MpegLayer2: return 1152;
    case MpegLayer3: return versionId == MpegVersion1 ? 1152 : 576;
    default: return 0;
    }
}

// The frame length of the MPEG audio standard: Layer I frames are counted in 4-byte slots.
int frameLengthOf(int versionId, int layerId, int bitRateId, int sampleRateId, bool padding)
{
    const std::int64_t bitRate = std::int64_t(bitRateOf(versionId, layerId, bitRateId)) * 1000;
    const std::int64_t sampleRate = sampleRateOf(versionId, sampleRateId);
    if (sampleRate == 0) return 0;
    if (layerId == MpegLayer1) return int(4 * (12 * bitRate / sampleRate) + (padding ? 4 : 0));
    const std::int64_t bytesPerSecond = samplesPerFrameOf(versionId, layerId) / 8;
    return int(bytesPerSecond * bitRate / sampleRate + (padding ? 1 : 0));
}

std::uint8_t at(const QByteArray& bytes, qsizetype i)
{
    return (i >= 0 && i < bytes.size()) ? static_cast<std::uint8_t>(bytes.at(i)) : 0;
}

std::uint32_t bigEndian32(const QByteArray& bytes, qsizetype i)
{
    return (std::uint32_t(at(bytes, i)) << 24) | (std::uint32_t(at(bytes, i + 1)) << 16)
        | (std::uint32_t(at(bytes, i + 2)) << 8) | std::uint32_t(at(bytes, i + 3));
}

// Four bytes at p, all inside the bytes read, form a plausible frame header.
bool isFrameHeader(const QByteArray& window, qint64 p)
{
    if (p < 0 || p + 4 > window.size()) return false;
    const std::uint8_t b0 = at(window, p), b1 = at(window, p + 1), b2 = at(window, p + 2),
                       b3 = at(window, p + 3);
    if (b0 != 0xFF || b1 < 0xE0) return false;
    const int versionId = (b1 >> 3) & 3, layerId = (b1 >> 1) & 3;
    const int bitRateId = b2 >> 4, sampleRateId = (b2 >> 2) & 3, emphasisId = b3 & 3;
    return versionId != MpegVersionReserved && layerId != MpegLayerReserved && bitRateId != 0
        && bitRateId != 15 && sampleRateId != 3 && emphasisId != 2;
}

MpegFrame decodeHeader(const QByteArray& window, int p)
{
    MpegFrame f;
    for (int i = 0; i < 4; ++i) f.Data[i] = at(window, p + i);
    const std::uint8_t b1 = f.Data[1], b2 = f.Data[2], b3 = f.Data[3];
    f.VersionID = (b1 >> 3) & 3;
    f.LayerID = (b1 >> 1) & 3;
    f.ProtectionBit = (b1 & 1) == 0;
    f.BitRateID = b2 >> 4;
    f.SampleRateID = (b2 >> 2) & 3;
    f.PaddingBit = (b2 & 2) != 0;
    f.PrivateBit = (b2 & 1) != 0;
    f.ModeID = b3 >> 6;
    f.ModeExtensionID = (b3 >> 4) & 3;
    f.CopyrightBit = (b3 & 8) != 0;
    f.OriginalBit = (b3 & 4) != 0;
    f.EmphasisID = b3 & 3;
    f.Size = frameLengthOf(f.VersionID, f.LayerID, f.BitRateID, f.SampleRateID, f.PaddingBit);
    return f;
}

// The first position whose header is followed, one frame length later, by another header.
int findFramePair(const QByteArray& window)
{
    for (int p = 0; p < TMPEGaudio::SearchPositions && p + 4 <= window.size(); ++p) {
        if (!isFrameHeader(window, p)) continue;
        const MpegFrame f = decodeHeader(window, p);
        if (f.Size > 0 && isFrameHeader(window, qint64(p) + f.Size)) return p;
    }
    return -1;
}

} // namespace

void TMPEGaudio::ResetData()
{
    fileLength_ = 0;
    waveHeader_ = false;
    vbr_ = VbrData();
    frame_ = MpegFrame();
    id3v1_.ResetData();
    id3v2_.ResetData();
}

bool TMPEGaudio::acceptFrame(const QByteArray& window, int p)
{
    frame_ = decodeHeader(window, p);
    frame_.Found = true;
    frame_.Position = p;
    frame_.Xing = p + 10 <= window.size();
    for (int i = 4; i < 10 && frame_.Xing; ++i) frame_.Xing = at(window, p + i) == 0;

    const bool mono = frame_.ModeID == 3;
    int d;
    if (frame_.VersionID == MpegVersion1) d = mono ? 21 : 36;
    else d = mono ? 13 : 21;
    const qsizetype v = qsizetype(p) + d;
    if (v + 4 > window.size()) return true;
    const QByteArray id = window.mid(v, 4);
    if (id == "Xing") {
        vbr_.Found = true;
        vbr_.ID = QStringLiteral("Xing");
        vbr_.Frames = bigEndian32(window, v + 8);
        vbr_.Bytes = bigEndian32(window, v + 12);
        vbr_.Scale = at(window, v + 119);
        QByteArray vendor(8, '\0');
        for (int i = 0; i < 8; ++i) vendor[i] = char(at(window, v + 120 + i));
        vbr_.VendorID = QString::fromLatin1(vendor);
    } else if (id == "VBRI") {
        vbr_.Found = true;
        vbr_.ID = QStringLiteral("VBRI");
        vbr_.Scale = at(window, v + 9);
        vbr_.Bytes = bigEndian32(window, v + 10);
        vbr_.Frames = bigEndian32(window, v + 14);
    }
    return true;
}

bool TMPEGaudio::ReadFromFile(const QString& fileName)
{
    ResetData();
    if (!id3v1_.ReadFromFile(fileName) || !id3v2_.ReadFromFile(fileName)) {
        ResetData();
        return false;
    }
    auto file = platform::openFile(fileName, QIODevice::ReadOnly);
    if (!file) {
        ResetData();
        return false;
    }
    fileLength_ = file->size();
    const std::int64_t tagSize = id3v2_.Size();

    if (!file->seek(tagSize)) {
        ResetData();
        return false;
    }
    QByteArray window = file->read(WindowSize);
    waveHeader_ = window.size() >= 12 && window.mid(8, 4) == "WAVE";

    int p = findFramePair(window);
    if (p < 0 && window.size() == WindowSize) {
        // Nothing near the start: try once more from the middle of the audio.
        if (!file->seek(tagSize + (fileLength_ - tagSize) / 2)) {
            ResetData();
            return false;
        }
        window = file->read(WindowSize);
        p = findFramePair(window);
    }
    if (p >= 0) acceptFrame(window, p);
    else ResetData();
    return true;
}

std::int64_t TMPEGaudio::audioBytes() const
{
    return std::max<std::int64_t>(0, fileLength_ - id3v2_.Size() - frame_.Position);
}

int TMPEGaudio::tableBitRate() const
{
    return bitRateOf(frame_.VersionID, frame_.LayerID, frame_.BitRateID);
}

int TMPEGaudio::samplesPerFrame() const { return samplesPerFrameOf(frame_.VersionID, frame_.LayerID); }

QString TMPEGaudio::Version() const
{
    return QString::fromLatin1(versionNames[frame_.VersionID & 3]);
}

QString TMPEGaudio::Layer() const { return QString::fromLatin1(layerNames[frame_.LayerID & 3]); }

int TMPEGaudio::BitRate() const
{
    if (vbr_.Found && vbr_.Frames > 0) {
        const int sampleRate = SampleRate();
        const int bytesPerSecond = samplesPerFrame() / 8;
        if (bytesPerSecond == 0) return 0;
        const double padding = frame_.PaddingBit ? (frame_.LayerID == MpegLayer1 ? 4 : 1) : 0;
        const double bytesPerFrame = double(vbr_.Bytes) / double(vbr_.Frames) - padding;
        return platform::roundHalfEven(bytesPerFrame * sampleRate / bytesPerSecond / 1000.0);
    }
    return tableBitRate();
}

int TMPEGaudio::SampleRate() const { return sampleRateOf(frame_.VersionID, frame_.SampleRateID); }

QString TMPEGaudio::ChannelMode() const
{
    return QString::fromLatin1(modeNames[frame_.ModeID >= 0 && frame_.ModeID <= 4 ? frame_.ModeID : 4]);
}

QString TMPEGaudio::Emphasis() const
{
    return QString::fromLatin1(emphasisNames[frame_.EmphasisID & 3]);
}

std::int64_t TMPEGaudio::Frames() const
{
    if (vbr_.Found) return vbr_.Frames;
    if (!frame_.Found || frame_.Size <= 0) return 0;
    return audioBytes() / frame_.Size;
}

double TMPEGaudio::Duration() const
{
    if (!frame_.Found) return 0.0;
    const int sampleRate = SampleRate();
    if (vbr_.Found && vbr_.Frames > 0) {
        if (sampleRate == 0) return 0.0;
        return double(samplesPerFrame()) * double(vbr_.Frames) / sampleRate;
    }
    const int bitRate = tableBitRate();
    if (bitRate == 0) return 0.0;
    return double(audioBytes()) * 8.0 / bitRate / 1000.0;
}

int TMPEGaudio::EncoderID() const
{
    if (!frame_.Found) return EncoderUnknown;
    if (vbr_.Found) {
        const QString& vendor = vbr_.VendorID;
        int e = EncoderUnknown;
        if (vendor.startsWith(QLatin1String("LAME"))) e = EncoderLAME;
        else if (vendor.startsWith(QLatin1String("GOGO")) || vendor.startsWith(QLatin1String("MPGE")))
            e = EncoderGoGo;
        else if (vbr_.ID == QLatin1String("Xing")) e = EncoderXing;
        if (vbr_.ID == QLatin1String("VBRI")) return EncoderFhG;
        return e;
    }
    const MpegFrame& f = frame_;
    int e = (f.OriginalBit && f.ProtectionBit) ? EncoderLAME : EncoderUnknown;
    if (f.ModeID == 1 && !f.CopyrightBit && !f.OriginalBit) e = EncoderFhG;
    if (tableBitRate() <= 112 && f.ModeID == 0) e = EncoderBlade;
    if (f.CopyrightBit && f.OriginalBit && !f.ProtectionBit) e = EncoderXing;
    if (f.Xing && f.OriginalBit) e = EncoderXing;
    if (f.ModeID == 2 && f.ProtectionBit) return EncoderShine;
    if (waveHeader_) return EncoderFhG;
    return e;
}

QString TMPEGaudio::Encoder() const
{
    const int id = EncoderID();
    QString text = QString::fromLatin1(encoderNames[id]);
    const QString& vendor = vbr_.VendorID;
    const auto digit = [&](int i) { return vendor.at(i) >= QLatin1Char('0') && vendor.at(i) <= QLatin1Char('9'); };
    if (vbr_.Found && id == EncoderLAME && vendor.size() >= 8 && digit(4)
        && vendor.at(5) == QLatin1Char('.') && digit(6) && digit(7))
        text += QLatin1Char(' ') + vendor.mid(4, 4);
    return text;
}

bool TMPEGaudio::Valid() const
{
    const int bitRate = BitRate();
    return frame_.Found && bitRate >= 8 && bitRate <= 448 && Duration() >= 0.1;
}

} // namespace audio
