#include "audiofixtures.h"

#include "support/fixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace audiotest {

namespace {
QString quoted(const QString& s) { return "'" + QString(s).replace("'", "'\\''") + "'"; }
}

bool havePrograms(const QStringList& names, QString* missing)
{
    QStringList absent;
    for (const QString& n : names)
        if (!testsupport::haveHostProgram(n)) absent << n;
    if (missing) *missing = absent.join(", ");
    return absent.isEmpty();
}

bool shellIn(const QString& folder, const QString& command)
{
    int status = -1;
    testsupport::runHost("cd " + quoted(folder) + " && " + command, &status);
    return status == 0;
}

bool makeToneWav(const QString& hostPath, int sampleRate, int channels, double seconds, int bits)
{
    QString tones = "sine 440";
    if (channels >= 2) tones += " sine 660";
    for (int c = 2; c < channels; ++c) tones += QString(" sine %1").arg(220 + 110 * c);
    return shellIn("/", QString("sox -D -n -r %1 -c %2 -b %3 %4 synth %5 %6 vol 0.5")
                            .arg(sampleRate).arg(channels).arg(bits).arg(quoted(hostPath))
                            .arg(seconds).arg(tones));
}

bool makeMp3(const QString& hostPath, int sampleRate, int channels, double seconds,
             const QString& lameOptions)
{
    const QString wav = hostPath + ".src.wav";
    const bool ok = makeToneWav(wav, sampleRate, channels, seconds)
        && shellIn("/", "lame --quiet " + lameOptions + " " + quoted(wav) + " " + quoted(hostPath));
    QFile::remove(wav);
    return ok;
}

Probe ffprobe(const QString& hostPath)
{
    int status = -1;
    const QString out = testsupport::runHost(
        "ffprobe -v error -count_frames -select_streams a:0 -show_entries "
        "stream=sample_rate,channels,nb_read_frames,duration:format=duration -of json "
            + quoted(hostPath),
        &status);
    Probe p;
    if (status != 0) return p;
    const QJsonObject root = QJsonDocument::fromJson(out.toUtf8()).object();
    const QJsonArray streams = root.value("streams").toArray();
    if (streams.isEmpty()) return p;
    const QJsonObject s = streams.first().toObject();
    p.ok = true;
    p.sampleRate = s.value("sample_rate").toString().toInt();
    p.channels = s.value("channels").toInt();
    p.frames = s.value("nb_read_frames").toString().toLongLong();
    p.duration = s.value("duration").toString().toDouble();
    if (p.duration == 0) p.duration = root.value("format").toObject().value("duration").toString().toDouble();
    return p;
}

MediaInfo mediainfo(const QString& hostPath)
{
    int status = -1;
    const QString out = testsupport::runHost("mediainfo --Output=JSON " + quoted(hostPath), &status);
    MediaInfo m;
    if (status != 0) return m;
    const QJsonArray tracks =
        QJsonDocument::fromJson(out.toUtf8()).object().value("media").toObject().value("track").toArray();
    for (const auto& t : tracks) {
        const QJsonObject o = t.toObject();
        if (o.value("@type").toString() != "Audio") continue;
        m.ok = true;
        m.sampleRate = o.value("SamplingRate").toString().toInt();
        m.channels = o.value("Channels").toString().toInt();
        m.mode = o.value("Format_Settings_Mode").toString();
        m.bitRateMode = o.value("BitRate_Mode").toString();
        m.version = o.value("Format_Version").toString();
        m.profile = o.value("Format_Profile").toString();
        m.frames = o.value("FrameCount").toString("-1").toLongLong();
        m.duration = o.value("Duration").toString().toDouble();
        m.bitRate = o.value("BitRate").toString().toDouble();
        break;
    }
    return m;
}

QByteArray readHost(const QString& hostPath)
{
    QFile f(hostPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeHost(const QString& hostPath, const QByteArray& bytes)
{
    QFile f(hostPath);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray id3v2Tag(int version, const QByteArray& frames, int totalSize)
{
    QByteArray body = frames;
    if (totalSize - 10 > body.size()) body.append(QByteArray(totalSize - 10 - body.size(), '\0'));
    const quint32 n = quint32(body.size());
    QByteArray tag("ID3");
    tag.append(char(version)).append('\0').append('\0');
    tag.append(char((n >> 21) & 0x7F)).append(char((n >> 14) & 0x7F));
    tag.append(char((n >> 7) & 0x7F)).append(char(n & 0x7F));
    return tag + body;
}

QByteArray id3v2Frame(const char* id, const QByteArray& payload)
{
    const quint32 n = quint32(payload.size());
    QByteArray f(id, 4);
    f.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    f.append('\0').append('\0');
    return f + payload;
}

} // namespace audiotest
