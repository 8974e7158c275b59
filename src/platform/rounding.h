#pragma once
// Rounding of reals to integers: halves to even (62.5 gives 62, 63.5 gives 64) everywhere in the
// program, and conversions that never overflow (values beyond the target range are clamped,
// NaN gives 0).
#include <cmath>
#include <cstdint>
#include <limits>

namespace platform {

inline double roundHalfEvenReal(double x)
{
    // nearbyint rounds with the current mode, which is to-nearest-even unless someone changed it;
    // do it by hand so that the result never depends on the floating-point environment.
    double f = std::floor(x);
    double diff = x - f;
    if (diff > 0.5) return f + 1.0;
    if (diff < 0.5) return f;
    return (std::fmod(f, 2.0) == 0.0) ? f : f + 1.0;
}

template <typename Int>
inline Int clampToInteger(double x)
{
    if (std::isnan(x)) return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
    if (x <= lo) return std::numeric_limits<Int>::min();
    if (x >= hi) return std::numeric_limits<Int>::max();
    return static_cast<Int>(x);
}

// Nearest integer, halves to even, clamped into the 32-bit range.
inline int roundHalfEven(double x) { return clampToInteger<int>(roundHalfEvenReal(x)); }
inline std::int64_t roundHalfEven64(double x) { return clampToInteger<std::int64_t>(roundHalfEvenReal(x)); }

// Truncation toward zero (the Trunc of the original), clamped into the 32-bit range.
inline int truncToInt(double x) { return clampToInteger<int>(std::trunc(x)); }

} // namespace platform
