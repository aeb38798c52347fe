// The settings file's path and values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kSettingsFileName = "settings.ini";

// The executable's directory (up to and including its last backslash) followed by
// "settings.ini"; a path without a backslash, or none at all, gives "settings.ini" alone.
std::string SettingsPathFromModulePath(std::string_view modulePath);

// The text written for a setting: the whole decimal value, whatever it is.
std::string SettingValueText(std::int32_t value);

}  // namespace quillon
