#pragma once
// Hands the gallery window to the start-up, which creates it in its fixed order.
#include "util/texttable.h"

#include <functional>

namespace show {
class ShowHost;
}

// host gives the window that holds the show when the gallery window is made (the start-up makes
// it first); the gallery window is made with it. texts: what the window shows; the caller keeps
// it alive as long as the maker stays registered.
void RegisterWebWindows(const std::function<show::ShowHost&()>& host, const util::TextTable& texts);
