#include "output/video/aviwriter.h"

#include "output/audio/wavestream.h"
#include "platform/files.h"
#include "platform/rounding.h"

#include <QFileDevice>
#include <QGuiApplication>
#include <QScreen>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

[[noreturn]] void fail(const QString& message) { throw EAviWriterError(message); }
[[noreturn]] void fail(const char* message) { throw EAviWriterError(QString::fromUtf8(message)); }

constexpr quint32 AvifHasIndex = 0x10;
constexpr quint32 AvifIsInterleaved = 0x100;
constexpr quint32 AviifKeyFrame = 0x10;
constexpr quint32 AvierrFileWrite = 0x8004406E;

const char* const PleaseWait =
    ".. bitte warten, der Vorgang kann je nach Größe der Quorbel und Rechenleistung Ihres PCs mehrere "
    "Minuten bis Stunden dauern!";

class Bytes {
public:
    Bytes& u16(quint32 v) { return put(quint16(v)); }
    Bytes& u32(quint32 v) { return put(v); }
    Bytes& id(const char* fourcc) { b_.append(fourcc, 4); return *this; }
    Bytes& raw(const QByteArray& b) { b_.append(b); return *this; }
    Bytes& zeros(int n) { b_.append(QByteArray(n, '\0')); return *this; }
    const QByteArray& data() const { return b_; }

private:
    template <typename T>
    Bytes& put(T v)
    {
        char bytes[sizeof(T)];
        qToLittleEndian(v, bytes);
        b_.append(bytes, sizeof(T));
        return *this;
    }
    QByteArray b_;
};

// The texts for a sound file that cannot be taken: the stream's own messages tell a file that
// cannot be opened from one that cannot be read as a wave file.
QString audioOpenError(const EWaveError& e)
{
    if (e.message() == QLatin1String("Can't open file stream."))
        return QStringLiteral("A disk error occurred while opening the audio file.");
    return QStringLiteral("The file could not be read, indicating a corrupt file or an unrecognized format.");
}

QString hex8(quint32 code) { return QString::number(code, 16).toUpper().rightJustified(8, u'0'); }

// The shape of the whole file, fixed before anything is written: every size in the headers and
// every index entry follows from it. The sound is interleaved with the frames: after frame i
// come the samples that play until frame i + 1 starts (after the last frame, all the rest), in
// chunks of at most about a second.
struct Layout {
    qint64 frames = 0;
    int frameTime = 0;
    int width = 0;
    int height = 0;
    qint64 rowBytes = 0;
    qint64 imageSize = 0;
    bool audio = false;
    qint64 audioSamples = 0;
    double samplesPerSecond = 0;
    qint64 chunkSamples = 0; // the most samples in one sound chunk
    int blockAlign = 0;
    QByteArray audioFormat;  // the format record as stored in the stream format chunk

    static qint64 padded(qint64 n) { return n + (n & 1); }

    // Calls f(frame, samples) for every chunk of the "movi" list in order: samples 0 for the
    // frame itself, else a sound chunk that follows that frame.
    template <typename F>
    void forEachChunk(F f) const
    {
        qint64 done = 0;
        for (qint64 i = 0; i < frames; ++i) {
            f(i, qint64(0));
            if (!audio) continue;
            const qint64 until = i + 1 == frames
                                     ? audioSamples
                                     : std::min(audioSamples, qint64(std::floor(double(i + 1) * frameTime / 1000.0 * samplesPerSecond)));
            while (done < until) {
                const qint64 k = std::min(chunkSamples, until - done);
                f(i, k);
                done += k;
            }
        }
    }
    qint64 chunkBytes(qint64 samples) const { return samples == 0 ? imageSize : samples * blockAlign; }

    qint64 audioStrlBytes() const { return audio ? 12 + 64 + 8 + padded(audioFormat.size()) : 0; }
    qint64 hdrlBytes() const { return 12 + 64 + (12 + 64 + 48) + audioStrlBytes(); }

    // Filled by measure().
    qint64 chunks = 0;
    qint64 moviBytes = 0;
    void measure()
    {
        chunks = 0;
        moviBytes = 12;
        forEachChunk([this](qint64, qint64 samples) {
            ++chunks;
            moviBytes += 8 + padded(chunkBytes(samples));
        });
    }
    qint64 indexBytes() const { return 8 + 16 * chunks; }
    qint64 totalBytes() const { return 12 + hdrlBytes() + moviBytes + indexBytes(); }
};

// Removes the work file when the write does not get through.
class WorkFile {
public:
    explicit WorkFile(const QString& name) : name_(name) {}
    ~WorkFile()
    {
        device.reset();
        // A work file that cannot be removed is replaced by the next run; the failure itself is reported.
        if (!done_) (void)platform::deleteFile(name_);
    }
    void release() { done_ = true; }
    std::unique_ptr<QIODevice> device;

private:
    QString name_;
    bool done_ = false;
};

// Puts one bitmap into the frame: rows from bottom to top, each padded to four bytes.
void renderFrame(const Bitmap24& bitmap, bool stretch, int width, int height, qint64 rowBytes, uchar* frame,
                 std::vector<int>& columns)
{
    if (!bitmap.isValid()) fail("Invalid bitmap");
    const qint64 pixelBytes = qint64(width) * 3;
    for (int y = 0; y < height; ++y) {
        uchar* row = frame + qint64(height - 1 - y) * rowBytes;
        std::memset(row + pixelBytes, 0, size_t(rowBytes - pixelBytes));
        if (stretch) {
            const int sy = int(qint64(y) * bitmap.height / height);
            const uchar* src = bitmap.pixel(0, sy);
            if (bitmap.width == width) {
                std::memcpy(row, src, size_t(pixelBytes));
                continue;
            }
            if (columns.size() != size_t(width)) {
                columns.resize(size_t(width));
                for (int x = 0; x < width; ++x) columns[size_t(x)] = int(qint64(x) * bitmap.width / width) * 3;
            }
            for (int x = 0; x < width; ++x) std::memcpy(row + qint64(x) * 3, src + columns[size_t(x)], 3);
        } else {
            // Outside the bitmap the frame takes the colour of its top-left pixel.
            const uchar* corner = bitmap.pixel(0, 0);
            int copied = 0;
            if (y < bitmap.height) {
                copied = std::min(width, bitmap.width);
                std::memcpy(row, bitmap.pixel(0, y), size_t(copied) * 3);
            }
            for (int x = copied; x < width; ++x) std::memcpy(row + qint64(x) * 3, corner, 3);
        }
    }
}

// Opens the sound, when one is named, and adds it to the layout: it is opened before anything
// is written, so that its size counts in the check against the 4 GB.
std::unique_ptr<TFileWaveStream> openSound(const QString& wavFileName, Layout& layout, TWaveFormat& waveFormat)
{
    if (wavFileName.isEmpty()) return {};
    std::unique_ptr<TFileWaveStream> wave;
    try {
        wave = std::make_unique<TFileWaveStream>(wavFileName);
    } catch (const EWaveError& e) {
        fail(audioOpenError(e));
    }
    waveFormat = wave->format();
    layout.audio = true;
    layout.blockAlign = waveFormat.blockAlign;
    layout.audioSamples = wave->sampleCount();
    layout.audioFormat = waveFormat.toBytes();
    layout.samplesPerSecond = double(waveFormat.avgBytesPerSec) / waveFormat.blockAlign;
    // About one second of sound per chunk.
    layout.chunkSamples = std::max<qint64>(1, waveFormat.avgBytesPerSec / waveFormat.blockAlign);
    return wave;
}

// The headers of the file and its streams, up to the start of the "movi" list's chunks.
QByteArray headers(const Layout& layout, const TWaveFormat& waveFormat)
{
    const qint64 total = layout.totalBytes();
    const quint32 width = quint32(layout.width);
    const quint32 height = quint32(layout.height);
    const qint64 audioChunkMax = layout.audio ? std::min(layout.chunkSamples, layout.audioSamples) * layout.blockAlign : 0;
    const quint32 suggestedBuffer = quint32(std::max(layout.imageSize, audioChunkMax));
    Bytes h;
    h.id("RIFF").u32(quint32(total - 8)).id("AVI ");
    h.id("LIST").u32(quint32(layout.hdrlBytes() - 8)).id("hdrl");
    h.id("avih").u32(56)
        .u32(quint32(std::min<qint64>(0xFFFFFFFF, qint64(layout.frameTime) * 1000))) // microseconds per frame
        .u32(quint32(std::min<qint64>(0xFFFFFFFF, layout.imageSize * 1000 / layout.frameTime + waveFormat.avgBytesPerSec)))
        .u32(0)                                                             // padding granularity
        .u32(AvifHasIndex | (layout.audio ? AvifIsInterleaved : 0))
        .u32(quint32(layout.frames))                                        // total frames
        .u32(0)                                                             // initial frames
        .u32(layout.audio ? 2 : 1)                                          // streams
        .u32(suggestedBuffer)
        .u32(width).u32(height)
        .zeros(16);
    h.id("LIST").u32(4 + 64 + 48).id("strl");
    h.id("strh").u32(56)
        .id("vids").u32(0)   // type, handler
        .u32(0)              // flags
        .u16(0).u16(0)       // priority, language
        .u32(0)              // initial frames
        .u32(quint32(layout.frameTime)).u32(1000) // scale, rate: 1000 / FrameTime frames per second
        .u32(0)              // start
        .u32(quint32(layout.frames)) // length in frames
        .u32(quint32(layout.imageSize)) // suggested buffer size
        .u32(0)              // quality
        .u32(0)              // sample size
        .u16(0).u16(0).u16(width).u16(height);
    h.id("strf").u32(40)
        .u32(40).u32(width).u32(height) // header size, width, height (rows bottom-up)
        .u16(1).u16(24)      // planes, bits per pixel
        .u32(0)              // no compression
        .u32(quint32(layout.imageSize))
        .u32(0).u32(0).u32(0).u32(0);
    if (layout.audio) {
        const qint64 formatBytes = Layout::padded(layout.audioFormat.size());
        h.id("LIST").u32(quint32(4 + 64 + 8 + formatBytes)).id("strl");
        h.id("strh").u32(56)
            .id("auds").u32(0)
            .u32(0)
            .u16(0).u16(0)
            .u32(0)
            .u32(waveFormat.blockAlign).u32(waveFormat.avgBytesPerSec) // scale, rate: blocks per second
            .u32(0)
            .u32(quint32(layout.audioSamples))
            .u32(quint32(audioChunkMax))
            .u32(0)
            .u32(waveFormat.blockAlign) // sample size
            .u16(0).u16(0).u16(0).u16(0);
        h.id("strf").u32(quint32(layout.audioFormat.size())).raw(layout.audioFormat);
        if (layout.audioFormat.size() & 1) h.zeros(1);
    }
    h.id("LIST").u32(quint32(layout.moviBytes - 8)).id("movi");
    return h.data();
}

[[noreturn]] void failFrameWrite() { fail(QStringLiteral("Failed to add frame to AVI. Err=") + hex8(AvierrFileWrite)); }

// One key frame per bitmap, converted into the one reused frame buffer, each followed by the
// sound that plays with it. startFrame(i) is called before frame i is converted.
void writeChunks(QIODevice* out, const Layout& layout, const QList<const Bitmap24*>& bitmaps, bool stretch,
                 TFileWaveStream* wave, const std::function<void(qint64)>& startFrame)
{
    QByteArray frame(8 + layout.imageSize, '\0');
    std::memcpy(frame.data(), "00db", 4);
    qToLittleEndian(quint32(layout.imageSize), frame.data() + 4);
    QByteArray sound;
    if (layout.audio) {
        sound = QByteArray(8 + Layout::padded(layout.chunkBytes(layout.chunkSamples)), '\0');
        std::memcpy(sound.data(), "01wb", 4);
    }
    std::vector<int> columns;
    layout.forEachChunk([&](qint64 i, qint64 samples) {
        if (samples == 0) {
            startFrame(i);
            columns.clear();
            renderFrame(*bitmaps[i], stretch, layout.width, layout.height, layout.rowBytes,
                        reinterpret_cast<uchar*>(frame.data()) + 8, columns);
            if (out->write(frame) != frame.size()) failFrameWrite();
            return;
        }
        const qint64 bytes = layout.chunkBytes(samples);
        qint64 got = -1;
        try {
            got = wave->read(sound.data() + 8, samples);
        } catch (const EWaveError&) {
        }
        if (got != samples) fail("A disk error occurred while reading the audio file.");
        qToLittleEndian(quint32(bytes), sound.data() + 4);
        if (bytes & 1) sound[8 + bytes] = '\0';
        const qint64 size = 8 + Layout::padded(bytes);
        if (out->write(sound.constData(), size) != size) failFrameWrite();
    });
}

const char* const SaveError = "Unable to write output file - Close the Mediaplayer!";

// The index: offsets count from the "movi" form type; each chunk is a key frame.
void writeIndex(QIODevice* out, const Layout& layout)
{
    Bytes index;
    index.id("idx1").u32(quint32(16 * layout.chunks));
    if (out->write(index.data()) != index.data().size()) fail(SaveError);
    const int entriesPerWrite = 4096;
    QByteArray entries;
    entries.reserve(16 * entriesPerWrite);
    qint64 offset = 4;
    layout.forEachChunk([&](qint64, qint64 samples) {
        const qint64 size = layout.chunkBytes(samples);
        Bytes e;
        e.id(samples == 0 ? "00db" : "01wb").u32(AviifKeyFrame).u32(quint32(offset)).u32(quint32(size));
        entries.append(e.data());
        offset += 8 + Layout::padded(size);
        if (entries.size() >= 16 * entriesPerWrite) {
            if (out->write(entries) != entries.size()) fail(SaveError);
            entries.clear();
        }
    });
    if (!entries.isEmpty() && out->write(entries) != entries.size()) fail(SaveError);
}

// The work file becomes the video; a video of the same name is replaced.
void placeVideo(const QString& workFileName, const QString& fileName)
{
    bool placed = false;
    if (!platform::fileExists(fileName)) placed = platform::renameFile(workFileName, fileName);
    if (!placed) {
        if (!platform::copyFile(workFileName, fileName)) fail(SaveError);
        (void)platform::deleteFile(workFileName); // the video is in place; a work file left over is replaced next time
    }
}

} // namespace

TAviWriter::TAviWriter(const QString& encoderFolder)
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    Height = screen ? screen->size().height() / 10 : 0;
    Width = screen ? screen->size().width() / 10 : 0;
    workFileName_ = encoderFolder + QStringLiteral("AWTemp.avi");
}

void TAviWriter::setWavFileName(const QString& name)
{
    if (name.compare(wavFileName_, Qt::CaseInsensitive) == 0) return;
    if (!name.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive))
        fail("WavFileName must name a file with the .wav extension");
    wavFileName_ = name;
}

void TAviWriter::progress(const QString& message)
{
    if (OnProgress) OnProgress(this, message, percent_);
}

void TAviWriter::checkInput()
{
    if (Bitmaps.isEmpty()) fail("No bitmaps on the Bitmaps list");
    progress(QStringLiteral(" Video mit %1 Bildern erzeugen").arg(Bitmaps.size()));
    for (qint64 i = 0; i < Bitmaps.size(); ++i)
        if (!Bitmaps[i]) fail(QStringLiteral("Bitmaps[%1] is not a TBitmap").arg(i));
    // The frame rectangle of the stream header holds 16-bit coordinates.
    if (Width < 1 || Height < 1 || Width > 0x7FFF || Height > 0x7FFF) fail("Failed to retrieve bitmap info");
    if (FrameTime < 1) fail("Failed to create AVI video stream");
}

void TAviWriter::Write()
{
    percent_ = 0;
    checkInput();
    const qint64 count = Bitmaps.size();

    Layout layout;
    layout.frames = count;
    layout.frameTime = FrameTime;
    layout.width = Width;
    layout.height = Height;
    layout.rowBytes = (qint64(Width) * 3 + 3) & ~qint64(3);
    layout.imageSize = layout.rowBytes * Height;
    TWaveFormat waveFormat;
    std::unique_ptr<TFileWaveStream> wave = openSound(wavFileName_, layout, waveFormat);
    layout.measure();

    // A plain AVI file has 32-bit sizes: refuse what would pass them before writing a byte.
    const qint64 total = layout.totalBytes();
    if (total - 8 > TWaveStream::MaxRiffSize)
        fail(QStringLiteral("The video would take %1 MB, more than the 4 GB an AVI file can hold. "
                            "Use fewer or smaller pictures.")
                 .arg(total / (1024 * 1024)));

    // 4a. The work file.
    WorkFile work(workFileName_);
    work.device = platform::openFile(workFileName_, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!work.device) fail("Failed to create AVI video work file");
    QIODevice* out = work.device.get();
    progress(QStringLiteral(" Video zum schreiben geöffnet"));

    // 4b. The headers of the file and its streams.
    const QByteArray head = headers(layout, waveFormat);
    if (out->write(head) != head.size()) fail("Failed to create AVI video stream");
    progress(QStringLiteral(" Video-Stream zum schreiben geöffnet"));

    // 4c. The frames and the sound between them.
    writeChunks(out, layout, Bitmaps, Stretch, wave.get(), [this, count](qint64 i) {
        percent_ = platform::roundHalfEven(double(i) / double(count) * 100.0);
        progress(QStringLiteral("Bild Nr.%1 schreiben").arg(i + 1));
    });
    wave.reset();

    // 5. The sound.
    if (layout.audio) {
        progress(QStringLiteral("Audio Datei zum schreiben geöffnet"));
        progress(QStringLiteral("Audio-Stream zum schreiben geöffnet"));
        progress(QStringLiteral("Audio zu Video hinzufügen"));
    }

    // 6.
    progress(QStringLiteral("Video schreiben..."));
    progress(QString::fromUtf8(PleaseWait));

    // 7. The index, and the file put in place.
    writeIndex(out, layout);
    if (out->pos() != total) fail(SaveError);
    if (auto* file = qobject_cast<QFileDevice*>(out); file && !file->flush()) fail(SaveError);
    work.device.reset();

    // 8.
    placeVideo(workFileName_, FileName);
    work.release();

    // 9.
    progress(QStringLiteral("Video speichern"));
    progress(QString::fromUtf8(PleaseWait));
}
