#include "driver/program_copy_win.h"

#include <windows.h>

#include <array>
#include <stdexcept>

#include "driver/quillon_process_win.h"

namespace e2e {

namespace {

std::string Environment(const char* name) {
  std::array<char, MAX_PATH * 2> value{};
  const DWORD length =
      GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
  return length > 0 && length < value.size() ? std::string(value.data(), length) : std::string();
}

}  // namespace

std::string BesideDriver(const std::string& relativePath) {
  std::array<char, MAX_PATH> path{};
  const DWORD length = GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
  return DirectoryOf(std::string(path.data(), length)) + "\\" + relativePath;
}

ProgramWithDefines::ProgramWithDefines(const std::string& database)
    : originalExe_(Environment("QUILLON_EXE")) {
  if (originalExe_.empty()) {
    throw std::runtime_error("QUILLON_EXE does not name quillon.exe");
  }
  if (GetFileAttributesA(database.c_str()) == INVALID_FILE_ATTRIBUTES) {
    throw std::runtime_error(database + " is missing: build the driver with QUILLON_DEFINES_DB");
  }
  std::array<char, MAX_PATH> temp{};
  GetTempPathA(static_cast<DWORD>(temp.size()), temp.data());
  directory_ = std::string(temp.data()) + "quillon-e2e-db-" + std::to_string(GetCurrentProcessId());
  if (!CreateDirectoryA(directory_.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw std::runtime_error("cannot create " + directory_);
  }
  const std::string exe = directory_ + "\\quillon.exe";
  if (!CopyFileA(originalExe_.c_str(), exe.c_str(), FALSE) ||
      !CopyFileA(database.c_str(), (directory_ + "\\defines.db3").c_str(), FALSE)) {
    Release();
    throw std::runtime_error("cannot copy quillon.exe and " + database + " to " + directory_);
  }
  SetEnvironmentVariableA("QUILLON_EXE", exe.c_str());
}

ProgramWithDefines::~ProgramWithDefines() {
  Release();
}

void ProgramWithDefines::Release() {
  SetEnvironmentVariableA("QUILLON_EXE", originalExe_.c_str());
  DeleteFileA((directory_ + "\\quillon.exe").c_str());
  DeleteFileA((directory_ + "\\defines.db3").c_str());
  RemoveDirectoryA(directory_.c_str());
}

}  // namespace e2e
