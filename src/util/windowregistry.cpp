#include "util/windowregistry.h"

#include <algorithm>

namespace {

std::vector<QPointer<QWidget>>& entries()
{
    static std::vector<QPointer<QWidget>> list;
    return list;
}

} // namespace

void WindowRegistry::add(QWidget* window)
{
    if (!window) return;
    auto& list = entries();
    std::erase_if(list, [](const QPointer<QWidget>& w) { return w.isNull(); });
    if (std::find(list.begin(), list.end(), window) == list.end()) list.emplace_back(window);
}

std::vector<QWidget*> WindowRegistry::windows()
{
    std::vector<QWidget*> live;
    for (const QPointer<QWidget>& w : entries())
        if (w) live.push_back(w.data());
    return live;
}
