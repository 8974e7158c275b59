#pragma once
// One budget of memory shared by the workers of a pool: each piece of work takes its share
// before it allocates, waits while the others hold too much, and is refused outright when its
// share alone is larger than the whole budget.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace util {

class MemoryBudget {
public:
    explicit MemoryBudget(std::int64_t bytes);
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    enum class Grant { Granted, TooLarge, Stopped };

    // Takes bytes of the budget, waiting until the others have given back enough. TooLarge at
    // once when bytes exceed the whole budget; Stopped when stop (asked every few milliseconds
    // while waiting) says so first.
    Grant acquire(std::int64_t bytes, const std::function<bool()>& stop = {});
    // Takes bytes only when they are free now.
    bool tryAcquire(std::int64_t bytes);
    void release(std::int64_t bytes);

    std::int64_t total() const { return total_; }
    std::int64_t inUse() const;
    // The most that was ever held at once.
    std::int64_t peak() const;

private:
    const std::int64_t total_;
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    std::int64_t used_ = 0;
    std::int64_t peak_ = 0;
};

// A share of a budget, given back when it goes out of scope.
class BudgetShare {
public:
    explicit BudgetShare(MemoryBudget& budget) : budget_(budget) {}
    ~BudgetShare() { release(); }
    BudgetShare(const BudgetShare&) = delete;
    BudgetShare& operator=(const BudgetShare&) = delete;

    // Holds exactly bytes afterwards (given back first when waiting is needed, so that no one
    // waits while holding a share).
    MemoryBudget::Grant hold(std::int64_t bytes, const std::function<bool()>& stop = {});
    // Grows the share to bytes only when they are free now (a smaller share is kept as it is).
    bool tryHold(std::int64_t bytes);
    std::int64_t bytes() const { return held_; }
    void release();

private:
    MemoryBudget& budget_;
    std::int64_t held_ = 0;
};

} // namespace util
