#pragma once
// Hands the picture-editing windows (the colour-balance and sharpen dialog and the program's own
// effects dialog) to the start-up, which creates them in its fixed order.
void RegisterEffectsWindows();
