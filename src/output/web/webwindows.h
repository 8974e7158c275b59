#pragma once
// Hands the gallery window to the start-up, which creates it in its fixed order.
void RegisterWebWindows();
