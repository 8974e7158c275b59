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

// The largest soundtrack a wave file can hold: the last read may pass the target by up to one read
// less one sample.
void refuseOversizedSoundtrack(int seconds)
{
    const qint64 target = qint64(seconds) * SoundtrackBuilder::SampleRate;
    const qint64 samples = std::max<qint64>(0, target + SoundtrackBuilder::SamplesPerRead - 1);
    const qint64 largest = samples * SoundtrackBuilder::outputFormat().blockAlign + 46 - 8;
    if (largest > TWaveStream::MaxRiffSize)
        throw EWaveError(
            QStringLiteral("A soundtrack of %1 seconds would pass 4 GB, the largest size of a wave file.").arg(seconds));
}

// One build of a soundtrack: the output file, the samples written so far, and the first pass over
// the list as written while it stays short. A list that plays for less than a second is repeated
// from there, without opening its files again for every pass.
class SoundtrackRun {
public:
    SoundtrackRun(const SoundtrackBuilder& builder, SoundtrackObserver* observer)
        : builder_(builder), report_(observer), target_(qint64(builder.Seconds) * SoundtrackBuilder::SampleRate),
          outBuffer_(size_t(SoundtrackBuilder::SamplesPerRead) * 2)
    {
    }

    // Passes over the input files until the soundtrack is long enough or the files hold nothing.
    void appendFiles()
    {
        for (;;) {
            qint64 addedThisPass = 0;
            for (const QString& name : builder_.InputFiles) addedThisPass += appendFile(name);
            if (written_ >= target_ || addedThisPass == 0) return; // done, or the inputs hold no samples at all
            if (recording_) {
                repeatRecordedPass();
                return;
            }
        }
    }

    void close()
    {
        if (output_) output_->close();
    }
    // After an error: the file closed as far as it goes, the error that stopped the run kept.
    void closeAfterError()
    {
        try {
            close();
        } catch (const EWaveError&) {
        }
    }

    void reportFinished()
    {
        report_.log(QStringLiteral("     Audio created ") + builder_.OutputFile);
        report_.memo(QStringLiteral("Audio created") + builder_.OutputFile);
    }
    void resetBar() { report_.bar(0); }

private:
    static constexpr qint64 kShortPass = SoundtrackBuilder::SampleRate;

    // Appends the file's samples, converted, until the target is reached; returns how many.
    qint64 appendFile(const QString& name)
    {
        TFileWaveStream input(name);
        TPCMWaveReader reader(&input);
        reportRead(name);
        const TWaveFormat& format = reader.format();
        const QString problem = SoundtrackBuilder::conversionProblem(format);
        if (!problem.isEmpty())
            throw EWaveError(
                QStringLiteral("The audio file %1 cannot be converted to 44,100 Hz 16-bit stereo: %2.").arg(name, problem));
        if (!output_) openOutput();

        reader.setPosition(0);
        inBuffer_.resize(size_t(SoundtrackBuilder::SamplesPerRead) * format.blockAlign);
        qint64 added = 0;
        while (written_ < target_) {
            const qint64 got = reader.read(inBuffer_.data(), SoundtrackBuilder::SamplesPerRead);
            if (got <= 0) break;
            SoundtrackBuilder::convertToOutput(format, inBuffer_.data(), got, outBuffer_.data());
            writeSamples(*output_, outBuffer_.data(), got);
            written_ += got;
            added += got;
            record(got);
            reportProgress();
        }
        reportWritten(name);
        return added;
    }

    void openOutput()
    {
        report_.log(QStringLiteral("     open audio ") + builder_.OutputFile);
        report_.memo(QStringLiteral("open audio ") + builder_.OutputFile);
        const TWaveFormat format = SoundtrackBuilder::outputFormat();
        output_ = std::make_unique<TFileWaveStream>(builder_.OutputFile, &format);
    }

    // Keeps the read just written while the first pass stays shorter than kShortPass.
    void record(qint64 got)
    {
        if (!recording_) return;
        if (qint64(passSamples_.size()) / 2 + got >= kShortPass) {
            recording_ = false;
            std::vector<qint16>().swap(passSamples_);
            std::vector<qint64>().swap(passReads_);
            return;
        }
        passSamples_.insert(passSamples_.end(), outBuffer_.begin(), outBuffer_.begin() + got * 2);
        passReads_.push_back(got);
    }

    // Repeats the recorded pass until the target is reached, each read of it checked against the
    // target as a read from the files would be; the whole repeat is logged as one pass.
    void repeatRecordedPass()
    {
        std::vector<qint16> block;
        block.reserve(size_t(SoundtrackBuilder::SamplesPerRead) * 2 + passSamples_.size());
        std::size_t read = 0, at = 0;
        while (written_ < target_) {
            const qint64 got = passReads_[read];
            block.insert(block.end(), passSamples_.begin() + qint64(at), passSamples_.begin() + qint64(at) + got * 2);
            written_ += got;
            at += size_t(got) * 2;
            if (++read == passReads_.size()) read = at = 0;
            if (qint64(block.size()) >= qint64(SoundtrackBuilder::SamplesPerRead) * 2 || written_ >= target_) {
                writeSamples(*output_, block.data(), qint64(block.size()) / 2);
                block.clear();
                reportProgress();
            }
        }
        for (const QString& name : builder_.InputFiles) {
            reportRead(name);
            reportWritten(name);
        }
    }

    void reportRead(const QString& name)
    {
        report_.file(QStringLiteral("Aktuelle Datei: ") + name);
        report_.log(QStringLiteral("     read audio ") + name);
        report_.memo(QStringLiteral("read audio ") + name);
    }
    void reportWritten(const QString& name)
    {
        report_.log(QStringLiteral("     write audio ") + name);
        report_.memo(QStringLiteral("write audio ") + name);
    }
    void reportProgress()
    {
        report_.progress(int(std::min<qint64>(100, written_ * 100 / target_)));
        report_.position(QStringLiteral("Position: ") +
                         QString::number(platform::roundHalfEven64(double(written_) / SoundtrackBuilder::SampleRate)) +
                         QStringLiteral(" Sekunden"));
    }

    const SoundtrackBuilder& builder_;
    Reporter report_;
    const qint64 target_;
    std::unique_ptr<TFileWaveStream> output_;
    std::vector<char> inBuffer_;
    std::vector<qint16> outBuffer_;
    qint64 written_ = 0;
    std::vector<qint16> passSamples_; // the first pass, while it stays short
    std::vector<qint64> passReads_;   // the sizes of its reads, so that a repeat stops where reading would
    bool recording_ = true;
};

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
    refuseOversizedSoundtrack(Seconds);
    SoundtrackRun run(*this, observer);
    try {
        run.appendFiles();
        run.close();
    } catch (...) {
        run.closeAfterError();
        run.reportFinished();
        throw;
    }
    run.reportFinished();
    run.resetBar();
}
