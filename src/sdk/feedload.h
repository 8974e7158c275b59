#pragma once
// Loading a picture whose bytes arrive in pieces (a download): they are gathered as they come,
// checked as soon as they can be, and decoded when the last one is in, exactly as the same bytes
// in one piece would be.
#include "sdk/pictureio.h"

namespace sdk {

struct SdkFeedLoad;
using SdkFeedLoadHandle = SdkFeedLoad*;

// Opens a feed load whose pages go to list (which stays the caller's) as PX_LoadMemory puts them.
int PX_StartFeedLoad(SdkFeedLoadHandle* feed, int bits, SdkBitmapListHandle list, const PxLoadOptions& options,
                     const PxLoadCallback& callback);
// Hands size bytes over. Bytes that cannot begin a picture give PXERR_BADFORMAT as soon as
// enough of them are there to tell; more than maxPictureBytes in all give PXERR_NOMEMORY. After a
// failure the feed takes nothing more.
int PX_FeedLoad(SdkFeedLoadHandle feed, const char* data, qint64 size);
// Closes the feed (the handle becomes null) and decodes what arrived; info receives the picture's
// information. Nothing arrived, or a failed feed: PXERR_READ or the feed's failure.
int PX_StopFeedLoad(SdkFeedLoadHandle* feed, PxFileInfo* info = nullptr);

} // namespace sdk
