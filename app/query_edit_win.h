#pragma once

#include <windows.h>

namespace quillon {

LRESULT CALLBACK QueryEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
// The main window's EN_CHANGE rule: a change that follows an accepted paste searches.
void OnQueryEditChanged();

}  // namespace quillon
