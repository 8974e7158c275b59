#pragma once
// Hands the editor's windows to the start-up, which creates them in its fixed order.
#include "show/outputwindows.h"
#include "util/texttable.h"

// outputs: what the main window is made with; texts: what every window shows. The caller keeps
// them alive as long as the makers stay registered.
void RegisterEditorWindows(show::OutputWindows outputs, const util::TextTable& texts);
