// Placeholder until the About window lands.
#include "about/about_window_win.h"

namespace quillon {

void OpenAboutWindow() {}
LRESULT CALLBACK AboutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace quillon
