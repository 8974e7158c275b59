#pragma once
// Resampling: a 24-bit bitmap resized into another with a chosen filter kernel, in two separable
// passes (horizontal into a work bitmap, then vertical), with weighted contributions computed per
// target column and per target row. Filters and sums are single precision.
#include "effects/bitmap.h"

#include <array>
#include <stdexcept>
#include <vector>

namespace effects {

using ResampleFilter = float (*)(float);

// The seven kernels (a = abs(x)).
float BoxFilter(float x);       // 1 when -0.5 < x <= 0.5
float TriangleFilter(float x);  // 1 - a when a < 1
float HermiteFilter(float x);   // (2a - 3) a^2 + 1 when a < 1
float BellFilter(float x);      // 0.75 - a^2 when a < 0.5; 0.5 (a - 1.5)^2 when a < 1.5
float SplineFilter(float x);    // B-spline: 0.5 a^3 - a^2 + 2/3 when a < 1; (2 - a)^3 / 6 when a < 2
float Lanczos3Filter(float x);  // Sinc(a) Sinc(a / 3) when a < 3
float MitchellFilter(float x);  // Mitchell-Netravali, B = C = 1/3, support 2

struct ResampleFilterRecord {
    const char* name;
    ResampleFilter filter;
    float support;
};

// "Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell", in this order.
extern const std::array<ResampleFilterRecord, 7> ResampleFilterTable;

class ResampleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One contribution of a source pixel (column or row) to a target pixel.
struct ResampleContributor {
    int pixel;
    float weight;
};

// The contributors of every target index along one axis (source size n1 > 0, target size n2):
// the scale (n2 - 1) / (n1 - 1), or n2 / n1 when either size is 1; enlarging samples the filter at
// centre - j, reducing widens it by 1 / scale and divides the weights by the same. Only non-zero
// weights are kept; a source index outside the source is mirrored into it (and clamped, for a
// source narrower than the kernel's reach).
std::vector<std::vector<ResampleContributor>> ResampleContributors(int n1, int n2, ResampleFilter filter,
                                                                   float support);

// Resizes source into dest (which already has the target size). Throws ResampleError("Source
// bitmap too small") for an empty source, before anything is allocated; dest is left as it was.
// The same bitmap may be passed for both when the sizes agree.
void ResampleStretch(const Bitmap24& source, Bitmap24& dest, ResampleFilter filter, float support);

} // namespace effects
