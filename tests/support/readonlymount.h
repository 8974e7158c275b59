#pragma once
// A folder made read-only for tests by a read-only bind mount over itself while a ReadOnlyMount
// lives: the host refuses every write there, also to root, who ignores the write bits.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

class ReadOnlyMount {
public:
    explicit ReadOnlyMount(const QString& hostFolder) : at_(hostFolder)
    {
        if (::geteuid() != 0) {
            why_ = "a read-only mount needs root";
            return;
        }
        const QByteArray path = QFile::encodeName(at_);
        if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0) {
            why_ = std::string("cannot bind the folder: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
        if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            why_ = std::string("cannot make the folder read-only: ") + std::strerror(errno);
    }
    ~ReadOnlyMount()
    {
        if (mounted_) ::umount2(QFile::encodeName(at_).constData(), MNT_DETACH);
    }
    ReadOnlyMount(const ReadOnlyMount&) = delete;
    ReadOnlyMount& operator=(const ReadOnlyMount&) = delete;

    bool ready() const { return mounted_ && why_.empty(); }
    const std::string& why() const { return why_; }

private:
    QString at_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace testsupport
