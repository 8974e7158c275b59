#include "effects/resample.h"

#include "effects/arith.h"

#include <algorithm>
#include <cmath>

namespace effects {

namespace {

float sinc(float x)
{
    if (x == 0.0f) return 1.0f;
    x *= detail::kPiF;
    return std::sin(x) / x;
}

} // namespace

float BoxFilter(float x) { return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f; }

float TriangleFilter(float x)
{
    const float a = std::fabs(x);
    return a < 1.0f ? 1.0f - a : 0.0f;
}

float HermiteFilter(float x)
{
    const float a = std::fabs(x);
    return a < 1.0f ? (2.0f * a - 3.0f) * a * a + 1.0f : 0.0f;
}

float BellFilter(float x)
{
    const float a = std::fabs(x);
    if (a < 0.5f) return 0.75f - a * a;
    if (a < 1.5f) {
        const float t = a - 1.5f;
        return 0.5f * t * t;
    }
    return 0.0f;
}

float SplineFilter(float x)
{
    const float a = std::fabs(x);
    if (a < 1.0f) return 0.5f * a * a * a - a * a + 2.0f / 3.0f;
    if (a < 2.0f) {
        const float t = 2.0f - a;
        return t * t * t / 6.0f;
    }
    return 0.0f;
}

float Lanczos3Filter(float x)
{
    const float a = std::fabs(x);
    return a < 3.0f ? sinc(a) * sinc(a / 3.0f) : 0.0f;
}

float MitchellFilter(float x)
{
    const float a = std::fabs(x);
    const float a2 = a * a, a3 = a2 * a;
    if (a < 1.0f) return (7.0f * a3 - 12.0f * a2 + 16.0f / 3.0f) / 6.0f;
    if (a < 2.0f) return (-7.0f / 3.0f * a3 + 12.0f * a2 - 20.0f * a + 32.0f / 3.0f) / 6.0f;
    return 0.0f;
}

const std::array<ResampleFilterRecord, 7> ResampleFilterTable = {{
    {"Box", &BoxFilter, 0.5f},
    {"Triangle", &TriangleFilter, 1.0f},
    {"Hermite", &HermiteFilter, 1.0f},
    {"Bell", &BellFilter, 1.5f},
    {"B-Spline", &SplineFilter, 2.0f},
    {"Lanczos3", &Lanczos3Filter, 3.0f},
    {"Mitchell", &MitchellFilter, 2.0f},
}};

std::vector<std::vector<ResampleContributor>> ResampleContributors(int n1, int n2, ResampleFilter filter,
                                                                   float support)
{
    std::vector<std::vector<ResampleContributor>> result;
    if (n1 <= 0 || n2 <= 0) return result;
    const float scale = (n1 == 1 || n2 == 1) ? float(n2) / float(n1) : float(n2 - 1) / float(n1 - 1);
    const bool reducing = scale < 1.0f;
    const float width = reducing ? support / scale : support;
    const float fscale = reducing ? 1.0f / scale : 1.0f;
    result.resize(std::size_t(n2));
    for (int i = 0; i < n2; ++i) {
        auto& list = result[std::size_t(i)];
        list.reserve(std::size_t(std::clamp(2.0f * width + 1.0f, 0.0f, 4096.0f)) + 1);  // grows past this as needed
        const float centre = float(i) / scale;
        const std::int64_t left = detail::checkedTrunc64(std::floor(centre - width));
        const std::int64_t right = detail::checkedTrunc64(std::ceil(centre + width));
        for (std::int64_t j = left; j <= right; ++j) {
            const float weight = reducing ? filter((centre - float(j)) / fscale) / fscale : filter(centre - float(j));
            if (weight == 0.0f) continue;
            std::int64_t n = j;
            if (n < 0)
                n = -n;
            else if (n >= n1)
                n = std::int64_t(n1) - n + n1 - 1;
            n = std::clamp<std::int64_t>(n, 0, n1 - 1);
            list.push_back({int(n), weight});
        }
    }
    return result;
}

namespace {

inline std::uint8_t clampRound(float sum)
{
    if (sum > 255.0f) return 255;
    if (!(sum >= 0.0f)) return 0;  // negative (or NaN)
    return std::uint8_t(detail::roundNonNegativeSmall(sum));
}

// Horizontal pass, a block of up to kRows source rows at a time: the block is turned into one
// column of kRows x 3 floats per source pixel, so that each target column sums whole columns.
constexpr int kRows = 8;
constexpr int kLanes = kRows * 3;

void horizontalPass(const Bitmap24& source, Bitmap24& work,
                    const std::vector<std::vector<ResampleContributor>>& columns)
{
    const int w1 = source.width(), h1 = source.height(), w2 = work.width();
    std::vector<float> block(std::size_t(w1) * kLanes);
    for (int y0 = 0; y0 < h1; y0 += kRows) {
        const int rows = std::min(kRows, h1 - y0);
        std::fill(block.begin(), block.end(), 0.0f);
        for (int r = 0; r < rows; ++r) {
            const std::uint8_t* s = source.row(y0 + r);
            float* b = block.data() + r * 3;
            for (int x = 0; x < w1; ++x, s += 3, b += kLanes) {
                b[0] = s[0];
                b[1] = s[1];
                b[2] = s[2];
            }
        }
        for (int i = 0; i < w2; ++i) {
            float acc[kLanes] = {};
            for (const ResampleContributor& c : columns[std::size_t(i)]) {
                const float* b = block.data() + std::size_t(c.pixel) * kLanes;
                const float wgt = c.weight;
                for (int t = 0; t < kLanes; ++t) acc[t] += b[t] * wgt;
            }
            for (int r = 0; r < rows; ++r) {
                std::uint8_t* d = work.pixelPtr(i, y0 + r);
                d[0] = clampRound(acc[r * 3]);
                d[1] = clampRound(acc[r * 3 + 1]);
                d[2] = clampRound(acc[r * 3 + 2]);
            }
        }
    }
}

void verticalPass(const Bitmap24& work, Bitmap24& dest, const std::vector<std::vector<ResampleContributor>>& rows)
{
    const std::size_t n = work.stride();
    std::vector<float> acc(n);
    for (int i = 0; i < dest.height(); ++i) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        float* a = acc.data();
        for (const ResampleContributor& c : rows[std::size_t(i)]) {
            const std::uint8_t* s = work.row(c.pixel);
            const float wgt = c.weight;
            for (std::size_t k = 0; k < n; ++k) a[k] += float(s[k]) * wgt;
        }
        std::uint8_t* d = dest.row(i);
        for (std::size_t k = 0; k < n; ++k) d[k] = clampRound(a[k]);
    }
}

} // namespace

void ResampleStretch(const Bitmap24& source, Bitmap24& dest, ResampleFilter filter, float support)
{
    const int w1 = source.width(), h1 = source.height();
    if (w1 <= 0 || h1 <= 0) throw ResampleError("Source bitmap too small");
    const int w2 = dest.width(), h2 = dest.height();
    if (w2 <= 0 || h2 <= 0) return;
    Bitmap24 work(w2, h1);
    horizontalPass(source, work, ResampleContributors(w1, w2, filter, support));
    verticalPass(work, dest, ResampleContributors(h1, h2, filter, support));
}

} // namespace effects
