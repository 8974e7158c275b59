#pragma once
// Pixel operations on bitmaps. Each returns a PxResult; the long ones report through the status
// callback and, when it asks to stop, give PXERR_ABORTED with the bitmap unchanged.
#include "sdk/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace sdk {

// Resampling of PX_SizeBitmap.
constexpr int sizeNearest = 0;  // nearest neighbour (crops and exact copies)
constexpr int sizeBilinear = 2; // bilinear interpolation
constexpr int sizeFiltered = 4; // area average when shrinking, bicubic when enlarging

// Resamples the bitmap to exactly width x height. The region is dropped.
int PX_SizeBitmap(SdkBitmapHandle* bitmap, int width, int height, int flags);

// The resampling of PX_SizeBitmap from pixels a caller holds, planned once for one source size
// and one target size: any band of the target's rows comes out with the bytes PX_SizeBitmap gives
// those rows, so bands may be made on several threads at once. No status callback.
class PxResampler {
public:
    // Sizes above 0 and flags PX_SizeBitmap takes, else valid() is false.
    PxResampler(int sourceWidth, int sourceHeight, int width, int height, int flags);
    ~PxResampler();
    PxResampler(const PxResampler&) = delete;
    PxResampler& operator=(const PxResampler&) = delete;
    bool valid() const { return plan_ != nullptr; }
    // Rows top .. bottom - 1 (within 0 .. height) of the result, bytesPerPixel 1, 3 or 4: the
    // source's rows lie sourceLine bytes apart, row top of the result goes to target and each
    // next one targetLine bytes further. Safe to call from several threads at once.
    void Rows(const std::uint8_t* source, std::ptrdiff_t sourceLine, int bytesPerPixel, std::uint8_t* target,
              std::ptrdiff_t targetLine, int top, int bottom) const;

private:
    struct Plan;
    std::unique_ptr<const Plan> plan_;
};

// Rotation flags.
constexpr int rotateKeepAll = 1; // the bitmap grows to hold the whole turned picture
// Turns the bitmap by angle hundredths of a degree, clockwise for a positive angle. Quarter turns
// are exact; other angles interpolate and fill the uncovered corners with fillColor (a colour
// integer). Without rotateKeepAll the size stays and the corners of the turned picture are cut.
int PX_RotateBitmap(SdkBitmapHandle* bitmap, int angle, int flags, std::int32_t fillColor);
// Quarter turns only (other angles: PXERR_BADPARAM); the picture is turned, the perspective
// stays top-left.
int PX_RotateBitmapViewPerspective(SdkBitmapHandle* bitmap, int angle);
// How the stored rows of a bitmap are shown (its ViewPerspective): the corner the first row starts
// at and the way it runs. 1 as stored; 2 mirrored left-right; 3 turned half round; 6 upside down.
// 4, 5, 7 and 8 show the picture turned by a quarter (shown width = Height, shown height = Width):
// 4 the first row becomes the right column from the top (a quarter turn clockwise), 8 the left
// column from the bottom (a quarter turn anticlockwise), 5 the left column from the top
// (transposed), 7 the right column from the bottom.
// Rearranges the pixels so that the bitmap shows the same picture in the given perspective.
// The region is dropped.
int PX_ChangeBitmapViewPerspective(SdkBitmapHandle* bitmap, int perspective);
// Top-bottom mirror.
int PX_FlipBitmap(SdkBitmapHandle* bitmap);
// Left-right mirror.
int PX_ReverseBitmap(SdkBitmapHandle* bitmap);

// Sharpens (amount 1..1000) or softens (-1..-1000) the picture; 0 leaves it as it is.
int PX_SharpenBitmap(SdkBitmapHandle* bitmap, int amount);

// One row of the colour matrix: the output channel = red x Red + green x Green + blue x Blue.
struct PxBalance {
    double Red = 0.0;
    double Green = 0.0;
    double Blue = 0.0;
};
// Mixes the channels anew: each output channel from its record (24 and 32 bits).
int PX_BalanceColors(SdkBitmapHandle* bitmap, const PxBalance* red, const PxBalance* green, const PxBalance* blue);

// Fills the bitmap (only its region when it has one) with a colour integer.
int PX_FillBitmap(SdkBitmapHandle* bitmap, std::int32_t color);

// Combine flags.
constexpr int combineCopy = 800; // source pixels replace the target's
// Puts the source rectangle (srcX, srcY, width, height) into target at (x, y); only pixels inside
// the target's region change when it has one. Both are clipped to their bitmaps.
int PX_CombineBitmap(SdkBitmapHandle* target, int x, int y, int width, int height, const SdkBitmapHandle* source,
                     int srcX, int srcY, int flags);

} // namespace sdk
