#pragma once
// Arithmetic helpers of the effects library (internal).
//
// fastRound gives exactly platform::roundHalfEven (halves to even, clamped into the 32-bit range,
// NaN gives 0) without its floor and fmod calls, for the per-pixel loops; the tests check the two
// against each other. checkedTrunc64 is the checked step by which the distortions turn a real
// coordinate into an integer: truncation toward zero, NaN gives 0, values beyond +-2^62 are
// clamped, so nothing overflows.
#include "platform/rounding.h"

#include <cmath>
#include <cstdint>

namespace effects::detail {

inline int fastRound(double x)
{
    if (x > -2147483647.0 && x < 2147483647.0) {
        int i = int(x);            // toward zero, exact in range
        double f = x - double(i);  // exact
        if (x >= 0) {
            if (f > 0.5) return i + 1;
            if (f == 0.5) return i + (i & 1);
            return i;
        }
        if (f < -0.5) return i - 1;
        if (f == -0.5) return i - (i & 1);
        return i;
    }
    return platform::roundHalfEven(x);
}

inline int fastRound(float x) { return fastRound(double(x)); }

// Round of a non-negative float below 2^23 (the resampler's clamped sums): branch-free.
inline int roundNonNegativeSmall(float x)
{
    int i = int(x);
    float f = x - float(i);
    return i + int(f > 0.5f) + (int(f == 0.5f) & (i & 1));
}

constexpr double kLimit62 = 4611686018427387904.0;  // 2^62

inline std::int64_t checkedTrunc64(double x)
{
    if (std::isnan(x)) return 0;
    if (x >= kLimit62) return std::int64_t(1) << 62;
    if (x <= -kLimit62) return -(std::int64_t(1) << 62);
    return std::int64_t(x);
}

inline std::int64_t checkedRound64(double x)
{
    if (std::isnan(x)) return 0;
    if (x >= kLimit62) return std::int64_t(1) << 62;
    if (x <= -kLimit62) return -(std::int64_t(1) << 62);
    return platform::roundHalfEven64(x);
}

constexpr double kPi = 3.14159265358979323846;
constexpr float kPiF = 3.14159265358979323846f;

} // namespace effects::detail
