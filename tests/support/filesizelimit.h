#pragma once
// A full disk for tests: while a FileSizeLimit lives, files of this process may grow to limit
// bytes; writes beyond fail as they would on a full disk.
#include <csignal>
#include <sys/resource.h>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit l = old_;
        l.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
};

} // namespace testsupport
