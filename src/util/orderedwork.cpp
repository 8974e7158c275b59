#include "orderedwork.h"

#include <QRunnable>

#include <algorithm>
#include <chrono>

namespace util {

OrderedWork::OrderedWork(int count, std::function<void(int)> job, int threads, int ahead)
    : job_(std::move(job)), count_(std::max(0, count)), ahead_(std::max(0, ahead)), done_(std::size_t(count_), 0)
{
    const int workers = std::min(count_, threads > 0 ? threads : QThread::idealThreadCount());
    pool_.setMaxThreadCount(std::max(1, workers));
    for (int i = 0; i < workers; ++i) pool_.start([this] { work(); });
}

OrderedWork::~OrderedWork() { cancel(); }

void OrderedWork::work()
{
    for (;;) {
        int index;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return cancelled_ || next_ >= count_ || ahead_ == 0 || next_ < taken_ + ahead_; });
            if (cancelled_ || next_ >= count_) return;
            index = next_++;
        }
        job_(index);
        {
            std::lock_guard lock(mutex_);
            done_[std::size_t(index)] = 1;
        }
        changed_.notify_all();
    }
}

bool OrderedWork::take(int index, const std::function<void()>& idle)
{
    if (index < 0 || index >= count_) return false;
    std::unique_lock lock(mutex_);
    if (index > taken_) {
        taken_ = index;
        changed_.notify_all();
    }
    while (!cancelled_ && !done_[std::size_t(index)]) {
        if (!idle) {
            changed_.wait(lock);
            continue;
        }
        // Against the system clock: a change of the time costs one poll at most, and every
        // thread checker knows this wait.
        changed_.wait_until(lock, std::chrono::system_clock::now() + std::chrono::milliseconds(15));
        if (cancelled_ || done_[std::size_t(index)]) break;
        lock.unlock();
        idle();
        lock.lock();
    }
    return !cancelled_ && done_[std::size_t(index)];
}

void OrderedWork::cancel()
{
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
    pool_.waitForDone();
}

bool OrderedWork::cancelled() const
{
    std::lock_guard lock(mutex_);
    return cancelled_;
}

int OrderedWork::started() const
{
    std::lock_guard lock(mutex_);
    return next_;
}

} // namespace util
