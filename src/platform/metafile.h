#pragma once
// Windows metafiles (WMF and EMF) as pictures: what the platform's picture loader offers for
// them. A WMF is played by libwmf's raster device (on white, as it draws), an EMF translated by
// libemf2svg into SVG that Qt SVG renders (on a transparent ground); both at the picture's own size
// at 96 dots per inch.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

enum class MetafileKind { None, Wmf, Emf };

// By content: a placeable or plain WMF header, or an EMF header record with its " EMF" signature.
MetafileKind metafileKind(const QByteArray& data);

struct MetafileImage {
    QImage image;  // null when the file could not be rendered
    QSize size;    // the picture's size in pixels at 96 dots per inch
    QString error; // why it could not be rendered
};

// The picture's size from its header: a WMF's bounding box over its units per inch, an EMF's
// frame (hundredths of a millimetre) x 96 / 2540. Invalid when the header does not give one.
QSize metafileSize(const QByteArray& data);

// Renders the metafile at its own size. A picture whose header declares more
// than maxPixels is refused before anything is drawn.
MetafileImage renderMetafile(const QByteArray& data, qint64 maxPixels);

} // namespace platform
