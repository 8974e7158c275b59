#pragma once
// Pictures between files and the effects' 24-bit bitmaps, and between those bitmaps and Qt
// images for display. Files go through the imaging engine (JPEG through libjpeg; a file is
// replaced only when the new one is complete).
#include "effects/bitmap.h"

#include <QImage>
#include <QString>

namespace effectsui {

// Decodes the first page of a picture file at full size. Gives the engine's result (1 for
// success, a negative error code otherwise); on failure the bitmap is left as it was.
int LoadBitmapFile(const QString& fileName, effects::Bitmap24& bitmap);
// Writes the bitmap as a JFIF file with the engine's quality factor (libjpeg quality
// max(5, 100 - factor)). Gives the engine's result; an empty bitmap is refused.
int SaveBitmapAsJpeg(const QString& fileName, const effects::Bitmap24& bitmap, int qualityFactor);
// The error text of an engine result.
QString BitmapFileErrorText(int result);

QImage ToImage(const effects::Bitmap24& bitmap);
effects::Bitmap24 FromImage(const QImage& image);

// The bitmap made smaller, each pixel the average of the pixels it covers (as a viewer shows a
// large picture small); an empty bitmap or size, or too little memory, gives an empty one. Safe
// on any thread. Bands of rows run on worker threads (threads 0: one per core) and give the bytes
// of one thread.
effects::Bitmap24 ScaledDown(const effects::Bitmap24& bitmap, int width, int height, int threads = 0);

} // namespace effectsui
