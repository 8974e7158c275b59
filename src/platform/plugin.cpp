#include "plugin.h"

#include "drives.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>
#include <vector>

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

void keepLoadedLibraries(const char* fragment)
{
    std::vector<std::string> paths;
    struct Search {
        const char* fragment;
        std::vector<std::string>* paths;
    } search{fragment, &paths};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (info->dlpi_name && std::strstr(info->dlpi_name, s->fragment)) s->paths->emplace_back(info->dlpi_name);
            return 0;
        },
        &search);
    // RTLD_NOLOAD takes no new library in; it marks the loaded one as never to be unloaded. The
    // extra reference it counts is never given back, on purpose.
    for (const std::string& path : paths) dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

} // namespace platform
