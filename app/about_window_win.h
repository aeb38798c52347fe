#pragma once

#include <windows.h>

namespace quillon {

// Creates the About window owned by the main window.
void OpenAboutWindow();
LRESULT CALLBACK AboutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quillon
