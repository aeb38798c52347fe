#include "driver/mouse_win.h"

#include <array>

namespace e2e {

bool MouseClick(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect) ||
      !SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2)) {
    return false;
  }
  std::array<INPUT, 2> input{};
  input[0].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].type = INPUT_MOUSE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) == input.size();
}

}  // namespace e2e
