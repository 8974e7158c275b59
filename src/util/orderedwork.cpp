#include "orderedwork.h"

#include <QRunnable>

#include <algorithm>

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
            while (!(cancelled_ || next_ >= count_ || ahead_ == 0 || next_ < taken_ + ahead_)) changed_.wait(lock);
            if (cancelled_ || next_ >= count_) return;
            index = next_++;
        }
        job_(index);
        {
            std::lock_guard lock(mutex_);
            done_[std::size_t(index)] = 1;
        }
        changed_.notifyAll();
    }
}

bool OrderedWork::take(int index, const std::function<void()>& idle)
{
    if (index < 0 || index >= count_) return false;
    std::unique_lock lock(mutex_);
    if (index > taken_) {
        taken_ = index;
        changed_.notifyAll();
    }
    while (!cancelled_ && !done_[std::size_t(index)]) {
        if (!idle) {
            changed_.wait(lock);
            continue;
        }
        changed_.waitFor(lock, std::chrono::milliseconds(15));
        if (cancelled_ || done_[std::size_t(index)]) break;
        lock.unlock();
        idle();
        lock.lock();
    }
    return !cancelled_ && done_[std::size_t(index)];
}

void OrderedWork::beforeStart(const std::function<void(int first)>& renumber)
{
    std::lock_guard lock(mutex_);
    renumber(next_);
}

void OrderedWork::cancel()
{
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notifyAll();
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
