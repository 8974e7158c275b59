#include "windowregistry.h"

#include <QPointer>

#include <algorithm>

namespace {

// A window entered by the start-up (widget) or one that entered itself (self), oldest first.
struct Entry {
    QPointer<QWidget> widget;
    const RegisteredWindowBase* self = nullptr;

    // The window while it is whole, else null: a self-entered window counts from the end of its
    // construction until its own destructor has run.
    QWidget* live() const { return self ? dynamic_cast<QWidget*>(const_cast<RegisteredWindowBase*>(self)) : widget.data(); }
};

std::vector<Entry>& entries()
{
    static std::vector<Entry> list;
    return list;
}

} // namespace

void WindowRegistry::add(QWidget* window)
{
    if (!window) return;
    auto& list = entries();
    std::erase_if(list, [](const Entry& e) { return !e.self && e.widget.isNull(); });
    if (std::none_of(list.begin(), list.end(), [window](const Entry& e) { return e.live() == window; }))
        list.push_back(Entry{window, nullptr});
}

void WindowRegistry::enter(const RegisteredWindowBase* window) { entries().push_back(Entry{nullptr, window}); }

void WindowRegistry::leave(const RegisteredWindowBase* window)
{
    std::erase_if(entries(), [window](const Entry& e) { return e.self == window; });
}

std::vector<QWidget*> WindowRegistry::windows()
{
    std::vector<QWidget*> live;
    for (const Entry& e : entries())
        if (QWidget* w = e.live(); w && std::find(live.begin(), live.end(), w) == live.end()) live.push_back(w);
    return live;
}
