#include "app/flash_win.h"

#include <atomic>

#include "app/app_state_win.h"
#include "base/scoped_win.h"

namespace quillon {

namespace {

constexpr int kFlashCount = 4;
constexpr DWORD kStepMilliseconds = 100;

void PaintQueryEditWith(HBRUSH brush) {
  AppState& app = App();
  app.flashBrush.store(brush, std::memory_order_relaxed);
  InvalidateRect(app.queryEdit, nullptr, TRUE);
  Sleep(kStepMilliseconds);
}

}  // namespace

void StartAttentionFlash() {
  DWORD threadId = 0;
  // Nobody waits for the worker, so its handle goes at once; without a thread only the sound
  // remains.
  const ScopedHandle thread(
      CreateThread(nullptr, 0, FlashWorker, reinterpret_cast<LPVOID>(1), 0, &threadId));
  MessageBeep(MB_ICONHAND);
}

DWORD WINAPI FlashWorker(LPVOID) {
  AppState& app = App();
  HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
  HBRUSH window = GetSysColorBrush(COLOR_WINDOW);
  // The brush goes in before the flag goes up, so a paint never sees the flag with no brush.
  app.flashBrush.store(highlight, std::memory_order_relaxed);
  app.flashActive.store(1, std::memory_order_release);
  for (int i = 0; i < kFlashCount; ++i) {
    PaintQueryEditWith(highlight);
    PaintQueryEditWith(window);
  }
  app.flashActive.store(0, std::memory_order_relaxed);
  return 0;
}

HBRUSH FlashEditBrush(HWND control) {
  const AppState& app = App();
  if (control != app.queryEdit || app.flashActive.load(std::memory_order_acquire) != 1) {
    return nullptr;
  }
  return app.flashBrush.load(std::memory_order_relaxed);
}

}  // namespace quillon
