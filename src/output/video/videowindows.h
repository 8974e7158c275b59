#pragma once
// Hands the video windows (the video wizard and the video window) to the start-up.
void RegisterVideoWindows();
