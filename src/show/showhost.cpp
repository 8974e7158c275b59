#include "showhost.h"

namespace show {

namespace {
ShowHost* g_host = nullptr;
}

ShowHost* showHost() { return g_host; }
void setShowHost(ShowHost* host) { g_host = host; }

} // namespace show
