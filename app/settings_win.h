#pragma once

#include <windows.h>

namespace quillon {

void ApplySettings();
void ToggleOnTop();
void ToggleWindowState();
// Moves window back inside the work area of the main window's monitor.
void KeepOnMonitor(HWND window);
void SaveSettings();

}  // namespace quillon
