// Linked into every test program of the ThreadSanitizer tree (make tsan), nowhere else.
//
// The checker's runtime of GCC 12 takes every clone() for a fork(): it locks its own state before
// the call and, in the child, runs its after-fork bookkeeping, which for a process that had
// threads marks the child's thread as one that ignores every memory access and every lock from
// then on. QProcess starts its programs with a vfork-style clone (CLONE_VM | CLONE_VFORK): the
// child runs in the memory of the parent, on the thread state of the thread that started the
// process, so that bookkeeping lands in the parent. From the first process started, the checker
// no longer sees that thread take or give up a lock, and every later exchange of data through a
// mutex between it and a worker is reported as a data race.
//
// A child that shares the parent's memory only calls exec (or _exit), so there is nothing for the
// checker to follow in it: such a clone goes to the C library directly. Every other clone takes
// the checker's way.
#include <dlfcn.h>
#include <sched.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sys/types.h>

namespace {

using CloneFunction = int (*)(int (*)(void*), void*, int, void*, ...);

CloneFunction resolve(void* where, const char* what)
{
    void* found = where ? dlsym(where, "clone") : nullptr;
    if (!found) {
        std::fprintf(stderr, "tsan_clone: no clone() in %s\n", what);
        std::abort();
    }
    return reinterpret_cast<CloneFunction>(found);
}

} // namespace

extern "C" int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...) noexcept
{
    va_list more;
    va_start(more, arg);
    pid_t* parentTid = va_arg(more, pid_t*);
    void* tls = va_arg(more, void*);
    pid_t* childTid = va_arg(more, pid_t*);
    va_end(more);
    // The checker's interceptor is the next clone after this program's; the C library's own is
    // reached through the C library alone.
    static const CloneFunction checked = resolve(RTLD_NEXT, "the next library");
    static const CloneFunction direct = resolve(dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD), "libc.so.6");
    return ((flags & CLONE_VM) ? direct : checked)(fn, stack, flags, arg, parentTid, tls, childTid);
}
