#pragma once
// JPEG data made by the tests: pictures of one colour, and pictures that lie about their size.
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace testsupport {

// A JPEG (quality 90) of the given size in one colour.
inline QByteArray jpegBytes(int width, int height, QColor color = QColor(200, 40, 40))
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 90);
    return bytes;
}

// Rewrites the height and width of the first frame header (a baseline, extended or progressive
// SOF marker) and touches nothing else; empty when the data holds none.
inline QByteArray withJpegFrameSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i) {
        const auto m = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC1 || m == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            return jpeg;
        }
    }
    return {};
}

} // namespace testsupport
