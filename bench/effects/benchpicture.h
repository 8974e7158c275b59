#pragma once
// The effects benches' picture: photograph-like (gradients, soft shapes and grain), made here; and
// the load average they print beside their figures.
#include "effects/bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>

inline effects::Bitmap24 makeBenchPicture(int w, int h)
{
    effects::Bitmap24 b(w, h);
    std::uint32_t s = 1;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = b.row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            s = s * 1664525u + 1013904223u;
            const int grain = int(s >> 28) - 8;
            const double r = std::hypot(x - w * 0.4, y - h * 0.6) / (h * 0.5);
            const int shade = int(255 * std::max(0.0, 1.0 - r));
            p[0] = std::uint8_t(std::clamp(x * 255 / w + grain, 0, 255));
            p[1] = std::uint8_t(std::clamp(shade + grain, 0, 255));
            p[2] = std::uint8_t(std::clamp(((x / 97 + y / 61) % 2) * 120 + y * 100 / h + grain, 0, 255));
        }
    }
    return b;
}

// The last minute's load average (-1 when it cannot be read).
inline double loadAverage()
{
    double load = -1;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = -1;
        std::fclose(f);
    }
    return load;
}
