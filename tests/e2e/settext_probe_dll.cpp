// A window hook the driver puts into quillon.exe's thread to count the WM_SETTEXT messages each
// control receives (writes that leave no trace in the final texts). When the KODA_MAIN window
// receives the registered message "QuillonE2eSetTextCounts", it writes, beside the program,
// "settext-probe.txt": one line per child window in creation order, the number of WM_SETTEXT
// messages it received since the last such message; then every count starts again from 0.
#include <windows.h>

#include <fstream>
#include <map>
#include <string>

namespace {

// Lives in quillon.exe's process while the hook is set; only its one thread touches it.
std::map<HWND, int>& Counts() {
  static std::map<HWND, int> counts;
  return counts;
}

struct Report {
  std::ofstream out;
};

BOOL CALLBACK WriteChild(HWND child, LPARAM context) {
  auto& out = reinterpret_cast<Report*>(context)->out;
  const auto it = Counts().find(child);
  out << (it == Counts().end() ? 0 : it->second) << '\n';
  return TRUE;
}

void WriteCounts(HWND main) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, length);
  file = file.substr(0, file.find_last_of('\\') + 1) + "settext-probe.txt";
  Report report{std::ofstream(file)};
  EnumChildWindows(main, WriteChild, reinterpret_cast<LPARAM>(&report));
  Counts().clear();
}

bool IsMainWindow(HWND window) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  return lstrcmpA(name, "KODA_MAIN") == 0;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    SetTextProbe(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT report = RegisterWindowMessageA("QuillonE2eSetTextCounts");
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_SETTEXT) {
    ++Counts()[message->hwnd];
  } else if (code == HC_ACTION && report != 0 && message->message == report &&
             IsMainWindow(message->hwnd)) {
    WriteCounts(message->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
