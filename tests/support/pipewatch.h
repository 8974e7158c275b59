#pragma once
// A watchdog for code that must not block on a named pipe: the work runs on the calling thread
// while a second thread waits. Should the work still run after the limit, the watchdog marks it
// late and keeps opening the pipes for writing and closing them again, which releases a reader
// blocked in open() or read() on one; a regression then fails instead of hanging the test.
#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

// Makes a named pipe at a host path; false when it cannot be made.
inline bool makePipe(const QString& hostPath) { return ::mkfifo(QFile::encodeName(hostPath).constData(), 0600) == 0; }

// True when work ended within limit; the pipes are released once it is late.
inline bool endsInTime(const QStringList& pipeHostPaths, std::chrono::milliseconds limit, const std::function<void()>& work)
{
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    bool late = false;
    std::thread watchdog([&] {
        std::unique_lock lock(m);
        if (cv.wait_for(lock, limit, [&] { return done; })) return;
        late = true;
        while (!done) {
            lock.unlock();
            for (const QString& p : pipeHostPaths) {
                const int fd = ::open(QFile::encodeName(p).constData(), O_RDWR | O_NONBLOCK);
                if (fd >= 0) ::close(fd);
            }
            lock.lock();
            cv.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; });
        }
    });
    work();
    {
        std::lock_guard lock(m);
        done = true;
    }
    cv.notify_all();
    watchdog.join();
    return !late;
}

} // namespace testsupport
