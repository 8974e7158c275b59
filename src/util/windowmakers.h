#pragma once
// The makers of the windows the start-up creates in its fixed order, registered by the module
// that builds each window before the start-up runs; the start-up (src/app) looks them up.
#include <QString>

#include <functional>
#include <memory>

class QWidget;

using WindowMaker = std::function<std::unique_ptr<QWidget>()>;
// Registers (or replaces) the maker of the window of the given name.
void RegisterWindowMaker(const QString& name, WindowMaker maker);
// The maker of the window of the given name, or an empty one.
WindowMaker FindWindowMaker(const QString& name);
