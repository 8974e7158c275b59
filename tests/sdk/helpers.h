#pragma once
// Small pictures and host-side checks for the imaging engine's tests.
#include "sdk/sdk.h"
#include "support/fixture.h"

#include <QString>
#include <functional>

namespace sdktest {

// A 24-bit bitmap whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
sdk::SdkBitmapHandle makeBitmap(int width, int height, const std::function<std::uint32_t(int x, int y)>& colour);
// A picture with some structure: gradients and a few blocks, no symmetry.
sdk::SdkBitmapHandle patterned(int width, int height);
// Pixel (x, y) of a 24-bit or 32-bit bitmap as 0xRRGGBB.
std::uint32_t pixel(const sdk::SdkBitmapHandle& b, int x, int y);
// True when both have the same size and pixels.
bool samePixels(const sdk::SdkBitmapHandle& a, const sdk::SdkBitmapHandle& b);
// Runs a shell command; fails the current test with its output when it does not exit with 0.
QString mustRun(const QString& command);
QString quoted(const QString& hostPath);
// A GIF of the given number of 1 x 1 frames, black and white by turns, each shown 0.1 s.
QByteArray gifOfFrames(int frames);

// Restores the status callback that was installed before, however the test ends.
class StatusCallbackScope {
public:
    explicit StatusCallbackScope(sdk::PxStatusCallback callback);
    ~StatusCallbackScope();

private:
    sdk::PxStatusCallback previous_;
};

} // namespace sdktest
