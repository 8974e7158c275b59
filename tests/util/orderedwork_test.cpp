// Work on worker threads taken back in order: every result is complete when taken, the lead of
// the workers is bounded, and a cancel leaves no worker running.
#include "support/fixture.h"
#include "util/orderedwork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

void napFor(int index) { std::this_thread::sleep_for(std::chrono::microseconds((index * 7919) % 3000)); }

} // namespace

TEST(OrderedWork, ResultsAreTakenInOrderAndTheLeadOfTheWorkersIsBounded)
{
    struct Case {
        int count, threads, ahead;
    } cases[] = {{200, 4, 0}, {120, 8, 3}, {40, 1, 0}, {1, 4, 0}, {0, 4, 0}};
    for (const Case& c : cases) {
        std::vector<int> results(std::size_t(c.count), -1);
        std::atomic<int> taken{0}, worstLead{0};
        util::OrderedWork work(c.count, [&](int i) {
            worstLead = std::max(worstLead.load(), i - taken.load());
            napFor(i);
            results[std::size_t(i)] = i * i;
        }, c.threads, c.ahead);
        int idles = 0;
        for (int i = 0; i < c.count; ++i) {
            ASSERT_TRUE(work.take(i, [&] { ++idles; })) << i;
            EXPECT_EQ(results[std::size_t(i)], i * i) << i;
            taken = i;
        }
        // The taker marks a take only once it returned: one more place of lead is its own lag.
        if (c.ahead > 0) { EXPECT_LE(worstLead.load(), c.ahead + 1) << c.count; }
        EXPECT_FALSE(work.take(c.count));
    }
}

TEST(OrderedWork, ACancelStartsNoFurtherJobAndReturnsOnceTheRunningOnesEnded)
{
    std::atomic<int> running{0}, ended{0};
    util::OrderedWork work(400, [&](int) {
        ++running;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        --running;
        ++ended;
    }, 4);
    ASSERT_TRUE(work.take(10));
    bool cancelledWhileWaiting = false;
    // A cancel from the waiting thread's idle: the wait ends with false.
    EXPECT_FALSE(work.take(399, [&] {
        if (!cancelledWhileWaiting) work.cancel();
        cancelledWhileWaiting = true;
    }));
    EXPECT_TRUE(work.cancelled());
    EXPECT_EQ(running.load(), 0);
    const int started = work.started();
    EXPECT_LT(started, 400);
    EXPECT_EQ(ended.load(), started);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(work.started(), started);
    EXPECT_FALSE(work.take(started));
}

// The taker started a program before (a QProcess, as the thumbnail and video runs do). Under the
// thread checker (make tsan) this shows that the checker still sees the taker's locks after a
// process start; a checker that lost them reports every hand-over below as a data race.
TEST(OrderedWork, ATakerThatStartedAProgramTakesEveryResultInOrder)
{
    int status = -1;
    testsupport::runHost("exit 0", &status);
    ASSERT_EQ(status, 0);
    std::vector<int> results(64, -1);
    util::OrderedWork work(64, [&](int i) {
        napFor(i);
        results[std::size_t(i)] = 3 * i;
    }, 4, 8);
    for (int i = 0; i < 64; ++i) {
        ASSERT_TRUE(work.take(i)) << i;
        EXPECT_EQ(results[std::size_t(i)], 3 * i) << i;
    }
}
