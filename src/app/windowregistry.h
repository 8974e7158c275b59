#pragma once
// The windows of the run. The start-up enters every window it creates, and a window class that
// derives from RegisteredWindow enters itself when it is built, also when it is made on demand or
// by a test. A window leaves by itself when it is destroyed. Lookups give the newest live window
// that matches; windows do not look each other up here: each is handed the windows it opens
// where it is made (src/main/programwindows.cpp).
#include <QString>
#include <QWidget>

#include <vector>

class RegisteredWindowBase;

class WindowRegistry {
public:
    // Enters a window; entering it again changes nothing.
    static void add(QWidget* window);

    // The live windows, oldest first.
    static std::vector<QWidget*> windows();

    // The newest live window of type T, or null.
    template <typename T>
    static T* find()
    {
        const std::vector<QWidget*> all = windows();
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (T* window = dynamic_cast<T*>(*it)) return window;
        return nullptr;
    }

    // The newest live window with this object name that is a T, or null.
    template <typename T = QWidget>
    static T* named(const QString& objectName)
    {
        const std::vector<QWidget*> all = windows();
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if ((*it)->objectName() == objectName)
                if (T* window = dynamic_cast<T*>(*it)) return window;
        return nullptr;
    }

private:
    friend class RegisteredWindowBase;
    static void enter(const RegisteredWindowBase* window);
    static void leave(const RegisteredWindowBase* window);
};

// The part of a registered window that enters and leaves the registry. It counts as the window
// only while the whole window is alive: the registry reaches the widget through it.
class RegisteredWindowBase {
protected:
    RegisteredWindowBase() { WindowRegistry::enter(this); }
    virtual ~RegisteredWindowBase() { WindowRegistry::leave(this); }
    RegisteredWindowBase(const RegisteredWindowBase&) = delete;
    RegisteredWindowBase& operator=(const RegisteredWindowBase&) = delete;
};

// Derive a window class T from this (after its Qt base) to have it enter the registry when it
// is built, and to give it instance(): the newest live T.
template <typename T>
class RegisteredWindow : public RegisteredWindowBase {
public:
    static T* instance() { return WindowRegistry::find<T>(); }
};
