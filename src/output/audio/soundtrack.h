#pragma once
// The soundtrack builder: joins the show's decoded tracks into one wave file of a given length,
// repeating the tracks from the first when they are too short (a list shorter than a second is
// repeated from memory, its files opened once). Every input is converted to the
// soundtrack's format, 44,100 Hz 16-bit stereo PCM. The soundtrack window shows what it reports
// through SoundtrackObserver; the builder itself needs no window.
#include <QString>
#include <QStringList>

#include "output/audio/wavestream.h"

// What the builder reports while it works. The texts are complete: the window puts them in its
// labels as they come; the log and memo lines go to the video run's log and memo.
class SoundtrackObserver {
public:
    virtual ~SoundtrackObserver() = default;
    virtual void currentFileChanged(const QString& text) {} // "Aktuelle Datei: " + file
    virtual void progressChanged(int percent) {}            // the progress bar, 0..100
    virtual void percentChanged(const QString& text) {}     // the bar's position + "%"
    virtual void positionChanged(const QString& text) {}    // "Position: " + seconds + " Sekunden"
    virtual void logLine(const QString& line) {}            // a line of the run log
    virtual void memoLine(const QString& line) {}           // a line of the video window's memo
};

class SoundtrackBuilder {
public:
    static constexpr int SampleRate = 44100;
    static constexpr int SamplesPerRead = 4000;

    QStringList InputFiles; // Windows paths, in play order
    QString OutputFile;     // Windows path
    int Seconds = 0;        // target length

    // Writes OutputFile; raises EWaveError with the message to show when it cannot.
    void BuildSoundtrack(SoundtrackObserver* observer = nullptr);

    // The soundtrack's format: 44,100 Hz, 16 bits, two channels.
    static TWaveFormat outputFormat();
    // Converts count PCM samples of the given format to 16-bit stereo (8, 24 and 32 bit to
    // 16 bit, mono duplicated, channels beyond two dropped). The format must be one that
    // conversionProblem accepts.
    static void convertToOutput(const TWaveFormat& format, const char* in, qint64 count, qint16* out);
    // Empty when samples of this PCM format can be converted, else the reason.
    static QString conversionProblem(const TWaveFormat& format);
};
