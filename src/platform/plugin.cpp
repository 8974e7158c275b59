#include "plugin.h"

#include "drives.h"

#include <dlfcn.h>

namespace platform {

PluginLibrary::~PluginLibrary() { unload(); }

bool PluginLibrary::load(const QString& windowsPath)
{
    unload();
    const QString host = toHostPath(windowsPath);
    if (host.isEmpty()) {
        error_ = QStringLiteral("drive not mapped");
        return false;
    }
    // RTLD_LOCAL: the plug-in's own libraries stay out of the program's symbol space.
    handle_ = dlopen(host.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* e = dlerror();
        error_ = e ? QString::fromLocal8Bit(e) : QStringLiteral("cannot load");
        return false;
    }
    error_.clear();
    return true;
}

void* PluginLibrary::resolve(const char* name) const
{
    return handle_ ? dlsym(handle_, name) : nullptr;
}

void PluginLibrary::unload()
{
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

} // namespace platform
