#include "imaging/pixblob.h"

#include <QtEndian>
#include <algorithm>

namespace imaging {

namespace {

const QByteArray& tag()
{
    static const QByteArray t("LTOCXBND");
    return t;
}

void putWord(QByteArray& out, std::uint32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

QByteArray PackPictureBlob(const QByteArray& picture)
{
    QByteArray blob = tag();
    putWord(blob, pictureBlobHeaderSize);
    putWord(blob, static_cast<std::uint32_t>(picture.size()));
    putWord(blob, 0);
    putWord(blob, 0);
    blob += picture;
    return blob;
}

bool UnpackPictureBlob(const QByteArray& blob, QByteArray* picture)
{
    if (!blob.startsWith(tag())) {
        *picture = blob;
        return true;
    }
    if (blob.size() < pictureBlobHeaderSize) return false;
    const auto headerSize = qFromLittleEndian<std::uint32_t>(blob.constData() + 8);
    const auto start = static_cast<qsizetype>(std::min<std::uint64_t>(headerSize, static_cast<std::uint64_t>(blob.size())));
    *picture = blob.mid(start);
    return true;
}

} // namespace imaging
