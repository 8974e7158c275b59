#include "outputwindows.h"

namespace show {

namespace {
PrintWindows* g_print = nullptr;
AudioWindows* g_audio = nullptr;
} // namespace

PrintWindows* printWindows() { return g_print; }
AudioWindows* audioWindows() { return g_audio; }
void setPrintWindows(PrintWindows* windows) { g_print = windows; }
void setAudioWindows(AudioWindows* windows) { g_audio = windows; }

} // namespace show
