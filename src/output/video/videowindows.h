#pragma once
// Hands the video windows (the video wizard, the video window and the soundtrack window) to the
// start-up.
#include "util/texttable.h"

#include <functional>

namespace show {
class ShowHost;
}

// host gives the window that holds the show when a window is made (the start-up makes it first);
// the video wizard and the video window are made with it. texts: what the windows show; the
// caller keeps it alive as long as the makers stay registered.
void RegisterVideoWindows(const std::function<show::ShowHost&()>& host, const util::TextTable& texts);
