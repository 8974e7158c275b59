#pragma once
// Hands the editor's windows to the start-up, which creates them in its fixed order.
void RegisterEditorWindows();
