// The settings file's path and values, and the rules of the two window-mode toggles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "res/resource_ids.h"

namespace quillon {

inline constexpr std::string_view kSettingsFileName = "settings.ini";
inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kOnTopKey[] = "OnTop";
inline constexpr char kWindowStateKey[] = "WindowState";
// Values when the file or the key is missing: not topmost, expanded.
inline constexpr std::int32_t kOnTopDefault = 0;
inline constexpr std::int32_t kWindowStateDefault = 1;

// Icon resources of the two toggle buttons.
inline constexpr int kIconExpand = IDI_EXPAND;
inline constexpr int kIconCollapse = IDI_COLLAPSE;
inline constexpr int kIconPinned = IDI_PINNED;
inline constexpr int kIconUnpinned = IDI_UNPINNED;

// The executable's directory up to and including its last backslash; "" when the path has
// no backslash (or is empty).
std::string ModuleDirectory(std::string_view modulePath);

// The executable's directory (up to and including its last backslash) followed by
// "settings.ini"; a path without a backslash, or none at all, gives "settings.ini" alone.
std::string SettingsPathFromModulePath(std::string_view modulePath);

// The text written for a setting: the whole decimal value, whatever it is.
std::string SettingValueText(std::int32_t value);

// A toggle click turns 0 into 1 and 1 into 0; any other value (only a hand-edited file gives
// one) stays as it is and the click does nothing.
std::optional<std::int32_t> ToggledSetting(std::int32_t value);

// The icon each toggle shows for a value: only 1 counts as on top, only 0 as compact.
int OnTopIcon(std::int32_t onTop);
int WindowStateIcon(std::int32_t windowState);

}  // namespace quillon
