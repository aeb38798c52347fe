// A real left click, through the system's input queue: the system decides which window gets
// it, so a disabled control gets none.
#pragma once

#include <windows.h>

namespace e2e {

// Moves the pointer to the middle of window and clicks there; true when the input was taken.
bool MouseClick(HWND window);

}  // namespace e2e
