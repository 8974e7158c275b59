#pragma once
// A folder made read-only for tests by a read-only bind mount over itself while a ReadOnlyMount
// lives: the host refuses every write there, also to root, who ignores the write bits.
#include "mountguard.h"

namespace testsupport {

class ReadOnlyMount : public MountGuard {
public:
    explicit ReadOnlyMount(const QString& hostFolder) : MountGuard(hostFolder)
    {
        if (!needRoot("a read-only mount")) return;
        const QByteArray path = hostPath();
        mounted_ = check(::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0, "cannot bind the folder");
        if (mounted_)
            check(::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0,
                  "cannot make the folder read-only");
    }
};

} // namespace testsupport
