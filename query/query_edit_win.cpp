#include "query/query_edit_win.h"

#include <cstring>
#include <optional>
#include <string>

#include "app/app_state_win.h"
#include "lookup/search_flow_win.h"
#include "query/paste_rules.h"

namespace quillon {

namespace {

// Holds the clipboard open; it must be closed before the edit's own paste opens it again and
// before a message box runs its loop, hence Close() ahead of the destructor.
class ClipboardGuard {
 public:
  ClipboardGuard() : open_(OpenClipboard(nullptr) != 0) {}
  ~ClipboardGuard() { Close(); }
  ClipboardGuard(const ClipboardGuard&) = delete;
  ClipboardGuard& operator=(const ClipboardGuard&) = delete;
  bool IsOpen() const { return open_; }
  void Close() {
    if (open_) {
      CloseClipboard();
      open_ = false;
    }
  }

 private:
  bool open_;
};

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
  const auto* text = static_cast<const char*>(GlobalLock(data));
  if (text == nullptr) {
    return std::nullopt;
  }
  std::string copy(text, strnlen(text, GlobalSize(data)));
  GlobalUnlock(data);
  return copy;
}

// Puts text on the clipboard in place of what it held; false leaves the clipboard untouched.
bool ReplaceClipboardText(const std::string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
  if (block == nullptr) {
    return false;
  }
  void* destination = GlobalLock(block);
  if (destination == nullptr) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(destination, text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  EmptyClipboard();
  if (SetClipboardData(CF_TEXT, block) == nullptr) {
    GlobalFree(block);  // still ours when the clipboard refused it
    return false;
  }
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
  ClipboardGuard clipboard;
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
      ShowPasteRefusal(kPasteTooLargeMessage, nullptr);
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
