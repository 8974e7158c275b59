#pragma once
// RIFF/WAVE files in whole samples (one sample = one block of all channels), and a reader that
// gives PCM samples of any encoding: PCM is read as it stands, other encodings are decoded to
// 16-bit PCM through libsndfile. Files are opened through the platform's file layer.
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>

// The error of every wave operation; message() is the text shown to the user.
class EWaveError : public std::runtime_error {
public:
    explicit EWaveError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The wave format record: the 16 bytes of the "fmt " chunk and, for encodings other than PCM,
// the extra bytes that follow their 2-byte length.
struct TWaveFormat {
    quint16 formatTag = 0;
    quint16 channels = 0;
    quint32 samplesPerSec = 0;
    quint32 avgBytesPerSec = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
    QByteArray extra; // its size is the extra size

    static constexpr quint16 PCM = 1;
    static constexpr quint16 MPEGLayer3 = 85;

    // PCM of the given shape with block align and byte rate filled in.
    static TWaveFormat pcm(quint32 samplesPerSec, quint16 channels, quint16 bitsPerSample);
    // The format record as it is stored: 16 bytes, the 2-byte extra size, the extra bytes.
    QByteArray toBytes() const;
};

// A chunk as met in the file: its id, its declared size, the form type of a RIFF or LIST chunk
// and the file offset of its data.
struct TRiffChunk {
    quint32 id = 0;
    quint32 size = 0;
    quint32 formType = 0;
    qint64 dataOffset = 0;
};

class TWaveStream {
public:
    TWaveStream(const TWaveStream&) = delete;
    TWaveStream& operator=(const TWaveStream&) = delete;
    virtual ~TWaveStream();

    // Reads up to count samples at the current position (never beyond the data chunk).
    virtual qint64 read(void* buffer, qint64 count);
    // Origin 0 counts from the data start, 1 from the current position, 2 from the end of the
    // data; returns the new position in samples.
    virtual qint64 seek(qint64 offset, int origin);
    virtual qint64 write(const void* buffer, qint64 count);

    const TWaveFormat& format() const { return format_; }
    qint64 dataStart() const { return dataStart_; }
    qint64 sampleCount() const { return sampleCount_; }
    QIODevice* device() const { return device_; }

    // A RIFF file whose size field is 32 bits cannot hold more data than this.
    static constexpr qint64 MaxRiffSize = 0xFFFFFFFFLL;

protected:
    explicit TWaveStream(QIODevice* device);
    // Reads the headers of an open file and places it at the data start.
    void readHeaders();
    // Writes the headers of a new file and places it at the data start.
    void createHeaders(const TWaveFormat& format);
    // Writes the sizes of the data and RIFF chunks and flushes (a new file only).
    void finishHeaders();

    QIODevice* device_ = nullptr; // not owned
    TWaveFormat format_;
    qint64 dataStart_ = 0;
    qint64 sampleCount_ = 0;
    TRiffChunk riffChunk_;
    TRiffChunk currentChunk_;
    bool writing_ = false;
    qint64 dataEnd_ = 0; // file offset of the end of the data
};

class TFileWaveStream : public TWaveStream {
public:
    // Opens fileName (a Windows path) for reading, or, with a format, creates it for writing.
    explicit TFileWaveStream(const QString& fileName, const TWaveFormat* format = nullptr);
    // A stream created for writing gets its chunk sizes written; errors are dropped here, so
    // call close() where they matter.
    ~TFileWaveStream() override;
    // Writes the chunk sizes of a new file and closes it; raises on failure.
    void close();
    const QString& fileName() const { return fileName_; }

private:
    QString fileName_;
    std::unique_ptr<QIODevice> file_;
};

// PCM samples from a wave stream (not owned).
class TPCMWaveReader {
public:
    explicit TPCMWaveReader(TFileWaveStream* stream);
    ~TPCMWaveReader();
    TPCMWaveReader(const TPCMWaveReader&) = delete;
    TPCMWaveReader& operator=(const TPCMWaveReader&) = delete;

    const TWaveFormat& format() const { return format_; }
    qint64 sampleCount() const { return pcmSampleCount_; }
    qint64 position() const { return position_; }
    void setPosition(qint64 position);
    // Reads up to count PCM samples at the position and advances it by the samples read.
    qint64 read(void* buffer, qint64 count);

    // The converted buffer aims at this many bytes.
    static constexpr int ConvertedBufferBytes = 20000;

private:
    struct Decoder;
    TFileWaveStream* stream_;
    TWaveFormat format_;
    qint64 position_ = 0;
    qint64 pcmSampleCount_ = 0;
    std::unique_ptr<Decoder> decoder_; // null for a PCM source
    QByteArray converted_;
    qint64 convertedFirstSample_ = 0;
    qint64 convertedSamples_ = 0;
};
