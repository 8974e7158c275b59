#include "edithost.h"

namespace effectsui {

namespace {
PictureEditHost* g_host = nullptr;
}

PictureEditHost* editHost() { return g_host; }
void setEditHost(PictureEditHost* host) { g_host = host; }

} // namespace effectsui
