#include "driver/settings_file_win.h"

#include <windows.h>

#include <array>

namespace e2e {

namespace {

// A default no program would write, to tell a missing key from a stored one.
constexpr char kMissing[] = "<missing>";

}  // namespace

std::optional<std::string> ReadProfileText(const std::string& path, const char* section,
                                           const char* key) {
  std::array<char, 256> value{};
  GetPrivateProfileStringA(section, key, kMissing, value.data(), static_cast<DWORD>(value.size()),
                           path.c_str());
  if (std::string(value.data()) == kMissing) {
    return std::nullopt;
  }
  return std::string(value.data());
}

std::optional<int> ReadSettingInt(const std::string& path, const char* key) {
  if (!ReadProfileText(path, "Settings", key)) {
    return std::nullopt;
  }
  return static_cast<int>(GetPrivateProfileIntA("Settings", key, 0, path.c_str()));
}

}  // namespace e2e
