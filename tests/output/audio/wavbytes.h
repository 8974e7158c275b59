#pragma once
// Hand-made RIFF bytes for the wave tests.
#include <QByteArray>
#include <QtEndian>

#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace wavbytes {

inline QByteArray le16(quint16 v) { QByteArray b(2, '\0'); qToLittleEndian(v, b.data()); return b; }
inline QByteArray le32(quint32 v) { QByteArray b(4, '\0'); qToLittleEndian(v, b.data()); return b; }

// A chunk whose size field says declared (the body's size when negative), padded when odd.
inline QByteArray chunk(const char* id, const QByteArray& body, qint64 declared = -1)
{
    QByteArray b(id, 4);
    b += le32(quint32(declared < 0 ? body.size() : declared));
    b += body;
    if (body.size() & 1) b += '\0';
    return b;
}

inline QByteArray riff(const QByteArray& chunks, const char* form = "WAVE")
{
    return chunk("RIFF", QByteArray(form, 4) + chunks);
}

// The 16 bytes of a format record.
inline QByteArray format(quint16 tag, quint16 channels, quint32 rate, quint16 bits, quint16 blockAlign = 0)
{
    if (blockAlign == 0) blockAlign = quint16(channels * ((bits + 7) / 8));
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * blockAlign) + le16(blockAlign) + le16(bits);
}

inline QByteArray pcm16Stereo(const QByteArray& data)
{
    return riff(chunk("fmt ", format(1, 2, 44100, 16)) + chunk("data", data));
}

// Interleaved 16-bit samples as bytes.
inline QByteArray samples16(std::initializer_list<qint16> values)
{
    QByteArray b;
    for (qint16 v : values) b += le16(quint16(v));
    return b;
}

} // namespace wavbytes
