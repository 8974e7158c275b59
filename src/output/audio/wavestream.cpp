#include "output/audio/wavestream.h"

#include "platform/files.h"
#include "platform/rounding.h"
#include "util/riffchunks.h"

#include <QFileDevice>
#include <QSysInfo>
#include <QtEndian>
#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The id of four characters as a little-endian number, the way it is read from a file.
constexpr quint32 fourCC(const char (&s)[5])
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i) v = v * 256 + quint8(s[i]);
    return v;
}

constexpr quint32 RiffId = fourCC("RIFF");
constexpr quint32 WaveId = fourCC("WAVE");
constexpr quint32 FmtId = fourCC("fmt ");
constexpr quint32 DataId = fourCC("data");

quint16 le16(const QByteArray& b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }
quint32 le32(const QByteArray& b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
template <typename T>
void putLittleEndian(QByteArray& b, T v)
{
    char bytes[sizeof(T)];
    qToLittleEndian(v, bytes);
    b.append(bytes, sizeof(T));
}
void put16(QByteArray& b, quint16 v) { putLittleEndian(b, v); }
void put32(QByteArray& b, quint32 v) { putLittleEndian(b, v); }

[[noreturn]] void fail(const char* message) { throw EWaveError(QString::fromUtf8(message)); }

// Up to n bytes at offset; fewer when the file ends first.
QByteArray readAt(QIODevice* device, qint64 offset, qint64 n)
{
    if (offset < 0 || !device->seek(offset)) return {};
    QByteArray b = device->read(n);
    return b;
}

// The chunk with the given id among the chunks that start at from.
std::optional<TRiffChunk> findChunk(QIODevice* device, quint32 id, qint64 from, qint64 end)
{
    std::optional<TRiffChunk> found;
    riff::forEachChunk(*device, from, end, [&](const riff::ChunkHeader& chunk) {
        if (le32(chunk.id, 0) != id) return true;
        found = TRiffChunk{id, chunk.size, 0, chunk.dataOffset};
        return false;
    });
    return found;
}

bool writeAll(QIODevice* device, const QByteArray& bytes)
{
    return device->write(bytes) == bytes.size();
}

} // namespace

TWaveFormat TWaveFormat::pcm(quint32 samplesPerSec, quint16 channels, quint16 bitsPerSample)
{
    TWaveFormat f;
    f.formatTag = PCM;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = bitsPerSample;
    f.blockAlign = quint16(channels * ((bitsPerSample + 7) / 8));
    f.avgBytesPerSec = samplesPerSec * f.blockAlign;
    return f;
}

QByteArray TWaveFormat::toBytes() const
{
    QByteArray b;
    put16(b, formatTag);
    put16(b, channels);
    put32(b, samplesPerSec);
    put32(b, avgBytesPerSec);
    put16(b, blockAlign);
    put16(b, bitsPerSample);
    put16(b, quint16(extra.size()));
    b.append(extra);
    return b;
}

// ---- TWaveStream -------------------------------------------------------------------------

TWaveStream::TWaveStream(QIODevice* device) : device_(device) {}

TWaveStream::~TWaveStream() = default;

void TWaveStream::readHeaders()
{
    const qint64 fileSize = device_->size();

    const QByteArray riff = readAt(device_, 0, 12);
    if (riff.size() < 8) fail("Invalid multimedia file!");
    riffChunk_.id = le32(riff, 0);
    riffChunk_.size = le32(riff, 4);
    riffChunk_.dataOffset = 8;
    if (riffChunk_.id != RiffId || riff.size() < 12 || le32(riff, 8) != WaveId) fail("Not a wave file!");
    riffChunk_.formType = WaveId;

    // The chunks are searched up to the end of the file, whatever the RIFF size says: writers
    // that stream leave it 0 or too large.
    const auto fmt = findChunk(device_, FmtId, 12, fileSize);
    if (!fmt) fail("Couldn't find 'fmt' chunk!");
    currentChunk_ = *fmt;
    if (fmt->size < 16) fail("Abnormal 'fmt' size!");
    const QByteArray record = readAt(device_, fmt->dataOffset, 16);
    if (record.size() < 16) fail("Error reading 'fmt' chunk!");
    format_ = TWaveFormat();
    format_.formatTag = le16(record, 0);
    format_.channels = le16(record, 2);
    format_.samplesPerSec = le32(record, 4);
    format_.avgBytesPerSec = le32(record, 8);
    format_.blockAlign = le16(record, 12);
    format_.bitsPerSample = le16(record, 14);

    if (format_.formatTag != TWaveFormat::PCM && fmt->size >= 18) {
        // A record of 16 bytes has no extra size: it counts as no extra bytes.
        const QByteArray length = readAt(device_, fmt->dataOffset + 16, 2);
        if (length.size() < 2) fail("Error reading 'waveformatex' length!");
        const quint16 extraSize = le16(length, 0);
        if (extraSize > fmt->size - 18) fail("Error reading 'waveformatex'!");
        format_.extra = readAt(device_, fmt->dataOffset + 18, extraSize);
        if (format_.extra.size() < extraSize) fail("Error reading 'waveformatex'!");
    }

    if (format_.formatTag == TWaveFormat::MPEGLayer3) fail("MPEG Layer-3 compression is not supported.");
    // Every count in samples divides by the block align.
    if (format_.blockAlign == 0 || format_.channels == 0) fail("Abnormal 'fmt' size!");

    if (fmt->dataOffset + qint64(fmt->size) > fileSize) fail("Error ascending from 'fmt' chunk!");
    if (!device_->seek(riffChunk_.dataOffset + 4)) fail("Error seeking data!");
    const auto data = findChunk(device_, DataId, riffChunk_.dataOffset + 4, fileSize);
    if (!data) fail("Couldn't find 'data' chunk!");
    currentChunk_ = *data;
    dataStart_ = data->dataOffset;
    // A data size beyond the end of the file counts only the bytes present.
    const qint64 dataBytes = std::clamp<qint64>(fileSize - dataStart_, 0, qint64(data->size));
    sampleCount_ = dataBytes / format_.blockAlign;
    dataEnd_ = dataStart_ + sampleCount_ * format_.blockAlign;
    if (!device_->seek(dataStart_)) fail("Error getting info!");
}

void TWaveStream::createHeaders(const TWaveFormat& format)
{
    if (format.blockAlign == 0 || format.channels == 0) fail("Error writing wave format.");
    format_ = format;
    writing_ = true;

    QByteArray riff("RIFF");
    put32(riff, 0);
    riff.append("WAVE");
    if (!device_->seek(0) || !writeAll(device_, riff)) fail("Error creating chunk.");
    riffChunk_ = {RiffId, 0, WaveId, 8};

    const QByteArray record = format.toBytes(); // extra size + 18 bytes
    QByteArray fmtHeader("fmt ");
    put32(fmtHeader, quint32(record.size()));
    if (!writeAll(device_, fmtHeader)) fail("Error creating chunk.");
    currentChunk_ = {FmtId, quint32(record.size()), 0, device_->pos()};
    if (!writeAll(device_, record)) fail("Error writing wave format.");
    if ((record.size() & 1) && !writeAll(device_, QByteArray(1, '\0'))) fail("Cannot ascend chunk.");

    QByteArray dataHeader("data");
    put32(dataHeader, 0);
    if (!writeAll(device_, dataHeader)) fail("Error creating chunk.");
    dataStart_ = device_->pos();
    dataEnd_ = dataStart_;
    sampleCount_ = 0;
    currentChunk_ = {DataId, 0, 0, dataStart_};
}

void TWaveStream::finishHeaders()
{
    if (!writing_) return;
    writing_ = false;
    const qint64 dataBytes = dataEnd_ - dataStart_;
    qint64 fileEnd = dataEnd_;
    if (!device_->seek(dataEnd_)) fail("Cannot ascend chunk.");
    if (dataBytes & 1) {
        if (!writeAll(device_, QByteArray(1, '\0'))) fail("Cannot ascend chunk.");
        ++fileEnd;
    }
    QByteArray size;
    put32(size, quint32(dataBytes));
    if (!device_->seek(dataStart_ - 4) || !writeAll(device_, size)) fail("Cannot ascend chunk.");
    size.clear();
    put32(size, quint32(fileEnd - 8));
    if (!device_->seek(4) || !writeAll(device_, size)) fail("Cannot ascend chunk.");
    if (auto* file = qobject_cast<QFileDevice*>(device_); file && !file->flush()) fail("Cannot flush.");
}

qint64 TWaveStream::read(void* buffer, qint64 count)
{
    if (count <= 0) return 0;
    const qint64 pos = device_->pos();
    const qint64 available = std::max<qint64>(0, (dataEnd_ - pos) / format_.blockAlign);
    const qint64 n = std::min(count, available);
    if (n == 0) return 0;
    const qint64 got = device_->read(static_cast<char*>(buffer), n * format_.blockAlign);
    if (got < 0) fail("Error reading from file.");
    return got / format_.blockAlign;
}

qint64 TWaveStream::seek(qint64 offset, int origin)
{
    qint64 base = dataStart_;
    if (origin == 1) base = device_->pos();
    else if (origin == 2) base = dataEnd_;
    const qint64 target = base + offset * format_.blockAlign;
    if (target < dataStart_ || !device_->seek(target)) fail("Seeking to an invalid location in the file.");
    return (target - dataStart_) / format_.blockAlign;
}

qint64 TWaveStream::write(const void* buffer, qint64 count)
{
    if (count <= 0) return 0;
    const qint64 pos = device_->pos();
    const qint64 bytes = count * format_.blockAlign;
    const qint64 end = std::max(dataEnd_, pos + bytes);
    // The RIFF size counts everything after its 8-byte header, with the pad byte.
    if (end + (end & 1) - 8 > MaxRiffSize)
        fail("The wave file would pass 4 GB, the largest size its format can hold.");
    if (device_->write(static_cast<const char*>(buffer), bytes) != bytes) fail("Error writing to file.");
    dataEnd_ = end;
    sampleCount_ = (dataEnd_ - dataStart_) / format_.blockAlign;
    return count;
}

// ---- TFileWaveStream ---------------------------------------------------------------------

TFileWaveStream::TFileWaveStream(const QString& fileName, const TWaveFormat* format)
    : TWaveStream(nullptr), fileName_(fileName)
{
    file_ = platform::openFile(fileName, format ? QIODevice::ReadWrite | QIODevice::Truncate : QIODevice::ReadOnly);
    if (!file_) fail("Can't open file stream.");
    device_ = file_.get();
    if (format) createHeaders(*format);
    else readHeaders();
}

TFileWaveStream::~TFileWaveStream()
{
    try {
        close();
    } catch (const EWaveError&) {
    }
}

void TFileWaveStream::close()
{
    if (!file_) return;
    try {
        finishHeaders();
    } catch (...) {
        file_.reset();
        device_ = nullptr;
        throw;
    }
    file_.reset();
    device_ = nullptr;
}

// ---- TPCMWaveReader ----------------------------------------------------------------------

// Encodings other than PCM are decoded by libsndfile, reading the stream's file through the
// stream's own device.
struct TPCMWaveReader::Decoder {
    QIODevice* device = nullptr;
    sf_count_t pos = 0;
    SNDFILE* file = nullptr;
    SF_INFO info{};
    sf_count_t nextFrame = -1; // the frame the decoder delivers next, -1 when unknown

    ~Decoder()
    {
        if (file) sf_close(file);
    }

    // Decodes up to frames samples into 16-bit PCM, rounded to the nearest value: the decoder's
    // own conversion to 16 bits would truncate wider integers and leave floats unscaled.
    sf_count_t decode(qint16* out, sf_count_t frames)
    {
        const qint64 values = qint64(frames) * info.channels;
        sf_count_t got = 0;
        const int subtype = info.format & SF_FORMAT_SUBMASK;
        if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE) {
            floats.resize(size_t(values));
            got = sf_readf_float(file, floats.data(), frames);
            for (qint64 i = 0; i < qint64(got) * info.channels; ++i) {
                const double v = std::clamp(double(floats[size_t(i)]) * 32768.0, -32768.0, 32767.0);
                out[i] = qint16(platform::roundHalfEven(v));
            }
        } else {
            ints.resize(size_t(values));
            got = sf_readf_int(file, ints.data(), frames);
            for (qint64 i = 0; i < qint64(got) * info.channels; ++i)
                out[i] = qint16(std::min<qint64>((qint64(ints[size_t(i)]) + 0x8000) >> 16, 32767));
        }
        return got;
    }

    std::vector<float> floats;
    std::vector<int> ints;

    static sf_count_t length(void* user) { return static_cast<Decoder*>(user)->device->size(); }
    static sf_count_t seek(sf_count_t offset, int whence, void* user)
    {
        auto* d = static_cast<Decoder*>(user);
        sf_count_t base = whence == SEEK_CUR ? d->pos : whence == SEEK_END ? d->device->size() : 0;
        d->pos = std::max<sf_count_t>(0, base + offset);
        return d->pos;
    }
    static sf_count_t read(void* ptr, sf_count_t count, void* user)
    {
        auto* d = static_cast<Decoder*>(user);
        if (!d->device->seek(d->pos)) return 0;
        const qint64 got = d->device->read(static_cast<char*>(ptr), count);
        if (got <= 0) return 0;
        d->pos += got;
        return got;
    }
    static sf_count_t write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t tell(void* user) { return static_cast<Decoder*>(user)->pos; }
};

TPCMWaveReader::TPCMWaveReader(TFileWaveStream* stream) : stream_(stream)
{
    const TWaveFormat& source = stream->format();
    if (source.formatTag == TWaveFormat::PCM) {
        format_ = source;
        pcmSampleCount_ = stream->sampleCount();
        return;
    }

    decoder_ = std::make_unique<Decoder>();
    decoder_->device = stream->device();
    SF_VIRTUAL_IO io{&Decoder::length, &Decoder::seek, &Decoder::read, &Decoder::write, &Decoder::tell};
    decoder_->file = sf_open_virtual(&io, SFM_READ, &decoder_->info, decoder_.get());
    if (!decoder_->file) fail("Can't open acm stream.");
    const SF_INFO& info = decoder_->info;
    if (info.channels < 1 || info.channels > 0x7FFF || info.samplerate < 1) fail("Can't suggest pcm format.");
    format_ = TWaveFormat::pcm(quint32(info.samplerate), quint16(info.channels), 16);
    pcmSampleCount_ = info.frames;
    // The ADPCM encodings name their samples per block; a block cut off by the end of the file
    // does not decode reliably, so only whole blocks count.
    if ((source.formatTag == 0x02 || source.formatTag == 0x11) && source.extra.size() >= 2) {
        const qint64 perBlock = le16(source.extra, 0);
        pcmSampleCount_ = std::min<qint64>(pcmSampleCount_, perBlock * stream->sampleCount());
    }
    decoder_->nextFrame = 0;

    const qint64 samples = std::max<qint64>(1, ConvertedBufferBytes / format_.blockAlign);
    converted_.resize(samples * format_.blockAlign);
}

TPCMWaveReader::~TPCMWaveReader() = default;

void TPCMWaveReader::setPosition(qint64 position)
{
    if (position == position_) return;
    if (position < 0 || position >= pcmSampleCount_) fail("Position out of bounds.");
    position_ = position;
}

qint64 TPCMWaveReader::read(void* buffer, qint64 count)
{
    if (count <= 0) return 0;
    if (!decoder_) {
        stream_->seek(position_, 0);
        const qint64 got = stream_->read(buffer, count);
        position_ += got;
        return got;
    }

    const qint64 n = std::min(count, pcmSampleCount_ - position_);
    if (n <= 0) return 0;
    const int blockAlign = format_.blockAlign;
    const qint64 bufferSamples = converted_.size() / blockAlign;
    auto* out = static_cast<char*>(buffer);
    qint64 copied = 0;
    while (copied < n) {
        const qint64 sample = position_ + copied;
        if (sample >= convertedFirstSample_ && sample < convertedFirstSample_ + convertedSamples_) {
            const qint64 k = std::min(n - copied, convertedFirstSample_ + convertedSamples_ - sample);
            std::memcpy(out + copied * blockAlign,
                        converted_.constData() + (sample - convertedFirstSample_) * blockAlign, size_t(k * blockAlign));
            copied += k;
            continue;
        }
        if (sample != decoder_->nextFrame && sf_seek(decoder_->file, sample, SEEK_SET) != sample) {
            decoder_->nextFrame = -1;
            fail("Unable to convert sample.");
        }
        const sf_count_t got = decoder_->decode(reinterpret_cast<qint16*>(converted_.data()), bufferSamples);
        if (got <= 0) {
            decoder_->nextFrame = -1;
            convertedSamples_ = 0;
            fail("Unable to convert sample.");
        }
        convertedFirstSample_ = sample;
        convertedSamples_ = got;
        decoder_->nextFrame = sample + got;
        if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
            auto* s = reinterpret_cast<quint16*>(converted_.data());
            for (qint64 i = 0; i < got * format_.channels; ++i) s[i] = qToLittleEndian(s[i]);
        }
    }
    position_ += copied;
    return copied;
}
