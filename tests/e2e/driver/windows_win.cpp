#include "driver/windows_win.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace e2e {

namespace {

struct SearchByProcess {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<SearchByProcess*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  std::array<char, 256> name{};
  GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  if (owner == search.processId && IsWindowVisible(window) &&
      SameTextNoCase(name.data(), search.className)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
  return TRUE;
}

}  // namespace

WindowFacts DescribeWindow(HWND window) {
  WindowFacts facts;
  std::array<char, 256> name{};
  GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  facts.className = name.data();
  facts.text = TextOf(window);
  facts.id = GetDlgCtrlID(window);
  facts.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  facts.exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  GetWindowRect(window, &facts.rect);
  if (const HWND parent = GetAncestor(window, GA_PARENT); parent && parent != GetDesktopWindow()) {
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&facts.rect), 2);
  }
  return facts;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FindProcessWindow(DWORD processId, const char* className) {
  SearchByProcess search{processId, className, nullptr};
  EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT OuterRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

bool IsTopmost(HWND window) {
  return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

HWND FocusOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            DWORD timeoutMs) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::string TextOf(HWND window) {
  // WM_GETTEXT's buffer is marshalled across processes by the system.
  std::array<char, 1024> buffer{};
  const auto length =
      Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  if (!length) {
    return "<no answer to WM_GETTEXT>";
  }
  return std::string(buffer.data(), std::min<size_t>(static_cast<size_t>(*length), buffer.size()));
}

bool SetTextOf(HWND window, const std::string& text) {
  const auto result = Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return result && *result != 0;
}

HICON IconOf(HWND control) {
  return reinterpret_cast<HICON>(Send(control, STM_GETICON, 0, 0).value_or(0));
}

bool SendClick(HWND control) {
  const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED);
  return Send(GetParent(control), WM_COMMAND, command, reinterpret_cast<LPARAM>(control))
      .has_value();
}

bool PostClick(HWND control) {
  const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED);
  return PostMessageA(GetParent(control), WM_COMMAND, command, reinterpret_cast<LPARAM>(control)) !=
         0;
}

bool PostKey(HWND control, UINT virtualKey) {
  const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  return PostMessageA(control, WM_KEYDOWN, virtualKey, scanCode | 1) &&
         PostMessageA(control, WM_KEYUP, virtualKey, scanCode | 1 | (3 << 30));
}

bool PostChars(HWND control, const std::string& text) {
  for (const char c : text) {
    if (!PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1)) {
      return false;
    }
  }
  return true;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) {
      return true;
    }
    if (GetTickCount64() >= deadline) {
      return false;
    }
    Sleep(5);
  }
}

bool SameTextNoCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace e2e
