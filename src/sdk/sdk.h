#pragma once
// The imaging engine behind the image control and the scanner component: bitmaps and lists,
// pixel operations, regions, drawing, picture files and the result codes with their messages.
#include "sdk/bitmap.h"
#include "sdk/drawing.h"
#include "sdk/errors.h"
#include "sdk/feedload.h"
#include "sdk/layersave.h"
#include "sdk/operations.h"
#include "sdk/pictureio.h"
#include "sdk/playback.h"
#include "sdk/regions.h"
#include "sdk/twain.h"

namespace sdk {

// The engine's version record.
struct PxVersionInfo {
    int Major = 13;
    int Minor = 0;
    QString Text;
};
int PX_VersionInfo(PxVersionInfo* info);

} // namespace sdk
