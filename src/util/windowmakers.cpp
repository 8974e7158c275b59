#include "windowmakers.h"

#include <map>

namespace {

std::map<QString, WindowMaker>& windowMakers()
{
    static std::map<QString, WindowMaker> makers;
    return makers;
}

} // namespace

void RegisterWindowMaker(const QString& name, WindowMaker maker) { windowMakers()[name] = std::move(maker); }

WindowMaker FindWindowMaker(const QString& name)
{
    const auto maker = windowMakers().find(name);
    return maker != windowMakers().end() ? maker->second : WindowMaker();
}
