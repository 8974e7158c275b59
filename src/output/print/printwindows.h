#pragma once
// The print windows the main window opens: the report, registered for the start-up and
// installed for the editor (show::PrintWindows).

// Registers the report's maker for the start-up and installs the print windows.
void RegisterPrintWindows();
// Installs the print windows only (a main window built without the start-up).
void InstallPrintWindows();
