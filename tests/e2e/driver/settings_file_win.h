// Reading a settings.ini the way the program's own profile calls would.
#pragma once

#include <optional>
#include <string>

namespace e2e {

// The key's integer in section "Settings"; nothing when the file or key is missing.
std::optional<int> ReadSettingInt(const std::string& path, const char* key);
// The key's text as stored; nothing when the file or key is missing.
std::optional<std::string> ReadProfileText(const std::string& path, const char* section,
                                           const char* key);

}  // namespace e2e
