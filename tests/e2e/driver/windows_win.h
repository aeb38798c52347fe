// Looking at and talking to another process's windows, as a user's tools would: only the
// ordinary Windows API, every call bounded by a timeout.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Generous: under an emulator one start of quillon.exe can take seconds.
inline constexpr DWORD kMessageTimeoutMs = 10000;
inline constexpr DWORD kWaitTimeoutMs = 30000;

struct WindowFacts {
  std::string className;
  std::string text;
  int id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // screen coordinates for a top-level window, the parent's client ones otherwise
};

WindowFacts DescribeWindow(HWND window);
// Direct and deeper children in creation order (as long as nothing changed their Z order).
std::vector<HWND> ChildWindows(HWND parent);
// The visible top-level window of this class that belongs to the process, or nullptr.
HWND FindProcessWindow(DWORD processId, const char* className);

RECT OuterRect(HWND window);
bool IsTopmost(HWND window);
// The control that has the keyboard focus in the given GUI thread, or nullptr.
HWND FocusOf(DWORD threadId);

// SendMessageTimeoutA; nothing when the window did not answer in time.
std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            DWORD timeoutMs = kMessageTimeoutMs);
std::string TextOf(HWND window);
bool SetTextOf(HWND window, const std::string& text);
// The icon a static control shows (STM_GETICON).
HICON IconOf(HWND control);
// What a click on an SS_NOTIFY static sends its parent: WM_COMMAND with STN_CLICKED (0).
bool SendClick(HWND control);
// The same click, queued behind whatever was posted to the program before.
bool PostClick(HWND control);

// Typing as the keyboard would, through the program's message loop (so its dialog keyboard
// handling sees it): a key's WM_KEYDOWN and WM_KEYUP, or one WM_CHAR per character.
bool PostKey(HWND control, UINT virtualKey);
bool PostChars(HWND control, const std::string& text);

// Polls condition until it holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitTimeoutMs);

bool SameTextNoCase(const std::string& a, const std::string& b);

}  // namespace e2e
