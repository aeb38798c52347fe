#include "driver/settext_counter_win.h"

#include <fstream>
#include <stdexcept>
#include <utility>

#include "driver/program_copy_win.h"
#include "driver/windows_win.h"

namespace e2e {

SetTextCounter::SetTextCounter(HWND main, DWORD threadId, std::string directory)
    : main_(main), directory_(std::move(directory)) {
  probe_ = LoadLibraryA(BesideDriver("e2e_settext_probe.dll").c_str());
  const auto hookProc = probe_ == nullptr ? nullptr
                                          : reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                                GetProcAddress(probe_, "SetTextProbe")));
  hook_ =
      hookProc == nullptr ? nullptr : SetWindowsHookExA(WH_CALLWNDPROC, hookProc, probe_, threadId);
  // The first report loads the hook into the program and starts its counts from 0.
  if (hook_ == nullptr || !Take()) {
    Release();
    throw std::runtime_error("cannot count WM_SETTEXT with e2e_settext_probe.dll");
  }
}

SetTextCounter::~SetTextCounter() {
  Release();
}

void SetTextCounter::Release() {
  if (hook_ != nullptr) {
    UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
  }
  if (probe_ != nullptr) {
    FreeLibrary(probe_);
    probe_ = nullptr;
  }
}

std::optional<std::vector<int>> SetTextCounter::Take() {
  const std::string path = directory_ + "\\settext-probe.txt";
  DeleteFileA(path.c_str());
  static const UINT report = RegisterWindowMessageA("QuillonE2eSetTextCounts");
  if (!Send(main_, report, 0, 0)) {
    return std::nullopt;
  }
  std::ifstream in(path);
  if (!in) {
    return std::nullopt;
  }
  std::vector<int> counts;
  for (int count = 0; in >> count;) {
    counts.push_back(count);
  }
  return counts;
}

}  // namespace e2e
