#pragma once
// Hands every window of the start-up's fixed order to the start-up: the editor's, the picture
// editing, the print, the audio, the video and the gallery windows.
#include "util/texttable.h"

// texts: the run's one text table, which every window is made with.
void RegisterProgramWindows(const util::TextTable& texts);
