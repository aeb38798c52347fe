#include "app/about_window_win.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "about/about_links.h"
#include "about/about_totals.h"
#include "app/app_state_win.h"
#include "app/main_window_win.h"
#include "app/placement.h"
#include "app/settings_win.h"
#include "res/version.h"

namespace quillon {

namespace {

constexpr DWORD kAboutExStyle = WS_EX_APPWINDOW;                                       // 0x40000
constexpr DWORD kAboutStyle = WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;  // 0x12C80000
constexpr int kAboutWidth = 361;
constexpr int kAboutHeight = 300;

constexpr DWORD kTextStyle = WS_CHILD | WS_VISIBLE;                             // 0x50000000
constexpr DWORD kIconStyle = WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_ICON;  // 0x50000203
constexpr DWORD kLineStyle = WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ;             // 0x50000010
constexpr DWORD kLinkStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY;                 // 0x50000100
constexpr UINT kSharedIconLoad = LR_SHARED | LR_LOADMAP3DCOLORS;                // 0x9000
constexpr int kIconSize = 32;

struct AboutControl {
  const char* className;
  std::string_view text;  // empty: no text
  DWORD style;
  int x, y, width, height;
  int id;
  WORD systemIcon;   // 0: none
  int totalOf = -1;  // the kind (ErrorType) whose number of defines the control shows
};

// In creation order; the heading comes first.
constexpr std::array<AboutControl, 19> kControls = {{
    {"STATIC", "Quillon", kTextStyle, 85, 8, 190, 17, 0, 0},
    {"STATIC", "Version " QUILLON_VERSION_TEXT, kTextStyle, 134, 30, 125, 15, 0, 0},
    {"STATIC", "", kIconStyle, 78, 64, 33, 33, 0, 32513},   // IDI_HAND
    {"STATIC", "", kIconStyle, 134, 64, 33, 33, 0, 32514},  // IDI_QUESTION
    {"STATIC", "", kIconStyle, 186, 64, 33, 33, 0, 32515},  // IDI_EXCLAMATION
    {"STATIC", "", kIconStyle, 242, 64, 33, 33, 0, 32516},  // IDI_ASTERISK
    {"STATIC", "View descriptions and defines for Windows Error Codes:", kTextStyle, 15, 114, 325,
     15, 0, 0},
    {"STATIC", "Win32, HRESULT, NTSTATUS, STOP", kTextStyle, 78, 132, 221, 15, 0, 0},
    {"STATIC", "Total defines supported:", kTextStyle, 12, 160, 165, 15, 0, 0},
    {"STATIC", "", kTextStyle, 68, 178, 77, 15, 0, 0, static_cast<int>(ErrorType::Win32)},
    {"STATIC", "", kTextStyle, 68, 198, 165, 15, 0, 0, static_cast<int>(ErrorType::NtStatus)},
    {"STATIC", "", kTextStyle, 192, 178, 200, 15, 0, 0, static_cast<int>(ErrorType::Hresult)},
    {"STATIC", "", kTextStyle, 192, 198, 77, 15, 0, 0, static_cast<int>(ErrorType::Stop)},
    {"STATIC", "", kLineStyle, 2, 152, 367, 6, 0, 0},
    {"STATIC", "", kLineStyle, 0, 222, 367, 6, 0, 0},
    {kErrTypeClassName, kWebSiteAddress, kLinkStyle, 10, 236, 165, 13, 1012, 0},
    {kErrTypeClassName, kSupportEmailAddress, kLinkStyle, 180, 236, 135, 13, 1013, 0},
    {kErrTypeClassName, "Found a bug?  Report it here.", kLinkStyle, 180, 254, 175, 13, 1014, 0},
    {kErrTypeClassName, "KODA Support Forum", kLinkStyle, 10, 254, 140, 13, 1015, 0},
}};

Rect WindowRectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return Rect{r.left, r.top, r.right, r.bottom};
}

void CentreOnOwner(HWND owner, HWND window) {
  const Rect own = WindowRectOf(window);
  const Point position = CentreOnOwner(WindowRectOf(owner), own);
  MoveWindow(window, position.x, position.y, own.right - own.left, own.bottom - own.top, FALSE);
}

// A total counts its table's rows now, so it never states a figure the database disproves.
std::string ControlText(const AboutControl& control) {
  if (control.totalOf < 0) {
    return std::string(control.text);
  }
  const auto type = static_cast<ErrorType>(control.totalOf);
  const DefineRows* database = App().database.get();
  return DefineTotalText(type, database != nullptr ? database->RowCount(type) : std::nullopt);
}

HWND CreateControl(HWND about, const AboutControl& control) {
  const std::string text = ControlText(control);
  HWND child = CreateWindowExA(0, control.className, text.empty() ? nullptr : text.c_str(),
                               control.style, control.x, control.y, control.width, control.height,
                               about, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                               App().instance, nullptr);
  if (control.systemIcon != 0) {
    HANDLE icon = LoadImageA(nullptr, MAKEINTRESOURCEA(control.systemIcon), IMAGE_ICON, kIconSize,
                             kIconSize, kSharedIconLoad);
    SendMessageA(child, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  return child;
}

void OnCreate(HWND about) {
  const AppState& app = App();
  CentreOnOwner(app.mainWindow, about);
  KeepOnMonitor(about);
  EnableWindow(app.mainWindow, FALSE);
  HWND heading = nullptr;
  for (const AboutControl& control : kControls) {
    HWND child = CreateControl(about, control);
    if (&control == &kControls.front()) {
      heading = child;
    }
  }
  EnumChildWindows(about, SetChildFont, 0);
  SendMessageA(heading, WM_SETFONT, reinterpret_cast<WPARAM>(app.boldFont), 0);
}

// shell32 drags a chain of libraries into every start of the program, yet only a link click
// needs it: load it then, and keep it, since the shell may go on working in the background.
void ShellOpen(const std::string& target) {
  using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static const HMODULE shell = LoadLibraryA("shell32.dll");
  if (shell == nullptr) {
    return;
  }
  const auto execute = reinterpret_cast<ShellExecuteFunction>(
      reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
  if (execute != nullptr) {
    execute(nullptr, "Open", target.c_str(), nullptr, nullptr, SW_RESTORE);
  }
}

void OnLinkClicked(int controlId) {
  const std::optional<std::string> target = LinkTarget(controlId);
  if (target) {
    ShellOpen(*target);
  }
}

void OnClose(HWND about) {
  HWND main = App().mainWindow;
  // The owner comes back before the About window goes, so activation can return to it.
  EnableWindow(main, TRUE);
  DestroyWindow(about);
  SetForegroundWindow(main);
}

}  // namespace

void OpenAboutWindow() {
  const AppState& app = App();
  CreateWindowExA(kAboutExStyle, kAboutClassName, "About", kAboutStyle, 0, 0, kAboutWidth,
                  kAboutHeight, app.mainWindow, nullptr, app.instance, nullptr);
}

LRESULT CALLBACK AboutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
      case WM_CREATE:
        OnCreate(window);
        return 0;
      case WM_COMMAND:
        if (HIWORD(wParam) == 0) {
          OnLinkClicked(LOWORD(wParam));
        }
        return 0;
      case WM_CLOSE:
        OnClose(window);
        return 0;
      default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
  } catch (...) {
    // Out of memory building a link target: the link opens nothing.
    return 0;
  }
}

}  // namespace quillon
