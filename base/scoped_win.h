// Owners of what the window glue must give back: modules, message texts, GDI objects, thread
// handles, memory blocks, the clipboard and block locks. Every release happens in a destructor.
#pragma once

#include <windows.h>

#include <memory>

namespace quillon {

struct ModuleRelease {
  using pointer = HMODULE;
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
struct LocalTextRelease {
  using pointer = char*;
  void operator()(char* text) const { LocalFree(text); }
};
struct LocalWideTextRelease {
  using pointer = wchar_t*;
  void operator()(wchar_t* text) const { LocalFree(text); }
};
struct GdiObjectRelease {
  using pointer = HGDIOBJ;
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct GlobalBlockRelease {
  using pointer = HGLOBAL;
  void operator()(HGLOBAL block) const { GlobalFree(block); }
};
struct HandleRelease {
  using pointer = HANDLE;
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// unique_ptr never calls the release for a null handle.
using ScopedModule = std::unique_ptr<void, ModuleRelease>;
using ScopedLocalText = std::unique_ptr<void, LocalTextRelease>;
using ScopedLocalWideText = std::unique_ptr<void, LocalWideTextRelease>;
using ScopedGdiObject = std::unique_ptr<void, GdiObjectRelease>;
using ScopedHandle = std::unique_ptr<void, HandleRelease>;
using ScopedGlobalBlock = std::unique_ptr<void, GlobalBlockRelease>;

// Selects an object into a device context and selects the previous one back.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelection() { SelectObject(dc_, previous_); }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Holds the clipboard open. It must be closed before the edit's own paste opens it again and
// before a message box runs its loop, hence Close() ahead of the destructor.
class ScopedClipboard {
 public:
  ScopedClipboard() : open_(OpenClipboard(nullptr) != 0) {}
  ~ScopedClipboard() { Close(); }
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;
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

// A global memory block locked for as long as this lives; Get() is null when it cannot be.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
  ~ScopedGlobalLock() {
    if (data_ != nullptr) {
      GlobalUnlock(block_);
    }
  }
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
  void* Get() const { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

}  // namespace quillon
