// One running copy of quillon.exe for one test: its own temporary directory (so its own
// settings.ini), started fresh, closed or ended at the end, directory removed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace e2e {

// A defines.db3 to place: the one beside QUILLON_EXE, none at all, or exactly these bytes.
struct DatabaseFile {
  enum class Kind { Copy, None, Bytes };
  Kind kind = Kind::Copy;
  std::string bytes;

  static DatabaseFile Copy() { return {}; }
  static DatabaseFile None() { return {Kind::None, {}}; }
  static DatabaseFile Bytes(std::string bytes) { return {Kind::Bytes, std::move(bytes)}; }
};

struct StartOptions {
  // Written as settings.ini beside the copy before it starts; none: no file at all.
  std::optional<std::string> settingsIni = std::nullopt;
  // The defines.db3 beside the copy.
  DatabaseFile database = DatabaseFile::Copy();
  // When set: the copy starts in this subdirectory of its own directory, made for it and
  // holding workingDatabase; otherwise it starts in its own directory.
  std::optional<std::string> workingDirectory = std::nullopt;
  DatabaseFile workingDatabase = DatabaseFile::None();
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
  // The directory the copy was started in: its own, or StartOptions::workingDirectory in it.
  const std::string& WorkingDirectory() const { return workingDirectory_; }

  bool IsRunning() const;
  // Waits for the process to end; its exit code, or nothing when it still runs.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs);
  // Posts WM_CLOSE to the main window (as its close button does) and waits for the exit.
  std::optional<DWORD> Close(DWORD timeoutMs);

 private:
  // Ends a still-running process and removes the directory.
  void Release();

  std::string directory_;
  std::string workingDirectory_;
  PROCESS_INFORMATION process_{};
  HWND mainWindow_ = nullptr;
};

// The directory part of a path, without its last backslash.
std::string DirectoryOf(const std::string& path);

}  // namespace e2e
