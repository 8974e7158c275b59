#include "effects/resample.h"

#include "effects/arith.h"

#include <algorithm>
#include <cmath>
#include <emmintrin.h>

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
    // 255 above 255, 0 below 0 (and for NaN), else Round: written without branches so that the
    // loops over a row vectorise.
    float c = sum > 255.0f ? 255.0f : sum;
    c = c >= 0.0f ? c : 0.0f;
    const int i = int(c);
    const float f = c - float(i);
    return std::uint8_t(i + int(f > 0.5f) + (int(f == 0.5f) & (i & 1)));
}

// clampRound of four sums at once (SSE2), the same results: max with 0 first (NaN gives 0), then
// min with 255, then Round with halves to even.
inline __m128i clampRound4(__m128 sum)
{
    const __m128 c = _mm_min_ps(_mm_max_ps(sum, _mm_setzero_ps()), _mm_set1_ps(255.0f));
    const __m128i i = _mm_cvttps_epi32(c);
    const __m128 f = _mm_sub_ps(c, _mm_cvtepi32_ps(i));
    const __m128i up = _mm_castps_si128(_mm_cmpgt_ps(f, _mm_set1_ps(0.5f)));     // -1 where f > 0.5
    const __m128i tie = _mm_castps_si128(_mm_cmpeq_ps(f, _mm_set1_ps(0.5f)));    // -1 where f = 0.5
    const __m128i odd = _mm_and_si128(tie, _mm_and_si128(i, _mm_set1_epi32(1)));  // 1 for a tie on odd
    return _mm_add_epi32(_mm_sub_epi32(i, up), odd);
}

// n sums to n bytes.
void clampRoundRow(const float* sums, std::uint8_t* out, std::size_t n)
{
    std::size_t k = 0;
    for (; k + 16 <= n; k += 16) {
        const __m128i a = clampRound4(_mm_loadu_ps(sums + k));
        const __m128i b = clampRound4(_mm_loadu_ps(sums + k + 4));
        const __m128i c = clampRound4(_mm_loadu_ps(sums + k + 8));
        const __m128i d = clampRound4(_mm_loadu_ps(sums + k + 12));
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), bytes);
    }
    for (; k < n; ++k) out[k] = clampRound(sums[k]);
}

// The horizontal pass's result (the work bitmap, W2 x H1) is made in blocks of kRows source rows
// on demand, as the vertical pass asks for its rows, and kept in a small cache that holds every
// block one target row needs: the same bytes as a whole work bitmap, without writing and reading
// it back through memory. Within a block the source rows are turned into one column of
// kRows x 3 floats per source pixel, so that each target column sums whole columns.
constexpr int kRows = 8;
constexpr int kLanes = kRows * 3;
using Contributors = std::vector<std::vector<ResampleContributor>>;

class WorkRows {
public:
    WorkRows(const Bitmap24& source, int w2, const Contributors& columns, const Contributors& rows)
        : source_(source), w2_(w2), columns_(columns), scratch_(std::size_t(source.width()) * kLanes)
    {
        // Enough blocks for the widest span of rows that one target row reads.
        int span = 1;
        for (const auto& list : rows) {
            if (list.empty()) continue;
            int lo = list.front().pixel, hi = lo;
            for (const auto& c : list) {
                lo = std::min(lo, c.pixel);
                hi = std::max(hi, c.pixel);
            }
            span = std::max(span, hi / kRows - lo / kRows + 1);
        }
        const int blocks = (source.height() + kRows - 1) / kRows;
        const int capacity = std::min(blocks, span + 1);
        slots_.resize(std::size_t(capacity));
        for (auto& slot : slots_) slot.pixels.resize(std::size_t(kRows) * std::size_t(w2) * 3);
    }

    const std::uint8_t* row(int y)
    {
        const int block = y / kRows;
        Slot* slot = nullptr;
        for (auto& s : slots_)
            if (s.block == block) slot = &s;
        if (!slot) {
            slot = &slots_[0];
            for (auto& s : slots_)
                if (s.lastUse < slot->lastUse) slot = &s;
            compute(block, slot->pixels.data());
            slot->block = block;
        }
        slot->lastUse = ++clock_;
        return slot->pixels.data() + std::size_t(y % kRows) * std::size_t(w2_) * 3;
    }

private:
    struct Slot {
        int block = -1;
        std::uint64_t lastUse = 0;
        std::vector<std::uint8_t> pixels;
    };

    void compute(int block, std::uint8_t* out)
    {
        const int w1 = source_.width(), y0 = block * kRows;
        const int rows = std::min(kRows, source_.height() - y0);
        if (rows < kRows) std::fill(scratch_.begin(), scratch_.end(), 0.0f);
        for (int r = 0; r < rows; ++r) {
            const std::uint8_t* s = source_.row(y0 + r);
            float* b = scratch_.data() + r * 3;
            for (int x = 0; x < w1; ++x, s += 3, b += kLanes) {
                b[0] = s[0];
                b[1] = s[1];
                b[2] = s[2];
            }
        }
        const std::size_t rowBytes = std::size_t(w2_) * 3;
        for (int i = 0; i < w2_; ++i) {
            // Six registers of four sums: the 8 rows x 3 channels of target column i, each the
            // running single-precision sum of weight x channel in contributor order.
            __m128 acc[kLanes / 4];
            for (auto& a : acc) a = _mm_setzero_ps();
            for (const ResampleContributor& c : columns_[std::size_t(i)]) {
                const float* b = scratch_.data() + std::size_t(c.pixel) * kLanes;
                const __m128 wgt = _mm_set1_ps(c.weight);
                for (int t = 0; t < kLanes / 4; ++t) acc[t] = _mm_add_ps(acc[t], _mm_mul_ps(_mm_loadu_ps(b + 4 * t), wgt));
            }
            alignas(16) float sums[kLanes];
            for (int t = 0; t < kLanes / 4; ++t) _mm_store_ps(sums + 4 * t, acc[t]);
            std::uint8_t bytes[kLanes];
            clampRoundRow(sums, bytes, kLanes);
            std::uint8_t* d = out + std::size_t(i) * 3;
            for (int r = 0; r < rows; ++r, d += rowBytes) {
                d[0] = bytes[r * 3];
                d[1] = bytes[r * 3 + 1];
                d[2] = bytes[r * 3 + 2];
            }
        }
    }

    const Bitmap24& source_;
    int w2_;
    const Contributors& columns_;
    std::vector<float> scratch_;
    std::vector<Slot> slots_;
    std::uint64_t clock_ = 0;
};

void verticalPass(WorkRows& work, Bitmap24& dest, const Contributors& rows)
{
    const std::size_t n = dest.stride();
    std::vector<float> acc(n);
    for (int i = 0; i < dest.height(); ++i) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        float* a = acc.data();
        for (const ResampleContributor& c : rows[std::size_t(i)]) {
            const std::uint8_t* s = work.row(c.pixel);
            const float wgt = c.weight;
            for (std::size_t k = 0; k < n; ++k) a[k] += float(s[k]) * wgt;
        }
        clampRoundRow(a, dest.row(i), n);
    }
}

} // namespace

void ResampleStretch(const Bitmap24& source, Bitmap24& dest, ResampleFilter filter, float support)
{
    const int w1 = source.width(), h1 = source.height();
    if (w1 <= 0 || h1 <= 0) throw ResampleError("Source bitmap too small");
    const int w2 = dest.width(), h2 = dest.height();
    if (w2 <= 0 || h2 <= 0) return;
    if (&source == &dest) {
        // The passes interleave, so a source that is also the destination is read from a copy.
        const Bitmap24 copy = source;
        ResampleStretch(copy, dest, filter, support);
        return;
    }
    const Contributors columns = ResampleContributors(w1, w2, filter, support);
    const Contributors rows = ResampleContributors(h1, h2, filter, support);
    WorkRows work(source, w2, columns, rows);
    verticalPass(work, dest, rows);
}

} // namespace effects
