#pragma once

#include <windows.h>

namespace quillon {

// Flashes the query edit on a worker thread and plays the error sound.
void StartAttentionFlash();
DWORD WINAPI FlashWorker(LPVOID);
// WM_CTLCOLOREDIT: the flash brush for the query edit while a flash runs, else null (the
// caller then leaves the message to DefWindowProcA).
HBRUSH FlashEditBrush(HWND control);

}  // namespace quillon
