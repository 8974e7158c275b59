#include "effects/rowpipeline.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace effects::detail {

int ThreadsFor(int requested)
{
    if (requested > 0) return std::min(requested, 256);
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int(std::min(n, 256u));
}

void RunRowPipeline(int rows, int threads, int slots, const std::function<void(int, int)>& prepare,
                    const std::function<void(int, int)>& finish)
{
    if (rows <= 0) return;
    slots = std::clamp(slots, 1, rows);
    const int workers = std::min(threads, rows) - 1;
    if (workers <= 0) {
        for (int y = 0; y < rows; ++y) {
            prepare(y, y % slots);
            finish(y, y % slots);
        }
        return;
    }

    std::mutex mutex;
    std::condition_variable space;  // a slot came free (or every row is taken)
    std::condition_variable ready;  // a row was prepared
    int next = 0;                   // the next row to prepare
    int finished = 0;               // rows finished: slots of rows below next - slots are free
    std::vector<int> held(std::size_t(slots), -1);  // the prepared row each slot holds
    auto claimable = [&] { return next < rows && next < finished + slots; };
    // With the lock held: prepares the next row, the lock released meanwhile.
    auto prepareNext = [&](std::unique_lock<std::mutex>& lock) {
        const int y = next++;
        lock.unlock();
        prepare(y, y % slots);
        lock.lock();
        held[std::size_t(y % slots)] = y;
        ready.notify_one();
    };

    std::vector<std::thread> pool;
    pool.reserve(std::size_t(workers));
    for (int i = 0; i < workers; ++i) {
        try {
            pool.emplace_back([&] {
                std::unique_lock lock(mutex);
                for (;;) {
                    space.wait(lock, [&] { return next >= rows || claimable(); });
                    if (next >= rows) return;
                    prepareNext(lock);
                }
            });
        } catch (const std::system_error&) {
            break;  // fewer workers; the calling thread prepares what they leave
        }
    }

    for (int y = 0; y < rows; ++y) {
        const std::size_t slot = std::size_t(y % slots);
        {
            std::unique_lock lock(mutex);
            while (held[slot] != y) {
                if (claimable())  // rather than wait, prepare a row of those ahead
                    prepareNext(lock);
                else
                    ready.wait(lock);
            }
        }
        finish(y, int(slot));
        {
            std::lock_guard lock(mutex);
            finished = y + 1;
        }
        space.notify_one();
    }
    space.notify_all();
    for (std::thread& t : pool) t.join();
}

} // namespace effects::detail
