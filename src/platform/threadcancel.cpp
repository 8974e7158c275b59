#include "threadcancel.h"

#include <cerrno>
#include <dlfcn.h>
#include <pthread.h>

namespace {

using SetCancelType = int (*)(int, int*);

SetCancelType libraryCancelType()
{
    static const auto next = reinterpret_cast<SetCancelType>(dlsym(RTLD_NEXT, "pthread_setcanceltype"));
    return next;
}

} // namespace

// The program exports this (see CMakeLists.txt), so libraries loaded later bind to it instead of
// the C library's own.
extern "C" int pthread_setcanceltype(int type, int* oldtype)
{
    const SetCancelType next = libraryCancelType();
    if (!next) return ENOSYS;
    return next(type == PTHREAD_CANCEL_ASYNCHRONOUS ? PTHREAD_CANCEL_DEFERRED : type, oldtype);
}

namespace platform {

bool deferLibraryThreadCancels()
{
    return dlsym(RTLD_DEFAULT, "pthread_setcanceltype") == reinterpret_cast<void*>(&pthread_setcanceltype);
}

} // namespace platform
