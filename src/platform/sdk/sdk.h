#pragma once
// The imaging engine behind the image control and the scanner component: bitmaps and lists,
// pixel operations, regions, drawing, picture files and the result codes with their messages.
#include "platform/sdk/bitmap.h"
#include "platform/sdk/drawing.h"
#include "platform/sdk/errors.h"
#include "platform/sdk/feedload.h"
#include "platform/sdk/operations.h"
#include "platform/sdk/pictureio.h"
#include "platform/sdk/playback.h"
#include "platform/sdk/regions.h"
#include "platform/sdk/twain.h"

namespace sdk {

// The engine's version record.
struct PxVersionInfo {
    int Major = 13;
    int Minor = 0;
    QString Text;
};
int PX_VersionInfo(PxVersionInfo* info);

} // namespace sdk
