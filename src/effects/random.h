#pragma once
// The application's one seedable pseudo-random generator, the linear congruential generator of
// the original runtime:
//   seed := seed x 134775813 + 1 (modulo 2^32)
//   Random(n) := (n x seed) div 2^32 in unsigned 64-bit arithmetic, a value 0 .. n - 1
//   RandomReal() := seed / 2^32, a value in [0, 1)
// The seed is 0 at program start; Randomize() reseeds it from the clock. Every module that needs
// random numbers calls these, so one seed reproduces a whole run. Each thread has a seed of its
// own (0 when it starts): the GUI thread's numbers are those of the original's one generator,
// and work done on another thread (an effect's preview) sets its own seed first.
#include <cstdint>

namespace effects {

std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);

// 0 .. range - 1; Random(0) is 0 (the seed still advances).
std::uint32_t Random(std::uint32_t range);
// [0, 1)
double RandomReal();

// Reseeds from the clock (the low 32 bits of a monotonic clock in nanoseconds, or of the clock
// installed below).
void Randomize();
// Tests install a fixed clock so that "reseed from the clock" is reproducible; nullptr restores
// the real clock.
using RandomizeClock = std::uint32_t (*)();
void SetRandomizeClock(RandomizeClock clock);

// The seed n steps ahead of `seed` (used to draw many numbers in one go without changing them).
constexpr std::uint32_t kRandMultiplier = 134775813u;
constexpr std::uint32_t RandStep(std::uint32_t seed) { return seed * kRandMultiplier + 1u; }
constexpr std::uint32_t RandRange(std::uint32_t seed, std::uint32_t range)
{
    return std::uint32_t((std::uint64_t(range) * seed) >> 32);
}

} // namespace effects
