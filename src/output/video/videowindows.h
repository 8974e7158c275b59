#pragma once
// Hands the video windows (the video wizard, the video window and the soundtrack window) to the
// start-up.
#include <functional>

namespace show {
class ShowHost;
}

// host gives the window that holds the show when a window is made (the start-up makes it first);
// the video wizard and the video window are made with it.
void RegisterVideoWindows(const std::function<show::ShowHost&()>& host);
