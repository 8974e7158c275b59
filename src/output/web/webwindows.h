#pragma once
// Hands the gallery window to the start-up, which creates it in its fixed order.
#include <functional>

namespace show {
class ShowHost;
}

// host gives the window that holds the show when the gallery window is made (the start-up makes
// it first); the gallery window is made with it.
void RegisterWebWindows(const std::function<show::ShowHost&()>& host);
