#include "driver/quillon_process_win.h"

#include <array>
#include <atomic>
#include <stdexcept>

#include "driver/windows_win.h"

namespace e2e {

namespace {

constexpr DWORD kStartTimeoutMs = 60000;

std::string Environment(const char* name) {
  std::array<char, MAX_PATH * 2> value{};
  const DWORD length =
      GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
  return length > 0 && length < value.size() ? std::string(value.data(), length) : std::string();
}

std::string NewTempDirectory() {
  static std::atomic<unsigned> counter{0};
  std::array<char, MAX_PATH> temp{};
  GetTempPathA(static_cast<DWORD>(temp.size()), temp.data());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = std::string(temp.data()) + "quillon-e2e-" +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(counter++);
    if (CreateDirectoryA(path.c_str(), nullptr)) {
      return path;
    }
  }
  throw std::runtime_error("cannot create a temporary directory under " + std::string(temp.data()));
}

void WriteFileText(const std::string& path, const std::string& text) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot create " + path);
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != text.size()) {
    throw std::runtime_error("cannot write " + path);
  }
}

void PlaceDatabase(const DatabaseFile& database, const std::string& exeDirectory,
                   const std::string& directory) {
  const std::string target = directory + "\\defines.db3";
  switch (database.kind) {
    case DatabaseFile::Kind::Copy: {
      const std::string source = exeDirectory + "\\defines.db3";
      if (GetFileAttributesA(source.c_str()) != INVALID_FILE_ATTRIBUTES &&
          !CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + source + " to " + target);
      }
      break;
    }
    case DatabaseFile::Kind::None:
      break;
    case DatabaseFile::Kind::Bytes:
      WriteFileText(target, database.bytes);
      break;
  }
}

void RemoveDirectoryTree(const std::string& directory) {
  WIN32_FIND_DATAA entry{};
  const HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") {
        continue;
      }
      const std::string path = directory + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

QuillonProcess::QuillonProcess(const StartOptions& options) {
  const std::string exe = Environment("QUILLON_EXE");
  if (exe.empty()) {
    throw std::runtime_error("QUILLON_EXE does not name quillon.exe");
  }
  directory_ = NewTempDirectory();
  try {
    const std::string copy = directory_ + "\\quillon.exe";
    if (!CopyFileA(exe.c_str(), copy.c_str(), FALSE)) {
      throw std::runtime_error("cannot copy " + exe + " to " + copy);
    }
    // The program opens defines.db3 from its current directory, else the one beside it.
    PlaceDatabase(options.database, DirectoryOf(exe), directory_);
    workingDirectory_ = directory_;
    if (options.workingDirectory) {
      workingDirectory_ = directory_ + "\\" + *options.workingDirectory;
      if (!CreateDirectoryA(workingDirectory_.c_str(), nullptr)) {
        throw std::runtime_error("cannot create " + workingDirectory_);
      }
      PlaceDatabase(options.workingDatabase, DirectoryOf(exe), workingDirectory_);
    }
    if (options.settingsIni) {
      WriteFileText(SettingsPath(), *options.settingsIni);
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + copy + "\"";
    if (!CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory_.c_str(), &startup, &process_)) {
      throw std::runtime_error("cannot start " + copy + " (error " +
                               std::to_string(GetLastError()) + ")");
    }
    WaitForInputIdle(process_.hProcess, kStartTimeoutMs);
    WaitUntil(
        [&] {
          return (mainWindow_ = FindProcessWindow(ProcessId(), "KODA_MAIN")) != nullptr ||
                 !IsRunning();
        },
        kStartTimeoutMs);
    if (mainWindow_ == nullptr) {
      throw std::runtime_error(IsRunning() ? "quillon.exe showed no KODA_MAIN window in time"
                                           : "quillon.exe ended before showing its window");
    }
    // The main window exists from CreateWindowExA on; idle means the settings are applied too.
    WaitForInputIdle(process_.hProcess, kStartTimeoutMs);
  } catch (...) {
    Release();
    throw;
  }
}

QuillonProcess::~QuillonProcess() {
  Release();
}

void QuillonProcess::Release() {
  if (process_.hProcess != nullptr) {
    if (IsRunning()) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, kStartTimeoutMs);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
  }
  if (!directory_.empty()) {
    RemoveDirectoryTree(directory_);
    directory_.clear();
  }
}

bool QuillonProcess::IsRunning() const {
  return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> QuillonProcess::WaitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

std::optional<DWORD> QuillonProcess::Close(DWORD timeoutMs) {
  PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
  return WaitForExit(timeoutMs);
}

}  // namespace e2e
