#pragma once

#include <windows.h>

namespace quillon {

inline constexpr char kMainClassName[] = "KODA_MAIN";
inline constexpr char kAboutClassName[] = "KODA_ABOUT";
inline constexpr char kErrTypeClassName[] = "KODA_ERRTYPE";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Gives one child NormalFont; for EnumChildWindows.
BOOL CALLBACK SetChildFont(HWND child, LPARAM);

}  // namespace quillon
