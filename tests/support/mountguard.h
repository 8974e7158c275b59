#pragma once
// A mount made for a test on a host folder, taken away again (lazily) when the guard goes. Tests
// that need one skip themselves when ready() is false, with why() as the message.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

class MountGuard {
public:
    ~MountGuard()
    {
        if (mounted_) ::umount2(QFile::encodeName(at_).constData(), MNT_DETACH);
    }
    MountGuard(const MountGuard&) = delete;
    MountGuard& operator=(const MountGuard&) = delete;

    bool ready() const { return mounted_ && why_.empty(); }
    const std::string& why() const { return why_; }

protected:
    explicit MountGuard(const QString& hostFolder) : at_(hostFolder) {}
    // Only root may mount; false (with the reason kept) for anyone else.
    bool needRoot(const char* what)
    {
        if (::geteuid() == 0) return true;
        // Built by appending: GCC 12 at -O2 warns falsely on a chain of string + when inlined.
        why_.assign(what).append(" needs root");
        return false;
    }
    // Keeps the reason with the last error of the system when ok is false; returns ok.
    bool check(bool ok, const char* what)
    {
        if (!ok) why_.assign(what).append(": ").append(std::strerror(errno));
        return ok;
    }
    QByteArray hostPath() const { return QFile::encodeName(at_); }

    QString at_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace testsupport
