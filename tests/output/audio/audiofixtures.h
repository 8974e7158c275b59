#pragma once
// Music files for the tests, made on the spot with sox, lame, id3v2 and ffmpeg, and what
// ffprobe and mediainfo say about them.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace audiotest {

// False (and the names of the missing ones in *missing) when a program is not on PATH.
bool havePrograms(const QStringList& names, QString* missing);

// Runs a shell command in folder; false when it fails.
bool shellIn(const QString& folder, const QString& command);

// A tone of the given length: sox synth into a 16-bit WAV.
bool makeToneWav(const QString& hostPath, int sampleRate, int channels, double seconds, int bits = 16);
// The tone encoded by lame with lameOptions ("-b 128", "-V 4 -m m", ...).
bool makeMp3(const QString& hostPath, int sampleRate, int channels, double seconds,
             const QString& lameOptions);

struct Probe {
    bool ok = false;
    int sampleRate = 0;
    int channels = 0;
    long long frames = -1;   // ffprobe -count_frames
    double duration = 0;
};
Probe ffprobe(const QString& hostPath);

struct MediaInfo {
    bool ok = false;
    int sampleRate = 0;
    int channels = 0;
    QString mode;            // Format_Settings_Mode: "Joint stereo", "Dual mono" or empty
    QString bitRateMode;     // "CBR" or "VBR"
    QString version;         // "1", "2", "2.5"
    QString profile;         // "Layer 3" ...
    long long frames = -1;
    double duration = 0;
    double bitRate = 0;      // bit/s
};
MediaInfo mediainfo(const QString& hostPath);

QByteArray readHost(const QString& hostPath);
bool writeHost(const QString& hostPath, const QByteArray& bytes);

// An ID3v2 tag: header of the given version with the frames, padded with zeros to totalSize
// bytes (when larger).
QByteArray id3v2Tag(int version, const QByteArray& frames, int totalSize = 0);
// One ID3v2.3 frame: id, 32-bit size, no flags, payload.
QByteArray id3v2Frame(const char* id, const QByteArray& payload);

} // namespace audiotest
