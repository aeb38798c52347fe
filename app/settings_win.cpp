#include "app/settings_win.h"

#include <optional>

#include "app/app_state_win.h"
#include "app/placement.h"
#include "app/settings_values.h"

namespace quillon {

namespace {

std::int32_t ReadSetting(const char* key, std::int32_t fallback) {
  return static_cast<std::int32_t>(
      GetPrivateProfileIntA(kSettingsSection, key, fallback, App().settingsPath.c_str()));
}

void WriteSetting(const char* key, std::int32_t value) {
  WritePrivateProfileStringA(kSettingsSection, key, SettingValueText(value).c_str(),
                             App().settingsPath.c_str());
}

// Puts a freshly loaded toggle icon on its button and destroys the one it replaces. These
// icons are not shared (LR_LOADMAP3DCOLORS without LR_SHARED), so each replaced one is ours.
void ShowToggleIcon(HWND button, int iconId) {
  const auto icon = static_cast<HICON>(
      LoadImageA(App().instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, 16, 16, LR_LOADMAP3DCOLORS));
  const auto previous =
      reinterpret_cast<HICON>(SendMessageA(button, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0));
  if (previous != nullptr) {
    DestroyIcon(previous);
  }
}

void SetTopmost(bool topmost) {
  SetWindowPos(App().mainWindow, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE);
}

void SetMainHeight(int height) {
  SetWindowPos(App().mainWindow, HWND_TOP, 0, 0, kMainWidth, height, SWP_NOMOVE);
}

Rect FromRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

std::optional<Rect> MainWorkArea() {
  const HMONITOR monitor = MonitorFromWindow(App().mainWindow, MONITOR_DEFAULTTONULL);
  if (monitor == nullptr) {
    return std::nullopt;
  }
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) {
    return std::nullopt;
  }
  return FromRect(info.rcWork);
}

}  // namespace

void ApplySettings() {
  AppState& app = App();
  app.onTop = ReadSetting(kOnTopKey, kOnTopDefault);
  if (app.onTop == 1) {
    SetTopmost(true);
  }
  ShowToggleIcon(app.onTopToggle, OnTopIcon(app.onTop));

  app.windowState = ReadSetting(kWindowStateKey, kWindowStateDefault);
  if (app.windowState == 0) {
    // The corner stays where it was centred for the full size.
    SetMainHeight(kCompactHeight);
  }
  ShowToggleIcon(app.windowStateToggle, WindowStateIcon(app.windowState));
}

void ToggleOnTop() {
  AppState& app = App();
  const std::optional<std::int32_t> next = ToggledSetting(app.onTop);
  if (!next) {
    return;
  }
  app.onTop = *next;
  SetTopmost(app.onTop == 1);
  ShowToggleIcon(app.onTopToggle, OnTopIcon(app.onTop));
}

void ToggleWindowState() {
  AppState& app = App();
  const std::optional<std::int32_t> next = ToggledSetting(app.windowState);
  if (!next) {
    return;
  }
  app.windowState = *next;
  if (app.windowState == 0) {
    SetMainHeight(kCompactHeight);  // collapsing never moves the window
  } else {
    SetMainHeight(kExpandedHeight);
    KeepOnMonitor(app.mainWindow);
  }
  ShowToggleIcon(app.windowStateToggle, WindowStateIcon(app.windowState));
}

void KeepOnMonitor(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) {
    return;
  }
  // A main window on no monitor gives no work area; the window then stays where it is.
  const std::optional<Point> position = KeepOnMonitorPosition(FromRect(rect), MainWorkArea());
  if (position) {
    SetWindowPos(window, HWND_TOP, position->x, position->y, 0, 0, SWP_NOSIZE);
  }
}

void SaveSettings() {
  const AppState& app = App();
  WriteSetting(kOnTopKey, app.onTop);
  WriteSetting(kWindowStateKey, app.windowState);
}

}  // namespace quillon
