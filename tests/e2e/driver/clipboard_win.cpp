#include "driver/clipboard_win.h"

#include <windows.h>

#include <cstring>

#include "driver/windows_win.h"

namespace e2e {

namespace {

// Another process (the program itself, in the middle of a paste) may hold the clipboard for a
// moment: try again until it is free.
class OpenedClipboard {
 public:
  OpenedClipboard() : open_(WaitUntil([] { return OpenClipboard(nullptr) != 0; }, 5000)) {}
  ~OpenedClipboard() {
    if (open_) {
      CloseClipboard();
    }
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

}  // namespace

bool PutClipboardText(const std::string& text) {
  const OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) {
    return false;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
  if (block == nullptr) {
    return false;
  }
  if (void* destination = GlobalLock(block)) {
    std::memcpy(destination, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
  }
  EmptyClipboard();
  if (SetClipboardData(CF_TEXT, block) == nullptr) {
    GlobalFree(block);  // still ours when the clipboard refused it
    return false;
  }
  return true;
}

bool EmptyTheClipboard() {
  const OpenedClipboard clipboard;
  return clipboard.IsOpen() && EmptyClipboard() != 0;
}

std::optional<std::string> ClipboardText() {
  const OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) {
    return std::nullopt;
  }
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

}  // namespace e2e
