#pragma once
// Hands the video windows (the video wizard, the video window and the soundtrack window) to the
// start-up.
void RegisterVideoWindows();
