#include "helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace sdktest {

using namespace sdk;

SdkBitmapHandle makeBitmap(int width, int height, const std::function<std::uint32_t(int, int)>& colour)
{
    SdkBitmapHandle b;
    EXPECT_EQ(PX_InitBitmap(&b, width, height, 24), PX_SUCCESS);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colour(x, y);
            std::uint8_t* p = b.row(y) + x * 3;
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    return b;
}

SdkBitmapHandle patterned(int width, int height)
{
    return makeBitmap(width, height, [=](int x, int y) {
        std::uint32_t r = static_cast<std::uint32_t>(x * 255 / std::max(1, width - 1));
        std::uint32_t g = static_cast<std::uint32_t>(y * 255 / std::max(1, height - 1));
        std::uint32_t b = static_cast<std::uint32_t>((x * 7 + y * 13) % 256);
        if (x < width / 3 && y < height / 4) r = 250, g = 20, b = 30;
        return (r << 16) | (g << 8) | b;
    });
}

std::uint32_t pixel(const SdkBitmapHandle& b, int x, int y)
{
    const std::uint8_t* p = b.row(y) + x * b.bytesPerPixel();
    if (b.BitsPerPixel == 8) return p[0] * 0x010101u;
    return (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

bool samePixels(const SdkBitmapHandle& a, const SdkBitmapHandle& b)
{
    if (a.Width != b.Width || a.Height != b.Height || a.BitsPerPixel != b.BitsPerPixel) return false;
    const std::size_t used = static_cast<std::size_t>(a.Width) * a.bytesPerPixel();
    for (int y = 0; y < a.Height; ++y)
        if (std::memcmp(a.row(y), b.row(y), used) != 0) return false;
    return true;
}

QString quoted(const QString& hostPath) { return "'" + hostPath + "'"; }

QString mustRun(const QString& command)
{
    int status = -1;
    const QString out = testsupport::runHost(command + " 2>&1", &status);
    EXPECT_EQ(status, 0) << command.toStdString() << "\n" << out.toStdString();
    return out;
}

StatusCallbackScope::StatusCallbackScope(PxStatusCallback callback) : previous_(PX_SetStatusCallBack(std::move(callback))) {}
StatusCallbackScope::~StatusCallbackScope() { PX_SetStatusCallBack(std::move(previous_)); }

QByteArray gifOfFrames(int frames)
{
    QByteArray gif = QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13) + QByteArray("\x00\x00\x00\xff\xff\xff", 6);
    for (int i = 0; i < frames; ++i) {
        gif += QByteArray("\x21\xf9\x04\x00\x0a\x00\x00\x00", 8);     // 0.1 s
        gif += QByteArray("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10); // 1 x 1 at 0, 0
        // Codes of 3 bits: clear, the pixel's index, end.
        gif += QByteArray(i % 2 ? "\x02\x02\x4c\x01\x00" : "\x02\x02\x44\x01\x00", 5);
    }
    gif += '\x3b';
    return gif;
}

} // namespace sdktest
