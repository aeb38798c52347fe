#include "app/query_edit_win.h"

#include <cstring>
#include <optional>
#include <string>

#include "app/app_state_win.h"
#include "app/search_flow_win.h"
#include "base/scoped_win.h"
#include "query/paste_rules.h"

namespace quillon {

namespace {

LRESULT PassOn(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(App().queryEditBaseProc, edit, message, wParam, lParam);
}

// The clipboard's text up to its first NUL, never reading past the block; nothing when the
// clipboard holds no text or its block cannot be read.
std::optional<std::string> ClipboardText() {
  HANDLE data = GetClipboardData(CF_TEXT);
  if (data == nullptr) {
    return std::nullopt;
  }
  const ScopedGlobalLock lock(data);
  const auto* text = static_cast<const char*>(lock.Get());
  if (text == nullptr) {
    return std::nullopt;
  }
  return std::string(text, strnlen(text, GlobalSize(data)));
}

// Puts text on the clipboard in place of what it held; false leaves the clipboard untouched.
bool ReplaceClipboardText(const std::string& text) {
  ScopedGlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1));
  if (block == nullptr) {
    return false;
  }
  {
    const ScopedGlobalLock lock(block.get());
    if (lock.Get() == nullptr) {
      return false;
    }
    std::memcpy(lock.Get(), text.c_str(), text.size() + 1);
  }
  EmptyClipboard();
  if (SetClipboardData(CF_TEXT, block.get()) == nullptr) {
    return false;  // still ours when the clipboard refused it
  }
  block.release();  // the clipboard's from now on
  return true;
}

void ShowPasteRefusal(std::string_view message, const char* caption) {
  const std::string text(message);
  MessageBoxA(App().mainWindow, text.c_str(), caption, MB_OK | MB_ICONHAND);
}

LRESULT OnChar(HWND edit, WPARAM wParam, LPARAM lParam) {
  const std::optional<unsigned> character = FilterQueryChar(static_cast<unsigned>(wParam));
  if (!character) {
    return 0;
  }
  return PassOn(edit, WM_CHAR, *character, lParam);
}

LRESULT OnKeyDown(HWND edit, WPARAM wParam, LPARAM lParam) {
  if ((wParam & 0xFF) == VK_RETURN) {
    RunSearch();
  }
  return PassOn(edit, WM_KEYDOWN, wParam, lParam);
}

// Claims Enter so that the dialog keyboard handling delivers it here as a key-down.
LRESULT OnGetDlgCode(HWND edit, WPARAM wParam, LPARAM lParam) {
  const auto* pending = reinterpret_cast<const MSG*>(lParam);
  if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
    return DLGC_WANTALLKEYS;
  }
  return PassOn(edit, WM_GETDLGCODE, wParam, lParam);
}

LRESULT OnPaste(HWND edit, WPARAM wParam, LPARAM lParam) {
  AppState& app = App();
  ScopedClipboard clipboard;
  if (!clipboard.IsOpen()) {
    return PassOn(edit, WM_PASTE, wParam, lParam);
  }
  const std::optional<std::string> text = ClipboardText();
  if (!text) {
    clipboard.Close();
    app.pastePending = 1;
    return PassOn(edit, WM_PASTE, wParam, lParam);
  }
  const PasteVerdict verdict = CheckPaste(*text);
  switch (verdict.outcome) {
    case PasteVerdict::Outcome::Empty:
      return 0;
    case PasteVerdict::Outcome::TooLong:
      clipboard.Close();
      ShowPasteRefusal(PasteTooLargeMessage(), nullptr);
      return 0;
    case PasteVerdict::Outcome::InvalidCharacters:
      clipboard.Close();
      ShowPasteRefusal(kPasteInvalidMessage, verdict.trimmed.c_str());
      return 0;
    case PasteVerdict::Outcome::Accepted:
      break;
  }
  // Without the trimmed text on the clipboard the edit would paste the raw text: drop it.
  if (!ReplaceClipboardText(verdict.trimmed)) {
    return 0;
  }
  clipboard.Close();
  app.pastePending = 1;
  return PassOn(edit, WM_PASTE, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK QueryEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
      case WM_CHAR:
        return OnChar(edit, wParam, lParam);
      case WM_KEYDOWN:
        return OnKeyDown(edit, wParam, lParam);
      case WM_GETDLGCODE:
        return OnGetDlgCode(edit, wParam, lParam);
      case WM_PASTE:
        return OnPaste(edit, wParam, lParam);
      default:
        return PassOn(edit, message, wParam, lParam);
    }
  } catch (...) {
    // Out of memory while copying a paste: the paste is dropped, the clipboard kept.
    return 0;
  }
}

void OnQueryEditChanged() {
  AppState& app = App();
  if (app.pastePending == 1) {
    RunSearch();
    app.pastePending = 0;
  }
}

}  // namespace quillon
