#pragma once
// Hands the picture-editing windows (the colour-balance and sharpen dialog, the program's own
// effects dialog and the full-size viewer) to the start-up, which creates them in its fixed order.
#include "util/texttable.h"

// texts: what the windows show; the caller keeps it alive as long as the makers stay registered.
void RegisterEffectsWindows(const util::TextTable& texts);
