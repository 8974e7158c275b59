#pragma once
// A condition to wait on under a std::mutex, for work shared between threads.
//
// The wait is made from the program's own code, not from inside the C++ library, so a thread
// checker that leaves uninstrumented libraries out of its reports (as `make tsan` does for Qt's)
// still sees the lock given up and taken again while a thread waits.
#include <pthread.h>

#include <chrono>
#include <mutex>

namespace platform {

class WaitCondition {
public:
    WaitCondition();
    ~WaitCondition();
    WaitCondition(const WaitCondition&) = delete;
    WaitCondition& operator=(const WaitCondition&) = delete;

    // Gives up the lock until notified (or woken spuriously), then holds it again.
    void wait(std::unique_lock<std::mutex>& lock);
    // The same, for at most `limit`.
    void waitFor(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit);
    void notifyAll();

private:
    pthread_cond_t cond_;
};

} // namespace platform
