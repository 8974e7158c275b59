// TPixImage: the save of a picture with layers.
#include "imaging/piximage.h"

namespace imaging {

using namespace sdk;

// The save of a picture with layers: the list's first item is the base, the rest its layers.
int TPixImage::saveWithLayers(const QString& FileName, int Format, int Bits, int QFactor, const PxSaveOptions& options)
{
    // The base comes out of the list for the save and goes back to its place, moved both ways
    // so that no copy can fail and lose it.
    SdkBitmapHandle base;
    int result = PX_RemoveBitmapListItem(fList, 0, &base);
    if (result != PX_SUCCESS) return result;
    int count = 0;
    PX_GetBitmapListCount(fList, &count);
    std::vector<PxLayerInfo> info(static_cast<std::size_t>(count));
    std::copy_n(fLayerInfo.begin(), std::min(fLayerInfo.size(), info.size()), info.begin());
    result = PX_SaveBitmapWithLayers(FileName, &base, Format, Bits, QFactor, fList, info.data(), count, options);
    PX_InsertBitmapListItemHandle(fList, 0, &base);
    return result;
}

} // namespace imaging
