#pragma once
// A base picture saved with layers over it: a TIFF file with one page per picture, the base first,
// each layer's place over the base kept in its page's position tags.
#include "sdk/bitmap.h"
#include "sdk/pictureio.h"

#include <QString>

namespace sdk {

// Where a layer lies over the base picture: its top-left corner, in pixels of the base.
struct PxLayerInfo {
    int Left = 0;
    int Top = 0;
};

// Saves base and the first layerCount items of layers. Without layers the base is saved as by
// PX_SaveBitmap, in any format; with layers only fmtTIFF holds them (another format gives
// PXERR_UNSUPPORTED). info holds layerCount records, or is null for layers at the base's corner.
// Bits 0 keeps each page's own depth (grey stays grey, colour is written as 24 bits); 24 writes
// every page in colour, 8 only grey pages. Progress goes to the status callback over the rows of
// all pages; the target is replaced only when the whole file is written.
int PX_SaveBitmapWithLayers(const QString& fileName, const SdkBitmapHandle* base, int format, int bits, int qfactor,
                            SdkBitmapListHandle layers, const PxLayerInfo* info, int layerCount,
                            const PxSaveOptions& options = {});

} // namespace sdk
