#pragma once
// Libraries loaded at run time (the encoder plug-in). The library is named by its Windows
// path; the loader maps it onto the host and releases it when destroyed.
#include <QString>

namespace platform {

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the library at a Windows path; false (with errorString) when it cannot be loaded.
    bool load(const QString& windowsPath);
    bool isLoaded() const { return handle_ != nullptr; }
    // The address of an exported entry, or nullptr.
    void* resolve(const char* name) const;
    // Releases the library (entries resolved from it become invalid).
    void unload();
    const QString& errorString() const { return error_; }

private:
    void* handle_ = nullptr;
    QString error_;
};

// Keeps every library loaded so far whose host path holds `fragment` in memory until the
// process ends, whoever loaded it and however often it is released (SANE's front end loads its
// backends itself and unloads them at sane_exit).
void keepLoadedLibraries(const char* fragment);

} // namespace platform
