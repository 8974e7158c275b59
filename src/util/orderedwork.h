#pragma once
// Work on many items (thumbnails of a folder, frames of a video) on a pool of worker threads,
// taken back one by one in the items' order by the thread that started it.
#include "platform/waitcondition.h"

#include <QThreadPool>

#include <QThread>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace util {

class OrderedWork {
public:
    // Starts job(0) .. job(count - 1) on up to threads workers (0: one per core). A worker starts
    // no job more than ahead places past the last one taken (0: no limit), so results that cost
    // memory do not pile up while the taker is slow. job must touch nothing the taker uses.
    OrderedWork(int count, std::function<void(int)> job, int threads = 0, int ahead = 0);
    // Cancels and waits for the jobs that are running.
    ~OrderedWork();
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // Waits until job index has ended. While it waits, idle (when given) runs every few
    // milliseconds on the calling thread. False when the work was cancelled before that job ended.
    bool take(int index, const std::function<void()>& idle = {});
    // Calls renumber(first) while no worker can start a job: jobs first .. count - 1 have not
    // started, so the caller may change what those numbers stand for (a new order of what waits).
    void beforeStart(const std::function<void(int first)>& renumber);
    // No job starts any more; returns once the running ones have ended.
    void cancel();
    bool cancelled() const;
    // Jobs that have started (for the tests: a cancelled run starts no more).
    int started() const;

private:
    void work();

    std::function<void(int)> job_;
    int count_;
    int ahead_;
    mutable std::mutex mutex_;
    platform::WaitCondition changed_;
    std::vector<char> done_;
    int next_ = 0;
    int taken_ = 0;
    bool cancelled_ = false;
    QThreadPool pool_;
};

// Runs work(i) for i from 0 to count - 1 on worker threads and calls take(i, result) on the
// calling thread for i = 0, 1, 2, ... as soon as that result is there (the later ones go on
// meanwhile, at most two per thread beyond the one taken last, so results do not pile up).
// take returning false stops: items not yet begun are not run, those under way are waited for
// and dropped. work must not touch windows or anything of the calling thread. True when every
// item was taken.
template <typename Result>
bool forEachInOrder(int count, const std::function<Result(int)>& work, const std::function<bool(int, Result&)>& take)
{
    std::vector<std::optional<Result>> results(static_cast<std::size_t>(count > 0 ? count : 0));
    // Each job writes its own element; taking a job's end makes its element visible here.
    OrderedWork run(count, [&](int i) { results[static_cast<std::size_t>(i)].emplace(work(i)); }, 0,
                    2 * QThread::idealThreadCount());
    for (int i = 0; i < count; ++i) {
        if (!run.take(i) || !take(i, *results[static_cast<std::size_t>(i)])) return false;
    }
    return true;
}

} // namespace util
