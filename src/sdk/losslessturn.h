#pragma once
// Turns and mirrors of JPEG files without decoding their pixels: the DCT blocks are moved, so the
// picture loses nothing, however often it is turned. Only a transform that moves no partial block
// at the right or bottom edge to the top or left (a "perfect" one for the picture's size and
// block layout) is done this way; for the others the caller turns the decoded picture instead.
#include <QByteArray>
#include <QString>

namespace sdk {

enum class PxTurn : int {
    Right90,         // clockwise
    Half,            // 180 degrees
    Left90,          // counter-clockwise
    MirrorLeftRight, // left becomes right
    MirrorTopBottom, // top becomes bottom
};

// True when the transform moves only whole blocks for a picture of width x height pixels whose
// blocks (MCUs) are mcuWidth x mcuHeight.
bool PerfectTurn(PxTurn turn, int width, int height, int mcuWidth, int mcuHeight);

// Turns the JPEG data into out. Every marker of the source (EXIF, ICC profile, comments) is kept;
// a progressive source stays progressive. The blocks are read once, moved and written with
// Huffman tables made for them, as an optimising encoder does, so the file keeps its size however
// often it is turned.
// PX_SUCCESS; PXERR_UNSUPPORTED when the data is no JPEG this transform takes or its size allows
// no perfect transform (out is then empty); PXERR_NOMEMORY for a picture above maxPixels or when
// memory runs out;
// PXERR_BADFORMAT when the data is broken.
int PX_LosslessTurnMemory(const QByteArray& jpeg, PxTurn turn, QByteArray* out);

// The same over a file (a Windows path): read, turned, and written over it only when the whole new
// file is on the disk. Failures as above, and PXERR_FILENOTFOUND, PXERR_READ, PXERR_WRITE; on any
// failure the file is as it was. written (when given) receives the bytes the file now holds.
int PX_LosslessTurnFile(const QString& fileName, PxTurn turn, QByteArray* written = nullptr);

} // namespace sdk
