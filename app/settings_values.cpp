#include "app/settings_values.h"

namespace quillon {

std::string ModuleDirectory(std::string_view modulePath) {
  const std::size_t slash = modulePath.rfind('\\');
  if (slash == std::string_view::npos) {
    return {};
  }
  return std::string(modulePath.substr(0, slash + 1));
}

std::string SettingsPathFromModulePath(std::string_view modulePath) {
  return ModuleDirectory(modulePath).append(kSettingsFileName);
}

std::string SettingValueText(std::int32_t value) {
  // Whole decimal text: a hand-edited value such as -2147483648 is written back as read.
  return std::to_string(value);
}

std::optional<std::int32_t> ToggledSetting(std::int32_t value) {
  switch (value) {
    case 0:
      return 1;
    case 1:
      return 0;
    default:
      return std::nullopt;
  }
}

int OnTopIcon(std::int32_t onTop) {
  return onTop == 1 ? kIconPinned : kIconUnpinned;
}

int WindowStateIcon(std::int32_t windowState) {
  return windowState == 0 ? kIconExpand : kIconCollapse;
}

}  // namespace quillon
