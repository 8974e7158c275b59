#pragma once
// The audio information window the main window opens and whose analysis its music list uses:
// registered for the start-up and installed for the editor (show::AudioWindows).

// Registers the window's maker for the start-up and installs the audio windows.
void RegisterAudioWindows();
// Installs the audio windows only (a main window built without the start-up).
void InstallAudioWindows();
