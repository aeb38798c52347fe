#include "app/settings_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace quillon {
namespace {

TEST(SettingsPathFromModulePath, PutsSettingsBesideTheExecutable) {
  struct Case {
    const char* modulePath;
    const char* expected;
  };
  const Case cases[] = {
      {R"(C:\Program Files\Quillon\quillon.exe)", R"(C:\Program Files\Quillon\settings.ini)"},
      {R"(C:\quillon.exe)", R"(C:\settings.ini)"},
      {R"(\\server\share\tools\quillon.exe)", R"(\\server\share\tools\settings.ini)"},
      {R"(C:\tools\)", R"(C:\tools\settings.ini)"},
      {"quillon.exe", "settings.ini"},
      {"", "settings.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.modulePath);
    EXPECT_EQ(c.expected, SettingsPathFromModulePath(c.modulePath));
  }
}

TEST(ModuleDirectory, KeepsTheLastBackslash) {
  EXPECT_EQ(R"(C:\a\b\)", ModuleDirectory(R"(C:\a\b\quillon.exe)"));
  EXPECT_EQ("", ModuleDirectory("quillon.exe"));
  EXPECT_EQ("", ModuleDirectory(""));
}

TEST(SettingValueText, WritesTheWholeDecimalValue) {
  struct Case {
    std::int32_t value;
    const char* expected;
  };
  const Case cases[] = {
      {0, "0"},
      {1, "1"},
      {-99, "-99"},
      {999, "999"},
      {99999, "99999"},
      {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
      {std::numeric_limits<std::int32_t>::max(), "2147483647"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.expected, SettingValueText(c.value));
  }
}

TEST(ToggledSetting, SwapsZeroAndOneAndLeavesOtherValues) {
  EXPECT_EQ(std::optional<std::int32_t>(1), ToggledSetting(0));
  EXPECT_EQ(std::optional<std::int32_t>(0), ToggledSetting(1));
  for (const std::int32_t odd : {2, 5, -1, std::numeric_limits<std::int32_t>::min()}) {
    SCOPED_TRACE(odd);
    EXPECT_EQ(std::nullopt, ToggledSetting(odd));
  }
}

TEST(ToggleIcons, OnlyOneIsOnTopAndOnlyZeroIsCompact) {
  struct Case {
    std::int32_t value;
    int onTopIcon;
    int windowStateIcon;
  };
  const Case cases[] = {
      {0, kIconUnpinned, kIconExpand},    {1, kIconPinned, kIconCollapse},
      {2, kIconUnpinned, kIconCollapse},  {5, kIconUnpinned, kIconCollapse},
      {-1, kIconUnpinned, kIconCollapse},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.onTopIcon, OnTopIcon(c.value));
    EXPECT_EQ(c.windowStateIcon, WindowStateIcon(c.value));
  }
}

}  // namespace
}  // namespace quillon
