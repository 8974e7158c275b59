#pragma once
// Loading a picture whose bytes arrive in pieces (a download). JPEG, PNG and GIF pictures are
// decoded as the bytes come: the load callback hears of each band and page as soon as its bytes
// are in (a progressive JPEG and an interlaced PNG are shown coarse to fine, pass by pass). The
// other formats are decoded when the last piece is in. Either way the pages are exactly those the
// same bytes in one piece give.
#include "sdk/pictureio.h"

namespace sdk {

struct SdkFeedLoad;
using SdkFeedLoadHandle = SdkFeedLoad*;

// Opens a feed load whose pages go to list (which stays the caller's) as PX_LoadMemory puts them;
// a page joins the list as soon as it is decoded.
int PX_StartFeedLoad(SdkFeedLoadHandle* feed, int bits, SdkBitmapListHandle list, const PxLoadOptions& options,
                     const PxLoadCallback& callback);
// Hands size bytes over and decodes what they complete. Bytes that cannot begin a picture give
// PXERR_BADFORMAT as soon as enough of them are there to tell, bytes the decoder refuses its
// failure (the pages of this load leave the list); more than maxPictureBytes in all give
// PXERR_NOMEMORY. After a failure the feed takes nothing more.
int PX_FeedLoad(SdkFeedLoadHandle feed, const char* data, qint64 size);
// Closes the feed (the handle becomes null) and decodes the rest as a load of all the bytes
// would; info receives the picture's information. Nothing arrived, or a failed feed: PXERR_READ or
// the feed's failure.
int PX_StopFeedLoad(SdkFeedLoadHandle* feed, PxFileInfo* info = nullptr);

} // namespace sdk
