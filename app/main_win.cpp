// Start-up, message loop and shut-down of quillon.exe.
// windows.h first: the other platform headers build on it.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <array>
#include <memory>
#include <string>

#include "app/app_state_win.h"
#include "app/main_window_win.h"
#include "app/placement.h"
#include "app/settings_values.h"
#include "app/settings_win.h"
#include "app/window_classes_win.h"
#include "lookup/define_opener.h"
#include "lookup/message_source_win.h"

namespace quillon {

namespace {

constexpr char kTitle[] = "Quillon";

// The executable's full path, or "" when it cannot be had whole: a cut path would name an
// ancestor directory and put settings.ini there.
std::string ExecutablePath() {
  std::array<char, MAX_PATH + 1> buffer{};
  const DWORD capacity = static_cast<DWORD>(buffer.size());
  const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), capacity);
  if (length == 0 || length >= capacity) {
    return {};
  }
  return std::string(buffer.data(), length);
}

// SQLite takes file names in UTF-8, while the module path comes in the ANSI code page; an
// install folder with accented letters would otherwise never open.
std::string AnsiToUtf8(const std::string& text) {
  if (text.empty()) {
    return text;
  }
  const int wideLength =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      wideLength);
  const int utf8Length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr,
                      nullptr);
  return utf8;
}

HFONT CreateVerdana(LOGFONTA& font, LONG weight) {
  font.lfWeight = weight;
  return CreateFontIndirectA(&font);
}

void CreateFonts() {
  LOGFONTA font{};  // every field not set here stays 0
  font.lfHeight = -11;
  lstrcpynA(font.lfFaceName, "Verdana", LF_FACESIZE);
  App().normalFont = CreateVerdana(font, FW_NORMAL);
  App().boldFont = CreateVerdana(font, FW_BOLD);
}

HWND CreateMainWindow() {
  const Point corner =
      CentredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  // WM_CREATE stores the handle in App() before it builds the controls.
  return CreateWindowExA(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kMainClassName, kTitle,
                         WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, corner.x,
                         corner.y, kMainWidth, kExpandedHeight, nullptr, nullptr, App().instance,
                         nullptr);
}

void RunMessageLoop() {
  MSG message{};
  // GetMessageA gives -1 only on an error; leaving the loop then beats spinning on it.
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(App().mainWindow, &message)) {
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// True when the main window exists and the message loop is to run.
bool StartUp() {
  AppState& app = App();
  const std::string exePath = ExecutablePath();
  // Read-only, so a missing file is never created; the executable's directory is the fallback.
  app.database =
      OpenDefines(WindowDefinePlaces(AnsiToUtf8(ModuleDirectory(exePath))), DefineCheck::None).rows;
  app.messages = std::make_unique<WindowsMessageSource>();

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0;
  InitCommonControlsEx(&controls);

  app.settingsPath = SettingsPathFromModulePath(exePath);
  app.instance = GetModuleHandleA(nullptr);
  app.heap = GetProcessHeap();
  CreateFonts();
  CoInitializeEx(nullptr, COINIT_DISABLE_OLE1DDE);
  RegisterWindowClasses();
  if (CreateMainWindow() == nullptr) {
    return false;
  }
  ApplySettings();
  return true;
}

// Settings are saved only when they were read: otherwise the defaults would overwrite them.
void ShutDown(bool settingsApplied) {
  AppState& app = App();
  if (settingsApplied) {
    SaveSettings();
  }
  DeleteObject(app.normalFont);
  DeleteObject(app.boldFont);
  CoUninitialize();
  app.database.reset();
  app.messages.reset();
}

}  // namespace

}  // namespace quillon

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Without a main window nothing could ever end the loop: shut down at once instead of
  // lingering as an invisible process.
  const bool started = quillon::StartUp();
  if (started) {
    quillon::RunMessageLoop();
  }
  quillon::ShutDown(started);
  // Always 0, whatever WM_QUIT carried.
  ExitProcess(0);
}
