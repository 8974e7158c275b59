// Work on many items on worker threads: results come back in order on the calling thread, and a
// stop leaves the items not yet begun undone.
#include "util/orderedwork.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <set>

using util::forEachInOrder;

TEST(Workers, ResultsComeBackInOrderOnTheCallingThread)
{
    struct Case {
        const char* name;
        int count;
    };
    for (const Case c : {Case{"none", 0}, Case{"one", 1}, Case{"more than the threads", 3 * QThread::idealThreadCount() + 5}}) {
        SCOPED_TRACE(c.name);
        std::mutex mutex;
        std::set<Qt::HANDLE> workers;
        QList<int> taken;
        bool allOnCaller = true;
        const Qt::HANDLE caller = QThread::currentThreadId();
        const bool complete = forEachInOrder<int>(
            c.count,
            [&](int i) {
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    workers.insert(QThread::currentThreadId());
                }
                // The early items take longest, so the later ones are done first.
                QThread::msleep(static_cast<unsigned long>(std::max(0, 20 - i)));
                return i * i;
            },
            [&](int i, int& result) {
                allOnCaller = allOnCaller && QThread::currentThreadId() == caller;
                EXPECT_EQ(result, i * i);
                taken << i;
                return true;
            });
        EXPECT_TRUE(complete);
        QList<int> expected;
        for (int i = 0; i < c.count; ++i) expected << i;
        EXPECT_EQ(taken, expected);
        EXPECT_TRUE(allOnCaller);
        EXPECT_EQ(workers.count(caller), 0u);
        if (c.count > 1 && QThread::idealThreadCount() > 1) { EXPECT_GT(workers.size(), 1u); }
    }
}

TEST(Workers, AStopLeavesTheRestUndone)
{
    const int count = 200;
    std::atomic<int> ran{0};
    QList<int> taken;
    const bool complete = forEachInOrder<QString>(
        count,
        [&](int i) {
            ++ran;
            QThread::msleep(2);
            return QString::number(i);
        },
        [&](int i, QString& result) {
            taken << i;
            EXPECT_EQ(result, QString::number(i));
            return i < 4; // item 4 fails: the run stops there
        });
    EXPECT_FALSE(complete);
    EXPECT_EQ(taken, QList<int>({0, 1, 2, 3, 4}));
    // Only the items begun before the stop ran: a few per thread beyond the one taken last.
    EXPECT_LE(ran.load(), 5 + 3 * QThread::idealThreadCount());
}
