// A copy of quillon.exe beside a defines.db3 of a test's own, for QuillonProcess to start:
// while it lives, the QUILLON_EXE environment variable names the copy.
#pragma once

#include <string>

namespace e2e {

class ProgramWithDefines {
 public:
  // Copies quillon.exe and the given database. Throws std::runtime_error when that fails.
  explicit ProgramWithDefines(const std::string& database);
  ~ProgramWithDefines();
  ProgramWithDefines(const ProgramWithDefines&) = delete;
  ProgramWithDefines& operator=(const ProgramWithDefines&) = delete;

 private:
  void Release();

  std::string originalExe_;
  std::string directory_;
};

// A file that the build put beside the driver executable (relative path with backslashes).
std::string BesideDriver(const std::string& relativePath);

}  // namespace e2e
