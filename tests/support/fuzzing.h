#pragma once
// What the fuzz targets share: the Qt application object and a scratch drive C: for the readers
// that take a file name. Each target calls start() from LLVMFuzzerInitialize.
#include "platform/drives.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdint>

namespace fuzzing {

// gui: a GUI application on the offscreen platform (fonts and painting), else a core one.
inline void start(bool gui)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the process ends inside the fuzzer.
    if (gui) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    } else {
        new QCoreApplication(argc, argv);
    }
    static auto* scratch = new QTemporaryDir;
    platform::DriveTable::instance().setDrives({{QChar('C'), scratch->path()}});
}

// Writes the input as C:\<file> and gives that Windows path.
inline QString input(const QString& file, const std::uint8_t* data, std::size_t size)
{
    QFile out(platform::DriveTable::instance().hostRoot(QChar('C')) + u'/' + file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write the fuzz input");
    out.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return QStringLiteral("C:\\") + file;
}

} // namespace fuzzing
