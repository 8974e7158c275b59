#pragma once
// The picture work of the frame rendering that needs no window: fitting a picture into a frame
// and resampling a frame file. Both run on worker threads.
#include <QImage>
#include <QString>

namespace video {

// A picture fitted into a frame as the frame rendering places it.
struct PlacedPicture {
    QImage image;     // the picture at its placed size; null when it could not be read
    int x = 0, y = 0; // where it goes in the frame
    QString error;    // why it could not be read
};

// Loads the first page of the picture and resamples it (bilinear) to its placed size in a frame
// of frameWidth x frameHeight whose pixels show pixelAspect as wide as high: on the screen, a
// picture larger than the frame in either direction is scaled to the frame's width (landscape
// and square) or height (portrait), and to its height where the width would leave the picture
// higher than the frame, keeping its proportions; one that fits keeps its size; either is
// centred (halves toward zero). A JPEG is decoded at the smallest reduction that still holds the
// placed size.
PlacedPicture PlacePicture(const QString& source, int frameWidth, int frameHeight, double pixelAspect = 1.0);

// Resamples the frame file (bilinear) to width x height and saves it over itself as a JPEG of
// the quality factor. Empty on success, else why not.
QString ResizeFrameFile(const QString& file, int width, int height, int qualityFactor);

} // namespace video
