#pragma once
// Walks the chunks of a RIFF file (wave sound, AVI video): each chunk is an id of four
// characters, a little-endian 32-bit size and its data, padded to an even length. Header only,
// so that the programs beside the editor can use it without linking the editor's libraries.
#include <QByteArray>
#include <QIODevice>
#include <QtEndian>

#include <utility>

namespace riff {

struct ChunkHeader {
    QByteArray id;         // the four characters
    quint32 size = 0;      // the bytes of data, without the pad byte
    qint64 dataOffset = 0; // where the data starts in the file

    // Where the next chunk starts.
    qint64 next() const { return dataOffset + qint64(size) + (size & 1); }
};

// Calls visit(header) for the chunks from offset from on whose headers end by end, in order,
// until visit returns false. Returns false when a header cannot be read.
template <typename Visit>
bool forEachChunk(QIODevice& device, qint64 from, qint64 end, Visit visit)
{
    for (qint64 pos = from; pos + 8 <= end;) {
        if (!device.seek(pos)) return false;
        const QByteArray h = device.read(8);
        if (h.size() < 8) return false;
        const ChunkHeader chunk{h.left(4), qFromLittleEndian<quint32>(h.constData() + 4), pos + 8};
        if (!visit(std::as_const(chunk))) return true;
        pos = chunk.next();
    }
    return true;
}

} // namespace riff
