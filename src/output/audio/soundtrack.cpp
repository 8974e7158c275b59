#include "output/audio/soundtrack.h"

#include "platform/rounding.h"

#include <QtEndian>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

class Reporter {
public:
    explicit Reporter(SoundtrackObserver* observer) : o_(observer) {}
    void file(const QString& t) { if (o_) o_->currentFileChanged(t); }
    void progress(int percent)
    {
        if (!o_) return;
        o_->progressChanged(percent);
        o_->percentChanged(QString::number(percent) + QStringLiteral("%"));
    }
    void position(const QString& t) { if (o_) o_->positionChanged(t); }
    void log(const QString& t) { if (o_) o_->logLine(t); }
    void memo(const QString& t) { if (o_) o_->memoLine(t); }
    void bar(int percent) { if (o_) o_->progressChanged(percent); }

private:
    SoundtrackObserver* o_;
};

// Every block the soundtrack writes is checked: a full disk stops the run with an error instead of
// leaving a soundtrack shorter than the video.
void writeSamples(TWaveStream& output, const void* samples, qint64 count)
{
    if (output.write(samples, count) != count) throw EWaveError(QStringLiteral("Error writing to file."));
}

} // namespace

TWaveFormat SoundtrackBuilder::outputFormat() { return TWaveFormat::pcm(SampleRate, 2, 16); }

QString SoundtrackBuilder::conversionProblem(const TWaveFormat& f)
{
    if (f.formatTag != TWaveFormat::PCM) return QStringLiteral("the samples are not PCM");
    if (f.samplesPerSec != SampleRate)
        return QStringLiteral("its sample rate is %1 Hz, not 44,100 Hz").arg(f.samplesPerSec);
    if (f.channels == 0 || f.blockAlign % f.channels != 0)
        return QStringLiteral("its block size does not match its %1 channels").arg(f.channels);
    const int container = f.blockAlign / f.channels;
    if (container < 1 || container > 4 || f.bitsPerSample == 0 || f.bitsPerSample > container * 8)
        return QStringLiteral("its samples of %1 bits in %2 bytes are not supported").arg(f.bitsPerSample).arg(container);
    return {};
}

void SoundtrackBuilder::convertToOutput(const TWaveFormat& f, const char* in, qint64 count, qint16* out)
{
    const int container = f.blockAlign / f.channels;
    // Wider samples are rounded to the nearest 16-bit value.
    auto sampleAt = [container](const uchar* p) -> qint16 {
        qint64 v = 0;
        switch (container) {
        case 1: return qint16((int(p[0]) - 128) * 256); // 8-bit samples are unsigned
        case 2: return qFromLittleEndian<qint16>(p);
        case 3: {
            const uchar top[4] = {0, p[0], p[1], p[2]}; // the three bytes in the top of four keep the sign
            v = (qint64(qFromLittleEndian<qint32>(top) >> 8) + 0x80) >> 8;
            break;
        }
        default: v = (qint64(qFromLittleEndian<qint32>(p)) + 0x8000) >> 16; break;
        }
        return qint16(std::min<qint64>(v, 32767));
    };
    const auto* p = reinterpret_cast<const uchar*>(in);
    for (qint64 i = 0; i < count; ++i, p += f.blockAlign) {
        const qint16 left = sampleAt(p);
        const qint16 right = f.channels > 1 ? sampleAt(p + container) : left;
        out[2 * i] = qToLittleEndian(left);
        out[2 * i + 1] = qToLittleEndian(right);
    }
}

void SoundtrackBuilder::BuildSoundtrack(SoundtrackObserver* observer)
{
    Reporter report(observer);
    const qint64 target = qint64(Seconds) * SampleRate;
    const TWaveFormat format = outputFormat();

    // The last read may pass the target by up to one read less one sample.
    const qint64 largest = std::max<qint64>(0, target + SamplesPerRead - 1) * format.blockAlign + 46 - 8;
    if (largest > TWaveStream::MaxRiffSize)
        throw EWaveError(QStringLiteral("A soundtrack of %1 seconds would pass 4 GB, the largest size of a wave file.")
                             .arg(Seconds));

    std::unique_ptr<TFileWaveStream> output;
    std::vector<char> inBuffer;
    std::vector<qint16> outBuffer(size_t(SamplesPerRead) * 2);
    qint64 written = 0;
    auto finishLines = [&] {
        report.log(QStringLiteral("     Audio created ") + OutputFile);
        report.memo(QStringLiteral("Audio created") + OutputFile);
    };

    // The first pass over the list, as written, while it stays short: a list that plays for less
    // than a second is repeated from here, without opening its files again for every pass.
    constexpr qint64 kShortPass = SampleRate;
    std::vector<qint16> passSamples;
    std::vector<qint64> passReads; // the sizes of its reads, so that a repeat stops where reading would
    bool recording = true;
    auto record = [&](qint64 got) {
        if (!recording) return;
        if (qint64(passSamples.size()) / 2 + got >= kShortPass) {
            recording = false;
            std::vector<qint16>().swap(passSamples);
            std::vector<qint64>().swap(passReads);
            return;
        }
        passSamples.insert(passSamples.end(), outBuffer.begin(), outBuffer.begin() + got * 2);
        passReads.push_back(got);
    };
    auto progress = [&] {
        report.progress(int(std::min<qint64>(100, written * 100 / target)));
        report.position(QStringLiteral("Position: ") + QString::number(platform::roundHalfEven64(double(written) / SampleRate))
                        + QStringLiteral(" Sekunden"));
    };
    // Repeats the recorded pass until the target is reached, each read of it checked against the
    // target as a read from the files would be; the whole repeat is logged as one pass.
    auto repeatShortPass = [&] {
        std::vector<qint16> block;
        block.reserve(size_t(SamplesPerRead) * 2 + passSamples.size());
        std::size_t read = 0, at = 0;
        while (written < target) {
            const qint64 got = passReads[read];
            block.insert(block.end(), passSamples.begin() + qint64(at), passSamples.begin() + qint64(at) + got * 2);
            written += got;
            at += size_t(got) * 2;
            if (++read == passReads.size()) read = at = 0;
            if (qint64(block.size()) >= qint64(SamplesPerRead) * 2 || written >= target) {
                writeSamples(*output, block.data(), qint64(block.size()) / 2);
                block.clear();
                progress();
            }
        }
        for (const QString& name : InputFiles) {
            report.file(QStringLiteral("Aktuelle Datei: ") + name);
            report.log(QStringLiteral("     read audio ") + name);
            report.memo(QStringLiteral("read audio ") + name);
            report.log(QStringLiteral("     write audio ") + name);
            report.memo(QStringLiteral("write audio ") + name);
        }
    };

    try {
        qint64 addedThisPass = 0;
        qsizetype index = 0;
        while (index < InputFiles.size()) {
            const QString& name = InputFiles[index];
            TFileWaveStream input(name);
            TPCMWaveReader reader(&input);
            report.file(QStringLiteral("Aktuelle Datei: ") + name);
            report.log(QStringLiteral("     read audio ") + name);
            report.memo(QStringLiteral("read audio ") + name);
            const QString problem = conversionProblem(reader.format());
            if (!problem.isEmpty())
                throw EWaveError(QStringLiteral("The audio file %1 cannot be converted to 44,100 Hz 16-bit stereo: %2.")
                                     .arg(name, problem));

            if (!output) {
                report.log(QStringLiteral("     open audio ") + OutputFile);
                report.memo(QStringLiteral("open audio ") + OutputFile);
                output = std::make_unique<TFileWaveStream>(OutputFile, &format);
            }

            reader.setPosition(0);
            inBuffer.resize(size_t(SamplesPerRead) * reader.format().blockAlign);
            while (written < target) {
                const qint64 got = reader.read(inBuffer.data(), SamplesPerRead);
                if (got <= 0) break;
                convertToOutput(reader.format(), inBuffer.data(), got, outBuffer.data());
                writeSamples(*output, outBuffer.data(), got);
                written += got;
                addedThisPass += got;
                record(got);
                progress();
            }
            report.log(QStringLiteral("     write audio ") + name);
            report.memo(QStringLiteral("write audio ") + name);

            ++index;
            if (index == InputFiles.size() && written < target) {
                if (addedThisPass == 0) break; // the inputs hold no samples at all
                if (recording) {
                    repeatShortPass();
                    break;
                }
                index = 0;
                addedThisPass = 0;
            }
        }
        if (output) output->close();
    } catch (...) {
        try {
            if (output) output->close();
        } catch (const EWaveError&) {
        }
        finishLines();
        throw;
    }

    finishLines();
    report.bar(0);
}
