#pragma once
// A full disk for tests: a small tmpfs mounted on a host folder while a SmallDisk lives (root
// only). A test skips itself when ready() is false, with why() as the message.
#include "mountguard.h"

#include <QDir>

namespace testsupport {

class SmallDisk : public MountGuard {
public:
    // Mounts a tmpfs of size (as mount takes it: "64k") on hostFolder, made when missing.
    SmallDisk(const QString& hostFolder, const char* size = "64k") : MountGuard(hostFolder)
    {
        if (!needRoot("mounting the small file system")) return;
        QDir().mkpath(at_);
        const QByteArray options = QByteArray("size=") + size;
        mounted_ = check(::mount("tmpfs", hostPath().constData(), "tmpfs", 0, options.constData()) == 0,
                         "cannot mount a tmpfs here");
    }
};

} // namespace testsupport
