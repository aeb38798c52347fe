// A window hook the driver puts into quillon.exe's thread to see its controls as they are when
// the main window is being destroyed (what a user would find if destruction were slow). On the
// KODA_MAIN window's WM_DESTROY it writes, beside the program, "close-probe.txt": one line per
// child window in creation order, "<enabled 0/1> <text>".
#include <windows.h>

#include <fstream>
#include <string>

namespace {

BOOL CALLBACK WriteChild(HWND child, LPARAM context) {
  auto& out = *reinterpret_cast<std::ofstream*>(context);
  char text[512] = {};
  GetWindowTextA(child, text, sizeof text);
  out << (IsWindowEnabled(child) ? 1 : 0) << ' ' << text << '\n';
  return TRUE;
}

void WriteProbe(HWND main) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, length);
  file = file.substr(0, file.find_last_of('\\') + 1) + "close-probe.txt";
  std::ofstream out(file);
  EnumChildWindows(main, WriteChild, reinterpret_cast<LPARAM>(&out));
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ClosingProbe(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_DESTROY) {
    char name[32] = {};
    GetClassNameA(message->hwnd, name, sizeof name);
    if (lstrcmpA(name, "KODA_MAIN") == 0) {
      WriteProbe(message->hwnd);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
