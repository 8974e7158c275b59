#pragma once
// Work on many items (pictures, frames) on a pool of worker threads, the results handed back to
// the calling thread in the order of the items.
#include <QThread>
#include <QThreadPool>

#include <algorithm>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

// Runs work(i) for i from 0 to count - 1 on worker threads and calls take(i, result) on the
// calling thread for i = 0, 1, 2, ... as soon as that result is there (the later ones go on
// meanwhile). At most a few items per thread run or wait beyond the one taken last, so results
// do not pile up. take returning false stops: items not yet begun are not run, those under way
// are waited for and dropped. work must not touch windows or anything of the calling thread.
// True when every item was taken.
template <typename Result>
bool forEachInOrder(int count, const std::function<Result(int)>& work, const std::function<bool(int, Result&)>& take)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable ready;
        std::vector<std::optional<Result>> results;
        int running = 0;
        bool stopped = false;
    };
    auto shared = std::make_shared<Shared>();
    shared->results.resize(static_cast<std::size_t>(count > 0 ? count : 0));
    QThreadPool pool;
    const int threads = std::max(1, QThread::idealThreadCount());
    pool.setMaxThreadCount(threads);
    const int ahead = threads * 2;
    int started = 0;
    auto startUpTo = [&](int limit) {
        for (; started < count && started < limit; ++started) {
            const int index = started;
            {
                std::lock_guard<std::mutex> lock(shared->mutex);
                ++shared->running;
            }
            pool.start([shared, index, &work] {
                std::optional<Result> result;
                bool skip;
                {
                    std::lock_guard<std::mutex> lock(shared->mutex);
                    skip = shared->stopped;
                }
                if (!skip) result.emplace(work(index));
                std::lock_guard<std::mutex> lock(shared->mutex);
                shared->results[static_cast<std::size_t>(index)] = std::move(result);
                --shared->running;
                shared->ready.notify_all();
            });
        }
    };
    bool complete = true;
    for (int i = 0; i < count; ++i) {
        startUpTo(i + 1 + ahead);
        std::optional<Result> result;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->ready.wait(lock, [&] { return shared->results[static_cast<std::size_t>(i)].has_value(); });
            result = std::move(shared->results[static_cast<std::size_t>(i)]);
        }
        if (!take(i, *result)) {
            complete = false;
            break;
        }
    }
    {
        std::unique_lock<std::mutex> lock(shared->mutex);
        shared->stopped = true;
        shared->ready.wait(lock, [&] { return shared->running == 0; });
    }
    pool.waitForDone();
    return complete;
}

} // namespace platform
