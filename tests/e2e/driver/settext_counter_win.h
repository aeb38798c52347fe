// Counting the WM_SETTEXT messages that each control of a running quillon.exe receives, through
// the window hook of settext_probe_dll.cpp set into the program's thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

class SetTextCounter {
 public:
  // Sets the hook into the thread of the program whose main window is main and whose copy lives
  // in directory. Throws std::runtime_error when the hook cannot be set.
  SetTextCounter(HWND main, DWORD threadId, std::string directory);
  ~SetTextCounter();
  SetTextCounter(const SetTextCounter&) = delete;
  SetTextCounter& operator=(const SetTextCounter&) = delete;

  // Per child of the main window in creation order, the WM_SETTEXT messages received since the
  // last call (or since the hook was set); every count then starts again. Nothing when the
  // program did not answer.
  std::optional<std::vector<int>> Take();

 private:
  void Release();

  HWND main_;
  std::string directory_;
  HMODULE probe_ = nullptr;
  HHOOK hook_ = nullptr;
};

}  // namespace e2e
