#pragma once
// Hands the picture-editing windows (the colour-balance and sharpen dialog, the program's own
// effects dialog and the full-size viewer) to the start-up, which creates them in its fixed order.
void RegisterEffectsWindows();
