#pragma once
// The processor time this test process has used so far (user and system), in seconds: a wait
// that burns a core shows here.
#include <sys/resource.h>

namespace testsupport {

inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace testsupport
