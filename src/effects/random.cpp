#include "effects/random.h"

#include <atomic>
#include <chrono>

namespace effects {

namespace {

// Each thread draws from its own seed: a preview computed on a worker never disturbs the
// numbers of the GUI thread.
thread_local std::uint32_t randSeed = 0;

std::uint32_t realClock()
{
    auto ns = std::chrono::steady_clock::now().time_since_epoch();
    return std::uint32_t(std::chrono::duration_cast<std::chrono::nanoseconds>(ns).count());
}

std::atomic<RandomizeClock> clockSource{&realClock};

} // namespace

std::uint32_t RandSeed() { return randSeed; }
void SetRandSeed(std::uint32_t seed) { randSeed = seed; }

std::uint32_t Random(std::uint32_t range)
{
    randSeed = RandStep(randSeed);
    return RandRange(randSeed, range);
}

double RandomReal()
{
    randSeed = RandStep(randSeed);
    return double(randSeed) * (1.0 / 4294967296.0);
}

void Randomize() { randSeed = clockSource.load()(); }

void SetRandomizeClock(RandomizeClock clock) { clockSource.store(clock ? clock : &realClock); }

} // namespace effects
