#pragma once
// Hands every window of the start-up's fixed order to the start-up: the editor's, the picture
// editing, the print, the audio, the video and the gallery windows.
void RegisterProgramWindows();
