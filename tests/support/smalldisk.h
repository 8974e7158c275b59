#pragma once
// A full disk for tests: a small tmpfs mounted on a host folder while a SmallDisk lives (root
// only). A test skips itself when ready() is false, with why() as the message.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

class SmallDisk {
public:
    // Mounts a tmpfs of size (as mount takes it: "64k") on hostFolder, made when missing.
    SmallDisk(const QString& hostFolder, const char* size = "64k") : at_(hostFolder)
    {
        if (::geteuid() != 0) {
            why_ = "mounting the small file system needs root";
            return;
        }
        QDir().mkpath(at_);
        const QByteArray options = QByteArray("size=") + size;
        if (::mount("tmpfs", QFile::encodeName(at_).constData(), "tmpfs", 0, options.constData()) != 0) {
            why_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk()
    {
        if (mounted_) ::umount2(QFile::encodeName(at_).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ready() const { return mounted_; }
    const std::string& why() const { return why_; }

private:
    QString at_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace testsupport
