// One running copy of quillon.exe for one test: its own temporary directory (so its own
// settings.ini), started fresh, closed or ended at the end, directory removed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

struct StartOptions {
  // Written as settings.ini beside the copy before it starts; none: no file at all.
  std::optional<std::string> settingsIni;
};

class QuillonProcess {
 public:
  // Copies quillon.exe (the QUILLON_EXE environment variable names it) and the defines.db3
  // beside it into a new directory, starts it there and waits until its KODA_MAIN window
  // exists and its thread is idle. Throws std::runtime_error when any of that fails.
  explicit QuillonProcess(const StartOptions& options = {});
  ~QuillonProcess();
  QuillonProcess(const QuillonProcess&) = delete;
  QuillonProcess& operator=(const QuillonProcess&) = delete;

  HWND MainWindow() const { return mainWindow_; }
  // A control of the main window by identifier.
  HWND Control(int id) const { return GetDlgItem(mainWindow_, id); }
  DWORD ProcessId() const { return process_.dwProcessId; }
  DWORD ThreadId() const { return process_.dwThreadId; }
  const std::string& Directory() const { return directory_; }
  std::string ExePath() const { return directory_ + "\\quillon.exe"; }
  std::string SettingsPath() const { return directory_ + "\\settings.ini"; }

  bool IsRunning() const;
  // Waits for the process to end; its exit code, or nothing when it still runs.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs);
  // Posts WM_CLOSE to the main window (as its close button does) and waits for the exit.
  std::optional<DWORD> Close(DWORD timeoutMs);

 private:
  // Ends a still-running process and removes the directory.
  void Release();

  std::string directory_;
  PROCESS_INFORMATION process_{};
  HWND mainWindow_ = nullptr;
};

// The directory part of a path, without its last backslash.
std::string DirectoryOf(const std::string& path);

}  // namespace e2e
