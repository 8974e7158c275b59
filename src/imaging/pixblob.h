#pragma once
// The picture in a database blob: the tag "LTOCXBND", the header size (24), the size of the
// picture file and two zero words, each 32-bit little-endian, then the picture file itself. A
// blob without the tag is a picture file as it stands.
#include <QByteArray>

namespace imaging {

constexpr int pictureBlobHeaderSize = 24;

// The blob for a picture file.
QByteArray PackPictureBlob(const QByteArray& picture);
// The picture file in a blob: after the header of a tagged blob (the header size read unsigned
// and kept within the blob, so a size past its end leaves nothing), the whole of any other.
// False for a tagged blob too short to hold its header.
bool UnpackPictureBlob(const QByteArray& blob, QByteArray* picture);

} // namespace imaging
