#include "memorybudget.h"

#include <algorithm>
#include <chrono>

namespace util {

MemoryBudget::MemoryBudget(std::int64_t bytes) : total_(std::max<std::int64_t>(0, bytes)) {}

MemoryBudget::Grant MemoryBudget::acquire(std::int64_t bytes, const std::function<bool()>& stop)
{
    bytes = std::max<std::int64_t>(0, bytes);
    if (bytes > total_) return Grant::TooLarge;
    std::unique_lock lock(mutex_);
    while (used_ + bytes > total_) {
        if (stop && stop()) return Grant::Stopped;
        freed_.wait_for(lock, std::chrono::milliseconds(20));
    }
    used_ += bytes;
    peak_ = std::max(peak_, used_);
    return Grant::Granted;
}

bool MemoryBudget::tryAcquire(std::int64_t bytes)
{
    bytes = std::max<std::int64_t>(0, bytes);
    std::lock_guard lock(mutex_);
    if (used_ + bytes > total_) return false;
    used_ += bytes;
    peak_ = std::max(peak_, used_);
    return true;
}

void MemoryBudget::release(std::int64_t bytes)
{
    if (bytes <= 0) return;
    {
        std::lock_guard lock(mutex_);
        used_ = std::max<std::int64_t>(0, used_ - bytes);
    }
    freed_.notify_all();
}

std::int64_t MemoryBudget::inUse() const
{
    std::lock_guard lock(mutex_);
    return used_;
}

std::int64_t MemoryBudget::peak() const
{
    std::lock_guard lock(mutex_);
    return peak_;
}

MemoryBudget::Grant BudgetShare::hold(std::int64_t bytes, const std::function<bool()>& stop)
{
    if (bytes <= held_) {
        budget_.release(held_ - bytes);
        held_ = std::max<std::int64_t>(0, bytes);
        return MemoryBudget::Grant::Granted;
    }
    if (bytes > budget_.total()) return MemoryBudget::Grant::TooLarge;
    if (budget_.tryAcquire(bytes - held_)) {
        held_ = bytes;
        return MemoryBudget::Grant::Granted;
    }
    release();
    const MemoryBudget::Grant grant = budget_.acquire(bytes, stop);
    if (grant == MemoryBudget::Grant::Granted) held_ = bytes;
    return grant;
}

bool BudgetShare::tryHold(std::int64_t bytes)
{
    if (bytes <= held_) return true;
    if (!budget_.tryAcquire(bytes - held_)) return false;
    held_ = bytes;
    return true;
}

void BudgetShare::release()
{
    budget_.release(held_);
    held_ = 0;
}

} // namespace util
