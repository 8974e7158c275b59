#include "waitcondition.h"

#include <ctime>

namespace platform {

WaitCondition::WaitCondition()
{
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    // Against the monotonic clock: a change of the system time neither shortens nor stretches a wait.
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&cond_, &attributes);
    pthread_condattr_destroy(&attributes);
}

WaitCondition::~WaitCondition() { pthread_cond_destroy(&cond_); }

void WaitCondition::wait(std::unique_lock<std::mutex>& lock) { pthread_cond_wait(&cond_, lock.mutex()->native_handle()); }

void WaitCondition::waitFor(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit)
{
    timespec until{};
    clock_gettime(CLOCK_MONOTONIC, &until);
    const long long ns = until.tv_nsec + static_cast<long long>(limit.count() % 1000) * 1000000;
    until.tv_sec += static_cast<time_t>(limit.count() / 1000 + ns / 1000000000);
    until.tv_nsec = static_cast<long>(ns % 1000000000);
    pthread_cond_timedwait(&cond_, lock.mutex()->native_handle(), &until);
}

void WaitCondition::notifyAll() { pthread_cond_broadcast(&cond_); }

} // namespace platform
