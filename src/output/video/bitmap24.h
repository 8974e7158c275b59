#pragma once
// A 24-bit bitmap as the AVI writer takes it: `height` rows from top to bottom, `stride` bytes
// apart, each row `width` pixels of blue, green and red bytes (the bytes between 3 × width and
// stride are not read). Whoever renders frames fills one of these and hands it over.
#include <QByteArray>
#include <QtGlobal>

struct Bitmap24 {
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
    QByteArray bytes;

    Bitmap24() = default;
    // A black bitmap with rows of exactly 3 × width bytes.
    Bitmap24(int w, int h)
        : width(w), height(h), stride(qsizetype(w) * 3), bytes(qsizetype(w) * 3 * h, '\0') {}

    // True when the sizes are positive and the bytes hold every row.
    bool isValid() const
    {
        return width > 0 && height > 0 && stride >= qsizetype(width) * 3
               && bytes.size() >= stride * (height - 1) + qsizetype(width) * 3;
    }
    uchar* pixel(int x, int y) { return reinterpret_cast<uchar*>(bytes.data()) + y * stride + qsizetype(x) * 3; }
    const uchar* pixel(int x, int y) const
    {
        return reinterpret_cast<const uchar*>(bytes.constData()) + y * stride + qsizetype(x) * 3;
    }
};
